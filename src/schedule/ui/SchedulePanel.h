#pragma once
// The Schedule page: one device's weekly timetable, seven days of four on/off
// pairs, each time with a box that randomises it, and the randomise interval.

#include "schedule/TimetableCommands.h"

#include <QGroupBox>

#include <array>
#include <chrono>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;

namespace tarnwick {

class TimeBox;

inline constexpr int kScheduleBoxCount = kWeekdayCount * kPairCount * 2;

class SchedulePanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SchedulePanel(ITimetableCommands& engine, QWidget* parent = nullptr);

    // Fills the page from the table for the device named in the device box; the first call
    // builds the page.
    void Refresh();
    // Shows the device's entries, as picking it from the device list does.
    void ShowDevice(int device);
    // Puts the interval into its box, whose handler keeps only values from its list.
    void ShowInterval();
    // Takes a time still being typed, as leaving its box would, for the device shown.
    void StoreTypedTimes();

    std::int16_t DeviceInBox() const;
    std::chrono::minutes IntervalInBox() const;

signals:
    // A time typed was not taken, and why: for the user to read at once.
    void timeRefused(const QString& text);

private:
    void Build();
    QGridLayout* BuildGrid(int boxRows);
    void RandomClicked(int i, bool checked);
    void TimeLeft(int i, int device);

    ITimetableCommands& engine_;
    bool displayUpdating_ = false; // the page is being filled: its boxes' handlers stay out
    int shownDevice_ = 0;          // whose times the boxes hold
    bool intervalShown_ = false;   // start-up has put the interval into its box, or would have
    QComboBox* deviceBox_ = nullptr;
    QLabel* deviceName_ = nullptr;
    QComboBox* intervalBox_ = nullptr;
    std::array<TimeBox*, kScheduleBoxCount> timeBoxes_{};
    std::array<QCheckBox*, kScheduleBoxCount> randomBoxes_{};
};

} // namespace tarnwick
