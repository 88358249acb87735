// The week's plan is what will go out: a real scheduler and the plan side by side.

#include "schedule/Planner.h"
#include "base/RandomOffset.h"
#include "schedule/Scheduler.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

using Frame = std::tuple<LocalMinute, std::int32_t, FrameSource>;

struct Recorder : IMessageSender {
    void Send(std::int32_t message, FrameSource source) override { sent.push_back({at, message, source}); }
    LocalMinute at{};
    std::vector<Frame> sent;
};

Frame FrameOf(const PlannedSwitch& s) {
    return {s.at, s.message, SourceOf(s)};
}

} // namespace

// Eight days over both daylight-saving nights of a zone whose summer lasts a week (forward on
// Sunday 2026-03-08 at 02:00, back on Sunday 2026-03-15 at 02:00), with shifts drawn anew as
// entries fire. At every minute the scheduler sends exactly what the plan made before it listed
// for that minute; and the week's plan made at the start holds for every entry without a shift.
TEST(PlanSwitchings, ListsWhatTheSchedulerSendsThroughSkippedAndRepeatedHours) {
    Settings settings;
    settings.location = {40.7, 74.0, 5, true};
    settings.randomInterval = std::chrono::minutes{30};
    auto weekly = std::make_unique<WeeklyTable>();
    auto sunEvents = std::make_unique<SunEventTable>();
    std::mt19937 gen(11);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(gen); };
    // Devices below 128 have shifts; the others none, so the first plan holds for them all week.
    for (int d = 0; d < kDeviceCount; ++d)
        for (auto& day : (*weekly)[static_cast<std::size_t>(d)])
            for (SchedulePair& p : day) {
                const auto half = [&](TimeOfDay time) {
                    const int shift = d < 128 && pick(0, 1) ? pick(-20, 20) : 0;
                    return ScheduleTime{time, pick(0, 7) == 0, shift != 0, std::chrono::minutes{shift}};
                };
                p.on = half(TimeOfDay(0, pick(0, 1439), pick(0, 59)));
                p.off = half(TimeOfDay(0, pick(0, 1439)));
            }
    for (int d = 0; d < kDeviceCount; d += 5)
        for (SunEvent& e : (*sunEvents)[static_cast<std::size_t>(d)]) {
            const SunWhen when = SunWhen(pick(0, 2));
            const std::chrono::minutes offset{pick(0, 600)};
            const SunAction action = SunAction(pick(0, 2));
            const int shift = d < 128 ? pick(-9, 9) : 0;
            e = {when, offset, action, shift != 0, std::chrono::minutes{shift}};
        }
    // In the hour skipped and the hour repeated, and just either side of them.
    for (const auto& [device, day, hour, minute] : {std::tuple{200, 0, 2, 30},
                                                    {201, 0, 2, 59},
                                                    {202, 0, 3, 0},
                                                    {203, 0, 1, 45},
                                                    {204, 0, 1, 59},
                                                    {205, 0, 2, 0}}) {
        (*weekly)[device][day][0] = {{TimeOfDay(hour, minute), true, false, {}},
                                     {TimeOfDay(hour, minute), false, false, {}}};
        (*weekly)[device][day][1] = {{}, {TimeOfDay(hour, minute), true, false, {}}};
    }

    FakeClock clock(LocalAt(2026, 3, 7, 12, 0, 20), RealZone("XST5XDT,M3.2.0,M3.3.0"));
    SunTimes sunTimes;
    CalculateSunTimes(settings.location, std::chrono::floor<std::chrono::days>(clock.NowLocal()), sunTimes);
    MessageQueue queue;
    Recorder sender;
    DefaultRandom random(7);
    Scheduler scheduler(*weekly, *sunEvents, sunTimes, settings, queue, random, sender);
    scheduler.Start(clock.NowLocal());
    const auto plan = [&](int days) {
        return PlanSwitchings(scheduler.Tables(), scheduler.Marks(), scheduler.LastScanned(), clock,
                              clock.NowUtc(), days);
    };
    std::vector<Frame> week, unshifted;
    for (const PlannedSwitch& s : plan(7))
        if (s.device >= 128) week.push_back(FrameOf(s));
    const auto weekEnd = std::chrono::floor<std::chrono::minutes>(clock.NowUtc()) + std::chrono::days{7} +
                         std::chrono::minutes{1};

    std::vector<PlannedSwitch> next = plan(1);
    std::size_t compared = 0, caughtUp = 0;
    for (int tick = 0; tick < 8 * 24 * 180; ++tick) {
        clock.AdvanceSeconds(20);
        const LocalMinute now = std::chrono::floor<std::chrono::minutes>(clock.NowLocal());
        sender.sent.clear();
        sender.at = now;
        scheduler.Tick(clock.NowLocal());
        while (queue.SendNext(sender)) {
        }
        std::vector<Frame> planned;
        for (const PlannedSwitch& s : next)
            if (s.at <= now) planned.push_back(FrameOf(s));
        ASSERT_EQ(sender.sent, planned) << "at tick " << tick << ", " << MinuteText(now);
        compared += planned.size();
        for (const Frame& f : planned) caughtUp += std::get<2>(f) == FrameSource::CatchUp;
        // Nothing changes the plan but a firing and the time passing.
        if (!planned.empty() || next.empty() || next.back().at <= now + std::chrono::hours{2}) next = plan(1);
        for (const Frame& f : sender.sent)
            if (DeviceOfMessage(std::get<1>(f)) >= 128 && clock.NowUtc() < weekEnd) unshifted.push_back(f);
    }
    EXPECT_GT(compared, 3000u);
    EXPECT_GE(caughtUp, 3u); // the skipped hour's entries, at 03:00
    EXPECT_EQ(unshifted, week);
}
