// PackedFloat16Test: the 16-bit float's words, its range ends and its precision.
#include "game/objects/PackedFloat16.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(PackedFloat16Test, KnownWords)
{
    // Words from the float's bits with Python's struct: plus bit 13, then bits 31-30 and 27-14.
    const struct {
        float value;
        uint16_t word;
    } kWords[] = {{1.0f, 0x3E00}, {-1.0f, 0xBE00}, {0.5f, 0x3C00}, {2.0f, 0x4000}, {100.0f, 0x4B20},
                  {3.14159265f, 0x4124}, {0.0f, 0x0000}};
    for (const auto& c : kWords) {
        EXPECT_EQ(PackedFloat16::Pack(c.value), c.word) << c.value;
        if (c.value != 0.0f) {
            EXPECT_NEAR(PackedFloat16::ToFloat(c.word), c.value, std::fabs(c.value) / 1024) << c.value;
        }
    }
    EXPECT_EQ(PackedFloat16::ToFloat(0x0000), std::ldexp(1.0f, -31));  // zero reads as the smallest
}

TEST(PackedFloat16Test, EveryWordReadsBackToItself)
{
    for (uint32_t word = 0; word <= 0xFFFF; word++)
        ASSERT_EQ(PackedFloat16::Pack(PackedFloat16::ToFloat(uint16_t(word))), word) << word;
}

TEST(PackedFloat16Test, PrecisionOverTheRange)
{
    for (float value = std::ldexp(1.0f, -30); value < std::ldexp(1.0f, 32); value *= 1.0137f) {
        for (float signedValue : {value, -value}) {
            const float back = PackedFloat16::ToFloat(PackedFloat16::Pack(signedValue));
            ASSERT_LE(std::fabs(back - signedValue), std::fabs(signedValue) / 1024) << signedValue;
        }
    }
}

TEST(PackedFloat16Test, OutOfRangeTakesTheNearerEnd)
{
    const float largest = PackedFloat16::ToFloat(PackedFloat16::kLargest);
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        uint16_t word;
    } kCases[] = {
        {std::ldexp(1.0f, 40), 0x7FFF},
        {-std::ldexp(1.0f, 40), 0xFFFF},
        {std::ldexp(1.0f, 33), 0x7FFF},
        {std::nextafter(std::ldexp(1.0f, 33), 0.0f), 0x7FFF},  // rounds up into the next exponent
        {inf, 0x7FFF},
        {-inf, 0xFFFF},
        {std::ldexp(1.0f, -40), 0x0000},
        {-std::ldexp(1.0f, -40), 0x8000},
        {std::numeric_limits<float>::denorm_min(), 0x0000},
        {std::numeric_limits<float>::quiet_NaN(), 0x0000},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(PackedFloat16::Pack(c.value), c.word) << c.value;
    EXPECT_GT(largest, std::ldexp(1.0f, 32) * 1.99f);
    EXPECT_EQ(PackedFloat16::ToFloat(0xFFFF), -largest);
}
