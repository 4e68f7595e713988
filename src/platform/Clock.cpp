// Clock: the performance counter as CLOCK_MONOTONIC in nanoseconds, and the replaceable program
// clock over it.
#include "platform/Clock.h"

#include <atomic>
#include <time.h>

namespace Platform {

int64_t PerformanceCounter()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t PerformanceFrequency() { return 1000000000; }

void SleepMs(uint32_t ms)
{
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {}  // resume after a signal
}

namespace {

class SystemClock : public Clock {
public:
    double GetTime() override
    {
        // Set once, thread-safely, at the first reading.
        static const double s_Period = 1.0 / double(PerformanceFrequency());
        static const int64_t s_Base = PerformanceCounter();
        return double(PerformanceCounter() - s_Base) * s_Period;
    }
    void Sleep(uint32_t ms) override { SleepMs(ms); }
};

SystemClock s_SystemClock;
std::atomic<Clock*> s_Installed{nullptr};  // the log reads the clock from every thread

}  // namespace

Clock& GetClock()
{
    Clock* clock = s_Installed.load();
    return clock ? *clock : s_SystemClock;
}

Clock* SetClock(Clock* clock) { return s_Installed.exchange(clock); }

}  // namespace Platform
