// cfThreadSync: the one lock type of the system (re-entrant, like a Windows critical section).
#pragma once
#include <cstdint>
#include <mutex>

// Thrown when a lock cannot be made; ends the construction of its owner.
struct cfException {
    char message[1024];
    char sourceFile[256];
    int32_t line;
    char function[256];
};

class cfThreadMutex {
public:
    explicit cfThreadMutex(uint32_t spinCount = 0);  // the spin count is a no-op here
    ~cfThreadMutex() = default;
    cfThreadMutex(const cfThreadMutex&) = delete;
    cfThreadMutex& operator=(const cfThreadMutex&) = delete;

    void Lock() { m_Mutex.lock(); }
    void Unlock() { m_Mutex.unlock(); }

private:
    std::recursive_mutex m_Mutex;
};

// Holds a cfThreadMutex for one scope.
class cfThreadLock {
public:
    explicit cfThreadLock(cfThreadMutex& mutex) : m_Mutex(mutex) { m_Mutex.Lock(); }
    ~cfThreadLock() { m_Mutex.Unlock(); }
    cfThreadLock(const cfThreadLock&) = delete;
    cfThreadLock& operator=(const cfThreadLock&) = delete;

private:
    cfThreadMutex& m_Mutex;
};
