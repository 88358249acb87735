#include "schedule/Scheduler.h"

#include "base/RandomOffset.h"
#include "sun/Solar.h"

namespace tarnwick {

FrameSource SourceOf(const PlannedSwitch& s) {
    if (s.catchUp) return FrameSource::CatchUp;
    switch (s.origin) {
    case PlanOrigin::Weekly:
        return FrameSource::Schedule;
    case PlanOrigin::Sunrise:
        return FrameSource::Sunrise;
    case PlanOrigin::Sunset:
        return FrameSource::Sunset;
    }
    return FrameSource::Schedule;
}

Scheduler::Scheduler(WeeklyTable& weekly, SunEventTable& sunEvents, SunTimes& sunTimes,
                     const Settings& settings, MessageQueue& queue, IRandom& random, IMessageSender& sender)
    : weekly_(weekly), sunEvents_(sunEvents), sunTimes_(sunTimes), settings_(settings), queue_(queue),
      random_(random), sender_(sender) {}

DueTables Scheduler::Tables() const {
    return {weekly_, sunEvents_, settings_.location, sunDay_, sunTimes_};
}

void Scheduler::Start(LocalSeconds now, bool catchUp, std::optional<LocalMinute> scannedBefore, bool resume,
                      const std::vector<PlannedSwitch>& fired) {
    for (const PlannedSwitch& s : fired) marks_.Mark(s);
    lastScanned_ = std::chrono::floor<std::chrono::minutes>(now);
    sunDay_ = std::chrono::floor<std::chrono::days>(lastScanned_);
    // The minutes the last run scanned ahead of this clock (the hour repeated as daylight time
    // ends) are waited out, as a running scheduler waits them out.
    if (scannedBefore && *scannedBefore > lastScanned_ && *scannedBefore - lastScanned_ <= kSetBackWait) {
        lastScanned_ = *scannedBefore;
        return;
    }
    // Taking over, the minutes after the other's last are scanned; one long gone is a clock
    // that moved: start afresh.
    if (resume && scannedBefore && *scannedBefore <= lastScanned_ &&
        lastScanned_ - *scannedBefore <= kCatchUpWindow) {
        lastScanned_ = *scannedBefore;
        return;
    }
    if (catchUp) CatchUp(lastScanned_ - kCatchUpWindow + std::chrono::minutes{1}, lastScanned_);
}

bool Scheduler::Tick(LocalSeconds now) {
    if (!scanning_) {
        queue_.SendNext(sender_);
        return false;
    }
    const LocalMinute minute = std::chrono::floor<std::chrono::minutes>(now);
    RefreshSunTimes(std::chrono::floor<std::chrono::days>(minute));
    const ScanStep step = NextScan(lastScanned_, minute);
    if (step.catchUpFirst) CatchUp(*step.catchUpFirst, minute - std::chrono::minutes{1});
    if (step.scanNow) {
        const std::vector<PlannedSwitch> due = DueBetween(Tables(), marks_, minute, minute);
        for (const PlannedSwitch& s : due)
            waiting_.emplace_back(queue_.Queue(static_cast<std::int16_t>(s.message), SourceOf(s)), s);
        Fire(due);
    }
    lastScanned_ = step.lastScanned;
    queue_.SendNext(sender_);
    while (!waiting_.empty() && waiting_.front().first < queue_.FirstWaitingTicket()) waiting_.pop_front();
    return step.scanNow;
}

std::vector<PlannedSwitch> Scheduler::CarriedMarks() const {
    // A catch-up looks back a week, and a shift moves an occurrence less than a day.
    const LocalDay first =
        std::chrono::floor<std::chrono::days>(lastScanned_ - kCatchUpWindow) - std::chrono::days{1};
    std::vector<PlannedSwitch> carried = marks_.MarkedSince(first);
    std::erase_if(carried, [this](const PlannedSwitch& s) {
        // One still waiting in the queue has not gone out: the next run may still send it.
        for (const auto& [ticket, queued] : waiting_)
            if (ticket >= queue_.FirstWaitingTicket() && SameOccurrence(queued, s)) return true;
        const auto d = static_cast<std::size_t>(s.device);
        if (s.origin == PlanOrigin::Weekly)
            return !weekly_[d][static_cast<std::size_t>(s.weekday)][static_cast<std::size_t>(s.pair)]
                        .Half(s.on)
                        .randomised;
        return !sunEvents_[d][static_cast<std::size_t>(s.slot)].randomised;
    });
    return carried;
}

void Scheduler::CatchUp(LocalMinute first, LocalMinute last) {
    const std::vector<PlannedSwitch> due = DueBetween(Tables(), marks_, first, last);
    for (const PlannedSwitch& s : CatchUpSends(due, marks_, first, last))
        waiting_.emplace_back(queue_.Queue(static_cast<std::int16_t>(s.message), FrameSource::CatchUp), s);
    Fire(due);
}

void Scheduler::Fire(const std::vector<PlannedSwitch>& due) {
    for (const PlannedSwitch& s : due) {
        marks_.Mark(s);
        if (!s.randomised) continue;
        const auto d = static_cast<std::size_t>(s.device);
        if (s.origin == PlanOrigin::Weekly) {
            SchedulePair& pair =
                weekly_[d][static_cast<std::size_t>(s.weekday)][static_cast<std::size_t>(s.pair)];
            pair.Half(s.on).shift = DrawRandomOffset(settings_.randomInterval, random_);
            ++weeklyDraws_;
        } else {
            sunEvents_[d][static_cast<std::size_t>(s.slot)].shift =
                DrawRandomOffset(settings_.randomInterval, random_);
            ++sunDraws_;
        }
    }
}

void Scheduler::RefreshSunTimes(LocalDay today) {
    // Any change of date counts, a clock set back over midnight included.
    if (today == sunDay_) return;
    CalculateSunTimes(settings_.location, today, sunTimes_);
    sunDay_ = today;
}

} // namespace tarnwick
