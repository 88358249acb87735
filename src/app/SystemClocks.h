#pragma once
// The real clocks and the program's random sequence, handed to the core.

#include "base/Interfaces.h"

namespace tarnwick {

class SystemClock final : public IClock {
public:
    std::chrono::sys_seconds NowUtc() override;
    std::chrono::seconds UtcOffset(std::chrono::sys_seconds at) const override;
    int MillisecondOfMinute() override;
};

class SystemSteadyClock final : public ISteadyClock {
public:
    std::int64_t NowNanoseconds() override;
};

} // namespace tarnwick
