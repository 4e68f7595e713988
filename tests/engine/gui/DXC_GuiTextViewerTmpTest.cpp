// DXC_GuiTextViewerTmp: the layout and the scroll range, the hovered entry through the scroll
// offset, the entry tooltip's info window and its place, the reveal, and the entry operations.
#include "engine/gui/DXC_GuiTextViewerTmp.h"

#include "support/GuiScreen.h"
#include "support/ScopedGfx.h"
#include "support/TenPixelFont.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Viewer = DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>;

// A 300 x 200 viewer at (300, 50) on the 640 x 480 screen, with insets of 16 and the ten-pixel
// font as the manager's default: its text area starts at (316, 66) and is 268 x 168.
class TextViewer : public ::testing::Test {
protected:
    TextViewer()
    {
        MakeTenPixelFont(screen.device.Gfx(), font);
        screen.manager.SetDefaultFont(&font, 0xFFFFFFFFu);
        viewer.SetRect(300, 50, 600, 250);
        screen.manager.AddWindow(&viewer);
    }
    void Frame(double t, float x, float y) { screen.Frame(t, x, y); }

    GuiScreen screen{true};
    DXC_Font font;
    Viewer viewer;
};

}  // namespace

// An empty viewer has no range and draws no text; a long text gives the bar the overflow as its
// range and narrows the text area by the bar; a short one sits at the top or in the middle.
TEST_F(TextViewer, ScrollRangeIsTheOverflow)
{
    Frame(1.0, 0, 0);
    EXPECT_EQ(viewer.GetScrollBar().GetMax(), 0.0f);
    EXPECT_FALSE(viewer.GetScrollBar().IsOpen());
    EXPECT_EQ(GlyphsDrawn(screen.device.Journal()), 0);

    for (int32_t i = 0; i < 30; ++i)
        EXPECT_EQ(viewer.AddLine("line"), i);
    Frame(1.1, 0, 0);
    EXPECT_GT(viewer.GetTextHeight(), 168.0f);
    EXPECT_FLOAT_EQ(viewer.GetScrollBar().GetMax(), viewer.GetTextHeight() - 168.0f);
    EXPECT_TRUE(viewer.GetScrollBar().IsOpen());
    int32_t l, t, r, b;
    viewer.GetTextArea(l, t, r, b);
    EXPECT_EQ(r - l, 268 - 16);
    const DXC_GuiTextEntry* second = viewer.GetEntry(1);
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->top, 0.0f);
    EXPECT_GT(second->height, 0.0f);

    viewer.SetText(wString(u"short"));
    Frame(1.2, 0, 0);
    EXPECT_EQ(viewer.GetScrollBar().GetMax(), 0.0f);
    EXPECT_EQ(viewer.GetTextOffsetY(), 0.0f);
    viewer.SetCentreVertically(true);
    viewer.MarkChanged();
    Frame(1.3, 0, 0);
    EXPECT_FLOAT_EQ(viewer.GetTextOffsetY(), (168.0f - viewer.GetTextHeight()) * 0.5f);
}

// The hovered entry is the one under the mouse, found through the scroll offset; outside the text
// area there is none.
TEST_F(TextViewer, HoveredEntryFollowsTheMouseThroughTheScroll)
{
    viewer.SetHoverEnabled(true);
    for (int32_t i = 0; i < 30; ++i)
        viewer.AddLine("entry");
    Frame(1.0, 320, 70);
    EXPECT_EQ(viewer.GetHoveredEntry(), 0);
    const float lineHeight = viewer.GetEntry(1)->top;
    ASSERT_GT(lineHeight, 0.0f);
    Frame(1.1, 320, 66 + 2.5f * lineHeight);
    EXPECT_EQ(viewer.GetHoveredEntry(), 2);
    viewer.ScrollTo(0.0f, 3.0f * lineHeight, 10000.0f);
    Frame(1.2, 320, 66 + 2.5f * lineHeight);
    EXPECT_EQ(viewer.GetHoveredEntry(), 5);
    Frame(1.3, 305, 66 + 2.5f * lineHeight);  // in the frame, left of the text area
    EXPECT_EQ(viewer.GetHoveredEntry(), -1);
    Frame(1.4, 100, 100);
    EXPECT_EQ(viewer.GetHoveredEntry(), -1);
}

// An entry's tooltip opens the info window right of the mouse, or left of it with a gap of 16
// in the right half of the screen, below the mouse in the upper half; it closes when the mouse
// leaves the window, and with the window.
TEST_F(TextViewer, EntryTooltipOpensTheInfoWindowBesideTheMouse)
{
    viewer.SetHoverEnabled(true);
    viewer.AddEntry(wString(u"first"), wString(u"about the first"));
    viewer.AddLine("second");
    Frame(1.0, 310, 200);  // in the frame, over no entry
    EXPECT_EQ(viewer.GetInfoWindow(), nullptr);

    Frame(1.1, 320, 70);
    Viewer* info = viewer.GetInfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->IsOpen());
    EXPECT_TRUE(info->GetText() == wString(u"about the first"));
    EXPECT_EQ(info->GetParent(), &screen.manager.GetRoot());
    info->SetSize(100, 120);  // narrow enough to stand on either side
    struct Case {
        float mouseX;
        int32_t left;
    };
    const Case cases[] = {{316, 316}, {319, 319}, {500, 500 - 16 - 100}};  // the screen's middle is 320
    for (const Case& c : cases) {
        Frame(1.2, c.mouseX, 70);
        int32_t x, y, w, h;
        info->GetPos(x, y);
        info->GetSize(w, h);
        EXPECT_EQ(x, c.left) << c.mouseX;
        EXPECT_EQ(y, 70 + 16) << c.mouseX;
        EXPECT_EQ(w, 100);
        EXPECT_TRUE(info->IsOpen());
    }

    const float secondTop = 66 + viewer.GetEntry(1)->top + 1;
    Frame(1.3, 320, secondTop);  // an entry without a tooltip
    EXPECT_FALSE(info->IsOpen());
    Frame(1.4, 320, 70);
    EXPECT_TRUE(info->IsOpen());
    Frame(1.5, 100, 70);  // the mouse left the window
    EXPECT_FALSE(info->IsOpen());
    Frame(1.6, 320, 70);
    ASSERT_TRUE(info->IsOpen());
    viewer.SetOpenState(false);
    EXPECT_FALSE(info->IsOpen());
}

// The reveal shows (now - start) x speed characters and fades the next fadeWidth in; a reveal
// started while the clock reads 0 reveals too; SetText switches it off again.
TEST_F(TextViewer, RevealShowsCharactersBySpeed)
{
    const std::u16string word = u"abcd ";
    std::u16string text;
    for (int32_t i = 0; i < 20; ++i)
        text += word;  // 100 characters, 20 words
    viewer.SetText(wString(text.c_str()));
    screen.manager.SetFixedTime(1.0);
    viewer.StartReveal(25.0f, 5.0f);
    EXPECT_FALSE(viewer.IsRevealComplete(0.0f));
    screen.device.Journal().Clear();
    Frame(3.0, 0, 0);
    const PrintfTextBlock& block = viewer.GetTextBlock();
    EXPECT_FLOAT_EQ(block.fadeStart, 50.0f);
    EXPECT_FLOAT_EQ(block.fadeEnd, 55.0f);
    const int32_t partial = GlyphsDrawn(screen.device.Journal());
    EXPECT_GT(partial, 50);
    EXPECT_LE(partial, 55);
    screen.manager.SetFixedTime(6.0);
    EXPECT_TRUE(viewer.IsRevealComplete(0.0f));
    EXPECT_FALSE(viewer.IsRevealComplete(2.0f));

    viewer.SetText(wString(u"again"));
    EXPECT_EQ(viewer.GetRevealStart(), Viewer::kNoReveal);
    EXPECT_TRUE(viewer.IsChanged());
    EXPECT_TRUE(viewer.IsRevealComplete(0.0f));
}

TEST(DXC_GuiTextViewerTmpTest, RevealStartedAtClockZeroReveals)
{
    TestClock clock(0.0);
    GuiScreen screen;
    DXC_Font font;
    MakeTenPixelFont(screen.device.Gfx(), font);
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable> viewer;  // no manager: the program's clock
    viewer.SetText(wString(u"Some words to reveal"));
    viewer.StartReveal(10.0f, 10.0f);
    EXPECT_EQ(viewer.GetRevealStart(), 0.0);
    clock.Advance(0.5);
    EXPECT_FALSE(viewer.IsRevealComplete(0.0f));
    clock.Advance(2.0);
    EXPECT_TRUE(viewer.IsRevealComplete(0.0f));
}

// Entries: AddLineF formats and cuts at 8191 characters, every add returns the index, Reset
// empties and restores the reveal values; without a graphics object nothing is laid out.
TEST(DXC_GuiTextViewerTmpTest, EntriesWithoutAGraphicsObject)
{
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable> viewer;
    const std::u16string longText(9000, u'y');
    EXPECT_EQ(viewer.AddLineF(u"%i apples, %s", 3, u"pears"), 0);
    EXPECT_EQ(viewer.AddLineF(u"%s", longText.c_str()), 1);
    EXPECT_EQ(viewer.AddLine(wString(u"plain")), 2);
    EXPECT_TRUE(viewer.GetLine(0) == wString(u"3 apples, pears"));
    EXPECT_EQ(viewer.GetLine(1).TextLength(), 8191);
    EXPECT_TRUE(viewer.GetLine(3) == wString());
    viewer.Layout();
    EXPECT_TRUE(viewer.IsChanged());  // nothing measured

    viewer.SetRevealSpeed(3.0f);
    viewer.StartReveal(4.0f, 2.0f);
    viewer.Reset();
    EXPECT_EQ(viewer.GetNumLines(), 0);
    EXPECT_EQ(viewer.GetRevealStart(), -1.0);
    EXPECT_EQ(viewer.GetRevealSpeed(), 10.0f);
}

// The server's graphics object has no device and no font: the layout still runs, measures
// nothing and leaves no range; nothing is drawn.
TEST(DXC_GuiTextViewerTmpTest, LayoutWithoutADevice)
{
    ScopedGfx server;
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx> viewer;
    for (int32_t i = 0; i < 50; ++i)
        viewer.AddLineF(u"mission entry %i", i);
    viewer.Layout();
    EXPECT_FALSE(viewer.IsChanged());
    EXPECT_EQ(viewer.GetTextHeight(), 0.0f);
    EXPECT_EQ(viewer.GetScrollBar().GetMax(), 0.0f);
    EXPECT_EQ(viewer.GetNumLines(), 50);
    viewer.Render();
}
