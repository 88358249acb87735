#pragma once
// The weekly timetable: per device and weekday (Sunday = 0), four on/off pairs.

#include "base/DateTime.h"
#include "base/Devices.h"

#include <array>
#include <cstdint>

namespace tarnwick {

inline constexpr int kWeekdayCount = 7;
inline constexpr int kPairCount = 4;

struct SchedulePair {
    DateTime onTime = 0; // time of day
    bool onEnabled = false;
    std::int16_t onRandomOffset = 0; // minutes; 0 = not randomised
    DateTime offTime = 0;
    bool offEnabled = false;
    std::int16_t offRandomOffset = 0;
    bool operator==(const SchedulePair&) const = default;
};

using WeeklyTable = std::array<std::array<std::array<SchedulePair, kPairCount>, kWeekdayCount>, kDeviceCount>;

} // namespace tarnwick
