// PackedFloat16: the 16-bit float of animation speeds and angles in network messages.
#pragma once
#include <cstdint>

// Bits 15 and 14 are the float's sign and highest exponent bit, bits 13..9 its five low exponent
// bits and bits 8..0 its top nine mantissa bits. The two exponent bits between are not stored:
// both are the inverse of the highest, so magnitudes run from 2^-31 (0x0000) to just under 2^33
// (0x7FFF). Writing rounds to nearest at the dropped bits.
struct PackedFloat16 {
    static constexpr uint16_t kLargest = 0x7FFF;
    static constexpr uint16_t kSignBit = 0x8000;

    // A magnitude outside the range takes the nearer end with its sign, so a huge value can never
    // wrap around into a small one; NaN is written as 0.0.
    static uint16_t Pack(float value);
    static float ToFloat(uint16_t packed);
};
