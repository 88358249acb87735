#include "x10/MessageQueue.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::RecordingMessageSender;

namespace {

class MessageQueueTest : public ::testing::Test {
protected:
    void Queue(int message) { QueueMessage(*state, static_cast<std::int16_t>(message)); }
    void Send(int times) {
        for (int i = 0; i < times; ++i) TransmitQueuedMessage(*state, sender);
    }

    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    RecordingMessageSender sender;
};

TEST(IncrementMessageQueueTest, StepsRoundTheFortyOneSlots) {
    EXPECT_EQ(IncrementMessageQueue(0), 1);
    EXPECT_EQ(IncrementMessageQueue(39), 40);
    EXPECT_EQ(IncrementMessageQueue(40), 0);
    // An index no queue operation writes restarts the ring instead of leaving it.
    EXPECT_EQ(IncrementMessageQueue(41), 0);
    EXPECT_EQ(IncrementMessageQueue(-1), 0);
}

TEST_F(MessageQueueTest, SendsOneMessagePerCallInQueuedOrderThenNothing) {
    Queue(10);
    Queue(11);
    Send(1);
    EXPECT_EQ(sender.sent, (std::vector<std::int32_t>{10}));
    Send(2);
    EXPECT_EQ(sender.sent, (std::vector<std::int32_t>{10, 11}));
}

TEST_F(MessageQueueTest, FortyFirstWaitingMessageIsDroppedAndTheOthersKept) {
    for (int m = 0; m < 40; ++m) Queue(100 + m);
    const auto slots = state->MessageQueue;
    Queue(999);
    EXPECT_EQ(state->MessageQueue, slots);
    Send(41);
    std::vector<std::int32_t> expected;
    for (int m = 0; m < 40; ++m) expected.push_back(100 + m);
    EXPECT_EQ(sender.sent, expected);
}

TEST_F(MessageQueueTest, WrapsFromSlotFortyToSlotZero) {
    state->QueueHead = 40;
    state->QueueTail = 40;
    Queue(7);
    EXPECT_EQ(state->QueueTail, 0);
    EXPECT_EQ(state->MessageQueue[0], 7);
    Queue(8);
    Send(3);
    EXPECT_EQ(sender.sent, (std::vector<std::int32_t>{7, 8}));
    EXPECT_EQ(state->QueueHead, 1);
}

} // namespace
