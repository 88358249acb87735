#include "schedule/Due.h"

#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include <algorithm>
#include <bitset>
#include <tuple>

namespace tarnwick {
namespace {

namespace chr = std::chrono;

std::size_t WeeklyIndex(int device, int weekday, int pair, bool on) {
    return static_cast<std::size_t>(((device * kWeekdayCount + weekday) * kPairCount + pair) * 2 +
                                    (on ? 0 : 1));
}

std::int32_t DayNumber(LocalDay day) {
    return static_cast<std::int32_t>(day.time_since_epoch().count());
}

// A shift of a day or more comes only from a hand-edited file; it keeps its time of day, so
// that no shift moves a switching further than into the day before or after.
chr::minutes WithinADay(chr::minutes shift) {
    return shift % chr::days{1};
}

// The sun times of each day from first to last, worked out day by day from the day the
// tables hold them for: a day without a sunrise or sunset keeps the one before, as the
// scheduler's own copy does at each change of date.
std::vector<SunTimes> SunTimesOfDays(const DueTables& tables, LocalDay first, LocalDay last) {
    SunTimes times = tables.sunTimes;
    LocalDay day = tables.sunDay;
    // Far off (a clock set years wrong): start on the first day itself.
    if (chr::abs(first - day) > chr::days{400}) {
        day = first;
        CalculateSunTimes(tables.location, day, times);
    }
    while (day > first) CalculateSunTimes(tables.location, (day -= chr::days{1}), times);
    while (day < first) CalculateSunTimes(tables.location, (day += chr::days{1}), times);
    std::vector<SunTimes> days{times};
    for (day = first + chr::days{1}; day <= last; day += chr::days{1}) {
        if (day != tables.sunDay)
            CalculateSunTimes(tables.location, day, times);
        else
            times = tables.sunTimes;
        days.push_back(times);
    }
    return days;
}

} // namespace

FiringMarks::FiringMarks()
    : weekly_(static_cast<std::size_t>(kDeviceCount * kWeekdayCount * kPairCount * 2)),
      sun_(static_cast<std::size_t>(kDeviceCount * kSunSlotCount)) {}

std::size_t FiringMarks::IndexOf(const PlannedSwitch& s) const {
    if (s.origin == PlanOrigin::Weekly) return WeeklyIndex(s.device, s.weekday, s.pair, s.on);
    return static_cast<std::size_t>(s.device * kSunSlotCount + s.slot);
}

bool FiringMarks::Fired(const PlannedSwitch& s) const {
    const Firing& mark = (s.origin == PlanOrigin::Weekly ? weekly_ : sun_)[IndexOf(s)];
    return mark.day == DayNumber(s.day) && mark.base == s.baseMinute.count();
}

void FiringMarks::Mark(const PlannedSwitch& s) {
    Firing& mark = (s.origin == PlanOrigin::Weekly ? weekly_ : sun_)[IndexOf(s)];
    if (mark.day > DayNumber(s.day)) return;
    mark = {DayNumber(s.day), static_cast<std::int16_t>(s.baseMinute.count()),
            static_cast<std::int32_t>(s.at.time_since_epoch().count())};
}

bool SameOccurrence(const PlannedSwitch& a, const PlannedSwitch& b) {
    const bool sameEntry =
        a.origin == PlanOrigin::Weekly
            ? b.origin == PlanOrigin::Weekly && a.weekday == b.weekday && a.pair == b.pair && a.on == b.on
            : b.origin != PlanOrigin::Weekly && a.slot == b.slot;
    return sameEntry && a.device == b.device && a.day == b.day && a.baseMinute == b.baseMinute;
}

std::vector<PlannedSwitch> FiringMarks::MarkedSince(LocalDay first) const {
    std::vector<PlannedSwitch> marked;
    const std::int32_t firstDay = DayNumber(first);
    for (std::size_t i = 0; i < weekly_.size(); ++i) {
        if (weekly_[i].day < firstDay) continue;
        const int n = static_cast<int>(i);
        marked.push_back({.at = LocalMinute{chr::minutes{weekly_[i].at}},
                          .day = LocalDay{chr::days{weekly_[i].day}},
                          .device = n / 2 / kPairCount / kWeekdayCount,
                          .on = n % 2 == 0,
                          .origin = PlanOrigin::Weekly,
                          .weekday = n / 2 / kPairCount % kWeekdayCount,
                          .pair = n / 2 % kPairCount,
                          .baseMinute = chr::minutes{weekly_[i].base}});
    }
    for (std::size_t i = 0; i < sun_.size(); ++i) {
        if (sun_[i].day < firstDay) continue;
        const int n = static_cast<int>(i);
        const int slot = n % kSunSlotCount;
        marked.push_back({.at = LocalMinute{chr::minutes{sun_[i].at}},
                          .day = LocalDay{chr::days{sun_[i].day}},
                          .device = n / kSunSlotCount,
                          .origin = slot < 2 ? PlanOrigin::Sunrise : PlanOrigin::Sunset,
                          .slot = slot,
                          .baseMinute = chr::minutes{sun_[i].base}});
    }
    return marked;
}

std::vector<PlannedSwitch> DueBetween(const DueTables& tables, const FiringMarks& marks, LocalMinute first,
                                      LocalMinute last) {
    std::vector<PlannedSwitch> due;
    if (last < first) return due;
    const LocalDay firstDay = chr::floor<chr::days>(first);
    const LocalDay lastDay = chr::floor<chr::days>(last);
    const auto add = [&](PlannedSwitch s) {
        if (s.at >= first && s.at <= last && !marks.Fired(s)) due.push_back(s);
    };

    // A shift may carry a weekly entry over midnight, so the days either side count too.
    for (LocalDay day = firstDay - chr::days{1}; day <= lastDay + chr::days{1}; day += chr::days{1}) {
        const int weekday = WeekdayOf(day);
        for (int d = 0; d < kDeviceCount; ++d) {
            const auto& records =
                tables.weekly[static_cast<std::size_t>(d)][static_cast<std::size_t>(weekday)];
            for (int p = 0; p < kPairCount; ++p) {
                const SchedulePair& pair = records[static_cast<std::size_t>(p)];
                for (const bool on : {true, false}) {
                    const ScheduleTime& half = pair.Half(on);
                    if (!half.enabled) continue;
                    const chr::minutes shift = half.randomised ? WithinADay(half.shift) : chr::minutes{0};
                    const chr::minutes base = half.time.Minute();
                    const LocalMinute at = LocalMinute{day} + base + shift;
                    if (at < first || at > last) continue; // most are: checked before building one
                    add({.at = at,
                         .day = day,
                         .device = d,
                         .on = on,
                         .weekday = weekday,
                         .pair = p,
                         .randomised = half.randomised,
                         .shift = shift,
                         .baseMinute = base,
                         .message = on ? UnitOnMessage(d / kUnitCount, d % kUnitCount)
                                       : UnitOffMessage(d / kUnitCount, d % kUnitCount)});
                }
            }
        }
    }

    // A sun event fires every day, at its time of that day.
    const std::vector<SunTimes> sunTimes = SunTimesOfDays(tables, firstDay, lastDay);
    for (LocalDay day = firstDay; day <= lastDay; day += chr::days{1}) {
        const SunTimes& times = sunTimes[static_cast<std::size_t>((day - firstDay).count())];
        for (int d = 0; d < kDeviceCount; ++d) {
            for (int k = 0; k < kSunSlotCount; ++k) {
                const SunEvent& event =
                    tables.sunEvents[static_cast<std::size_t>(d)][static_cast<std::size_t>(k)];
                if (event.action == SunAction::Nothing) continue;
                const bool atSunrise = k < 2;
                // Before or after, and the shift, wrap within the day.
                const chr::minutes offset = chr::floor<chr::minutes>(event.offset);
                const chr::minutes shift = event.randomised ? event.shift : chr::minutes{0};
                TimeOfDay base = atSunrise ? times.sunrise : times.sunset;
                if (event.when == SunWhen::Before) base = TimeOfDay(base.SinceMidnight() - offset);
                if (event.when == SunWhen::After) base = TimeOfDay(base.SinceMidnight() + offset);
                const LocalMinute at = LocalMinute{day} + TimeOfDay(base.SinceMidnight() + shift).Minute();
                if (at < first || at > last) continue;
                // Any action but Off switches on, as the scan reads it.
                const bool on = event.action != SunAction::Off;
                add({.at = at,
                     .day = day,
                     .device = d,
                     .on = on,
                     .origin = atSunrise ? PlanOrigin::Sunrise : PlanOrigin::Sunset,
                     .slot = k,
                     .when = event.when,
                     .offset = offset,
                     .randomised = event.randomised,
                     .shift = shift,
                     .baseMinute = base.Minute(),
                     .message = on ? UnitOnMessage(d / kUnitCount, d % kUnitCount)
                                   : UnitOffMessage(d / kUnitCount, d % kUnitCount)});
            }
        }
    }

    const auto key = [](const PlannedSwitch& s) {
        return std::tuple(s.at, s.origin != PlanOrigin::Weekly, s.device, s.pair, !s.on, s.slot);
    };
    std::ranges::sort(due, [&](const PlannedSwitch& a, const PlannedSwitch& b) { return key(a) < key(b); });
    return due;
}

std::vector<PlannedSwitch> LastOfEachDevice(const std::vector<PlannedSwitch>& due) {
    std::vector<PlannedSwitch> last;
    std::bitset<kDeviceCount> seen;
    for (auto it = due.rbegin(); it != due.rend(); ++it) {
        if (seen.test(static_cast<std::size_t>(it->device))) continue;
        seen.set(static_cast<std::size_t>(it->device));
        last.push_back(*it);
    }
    std::ranges::reverse(last);
    return last;
}

std::vector<PlannedSwitch> CatchUpSends(const std::vector<PlannedSwitch>& due, const FiringMarks& marks,
                                        LocalMinute first, LocalMinute last) {
    std::vector<PlannedSwitch> happened = due;
    // A shift moves an occurrence less than a day from its day.
    for (const PlannedSwitch& s : marks.MarkedSince(chr::floor<chr::days>(first) - chr::days{1}))
        if (s.at >= first && s.at <= last) happened.push_back(s);
    // What went out comes before what is due in the same minute, so the one due is sent.
    std::ranges::stable_sort(happened, [&](const PlannedSwitch& a, const PlannedSwitch& b) {
        return std::pair(a.at, !marks.Fired(a)) < std::pair(b.at, !marks.Fired(b));
    });
    std::vector<PlannedSwitch> send = LastOfEachDevice(happened);
    std::erase_if(send, [&](const PlannedSwitch& s) { return marks.Fired(s); });
    return send;
}

ScanStep NextScan(LocalMinute lastScanned, LocalMinute now) {
    ScanStep step{.catchUpFirst = std::nullopt, .scanNow = false, .lastScanned = lastScanned};
    if (now == lastScanned) return step;
    if (now < lastScanned && lastScanned - now <= kSetBackWait) return step;
    if (now > lastScanned + chr::minutes{1})
        step.catchUpFirst = std::max(lastScanned + chr::minutes{1}, now - kCatchUpWindow);
    step.scanNow = true;
    step.lastScanned = now;
    return step;
}

} // namespace tarnwick
