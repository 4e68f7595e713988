// DXC_GfxPresentTest: the presentation parameters against adapters that take less than asked
// (depth fallbacks, antialiasing levels, synchronisation), the capability queries with and
// without a device, the vertex processing of meshes against device profiles, the frame ring's
// frame rate on the test clock, and the memory statistics.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/ScopedProfile.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The typical adapter without some depth formats, and with this many antialiasing levels for
// every format (0: none).
D3D9AdapterProfile Adapter(std::vector<D3DFORMAT> missingDepth, uint32_t multiSampleLevels)
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    auto missing = [&](D3DFORMAT f) {
        return std::find(missingDepth.begin(), missingDepth.end(), f) != missingDepth.end();
    };
    std::erase_if(profile.formats, [&](const D3D9FormatSupport& s) { return missing(s.format); });
    std::erase_if(profile.depthMatches, [&](const D3D9DepthMatch& m) { return missing(m.depth); });
    for (D3D9MultiSampleLevels& levels : profile.multiSample)
        levels.qualityLevels = multiSampleLevels;
    return profile;
}

}  // namespace

TEST(DXC_GfxPresent, PresentParametersFallBackToWhatTheAdapterTakes)
{
    const struct Case {
        const char* name;
        std::vector<D3DFORMAT> missingDepth;
        uint32_t levels;
        int32_t windowed, vsync, zBits, antialiasing;
        const char* error;    // or null
        const char* warning;  // or null
        D3DFORMAT depth;
        int32_t stencil;
        uint32_t quality;     // with the non-maskable type when antialiasing stays on
        int32_t antialiasingAfter;
        uint32_t interval;
    } cases[] = {
        {"32 bits without D32", {D3DFMT_D32}, 4, 1, 1, 32, 0, nullptr, nullptr, D3DFMT_D24S8, 1, 0, 0,
         D3DPRESENT_INTERVAL_ONE},
        {"24 bits with only D16", {D3DFMT_D32, D3DFMT_D24S8}, 4, 1, 1, 24, 0, nullptr, nullptr, D3DFMT_D16, 0, 0, 0,
         D3DPRESENT_INTERVAL_ONE},
        {"16 bits refused", {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D32}, 4, 1, 1, 16, 0, "No depth buffer available",
         nullptr, D3DFMT_UNKNOWN, 0, 0, 0, 0},
        {"no depth buffer", {}, 4, 1, 0, 0, 0, nullptr, nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         D3DPRESENT_INTERVAL_IMMEDIATE},
        {"invalid depth", {}, 4, 1, 1, 12, 0, "Invalid Z-buffer: 12", nullptr, D3DFMT_UNKNOWN, 0, 0, 0, 0},
        {"antialiasing lowered", {}, 4, 1, 1, 24, 8, nullptr, "Full scene anitaliasing quality lowered from 8 to 3",
         D3DFMT_D24S8, 1, 3, 3, D3DPRESENT_INTERVAL_ONE},
        {"antialiasing best", {}, 4, 1, 1, 24, -1, nullptr, nullptr, D3DFMT_D24S8, 1, 3, 3, D3DPRESENT_INTERVAL_ONE},
        {"antialiasing kept", {}, 4, 1, 1, 24, 2, nullptr, nullptr, D3DFMT_D24S8, 1, 2, 2, D3DPRESENT_INTERVAL_ONE},
        {"antialiasing unsupported", {}, 0, 1, 1, 24, 2, nullptr, "Full scene anitaliasing not supported",
         D3DFMT_D24S8, 1, 0, 0, D3DPRESENT_INTERVAL_ONE},
        {"windowed ignores the interval", {}, 4, 1, 3, 0, 0, nullptr, nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         D3DPRESENT_INTERVAL_ONE},
        {"full screen every third", {}, 4, 0, 3, 0, 0, nullptr, nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         D3DPRESENT_INTERVAL_THREE},
        {"full screen at once", {}, 4, 0, 0, 0, 0, nullptr, nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         D3DPRESENT_INTERVAL_IMMEDIATE},
        {"full screen default", {}, 4, 0, -1, 0, 0, nullptr, nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         D3DPRESENT_INTERVAL_ONE},
        {"full screen bad interval", {}, 4, 0, 5, 0, 0, "Wrong vsync parameter: 5", nullptr, D3DFMT_UNKNOWN, 0, 0, 0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedProfile profile(Adapter(c.missingDepth, c.levels));
        DXC_Gfx gfx;
        Window window;
        window.SetClientSize(640, 480);
        gfx.window = &window;
        gfx.windowed = c.windowed;
        gfx.displayWidth = 800;
        gfx.displayHeight = 600;
        gfx.refreshRate = 75;
        gfx.backBufferFormat = D3DFMT_X8R8G8B8;
        gfx.vsync = c.vsync;
        gfx.zBufferBits = c.zBits;
        gfx.antialiasing = c.antialiasing;
        LogCapture log;
        const std::string error = DxcErrorOf([&] { gfx.BuildPresentParameters(); });
        if (c.error) {
            EXPECT_EQ(error, c.error);
            continue;
        }
        ASSERT_EQ(error, "no error");
        const D3DPRESENT_PARAMETERS& p = gfx.presentParameters;
        EXPECT_EQ(p.AutoDepthStencilFormat, c.depth);
        EXPECT_EQ(p.EnableAutoDepthStencil, c.depth != D3DFMT_UNKNOWN ? 1 : 0);
        EXPECT_EQ(gfx.states.stencilAvailable, c.stencil);
        EXPECT_EQ(p.MultiSampleType, c.antialiasingAfter != 0 ? D3DMULTISAMPLE_NONMASKABLE : D3DMULTISAMPLE_NONE);
        EXPECT_EQ(p.MultiSampleQuality, c.quality);
        EXPECT_EQ(gfx.antialiasing, c.antialiasingAfter);
        EXPECT_EQ(p.PresentationInterval, c.interval);
        EXPECT_EQ(log.Count("anitaliasing"), c.warning ? 1 : 0);
        if (c.warning) {
            EXPECT_EQ(log.Count(c.warning), 1);
        }
        EXPECT_EQ(p.hDeviceWindow, &window);
        EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(p.BackBufferCount, 1u);
        EXPECT_EQ(p.SwapEffect, uint32_t(D3DSWAPEFFECT_DISCARD));
        EXPECT_EQ(p.Windowed, c.windowed);
        // A window leaves the back buffer's size to the device; full screen takes the display's.
        EXPECT_EQ(p.BackBufferWidth, c.windowed ? 0u : 800u);
        EXPECT_EQ(p.FullScreen_RefreshRateInHz, c.windowed ? 0u : 75u);
        EXPECT_EQ(gfx.GetScreenRect().right, 640);
        EXPECT_EQ(gfx.GetScreenRect().bottom, 480);
    }
}

// Without a device the adapter answers for the hardware device type: none on the server's
// headless adapter.
TEST(DXC_GfxPresent, CapabilitiesWithAndWithoutADevice)
{
    D3DCAPS9 caps;
    {
        ScopedGfx server;
        server.gfx.GetDeviceCaps(caps);
        EXPECT_EQ(caps.PixelShaderVersion, 0u);
        EXPECT_EQ(server.gfx.GetAvailableTextureMem(), 0u);
    }
    {
        ScopedProfile profile(D3D9AdapterProfile::Typical());
        DXC_Gfx noDevice;
        noDevice.GetDeviceCaps(caps);
        EXPECT_EQ(caps.MaxPointSize, 256.0f);
        EXPECT_EQ(noDevice.GetPixelShaderVersion(), 0xFFFF0300u);
        EXPECT_EQ(noDevice.GetDirect3D()->GetJournal().Count(D3D9Op::GetAdapterCaps), 2);
    }
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    gfx.caps.MaxPointSize = 7.0f;  // the stored answers, not the adapter's
    gfx.GetDeviceCaps(caps);
    EXPECT_EQ(caps.MaxPointSize, 7.0f);
    EXPECT_GT(gfx.GetAvailableTextureMem(), 0u);
    EXPECT_LE(gfx.GetAvailableTextureMem(), 256u << 20);
}

TEST(DXC_GfxPresent, VertexProcessingOfMeshes)
{
    constexpr uint32_t xyz = D3DFVF_XYZ, b3 = 0x00A, b4 = 0x00C;  // XYZB3: two weights with the indices
    constexpr uint32_t indexed = D3DFVF_LASTBETA_UBYTE4;
    const DXC_ReplacementEffect none;
    const DXC_ReplacementEffect skinning{true, DXC_ReplacementEffect::kCanSkin | DXC_ReplacementEffect::kCanDraw, 20,
                                         0};
    const DXC_ReplacementEffect drawing{true, DXC_ReplacementEffect::kCanDraw, 0, 0};
    const DXC_ReplacementEffect everything{true, DXC_ReplacementEffect::kCanDraw, 0, -1};
    const struct Case {
        const char* name;
        DXC_ReplacementEffect effect;
        uint32_t maxIndex, maxMatrices;
        float maxPointSize;
        int32_t indexedBlending, limit;
        uint32_t format;
        int32_t blendIndex;
        bool needsEffect;
        int32_t expected;
    } cases[] = {
        {"plain", none, 0, 0, 64.0f, 1, -1, xyz | D3DFVF_NORMAL, 0, false, 1},
        {"effect needed, none set", none, 0, 0, 64.0f, 1, -1, xyz, 0, true, 0},
        {"effect needed and set", drawing, 0, 0, 64.0f, 1, -1, xyz, 0, true, 2},
        {"effect for everything", everything, 0, 0, 64.0f, 1, -1, xyz, 0, false, 2},
        {"indexed in hardware", none, 31, 4, 64.0f, 1, -1, b3 | indexed, 30, false, 1},
        {"indexed beyond the device", none, 31, 4, 64.0f, 1, -1, b3 | indexed, 31, false, 0},
        {"indexed beyond the limit", none, 255, 4, 64.0f, 1, 10, b3 | indexed, 11, false, 0},
        {"indexed within the limit", none, 255, 4, 64.0f, 1, 10, b3 | indexed, 10, false, 1},
        {"indexed switched off", none, 255, 4, 64.0f, 0, -1, b3 | indexed, 1, false, 0},
        {"indexed without an index", none, 255, 4, 64.0f, 1, -1, b3 | indexed, -1, false, 0},
        {"indexed by the effect", skinning, 0, 0, 64.0f, 1, -1, b3 | indexed, 20, false, 2},
        {"indexed beyond the effect", skinning, 255, 4, 64.0f, 1, -1, b3 | indexed, 21, false, 0},
        {"weights within the device", none, 0, 3, 64.0f, 1, -1, b3, 0, false, 1},
        {"weights beyond the device", none, 0, 3, 64.0f, 1, -1, b4, 0, false, 0},
        {"point sizes", none, 0, 0, 64.0f, 1, -1, xyz | D3DFVF_PSIZE, 0, false, 1},
        {"point sizes on a device without", none, 0, 0, 1.0f, 1, -1, xyz | D3DFVF_PSIZE, 0, false, 0},
    };
    ScopedGfx server;
    DXC_Gfx& gfx = server.gfx;
    for (const Case& c : cases) {
        gfx.replacementEffect = c.effect;
        gfx.caps.MaxVertexBlendMatrixIndex = c.maxIndex;
        gfx.caps.MaxVertexBlendMatrices = c.maxMatrices;
        gfx.caps.MaxPointSize = c.maxPointSize;
        gfx.indexedBlending = c.indexedBlending;
        gfx.blendIndexLimit = c.limit;
        EXPECT_EQ(gfx.CheckVertexProcessing(c.format, c.blendIndex, c.needsEffect), c.expected) << c.name;
    }
}

// The ring takes a sample at most every sixtieth of a second; the rate is read over the last
// second of samples.
TEST(DXC_GfxPresent, FrameRateFromTheRing)
{
    TestClock clock;
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EXPECT_EQ(gfx.GetFPS(), 0.0f);
    EXPECT_EQ(gfx.Present(), 1);
    EXPECT_EQ(gfx.GetFPS(), 0.0f);  // one sample
    for (int i = 0; i < 59; i++)
        gfx.Present();  // all within the same sixtieth
    EXPECT_EQ(gfx.frameSamples, 1);
    EXPECT_EQ(gfx.frameCounter, 60u);
    for (int i = 0; i < 100; i++) {
        clock.Advance(0.02);
        gfx.Present();
    }
    EXPECT_NEAR(gfx.GetFPS(), 50.0f, 1.0f);
    for (int i = 0; i < 10; i++) {
        clock.Advance(0.1);
        gfx.Present();
    }
    EXPECT_NEAR(gfx.GetFPS(), 10.0f, 1.0f);  // the slower second replaced the faster one

    gfx.frameSamples = 2;  // two samples of one time
    gfx.frameRingPos = 2;
    gfx.frameRing[0] = gfx.frameRing[1] = DXC_FrameSample{7, 3.0};
    EXPECT_EQ(gfx.GetFPS(), 0.0f);
}

TEST(DXC_GfxPresent, MemoryStatistics)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EXPECT_EQ(gfx.GetTextureMemory(), 0);
    EXPECT_EQ(gfx.GetMeshMemory(), 0);
    IDirect3DTexture9* made = nullptr;
    ASSERT_EQ(fixture.Device().CreateTexture(16, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made, nullptr), D3D_OK);
    DXC_Texture texture;
    texture.SetStageTexture(made, &gfx.GetTextureManager(), gfx.GetTextureManager().Add(made, "t_1", "t"));
    // 16x8, 8x4, 4x2, 2x1, 1x1 texels of four bytes
    EXPECT_EQ(gfx.GetTextureMemory(), (128 + 32 + 8 + 2 + 1) * 4);
    EXPECT_EQ(gfx.GetTextureManagerCount(), 1);
    DXC_Mesh mesh;
    gfx.CreateMesh(&mesh, 10, 20, 1, D3DFVF_XYZ | D3DFVF_NORMAL, 0, 0, 0, 0, 0);
    EXPECT_EQ(gfx.GetMeshMemory(), 20 * 24 + 10 * 6);
    EXPECT_EQ(gfx.GetMeshManagerCount(), 1);
}
