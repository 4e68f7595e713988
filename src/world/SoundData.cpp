// SoundData: the loudness curve.
#include "world/SoundData.h"

#include <cmath>

float SoundCurve(float x)
{
    const float y = std::pow(x, 1.5f);
    if (!(y > 0.0f))
        return 0.0f;  // a negative x gives NaN: silent as well
    if (!(y < 1.0f))
        return 1.0f;
    return y;
}
