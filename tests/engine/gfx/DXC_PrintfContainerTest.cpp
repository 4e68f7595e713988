// DXC_PrintfContainer: the option stack, the markup, wrapping, alignment and the cursor of the
// layout, and the glyph quads that reach the stand-in's vertex buffer: coordinates, batches, fade,
// the cursor glyph and the lines skipped above the area.
#include "engine/gfx/DXC_PrintfContainer.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/TenPixelFont.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The block as text: entities joined by "+", lines by "/".
std::string Describe(const PrintfTextBlock& block)
{
    std::string out;
    for (size_t l = 0; l < block.lines.size(); l++) {
        out += l ? "/" : "";
        for (size_t e = 0; e < block.lines[l].entities.size(); e++) {
            const PrintfEntity& entity = block.lines[l].entities[e];
            if (entity.text.empty() && entity.kind != 2)
                continue;
            out += e && !out.empty() && out.back() != '/' ? "+" : "";
            out += entity.kind == 2 ? std::string("#") : String(entity.text.c_str()).c_str();
        }
    }
    return out;
}

struct Vertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

// The vertices of the last batch drawn: the quads in the buffer bound to stream 0.
std::vector<Vertex> LastBatch(IDirect3DDevice9& device)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    uint32_t offset = 0, stride = 0;
    device.GetStreamSource(0, &buffer, &offset, &stride);
    std::vector<Vertex> vertices;
    if (!buffer)
        return vertices;
    buffer->Release();
    const D3D9Call* draw = device.GetJournal().Last(D3D9Op::DrawPrimitive);
    const uint32_t count = draw ? draw->Arg(2) * 3 : 0;
    EXPECT_EQ(stride, sizeof(Vertex));
    vertices.resize(count);
    std::memcpy(vertices.data(), buffer->GetBytes().data(), count * sizeof(Vertex));
    return vertices;
}

std::vector<uint32_t> PrimitivesPerDraw(D3D9Journal& journal)
{
    std::vector<uint32_t> counts;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawPrimitive))
        counts.push_back(call.Arg(2));
    return counts;
}

class PrintfContainerTest : public ::testing::Test {
protected:
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_PrintfContainer& container = gfx.GetPrintfContainer();

    void SetUp() override { gfx.BeginScene(); }
    void TearDown() override { gfx.EndScene(); }
};

}  // namespace

TEST_F(PrintfContainerTest, OptionStack)
{
    DXC_PrintfOptions options;
    options.alignment = 4;
    options.maxWidth = 77;
    container.SetOptions(options);
    container.RestoreOptions();  // nothing saved: nothing changes
    EXPECT_EQ(container.GetOptions().maxWidth, 77);
    for (int32_t i = 0; i < 8; i++) {
        EXPECT_EQ(container.SaveOptions(), i);
        options.maxWidth = i;
        container.SetOptions(options);
    }
    EXPECT_EQ(DxcErrorOf([&] { container.SaveOptions(); }), "SaveOptions() stack overflow");
    for (int32_t i = 0; i < 8; i++)
        container.RestoreOptions();
    EXPECT_EQ(container.GetOptions().maxWidth, 77);
    EXPECT_EQ(container.GetSavedCount(), 0);
}

TEST_F(PrintfContainerTest, Markup)
{
    DXC_Font font;
    MakeTenPixelFont(gfx, font);
    struct Case {
        const char16_t* text;
        const char* laidOut;
    } cases[] = {
        {u"AB||C", "AB|C"},
        {u"A|QB", "A|QB"},
        {u"A|S1xB", "AxB"},  // not a digit: the code ends, the character is text
        {u"AB|C12", "AB"},   // cut by the end of the text
        {u"A|NB", "A/B"},
        {u"|cF00R|C00ff00G", "R+G"},
        {u"|i'nothing'", "<not +found:'nothing'>"},
        {u"|i''A|i'open", "''A'open"},  // no name, no closing quote: the code is dropped
    };
    for (const Case& c : cases) {
        container.SetText(c.text);
        EXPECT_EQ(Describe(container.GetOwnBlock()), c.laidOut) << String(c.text).c_str();
    }

    container.SetText(u"|cF00R|C00FF00G|S1520X|RY|s25Z");
    const std::vector<PrintfEntity>& words = container.GetOwnBlock().lines[0].entities;
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(words[0].color, 0xFFFF0000u);
    EXPECT_EQ(words[1].color, 0xFF00FF00u);
    EXPECT_EQ(words[2].xScale, 1.5f);
    EXPECT_EQ(words[2].yScale, 2.0f);
    EXPECT_EQ(words[2].width, 15.0f);
    EXPECT_EQ(container.GetOwnBlock().lines[0].height, 25.0f);  // the tallest glyph
    EXPECT_EQ(words[3].color, 0xFFFFFFFFu);  // reset to the start
    EXPECT_EQ(words[3].xScale, 1.0f);
    EXPECT_EQ(words[4].xScale, 2.5f);

    // Offsets move the next word right.
    container.SetText(u"A|p05B |P100C");
    const std::vector<PrintfEntity>& moved = container.GetOwnBlock().lines[0].entities;
    EXPECT_EQ(moved[1].x, 15.0f);
    EXPECT_EQ(moved[2].x, 135.0f);  // after "B " and 100 more

    // A picture of the catalogue is a word of its own, half its size; the line grows to it.
    gfx.GetTextureCatalogue().AddTexture("pic", "missing.png", 1, 1);  // shows as a 4 x 4 grey square
    container.SetText(u"A|s50|i'pic'B");
    EXPECT_EQ(Describe(container.GetOwnBlock()), "A+#+B");
    const PrintfEntity& picture = container.GetOwnBlock().lines[0].entities[1];
    EXPECT_EQ(picture.x, 10.0f);
    EXPECT_EQ(picture.width, 10.0f);  // 4 / 2 x 5
    EXPECT_EQ(container.GetOwnBlock().lines[0].height, 50.0f);  // "B" at scale 5 is taller

    // A picture file outside the catalogue is loaded once into the container's own cache.
    const std::string file = std::string(FixtureRoot()) + "/fuzz/DdsImage/argb.png";
    const std::u16string named = u"|i'" + std::u16string(file.begin(), file.end()) + u"'";
    container.SetText(named.c_str());
    const DXC_Texture* loaded = container.GetOwnBlock().lines[0].entities[0].image;
    ASSERT_NE(loaded, nullptr);
    EXPECT_GT(loaded->pixelWidth, 0);
    container.SetText(named.c_str());
    EXPECT_EQ(container.GetOwnBlock().lines[0].entities[0].image, loaded);
    // One the loader refuses shows as missing; the text goes on.
    const std::string broken = std::string(FixtureRoot()) + "/level/wallmesh/stone.tga";
    container.SetText((u"|i'" + std::u16string(broken.begin(), broken.end()) + u"'A").c_str());
    EXPECT_EQ(Describe(container.GetOwnBlock()), "<not +found:'" + broken + "'>A");

    // Markup off: "|" is a character like any other.
    DXC_PrintfOptions options;
    options.markup = 0;
    container.SetOptions(options);
    container.SetText(u"|cF00R");
    EXPECT_EQ(Describe(container.GetOwnBlock()), "|cF00R");
}

TEST_F(PrintfContainerTest, AlignmentAndWrapping)
{
    DXC_Font font;
    MakeTenPixelFont(gfx, font);
    DXC_PrintfOptions options;
    container.SetText(u"|ZAB");  // centred on the origin without a width
    EXPECT_EQ(container.GetOwnBlock().lines[0].x, -10.0f);

    options.maxWidth = 100;
    container.SetOptions(options);
    container.SetText(u"|ZAB");
    EXPECT_EQ(container.GetOwnBlock().lines[0].x, 40.0f);
    const RECT right = container.SetText(u"|TAB");
    EXPECT_EQ(container.GetOwnBlock().lines[0].entities[0].x, 80.0f);
    EXPECT_EQ(right.left, 80);
    EXPECT_EQ(right.right, 100);

    // Justified: the gaps grow alike and the last word ends at the width; the last line and a
    // line before a new paragraph stay as they are.
    options.maxWidth = 95;
    options.wrap = 1;
    container.SetOptions(options);
    container.SetText(u"|JAA BB CC DD");
    const PrintfTextBlock& block = container.GetOwnBlock();
    EXPECT_EQ(Describe(block), "AA +BB +CC/DD");
    const std::vector<PrintfEntity>& first = block.lines[0].entities;
    EXPECT_EQ(first[0].x, 0.0f);
    EXPECT_EQ(first[1].x - first[0].End(), 7.5f);
    EXPECT_EQ(first[2].x - first[1].End(), 7.5f);
    EXPECT_EQ(first[2].End(), 95.0f);
    EXPECT_EQ(block.lines[1].entities[0].x, 0.0f);
    container.SetText(u"|JAA BB|NCC DD");
    EXPECT_EQ(block.lines[0].entities[1].x, 30.0f);

    struct Case {
        int32_t wholeWords;
        const char16_t* text;
        const char* laidOut;
    } cases[] = {
        {1, u"AB CDEFG", "AB /CDEFG"},             // the word that does not fit moves
        {0, u"AB CDEFG", "AB +CD/EFG"},            // or breaks where the line ends
        {1, u"ABCDEFGHIJKL", "ABCDE/FGHIJ/KL"},    // a word alone on its line breaks anyway
        {1, u"AB CD   E", "AB +CD   /E"},          // spaces hang past the edge
    };
    options.alignment = 0;
    options.maxWidth = 55;
    for (const Case& c : cases) {
        options.wholeWords = c.wholeWords;
        container.SetOptions(options);
        container.SetText(c.text);
        EXPECT_EQ(Describe(block), c.laidOut) << String(c.text).c_str();
    }

    // A cursor inside a word that moves goes along with it.
    options.wholeWords = 1;
    options.maxWidth = 55;
    options.cursorIndex = 4;  // after "AB C"
    container.SetOptions(options);
    container.SetText(u"AB CDEFG");
    EXPECT_EQ(Describe(block), "AB /CDEFG");
    EXPECT_EQ((std::vector<int32_t>{block.cursorLine, block.cursorEntity, block.cursorChar}),
              (std::vector<int32_t>{1, 0, 1}));
}

TEST_F(PrintfContainerTest, GlyphQuads)
{
    DXC_Font& font = *gfx.GetFont();  // the built-in one
    PrintfTextBlock block;
    RECT covered;
    gfx.LayoutText(covered, block, u"A");
    EXPECT_EQ(covered.right - covered.left, 6);
    fixture.Journal().Clear();
    gfx.RenderTextBlock(10, 20, 0.6f, 0.4f, block);
    EXPECT_EQ(PrimitivesPerDraw(fixture.Journal()), std::vector<uint32_t>{2});
    const std::vector<Vertex> quad = LastBatch(fixture.Device());
    ASSERT_EQ(quad.size(), 6u);
    // Snapped to whole pixels minus a quarter; the texture rectangle inset by 0.01 and shrunk by
    // 0.02 texels of the 128 x 32 texture.
    EXPECT_EQ(quad[0].x, 10.75f);
    EXPECT_EQ(quad[0].y, 19.75f);
    EXPECT_EQ(quad[4].x, 15.75f);
    EXPECT_EQ(quad[4].y, 24.75f);
    EXPECT_FLOAT_EQ(quad[0].u, 72.01f / 128.0f);
    EXPECT_FLOAT_EQ(quad[0].v, 6.01f / 32.0f);
    EXPECT_FLOAT_EQ(quad[4].u, 76.99f / 128.0f);
    EXPECT_FLOAT_EQ(quad[4].v, 10.99f / 32.0f);
    EXPECT_EQ(quad[0].color, 0xFFFFFFFFu);
    EXPECT_EQ(font.GetTexture()->currentTexture, BoundTextureOf(fixture.Device(), 0));
    EXPECT_EQ(SamplerStateOf(fixture.Device(), 0, D3DSAMP_MAGFILTER), D3DTEXF_POINT);

    // 300 characters: a batch of 256 quads and one of 44.
    std::u16string lines;
    for (int i = 0; i < 10; i++)
        lines += u"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n";
    fixture.Journal().Clear();
    gfx.PrintfW(0, 0, u"%s", lines.c_str());
    EXPECT_EQ(PrimitivesPerDraw(fixture.Journal()), (std::vector<uint32_t>{512, 88}));
    EXPECT_EQ(container.GetQuadsDrawn(), 301);
}

TEST_F(PrintfContainerTest, FadeCursorAndClipping)
{
    // Fade from 1 to 3 characters: 1, 0.75, 0.25, then hidden.
    PrintfTextBlock block;
    RECT covered;
    gfx.LayoutText(covered, block, u"ABCD");
    block.SetFadeRange(1.0f, 3.0f);
    block.SetFadeCounter(0);
    gfx.RenderTextBlock(0, 0, 0.0f, 0.0f, block);
    std::vector<Vertex> quads = LastBatch(fixture.Device());
    ASSERT_EQ(quads.size(), 18u);
    EXPECT_EQ(quads[0].color >> 24, 255u);
    EXPECT_EQ(quads[6].color >> 24, 191u);
    EXPECT_EQ(quads[12].color >> 24, 64u);

    // The cursor after one character: an extra "_" a tenth of a glyph left and down.
    DXC_PrintfOptions options;
    options.cursorIndex = 1;
    gfx.SetPrintfOptions(options);
    gfx.PrintfW(100, 100, u"AB");
    quads = LastBatch(fixture.Device());
    ASSERT_EQ(quads.size(), 18u);
    EXPECT_EQ(quads[6].x, 105.75f);  // 106 - 0.5, snapped
    EXPECT_EQ(quads[6].y, 100.75f);
    EXPECT_FLOAT_EQ(quads[6].v, 18.01f / 32.0f);  // "_" lies in the fourth row of cells
    EXPECT_EQ(quads[12].x, 105.75f);  // "B"
    gfx.SetPrintfOptions(DXC_PrintfOptions());

    // Thirty lines drawn from y -100: the sixteen whose bottom lies above the screen are skipped.
    std::u16string lines;
    for (int i = 0; i < 30; i++)
        lines += u"A\n";
    fixture.Journal().Clear();
    gfx.PrintfW(0, -100, u"%s", lines.c_str());
    quads = LastBatch(fixture.Device());
    ASSERT_EQ(quads.size(), 14u * 6);
    EXPECT_EQ(quads[0].y, -4.25f);

    // A rectangle clips to its size and leaves the caller's options as they were.
    options = DXC_PrintfOptions();
    options.alignment = 4;
    options.maxWidth = 33;
    gfx.SetPrintfOptions(options);
    gfx.PrintfCenteredInRectW(POINT{0, 0}, RECT{0, 0, 12, 6}, u"AAAA");
    quads = LastBatch(fixture.Device());
    EXPECT_EQ(quads.size(), 12u);  // two of the four fit the 12 pixels
    DXC_PrintfOptions after;
    gfx.GetPrintfOptions(after);
    EXPECT_EQ(after.alignment, 4);
    EXPECT_EQ(after.maxWidth, 33);
    EXPECT_EQ(after.fixedCorner, 0);
}
