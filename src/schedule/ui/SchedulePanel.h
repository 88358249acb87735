#pragma once
// The Schedule page: one device's weekly timetable, seven days of four on/off
// pairs, each time with a box that randomises it, and the randomise interval.

#include "base/AppState.h"
#include "base/Interfaces.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;

namespace tarnwick {

class TimeBox;

inline constexpr int kScheduleBoxCount = kWeekdayCount * kPairCount * 2;

class SchedulePanel : public QGroupBox {
    Q_OBJECT
public:
    SchedulePanel(AppState& state, IRandom& random, QWidget* parent = nullptr);
    ~SchedulePanel() override;

    // Fills the page from the table for the device named in the device box.
    void UpdateScheduleDisplay();
    // Puts the interval into its box, whose handler keeps only values from its list.
    void ShowRandomInterval();
    // Takes a time still being typed, as leaving its box would, for the device shown.
    void StoreTypedTimes();

    std::int16_t DeviceIndex() const;
    std::int16_t RandomIndex() const;

private:
    void RandomClicked(int i, bool checked);
    void TimeLeft(int i, int device);

    AppState& state_;
    IRandom& random_;
    int shownDevice_ = 0; // whose times the boxes hold
    QComboBox* cboDevice_ = nullptr;
    QLabel* lblDevice_ = nullptr;
    QComboBox* cboRandomTime_ = nullptr;
    std::array<TimeBox*, kScheduleBoxCount> mebOnOff_{};
    std::array<QCheckBox*, kScheduleBoxCount> chkRandom_{};
};

} // namespace tarnwick
