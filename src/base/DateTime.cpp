#include "base/DateTime.h"

#include <chrono>
#include <cmath>

namespace tarnwick {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

namespace chr = std::chrono;

// Day 0, a local date: the calendar is the same whatever the zone.
constexpr LocalDay kEpoch{chr::year{1899} / chr::December / 30};

// Whole seconds since the epoch; values far outside the calendar's years (about
// -27000..29000, more than any file holds) are clamped.
std::int64_t TotalSeconds(DateTime value) {
    if (!std::isfinite(value)) return 0;
    const double s = std::round(value * kSecondsPerDay);
    constexpr double kLimit = 1e7 * kSecondsPerDay;
    if (s > kLimit) return static_cast<std::int64_t>(kLimit);
    if (s < -kLimit) return static_cast<std::int64_t>(-kLimit);
    return static_cast<std::int64_t>(s);
}

} // namespace

DateTime MakeDate(int year, int month, int day) {
    const chr::year_month_day date{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                   chr::day{static_cast<unsigned>(day)}};
    return static_cast<DateTime>((LocalDay{date} - kEpoch).count());
}

DateTime MakeTime(int hour, int minute, int second) {
    return static_cast<DateTime>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

LocalSeconds LocalTimeOf(DateTime value) {
    return LocalSeconds{kEpoch} + chr::seconds{TotalSeconds(value)};
}

TimeOfDay TimeOfDayOf(DateTime value) {
    return TimeOfDay(chr::seconds{TotalSeconds(value)});
}

DateTime ToDateTime(TimeOfDay time) {
    return static_cast<DateTime>(time.SinceMidnight().count()) / kSecondsPerDay;
}

} // namespace tarnwick
