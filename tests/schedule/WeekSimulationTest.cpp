// A week of 1.5 s ticks against a clock that runs through the end of daylight
// time (set back an hour on Sunday at 02:00) with the sun times moving every day.

#include "schedule/Scheduler.h"

#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::FakeClock;
using tarnwick::testing::RecordingMessageSender;
using tarnwick::testing::ScriptedRandom;

namespace {

enum Half { kOn, kOff };

struct WeeklyEntry {
    int device;
    int weekday; // Sunday = 0
    int pair;
    Half half;
    int hour, minute;
    std::int16_t offset;
    bool enabled;
    std::vector<std::string> fires; // "mm-dd hh:mm"
};

// Week of Wednesday 2026-10-28 to Tuesday 2026-11-03.
const std::vector<WeeklyEntry> kEntries = {
    {0, 3, 0, kOn, 0, 0, 0, true, {"10-28 00:00"}},
    {0, 3, 0, kOff, 23, 59, 0, true, {"10-28 23:59"}},
    {36, 2, 0, kOn, 7, 30, 0, true, {"11-03 07:30"}},
    {18, 3, 1, kOn, 8, 30, -7, true, {"10-28 08:23"}},
    {7, 1, 0, kOn, 0, 5, -10, true, {"11-02 23:55"}},
    {22, 4, 0, kOff, 23, 50, 15, true, {"10-29 00:05"}},
    {100, 4, 0, kOn, 18, 0, 0, true, {"10-29 18:00"}},
    {101, 4, 3, kOn, 18, 0, 0, true, {"10-29 18:00"}},
    {20, 5, 0, kOn, 6, 0, 0, true, {"10-30 06:00"}},
    {20, 5, 0, kOff, 6, 0, 0, true, {"10-30 06:00"}},
    {21, 5, 1, kOn, 9, 0, 0, false, {}},
    {21, 5, 1, kOff, 9, 5, 4, false, {}},
    {255, 6, 3, kOn, 12, 0, 15, true, {"10-31 12:15"}},
    {255, 6, 3, kOff, 23, 59, 0, true, {"10-31 23:59"}},
    {13, 0, 2, kOff, 0, 59, 0, true, {"11-01 00:59"}},
    // The hour from 01:00 to 02:00 comes twice on Sunday.
    {12, 0, 0, kOn, 1, 30, 0, true, {"11-01 01:30", "11-01 01:30"}},
    // Randomised: after firing, its new shift (01:33) is kept for next week.
    {15, 0, 1, kOn, 1, 20, -5, true, {"11-01 01:15"}},
    {14, 0, 3, kOn, 2, 0, 0, true, {"11-01 02:00"}},
    {23, 2, 0, kOn, 23, 59, 0, true, {"11-03 23:59"}},
};

constexpr int kSunsetDevice = 255;      // slot 2: at sunset, on
constexpr int kSunriseDevice = 65;      // slot 0: 30 min after sunrise, off, randomised from 5
constexpr int kBeforeSunsetDevice = 66; // slot 3: an hour before sunset, on
constexpr int kIdleSunDevice = 67;      // slot 1: nothing

std::string Stamp(DateTime t) {
    const CivilDateTime c = ToCivil(t);
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d", c.month, c.day, c.hour, c.minute);
    return text;
}

std::string Firing(const std::string& stamp, std::int32_t message) {
    return stamp + " #" + std::to_string(message);
}

class WeekSimulationTest : public ::testing::Test {
protected:
    void SetUp() override {
        state->Latitude = 32.78;
        state->Longitude = -96.8;
        state->TimeZone = 6;
        state->DaylightSavings = kTrue;
        state->RandomInterval = 30;
        for (const WeeklyEntry& e : kEntries) {
            SchedulePair& p =
                state->WeeklySchedule[static_cast<std::size_t>(e.device)][static_cast<std::size_t>(e.weekday)]
                                     [static_cast<std::size_t>(e.pair)];
            const DateTime time = MakeTime(e.hour, e.minute);
            const std::int16_t enabled = e.enabled ? kTrue : kFalse;
            if (e.half == kOn) {
                p.OnTime = time;
                p.OnEnabled = enabled;
                p.OnRandomOffset = e.offset;
            } else {
                p.OffTime = time;
                p.OffEnabled = enabled;
                p.OffRandomOffset = e.offset;
            }
        }
        state->SunriseSchedule[kSunsetDevice][2] = {0, 0, 1, 0};
        state->SunriseSchedule[kSunriseDevice][0] = {2, MakeTime(0, 30), 2, 5};
        state->SunriseSchedule[kBeforeSunsetDevice][3] = {1, MakeTime(1, 0), 1, 0};
        state->SunriseSchedule[kIdleSunDevice][1] = {0, MakeTime(0, 10), 0, 0};
    }

    DateTime SunTimesOn(DateTime date, bool sunset) const {
        auto scratch = std::make_unique<AppState>(*state);
        CalculateSunTimes(*scratch, date);
        return sunset ? scratch->SunsetTime : scratch->SunriseTime;
    }

    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    FakeClock clock;
    ScriptedRandom random{{0.9}}; // with an interval of 30 every draw is 13
    RecordingMessageSender sender{&clock};
};

TEST_F(WeekSimulationTest, EveryEntryFiresAtItsMinuteAndNothingElse) {
    const DateTime wednesday = MakeDate(2026, 10, 28);
    const DateTime start = wednesday - 30.0 / 86400; // Tuesday 23:59:30
    const DateTime end = wednesday + 7;
    const DateTime setBackAt = MakeDateTime(2026, 11, 1, 2, 0);

    // Start-up: LastScanTime is the start time and the sun times are today's.
    clock.Set(start);
    InitializeData(*state, start);
    CalculateSunTimes(*state, DateOf(start));
    Scheduler scheduler(*state, clock, random, sender);

    bool setBack = false;
    for (long long tick = 1;; ++tick) {
        DateTime now = start + tick * 1.5 / 86400;
        if (!setBack && now >= setBackAt) setBack = true;
        if (setBack) now -= 1.0 / 24;
        if (now >= end) break;
        clock.Set(now);
        scheduler.Tick();
    }

    std::vector<std::string> expected;
    for (const WeeklyEntry& e : kEntries) {
        const std::int32_t message = e.half == kOn ? UnitOnMessage(e.device / 16, e.device % 16)
                                                   : UnitOffMessage(e.device / 16, e.device % 16);
        for (const std::string& stamp : e.fires) expected.push_back(Firing(stamp, message));
    }
    std::set<int> sunsetMinutes;
    for (int day = 0; day < 7; ++day) {
        const DateTime date = wednesday + day;
        const DateTime sunset = SunTimesOn(date, true);
        const DateTime sunrise = SunTimesOn(date, false);
        sunsetMinutes.insert(MinuteOfDay(sunset));
        expected.push_back(Firing(Stamp(date + sunset), UnitOnMessage(15, 15)));
        expected.push_back(Firing(Stamp(AddMinutes(date + sunset, -60)), UnitOnMessage(4, 2)));
        // The first firing uses the stored shift of 5, every later one the new draw of 13.
        const double shift = day == 0 ? 5 : 13;
        expected.push_back(Firing(Stamp(AddMinutes(date + sunrise, 30 + shift)), UnitOffMessage(4, 1)));
    }
    // The sun times really move: every day's sunset differs from the day before.
    EXPECT_EQ(sunsetMinutes.size(), 7u);

    ASSERT_EQ(sender.sent.size(), sender.sentAt.size());
    std::vector<std::string> actual;
    for (std::size_t i = 0; i < sender.sent.size(); ++i)
        actual.push_back(Firing(Stamp(sender.sentAt[i]), sender.sent[i]));
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);

    EXPECT_EQ(state->SunriseSchedule[kSunriseDevice][0].Random, 13);
    EXPECT_EQ(state->WeeklySchedule[18][3][1].OnRandomOffset, 13);
    EXPECT_EQ(state->WeeklySchedule[21][5][1].OffRandomOffset, 4);
    EXPECT_EQ(state->QueueHead, state->QueueTail);
}

} // namespace
