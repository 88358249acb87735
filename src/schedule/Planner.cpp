#include "schedule/Planner.h"

#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include <algorithm>

namespace tarnwick {
namespace {

// The most entries a day can list: the enabled halves of its weekday's records and every
// active sun slot.
std::size_t MostDueInADay(const WeeklyTable& weekly, const SunEventTable& sunEvents, int weekday) {
    std::size_t count = 0;
    for (int d = 0; d < kDeviceCount; ++d) {
        for (const SchedulePair& pair :
             weekly[static_cast<std::size_t>(d)][static_cast<std::size_t>(weekday)])
            count += std::size_t{pair.onEnabled} + std::size_t{pair.offEnabled};
        for (const SunEvent& event : sunEvents[static_cast<std::size_t>(d)])
            count += event.action != SunAction::Nothing ? 1 : 0;
    }
    return count;
}

} // namespace

std::vector<PlannedSwitch> PlanSwitchings(const WeeklyTable& weekly, const SunEventTable& sunEvents,
                                          const Location& location, SunTimes startDaySunTimes, DateTime start,
                                          int days) {
    constexpr int kMinutesPerDay = 24 * 60;
    const DateTime startDate = DateOf(start);
    const int startMinute = MinuteOfDay(start);
    SunTimes sunTimes = startDaySunTimes;
    std::vector<PlannedSwitch> plan;
    // Allocated once: a full table lists over 20,000, and growing to that costs more than the
    // rest of the work.
    std::size_t mostDue = 0;
    for (int day = 0; day <= days; ++day)
        mostDue += MostDueInADay(weekly, sunEvents, WeekdayOf(startDate + day));
    plan.reserve(mostDue);

    for (int day = 0; day <= days; ++day) {
        const DateTime date = startDate + day;
        // Carried from day to day: a day without a sunrise or sunset keeps the last one, as
        // the scheduler's own copy does.
        if (day > 0) CalculateSunTimes(location, date, sunTimes);
        // The scheduler never scans the minute it starts in.
        const int firstMinute = day == 0 ? startMinute + 1 : 0;
        const int lastMinute = day == days ? startMinute : kMinutesPerDay - 1;
        // Each entry is due in exactly one minute of a day: the one its shifted time reads as.
        const auto addIfDue = [&](DateTime base, double shiftMinutes, PlannedSwitch entry) {
            const int minute = MinuteOfDay(AddMinutes(base, shiftMinutes));
            if (minute < firstMinute || minute > lastMinute) return;
            entry.at = date + MakeTime(minute / 60, minute % 60);
            entry.shiftMinutes = shiftMinutes;
            plan.push_back(entry);
        };

        const int weekday = WeekdayOf(date);
        for (int d = 0; d < kDeviceCount; ++d) {
            const std::int32_t onMessage = UnitOnMessage(d / kUnitCount, d % kUnitCount);
            const std::int32_t offMessage = UnitOffMessage(d / kUnitCount, d % kUnitCount);
            const auto& records = weekly[static_cast<std::size_t>(d)][static_cast<std::size_t>(weekday)];
            for (int p = 0; p < kPairCount; ++p) {
                const SchedulePair& pair = records[static_cast<std::size_t>(p)];
                PlannedSwitch entry{.device = d, .origin = PlanOrigin::Weekly, .weekday = weekday, .pair = p};
                if (pair.onEnabled) {
                    entry.on = true;
                    entry.message = onMessage;
                    addIfDue(pair.onTime, pair.onRandomOffset, entry);
                }
                if (pair.offEnabled) {
                    entry.on = false;
                    entry.message = offMessage;
                    addIfDue(pair.offTime, pair.offRandomOffset, entry);
                }
            }
        }

        for (int d = 0; d < kDeviceCount; ++d) {
            for (int k = 0; k < kSunSlotCount; ++k) {
                const SunEvent& event = sunEvents[static_cast<std::size_t>(d)][static_cast<std::size_t>(k)];
                if (event.action == SunAction::Nothing) continue;
                const bool atSunrise = k < 2;
                DateTime base = atSunrise ? sunTimes.sunrise : sunTimes.sunset;
                if (event.when == SunWhen::Before) base = AddMinutes(base, -MinuteOfDay(event.offset));
                if (event.when == SunWhen::After) base = AddMinutes(base, MinuteOfDay(event.offset));
                // Any action but Off switches on, as the scheduler reads it.
                const bool on = event.action != SunAction::Off;
                addIfDue(base, event.random,
                         {.device = d,
                          .on = on,
                          .origin = atSunrise ? PlanOrigin::Sunrise : PlanOrigin::Sunset,
                          .slot = k,
                          .when = event.when,
                          .offset = event.offset,
                          .message = on ? UnitOnMessage(d / kUnitCount, d % kUnitCount)
                                        : UnitOffMessage(d / kUnitCount, d % kUnitCount)});
            }
        }
    }

    // Within a minute the scheduler queues the weekly entries before the sun events, each in
    // the order of its table, which is the order they were added in.
    std::ranges::stable_sort(plan, {}, &PlannedSwitch::at);
    return plan;
}

} // namespace tarnwick
