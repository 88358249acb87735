#pragma once
// The application-wide state: settings, tables and flags shared by the main
// window's procedures. One instance, owned by the main window and passed by
// reference to everything that needs it. Large (the weekly table is ~230 KB):
// allocate it on the heap.

#include "base/DateTime.h"

#include <array>
#include <cstdint>
#include <string>

namespace tarnwick {

inline constexpr int kHouseCount = 16;
inline constexpr int kUnitCount = 16;
inline constexpr int kDeviceCount = kHouseCount * kUnitCount;
inline constexpr int kWeekdayCount = 7;
inline constexpr int kPairCount = 4;
inline constexpr int kSunSlotCount = 4;
inline constexpr int kMessageCount = 545; // 0..543 from senders, 544 a spare row
inline constexpr int kDataBitCount = 16;
inline constexpr int kFrameBitsCount = 41; // 40 sent, entry 40 never written
inline constexpr int kQueueSlotCount = 41;

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

struct SchedulePair {
    DateTime OnTime = 0;
    std::int16_t OnEnabled = kFalse;
    std::int16_t OnRandomOffset = 0;
    DateTime OffTime = 0;
    std::int16_t OffEnabled = kFalse;
    std::int16_t OffRandomOffset = 0;
    bool operator==(const SchedulePair&) const = default;
};

struct SunriseEvent {
    std::int16_t When = 0;   // 0 at, 1 before, 2 after
    DateTime Offset = 0;     // a time of day used as a duration
    std::int16_t Action = 0; // 0 nothing, 1 on, 2 off
    DateTime Random = 0;     // whole minutes held as a date-time number; 0 = not randomised
    bool operator==(const SunriseEvent&) const = default;
};

using WeeklyTable = std::array<std::array<std::array<SchedulePair, kPairCount>, kWeekdayCount>, kDeviceCount>;
using SunriseTable = std::array<std::array<SunriseEvent, kSunSlotCount>, kDeviceCount>;

struct AppState {
    // Settings kept in config.txt.
    std::int16_t CommPortNumber = 0;
    std::int16_t CpuFactor = 0;
    std::int16_t ClockFactor = 0;
    std::int16_t RandomInterval = 0;
    double Latitude = 0;
    double Longitude = 0;
    std::int16_t TimeZone = 0;
    std::int16_t DaylightSavings = kFalse;

    // Today's sun times, time of day only.
    DateTime SunriseTime = 0;
    DateTime SunsetTime = 0;

    // Code table and frame template.
    std::array<std::array<std::int16_t, kDataBitCount>, kMessageCount> X10CodeTable{};
    std::array<std::int16_t, kFrameBitsCount> FrameBits{};
    std::int16_t FrameStep = 0;
    std::int16_t DelayFactor = 0;

    // Transmit queue.
    std::array<std::int16_t, kQueueSlotCount> MessageQueue{};
    std::int16_t QueueHead = 0;
    std::int16_t QueueTail = 0;

    // Remote Control tab.
    std::array<std::array<std::string, kUnitCount>, kHouseCount> DeviceNames{};
    std::array<std::array<std::int16_t, kUnitCount>, kHouseCount> UnitSwitchState{};
    std::int16_t PreviousAddressIndex = 0;
    std::int16_t CheckBoxEventsSuppressed = kFalse;

    // Scheduling.
    WeeklyTable WeeklySchedule{};
    SunriseTable SunriseSchedule{};
    DateTime LastScanTime = 0;
    std::int16_t DisplayUpdating = kFalse;
};

} // namespace tarnwick
