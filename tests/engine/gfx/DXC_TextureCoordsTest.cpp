// DXC_TextureCoordsTest: the coordinate frame of a texture's screen quad (source rectangles,
// flips, quarter turns, the area it covers) and the quad's vertex buffer.
#include "engine/gfx/DXC_Texture.h"

#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9MemoryBuffer.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct Frame {
    float origin[2], xAxis[2], yAxis[2];
};

Frame FrameOf(const DXC_Texture& texture)
{
    Frame f;
    texture.GetTexCoords(f.origin, f.xAxis, f.yAxis);
    return f;
}

void ExpectFrame(const DXC_Texture& texture, const Frame& expected, const char* what)
{
    const Frame f = FrameOf(texture);
    for (int i = 0; i < 2; i++) {
        EXPECT_NEAR(f.origin[i], expected.origin[i], 1e-6f) << what;
        EXPECT_NEAR(f.xAxis[i], expected.xAxis[i], 1e-6f) << what;
        EXPECT_NEAR(f.yAxis[i], expected.yAxis[i], 1e-6f) << what;
    }
}

void SizeOnly(DXC_Texture& texture, int32_t width, int32_t height)
{
    texture.pixelWidth = width;
    texture.pixelHeight = height;
}

}  // namespace

TEST(DXC_TextureCoords, SourceRectangles)
{
    struct Case {
        float x1, y1, x2, y2;
        bool swap;
        Frame frame;
        int32_t rect[4];
    } cases[] = {
        {0, 0, 32, 32, false, {{0.00390625f, 0.00390625f}, {0.4996875f, 0}, {0, 0.4996875f}}, {0, 0, 32, 32}},
        // backwards from the far corner
        {32, 32, 0, 0, false, {{31.75f / 64, 31.75f / 64}, {-31.98f / 64, 0}, {0, -31.98f / 64}}, {32, 32, 0, 0}},
        {0, 0, 64, 32, true, {{0.25f / 64, 0.25f / 64}, {0, 31.98f / 64}, {63.98f / 64, 0}}, {0, 0, 64, 32}},
    };
    for (const Case& c : cases) {
        DXC_Texture texture;
        SizeOnly(texture, 64, 64);
        texture.quadStale = 0;
        texture.SetSourceRect(c.x1, c.y1, c.x2, c.y2, true, c.swap);
        ExpectFrame(texture, c.frame, "source rectangle");
        EXPECT_EQ(texture.quadStale, 1);
        int32_t rect[4];
        texture.GetRect(rect);
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(rect[i], c.rect[i]) << c.x1 << " " << c.x2 << " corner " << i;
        float w = 0, h = 0;
        texture.GetDrawSize(w, h);
        EXPECT_EQ(w, std::fabs(c.x2 - c.x1));
        EXPECT_EQ(h, std::fabs(c.y2 - c.y1));
    }
    DXC_Texture texture;
    SizeOnly(texture, 64, 64);
    texture.drawWidth = 20.6f;
    texture.drawHeight = 10.4f;
    int32_t w = 0, h = 0;
    texture.GetDrawSizeInt(w, h);
    EXPECT_EQ(w, 20);  // truncated
    EXPECT_EQ(h, 10);
    texture.SetFullSourceRect();  // rounded to (0, 0, 21, 10)
    int32_t rect[4];
    texture.GetRect(rect);
    EXPECT_EQ(rect[2], 21);
    EXPECT_EQ(rect[3], 10);
}

TEST(DXC_TextureCoords, FlipsAndTurnsComeBack)
{
    DXC_Texture texture;
    SizeOnly(texture, 64, 32);  // not square: turns work in texels
    texture.SetSourceRect(8, 4, 24, 20, false, false);
    const Frame start = FrameOf(texture);

    texture.FlipHorizontal();
    EXPECT_LT(FrameOf(texture).xAxis[0], 0.0f);
    texture.FlipHorizontal();
    ExpectFrame(texture, start, "two horizontal flips");
    texture.FlipVertical();
    EXPECT_LT(FrameOf(texture).yAxis[1], 0.0f);
    texture.FlipVertical();
    ExpectFrame(texture, start, "two vertical flips");

    texture.Rotate90(true);
    const Frame turned = FrameOf(texture);
    EXPECT_NEAR(turned.xAxis[1], start.yAxis[1], 1e-6f);  // the new x axis is the old y axis
    EXPECT_NEAR(turned.yAxis[0], -start.xAxis[0], 1e-6f);
    for (int i = 0; i < 3; i++)
        texture.Rotate90(true);
    ExpectFrame(texture, start, "four clockwise turns");
    for (int i = 0; i < 4; i++)
        texture.Rotate90(false);
    ExpectFrame(texture, start, "four counter-clockwise turns");
    texture.Rotate90(true);
    texture.Rotate90(false);
    ExpectFrame(texture, start, "a turn and its reverse");
}

TEST(DXC_TextureCoords, QuadBufferHoldsTheFourCorners)
{
    DeviceGfx fixture;
    DXC_Texture texture;
    fixture.Gfx().CreateTexture(&texture, 64, 64, 4, D3DFMT_A8R8G8B8, 1);
    texture.SetTexCoords(0.25f, 0.5f, 0.5f, 0.0f, 0.0f, 0.25f);
    texture.UpdateQuad();
    EXPECT_EQ(texture.quadStale, 0);
    IDirect3DVertexBuffer9* quad = texture.GetQuadBuffer();
    ASSERT_NE(quad, nullptr);
    D3DVERTEXBUFFER_DESC desc;
    quad->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 128u);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(quad->GetFVF(), DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1));
    const float expected[4][2] = {{0.25f, 0.75f}, {0.25f, 0.5f}, {0.75f, 0.75f}, {0.75f, 0.5f}};
    for (int v = 0; v < 4; v++) {
        float uv[2];
        std::memcpy(uv, quad->GetBytes().data() + 32 * v + 24, sizeof(uv));
        EXPECT_EQ(uv[0], expected[v][0]) << "vertex " << v;
        EXPECT_EQ(uv[1], expected[v][1]) << "vertex " << v;
    }
    fixture.Journal().FailNext(D3D9Op::CreateVertexBuffer, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(DxcErrorOf([&] { texture.CreateQuadBuffer(); }), "CreateVertexBuffer failed: D3DERR_OUTOFVIDEOMEMORY");
}
