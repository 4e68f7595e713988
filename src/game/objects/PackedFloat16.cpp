// PackedFloat16: packing a float into 16 bits and reading it back.
#include "game/objects/PackedFloat16.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kLowestExponent = 96;    // 2^-31
constexpr uint32_t kHighestExponent = 159;  // 2^32, with the mantissa just under 2^33

}  // namespace

uint16_t PackedFloat16::Pack(float value)
{
    if (std::isnan(value))
        value = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint16_t sign = (bits & 0x80000000u) ? kSignBit : 0;
    bits += bits & 0x2000u;  // to nearest: bits 0 to 13 are dropped
    const uint32_t exponent = (bits >> 23) & 0xFFu;  // after rounding, which may carry into it
    if (exponent > kHighestExponent)
        return uint16_t(sign | kLargest);
    if (exponent < kLowestExponent)
        return sign;
    return uint16_t(((bits >> 16) & 0xC000u) | ((bits >> 14) & 0x3FFFu));
}

float PackedFloat16::ToFloat(uint16_t packed)
{
    uint32_t bits = (uint32_t(packed & 0xC000u) << 16) | (uint32_t(packed & 0x3FFFu) << 14);
    if (!(packed & 0x4000u))
        bits |= 0x30000000u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
