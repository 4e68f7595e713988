// Clock: the high-resolution performance counter and sleeping, over the monotonic clock; and the
// program clock that the main loop reads and sleeps on, which a test may replace by its own.
#pragma once
#include <cstdint>

namespace Platform {

int64_t PerformanceCounter();    // counter ticks, monotonic
int64_t PerformanceFrequency();  // ticks per second
void SleepMs(uint32_t ms);

// The program clock: seconds, monotonic, and a sleep that lets it run on by the given time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double GetTime() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// The installed program clock, else the system's: the performance counter in seconds since its
// first reading, and a real sleep.
Clock& GetClock();
// Installs a clock (null: the system's again) and returns the one installed before, null for the
// system's. The caller keeps the clock alive while it is installed.
Clock* SetClock(Clock* clock);

}  // namespace Platform
