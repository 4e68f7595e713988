// DXC_GfxMaterialStagesTest: the stages of a texture as device stages, read back from the stand-in
// device's stage states, bound textures and journal.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

int32_t SentStates(D3D9Journal& journal)
{
    return journal.Count(D3D9Op::SetTextureStageState) + journal.Count(D3D9Op::SetSamplerState) +
           journal.Count(D3D9Op::SetTexture) + journal.Count(D3D9Op::SetRenderState) +
           journal.Count(D3D9Op::SetTransform);
}

}  // namespace

// The second diffuse map is added to the first and the sum modulated by the diffuse colour in an
// extra stage with the second map's coordinates; the stage after it is switched off.
TEST(DXC_GfxMaterialStages, TwoDiffuseMapsUseThreeDeviceStages)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    DXC_Texture texture;
    MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_DIFFUSE});

    EXPECT_EQ(gfx.SetMaterialStages(&texture, -1), 1);
    EXPECT_EQ(gfx.extraStages, 1);
    EXPECT_EQ(gfx.GetCurrentTexture(), &texture);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLOROP), D3DTOP_SELECTARG1);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLOROP), D3DTOP_ADD);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG1), D3DTA_CURRENT);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG2), D3DTA_TEXTURE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_TEXCOORDINDEX), 1u);
    EXPECT_EQ(StageStateOf(device, 3, D3DTSS_COLOROP), D3DTOP_DISABLE);
    EXPECT_EQ(StageStateOf(device, 3, D3DTSS_ALPHAOP), D3DTOP_DISABLE);
    EXPECT_EQ(BoundTextureOf(device, 0), texture.stageTextures[0]);
    EXPECT_EQ(BoundTextureOf(device, 1), texture.stageTextures[1]);
    EXPECT_EQ(BoundTextureOf(device, 2), nullptr);
    EXPECT_EQ(gfx.states.boundMapTypes[1], MAP_DIFFUSE);
}

TEST(DXC_GfxMaterialStages, MisplacedMapsAreRefused)
{
    const struct Case {
        int32_t first, second;
        const char* error;
    } cases[] = {
        {MAP_LIGHT, MAP_DIFFUSE, "More than one diffuse map requires a diffuse map at stage 0"},
        {MAP_DIFFUSE, MAP_REFLECTION, "Reflection map in stage other than zero!"},
        {MAP_REFLECTION, MAP_DIFFUSE, "no error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        DeviceGfx fixture;
        DXC_Texture texture;
        MakeTextureStages(fixture.Gfx(), texture, {c.first, c.second});
        EXPECT_EQ(DxcErrorOf([&] { fixture.Gfx().SetMaterialStages(&texture, -1); }), c.error);
    }
}

// At 0.995 and above a reflection is opaque; below it its grey weights it, through a stage's own
// constant where the device has them, else through the texture factor in two extra stages.
TEST(DXC_GfxMaterialStages, ReflectionBlendAmounts)
{
    const struct Case {
        float amount;
        bool perStageConstants;
        int32_t extra;
        DWORD stage1Op;
    } cases[] = {
        {1.0f, false, 0, D3DTOP_DISABLE},
        {0.995f, false, 0, D3DTOP_DISABLE},
        {0.5f, true, 1, D3DTOP_LERP},
        {0.5f, false, 2, D3DTOP_ADD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << " constants " << c.perStageConstants);
        D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
        if (c.perStageConstants)
            profile.caps.PrimitiveMiscCaps |= D3DPMISCCAPS_PERSTAGECONSTANT;
        DeviceGfx fixture(profile);
        DXC_Gfx& gfx = fixture.Gfx();
        IDirect3DDevice9& device = fixture.Device();
        DXC_Texture texture;
        MakeTextureStages(gfx, texture, {MAP_REFLECTION});
        texture.stages[0].blendAmount = c.amount;
        gfx.SetMaterialStages(&texture, -1);

        EXPECT_EQ(gfx.extraStages, c.extra);
        EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLOROP), D3DTOP_MODULATE);
        EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
        EXPECT_EQ(StageStateOf(device, 0, D3DTSS_ALPHAOP), D3DTOP_SELECTARG1);
        EXPECT_EQ(StageStateOf(device, 0, D3DTSS_ALPHAARG1), D3DTA_DIFFUSE);
        EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLOROP), c.stage1Op);
        EXPECT_EQ(StageStateOf(device, DWORD(c.extra + 1), D3DTSS_COLOROP), D3DTOP_DISABLE);
        if (c.extra == 0) {
            EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
        } else if (c.perStageConstants) {
            EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG0), D3DTA_CONSTANT);
            EXPECT_EQ(StageStateOf(device, 1, D3DTSS_CONSTANT), 0xFF808080u);
            EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
        } else {
            EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG2), D3DTA_TFACTOR);
            EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG2), D3DTA_TFACTOR | D3DTA_COMPLEMENT);
            EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLOROP), D3DTOP_MODULATE);
            EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
            EXPECT_EQ(gfx.states.textureFactor, 0xFF808080u);
        }
    }
}

// A diffuse map, a light map with a stage transform and mirrored addressing: the second set-up
// finds every state in the caches.
TEST(DXC_GfxMaterialStages, TheSameTextureTwiceSendsNothingTheSecondTime)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    DXC_Texture texture;
    MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_LIGHT});
    DXC_MapInfo& light = texture.stages[1];
    D3DXMatrixScaling(&light.textureMatrix, 2.0f, 3.0f, 1.0f);
    light.transformActive = 1;
    light.mirrorU = 1;
    light.wrapV = 1;

    gfx.SetMaterialStages(&texture, -1);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_COUNT3);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_DISABLE);
    EXPECT_EQ(SamplerStateOf(device, 1, D3DSAMP_ADDRESSU), D3DTADDRESS_MIRROR);
    EXPECT_EQ(SamplerStateOf(device, 1, D3DSAMP_ADDRESSV), D3DTADDRESS_WRAP);
    EXPECT_EQ(SamplerStateOf(device, 0, D3DSAMP_ADDRESSU), D3DTADDRESS_CLAMP);
    D3DXMATRIX sent;
    device.GetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1), &sent);
    EXPECT_EQ(sent, light.textureMatrix);

    fixture.Journal().Clear();
    gfx.SetMaterialStages(&texture, -1);
    EXPECT_EQ(SentStates(fixture.Journal()), 0);
}

// With a tint colour the diffuse map is added to the tint in the texture factor and the sum
// modulated by the diffuse colour in an extra stage.
TEST(DXC_GfxMaterialStages, ATintAddsTheTextureFactorStage)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    DXC_Texture texture;
    MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_LIGHT});
    gfx.SetTintColor(0x00336699u);

    gfx.SetMaterialStages(&texture, -1);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLOROP), D3DTOP_ADD);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG2), D3DTA_TFACTOR);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 1, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(gfx.states.textureFactor, 0xFF336699u);
    // The light map moves up behind the extra stage instead of overwriting it.
    EXPECT_EQ(BoundTextureOf(device, 2), texture.stageTextures[1]);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(StageStateOf(device, 2, D3DTSS_COLORARG2), D3DTA_TEXTURE);
    EXPECT_EQ(StageStateOf(device, 3, D3DTSS_COLOROP), D3DTOP_DISABLE);
}

// No texture: stage 0 draws the diffuse colour, the others are off and unbound; one device stage
// alone is cleared by a single-stage call.
TEST(DXC_GfxMaterialStages, WithoutATextureTheDiffuseColourDraws)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    DXC_Texture texture;
    MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_DIFFUSE});
    gfx.SetMaterialStages(&texture, -1);
    gfx.SetMaterialStages(&texture, 5);
    EXPECT_EQ(BoundTextureOf(device, 5), texture.stageTextures[0]);

    gfx.SetMaterialStages(nullptr, 5);
    EXPECT_EQ(BoundTextureOf(device, 5), nullptr);
    EXPECT_EQ(BoundTextureOf(device, 0), texture.stageTextures[0]);
    gfx.SetMaterialStages(nullptr, -1);
    EXPECT_EQ(gfx.GetCurrentTexture(), nullptr);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLOROP), D3DTOP_SELECTARG2);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(StageStateOf(device, 0, D3DTSS_ALPHAARG1), D3DTA_DIFFUSE);
    for (DWORD d = 0; d < 8; d++) {
        EXPECT_EQ(BoundTextureOf(device, d), nullptr) << d;
        if (d > 0)
            EXPECT_EQ(StageStateOf(device, d, D3DTSS_COLOROP), D3DTOP_DISABLE) << d;
    }
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetMaterialStages(&texture, 8); }), "Invalid stage: 8");
}

// While a valid effect is active it draws the stages: only textures, coordinates, transforms and
// addressing are set. A device of two stages takes no extra stage past them.
TEST(DXC_GfxMaterialStages, AnActiveEffectAndAShortDeviceLimitTheStages)
{
    {
        DeviceGfx fixture;
        DXC_Gfx& gfx = fixture.Gfx();
        ID3DXEffect* made = nullptr;
        ASSERT_EQ(CreateMemoryEffect(&made), D3D_OK);
        DXC_ShaderEffect effect;
        ASSERT_TRUE(effect.Initialise(nullptr, made, nullptr));
        DXC_Texture texture;
        MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_DIFFUSE});
        gfx.activeEffect = &effect;
        fixture.Journal().Clear();
        gfx.SetMaterialStages(&texture, -1);
        gfx.activeEffect = nullptr;
        EXPECT_EQ(gfx.extraStages, 0);
        EXPECT_EQ(BoundTextureOf(fixture.Device(), 1), texture.stageTextures[1]);
        for (const D3D9Call& call : fixture.Journal().CallsOf(D3D9Op::SetTextureStageState))
            if (call.Arg(0) < 2)  // the stage after the last is still switched off
                EXPECT_NE(call.Arg(1), D3DTSS_COLOROP) << "stage " << call.Arg(0);
    }
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.MaxTextureBlendStages = 2;
    DeviceGfx fixture(profile);
    DXC_Texture texture;
    MakeTextureStages(fixture.Gfx(), texture, {MAP_DIFFUSE, MAP_DIFFUSE, MAP_LIGHT, MAP_LIGHT});
    EXPECT_EQ(fixture.Gfx().SetMaterialStages(&texture, -1), 1);
    EXPECT_EQ(fixture.Gfx().extraStages, 0);
    EXPECT_EQ(BoundTextureOf(fixture.Device(), 2), nullptr);
}
