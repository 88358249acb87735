#include "schedule/Scheduler.h"
#include "schedule/RandomOffset.h"
#include "schedule/TickPacing.h"
#include "sun/Solar.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

using namespace tarnwick;
using namespace tarnwick::testing;

int Wrap(int minute) {
    return (minute % 1440 + 1440) % 1440;
}

int Minutes(DateTime timeOfDay) {
    return static_cast<int>(std::llround(timeOfDay * 86400) / 60 % 1440);
}

// Sends by a function, so that the test sees each frame as it goes.
struct Sender : IMessageSender {
    void Send(std::int32_t message, FrameSource) override { send(message); }
    std::function<void(std::int32_t)> send;
};

// Eight days of ticks against a model of the scheduler's rules on its own copy of the tables, checked
// tick by tick: which ticks scan, which weekly entries and sun events fall due, in what order, which
// new shifts are drawn, what a queue of 40 keeps and drops, and what leaves. The clock jumps forward,
// steps back over midnight and is set back an hour at the end of daylight time, the sun times move
// every day, and the entries are moved once after some have fired. The timer runs as the main window
// runs it: every tick sets the next one from the wall clock, the system fires each a few milliseconds
// late, and a frame holds the thread 80 ms.
// The tables the scheduler works on, copied whole for the model.
struct Tables {
    WeeklyTable weekly{};
    SunEventTable sunEvents{};
    Settings settings;
};

TEST(Scheduler, EightDaysOfTicksSendWhatItsRulesSayAtTheStartOfEachMinuteAndFramesStayApart) {
    auto state = std::make_unique<Tables>();
    state->settings.location = {32.78, -96.8, 6, true};
    state->settings.randomInterval = 30;
    const auto sunMinutes = [&](std::int64_t day) {
        SunTimes times;
        CalculateSunTimes(state->settings.location, static_cast<DateTime>(day), times);
        return std::pair{Minutes(times.sunrise), Minutes(times.sunset)};
    };
    const auto day0 = static_cast<std::int64_t>(MakeDate(2026, 10, 28)); // a Wednesday
    const auto at = [&](int day, int hour, int minute, int second) {
        return ((day0 + day) * 86400 + hour * 3600 + minute * 60 + second) * 1000;
    };

    // Times all round the clock, some with seconds, shifts either way; one in 40 crowds into 18:00,
    // more than the queue holds.
    std::mt19937 gen(5);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(gen); };
    for (auto& device : state->weekly)
        for (auto& day : device)
            for (SchedulePair& pair : day)
                for (int h = 0; h < 2; ++h) {
                    const bool crowded = pick(0, 39) == 0;
                    (h ? pair.offTime : pair.onTime) =
                        crowded ? MakeTime(18, 0) : MakeTime(0, pick(0, 1439), pick(0, 1) * 59);
                    (h ? pair.offEnabled : pair.onEnabled) = crowded || pick(0, 1);
                    (h ? pair.offRandomOffset : pair.onRandomOffset) =
                        std::int16_t(crowded ? 0 : pick(-99, 99) * pick(0, 1));
                }
    for (auto& device : state->sunEvents)
        for (SunEvent& e : device)
            e = {SunWhen(pick(0, 2)), MakeTime(0, pick(0, 180)), SunAction(pick(0, 2)), double(pick(-9, 9))};
    // Due at midnight of day 1 with day 1's sunrise, at 23:59 with day 0's.
    ASSERT_EQ(sunMinutes(day0 + 1).first, sunMinutes(day0).first + 1);
    state->sunEvents[255][0] = {SunWhen::After, MakeTime(0, 1440 - sunMinutes(day0 + 1).first), SunAction::On,
                                0};
    auto model = std::make_unique<Tables>(*state);

    // Started in the last half second of the day before: its minute counts as scanned, the next does not.
    FakeClock clock((at(-1, 23, 59, 59) + 600) / 864e5);
    SunTimes sunTimes;
    CalculateSunTimes(state->settings.location, clock.Now(), sunTimes);
    DefaultRandom random, modelRandom;
    std::int64_t steady = 0, smallestGap = 60'000;
    std::optional<std::int64_t> lastFrame;
    const auto advance = [&](std::int64_t ms) { clock.AdvanceMilliseconds(ms), steady += ms; };
    int sent = -1, count = 0;
    Sender sender;
    sender.send = [&](std::int32_t message) {
        if (lastFrame) smallestGap = std::min(smallestGap, steady - *lastFrame);
        sent = message, ++count, lastFrame = steady;
        advance(80);
    };
    MessageQueue frames;
    Scheduler scheduler(state->weekly, state->sunEvents, sunTimes, state->settings, frames, random, sender);
    scheduler.Start(clock.Now());

    std::int64_t sunDay = day0 - 1;
    auto [sunrise, sunset] = sunMinutes(sunDay);
    int lastMinute = 1439, dropped = 0, mark = 0;
    std::deque<int> queue;
    std::vector<std::array<std::int64_t, 3>> marks(8 * 2048, {-1, -1, -1}); // when each entry last fired
    const auto scan = [&](std::int64_t day, int minute) {
        const auto fire = [&](bool enabled, int base, auto& shift, int device, bool off) {
            auto& [firedDay, firedMinute, firedBase] = marks[mark++];
            if (!enabled || Wrap(base + static_cast<int>(shift)) != minute) return;
            // Once a day for one time set, unless the clock brings its minute round again.
            if (firedDay == day && firedBase == base && firedMinute != minute) return;
            firedDay = day, firedMinute = minute, firedBase = base;
            if (queue.size() < 40)
                queue.push_back(device / 16 * 34 + device % 16 * 2 + off);
            else
                ++dropped;
            if (shift != 0) shift = DrawRandomOffset(model->settings.randomInterval, modelRandom);
        };
        const int weekday = WeekdayOf(static_cast<DateTime>(day));
        mark = weekday * 2048;
        for (int d = 0; d < 256; ++d)
            for (SchedulePair& pair : model->weekly[d][weekday]) {
                fire(pair.onEnabled, Minutes(pair.onTime), pair.onRandomOffset, d, false);
                fire(pair.offEnabled, Minutes(pair.offTime), pair.offRandomOffset, d, true);
            }
        mark = 7 * 2048;
        for (int d = 0; d < 256; ++d)
            for (int k = 0; k < 4; ++k) {
                SunEvent& e = model->sunEvents[d][k];
                const int sign = e.when == SunWhen::Before ? -1 : e.when == SunWhen::After ? 1 : 0;
                const int base = (k < 2 ? sunrise : sunset) + sign * Minutes(e.offset);
                fire(e.action != SunAction::Nothing, Wrap(base), e.random, d, e.action == SunAction::Off);
            }
    };

    // The clock is set forward, back over midnight, and back an hour on 2026-11-01 at 02:00.
    std::pair<std::int64_t, std::int64_t> settings[] = {
        {at(0, 12, 0, 0), 2'241'321}, {at(1, 0, 0, 30), -90'000}, {at(4, 2, 0, 0), -3'600'000}};
    bool moved = false;
    for (int tick = 0; clock.Milliseconds() < at(7, 23, 59, 0); ++tick) {
        const std::int64_t now = clock.Milliseconds();
        bool set = false; // the first minute after a change of the clock is scanned wherever it lands
        for (auto& [when, by] : settings)
            if (by != 0 && now >= when) set = true, clock.AdvanceMilliseconds(by), by = 0;
        if (!moved && now >= at(2, 12, 0, 0)) {
            moved = true;
            for (Tables* s : {state.get(), model.get()})
                for (auto& device : s->weekly)
                    for (auto& day : device)
                        for (SchedulePair& p : day) {
                            p.onTime = TimeOf(p.onTime + MakeTime(0, 7));
                            p.offTime = TimeOf(p.offTime + MakeTime(0, 7));
                        }
        }
        const auto since = lastFrame ? std::optional(steady - *lastFrame) : std::nullopt;
        const int delay = NextTickDelayMs(clock.MillisecondOfMinute(), since);
        const bool onGrid = delay == NextTickDelayMs(clock.MillisecondOfMinute(), std::nullopt);
        advance(delay + tick * 7 % 5);
        const std::int64_t ms = clock.Milliseconds(), day = ms / 86'400'000;
        const int minute = static_cast<int>(ms / 60'000 % 1440);
        if (day != sunDay) std::tie(sunrise, sunset) = sunMinutes(sunDay = day);
        if (minute != lastMinute) {
            scan(day, lastMinute = minute);
            // The first tick of a minute comes at its start, unless a frame just before holds it back.
            EXPECT_TRUE(!onGrid || set || ms % 60'000 < 100) << "day " << day - day0 << " minute " << minute;
        }
        const int expected = queue.empty() ? -1 : queue.front();
        if (!queue.empty()) queue.pop_front();
        sent = -1;
        scheduler.Tick(clock.Now());
        if (sent != expected) {
            ADD_FAILURE() << "day " << day - day0 << " minute " << minute << ": sent " << sent
                          << ", expected " << expected;
            return;
        }
    }
    EXPECT_TRUE(state->weekly == model->weekly && state->sunEvents == model->sunEvents);
    EXPECT_TRUE(smallestGap >= 1500 && dropped > 0 && count > 8000)
        << smallestGap << " " << dropped << " " << count;
}

int Draw(int interval, double r) {
    struct Fixed : IRandom {
        double r = 0;
        double Next() override { return r; }
    } random;
    random.r = r;
    return DrawRandomOffset(static_cast<std::int16_t>(interval), random);
}

// How often each shift comes out when r runs evenly over [0, 1).
std::map<int, int> Sweep(int interval) {
    std::map<int, int> counts;
    for (int i = 0; i < 3000; ++i) ++counts[Draw(interval, (i + 0.5) / 3000)];
    return counts;
}

TEST(DrawRandomOffset, SpreadsEvenlyOverTheIntervalRoundingHalvesToEvenAndNeverGivesZero) {
    std::map<int, int> thirty;
    for (int shift = -14; shift <= 15; ++shift)
        if (shift != 0) thirty[shift] = shift == 1 ? 200 : 100;
    EXPECT_EQ(Sweep(30), thirty);
    EXPECT_EQ(Sweep(5), (std::map<int, int>{{-2, 600}, {1, 1200}, {2, 1200}}));
    EXPECT_EQ(Sweep(1), (std::map<int, int>{{1, 3000}}));
    EXPECT_EQ(Sweep(-30), (std::map<int, int>{{1, 3000}}));
    EXPECT_EQ(Draw(32767, 0.99999999), 16384);
    // Numbers from a broken generator are taken into [0, 1).
    EXPECT_EQ(Draw(30, 1.0), 15);
    EXPECT_EQ(Draw(30, -0.25), -14);
    EXPECT_EQ(Draw(30, NAN), -14);
}
