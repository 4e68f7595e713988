// DXC_GuiTextViewerIA and DXC_GuiScaleableText: the selection by click, the highlight and the
// markers; the self-sizing text window.
#include "engine/gui/DXC_GuiTextViewerIA.h"

#include "engine/gui/DXC_GuiScaleableText.h"
#include "support/GuiScreen.h"
#include "support/TenPixelFont.h"

#include <gtest/gtest.h>

namespace {

// A list of three entries at (100, 50), 300 x 200 with insets 16, under a mouse with a device.
class SelectionList : public ::testing::Test {
protected:
    SelectionList()
    {
        MakeTenPixelFont(screen.device.Gfx(), font);
        screen.manager.SetDefaultFont(&font, 0xFFFFFFFFu);
        list.SetRect(100, 50, 400, 250);
        screen.manager.AddWindow(&list);
        for (const char* entry : {"first", "second", "third"})
            list.AddLine(entry);
    }
    // A click of button 0 at (x, y) over two frames.
    void Click(double t, float x, float y)
    {
        screen.mouse.SetButtonDown(0, true);
        screen.Frame(t, x, y);
        screen.mouse.SetButtonDown(0, false);
        screen.Frame(t + 0.05, x, y);
    }

    GuiScreen screen{true};
    DXC_Font font;
    DXC_GuiTextViewerIA list;
};

}  // namespace

// A click on the second entry selects it, once; a click over no entry selects -1.
TEST_F(SelectionList, ClickSelectsTheEntryUnderTheMouse)
{
    screen.Frame(1.0, 0, 0);  // laid out
    const DXC_GuiTextEntry* second = list.GetEntry(1);
    ASSERT_NE(second, nullptr);
    ASSERT_GT(second->height, 0.0f);
    Click(1.1, 130, 66 + second->top + second->height * 0.5f);
    EXPECT_EQ(list.GetSelectedEntry(), 1);
    EXPECT_EQ(list.TakeSelection(), 1);
    EXPECT_EQ(list.TakeSelection(), -1);

    Click(1.2, 130, 200);  // below the entries
    EXPECT_EQ(list.GetSelectedEntry(), -1);
}

// The hovered entry is laid out in the highlight colour, the others in the text colour; markers
// draw one character before every visible entry.
TEST_F(SelectionList, HighlightAndMarkers)
{
    list.SetHighlightColour(0xFFFF0000u);
    list.SetTextColour(0xFF00FF00u);
    screen.Frame(1.0, 0, 0);
    const float y = 66 + list.GetEntry(0)->top + 1;
    screen.Frame(1.1, 130, y);
    screen.Frame(1.2, 130, y);  // laid out again with the highlight
    const PrintfTextBlock& block = list.GetTextBlock();
    ASSERT_GE(block.lines.size(), 3u);
    EXPECT_EQ(block.lines[0].entities.front().color, 0xFFFF0000u);
    EXPECT_EQ(block.lines[1].entities.front().color, 0xFF00FF00u);

    screen.device.Journal().Clear();
    screen.Frame(1.3, 130, y);
    const int32_t without = GlyphsDrawn(screen.device.Journal());
    list.SetMarker('>');
    screen.device.Journal().Clear();
    screen.Frame(1.4, 130, y);
    EXPECT_EQ(GlyphsDrawn(screen.device.Journal()), without + 3);
}

// One short line gives a window as wide as the line plus 32 of frame; a long text stops growing
// the window at maxHeight; with the sizes off the window keeps its size.
TEST(DXC_GuiScaleableTextTest, FitsItsText)
{
    GuiScreen screen;
    DXC_Font font;
    MakeTenPixelFont(screen.device.Gfx(), font);
    screen.manager.SetDefaultFont(&font, 0xFFFFFFFFu);
    DXC_GuiScaleableText tip;
    tip.SetManager(&screen.manager);
    tip.SetText(wString(u"hello"));
    tip.FitToText();
    int32_t w, h;
    tip.GetSize(w, h);
    EXPECT_EQ(w, 50 + 32);
    EXPECT_EQ(h, int32_t(std::ceil(tip.GetTextHeight())) + 32);
    EXPECT_FALSE(tip.IsChanged());

    std::u16string text;
    for (int32_t i = 0; i < 400; ++i)
        text += u"word ";
    tip.SetText(wString(text.c_str()));
    tip.SetMaxSize(300, 200);
    tip.FitToText();
    tip.GetSize(w, h);
    EXPECT_EQ(h, 200);
    EXPECT_LE(w, 300);

    tip.SetAutoSize(false, false);
    tip.SetSize(123, 45);
    tip.SetText(wString(u"x"));
    tip.FitToText();
    tip.GetSize(w, h);
    EXPECT_EQ(w, 123);
    EXPECT_EQ(h, 45);
}
