// DXC_GfxEffectLoad: effect files loaded on a device: the engine parameters found by semantic, the
// resource textures entered in the catalogue, the pass table from the annotations, validation on
// a device of lower shader versions, compiler messages, sharing, the drawing brackets with their
// render-target switches and init passes, and the effects a scene's materials name.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"
#include "platform/D3D9Device.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kEffectFunctions = "float4 vsMain(float4 p : POSITION) : POSITION { return p; }\n"
                                     "float4 psMain() : COLOR { return 1; }\n";

// One technique whose passes carry the given annotations, all of vs_2_0 and ps_2_0.
std::string PassEffect(std::initializer_list<const char*> passAnnotations, const char* profile = "ps_2_0")
{
    std::string text = std::string("float fParam1 = 0.5;\n") + kEffectFunctions + "technique T {\n";
    for (const char* a : passAnnotations)
        text += std::string("  pass < ") + a + " > { VertexShader = compile vs_2_0 vsMain(); PixelShader = compile " +
                profile + " psMain(); }\n";
    return text + "}\n";
}

void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

D3D9AdapterProfile ShaderModel2()
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.VertexShaderVersion = 0xFFFE0200u;
    profile.caps.PixelShaderVersion = 0xFFFF0200u;
    return profile;
}

}  // namespace

TEST(DXC_GfxEffectLoad, EngineParametersPassesAndSharing)
{
    DeviceGfx device;
    DXC_Gfx& gfx = device.Gfx();
    TempDir dir;
    const std::string fx = dir / "full.fx";
    TempDir::WriteAll(fx, TempDir::ReadAll(std::string(SERVER_FIXTURES) + "/fuzz/EffectFile/full.fx"));
    LogCapture log;
    DXC_ShaderEffect effect;
    ASSERT_EQ(gfx.LoadEffect(&effect, fx.c_str(), 0, false, true), 1);
    ASSERT_TRUE(effect.IsValid());
    const DXC_EffectRecord& r = *effect.effect;
    EXPECT_EQ(r.worldViewProjection, effect.GetParameterByName("worldViewProj"));
    EXPECT_EQ(r.ambientColor, effect.GetParameterByName("lightColour"));
    EXPECT_EQ(r.view, nullptr);
    EXPECT_EQ(r.worldMatrixCount, 26);
    EXPECT_EQ(r.screenQuarterBuffers[1], effect.GetParameterByName("screen"));
    ASSERT_EQ(r.resourceTextureCount, 1);
    EXPECT_EQ(r.resourceTextures[0], effect.GetParameterByName("glow"));
    EXPECT_EQ(r.floatDefaults[0], 0.75f);
    EXPECT_EQ(r.vectorDefaults[1], D3DXVECTOR4(1, 2, 3, 4));
    EXPECT_TRUE(gfx.GetTextureCatalogue().Contains("glow.png_FX_"));
    EXPECT_EQ(log.Count("Texture file not found: 'glow.png'"), 1);

    ASSERT_EQ(r.techniqueCount, 2);
    EXPECT_EQ(effect.GetTechnique(), 0);
    const DXC_EffectTechnique& high = r.techniques[0];
    ASSERT_EQ(high.passCount, 2);
    EXPECT_EQ(high.passes[0].targetKind, PASS_TARGET_QUARTER_BUFFER);
    EXPECT_EQ(high.passes[0].bufferNumber, 1);
    EXPECT_EQ(high.passes[0].initPass, 1);
    EXPECT_EQ(high.passes[0].hasClearColor, 1);
    EXPECT_EQ(high.passes[0].clearColor, 0xFFFF0000u);
    EXPECT_EQ(high.passes[1].targetKind, PASS_TARGET_INITIAL);
    EXPECT_EQ(high.passes[1].noVertexShader, 1);
    EXPECT_EQ(high.passes[1].hasClearColor, 0);
    EXPECT_EQ(high.usesVertexShaders, 1);
    EXPECT_EQ(high.usesPixelShaders, 1);
    EXPECT_FALSE(effect.PassHasNoVertexShader(0));
    EXPECT_TRUE(effect.PassHasNoVertexShader(1));
    EXPECT_FALSE(effect.UsesVertexShaders(1));

    // The same file again shares the record; the last release frees it.
    DXC_ShaderEffect again;
    ASSERT_EQ(gfx.LoadEffect(&again, fx.c_str(), 0, false, true), 1);
    EXPECT_EQ(again.effect, effect.effect);
    EXPECT_EQ(gfx.GetEffectManager().GetReferenceCount(effect.resourceId), 2);
    effect.Release();
    EXPECT_TRUE(again.IsValid());
    again.Release();
    EXPECT_EQ(gfx.GetEffectManager().GetCount(), 0);

    // Missing files: an error where they must exist, else a warning and 0.
    const std::string missing = dir / "missing.fx";
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadEffect(&effect, missing.c_str(), 0, false, true); }),
              "Shader effect file '" + missing + "' not found");
    EXPECT_EQ(gfx.LoadEffect(&effect, missing.c_str(), 0, false, false), 0);
    EXPECT_EQ(log.Count(("Shader effect file '" + missing + "' not found").c_str()), 2);
}

TEST(DXC_GfxEffectLoad, RenderTargetAnnotations)
{
    DeviceGfx device;
    TempDir dir;
    const struct {
        const char* target;
        int32_t kind;
        int32_t number;
        const char* error;
    } kCases[] = {
        {"ScreenBuffer1", PASS_TARGET_SCREEN_BUFFER, 0, nullptr},
        {"ScreenBuffer2", PASS_TARGET_SCREEN_BUFFER, 1, nullptr},
        {"ScreenBuffer3", 0, 0, "Not more than 2 ScreenBuffer supported"},
        {"ScreenBuffer0", PASS_TARGET_CURRENT, 0, nullptr},
        {"ScreenQuarterBuffer3", PASS_TARGET_QUARTER_BUFFER, 2, nullptr},
        {"ScreenQuarterBuffer4", 0, 0, "Not more than 3 ScreenBuffer supported"},
        {"Initial", PASS_TARGET_INITIAL, 0, nullptr},
        {"Custom", PASS_TARGET_CUSTOM, 0, nullptr},
        {"Elsewhere", PASS_TARGET_CURRENT, 0, nullptr},
    };
    int n = 0;
    for (const auto& c : kCases) {
        const std::string fx = dir / ("target" + std::to_string(n++) + ".fx");
        WriteText(fx, PassEffect({(std::string("string RenderTarget = \"") + c.target + "\";").c_str()}));
        DXC_ShaderEffect effect;
        if (c.error) {
            EXPECT_EQ(DxcErrorOf([&] { device.Gfx().LoadEffect(&effect, fx.c_str(), 0, false, true); }), c.error);
            continue;
        }
        ASSERT_EQ(device.Gfx().LoadEffect(&effect, fx.c_str(), 0, false, true), 1) << c.target;
        EXPECT_EQ(effect.effect->techniques[0].passes[0].targetKind, c.kind) << c.target;
        EXPECT_EQ(effect.effect->techniques[0].passes[0].bufferNumber, c.number) << c.target;
    }
}

TEST(DXC_GfxEffectLoad, ValidationAndCompilerMessages)
{
    DeviceGfx device(ShaderModel2());
    DXC_Gfx& gfx = device.Gfx();
    TempDir dir;
    LogCapture log;
    const std::string high = dir / "high.fx";
    WriteText(high, PassEffect({"int InitPass = 0;"}, "ps_3_0"));
    DXC_ShaderEffect effect;
    EXPECT_EQ(gfx.LoadEffect(&effect, high.c_str(), 0, false, true), 1);
    EXPECT_FALSE(effect.IsValid());  // loaded, but disabled
    EXPECT_NE(effect.effect, nullptr);
    EXPECT_EQ(log.Count(("Shader could not be validated for this GPU: '" + high + "'").c_str()), 1);

    // The first technique the device takes is chosen.
    const std::string both = dir / "both.fx";
    WriteText(both, std::string(kEffectFunctions) +
                                "technique A { pass { PixelShader = compile ps_3_0 psMain(); } }\n"
                                "technique B { pass { PixelShader = compile ps_2_0 psMain(); } }\n");
    EXPECT_EQ(gfx.LoadEffect(&effect, both.c_str(), 0, false, true), 1);
    EXPECT_TRUE(effect.IsValid());
    EXPECT_EQ(effect.GetTechnique(), 1);
    EXPECT_TRUE(effect.SetTechnique(1, true));
    EXPECT_FALSE(effect.SetTechnique(0, true));
    EXPECT_FALSE(effect.SetTechnique(2, true));
    EXPECT_EQ(effect.GetTechnique(), 0);  // 2 changed nothing
    EXPECT_TRUE(effect.SetTechnique(-1, false));
    EXPECT_TRUE(effect.UsesPixelShaders());  // validates first: technique B
    EXPECT_EQ(effect.GetTechnique(), 1);

    const std::string broken = dir / "broken.fx";
    WriteText(broken, "float4 colour : = 1;\n");
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadEffect(&effect, broken.c_str(), 0, false, true); }),
              "Could not compile effect from file '" + broken + "': 'E_FAIL'\n\n" + broken +
                  "(1,17): error X3000: syntax error: unexpected token '='");

    // At most 16 parameters name resource textures.
    std::string textures;
    for (int i = 0; i < 17; i++)
        textures += "texture t" + std::to_string(i) + " < string ResourceName = \"t.png\"; >;\n";
    const std::string many = dir / "many.fx";
    WriteText(many, textures + PassEffect({"int InitPass = 0;"}));
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadEffect(&effect, many.c_str(), 0, false, true); }),
              "Not more than 16 resource textures supported");
    EXPECT_NE(DxcErrorOf([&] { gfx.LoadEffect(&effect, many.c_str(), 0, false, true); }), "no error");  // nothing shared

    // Without a device nothing is compiled.
    DXC_Gfx server;
    server.SetDedicatedMode(1);
    EXPECT_EQ(DxcErrorOf([&] { server.LoadEffect(&effect, both.c_str(), 0, false, true); }),
              "Could not compile effect from file '" + both + "': 'D3DERR_NOTAVAILABLE'");
}

TEST(DXC_GfxEffectLoad, PassesSwitchTargetsAndInitPassesRunOnce)
{
    DeviceGfx device;
    DXC_Gfx& gfx = device.Gfx();
    TempDir dir;
    const std::string fx = dir / "passes.fx";
    WriteText(fx, PassEffect({"string RenderTarget = \"ScreenQuarterBuffer2\"; float4 ClearColor = "
                                      "{0, 0, 1, 1}; int InitPass = 1;",
                                      "string RenderTarget = \"Initial\";"}));
    DXC_ShaderEffect effect;
    ASSERT_EQ(gfx.LoadEffect(&effect, fx.c_str(), 0, false, true), 1);
    D3D9Journal& journal = device.Journal();
    IDirect3DSurface9* initial = gfx.GetRenderTarget(0);
    initial->Release();
    IDirect3DSurface9* quarter = nullptr;
    gfx.GetScreenBufferTexture(1, 1)->GetSurfaceLevel(0, &quarter);
    quarter->Release();

    for (int drawing = 0; drawing < 2; drawing++) {
        journal.Clear();
        ASSERT_EQ(effect.Begin(), 2);
        EXPECT_TRUE(effect.SetFloatParam(9.0f, 1));
        const bool ran = effect.BeginPass(0);
        EXPECT_EQ(ran, drawing == 0) << drawing;  // the init pass only in the first drawing
        if (ran) {
            EXPECT_EQ(journal.Last(D3D9Op::SetRenderTarget)->args[1], D3D9Arg(quarter));
            EXPECT_EQ(journal.Last(D3D9Op::Clear)->Arg(3), 0xFF0000FFu);
        }
        effect.EndPass();
        if (ran) {  // the pass's switch is undone at its end
            EXPECT_EQ(journal.Last(D3D9Op::SetRenderTarget)->args[1], D3D9Arg(initial));
        }
        EXPECT_TRUE(effect.BeginPass(1));
        effect.CommitChanges();
        effect.EndPass();
        effect.End();
        float value = 0;
        effect.effect->effect->GetFloat(effect.effect->floatParams[0], &value);
        EXPECT_EQ(value, 0.5f);  // back to the file's value
        EXPECT_EQ(journal.Count(D3D9Op::EffectBegin), 1);
        EXPECT_EQ(journal.Count(D3D9Op::EffectCommitChanges), 1);
        EXPECT_EQ(journal.Count(D3D9Op::EffectEnd), 1);
        EXPECT_EQ(journal.Last(D3D9Op::EffectBegin)->Arg(1), 0u);  // the state is saved
    }
    // After a release the next drawing runs the init pass again.
    effect.Release();
    ASSERT_EQ(gfx.LoadEffect(&effect, fx.c_str(), 0, false, true), 1);
    effect.SetSaveState(false);
    effect.Begin();
    EXPECT_TRUE(effect.BeginPass(0));
    effect.EndPass();
    effect.End();
    EXPECT_EQ(journal.Last(D3D9Op::EffectBegin)->Arg(1), D3DXFX_DONOTSAVESTATE);
}

TEST(DXC_GfxEffectLoad, SceneMaterialsGetTheirEffects)
{
    LoadStateScope scope;
    TempDir dir;
    const std::string sceneDir = dir / "scene/";
    const std::string searchDir = dir / "fx/";
    WriteText(sceneDir + "glow.fx", "float fParam2 = 7;\n" + PassEffect({"int InitPass = 0;"}));
    WriteText(searchDir + "glow.fx", PassEffect({"int InitPass = 0;"}));
    const std::string scenePath = std::string(SERVER_FIXTURES) + "/scene/pair/creature.3sc";

    // The body's materials name one effect both places hold and one that neither does.
    auto bind = [&](DXC_Gfx& gfx, DXC_3dScene& scene, LogCapture& log) -> DXC_Mesh& {
        gfx.GetEffectValidator().AddPath(searchDir.c_str());
        gfx.LoadScene(&scene, scenePath.c_str(), 0x20);
        DXC_Mesh& body = *scene.FindMesh("Body", false);
        body.AllocMaterials(2);
        body.materials[0].effectFileName = "glow.fx";
        body.materials[1].effectFileName = "absent.fx";
        gfx.BindSceneEffects(scene, sceneDir.c_str());
        EXPECT_EQ(log.Count("DirectX shader effect 'absent.fx' not found"), 1);
        EXPECT_EQ(log.Count("glow.fx' not found"), 0);
        EXPECT_EQ(body.materials[1].effect.effect, nullptr);
        return body;
    };
    {
        DeviceGfx device;
        LogCapture log;
        DXC_3dScene scene;
        DXC_Mesh& body = bind(device.Gfx(), scene, log);
        EXPECT_EQ(body.hasEffect, 1);
        ASSERT_NE(body.materials[0].effect.effect, nullptr);
        EXPECT_NE(body.materials[0].effect.GetParameterByName("fParam2"), nullptr);  // the scene's own first
    }
    DXC_Gfx server;
    server.SetDedicatedMode(1);
    LogCapture log;
    DXC_3dScene scene;
    DXC_Mesh& body = bind(server, scene, log);
    EXPECT_EQ(body.hasEffect, 0);
    EXPECT_EQ(body.materials[0].effect.effect, nullptr);  // found, never compiled
}
