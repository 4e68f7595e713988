// SteppingClock: whole nanoseconds, so that sums of steps are exact.
#include "platform/SteppingClock.h"

#include <algorithm>
#include <cmath>

namespace Platform {

// The step is rounded up to whole nanoseconds: a pass one step long is never shorter than the
// loop's period of the same length.
SteppingClock::SteppingClock(double stepSeconds) : m_StepNanos(std::max<int64_t>(1, int64_t(std::ceil(stepSeconds * 1e9))))
{
    m_Previous = SetClock(this);
}

SteppingClock::~SteppingClock() { SetClock(m_Previous); }

double SteppingClock::GetTime()
{
    if (m_Reads.fetch_add(1) + 1 >= kReadsPerStep) {
        m_Reads.store(0);
        m_Nanos += m_StepNanos;
    }
    return double(m_Nanos.load()) / 1e9;
}

void SteppingClock::Sleep(uint32_t ms)
{
    (void)ms;
    m_Reads.store(0);
    m_Nanos += m_StepNanos;
}

}  // namespace Platform
