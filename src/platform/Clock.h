// Clock: the high-resolution performance counter and sleeping, over the monotonic clock.
#pragma once
#include <cstdint>

namespace Platform {

int64_t PerformanceCounter();    // counter ticks, monotonic
int64_t PerformanceFrequency();  // ticks per second
void SleepMs(uint32_t ms);

}  // namespace Platform
