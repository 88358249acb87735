#pragma once
// Fakes for the core's outside world: a clock a test sets, a scripted random
// sequence, a steady clock that moves on by itself, and a serial control that
// records every line change.

#include "base/Interfaces.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
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

// Plays back the given numbers in a loop.
class ScriptedRandom : public IRandom {
public:
    explicit ScriptedRandom(std::vector<double> values) : values_(std::move(values)) {}
    double Next() override {
        const double v = values_[next_ % values_.size()];
        ++next_;
        return v;
    }
    std::size_t draws() const { return next_; }

private:
    std::vector<double> values_;
    std::size_t next_ = 0;
};

// Each reading moves time on by a fixed step, so a wait for a moment always ends.
class SteppingSteadyClock : public ISteadyClock {
public:
    explicit SteppingSteadyClock(std::int64_t stepNs = 100'000) : stepNs_(stepNs) {}
    std::int64_t NowNanoseconds() override {
        now_ += stepNs_;
        ++reads_;
        return now_;
    }
    std::int64_t reads() const { return reads_; }

private:
    std::int64_t stepNs_;
    std::int64_t now_ = 0;
    std::int64_t reads_ = 0;
};

struct LineChange {
    enum Line { DTR, RTS } line;
    bool asserted;
    bool operator==(const LineChange&) const = default;
};

// Levels set while the port is closed take effect when it opens, as with the real port.
// Both lines low on an open port cut the interface's power, so any call that leaves them
// so ends the test on the spot.
class RecordingSerialControl : public ISerialControl {
public:
    void SetCommPort(std::int16_t port) override { port_ = port; }
    std::int16_t CommPort() const override { return port_; }
    void SetSettings(const std::string& settings) override { settings_ = settings; }
    void SetPortOpen(bool open) override {
        ++openCalls;
        open_ = open && !failOpen;
        CheckPower();
    }
    bool PortOpen() const override { return open_; }
    void SetDTREnable(bool asserted) override {
        dtr = asserted;
        changes.push_back({LineChange::DTR, asserted});
        CheckPower();
    }
    void SetRTSEnable(bool asserted) override {
        rts = asserted;
        changes.push_back({LineChange::RTS, asserted});
        CheckPower();
    }
    const std::string& settings() const { return settings_; }
    // The port goes away under the program, as an unplugged adapter does.
    void Vanish() { open_ = false; }

    bool failOpen = false;
    int openCalls = 0;
    bool dtr = false;
    bool rts = false;
    std::vector<LineChange> changes;

private:
    void CheckPower() const {
        if (open_ && !dtr && !rts) {
            std::fprintf(stderr,
                         "FAIL: DTR and RTS both low on an open port: the interface lost its power\n");
            std::abort();
        }
    }

    std::int16_t port_ = 0;
    std::string settings_;
    bool open_ = false;
};

// Records every message handed over for sending and, given a clock, when.
class RecordingMessageSender : public IMessageSender {
public:
    explicit RecordingMessageSender(IClock* clock = nullptr) : clock_(clock) {}
    void Transmit_Message(std::int32_t message) override {
        sent.push_back(message);
        if (clock_) sentAt.push_back(clock_->Now());
    }

    std::vector<std::int32_t> sent;
    std::vector<DateTime> sentAt;

private:
    IClock* clock_;
};

} // namespace tarnwick::testing
