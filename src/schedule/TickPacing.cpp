#include "schedule/TickPacing.h"

#include <algorithm>

namespace tarnwick {

int NextTickDelayMs(int msOfMinute, std::optional<std::int64_t> msSinceLastFrame) {
    const int phase = ((msOfMinute - kTickMarginMs) % kTickIntervalMs + kTickIntervalMs) % kTickIntervalMs;
    int delay = kTickIntervalMs - phase;
    if (msSinceLastFrame && *msSinceLastFrame >= 0 && *msSinceLastFrame < kTickIntervalMs)
        delay = std::max(delay, kTickIntervalMs - static_cast<int>(*msSinceLastFrame));
    return delay;
}

} // namespace tarnwick
