#pragma once
// The switchings planned for the next seven days, by time. Enter or a double-click on
// one shows its device on the page that plans it. Made once and kept; Close hides it.

#include "remote/NamesFile.h"
#include "schedule/Planner.h"

#include <QWidget>

#include <chrono>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnwick {

class UpcomingWindow : public QWidget {
    Q_OBJECT
public:
    explicit UpcomingWindow(QWidget* parent = nullptr);

    // Lists the plan; nothing is redrawn when it, the names and the interval are as shown.
    // The selection and the scroll position stay where they were.
    void Show(std::vector<PlannedSwitch> plan, const DeviceNameTable& names,
              std::chrono::minutes randomInterval);

signals:
    // The user chose a switching: show the device on its Schedule or Sunrise and Sunset page.
    void deviceChosen(int device, bool sunEvent);
    // The window became the active one: the list should be brought up to date.
    void activated();

protected:
    bool event(QEvent* event) override;

private:
    QTreeWidgetItem* RowOf(const PlannedSwitch& s) const;
    // Brings the rows to plan when it is the shown plan with some switchings gone from the
    // top and some new at the end; false, with nothing changed, when it is not.
    bool Slide(const std::vector<PlannedSwitch>& plan);

    QLabel* note_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::vector<PlannedSwitch> plan_;
    DeviceNameTable names_;
    std::chrono::minutes randomInterval_{-1}; // nothing shown yet
};

} // namespace tarnwick
