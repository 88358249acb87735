#include "base/DateTime.h"

#include <cmath>

namespace tarnwick {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 (H. Hinnant's algorithm, valid for the whole proleptic calendar).
constexpr std::int64_t DaysFromUnixEpoch(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromUnixDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// constexpr: MakeDate may run during the static initialisation of other files.
constexpr std::int64_t kEpochUnixDays = DaysFromUnixEpoch(1899, 12, 30);

// Whole seconds since the epoch; values far outside any calendar are clamped.
std::int64_t TotalSeconds(DateTime value) {
    if (!std::isfinite(value)) return 0;
    const double s = std::round(value * kSecondsPerDay);
    constexpr double kLimit = 1e15;
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
    return DaysFromUnixEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochUnixDays;
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
    CivilDateTime c;
    CivilFromUnixDays(days + kEpochUnixDays, c.year, c.month, c.day);
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
    // 1899-12-30 was a Saturday.
    const std::int64_t days = FloorDiv(TotalSeconds(value), kSecondsPerDay);
    return static_cast<int>(((days % 7) + 7 + 6) % 7);
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

} // namespace tarnwick
