// DXC_GfxStatesTest: the render-state cache on a stand-in device, read from the device's journal:
// what each setter sends, what the cache keeps off the device, the nesting counters, clears,
// scene brackets, point sprites, and how failed calls are reported.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9FormatInfo.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <string>
#include <vector>

namespace {

// The values the device was sent for one render state, in order.
std::vector<uint32_t> Sent(D3D9Journal& journal, D3DRENDERSTATETYPE state)
{
    std::vector<uint32_t> values;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetRenderState))
        if (call.Arg(0) == state && !FAILED(call.result))
            values.push_back(call.Arg(1));
    return values;
}

DWORD StateOf(IDirect3DDevice9& device, D3DRENDERSTATETYPE state)
{
    DWORD value = 0;
    device.GetRenderState(state, &value);
    return value;
}

}  // namespace

// Each setter with two values: how many device calls the sequence a, a, b, then invalidation and
// b again, makes. Cached ones send 1, 1, 0 then 1 (the same value reaches the device again after
// the invalidation); the others send every time.
TEST(DXC_GfxStates, CachedSettersSendOnlyChanges)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    using Set = std::function<void(int32_t)>;
    struct Case {
        const char* name;
        Set set;
        D3D9Op op;
        int32_t a, b;
        bool cached;
    } cases[] = {
        {"ZWrite", [&](int32_t v) { gfx.SetZWriteEnable(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"Stencil", [&](int32_t v) { gfx.SetStencilEnable(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"AlphaBlend", [&](int32_t v) { gfx.SetAlphaBlendEnable(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"Specular", [&](int32_t v) { gfx.SetSpecularEnable(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"Normalize", [&](int32_t v) { gfx.SetNormalizeNormals(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"VertexBlend", [&](int32_t v) { gfx.SetVertexBlend(v); }, D3D9Op::SetRenderState, 2, 0, true},
        {"Cull", [&](int32_t v) { gfx.SetCullMode(v); }, D3D9Op::SetRenderState, 0, 1, true},
        {"Lighting", [&](int32_t v) { gfx.SetLighting(v); }, D3D9Op::SetRenderState, 1, 0, true},
        {"ColorWrite", [&](int32_t v) { gfx.SetColorWriteEnable(v, true, true, v); }, D3D9Op::SetRenderState, 1, 0,
         true},
        {"ColorOp", [&](int32_t v) { gfx.SetStageColorOp(2, DWORD(v)); }, D3D9Op::SetTextureStageState, 4, 3, true},
        {"ColorArg0", [&](int32_t v) { gfx.SetStageColorArg0(1, DWORD(v)); }, D3D9Op::SetTextureStageState, 2, 3,
         true},
        {"ColorArg1", [&](int32_t v) { gfx.SetStageColorArg1(7, DWORD(v)); }, D3D9Op::SetTextureStageState, 2, 3,
         true},
        {"ColorArg2", [&](int32_t v) { gfx.SetStageColorArg2(0, DWORD(v)); }, D3D9Op::SetTextureStageState, 2, 0,
         true},
        {"AlphaOp", [&](int32_t v) { gfx.SetStageAlphaOp(0, DWORD(v)); }, D3D9Op::SetTextureStageState, 4, 1, true},
        {"AlphaArg1", [&](int32_t v) { gfx.SetStageAlphaArg1(3, DWORD(v)); }, D3D9Op::SetTextureStageState, 2, 3,
         true},
        {"AlphaArg2", [&](int32_t v) { gfx.SetStageAlphaArg2(3, DWORD(v)); }, D3D9Op::SetTextureStageState, 2, 3,
         true},
        {"TransformFlags", [&](int32_t v) { gfx.SetStageTransformFlags(1, DWORD(v)); },
         D3D9Op::SetTextureStageState, 3, 0, true},
        {"AddressU", [&](int32_t v) { gfx.SetTextureAddressU(v, 1); }, D3D9Op::SetSamplerState, 1, 3, true},
        {"AddressV", [&](int32_t v) { gfx.SetTextureAddressV(v, 1); }, D3D9Op::SetSamplerState, 1, 3, true},
        {"Clipping", [&](int32_t v) { gfx.SetClipping(v); }, D3D9Op::SetRenderState, 1, 0, false},
        {"PatchEdge", [&](int32_t v) { gfx.SetPatchEdgeStyle(v); }, D3D9Op::SetRenderState, 1, 0, false},
        {"Ambient", [&](int32_t v) { gfx.SetAmbient(uint32_t(v)); }, D3D9Op::SetRenderState, 7, 8, false},
        {"Fog", [&](int32_t v) { gfx.EnableFog(v); }, D3D9Op::SetRenderState, 1, 0, false},
        {"Factor", [&](int32_t v) { gfx.SetTextureFactor(uint32_t(v)); }, D3D9Op::SetRenderState, 7, 8, false},
        {"Constant", [&](int32_t v) { gfx.SetStageConstant(0, DWORD(v)); }, D3D9Op::SetTextureStageState, 7, 8,
         false},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> counts;
        int32_t before = journal.Count(c.op);
        for (int32_t value : {c.a, c.a, c.b, -2, c.b}) {
            if (value == -2) {
                gfx.InvalidateStateCache();
                continue;
            }
            c.set(value);
            counts.push_back(journal.Count(c.op) - before);
            before = journal.Count(c.op);
        }
        const std::vector<int32_t> expected = c.cached ? std::vector<int32_t>{1, 0, 1, 1} : std::vector<int32_t>{1, 1, 1, 1};
        EXPECT_EQ(counts, expected) << c.name;
    }
    EXPECT_EQ(fixture.Device().GetSoftwareVertexProcessing(), 0);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_CULLMODE), D3DCULL_CW);
    gfx.SetCullMode(0);
    gfx.SetLighting(0);
    EXPECT_EQ(gfx.GetCullMode(), 0);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_CULLMODE), D3DCULL_NONE);
    EXPECT_EQ(gfx.GetLighting(), 0);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetCullMode(2); }), "Invalid culling mode");
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetStageColorOp(8, D3DTOP_DISABLE); }), "Invalid stage: 8");

    // The stencil reference is cached apart from the function, and only once the device took it.
    gfx.SetStencilFunc(D3DCMP_LESS, 4);
    gfx.SetStencilFunc(D3DCMP_LESS, 5);
    journal.FailNext(D3D9Op::SetRenderState, 1, D3DERR_INVALIDCALL);
    EXPECT_NE(DxcErrorOf([&] { gfx.SetStencilFunc(D3DCMP_LESS, 6); }), "no error");
    gfx.SetStencilFunc(D3DCMP_LESS, 6);
    EXPECT_EQ(Sent(journal, D3DRS_STENCILFUNC), std::vector<uint32_t>{D3DCMP_LESS});
    EXPECT_EQ(Sent(journal, D3DRS_STENCILREF), (std::vector<uint32_t>{4, 5, 6}));

    // The texture factor keeps its colour, the alpha setter replaces the top byte only.
    gfx.SetTextureFactor(0x11223344u);
    gfx.SetTextureFactorAlpha(0x80);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_TEXTUREFACTOR), 0x80223344u);
    // The clip-plane mask goes out only when it changes.
    const int32_t planes = int32_t(Sent(journal, D3DRS_CLIPPLANEENABLE).size());
    gfx.EnableClipPlane(0, 1);
    gfx.EnableClipPlane(3, 1);
    gfx.EnableClipPlane(3, 1);
    gfx.EnableClipPlane(0, 0);
    EXPECT_EQ(Sent(journal, D3DRS_CLIPPLANEENABLE).size(), size_t(planes + 3));
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_CLIPPLANEENABLE), 8u);
}

TEST(DXC_GfxStates, NestingCounters)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    D3D9Journal& journal = fixture.Journal();
    gfx.DisableZBuffer();
    gfx.DisableZBuffer();
    gfx.EnableZBuffer();
    EXPECT_EQ(StateOf(device, D3DRS_ZENABLE), D3DZB_FALSE);
    gfx.EnableZBuffer();
    EXPECT_EQ(StateOf(device, D3DRS_ZENABLE), D3DZB_TRUE);
    const size_t zSends = Sent(journal, D3DRS_ZENABLE).size();
    gfx.EnableZBuffer();  // not suspended: nothing
    EXPECT_EQ(Sent(journal, D3DRS_ZENABLE).size(), zSends);
    EXPECT_EQ(zSends, 2u);

    gfx.RestoreLighting();  // never disabled: nothing
    EXPECT_TRUE(Sent(journal, D3DRS_LIGHTING).empty());
    gfx.SetLighting(1);
    gfx.DisableLighting();
    gfx.DisableLighting();
    gfx.RestoreLighting();
    EXPECT_EQ(StateOf(device, D3DRS_LIGHTING), 0u);
    gfx.RestoreLighting();
    EXPECT_EQ(Sent(journal, D3DRS_LIGHTING), (std::vector<uint32_t>{1, 0, 1}));
    EXPECT_EQ(gfx.GetLighting(), 1);
    EXPECT_EQ(gfx.states.unlitColor, 0xFFFFFFFFu);

    gfx.SetLighting(0, 0x00123456u);  // off, with the colour unlit drawing uses: opaque
    EXPECT_EQ(gfx.states.unlitColor, 0xFF123456u);
    gfx.DisableLighting();
    gfx.RestoreLighting();  // lighting was asked off: it stays off
    EXPECT_EQ(Sent(journal, D3DRS_LIGHTING), (std::vector<uint32_t>{1, 0, 1, 0, 0}));
}

TEST(DXC_GfxStates, AlphaTestSendsFunctionAndReferenceOnlyWhenOn)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    journal.Clear();
    gfx.SetAlphaTest(255, 128);
    gfx.SetAlphaTest(255, 128);
    gfx.SetAlphaTest(0, 128);
    gfx.SetAlphaTestMode(7);  // with the reference last asked for
    EXPECT_EQ(Sent(journal, D3DRS_ALPHATESTENABLE), (std::vector<uint32_t>{255, 0, 7}));
    EXPECT_EQ(Sent(journal, D3DRS_ALPHAFUNC), (std::vector<uint32_t>{D3DCMP_EQUAL, D3DCMP_GREATER}));
    EXPECT_EQ(Sent(journal, D3DRS_ALPHAREF), (std::vector<uint32_t>{128, 128}));
}

TEST(DXC_GfxStates, PointSpritesAndFillMode)
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.MaxPointSize = 64.0f;
    DeviceGfx fixture(profile);
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    LogCapture log;
    DXC_PointSpriteParams wide;
    wide.maxSize = 256.0f;
    wide.spriteEnable = 1;
    wide.scaleEnable = 1;
    gfx.SetFillMode(D3DFILL_POINT, &wide);
    EXPECT_EQ(log.Count("Point size max adjusted from 256.000000 to 64.000000"), 1);
    EXPECT_EQ(Sent(journal, D3DRS_POINTSIZE_MAX), std::vector<uint32_t>{std::bit_cast<uint32_t>(64.0f)});
    EXPECT_FLOAT_EQ(gfx.pointSprite.maxSize, 64.0f);  // the kept record was lowered
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_POINTSPRITEENABLE), 1u);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_FILLMODE), D3DFILL_POINT);
    const size_t scaleSends = Sent(journal, D3DRS_POINTSCALE_A).size();
    gfx.SetFillMode(D3DFILL_POINT);  // the same record again: only the fill mode is sent
    EXPECT_EQ(Sent(journal, D3DRS_POINTSCALE_A).size(), scaleSends);
    EXPECT_EQ(Sent(journal, D3DRS_FILLMODE).size(), 2u);
    gfx.SetFillMode(D3DFILL_SOLID);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_FILLMODE), D3DFILL_SOLID);

    DXC_PointSpriteParams device = wide;
    device.maxSize = 100.0f;
    profile.caps.MaxPointSize = 128.0f;
    DeviceGfx larger(profile);
    larger.Gfx().SetPointSpriteParams(device, true);  // clamped to the device only
    EXPECT_FLOAT_EQ(device.maxSize, 100.0f);
    larger.Gfx().SetPointSpriteParams(device, false);  // and to 64 without
    EXPECT_FLOAT_EQ(device.maxSize, 64.0f);
}

TEST(DXC_GfxStates, ClearsFollowThePresentation)
{
    DeviceGfx fixture;  // 24 bits: D24S8, with stencil
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    gfx.Clear(0xFF0000FFu, 1.0f, nullptr);
    EXPECT_EQ(journal.Last(D3D9Op::Clear)->Arg(2), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    IDirect3DSurface9* back = nullptr;
    fixture.Device().GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    EXPECT_EQ(ReadPixelValue(back->GetImage().Row(767) + 1023 * 4, 4), 0xFF0000FFu);
    back->Release();
    EXPECT_EQ(gfx.ClearStencil(5, nullptr), 1);
    EXPECT_EQ(journal.Last(D3D9Op::Clear)->Arg(2), D3DCLEAR_STENCIL);
    const D3DRECT corner{0, 0, 8, 8};
    EXPECT_EQ(gfx.ClearTarget(0, &corner), 1);
    EXPECT_EQ(journal.Last(D3D9Op::Clear)->Arg(0), 1u);
    gfx.states.targetHasZBuffer = 0;  // drawing into a texture without one
    gfx.Clear(0, 1.0f, nullptr);
    EXPECT_EQ(journal.Last(D3D9Op::Clear)->Arg(2), D3DCLEAR_TARGET);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ClearZBuffer(1.0f, nullptr); }), "Render target has no zbuffer!");
    journal.FailNext(D3D9Op::Clear, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { gfx.ClearTarget(0, nullptr); }), "Clear failed!");

    DXC_DisplayMode noDepth;
    noDepth.zBufferBits = 0;
    DeviceGfx flat(D3D9AdapterProfile::Typical(), noDepth);
    const int32_t clears = flat.Journal().Count(D3D9Op::Clear);
    EXPECT_EQ(flat.Gfx().ClearZBuffer(1.0f, nullptr), 0);
    EXPECT_EQ(flat.Journal().Count(D3D9Op::Clear), clears);
    EXPECT_EQ(DxcErrorOf([&] { flat.Gfx().ClearStencil(0, nullptr); }), "Render target has no zbuffer!");
    DXC_DisplayMode depth16;
    depth16.zBufferBits = 16;
    DeviceGfx noStencil(D3D9AdapterProfile::Typical(), depth16);
    EXPECT_EQ(DxcErrorOf([&] { noStencil.Gfx().ClearStencil(0, nullptr); }), "Render target has no zbuffer!");
}

// A failed call is an error naming the call and the platform's name of the result; the cache
// already holds the new value. An address mode only warns, and is tried again next time.
TEST(DXC_GfxStates, FailuresAreReportedAsTheCallsName)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    struct Case {
        D3D9Op op;
        std::function<void()> action;
        std::string message;
    } cases[] = {
        {D3D9Op::SetRenderState, [&] { gfx.SetZWriteEnable(0); },
         " SetRenderState (state " + std::to_string(int(D3DRS_ZWRITEENABLE)) +
             ", value: 0 failed: D3DERR_OUTOFVIDEOMEMORY"},
        {D3D9Op::GetRenderState, [&] { gfx.GetRenderState(D3DRS_LIGHTING); },
         " GetRenderState (state " + std::to_string(int(D3DRS_LIGHTING)) + " failed: D3DERR_OUTOFVIDEOMEMORY"},
        {D3D9Op::SetTextureStageState, [&] { gfx.SetStageAlphaOp(2, D3DTOP_MODULATE); },
         " SetTextureStageState failed: D3DERR_OUTOFVIDEOMEMORY (stage 2, type " + std::to_string(int(D3DTSS_ALPHAOP)) +
             ", value 4)"},
        {D3D9Op::SetSamplerState, [&] { gfx.SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); },
         " SetSamplerState failed: D3DERR_OUTOFVIDEOMEMORY (stage 1, type " + std::to_string(int(D3DSAMP_MAGFILTER)) +
             ", value 2)"},
        {D3D9Op::BeginScene, [&] { gfx.BeginScene(); }, "BeginScene failed: D3DERR_OUTOFVIDEOMEMORY"},
        {D3D9Op::SetStreamSource, [&] { gfx.SetStreamSource(0, nullptr, 16); },
         "SetStreamSource failed: D3DERR_OUTOFVIDEOMEMORY"},
    };
    for (const Case& c : cases) {
        journal.FailNext(c.op, 1, D3DERR_OUTOFVIDEOMEMORY);
        EXPECT_EQ(DxcErrorOf(c.action), c.message);
        EXPECT_EQ(gfx.lastResult, D3DERR_OUTOFVIDEOMEMORY);
    }
    const int32_t sends = journal.Count(D3D9Op::SetRenderState);
    gfx.SetZWriteEnable(0);  // the cache took the value before the failed send
    EXPECT_EQ(journal.Count(D3D9Op::SetRenderState), sends);

    LogCapture log;
    journal.FailNext(D3D9Op::SetSamplerState, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(gfx.SetTextureAddressU(D3DTADDRESS_CLAMP, 0), 0);
    EXPECT_EQ(log.Count("Failed to set texture U-adress mode 3"), 1);
    EXPECT_EQ(gfx.SetTextureAddressU(D3DTADDRESS_CLAMP, 0), 1);  // tried again
    EXPECT_EQ(gfx.SetTextureAddressU(D3DTADDRESS_CLAMP, 0), 1);  // and now cached
    EXPECT_EQ(journal.CallsOf(D3D9Op::SetSamplerState).size(), 3u);  // the failed one above, two here
    journal.FailNext(D3D9Op::SetSamplerState, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(gfx.SetTextureAddress(D3DTADDRESS_MIRROR, 2), 1);
    EXPECT_EQ(log.Count("Failed to set texture V-adress mode 2"), 0);
    EXPECT_EQ(log.Count("Failed to set texture U-adress mode 2"), 1);
}

TEST(DXC_GfxStates, ScenesStreamsVertexProcessingAndShaders)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    D3D9Journal& journal = fixture.Journal();
    EXPECT_EQ(gfx.SceneBegin(), D3D_OK);
    EXPECT_TRUE(gfx.IsInScene());
    EXPECT_TRUE(device.IsInScene());
    EXPECT_EQ(DxcErrorOf([&] { gfx.BeginScene(); }), "BeginScene failed: D3DERR_INVALIDCALL");
    gfx.EndScene();
    EXPECT_FALSE(gfx.IsInScene());
    EXPECT_EQ(DxcErrorOf([&] { gfx.SceneEnd(); }), "EndScene failed: D3DERR_INVALIDCALL");

    // The stream it is given, not stream 0.
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(64, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    gfx.SetStreamSource(3, buffer, 16);
    IDirect3DVertexBuffer9* bound = nullptr;
    uint32_t offset = 9, stride = 0;
    device.GetStreamSource(3, &bound, &offset, &stride);
    EXPECT_EQ(bound, buffer);
    EXPECT_EQ(stride, 16u);
    bound->Release();
    device.GetStreamSource(0, &bound, &offset, &stride);
    EXPECT_EQ(bound, nullptr);
    gfx.SetStreamSource(3, nullptr, 0);
    buffer->Release();
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetStreamSource(8, nullptr, 0); }), "Invalid stream: 8");

    // The typical adapter has hardware vertex processing, so its device is mixed.
    gfx.SetHardwareVertexProcessing(0);
    EXPECT_EQ(device.GetSoftwareVertexProcessing(), 1);
    gfx.SetHardwareVertexProcessing(-5);
    EXPECT_EQ(journal.Count(D3D9Op::SetSoftwareVertexProcessing), 1);
    gfx.SetHardwareVertexProcessing(3);
    EXPECT_EQ(device.GetSoftwareVertexProcessing(), 0);

    gfx.ResetShaders();  // no effect begun: nothing
    EXPECT_EQ(journal.Count(D3D9Op::SetPixelShader), 0);
    gfx.states.begunEffect = 2;
    gfx.ResetShaders();
    gfx.ResetShaders();
    EXPECT_EQ(journal.Count(D3D9Op::SetPixelShader), 1);
    EXPECT_EQ(journal.Count(D3D9Op::SetVertexShader), 1);
}

TEST(DXC_GfxStates, IndexedBlendingNeedsHardwareOrSoftware)
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.MaxVertexBlendMatrixIndex = 0;
    DeviceGfx fixture(profile);
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    const size_t before = Sent(journal, D3DRS_INDEXEDVERTEXBLENDENABLE).size();
    EXPECT_EQ(gfx.SetIndexedVertexBlend(1), 0);
    EXPECT_EQ(Sent(journal, D3DRS_INDEXEDVERTEXBLENDENABLE).size(), before);
    gfx.SetHardwareVertexProcessing(0);  // software processing blends any index
    EXPECT_EQ(gfx.SetIndexedVertexBlend(1), 1);
    EXPECT_EQ(StateOf(fixture.Device(), D3DRS_INDEXEDVERTEXBLENDENABLE), 1u);
}
