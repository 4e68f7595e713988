// Color: colour channels from floats.
#include "base/Color.h"

#include <cmath>

namespace {

// The low byte of v's integer part (toward zero).
uint8_t LowByteOf(float v)
{
    if (!(std::fabs(v) < 9.0e18f))
        return 0;  // NaN or beyond any integer: no byte to keep
    return uint8_t(uint64_t(int64_t(v)));
}

}  // namespace

namespace Color {

uint8_t ChannelFromFloat(float x) { return LowByteOf(x * 255.0f + 0.5f); }

uint32_t FromFloats(float r, float g, float b)
{
    return 0xFF000000u | uint32_t(ChannelFromFloat(r)) << 16 | uint32_t(ChannelFromFloat(g)) << 8 |
           uint32_t(ChannelFromFloat(b));
}

uint8_t ChannelTruncated(float x) { return LowByteOf(x * 255.0f); }

uint32_t FromFloatsTruncated(float r, float g, float b)
{
    return 0xFF000000u | uint32_t(ChannelTruncated(r)) << 16 | uint32_t(ChannelTruncated(g)) << 8 |
           uint32_t(ChannelTruncated(b));
}

uint32_t AddSaturated(uint32_t a, uint32_t b)
{
    uint32_t sum = 0;
    for (int32_t shift = 0; shift < 32; shift += 8) {
        const uint32_t channel = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF);
        sum |= (channel > 0xFF ? 0xFFu : channel) << shift;
    }
    return sum;
}

}  // namespace Color
