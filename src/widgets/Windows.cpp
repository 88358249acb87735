#include "widgets/Windows.h"

#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace tarnwick {

void FitOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    // The title bar and borders: the window's own once it has been shown, else its parent's.
    const QWidget* framed = window->testAttribute(Qt::WA_WState_Created) || !window->parentWidget()
                                ? window
                                : window->parentWidget()->window();
    const QSize frame = framed->frameGeometry().size() - framed->size();
    const QSize size = window->size().boundedTo(room.size() - frame).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    // A window never placed yet is placed by the window system, which keeps it on the screen.
    if (!window->testAttribute(Qt::WA_Moved) && !window->testAttribute(Qt::WA_WState_Created)) return;
    const QSize outer = size + frame;
    const QPoint at = window->frameGeometry().topLeft();
    const QPoint inside(
        std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - outer.width())),
        std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
    if (inside != at) window->move(inside);
}

void HideOnEscapeAndEnter(QWidget* window) {
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
        QObject::connect(new QShortcut(QKeySequence(key), window), &QShortcut::activated, window,
                         &QWidget::hide);
}

} // namespace tarnwick
