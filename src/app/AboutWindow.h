#pragma once
// The About window: program name and version, the warranty disclaimer and the
// safety notice. Created once and kept; Close only hides it.

#include <QWidget>

namespace tarnwick {

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

} // namespace tarnwick
