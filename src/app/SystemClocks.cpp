#include "app/SystemClocks.h"

#include <QDateTime>

#include <chrono>

namespace tarnwick {

DateTime SystemClock::Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return MakeDate(d.year(), d.month(), d.day()) + (t.msecsSinceStartOfDay() / 86'400'000.0);
}

std::int64_t SystemSteadyClock::NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace tarnwick
