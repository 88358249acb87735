#include "schedule/Scheduler.h"

#include "schedule/RandomOffset.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"
#include "x10/MessageQueue.h"

#include <cmath>
#include <cstdlib>

namespace tarnwick {
namespace {

constexpr std::int16_t kWhenBefore = 1;
constexpr std::int16_t kWhenAfter = 2;
constexpr std::int16_t kActionOn = 1;
constexpr std::int16_t kActionOff = 2;

// A cheap pre-check that lets the exact comparison run only for entries near the scanned
// minute: truncating minutes is never more than one minute off the exact time of day.
bool NearMinute(DateTime base, double shiftMinutes, int minute) {
    const double x = base * (24 * 60) + shiftMinutes;
    if (!(std::abs(x) < 1e12)) return true; // out of range or not a number: leave it to the exact test
    const auto approx = static_cast<int>(static_cast<std::int64_t>(x) % (24 * 60) + 24 * 60) % (24 * 60);
    const int distance = std::abs(approx - minute);
    return distance <= 2 || distance >= 24 * 60 - 2;
}

std::size_t WeeklyMarkIndex(int device, int weekday, int pair, int half) {
    return static_cast<std::size_t>(((device * kWeekdayCount + weekday) * kPairCount + pair) * 2 + half);
}

} // namespace

Scheduler::Scheduler(AppState& state, IClock& clock, IRandom& random, IMessageSender& sender)
    : state_(state), clock_(clock), random_(random), sender_(sender),
      weeklyMarks_(static_cast<std::size_t>(kDeviceCount * kWeekdayCount * kPairCount * 2)),
      sunMarks_(static_cast<std::size_t>(kDeviceCount * kSunSlotCount)) {}

void Scheduler::Tick() {
    const DateTime now = clock_.Now();
    RefreshSunTimes(now);
    const int minute = MinuteOfDay(now);
    if (minute != MinuteOfDay(state_.LastScanTime)) {
        state_.LastScanTime = now;
        scanDay_ = static_cast<std::int64_t>(DateOf(now));
        scanMinute_ = minute;
        ScanWeeklySchedule(WeekdayOf(now));
        ScanSunriseSchedule();
    }
    TransmitQueuedMessage(state_, sender_);
}

void Scheduler::RefreshSunTimes(DateTime now) {
    if (!sunTimesDate_) sunTimesDate_ = DateOf(state_.LastScanTime);
    const DateTime today = DateOf(now);
    // Any change of date counts, a clock set back over midnight included.
    if (today == *sunTimesDate_) return;
    CalculateSunTimes(state_, today);
    sunTimesDate_ = today;
}

bool Scheduler::FireIfDue(DateTime base, double shiftMinutes, FiringMark& mark, std::int32_t message) {
    if (!NearMinute(base, shiftMinutes, scanMinute_)) return false;
    if (MinuteOfDay(AddMinutes(base, shiftMinutes)) != scanMinute_) return false;
    const auto baseMinute = static_cast<std::int16_t>(MinuteOfDay(base));
    // Fired earlier today and only its shift has moved since: the new shift is for its next day.
    // The same minute scanned again after the clock was set back still fires.
    if (mark.day == scanDay_ && mark.base == baseMinute && mark.minute != scanMinute_) return false;
    mark = {scanDay_, static_cast<std::int16_t>(scanMinute_), baseMinute};
    QueueMessage(state_, static_cast<std::int16_t>(message));
    return true;
}

void Scheduler::ScanWeeklySchedule(int weekday) {
    const auto w = static_cast<std::size_t>(weekday);
    for (int d = 0; d < kDeviceCount; ++d) {
        const int house = d / kUnitCount;
        const int unit = d % kUnitCount;
        for (int p = 0; p < kPairCount; ++p) {
            SchedulePair& pair =
                state_.WeeklySchedule[static_cast<std::size_t>(d)][w][static_cast<std::size_t>(p)];
            const bool onFired =
                pair.OnEnabled != kFalse &&
                FireIfDue(pair.OnTime, pair.OnRandomOffset, weeklyMarks_[WeeklyMarkIndex(d, weekday, p, 0)],
                          UnitOnMessage(house, unit));
            if (onFired && pair.OnRandomOffset != 0)
                pair.OnRandomOffset = RandomOffsetDraw(state_.RandomInterval, random_);
            const bool offFired =
                pair.OffEnabled != kFalse &&
                FireIfDue(pair.OffTime, pair.OffRandomOffset, weeklyMarks_[WeeklyMarkIndex(d, weekday, p, 1)],
                          UnitOffMessage(house, unit));
            if (offFired && pair.OffRandomOffset != 0)
                pair.OffRandomOffset = RandomOffsetDraw(state_.RandomInterval, random_);
        }
    }
}

void Scheduler::ScanSunriseSchedule() {
    for (int d = 0; d < kDeviceCount; ++d) {
        const int house = d / kUnitCount;
        const int unit = d % kUnitCount;
        for (int k = 0; k < kSunSlotCount; ++k) {
            SunriseEvent& event =
                state_.SunriseSchedule[static_cast<std::size_t>(d)][static_cast<std::size_t>(k)];
            // Nothing to do for this slot.
            if (event.Action != kActionOn && event.Action != kActionOff) continue;
            DateTime base = k < 2 ? state_.SunriseTime : state_.SunsetTime;
            if (event.When == kWhenBefore) base = AddMinutes(base, -MinuteOfDay(event.Offset));
            if (event.When == kWhenAfter) base = AddMinutes(base, MinuteOfDay(event.Offset));
            const std::int32_t message =
                event.Action == kActionOff ? UnitOffMessage(house, unit) : UnitOnMessage(house, unit);
            FiringMark& mark = sunMarks_[static_cast<std::size_t>(d * kSunSlotCount + k)];
            if (FireIfDue(base, event.Random, mark, message) && event.Random != 0)
                event.Random = RandomOffsetDraw(state_.RandomInterval, random_);
        }
    }
}

} // namespace tarnwick
