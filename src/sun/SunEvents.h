#pragma once
// The sunrise and sunset events: per device two sunrise slots and two sunset slots,
// and today's sun times they are reckoned from.

#include "base/DateTime.h"
#include "base/Devices.h"

#include <array>
#include <cstdint>

namespace tarnwick {

inline constexpr int kSunSlotCount = 4; // 0 and 1 at sunrise, 2 and 3 at sunset

enum class SunWhen : std::int16_t { At = 0, Before = 1, After = 2 };
enum class SunAction : std::int16_t { Nothing = 0, On = 1, Off = 2 };

struct SunEvent {
    SunWhen when = SunWhen::At;
    DateTime offset = 0; // a time of day used as a duration
    SunAction action = SunAction::Nothing;
    DateTime random = 0; // minutes held as a date-time number; 0 = not randomised
    bool operator==(const SunEvent&) const = default;
};

using SunEventTable = std::array<std::array<SunEvent, kSunSlotCount>, kDeviceCount>;

// Today's sunrise and sunset, times of day.
struct SunTimes {
    DateTime sunrise = 0;
    DateTime sunset = 0;
};

} // namespace tarnwick
