#pragma once
// The one rule by which every random shift of a scheduled time is drawn, and the
// process-wide generator it draws from.

#include "base/Interfaces.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace tarnwick {

// A shift in whole minutes spread over randomInterval values around 0, never 0:
// floor(R x r + 1) - R / 2 rounded half to even, 0 turned into 1. An interval
// below 1 is taken as 1, so the result is then always 1.
std::chrono::minutes DrawRandomOffset(std::chrono::minutes randomInterval, IRandom& random);

// Uniform numbers in [0, 1) from a seed: the program seeds it anew at every start, tests
// with a fixed seed.
class DefaultRandom final : public IRandom {
public:
    static constexpr std::uint64_t kDefaultSeed = 20030621;

    explicit DefaultRandom(std::uint64_t seed = kDefaultSeed) : engine_(seed) {}
    double Next() override;

private:
    std::mt19937_64 engine_;
};

} // namespace tarnwick
