// DXC_GfxDisplayTest: the graphics object's adapter and device: what it makes when it is built and
// when a client sets up its display, its members after the field reset, what it releases, and the
// sharing of device resources through its managers, each released once by its last holder.
#include "engine/gfx/DXC_Gfx.h"

#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/ScopedGfx.h"
#include "support/ScopedProfile.h"

#include <gtest/gtest.h>

TEST(DXC_GfxDisplay, BuiltWithTheAdapterAndNoDevice)
{
    const int32_t adapters = D3D9Object::GetLiveCount(D3D9Kind::Adapter);
    const int32_t devicesMade = D3D9Object::GetMadeCount(D3D9Kind::Device);
    {
        ScopedGfx server;  // what the dedicated server builds
        DXC_Gfx& gfx = server.gfx;
        EXPECT_NE(gfx.GetDirect3D(), nullptr);
        EXPECT_EQ(gfx.GetDevice(), nullptr);
        EXPECT_FALSE(gfx.HasDevice());
        EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Adapter), adapters + 1);
        EXPECT_EQ(gfx.GetDirect3D()->GetJournal().Count(D3D9Op::CreateDevice), 0);
        int32_t width = 0, height = 0;
        gfx.GetBackBufferSize(width, height);
        EXPECT_EQ(width, 1024);
        EXPECT_EQ(height, 768);
        EXPECT_EQ(gfx.GetCullMode(), -1);  // the getters of cached values need no device
        EXPECT_EQ(gfx.GetLighting(), -1);
        EXPECT_EQ(DxcErrorOf([&] { gfx.SetZWriteEnable(1); }), "No Direct3D device");

        // The members after the field reset.
        EXPECT_FLOAT_EQ(gfx.currentMaterial.ambient.g, 0.9f);
        EXPECT_FLOAT_EQ(gfx.currentMaterial.emissive.a, 1.0f);
        EXPECT_FLOAT_EQ(gfx.pointSprite.size, 2.0f);
        EXPECT_FLOAT_EQ(gfx.pointSprite.maxSize, 64.0f);
        EXPECT_EQ(gfx.gammaRamp.green[128], 32896);
        EXPECT_EQ(gfx.gammaRamp.blue[255], 65535);
        EXPECT_EQ(gfx.compressionMode, 0x10000);
        EXPECT_EQ(gfx.clearColor, 0xFF000000u);
        EXPECT_EQ(gfx.states.targetHasZBuffer, 1);
        EXPECT_EQ(gfx.states.requestedCullMode, -1);
        EXPECT_TRUE(gfx.shareByName);
        ASSERT_NE(gfx.scratch[1], nullptr);
        gfx.scratch[1][DXC_Gfx::kScratchBytes - 1] = 1;  // both scratch buffers are whole
    }
    // Destroyed without a device, it released the interface and nothing else was ever made.
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Adapter), adapters);
    EXPECT_EQ(D3D9Object::GetMadeCount(D3D9Kind::Device), devicesMade);

    D3D9AdapterProfile failing;
    failing.createFails = true;
    ScopedProfile profile(failing);
    EXPECT_EQ(DxcErrorOf([] { DXC_Gfx gfx; }), "Direct3DCreate9 failed!");
}

TEST(DXC_GfxDisplay, ClientSetUpMakesTheDevice)
{
    DXC_DisplayMode mode;
    mode.width = 800;
    mode.height = 600;
    mode.zBufferBits = 24;
    DeviceGfx fixture(D3D9AdapterProfile::Typical(), mode);
    DXC_Gfx& gfx = fixture.Gfx();
    EXPECT_TRUE(gfx.HasDevice());
    int32_t width = 0, height = 0;
    gfx.GetBackBufferSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(gfx.caps.MaxPointSize, 256.0f);  // the device's capabilities
    EXPECT_EQ(gfx.presentParameters.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(gfx.presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(gfx.states.stencilAvailable, 1);
    EXPECT_EQ(gfx.states.zEnableRestore, int32_t(D3DZB_TRUE));
    EXPECT_EQ(gfx.states.mixedVertexProcessing, 1);
    EXPECT_EQ(gfx.GetCullMode(), -1);
    EXPECT_EQ(DxcErrorOf([&] { gfx.InitDisplay(nullptr, mode); }), "InitDisplay: the device exists already");

    mode.zBufferBits = 12;
    ScopedProfile headless{D3D9AdapterProfile()};
    ScopedGfx second;
    EXPECT_EQ(DxcErrorOf([&] { second.gfx.InitDisplay(nullptr, mode); }), "Invalid Z-buffer: 12");
    mode.zBufferBits = 16;  // the server's adapter has no display, and no depth format either
    EXPECT_EQ(DxcErrorOf([&] { second.gfx.InitDisplay(nullptr, mode); }), "No depth buffer available");
    mode.zBufferBits = 0;
    EXPECT_EQ(DxcErrorOf([&] { second.gfx.InitDisplay(nullptr, mode); }),
              "CreateDevice failed: D3DERR_NOTAVAILABLE");
}

// A device texture and surface shared by two holders through the managers: the last one to give
// its reference back releases the platform object, once; the fixture sees every object gone.
TEST(DXC_GfxDisplay, ManagersReleaseDeviceResourcesOnce)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    const int32_t textures = D3D9Object::GetLiveCount(D3D9Kind::Texture);
    const int32_t surfaces = D3D9Object::GetLiveCount(D3D9Kind::Surface);
    IDirect3DTexture9* made = nullptr;
    ASSERT_EQ(fixture.Device().CreateTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &made, nullptr), D3D_OK);
    DXC_ImageManager& textureManager = gfx.GetTextureManager();
    {
        DXC_Texture first, second;
        first.SetStageTexture(made, &textureManager, textureManager.Add(made, "tex.dds_8", "tex.dds"));
        first.Clone(second, 1, -1);
        EXPECT_EQ(second.format, D3DFMT_DXT1);
        EXPECT_EQ(second.pixelWidth, 16);
        EXPECT_TRUE(second.IsAcquired());
        first.Release();
        EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Texture), textures + 1);
    }
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Texture), textures);
    EXPECT_EQ(textureManager.GetCount(), 0);

    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(fixture.Device().CreateOffscreenPlainSurface(8, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &plain, nullptr),
              D3D_OK);
    DXC_ImageManager& surfaceManager = gfx.GetSurfaceManager();
    {
        DXC_Surface surface, never;
        surface.Attach(plain, &surfaceManager, surfaceManager.Add(plain, "", ""));
        EXPECT_EQ(surfaceManager.Acquire(surface.resourceId), surface.resourceId);  // a second holder
        int32_t rect[4];
        surface.GetRect(rect);
        EXPECT_EQ(rect[2], 8);
        EXPECT_EQ(rect[3], 4);
        surface.Release();
        EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Surface), surfaces + 1);
        EXPECT_EQ(surfaceManager.Unacquire(0), 1);  // the last holder releases the object itself
        plain->Release();
    }  // never loaded, never asks its manager
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Surface), surfaces);
}
