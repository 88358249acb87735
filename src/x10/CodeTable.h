#pragma once

#include "base/AppState.h"

#include <cstdint>
#include <string>

namespace tarnwick {

// Devices are named by house letter and unit number: "A1" .. "P16" for device 0..255.
constexpr char HouseLetter(int house) {
    return static_cast<char>('A' + house);
}
inline std::string DeviceLabel(int device) {
    return HouseLetter(device / kUnitCount) + std::to_string(device % kUnitCount + 1);
}

// Message number of a command: house x 34 + function offset.
constexpr std::int32_t UnitOnMessage(int house, int unit) {
    return house * 34 + 2 * unit;
}
constexpr std::int32_t UnitOffMessage(int house, int unit) {
    return house * 34 + 2 * unit + 1;
}
constexpr std::int32_t BrightMessage(int house) {
    return house * 34 + 32;
}
constexpr std::int32_t DimMessage(int house) {
    return house * 34 + 33;
}

// Fills the frame header and footer and every row of the code table.
void FillCodeTable(AppState& state);

// The 16-bit data word of a filled table row, column 0 as the most significant bit.
std::uint16_t DataWord(const AppState& state, std::int32_t message);

// Puts the other start-up values in place: the tables above plus the panel and
// scheduler state that InitializeData resets.
void InitializeData(AppState& state, DateTime now);

} // namespace tarnwick
