#include "sun/Solar.h"

#include <gtest/gtest.h>

using namespace tarnwick;

namespace chr = std::chrono;

LocalDay Day(int year, int month, int day) {
    return LocalDay{chr::year{year} / month / day};
}

// Sunrise and sunset of a date as "h:mm h:mm", times of day in whole minutes; a day without one
// keeps the time it had.
std::string SunTimesText(double latitude, double longitude, int timeZone, bool dst, LocalDay day,
                         TimeOfDay previous = {}) {
    const Location place{latitude, longitude, static_cast<std::int16_t>(timeZone), dst};
    SunTimes times{previous, previous};
    CalculateSunTimes(place, day, times);
    std::string text;
    for (TimeOfDay t : {times.sunrise, times.sunset}) {
        EXPECT_EQ(t.Second(), 0);
        text += std::to_string(t.Hour()) + (t.MinuteOfHour() < 10 ? ":0" : ":") +
                std::to_string(t.MinuteOfHour()) + " ";
    }
    return text;
}

TEST(SunTimes, AreThoseOfThePlaceAndDateToTheMinute) {
    EXPECT_EQ(SunTimesText(32.78, -96.8, 6, true, Day(2003, 6, 21)), "6:20 20:38 ");
    EXPECT_EQ(SunTimesText(32.78, -96.8, 6, false, Day(2003, 6, 21)), "5:20 19:38 ");
    EXPECT_EQ(SunTimesText(-33.87, 151.2, -10, false, Day(2003, 6, 21)), "7:00 16:54 ");
    // A sunset in the day's last half minute is the next 00:00.
    EXPECT_EQ(SunTimesText(0, -88.58, 0, false, Day(2003, 6, 21), TimeOfDay(12, 34)), "11:52 0:00 ");
    EXPECT_EQ(SunTimesText(80, -96.8, 6, true, Day(2003, 6, 21), TimeOfDay(6, 20)), "6:20 6:20 ");
    EXPECT_EQ(SunTimesText(80, -96.8, 6, true, Day(2003, 12, 21), TimeOfDay(6, 20)), "6:20 6:20 ");
}

// Up to 2006 from the first Sunday of April to the last Sunday of October; since 2007 from the
// second Sunday of March to the first Sunday of November.
TEST(DaylightSavingHours, EachYearHasOneRunFromSundayToSaturdayInTheRightWeeks) {
    Location place;
    place.daylightSaving = false;
    EXPECT_EQ(DaylightSavingHours(place, Day(2003, 7, 1)), 0);
    place.daylightSaving = true;
    for (int year = 1990; year <= 2040; ++year) {
        std::vector<LocalDay> days;
        for (LocalDay day = Day(year, 1, 1); day < Day(year + 1, 1, 1); day += chr::days{1})
            if (DaylightSavingHours(place, day) == -1) days.push_back(day);
        ASSERT_FALSE(days.empty()) << year;
        EXPECT_EQ((days.back() - days.front()).count() + 1, static_cast<long>(days.size())) << year;
        const LocalFields start = FieldsOf(days.front()), end = FieldsOf(days.back() + chr::days{1});
        EXPECT_EQ(start.weekday, 0) << year;
        EXPECT_EQ(end.weekday, 0) << year;
        if (year >= 2007) {
            EXPECT_EQ(start.month, 3) << year;
            EXPECT_EQ((start.day + 6) / 7, 2) << year; // the second Sunday
            EXPECT_EQ(end.month, 11) << year;
            EXPECT_EQ((end.day + 6) / 7, 1) << year;
        } else {
            EXPECT_EQ(start.month, 4) << year;
            EXPECT_EQ((start.day + 6) / 7, 1) << year;
            EXPECT_EQ(end.month, 10) << year;
            EXPECT_GE(end.day, 25) << year; // the last Sunday, the day after its Saturday
        }
    }
}
