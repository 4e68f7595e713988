// Color: the 32-bit colours of the graphics layer (alpha, red, green, blue from the high byte
// down), made from the 0..1 float values that the configuration files give.
#pragma once
#include <cstdint>

namespace Color {

// The integer part of x × 255 + 0.5, low byte kept: 1.0 gives 255, 0.5 gives 128. Values outside
// 0..1 wrap as the byte they give; NaN gives 0.
uint8_t ChannelFromFloat(float x);

// Three channels 0..1 and alpha 255.
uint32_t FromFloats(float r, float g, float b);

// The integer part of x × 255 (toward zero), low byte kept: 1.0 gives 255, 0.999 gives 254.
uint8_t ChannelTruncated(float x);
// Three such channels and alpha 255.
uint32_t FromFloatsTruncated(float r, float g, float b);

// The channel-wise sum of two colours, each of the four channels limited to 255.
uint32_t AddSaturated(uint32_t a, uint32_t b);

}  // namespace Color
