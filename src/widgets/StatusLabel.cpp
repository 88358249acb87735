#include "widgets/StatusLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace tarnwick {

StatusLabel::StatusLabel(const QString& what, QWidget* parent) : QLabel(parent), what_(what) {
    setTextFormat(Qt::PlainText);
    SetText(QString());
}

void StatusLabel::SetText(const QString& text) {
    setText(text);
    // Named with its text: a name alone would be all a screen reader says of a label.
    setAccessibleName(what_.isEmpty() || text.isEmpty() ? text : what_ + QStringLiteral(": ") + text);
    ShowWholeTextInTip();
}

QSize StatusLabel::minimumSizeHint() const {
    // Room for a few characters; the rest of the text gives way to the window's width.
    QSize hint = QLabel::minimumSizeHint();
    const int frame = width() - contentsRect().width();
    hint.setWidth(std::min(hint.width(), frame + fontMetrics().averageCharWidth() * 8));
    return hint;
}

bool StatusLabel::Cut() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void StatusLabel::ShowWholeTextInTip() {
    setToolTip(Cut() ? text() : QString());
}

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
}

void StatusLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    ShowWholeTextInTip();
}

} // namespace tarnwick
