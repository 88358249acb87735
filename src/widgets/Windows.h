#pragma once
// What every window of the program does alike.

class QWidget;

namespace tarnwick {

// Makes the window no larger than its screen's free area (without the panels and docks)
// and, once it has a place, keeps it within that area.
void FitOnScreen(QWidget* window);

// Escape, Enter and Return hide the window, as its one button does.
void HideOnEscapeAndEnter(QWidget* window);

} // namespace tarnwick
