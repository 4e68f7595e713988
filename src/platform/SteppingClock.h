// SteppingClock: a program clock that stands still while the program works and moves on by one
// fixed step whenever the program sleeps on it, installed while it lives. A counted run of the
// main loop on it paces every pass at exactly one step and never waits for real time.
#pragma once
#include "platform/Clock.h"

#include <atomic>
#include <cstdint>

namespace Platform {

class SteppingClock : public Clock {
public:
    // A loop that reads the clock this often without sleeping still sees time pass (its period
    // may be below the one millisecond that a sleep can wait).
    static constexpr int32_t kReadsPerStep = 1000;

    explicit SteppingClock(double stepSeconds);
    ~SteppingClock() override;
    SteppingClock(const SteppingClock&) = delete;
    SteppingClock& operator=(const SteppingClock&) = delete;

    double GetTime() override;
    void Sleep(uint32_t ms) override;  // one step, whatever was asked

private:
    std::atomic<int64_t> m_Nanos{0};
    std::atomic<int32_t> m_Reads{0};  // since the last step; other threads read the clock too
    int64_t m_StepNanos;
    Clock* m_Previous = nullptr;
};

}  // namespace Platform
