// D3DXEffectFile: the effect reader over a text that uses every declaration it reads (parameters
// with sizes, semantics, annotations and values; functions and structs skipped; techniques and
// passes with their annotations and profiles), the compiler messages of broken texts, the
// validation against a device's shader versions, and the drawing brackets in the journal.
#include "platform/D3DXEffect.h"

#include "platform/D3D9Adapter.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9Ref.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string EffectFixture(const char* name)
{
    std::ifstream in(std::string(SERVER_FIXTURES) + "/fuzz/EffectFile/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

D3D9Ref<ID3DXEffect> ReadEffect(const std::string& text, IDirect3DDevice9* device = nullptr)
{
    ID3DXEffect* made = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = D3DXCreateEffect(device, text.data(), text.size(), nullptr, nullptr, 0, nullptr, &made,
                                            &errors, "test.fx");
    std::string message = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    if (errors)
        errors->Release();
    EXPECT_EQ(result, D3D_OK) << message;
    return D3D9Ref<ID3DXEffect>(made);
}

std::string CompileError(const std::string& text)
{
    ID3DXEffect* made = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result =
        D3DXCreateEffect(nullptr, text.data(), text.size(), nullptr, nullptr, 0, nullptr, &made, &errors, "bad.fx");
    EXPECT_EQ(result, E_FAIL) << text;
    EXPECT_EQ(made, nullptr);
    if (!errors)
        return "";
    std::string message = static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
    return message;
}

}  // namespace

TEST(D3DXEffectFile, ReadsTheDeclarationsOfAnEffect)
{
    D3D9Ref<ID3DXEffect> effect = ReadEffect(EffectFixture("full.fx"));
    ASSERT_NE(effect, nullptr);
    D3DXEFFECT_DESC desc;
    effect->GetDesc(&desc);
    EXPECT_EQ(desc.Parameters, 10u);  // the static one is hidden
    EXPECT_EQ(desc.Techniques, 2u);
    EXPECT_EQ(effect->GetParameterByName(nullptr, "hidden"), nullptr);

    D3DXPARAMETER_DESC p;
    ASSERT_EQ(effect->GetParameterDesc(effect->GetParameterBySemantic(nullptr, "worldmatrixarray"), &p), D3D_OK);
    EXPECT_STREQ(p.Name, "bones");
    EXPECT_EQ(p.Class, D3DXPC_MATRIX_ROWS);
    EXPECT_EQ(p.Elements, 26u);
    EXPECT_EQ(p.Bytes, 26u * 64u);

    D3DXVECTOR4 colour;
    ASSERT_EQ(effect->GetVector(effect->GetParameterBySemantic(nullptr, "AmbientColor"), &colour), D3D_OK);
    EXPECT_EQ(colour, D3DXVECTOR4(0.2f, 0.4f, 0.6f, 1.0f));
    float f = 0;
    ASSERT_EQ(effect->GetFloat(effect->GetParameterByName(nullptr, "fParam1"), &f), D3D_OK);
    EXPECT_EQ(f, 0.75f);
    ASSERT_EQ(effect->GetVector(effect->GetParameterByName(nullptr, "vParam2"), &colour), D3D_OK);
    EXPECT_EQ(colour, D3DXVECTOR4(1, 2, 3, 4));
    int32_t flag = 0;
    EXPECT_EQ(effect->GetInt(effect->GetParameterByName(nullptr, "flag"), &flag), D3D_OK);
    EXPECT_EQ(flag, 1);
    const char* text = nullptr;
    ASSERT_EQ(effect->GetString(effect->GetParameterByName(nullptr, "note"), &text), D3D_OK);
    EXPECT_STREQ(text, "two parts");
    EXPECT_EQ(effect->GetFloat(effect->GetParameterByName(nullptr, "note"), &f), D3DERR_INVALIDCALL);

    D3DXHANDLE glow = effect->GetParameterByName(nullptr, "glow");
    ASSERT_EQ(effect->GetParameterDesc(glow, &p), D3D_OK);
    EXPECT_EQ(p.Type, D3DXPT_TEXTURE);
    EXPECT_EQ(p.Annotations, 1u);
    ASSERT_EQ(effect->GetString(effect->GetAnnotationByName(glow, "ResourceName"), &text), D3D_OK);
    EXPECT_STREQ(text, "glow.png");

    D3DXHANDLE high = effect->GetTechnique(0);
    D3DXTECHNIQUE_DESC t;
    ASSERT_EQ(effect->GetTechniqueDesc(high, &t), D3D_OK);
    EXPECT_STREQ(t.Name, "High");
    EXPECT_EQ(t.Passes, 2u);
    D3DXHANDLE blur = effect->GetPass(high, 0);
    ASSERT_EQ(effect->GetString(effect->GetAnnotationByName(blur, "RenderTarget"), &text), D3D_OK);
    EXPECT_STREQ(text, "ScreenQuarterBuffer2");
    float clear[4] = {};
    ASSERT_EQ(effect->GetFloatArray(effect->GetAnnotationByName(blur, "ClearColor"), clear, 4), D3D_OK);
    EXPECT_EQ(clear[0], 1.0f);
    EXPECT_EQ(effect->GetInt(effect->GetAnnotationByName(blur, "InitPass"), &flag), D3D_OK);
    EXPECT_EQ(flag, 1);
    D3DXPASS_DESC pass;
    ASSERT_EQ(effect->GetPassDesc(blur, &pass), D3D_OK);
    ASSERT_NE(pass.pVertexShaderFunction, nullptr);
    EXPECT_EQ(*pass.pVertexShaderFunction, 0xFFFE0200u);
    EXPECT_EQ(*pass.pPixelShaderFunction, 0xFFFF0300u);
    ASSERT_EQ(effect->GetPassDesc(effect->GetPass(high, 1), &pass), D3D_OK);
    EXPECT_EQ(pass.pVertexShaderFunction, nullptr);
    ASSERT_EQ(effect->GetPassDesc(effect->GetPass(effect->GetTechnique(1), 0), &pass), D3D_OK);
    EXPECT_EQ(*pass.pPixelShaderFunction, 0xFFFF0101u);  // from the asm block
}

TEST(D3DXEffectFile, BrokenTextsGiveCompilerMessages)
{
    const struct {
        const char* text;
        const char* message;
    } kCases[] = {
        {"float4 c : = 1;", "bad.fx(1,12): error X3000: syntax error: unexpected token '='"},
        {"float4 c = { 1, 2, 3\ntechnique T { pass { } }", "bad.fx(2,25): error X3000: syntax error: unexpected end of file"},
        {"float f = 1;\nfloat g", "bad.fx(2,8): error X3000: syntax error: unexpected end of file"},
        {"technique T { pass { PixelShader = compile ps_2_0 nowhere(); } }", "undeclared identifier 'nowhere'"},
        {"float4 f() { return 0; }\ntechnique T { pass { PixelShader = compile ps_9_0 f(); } }",
         "invalid pixel shader profile 'ps_9_0'"},
        {"float4 f() { return 0; }\ntechnique T { pass { VertexShader = compile ps_2_0 f(); } }",
         "invalid vertex shader profile 'ps_2_0'"},
        {"widget w;", "bad.fx(1,1): error X3004: unrecognized identifier 'widget'"},
        {"float a[0];", "array dimensions"},
        {"float a[4294967297];", "array dimensions"},
        {"string s = \"open", "unterminated string"},
        {"/* never closed", "unterminated comment"},
        {"float f = 1; @", "invalid character 0x40"},
        {"float4 f = {{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{1}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}};",
         "nested too deep"},
    };
    for (const auto& c : kCases)
        EXPECT_NE(CompileError(c.text).find(c.message), std::string::npos) << c.text << "\n" << CompileError(c.text);
    // Values past the reader's limit in all are refused, not allocated.
    std::string many;
    for (int i = 0; i < 5; i++)
        many += "float4x4 m" + std::to_string(i) + "[65536];\n";
    EXPECT_NE(CompileError(many).find("too many values"), std::string::npos);
    EXPECT_EQ(CompileError(std::string((1 << 20) + 1, ' ')), "bad.fx: error X1507: effect text longer than 1 MiB");
}

TEST(D3DXEffectFile, ValuesTheReaderDoesNotFoldStayZero)
{
    D3D9Ref<ID3DXEffect> effect = ReadEffect("float third = 1.0 / 3.0; float4 v = { 1, sin(2), 3, 4 };");
    float f = -1;
    EXPECT_EQ(effect->GetFloat(effect->GetParameterByName(nullptr, "third"), &f), D3D_OK);
    EXPECT_EQ(f, 0.0f);
    D3DXVECTOR4 v;
    effect->GetVector(effect->GetParameterByName(nullptr, "v"), &v);
    EXPECT_EQ(v, D3DXVECTOR4(0, 0, 0, 0));
}

TEST(D3DXEffectFile, TechniquesValidateAgainstTheDeviceAndDrawInTheJournal)
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.PixelShaderVersion = 0xFFFF0200u;
    D3D9Ref<IDirect3D9> adapter(CreateAdapter(profile));
    IDirect3DDevice9* made = nullptr;
    ASSERT_EQ(MakeWindowedDevice(*adapter, &made), D3D_OK);
    D3D9Ref<IDirect3DDevice9> device(made);
    D3D9Ref<ID3DXEffect> effect = ReadEffect(EffectFixture("full.fx"), device.get());
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(0)), E_FAIL);  // ps_3_0 on a 2.0 device
    EXPECT_EQ(effect->ValidateTechnique(effect->GetTechnique(1)), D3D_OK);

    D3D9Journal& journal = device->GetJournal();
    journal.Clear();
    uint32_t passes = 0;
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);  // not drawing
    ASSERT_EQ(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE), D3D_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(effect->SetTechnique(effect->GetTechnique(1)), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->BeginPass(2), D3DERR_INVALIDCALL);
    ASSERT_EQ(effect->BeginPass(1), D3D_OK);
    EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);  // a pass is open
    EXPECT_EQ(effect->CommitChanges(), D3D_OK);
    EXPECT_EQ(effect->EndPass(), D3D_OK);
    EXPECT_EQ(effect->End(), D3D_OK);
    EXPECT_EQ(journal.Count(D3D9Op::EffectBegin), 1);
    EXPECT_EQ(journal.Last(D3D9Op::EffectBegin)->Arg(1), D3DXFX_DONOTSAVESTATE);
    EXPECT_EQ(journal.Count(D3D9Op::EffectBeginPass), 3);
    EXPECT_EQ(journal.Count(D3D9Op::EffectCommitChanges), 1);
    EXPECT_EQ(journal.Count(D3D9Op::EffectEndPass), 1);
    EXPECT_EQ(journal.Count(D3D9Op::EffectEnd), 2);
    EXPECT_EQ(effect->GetCommitCount(), 1u);
}
