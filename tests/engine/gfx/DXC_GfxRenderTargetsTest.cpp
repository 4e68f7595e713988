// DXC_GfxRenderTargetsTest: the render and depth buffers and the switches to textures, the
// screen-buffer and screen-copy textures, screenshots of the front buffer in every file format
// with their numbering, and the copy of the front buffer.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "platform/D3DXImage.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

IDirect3DSurface9* DeviceTarget(DeviceGfx& fixture)
{
    IDirect3DSurface9* target = nullptr;
    fixture.Device().GetRenderTarget(0, &target);
    target->Release();  // the device still holds it
    return target;
}

// The colour of a pixel of an image file, read back through the image stand-in.
uint32_t FilePixel(const std::string& file, int32_t x, int32_t y)
{
    D3DXIMAGE_INFO info;
    if (D3DXGetImageInfoFromFileA(file.c_str(), &info) != D3D_OK)
        return 0;
    IDirect3DSurface9* image = nullptr;
    CreateMemorySurface(info.Width, info.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &image);
    D3DXLoadSurfaceFromFileA(image, nullptr, nullptr, file.c_str(), nullptr, D3DX_FILTER_NONE, 0, nullptr);
    const uint32_t color = ReadPixelValue(image->GetImage().Row(uint32_t(y)) + 4 * x, 4);
    image->Release();
    return color;
}

// A frame cleared to the colour and presented, so that the front buffer shows it.
void ShowFrame(DXC_Gfx& gfx, uint32_t color)
{
    gfx.ClearTarget(color, nullptr);
    ASSERT_EQ(gfx.Present(), 1);
}

}  // namespace

TEST(DXC_GfxRenderTargets, BuffersAndTextureTargets)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DSurface9* backBuffer = DeviceTarget(fixture);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SelectRenderBuffer(2); }), "Invalid render target buffer count");
    EXPECT_EQ(DxcErrorOf([&] { gfx.SelectDepthBuffer(2); }), "Invalid depth/stencil buffer count");

    ASSERT_EQ(gfx.SelectRenderBuffer(1), 1);
    ASSERT_EQ(gfx.SelectRenderBuffer(1), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::CreateRenderTarget), 1);  // made once
    IDirect3DSurface9* extra = DeviceTarget(fixture);
    EXPECT_NE(extra, backBuffer);

    DXC_Texture mirror;
    gfx.CreateRenderTexture(&mirror);
    ASSERT_EQ(gfx.SetRenderTargetTo(&mirror, nullptr), 1);
    EXPECT_EQ(DeviceTarget(fixture)->GetContainerTexture(), mirror.currentTexture);
    EXPECT_EQ(gfx.states.targetHasZBuffer, 0);
    EXPECT_EQ(gfx.GetRenderTargetTexture(), &mirror);
    ASSERT_EQ(gfx.RestoreRenderTarget(), 1);
    EXPECT_EQ(DeviceTarget(fixture), extra);  // the current render buffer again
    EXPECT_EQ(gfx.states.targetHasZBuffer, 1);
    EXPECT_EQ(gfx.GetRenderTargetTexture(), nullptr);
    gfx.SelectRenderBuffer(0);
    EXPECT_EQ(DeviceTarget(fixture), backBuffer);

    fixture.Journal().FailNext(D3D9Op::SetRenderTarget, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SelectRenderBuffer(1); }), "Can not set render target: D3DERR_INVALIDCALL");
    gfx.ResetDevice(nullptr, -1);  // buffer 1 goes and is made again on demand
    gfx.SelectRenderBuffer(1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::CreateRenderTarget), 2);
}

// A device sets its viewport to the whole new target on every switch, so the cached viewport
// must not keep the next identical set from reaching it.
TEST(DXC_GfxRenderTargets, ASwitchSendsTheNextViewportAgain)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    gfx.SetViewPort(10, 20, 110, 120, 0.0f, 1.0f);
    journal.Clear();
    gfx.SelectRenderBuffer(1);
    gfx.SetViewPort(10, 20, 110, 120, 0.0f, 1.0f);
    gfx.RestoreRenderTarget();
    gfx.SetViewPort(10, 20, 110, 120, 0.0f, 1.0f);
    gfx.SetViewPort(10, 20, 110, 120, 0.0f, 1.0f);
    EXPECT_EQ(journal.Count(D3D9Op::SetViewport), 2);
}

TEST(DXC_GfxRenderTargets, ExtraDepthBufferFailsOnce)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    LogCapture log;
    fixture.Journal().FailNext(D3D9Op::CreateDepthStencilSurface, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(gfx.SelectDepthBuffer(1), 0);
    EXPECT_EQ(log.Count("CreateDepthStencilBuffer failed: D3DERR_OUTOFVIDEOMEMORY"), 1);
    EXPECT_EQ(gfx.SelectDepthBuffer(1), 0);  // not tried again
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::CreateDepthStencilSurface), 1);
    EXPECT_EQ(gfx.SelectDepthBuffer(0), 1);

    DeviceGfx other;
    ASSERT_EQ(other.Gfx().SelectDepthBuffer(1), 1);
    ASSERT_EQ(other.Gfx().CopyDepthBuffer(0, 1), 1);
    EXPECT_EQ(other.Journal().Count(D3D9Op::StretchRect), 1);
}

TEST(DXC_GfxRenderTargets, ScreenBuffersAndCopies)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    int32_t w = 0, h = 0;
    gfx.GetBackBufferSize(w, h);
    struct Case {
        int32_t kind, index;
        int32_t width, height;  // 0: no texture
    } cases[] = {
        {2, 0, w, h}, {2, 1, w, h}, {2, 2, 0, 0}, {1, 2, w / 4, h / 4}, {1, 3, 0, 0}, {3, 0, 0, 0},
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* texture = gfx.GetScreenBufferTexture(c.kind, c.index);
        if (c.width == 0) {
            EXPECT_EQ(texture, nullptr) << c.kind << " " << c.index;
            continue;
        }
        ASSERT_NE(texture, nullptr);
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(int32_t(desc.Width), c.width);
        EXPECT_EQ(int32_t(desc.Height), c.height);
        EXPECT_EQ(gfx.GetScreenBufferTexture(c.kind, c.index), texture);  // kept
    }
    ASSERT_EQ(gfx.CopyBackBufferToTexture(gfx.GetScreenBufferTexture(2, 0)), 1);

    gfx.ClearTarget(0xFF204060u, nullptr);
    const int32_t stretches = fixture.Journal().Count(D3D9Op::StretchRect);
    IDirect3DTexture9* copy = gfx.GetScreenCopyTexture(false);
    EXPECT_EQ(gfx.GetScreenCopyTexture(false), copy);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::StretchRect), stretches + 1);  // once in a frame
    IDirect3DSurface9* level = nullptr;
    copy->GetSurfaceLevel(0, &level);
    EXPECT_EQ(ReadPixelValue(level->GetImage().Row(5) + 4 * 5, 4) & 0xFFFFFF, 0x204060u);
    level->Release();
    gfx.Present();
    gfx.GetScreenCopyTexture(false);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::StretchRect), stretches + 2);  // a new frame copies again
    gfx.AllowScreenCopyReuse(false);
    gfx.GetScreenCopyTexture(false);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::StretchRect), stretches + 3);
    gfx.SetViewPort(10, 20, 110, 70, 0.0f, 1.0f);
    IDirect3DTexture9* part = gfx.GetScreenCopyTexture(true);
    D3DSURFACE_DESC desc;
    part->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 100u);  // a copy of another size is made anew
    EXPECT_EQ(desc.Height, 50u);
}

TEST(DXC_GfxRenderTargets, ScreenshotsOfTheFrontBuffer)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    TempDir dir;
    int32_t w = 0, h = 0;
    gfx.GetResolution(w, h);
    ShowFrame(gfx, 0xFF3060C0u);

    const char* extensions[5] = {".bmp", ".jpg", ".tga", ".png", ".dds"};
    for (int32_t format = 0; format < 5; format++) {
        const std::string base = dir / ("format" + std::to_string(format));
        ASSERT_EQ(gfx.ScreenShot(base.c_str(), format, nullptr, false), 1);
        D3DXIMAGE_INFO info;
        ASSERT_EQ(D3DXGetImageInfoFromFileA((base + extensions[format]).c_str(), &info), D3D_OK) << format;
        EXPECT_EQ(int32_t(info.Width), w);  // the display's size
        EXPECT_EQ(int32_t(info.Height), h);
    }
    EXPECT_EQ(FilePixel(dir / "format3.png", 7, 9), 0xFF3060C0u);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ScreenShot((dir / "x").c_str(), 5, nullptr, false); }),
              "Invalid file format for ScreenShot()");

    // Numbered names go on from the run's counter past the names that are taken.
    DXC_Gfx::ResetScreenShotCounter();
    const std::string shot = dir / "shot";
    std::ofstream(dir / "shot0.png").put('x');
    gfx.ScreenShot(shot.c_str(), 3, nullptr, true);
    gfx.ScreenShot(shot.c_str(), 3, nullptr, true);
    EXPECT_TRUE(std::filesystem::exists(dir / "shot1.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "shot2.png"));
    EXPECT_EQ(std::filesystem::file_size(dir / "shot0.png"), 1u);  // never overwritten

    // A rectangle is clamped to the screen; one wholly off it writes nothing and says nothing.
    LogCapture log;
    const RECT left{-50, 0, -10, 20};
    EXPECT_EQ(gfx.ScreenShot((dir / "off").c_str(), 3, &left, false), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "off.png"));
    EXPECT_EQ(log.Total(), 0u);
    const RECT corner{w - 10, h - 20, w + 100, h + 100};
    ASSERT_EQ(gfx.ScreenShot((dir / "corner").c_str(), 3, &corner, false), 1);
    D3DXIMAGE_INFO info;
    D3DXGetImageInfoFromFileA((dir / "corner.png").c_str(), &info);
    EXPECT_EQ(info.Width, 10u);
    EXPECT_EQ(info.Height, 20u);

    fixture.Journal().FailNext(D3D9Op::GetFrontBufferData, 1, D3DERR_DEVICELOST);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ScreenShot((dir / "lost").c_str(), 3, nullptr, false); }),
              "GetFrontBuffer in ScreenShot failed: D3DERR_DEVICELOST (file:" + (dir / "lost.png") + ")");
}

TEST(DXC_GfxRenderTargets, NumberSearchIsBounded)
{
    DeviceGfx fixture;
    TempDir dir;
    const int32_t start = 7;
    DXC_Gfx::ResetScreenShotCounter(start);
    for (int32_t n = start; n < start + DXC_Gfx::kMaxScreenShotTries; n++)
        std::ofstream(dir / ("full" + std::to_string(n) + ".bmp")).put('x');
    const std::string base = dir / "full";
    EXPECT_EQ(DxcErrorOf([&] { fixture.Gfx().ScreenShot(base.c_str(), 0, nullptr, true); }),
              "No free screenshot name for " + base + " after 10000 tries");
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::GetFrontBufferData), 0);
    DXC_Gfx::ResetScreenShotCounter();
}

TEST(DXC_GfxRenderTargets, FrontBufferCopy)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    ShowFrame(gfx, 0xFF102030u);
    DXC_Surface surface;
    ASSERT_EQ(gfx.GrabFrontBuffer(&surface), 1);
    int32_t w = 0, h = 0;
    gfx.GetResolution(w, h);
    EXPECT_EQ(surface.width, w);
    EXPECT_EQ(surface.height, h);
    surface.Lock(nullptr, D3DLOCK_READONLY);
    uint32_t color = 0;
    surface.GetPixel(3, 4, color);
    surface.Unlock();
    EXPECT_EQ(color, 0xFF102030u);
    LogCapture log;
    fixture.Journal().FailNext(D3D9Op::GetFrontBufferData, 1, D3DERR_DEVICELOST);
    EXPECT_EQ(gfx.GrabFrontBuffer(&surface), 0);
    EXPECT_EQ(log.Count("GetFrontBuffer in ScreenShot failed: D3DERR_DEVICELOST"), 1);
}
