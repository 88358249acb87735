#pragma once
// Local dates and times as the scheduler reckons them: a moment to the second, a minute
// with its date, a date, and a time of day.

#include <chrono>
#include <string>

namespace tarnwick {

using LocalSeconds = std::chrono::local_seconds;
using LocalMinute = std::chrono::local_time<std::chrono::minutes>;
using LocalDay = std::chrono::local_days;

// The local time at the UTC moment utc, with local time offset from UTC.
constexpr LocalSeconds LocalTimeAt(std::chrono::sys_seconds utc, std::chrono::seconds offset) {
    return LocalSeconds{utc.time_since_epoch() + offset};
}

// 0 = Sunday .. 6 = Saturday.
inline int WeekdayOf(LocalDay day) {
    return static_cast<int>(std::chrono::weekday{day}.c_encoding());
}

// A local time split into its calendar fields.
struct LocalFields {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4; // 0 = Sunday
};
LocalFields FieldsOf(LocalSeconds at);

// "2026-12-08T07:45".
std::string MinuteText(LocalMinute minute);

// A clock reading within one day, 00:00:00 to 23:59:59. Switchings match it by hour and
// minute; the seconds are kept only because a hand-edited file may hold them.
class TimeOfDay {
public:
    constexpr TimeOfDay() = default;
    constexpr TimeOfDay(int hour, int minute, int second = 0)
        : TimeOfDay(std::chrono::seconds{hour * 3600 + minute * 60 + second}) {}
    // Wrapped into the day: 25:00 is 01:00, and 10 minutes before midnight is 23:50.
    explicit constexpr TimeOfDay(std::chrono::seconds sinceMidnight) : sinceMidnight_(Wrap(sinceMidnight)) {}
    static constexpr TimeOfDay Of(LocalSeconds at) {
        return TimeOfDay(at - std::chrono::floor<std::chrono::days>(at));
    }

    constexpr std::chrono::seconds SinceMidnight() const { return sinceMidnight_; }
    // Whole minutes since midnight, 0..1439: the minute the time falls in.
    constexpr std::chrono::minutes Minute() const {
        return std::chrono::floor<std::chrono::minutes>(sinceMidnight_);
    }
    constexpr int Hour() const { return static_cast<int>(sinceMidnight_.count() / 3600); }
    constexpr int MinuteOfHour() const { return static_cast<int>(sinceMidnight_.count() / 60 % 60); }
    constexpr int Second() const { return static_cast<int>(sinceMidnight_.count() % 60); }

    constexpr bool operator==(const TimeOfDay&) const = default;

private:
    static constexpr std::chrono::seconds Wrap(std::chrono::seconds s) {
        constexpr std::chrono::seconds kDay = std::chrono::days{1};
        const std::chrono::seconds r = s % kDay;
        return r < std::chrono::seconds{0} ? r + kDay : r;
    }
    std::chrono::seconds sinceMidnight_{0};
};

} // namespace tarnwick
