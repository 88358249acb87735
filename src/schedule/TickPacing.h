#pragma once
// When the timer ticks. 60 s is exactly 40 ticks of 1.5 s, so ticks kept on a grid
// that starts at every minute put one tick at the start of each minute, and the
// first frame of a minute goes out at once instead of up to 1.5 s late.

#include <cstdint>
#include <optional>

namespace tarnwick {

inline constexpr int kTickIntervalMs = 1500;
// Aimed a little after each grid point, so that a tick never reads the old minute's last moment.
inline constexpr int kTickMarginMs = 10;

// Milliseconds from now to the next tick: the next point of the grid, read from the wall
// clock (msOfMinute, 0..59999), so a clock that was set or a resume from suspend is
// caught up at once; but never sooner than one interval after the start of the last
// frame (msSinceLastFrame), so two frames never come closer than 1.5 s.
int NextTickDelayMs(int msOfMinute, std::optional<std::int64_t> msSinceLastFrame);

} // namespace tarnwick
