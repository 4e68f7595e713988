// ThreadContainer: a pool of worker threads that run one routine, then wait until handed the next.
#pragma once
#include "base/ErrorClass.h"
#include "base/thread/cfThreadSync.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class Thread;

class ThreadContainer : public ErrorClass {
public:
    using Routine = void (*)(void* argument);

    // Record states.
    static constexpr int32_t kIdle = 1;      // waiting, ready for a task
    static constexpr int32_t kAssigned = 2;  // a task was handed over, the thread is about to run it
    static constexpr int32_t kRunning = 3;
    static constexpr int32_t kFinished = 4;  // the thread has left its loop

    // How long FinishAllThreads waits for running tasks, in steps of 1 ms.
    static constexpr int32_t kFinishWaitSteps = 500;

    ThreadContainer();
    ~ThreadContainer() override;
    ThreadContainer(const ThreadContainer&) = delete;
    ThreadContainer& operator=(const ThreadContainer&) = delete;

    // Creates n idle threads ahead of use.
    void ReserveThreads(int32_t n);
    // Runs routine(argument) on a pooled thread; returns the record's slot number.
    int32_t StartThread(Routine routine, void* argument);
    // Stops every thread; records of threads that do not end in time stay, with a warning.
    void FinishAllThreads();

    int32_t GetNumThreads();
    int32_t GetThreadState(int32_t slot);  // 0 for a slot without a record
    Thread* GetThreadHandle(int32_t slot);
    int32_t GetStackSize() const { return m_StackSize; }

private:
    struct ThreadRecord;
    static uint32_t WorkerMain(void* context);
    std::shared_ptr<ThreadRecord> AddRecord(Routine routine, void* argument, int32_t state);
    ThreadRecord* FindRecord(int32_t slot);
    void LaunchWorker(const std::shared_ptr<ThreadRecord>& record, const char* prefix);  // with m_Lock held

    int32_t m_StackSize = 0;  // the platform default; kept for the record, threads use the default
    // Records are shared with their threads: a thread that outlives its pool keeps its own record.
    std::vector<std::shared_ptr<ThreadRecord>> m_Threads;  // null: a free slot
    cfThreadMutex m_Lock;
};
