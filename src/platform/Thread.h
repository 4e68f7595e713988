// Thread: starting a thread on a routine and waiting for its end, over POSIX threads.
// A thread object is never destroyed joinable: a thread still running then is detached.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

class Thread {
public:
    using Routine = uint32_t (*)(void* context);

    // Script threads recurse deeply; every thread gets this much stack whatever the process limit.
    static constexpr size_t kStackSize = 8 * 1024 * 1024;

    // Starts the routine at once; null when the thread cannot be created (errno then holds the
    // reason).
    static std::unique_ptr<Thread> Start(Routine routine, void* context);

    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Waits up to timeoutMs (negative: forever) for the routine to return; true when it has ended.
    bool Join(int32_t timeoutMs = -1);
    // Gives the thread up: it runs on alone and cleans up after itself.
    void Detach();
    bool HasEnded() const { return m_State->ended.load(); }
    uint32_t GetExitCode() const { return m_State->exitCode.load(); }
    bool IsCurrent() const;

private:
    struct State {
        std::mutex lock;
        std::condition_variable endedSignal;
        std::atomic<bool> ended{false};
        std::atomic<uint32_t> exitCode{0};
    };
    struct Native;
    Thread();
    std::shared_ptr<State> m_State;  // shared with the running thread, which may outlive us
    std::unique_ptr<Native> m_Native;
};
