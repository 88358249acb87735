#pragma once
// The real clocks and the program's random sequence, handed to the core.

#include "app/Interfaces.h"

namespace tarnwick {

class SystemClock final : public IClock {
public:
    DateTime Now() override;
};

class SystemSteadyClock final : public ISteadyClock {
public:
    std::int64_t NowNanoseconds() override;
};

} // namespace tarnwick
