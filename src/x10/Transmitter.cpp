#include "x10/Transmitter.h"

namespace tarnwick {

std::int32_t CountingWait(std::int16_t delayFactor) {
    std::int32_t steps = 0;
    for (int round = 0; round <= 100; ++round) {
        // volatile keeps every counting step in an optimised build.
        for (volatile std::int16_t counter = 0; counter <= delayFactor;) {
            counter = static_cast<std::int16_t>(counter + 1);
            ++steps;
            if (counter == 0) break; // a factor of 32767 would wrap; stop rather than spin forever
        }
    }
    return steps;
}

bool OpenPort(ISerialControl& serial) {
    // Set while closed, these levels are the ones in force when the port opens.
    serial.SetDTREnable(true);
    serial.SetRTSEnable(true);
    serial.SetPortOpen(true);
    return serial.PortOpen();
}

void ClosePort(ISerialControl& serial) {
    if (serial.PortOpen()) serial.SetPortOpen(false);
}

Transmitter::Transmitter(AppState& state, ISerialControl& serial, ISteadyClock* steady)
    : state_(state), serial_(serial), steady_(steady) {}

void Transmitter::WaitHalfStep(std::int64_t started) {
    CountingWait(state_.DelayFactor);
    if (!steady_) return;
    // The interface needs at least 0.5 ms per bit; a fast PC finishes the loop long before.
    while (steady_->NowNanoseconds() - started < kMinimumHalfStepNs) {
    }
}

bool Transmitter::EnsurePortOpen() {
    return serial_.PortOpen() || OpenPort(serial_);
}

void Transmitter::Transmit_Message(std::int32_t message) {
    if (message < 0 || message >= kMessageCount) return;
    // A frame that still finds no port runs its full timing all the same and is lost.
    if (reopen_) EnsurePortOpen();
    state_.DelayFactor = static_cast<std::int16_t>(state_.CpuFactor * state_.ClockFactor);
    for (int b = 0; b < kDataBitCount; ++b) state_.FrameBits[16 + b] = state_.X10CodeTable[message][b];

    // FrameStep is 0 between frames, so the half-step number is the loop index.
    for (std::int16_t c = 0; c < kHalfSteps; ++c) {
        if (c % 2 == 1) {
            serial_.SetDTREnable(true);
            serial_.SetRTSEnable(true);
        } else if (state_.FrameBits[c / 2] == 1) {
            serial_.SetRTSEnable(true);
            serial_.SetDTREnable(false);
        } else {
            serial_.SetDTREnable(true);
            serial_.SetRTSEnable(false);
        }
        const std::int64_t started = steady_ ? steady_->NowNanoseconds() : 0;
        if (c == 0 && steady_) lastFrameStart_ = started;
        state_.FrameStep = static_cast<std::int16_t>(c + 1);
        WaitHalfStep(started);
    }
    state_.FrameStep = 0;
    serial_.SetDTREnable(true);
    serial_.SetRTSEnable(true);
}

} // namespace tarnwick
