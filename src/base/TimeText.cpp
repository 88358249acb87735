#include "base/TimeText.h"

#include <cstdio>

namespace tarnwick {
namespace {
bool Digit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<TimeOfDay> ParseBoxTime(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    for (int i : {0, 1, 3, 4})
        if (!Digit(text[i])) return std::nullopt;
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (hours > 23 || minutes > 59) return std::nullopt;
    return TimeOfDay(hours, minutes);
}

std::string FormatBoxTime(TimeOfDay time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.Hour(), time.MinuteOfHour());
    return text;
}

} // namespace tarnwick
