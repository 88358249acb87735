#pragma once
// A panel of the status bar: one line of plain text, cut short with "…" when the bar has
// no room for all of it, the whole text then in its tooltip. A screen reader hears what
// the panel is for and the whole text.

#include <QLabel>

namespace tarnwick {

class StatusLabel : public QLabel {
    Q_OBJECT
public:
    // what: the panel's purpose, as "Interface"; none when the text says it itself.
    explicit StatusLabel(const QString& what, QWidget* parent = nullptr);

    void SetText(const QString& text);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Cut() const;
    void ShowWholeTextInTip();

    QString what_;
};

} // namespace tarnwick
