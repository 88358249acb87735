#include "schedule/Scheduler.h"

#include "schedule/RandomOffset.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include <cmath>
#include <cstdlib>

namespace tarnwick {
namespace {

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

Scheduler::Scheduler(WeeklyTable& weekly, SunEventTable& sunEvents, SunTimes& sunTimes,
                     const Settings& settings, MessageQueue& queue, IRandom& random, IMessageSender& sender)
    : weekly_(weekly), sunEvents_(sunEvents), sunTimes_(sunTimes), settings_(settings), queue_(queue),
      random_(random), sender_(sender),
      weeklyMarks_(static_cast<std::size_t>(kDeviceCount * kWeekdayCount * kPairCount * 2)),
      sunMarks_(static_cast<std::size_t>(kDeviceCount * kSunSlotCount)) {}

void Scheduler::Start(DateTime now) {
    lastScanTime_ = now;
    sunTimesDate_ = DateOf(now);
}

bool Scheduler::Tick(DateTime now) {
    RefreshSunTimes(now);
    const int minute = MinuteOfDay(now);
    const bool newMinute = minute != MinuteOfDay(lastScanTime_);
    if (newMinute) {
        lastScanTime_ = now;
        scanDay_ = static_cast<std::int64_t>(DateOf(now));
        scanMinute_ = minute;
        ScanWeeklySchedule(WeekdayOf(now));
        ScanSunriseSchedule();
    }
    queue_.SendNext(sender_);
    return newMinute;
}

void Scheduler::RefreshSunTimes(DateTime now) {
    const DateTime today = DateOf(now);
    // Any change of date counts, a clock set back over midnight included.
    if (today == sunTimesDate_) return;
    CalculateSunTimes(settings_.location, today, sunTimes_);
    sunTimesDate_ = today;
}

bool Scheduler::FireIfDue(DateTime base, double shiftMinutes, FiringMark& mark, std::int32_t message,
                          FrameSource source) {
    if (!NearMinute(base, shiftMinutes, scanMinute_)) return false;
    if (MinuteOfDay(AddMinutes(base, shiftMinutes)) != scanMinute_) return false;
    const auto baseMinute = static_cast<std::int16_t>(MinuteOfDay(base));
    // Fired earlier today and only its shift has moved since: the new shift is for its next day.
    // The same minute scanned again after the clock was set back still fires.
    if (mark.day == scanDay_ && mark.base == baseMinute && mark.minute != scanMinute_) return false;
    mark = {scanDay_, static_cast<std::int16_t>(scanMinute_), baseMinute};
    queue_.Queue(static_cast<std::int16_t>(message), source);
    return true;
}

void Scheduler::ScanWeeklySchedule(int weekday) {
    const auto w = static_cast<std::size_t>(weekday);
    for (int d = 0; d < kDeviceCount; ++d) {
        const int house = d / kUnitCount;
        const int unit = d % kUnitCount;
        for (int p = 0; p < kPairCount; ++p) {
            SchedulePair& pair = weekly_[static_cast<std::size_t>(d)][w][static_cast<std::size_t>(p)];
            const bool onFired =
                pair.onEnabled &&
                FireIfDue(pair.onTime, pair.onRandomOffset, weeklyMarks_[WeeklyMarkIndex(d, weekday, p, 0)],
                          UnitOnMessage(house, unit), FrameSource::Schedule);
            if (onFired && pair.onRandomOffset != 0)
                pair.onRandomOffset = DrawRandomOffset(settings_.randomInterval, random_);
            const bool offFired =
                pair.offEnabled &&
                FireIfDue(pair.offTime, pair.offRandomOffset, weeklyMarks_[WeeklyMarkIndex(d, weekday, p, 1)],
                          UnitOffMessage(house, unit), FrameSource::Schedule);
            if (offFired && pair.offRandomOffset != 0)
                pair.offRandomOffset = DrawRandomOffset(settings_.randomInterval, random_);
        }
    }
}

void Scheduler::ScanSunriseSchedule() {
    for (int d = 0; d < kDeviceCount; ++d) {
        const int house = d / kUnitCount;
        const int unit = d % kUnitCount;
        for (int k = 0; k < kSunSlotCount; ++k) {
            SunEvent& event = sunEvents_[static_cast<std::size_t>(d)][static_cast<std::size_t>(k)];
            if (event.action == SunAction::Nothing) continue;
            DateTime base = k < 2 ? sunTimes_.sunrise : sunTimes_.sunset;
            if (event.when == SunWhen::Before) base = AddMinutes(base, -MinuteOfDay(event.offset));
            if (event.when == SunWhen::After) base = AddMinutes(base, MinuteOfDay(event.offset));
            const std::int32_t message =
                event.action == SunAction::Off ? UnitOffMessage(house, unit) : UnitOnMessage(house, unit);
            FiringMark& mark = sunMarks_[static_cast<std::size_t>(d * kSunSlotCount + k)];
            const FrameSource source = k < 2 ? FrameSource::Sunrise : FrameSource::Sunset;
            if (FireIfDue(base, event.random, mark, message, source) && event.random != 0)
                event.random = DrawRandomOffset(settings_.randomInterval, random_);
        }
    }
}

} // namespace tarnwick
