#pragma once
// Times of day as the time boxes show them: 24-hour "hh:mm", "__:__" when empty.

#include "base/LocalTime.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr std::string_view kEmptyTimeText = "__:__";

// The days by their table number, Sunday = 0.
inline constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                             "Thursday", "Friday", "Saturday"};

// A time of day from a box's text: two digits, ":", two digits, hours 0..23 and
// minutes 0..59. Anything else (partly filled, 24:00, 12:60) gives nullopt.
std::optional<TimeOfDay> ParseBoxTime(std::string_view text);

// "hh:mm"; seconds are not shown.
std::string FormatBoxTime(TimeOfDay time);

} // namespace tarnwick
