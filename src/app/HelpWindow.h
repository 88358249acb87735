#pragma once
// The help window: one page of fixed lines on the Configure menu and the first two
// tabs. Created once and kept; its OK button only hides it.

#include <QWidget>

namespace tarnwick {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

} // namespace tarnwick
