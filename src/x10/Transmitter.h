#pragma once
// The line driver: opens the chosen port and clocks one message out as a 40-bit
// frame on DTR and RTS, each half-step timed by a counting loop.

#include "base/Interfaces.h"
#include "base/Settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarnwick {

inline constexpr int kHalfSteps = 79;
inline constexpr std::int64_t kMinimumHalfStepNs = 1'000'000;

// The counting loop of one half-step: 101 rounds of counting a 16-bit counter
// from 0 up to and including delayFactor. Returns the steps counted so the
// compiler cannot drop the loop.
std::int32_t CountingWait(std::int16_t delayFactor);

// One frame as it ended: what it was, what made it, whether it went out whole, and if
// not, why ("no port open", a line that would not move).
struct FrameReport {
    std::int32_t message = 0;
    FrameSource source = FrameSource::Manual;
    bool wentOut = false;
    std::string failure;
};

class Transmitter final : public IMessageSender {
public:
    // steady may be null: then only the counting loop times the half-steps.
    Transmitter(const Settings& settings, ISerialControl& serial, ISteadyClock* steady);

    // Opens the port of the settings; false when it will not open.
    bool OpenPort() { return serial_.Open(settings_.commPort); }
    void ClosePort() { serial_.Close(); }
    bool IsPortOpen() const { return serial_.IsOpen(); }

    // Sends the frame of message (0..544) and returns with both lines asserted.
    // A number outside the table sends nothing and touches no line.
    void Send(std::int32_t message, FrameSource source) override;
    // A command given by hand.
    void Send(std::int32_t message) { Send(message, FrameSource::Manual); }

    // Told of every frame after its last half-step.
    void SetFrameObserver(std::function<void(const FrameReport&)> observer) {
        observer_ = std::move(observer);
    }

    // While a frame is on the lines a manual command must wait: the half-steps sent so far.
    int FrameStep() const { return frameStep_; }
    bool Busy() const { return frameStep_ != 0; }

    // From now on a port found closed (an adapter unplugged, or one that would not open)
    // is opened again, quietly, before each frame.
    void ReopenBeforeFrames() { reopen_ = true; }
    // Opens the port if it is closed; true when it is open.
    bool EnsurePortOpen() { return IsPortOpen() || OpenPort(); }

    // The steady-clock time at which the last frame started, when there is a steady clock.
    std::optional<std::int64_t> LastFrameStartNs() const { return lastFrameStart_; }

private:
    void WaitHalfStep(std::int16_t delayFactor, std::int64_t started);

    const Settings& settings_;
    ISerialControl& serial_;
    ISteadyClock* steady_;
    int frameStep_ = 0;
    bool reopen_ = false;
    std::optional<std::int64_t> lastFrameStart_;
    std::function<void(const FrameReport&)> observer_;
};

} // namespace tarnwick
