// LightAttenuation: a strength that falls with distance as a light's does: intensity over
// (1 + linear d + quadratic d^2). Level lights and the action forces attenuate by it.
#pragma once

struct LightAttenuation {
    float intensity = 0.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;

    float At(float d) const { return intensity / (d * (quadratic * d + linear) + 1.0f); }
};
