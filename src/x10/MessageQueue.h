#pragma once
// The transmit queue: message numbers waiting for the timer, one frame a tick. It drops
// nothing: every entry of the tables can fall due in one minute, with a catch-up besides.

#include "base/Interfaces.h"

#include <cstdint>
#include <deque>

namespace tarnwick {

class MessageQueue {
public:
    // Gives the message its ticket: every message queued gets the next number.
    std::uint64_t Queue(std::int16_t message, FrameSource source);
    // Sends the oldest waiting message, if any: at most one frame a call.
    bool SendNext(IMessageSender& sender);
    int WaitingCount() const { return static_cast<int>(waiting_.size()); }
    int WaitingFrom(FrameSource source) const;
    // The messages whose tickets are below this have been sent.
    std::uint64_t FirstWaitingTicket() const { return sent_; }

private:
    struct Waiting {
        std::int16_t message = 0;
        FrameSource source = FrameSource::Schedule;
    };
    std::deque<Waiting> waiting_;
    std::uint64_t sent_ = 0;
};

} // namespace tarnwick
