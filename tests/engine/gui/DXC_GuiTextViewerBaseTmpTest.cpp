// DXC_GuiTextViewerBaseTmp over both frames: the bar's size from the insets, a wheel turn over a
// text that fits, and the wheel scrolling a longer one.
#include "engine/gui/DXC_GuiTextViewerBaseTmp.h"

#include "engine/gui/DXC_GuiTexFieldEx.h"
#include "engine/gui/DXC_GuiTexFieldScaleable.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

namespace {

template <class FrameBase>
class GuiTextViewerBaseTest : public ::testing::Test {
protected:
    GuiTextViewerBaseTest()
    {
        viewer.SetPos(100, 50);
        screen.manager.AddWindow(&viewer);
    }
    void Frame(double t, int32_t wheel)
    {
        screen.mouse.wheel += wheel;
        screen.Frame(t, 200, 200);
    }
    int32_t BarHeight()
    {
        int32_t w, h;
        viewer.GetScrollBar().GetSize(w, h);
        return h;
    }

    GuiScreen screen{true};
    DXC_GuiTextViewerBaseTmp<FrameBase> viewer;
};

using Frames = ::testing::Types<DXC_GuiTexFieldEx, DXC_GuiTexFieldScaleable>;
TYPED_TEST_SUITE(GuiTextViewerBaseTest, Frames);

}  // namespace

TYPED_TEST(GuiTextViewerBaseTest, InsetsLayTheBarOut)
{
    int32_t w, h;
    this->viewer.GetSize(w, h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 400);
    EXPECT_EQ(this->BarHeight(), 400 - 32);
    this->viewer.SetInsets(10, 20, 10, 30);
    EXPECT_EQ(this->BarHeight(), 350);
    this->viewer.SetSize(300, 200);
    EXPECT_EQ(this->BarHeight(), 150);
}

// A text that fits: the bar closes and a wheel turn leaves it at 0. A longer text scrolls by 35.
TYPED_TEST(GuiTextViewerBaseTest, TheWheelScrollsOnlyALongText)
{
    DXC_GuiSliderEx& bar = this->viewer.GetScrollBar();
    bar.SetMax(0.0f);  // what the viewer gives the bar for a text that fits
    this->Frame(1.0, -120);
    EXPECT_FALSE(bar.IsOpen());
    EXPECT_EQ(bar.GetValue(), 0.0f);

    bar.SetMax(100.0f);
    bar.SetOpenState(true);
    this->Frame(1.1, -120);
    EXPECT_TRUE(bar.IsOpen());
    EXPECT_EQ(bar.GetValue(), 35.0f);
    this->Frame(1.2, -360);
    EXPECT_EQ(bar.GetValue(), 70.0f);  // one step per turn, whatever its size
    this->screen.mouse.wheel -= 120;
    this->screen.Frame(1.3, 10, 10);  // not over the viewer
    EXPECT_EQ(bar.GetValue(), 70.0f);
}
