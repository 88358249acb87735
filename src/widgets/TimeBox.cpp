#include "widgets/TimeBox.h"

#include <QFocusEvent>
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
    if (text == QStringLiteral("__:__"))
        clear();
    else
        setText(text);
}

void TimeBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    KeepCursorOnTheDigits(this);
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
    QLineEdit::mousePressEvent(event);
    KeepCursorOnTheDigits(this);
}

void DigitsBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu takes the focus only for a moment; the user is still editing.
    if (event->reason() != Qt::PopupFocusReason) emit focusLeft();
}

} // namespace tarnwick
