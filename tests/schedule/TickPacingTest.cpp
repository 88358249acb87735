#include "schedule/TickPacing.h"
#include "schedule/Scheduler.h"
#include "support/Fakes.h"
#include "x10/CodeTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace tarnwick;
using tarnwick::testing::FakeClock;
using tarnwick::testing::ScriptedRandom;

namespace {

constexpr std::int64_t kMinuteMs = 60'000;
constexpr std::int64_t kFrameMs = 80;

// The timer as the main window runs it: every tick sets the next one from the wall
// clock; the system fires each a few milliseconds late; a frame holds the thread 80 ms.
// The steady clock goes on through a change of the wall clock.
class PacedTimeline : public IMessageSender {
public:
    explicit PacedTimeline(DateTime start) : clock(start) { InitializeData(*state, clock.Now()); }

    void Transmit_Message(std::int32_t) override {
        frames.push_back({clock.Milliseconds(), steadyMs});
        lastFrameSteady = steadyMs;
        Advance(kFrameMs);
    }
    void Advance(std::int64_t ms) {
        clock.AdvanceMilliseconds(ms);
        steadyMs += ms;
    }
    void RunUntil(std::int64_t wallMs) {
        for (int tick = 0; clock.Milliseconds() < wallMs; ++tick) {
            const std::optional<std::int64_t> sinceFrame =
                lastFrameSteady ? std::optional(steadyMs - *lastFrameSteady) : std::nullopt;
            Advance(NextTickDelayMs(clock.MillisecondOfMinute(), sinceFrame) + tick * 7 % 5);
            scheduler.Tick();
        }
    }
    void SetOn(int device, DateTime time) {
        auto& pair = state->WeeklySchedule[static_cast<std::size_t>(device)]
                                          [static_cast<std::size_t>(WeekdayOf(time))][0];
        pair.OnTime = time - DateOf(time);
        pair.OnEnabled = kTrue;
    }

    struct Frame {
        std::int64_t wallMs, steadyMs;
    };
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    FakeClock clock;
    ScriptedRandom random{{0.5}};
    Scheduler scheduler{*state, clock, random, *this};
    std::int64_t steadyMs = 0;
    std::optional<std::int64_t> lastFrameSteady;
    std::vector<Frame> frames;
};

TEST(TickPacing, FirstFrameOfEveryMinuteLeavesAtItsStartAndFramesStayApart) {
    const DateTime day = MakeDate(2026, 11, 2);
    const auto msAt = [&](int hour, int minute) {
        return std::llround((day + MakeTime(hour, minute)) * 86'400'000.0);
    };
    // Started in the last half second of 10:50: 10:51 is still the first minute scanned.
    PacedTimeline line(day + MakeTime(10, 50, 59) + 0.6 / 86400);
    for (int m = 0; m < 30; ++m) line.SetOn(m, day + MakeTime(10, 51 + m));
    for (int d = 100; d < 110; ++d) line.SetOn(d, day + MakeTime(10, 55)); // a burst of eleven frames
    line.RunUntil(msAt(11, 5) + 20'500);
    line.clock.AdvanceMilliseconds(37'321); // the clock is set forward
    line.RunUntil(msAt(11, 21));

    std::map<std::int64_t, std::int64_t> firstInMinute; // minute start -> delay of its first frame
    std::int64_t smallestGap = kMinuteMs;
    for (std::size_t i = 0; i < line.frames.size(); ++i) {
        const std::int64_t minute = line.frames[i].wallMs / kMinuteMs * kMinuteMs;
        firstInMinute.emplace(minute, line.frames[i].wallMs - minute);
        if (i > 0) smallestGap = std::min(smallestGap, line.frames[i].steadyMs - line.frames[i - 1].steadyMs);
    }
    EXPECT_EQ(line.frames.size(), 40u);
    EXPECT_EQ(firstInMinute.size(), 30u);
    EXPECT_EQ(firstInMinute.begin()->first, msAt(10, 51));
    std::int64_t latest = 0;
    for (const auto& [minute, delay] : firstInMinute) latest = std::max(latest, delay);
    EXPECT_LT(latest, 100);
    EXPECT_GE(smallestGap, 1500);
    ::testing::Test::RecordProperty("latestFirstFrameMs", static_cast<int>(latest));
    ::testing::Test::RecordProperty("smallestGapMs", static_cast<int>(smallestGap));
}

} // namespace
