// DXC_GuiText: the label's alignment and clipping, the manager's default font and colour, the side
// pictures' places, and the presses it counts.
#include "engine/gui/DXC_GuiText.h"

#include "support/GuiScreen.h"
#include "support/TenPixelFont.h"

#include <gtest/gtest.h>

namespace {

// A label in a window at (100, 50) on the screen, with the ten-pixel font as the manager's
// default; a 16 x 16 picture for its sides.
class GuiTextTest : public ::testing::Test {
protected:
    GuiTextTest()
    {
        MakeTenPixelFont(screen.device.Gfx(), font);
        screen.device.Gfx().CreateSolidTexture(picture, 16, 0xFFFFFFFFu);
        window.SetRect(100, 50, 400, 250);
        screen.manager.AddWindow(&window);
        label.SetRect(10, 20, 110, 60);  // 100 x 40, at (110, 70) on the screen
        window.AddChild(&label);
    }
    void Frame()
    {
        screen.device.Journal().Clear();
        screen.manager.Render(false, true);
    }

    GuiScreen screen;
    DXC_Font font;
    DXC_Texture picture;
    DXC_GuiField window;
    DXC_GuiText label;
};

}  // namespace

// The text's place for each alignment; a label wider than the field starts left of it (a
// negative offset) and only what lies inside the field is drawn.
TEST_F(GuiTextTest, AlignmentAndClipping)
{
    label.SetFont(&font, 0.0, 0xFFFFFFFFu);
    struct Case {
        const char16_t* text;
        int32_t alignH, alignV;
        int32_t x, y;
        int32_t glyphs;
    };
    const Case cases[] = {
        {u"abcd", 1, 4, 110, 70, 4},
        {u"abcd", 2, 2, 140, 85, 4},
        {u"abcd", 3, 5, 170, 100, 4},
        {u"abcdefghijklmno", 3, 4, 60, 70, 10},  // 150 wide in 100: dx -50, five glyphs cut off
        {u"abcdefghijklmno", 1, 4, 110, 70, 10},
    };
    for (const Case& c : cases) {
        label.SetText(wString(c.text));
        label.SetAlignment(c.alignH, c.alignV);
        Frame();
        int32_t x, y;
        label.GetTextPos(x, y);
        EXPECT_EQ(x, c.x) << c.alignH;
        EXPECT_EQ(y, c.y) << c.alignV;
        EXPECT_EQ(GlyphsDrawn(screen.device.Journal()), c.glyphs) << c.alignH;
    }
}

// A label without a font of its own draws from its first frame with the manager's default font
// and takes its colour.
TEST_F(GuiTextTest, WithoutAFontTheManagersDefaultFontAndColour)
{
    screen.manager.SetDefaultFont(&font, 0xFF336699u);
    label.SetText(wString(u"hello"));
    EXPECT_EQ(label.GetColour(), DXC_GuiText::kDefaultColour);
    Frame();
    EXPECT_EQ(label.GetColour(), 0xFF336699u);
    EXPECT_EQ(GlyphsDrawn(screen.device.Journal()), 5);
    EXPECT_EQ(font.GetColor(), 0u) << "the shared font keeps its own colour";
    int32_t w, h;
    label.GetTextExtent(w, h);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 10);
}

// Side pictures sit half a space's width (5) from the text, raised by the fraction of the
// difference of their height (16) and the text's (10); they move with the alignment.
TEST_F(GuiTextTest, SidePicturesBesideTheTextRaisedByTheFraction)
{
    label.SetFont(&font, 0.0, 0xFFFFFFFFu);
    label.SetText(wString(u"ab"));  // 20 x 10
    label.SetSidePictures(&picture);
    struct Case {
        double raise;
        int32_t alignH;
        int32_t leftX, rightX, top;
    };
    const Case cases[] = {
        {0.5, 1, 110 - 16 - 5, 110 + 20 + 5, 70 - 3 - 3},
        {0.0, 1, 89, 135, 67},
        {1.0, 1, 89, 135, 61},
        {0.5, 2, 89 + 40, 135 + 40, 64},
    };
    for (const Case& c : cases) {
        label.SetPictureRaise(c.raise);
        label.SetAlignment(c.alignH, 4);
        Frame();
        const int32_t* left = label.GetLeftPictureRect();
        const int32_t* right = label.GetRightPictureRect();
        EXPECT_EQ(left[0], c.leftX) << c.raise;
        EXPECT_EQ(left[2] - left[0], 16);
        EXPECT_EQ(right[0], c.rightX) << c.raise;
        EXPECT_EQ(left[1], c.top) << c.raise;
        EXPECT_EQ(right[1], c.top) << c.raise;
        EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 2);
    }
    label.SetSidePictures(nullptr);
    Frame();
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 0);
}

// Presses reach the label and are counted; other events are not.
TEST_F(GuiTextTest, CountsPresses)
{
    screen.manager.SetMousePos(150, 80);
    for (int32_t state : {0, 1, 0, 1})
        screen.manager.QueueButtonEvent(0, state);
    screen.manager.Render(true, false);
    EXPECT_EQ(label.GetPressCount(), 2);
}
