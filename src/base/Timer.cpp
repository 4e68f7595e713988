// Timer: the performance counter relative to the first call.
#include "base/Timer.h"

#include "platform/Clock.h"

#include <cstdint>

namespace Timer {

double GetTime()
{
    // Set once, thread-safely, at the first call.
    static const double s_Period = 1.0 / double(Platform::PerformanceFrequency());
    static const int64_t s_Base = Platform::PerformanceCounter();
    return double(Platform::PerformanceCounter() - s_Base) * s_Period;
}

}  // namespace Timer
