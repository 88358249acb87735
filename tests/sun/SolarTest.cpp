#include "sun/Solar.h"

#include "app/ConfigFile.h"
#include "base/Notation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

using namespace tarnwick;

namespace {

std::string Clock(DateTime t) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", HourOf(t), MinuteOf(t));
    return text;
}

std::unique_ptr<AppState> Location(double latitude, double longitude, int timeZone, std::int16_t daylight) {
    auto state = std::make_unique<AppState>();
    state->Latitude = latitude;
    state->Longitude = longitude;
    state->TimeZone = static_cast<std::int16_t>(timeZone);
    state->DaylightSavings = daylight;
    return state;
}

struct SunCase {
    const char* place;
    double latitude, longitude;
    int timeZone;
    std::int16_t daylight;
    int year, month, day;
    const char* sunrise;
    const char* sunset;
};

std::ostream& operator<<(std::ostream& out, const SunCase& c) {
    return out << c.place << " " << c.year << "-" << c.month << "-" << c.day;
}

class SunTimesCase : public ::testing::TestWithParam<SunCase> {};

TEST_P(SunTimesCase, GivesSunriseAndSunsetToTheMinute) {
    const SunCase c = GetParam();
    auto state = Location(c.latitude, c.longitude, c.timeZone, c.daylight);
    CalculateSunTimes(*state, MakeDateTime(c.year, c.month, c.day, 15, 30));
    EXPECT_EQ(Clock(state->SunriseTime), c.sunrise);
    EXPECT_EQ(Clock(state->SunsetTime), c.sunset);
    // Times of day in whole minutes: no date part, no seconds.
    EXPECT_EQ(state->SunriseTime, MakeTime(HourOf(state->SunriseTime), MinuteOf(state->SunriseTime)));
    EXPECT_EQ(state->SunsetTime, MakeTime(HourOf(state->SunsetTime), MinuteOf(state->SunsetTime)));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SunTimesCase,
    ::testing::Values(SunCase{"Dallas", 32.78, -96.8, 6, kTrue, 2003, 6, 21, "6:20", "20:38"},
                      SunCase{"Dallas, no daylight time", 32.78, -96.8, 6, kFalse, 2003, 6, 21, "5:20",
                              "19:38"},
                      SunCase{"40N 75W", 40.0, -75.0, 5, kTrue, 2000, 1, 1, "7:22", "16:45"},
                      SunCase{"Sydney", -33.87, 151.2, -10, kFalse, 2003, 6, 21, "7:00", "16:54"},
                      // Either side of both daylight-time switches of 2026.
                      SunCase{"Dallas", 32.78, -96.8, 6, kTrue, 2026, 3, 7, "6:48", "18:29"},
                      SunCase{"Dallas", 32.78, -96.8, 6, kTrue, 2026, 3, 8, "7:46", "19:30"},
                      SunCase{"Dallas", 32.78, -96.8, 6, kTrue, 2026, 10, 31, "7:44", "18:37"},
                      SunCase{"Dallas", 32.78, -96.8, 6, kTrue, 2026, 11, 1, "6:45", "17:36"}));

TEST(CalculateSunTimesTest, PolarDayAndNightKeepThePreviousTimes) {
    for (const DateTime day : {MakeDate(2003, 6, 21), MakeDate(2003, 12, 21)}) {
        auto state = Location(80.0, -96.8, 6, kTrue);
        CalculateSunTimes(*state, day);
        EXPECT_EQ(state->SunriseTime, 0);
        EXPECT_EQ(state->SunsetTime, 0);
        state->SunriseTime = MakeTime(6, 20);
        state->SunsetTime = MakeTime(20, 38);
        CalculateSunTimes(*state, day);
        EXPECT_EQ(state->SunriseTime, MakeTime(6, 20));
        EXPECT_EQ(state->SunsetTime, MakeTime(20, 38));
    }
}

TEST(CalculateSunTimesTest, SunsetInTheLastHalfMinuteIsStoredAsMidnight) {
    // Here the Sun sets at about 23:59:45 local time.
    auto state = Location(0.0, -88.58, 0, kFalse);
    state->SunsetTime = MakeTime(12, 34);
    CalculateSunTimes(*state, MakeDate(2003, 6, 21));
    EXPECT_EQ(state->SunsetTime, 0);
    EXPECT_EQ(Clock(state->SunriseTime), "11:52");
}

// config.txt takes a place without range checks, and so does the calculation: a value
// far outside the globe gives whatever times it gives, never undefined behaviour.
TEST(CalculateSunTimesTest, APlaceFarOffTheGlobeIsUsedAsRead) {
    const std::string far[] = {"1E+300", "-1E+300", "1.79769313486231E+308", "32.78"};
    for (const std::string& latitude : far)
        for (const std::string& longitude : far) {
            auto state = std::make_unique<AppState>();
            ParseConfig("COM 1\r\nPentium I\r\n200MHz\r\n45\r\n" + latitude + "\r\n" + longitude +
                            "\r\n6\r\n#TRUE#\r\n",
                        *state);
            ASSERT_EQ(FormatConfig(*state).find(latitude + "\r\n" + longitude), 36u);
            for (DateTime day = MakeDate(2026, 1, 1); day < MakeDate(2027, 1, 1); day += 5) {
                CalculateSunTimes(*state, day);
                ASSERT_TRUE(IsTimeOfDay(state->SunriseTime) && IsTimeOfDay(state->SunsetTime))
                    << latitude << " " << longitude;
            }
        }
}

struct DaylightCase {
    int year, month, day;
    int expected;
};

std::ostream& operator<<(std::ostream& out, const DaylightCase& c) {
    return out << c.year << "-" << c.month << "-" << c.day;
}

class DaylightCorrectionCase : public ::testing::TestWithParam<DaylightCase> {};

TEST_P(DaylightCorrectionCase, GivesTheHourToAdd) {
    const DaylightCase c = GetParam();
    EXPECT_EQ(DaylightSavingsCorrection(*Location(0, 0, 6, kTrue), MakeDate(c.year, c.month, c.day)),
              c.expected);
    EXPECT_EQ(DaylightSavingsCorrection(*Location(0, 0, 6, kFalse), MakeDate(c.year, c.month, c.day)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    SwitchDays, DaylightCorrectionCase,
    ::testing::Values(
        // Up to 2006: first Sunday of April to last Sunday of October.
        DaylightCase{2001, 3, 31, 0}, DaylightCase{2001, 4, 1, -1}, DaylightCase{2001, 4, 6, -1},
        DaylightCase{2003, 4, 1, 0}, DaylightCase{2003, 4, 5, 0}, DaylightCase{2003, 4, 6, -1},
        DaylightCase{2003, 10, 25, -1}, DaylightCase{2003, 10, 26, 0}, DaylightCase{1998, 10, 24, -1},
        DaylightCase{1998, 10, 25, 0}, DaylightCase{1998, 10, 31, 0}, DaylightCase{2006, 4, 1, 0},
        DaylightCase{2006, 4, 2, -1}, DaylightCase{2006, 10, 28, -1}, DaylightCase{2006, 10, 29, 0},
        // Since 2007: second Sunday of March to first Sunday of November.
        DaylightCase{2007, 3, 10, 0}, DaylightCase{2007, 3, 11, -1}, DaylightCase{2007, 10, 30, -1},
        DaylightCase{2007, 11, 3, -1}, DaylightCase{2007, 11, 4, 0}, DaylightCase{2026, 3, 7, 0},
        DaylightCase{2026, 3, 8, -1}, DaylightCase{2026, 10, 31, -1}, DaylightCase{2026, 11, 1, 0}));

// Every year has one run of daylight days, from a Sunday to a Saturday, in the right weeks.
TEST(DaylightSavingsCorrectionTest, EachYearHasOneRunFromSundayToSaturday) {
    auto state = Location(0, 0, 6, kTrue);
    for (int year = 1990; year <= 2040; ++year) {
        DateTime first = 0, last = 0;
        int runs = 0;
        bool previous = false;
        for (DateTime day = MakeDate(year, 1, 1); day < MakeDate(year + 1, 1, 1); day += 1) {
            const bool daylight = DaylightSavingsCorrection(*state, day) == -1;
            if (daylight && !previous) {
                ++runs;
                first = day;
            }
            if (daylight) last = day;
            previous = daylight;
        }
        ASSERT_EQ(runs, 1) << year;
        EXPECT_EQ(WeekdayOf(first), 0) << year;
        EXPECT_EQ(WeekdayOf(last), 6) << year;
        const CivilDateTime start = ToCivil(first);
        const CivilDateTime end = ToCivil(last + 1);
        if (year >= 2007) {
            EXPECT_TRUE(start.month == 3 && start.day >= 8 && start.day <= 14) << year;
            EXPECT_TRUE(end.month == 11 && end.day <= 7) << year;
        } else {
            EXPECT_TRUE(start.month == 4 && start.day <= 7) << year;
            EXPECT_TRUE(end.month == 10 && end.day >= 25) << year;
        }
    }
}

struct DayCountCase {
    int year, month, day;
    double J, T;
};

class DayCountCaseTest : public ::testing::TestWithParam<DayCountCase> {};

TEST_P(DayCountCaseTest, CountsDaysFromTwoThousandJanuaryFirstNoon) {
    const DayCountCase c = GetParam();
    const SolarDayCount count = DayCountOf(c.year, c.month, c.day);
    EXPECT_EQ(count.J, c.J);
    EXPECT_EQ(count.F, 0.5);
    EXPECT_EQ(count.T, c.T);
}

INSTANTIATE_TEST_SUITE_P(Examples, DayCountCaseTest,
                         ::testing::Values(DayCountCase{2000, 1, 1, 2451544, -0.5},
                                           DayCountCase{2003, 6, 21, 2452811, 1266.5},
                                           DayCountCase{1583, 1, 1, 2299238, -152306.5},
                                           // Julian calendar before 1583.
                                           DayCountCase{1582, 10, 4, 2299159, -152385.5},
                                           DayCountCase{1000, 1, 1, 2086307, -365237.5}),
                         [](const auto& p) {
                             char name[32];
                             std::snprintf(name, sizeof name, "Y%dM%dD%d", p.param.year, p.param.month,
                                           p.param.day);
                             return std::string(name);
                         });

TEST(HourCrossingTest, FindsTheRootWithinTheHour) {
    // v(e) = e^2 - 1/4 and its mirror image.
    EXPECT_DOUBLE_EQ(HourCrossing(-0.25, 0.0, 0.75).value(), 0.5);
    EXPECT_DOUBLE_EQ(HourCrossing(0.25, 0.0, -0.75).value(), 0.5);
    // v(e) = (e - 0.3)(e - 1.5): the first root is outside the hour, so the second is taken.
    EXPECT_NEAR(HourCrossing(0.45, -0.2, -0.35).value(), 0.3, 1e-12);
    // Straight lines: no division by a zero leading coefficient.
    EXPECT_DOUBLE_EQ(HourCrossing(-1.0, -0.25, 0.5).value(), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(HourCrossing(0.5, -0.25, -1.0).value(), 1.0 / 3.0);
    EXPECT_FALSE(HourCrossing(1.0, 0.5, 1.0).has_value());
    EXPECT_FALSE(HourCrossing(0.5, 0.5, 0.5).has_value());
}

} // namespace
