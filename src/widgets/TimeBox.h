#pragma once
// A masked time box: four digits around a fixed ":", "_" where no digit is
// typed, and a notification whenever the user leaves it, complete or not.

#include "base/TimeText.h"

#include <QLineEdit>

#include <utility>

namespace tarnwick {

// What an empty time box shows.
inline const QString kEmptyBoxText =
    QString::fromLatin1(kEmptyTimeText.data(), static_cast<qsizetype>(kEmptyTimeText.size()));

class TimeBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TimeBox(QWidget* parent = nullptr);

    // The text as shown, prompt characters included ("21:30", "6_:5_", "__:__").
    QString BoxText() const { return displayText(); }
    // "hh:mm", or "__:__" to empty the box.
    void SetBoxText(const QString& text);
    // Whether the user typed into the box since it was last filled or left; clears the mark.
    bool TakeTyped() { return std::exchange(typed_, false); }

signals:
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool typed_ = false;
};

// Why a box's text ("24:00", "6_:5_") is no time of day; empty for a time or an empty box.
QString WhyNotATime(const QString& shown);

// The same box for whole numbers of up to `digits` digits, shown without prompts
// when read: one typed digit reads as that number.
class DigitsBox : public QLineEdit {
    Q_OBJECT
public:
    DigitsBox(int digits, QWidget* parent = nullptr);

    QString Digits() const;

signals:
    void focusLeft();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace tarnwick
