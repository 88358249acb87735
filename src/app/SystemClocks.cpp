#include "app/SystemClocks.h"

#include <QDateTime>

#include <chrono>

namespace tarnwick {

std::chrono::sys_seconds SystemClock::NowUtc() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

std::chrono::seconds SystemClock::UtcOffset(std::chrono::sys_seconds at) const {
    return std::chrono::seconds{
        QDateTime::fromSecsSinceEpoch(at.time_since_epoch().count(), Qt::LocalTime).offsetFromUtc()};
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
