#pragma once
// The real clocks and the program's random sequence, handed to the core.

#include "base/Interfaces.h"

class QDateTime;

namespace tarnwick {

// A local date and time with its seconds truncated: 10:50:59.999 is still 10:50:59.
DateTime ToDateTime(const QDateTime& local);

class SystemClock final : public IClock {
public:
    DateTime Now() override;
    int MillisecondOfMinute() override;
};

class SystemSteadyClock final : public ISteadyClock {
public:
    std::int64_t NowNanoseconds() override;
};

} // namespace tarnwick
