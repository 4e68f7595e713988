// WaitUntil: polls a condition that another thread makes true. The limit is generous, since a busy
// machine runs slowly: reaching it is a failure, never a measurement.
#pragma once
#include "platform/Clock.h"

#include <cstdint>

template <class Condition> bool WaitUntil(Condition condition, int32_t limitMs = 30000)
{
    for (int32_t waited = 0; !condition(); waited++) {
        if (waited >= limitMs)
            return false;
        Platform::SleepMs(1);
    }
    return true;
}
