#pragma once
// The settings kept in config.txt, as the program uses them.

#include <array>
#include <chrono>
#include <cstdint>

namespace tarnwick {

// Where the sun times are computed for.
struct Location {
    double latitude = 0;        // degrees, north positive
    double longitude = 0;       // degrees, west positive
    std::int16_t timeZone = 6;  // hours behind Greenwich
    bool daylightSaving = true; // whether the summer hour applies
    bool operator==(const Location&) const = default;
};

// The CPU types and clock rates the Configure menu offers, as the factors of the counting loop.
inline constexpr std::array<std::int16_t, 4> kCpuFactors = {1, 3, 9, 27};
inline constexpr std::array<std::int16_t, 5> kClockFactors = {25, 50, 100, 200, 400};

struct Settings {
    std::int16_t commPort = 2;
    // Together they scale the counting loop that times every half-bit on the lines.
    std::int16_t cpuFactor = 1;
    std::int16_t clockFactor = 25;
    // How far a randomised time is shifted, over as many whole minutes.
    std::chrono::minutes randomInterval{45};
    Location location;
    bool operator==(const Settings&) const = default;
};

} // namespace tarnwick
