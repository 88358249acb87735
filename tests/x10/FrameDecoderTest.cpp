#include "x10/FrameDecoder.h"
#include "x10/CodeTable.h"
#include "x10/SimulatedSerialControl.h"
#include "x10/Transmitter.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace tarnwick;

namespace {

std::string Expected(int message) {
    const char house = static_cast<char>('A' + message / 34);
    const int function = message % 34;
    if (function == 32) return std::string(1, house) + " Bright";
    if (function == 33) return std::string(1, house) + " Dim";
    return std::string(1, house) + std::to_string(function / 2 + 1) + (function % 2 ? " Off" : " On");
}

class SimulatedInterface : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeData(*state, 0);
        state->CpuFactor = 1;
        state->ClockFactor = 1;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    std::ostringstream out;
    SimulatedSerialControl serial{out, nullptr};
    Transmitter transmitter{*state, serial, nullptr};
};

TEST_F(SimulatedInterface, DecodesEveryMessageTheSendersMake) {
    for (int m = 0; m < 544; ++m) transmitter.Transmit_Message(m);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 544u);
    for (int m = 0; m < 544; ++m) EXPECT_EQ(lines[m], Expected(m)) << "message " << m;
}

TEST_F(SimulatedInterface, SpareRowReadsAsItsTwin) {
    transmitter.Transmit_Message(544);
    EXPECT_EQ(Lines(), std::vector<std::string>{"M1 On"});
}

TEST_F(SimulatedInterface, AlwaysOpens) {
    serial.SetCommPort(4);
    EXPECT_TRUE(OpenPort(serial));
    EXPECT_EQ(serial.CommPort(), 4);
}

// Drives the decoder by hand with a bit pattern, a pause after each bit.
void Send(FrameDecoder& d, const std::vector<int>& bits) {
    for (int b : bits) {
        if (b)
            d.LinesChanged(false, true);
        else
            d.LinesChanged(true, false);
        d.LinesChanged(true, true);
    }
}

std::vector<int> Bits(std::uint64_t value, int count) {
    std::vector<int> bits;
    for (int i = count - 1; i >= 0; --i) bits.push_back(static_cast<int>(value >> i & 1));
    return bits;
}

TEST(FrameDecoder, ReportsMalformedFramesAndRecovers) {
    std::vector<std::string> lines;
    FrameDecoder d([&](const std::string& l) { lines.push_back(l); });
    Send(d, Bits(0xD5AB6000ADull, 40)); // bad header
    Send(d, Bits(0xD5AA6000AEull, 40)); // bad footer
    Send(d, Bits(0xD5AA6001ADull, 40)); // data no sender makes
    Send(d, Bits(0xD5AA4040ADull, 40)); // C5 On again after the errors
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Malformed frame: header 0xD5AB");
    EXPECT_EQ(lines[1], "Malformed frame: footer 0xAE");
    EXPECT_EQ(lines[2], "Malformed frame: data 0x6001");
    EXPECT_EQ(lines[3], "C5 On");
}

TEST(FrameDecoder, CutOffFrameAndBothLinesDropped) {
    std::vector<std::string> lines;
    FrameDecoder d([&](const std::string& l) { lines.push_back(l); });
    Send(d, Bits(0xD5AA, 16));
    d.Timeout();
    Send(d, Bits(0x3, 2));
    d.LinesChanged(false, false);
    d.Timeout(); // nothing left in progress
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Malformed frame: ended after 16 bits");
    EXPECT_EQ(lines[1], "Malformed frame: both lines dropped");
}

} // namespace
