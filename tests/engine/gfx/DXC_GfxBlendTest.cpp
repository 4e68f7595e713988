// DXC_GfxBlendTest: blending modes, material blending, colour sources, unlit stage arguments,
// mipmap and texture modes, read back from the stand-in device's states and journal.
#include "engine/gfx/DXC_Gfx.h"

#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <bit>

// Every mode of the table: the factors, the alpha stage set-up and the current blend alpha; the
// next stage's alpha is switched off.
TEST(DXC_GfxBlend, ModesSetTheirRow)
{
    const struct Case {
        int32_t mode;
        DWORD source, destination;
        DWORD alphaOp, alphaArg1;  // 0: the stage left alone
        int32_t blendAlpha;        // -1: unchanged from 255
        uint32_t factorAlpha;      // the texture factor's top byte; 0x100: unchanged
    } cases[] = {
        {2, D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 255, 0x100},
        {3, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DTOP_MODULATE, D3DTA_TEXTURE, 255, 0x100},
        {4, D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 255, 0x100},
        {5, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 255, 0x100},
        {6, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 255, 0x100},
        {7, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TFACTOR, 90, 90},
        {9, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, 255, 90},
        {11, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 255, 0x100},
        {12, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DTOP_MODULATE, D3DTA_TFACTOR, 90, 90},
        {13, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1, D3DTA_TFACTOR, 90, 90},
        {14, D3DBLEND_ZERO, D3DBLEND_ONE, 0, 0, -1, 0x100},
        {15, D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTA_TFACTOR, -1, 90},
        {16, D3DBLEND_ONE, D3DBLEND_ONE, D3DTOP_SELECTARG1, D3DTA_TFACTOR, -1, 0},
        {17, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DTOP_MODULATE, D3DTA_TFACTOR, 90, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        DeviceGfx fixture;
        DXC_Gfx& gfx = fixture.Gfx();
        IDirect3DDevice9& device = fixture.Device();
        gfx.SetTextureFactor(0x7F112233u);
        gfx.SetStageAlphaOp(1, D3DTOP_MODULATE);
        EXPECT_EQ(gfx.SetBlendMode(c.mode, 90, 0), 1);
        EXPECT_EQ(gfx.GetBlendMode(), c.mode);
        EXPECT_EQ(RenderStateOf(device, D3DRS_ALPHABLENDENABLE), 1u);
        EXPECT_EQ(RenderStateOf(device, D3DRS_SRCBLEND), c.source);
        EXPECT_EQ(RenderStateOf(device, D3DRS_DESTBLEND), c.destination);
        if (c.alphaOp) {
            EXPECT_EQ(StageStateOf(device, 0, D3DTSS_ALPHAOP), c.alphaOp);
            EXPECT_EQ(StageStateOf(device, 0, D3DTSS_ALPHAARG1), c.alphaArg1);
        }
        EXPECT_EQ(StageStateOf(device, 1, D3DTSS_ALPHAOP), D3DTOP_DISABLE);
        EXPECT_EQ(gfx.GetBlendAlpha(), c.blendAlpha < 0 ? 255 : c.blendAlpha);
        const uint32_t factor = RenderStateOf(device, D3DRS_TEXTUREFACTOR);
        if (c.mode == 16)
            EXPECT_EQ(factor, 90u);  // the whole factor is the alpha's low byte
        else
            EXPECT_EQ(factor >> 24, c.factorAlpha == 0x100 ? 0x7Fu : c.factorAlpha);
    }
}

TEST(DXC_GfxBlend, OffFadeAndRefusedModes)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    gfx.SetBlendMode(7, 200, 0);
    EXPECT_EQ(gfx.SetBlendMode(10, 128, 0), 1);  // a fade of the current alpha
    EXPECT_EQ(gfx.GetBlendMode(), 7);
    EXPECT_EQ(gfx.GetBlendAlpha(), 100);
    EXPECT_EQ(RenderStateOf(device, D3DRS_TEXTUREFACTOR) >> 24, 100u);
    EXPECT_EQ(gfx.SetBlendMode(-1, 30, 0), 1);  // -1 is mode 1: blending off
    EXPECT_EQ(gfx.GetBlendMode(), 1);
    EXPECT_EQ(gfx.GetBlendAlpha(), 255);
    EXPECT_EQ(RenderStateOf(device, D3DRS_ALPHABLENDENABLE), 0u);

    for (int32_t mode : {0, 8, 18, -3}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(DxcErrorOf([&] { gfx.SetBlendMode(mode, 255, 0); }), "Invalid Blending mode selected!");
    }
    EXPECT_EQ(gfx.GetBlendMode(), 1);  // a refused mode changes nothing

    gfx.SetTintColor(0xFF102030u);  // with a tint, mode 12 colours the texture by the diffuse
    gfx.SetBlendMode(12, 255, 0);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLOROP), D3DTOP_DISABLE);
}

TEST(DXC_GfxBlend, MaterialBlending)
{
    const struct Case {
        int32_t blendType;
        float transparency;
        int32_t useMode, mode;
        int32_t expectedMode, expectedAlpha, zWrite;
    } cases[] = {
        {0, 0.5f, 0, 2, 13, 127, 0},    // the material decides: translucent
        {0, 0.0f, 0, 2, 1, 255, 1},     // opaque: no blending, the caller's z-write
        {1, 0.0f, 0, 2, 12, 255, 1},    // additive
        {2, 0.25f, 0, 2, 17, 191, 1},   // subtractive
        {1, 0.0f, 1, 9, 3, 255, 0},     // additive whatever the caller asks
        {0, 0.0f, 1, 9, 9, 255, 1},     // opaque: the caller's mode
        {0, 0.75f, 1, 3, 12, 63, 0},    // translucent: additive stays additive
        {0, 0.5f, 1, 5, 17, 127, 0},
        {0, 0.25f, 1, 2, 7, 191, 1},
        {2, 0.0f, 1, 2, 5, 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.blendType << " " << c.transparency << " " << c.useMode);
        DeviceGfx fixture;
        DXC_Gfx& gfx = fixture.Gfx();
        DXC_Material material;
        material.blendType = c.blendType;
        material.transparency = c.transparency;
        gfx.SetMaterialBlend(material, c.useMode, c.mode, 255, 1);
        EXPECT_EQ(gfx.GetBlendMode(), c.expectedMode);
        EXPECT_EQ(gfx.GetBlendAlpha(), c.expectedAlpha);
        EXPECT_EQ(RenderStateOf(fixture.Device(), D3DRS_ZWRITEENABLE), DWORD(c.zWrite));
    }
    DeviceGfx fixture;
    DXC_Material unknown;
    unknown.blendType = 5;
    EXPECT_EQ(DxcErrorOf([&] { fixture.Gfx().SetMaterialBlend(unknown, 1, 2, 255, 1); }),
              "Unknown material blend mode: 5");
}

TEST(DXC_GfxBlend, SourcesAndUnlitArguments)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    EXPECT_EQ(gfx.SetRenderSource(3, 2, 0xFF445566u), 1);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLOROP), D3DTOP_SELECTARG2);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG2), D3DTA_TFACTOR);
    EXPECT_EQ(RenderStateOf(device, D3DRS_TEXTUREFACTOR), 0xFF445566u);
    EXPECT_EQ(gfx.SetRenderSource(-1, 2, 0), 1);  // texture times diffuse
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetRenderSource(0, 0, 0); }), "Invalid render source selected");
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetRenderSource(1, 8, 0); }), "Invalid stage: 8");

    gfx.SetLighting(0, 0x00808080u);  // unlit: the colour with the current blend alpha
    gfx.SetBlendMode(7, 64, 0);
    gfx.SetUnlitStageArg2(0);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG2), D3DTA_TFACTOR);
    EXPECT_EQ(RenderStateOf(device, D3DRS_TEXTUREFACTOR), 0x40808080u);
    gfx.SetLighting(1);
    gfx.SetUnlitStageArg0(0);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG0), D3DTA_DIFFUSE);
}

TEST(DXC_GfxBlend, MipmapAndTextureModes)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    EXPECT_EQ(gfx.SetMipmapMode(2, -0.5f, 1), 1);
    EXPECT_EQ(SamplerStateOf(device, 1, D3DSAMP_MIPFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(SamplerStateOf(device, 1, D3DSAMP_MIPMAPLODBIAS), std::bit_cast<DWORD>(-0.5f));
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetMipmapMode(3, 0.0f, 0); }), "Wrong mipmap mode!");

    const struct Case {
        int32_t mode;
        D3DSAMPLERSTATETYPE type;
        DWORD value;
    } cases[] = {
        {1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},       {2, D3DSAMP_MAGFILTER, D3DTEXF_POINT},
        {3, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},       {4, D3DSAMP_MINFILTER, D3DTEXF_POINT},
        {5, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC},  {6, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC},
        {7, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP},      {8, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
        {9, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(gfx.SetTextureMode(c.mode, 0), 1);
        EXPECT_EQ(SamplerStateOf(device, 0, c.type), c.value);
    }
    const int32_t samplerCalls = fixture.Journal().Count(D3D9Op::SetSamplerState);
    gfx.SetTextureMode(1, 0);  // a filter is sent again even when unchanged
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::SetSamplerState), samplerCalls + 1);
    EXPECT_EQ(gfx.SetTextureMode(-1, 0), 1);
    EXPECT_EQ(gfx.SetTextureMode(10, 0), 0);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::SetSamplerState), samplerCalls + 1);

    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();  // an adapter without mipmaps
    profile.caps.TextureCaps = 0;
    DeviceGfx plain(profile);
    const int32_t before = plain.Journal().Count(D3D9Op::SetSamplerState);
    EXPECT_EQ(plain.Gfx().SetMipmapMode(1, 0.0f, 0), 0);
    EXPECT_EQ(plain.Journal().Count(D3D9Op::SetSamplerState), before);
}
