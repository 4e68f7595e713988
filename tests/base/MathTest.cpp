// Tests of the wrapping and floor-division helpers, including divisor 0 and huge quotients.
#include "base/Math.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MathTest, WrapAndFloorDivision)
{
    struct Case {
        double a, b, wrapped, floorDiv;
    } cases[] = {
        {-1.0, 360.0, 359.0, -1.0},
        {720.0, 360.0, 0.0, 2.0},
        {-360.0, 360.0, 360.0, -1.0},
        {370.0, -360.0, 10.0, 1.0},
        {5.0, 0.0, 5.0, 0.0},  // divisor 0: the value itself, quotient 0
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(Math::WrapDouble(c.a, c.b), c.wrapped) << c.a << " " << c.b;
        EXPECT_FLOAT_EQ(Math::WrapFloat(float(c.a), float(c.b)), float(c.wrapped));
        EXPECT_DOUBLE_EQ(Math::FloorDivDouble(c.a, c.b), c.floorDiv) << c.a << " " << c.b;
    }
    EXPECT_EQ(Math::WrapInt(-1, 4), 3);
    EXPECT_EQ(Math::WrapInt(9, -4), 1);
    EXPECT_EQ(Math::WrapInt(7, 0), 7);
    EXPECT_EQ(Math::WrapInt(INT32_MIN, 3), 1);  // no overflow negating the minimum
    EXPECT_EQ(Math::WrapInt(5, INT32_MIN), 5);
    // A quotient beyond the 32-bit range saturates instead of overflowing.
    EXPECT_TRUE(std::isfinite(Math::WrapDouble(1e30, 1.0)));
    EXPECT_EQ(ClampFloat(5.f, 0.f, 1.f), 1.f);
    EXPECT_EQ(ClampFloat(-5.f, 0.f, 1.f), 0.f);
}
