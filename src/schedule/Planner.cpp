#include "schedule/Planner.h"

#include "base/TimeText.h"

#include <cmath>

namespace tarnwick {
namespace {

namespace chr = std::chrono;

using UtcMinute = chr::sys_time<chr::minutes>;

// A stretch of UTC minutes over which the local clock keeps one offset.
struct Stretch {
    UtcMinute first;
    UtcMinute last;
    chr::seconds offset;
};

// The stretches from first to last. Offsets are looked at every half hour and a change is
// narrowed down to its minute; no zone changes its offset twice within half an hour.
std::vector<Stretch> StretchesOf(const IClock& clock, UtcMinute first, UtcMinute last) {
    const auto offsetAt = [&](UtcMinute m) { return clock.UtcOffset(chr::sys_seconds{m}); };
    std::vector<Stretch> stretches{{first, last, offsetAt(first)}};
    constexpr chr::minutes kStep{30};
    for (UtcMinute probe = first + kStep;; probe += kStep) {
        const UtcMinute at = std::min(probe, last);
        if (offsetAt(at) != stretches.back().offset) {
            // The first minute with the new offset lies in (before, at].
            UtcMinute before = std::max(at - kStep, stretches.back().first);
            UtcMinute after = at;
            while (after - before > chr::minutes{1}) {
                const UtcMinute middle = before + (after - before) / 2;
                (offsetAt(middle) == stretches.back().offset ? before : after) = middle;
            }
            stretches.back().last = after - chr::minutes{1};
            stretches.push_back({after, last, offsetAt(after)});
        }
        if (at == last) break;
    }
    return stretches;
}

} // namespace

std::vector<PlannedSwitch> PlanSwitchings(const DueTables& tables, const FiringMarks& marks,
                                          LocalMinute lastScanned, const IClock& clock, chr::sys_seconds now,
                                          int days) {
    const UtcMinute first = chr::floor<chr::minutes>(now);
    const UtcMinute last = first + chr::days{days};
    FiringMarks planned = marks;
    std::vector<PlannedSwitch> plan;
    // The scheduler scans the minutes as the local clock shows them, one stretch at a time.
    for (const Stretch& stretch : StretchesOf(clock, first, last)) {
        const auto local = [&](UtcMinute m) {
            return LocalMinute{chr::floor<chr::minutes>(m.time_since_epoch() + stretch.offset)};
        };
        const LocalMinute from = local(stretch.first);
        const LocalMinute to = local(stretch.last);
        const ScanStep step = NextScan(lastScanned, from);
        if (step.catchUpFirst) {
            const LocalMinute missedLast = from - chr::minutes{1};
            const std::vector<PlannedSwitch> missed =
                DueBetween(tables, planned, *step.catchUpFirst, missedLast);
            for (PlannedSwitch s : CatchUpSends(missed, planned, *step.catchUpFirst, missedLast)) {
                s.at = from;
                s.catchUp = true;
                plan.push_back(s);
            }
            for (const PlannedSwitch& s : missed) planned.Mark(s);
        }
        // After a small step back the minutes scanned already are waited out.
        const LocalMinute scanFrom = step.scanNow ? from : lastScanned + chr::minutes{1};
        if (scanFrom > to) continue;
        for (const PlannedSwitch& s : DueBetween(tables, planned, scanFrom, to)) {
            planned.Mark(s);
            plan.push_back(s);
        }
        lastScanned = to;
    }
    return plan;
}

std::string PlannedByText(const PlannedSwitch& s, std::chrono::minutes randomInterval) {
    std::string text;
    if (s.origin == PlanOrigin::Weekly) {
        text = std::string(kWeekdayNames[static_cast<std::size_t>(s.weekday)]) + ", pair " +
               std::to_string(s.pair + 1);
    } else {
        const std::string sun = s.origin == PlanOrigin::Sunrise ? "sunrise" : "sunset";
        const std::string offset = FormatBoxTime(TimeOfDay(s.offset));
        text = s.when == SunWhen::Before  ? offset + " before " + sun
               : s.when == SunWhen::After ? offset + " after " + sun
                                          : "at " + sun;
    }
    // Its minute went by unscanned (the clock skips it): it goes out at the next one.
    if (s.catchUp) text += ", caught up";
    // The shift is drawn anew each time the entry fires: only this firing's time is known.
    if (s.randomised)
        text += ", randomized (now " + std::to_string(s.shift.count()) + " min, interval " +
                std::to_string(randomInterval.count()) + " min)";
    return text;
}

} // namespace tarnwick
