#include "base/LocalTime.h"

#include <cstdio>

namespace tarnwick {

LocalFields FieldsOf(LocalSeconds at) {
    namespace chr = std::chrono;
    const LocalDay day = chr::floor<chr::days>(at);
    const chr::year_month_day date{day};
    const TimeOfDay time = TimeOfDay::Of(at);
    return {.year = static_cast<int>(date.year()),
            .month = static_cast<int>(static_cast<unsigned>(date.month())),
            .day = static_cast<int>(static_cast<unsigned>(date.day())),
            .hour = time.Hour(),
            .minute = time.MinuteOfHour(),
            .second = time.Second(),
            .weekday = WeekdayOf(day)};
}

std::string MinuteText(LocalMinute minute) {
    const LocalFields t = FieldsOf(minute);
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", t.year % 10000, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

} // namespace tarnwick
