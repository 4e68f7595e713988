// DXC_Font: the built-in pixel font read back from its texture, the character map, the glyph
// queries, copies and the charset filter.
#include "engine/gfx/DXC_Font.h"

#include "engine/gfx/DXC_Texture.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The glyph's 5 x 5 pixels as rows of "X" (opaque) and "." (transparent), from the locked texture.
std::string GlyphRows(DXC_Font& font, int32_t code)
{
    const DXC_GlyphRect* rect = font.GetGlyphRect(font.GlyphOf(code));
    DXC_Texture& texture = *font.GetTexture();
    texture.Lock(nullptr, 0);
    std::string rows;
    for (int32_t y = rect->top; y < rect->bottom; y++) {
        for (int32_t x = rect->left; x < rect->right; x++) {
            uint32_t color = 0;
            texture.GetPixel(x, y, color);
            rows += (color >> 24) >= 0xF0 ? 'X' : (color == 0 ? '.' : '?');  // 4-bit alpha reads 0xF0
        }
        rows += y + 1 < rect->bottom ? "/" : "";
    }
    texture.Unlock();
    return rows;
}

}  // namespace

TEST(DXC_FontTest, BuiltinFontFromItsTexture)
{
    DeviceGfx fixture;
    DXC_Font font;
    ASSERT_EQ(fixture.Gfx().CreateBuiltinFont(&font, 0xFF102030u, 0xFF102030u), 1);
    DXC_Texture& texture = *font.GetTexture();
    EXPECT_EQ(texture.pixelWidth, 128);
    EXPECT_EQ(texture.pixelHeight, 32);
    EXPECT_EQ(texture.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(GlyphRows(font, 'A'), ".XXX./X...X/XXXXX/X...X/X...X");
    EXPECT_EQ(GlyphRows(font, '0'), "XXXXX/X...X/X...X/X...X/XXXXX");
    EXPECT_EQ(GlyphRows(font, ' '), "...../...../...../...../.....");

    EXPECT_EQ(font.GetGlyph('A'), 33);
    const DXC_GlyphRect* a = font.GetGlyphRect(33);
    EXPECT_EQ((std::vector<int32_t>{a->left, a->top, a->right, a->bottom}), (std::vector<int32_t>{72, 6, 77, 11}));
    const DXC_GlyphRect* last = font.GetGlyphRect(font.GlyphOf('_'));
    EXPECT_EQ(last->top, 18);  // the 64th glyph opens a fourth row of cells
    EXPECT_EQ(font.GetGlyphAdvance(33), 6.0f);
    EXPECT_EQ(font.GetGlyphHeight(33), 6.0f);
    EXPECT_EQ(font.GetGlyphAdvance(64), 1.0f);  // past the glyphs: the base spacing

    // One colour at both corners: every marked pixel is exactly that colour, opaque.
    texture.Lock(nullptr, 0);
    uint32_t color = 0;
    texture.GetPixel(72 + 4, 6 + 4, color);  // A's bottom right
    EXPECT_EQ(color, 0xFF102030u);
    texture.Unlock();

    // Lower case has no glyph: it is filtered out; tab and line feed stay.
    wString text(u"Ab\tC\nd");
    font.FilterText(text);
    EXPECT_EQ(std::u16string(text.c_str()), u"A\tC\n");
    EXPECT_TRUE(font.CanDraw(10));
    EXPECT_FALSE(font.CanDraw('a'));
    EXPECT_TRUE(font.IsCapitalsOnly());

    // Released, it shows nothing at all, not even a line feed.
    font.Release();
    EXPECT_FALSE(font.CanDraw(10));
    EXPECT_FALSE(font.CanDraw('A'));
}

TEST(DXC_FontTest, RadialBlendAndFallbackFormat)
{
    // Colour A at the top left, B at the bottom right, each channel truncated.
    {
        DeviceGfx fixture;
        DXC_Font font;
        fixture.Gfx().CreateBuiltinFont(&font, 0xFF000000u, 0xFFC86400u);
        DXC_Texture& texture = *font.GetTexture();
        texture.Lock(nullptr, 0);
        uint32_t topLeft = 0, middle = 0, bottomRight = 0;
        texture.GetPixel(72 + 2, 6 + 0, topLeft);      // A, row 0 column 2: d = sqrt(4/32)
        texture.GetPixel(72 + 2, 6 + 2, middle);       // row 2 column 2: d = 0.5
        texture.GetPixel(72 + 4, 6 + 4, bottomRight);  // d = 1
        texture.Unlock();
        EXPECT_EQ(topLeft, 0xFF462300u);  // 200 x 0.3536 = 70.7, 100 x 0.3536 = 35.4
        EXPECT_EQ(middle, 0xFF643200u);
        EXPECT_EQ(bottomRight, 0xFFC86400u);
    }
    // An adapter without A8R8G8B8 textures: a warning and the 16-bit format.
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    std::erase_if(profile.formats, [](const D3D9FormatSupport& f) { return f.format == D3DFMT_A8R8G8B8; });
    DeviceGfx fixture(profile);
    LogCapture log;
    DXC_Font font;
    fixture.Gfx().CreateBuiltinFont(&font, 0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(log.Count("Texture format 21 mode 0 not supported by device"), 1) << log.Text();
    EXPECT_EQ(font.GetTexture()->format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(GlyphRows(font, 'A'), ".XXX./X...X/XXXXX/X...X/X...X");
}

TEST(DXC_FontTest, CharacterMapAndGlyphQueries)
{
    DXC_Font font;
    font.SetCharacters(u"BAB D", 5);
    EXPECT_EQ(font.GetGlyph('B'), 0);  // the first occurrence wins
    EXPECT_EQ(font.GetGlyph('A'), 1);
    EXPECT_EQ(font.GetGlyph(' '), 3);
    EXPECT_EQ(font.GetGlyph('E'), -1);  // above the highest code
    EXPECT_EQ(font.GetGlyph('C'), DXC_Font::kNoGlyph);
    EXPECT_FALSE(font.HasGlyph('C'));  // inside the range, not in the set
    EXPECT_TRUE(font.HasGlyph('D'));
    EXPECT_EQ(font.GetGlyphCount(), 5);
    EXPECT_FALSE(font.CanDraw('A'));  // no texture
    font.SetCharacters(u"", 0);
    EXPECT_FALSE(font.HasCharMap());
    EXPECT_EQ(font.GetGlyph('A'), -1);

    // Advance and height from the rectangle, the two spacings and the scale.
    font.AllocateGlyphs(32, 33, 0xFF00FF00u);
    font.m_Rects[1] = {0, 0, 4, 7};
    font.m_SpacingBefore[1] = 0.5f;
    font.m_SpacingAfter[1] = 1.0f;
    font.m_BaseSpacing = 2.0f;
    font.m_ExtraHeight = 1.0f;
    font.SetScale(2.0f);
    EXPECT_EQ(font.GetGlyphAdvance(1), (2.0f - 1.0f - 0.5f + 4.0f) * 2.0f);
    EXPECT_EQ(font.GetGlyphHeight(1), 16.0f);
    EXPECT_EQ(font.GetGlyphHeight(2), 2.0f);  // past the glyphs: the extra height
    EXPECT_EQ(font.GlyphOf('!'), 1);          // no map: by the distance from the first code
    EXPECT_EQ(font.GlyphOf('"'), -1);
}

TEST(DXC_FontTest, CopiesShareOrCloneTheTexture)
{
    DeviceGfx fixture;
    DXC_Font source;
    fixture.Gfx().CreateBuiltinFont(&source, 0xFFFFFFFFu, 0xFFFFFFFFu);
    {
        DXC_Font assigned;
        assigned = source;  // shares texture and rectangles, owns its own map
        EXPECT_EQ(assigned.GetTexture(), source.GetTexture());
        EXPECT_EQ(assigned.m_Rects, source.m_Rects);
        EXPECT_NE(assigned.GetCharMap(), source.GetCharMap());
        EXPECT_EQ(assigned.GetGlyph('A'), 33);
    }
    EXPECT_TRUE(source.IsLoaded());  // the copy's end took nothing of the source's

    DXC_Font copy;
    EXPECT_EQ(copy.CopyFrom(DXC_Font()), 0);  // nothing to copy from
    ASSERT_EQ(copy.CopyFrom(source), 1);
    EXPECT_NE(copy.GetTexture(), source.GetTexture());
    EXPECT_EQ(copy.GetTexture()->currentTexture, source.GetTexture()->currentTexture);  // the image is shared
    EXPECT_NE(copy.m_Rects, source.m_Rects);
    EXPECT_EQ(copy.GetGlyphRect(33)->left, 72);
    source.Release();
    EXPECT_TRUE(copy.IsLoaded());
    EXPECT_EQ(GlyphRows(copy, 'A'), ".XXX./X...X/XXXXX/X...X/X...X");
}

TEST(DXC_FontTest, BuiltinCharset)
{
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {
        {"Hello, World!", "HELLO, WORLD!"},
        {"a`b{c}~", "A_B_C__"},  // 96 and above have no glyph
        {"tab\there\n", "TAB_HERE_"},
        {"\xE9t\xE9", "_T_"},  // bytes above 127 too
    };
    for (const Case& c : cases) {
        String text(c.text);
        DXC_Font::ToBuiltinCharset(text);
        EXPECT_STREQ(text.c_str(), c.shown) << c.text;
    }
}

TEST(DXC_FontTest, SetFontRefusesFontsWithoutTexture)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Font empty;
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetFont(&empty, 0.0f, 0); }), "Tried to set invalid font");
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetFont(nullptr, 0.0f, 0); }), "Tried to set invalid font");
    DXC_Font* builtin = gfx.GetFont();  // none set: the built-in font, made now
    ASSERT_NE(builtin, nullptr);
    EXPECT_EQ(builtin, gfx.GetBuiltinFont());
    DXC_Font other;
    gfx.CreateBuiltinFont(&other, 0xFFFFFFFFu, 0xFFFFFFFFu);
    gfx.SetFont(&other, 2.0f, 0x00FF0000u);  // alpha 0: the colour stays
    EXPECT_EQ(gfx.GetFont(), &other);
    EXPECT_EQ(other.GetScale(), 2.0f);
    EXPECT_EQ(other.GetColor(), 0u);
    gfx.SetFont(&other, 0.0f, 0x80FF0000u);
    EXPECT_EQ(other.GetScale(), 2.0f);
    EXPECT_EQ(other.GetColor(), 0x80FF0000u);
    EXPECT_EQ(gfx.GetCharWidth(u'A'), 12.0f);
}
