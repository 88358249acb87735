#pragma once
// Fakes for the core's outside world: a clock a test sets and a serial control that
// records every line change.

#include "base/Interfaces.h"
#include "x10/FrameDecoder.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::testing {

// A local date and time.
inline LocalSeconds LocalAt(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    using namespace std::chrono;
    return local_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} +
           seconds{second};
}

// Keeps whole milliseconds of UTC, so that long runs of small steps never drift, and reads
// like the real clock: whole seconds, truncated. Local time is UTC unless a zone is given.
class FakeClock : public IClock {
public:
    using Zone = std::function<std::chrono::seconds(std::chrono::sys_seconds)>;

    explicit FakeClock(LocalSeconds local = LocalAt(1899, 12, 30), Zone zone = {}) : zone_(std::move(zone)) {
        Set(local);
    }
    std::chrono::sys_seconds NowUtc() override {
        return std::chrono::sys_seconds{std::chrono::seconds{FloorDiv(ms_, 1000)}};
    }
    std::chrono::seconds UtcOffset(std::chrono::sys_seconds at) const override {
        return zone_ ? zone_(at) : std::chrono::seconds{0};
    }
    int MillisecondOfMinute() override {
        const std::int64_t local = ms_ + OffsetMs();
        return static_cast<int>(((local % 60000) + 60000) % 60000);
    }
    // Sets the clock to a local time; one the zone passes over or shows twice is taken after the change.
    void Set(LocalSeconds local) {
        const std::int64_t target = local.time_since_epoch().count() * 1000;
        ms_ = target;
        for (int i = 0; i < 3; ++i) ms_ = target - OffsetMs();
    }
    void AdvanceSeconds(double seconds) { ms_ += std::llround(seconds * 1000.0); }
    void AdvanceMilliseconds(std::int64_t ms) { ms_ += ms; }

private:
    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }
    std::int64_t OffsetMs() const {
        if (!zone_) return 0;
        const std::chrono::sys_seconds at{std::chrono::seconds{FloorDiv(ms_, 1000)}};
        return zone_(at).count() * 1000;
    }

    Zone zone_;
    std::int64_t ms_ = 0; // UTC milliseconds since 1970-01-01 00:00
};

// A real time zone by its name ("America/New_York"), from the system's zone database.
inline FakeClock::Zone RealZone(const char* name) {
    setenv("TZ", name, 1);
    tzset();
    return [](std::chrono::sys_seconds at) {
        const std::time_t t = at.time_since_epoch().count();
        std::tm local{};
        localtime_r(&t, &local);
        return std::chrono::seconds{local.tm_gmtoff};
    };
}

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
    std::string FailureReason() const override {
        if (!open) return "No such file or directory";
        return stuck ? "DTR would not change: Input/output error" : "";
    }

    // The frames that went out on the lines so far, as "C3 On"; forgets them afterwards.
    std::vector<std::string> TakeFrames() {
        std::vector<std::string> frames;
        FrameDecoder decoder([&frames](const std::string& line) { frames.push_back(line); });
        bool d = true, r = true;
        for (const LineChange& c : changes) {
            (c.line == LineChange::DTR ? d : r) = c.asserted;
            decoder.LinesChanged(d, r);
        }
        changes.clear();
        return frames;
    }

    int port = 0;
    bool open = false;
    bool failOpen = false;
    bool dtr = true;
    bool rts = true;
    int openCalls = 0;
    std::optional<Line> stuck; // a line that will not move while the port is open
    std::vector<LineChange> changes;

protected:
    bool SetLine(Line line, bool asserted) override {
        if (stuck && open && line == *stuck) return false;
        (line == Line::Dtr ? dtr : rts) = asserted;
        changes.push_back({line == Line::Dtr ? LineChange::DTR : LineChange::RTS, asserted});
        if (open && !dtr && !rts) {
            std::fprintf(stderr, "FAIL: DTR and RTS both low on an open port\n");
            std::abort();
        }
        return true;
    }
};

} // namespace tarnwick::testing
