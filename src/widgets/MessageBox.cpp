#include "widgets/MessageBox.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <iostream>

namespace tarnwick {
namespace {
MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}
} // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    if (Handler()) {
        Handler()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnwick"), text, QMessageBox::Ok, parent);
    box.exec();
}

void ShowFinalMessage(QWidget* parent, const QString& text) {
    if (!Handler() && QGuiApplication::platformName() == QLatin1String("offscreen"))
        std::cerr << text.toStdString() << "\n";
    else
        ShowMessage(parent, text);
}

void SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

} // namespace tarnwick
