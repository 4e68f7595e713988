// DXC_Gfx view data: the look-at view and the camera position read back from it, the projection
// brought to the form depth fog expects, the viewport rectangle, and pick rays: through the
// viewport's centre along the view, none without a viewport (the server's graphics object).
#include "engine/gfx/DXC_Gfx.h"

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
    };
    for (const auto& c : kCases)
        EXPECT_EQ(gfx.IsPointOnScreen(c.point.x, c.point.y, c.point.z, c.size), c.onScreen)
            << c.point.z << " " << c.size;
}
