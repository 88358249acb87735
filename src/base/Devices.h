#pragma once
// Devices A1..P16: house code A..P times unit 1..16, numbered 0..255 in that order.

#include <array>
#include <cstddef>
#include <string>

namespace tarnwick {

inline constexpr int kHouseCount = 16;
inline constexpr int kUnitCount = 16;
inline constexpr int kDeviceCount = kHouseCount * kUnitCount;

// The devices' names, by house and unit.
using DeviceNameTable = std::array<std::array<std::string, kUnitCount>, kHouseCount>;

// The name of device 0..255.
inline const std::string& NameOf(const DeviceNameTable& names, int device) {
    return names[static_cast<std::size_t>(device / kUnitCount)]
                [static_cast<std::size_t>(device % kUnitCount)];
}

} // namespace tarnwick
