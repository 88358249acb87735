#pragma once
// Sunrise.txt: the sunrise and sunset events, four lines an event, device by slot.

#include "base/Notation.h"
#include "sun/SunEvents.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kSunriseFileName = "Sunrise.txt";
inline constexpr int kSunriseValuesPerEvent = 4;
inline constexpr int kSunEventCount = kDeviceCount * kSunSlotCount;
inline constexpr int kSunriseLineCount = kSunEventCount * kSunriseValuesPerEvent;

// 1-based line of the first value of an event.
constexpr int SunriseEventLine(int device, int slot) {
    return 1 + kSunriseValuesPerEvent * (slot + kSunSlotCount * device);
}

// The most of a file that can matter: its lines, each cut where it is too long to be read.
LineBound SunriseLineBound();

// Fills the whole table from a file's bytes and gives how many events were read.
// The events from a short or damaged one on (a value not of its field's kind) are
// left zero. When and Action codes other than 0..2 read as 0.
int ParseSunEvents(std::string_view bytes, SunEventTable& table);
std::string FormatSunEvents(const SunEventTable& table);

} // namespace tarnwick
