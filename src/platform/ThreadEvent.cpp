// ThreadEvent: an auto-reset event over a mutex and a condition variable.
#include "platform/ThreadEvent.h"

#include <chrono>

void ThreadEvent::Set()
{
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Set = true;
    m_Signal.notify_one();
}

void ThreadEvent::Reset()
{
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Set = false;
}

void ThreadEvent::Wait()
{
    std::unique_lock<std::mutex> guard(m_Lock);
    m_Signal.wait(guard, [this] { return m_Set; });
    m_Set = false;
}

bool ThreadEvent::WaitFor(uint32_t ms)
{
    std::unique_lock<std::mutex> guard(m_Lock);
    if (!m_Signal.wait_for(guard, std::chrono::milliseconds(ms), [this] { return m_Set; }))
        return false;
    m_Set = false;
    return true;
}
