// Frames as the interface reads them off DTR and RTS.

#include "x10/CodeTable.h"
#include "x10/SimulatedSerialControl.h"
#include "x10/Transmitter.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::testing;

TEST(Frames, EveryMessageReadsBackOffTheLinesAsItsCommand) {
    auto state = std::make_unique<AppState>();
    InitializeData(*state, 0);
    std::ostringstream out, expected;
    SimulatedSerialControl serial(out, nullptr);
    Transmitter transmitter(*state, serial, nullptr);
    for (int m = -1; m <= kMessageCount; ++m) transmitter.Transmit_Message(m); // -1 and 545 send nothing
    // Message house x 34 + 2 x unit is the unit's on, + 1 its off; + 32 and + 33 Bright and Dim.
    for (int m = 0, f = 0; m < 544; f = ++m % 34) {
        expected << char('A' + m / 34);
        if (f < 32)
            expected << f / 2 + 1 << (f % 2 ? " Off\n" : " On\n");
        else
            expected << (f == 32 ? " Bright\n" : " Dim\n");
    }
    EXPECT_EQ(out.str(), expected.str() + "M1 On\n"); // the spare last row is all zeros
}

TEST(Frames, EachOf79HalfStepsLastsAtLeastAMillisecondAndTheLinesEndUp) {
    auto state = std::make_unique<AppState>();
    InitializeData(*state, 0);
    RecordingSerialControl serial;
    ASSERT_TRUE(OpenPort(serial));
    struct Stepping : ISteadyClock { // each reading a quarter millisecond on
        std::int64_t reads = 0;
        std::int64_t NowNanoseconds() override { return ++reads * 250'000; }
    } steady;
    Transmitter(*state, serial, &steady).Transmit_Message(76);
    EXPECT_GE(steady.reads, 79 * 5);
    EXPECT_TRUE(serial.changes.size() == 2 + 79 * 2 + 2u && serial.dtr && serial.rts &&
                state->FrameStep == 0);
}
