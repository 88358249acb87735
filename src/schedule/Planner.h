#pragma once
// The switchings the scheduler will make over the coming days, worked out from the
// tables without running it: each weekly entry and sun event in the minute the
// scheduler's scan would find it due, in the order it would queue them.

#include "base/DateTime.h"
#include "base/Settings.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"

#include <cstdint>
#include <vector>

namespace tarnwick {

enum class PlanOrigin { Weekly, Sunrise, Sunset };

struct PlannedSwitch {
    DateTime at = 0; // local date and time of the minute it fires, a whole minute
    int device = 0;  // 0..255
    bool on = false;
    PlanOrigin origin = PlanOrigin::Weekly;
    // A weekly entry's record: its weekday (Sunday = 0), always the weekday of at, since a
    // shift over midnight wraps round within the record's own day, and its pair, 0..3.
    int weekday = 0;
    int pair = 0;
    // A sun event's slot, 0..3, and how it stands to the sunrise or sunset.
    int slot = 0;
    SunWhen when = SunWhen::At;
    DateTime offset = 0;
    // The random shift in minutes as it stands now; 0 = not randomised. The scheduler draws
    // a new one each time the entry fires, so only its first firing is sure to be on time.
    double shiftMinutes = 0;
    std::int32_t message = 0; // the message number the scheduler queues
    bool Randomised() const { return shiftMinutes != 0; }
    bool operator==(const PlannedSwitch&) const = default;
};

// Every switching the scheduler makes in the minutes after start's minute, up to and
// including the same minute days days later, in the order it queues them.
// startDaySunTimes are the sun times the scheduler holds for start's date; every later
// date's are computed from them, as the scheduler does at each change of date.
std::vector<PlannedSwitch> PlanSwitchings(const WeeklyTable& weekly, const SunEventTable& sunEvents,
                                          const Location& location, SunTimes startDaySunTimes, DateTime start,
                                          int days = 7);

} // namespace tarnwick
