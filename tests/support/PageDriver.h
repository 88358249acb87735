#pragma once
// Drives the main window's pages as a user would: tab clicks, typing, focus moves.

#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QtTest>

namespace tarnwick::testing {

template <typename T> T* Find(WindowFixture& f, const QString& name) {
    auto* w = f.window->findChild<T*>(name);
    if (!w) qFatal("no widget %s", qPrintable(name));
    return w;
}

inline void ClickTab(WindowFixture& f, int index) {
    auto* tabs = Find<QTabBar>(f, "TabStrip1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

// Replaces the text of an editable combo box keystroke by keystroke.
inline void TypeInto(QComboBox* box, const QString& text) {
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(box->lineEdit(), text);
}

// Types into a box from its start and moves the focus away, as Tab would.
inline void TypeAndLeave(QLineEdit* box, const QString& keys, QWidget* next) {
    box->setFocus();
    box->setCursorPosition(0);
    QTest::keyClicks(box, keys);
    next->setFocus();
}

} // namespace tarnwick::testing
