// ThreadContainer: reserved threads, reuse of idle workers, ending the pool and a task that hangs.
#include "base/ThreadContainer.h"

#include "base/ErrorClass.h"
#include "base/Log.h"
#include "platform/Clock.h"
#include "platform/ThreadEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace {

// A task that waits for the test to release it, so the test decides when it ends.
struct GatedTask {
    ThreadEvent started;
    ThreadEvent release;
    std::atomic<int32_t> runs{0};
    static void Run(void* argument)
    {
        auto* task = static_cast<GatedTask*>(argument);
        task->runs++;
        task->started.Set();
        task->release.Wait();
    }
};

void WaitForState(ThreadContainer& pool, int32_t slot, int32_t state)
{
    while (pool.GetThreadState(slot) != state)
        Platform::SleepMs(1);
}

}  // namespace

TEST(ThreadContainerTest, ReservedThreadsServeTasksAndAThirdIsCreated)
{
    ThreadContainer pool;
    pool.ReserveThreads(2);
    EXPECT_EQ(pool.GetNumThreads(), 2);
    EXPECT_EQ(pool.GetThreadState(0), ThreadContainer::kIdle);

    GatedTask a, b, c;
    int32_t slotA = pool.StartThread(GatedTask::Run, &a);
    int32_t slotB = pool.StartThread(GatedTask::Run, &b);
    a.started.Wait();
    b.started.Wait();
    EXPECT_EQ(slotA, 0);
    EXPECT_EQ(slotB, 1);
    EXPECT_EQ(pool.GetNumThreads(), 2);  // no thread created for the first two

    int32_t slotC = pool.StartThread(GatedTask::Run, &c);
    c.started.Wait();
    EXPECT_EQ(slotC, 2);
    EXPECT_EQ(pool.GetNumThreads(), 3);
    EXPECT_EQ(pool.GetThreadState(slotC), ThreadContainer::kRunning);
    EXPECT_NE(pool.GetThreadHandle(slotC), nullptr);

    a.release.Set();
    b.release.Set();
    c.release.Set();
    pool.FinishAllThreads();
    EXPECT_EQ(pool.GetNumThreads(), 0);
}

TEST(ThreadContainerTest, FinishedTaskReturnsItsRecordToIdleForReuse)
{
    ThreadContainer pool;
    GatedTask first, second;
    int32_t slot = pool.StartThread(GatedTask::Run, &first);
    first.release.Set();
    WaitForState(pool, slot, ThreadContainer::kIdle);

    EXPECT_EQ(pool.StartThread(GatedTask::Run, &second), slot);
    second.started.Wait();
    EXPECT_EQ(pool.GetNumThreads(), 1);
    EXPECT_EQ(second.runs, 1);
    EXPECT_EQ(first.runs, 1);
    second.release.Set();
}

TEST(ThreadContainerTest, FinishAllEndsIdleThreadsAndEmptiesThePool)
{
    ThreadContainer pool;
    pool.FinishAllThreads();  // empty pool: nothing to do
    pool.ReserveThreads(3);
    pool.FinishAllThreads();
    EXPECT_EQ(pool.GetNumThreads(), 0);
    EXPECT_EQ(pool.GetThreadState(0), 0);

    pool.ReserveThreads(1);  // the pool can be filled again
    EXPECT_EQ(pool.GetNumThreads(), 1);
}

TEST(ThreadContainerTest, TaskThatDoesNotReturnKeepsItsRecordAfterTheWarning)
{
    static std::string s_Lines;
    s_Lines.clear();
    Log::SetEchoHook([](const char* line) { s_Lines += line; });
    ErrorClassSimple::ResetWarningsForTest();

    ThreadContainer pool;
    pool.ReserveThreads(2);
    GatedTask hanging;
    int32_t slot = pool.StartThread(GatedTask::Run, &hanging);
    hanging.started.Wait();

    pool.FinishAllThreads();  // waits about 500 ms for the hanging task
    Log::SetEchoHook(nullptr);
    EXPECT_NE(s_Lines.find("FinishAllThreads failed because 1 threads are still running"), std::string::npos);
    EXPECT_EQ(pool.GetNumThreads(), 1);  // the idle one ended and was removed
    EXPECT_EQ(pool.GetThreadState(slot), ThreadContainer::kRunning);

    hanging.release.Set();
    pool.FinishAllThreads();
    EXPECT_EQ(pool.GetNumThreads(), 0);
}

TEST(ThreadContainerTest, ErrorsOfATaskStayOnItsWorker)
{
    struct Thrower {
        static void Error(void*) { ErrorClassSimple::StaticError("task failed"); }
        static void Std(void*) { throw std::runtime_error("standard failure"); }
    };
    ThreadContainer pool;
    int32_t slot = pool.StartThread(Thrower::Error, nullptr);
    WaitForState(pool, slot, ThreadContainer::kIdle);
    EXPECT_EQ(pool.StartThread(Thrower::Std, nullptr), slot);
    WaitForState(pool, slot, ThreadContainer::kIdle);

    GatedTask after;  // the worker survived both and runs the next task
    EXPECT_EQ(pool.StartThread(GatedTask::Run, &after), slot);
    after.release.Set();
    after.started.Wait();
}
