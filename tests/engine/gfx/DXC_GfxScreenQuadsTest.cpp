// DXC_GfxScreenQuadsTest: screen quads read back from the texture's quad buffer (corners, turn,
// depths and 1/w), the states a quad draw restores, rectangles, lines and circles as the device
// draws them, screen effects and the effect parameter update, video sources and the narrow
// printf entry points.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_VertexList.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace {

// A 32 x 32 texture with its hot spot in the middle, current on the fixture's device, drawn
// inside a scene.
class DXC_GfxScreenQuads : public ::testing::Test {
protected:
    DXC_GfxScreenQuads()
    {
        texture.SelectStage(0);
        gfx.CreateTexture(&texture, 32, 32, 4, -1, 1);
        texture.SelectStage(0, 1);
        texture.SetCenter(16, 16);
        gfx.SetMaterialStages(&texture, -1);
        gfx.BeginScene();
    }
    ~DXC_GfxScreenQuads() override
    {
        gfx.EndScene();
        gfx.currentTexture = nullptr;
    }
    std::array<DXC_TLVertex, 4> Quad()
    {
        std::array<DXC_TLVertex, 4> out{};
        void* data = nullptr;
        texture.quadBuffer->Lock(0, 0, &data, 0);
        std::memcpy(out.data(), data, sizeof(out));
        texture.quadBuffer->Unlock();
        return out;
    }
    const D3D9Call* LastDraw() { return journal.Last(D3D9Op::DrawPrimitive); }

    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    D3D9Journal& journal = client.Journal();
    DXC_Texture texture;
};

}  // namespace

// Corners 0 to 3 are (left, bottom), (left, top), (right, bottom), (right, top) around the hot
// spot, a quarter pixel up and left, the far side 0.02 short; depth 0 gives 1/w = 1.
TEST_F(DXC_GfxScreenQuads, QuadCornersAroundTheHotSpot)
{
    ASSERT_EQ(gfx.DrawTexture(100, 100, 0x80FF0000u, 0.0f, 1.0f, 0.0f), 1);
    const auto q = Quad();
    const float expected[4][2] = {{83.75f, 115.73f}, {83.75f, 83.75f}, {115.73f, 115.73f}, {115.73f, 83.75f}};
    for (int v = 0; v < 4; v++) {
        EXPECT_NEAR(q[v].x, expected[v][0], 1e-4) << v;
        EXPECT_NEAR(q[v].y, expected[v][1], 1e-4) << v;
        EXPECT_EQ(q[v].diffuse, 0x80FF0000u);
        EXPECT_EQ(q[v].highlight, 0xFF000000u);
        EXPECT_EQ(q[v].rhw, 1.0f);
    }
    EXPECT_EQ(q[0].z, 0.0f);
    EXPECT_EQ(q[1].z, 1.0f);
    const D3D9Call* draw = LastDraw();
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->Arg(0), D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(draw->Arg(2), 2u);

    // A quarter turn counter-clockwise: the right side goes up.
    ASSERT_EQ(gfx.DrawTexture(100, 100, 0xFFFFFFFFu, float(M_PI / 2), 2.0f, 0.5f), 1);
    const auto turned = Quad();
    EXPECT_NEAR(turned[3].x, 100 - 32 - 0.25f, 1e-3);  // (right, top) = (31.98, -32) turned
    EXPECT_NEAR(turned[3].y, 100 - 31.98f - 0.25f, 1e-3);
    EXPECT_NEAR(turned[3].rhw, 1.0f, 0.0f);
}

TEST_F(DXC_GfxScreenQuads, UniformQuadAndFillScreen)
{
    const int32_t rect[4] = {10, 20, 50, 60};
    const float z[4] = {0.5f, 0.0f, 0.25f, 1.0f};
    ASSERT_EQ(gfx.DrawTextureQuadUniform(rect, 0xFF00FF00u, z), 1);
    const auto q = Quad();
    const float expected[4][2] = {{9.75f, 59.75f}, {9.75f, 19.75f}, {49.75f, 59.75f}, {49.75f, 19.75f}};
    const float rhw[4] = {2.0f, 1.0f, 4.0f, 1.0f};
    for (int v = 0; v < 4; v++) {
        EXPECT_EQ(q[v].x, expected[v][0]);
        EXPECT_EQ(q[v].y, expected[v][1]);
        EXPECT_EQ(q[v].z, z[v]);
        EXPECT_EQ(q[v].rhw, rhw[v]) << v;
    }

    gfx.FillScreen(0xFFFFFFFFu, 0.0f);  // the window's client area
    EXPECT_EQ(Quad()[3].x, 1024 - 0.25f);
    EXPECT_EQ(Quad()[0].y, 768 - 0.25f);

    DXC_Texture target;  // rendering into a smaller texture fills that texture only
    target.SetSize(512, 256);
    gfx.states.renderTargetTexture = &target;
    gfx.FillScreen(0xFFFFFFFFu, 0.0f);
    gfx.states.renderTargetTexture = nullptr;
    EXPECT_EQ(Quad()[3].x, 512 - 0.25f);
    EXPECT_EQ(Quad()[0].y, 256 - 0.25f);
}

// The draw turns culling off and clamps (or wraps) stage 0, then puts both back; a depth-test
// pause ends with the last counted quad.
TEST_F(DXC_GfxScreenQuads, QuadDrawRestoresItsStates)
{
    EXPECT_EQ(DxcErrorOf([&] {
                  gfx.currentTexture = nullptr;
                  gfx.DrawTexture(0, 0);
              }),
              "No texture set");
    gfx.SetMaterialStages(&texture, -1);
    gfx.SetCullMode(1);
    gfx.SetTextureAddress(D3DTADDRESS_MIRROR, 0);
    gfx.DrawTexture(0, 0);
    IDirect3DDevice9& device = client.Device();
    EXPECT_EQ(RenderStateOf(device, D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(SamplerStateOf(device, 0, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_MIRROR));
    EXPECT_EQ(SamplerStateOf(device, 0, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_MIRROR));
    bool clamped = false;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetSamplerState))
        clamped |= call.Arg(1) == D3DSAMP_ADDRESSU && call.Arg(2) == D3DTADDRESS_CLAMP;
    EXPECT_TRUE(clamped);

    const DWORD zOn = RenderStateOf(device, D3DRS_ZENABLE);
    ASSERT_NE(zOn, DWORD(D3DZB_FALSE));
    gfx.SuspendDepthTestForQuads(2);
    gfx.DrawTexture(0, 0);
    EXPECT_EQ(RenderStateOf(device, D3DRS_ZENABLE), DWORD(D3DZB_FALSE));
    gfx.DrawTexture(0, 0);
    EXPECT_EQ(RenderStateOf(device, D3DRS_ZENABLE), zOn);
}

TEST_F(DXC_GfxScreenQuads, RectanglesLinesAndCircles)
{
    struct Case {
        std::function<void()> draw;
        uint32_t type, primitives;
    };
    const Case cases[] = {
        {[&] { gfx.DrawRectangle(0, 0, 10, 10, 0xFFFFFFFFu, true, 0.0f); }, D3DPT_TRIANGLELIST, 2},
        {[&] { gfx.DrawRectangle(0, 0, 10, 10, 0xFFFFFFFFu, false, 0.0f); }, D3DPT_LINELIST, 4},
        {[&] { gfx.DrawLine2D(0, 0, 10, 10, 0xFFFFFFFFu, 0.0f); }, D3DPT_LINELIST, 1},
        {[&] { gfx.DrawLine3D(0, 0, 0, 1, 2, 3, 0xFFFFFFFFu); }, D3DPT_LINELIST, 1},
        {[&] { gfx.DrawCircle3D({0, 0, 0}, {0, 1, 0}, 2.0f, 0xFFFFFFFFu, 16); }, D3DPT_LINESTRIP, 16},
        {[&] { gfx.DrawCircle3D({0, 0, 0}, {0, 0, 1}, 2.0f, 0xFFFFFFFFu, 100000); }, D3DPT_LINESTRIP,
         uint32_t(DXC_Gfx::kImmediateVertices - 1)},
    };
    for (const Case& c : cases) {
        c.draw();
        const D3D9Call* draw = LastDraw();
        ASSERT_NE(draw, nullptr);
        EXPECT_EQ(draw->Arg(0), c.type);
        EXPECT_EQ(draw->Arg(2), c.primitives);
    }
    // The circle's points lie at its radius around the axis.
    auto& list = gfx.GetVertexLists().world[0];
    gfx.DrawCircle3D({1, 1, 1}, {0, 1, 0}, 2.0f, 0xFFFFFFFFu, 8);
    list.Lock(0, 9, 0);
    for (int i = 0; i < 9; i++) {
        const DXC_LVertex& v = list.Vertices()[i];
        EXPECT_NEAR(std::hypot(v.x - 1, v.z - 1), 2.0f, 1e-5);
        EXPECT_NEAR(v.y, 1.0f, 1e-5);
    }
    list.Unlock();
}

TEST_F(DXC_GfxScreenQuads, VideoSources)
{
    EXPECT_EQ(DxcErrorOf([&] { gfx.UpdateVideoSource(16); }), "Invalid video source nurber in UpdateVideoSource(): 16");
    EXPECT_EQ(DxcErrorOf([&] { gfx.UpdateVideoSource(-1); }), "Invalid video source nurber in UpdateVideoSource(): -1");
    EXPECT_EQ(DxcErrorOf([&] { gfx.UpdateVideoSource(3); }), "No video source update function set for source 3");
    DXC_VideoSource& source = gfx.GetVideoSource(3);
    source.texture = texture.currentTexture;
    int32_t seen[2] = {0, 0};
    source.update = [&](DXC_Surface& frame) {
        frame.GetSize(seen[0], seen[1]);
        ASSERT_EQ(frame.Lock(nullptr, 0), 1);
        frame.Unlock();
    };
    EXPECT_EQ(gfx.UpdateVideoSource(3), 1);
    EXPECT_EQ(seen[0], 32);
    EXPECT_EQ(seen[1], 32);
    source.texture = nullptr;
    source.update = nullptr;
}

// With caching on, a second update of the same effect sends nothing until a mesh is drawn; the
// screen pass leaves the viewport and the transforms as they were.
TEST_F(DXC_GfxScreenQuads, EffectParametersAndScreenPass)
{
    TempDir dir;
    const std::string text = "float r : RANDOM; float t : GAMETIME; float4 d : INVVIEWPORTDIM;\n"
                             "float4 vsMain(float4 p : POSITION) : POSITION { return p; }\n"
                             "technique T { pass { VertexShader = compile vs_2_0 vsMain(); } }\n";
    const std::string path = dir / "screen.fx";
    TempDir::WriteAll(path, std::vector<uint8_t>(text.begin(), text.end()));
    DXC_ShaderEffect effect;
    ASSERT_EQ(gfx.LoadEffect(&effect, path.c_str(), 0, false, true), 1);
    ASSERT_TRUE(effect.IsValid());
    ID3DXEffect& fx = *effect.effect->effect;
    auto floatOf = [&](const char* name) {
        float value = -7.0f;
        fx.GetFloat(effect.GetParameterByName(name), &value);
        return value;
    };
    gfx.SetTimeCallback([] { return 42.5f; });
    gfx.effectCaching = 1;
    gfx.UpdateEffectParameters(&effect);
    EXPECT_EQ(floatOf("t"), 42.5f);
    fx.SetFloat(effect.GetParameterByName("r"), -3.0f);
    gfx.UpdateEffectParameters(&effect);
    EXPECT_EQ(floatOf("r"), -3.0f);
    gfx.meshCounter++;
    gfx.UpdateEffectParameters(&effect);
    EXPECT_GE(floatOf("r"), 0.0f);
    gfx.SetTimeCallback(nullptr);

    gfx.SetViewPort(10, 20, 110, 220, 0.0f, 1.0f);
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 1, 2, 3);
    gfx.SetViewMatrix(view);
    const int32_t drawsBefore = journal.Count(D3D9Op::DrawPrimitive);
    const int32_t viewportsBefore = journal.Count(D3D9Op::SetViewport);
    EXPECT_EQ(gfx.RenderScreenEffect(nullptr), 0);  // no default effect
    EXPECT_EQ(gfx.RenderScreenEffect(&effect), 1);
    EXPECT_EQ(journal.Count(D3D9Op::DrawPrimitive), drawsBefore + 1);
    EXPECT_EQ(journal.Count(D3D9Op::SetViewport), viewportsBefore + 2);  // the whole screen, then back
    int32_t rect[4];
    gfx.GetViewportRect(rect);
    EXPECT_EQ(rect[0], 10);
    EXPECT_EQ(rect[3], 220);
    D3DXMATRIX after;
    gfx.GetViewMatrix(after);
    EXPECT_EQ(after, view);
    EXPECT_EQ(gfx.activeEffect, nullptr);
}

TEST_F(DXC_GfxScreenQuads, NarrowPrintfMatchesTheWideForm)
{
    POINT narrow{}, wide{};
    gfx.GetPrintfSize(narrow, "%s %i", "score", 1234);
    gfx.GetTextExtentW(wide, 0, u"score 1234");
    EXPECT_EQ(narrow.x, wide.x);
    EXPECT_EQ(narrow.y, wide.y);
    EXPECT_GT(narrow.x, 0);
    const std::string tooLong(DXC_Gfx::kNarrowTextBytes + 5, 'a');
    EXPECT_EQ(gfx.Printf(0, 0, "%s", tooLong.c_str()), 1);  // cut, with a warning
    EXPECT_EQ(gfx.PrintfRight(POINT{100, 0}, "%d", 5), 1);
    EXPECT_EQ(gfx.PrintfCentered(POINT{100, 0}, "%d", 5), 1);
}

// A sprite facing the screen sits on its projected point at half the size twice as deep; one in
// the world is a strip of two triangles; behind the camera or past the far plane nothing draws.
TEST_F(DXC_GfxScreenQuads, SpritesAtWorldPositions)
{
    gfx.SetViewPort(0, 0, 800, 600, 0.0f, 1.0f);
    gfx.SetPerspective(1.0f, 1000.0f, 1.5f, -1.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    gfx.SetViewMatrix(identity);
    float widths[2] = {};
    for (int32_t i = 0; i < 2; i++) {
        ASSERT_EQ(gfx.DrawSprite3D(&texture, {0, 0, 10.0f * float(i + 1)}, 4.0f, 0xFFFFFFFFu, 0), 1);
        const auto q = Quad();
        widths[i] = q[2].x - q[0].x;
        EXPECT_NEAR((q[0].x + q[2].x) * 0.5f, 400.0f, 1.0f);
        EXPECT_NEAR((q[0].y + q[1].y) * 0.5f, 300.0f, 1.0f);
        EXPECT_GT(q[0].z, 0.0f);
        EXPECT_LT(q[0].z, 1.0f);
    }
    EXPECT_GT(widths[1], 4.0f);
    EXPECT_NEAR(widths[0] / widths[1], 2.0f, 0.1f);

    ASSERT_EQ(gfx.DrawSprite3D(&texture, {1, 2, 10}, 4.0f, 0xFFFFFFFFu, DXC_Gfx::kSpriteInWorld), 1);
    const D3D9Call* draw = LastDraw();
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->Arg(0), D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(draw->Arg(2), 2u);

    const int32_t draws = journal.Count(D3D9Op::DrawPrimitive);
    for (const D3DXVECTOR3& p : {D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 2000)})
        for (int32_t options : {0, DXC_Gfx::kSpriteInWorld})
            EXPECT_EQ(gfx.DrawSprite3D(&texture, p, 4.0f, 0xFFFFFFFFu, options), 0) << p.z;
    EXPECT_EQ(gfx.DrawSprite3D(nullptr, {0, 0, 10}, 4.0f, 0xFFFFFFFFu, 0), 0);
    EXPECT_EQ(journal.Count(D3D9Op::DrawPrimitive), draws);
}
