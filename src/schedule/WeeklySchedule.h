#pragma once
// The weekly timetable: per device and weekday (Sunday = 0), four on/off pairs.

#include "base/Devices.h"
#include "base/LocalTime.h"

#include <array>
#include <chrono>

namespace tarnwick {

inline constexpr int kWeekdayCount = 7;
inline constexpr int kPairCount = 4;

// One half of a pair: the time that switches the device on, or the one that switches it off.
struct ScheduleTime {
    TimeOfDay time;
    bool enabled = false;
    // A randomised time fires shifted by a shift drawn anew after each firing; the shift is
    // never zero while randomised, and zero otherwise. It may be set on a time not enabled.
    bool randomised = false;
    std::chrono::minutes shift{0};
    bool operator==(const ScheduleTime&) const = default;
};

struct SchedulePair {
    ScheduleTime on;
    ScheduleTime off;
    ScheduleTime& Half(bool isOn) { return isOn ? on : off; }
    const ScheduleTime& Half(bool isOn) const { return isOn ? on : off; }
    bool operator==(const SchedulePair&) const = default;
};

using WeeklyTable = std::array<std::array<std::array<SchedulePair, kPairCount>, kWeekdayCount>, kDeviceCount>;

} // namespace tarnwick
