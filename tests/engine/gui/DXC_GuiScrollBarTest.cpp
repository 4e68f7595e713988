// DXC_GuiScrollBar: value and range, arrow clicks, the thumb's drag (and a bar too short to drag
// on), its drawn rectangle, the default skin and closing without keeping the position.
#include "engine/gui/DXC_GuiScrollBar.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

namespace {

// A horizontal 200 x 20 bar over 0 .. 100 at (100, 100) on the screen: arrows 20 x 20 at both
// ends, a 20 pixel thumb, 140 pixels of thumb travel.
class GuiScrollBarTest : public ::testing::Test {
protected:
    GuiScrollBarTest()
    {
        screen.device.Gfx().CreateSolidTexture(picture, 16, 0xFFFFFFFFu);
        window.SetRect(100, 100, 400, 200);
        bar.SetOrientation(DXC_GuiScrollBar::kHorizontal);
        bar.SetThumbLength(20);
        bar.SetSize(200, 20);
        bar.SetSkin(&picture, &picture, &picture, &picture);
        window.AddChild(&bar);
        screen.manager.AddWindow(&window);
        screen.Frame(0.5, 300, 300);
    }
    void Frame(double t, float x, float y, bool held)
    {
        screen.mouse.SetButtonDown(0, held);
        screen.Frame(t, x, y);
    }

    GuiScreen screen{true};
    DXC_Texture picture;
    DXC_GuiField window;
    DXC_GuiScrollBar bar;
};

}  // namespace

TEST_F(GuiScrollBarTest, ValueRangeAndArrowClicks)
{
    bar.SetPosition(0.5f);
    EXPECT_EQ(bar.GetValue(), 50);
    Frame(1.0, 290, 110, true);  // on the increase arrow
    Frame(1.05, 290, 110, false);
    EXPECT_EQ(bar.GetValue(), 51);
    bar.SetStep(10);
    Frame(1.5, 105, 110, true);  // the decrease arrow
    Frame(1.55, 105, 110, false);
    EXPECT_EQ(bar.GetValue(), 41);
    EXPECT_FALSE(bar.IsThumbDragging());  // presses on the arrows never take the thumb

    bar.SetRange(100, 0);
    int32_t min, max;
    bar.GetRange(min, max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 100);
    EXPECT_EQ(bar.GetValue(), 41);
    bar.SetRange(0, 200);  // the value stays where it was in the wider range
    EXPECT_EQ(bar.GetValue(), 41);
    bar.SetValue(500);
    EXPECT_EQ(bar.GetPosition(), 1.0f);
    bar.SetRange(7, 7);
    bar.SetValue(3);
    EXPECT_EQ(bar.GetPosition(), 0.0f);
    EXPECT_EQ(bar.GetValue(), 7);
}

// The thumb's centre follows the mouse along the travel; the thumb is drawn where it lies.
TEST_F(GuiScrollBarTest, TheThumbFollowsTheMouseAndIsDrawnThere)
{
    bar.SetTexture(&picture, false);
    Frame(1.0, 150, 110, true);
    ASSERT_TRUE(bar.IsThumbDragging());
    Frame(1.1, 100 + 20 + 10 + 70, 110, true);
    EXPECT_NEAR(bar.GetPosition(), 0.5f, 1e-6);
    EXPECT_EQ(LastQuadRect(bar.GetThumb()), (std::array<int32_t, 4>{190, 100, 210, 120}));
    Frame(1.2, 500, 110, true);
    EXPECT_EQ(bar.GetPosition(), 1.0f);
    EXPECT_EQ(LastQuadRect(bar.GetThumb()), (std::array<int32_t, 4>{260, 100, 280, 120}));
    Frame(1.3, 500, 110, false);
    EXPECT_FALSE(bar.IsThumbDragging());
    EXPECT_EQ(LastQuadRect(bar.GetPicture()), (std::array<int32_t, 4>{110, 100, 290, 120}));  // arrow centre to centre
}

// A bar shorter than its two arrows and its thumb has nothing to drag along: the position stays.
TEST_F(GuiScrollBarTest, ABarTooShortForItsThumbKeepsItsPosition)
{
    bar.SetSize(50, 20);
    bar.SetPosition(0.3f);
    Frame(1.0, 125, 110, true);  // between the arrows
    ASSERT_TRUE(bar.IsThumbDragging());
    Frame(1.1, 140, 110, true);
    Frame(1.2, 100, 110, true);
    EXPECT_NEAR(bar.GetPosition(), 0.3f, 1e-6);
}

// Pictures it was not given come from the manager's skin; closing without keepPositionOnClose
// returns to 0; an empty range with hideWhenEmpty draws nothing.
TEST_F(GuiScrollBarTest, DefaultSkinCloseAndHideWhenEmpty)
{
    DXC_GuiScrollBar plain;
    plain.SetOrientation(DXC_GuiScrollBar::kVertical);
    plain.SetSize(20, 200);
    window.AddChild(&plain);
    screen.device.Gfx().CreateSolidTexture(screen.manager.GetScrollBarSkin(DXC_GuiManager::kScrollTrackVertical), 16,
                                           0xFF00FF00u);
    screen.device.Gfx().CreateSolidTexture(screen.manager.GetScrollBarSkin(DXC_GuiManager::kScrollArrowNormal), 16,
                                           0xFF0000FFu);
    Frame(1.0, 300, 300, false);
    EXPECT_TRUE(plain.GetPicture().IsValid());
    EXPECT_TRUE(plain.GetIncreaseButton().GetPicture(DXC_GuiTexButtonBase::kNormal).IsValid());
    EXPECT_FALSE(plain.GetThumb().IsValid());  // the skin has none

    plain.SetPosition(0.4f);
    plain.SetOpenState(false);
    EXPECT_EQ(plain.GetPosition(), 0.4f);
    plain.SetOpenState(true);
    plain.keepPositionOnClose = 0;
    plain.SetOpenState(false);
    EXPECT_EQ(plain.GetPosition(), 0.0f);
    window.RemoveChild(&plain);

    bar.hideWhenEmpty = 1;
    bar.SetRange(5, 5);
    screen.device.Journal().Clear();
    Frame(2.0, 300, 300, false);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 0);
}
