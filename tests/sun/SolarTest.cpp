#include "sun/Solar.h"

#include <gtest/gtest.h>

using namespace tarnwick;

// Sunrise and sunset of a date as "h:mm h:mm", times of day in whole minutes; a day without one
// keeps the time it had.
std::string SunTimesText(double latitude, double longitude, int timeZone, bool dst, DateTime day,
                         DateTime previous = 0) {
    const Location place{latitude, longitude, static_cast<std::int16_t>(timeZone), dst};
    SunTimes times{previous, previous};
    CalculateSunTimes(place, day + MakeTime(15, 30), times);
    std::string text;
    for (DateTime t : {times.sunrise, times.sunset}) {
        EXPECT_EQ(t, MakeTime(HourOf(t), MinuteOf(t)));
        text +=
            std::to_string(HourOf(t)) + (MinuteOf(t) < 10 ? ":0" : ":") + std::to_string(MinuteOf(t)) + " ";
    }
    return text;
}

TEST(SunTimes, AreThoseOfThePlaceAndDateToTheMinute) {
    EXPECT_EQ(SunTimesText(32.78, -96.8, 6, true, MakeDate(2003, 6, 21)), "6:20 20:38 ");
    EXPECT_EQ(SunTimesText(32.78, -96.8, 6, false, MakeDate(2003, 6, 21)), "5:20 19:38 ");
    EXPECT_EQ(SunTimesText(-33.87, 151.2, -10, false, MakeDate(2003, 6, 21)), "7:00 16:54 ");
    // A sunset in the day's last half minute is the next 00:00.
    EXPECT_EQ(SunTimesText(0, -88.58, 0, false, MakeDate(2003, 6, 21), MakeTime(12, 34)), "11:52 0:00 ");
    EXPECT_EQ(SunTimesText(80, -96.8, 6, true, MakeDate(2003, 6, 21), MakeTime(6, 20)), "6:20 6:20 ");
    EXPECT_EQ(SunTimesText(80, -96.8, 6, true, MakeDate(2003, 12, 21), MakeTime(6, 20)), "6:20 6:20 ");
}

// Up to 2006 from the first Sunday of April to the last Sunday of October; since 2007 from the
// second Sunday of March to the first Sunday of November.
TEST(DaylightSavingHours, EachYearHasOneRunFromSundayToSaturdayInTheRightWeeks) {
    Location place;
    place.daylightSaving = false;
    EXPECT_EQ(DaylightSavingHours(place, MakeDate(2003, 7, 1)), 0);
    place.daylightSaving = true;
    for (int year = 1990; year <= 2040; ++year) {
        std::vector<DateTime> days;
        for (DateTime day = MakeDate(year, 1, 1); day < MakeDate(year + 1, 1, 1); day += 1)
            if (DaylightSavingHours(place, day) == -1) days.push_back(day);
        ASSERT_TRUE(!days.empty() && days.back() - days.front() + 1 == double(days.size())) << year;
        const CivilDateTime start = ToCivil(days.front()), end = ToCivil(days.back() + 1);
        EXPECT_TRUE(WeekdayOf(days.front()) == 0) << year;
        EXPECT_TRUE(WeekdayOf(days.back()) == 6) << year;
        EXPECT_TRUE(year >= 2007 ? start.month == 3 && start.day >= 8 && start.day <= 14 && end.month == 11 &&
                                       end.day <= 7
                                 : start.month == 4 && start.day <= 7 && end.month == 10 && end.day >= 25)
            << year;
    }
}
