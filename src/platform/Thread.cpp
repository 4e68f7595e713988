// Thread: a pthread with a fixed stack size and an end signal, so that callers can wait with a
// time limit (pthreads have no timed join of their own).
#include "platform/Thread.h"

#include <pthread.h>

#include <cerrno>
#include <chrono>

struct Thread::Native {
    pthread_t handle{};
    bool joinable = false;
};

namespace {

struct StartRecord {
    Thread::Routine routine;
    void* context;
    std::shared_ptr<void> state;  // keeps the end signal alive while the routine runs
};

}  // namespace

Thread::Thread() : m_Native(std::make_unique<Native>()) {}

std::unique_ptr<Thread> Thread::Start(Routine routine, void* context)
{
    std::unique_ptr<Thread> thread(new Thread);
    thread->m_State = std::make_shared<State>();
    auto* start = new StartRecord{routine, context, thread->m_State};

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackSize);
    int result = pthread_create(
        &thread->m_Native->handle, &attributes,
        [](void* argument) -> void* {
            StartRecord* record = static_cast<StartRecord*>(argument);
            auto state = std::static_pointer_cast<State>(record->state);
            Routine routine = record->routine;
            void* context = record->context;
            delete record;
            uint32_t code = routine(context);
            std::lock_guard<std::mutex> guard(state->lock);
            state->exitCode = code;
            state->ended = true;
            state->endedSignal.notify_all();
            return nullptr;
        },
        start);
    pthread_attr_destroy(&attributes);
    if (result != 0) {
        delete start;
        errno = result;
        return nullptr;
    }
    thread->m_Native->joinable = true;
    return thread;
}

Thread::~Thread()
{
    if (!m_Native->joinable)
        return;
    if (m_State->ended && !IsCurrent())
        pthread_join(m_Native->handle, nullptr);
    else
        pthread_detach(m_Native->handle);
}

bool Thread::Join(int32_t timeoutMs)
{
    if (!m_Native->joinable)
        return m_State->ended;
    if (IsCurrent())
        return false;
    {
        std::unique_lock<std::mutex> guard(m_State->lock);
        if (timeoutMs < 0)
            m_State->endedSignal.wait(guard, [this] { return m_State->ended.load(); });
        else if (!m_State->endedSignal.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                                [this] { return m_State->ended.load(); }))
            return false;
    }
    pthread_join(m_Native->handle, nullptr);
    m_Native->joinable = false;
    return true;
}

void Thread::Detach()
{
    if (m_Native->joinable) {
        pthread_detach(m_Native->handle);
        m_Native->joinable = false;
    }
}

bool Thread::IsCurrent() const
{
    return m_Native->joinable && pthread_equal(m_Native->handle, pthread_self());
}
