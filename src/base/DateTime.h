#pragma once
// Date-time values as the data files and tables hold them: days counted from
// 1899-12-30 00:00, the fraction being the time of day.

#include <chrono>
#include <cstdint>

namespace tarnwick {

using DateTime = double;

struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Whole days from 1899-12-30 to the given proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day);

DateTime MakeDate(int year, int month, int day);
DateTime MakeTime(int hour, int minute, int second = 0);
DateTime MakeDateTime(int year, int month, int day, int hour, int minute, int second = 0);

// Split into calendar fields, rounded to the nearest second so that 07:30 stored
// as a binary fraction never reads back as 07:29:59.
CivilDateTime ToCivil(DateTime value);

int HourOf(DateTime value);
int MinuteOf(DateTime value);
// 0 = Sunday .. 6 = Saturday.
int WeekdayOf(DateTime value);
// The date part alone (midnight of the value's day).
DateTime DateOf(DateTime value);
// The time of day alone, in [0, 1).
DateTime TimeOf(DateTime value);

DateTime AddMinutes(DateTime value, double minutes);

// Two values match when hours and minutes are equal; date and seconds are ignored.
bool TimesMatch(DateTime a, DateTime b);

// A local minute with its date, and a local date: the scheduler's calendar.
using LocalMinute = std::chrono::local_time<std::chrono::minutes>;
using LocalDay = std::chrono::local_days;

// The minute a value falls in, rounded to the second first as ToCivil does.
LocalMinute LocalMinuteOf(DateTime value);
DateTime ToDateTime(LocalMinute minute);
// 0 = Sunday .. 6 = Saturday.
int WeekdayOf(LocalDay day);

// The local date and time at the UTC moment utc, with local time offset from UTC.
DateTime LocalDateTimeOf(std::chrono::sys_seconds utc, std::chrono::seconds offset);

// Hour x 60 + minute of the time of day, 0..1439, rounded to the second as ToCivil
// does, so that two values match exactly when their MinuteOfDay values are equal.
int MinuteOfDay(DateTime value);

} // namespace tarnwick
