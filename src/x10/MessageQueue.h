#pragma once
// The transmit queue: message numbers waiting for the timer, one frame a tick.

#include "base/Interfaces.h"

#include <array>
#include <cstdint>

namespace tarnwick {

class MessageQueue {
public:
    static constexpr int kCapacity = 40;

    // Appends message, or drops it without notice when 40 are already waiting.
    void Queue(std::int16_t message, FrameSource source);
    // Sends the oldest waiting message, if any: at most one frame a call.
    bool SendNext(IMessageSender& sender);
    int WaitingCount() const { return (tail_ - head_ + kSlots) % kSlots; }

private:
    static constexpr int kSlots = kCapacity + 1; // a ring with one slot always free

    struct Waiting {
        std::int16_t message = 0;
        FrameSource source = FrameSource::Schedule;
    };
    std::array<Waiting, kSlots> slots_{};
    int head_ = 0;
    int tail_ = 0;
};

} // namespace tarnwick
