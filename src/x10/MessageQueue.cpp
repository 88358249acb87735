#include "x10/MessageQueue.h"

namespace tarnwick {

std::int16_t IncrementMessageQueue(std::int16_t index) {
    // An index outside the ring (never written by this code) restarts it rather than overrun the slots.
    if (index < 0 || index >= kQueueSlotCount - 1) return 0;
    return static_cast<std::int16_t>(index + 1);
}

void QueueMessage(AppState& state, std::int16_t message) {
    const std::int16_t next = IncrementMessageQueue(state.QueueTail);
    if (next == state.QueueHead) return;
    state.MessageQueue[static_cast<std::size_t>(next)] = message;
    state.QueueTail = next;
}

void TransmitQueuedMessage(AppState& state, IMessageSender& sender) {
    if (state.QueueHead == state.QueueTail) return;
    state.QueueHead = IncrementMessageQueue(state.QueueHead);
    sender.Transmit_Message(
        static_cast<std::int32_t>(state.MessageQueue[static_cast<std::size_t>(state.QueueHead)]));
}

} // namespace tarnwick
