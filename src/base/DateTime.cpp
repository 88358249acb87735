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

std::int64_t DaysFromCivil(int year, int month, int day) {
    const chr::year_month_day date{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                   chr::day{static_cast<unsigned>(day)}};
    return (chr::sys_days{date} - kEpoch).count();
}

DateTime MakeDate(int year, int month, int day) {
    return static_cast<DateTime>(DaysFromCivil(year, month, day));
}

DateTime MakeTime(int hour, int minute, int second) {
    return static_cast<DateTime>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

DateTime MakeDateTime(int year, int month, int day, int hour, int minute, int second) {
    return MakeDate(year, month, day) + MakeTime(hour, minute, second);
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

int HourOf(DateTime value) {
    return ToCivil(value).hour;
}
int MinuteOf(DateTime value) {
    return ToCivil(value).minute;
}

int WeekdayOf(DateTime value) {
    const std::int64_t days = FloorDiv(TotalSeconds(value), kSecondsPerDay);
    return static_cast<int>(chr::weekday{kEpoch + chr::days{days}}.c_encoding());
}

DateTime DateOf(DateTime value) {
    return static_cast<DateTime>(FloorDiv(TotalSeconds(value), kSecondsPerDay));
}

DateTime TimeOf(DateTime value) {
    const std::int64_t total = TotalSeconds(value);
    return static_cast<DateTime>(total - FloorDiv(total, kSecondsPerDay) * kSecondsPerDay) / kSecondsPerDay;
}

DateTime AddMinutes(DateTime value, double minutes) {
    return value + minutes / (24.0 * 60.0);
}

bool TimesMatch(DateTime a, DateTime b) {
    const CivilDateTime x = ToCivil(a);
    const CivilDateTime y = ToCivil(b);
    return x.hour == y.hour && x.minute == y.minute;
}

int MinuteOfDay(DateTime value) {
    const std::int64_t total = TotalSeconds(value);
    return static_cast<int>((total - FloorDiv(total, kSecondsPerDay) * kSecondsPerDay) / 60);
}

// The epoch as a local date: the calendar is the same whatever the zone.
constexpr LocalDay kLocalEpoch{chr::year{1899} / chr::December / 30};

LocalMinute LocalMinuteOf(DateTime value) {
    return LocalMinute{chr::duration_cast<chr::minutes>(kLocalEpoch.time_since_epoch())} +
           chr::minutes{FloorDiv(TotalSeconds(value), 60)};
}

DateTime ToDateTime(LocalMinute minute) {
    const std::int64_t total = (minute - kLocalEpoch).count();
    const std::int64_t days = FloorDiv(total, 24 * 60);
    // Built as MakeDateTime builds it, so the two compare equal.
    return static_cast<DateTime>(days) +
           static_cast<DateTime>((total - days * 24 * 60) * 60) / kSecondsPerDay;
}

int WeekdayOf(LocalDay day) {
    return static_cast<int>(chr::weekday{day}.c_encoding());
}

DateTime LocalDateTimeOf(chr::sys_seconds utc, chr::seconds offset) {
    const std::int64_t local = (utc.time_since_epoch() + offset).count();
    const std::int64_t days = FloorDiv(local, kSecondsPerDay);
    const std::int64_t fromEpoch = days + (chr::sys_days{} - kEpoch).count();
    return static_cast<DateTime>(fromEpoch) +
           static_cast<DateTime>(local - days * kSecondsPerDay) / kSecondsPerDay;
}

} // namespace tarnwick
