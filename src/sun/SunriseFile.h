#pragma once
// Sunrise.txt: the sunrise and sunset events, four lines an event, device by slot.

#include "base/AppState.h"
#include "base/DataFiles.h"

#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kSunriseFileName = "Sunrise.txt";
inline constexpr int kSunriseValuesPerEvent = 4;
inline constexpr int kSunriseLineCount = kDeviceCount * kSunSlotCount * kSunriseValuesPerEvent;

// 1-based line of the first value of an event.
constexpr int SunriseEventLine(int device, int slot) {
    return 1 + kSunriseValuesPerEvent * (slot + kSunSlotCount * device);
}

// Fills the whole table from a file's bytes and gives how many events were read.
// The events from a short or damaged one on (a value not of its field's kind, an
// offset that is not a time of day) are left zero.
int ParseSunriseSchedule(std::string_view bytes, SunriseTable& table);
std::string FormatSunriseSchedule(const SunriseTable& table);

// Loads Sunrise.txt, or writes it from the current table when it cannot be opened.
void ReadSunriseScheduleFile(AppState& state, FileTable& files);
// Replaces Sunrise.txt; leaves it as it was when it cannot be written.
void UpdateSunriseScheduleFile(const AppState& state, FileTable& files);

} // namespace tarnwick
