// GameCtrl shader table: "cfg\shaders.cfg" read on a client's device into shader entries in file
// order, with their parameters, technique, rank and transparency, the special-shader checks, the
// bone limit of scene objects and the reload rule; the server reads nothing.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/objects/SceneObject.h"
#include "level/ShaderEntry.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kFunctions = "float4 vsMain(float4 p : POSITION) : POSITION { return p; }\n"
                               "float4 psMain() : COLOR { return 1; }\n";

// Two techniques of shader model 2, the numbered parameters 1 and 2 and a bone array of 40.
std::string Model2Effect()
{
    return std::string("float fParam1;\nfloat4 vParam2;\nfloat4x4 bones[40] : WORLDMATRIXARRAY;\n") + kFunctions +
           "technique A { pass { VertexShader = compile vs_2_0 vsMain(); PixelShader = compile ps_2_0 psMain(); } }\n"
           "technique B { pass { VertexShader = compile vs_2_0 vsMain(); } }\n";
}

// One technique that needs pixel shader 3.0.
std::string Model3Effect()
{
    return std::string("float fParam1;\n") + kFunctions +
           "technique A { pass { PixelShader = compile ps_3_0 psMain(); } }\n";
}

D3D9AdapterProfile ShaderModel2()
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.VertexShaderVersion = 0xFFFE0200u;
    profile.caps.PixelShaderVersion = 0xFFFF0200u;
    return profile;
}

const char* const kTable = "#plain\ndesc = \"plain\"\nshader = \"fx\\model2.fx\"\nfParam1 = 0.5\nfParam3 = 9\n"
                           "vParam2 = 1, 2, 3\nrank = 4\ntransparent = 0.6\nRestoreStates = 0\n"
                           "#badTechnique\ndesc = \"badTechnique\"\nshader = \"fx\\model2.fx\"\ntechnique = 5\n"
                           "#tooNew\ndesc = \"tooNew\"\nshader = \"fx\\model3.fx\"\nfParam1 = 2\ntransparent = 1\n";

// The options a client starts with here: no wall shader, no fixed-function emulation.
class ShaderTable : public testing::Test {
protected:
    void SetUp() override
    {
        g_Options.wallShader = 0;
        g_Options.useFixedFunctionShader = 0;
        dir.Write("fx/model2.fx", Model2Effect());
        dir.Write("fx/model3.fx", Model3Effect());
        dir.Write("cfg/shaders.cfg", kTable);
    }
    void TearDown() override { SceneObject::s_BoneLimit = SceneObject::kDefaultBoneLimit; }

    ScopedGameConfig config;
    GameDir dir;
    DeviceGfx device{ShaderModel2()};
    GameCtrl ctrl;
};

}  // namespace

TEST_F(ShaderTable, EntriesInFileOrderWithTheirKeys)
{
    LogCapture log;
    ctrl.LoadShaders(false);
    ASSERT_EQ(ctrl.GetShaderCount(), 3);

    const ShaderEntry& plain = *ctrl.GetShader(0);
    EXPECT_EQ(plain.m_Valid, 1);
    EXPECT_EQ(plain.m_FloatEnabled[0], 1);
    EXPECT_EQ(plain.m_FloatValues[0], 0.5f);
    EXPECT_EQ(plain.m_FloatEnabled[2], 0);  // the effect has no "fParam3"
    EXPECT_EQ(plain.m_VectorEnabled[1], 1);
    EXPECT_EQ(plain.m_VectorValues[1][2], 3.0f);
    EXPECT_EQ(plain.m_Rank, 4);
    EXPECT_EQ(plain.m_Transparent, 1);
    EXPECT_FALSE(plain.GetSaveState());  // "RestoreStates = 0"

    const ShaderEntry& badTechnique = *ctrl.GetShader(1);
    EXPECT_EQ(log.Count("Can not set technique 5 in shader 'badTechnique'"), 1);
    EXPECT_EQ(badTechnique.m_Technique, -1);
    EXPECT_TRUE(badTechnique.IsValid());

    const ShaderEntry& tooNew = *ctrl.GetShader(2);
    EXPECT_EQ(log.Count("Validation of shader 'tooNew' failed"), 1);
    EXPECT_EQ(tooNew.m_Valid, 0);
    EXPECT_EQ(tooNew.m_FloatEnabled[0], 0);  // a failed entry reads no parameters
    EXPECT_EQ(tooNew.m_Transparent, 1);      // but its transparency

    // No special shader can be named: the floor shader's absence is only a warning, and the bone
    // limit stays as no fixed-function shader is set.
    EXPECT_EQ(log.Count("No floor shader specified"), 1);
    EXPECT_EQ(SceneObject::s_BoneLimit, 26);
}

TEST_F(ShaderTable, TheFixedFunctionShaderSetsTheBoneLimit)
{
    ctrl.LoadShaders(false);
    ShaderEntry& plain = *ctrl.GetShader(0);
    device.Gfx().SetFixedFunctionShader(&plain, DXC_ReplacementEffect::kCanSkin);
    ctrl.LoadShaders(true);
    EXPECT_EQ(SceneObject::s_BoneLimit, 40);
    device.Gfx().SetFixedFunctionShader(nullptr, 0);
}

// A reload with another entry count keeps the table and says why; one with the same count reads
// the values again.
TEST_F(ShaderTable, ReloadKeepsTheTableSize)
{
    ctrl.LoadShaders(false);
    Rewrite(dir, "cfg/shaders.cfg", "#plain\ndesc = \"plain\"\nshader = \"fx\\model2.fx\"\nrank = 7\n", 5);
    ctrl.LoadShaders(true);
    EXPECT_EQ(ctrl.GetShaderCount(), 3);
    EXPECT_EQ(ctrl.GetShader(0)->m_Rank, 4);
    auto& messages = ctrl.GetWorld().GetTextMessages();
    ASSERT_EQ(messages.GetSize(), 1);
    EXPECT_EQ(String(messages.GetAt(0)->key), "Number of shader.cfg entries has changed, can not reload shaders");
    EXPECT_EQ(messages.GetAt(0)->time, 5.0f);

    std::string changed = kTable;
    changed.replace(changed.find("rank = 4"), 8, "rank = 8");
    Rewrite(dir, "cfg/shaders.cfg", changed.c_str(), 10);
    ctrl.LoadShaders(true);
    EXPECT_EQ(ctrl.GetShader(0)->m_Rank, 8);
}

TEST_F(ShaderTable, ErrorsStopTheLoad)
{
    const struct Case {
        const char* table;  // null: the usual one
        int32_t wallShader, fixedFunction;
        const char* error;
    } cases[] = {
        {"#a\ndesc = \"a\"\nrank = 1\n", 0, 0, "Shader 'a' without 'shader' entry"},
        {nullptr, 1, 0, "Wall shader enabled, but no shader specified"},
        {nullptr, 0, 1, "Fixed function shader emulation enabled, but no shader specified"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        dir.Write("cfg/shaders.cfg", c.table ? c.table : kTable);
        g_Options.wallShader = c.wallShader;
        g_Options.useFixedFunctionShader = c.fixedFunction;
        GameCtrl fresh;
        EXPECT_EQ(ErrorOf([&] { fresh.LoadShaders(false); }), c.error);
    }
}
