#pragma once
// Date-time values as the data files hold them: days counted from 1899-12-30 00:00, the
// fraction being the time of day. Only the files' readers and writers deal in them.

#include "base/LocalTime.h"

#include <cstdint>

namespace tarnwick {

using DateTime = double;

DateTime MakeDate(int year, int month, int day);
DateTime MakeTime(int hour, int minute, int second = 0);

// The local date and time a value stands for, rounded to the nearest second so that 07:30
// stored as a binary fraction never reads back as 07:29:59.
LocalSeconds LocalTimeOf(DateTime value);

// The time of day of a value, rounded to the second as LocalTimeOf does; its date is dropped.
TimeOfDay TimeOfDayOf(DateTime value);
DateTime ToDateTime(TimeOfDay time);

} // namespace tarnwick
