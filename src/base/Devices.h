#pragma once
// Devices A1..P16: house code A..P times unit 1..16, numbered 0..255 in that order.

namespace tarnwick {

inline constexpr int kHouseCount = 16;
inline constexpr int kUnitCount = 16;
inline constexpr int kDeviceCount = kHouseCount * kUnitCount;

} // namespace tarnwick
