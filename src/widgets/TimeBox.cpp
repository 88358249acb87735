#include "widgets/TimeBox.h"

#include "base/TimeText.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tarnwick {
namespace {

// A focus lost to another window or to the box's own context menu is no leaving:
// the user comes back to the box as it was.
bool LeftForGood(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

// A click beyond the digits typed would leave the cursor where typing lands in
// the wrong places: it goes back to just after the last digit, the start when there is none.
void KeepCursorOnTheDigits(QLineEdit* box) {
    if (box->hasSelectedText()) return;
    const QString shown = box->displayText();
    int end = static_cast<int>(shown.size());
    while (end > 0 && !shown[end - 1].isDigit()) --end;
    if (box->cursorPosition() > end) box->setCursorPosition(end);
}

// A click beside the digits places the cursor for typing; the context menu's click does not.
template <typename Press>
void PressKeepingTheCursorFromAMenuClick(QLineEdit* box, QMouseEvent* event, Press press) {
    if (event->button() != Qt::RightButton) {
        press();
        KeepCursorOnTheDigits(box);
        return;
    }
    const int cursor = box->cursorPosition();
    const int start = box->selectionStart();
    const int length = static_cast<int>(box->selectedText().size());
    press();
    if (start >= 0)
        box->setSelection(start, length);
    else
        box->setCursorPosition(cursor);
}

} // namespace

TimeBox::TimeBox(QWidget* parent) : QLineEdit(parent) {
    setInputMask(QStringLiteral("99:99;_"));
    // Wide enough for "00:00" in any font.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 12);
    setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 20);
    connect(this, &QLineEdit::textEdited, this, [this] { typed_ = true; });
}

void TimeBox::SetBoxText(const QString& text) {
    typed_ = false;
    if (text == kEmptyBoxText)
        clear();
    else
        setText(text);
}

void TimeBox::keyPressEvent(QKeyEvent* event) {
    // "7:30" means 07:30: a colon after a single hour digit moves it behind a leading zero.
    const QString shown = displayText();
    if (event->text() == QStringLiteral(":") && !hasSelectedText() && cursorPosition() == 1 &&
        shown[0].isDigit() && !shown[1].isDigit()) {
        setText(QStringLiteral("0") + shown[0] + QStringLiteral(":") + shown.mid(3).remove(QLatin1Char('_')));
        setCursorPosition(3);
        typed_ = true;
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TimeBox::mousePressEvent(QMouseEvent* event) {
    PressKeepingTheCursorFromAMenuClick(this, event, [this, event] { QLineEdit::mousePressEvent(event); });
}

// Hooked on the focus itself: editingFinished never comes while the mask is incomplete.
void TimeBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!LeftForGood(event)) return;
    typed_ = false;
    emit focusLeft();
}

DigitsBox::DigitsBox(int digits, QWidget* parent) : QLineEdit(parent) {
    // Optional digits: a box holding fewer digits than it has room for is still a number.
    setInputMask(QString(digits, QLatin1Char('0')) + QStringLiteral(";_"));
    setMaximumWidth(fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 16);
}

QString DigitsBox::Digits() const {
    return text().remove(QLatin1Char('_')).trimmed();
}

void DigitsBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Tabbing in selects the number, so typing replaces it instead of overwriting digit by digit.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        selectAll();
}

void DigitsBox::mousePressEvent(QMouseEvent* event) {
    PressKeepingTheCursorFromAMenuClick(this, event, [this, event] { QLineEdit::mousePressEvent(event); });
}

void DigitsBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu takes the focus only for a moment; the user is still editing.
    if (event->reason() != Qt::PopupFocusReason) emit focusLeft();
}

QString WhyNotATime(const QString& shown) {
    if (shown == kEmptyBoxText || ParseBoxTime(shown.toStdString())) return {};
    if (shown.contains(QLatin1Char('_')))
        return shown + QStringLiteral(" is incomplete (type hh:mm, as 07:30)");
    return shown + QStringLiteral(" is not a time of day (00:00 to 23:59)");
}

} // namespace tarnwick
