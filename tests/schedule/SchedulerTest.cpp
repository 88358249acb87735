#include "schedule/Scheduler.h"

#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::FakeClock;
using tarnwick::testing::RecordingMessageSender;
using tarnwick::testing::ScriptedRandom;

namespace {

using Stamps = std::vector<std::string>;
using Messages = std::vector<std::int32_t>;

// The week of Sunday 2026-11-01.
DateTime Sunday() {
    return MakeDate(2026, 11, 1);
}
DateTime Monday() {
    return Sunday() + 1;
}
DateTime Tuesday() {
    return Sunday() + 2;
}

DateTime At(DateTime day, int hour, int minute, double second = 0) {
    return day + MakeTime(hour, minute) + second / 86400;
}

std::int32_t On(int device) {
    return UnitOnMessage(device / 16, device % 16);
}
std::int32_t Off(int device) {
    return UnitOffMessage(device / 16, device % 16);
}

class SchedulerTest : public ::testing::Test {
protected:
    // What start-up does before the first tick: LastScanTime is the start time.
    void Start(DateTime now) {
        clock.Set(now);
        InitializeData(*state, now);
        state->RandomInterval = 30;
    }
    void TickAt(DateTime now) {
        clock.Set(now);
        scheduler.Tick();
    }
    // Ticks every 1.5 s from the clock's time until `until`.
    void RunUntil(DateTime until) {
        const DateTime from = clock.Now();
        for (int i = 1; from + i * 1.5 / 86400 <= until; ++i) TickAt(from + i * 1.5 / 86400);
    }
    // "mm-dd hh:mm" of each message sent.
    Stamps Sent() const {
        Stamps stamps;
        for (DateTime t : sender.sentAt) {
            const CivilDateTime c = ToCivil(t);
            char text[32];
            std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d", c.month, c.day, c.hour, c.minute);
            stamps.push_back(text);
        }
        return stamps;
    }
    SchedulePair& Pair(int device, DateTime day, int pair) {
        return state->WeeklySchedule[static_cast<std::size_t>(device)][static_cast<std::size_t>(
            WeekdayOf(day))][static_cast<std::size_t>(pair)];
    }
    SunriseEvent& Sun(int device, int slot) {
        return state->SunriseSchedule[static_cast<std::size_t>(device)][static_cast<std::size_t>(slot)];
    }
    void SetOn(int device, DateTime day, int pair, int hour, int minute, std::int16_t offset = 0) {
        Pair(device, day, pair).OnTime = MakeTime(hour, minute);
        Pair(device, day, pair).OnEnabled = kTrue;
        Pair(device, day, pair).OnRandomOffset = offset;
    }
    void SetOff(int device, DateTime day, int pair, int hour, int minute, std::int16_t offset = 0) {
        Pair(device, day, pair).OffTime = MakeTime(hour, minute);
        Pair(device, day, pair).OffEnabled = kTrue;
        Pair(device, day, pair).OffRandomOffset = offset;
    }

    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    FakeClock clock;
    ScriptedRandom random{{0.0}}; // with an interval of 30 every draw is -14
    RecordingMessageSender sender{&clock};
    Scheduler scheduler{*state, clock, random, sender};
};

TEST_F(SchedulerTest, StartMinuteIsNotScannedAndTheNextFiresOnItsFirstTick) {
    SetOn(0, Monday(), 0, 8, 0);
    SetOn(1, Monday(), 0, 8, 1);
    Start(At(Monday(), 8, 0, 20));
    RunUntil(At(Monday(), 8, 2, 30));
    EXPECT_EQ(sender.sent, Messages{On(1)});
    ASSERT_EQ(sender.sentAt.size(), 1u);
    const double late = (sender.sentAt[0] - At(Monday(), 8, 1)) * 86400;
    EXPECT_TRUE(late >= 0 && late < 1.5) << late;
}

TEST_F(SchedulerTest, TuesdayEntryOfC5QueuesMessage76OnTuesdaysOnly) {
    SetOn(2 * 16 + 4, Tuesday(), 0, 7, 30);
    Start(Sunday());
    for (DateTime day = Sunday(); day < Sunday() + 7; day += 1) {
        sender.sent.clear();
        TickAt(At(day, 7, 29, 59));
        TickAt(At(day, 7, 30, 0.5));
        TickAt(At(day, 7, 30, 2));
        EXPECT_EQ(sender.sent, day == Tuesday() ? Messages{76} : Messages{}) << WeekdayOf(day);
    }
}

TEST_F(SchedulerTest, DevicesDueInOneMinuteLeaveLowestFirstOnSuccessiveTicks) {
    SetOn(5, Monday(), 0, 12, 0);
    SetOn(3, Monday(), 2, 12, 0);
    Start(At(Monday(), 11, 59, 50));
    TickAt(At(Monday(), 12, 0, 0.5));
    EXPECT_EQ(sender.sent, Messages{On(3)});
    TickAt(At(Monday(), 12, 0, 2));
    EXPECT_EQ(sender.sent, (Messages{On(3), On(5)}));
}

TEST_F(SchedulerTest, MinuteQueuesWeeklyByDevicePairOnOffThenSunEvents) {
    SetOff(0, Monday(), 1, 19, 45);
    SetOn(0, Monday(), 1, 19, 45);
    SetOn(0, Monday(), 0, 19, 45);
    SetOn(1, Monday(), 0, 19, 45);
    state->SunsetTime = MakeTime(19, 45);
    Sun(0, 3) = {0, 0, 2, 0};
    Sun(0, 2) = {0, 0, 1, 0};
    Start(At(Monday(), 19, 44));
    RunUntil(At(Monday(), 19, 46));
    EXPECT_EQ(sender.sent, (Messages{On(0), On(0), Off(0), On(1), On(0), Off(0)}));
}

TEST_F(SchedulerTest, RandomisedEntryFiresAtItsShiftedTimeAndDrawsAgain) {
    SetOn(40, Monday(), 0, 22, 0, -3);
    SetOn(41, Monday(), 1, 22, 30);   // not randomised: draws nothing
    SetOn(42, Monday(), 0, 23, 0, 7); // never due here: keeps its offset
    Start(At(Monday(), 21, 50));
    RunUntil(At(Monday(), 22, 40));
    EXPECT_EQ(Sent(), (Stamps{"11-02 21:57", "11-02 22:30"}));
    EXPECT_EQ(Pair(40, Monday(), 0).OnRandomOffset, -14);
    EXPECT_EQ(Pair(41, Monday(), 1).OnRandomOffset, 0);
    EXPECT_EQ(Pair(42, Monday(), 0).OnRandomOffset, 7);
    EXPECT_EQ(random.draws(), 1u);
}

TEST_F(SchedulerTest, ShiftOverMidnightStaysOnTheWeekdayOfItsRecord) {
    SetOn(7, Monday(), 0, 0, 5, -10);
    Pair(8, Monday(), 0).OnTime = MakeTime(0, 10); // not enabled: never fires
    Start(At(Sunday(), 23, 50));
    RunUntil(At(Tuesday(), 0, 15));
    EXPECT_EQ(Sent(), Stamps{"11-02 23:55"});
}

// Times all round the clock, some with seconds, shifted by up to 99 minutes either way.
TEST_F(SchedulerTest, EveryTimeOfDayWithAnyShiftFiresAtItsMinuteOnly) {
    std::multiset<std::string> expected;
    for (int d = 0; d < kDeviceCount; ++d) {
        for (int p = 0; p < kPairCount; ++p) {
            const int i = d * kPairCount + p;
            const int minute = i * 7 % 1440;
            const auto offset = static_cast<std::int16_t>(i % 199 - 99);
            Pair(d, Monday(), p).OnTime = MakeTime(minute / 60, minute % 60, i % 3 == 0 ? 59 : 0);
            Pair(d, Monday(), p).OnEnabled = kTrue;
            Pair(d, Monday(), p).OnRandomOffset = offset;
            const int due = ((minute + offset) % 1440 + 1440) % 1440;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "11-02 %02d:%02d #%d", due / 60, due % 60, On(d));
            expected.insert(stamp);
        }
    }
    Start(At(Sunday(), 23, 59, 59));
    for (int minute = 0; minute < 1440; ++minute) {
        for (double second : {0.5, 15.0, 30.0, 45.0}) TickAt(At(Monday(), minute / 60, minute % 60, second));
    }
    std::multiset<std::string> actual;
    const Stamps stamps = Sent();
    for (std::size_t k = 0; k < stamps.size(); ++k)
        actual.insert(stamps[k] + " #" + std::to_string(sender.sent[k]));
    EXPECT_EQ(actual, expected);
}

// A new shift that lands later the same day must not fire the entry a second time.
TEST_F(SchedulerTest, NewShiftLaterTheSameDayWaitsForTheNextWeek) {
    SetOn(30, Monday(), 0, 8, 30, -7);
    Start(At(Monday(), 8, 0));
    state->RandomInterval = 1; // every draw is 1
    RunUntil(At(Monday(), 9, 0));
    EXPECT_EQ(Pair(30, Monday(), 0).OnRandomOffset, 1);
    clock.Set(At(Monday() + 7, 8, 20));
    RunUntil(At(Monday() + 7, 8, 40));
    EXPECT_EQ(Sent(), (Stamps{"11-02 08:23", "11-09 08:31"}));
}

TEST_F(SchedulerTest, EntryMovedAfterFiringFiresAgainAtItsNewTime) {
    SetOn(30, Monday(), 0, 10, 0);
    SetOff(31, Monday(), 0, 10, 0, -3); // fires 09:57, then draws -14
    Start(At(Monday(), 9, 50));
    RunUntil(At(Monday(), 10, 1));
    Pair(30, Monday(), 0).OnTime = MakeTime(10, 5);
    Pair(31, Monday(), 0).OffTime = MakeTime(10, 20);
    RunUntil(At(Monday(), 10, 30));
    EXPECT_EQ(Sent(), (Stamps{"11-02 09:57", "11-02 10:00", "11-02 10:05", "11-02 10:06"}));
    EXPECT_EQ(sender.sent, (Messages{Off(31), On(30), On(30), Off(31)}));
}

TEST_F(SchedulerTest, ClockSetBackAnHourRescansTheRepeatedMinutes) {
    SetOn(12, Sunday(), 0, 1, 30);
    SetOn(13, Sunday(), 0, 1, 40, -5); // fires 01:35, then its new shift gives 01:26
    Start(At(Sunday(), 1, 0));
    RunUntil(At(Sunday(), 2, 0));
    clock.Set(At(Sunday(), 1, 0));
    RunUntil(At(Sunday(), 2, 0));
    EXPECT_EQ(Sent(), (Stamps{"11-01 01:30", "11-01 01:35", "11-01 01:30"}));
}

TEST_F(SchedulerTest, MinutesJumpedOverOrLandedOnAgainAreNotScanned) {
    SetOn(12, Monday(), 0, 10, 0);
    SetOn(13, Tuesday(), 0, 9, 59);
    Start(At(Monday(), 9, 58));
    TickAt(At(Monday(), 9, 59, 1));
    TickAt(At(Monday(), 10, 5, 1));   // forward over 10:00
    TickAt(At(Tuesday(), 10, 5, 20)); // same hour and minute, another day
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_DOUBLE_EQ(state->LastScanTime, At(Monday(), 10, 5, 1));
}

struct SunEventCase {
    const char* name;
    int slot;
    std::int16_t when;
    int offsetHour, offsetMinute;
    std::int16_t action;
    double random;
    const char* fires; // "" for never
};

std::ostream& operator<<(std::ostream& out, const SunEventCase& c) {
    return out << c.name;
}

class SunEventTest : public SchedulerTest, public ::testing::WithParamInterface<SunEventCase> {};

TEST_P(SunEventTest, FiresAtItsTimeOfDay) {
    const SunEventCase c = GetParam();
    constexpr int kC6 = 2 * 16 + 5;
    state->SunriseTime = MakeTime(6, 50);
    state->SunsetTime = MakeTime(19, 45);
    Sun(kC6, c.slot) = {c.when, MakeTime(c.offsetHour, c.offsetMinute), c.action, c.random};
    Start(Monday());
    RunUntil(At(Monday(), 23, 59, 59));
    if (*c.fires == '\0') {
        EXPECT_TRUE(sender.sent.empty());
        return;
    }
    EXPECT_EQ(Sent(), Stamps{std::string("11-02 ") + c.fires});
    EXPECT_EQ(sender.sent, Messages{c.action == 2 ? 79 : 78});
}

INSTANTIATE_TEST_SUITE_P(
    Events, SunEventTest,
    ::testing::Values(SunEventCase{"BeforeSunsetOff", 2, 1, 1, 30, 2, 0, "18:15"},
                      SunEventCase{"AfterSunsetOn", 3, 2, 1, 30, 1, 0, "21:15"},
                      SunEventCase{"AtSunsetIgnoresTheOffset", 2, 0, 1, 30, 1, 0, "19:45"},
                      SunEventCase{"AfterSunriseOff", 1, 2, 0, 20, 2, 0, "07:10"},
                      SunEventCase{"RandomShiftToo", 2, 1, 0, 30, 1, 5, "19:20"},
                      SunEventCase{"NegativeRandomShift", 0, 0, 0, 0, 2, -3, "06:47"},
                      SunEventCase{"BeforeSunriseOverMidnight", 0, 1, 7, 0, 1, 0, "23:50"},
                      SunEventCase{"ActionNothing", 2, 0, 0, 0, 0, 0, ""},
                      SunEventCase{"UnknownAction", 2, 0, 0, 0, 3, 0, ""}),
    [](const ::testing::TestParamInfo<SunEventCase>& p) { return std::string(p.param.name); });

TEST_F(SchedulerTest, RandomisedSunEventDrawsANewShiftForTheNextDay) {
    state->SunsetTime = MakeTime(19, 45);
    Sun(3, 2) = {0, 0, 2, -3};
    Sun(4, 2) = {0, 0, 1, 0};
    Start(At(Monday(), 19, 30));
    state->RandomInterval = 1; // every draw is 1
    RunUntil(At(Monday(), 20, 0));
    EXPECT_EQ(Sun(3, 2).Random, 1);
    EXPECT_EQ(Sun(4, 2).Random, 0);
    EXPECT_EQ(random.draws(), 1u);
    TickAt(At(Tuesday(), 19, 40)); // the new day's sun times are computed here
    state->SunsetTime = MakeTime(19, 45);
    RunUntil(At(Tuesday(), 20, 0));
    EXPECT_EQ(Sent(), (Stamps{"11-02 19:42", "11-02 19:45", "11-03 19:45", "11-03 19:46"}));
    EXPECT_EQ(sender.sent, (Messages{Off(3), On(4), On(4), Off(3)}));
}

// Dallas, where daylight time ends on 2003-10-26 and moves sunset by an hour.
class SchedulerSunTimesTest : public SchedulerTest {
protected:
    void SetUp() override {
        state->Latitude = 32.78;
        state->Longitude = -96.8;
        state->TimeZone = 6;
        state->DaylightSavings = kTrue;
    }
    DateTime SunsetOn(DateTime date) {
        auto scratch = std::make_unique<AppState>(*state);
        CalculateSunTimes(*scratch, date);
        return scratch->SunsetTime;
    }
};

TEST_F(SchedulerSunTimesTest, TicksOfTheStartDayKeepTheStartUpTimes) {
    Start(MakeDateTime(2003, 6, 21, 12, 0));
    state->SunsetTime = MakeTime(19, 45);
    TickAt(MakeDateTime(2003, 6, 21, 12, 1, 1));
    EXPECT_EQ(state->SunsetTime, MakeTime(19, 45));
}

TEST_F(SchedulerSunTimesTest, NewDayRecomputesBeforeItsFirstScan) {
    Sun(0, 2) = {0, 0, 1, 0};
    Start(MakeDateTime(2003, 6, 20, 23, 59, 59));
    state->SunsetTime = 0; // a stale value that would fire in the new day's first minute
    TickAt(At(MakeDate(2003, 6, 21), 0, 0, 0.5));
    EXPECT_EQ(state->SunriseTime, MakeTime(6, 20));
    EXPECT_EQ(state->SunsetTime, MakeTime(20, 38));
    clock.Set(MakeDateTime(2003, 6, 21, 20, 37));
    RunUntil(MakeDateTime(2003, 6, 21, 20, 40));
    EXPECT_EQ(Sent(), Stamps{"06-21 20:38"});
}

TEST_F(SchedulerSunTimesTest, AnyChangeOfDateRecomputesForTheDateShown) {
    const DateTime saturday = MakeDate(2003, 10, 25);
    const DateTime sunday = saturday + 1;
    ASSERT_GT((SunsetOn(saturday) - SunsetOn(sunday)) * 24 * 60, 55);
    Start(At(saturday, 8, 0, 10));
    CalculateSunTimes(*state, saturday);
    TickAt(At(sunday, 8, 0, 20)); // the same minute: no scan, but a new date
    EXPECT_EQ(state->SunsetTime, SunsetOn(sunday));
    TickAt(At(saturday, 23, 59, 50)); // set back over midnight
    EXPECT_EQ(state->SunsetTime, SunsetOn(saturday));
}

} // namespace
