#include "schedule/Planner.h"
#include "schedule/RandomOffset.h"
#include "schedule/Scheduler.h"
#include "sun/Solar.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tarnwick;
using namespace tarnwick::testing;

// Draws the same shift every time, so that an entry keeps the shift the plan was made with.
struct SameShift : IRandom {
    double Next() override { return 0.1; }
};

using Frame = std::tuple<std::int64_t, std::int32_t, FrameSource>;

// Each frame with the minute of the tick that sent it.
struct MinuteRecorder : IMessageSender {
    explicit MinuteRecorder(FakeClock& c) : clock(c) {}
    void Send(std::int32_t message, FrameSource source) override {
        sent.push_back({clock.Milliseconds() / 60'000, message, source});
    }
    FakeClock& clock;
    std::vector<Frame> sent;
};

// A week from a Wednesday afternoon over the end of daylight time on Sunday 2026-11-01, when the sun
// times move by an hour. Weekly times lie all round the clock, some shifted back over midnight; sun
// events of every kind sit on every slot, some pushed over midnight by their offsets. The plan made at
// the start is what a real scheduler ticking every 1.5 s sends, minute for minute and in order.
TEST(PlanSwitchings, IsWhatTheSchedulerSendsOverAWeekAcrossTheEndOfDaylightTime) {
    Settings settings;
    settings.location = {32.78, -96.8, 6, true};
    ASSERT_NE(DaylightSavingHours(settings.location, MakeDate(2026, 10, 31)),
              DaylightSavingHours(settings.location, MakeDate(2026, 11, 1)));
    SameShift random;
    const std::int16_t shift = DrawRandomOffset(settings.randomInterval, random);

    auto weekly = std::make_unique<WeeklyTable>();
    auto sunEvents = std::make_unique<SunEventTable>();
    std::mt19937 gen(11);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(gen); };
    const auto time = [&] { return MakeTime(0, pick(0, 1439), pick(0, 59)); };
    const auto shifted = [&] { return std::int16_t(shift * pick(0, 1)); };
    for (auto& device : *weekly)
        for (auto& day : device)
            for (SchedulePair& p : day)
                p = {time(), pick(0, 3) == 0, shifted(), time(), pick(0, 3) == 0, shifted()};
    for (int d = 0; d < kDeviceCount; d += 8)
        for (SunEvent& e : (*sunEvents)[d])
            e = {SunWhen(pick(0, 2)), MakeTime(0, pick(0, 600)), SunAction(pick(0, 2)), double(shifted())};
    // Due on and off in the minute the week starts in, which is not scanned, and again seven days on.
    (*weekly)[5][3][0] = {MakeTime(13, 27), true, 0, MakeTime(13, 27), true, 0};

    FakeClock clock(MakeDateTime(2026, 10, 28, 13, 27, 41) + 0.3 / 86400);
    SunTimes sunTimes;
    CalculateSunTimes(settings.location, clock.Now(), sunTimes);
    const auto plan = PlanSwitchings(*weekly, *sunEvents, settings.location, sunTimes, clock.Now());

    MessageQueue queue;
    MinuteRecorder sender(clock);
    Scheduler scheduler(*weekly, *sunEvents, sunTimes, settings, queue, random, sender);
    scheduler.Start(clock.Now());
    const std::int64_t lastMinute = clock.Milliseconds() / 60'000 + 7 * 1440;
    for (clock.AdvanceMilliseconds(1500); clock.Milliseconds() / 60'000 <= lastMinute;
         clock.AdvanceMilliseconds(1500))
        scheduler.Tick(clock.Now());

    std::vector<Frame> planned;
    int sunBeforeAndAfter[2] = {};
    for (const PlannedSwitch& s : plan) {
        const FrameSource source = s.origin == PlanOrigin::Weekly    ? FrameSource::Schedule
                                   : s.origin == PlanOrigin::Sunrise ? FrameSource::Sunrise
                                                                     : FrameSource::Sunset;
        planned.push_back({std::llround(s.at * 1440), s.message, source});
        if (s.origin != PlanOrigin::Weekly) ++sunBeforeAndAfter[s.at >= MakeDate(2026, 11, 1)];
    }
    EXPECT_TRUE(sender.sent == planned)
        << "first difference at " << std::ranges::mismatch(sender.sent, planned).in1 - sender.sent.begin()
        << " of " << sender.sent.size() << " sent, " << planned.size() << " planned";
    EXPECT_TRUE(plan.size() > 3000 && sunBeforeAndAfter[0] > 100 && sunBeforeAndAfter[1] > 100)
        << plan.size() << " " << sunBeforeAndAfter[0] << " " << sunBeforeAndAfter[1];
}
