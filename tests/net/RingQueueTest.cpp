// Tests of the message ring: room and the held-back bytes, wrapping, the pending message, reading
// by parts, resizing, and two threads passing messages through it.
#include "net/RingQueue.h"

#include "net/CountingBytes.h"
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> PopAll(RingQueue& queue)
{
    std::vector<uint8_t> out(size_t(queue.GetMessageLength()));
    queue.Pop(out.data(), true);
    return out;
}

}  // namespace

TEST(RingQueueTest, RoomHoldsBackEightBytes)
{
    RingQueue queue(128);
    EXPECT_EQ(queue.GetCapacity(), 128);
    EXPECT_EQ(queue.GetFree(), 120);
    EXPECT_EQ(queue.GetMaxMessage(), 120);

    // 100 bytes take 4 + 100; the room left is 128 - 104 - 8 = 16, then 16 - 12 after a pending
    // 12, which leaves fewer than 8 for the next append.
    ASSERT_TRUE(queue.Push(Filled(100, 1).data(), 100));
    EXPECT_EQ(queue.GetFree(), 16);
    ASSERT_TRUE(queue.Append(Filled(12, 2).data(), 12, false));
    EXPECT_EQ(queue.GetFree(), 4);
    EXPECT_FALSE(queue.Append(Filled(8, 3).data(), 8, true));
    EXPECT_EQ(queue.GetPendingLength(), 12);  // the refused append wrote nothing
    EXPECT_TRUE(queue.Append(Filled(4, 4).data(), 4, true));
    EXPECT_EQ(queue.GetPendingLength(), 0);

    EXPECT_EQ(PopAll(queue), Filled(100, 1));
    std::vector<uint8_t> second = Filled(12, 2);
    std::vector<uint8_t> tail = Filled(4, 4);
    second.insert(second.end(), tail.begin(), tail.end());
    EXPECT_EQ(PopAll(queue), second);
    EXPECT_EQ(queue.GetMessageLength(), 0);
    EXPECT_EQ(queue.GetFree(), 120);

    RingQueue rounded(30);
    EXPECT_EQ(rounded.GetCapacity(), 32);
}

TEST(RingQueueTest, MessagesWrapTheEndIntact)
{
    RingQueue queue(64);
    // Odd lengths move the write position round the ring many times; every message comes back
    // whole, including those whose data runs over the end of the buffer.
    for (int32_t round = 0; round < 50; round++) {
        const int32_t n = 1 + round % 37;
        const std::vector<uint8_t> message = Filled(n, uint8_t(round));
        ASSERT_TRUE(queue.Push(message.data(), n)) << round;
        ASSERT_EQ(queue.GetMessageLength(), n);
        ASSERT_EQ(PopAll(queue), message) << round;
    }
    EXPECT_FALSE(queue.HasMessage());
}

TEST(RingQueueTest, PendingMessageIsBuiltPatchedAndCommitted)
{
    RingQueue queue(256);
    ASSERT_TRUE(queue.Append("header--", 8, false));
    ASSERT_TRUE(queue.Append("body", 4, false));
    EXPECT_FALSE(queue.HasMessage());  // nothing is visible before the commit

    char peek[4] = {};
    EXPECT_TRUE(queue.PeekPending(8, peek, 4));
    EXPECT_EQ(std::string(peek, 4), "body");
    EXPECT_TRUE(queue.PatchPending(0, "HEAD", 4));
    EXPECT_FALSE(queue.PatchPending(10, "xyz", 3));  // past the pending bytes
    EXPECT_FALSE(queue.PeekPending(-1, peek, 1));
    char all[12] = {};
    queue.CopyPending(all);
    EXPECT_EQ(std::string(all, 12), "HEADer--body");

    queue.Commit();
    ASSERT_EQ(queue.GetMessageLength(), 12);
    EXPECT_FALSE(queue.PatchPending(0, "x", 1));  // nothing pending any more

    // An empty message is never committed.
    queue.Commit();
    EXPECT_TRUE(queue.Append(nullptr, 0, true));
    ASSERT_TRUE(queue.Append("zz", 2, false));
    queue.SetPendingLength(0);  // discarded
    queue.Commit();
    std::vector<uint8_t> first = PopAll(queue);
    EXPECT_EQ(std::string(first.begin(), first.end()), "HEADer--body");
    EXPECT_FALSE(queue.HasMessage());
}

TEST(RingQueueTest, ReadTakesPartsAndMovesOnWhenAsked)
{
    RingQueue queue(128);
    ASSERT_TRUE(queue.Push("abcdefghij", 10));
    ASSERT_TRUE(queue.Push("XY", 2));

    struct Step {
        int32_t n;
        bool moveOn;
        int32_t result;
        const char* bytes;  // what arrives, null when nothing
        int32_t readAlready;
        int32_t lengthAfter;
    } const steps[] = {
        {4, false, 4, "abcd", 4, 10},
        {3, false, 3, "efg", 7, 10},
        {4, false, -1, nullptr, 7, 10},  // only 3 remain
        {2, true, 2, "hi", 0, 2},        // the rest of the message is skipped with it
        {3, false, -1, nullptr, 0, 2},
        {2, true, 2, "XY", 0, 0},
        {0, false, -1, nullptr, 0, 0},  // empty queue
    };
    for (const Step& step : steps) {
        char out[16] = {};
        EXPECT_EQ(queue.Read(out, step.n, step.moveOn), step.result) << step.n;
        if (step.bytes) {
            EXPECT_EQ(std::string(out, size_t(step.n)), step.bytes);
        }
        EXPECT_EQ(queue.GetReadAlready(), step.readAlready);
        EXPECT_EQ(queue.GetMessageLength(), step.lengthAfter);
    }

    ASSERT_TRUE(queue.Push("0123456789", 10));
    queue.SetReadAlready(99);
    EXPECT_EQ(queue.GetReadAlready(), 10);
    char head[3] = {};
    EXPECT_EQ(queue.Pop(head, false, 3), 10);  // Pop reads from the start whatever was read
    EXPECT_EQ(std::string(head, 3), "012");
    EXPECT_EQ(queue.Pop(nullptr, true), 10);
    EXPECT_EQ(queue.Pop(nullptr, true), 0);
}

TEST(RingQueueTest, ResizeKeepsMessagesOrRefuses)
{
    RingQueue queue(64);
    // Move the positions to 48 first, so that the first kept message wraps the end.
    for (int32_t i = 0; i < 2; i++) {
        ASSERT_TRUE(queue.Push(Filled(20, 9).data(), 20));
        PopAll(queue);
    }
    ASSERT_TRUE(queue.Push(Filled(20, 1).data(), 20));
    ASSERT_TRUE(queue.Push(Filled(5, 2).data(), 5));
    ASSERT_TRUE(queue.Append(Filled(3, 3).data(), 3, false));

    // Committed 24 + 12, pending 4 + 3: 43 bytes need a capacity of at least 47.
    EXPECT_FALSE(queue.Resize(44));
    EXPECT_EQ(queue.GetCapacity(), 64);
    ASSERT_TRUE(queue.Resize(200));
    EXPECT_EQ(queue.GetCapacity(), 200);
    EXPECT_EQ(queue.GetPendingLength(), 3);
    queue.Commit();
    EXPECT_EQ(PopAll(queue), Filled(20, 1));
    EXPECT_EQ(PopAll(queue), Filled(5, 2));
    EXPECT_EQ(PopAll(queue), Filled(3, 3));
    EXPECT_EQ(queue.GetFree(), 192);
}

namespace {

struct Passing {
    RingQueue queue{256};
    int32_t count = 20000;
    bool intact = true;
};

// Writes message i as i % 61 + 1 bytes of the value i, waiting while the ring is full.
uint32_t Produce(void* context)
{
    auto* passing = static_cast<Passing*>(context);
    for (int32_t i = 0; i < passing->count; i++) {
        const std::vector<uint8_t> message(size_t(i % 61 + 1), uint8_t(i));
        while (!passing->queue.Push(message.data(), int32_t(message.size())))
            std::this_thread::yield();
    }
    return 0;
}

}  // namespace

TEST(RingQueueTest, TwoThreadsPassEveryMessageInOrder)
{
    Passing passing;
    auto producer = Thread::Start(Produce, &passing);
    ASSERT_NE(producer, nullptr);
    for (int32_t i = 0; i < passing.count; i++) {
        while (!passing.queue.HasMessage())
            std::this_thread::yield();
        std::vector<uint8_t> message = PopAll(passing.queue);
        if (message != std::vector<uint8_t>(size_t(i % 61 + 1), uint8_t(i)))
            passing.intact = false;
    }
    EXPECT_TRUE(producer->Join());
    EXPECT_TRUE(passing.intact);
}
