// DXC_GfxLightsTest: material, lights and their enable cache, fog, tint, the gamma ramp by the
// adapter's profile, the colour conversion and material combination.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_Light.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

namespace {

std::vector<D3DRENDERSTATETYPE> FogStatesSent(D3D9Journal& journal)
{
    std::vector<D3DRENDERSTATETYPE> states;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetRenderState))
        states.push_back(D3DRENDERSTATETYPE(call.Arg(0)));
    return states;
}

}  // namespace

TEST(DXC_GfxLights, MaterialAndLights)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    IDirect3DDevice9& device = fixture.Device();
    DXC_Material material;
    material.diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.power = 8.0f;
    gfx.diffuseOverride = 1;
    EXPECT_EQ(gfx.SetMaterialTinted(material, true), 1);  // drawn white, the colour kept
    D3DMATERIAL9 sent;
    device.GetMaterial(&sent);
    EXPECT_EQ(sent.Diffuse.r, 1.0f);
    EXPECT_EQ(sent.Power, 8.0f);
    EXPECT_EQ(gfx.savedDiffuse.g, 0.25f);

    DXC_Light light;
    EXPECT_EQ(gfx.SetLight(2, light, 0.0, false), 0);  // never given its parameters
    light.SetParams(1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 500.0f);
    light.worldPosition = D3DXVECTOR3(10, 20, 30);
    light.direction = D3DXVECTOR3(0, 0, -1);
    EXPECT_EQ(gfx.SetLight(2, light, 0.0, false), 1);
    D3DLIGHT9 set;
    device.GetLight(2, &set);
    EXPECT_EQ(set.Position[1], 20.0f);
    EXPECT_EQ(set.Direction[2], -1.0f);
    EXPECT_EQ(gfx.lights[2].Range, 500.0f);

    EXPECT_EQ(gfx.LightEnable(3, 1), 1);
    EXPECT_EQ(gfx.LightEnable(3, 1), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::LightEnable), 1);
    EXPECT_EQ(DxcErrorOf([&] { gfx.LightEnable(8, 1); }), "Light index >7");
}

TEST(DXC_GfxLights, FogSendsWhatItsModeReads)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    DXC_Fog fog;
    fog.color = 0xFF203040u;
    fog.mode = int32_t(D3DFOG_LINEAR);
    fog.start = 100.0f;
    fog.end = 900.0f;
    journal.Clear();
    gfx.SetFog(fog);
    EXPECT_EQ(FogStatesSent(journal),
              (std::vector<D3DRENDERSTATETYPE>{D3DRS_FOGCOLOR, D3DRS_FOGTABLEMODE, D3DRS_FOGSTART, D3DRS_FOGEND}));
    EXPECT_EQ(journal.Last(D3D9Op::SetRenderState)->Arg(1), std::bit_cast<uint32_t>(900.0f));
    fog.mode = int32_t(D3DFOG_EXP);
    fog.vertexFog = 1;
    journal.Clear();
    gfx.SetFog(fog);
    EXPECT_EQ(FogStatesSent(journal), (std::vector<D3DRENDERSTATETYPE>{D3DRS_FOGCOLOR, D3DRS_FOGVERTEXMODE,
                                                                       D3DRS_RANGEFOGENABLE, D3DRS_FOGDENSITY}));
    EXPECT_EQ(gfx.fog.mode, int32_t(D3DFOG_EXP));
}

TEST(DXC_GfxLights, TintColoursAndMaterials)
{
    DXC_Gfx gfx;  // none of these needs a device
    gfx.SetTintColor(0xFF336699u);
    EXPECT_EQ(gfx.GetTintColor(), 0x00336699u);

    const struct {
        D3DCOLORVALUE color;
        uint32_t argb;
    } colors[] = {
        {{1.0f, 0.5f, 0.0f, 1.0f}, 0xFFFF8000u},
        {{1.2f, -0.1f, 0.2f, 0.0f}, 0x00FF0033u},  // outside 0..1: clamped
    };
    for (const auto& c : colors)
        EXPECT_EQ(DXC_Gfx::ColorValueToARGB(c.color), c.argb);

    D3DGAMMARAMP ramp;
    DXC_Gfx::BuildIdentityGammaRamp(ramp);
    EXPECT_EQ(ramp.red[0], 0);
    EXPECT_EQ(ramp.green[1], 257);
    EXPECT_EQ(ramp.blue[255], 65535);
    EXPECT_EQ(gfx.SetGammaRamp(nullptr, false), 0);  // no display: no full-screen gamma

    DXC_Material a, b, out;
    a.diffuse = {0.5f, 1.0f, 1.0f, 1.0f};
    b.diffuse = {0.5f, 0.5f, 1.0f, 1.0f};
    a.emissive = b.emissive = {0.25f, 0.0f, 0.0f, 1.0f};
    a.transparency = b.transparency = 0.5f;
    a.power = 3.0f;
    b.additiveEmissive = 1;
    DXC_Material::Combine(a, b, out);
    EXPECT_FLOAT_EQ(out.diffuse.r, 0.25f);
    EXPECT_FLOAT_EQ(out.diffuse.g, 0.5f);
    EXPECT_FLOAT_EQ(out.emissive.r, 0.5f);  // added
    EXPECT_FLOAT_EQ(out.transparency, 0.75f);
    EXPECT_EQ(out.power, 3.0f);
    b.additiveEmissive = 0;
    DXC_Material::Combine(a, b, out);
    EXPECT_FLOAT_EQ(out.emissive.r, 0.0625f);  // multiplied
    a.passNumber = 2;
    a.CopyColors(out);
    EXPECT_EQ(out.passNumber, 2);
    EXPECT_FLOAT_EQ(out.transparency, 0.5f);
}

// The adapter's profile decides whether a full-screen ramp and its calibration exist.
TEST(DXC_GfxLights, GammaRampByProfile)
{
    const struct Case {
        uint32_t caps2;
        bool calibrate;
        int expected;
        int calls;
        uint32_t flags;
    } cases[] = {
        {D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_CANCALIBRATEGAMMA, true, 1, 1, D3DSGR_CALIBRATE},
        {D3DCAPS2_FULLSCREENGAMMA, true, 0, 1, D3DSGR_NO_CALIBRATION},
        {D3DCAPS2_FULLSCREENGAMMA, false, 1, 1, D3DSGR_NO_CALIBRATION},
        {0, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caps2);
        D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
        profile.caps.Caps2 = c.caps2;
        DeviceGfx fixture(profile);
        D3DGAMMARAMP ramp;
        ramp.red[10] = 1234;
        EXPECT_EQ(fixture.Gfx().SetGammaRamp(&ramp, c.calibrate), c.expected);
        EXPECT_EQ(fixture.Journal().Count(D3D9Op::SetGammaRamp), c.calls);
        if (c.calls) {
            EXPECT_EQ(fixture.Journal().Last(D3D9Op::SetGammaRamp)->Arg(1), c.flags);
            EXPECT_EQ(fixture.Gfx().gammaRamp.red[10], 1234);
        }
    }
}
