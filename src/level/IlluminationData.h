// IlluminationData: how a lit object or wall type takes light, as its configuration entry gives
// it: ambient and constant illumination, a fixed colour and direction, and the lights it ignores.
#pragma once
#include "base/String.h"

#include <cstdint>

struct IlluminationData {
    uint8_t ambient = 0;        // 0..255
    uint8_t constantIllum = 0;
    uint8_t fixedIllum = 0;     // 1: the colour below is used instead of the lights
    float direction[3] = {0.0f, 0.0f, 0.0f};
    uint32_t colour = 0xFF000000u;  // alpha, red, green, blue from the high byte down
    String notIllumBy;
};
