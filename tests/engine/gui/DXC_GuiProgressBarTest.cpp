// DXC_GuiProgressBar: the clamped fraction and the bar picture cropped to it; the info window
// base closing its info window with the window.
#include "engine/gui/DXC_GuiProgressBar.h"

#include "engine/gui/DXC_GuiTextViewerTmp.h"
#include "support/GuiScreen.h"

#include <gtest/gtest.h>

TEST(DXC_GuiProgressBarTest, FractionIsClamped)
{
    DXC_GuiProgressBar bar;
    const float cases[][2] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}};
    for (const auto& c : cases) {
        bar.SetFraction(c[0]);
        EXPECT_EQ(bar.GetFraction(), c[1]) << c[0];
    }
    EXPECT_EQ(std::string(bar.GetName()), "DXC_GuiProgressBar");
}

// The bar picture (256 wide, as the bar's rectangle) is cropped: at 0.5 its source rectangle is
// its left half and it covers half the rectangle; at 0 only the background is drawn.
TEST(DXC_GuiProgressBarTest, BarIsCroppedToTheFraction)
{
    GuiScreen screen;
    DXC_Texture background, picture;
    screen.device.Gfx().CreateSolidTexture(background, 16, 0xFF000000u);
    screen.device.Gfx().CreateTexture(&picture, 256, 32, 1, -1, 1);
    DXC_GuiProgressBar bar;
    bar.SetTexture(&background, false);
    bar.SetBarTexture(&picture);
    bar.SetRect(100, 100, 420, 140);
    bar.SetBarInsets(50, 10, 306, 30);
    screen.manager.AddWindow(&bar);

    screen.device.Journal().Clear();
    screen.manager.Render(false, true);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 1);  // fraction 0: the background alone

    struct Case {
        float fraction;
        int32_t right;
        float xAxis;
    };
    const Case cases[] = {{0.5f, 278, (128.0f - 0.02f) / 256.0f}, {1.0f, 406, (256.0f - 0.02f) / 256.0f}};
    for (const Case& c : cases) {
        bar.SetFraction(c.fraction);
        screen.device.Journal().Clear();
        screen.manager.Render(false, true);
        EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 2) << c.fraction;
        float origin[2], xAxis[2], yAxis[2];
        bar.GetBar().GetTexCoords(origin, xAxis, yAxis);
        EXPECT_NEAR(xAxis[0], c.xAxis, 1e-6) << c.fraction;
        const std::array<int32_t, 4> rect = LastQuadRect(bar.GetBar());
        EXPECT_EQ(rect[0], 150);
        EXPECT_EQ(rect[1], 110);
        EXPECT_EQ(rect[2], c.right);
        EXPECT_EQ(rect[3], 130);
    }
}

// Closing a window with an open info window closes the info window too; the info window is a
// window of the manager, 384 wide, fitted to its text within 100 to 512 high.
TEST(DXC_GuiInfoWindowBaseTest, InfoWindowClosesWithItsWindow)
{
    GuiScreen screen;
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable> window;
    window.SetRect(10, 10, 200, 200);
    screen.manager.AddWindow(&window);
    window.SetInfoText(wString(u"info"));
    DXC_GuiInfoWindowBase::InfoWindow* info = window.GetInfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetParent(), &screen.manager.GetRoot());
    EXPECT_FALSE(info->IsOpen());
    window.ShowInfoAtMouse();
    int32_t w, h;
    info->GetSize(w, h);
    EXPECT_EQ(w, 384);
    EXPECT_EQ(h, 100);  // the text is short: the least height
    window.SetInfoWindowOpen(true);
    EXPECT_TRUE(info->IsOpen());
    window.SetOpenState(false);
    EXPECT_FALSE(info->IsOpen());
}
