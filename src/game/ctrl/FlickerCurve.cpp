// FlickerCurve: its value at a time.
#include "game/ctrl/FlickerCurve.h"

#include <cmath>

float FlickerCurve::Evaluate(float t) const
{
    auto wave = [&](int32_t k) { return amplitude[k] * std::cos(frequency[k] * t + phase[k]); };
    const float w = wave(0) + wave(1) + wave(2);
    float power = w;
    for (int32_t n = 0; float(n) < exponent - 1.0f; n++)
        power *= w;
    return power * scale + wave(3) + wave(4);
}
