// ThreadEvent: an auto-reset event (one waiter woken per Set), the stand-in for Windows events and
// for suspending a thread: a thread "suspends" by waiting on its own event until another sets it.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

class ThreadEvent {
public:
    ThreadEvent() = default;
    ThreadEvent(const ThreadEvent&) = delete;
    ThreadEvent& operator=(const ThreadEvent&) = delete;

    // Signals the event; it stays signalled until one wait takes it.
    void Set();
    void Reset();
    // Waits until signalled and takes the signal.
    void Wait();
    // The same with a limit; true when the signal was taken, false on timeout.
    bool WaitFor(uint32_t ms);

private:
    std::mutex m_Lock;
    std::condition_variable m_Signal;
    bool m_Set = false;
};
