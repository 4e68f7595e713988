// CameraOrbit: the eye against spherical coordinates worked out here, the stored yaw, the
// smoothing step, the floor check of the line of sight and the pitch limit.
#include "game/ctrl/CameraOrbit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

// The eye lies at distance D above and behind the look-at point: pitch from the vertical, yaw
// turning toward -x at 0; the up vector is a unit vector across the line of sight, leaning
// forward (toward the look-at point) without roll.
TEST(CameraOrbitTest, EyeAndUpAgreeWithSphericalCoordinates)
{
    struct Case {
        float distance, pitch, yaw, roll;
    };
    const Case cases[] = {{300.0f, 0.0f, 0.0f, 0.0f}, {500.0f, 0.7853982f, 1.0f, 0.0f},
                          {250.0f, 1.2f, -2.5f, 0.3f}, {100.0f, 0.4f, 7.0f, -1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.yaw);
        D3DXVECTOR3 eye, up;
        CameraOrbit::ComputeView(c.distance, c.pitch, c.yaw, c.roll, eye, up);
        const D3DXVECTOR3 expected(-c.distance * std::sin(c.pitch) * std::cos(c.yaw),
                                   -c.distance * std::sin(c.pitch) * std::sin(c.yaw), c.distance * std::cos(c.pitch));
        EXPECT_NEAR(eye.x, expected.x, 1e-3f);
        EXPECT_NEAR(eye.y, expected.y, 1e-3f);
        EXPECT_NEAR(eye.z, expected.z, 1e-3f);
        EXPECT_NEAR(std::sqrt(Dot(up, up)), 1.0f, 1e-5f);
        EXPECT_NEAR(Dot(up, eye), 0.0f, 1e-3f);
        if (c.roll == 0.0f && c.pitch > 0.0f) {
            EXPECT_LT(Dot(up, D3DXVECTOR3(eye.x, eye.y, 0.0f)), 0.0f);  // toward the look-at point
        }
    }
}

TEST(CameraOrbitTest, StoredYawLiesWithinPlusMinusPi)
{
    EXPECT_NEAR(CameraOrbit::StoredYaw(7.0f), 7.0f - 2.0f * kPi, 1e-5f);  // about 0.71681
    EXPECT_NEAR(CameraOrbit::StoredYaw(4.0f), 4.0f - 2.0f * kPi, 1e-5f);
    EXPECT_NEAR(CameraOrbit::StoredYaw(-1.0f), -1.0f, 1e-5f);
    EXPECT_NEAR(CameraOrbit::StoredYaw(3.0f), 3.0f, 1e-6f);
}

TEST(CameraOrbitTest, SmoothStepClampsTheSpeedAndEndsOnTheTarget)
{
    struct Case {
        float current, target, delta, minSpeed, maxSpeed, expected;
    };
    const Case cases[] = {
        {100.0f, 400.0f, 300.0f, 10.0f, 200.0f, 140.0f},  // speed 200, step 40
        {400.0f, 100.0f, -300.0f, 10.0f, 200.0f, 360.0f},
        {100.0f, 101.0f, 1.0f, 10.0f, 200.0f, 101.0f},    // a step of 2 past a way of 1
        {0.05f, 6.2331853f, -0.1f, 0.07f, 3.14159f, 0.03f},  // across the seam, the short way
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CameraOrbit::SmoothStep(c.current, c.target, c.delta, 0.5f, 0.1f, c.minSpeed, c.maxSpeed),
                    c.expected, 1e-4f)
            << c.current << " to " << c.target;
}

// A raised floor near the target: the pitch target is lowered until the line from the target
// back toward the eye clears the margin at every sample; a flat floor far below changes nothing.
TEST(CameraOrbitTest, LineOfSightIsKeptAboveTheFloor)
{
    const D3DXVECTOR3 target(1000.0f, 1000.0f, 0.0f);
    const float distance = 400.0f;
    const float pitch = 1.2f;  // a flat view over the floor
    const float yaw = 0.0f;    // the eye lies toward -x
    auto hill = [](float x, float) { return x < 900.0f ? 100.0f : 0.0f; };
    float newPitch = pitch;
    ASSERT_TRUE(CameraOrbit::ClearFloorPitch(target, distance, pitch, yaw, hill, newPitch));
    EXPECT_LT(newPitch, pitch);
    const float slope = 1.0f / std::tan(newPitch);
    const float h = distance * std::sin(pitch);
    const int32_t n = 8;  // 375 / 32 rounds to 12, at most 8
    for (int32_t i = 0; i < n; ++i) {
        const float t = float(i) / float(n);
        const float x = target.x - h + t * h;
        const float clearance = hill(x, 0.0f) + 50.0f * (1.0f - t) * (1.0f - t);
        EXPECT_GE(target.z + slope * (1.0f - t) * h, clearance - 1e-2f) << i;
    }

    auto low = [](float, float) { return -1000.0f; };
    EXPECT_FALSE(CameraOrbit::ClearFloorPitch(target, distance, pitch, yaw, low, newPitch));
    // Straight down has no horizontal length to sample.
    EXPECT_FALSE(CameraOrbit::ClearFloorPitch(target, distance, 0.0f, yaw, hill, newPitch));
}

TEST(CameraOrbitTest, MaxPitchGrowsAsTheCameraComesNearer)
{
    EXPECT_FLOAT_EQ(CameraOrbit::MaxPitch(1.6f, 0.78f, 0.5f, 550.0f, 300.0f), 1.6f);  // at or above pi/2
    EXPECT_FLOAT_EQ(CameraOrbit::MaxPitch(1.5707964f, 0.78f, 0.5f, 550.0f, 300.0f), 1.5707964f);
    const float far = CameraOrbit::MaxPitch(0.6457718f, 1.4f, 0.5f, 550.0f, 550.0f);
    const float near = CameraOrbit::MaxPitch(0.6457718f, 1.4f, 0.5f, 550.0f, 200.0f);
    EXPECT_NEAR(far, 0.6457718f, 1e-5f);  // at the default distance the option itself
    EXPECT_GT(near, far);
    EXPECT_FLOAT_EQ(CameraOrbit::MaxPitch(0.6457718f, 0.7f, 0.5f, 550.0f, 0.0f), 0.7f);  // up to "MaxPitch"
    EXPECT_FLOAT_EQ(CameraOrbit::MaxPitch(0.6457718f, 0.7f, 0.5f, 550.0f, 1e6f), 0.0f);  // never below 0
    EXPECT_FLOAT_EQ(CameraOrbit::MaxPitch(0.6457718f, 0.7f, 0.5f, 550.0f, -200.0f), 0.7f);  // no division by 0
}
