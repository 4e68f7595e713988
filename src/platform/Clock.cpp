// Clock: the performance counter as CLOCK_MONOTONIC in nanoseconds.
#include "platform/Clock.h"

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

}  // namespace Platform
