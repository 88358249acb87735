#pragma once
// Today's sunrise and sunset at the stored location, to the minute, from the
// low-precision solar series of Van Flandern and Pulkkinen (1979).

#include "base/Settings.h"
#include "sun/SunEvents.h"

#include <cstdint>
#include <optional>

namespace tarnwick {

// Calendar date to day count, as the calculator does it (Julian calendar before 1583).
struct SolarDayCount {
    double J = 0; // J + F is the Julian date of the day's 0 h Greenwich
    double F = 0; // always 0.5 for a whole day
    double T = 0; // days from 2000 January 1.5 to 0 h Greenwich of the date
};
SolarDayCount DayCountOf(int year, int month, int day);

// Where within the hour (0..1) the parabola through v0, v1 and v2, the horizon
// distances at the start, middle and end of an hour whose ends have opposite signs,
// crosses zero; nothing when the parabola has no real root or is flat.
std::optional<double> HourCrossing(double v0, double v1, double v2);

// Sets the sunrise and sunset of the date of today at place; an event the day does not
// have keeps its old value.
void CalculateSunTimes(const Location& place, LocalDay today, SunTimes& times);

// 0 or -1 hour, added to the time zone: -1 while daylight saving time is in force on today's date.
std::int16_t DaylightSavingHours(const Location& place, LocalDay today);

} // namespace tarnwick
