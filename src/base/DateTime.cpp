#include "base/DateTime.h"

#include <chrono>
#include <cmath>

namespace tarnwick {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

namespace chr = std::chrono;

constexpr chr::sys_days kEpoch = chr::sys_days{chr::year{1899} / chr::December / 30};

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

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

} // namespace

DateTime MakeDate(int year, int month, int day) {
    const chr::year_month_day date{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                   chr::day{static_cast<unsigned>(day)}};
    return static_cast<DateTime>((chr::sys_days{date} - kEpoch).count());
}

DateTime MakeTime(int hour, int minute, int second) {
    return static_cast<DateTime>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

CivilDateTime ToCivil(DateTime value) {
    const std::int64_t total = TotalSeconds(value);
    const std::int64_t days = FloorDiv(total, kSecondsPerDay);
    const std::int64_t secs = total - days * kSecondsPerDay;
    const chr::year_month_day date{kEpoch + chr::days{days}};
    CivilDateTime c;
    c.year = static_cast<int>(date.year());
    c.month = static_cast<int>(static_cast<unsigned>(date.month()));
    c.day = static_cast<int>(static_cast<unsigned>(date.day()));
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

TimeOfDay TimeOfDayOf(DateTime value) {
    return TimeOfDay(chr::seconds{TotalSeconds(value)});
}

DateTime ToDateTime(TimeOfDay time) {
    return static_cast<DateTime>(time.SinceMidnight().count()) / kSecondsPerDay;
}

} // namespace tarnwick
