// VSD_Viewer camera: the earthquake shake by distance and remaining time, the pan, the recoil,
// the ageing of both effect lists, and the floor window: placed from the viewport's corner rays,
// and on the target when the rays give no ground (no graphics object, the server's graphics
// object without viewport, a camera looking up, the follow-target switch).
#include "level/VSD_Viewer.h"

#include "engine/gfx/DXC_Gfx.h"
#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct CameraTest : ::testing::Test {
    LevelTestCtrl ctrl;
    GridViewer viewer;
    CameraTest()
    {
        viewer.SetGrid(100, 100, 40, 40);
        viewer.SetViewFloorSize(50, 50);  // view radius 1020
    }

    EarthQuakeEntry& AddQuake(float x, float y, float strength, float frequency, float duration, float elapsed,
                              float phase)
    {
        auto& quakes = viewer.GetEarthQuakes();
        EarthQuakeEntry& q = *quakes.GetBySlot(quakes.Add());
        q = {x, y, strength, frequency, duration, elapsed, phase};
        return q;
    }
    RecoilEffectEntry& AddRecoil(float swing, float strength, float duration)
    {
        auto& recoils = viewer.GetRecoilEffects();
        RecoilEffectEntry& r = *recoils.GetBySlot(recoils.Add());
        r = {swing, strength, duration, 0.0f};
        return r;
    }
    // The camera from (500, 400, 300) down to (500, 700, 0); what the effects moved the eye by.
    D3DXVECTOR3 EyeShift()
    {
        viewer.SetCamera(500, 400, 300, 500, 700, 0, 0, 0, 1);
        return viewer.GetCameraPos() - D3DXVECTOR3(500, 400, 300);
    }
};

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tolerance, const char* what)
{
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

}  // namespace

TEST_F(CameraTest, EarthquakeShakeByPhaseDistanceAndTimeLeft)
{
    const float x = (std::sin(1.0f) + std::sin(0.5f)) * 10.0f;  // phase 0.5 at the target, frequency 0
    const struct {
        float distance, duration, phase, expectedX;
    } kCases[] = {
        {0, 2.0f, 0.0f, 0.0f},             // phase 0 and no time: every sine is 0
        {0, 2.0f, 0.5f, x},
        {0, 0.15f, 0.5f, x * 0.5f},        // 0.15 s left: half
        {560, 2.0f, 0.5f, x * 0.5f},       // half-way to view radius + 100
        {1120, 2.0f, 0.5f, 0.0f},          // at view radius + 100
        {1500, 2.0f, 0.5f, 0.0f},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.distance << " " << c.duration << " " << c.phase);
        viewer.GetEarthQuakes().DeleteAll();
        AddQuake(500 + c.distance, 700, 1.0f, 0.0f, c.duration, 0.0f, c.phase);
        const D3DXVECTOR3 shift = EyeShift();
        EXPECT_NEAR(shift.x, c.expectedX, 1e-4f);
        // The target moves with the eye.
        ExpectNear(viewer.GetCameraTarget() - D3DXVECTOR3(500, 700, 0), shift, 1e-4f, "target");
    }

    // Beyond reach an earthquake adds nothing, also after one that did shake.
    viewer.GetEarthQuakes().DeleteAll();
    AddQuake(500, 700, 1.0f, 0.0f, 2.0f, 0.0f, 0.5f);
    const D3DXVECTOR3 alone = EyeShift();
    AddQuake(500, 700 + 1200, 3.0f, 2.0f, 2.0f, 0.5f, 1.5f);
    ExpectNear(EyeShift(), alone, 1e-5f, "far quake");
    EXPECT_NEAR(alone.y, (std::sin(2.0f) + std::sin(1.5f)) * 10.0f, 1e-4f);
    EXPECT_NEAR(alone.z, (std::sin(6.5f) + std::sin(8.5f)) * 10.0f, 1e-4f);
}

TEST_F(CameraTest, EffectsAgeAndEnd)
{
    AddQuake(0, 0, 1, 1, 1.0f, 0.0f, 0);
    AddRecoil(0.1f, 0.1f, 1.0f);
    const int32_t quakes[] = {1, 1, 0, 0};
    const int32_t recoils[] = {1, 1, 1, 0};
    for (int32_t update = 0; update < 4; update++) {
        viewer.UpdateCameraEffects(0.4f);
        EXPECT_EQ(viewer.GetEarthQuakes().GetSize(), quakes[update]) << "update " << update + 1;
        EXPECT_EQ(viewer.GetRecoilEffects().GetSize(), recoils[update]) << "update " << update + 1;
    }
    // The follow point moves toward the controller's target on the way.
    ctrl.hasFollowTarget = true;
    ctrl.followTarget = D3DXVECTOR2(10, 0);
    viewer.UpdateCameraEffects(0.1f);
    EXPECT_NEAR(viewer.GetFollowPoint().x, 2.01f, 1e-5f);
}

TEST_F(CameraTest, PanAndRecoil)
{
    // Looking along +y from (0, 0, 100): right is F x U = (1, 0, 0). A quarter turn of horizontal
    // field of view pans by half the distance.
    viewer.SetFieldOfView(1.0f, 3.1415927f * 0.5f);
    viewer.SetCameraPan(0.5f, 0.0f);
    viewer.SetCamera(0, 0, 100, 0, 100, 100, 0, 0, 1);
    ExpectNear(viewer.GetCameraPos(), D3DXVECTOR3(-50, 0, 100), 1e-3f, "panned eye");
    ExpectNear(viewer.GetCameraTarget(), D3DXVECTOR3(-50, 100, 100), 1e-3f, "panned target");
    viewer.SetCameraPanOff(true);
    viewer.SetCamera(0, 0, 100, 0, 100, 100, 0, 0, 1);
    ExpectNear(viewer.GetCameraPos(), D3DXVECTOR3(0, 0, 100), 0.0f, "pan off");
    EXPECT_EQ(viewer.GetRequestedEye(), D3DXVECTOR3(0, 0, 100));

    // A recoil at full curve value rolls the up vector about the view and pitches the view; the
    // eye steps back 400 x sin(swing) along the level view.
    viewer.GetRecoilCurve().SetNumKeys(1);
    viewer.GetRecoilCurve().GetKey(0).value = 1.0f;
    AddRecoil(0.1f, 0.0f, 1.0f);
    viewer.SetCamera(0, 0, 100, 100, 0, 100, 0, 0, 1);
    const D3DXVECTOR3 eye = viewer.GetCameraPos();
    ExpectNear(eye, D3DXVECTOR3(-400.0f * std::sin(0.1f), 0, 100), 1e-3f, "recoiled eye");
    const D3DXVECTOR3 view = viewer.GetCameraTarget() - eye;
    EXPECT_NEAR(D3DXVec3Length(&view), 100.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(view.z), 100.0f * std::sin(0.1f), 1e-3f);
    const D3DXVECTOR3 up = viewer.GetCameraUp();
    EXPECT_NEAR(D3DXVec3Dot(&up, &view), 0.0f, 1e-3f);

    viewer.GetRecoilEffects().DeleteAll();
    AddRecoil(0.0f, 0.3f, 1.0f);  // roll only
    viewer.SetCamera(0, 0, 100, 100, 0, 100, 0, 0, 1);
    ExpectNear(viewer.GetCameraPos(), D3DXVECTOR3(0, 0, 100), 1e-4f, "rolled eye");
    EXPECT_NEAR(viewer.GetCameraUp().z, std::cos(0.3f), 1e-5f);
    EXPECT_NEAR(std::fabs(viewer.GetCameraUp().y), std::sin(0.3f), 1e-5f);
}

TEST_F(CameraTest, FloorWindowFromTheCornerRays)
{
    // A graphics object with a device's view data: 800 x 600, 60 degrees, the camera 45 degrees
    // down onto the floor. The corners were worked out apart (lower edge at y 1282.95).
    DXC_Gfx gfx;
    gfx.initialised = 1;
    gfx.SetViewPort(0, 0, 800, 600, 0.0f, 1.0f);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 3.0f, 800.0f / 600.0f, 1.0f, 10000.0f);
    gfx.SetProjectionMatrix(projection);
    GridViewer seen(&gfx);
    seen.SetGrid(100, 100, 40, 40);
    seen.SetCameraDistance(300);

    const struct {
        int16_t floorSize;
        float centreY;
    } kCases[] = {
        {80, 2548.157f},  // the view circle fits before the widened lower edge
        {50, 1975.0f},    // too narrow: the view ray's ground point, one cell back
    };
    // The pick rays come from the near plane less the camera position in single precision: a
    // ground point 4000 units away is good to a unit or two.
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.floorSize);
        seen.SetViewFloorSize(c.floorSize, c.floorSize);
        EXPECT_EQ(seen.SetCamera(2010, 1015, 1000, 2010, 2015, 0, 0, 0, 1), 1);
        const D3DXVECTOR3* corners = seen.GetGroundCorners();
        ExpectNear(corners[0], D3DXVECTOR3(2700.184f, 1282.949f, 0), 0.5f, "lower left");
        ExpectNear(corners[1], D3DXVECTOR3(1319.816f, 1282.949f, 0), 0.5f, "lower right");
        ExpectNear(corners[2], D3DXVECTOR3(-565.802f, 4747.051f, 0), 2.0f, "upper right");
        ExpectNear(corners[3], D3DXVECTOR3(4585.802f, 4747.051f, 0), 2.0f, "upper left");
        EXPECT_NEAR(seen.GetFloorWindowCentre().x, 2010.0f, 0.5f);
        EXPECT_NEAR(seen.GetFloorWindowCentre().y, c.centreY, 0.5f);
        EXPECT_EQ(seen.GetFloorWindowX(), 50 - c.floorSize / 2);
        EXPECT_EQ(seen.GetFloorWindowY(), int32_t(c.centreY / 40) - c.floorSize / 2);
        const float across = float(c.floorSize * 40);
        EXPECT_NEAR(seen.GetFarDistance(), std::sqrt(across * across + 300.0f * 300.0f) + 100.0f, 1e-2f);
    }
    EXPECT_NEAR(seen.GetViewDistance(), std::hypot(1000.0f, 1975.0f + 1020.0f - 1015.0f) - 64.0f, 0.5f);
    EXPECT_NEAR(seen.GetViewDistanceScaled(), seen.GetViewDistance() * 0.75f, 1e-3f);
    // The view went to the graphics object.
    D3DXVECTOR3 eye;
    gfx.GetCameraPos(eye);
    ExpectNear(eye, D3DXVECTOR3(2010, 1015, 1000), 0.1f, "graphics camera");

    // Looking up, no corner ray meets the floor: the ground points stay, the window takes the target.
    seen.SetCamera(2000, 1000, 100, 2000, 2000, 600, 0, 0, 1);
    ExpectNear(seen.GetGroundCorners()[0], D3DXVECTOR3(2700.184f, 1282.949f, 0), 0.5f, "kept");
    EXPECT_EQ(seen.GetFloorWindowCentre(), D3DXVECTOR2(2000, 2000));
    // The follow-target switch does the same with a camera that sees the floor.
    seen.SetWindowFollowsTarget(true);
    seen.SetCamera(2000, 1000, 1000, 2100, 2200, 0, 0, 0, 1);
    EXPECT_EQ(seen.GetFloorWindowCentre(), D3DXVECTOR2(2100, 2200));
}

TEST_F(CameraTest, WithoutViewportTheWindowFollowsTheTarget)
{
    // The server's graphics object: dedicated, no device, identity matrices, no viewport.
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    GridViewer server(&gfx);
    server.SetGrid(100, 100, 40, 40);
    server.SetViewFloorSize(50, 50);
    for (GridViewer* v : {&viewer, &server}) {
        v->SetCamera(1000, 600, 900, 1210, 1330, 0, 0, 0, 1);
        EXPECT_EQ(v->GetFloorWindowCentre(), D3DXVECTOR2(1210, 1330));
        EXPECT_EQ(v->GetFloorWindowCentreCellX(), 30);
        EXPECT_EQ(v->GetFloorWindowCentreCellY(), 33);
        EXPECT_EQ(v->GetFloorWindowX(), 5);
        EXPECT_EQ(v->GetFloorWindowY(), 8);
        for (int32_t i = 0; i < 4; i++)
            EXPECT_EQ(v->GetGroundCorners()[i], D3DXVECTOR3(0, 0, 0));  // never met
        EXPECT_TRUE(std::isfinite(v->GetFarDistance()));
    }
    D3DXMATRIX view;
    gfx.GetViewMatrix(view);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&view));  // no device: the view is not set
}
