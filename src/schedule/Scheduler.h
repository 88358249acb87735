#pragma once
// The tmrsendmessage handler: once in every new minute it queues the weekly
// entries and sunrise/sunset events that fall due, and on every tick it sends
// at most one queued message.

#include "base/AppState.h"
#include "base/Interfaces.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

class Scheduler {
public:
    Scheduler(AppState& state, IClock& clock, IRandom& random, IMessageSender& sender);

    // One timer tick, every 1500 ms.
    void Tick();

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
    bool FireIfDue(DateTime base, double shiftMinutes, FiringMark& mark, std::int32_t message);

    AppState& state_;
    IClock& clock_;
    IRandom& random_;
    IMessageSender& sender_;
    // The local date SunriseTime and SunsetTime belong to; taken from LastScanTime
    // on the first tick, because start-up computes them at that moment.
    std::optional<DateTime> sunTimesDate_;
    std::int64_t scanDay_ = 0;
    int scanMinute_ = 0;
    std::vector<FiringMark> weeklyMarks_; // device, weekday, pair, on/off
    std::vector<FiringMark> sunMarks_;    // device, slot
};

} // namespace tarnwick
