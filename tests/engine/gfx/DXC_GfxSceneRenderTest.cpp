// DXC_GfxSceneRenderTest: whole scenes drawn on a stand-in device: the null and the invisible
// scene, clearing, opaque meshes near to far and transparent ones far to near when sorted, a
// large sorted scene drawn whole, pass masks, the display aids and markers.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A scene of meshes on the device; mesh i has i + 1 faces in one material, so the face count of
// an indexed draw tells which mesh drew. The camera looks along +z from the origin.
class DXC_GfxSceneRender : public ::testing::Test {
protected:
    explicit DXC_GfxSceneRender(const DXC_DisplayMode& mode = DXC_DisplayMode())
        : client(D3D9AdapterProfile::Typical(), mode)
    {
        gfx.SetViewPort(0, 0, 800, 600, 0.0f, 1.0f);
        gfx.SetPerspective(1.0f, 1000.0f, 1.5f, -1.0f);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        gfx.SetViewMatrix(identity);
        gfx.BeginScene();
    }
    ~DXC_GfxSceneRender() override { gfx.EndScene(); }

    DXC_Mesh& AddMesh(float z, bool transparent)
    {
        DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
        const int32_t faces = scene.GetMeshCount();
        gfx.CreateMesh(&mesh, faces, 3 * faces, 1, kFormat, 0, 0, 1, 0, 0);
        mesh.LockAll(0);
        auto* indices = static_cast<uint16_t*>(mesh.lockedIndexData);
        for (int32_t i = 0; i < 3 * faces; i++)
            indices[i] = uint16_t(i);
        mesh.UnlockAll();
        mesh.Optimize();
        D3DXMatrixTranslation(&mesh.worldMatrix, 0, 0, z);
        mesh.transparency = transparent ? 1 : 0;
        return mesh;
    }
    // The meshes in the order they drew, by their numbers (0 up).
    std::vector<int32_t> DrawOrder()
    {
        std::vector<int32_t> order;
        for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawIndexedPrimitive))
            order.push_back(int32_t(call.Arg(5)) - 1);
        return order;
    }

    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    D3D9Journal& journal = client.Journal();
    DXC_3dScene scene;
};

// The same on a multisampled back buffer.
class DXC_GfxSceneRenderMultisampled : public DXC_GfxSceneRender {
protected:
    static DXC_DisplayMode Multisampled()
    {
        DXC_DisplayMode mode;
        mode.antialiasing = -1;
        return mode;
    }
    DXC_GfxSceneRenderMultisampled() : DXC_GfxSceneRender(Multisampled()) {}
};

}  // namespace

TEST_F(DXC_GfxSceneRender, NullAndInvisibleScenesDrawNothing)
{
    LogCapture log;
    EXPECT_EQ(gfx.RenderScene(nullptr, 0, 0, false), 0);
    EXPECT_NE(log.Text().find("Pointer to 3dScene is zero"), std::string::npos);

    AddMesh(10, false);
    scene.SetBox({-1, -1, -1}, {1, 1, 1});
    scene.SetBoundsFlags(2);
    D3DXMatrixTranslation(&scene.worldMatrix, 0, 0, -50);  // behind the camera
    EXPECT_EQ(gfx.RenderScene(&scene, 0, 0, false), 0);
    EXPECT_EQ(gfx.GetScenesDrawn(), 0);
    EXPECT_TRUE(DrawOrder().empty());

    D3DXMatrixIdentity(&scene.worldMatrix);
    scene.renderFlags = DXC_3dScene::kRenderClear;
    scene.backgroundColor = 0xFF102030u;
    journal.Clear();
    EXPECT_EQ(gfx.RenderScene(&scene, 0, 0, false), 1);
    EXPECT_EQ(gfx.GetScenesDrawn(), 1);
    EXPECT_EQ(gfx.GetSceneInDrawing(), nullptr);
    const D3D9Call* clear = journal.Last(D3D9Op::Clear);
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(journal.Count(D3D9Op::Clear), 1);
    EXPECT_EQ(DrawOrder(), std::vector<int32_t>{0});

    journal.Clear();  // an option set: no clearing
    gfx.RenderScene(&scene, 1, 0, false);
    EXPECT_EQ(journal.Count(D3D9Op::Clear), 0);
}

TEST_F(DXC_GfxSceneRender, SortedSceneOpaqueNearFirstTransparentFarFirst)
{
    AddMesh(30, false);  // 0
    AddMesh(10, true);   // 1
    AddMesh(20, false);  // 2
    AddMesh(40, true);   // 3
    AddMesh(5, false);   // 4
    gfx.RenderScene(&scene, 0, 0, false);
    EXPECT_EQ(DrawOrder(), (std::vector<int32_t>{0, 1, 2, 3, 4}));  // list order without the sort

    journal.Clear();
    scene.renderFlags = DXC_3dScene::kRenderDepthSort;
    gfx.RenderScene(&scene, 0, 0, false);
    EXPECT_EQ(DrawOrder(), (std::vector<int32_t>{4, 2, 0, 3, 1}));

    journal.Clear();  // only the opaque pass
    for (int32_t i = 0; i < scene.GetMeshCount(); i++)
        gfx.RenderObject(scene, *scene.GetMesh(i), 0, 1);
    EXPECT_EQ(DrawOrder(), (std::vector<int32_t>{0, 2, 4}));
}

// The sort list grows with the scene instead of leaving meshes out.
TEST_F(DXC_GfxSceneRender, LargeSortedSceneDrawsEveryMesh)
{
    DXC_Mesh& first = AddMesh(10, false);
    for (int32_t i = 1; i < 9000; i++) {
        DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
        first.CloneInto(mesh, false, false);  // shares the device mesh
        D3DXMatrixTranslation(&mesh.worldMatrix, 0, 0, 10.0f + float(i % 97));
        mesh.transparency = 0;
    }
    scene.renderFlags = DXC_3dScene::kRenderDepthSort;
    journal.Clear();
    EXPECT_EQ(gfx.RenderScene(&scene, 0, 0, false), 1);
    EXPECT_EQ(journal.Count(D3D9Op::DrawIndexedPrimitive), 9000);
}

TEST_F(DXC_GfxSceneRender, DisplayAidsAndMarkers)
{
    AddMesh(10, false);
    scene.SetBox({-1, -1, 9}, {1, 1, 11});
    scene.renderFlags = DXC_3dScene::kRenderBoundingBox;
    journal.Clear();
    gfx.RenderScene(&scene, 0, 0, false);
    int32_t lines = 0;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawPrimitive))
        lines += call.Arg(0) == D3DPT_LINELIST ? 1 : 0;
    EXPECT_EQ(lines, 12);

    IDirect3DDevice9& device = client.Device();
    gfx.SetLighting(1);
    gfx.DrawMarker(0, 0, 10, 0xFFFF0000u);
    const D3D9Call* draw = journal.Last(D3D9Op::DrawPrimitive);
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->Arg(0), D3DPT_POINTLIST);
    EXPECT_EQ(RenderStateOf(device, D3DRS_LIGHTING), 1u);  // back on after the unlit marker
}

// A mirror on screen marks its pixels with 1 in a cleared stencil, draws the reflected scene
// into screen buffer 1 behind a clip plane with the culling turned, projects that onto itself,
// and leaves the target, the view, the culling, the clip planes and stage 0 as they were. Off
// screen, or with mirrors switched off, it is an ordinary mesh.
TEST_F(DXC_GfxSceneRender, MirrorDrawsTheReflectedSceneThroughTheStencil)
{
    AddMesh(5, false);
    DXC_Mesh& mirror = AddMesh(10, false);
    mirror.SetBox({-2, -2, 0}, {2, 2, 0.01f});
    mirror.isMirror = 1;
    IDirect3DDevice9& device = client.Device();
    IDirect3DSurface9* target = gfx.GetRenderTarget(0);
    target->Release();
    D3DXMATRIX view;
    gfx.GetViewMatrix(view);
    const DWORD cull = RenderStateOf(device, D3DRS_CULLMODE);
    auto stateWrites = [&](D3DRENDERSTATETYPE state) {
        std::vector<uint32_t> values;
        for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetRenderState))
            if (call.Arg(0) == uint32_t(state))
                values.push_back(call.Arg(1));
        return values;
    };

    journal.Clear();
    EXPECT_EQ(gfx.RenderScene(&scene, 0, 0, false), 1);
    EXPECT_EQ(stateWrites(D3DRS_STENCILENABLE), (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(stateWrites(D3DRS_STENCILREF), std::vector<uint32_t>{1});
    bool stencilCleared = false;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::Clear))
        stencilCleared |= call.Arg(2) == D3DCLEAR_STENCIL && call.Arg(5) == 0;
    EXPECT_TRUE(stencilCleared);
    const auto targets = journal.CallsOf(D3D9Op::SetRenderTarget);
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_NE(targets[0].args[1], D3D9Arg(target));  // screen buffer 1
    EXPECT_EQ(targets[1].args[1], D3D9Arg(target));
    EXPECT_EQ(gfx.GetScenesDrawn(), 2);  // the scene and its reflection
    // The mirror drew three times (stencil, reflection pass, projection), the other mesh twice.
    EXPECT_EQ(DrawOrder(), (std::vector<int32_t>{0, 1, 0, 1, 1}));
    EXPECT_EQ(stateWrites(D3DRS_CLIPPLANEENABLE).back(), 0u);
    EXPECT_EQ(RenderStateOf(device, D3DRS_CULLMODE), cull);
    D3DXMATRIX after;
    gfx.GetViewMatrix(after);
    EXPECT_EQ(std::memcmp(&after, &view, sizeof view), 0);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_TEXCOORDINDEX), 0u);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_DISABLE);

    for (bool offScreen : {true, false}) {
        D3DXMatrixTranslation(&mirror.worldMatrix, 0, 0, offScreen ? -50.0f : 10.0f);
        gfx.EnableMirrors(offScreen);
        journal.Clear();
        gfx.RenderScene(&scene, 0, 0, false);
        EXPECT_TRUE(stateWrites(D3DRS_STENCILENABLE).empty()) << offScreen;
        EXPECT_EQ(journal.Count(D3D9Op::SetRenderTarget), 0) << offScreen;
    }
}

// A multisampled back buffer cannot be a texture: the reflection is drawn on it, behind the
// mirror alone, and copied into screen buffer 1; a failed copy is an error.
TEST_F(DXC_GfxSceneRenderMultisampled, MirrorCopiesTheBackBuffer)
{
    ASSERT_NE(gfx.presentParameters.MultiSampleType, D3DMULTISAMPLE_NONE);
    DXC_Mesh& mirror = AddMesh(10, false);
    mirror.SetBox({-2, -2, 0}, {2, 2, 0.01f});
    mirror.isMirror = 1;
    journal.Clear();
    EXPECT_EQ(gfx.RenderScene(&scene, 0, 0, false), 1);
    EXPECT_EQ(journal.Count(D3D9Op::SetRenderTarget), 0);
    EXPECT_EQ(journal.Count(D3D9Op::StretchRect), 1);
    const D3D9Call* clear = journal.Last(D3D9Op::Clear);  // the reflection's, behind the mirror
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->Arg(0), 1u);

    journal.FailNext(D3D9Op::StretchRect, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { gfx.RenderScene(&scene, 0, 0, false); }).rfind("StretchRect for anti-aliased mirror failed", 0), 0u);
}
