#include "x10/MessageQueue.h"

namespace tarnwick {

void MessageQueue::Queue(std::int16_t message, FrameSource source) {
    const int next = (tail_ + 1) % kSlots;
    if (next == head_) return;
    slots_[static_cast<std::size_t>(next)] = {message, source};
    tail_ = next;
}

bool MessageQueue::SendNext(IMessageSender& sender) {
    if (head_ == tail_) return false;
    head_ = (head_ + 1) % kSlots;
    const Waiting& next = slots_[static_cast<std::size_t>(head_)];
    sender.Send(next.message, next.source);
    return true;
}

} // namespace tarnwick
