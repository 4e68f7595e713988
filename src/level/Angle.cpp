// Angle: distance and difference of two angles.
#include "level/Angle.h"

#include "base/Math.h"

#include <cmath>

namespace Angle {

float Distance(float a, float b)
{
    const float d = std::fabs(a - b);
    const float e = 6.2831853f - d;
    return e <= d ? e : d;
}

float Diff(float a, float b)
{
    const float diff = Math::WrapFloat(b, kTwoPi) - Math::WrapFloat(a, kTwoPi);
    if (diff > kPi)
        return diff - kTwoPi;
    if (diff < -kPi)
        return diff + kTwoPi;
    return diff;
}

float ShortestDistance(float a, float b, float period, int32_t* direction)
{
    const float wa = Math::WrapFloat(a, period);
    const float wb = Math::WrapFloat(b, period);
    float distance = std::fabs(wa - wb);
    int32_t dir = wa > wb ? 1 : -1;
    if (distance > period * 0.5f) {
        distance = period - distance;
        dir = -dir;
    }
    if (direction)
        *direction = dir;
    return distance;
}

}  // namespace Angle
