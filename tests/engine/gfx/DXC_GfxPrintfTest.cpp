// DXC_Gfx text entry points: narrow and wide formatting with the buffer limit, the right-aligned
// and centred variants, extents, and layout without a device.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "support/DeviceGfx.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The x of the first quad drawn since the journal was cleared, read from the vertex buffer.
float FirstQuadX(IDirect3DDevice9& device)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    uint32_t offset = 0, stride = 0;
    device.GetStreamSource(0, &buffer, &offset, &stride);
    if (!buffer)
        return -1.0f;
    buffer->Release();
    float x = 0.0f;
    std::memcpy(&x, buffer->GetBytes().data(), sizeof x);
    return x;
}

}  // namespace

TEST(DXC_GfxPrintfTest, FormattingAndTheBufferLimit)
{
    DXC_Gfx gfx;  // formatting needs no device
    const std::string fits(65535, 'A');
    {
        LogCapture log;
        EXPECT_EQ(gfx.FormatNarrow("%s %d \xE9", "HP", 42), 7);
        EXPECT_EQ(std::u16string(gfx.GetWideText()), u"HP 42 \u00E9");  // bytes above 127 as Latin-1
        EXPECT_EQ(gfx.FormatNarrow("%s", fits.c_str()), 65535);
        EXPECT_EQ(log.Count("String too long for Printf()"), 0);
        EXPECT_EQ(gfx.FormatNarrow("%sB", fits.c_str()), 65535);
        EXPECT_EQ(log.Count("String too long for Printf()"), 1);
        EXPECT_EQ(gfx.GetWideText()[65534], u'A');  // cut to the buffer
    }
    LogCapture log;
    POINT size;
    gfx.GetTextExtentW(size, 0, u"%S%S", fits.c_str(), "BC");
    EXPECT_EQ(log.Count("String too long for Printf()"), 1);
    EXPECT_EQ(std::char_traits<char16_t>::length(gfx.GetWideText()), 65535u);
    EXPECT_EQ(size.x, 0);  // the server has no font: nothing is measured
}

TEST(DXC_GfxPrintfTest, AlignedEntryPoints)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    gfx.BeginScene();
    POINT size;
    gfx.GetTextExtentW(size, 0, u"%s|NAB", u"ABC");
    EXPECT_EQ(size.x, 18);  // the widest line
    EXPECT_EQ(size.y, 12);
    gfx.GetTextExtentW(size, 12, u"ABC");  // a width with wrapping off changes nothing
    EXPECT_EQ(size.x, 18);

    // A text 100 pixels wide (a 4-pixel offset and 16 glyphs) ending at x 400 starts at 300.
    gfx.PrintfRightW(POINT{400, 10}, u"|p04AAAAAAAAAAAAAAAA");
    EXPECT_EQ(FirstQuadX(fixture.Device()), 303.75f);  // the text starts at 300, its first glyph 4 further
    gfx.PrintfCenteredW(POINT{400, 10}, u"AAAA");
    EXPECT_EQ(FirstQuadX(fixture.Device()), 387.75f);  // 24 pixels centred on 400

    PrintfTextBlock block;
    RECT rect;
    gfx.LayoutTextW(rect, block, u"%d", 1234);
    EXPECT_EQ(rect.right - rect.left, 24);
    gfx.LayoutText(rect, block, u"5");  // below the lines laid out before
    EXPECT_EQ(rect.top, 6);
    EXPECT_EQ(block.lines.size(), 2u);
    gfx.EndScene();
}
