// FlickerCurve: the flicker of light intensity over time: three slow waves, sharpened by raising
// their sum to a power, plus two fast ones.
#pragma once
#include <cstdint>

struct FlickerCurve {
    float amplitude[5] = {0.35f, 0.2f, 0.45f, 0.06f, 0.04f};
    float frequency[5] = {1.0f, 2.23f, 3.14f, 13.0f, 11.0f};
    float phase[5] = {0.0f, 0.123f, 1.57f, 0.0f, 1.0f};
    float scale = 0.9f;
    float exponent = 9.0f;  // the sum is multiplied by itself while fewer than exponent - 1 times
    float further = 0.5f;

    float Evaluate(float t) const;
};
