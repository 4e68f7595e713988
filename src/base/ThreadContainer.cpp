// ThreadContainer: worker records, the worker loop, handing over tasks and ending the pool.
//
// A worker "suspends" by waiting on its own wake event; handing it a task or the stop request
// sets the event. An event keeps its signal until taken, so a resume that comes before the
// worker has started waiting is never lost (no retry loop as with a suspend count).
#include "base/ThreadContainer.h"

#include "base/DXC_Base.h"
#include "base/Log.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "platform/ThreadEvent.h"

#include <cerrno>
#include <exception>

struct ThreadContainer::ThreadRecord {
    Routine routine = nullptr;  // written by the pool only while the worker waits
    void* argument = nullptr;
    std::atomic<int32_t> state{0};
    int32_t slot = -1;
    std::atomic<int32_t> stop{0};
    ThreadContainer* pool = nullptr;
    std::unique_ptr<Thread> thread;
    uint32_t threadId = 0;
    bool startWaiting = false;  // a reserved thread waits for its first task before it looks at stop
    ThreadEvent wake;
};

namespace {

std::atomic<uint32_t> s_NextThreadId{1};

// Runs one task; nothing a routine throws may leave the worker thread.
void RunRoutine(ThreadContainer::Routine routine, void* argument)
{
    if (!routine)
        return;
    try {
        routine(argument);
    } catch (const ErrorMsg& error) {
        Log::Write("ThreadContainer: task ended with an error: %s", error.message);
    } catch (const DXC_Error& error) {
        Log::Write("ThreadContainer: task ended with an error: %s", error.message);
    } catch (const std::exception& error) {
        Log::Write("ThreadContainer: task ended with an error: %s", error.what());
    } catch (...) {
        Log::Write("ThreadContainer: task ended with an unknown error");
    }
}

}  // namespace

ThreadContainer::ThreadContainer() { CopyName32(this, "ThreadContainer"); }

ThreadContainer::~ThreadContainer()
{
    FinishAllThreads();
    cfThreadLock guard(m_Lock);
    for (auto& record : m_Threads)
        if (record && record->thread)
            record->thread->Detach();  // still running after the warning: it keeps its record alive
    m_Threads.clear();
}

uint32_t ThreadContainer::WorkerMain(void* context)
{
    std::shared_ptr<ThreadRecord> owned = std::move(*static_cast<std::shared_ptr<ThreadRecord>*>(context));
    delete static_cast<std::shared_ptr<ThreadRecord>*>(context);
    ThreadRecord& record = *owned;

    if (record.startWaiting)
        record.wake.Wait();
    if (!record.stop) {
        for (;;) {
            record.state = kRunning;
            RunRoutine(record.routine, record.argument);
            if (record.stop)
                break;
            record.state = kIdle;
            record.wake.Wait();
            if (record.stop)
                break;
        }
    }
    record.state = kFinished;
    return 0;
}

std::shared_ptr<ThreadContainer::ThreadRecord> ThreadContainer::AddRecord(Routine routine, void* argument,
                                                                          int32_t state)
{
    auto record = std::make_shared<ThreadRecord>();
    record->routine = routine;
    record->argument = argument;
    record->state = state;
    record->pool = this;
    record->threadId = s_NextThreadId++;
    size_t slot = 0;
    while (slot < m_Threads.size() && m_Threads[slot])
        ++slot;
    if (slot == m_Threads.size())
        m_Threads.emplace_back();
    m_Threads[slot] = record;
    record->slot = static_cast<int32_t>(slot);
    return record;
}

ThreadContainer::ThreadRecord* ThreadContainer::FindRecord(int32_t slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= m_Threads.size())
        return nullptr;
    return m_Threads[slot].get();
}

// The worker holds its own reference to the record; a thread that cannot start leaves no record
// behind, and the error names the caller through prefix.
void ThreadContainer::LaunchWorker(const std::shared_ptr<ThreadRecord>& record, const char* prefix)
{
    auto* context = new std::shared_ptr<ThreadRecord>(record);
    record->thread = Thread::Start(WorkerMain, context);
    if (!record->thread) {
        int32_t code = errno;
        delete context;
        m_Threads[record->slot].reset();
        Error("%sCan not create thread: %i", prefix, code);
    }
}

void ThreadContainer::ReserveThreads(int32_t n)
{
    cfThreadLock guard(m_Lock);
    for (int32_t i = 0; i < n; i++) {
        std::shared_ptr<ThreadRecord> record = AddRecord(nullptr, nullptr, kIdle);
        record->startWaiting = true;
        LaunchWorker(record, "ReserveThreads: ");
    }
}

int32_t ThreadContainer::StartThread(Routine routine, void* argument)
{
    cfThreadLock guard(m_Lock);
    for (auto& record : m_Threads) {
        if (!record || record->state != kIdle)
            continue;
        record->state = kAssigned;
        record->routine = routine;
        record->argument = argument;
        record->wake.Set();
        return record->slot;
    }
    std::shared_ptr<ThreadRecord> record = AddRecord(routine, argument, kAssigned);
    LaunchWorker(record, "");
    return record->slot;
}

void ThreadContainer::FinishAllThreads()
{
    cfThreadLock guard(m_Lock);
    if (m_Threads.empty())
        return;
    for (auto& record : m_Threads) {
        if (!record || record->state == kFinished)
            continue;
        record->stop = 1;
        record->wake.Set();  // an idle worker wakes and ends; a busy one sees stop after its task
    }

    int32_t running = 0;
    for (int32_t step = 0;; step++) {
        running = 0;
        for (auto& record : m_Threads)
            if (record && record->state != kFinished)
                running++;
        if (running == 0)
            break;
        if (step == kFinishWaitSteps) {
            Warning("FinishAllThreads failed because %i threads are still running", running);
            break;
        }
        Platform::SleepMs(1);
    }

    for (auto& record : m_Threads) {
        if (!record || record->state != kFinished)
            continue;
        record->thread->Join();  // it has stored its last state and is returning
        record.reset();
    }
    if (running == 0)
        m_Threads.clear();
}

int32_t ThreadContainer::GetNumThreads()
{
    cfThreadLock guard(m_Lock);
    int32_t count = 0;
    for (auto& record : m_Threads)
        if (record)
            count++;
    return count;
}

int32_t ThreadContainer::GetThreadState(int32_t slot)
{
    cfThreadLock guard(m_Lock);
    ThreadRecord* record = FindRecord(slot);
    return record ? record->state.load() : 0;
}

Thread* ThreadContainer::GetThreadHandle(int32_t slot)
{
    cfThreadLock guard(m_Lock);
    ThreadRecord* record = FindRecord(slot);
    return record ? record->thread.get() : nullptr;
}
