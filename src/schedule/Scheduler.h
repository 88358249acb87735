#pragma once
// The tmrsendmessage handler: once in every new minute it queues the weekly
// entries and sunrise/sunset events that fall due, and on every tick it sends
// at most one queued message.

#include "base/Interfaces.h"
#include "base/Settings.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"
#include "x10/MessageQueue.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

class Scheduler {
public:
    Scheduler(WeeklyTable& weekly, SunEventTable& sunEvents, SunTimes& sunTimes, const Settings& settings,
              MessageQueue& queue, IRandom& random, IMessageSender& sender);

    // The moment the program starts, when today's sun times were computed: its minute is
    // never scanned.
    void Start(DateTime now);
    // One timer tick, every 1500 ms, at the local time now; true when a new minute was scanned.
    bool Tick(DateTime now);

private:
    // When an entry last fired, so that a new random shift cannot fire it twice in one day.
    struct FiringMark {
        std::int64_t day = -1;
        std::int16_t minute = -1;
        std::int16_t base = -1; // minute of the unshifted time it fired for
    };

    void RefreshSunTimes(DateTime now);
    void ScanWeeklySchedule(int weekday);
    void ScanSunriseSchedule();
    bool FireIfDue(DateTime base, double shiftMinutes, FiringMark& mark, std::int32_t message,
                   FrameSource source);

    WeeklyTable& weekly_;
    SunEventTable& sunEvents_;
    SunTimes& sunTimes_;
    const Settings& settings_;
    MessageQueue& queue_;
    IRandom& random_;
    IMessageSender& sender_;
    DateTime lastScanTime_ = 0;
    // The local date the sun times belong to.
    DateTime sunTimesDate_ = 0;
    std::int64_t scanDay_ = 0;
    int scanMinute_ = 0;
    std::vector<FiringMark> weeklyMarks_; // device, weekday, pair, on/off
    std::vector<FiringMark> sunMarks_;    // device, slot
};

} // namespace tarnwick
