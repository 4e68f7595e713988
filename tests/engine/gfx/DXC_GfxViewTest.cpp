// DXC_Gfx view data: the look-at view and the camera position read back from it, the projection
// brought to the form depth fog expects, the viewport rectangle and its cache, pick rays through
// the viewport's centre along the view (none without a viewport, the server's graphics object),
// screen positions against an independent oracle, and the frustum and bounds tests.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dClipObject.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

}  // namespace

TEST(DXC_GfxView, CameraProjectionAndViewport)
{
    DXC_Gfx gfx;
    D3DXMATRIX m;
    gfx.GetViewMatrix(m);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));  // until a camera is set
    gfx.GetProjectionMatrix(m);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));

    const D3DXVECTOR3 eye(10, -20, 30), target(15, 5, 0), up(0, 0, 1);
    gfx.SetCameraLookAt(eye, target, up);
    D3DXVECTOR3 position;
    gfx.GetCameraPos(position);
    ExpectNear(position, eye, 1e-4f);
    gfx.GetViewMatrix(m);
    D3DXVECTOR3 seen;
    D3DXVec3TransformCoord(&seen, &target, &m);  // the target lies ahead on the view's z axis
    EXPECT_NEAR(seen.x, 0.0f, 1e-4f);
    EXPECT_NEAR(seen.y, 0.0f, 1e-4f);
    EXPECT_GT(seen.z, 0.0f);
    gfx.SetCameraLookAt(eye, target, up, true);  // mirrored: the first column negated
    D3DXMATRIX mirrored;
    gfx.GetViewMatrix(mirrored);
    for (int row = 0; row < 4; row++) {
        EXPECT_FLOAT_EQ(mirrored.m[row][0], row < 3 ? -m.m[row][0] : m.m[row][0]);
        EXPECT_FLOAT_EQ(mirrored.m[row][1], m.m[row][1]);
    }

    D3DXMATRIX projection(1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 4, 2, 0, 0, 6, 0);
    gfx.SetProjectionMatrix(projection);
    gfx.GetProjectionMatrix(m);
    EXPECT_EQ(m, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 1, 0, 0, 3, 0));

    int32_t rect[4];
    gfx.GetViewportRect(rect);
    EXPECT_EQ(rect[2] - rect[0], 0);  // no viewport until one is set
    gfx.SetViewPort(10, 20, 810, 620, 0.0f, 1.0f);
    gfx.GetViewportRect(rect);
    EXPECT_EQ(rect[0], 10);
    EXPECT_EQ(rect[1], 20);
    EXPECT_EQ(rect[2], 810);
    EXPECT_EQ(rect[3], 620);
}

TEST(DXC_GfxView, PickRays)
{
    DXC_Gfx gfx;
    D3DXVECTOR3 direction(1, 1, 1);
    gfx.GetPickRayDir(direction, 100, 100);
    EXPECT_EQ(direction, D3DXVECTOR3(0, 0, 0));  // no viewport: no ray, and no NaN

    const D3DXVECTOR3 eye(100, 200, 300), target(400, 600, 300);
    gfx.SetCameraLookAt(eye, target, D3DXVECTOR3(0, 0, 1));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 2.0f, 1.0f, 1000.0f);
    gfx.SetProjectionMatrix(projection);
    gfx.SetViewPort(0, 0, 640, 320, 0.0f, 1.0f);
    gfx.GetPickRayDir(direction, 320, 160);
    EXPECT_NEAR(D3DXVec3Length(&direction), 1.0f, 1e-2f);  // to the near plane, not normalised
    D3DXVec3Normalize(&direction, &direction);
    ExpectNear(direction, D3DXVECTOR3(0.6f, 0.8f, 0.0f), 1e-3f);  // along the view
    // The top edge's middle: tilted up by half the vertical field of view.
    gfx.GetPickRayDir(direction, 320, 0);
    EXPECT_NEAR(std::atan2(direction.z, std::hypot(direction.x, direction.y)), 0.5f, 1e-3f);
    // The left edge turns away from the view's x axis, up x view = (-0.8, 0.6, 0) (left-handed).
    gfx.GetPickRayDir(direction, 0, 160);
    EXPECT_LT(-0.8f * direction.x + 0.6f * direction.y, 0.0f);
}

TEST(DXC_GfxView, ScreenPositions)
{
    DXC_Gfx gfx;
    gfx.SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 0, 1));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 1000.0f);
    gfx.SetProjectionMatrix(projection);
    gfx.SetViewPort(0, 0, 200, 100, 0.0f, 1.0f);
    float x = 0.0f, y = 0.0f;
    EXPECT_EQ(gfx.ProjectToScreen(D3DXVECTOR3(0, 50, 0), x, y), 1);
    EXPECT_NEAR(x, 100.0f, 1e-3f);
    EXPECT_NEAR(y, 50.0f, 1e-3f);
    const float edge = 50.0f * std::tan(0.5f);  // the top edge of the view at distance 50
    gfx.ProjectToScreen(D3DXVECTOR3(0, 50, edge), x, y);
    EXPECT_NEAR(y, 0.0f, 1e-2f);

    EXPECT_FALSE(gfx.IsPointOnScreen(0, 50, 0, 0));  // no device: never
    gfx.initialised = 1;
    const struct {
        D3DXVECTOR3 point;
        float size;
        bool onScreen;
    } kCases[] = {
        {{0, 50, 0}, 0, true},
        {{0, 50, edge * 1.1f}, 0, false},
        {{0, 50, edge * 1.1f}, 10, true},  // within its size of the edge
        {{0, -50, 0}, 0, false},           // behind the camera
        {{0, 0, 0}, 1000, false},          // on the camera plane: no position at all
    };
    for (const auto& c : kCases)
        EXPECT_EQ(gfx.IsPointOnScreen(c.point.x, c.point.y, c.point.z, c.size), c.onScreen)
            << c.point.z << " " << c.size;
}

namespace {

#include "DXC_GfxViewGolden.inc"

D3DXVECTOR3 Vec(const float v[3]) { return D3DXVECTOR3(v[0], v[1], v[2]); }

}  // namespace

// Perspective and look-at as the oracle builds them, and a point's screen position through both;
// a point behind the camera has none and leaves the output alone.
TEST(DXC_GfxView, CamerasAgreeWithTheOracle)
{
    for (const ViewGoldenCase& c : kViewGoldenCases) {
        DXC_Gfx gfx;
        const int32_t* v = c.viewport;
        gfx.SetViewPort(v[0], v[1], v[0] + v[2], v[1] + v[3], 0.0f, 1.0f);
        gfx.SetCameraLookAt(Vec(c.eye), Vec(c.target), Vec(c.up));
        gfx.SetPerspective(c.zNear, c.zFar, c.fov, c.aspect);
        D3DXMATRIX view, projection;
        gfx.GetViewMatrix(view);
        gfx.GetProjectionMatrix(projection);
        for (int i = 0; i < 16; i++) {
            EXPECT_NEAR(view.m[i / 4][i % 4], c.view[i], 1e-3f) << i;
            EXPECT_NEAR(projection.m[i / 4][i % 4], c.projection[i], 1e-4f) << i;
        }
        float x = 0.0f, y = 0.0f;
        EXPECT_EQ(gfx.ProjectToScreen(Vec(c.point), x, y), 1);
        EXPECT_NEAR(x, c.screen[0], 1e-2f);
        EXPECT_NEAR(y, c.screen[1], 1e-2f);

        const D3DXVECTOR3 eye = Vec(c.eye), target = Vec(c.target);
        const D3DXVECTOR3 ahead = target - eye;
        gfx.ProjectToScreen(eye + ahead, x, y);  // straight ahead: the centre
        EXPECT_NEAR(x, float(v[0]) + float(v[2]) * 0.5f, 1e-2f);
        EXPECT_NEAR(y, float(v[1]) + float(v[3]) * 0.5f, 1e-2f);
        EXPECT_NEAR(gfx.GetViewDepth(eye + ahead), D3DXVec3Length(&ahead), 1e-2f);
        x = y = -7.0f;
        EXPECT_EQ(gfx.ProjectToScreen(eye - ahead, x, y), 0);
        EXPECT_EQ(x, -7.0f);
        EXPECT_EQ(y, -7.0f);
    }
    DXC_Gfx gfx;
    gfx.SetViewPort(0, 0, 800, 400, 0.0f, 1.0f);
    gfx.aspectFactor = 1.0f;
    gfx.SetPerspective(1.0f, 100.0f, 1.0f, -1.0f);  // the viewport's aspect
    D3DXMATRIX projection;
    gfx.GetProjectionMatrix(projection);
    EXPECT_FLOAT_EQ(projection.m[1][1] / projection.m[0][0], 2.0f);
}

TEST(DXC_GfxView, DeviceGetsTransformsAndViewport)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    D3D9Journal& journal = fixture.Journal();
    journal.Clear();
    EXPECT_EQ(gfx.SetViewPort(10, 20, 510, 420, 0.0f, 1.0f), 1);
    EXPECT_EQ(gfx.SetViewPort(10, 20, 510, 420, 0.0f, 1.0f), 1);
    EXPECT_EQ(journal.Count(D3D9Op::SetViewport), 1);  // the second is the cached one
    D3DVIEWPORT9 port;
    device.GetViewport(&port);
    EXPECT_EQ(port.Width, 500u);
    float range[2];
    gfx.GetViewportDepthRange(range);
    EXPECT_EQ(range[1], 1.0f);

    LogCapture log;  // a viewport the target cannot hold: a warning in a window
    EXPECT_EQ(gfx.SetViewPort(0, 0, 5000, 5000, 0.0f, 1.0f), 0);
    EXPECT_EQ(log.Count("SetViewPort failed: D3DERR_INVALIDCALL"), 1);
    gfx.windowed = 0;
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetViewPort(0, 0, 6000, 6000, 0.0f, 1.0f); }),
              "SetViewPort failed: D3DERR_INVALIDCALL");
    gfx.windowed = 1;

    D3DXMATRIX m(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1), got;
    gfx.SetWorldMatrix(m, 3);
    device.GetTransform(D3DTS_WORLDMATRIX(3), &got);
    EXPECT_EQ(got, m);
    gfx.SetTextureTransform(&m, 1);
    device.GetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1), &got);
    EXPECT_EQ(got, m);
    DWORD flags = 0;
    device.GetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(flags, D3DTTFF_COUNT3);
    gfx.SetTextureTransform(nullptr, 1);
    device.GetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(flags, 0u);
    const int32_t stageCalls = journal.Count(D3D9Op::SetTextureStageState);
    gfx.SetTextureTransform(nullptr, 1);  // already off: nothing sent
    EXPECT_EQ(journal.Count(D3D9Op::SetTextureStageState), stageCalls);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetTextureTransform(nullptr, 8); }),
              "Invalid texture stage in SetTextureTransform()");

    gfx.SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 0, 1));
    device.GetTransform(D3DTS_VIEW, &got);
    gfx.GetViewMatrix(m);
    EXPECT_EQ(got, m);
    gfx.SetCullMode(-1);
    gfx.GetProjectionMatrix(m);
    gfx.MirrorProjection();  // x mirrored, and the faces culled the other way round
    device.GetTransform(D3DTS_PROJECTION, &got);
    EXPECT_FLOAT_EQ(got.m[0][0], -m.m[0][0]);
    EXPECT_EQ(gfx.GetCullMode(), 1);
    EXPECT_FLOAT_EQ(DXC_Gfx::GetMaxAxisScale(D3DXMATRIX(1, 0, 0, 0, 0, 3, 0, 0, 0, 4, 2, 0, 9, 9, 9, 1)), 5.0f);
}

// A camera at the origin looking along +y with a 90 degree view: the tests against the frustum,
// the user planes and bounds records.
TEST(DXC_GfxView, FrustumAndBounds)
{
    DXC_Gfx gfx;
    gfx.SetViewPort(0, 0, 100, 100, 0.0f, 1.0f);
    gfx.SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1));
    gfx.SetPerspective(1.0f, 100.0f, D3DX_PI / 2.0f, 1.0f);
    const struct {
        D3DXVECTOR3 centre;
        float radius;
        int32_t expected;
    } spheres[] = {
        {{0, 50, 0}, 1, 2},     // inside
        {{0, 50, 0}, 80, 2},    // reaches past the sides, but its centre is inside every plane
        {{0, -5, 0}, 1, 0},     // behind
        {{0, 200, 0}, 1, 0},    // beyond the far plane
        {{60, 50, 0}, 5, 0},    // beside
        {{52, 50, 0}, 5, 1},    // across the right side
    };
    for (const auto& c : spheres)
        EXPECT_EQ(gfx.TestSphere(c.centre.x, c.centre.y, c.centre.z, c.radius), c.expected)
            << c.centre.x << " " << c.centre.y << " " << c.radius;
    gfx.SetClipPlane(0, 0, 0, 2, -20);  // above z = 10 is outside
    gfx.SetActiveClipPlanes(1);
    EXPECT_EQ(gfx.clipPlanes[0][2], 1.0f);  // normalised
    EXPECT_EQ(gfx.TestSphere(0, 50, 30, 5), 0);
    EXPECT_EQ(gfx.TestSphere(0, 50, 0, 5), 2);
    gfx.SetActiveClipPlanes(0);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetClipPlane(8, 0, 0, 1, 0); }), "Clipping plane ID out of range: 8");

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    DXC_ClipObject bounds;
    EXPECT_EQ(gfx.TestBounds(bounds, identity), 1);  // no flags: always visible
    bounds.boundsFlags = 1;
    bounds.boundsRadius = 0.5f;
    EXPECT_EQ(gfx.TestBounds(bounds, identity), 0);  // a small sphere at the camera
    D3DXMATRIX placed;
    D3DXMatrixTranslation(&placed, 0, 50, 0);
    EXPECT_EQ(gfx.TestBounds(bounds, placed), 1);
    bounds.boundsFlags = 2;  // a box: its corners beside the view, all beyond the right side
    bounds.boxMin = D3DXVECTOR3(60, 40, -1);
    bounds.boxMax = D3DXVECTOR3(70, 50, 1);
    EXPECT_EQ(gfx.TestBounds(bounds, identity), 0);
    bounds.boxMin = D3DXVECTOR3(-70, 40, -1);  // across the view: no corner inside, still seen
    EXPECT_EQ(gfx.TestBounds(bounds, identity), 1);
}
