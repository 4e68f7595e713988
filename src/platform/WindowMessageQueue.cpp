// WindowMessageQueue: a locked queue with a wake-up for the waiting owner.
#include "platform/WindowMessageQueue.h"

void WindowMessageQueue::Post(const WindowMessage& message)
{
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Messages.push_back(message);
    }
    m_Posted.notify_one();
}

bool WindowMessageQueue::Peek(WindowMessage& message)
{
    std::lock_guard<std::mutex> guard(m_Lock);
    if (m_Messages.empty())
        return false;
    message = m_Messages.front();
    m_Messages.pop_front();
    return true;
}

void WindowMessageQueue::Wait(WindowMessage& message)
{
    std::unique_lock<std::mutex> guard(m_Lock);
    m_Posted.wait(guard, [this] { return !m_Messages.empty(); });
    message = m_Messages.front();
    m_Messages.pop_front();
}

bool WindowMessageQueue::IsEmpty()
{
    std::lock_guard<std::mutex> guard(m_Lock);
    return m_Messages.empty();
}
