#pragma once
// What falls due in a range of local minutes: the one rule that the scheduler's scan of each
// new minute, its catch-up over minutes the clock passed by, and the week's plan all follow.

#include "base/LocalTime.h"
#include "base/Settings.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

enum class PlanOrigin { Weekly, Sunrise, Sunset };

// One switching that falls due.
struct PlannedSwitch {
    LocalMinute at{}; // the local minute it goes out in
    // The day it belongs to: a weekly entry's record's date (a shift may carry it over
    // midnight into the day before or after), or the day whose sunrise or sunset it follows.
    LocalDay day{};
    int device = 0; // 0..255
    bool on = false;
    PlanOrigin origin = PlanOrigin::Weekly;
    // A weekly entry's record: its weekday (Sunday = 0) and pair, 0..3.
    int weekday = 0;
    int pair = 0;
    // A sun event's slot, 0..3, and how it stands to the sunrise or sunset.
    int slot = 0;
    SunWhen when = SunWhen::At;
    std::chrono::minutes offset{0};
    // The random shift as it stands now. A new one is drawn each time the entry fires, so
    // only its next firing is sure to be on time.
    bool randomised = false;
    std::chrono::minutes shift{0};
    // Minute of day of the unshifted time: an entry moved after it fired fires again.
    std::chrono::minutes baseMinute{0};
    // Due in minutes the clock passed by: it goes out late, at the next minute scanned.
    bool catchUp = false;
    std::int32_t message = 0; // the message number queued
    bool operator==(const PlannedSwitch&) const = default;
};

// The tables a scan reads, with the sun times held for one day; other days' sun times are
// worked out from them.
struct DueTables {
    const WeeklyTable& weekly;
    const SunEventTable& sunEvents;
    const Location& location;
    LocalDay sunDay;
    SunTimes sunTimes;
};

// Which occurrence of each entry has gone out, so that none goes out twice: a new random
// shift drawn as it fires, or a clock set back, would otherwise bring its minute round again.
class FiringMarks {
public:
    FiringMarks();
    bool Fired(const PlannedSwitch& s) const;
    // Marks s as gone out, unless a later occurrence of its entry is marked already (a
    // catch-up reaching back over one that went out).
    void Mark(const PlannedSwitch& s);
    // The last occurrence marked of each entry, from the day first on: the entry (origin,
    // device, weekday and pair or slot, on), its day, its unshifted minute and the minute it
    // went out in (at).
    std::vector<PlannedSwitch> MarkedSince(LocalDay first) const;

private:
    struct Firing {
        std::int32_t day = INT32_MIN; // days since 1970 of the occurrence
        std::int16_t base = -1;
        std::int32_t at = 0; // minutes since 1970 when it went out
    };
    std::size_t IndexOf(const PlannedSwitch& s) const;
    std::vector<Firing> weekly_; // device, weekday, pair, on/off
    std::vector<Firing> sun_;    // device, slot
};

// Every switching due in the local minutes from first to last, both included, that has not
// gone out yet: in the order they are queued, by minute, then the weekly entries by device,
// pair, on before off, then the sun events by device and slot.
std::vector<PlannedSwitch> DueBetween(const DueTables& tables, const FiringMarks& marks, LocalMinute first,
                                      LocalMinute last);

// The same occurrence of the same entry.
bool SameOccurrence(const PlannedSwitch& a, const PlannedSwitch& b);

// Of the switchings due, the last one of each device, in the order they fell due: what a
// catch-up sends, since only the last command for a device still matters.
std::vector<PlannedSwitch> LastOfEachDevice(const std::vector<PlannedSwitch>& due);

// What a catch-up over the minutes first to last sends, given due, what DueBetween gives for
// them: of those and of the switchings that went out in them, at the minutes they went out,
// the last of each device, unless that one went out already.
std::vector<PlannedSwitch> CatchUpSends(const std::vector<PlannedSwitch>& due, const FiringMarks& marks,
                                        LocalMinute first, LocalMinute last);

// A catch-up looks back at most a week; a clock set back by at most two hours (the end of
// daylight time, a small correction) waits for the minutes it has scanned already.
inline constexpr std::chrono::minutes kCatchUpWindow = std::chrono::days{7};
inline constexpr std::chrono::minutes kSetBackWait = std::chrono::hours{2};

// What a tick does when the clock reads now and the last minute scanned was lastScanned.
struct ScanStep {
    std::optional<LocalMinute> catchUpFirst; // the minutes passed by, first to now - 1
    bool scanNow = false;
    LocalMinute lastScanned{};
};
ScanStep NextScan(LocalMinute lastScanned, LocalMinute now);

} // namespace tarnwick
