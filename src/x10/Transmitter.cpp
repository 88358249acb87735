#include "x10/Transmitter.h"

#include "x10/CodeTable.h"

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

Transmitter::Transmitter(const Settings& settings, ISerialControl& serial, ISteadyClock* steady)
    : settings_(settings), serial_(serial), steady_(steady) {}

void Transmitter::WaitHalfStep(std::int16_t delayFactor, std::int64_t started) {
    CountingWait(delayFactor);
    if (!steady_) return;
    // The interface needs at least 0.5 ms per bit; a fast PC finishes the loop long before.
    while (steady_->NowNanoseconds() - started < kMinimumHalfStepNs) {
    }
}

void Transmitter::Send(std::int32_t message, FrameSource source) {
    if (message < 0 || message >= kMessageCount) return;
    // A frame that still finds no port runs its full timing all the same and is lost.
    if (reopen_) EnsurePortOpen();
    const auto delayFactor = static_cast<std::int16_t>(settings_.cpuFactor * settings_.clockFactor);
    const std::uint64_t frame = FrameOf(message);
    // Without a port the frame keeps its timing all the same, so the pacing of those after
    // it does not change; it is reported lost.
    const bool open = serial_.IsOpen();
    std::string failure = open ? "" : "no port open";

    for (int c = 0; c < kHalfSteps; ++c) {
        // A bit drops one line (DTR for a 1, RTS for a 0); the pause after it has both up.
        const bool bit = (frame >> (kFrameBitCount - 1 - c / 2)) & 1;
        const bool pause = c % 2 == 1;
        if (!serial_.SetLines(pause || !bit, pause || bit) && open) {
            // A line that will not move makes the rest of the frame garbage to the interface.
            failure = serial_.FailureReason();
            if (failure.empty()) failure = "a line would not change";
            break;
        }
        const std::int64_t started = steady_ ? steady_->NowNanoseconds() : 0;
        if (c == 0 && steady_) lastFrameStart_ = started;
        frameStep_ = c + 1;
        WaitHalfStep(delayFactor, started);
    }
    frameStep_ = 0;
    serial_.SetLines(true, true);
    // A port lost during the frame has closed by now.
    if (failure.empty() && !serial_.IsOpen()) failure = "the port was lost";
    if (observer_) observer_({message, source, failure.empty(), failure});
}

} // namespace tarnwick
