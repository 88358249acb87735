#pragma once
// Fakes for the core's outside world: a clock a test sets and a serial control that
// records every line change.

#include "base/Interfaces.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarnwick::testing {

// Keeps whole milliseconds, so that long runs of small steps never drift, and reads
// like the real clock: whole seconds, truncated.
class FakeClock : public IClock {
public:
    explicit FakeClock(DateTime now = 0) { Set(now); }
    DateTime Now() override {
        const std::int64_t seconds = FloorDiv(ms_, 1000);
        const std::int64_t days = FloorDiv(seconds, 86400);
        // Built as MakeDateTime builds it, so the values compare equal.
        return static_cast<DateTime>(days) + static_cast<DateTime>(seconds - days * 86400) / 86400;
    }
    int MillisecondOfMinute() override { return static_cast<int>(((ms_ % 60000) + 60000) % 60000); }
    void Set(DateTime now) { ms_ = std::llround(now * 86'400'000.0); }
    void AdvanceSeconds(double seconds) { ms_ += std::llround(seconds * 1000.0); }
    void AdvanceMilliseconds(std::int64_t ms) { ms_ += ms; }
    std::int64_t Milliseconds() const { return ms_; }

private:
    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

    std::int64_t ms_ = 0;
};

struct LineChange {
    enum Line { DTR, RTS } line;
    bool asserted;
};

// Opening raises both lines, as the real port does. Both lines low on an open port cut
// the interface's power, so any call that leaves them so ends the test on the spot.
class RecordingSerialControl : public ISerialControl {
public:
    bool Open(int number) override {
        ++openCalls;
        port = number;
        open = !failOpen;
        if (open) dtr = rts = true;
        return open;
    }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    std::string DeviceName(int number) const override { return "/dev/ttyS" + std::to_string(number - 1); }
    std::string FailureReason() const override { return open ? "" : "No such file or directory"; }

    int port = 0;
    bool open = false;
    bool failOpen = false;
    bool dtr = true;
    bool rts = true;
    int openCalls = 0;
    std::vector<LineChange> changes;

protected:
    void SetLine(Line line, bool asserted) override {
        (line == Line::Dtr ? dtr : rts) = asserted;
        changes.push_back({line == Line::Dtr ? LineChange::DTR : LineChange::RTS, asserted});
        if (open && !dtr && !rts) {
            std::fprintf(stderr, "FAIL: DTR and RTS both low on an open port\n");
            std::abort();
        }
    }
};

} // namespace tarnwick::testing
