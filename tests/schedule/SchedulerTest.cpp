// The scheduler on a fake wall clock: every switching goes out once, in its minute or, when the
// clock passed its minute by, at the next minute scanned; none is dropped, none repeated.

#include "schedule/Scheduler.h"
#include "base/RandomOffset.h"
#include "base/TimeText.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

constexpr int kSunday = 0, kMonday = 1, kTuesday = 2, kWednesday = 3;

int Device(const char* label) {
    return (label[0] - 'A') * 16 + std::atoi(label + 1) - 1;
}

// A scheduler on its own tables, ticked every 1.5 s as the timer ticks it. Each frame is noted
// as "hh:mm C5 On (schedule)" with the local time of the tick that sent it.
struct Rig : IMessageSender {
    explicit Rig(LocalSeconds start, FakeClock::Zone zone = {}) : clock(start, std::move(zone)) {}

    void Send(std::int32_t message, FrameSource source) override {
        sent.push_back(FormatBoxTime(TimeOfDay::Of(clock.NowLocal())) + " " + CommandText(message) + " (" +
                       SourceName(source) + ")");
    }
    void At(const char* device, int weekday, int pair, TimeOfDay on, std::optional<TimeOfDay> off = {},
            int onShift = 0) {
        SchedulePair& p = (*weekly)[static_cast<std::size_t>(Device(device))]
                                   [static_cast<std::size_t>(weekday)][static_cast<std::size_t>(pair)];
        p.on = {on, true, onShift != 0, std::chrono::minutes{onShift}};
        if (off) p.off = {*off, true, false, {}};
    }
    void Start(bool catchUp = false) {
        CalculateSunTimes(settings.location, Today(), sunTimes);
        scheduler.Start(clock.NowLocal(), catchUp);
    }
    // Ticks until the local clock has moved on by seconds.
    void Run(double seconds) {
        for (double t = 0; t < seconds; t += 1.5) {
            clock.AdvanceMilliseconds(1500);
            scheduler.Tick(clock.NowLocal());
            mostWaiting = std::max(mostWaiting, queue.WaitingCount());
        }
    }

    LocalDay Today() { return std::chrono::floor<std::chrono::days>(clock.NowLocal()); }

    FakeClock clock;
    std::unique_ptr<WeeklyTable> weekly = std::make_unique<WeeklyTable>();
    std::unique_ptr<SunEventTable> sunEvents = std::make_unique<SunEventTable>();
    SunTimes sunTimes;
    Settings settings;
    MessageQueue queue;
    DefaultRandom random;
    Scheduler scheduler{*weekly, *sunEvents, sunTimes, settings, queue, random, *this};
    std::vector<std::string> sent;
    int mostWaiting = 0;
};

using Sent = std::vector<std::string>;

} // namespace

// The clock jumps forward: each device gets the last command that fell due for it in the minutes
// passed by, in the order they fell due, before the minute it wakes in.
TEST(Scheduler, MinutesPassedByAreCaughtUpWithEachDevicesLastCommand) {
    Rig woken(LocalAt(2026, 12, 7, 10, 4, 0)); // a Monday
    woken.At("C5", kMonday, 0, TimeOfDay(10, 5), TimeOfDay(10, 6));
    woken.At("D1", kMonday, 0, TimeOfDay(10, 6));
    woken.At("E1", kMonday, 0, TimeOfDay(10, 7));
    woken.At("E2", kMonday, 0, TimeOfDay(10, 8));
    woken.Start();
    woken.Run(50); // 10:04:50, then asleep
    woken.clock.Set(LocalAt(2026, 12, 7, 10, 7, 55));
    woken.Run(4.5);
    EXPECT_EQ(woken.sent,
              (Sent{"10:07 C5 Off (catch-up)", "10:07 D1 On (catch-up)", "10:07 E1 On (schedule)"}));

    // Asleep exactly a day: it lands on the same hour and minute of the next day.
    Rig slept(LocalAt(2026, 12, 7, 10, 4, 0));
    slept.At("A1", kMonday, 0, TimeOfDay(18, 0));
    slept.At("A2", kTuesday, 0, TimeOfDay(7, 0), TimeOfDay(7, 30));
    slept.At("A3", kTuesday, 1, TimeOfDay(10, 4));
    slept.At("A4", kMonday, 1, TimeOfDay(10, 4)); // the minute it fell asleep in was scanned
    slept.Start();
    slept.Run(50);
    slept.clock.Set(LocalAt(2026, 12, 8, 10, 4, 50));
    slept.Run(6); // the minute it wakes in is scanned as usual
    EXPECT_EQ(slept.sent,
              (Sent{"10:04 A1 On (catch-up)", "10:04 A2 Off (catch-up)", "10:04 A3 On (schedule)"}));
}

// New York's clock goes forward at 02:00 on 2026-03-08 and back at 02:00 on 2026-11-01.
TEST(Scheduler, DaylightSavingNightsSendEachSwitchingOnce) {
    Rig spring(LocalAt(2026, 3, 8, 1, 57, 0), RealZone("America/New_York"));
    spring.At("B1", kSunday, 0, TimeOfDay(2, 30));
    spring.At("B2", kSunday, 1, TimeOfDay(2, 59));
    spring.At("B3", kSunday, 0, TimeOfDay(3, 0));
    spring.At("B4", kSunday, 0, TimeOfDay(1, 59));
    spring.Start();
    spring.Run(6 * 60); // to 02:03 standard time, which reads 03:03
    EXPECT_EQ(spring.sent, (Sent{"01:59 B4 On (schedule)", "03:00 B1 On (catch-up)", "03:00 B2 On (catch-up)",
                                 "03:00 B3 On (schedule)"}));

    Rig autumn(LocalAt(2026, 11, 1, 1, 20, 0), RealZone("America/New_York"));
    autumn.At("C1", kSunday, 0, TimeOfDay(1, 45));
    autumn.At("C2", kSunday, 0, TimeOfDay(1, 30), TimeOfDay(2, 0));
    autumn.Start();
    autumn.Run(110 * 60); // 01:20 daylight time to 02:10 standard time
    EXPECT_EQ(autumn.sent,
              (Sent{"01:30 C2 On (schedule)", "01:45 C1 On (schedule)", "02:00 C2 Off (schedule)"}));
}

// A clock set back a little waits for the minutes it has scanned; one set back further is a
// corrected clock, scanned from where it now stands, and still sends no switching twice.
TEST(Scheduler, AClockSetBackRepeatsNoSwitching) {
    Rig rig(LocalAt(2026, 12, 8, 10, 4, 0)); // a Tuesday
    rig.At("A5", kTuesday, 0, TimeOfDay(10, 5));
    rig.At("A6", kTuesday, 0, TimeOfDay(10, 6));
    rig.At("A7", kMonday, 0, TimeOfDay(10, 5));
    rig.Start();
    rig.Run(80); // 10:05:20
    rig.clock.Set(LocalAt(2026, 12, 8, 10, 4, 10));
    rig.Run(120);
    EXPECT_EQ(rig.sent, (Sent{"10:05 A5 On (schedule)", "10:06 A6 On (schedule)"}));

    rig.clock.Set(LocalAt(2026, 12, 7, 10, 4, 30)); // back a day: Monday's entries are due again
    rig.Run(60);
    rig.clock.Set(LocalAt(2026, 12, 8, 10, 4, 30)); // and forward again: Tuesday's went out already
    rig.Run(120);
    EXPECT_EQ(rig.sent, (Sent{"10:05 A5 On (schedule)", "10:06 A6 On (schedule)", "10:05 A7 On (schedule)"}));

    // Which minutes a tick scans after a step back: none up to two hours, else from the clock on.
    const LocalMinute scanned = std::chrono::floor<std::chrono::minutes>(LocalAt(2026, 11, 1, 1, 59));
    EXPECT_FALSE(NextScan(scanned, scanned - std::chrono::minutes{59}).scanNow);
    EXPECT_FALSE(NextScan(scanned, scanned - std::chrono::hours{2}).scanNow);
    EXPECT_TRUE(NextScan(scanned, scanned - std::chrono::minutes{121}).scanNow);
    EXPECT_FALSE(NextScan(scanned, scanned - std::chrono::minutes{121}).catchUpFirst);
}

// Sixty devices due in one minute all go out, in device order, one a tick.
TEST(Scheduler, DropsNothingWhenManyFallDueAtOnce) {
    Rig rig(LocalAt(2026, 12, 7, 10, 4, 30));
    for (int d = 0; d < 60; ++d) (*rig.weekly)[d][kMonday][0].on = {TimeOfDay(10, 5), true, false, {}};
    rig.Start();
    rig.Run(30 + 60 * 1.5);
    ASSERT_EQ(rig.sent.size(), 60u);
    EXPECT_EQ(rig.sent.front(), "10:05 A1 On (schedule)");
    EXPECT_EQ(rig.sent.back(), "10:06 D12 On (schedule)");
    EXPECT_EQ(rig.mostWaiting, 59);
}

// At start, only when asked: each device's last switching due in the week up to and including
// the start minute, in the order they fell due; the start minute itself is not scanned again.
TEST(Scheduler, CatchUpAtStartSendsWhatFellDueInTheWeekBefore) {
    const auto rigged = [](Rig& rig) {
        rig.At("A1", kMonday, 0, TimeOfDay(20, 0), TimeOfDay(21, 0));
        rig.At("A1", kTuesday, 0, TimeOfDay(22, 0));
        rig.At("A2", kTuesday, 0, TimeOfDay(6, 0));
        rig.At("A3", kWednesday, 0, TimeOfDay(8, 0));
        rig.At("A4", kWednesday, 0, TimeOfDay(8, 2)); // due last Wednesday, within the week, and again today
        (*rig.sunEvents)[Device("A5")][2] = {SunWhen::At, {}, SunAction::Off, false, {}};
    };
    Rig withCatchUp(LocalAt(2026, 12, 9, 8, 0, 20)); // a Wednesday
    rigged(withCatchUp);
    withCatchUp.Start(true);
    withCatchUp.Run(120);
    EXPECT_EQ(withCatchUp.sent,
              (Sent{"08:00 A4 On (catch-up)", "08:00 A2 On (catch-up)", "08:00 A5 Off (catch-up)",
                    "08:00 A1 On (catch-up)", "08:00 A3 On (catch-up)", "08:02 A4 On (schedule)"}));

    Rig without(LocalAt(2026, 12, 9, 8, 0, 20));
    rigged(without);
    without.Start();
    without.Run(120);
    EXPECT_EQ(without.sent, (Sent{"08:02 A4 On (schedule)"}));
}

// A random shift moves a switching by minutes, into the next or last day when it crosses
// midnight, and each occurrence goes out once however its shift is drawn anew.
TEST(Scheduler, RandomShiftsStayNearTheirTimeAndFireOncePerDay) {
    struct Fixed : IRandom {
        double Next() override { return 0.65; } // +5 in an interval of 30
    };
    Rig rig(LocalAt(2026, 12, 6, 23, 50, 0)); // a Sunday
    Fixed fixed;
    Scheduler scheduler{*rig.weekly, *rig.sunEvents, rig.sunTimes, rig.settings, rig.queue, fixed, rig};
    rig.settings.randomInterval = std::chrono::minutes{30};
    rig.At("A3", kMonday, 0, TimeOfDay(23, 58), {}, 5);
    rig.At("A4", kMonday, 0, TimeOfDay(0, 5), {}, -10);
    rig.At("A5", kMonday, 0, TimeOfDay(9, 0), {}, -4);
    CalculateSunTimes(rig.settings.location, rig.Today(), rig.sunTimes);
    scheduler.Start(rig.clock.NowLocal());
    for (int tick = 0; tick < 25 * 60 * 40; ++tick) {
        rig.clock.AdvanceMilliseconds(1500);
        scheduler.Tick(rig.clock.NowLocal());
    }
    EXPECT_EQ(rig.sent, (Sent{"23:55 A4 On (schedule)", "08:56 A5 On (schedule)", "00:03 A3 On (schedule)"}));
    EXPECT_EQ((*rig.weekly)[Device("A5")][kMonday][0].on.shift, std::chrono::minutes{5}); // drawn as it fired
}
int Draw(int interval, double r) {
    struct Fixed : IRandom {
        double r = 0;
        double Next() override { return r; }
    } random;
    random.r = r;
    return static_cast<int>(DrawRandomOffset(std::chrono::minutes{interval}, random).count());
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
    EXPECT_EQ(Draw(100000, 0.99999999), 16384); // held to what the file can keep
    // Numbers from a broken generator are taken into [0, 1).
    EXPECT_EQ(Draw(30, 1.0), 15);
    EXPECT_EQ(Draw(30, -0.25), -14);
    EXPECT_EQ(Draw(30, NAN), -14);
}
