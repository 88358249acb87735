#include "x10/MessageQueue.h"

namespace tarnwick {

std::uint64_t MessageQueue::Queue(std::int16_t message, FrameSource source) {
    waiting_.push_back({message, source});
    return sent_ + waiting_.size() - 1;
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
    ++sent_;
    sender.Send(next.message, next.source);
    return true;
}

} // namespace tarnwick
