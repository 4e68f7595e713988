// DXC_GuiScrollFieldTmp: the bars a content needs with their ranges and sizes, the wheel, and the
// content drawn under a viewport clipped to the visible part, the previous viewport restored.
#include "engine/gui/DXC_GuiScrollFieldTmp.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Rect = std::array<int32_t, 4>;

// A child that notes the viewport it is drawn under.
struct ViewportProbe : DXC_GuiField {
    void Render() override
    {
        Rect rect{};
        gfx->GetViewportRect(rect.data());
        seen.push_back(rect);
        DXC_GuiField::Render();
    }
    std::vector<Rect> seen;
};

// A 200 x 400 scroll field at (100, 50) on the screen.
class GuiScrollFieldTest : public ::testing::Test {
protected:
    GuiScrollFieldTest()
    {
        field.SetRect(100, 50, 300, 450);
        screen.manager.AddWindow(&field);
    }
    void Frame(double t, int32_t wheel)
    {
        screen.mouse.wheel += wheel;
        screen.Frame(t, 150, 100);
    }
    Rect Position(DXC_GuiField& f)
    {
        Rect r{};
        f.GetRect(r[0], r[1], r[2], r[3]);
        return r;
    }

    GuiScreen screen{true};
    DXC_GuiScrollField field;
    ViewportProbe probe;
};

}  // namespace

TEST_F(GuiScrollFieldTest, ContentThatFitsShowsNoBar)
{
    probe.SetRect(10, 10, 150, 300);
    field.AddChild(&probe);
    EXPECT_EQ(probe.GetParent(), &field.GetContent());
    Frame(1.0, -120);
    EXPECT_FALSE(field.GetBar(0).IsOpen());
    EXPECT_FALSE(field.GetBar(1).IsOpen());
    EXPECT_EQ(Position(field.GetContent()), (Rect{0, 0, 200, 400}));
    ASSERT_EQ(probe.seen.size(), 1u);
    EXPECT_EQ(probe.seen[0], (Rect{100, 50, 300, 450}));
}

// Content of 300 x 800: both bars, with the ranges and sizes of the layout; the wheel scrolls by
// 35 and the content is drawn clipped to what the bars leave.
TEST_F(GuiScrollFieldTest, LargeContentOpensBothBarsAndScrolls)
{
    probe.SetRect(0, 0, 300, 800);
    field.AddChild(&probe);
    Frame(1.0, 0);
    DXC_GuiSliderEx& horizontal = field.GetBar(0);
    DXC_GuiSliderEx& vertical = field.GetBar(1);
    ASSERT_TRUE(horizontal.IsOpen());
    ASSERT_TRUE(vertical.IsOpen());
    EXPECT_EQ(horizontal.GetMax(), 300 - 200 + 24);
    EXPECT_EQ(vertical.GetMax(), 800 - 400 + 24);
    EXPECT_EQ(Position(horizontal), (Rect{0, 376, 176, 400}));
    EXPECT_EQ(Position(vertical), (Rect{176, 0, 200, 376}));
    EXPECT_EQ(Position(field.GetContent()), (Rect{0, 0, 324, 824}));
    EXPECT_EQ(probe.seen.back(), (Rect{100, 50, 276, 426}));
    int32_t viewport[4];
    screen.device.Gfx().GetViewportRect(viewport);
    EXPECT_EQ((Rect{viewport[0], viewport[1], viewport[2], viewport[3]}), (Rect{0, 0, 640, 480}));

    struct Turn {
        int32_t wheel;
        float value;
    } turns[] = {{-120, 35.0f}, {-120, 70.0f}, {120, 35.0f}, {240, 0.0f}, {120, 0.0f}};
    double t = 2.0;
    for (const Turn& turn : turns) {
        Frame(t += 0.1, turn.wheel);
        EXPECT_EQ(vertical.GetValue(), turn.value) << turn.wheel;
    }
    vertical.SetValue(70.0f);
    horizontal.SetValue(20.0f);
    Frame(t += 0.1, 0);
    EXPECT_EQ(Position(field.GetContent()), (Rect{-20, -70, 304, 754}));

    // Extra insets take from the visible area beside an open bar.
    field.SetExtraInsets(6, 4);
    field.LayoutBars(300, 800);
    EXPECT_EQ(Position(horizontal), (Rect{0, 376, 170, 400}));
    EXPECT_EQ(Position(vertical), (Rect{176, 0, 200, 372}));
    Frame(t += 0.1, 0);
    EXPECT_EQ(probe.seen.back(), (Rect{100, 50, 270, 422}));
}
