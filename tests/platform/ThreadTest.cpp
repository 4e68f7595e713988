// Tests of thread start, timed join and the never-destroyed-joinable rule.
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<bool> g_Release{false};

uint32_t Quick(void* context)
{
    static_cast<std::atomic<int>*>(context)->fetch_add(1);
    return 7;
}

uint32_t WaitForRelease(void*)
{
    while (!g_Release)
        std::this_thread::yield();
    return 0;
}

}  // namespace

TEST(ThreadTest, StartsJoinsAndDetaches)
{
    std::atomic<int> counter{0};
    auto thread = Thread::Start(Quick, &counter);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->Join());
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(thread->GetExitCode(), 7u);

    g_Release = false;
    auto slow = Thread::Start(WaitForRelease, nullptr);
    EXPECT_FALSE(slow->Join(10));  // still running: the wait times out
    slow.reset();                  // destroyed while running: detached, not terminated
    g_Release = true;
}
