// CConsoleGui and BarGui: the console's height by its input's text within the screen, its width
// by the screen, its focus; the bar's fill, drawing and caption.
#include "engine/gui/CConsoleGui.h"

#include "support/GuiScreen.h"
#include "support/TenPixelFont.h"

#include <gtest/gtest.h>

#include <string>

// Without a font the console is 100 + 20 high; with one, one line at least, growing with the
// text until 30 pixels above the screen's bottom. Its width is the screen's less 307.
TEST(CConsoleGuiTest, HeightFollowsTheTextWithinTheScreen)
{
    GuiScreen screen;
    CConsoleGui console;
    screen.manager.AddWindow(&console);
    console.SetPos(0, 100);
    console.Layout();
    int32_t w, h;
    console.GetSize(w, h);
    EXPECT_EQ(w, 640 - 307);
    EXPECT_EQ(h, 120);

    DXC_Font font;
    MakeTenPixelFont(screen.device.Gfx(), font);
    console.GetInput().SetFont(&font, 1.0f, 0xFFFFFFFFu);
    console.Layout();
    console.GetSize(w, h);
    EXPECT_EQ(h, 10 + 20);  // an empty input: one line
    int32_t iw, ih;
    console.GetInput().GetSize(iw, ih);
    EXPECT_EQ(iw, w - 20);
    EXPECT_EQ(ih, 10);

    console.GetInput().SetMaxLength(5000);
    std::u16string words;
    for (int32_t i = 0; i < 800; ++i)
        words += u"abc ";
    console.SetInputText(wString(words.substr(0, 100).c_str()));
    console.Layout();
    console.GetSize(w, h);
    EXPECT_GT(h, 30);  // several lines
    console.SetInputText(wString(words.c_str()));
    console.Layout();
    console.GetSize(w, h);
    EXPECT_EQ(h, 480 - 100 - 30 + 20);
}

// Taking the focus lays the console out and hands the focus on to its input.
TEST(CConsoleGuiTest, FocusGoesToTheInput)
{
    GuiScreen screen;
    CConsoleGui console;
    screen.manager.AddWindow(&console);
    console.SetSize(10, 10);
    ASSERT_TRUE(console.SetFocus(false));
    EXPECT_TRUE(console.GetInput().HasFocus());
    int32_t w, h;
    console.GetSize(w, h);
    EXPECT_EQ(w, 640 - 307);
}

// SetFill keeps 0 to 1; at 0 only the background is drawn, at 1 the bar covers its picture's
// width; the caption takes its colour at once.
TEST(BarGuiTest, FillDrawsTheBarCropped)
{
    GuiScreen screen;
    BarGui bar;
    int32_t w, h;
    bar.GetSize(w, h);
    EXPECT_EQ(w, 528);
    EXPECT_EQ(h, 30);
    const float fills[][2] = {{1.5f, 1.0f}, {-1.0f, 0.0f}, {0.5f, 0.5f}};
    for (const auto& f : fills) {
        bar.SetFill(f[0]);
        EXPECT_EQ(bar.GetFill(), f[1]);
    }
    screen.device.Gfx().CreateSolidTexture(bar.GetBackground(), 16, 0xFF000000u);
    screen.device.Gfx().CreateTexture(&bar.GetBar(), 256, 32, 1, -1, 1);
    bar.SetPos(10, 20);
    screen.manager.AddWindow(&bar);
    const struct {
        float fill;
        int32_t quads;
        int32_t right;
    } cases[] = {{0.0f, 1, 0}, {1.0f, 2, 10 + 256}, {0.5f, 2, 10 + 128}};
    for (const auto& c : cases) {
        bar.SetFill(c.fill);
        screen.device.Journal().Clear();
        screen.manager.Render(false, true);
        EXPECT_EQ(QuadsDrawn(screen.device.Journal()), c.quads) << c.fill;
        if (c.right)
            EXPECT_EQ(LastQuadRect(bar.GetBar())[2], c.right) << c.fill;
    }
    EXPECT_EQ(std::string(bar.GetName()), "BarGui");
}
