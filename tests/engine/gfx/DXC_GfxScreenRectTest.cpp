// DXC_GfxScreenRectTest: the screen rectangle of a box in front of, behind and across the camera
// plane, a scene's rectangle and view test, light sets on the device's slots, and the scene
// renderer's viewport update.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_LightSet.h"
#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The camera at the origin looking along +z through a viewport at (10, 20) of 800 x 600.
class DXC_GfxScreenRect : public ::testing::Test {
protected:
    DXC_GfxScreenRect()
    {
        gfx.SetViewPort(10, 20, 810, 620, 0.0f, 1.0f);
        gfx.SetPerspective(1.0f, 100.0f, float(M_PI / 2), -1.0f);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        gfx.SetViewMatrix(identity);
    }
    tmpRECT<int32_t> RectOf(D3DXVECTOR3 lo, D3DXVECTOR3 hi)
    {
        mesh.boxMin = lo;
        mesh.boxMax = hi;
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        return gfx.CalcMeshRectOnScreen(mesh, identity);
    }

    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    DXC_Mesh mesh;
};

}  // namespace

TEST_F(DXC_GfxScreenRect, BoxRectangles)
{
    const tmpRECT<int32_t> viewportRect{10, 20, 810, 620};
    EXPECT_EQ(RectOf({-1, -1, -5}, {1, 1, -3}), (tmpRECT<int32_t>{10, 20, 10, 20}));  // behind
    EXPECT_EQ(RectOf({-100, -100, 5}, {100, 100, 6}), viewportRect);                    // larger than the screen

    // A small box straight ahead: around the viewport's centre (410, 320), inside it.
    const tmpRECT<int32_t> ahead = RectOf({-1, -1, 9}, {1, 1, 10});
    EXPECT_LT(ahead.left, 410);
    EXPECT_GT(ahead.right, 410);
    EXPECT_LT(ahead.top, 320);
    EXPECT_GT(ahead.bottom, 320);
    EXPECT_GT(ahead.left, 10);
    EXPECT_LT(ahead.bottom, 620);

    // Across the camera plane, right of the view axis: its visible part reaches the right edge
    // and starts at its nearest visible corner; the hidden corners never mirror it to the left.
    const tmpRECT<int32_t> across = RectOf({1, -1, -1}, {2, 1, 4});
    float x = 0, y = 0;
    ASSERT_EQ(gfx.ProjectToScreen({1, 0, 4}, x, y), 1);
    EXPECT_EQ(across.left, int32_t(std::floor(x)));
    EXPECT_GT(across.left, 410);
    EXPECT_EQ(across.right, 810);
    EXPECT_EQ(across.top, 20);
    EXPECT_EQ(across.bottom, 620);
}

TEST_F(DXC_GfxScreenRect, SceneRectangleAndVisibility)
{
    DXC_3dScene scene;
    EXPECT_EQ(gfx.CalcObjectRectOnScreen(scene), (tmpRECT<int32_t>{}));
    D3DXMatrixTranslation(&scene.worldMatrix, 0, 0, 50);  // a scene without bounds or meshes: its position
    EXPECT_TRUE(gfx.IsObjectVisible(scene));
    D3DXMatrixTranslation(&scene.worldMatrix, 0, 0, -50);
    EXPECT_FALSE(gfx.IsObjectVisible(scene));

    scene.SetBox({-1, -1, -1}, {1, 1, 1});
    scene.SetBoundsFlags(2);
    D3DXMatrixTranslation(&scene.worldMatrix, 0, 0, 10);
    EXPECT_TRUE(gfx.IsObjectVisible(scene));
    D3DXMatrixTranslation(&scene.worldMatrix, 0, 0, -10);
    EXPECT_FALSE(gfx.IsObjectVisible(scene));
}

TEST_F(DXC_GfxScreenRect, LightSetsTakeTheFirstSlots)
{
    DXC_Light lights[3];
    DXC_LightSet set;
    for (DXC_Light& light : lights) {
        light.SetParams(1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100);
        set.lights.push_back(&light);
    }
    set.hasFog = true;
    set.hasAmbient = true;
    set.ambientColor = 0xFF202020u;
    IDirect3DDevice9& device = client.Device();
    auto enabled = [&](int slot) {
        int32_t on = -1;
        device.GetLightEnable(DWORD(slot), &on);
        return on;
    };
    for (int slot = 0; slot < 8; slot++)
        gfx.LightEnable(slot, 1);
    gfx.ApplyLightSet(set);
    for (int slot = 0; slot < 8; slot++)
        EXPECT_EQ(enabled(slot) != 0, slot < 3) << slot;
    EXPECT_EQ(RenderStateOf(device, D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(RenderStateOf(device, D3DRS_AMBIENT), 0xFF202020u);

    gfx.RemoveLightSet(set);
    for (int slot = 0; slot < 8; slot++)
        EXPECT_EQ(enabled(slot), 0) << slot;
    EXPECT_EQ(RenderStateOf(device, D3DRS_FOGENABLE), 0u);
}

TEST_F(DXC_GfxScreenRect, ViewportAndCameraKeepTheDepthRange)
{
    gfx.SetViewPort(0, 0, 100, 100, 0.25f, 0.75f);
    gfx.SetViewportAndCamera(5, 6, 300, 200);
    int32_t rect[4];
    gfx.GetViewportRect(rect);
    EXPECT_EQ(rect[0], 5);
    EXPECT_EQ(rect[1], 6);
    EXPECT_EQ(rect[2], 305);
    EXPECT_EQ(rect[3], 206);
    float depth[2];
    gfx.GetViewportDepthRange(depth);
    EXPECT_EQ(depth[0], 0.25f);
    EXPECT_EQ(depth[1], 0.75f);
}
