// DXC_GfxEffectBindTest: effects loaded from effect files on a stand-in device: the choice of the
// effect that draws, the fixed-function shader's bone limit, beginning an effect, and the
// parameters bound from the graphics object's state, read back from the effect.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

const char* const kVertexShader = "float4 vsMain(float4 p : POSITION) : POSITION { return p; }\n"
                                  "float4 psMain() : COLOR { return 1; }\n";

// An effect of these declarations and one technique of one pass (a pixel shader when asked).
std::string EffectText(const std::string& declarations, bool pixelShader = false)
{
    return declarations + kVertexShader + "technique T { pass { VertexShader = compile vs_2_0 vsMain(); " +
           (pixelShader ? "PixelShader = compile ps_2_0 psMain(); " : "") + "} }\n";
}

// Effects written into a folder of their own and loaded on the fixture's device.
class EffectFiles {
public:
    explicit EffectFiles(DXC_Gfx& gfx) : m_Gfx(gfx) {}
    void Load(DXC_ShaderEffect& effect, const std::string& text)
    {
        const std::string path = m_Dir / ("e" + std::to_string(m_Count++) + ".fx");
        TempDir::WriteAll(path, std::vector<uint8_t>(text.begin(), text.end()));
        ASSERT_EQ(m_Gfx.LoadEffect(&effect, path.c_str(), 0, false, true), 1);
        ASSERT_TRUE(effect.IsValid());
    }

private:
    DXC_Gfx& m_Gfx;
    TempDir m_Dir;
    int m_Count = 0;
};

int32_t IntOf(const DXC_ShaderEffect& effect, const char* name)
{
    int32_t value = -7;
    effect.effect->effect->GetInt(effect.GetParameterByName(name), &value);
    return value;
}

float FloatOf(const DXC_ShaderEffect& effect, const char* name)
{
    float value = -7.0f;
    effect.effect->effect->GetFloat(effect.GetParameterByName(name), &value);
    return value;
}

// The first count four-float entries of an array parameter.
std::vector<float> ArrayOf(const DXC_ShaderEffect& effect, const char* name, uint32_t count)
{
    std::vector<float> values(size_t(count) * 4, -7.0f);
    effect.effect->effect->GetFloatArray(effect.GetParameterByName(name), values.data(), count * 4);
    return values;
}

}  // namespace

// Override, then a valid material effect (passed over when it needs pixel shaders that are not
// allowed), then the active one; without those the replacement effect draws meshes built for it
// (kind word 2) and textures with a loaded specular map, and with the fixed-function flag set the
// specular-map effect draws those.
TEST(DXC_GfxEffectBind, SelectionFollowsTheSlotsInOrder)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect overriding, material, pixel, active, replacement, specular;
    for (DXC_ShaderEffect* e : {&overriding, &material, &active, &replacement, &specular})
        files.Load(*e, EffectText("float a;\n"));
    files.Load(pixel, EffectText("float a;\n", true));
    DXC_VertexListBase plain, forReplacement;
    forReplacement.layout.selector = 2;
    DXC_Texture diffuse, withSpecular;
    MakeTextureStages(gfx, diffuse, {MAP_DIFFUSE});
    MakeTextureStages(gfx, withSpecular, {MAP_DIFFUSE, MAP_SPECULAR});

    EXPECT_EQ(gfx.SelectEffect(plain, false), nullptr);
    gfx.SetActiveEffect(&active);
    EXPECT_EQ(gfx.SelectEffect(plain, false), &active);
    gfx.SetMaterialEffect(&pixel);
    EXPECT_EQ(gfx.SelectEffect(plain, false), &pixel);
    EXPECT_EQ(gfx.SelectEffect(plain, true), &active);
    gfx.SetMaterialEffect(&material);
    EXPECT_EQ(gfx.SelectEffect(plain, true), &material);
    gfx.overrideEffect = &overriding;
    EXPECT_EQ(gfx.SelectEffect(plain, true), &overriding);

    gfx.overrideEffect = nullptr;
    gfx.SetMaterialEffect(nullptr);
    gfx.SetActiveEffect(nullptr);
    gfx.SetFixedFunctionShader(&replacement, DXC_ReplacementEffect::kCanSkin | DXC_ReplacementEffect::kCanDraw);
    gfx.SetSpecularMapEffect(&specular);
    const struct Case {
        const DXC_VertexListBase* item;
        DXC_Texture* texture;
        int32_t fixedFunction;
        DXC_ShaderEffect* expected;
    } cases[] = {
        {&forReplacement, &diffuse, 0, &replacement}, {&plain, &diffuse, 0, nullptr},
        {&plain, &withSpecular, 0, &replacement},     {&plain, nullptr, 0, nullptr},
        {&forReplacement, &diffuse, 1, nullptr},      {&plain, &withSpecular, 1, &specular},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.item == &plain ? "plain" : "kind 2") << " flag " << c.fixedFunction);
        gfx.currentTexture = c.texture;
        gfx.fixedFunction = c.fixedFunction;
        EXPECT_EQ(gfx.SelectEffect(*c.item, false), c.expected);
    }
    gfx.currentTexture = nullptr;
}

// The bone limit is the length of the shader's bone-matrix array; an invalid shader is refused.
TEST(DXC_GfxEffectBind, FixedFunctionShaderTakesItsBoneLimit)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect bones, invalid;
    files.Load(bones, EffectText("float4x4 bones[40] : WORLDMATRIXARRAY;\n"));
    gfx.SetFixedFunctionShader(&bones, DXC_ReplacementEffect::kCanSkin);
    EXPECT_TRUE(gfx.replacementEffect.set);
    EXPECT_EQ(gfx.replacementEffect.boneLimit, 40);
    EXPECT_EQ(gfx.replacementEffect.capabilities, DXC_ReplacementEffect::kCanSkin);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetFixedFunctionShader(&invalid, 3); }),
              "Tried to set invalid fixed function shader");
    gfx.SetFixedFunctionShader(nullptr, 0);
    EXPECT_FALSE(gfx.replacementEffect.set);
    EXPECT_EQ(gfx.replacementEffect.boneLimit, 0);
}

// A diffuse and a normal-map stage set their maps and flags; the four other flags go false. The
// material, opacity and texture coordinates come from the graphics object.
TEST(DXC_GfxEffectBind, ParametersFollowTheCurrentTextureAndMaterial)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect effect;
    files.Load(effect, EffectText("texture dmap : DIFFUSEMAP;\ntexture nmap : NORMALMAP;\n"
                                  "bool isD : IsDiffuseMap = true;\nbool isN : IsNormalMap = false;\n"
                                  "bool isS : IsSpecularMap = true;\nbool isL : IsLightMap = true;\n"
                                  "bool isI : IsSelfIllumMap = true;\nbool isO : IsOpacityMap = true;\n"
                                  "float opacity : Opacity;\nfloat4 diffuse : DiffuseMaterial;\n"
                                  "float power : SpecularPower;\nfloat4 emissive : EmissiveMaterial;\n"
                                  "int4 coords : TEXCOORDINDEX;\n"));
    DXC_Texture texture;
    MakeTextureStages(gfx, texture, {MAP_DIFFUSE, MAP_NORMAL});
    gfx.currentTexture = &texture;
    DXC_Material material;
    material.diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.emissive = {0.1f, 0.0f, 0.0f, 0.5f};
    material.power = 12.0f;
    gfx.SetMaterialEffect(&effect);
    gfx.SetMaterial(material);
    gfx.SetTintColor(0x00FF0000u);
    gfx.texCoordTable[2] = 0;
    ASSERT_EQ(gfx.GetBlendAlpha(), 255);

    gfx.BindEffectParameters(&effect, nullptr, 0);
    const struct Flag {
        const char* name;
        int32_t value;
    } flags[] = {{"isD", 1}, {"isN", 1}, {"isS", 0}, {"isL", 0}, {"isI", 0}, {"isO", 0}};
    for (const Flag& f : flags)
        EXPECT_EQ(IntOf(effect, f.name), f.value) << f.name;
    IDirect3DTexture9* bound = nullptr;
    effect.effect->effect->GetTexture(effect.GetParameterByName("nmap"), &bound);
    EXPECT_EQ(bound, texture.stageTextures[1]);
    EXPECT_FLOAT_EQ(FloatOf(effect, "opacity"), 1.0f);
    EXPECT_EQ(FloatOf(effect, "power"), 12.0f);
    EXPECT_EQ(ArrayOf(effect, "diffuse", 1), (std::vector<float>{0.5f, 0.25f, 1.0f, 1.0f}));
    EXPECT_EQ(ArrayOf(effect, "emissive", 1), (std::vector<float>{1.1f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(ArrayOf(effect, "coords", 1), (std::vector<float>{0.0f, 1.0f, 0.0f, 3.0f}));
    gfx.currentTexture = nullptr;
    gfx.SetMaterialEffect(nullptr);
}

// Nine point lights bind the first six and three directional ones two; with caching on, a second
// binding in the same frame and pass leaves the effect as it was.
TEST(DXC_GfxEffectBind, LightsFillTheirArraysOncePerFrameAndPass)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect effect;
    files.Load(effect, EffectText("int omni : NumOmniLights;\nint directional : NumDirectionalLights;\n"
                                  "float4 omniPos[6] : OmniLightPosition;\nfloat4 omniAtt[6] : OmniLightAttenuation;\n"
                                  "float4 dirDir[2] : DirectionalLightDirection;\nfloat4 ambient : AmbientColor;\n"));
    gfx.SetLighting(1);
    gfx.SetAmbient(0);
    const struct Case {
        uint32_t type;
        int32_t lights;
        int32_t omni, directional;
    } cases[] = {{1, 9, 6, 0}, {3, 3, 0, 2}, {2, 2, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        for (int32_t i = 0; i < 8; i++) {
            gfx.lights[i] = D3DLIGHT9();
            gfx.lights[i].Type = c.type;
            gfx.lights[i].Position[0] = float(i + 1);
            gfx.lights[i].Direction[1] = float(i + 1);
            gfx.lights[i].Attenuation1 = 0.5f;
            gfx.lights[i].Ambient = {0.1f, 0.0f, 0.0f, 0.0f};
            gfx.lightEnabled[i] = i < c.lights ? 1 : 0;  // the ninth light has no slot of its own
        }
        gfx.BindLights(&effect);
        EXPECT_EQ(IntOf(effect, "omni"), c.omni);
        EXPECT_EQ(IntOf(effect, "directional"), c.directional);
        const std::vector<float> positions = ArrayOf(effect, "omniPos", 6);
        const std::vector<float> directions = ArrayOf(effect, "dirDir", 2);
        for (int32_t n = 0; n < 6; n++)
            EXPECT_EQ(positions[size_t(n) * 4], n < c.omni ? float(n + 1) : 0.0f) << n;
        for (int32_t n = 0; n < 2; n++)
            EXPECT_EQ(directions[size_t(n) * 4 + 1], n < c.directional ? float(n + 1) : 0.0f) << n;
        EXPECT_EQ(ArrayOf(effect, "omniAtt", 1)[1], c.omni ? 0.5f : 0.0f);
        EXPECT_NEAR(ArrayOf(effect, "ambient", 1)[0], 0.1f * float(c.directional), 1e-6f);
    }

    gfx.effectCaching = 1;  // the last case bound two spot lights in this frame and pass
    gfx.lightEnabled[2] = 1;
    gfx.BindLights(&effect);
    EXPECT_EQ(IntOf(effect, "omni"), 2);
    gfx.SetEffectPass(1);
    gfx.BindLights(&effect);
    EXPECT_EQ(IntOf(effect, "omni"), 3);
}

// Begin remembers the effect, its technique and passes; an earlier begun effect's pixel shader is
// taken away when the new one has none.
TEST(DXC_GfxEffectBind, BeginEffectRemembersWhatItBegan)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect pixel, plain;
    files.Load(pixel, EffectText("float a;\n", true));
    files.Load(plain, EffectText("float a;\n"));
    EXPECT_EQ(gfx.BeginEffect(&pixel), 1);
    pixel.End();
    EXPECT_EQ(gfx.begunEffect, &pixel);
    fixture.Journal().Clear();
    EXPECT_EQ(gfx.BeginEffect(&plain), 1);
    plain.End();
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::SetPixelShader), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::SetVertexShader), 0);
    EXPECT_EQ(gfx.begunTechnique, 0);
    gfx.ResetShaders();
    EXPECT_EQ(gfx.begunEffect, nullptr);
}

// The blend-weight count and the bone matrices of the graphics object, as many as the mesh has
// bones but never more than the effect's array holds.
TEST(DXC_GfxEffectBind, WorldMatricesFollowTheBonesWithinTheArray)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EffectFiles files(gfx);
    DXC_ShaderEffect effect;
    files.Load(effect, EffectText("int weights : NUMBLENDWEIGHTS;\nfloat4x4 bones[4] : WORLDMATRIXARRAY;\n"));
    for (int32_t i = 0; i < 6; i++) {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, float(i + 1), 0.0f, 0.0f);
        gfx.SetWorldMatrix(m, i);
    }
    const struct Case {
        int32_t bones;
        int32_t bound;  // matrices that reach the effect
    } cases[] = {{0, 0}, {2, 2}, {6, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bones);
        DXC_Mesh mesh;
        gfx.CreateMesh(&mesh, 1, 3, 1, 0x1008 | 0x010, 0, 2, 0, 0, 0);  // two weights, the last the indices
        for (int32_t b = 0; b < c.bones; b++)
            mesh.bones.Add();
        std::vector<float> zero(4 * 16, 0.0f);
        effect.effect->effect->SetFloatArray(effect.GetParameterByName("bones"), zero.data(), 4 * 16);
        gfx.BindWorldMatrices(&effect, mesh);
        EXPECT_EQ(IntOf(effect, "weights"), int32_t(mesh.layout.weightCount));
        std::vector<float> bound(4 * 16, -7.0f);
        effect.effect->effect->GetFloatArray(effect.GetParameterByName("bones"), bound.data(), 4 * 16);
        for (int32_t b = 0; b < 4; b++)
            EXPECT_EQ(bound[size_t(b) * 16 + 12], b < c.bound ? float(b + 1) : 0.0f) << b;  // the translation's x
    }
}
