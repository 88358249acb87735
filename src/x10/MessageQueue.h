#pragma once
// The transmit queue: a ring of 41 message numbers filled by the scheduler and
// drained one frame per timer tick.

#include "base/AppState.h"
#include "base/Interfaces.h"

#include <cstdint>

namespace tarnwick {

inline constexpr int kQueueCapacity = kQueueSlotCount - 1; // one slot always stays free

// The ring index after index: 0 after 40.
std::int16_t IncrementMessageQueue(std::int16_t index);

// Appends message, or drops it without notice when 40 are already waiting.
void QueueMessage(AppState& state, std::int16_t message);

// Sends the oldest waiting message, if any: at most one frame per call.
void TransmitQueuedMessage(AppState& state, IMessageSender& sender);

} // namespace tarnwick
