#pragma once
// Every message the program shows goes through here: a plain box with an OK
// button, no icon and the title "Tarnwick". Tests install a handler instead,
// so no test ever waits on a modal box.

#include <QString>

#include <functional>

class QWidget;

namespace tarnwick {

void ShowMessage(QWidget* parent, const QString& text);
// The same for a message as the program ends, or before it has a window: without a
// display, where no one could close a box, it goes to standard error instead.
void ShowFinalMessage(QWidget* parent, const QString& text);

using MessageHandler = std::function<void(const QString& text)>;
// Replaces the box for the rest of the process (tests); an empty handler restores it.
void SetMessageHandler(MessageHandler handler);

} // namespace tarnwick
