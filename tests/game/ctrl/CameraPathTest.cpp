// CameraPath: resizing keeps the first keys and zeroes new ones; evaluation passes through the
// keys after the tangents were derived, and a changed key is prepared again.
#include "game/ctrl/CameraPath.h"

#include <gtest/gtest.h>

namespace {

CameraPathKey Key(float time, float x, float yaw)
{
    CameraPathKey key;
    key.time = time;
    key.position = D3DXVECTOR3(x, 2.0f * x, 3.0f);
    key.yaw = yaw;
    key.pitch = 0.5f;
    key.distance = 100.0f + x;
    key.roll = 0.0f;
    return key;
}

}  // namespace

TEST(CameraPathTest, ResizeKeepsTheFirstKeys)
{
    CameraPath path;
    path.Resize(3);
    for (int32_t i = 0; i < 3; ++i)
        path.SetKey(i, Key(float(i), 10.0f * float(i + 1), 0.1f));
    path.Resize(2);
    path.Resize(4);
    ASSERT_EQ(path.GetNumKeys(), 4);
    EXPECT_FLOAT_EQ(path.GetKey(1).position.x, 20.0f);
    EXPECT_FLOAT_EQ(path.GetKey(2).position.x, 0.0f);
    EXPECT_FLOAT_EQ(path.GetKey(3).distance, 0.0f);
    path.SetKey(9, Key(1.0f, 1.0f, 1.0f));  // outside: nothing
    EXPECT_FLOAT_EQ(path.GetKey(9).time, 0.0f);
}

TEST(CameraPathTest, EvaluationPassesThroughTheKeys)
{
    CameraPath path;
    path.Resize(3);
    path.SetKey(0, Key(0.0f, 0.0f, 0.0f));
    path.SetKey(1, Key(2.0f, 50.0f, 1.0f));
    path.SetKey(2, Key(3.0f, 60.0f, 3.0f));
    EXPECT_FALSE(path.IsPrepared());
    for (int32_t i = 0; i < 3; ++i) {
        const CameraPathKey key = path.GetKey(i);
        const CameraPathKey at = path.Evaluate(key.time);
        EXPECT_NEAR(at.position.x, key.position.x, 1e-4f);
        EXPECT_NEAR(at.position.y, key.position.y, 1e-4f);
        EXPECT_NEAR(at.yaw, key.yaw, 1e-5f);
        EXPECT_NEAR(at.distance, key.distance, 1e-4f);
    }
    EXPECT_TRUE(path.IsPrepared());
    const CameraPathKey mid = path.Evaluate(1.0);
    EXPECT_GT(mid.position.x, 0.0f);
    EXPECT_LT(mid.position.x, 50.0f);
    path.SetKey(2, Key(3.0f, 90.0f, 3.0f));
    EXPECT_FALSE(path.IsPrepared());
    EXPECT_NEAR(path.Evaluate(5.0).position.x, 90.0f, 1e-4f);  // after the last key: the last
    EXPECT_NEAR(path.Evaluate(-1.0).position.x, 0.0f, 1e-4f);
}
