#pragma once
// The sunrise and sunset events: per device two sunrise slots and two sunset slots,
// and today's sun times they are reckoned from.

#include "base/Devices.h"
#include "base/LocalTime.h"

#include <array>
#include <chrono>
#include <cstdint>

namespace tarnwick {

inline constexpr int kSunSlotCount = 4; // 0 and 1 at sunrise, 2 and 3 at sunset

enum class SunWhen : std::int16_t { At = 0, Before = 1, After = 2 };
enum class SunAction : std::int16_t { Nothing = 0, On = 1, Off = 2 };

struct SunEvent {
    SunWhen when = SunWhen::At;
    // How long before or after, under a day; whole minutes count, and the seconds a
    // hand-edited file may hold are only kept for it.
    std::chrono::seconds offset{0};
    SunAction action = SunAction::Nothing;
    // As a weekly time's: drawn anew after each firing, never zero while randomised.
    bool randomised = false;
    std::chrono::minutes shift{0};
    bool operator==(const SunEvent&) const = default;
};

using SunEventTable = std::array<std::array<SunEvent, kSunSlotCount>, kDeviceCount>;

// Today's sunrise and sunset, times of day.
struct SunTimes {
    TimeOfDay sunrise;
    TimeOfDay sunset;
};

} // namespace tarnwick
