#pragma once
// The timer's work: once in every new minute it queues the weekly entries and sunrise and
// sunset events that fall due, and on every tick it sends at most one queued message.
// Minutes are dated and each is scanned once: minutes the clock passes by (sleep, a clock
// set forward, the start of daylight time) are caught up, each device getting the last
// command that fell due for it, and minutes the clock brings round again are not repeated.

#include "base/Interfaces.h"
#include "base/Settings.h"
#include "schedule/Due.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"
#include "x10/MessageQueue.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace tarnwick {

class Scheduler {
public:
    Scheduler(WeeklyTable& weekly, SunEventTable& sunEvents, SunTimes& sunTimes, const Settings& settings,
              MessageQueue& queue, IRandom& random, IMessageSender& sender);

    // The moment the program starts, when today's sun times were computed: its minute is
    // never scanned. With catchUp, each device's last switching due in the week up to and
    // including that minute is queued first. scannedBefore is the last minute an earlier run
    // scanned: one ahead of the clock by no more than the wait for a clock set back is waited
    // out; resuming (taking over from another program), the minutes after it are scanned
    // (caught up) instead of a catch-up. fired are occurrences an earlier run sent (its
    // CarriedMarks), none of which goes out again.
    void Start(LocalSeconds now, bool catchUp = false,
               std::optional<LocalMinute> scannedBefore = std::nullopt, bool resume = false,
               const std::vector<PlannedSwitch>& fired = {});
    // Stops scanning: from now on a tick only sends what waits, so that the folder can be
    // handed over with no minute scanned twice.
    void StopScanning() { scanning_ = false; }
    int WaitingCount() const { return queue_.WaitingCount(); }
    // One timer tick, every 1500 ms, at the local time now; true when a new minute was scanned.
    bool Tick(LocalSeconds now);

    // What the scan reads, and what it has done: enough to plan what comes next.
    DueTables Tables() const;
    const FiringMarks& Marks() const { return marks_; }
    // The occurrences sent that a new shift could bring round again or move in time: those of
    // the entries randomised now, as far back as a catch-up looks. The next run is told of them,
    // so that none goes out twice and a catch-up knows when each went out.
    std::vector<PlannedSwitch> CarriedMarks() const;
    LocalMinute LastScanned() const { return lastScanned_; }
    // How many shifts have been drawn for weekly entries and for sun events: a change of
    // either is a change of its table.
    std::pair<std::uint64_t, std::uint64_t> Draws() const { return {weeklyDraws_, sunDraws_}; }

private:
    void RefreshSunTimes(LocalDay today);
    // Marks each as gone out and draws the next shift of each randomised one.
    void Fire(const std::vector<PlannedSwitch>& due);
    void CatchUp(LocalMinute first, LocalMinute last);

    WeeklyTable& weekly_;
    SunEventTable& sunEvents_;
    SunTimes& sunTimes_;
    const Settings& settings_;
    MessageQueue& queue_;
    IRandom& random_;
    IMessageSender& sender_;
    LocalMinute lastScanned_{};
    LocalDay sunDay_{}; // the local date the sun times belong to
    bool scanning_ = true;
    std::uint64_t weeklyDraws_ = 0;
    std::uint64_t sunDraws_ = 0;
    FiringMarks marks_;
    // What the scan queued and the queue has not sent yet, by ticket, oldest first.
    std::deque<std::pair<std::uint64_t, PlannedSwitch>> waiting_;
};

// The frame source of a switching from the timetables.
FrameSource SourceOf(const PlannedSwitch& s);

} // namespace tarnwick
