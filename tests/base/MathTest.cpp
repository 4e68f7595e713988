// Tests of the wrapping and floor-division helpers, including divisor 0 and huge quotients.
#include "base/Math.h"

#include "base/Color.h"

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
        // quotients beyond the 32-bit range: still wrapped into range, still a floor
        {1e12 + 10.0, 360.0, 290.0, 2777777777.0},
        {-(1e12 + 10.0), 360.0, 70.0, -2777777778.0},
        {1e30, 1.0, 0.0, 1e30},
        {-8589934592.0, 2.0, 2.0, -4294967296.0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(Math::WrapDouble(c.a, c.b), c.wrapped) << c.a << " " << c.b;
        if (std::fabs(c.a) < 1e6) {  // float cannot hold the huge cases exactly
            EXPECT_FLOAT_EQ(Math::WrapFloat(float(c.a), float(c.b)), float(c.wrapped));
        }
        EXPECT_DOUBLE_EQ(Math::FloorDivDouble(c.a, c.b), c.floorDiv) << c.a << " " << c.b;
    }
    EXPECT_EQ(Math::WrapInt(-1, 4), 3);
    EXPECT_EQ(Math::WrapInt(9, -4), 1);
    EXPECT_EQ(Math::WrapInt(7, 0), 7);
    EXPECT_EQ(Math::WrapInt(INT32_MIN, 3), 1);  // no overflow negating the minimum
    EXPECT_EQ(Math::WrapInt(5, INT32_MIN), 5);
    EXPECT_EQ(ClampFloat(5.f, 0.f, 1.f), 1.f);
    EXPECT_EQ(ClampFloat(-5.f, 0.f, 1.f), 0.f);
}

TEST(MathTest, RoundFloatToIntHalvesAwayFromZero)
{
    struct Case {
        float v;
        int32_t rounded;
    } cases[] = {
        {2.5f, 3}, {-2.5f, -3}, {0.49999997f, 0}, {1.5f, 2}, {-0.5f, -1}, {-0.49f, 0},
        {2147483520.0f, 2147483520},  // the largest float below 2^31
        {3e9f, INT32_MIN}, {-3e9f, INT32_MIN}, {NAN, INT32_MIN},  // no integer: the indefinite value
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundFloatToInt(c.v), c.rounded) << c.v;
        if (c.rounded != INT32_MIN) {
            EXPECT_EQ(RoundFloatToInt(c.v), std::lround(c.v)) << c.v;
        }
    }
}

TEST(MathTest, AngleSweepsAndPeriodBoundaries)
{
    struct Sweep {
        float angle, sweep, period, start;
        bool inside;
    } sweeps[] = {
        {1.0f, 0.0f, 6.0f, 0.0f, false},   // a zero sweep holds nothing
        {1.0f, 2.0f, 6.0f, 0.0f, true},    {3.0f, 2.0f, 6.0f, 0.0f, false},
        {7.0f, 2.0f, 6.0f, 0.0f, true},    // one period on
        {-1.0f, -2.0f, 6.0f, 0.0f, true},  // backwards
        {1.0f, -2.0f, 6.0f, 0.0f, false},  {5.5f, 1.0f, 6.0f, 5.0f, true},
        {0.5f, 2.0f, 6.0f, 5.0f, true},    // across the period's end
    };
    for (const Sweep& s : sweeps)
        EXPECT_EQ(Math::IsAngleInSweep(s.angle, s.sweep, s.period, s.start), s.inside) << s.angle << " " << s.sweep;

    EXPECT_EQ(Math::CountPeriodBoundaries(0.5f, 2.0f, 1.0f), 2);
    EXPECT_EQ(Math::CountPeriodBoundaries(0.5f, -2.0f, 1.0f), 2);
    EXPECT_EQ(Math::CountPeriodBoundaries(0.2f, 0.5f, 1.0f), 0);
    EXPECT_EQ(Math::CountPeriodBoundaries(0.2f, 0.5f, 0.0f), 0);
}

TEST(MathTest, ColoursAddSaturated)
{
    EXPECT_EQ(Color::AddSaturated(0x10203040u, 0x01020304u), 0x11223344u);
    EXPECT_EQ(Color::AddSaturated(0xFF80F001u, 0x01801020u), 0xFFFFFF21u);
}

// X turns first, then Y, then Z: the product qx qy qz in D3DX's order, checked against the axis
// quaternions and against turning a vector step by step.
TEST(MathTest, QuaternionFromEulerXYZ)
{
    D3DXQUATERNION q;
    EXPECT_EQ(Math::QuaternionFromEulerXYZ(&q, 0.0f, 0.0f, 0.0f), &q);
    EXPECT_EQ(q, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f));
    const float a = 0.8f;
    Math::QuaternionFromEulerXYZ(&q, 0.0f, a, 0.0f);
    EXPECT_FLOAT_EQ(q.y, std::sin(a / 2));
    EXPECT_FLOAT_EQ(q.w, std::cos(a / 2));
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.z, 0.0f);

    const float x = 0.3f, y = -1.1f, z = 2.0f;
    Math::QuaternionFromEulerXYZ(&q, x, y, z);
    D3DXMATRIX all, rx, ry, rz, xy, xyz;
    D3DXMatrixRotationQuaternion(&all, &q);
    D3DXMatrixRotationX(&rx, x);
    D3DXMatrixRotationY(&ry, y);
    D3DXMatrixRotationZ(&rz, z);
    D3DXMatrixMultiply(&xy, &rx, &ry);  // row vectors: the left matrix turns first
    D3DXMatrixMultiply(&xyz, &xy, &rz);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(all.m[r][c], xyz.m[r][c], 1e-5f) << r << "," << c;
}
