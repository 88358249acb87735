#include "base/RandomOffset.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarnwick {
namespace {

// x is always a whole number or a half here, so the halves are exact ties.
double RoundHalfToEven(double x) {
    const double lower = std::floor(x);
    const double fraction = x - lower;
    if (fraction < 0.5) return lower;
    if (fraction > 0.5) return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

} // namespace

std::chrono::minutes DrawRandomOffset(std::chrono::minutes randomInterval, IRandom& random) {
    // Beyond the file's 16 bits only by mistake: held there, so the shift stays in the file's range.
    const int interval =
        static_cast<int>(std::clamp<std::chrono::minutes::rep>(randomInterval.count(), 1, INT16_MAX));
    double r = random.Next();
    if (!(r >= 0)) r = 0; // also catches NaN from a broken generator
    // floor(R x r) + 1 equals floor(R x r + 1) but cannot round up to R + 1 when r is just below 1.
    int step = r < 1 ? static_cast<int>(std::floor(interval * r)) + 1 : interval;
    if (step > interval) step = interval;
    const double rounded = RoundHalfToEven(step - interval / 2.0);
    return std::chrono::minutes{rounded == 0 ? 1 : static_cast<int>(rounded)};
}

double DefaultRandom::Next() {
    // The top 53 bits scaled by 2^-53 fill [0, 1) evenly and can never reach 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

} // namespace tarnwick
