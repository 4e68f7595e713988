// Thread: std::thread with an end signal so that callers can wait with a time limit.
#include "platform/Thread.h"

#include <chrono>
#include <system_error>

std::unique_ptr<Thread> Thread::Start(Routine routine, void* context)
{
    std::unique_ptr<Thread> thread(new Thread);
    thread->m_State = std::make_shared<State>();
    std::shared_ptr<State> state = thread->m_State;
    try {
        thread->m_Thread = std::thread([state, routine, context] {
            uint32_t code = routine(context);
            std::lock_guard<std::mutex> guard(state->lock);
            state->exitCode = code;
            state->ended = true;
            state->endedSignal.notify_all();
        });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return thread;
}

Thread::~Thread()
{
    if (m_Thread.joinable()) {
        if (m_State->ended && !IsCurrent())
            m_Thread.join();
        else
            m_Thread.detach();
    }
}

bool Thread::Join(int32_t timeoutMs)
{
    if (!m_Thread.joinable())
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
    m_Thread.join();
    return true;
}

void Thread::Detach()
{
    if (m_Thread.joinable())
        m_Thread.detach();
}

bool Thread::IsCurrent() const { return m_Thread.get_id() == std::this_thread::get_id(); }
