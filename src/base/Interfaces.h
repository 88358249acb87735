#pragma once
// The outside world as the core sees it: the local clock, the random generator,
// a steady clock for frame timing and the serial port's control lines. The Qt
// layer supplies the real ones; tests supply fakes.

#include "base/DateTime.h"

#include <cstdint>
#include <string>

namespace tarnwick {

// The local wall clock.
class IClock {
public:
    virtual ~IClock() = default;
    // Current local date and time in whole seconds, truncated: never ahead of the real time.
    virtual DateTime Now() = 0;
    // Milliseconds into the current minute, 0..59999, for phasing the timer to the minute.
    virtual int MillisecondOfMinute() { return ToCivil(Now()).second * 1000; }
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

// The five properties of the serial control the line driver relies on. Errors
// are not thrown: callers test the resulting state, as the driver expects.
class ISerialControl {
public:
    virtual ~ISerialControl() = default;
    virtual void SetCommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;
    virtual void SetSettings(const std::string& settings) = 0;
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;
    virtual void SetDTREnable(bool asserted) = 0;
    virtual void SetRTSEnable(bool asserted) = 0;
};

// Whatever sends one message number as a frame.
class IMessageSender {
public:
    virtual ~IMessageSender() = default;
    virtual void Transmit_Message(std::int32_t message) = 0;
};

} // namespace tarnwick
