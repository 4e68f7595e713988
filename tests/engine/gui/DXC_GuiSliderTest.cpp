// DXC_GuiSlider: the knob dragged with the mouse sets the value (snapped to steps), the value
// places the knob, a knob as long as the track keeps the value, closing ends the drag.
#include "engine/gui/DXC_GuiSlider.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

namespace {

// A 200 x 20 slider at (100, 100) on the screen with a 20 x 20 knob: 180 pixels of travel.
class GuiSliderTest : public ::testing::Test {
protected:
    GuiSliderTest()
    {
        screen.device.Gfx().CreateSolidTexture(picture, 16, 0xFFFFFFFFu);
        window.SetRect(100, 100, 400, 200);
        slider.SetPos(0, 0);
        slider.SetSize(200, 20);
        slider.SetKnobTexture(&picture, 20, 20);
        window.AddChild(&slider);
        screen.manager.AddWindow(&window);
        screen.Frame(0.5, 300, 300);
    }
    void Frame(double t, float x, float y, bool held)
    {
        screen.mouse.SetButtonDown(0, held);
        screen.Frame(t, x, y);
    }
    int32_t KnobX()
    {
        int32_t x, y;
        slider.GetKnob().GetPos(x, y);
        return x;
    }

    GuiScreen screen{true};
    DXC_Texture picture;
    DXC_GuiField window;
    DXC_GuiSlider slider;
};

}  // namespace

// Grabbed 10 pixels into the knob and dragged so that the knob's left lies at the given share of
// the travel.
TEST_F(GuiSliderTest, DraggingTheKnobSetsTheValueInSteps)
{
    struct Case {
        int32_t steps;
        float share;
        float value;
    } cases[] = {
        {5, 0.6f, 0.5f},   // 0.6 x 4 = 2.4 is rounded to 2
        {5, 0.65f, 0.75f},  // 2.6 to 3
        {0, 0.6f, 0.6f},
        {0, -0.5f, 0.0f},  // held beyond the ends
        {0, 1.5f, 1.0f},
    };
    double t = 1.0;
    for (const Case& c : cases) {
        slider.steps = c.steps;
        slider.SetValue(0.0f);
        Frame(t += 0.5, 110, 110, false);
        Frame(t += 0.5, 110, 110, true);
        ASSERT_TRUE(slider.IsKnobDragging());
        Frame(t += 0.1, 110.0f + 180.0f * c.share, 110, true);
        EXPECT_NEAR(slider.GetValue(), c.value, 1e-5) << c.steps << " " << c.share;
        Frame(t += 0.1, 110.0f + 180.0f * c.share, 110, false);
        EXPECT_FALSE(slider.IsKnobDragging());
    }
}

// The value places the knob along the travel, between the margins, in a range either way round.
TEST_F(GuiSliderTest, TheValueMapsBackToTheKnob)
{
    slider.SetValue(0.25f);
    Frame(1.0, 300, 300, false);
    EXPECT_EQ(KnobX(), 45);
    slider.startMargin = 10;
    slider.endMargin = 30;
    Frame(1.1, 300, 300, false);
    EXPECT_EQ(KnobX(), 10 + 35);  // a quarter of 140
    slider.SetMax(-1.0f);  // now -1 .. 0: the value is clamped to 0
    EXPECT_EQ(slider.GetValue(), 0.0f);
    slider.SetValue(5.0f);
    EXPECT_EQ(slider.GetValue(), 0.0f);
    slider.SetValue(-0.5f);
    EXPECT_EQ(slider.GetValue(), -0.5f);
}

// Without travel the value stays; closing mid-drag ends the drag.
TEST_F(GuiSliderTest, AKnobWithoutTravelKeepsTheValueAndClosingEndsTheDrag)
{
    slider.SetKnobTexture(&picture, 200, 20);
    slider.SetValue(0.3f);
    Frame(1.0, 150, 110, true);
    ASSERT_TRUE(slider.IsKnobDragging());
    Frame(1.1, 250, 110, true);
    EXPECT_NEAR(slider.GetValue(), 0.3f, 1e-6);

    slider.SetKnobTexture(&picture, 20, 20);
    slider.SetOpenState(false);
    EXPECT_FALSE(slider.IsKnobDragging());
    slider.SetOpenState(true);
    Frame(1.2, 280, 110, true);
    EXPECT_NEAR(slider.GetValue(), 0.3f, 1e-6);
}

// A vertical slider turns its knob and track and follows the mouse's y.
TEST_F(GuiSliderTest, AVerticalSliderFollowsY)
{
    slider.SetVertical(true);
    slider.SetSize(20, 200);
    int32_t w, h;
    slider.GetKnob().GetSize(w, h);
    EXPECT_EQ(w, 20);
    Frame(1.0, 310, 110, false);
    Frame(1.1, 110, 105, true);
    Frame(1.2, 110, 105 + 90, true);
    EXPECT_NEAR(slider.GetValue(), 0.5f, 1e-5);
}
