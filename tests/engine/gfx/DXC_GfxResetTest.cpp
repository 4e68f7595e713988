// DXC_GfxResetTest: presenting and its result codes, a resized window, and the reset of a lost
// device: the wait, the default pool emptied (records kept, the texture counter lowered), the
// effects' notices, the surfaces fetched again, the render state sent again and the viewport.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

TEST(DXC_GfxReset, PresentJudgesTheResult)
{
    const struct Case {
        HRESULT code;
        int expected;
        int resets;
        const char* message;  // warning, or the error thrown
        bool thrown;
    } cases[] = {
        {D3D_OK, 1, 0, nullptr, false},
        {D3DERR_WASSTILLDRAWING, 1, 0, nullptr, false},
        {D3DERR_DEVICELOST, 0, 1, nullptr, false},
        {D3DERR_DRIVERINTERNALERROR, 0, 1, "Present failed! D3DERR_DRIVERINTERNALERROR", false},
        {D3DERR_INVALIDCALL, 0, 0, "Present failed! D3DERR_INVALIDCALL", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GetDirectXErrorName(c.code));
        DeviceGfx fixture;
        DXC_Gfx& gfx = fixture.Gfx();
        LogCapture log;
        fixture.Journal().FailNext(D3D9Op::Present, 1, c.code);
        int result = -1;
        const std::string error = DxcErrorOf([&] { result = gfx.Present(); });
        EXPECT_EQ(error, c.thrown ? c.message : "no error");
        if (!c.thrown) {
            EXPECT_EQ(result, c.expected);
            EXPECT_EQ(log.Count("Present failed!"), c.message ? 1 : 0);
        }
        EXPECT_EQ(fixture.Journal().Count(D3D9Op::Reset), c.resets);
        EXPECT_EQ(gfx.frameCounter, 1u);  // counted whatever the device answered
    }
}

// A window resized by the user: that frame is not shown, the back buffer takes the new size.
TEST(DXC_GfxReset, ResizedWindowResetsInsteadOfPresenting)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EXPECT_EQ(gfx.Present(), 1);
    fixture.GetWindow().SetClientSize(640, 400);
    EXPECT_EQ(gfx.Present(), 0);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::Present), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::Reset), 1);
    int32_t width = 0, height = 0;
    gfx.GetBackBufferSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 400);
    EXPECT_EQ(gfx.GetScreenRect().right, 640);
    EXPECT_EQ(gfx.Present(), 1);
    EXPECT_EQ(gfx.frameCounter, 2u);
}

// The device stays lost for three tests and comes back without any window message: the wait
// takes the messages, sleeps and tests again. Reset only succeeds because nothing of the default
// pool is left; the records stay for their owners to fill again.
TEST(DXC_GfxReset, LostDeviceIsWaitedForAndReset)
{
    TestClock clock;
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    int pumped = 0;
    DXC_Gfx::SetMessagePump([&] { pumped++; }, &pumped);

    IDirect3DDevice9& device = fixture.Device();
    DXC_ImageManager& textures = gfx.GetTextureManager();
    IDirect3DTexture9* inDefault = nullptr;
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(device.CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &inDefault,
                                   nullptr),
              D3D_OK);
    ASSERT_EQ(device.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    DXC_Texture target, picture;
    target.SetStageTexture(inDefault, &textures, textures.Add(inDefault, "target", ""));
    textures.Acquire(target.stageIds[0]);  // a second holder
    picture.SetStageTexture(managed, &textures, textures.Add(managed, "picture_1", "picture"));
    gfx.textureCount = 2;
    DXC_Surface offscreen;
    gfx.CreateSurface(&offscreen, 16, 16, -1, false);
    ID3DXEffect* made = nullptr;
    ASSERT_EQ(CreateMemoryEffect(&made), D3D_OK);
    DXC_ShaderEffect effect;
    effect.Initialise(&gfx, made, "fx");
    gfx.SetViewPort(10, 10, 100, 100, 0.25f, 0.75f);

    device.Lose(3);
    EXPECT_EQ(gfx.Present(), 0);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::TestCooperativeLevel), 4);
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(clock.Sleeps().size(), 3u);
    EXPECT_EQ(fixture.Journal().Last(D3D9Op::Reset)->result, D3D_OK);
    EXPECT_EQ(device.TestCooperativeLevel(), D3D_OK);

    EXPECT_EQ(textures.GetResource(target.stageIds[0]), nullptr);
    EXPECT_EQ(textures.GetReferenceCount(target.stageIds[0]), 2);
    EXPECT_EQ(textures.GetResource(picture.stageIds[0]), managed);
    EXPECT_EQ(gfx.textureCount, 1);
    EXPECT_EQ(gfx.GetSurfaceManager().GetResource(offscreen.resourceId), nullptr);
    EXPECT_EQ(made->GetLostNotices(), 1u);
    EXPECT_EQ(made->GetResetNotices(), 1u);
    EXPECT_NE(gfx.renderTargetSlots[0], nullptr);
    EXPECT_NE(gfx.depthStencilSlots[0], nullptr);
    const D3DVIEWPORT9& v = gfx.viewport;
    EXPECT_EQ(v.X, 0u);
    EXPECT_EQ(v.Y, 0u);
    EXPECT_EQ(v.Width, 1024u);
    EXPECT_EQ(v.Height, 768u);
    EXPECT_EQ(v.MinZ, 0.25f);
    EXPECT_EQ(v.MaxZ, 0.75f);
    EXPECT_EQ(gfx.Present(), 1);

    DXC_Gfx::SetMessagePump(nullptr, &pumped);
    // The holders give back what the reset left them: nothing is released twice (the fixture
    // counts the stand-in's objects at its end).
    textures.Unacquire(target.stageIds[0]);
    target.Release();
    offscreen.Release();
}

// The window rectangle and the interval are taken before Reset; a bad interval stops the reset
// after the default pool went, before the device is reset.
TEST(DXC_GfxReset, ResetArguments)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    const int32_t rectangle[4] = {1, 2, 3, 4};
    EXPECT_EQ(gfx.ResetDevice(rectangle, 0), 1);
    EXPECT_EQ(gfx.windowRect[3], 4);
    EXPECT_EQ(gfx.presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(gfx.ResetDevice(nullptr, -1), 1);
    EXPECT_EQ(gfx.windowRect[0], 1);
    EXPECT_EQ(gfx.presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_ONE);  // from the settings

    DXC_Surface offscreen;
    gfx.CreateSurface(&offscreen, 16, 16, -1, false);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ResetDevice(nullptr, 5); }), "Wrong vsync parameter: 5");
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::Reset), 2);
    EXPECT_EQ(gfx.GetSurfaceManager().GetResource(offscreen.resourceId), nullptr);
    EXPECT_EQ(gfx.ResetDevice(nullptr, 4), 1);  // the device takes the next attempt
    EXPECT_EQ(gfx.presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_FOUR);

    fixture.Journal().FailNext(D3D9Op::Reset, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ResetDevice(nullptr, -1); }), "Device Reset failed: D3DERR_INVALIDCALL");
    offscreen.Release();
}

// What the program asked for reaches the fresh device again, through the cached setters.
TEST(DXC_GfxReset, RenderStateIsSentAgain)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    gfx.SetLighting(0, 0x00123456u);
    gfx.SetCullMode(1);
    gfx.SetZWriteEnable(0);
    gfx.SetAlphaTest(255, 16);
    gfx.SetClipping(0);
    gfx.EnableFog(1);
    gfx.SetSpecularEnable(1);
    gfx.SetFillMode(D3DFILL_WIREFRAME);
    gfx.SetTextureAddressU(D3DTADDRESS_CLAMP, 0);
    gfx.SetViewPort(0, 0, 512, 384, 0.0f, 0.5f);
    gfx.SetPerspective(5.0f, 2000.0f, 1.0f, 2.0f);
    gfx.SetCameraLookAt(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(40, 50, 3), D3DXVECTOR3(0, 0, 1));
    gfx.SetBlendMode(13, 100, 0);
    DXC_Fog fog;
    fog.color = 0xFF405060u;
    fog.mode = int32_t(D3DFOG_LINEAR);
    fog.start = 300.0f;
    gfx.SetFog(fog);
    D3DGAMMARAMP ramp;
    ramp.green[7] = 777;
    gfx.SetGammaRamp(&ramp, false);
    D3DXMATRIX view;
    gfx.GetViewMatrix(view);
    fixture.Journal().Clear();
    gfx.ResetDevice(nullptr, -1);

    IDirect3DDevice9& device = fixture.Device();
    auto state = [&](D3DRENDERSTATETYPE type) {
        DWORD value = 0xDEADu;
        device.GetRenderState(type, &value);
        return value;
    };
    EXPECT_EQ(state(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(state(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(state(D3DRS_ALPHATESTENABLE), 255u);
    EXPECT_EQ(state(D3DRS_ALPHAFUNC), DWORD(D3DCMP_EQUAL));
    EXPECT_EQ(state(D3DRS_ALPHAREF), 16u);
    EXPECT_EQ(state(D3DRS_CLIPPING), 0u);
    EXPECT_EQ(state(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(state(D3DRS_SPECULARENABLE), 1u);
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_WIREFRAME));
    DWORD address = 0;
    device.GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, DWORD(D3DTADDRESS_CLAMP));
    EXPECT_EQ(gfx.states.unlitColor, 0xFF123456u);

    D3DVIEWPORT9 port;  // over the new back buffer, with the depth range asked for
    device.GetViewport(&port);
    EXPECT_EQ(port.Width, 1024u);
    EXPECT_EQ(port.MaxZ, 0.5f);
    D3DXMATRIX sent, expected;
    device.GetTransform(D3DTS_VIEW, &sent);
    EXPECT_EQ(sent, view);
    D3DXMatrixPerspectiveFovLH(&expected, 0.7854f, 1024.0f / 768.0f, 5.0f, 2000.0f);
    device.GetTransform(D3DTS_PROJECTION, &sent);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(sent.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-5f) << i;
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(state(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(state(D3DRS_TEXTUREFACTOR) >> 24, 100u);
    EXPECT_EQ(state(D3DRS_FOGCOLOR), 0xFF405060u);
    EXPECT_EQ(state(D3DRS_FOGSTART), std::bit_cast<DWORD>(300.0f));
    ASSERT_NE(fixture.Journal().Last(D3D9Op::SetGammaRamp), nullptr);
    D3DGAMMARAMP current;
    device.GetGammaRamp(0, &current);
    EXPECT_EQ(current.green[7], 777);
}
