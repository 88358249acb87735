#include "x10/Transmitter.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tarnwick;
using tarnwick::testing::LineChange;
using tarnwick::testing::RecordingSerialControl;
using tarnwick::testing::SteppingSteadyClock;

namespace {

constexpr LineChange DtrUp{LineChange::DTR, true};
constexpr LineChange DtrDown{LineChange::DTR, false};
constexpr LineChange RtsUp{LineChange::RTS, true};
constexpr LineChange RtsDown{LineChange::RTS, false};

// Reads the bits back off the recorded line changes: each half-step writes two lines.
struct DecodedFrame {
    std::vector<int> bits;
    int pauses = 0;
    bool badOrder = false;
};

DecodedFrame Decode(const std::vector<LineChange>& changes) {
    DecodedFrame f;
    for (std::size_t i = 0; i + 1 < changes.size(); i += 2) {
        const LineChange a = changes[i], b = changes[i + 1];
        if (a == DtrUp && b == RtsUp) {
            ++f.pauses;
        } else if (a == RtsUp && b == DtrDown) {
            f.bits.push_back(1);
        } else if (a == DtrUp && b == RtsDown) {
            f.bits.push_back(0);
        } else {
            f.badOrder = true;
        }
    }
    return f;
}

class TransmitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeData(*state, 0);
        state->CpuFactor = 1;
        state->ClockFactor = 25;
    }
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    RecordingSerialControl serial;
    SteppingSteadyClock steady;
    Transmitter transmitter{*state, serial, &steady};
};

TEST_F(TransmitterTest, MessageZeroGoesOutAsHeaderDataFooter) {
    transmitter.Transmit_Message(0);

    // 79 half-steps of two writes each, then both lines asserted.
    ASSERT_EQ(serial.changes.size(), 79u * 2 + 2);
    // Bit 1, pause, bit 1, pause, bit 0, pause.
    const std::vector<LineChange> expectedStart = {RtsUp, DtrDown, DtrUp, RtsUp,   RtsUp, DtrDown,
                                                   DtrUp, RtsUp,   DtrUp, RtsDown, DtrUp, RtsUp};
    EXPECT_EQ(std::vector<LineChange>(serial.changes.begin(), serial.changes.begin() + 12), expectedStart);
    EXPECT_EQ(serial.changes[serial.changes.size() - 2], DtrUp);
    EXPECT_EQ(serial.changes.back(), RtsUp);

    std::vector<LineChange> body(serial.changes.begin(), serial.changes.end() - 2);
    const DecodedFrame f = Decode(body);
    EXPECT_FALSE(f.badOrder);
    EXPECT_EQ(f.pauses, 39);
    const std::vector<int> expected = {1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, // 0xD5 0xAA
                                       0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // 0x6000
                                       1, 0, 1, 0, 1, 1, 0, 1};                        // 0xAD
    EXPECT_EQ(f.bits, expected);
    EXPECT_TRUE(serial.dtr);
    EXPECT_TRUE(serial.rts);
    EXPECT_EQ(state->FrameStep, 0);
}

TEST_F(TransmitterTest, DataBitsFollowTheCodeTable) {
    for (int message : {49, 50, 542, 543, 544}) {
        serial.changes.clear();
        transmitter.Transmit_Message(message);
        const DecodedFrame f = Decode({serial.changes.begin(), serial.changes.end() - 2});
        ASSERT_EQ(f.bits.size(), 40u);
        std::uint16_t word = 0;
        for (int b = 16; b < 32; ++b) word = static_cast<std::uint16_t>(word << 1 | f.bits[b]);
        EXPECT_EQ(word, DataWord(*state, message)) << "message " << message;
        EXPECT_EQ(state->FrameBits[40], 0);
    }
}

TEST_F(TransmitterTest, NumberOutsideTheTableSendsNothing) {
    for (int message : {-1, 545, 100000}) transmitter.Transmit_Message(message);
    EXPECT_TRUE(serial.changes.empty());
    EXPECT_EQ(state->FrameStep, 0);
}

TEST_F(TransmitterTest, EveryHalfStepLastsAtLeastTheFloor) {
    SteppingSteadyClock coarse(250'000); // each reading moves a quarter millisecond on
    Transmitter timed(*state, serial, &coarse);
    timed.Transmit_Message(0);
    // One reading at the line change and at least four to reach 1 ms, per half-step.
    EXPECT_GE(coarse.reads(), 79 * 5);
}

TEST_F(TransmitterTest, FrameStepCountsHalfStepsWhileSending) {
    // A serial control that samples FrameStep at every DTR write.
    struct Sampling : RecordingSerialControl {
        AppState* state = nullptr;
        std::vector<int> steps;
        void SetDTREnable(bool a) override {
            steps.push_back(state->FrameStep);
            RecordingSerialControl::SetDTREnable(a);
        }
    } sampling;
    sampling.state = state.get();
    Transmitter t(*state, sampling, nullptr);
    t.Transmit_Message(5);
    ASSERT_EQ(sampling.steps.size(), 80u);
    for (int i = 0; i < 79; ++i) EXPECT_EQ(sampling.steps[i], i);
    EXPECT_EQ(sampling.steps.back(), 0); // the closing idle write comes after the reset
}

TEST(CountingWait, CountsOneHundredAndOneRoundsOfFactorPlusOne) {
    EXPECT_EQ(CountingWait(25), 101 * 26);
    EXPECT_EQ(CountingWait(10800), 101 * 10801);
    EXPECT_EQ(CountingWait(0), 101);
}

TEST(Port, OpenReportsTheRealStateAndCloseLeavesTheLines) {
    RecordingSerialControl serial;
    EXPECT_TRUE(OpenPort(serial));
    // Both lines are asserted before the port opens, so they are up from its first moment.
    const std::vector<LineChange> up = {{LineChange::DTR, true}, {LineChange::RTS, true}};
    EXPECT_EQ(serial.changes, up);
    ClosePort(serial);
    EXPECT_FALSE(serial.PortOpen());
    EXPECT_EQ(serial.changes, up);
    serial.failOpen = true;
    EXPECT_FALSE(OpenPort(serial));
    const int calls = serial.openCalls;
    ClosePort(serial); // not open: nothing to do
    EXPECT_EQ(serial.openCalls, calls);
}

} // namespace
