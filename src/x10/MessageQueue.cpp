#include "x10/MessageQueue.h"

namespace tarnwick {

void MessageQueue::Queue(std::int16_t message, FrameSource source) {
    waiting_.push_back({message, source});
}

int MessageQueue::WaitingFrom(FrameSource source) const {
    int count = 0;
    for (const Waiting& w : waiting_) count += w.source == source ? 1 : 0;
    return count;
}

bool MessageQueue::SendNext(IMessageSender& sender) {
    if (waiting_.empty()) return false;
    const Waiting next = waiting_.front();
    // Off the queue before it goes out, so that what the frame's observer counts is what still waits.
    waiting_.pop_front();
    sender.Send(next.message, next.source);
    return true;
}

} // namespace tarnwick
