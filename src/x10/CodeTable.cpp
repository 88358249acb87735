#include "x10/CodeTable.h"

namespace tarnwick {
namespace {

constexpr std::array<std::int16_t, 16> kHeader = {1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0};
constexpr std::array<std::int16_t, 8> kFooter = {1, 0, 1, 0, 1, 1, 0, 1};
// House nibbles A..P, most significant bit first.
constexpr std::array<std::uint8_t, kHouseCount> kHouseNibble = {0x6, 0x7, 0x4, 0x5, 0x8, 0x9, 0xA, 0xB,
                                                                0xE, 0xF, 0xC, 0xD, 0x0, 0x1, 0x2, 0x3};

// Low byte of a function offset 0..33.
std::uint8_t LowByte(int offset) {
    if (offset == 32) return 0x88;
    if (offset == 33) return 0x98;
    const int unit = offset / 2;
    std::uint8_t low = 0;
    if (unit & 1) low |= 0x10;
    if (unit & 2) low |= 0x08;
    if (unit & 4) low |= 0x40;
    if (offset & 1) low |= 0x20;
    return low;
}

void SetBits(std::array<std::int16_t, kDataBitCount>& row, int firstColumn, std::uint8_t byte) {
    for (int b = 0; b < 8; ++b) row[firstColumn + b] = static_cast<std::int16_t>((byte >> (7 - b)) & 1);
}

} // namespace

void FillCodeTable(AppState& state) {
    for (int i = 0; i < 16; ++i) state.FrameBits[i] = kHeader[i];
    for (int i = 0; i < 8; ++i) state.FrameBits[32 + i] = kFooter[i];

    for (int r = 0; r < kMessageCount; ++r) SetBits(state.X10CodeTable[r], 8, LowByte(r % 34));

    // High bytes for the 544 real messages; the spare row 544 keeps 0x00.
    for (int h = 0; h < kHouseCount; ++h) {
        const auto nibble = static_cast<std::uint8_t>(kHouseNibble[h] << 4);
        for (int k = 0; k < 34; ++k) {
            const bool highUnits = k >= 16 && k < 32;
            SetBits(state.X10CodeTable[34 * h + k], 0,
                    static_cast<std::uint8_t>(nibble | (highUnits ? 0x04 : 0)));
        }
    }
}

std::uint16_t DataWord(const AppState& state, std::int32_t message) {
    std::uint16_t word = 0;
    for (int b = 0; b < kDataBitCount; ++b)
        word = static_cast<std::uint16_t>((word << 1) | (state.X10CodeTable[message][b] & 1));
    return word;
}

void InitializeData(AppState& state, DateTime now) {
    FillCodeTable(state);
    state.PreviousAddressIndex = 0;
    state.FrameStep = 0;
    state.CheckBoxEventsSuppressed = kFalse;
    state.LastScanTime = now;
}

} // namespace tarnwick
