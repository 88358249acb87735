#include "app/SystemClocks.h"

#include <QDateTime>

#include <chrono>

namespace tarnwick {

DateTime ToDateTime(const QDateTime& local) {
    const QDate d = local.date();
    const QTime t = local.time();
    return MakeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

DateTime SystemClock::Now() {
    return ToDateTime(QDateTime::currentDateTime());
}

int SystemClock::MillisecondOfMinute() {
    const QTime t = QTime::currentTime();
    return t.second() * 1000 + t.msec();
}

std::int64_t SystemSteadyClock::NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace tarnwick
