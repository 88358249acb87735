#pragma once
// Fakes for the core's outside world: a clock a test sets, a scripted random
// sequence, a steady clock that moves on by itself, and a serial control that
// records every line change.

#include "app/Interfaces.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tarnwick::testing {

class FakeClock : public IClock {
public:
    explicit FakeClock(DateTime now = 0) : now_(now) {}
    DateTime Now() override { return now_; }
    void Set(DateTime now) { now_ = now; }
    void AdvanceSeconds(double seconds) { now_ += seconds / 86400.0; }

private:
    DateTime now_;
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

class RecordingSerialControl : public ISerialControl {
public:
    void SetCommPort(std::int16_t port) override { port_ = port; }
    std::int16_t CommPort() const override { return port_; }
    void SetSettings(const std::string& settings) override { settings_ = settings; }
    void SetPortOpen(bool open) override {
        ++openCalls;
        open_ = open && !failOpen;
    }
    bool PortOpen() const override { return open_; }
    void SetDTREnable(bool asserted) override {
        dtr = asserted;
        changes.push_back({LineChange::DTR, asserted});
    }
    void SetRTSEnable(bool asserted) override {
        rts = asserted;
        changes.push_back({LineChange::RTS, asserted});
    }
    const std::string& settings() const { return settings_; }

    bool failOpen = false;
    int openCalls = 0;
    bool dtr = false;
    bool rts = false;
    std::vector<LineChange> changes;

private:
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
