#pragma once
// The X10 messages: their numbers, the devices' names, and the 40-bit frame of each.

#include "base/Devices.h"

#include <array>
#include <cstdint>
#include <string>

namespace tarnwick {

inline constexpr int kFunctionsPerHouse = 34; // 16 units on and off, Bright, Dim
inline constexpr int kMessageCount = 545;     // 0..543 from senders, 544 a spare row
inline constexpr int kFrameBitCount = 40;

// Devices are named by house letter and unit number: "A1" .. "P16" for device 0..255.
constexpr char HouseLetter(int house) {
    return static_cast<char>('A' + house);
}
inline std::string DeviceLabel(int device) {
    return HouseLetter(device / kUnitCount) + std::to_string(device % kUnitCount + 1);
}

// Message number of a command: house x 34 + function offset.
constexpr std::int32_t UnitOnMessage(int house, int unit) {
    return house * kFunctionsPerHouse + 2 * unit;
}
constexpr std::int32_t UnitOffMessage(int house, int unit) {
    return UnitOnMessage(house, unit) + 1;
}
constexpr std::int32_t BrightMessage(int house) {
    return house * kFunctionsPerHouse + 32;
}
constexpr std::int32_t DimMessage(int house) {
    return house * kFunctionsPerHouse + 33;
}

// The device a unit command switches; -1 for Bright, Dim and numbers outside the table.
constexpr int DeviceOfMessage(std::int32_t message) {
    const int offset = message % kFunctionsPerHouse;
    if (message < 0 || message >= kHouseCount * kFunctionsPerHouse || offset >= 32) return -1;
    return message / kFunctionsPerHouse * kUnitCount + offset / 2;
}

// A command as the user reads it: "C5 On", "C5 Off", "A Bright", "A Dim".
inline std::string CommandText(std::int32_t message) {
    if (message < 0 || message >= kHouseCount * kFunctionsPerHouse)
        return "message " + std::to_string(message);
    if (const int device = DeviceOfMessage(message); device >= 0)
        return DeviceLabel(device) + (message % 2 == 0 ? " On" : " Off");
    const char house = HouseLetter(message / kFunctionsPerHouse);
    return std::string(1, house) + (message % kFunctionsPerHouse == 32 ? " Bright" : " Dim");
}

// House nibbles A..P, most significant bit first.
inline constexpr std::array<std::uint8_t, kHouseCount> kHouseNibble = {
    0x6, 0x7, 0x4, 0x5, 0x8, 0x9, 0xA, 0xB, 0xE, 0xF, 0xC, 0xD, 0x0, 0x1, 0x2, 0x3};
// What every frame starts and ends with.
inline constexpr std::uint16_t kFrameHeader = 0xD5AA;
inline constexpr std::uint8_t kFrameFooter = 0xAD;

// The 16 data bits of a message (0..544): house nibble and the unit's high bit, then
// the function byte. The spare message 544 is all zero.
constexpr std::uint16_t DataWord(std::int32_t message) {
    const int offset = message % kFunctionsPerHouse;
    std::uint8_t low = 0;
    if (offset == 32) {
        low = 0x88;
    } else if (offset == 33) {
        low = 0x98;
    } else {
        const int unit = offset / 2;
        if (unit & 1) low |= 0x10;
        if (unit & 2) low |= 0x08;
        if (unit & 4) low |= 0x40;
        if (offset & 1) low |= 0x20;
    }
    const int house = message / kFunctionsPerHouse;
    std::uint8_t high = 0;
    if (house < kHouseCount) {
        high = static_cast<std::uint8_t>(kHouseNibble[static_cast<std::size_t>(house)] << 4);
        if (offset >= 16 && offset < 32) high |= 0x04;
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

// The whole frame, first bit sent as the most significant: header 0xD5 0xAA, the data
// word, footer 0xAD.
constexpr std::uint64_t FrameOf(std::int32_t message) {
    return std::uint64_t{kFrameHeader} << 24 | std::uint64_t{DataWord(message)} << 8 | kFrameFooter;
}

} // namespace tarnwick
