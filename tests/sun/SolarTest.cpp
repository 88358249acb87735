#include "sun/Solar.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace tarnwick;

// Sunrise and sunset of a date as "h:mm h:mm", times of day in whole minutes; a day without one
// keeps the time it had.
std::string SunTimes(double latitude, double longitude, int timeZone, std::int16_t daylight, DateTime day,
                     DateTime previous = 0) {
    auto s = std::make_unique<AppState>();
    s->Latitude = latitude, s->Longitude = longitude, s->TimeZone = std::int16_t(timeZone),
    s->DaylightSavings = daylight;
    s->SunriseTime = s->SunsetTime = previous;
    CalculateSunTimes(*s, day + MakeTime(15, 30));
    std::string text;
    for (DateTime t : {s->SunriseTime, s->SunsetTime}) {
        EXPECT_EQ(t, MakeTime(HourOf(t), MinuteOf(t)));
        text +=
            std::to_string(HourOf(t)) + (MinuteOf(t) < 10 ? ":0" : ":") + std::to_string(MinuteOf(t)) + " ";
    }
    return text;
}

TEST(SunTimes, AreThoseOfThePlaceAndDateToTheMinute) {
    EXPECT_EQ(SunTimes(32.78, -96.8, 6, kTrue, MakeDate(2003, 6, 21)), "6:20 20:38 ");
    EXPECT_EQ(SunTimes(32.78, -96.8, 6, kFalse, MakeDate(2003, 6, 21)), "5:20 19:38 ");
    EXPECT_EQ(SunTimes(-33.87, 151.2, -10, kFalse, MakeDate(2003, 6, 21)), "7:00 16:54 ");
    // A sunset in the day's last half minute is the next 00:00.
    EXPECT_EQ(SunTimes(0, -88.58, 0, kFalse, MakeDate(2003, 6, 21), MakeTime(12, 34)), "11:52 0:00 ");
    EXPECT_EQ(SunTimes(80, -96.8, 6, kTrue, MakeDate(2003, 6, 21), MakeTime(6, 20)), "6:20 6:20 ");
    EXPECT_EQ(SunTimes(80, -96.8, 6, kTrue, MakeDate(2003, 12, 21), MakeTime(6, 20)), "6:20 6:20 ");
}

// config.txt takes a place without range checks, and so does the calculation: a value far
// outside the globe gives whatever times it gives, never undefined behaviour.
TEST(SunTimes, APlaceFarOffTheGlobeIsUsedAsRead) {
    for (double latitude : {1e300, -1e300, DBL_MAX, 32.78})
        for (double longitude : {1e300, -1e300, DBL_MAX, -96.8})
            for (DateTime day = MakeDate(2026, 1, 1); day < MakeDate(2027, 1, 1); day += 5)
                SunTimes(latitude, longitude, 6, kTrue, day);
}

// Up to 2006 from the first Sunday of April to the last Sunday of October; since 2007 from the
// second Sunday of March to the first Sunday of November.
TEST(DaylightSavingsCorrection, EachYearHasOneRunFromSundayToSaturdayInTheRightWeeks) {
    auto state = std::make_unique<AppState>();
    EXPECT_EQ(DaylightSavingsCorrection(*state, MakeDate(2003, 7, 1)), 0);
    state->DaylightSavings = kTrue;
    for (int year = 1990; year <= 2040; ++year) {
        std::vector<DateTime> days;
        for (DateTime day = MakeDate(year, 1, 1); day < MakeDate(year + 1, 1, 1); day += 1)
            if (DaylightSavingsCorrection(*state, day) == -1) days.push_back(day);
        ASSERT_TRUE(!days.empty() && days.back() - days.front() + 1 == double(days.size())) << year;
        const CivilDateTime start = ToCivil(days.front()), end = ToCivil(days.back() + 1);
        EXPECT_TRUE(WeekdayOf(days.front()) == 0 && WeekdayOf(days.back()) == 6) << year;
        EXPECT_TRUE(year >= 2007 ? start.month == 3 && start.day >= 8 && start.day <= 14 && end.month == 11 &&
                                       end.day <= 7
                                 : start.month == 4 && start.day <= 7 && end.month == 10 && end.day >= 25)
            << year;
    }
}
