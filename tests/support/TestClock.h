// TestClock: a program clock for tests, installed while it lives. Every reading first moves it on
// by the read step, so that a loop that reads it again always sees time pass; every sleep moves
// it on by the time slept, which it remembers.
#pragma once
#include "platform/Clock.h"

#include <atomic>
#include <cstdint>
#include <vector>

class TestClock : public Platform::Clock {
public:
    explicit TestClock(double start = 10.0, double readStep = 0.0) : m_Nanos(ToNanos(start)), m_ReadStep(ToNanos(readStep))
    {
        m_Previous = Platform::SetClock(this);
    }
    ~TestClock() override { Platform::SetClock(m_Previous); }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    // Divided, not multiplied by 1e-9: a time that binary fractions can hold is read exactly.
    double GetTime() override { return double(m_Nanos += m_ReadStep.load()) / 1e9; }
    void Sleep(uint32_t ms) override
    {
        m_Nanos += int64_t(ms) * 1000000;
        m_Sleeps.push_back(ms);  // the loop sleeps on the main thread only
    }

    void SetReadStep(double seconds) { m_ReadStep = ToNanos(seconds); }
    void Advance(double seconds) { m_Nanos += ToNanos(seconds); }
    double Now() const { return double(m_Nanos.load()) / 1e9; }
    const std::vector<uint32_t>& Sleeps() const { return m_Sleeps; }

private:
    // Whole nanoseconds, so that sums of steps are exact.
    static int64_t ToNanos(double seconds) { return int64_t(seconds * 1e9 + (seconds < 0 ? -0.5 : 0.5)); }

    std::atomic<int64_t> m_Nanos;
    std::atomic<int64_t> m_ReadStep;
    std::vector<uint32_t> m_Sleeps;
    Platform::Clock* m_Previous = nullptr;
};
