#include "x10/CodeTable.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tarnwick;

namespace {

// The data word written down straight from the house and unit tables of the
// interface's documentation, independently of how the table is filled.
std::uint16_t ExpectedWord(int message) {
    static const std::uint8_t houseHigh[16] = {0x60, 0x70, 0x40, 0x50, 0x80, 0x90, 0xA0, 0xB0,
                                               0xE0, 0xF0, 0xC0, 0xD0, 0x00, 0x10, 0x20, 0x30};
    static const std::uint8_t unitOn[16] = {0x00, 0x10, 0x08, 0x18, 0x40, 0x50, 0x48, 0x58,
                                            0x00, 0x10, 0x08, 0x18, 0x40, 0x50, 0x48, 0x58};
    if (message == 544) return 0x0000;
    const int house = message / 34;
    const int function = message % 34;
    int high = houseHigh[house];
    int low;
    if (function == 32) {
        low = 0x88;
    } else if (function == 33) {
        low = 0x98;
    } else {
        const int unit = function / 2;
        low = unitOn[unit] + (function % 2 ? 0x20 : 0);
        if (unit >= 8) high += 0x04;
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

class CodeTableTest : public ::testing::Test {
protected:
    void SetUp() override { FillCodeTable(*state); }
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(CodeTableTest, EveryRowMatchesTheHouseAndUnitTables) {
    for (int m = 0; m < kMessageCount; ++m) {
        EXPECT_EQ(DataWord(*state, m), ExpectedWord(m)) << "message " << m;
        for (int b = 0; b < kDataBitCount; ++b) {
            const auto cell = state->X10CodeTable[m][b];
            EXPECT_TRUE(cell == 0 || cell == 1) << "message " << m << " column " << b;
        }
    }
}

TEST_F(CodeTableTest, WorkedRows) {
    const std::pair<int, std::uint16_t> rows[] = {{0, 0x6000},   {1, 0x6020},   {31, 0x6478},  {32, 0x6088},
                                                  {33, 0x6098},  {49, 0x7078},  {50, 0x7400},  {408, 0x0000},
                                                  {525, 0x3078}, {526, 0x3400}, {543, 0x3098}, {544, 0x0000}};
    for (auto [message, word] : rows) EXPECT_EQ(DataWord(*state, message), word) << "message " << message;
}

TEST_F(CodeTableTest, FrameTemplateHasHeaderFooterAndUnusedLastEntry) {
    const std::int16_t header[16] = {1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0};
    const std::int16_t footer[8] = {1, 0, 1, 0, 1, 1, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(state->FrameBits[i], header[i]);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(state->FrameBits[16 + i], 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(state->FrameBits[32 + i], footer[i]);
    EXPECT_EQ(state->FrameBits[40], 0);
}

TEST(MessageNumbers, ComposeFromHouseAndUnit) {
    EXPECT_EQ(UnitOnMessage(2, 4), 76);  // C5 on
    EXPECT_EQ(UnitOffMessage(2, 2), 73); // C3 off
    EXPECT_EQ(BrightMessage(15), 542);
    EXPECT_EQ(DimMessage(0), 33);
}

} // namespace
