// VSD_Viewer view: the view circle from the floor patch, its edge fade and the distance outside
// it, the camera heading, the back-facing fade, the follow point and the level colours.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ViewTest : ::testing::Test {
    LevelTestCtrl ctrl;
    GridViewer viewer;
    ViewTest() { viewer.SetGrid(100, 100, 40, 40); }
};

}  // namespace

TEST_F(ViewTest, ViewCircleFromTheFloorPatch)
{
    viewer.SetViewFloorSize(24, 16);
    EXPECT_EQ(viewer.GetViewRadius(), 500.0f);
    EXPECT_EQ(viewer.GetViewRadiusSq(), 250000.0f);
    EXPECT_EQ(viewer.GetInnerViewRadius(), 300.0f);
    EXPECT_EQ(viewer.GetViewFloorCentreX(), 12);
    EXPECT_EQ(viewer.GetViewFloorCentreY(), 8);
    // Ring classes by the distance from the centre cell: within 541 0, within 542 1, else 3.
    EXPECT_EQ(viewer.GetViewRingClass(12, 8), 0);
    EXPECT_EQ(viewer.GetViewRingClass(0, 8), 0);   // 480 from the centre
    EXPECT_EQ(viewer.GetViewRingClass(0, 0), 3);   // 577
    EXPECT_EQ(viewer.GetViewRingClass(24, 8), 3);  // outside the patch

    viewer.SetFadeCentre(1000, 1000);
    const struct {
        float distance, r, factor;
    } kFades[] = {{400, 0, 0.5f}, {300, 0, 1.0f}, {450, 0, 0.0f}, {420, 20, 0.5f}, {360, 0, 1.0f}};
    for (const auto& c : kFades)
        EXPECT_FLOAT_EQ(viewer.GetViewFadeFactor(1000 + c.distance, 1000, c.r), c.factor) << c.distance;

    viewer.SetViewOrigin(200, 300);
    EXPECT_FLOAT_EQ(viewer.DistanceOutsideView(200 + 600, 300), 100.0f);
    EXPECT_EQ(viewer.DistanceOutsideView(200, 300 + 499), 0.0f);
}

TEST_F(ViewTest, CameraHeadingAndBackFacingFade)
{
    viewer.SetCameraVectors(D3DXVECTOR3(0, 0, 1000), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
    EXPECT_FLOAT_EQ(viewer.GetCameraAngle(), std::atan2(1.0f, 0.0f));  // straight down, up vector (0, 1)
    viewer.SetCameraVectors(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(-3, 0, -4), D3DXVECTOR3(0, 0, 1));
    EXPECT_FLOAT_EQ(viewer.GetCameraAngle(), std::atan2(0.0f, -0.6f));
    viewer.SetCameraVectors(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, -1), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(viewer.GetCameraAngle(), 0.0f);

    // Eye at the origin, a surface at (0, 10, 0) whose normal turns from facing the eye away.
    viewer.SetCameraVectors(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1));
    const D3DXVECTOR3 point(0, 10, 0);
    EXPECT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(0, -1, 0)), 1.0f);  // thresholds 0 until read
    EXPECT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(0, 1, 0)), 0.0f);
    ctrl.backFade[0] = 0.5f;   // cos 60
    ctrl.backFade[1] = -0.5f;  // cos 120
    EXPECT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(0, -1, 0)), 1.0f);
    EXPECT_FLOAT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(1, 0, 0)), 0.5f);  // edge on: d = 0
    EXPECT_FLOAT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(0.8f, 0.6f, 0)), 0.0f);
    EXPECT_FLOAT_EQ(viewer.GetBackFacingFade(point, D3DXVECTOR3(0.8f, -0.25f, 0)), 0.75f);
}

TEST_F(ViewTest, FollowPointMovesTowardTheTarget)
{
    ctrl.hasFollowTarget = true;
    ctrl.followTarget = D3DXVECTOR2(10, 0);
    viewer.UpdateFollowPoint(0.1f);  // step 2 x 10.05 x 0.1
    EXPECT_FLOAT_EQ(viewer.GetFollowPoint().x, 2.01f);
    EXPECT_EQ(viewer.GetFollowPoint().y, 0.0f);
    viewer.UpdateFollowPoint(0.5f);  // the step covers the rest
    EXPECT_EQ(viewer.GetFollowPoint(), D3DXVECTOR2(10, 0));

    ctrl.followTarget = D3DXVECTOR2(10, 100);
    ctrl.fastFollow = 1;
    viewer.UpdateFollowPoint(0.01f);  // 8 x 100.05 x 0.01
    EXPECT_NEAR(viewer.GetFollowPoint().y, 8.004f, 1e-4f);

    ctrl.hasFollowTarget = false;
    viewer.UpdateFollowPoint(0.1f);
    EXPECT_EQ(viewer.GetFollowPoint(), D3DXVECTOR2(0, 0));
}

TEST_F(ViewTest, LevelColoursAreClampedAndKeptAsBytes)
{
    const float diffuse[3] = {1.5f, -0.5f, 0.25f};
    const float second[3] = {0.5f, 0.002f, 2.0f};
    viewer.SetLevelColours(diffuse, second);
    EXPECT_EQ(viewer.GetLevelDiffuse()[0], 1.0f);
    EXPECT_EQ(viewer.GetLevelDiffuse()[1], 0.0f);
    EXPECT_EQ(viewer.GetLevelSecondBytes()[0], 128);  // 127.5 rounded away from zero
    EXPECT_EQ(viewer.GetLevelSecondBytes()[1], 1);
    EXPECT_EQ(viewer.GetLevelSecondBytes()[2], 255);
    EXPECT_TRUE(viewer.HasLevelColour());
    const float black[3] = {0.0f, -1.0f, 0.0f};
    viewer.SetLevelColours(black, black);
    EXPECT_FALSE(viewer.HasLevelColour());
}
