// cfThreadSyncTest: the lock is re-entrant on one thread and exclusive between threads.
#include "base/thread/cfThreadSync.h"

#include "platform/Thread.h"

#include <gtest/gtest.h>

namespace {

struct Shared {
    cfThreadMutex lock{0};
    int64_t counter = 0;
};

uint32_t AddMany(void* context)
{
    Shared& shared = *static_cast<Shared*>(context);
    for (int i = 0; i < 20000; ++i) {
        cfThreadLock outer(shared.lock);
        cfThreadLock inner(shared.lock);  // the same thread may enter again
        ++shared.counter;
    }
    return 0;
}

}  // namespace

TEST(cfThreadSyncTest, ReentrantAndExclusive)
{
    Shared shared;
    shared.lock.Lock();
    shared.lock.Lock();
    shared.lock.Unlock();
    shared.lock.Unlock();

    auto first = Thread::Start(AddMany, &shared);
    auto second = Thread::Start(AddMany, &shared);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->Join());
    EXPECT_TRUE(second->Join());
    EXPECT_EQ(shared.counter, 40000);
}
