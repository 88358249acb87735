#pragma once
// The outside world as the core sees it: the local clock, the random generator,
// a steady clock for frame timing and the serial port's control lines. The
// application supplies the real ones; tests supply fakes.

#include "base/LocalTime.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tarnwick {

// The wall clock: UTC, and the local time zone's offset from it, which moves twice a year.
class IClock {
public:
    virtual ~IClock() = default;
    // Now in whole seconds, truncated: never ahead of the real time.
    virtual std::chrono::sys_seconds NowUtc() = 0;
    // Local time minus UTC at the moment at.
    virtual std::chrono::seconds UtcOffset(std::chrono::sys_seconds at) const = 0;
    // Milliseconds into the current local minute, 0..59999, for phasing the timer to the minute.
    virtual int MillisecondOfMinute() { return TimeOfDay::Of(NowLocal()).Second() * 1000; }

    // The current local date and time in whole seconds.
    LocalSeconds NowLocal() {
        const std::chrono::sys_seconds utc = NowUtc();
        return LocalTimeAt(utc, UtcOffset(utc));
    }
};

// One process-wide uniform sequence in [0, 1).
class IRandom {
public:
    virtual ~IRandom() = default;
    virtual double Next() = 0;
};

// Monotonic time for the minimum length of a half-step.
class ISteadyClock {
public:
    virtual ~ISteadyClock() = default;
    virtual std::int64_t NowNanoseconds() = 0;
};

// The serial port as the interface uses it: two control lines, never a data byte.
class ISerialControl {
public:
    virtual ~ISerialControl() = default;

    // Opens COM port n with both lines asserted from its first moment, which powers the
    // interface; false when the port cannot be opened.
    virtual bool Open(int port) = 0;
    // Closes the port if it is open; the lines are left as they are.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // The device behind port n as the user knows it ("/dev/ttyS1", "COM2"); empty when
    // no real port is behind the control.
    virtual std::string DeviceName(int port) const = 0;
    // Why the port is not open, or why the last line would not move, in the system's words.
    virtual std::string FailureReason() const { return {}; }

    // Raises before it lowers, so that the interface never sees both lines low: that is
    // a loss of its power. Both low is never asked for and is refused. False at the first
    // line that would not move; the lines after it are left as they are.
    bool SetLines(bool dtr, bool rts) {
        if (!dtr && !rts) return false;
        if (dtr && !SetLine(Line::Dtr, true)) return false;
        if (rts && !SetLine(Line::Rts, true)) return false;
        if (!dtr && !SetLine(Line::Dtr, false)) return false;
        if (!rts && !SetLine(Line::Rts, false)) return false;
        return true;
    }

    enum class Line { Dtr, Rts };

protected:
    // False when the line did not move.
    virtual bool SetLine(Line line, bool asserted) = 0;
};

// What made a frame go out, for the status line and the history; CatchUp is a switching
// that fell due while the clock passed its minute over (asleep, set forward, not running);
// Mqtt a command from the home-automation broker.
enum class FrameSource { Manual, Schedule, Sunrise, Sunset, CatchUp, Mqtt };

// How the history and the status bar name a source.
inline const char* SourceName(FrameSource source) {
    switch (source) {
    case FrameSource::Manual:
        return "manual";
    case FrameSource::Schedule:
        return "schedule";
    case FrameSource::Sunrise:
        return "sunrise";
    case FrameSource::Sunset:
        return "sunset";
    case FrameSource::CatchUp:
        return "catch-up";
    case FrameSource::Mqtt:
        return "mqtt";
    }
    return "unknown";
}

// Whatever sends one message number as a frame.
class IMessageSender {
public:
    virtual ~IMessageSender() = default;
    virtual void Send(std::int32_t message, FrameSource source) = 0;
};

} // namespace tarnwick
