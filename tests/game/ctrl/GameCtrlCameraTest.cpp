// GameCtrl camera: placing the camera and what the world receives, the smoothing step, the floor
// check of the targets, the pitch limit, and the camera path with its keys and playback.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

class GameCtrlCameraTest : public ::testing::Test {
protected:
    void TearDown() override { g_Options = m_Options; }

    GameCtrl ctrl;
    GameOptions m_Options = g_Options;
};

}  // namespace

TEST_F(GameCtrlCameraTest, SetCameraHandsEyeLookAtAndUpToTheWorld)
{
    ctrl.SetCameraHeightOption(80.0f, false);
    ctrl.SetCamera(100.0f, 200.0f, 10.0f, 500.0f, 0.6f, 7.0f, -1.0f, 0.0f);
    EXPECT_NEAR(ctrl.GetCameraYaw(), 0.71681469f, 1e-5f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraHeight(), 80.0f);  // a negative height takes the option
    const D3DXVECTOR3 lookAt(100.0f, 200.0f, 90.0f);
    const D3DXVECTOR3 eye = ctrl.GetWorld().GetRequestedEye();
    EXPECT_NEAR(eye.x, lookAt.x - 500.0f * std::sin(0.6f) * std::cos(7.0f), 1e-2f);
    EXPECT_NEAR(eye.y, lookAt.y - 500.0f * std::sin(0.6f) * std::sin(7.0f), 1e-2f);
    EXPECT_NEAR(eye.z, lookAt.z + 500.0f * std::cos(0.6f), 1e-2f);
    const D3DXVECTOR3 target = ctrl.GetWorld().GetCameraTarget();
    EXPECT_FLOAT_EQ(target.z, 90.0f);
    EXPECT_FLOAT_EQ(ctrl.GetWorld().GetCameraUp().z, std::sin(0.6f));
}

TEST_F(GameCtrlCameraTest, SmoothingMovesTowardTheTargets)
{
    ctrl.SetCameraFloorCheck(false);
    ctrl.SetCamera(0.0f, 0.0f, 0.0f, 100.0f, 0.5f, 0.05f, 0.0f, 0.0f);
    ctrl.SetCameraTarget(0.0f, 0.0f, 0.0f, 400.0f, 0.5f, 2.0f * kPi - 0.05f);
    ctrl.SetCameraSmoothTime(0.5f);
    ctrl.UpdateCameraSmooth(0.1f);
    EXPECT_NEAR(ctrl.GetCameraDistance(), 140.0f, 1e-3f);
    EXPECT_NEAR(ctrl.GetCameraYaw(), 0.03f, 1e-4f);  // the short way across the seam
    EXPECT_FLOAT_EQ(ctrl.GetCameraPitch(), 0.5f);

    ctrl.SetCameraSmoothTime(0.0f);  // no smoothing: straight to the targets
    ctrl.UpdateCamera(0.1f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraDistance(), 400.0f);
    EXPECT_NEAR(ctrl.GetCameraYaw(), -0.05f, 1e-4f);
}

// On the empty world the floor is 0 everywhere: a target in a pit 100 below it seen flat from far
// is lowered toward the vertical; the last of the eight samples, an eighth of the way from the
// target with a margin of 50/64, asks the steepest line. With the check off the pitch target stays.
TEST_F(GameCtrlCameraTest, TargetsKeepTheLineOfSightAboveTheFloor)
{
    ctrl.SetCameraTarget(500.0f, 500.0f, -100.0f, 400.0f, 1.3f, 0.0f);
    const float lastSample = 400.0f * std::sin(1.3f) / 8.0f;
    EXPECT_NEAR(ctrl.GetCameraPitchTarget(), std::atan(lastSample / (100.0f + 50.0f / 64.0f)), 1e-4f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraDistanceTarget(), 400.0f);
    ctrl.SetCameraTarget(500.0f, 500.0f, 200.0f, 400.0f, 0.5f, 0.0f);  // high above the floor
    EXPECT_FLOAT_EQ(ctrl.GetCameraPitchTarget(), 0.5f);
    ctrl.SetCameraFloorCheck(false);
    ctrl.SetCameraTarget(500.0f, 500.0f, -100.0f, 400.0f, 1.3f, 0.0f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraPitchTarget(), 1.3f);
}

TEST_F(GameCtrlCameraTest, MaxPitchTakesMaxPitch2AtOrAboveAQuarterTurn)
{
    g_Options.maxPitch2 = 1.6f;
    EXPECT_FLOAT_EQ(ctrl.GetMaxPitch(), 1.6f);
    g_Options.maxPitch2 = 0.6457718f;
    g_Options.maxPitch = 1.4f;
    g_Options.maxCamHeight = 550.0f;
    ctrl.SetCamera(0.0f, 0.0f, 0.0f, 550.0f, 0.5f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(ctrl.GetMaxPitch(), 0.6457718f, 1e-5f);
}

TEST_F(GameCtrlCameraTest, SnapTakesTheTargetsUnlessAPathPlays)
{
    ctrl.SetCameraFloorCheck(false);
    ctrl.SetCamera(0.0f, 0.0f, 0.0f, 100.0f, 0.2f, 0.1f, 0.0f, 0.4f);
    ctrl.SetCameraTarget(0.0f, 0.0f, 0.0f, 300.0f, 0.6f, 1.0f);
    ctrl.SnapCameraToTarget();
    EXPECT_FLOAT_EQ(ctrl.GetCameraDistance(), 300.0f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraYaw(), 1.0f);
    EXPECT_FLOAT_EQ(ctrl.GetCameraRoll(), 0.0f);

    ctrl.ResetCameraPath(1);
    ctrl.AddCameraPathKey(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.3f, 200.0f, 0.0f);
    ctrl.SetCameraTarget(0.0f, 0.0f, 0.0f, 500.0f, 0.6f, 1.0f);
    ctrl.SnapCameraToTarget();
    EXPECT_FLOAT_EQ(ctrl.GetCameraDistance(), 300.0f);
}

TEST_F(GameCtrlCameraTest, KeyWithoutDelayOnAnEmptyPathIsOneKeyNow)
{
    ctrl.SetGameTime(12.5);
    ctrl.ResetCameraPath(1);
    ctrl.ClearCameraChanged();
    const int32_t held = ctrl.GetHoldCounter();
    ctrl.AddCameraPathKey(0.0f, 10.0f, 20.0f, 30.0f, 1.0f, 0.4f, 250.0f, 0.1f);
    EXPECT_EQ(ctrl.IsCameraChanged(), 1);
    EXPECT_GE(ctrl.GetHoldCounter(), std::max(held, 1));
    ASSERT_EQ(ctrl.GetCameraPath().GetNumKeys(), 1);
    const CameraPathKey key = ctrl.GetCameraPath().GetKey(0);
    EXPECT_FLOAT_EQ(key.time, 12.5f);
    EXPECT_FLOAT_EQ(key.position.z, 30.0f);  // raised by the floor, 0 on the empty world
    EXPECT_FLOAT_EQ(key.yaw, 1.0f);
    EXPECT_FLOAT_EQ(key.distance, 250.0f);
}

// A delayed key on an empty path starts from the camera in effect; playback gives the keys'
// values at their times, turns the short way and clamps beyond the last key.
TEST_F(GameCtrlCameraTest, PathPlaysThroughItsKeys)
{
    ctrl.SetCameraHeightOption(0.0f, false);
    ctrl.SetCamera(100.0f, 50.0f, 0.0f, 300.0f, 0.5f, 0.2f, 0.0f, 0.0f);
    ctrl.SetGameTime(2.0);
    ctrl.ResetCameraPath(1);
    ctrl.AddCameraPathKey(4.0f, 400.0f, 250.0f, 20.0f, 2.0f * kPi - 0.3f, 0.9f, 600.0f, 0.25f);
    ASSERT_EQ(ctrl.GetCameraPath().GetNumKeys(), 2);
    EXPECT_NEAR(ctrl.GetCameraPath().GetKey(1).yaw, -0.3f, 1e-5f);  // from 0.2 the short way
    EXPECT_TRUE(ctrl.IsCameraPathPlaying());

    struct Case {
        double time;
        float x, y, lookAtZ, distance, pitch, roll;
    };
    const Case cases[] = {{2.0, 100.0f, 50.0f, 0.0f, 300.0f, 0.5f, 0.0f},
                          {6.0, 400.0f, 250.0f, 20.0f, 600.0f, 0.9f, 0.25f},
                          {9.0, 400.0f, 250.0f, 20.0f, 600.0f, 0.9f, 0.25f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        ctrl.SetGameTime(c.time);
        ctrl.UpdateCamera(0.0f);
        EXPECT_NEAR(ctrl.GetCameraLookAt().x, c.x, 1e-3f);
        EXPECT_NEAR(ctrl.GetCameraLookAt().y, c.y, 1e-3f);
        EXPECT_NEAR(ctrl.GetCameraLookAt().z, c.lookAtZ, 1e-3f);
        EXPECT_NEAR(ctrl.GetCameraDistance(), c.distance, 1e-3f);
        EXPECT_NEAR(ctrl.GetCameraPitch(), c.pitch, 1e-5f);
        EXPECT_NEAR(ctrl.GetCameraRoll(), c.roll, 1e-5f);
    }
    ctrl.SetGameTime(4.0);  // halfway the yaw goes down through 0
    ctrl.UpdateCamera(0.0f);
    EXPECT_NEAR(ctrl.GetCameraYaw(), -0.05f, 0.1f);

    ctrl.ResetCameraPath(0);
    EXPECT_EQ(ctrl.GetCameraPath().GetNumKeys(), 0);
    EXPECT_FALSE(ctrl.IsCameraPathPlaying());
    EXPECT_TRUE(ctrl.IsCameraReferenceOrFree());
}
