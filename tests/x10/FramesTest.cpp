// Frames as the interface reads them off DTR and RTS.

#include "x10/CodeTable.h"
#include "x10/SimulatedSerialControl.h"
#include "x10/Transmitter.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tarnwick;
using namespace tarnwick::testing;

TEST(Frames, EveryMessageReadsBackOffTheLinesAsItsCommand) {
    const Settings settings;
    std::ostringstream out, expected;
    SimulatedSerialControl serial(out, nullptr);
    Transmitter transmitter(settings, serial, nullptr);
    for (int m = -1; m <= kMessageCount; ++m) transmitter.Send(m); // -1 and 545 send nothing
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

// Every message's lines against the frames an independent sender put on them: a bit is the
// one line lowered (DTR for a 1, RTS for a 0) between moments with both up.
TEST(Frames, EveryMessageDropsTheLinesAsAnIndependentSenderDoes) {
    std::ifstream golden(TARNWICK_GOLDEN_FRAMES);
    ASSERT_TRUE(golden.is_open());
    const Settings settings;
    RecordingSerialControl serial;
    Transmitter transmitter(settings, serial, nullptr);
    ASSERT_TRUE(transmitter.OpenPort());
    int message = 0;
    for (std::string line; std::getline(golden, line);) {
        if (line.empty() || line[0] == '#' || line.starts_with("command")) continue;
        std::istringstream fields(line);
        std::string command, word, bits;
        std::getline(fields, command, '\t');
        std::getline(fields, bits, '\t');
        serial.changes.clear();
        transmitter.Send(message);
        std::string sent;
        for (const LineChange& c : serial.changes)
            if (!c.asserted) sent += c.line == LineChange::DTR ? '1' : '0';
        EXPECT_EQ(CommandText(message), command);
        EXPECT_EQ(sent, bits) << command;
        ++message;
    }
    EXPECT_EQ(message, 544);
}

TEST(Frames, EachOf79HalfStepsLastsAtLeastAMillisecondAndTheLinesEndUp) {
    const Settings settings;
    RecordingSerialControl serial;
    Transmitter transmitter(settings, serial, nullptr);
    ASSERT_TRUE(transmitter.OpenPort());
    struct Stepping : ISteadyClock { // each reading a quarter millisecond on
        std::int64_t reads = 0;
        std::int64_t NowNanoseconds() override { return ++reads * 250'000; }
    } steady;
    Transmitter timed(settings, serial, &steady);
    timed.Send(76);
    EXPECT_GE(steady.reads, 79 * 5);
    EXPECT_TRUE(serial.changes.size() == 79 * 2 + 2u);
    EXPECT_TRUE(serial.dtr);
    EXPECT_TRUE(serial.rts);
    EXPECT_TRUE(timed.FrameStep() == 0);
}

// A line that will not move on an open port ends the frame at once: the rest would be garbage
// to the interface. The lines are put back up and the frame is reported lost, with the reason.
TEST(Frames, ALineThatWillNotMoveStopsTheFrameAndIsReported) {
    const Settings settings;
    RecordingSerialControl serial;
    Transmitter transmitter(settings, serial, nullptr);
    ASSERT_TRUE(transmitter.OpenPort());
    std::vector<FrameReport> reports;
    transmitter.SetFrameObserver([&](const FrameReport& r) { reports.push_back(r); });
    serial.stuck = ISerialControl::Line::Dtr;
    transmitter.Send(76, FrameSource::Schedule);
    EXPECT_EQ(serial.changes.size(), 1u); // RTS dropped for the header's first bit, then DTR refused
    EXPECT_TRUE(serial.rts);
    EXPECT_EQ(transmitter.FrameStep(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0].wentOut);
    EXPECT_EQ(reports[0].failure, "DTR would not change: Input/output error");

    serial.stuck.reset();
    serial.changes.clear();
    transmitter.Send(76, FrameSource::Schedule);
    EXPECT_EQ(serial.changes.size(), 79 * 2 + 2u);
    EXPECT_TRUE(reports.back().wentOut);
    EXPECT_EQ(reports.back().failure, "");
}
