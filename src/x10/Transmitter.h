#pragma once
// The serial line driver: opens and closes the port and clocks one message out
// as a 40-bit frame on DTR and RTS, each half-step timed by a counting loop.

#include "base/AppState.h"
#include "base/Interfaces.h"

#include <cstdint>
#include <optional>

namespace tarnwick {

inline constexpr int kHalfSteps = 79;
inline constexpr std::int64_t kMinimumHalfStepNs = 1'000'000;

// The counting loop of one half-step: 101 rounds of counting a 16-bit counter
// from 0 up to and including delayFactor. Returns the steps counted so the
// compiler cannot drop the loop.
std::int32_t CountingWait(std::int16_t delayFactor);

// Opens the port with both lines asserted from the first moment (both low would cut
// the interface's power) and reports whether it really opened.
bool OpenPort(ISerialControl& serial);
// Closes the port if it is open; the line levels are left as they are.
void ClosePort(ISerialControl& serial);

class Transmitter final : public IMessageSender {
public:
    // steady may be null: then only the counting loop times the half-steps.
    Transmitter(AppState& state, ISerialControl& serial, ISteadyClock* steady);

    // Sends the frame of message (0..544) and returns with both lines asserted.
    // A number outside the table sends nothing and touches no line.
    void Transmit_Message(std::int32_t message) override;

    // From now on a port found closed (an adapter unplugged, or one that would not open)
    // is opened again, quietly, before each frame.
    void ReopenBeforeFrames() { reopen_ = true; }
    // Opens the port if it is closed; true when it is open.
    bool EnsurePortOpen();

    // The steady-clock time at which the last frame started, when there is a steady clock.
    std::optional<std::int64_t> LastFrameStartNs() const { return lastFrameStart_; }

private:
    void WaitHalfStep(std::int64_t started);

    AppState& state_;
    ISerialControl& serial_;
    ISteadyClock* steady_;
    bool reopen_ = false;
    std::optional<std::int64_t> lastFrameStart_;
};

} // namespace tarnwick
