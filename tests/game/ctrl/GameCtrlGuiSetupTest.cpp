// GameCtrl's GUI set-up and console toggle: the engine's set-up with a GUI manager (logo,
// progress bar, text field, tooltip frame record, cursor and tooltip timing), the console opening
// in front with its input emptied and focused after the waiting messages, and the one entry list
// that the error window, the debug pages and the subtitles share.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/ToolTipSkin.h"
#include "game/ctrl/StateManager.h"
#include "platform/WindowMessageQueue.h"
#include "support/GuiScreen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// A 24-bit picture file of the size (rows bottom up, each padded to four bytes).
std::string BmpBytes(int32_t width, int32_t height)
{
    const int32_t row = (width * 3 + 3) / 4 * 4;
    const int32_t size = 54 + row * height;
    std::string bytes(size_t(size), '\0');
    auto put = [&bytes](size_t at, uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, uint32_t(size), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, uint32_t(row * height), 4);
    return bytes;
}

// A client's controller with a GUI manager on a game directory holding the logo (41 x 20) and
// the frame corner picture (28 x 28).
class GuiSetUp : public ::testing::Test {
protected:
    GuiSetUp()
    {
        dir.Write("graphics/gui_2/windows/logo_quillmarsh_small_i.dds", BmpBytes(41, 20));
        dir.Write("graphics/gui_2/windows/deco_icon_31_15.png", BmpBytes(28, 28));
    }

    ScopedGameConfig config;
    GameDir dir;
    GuiScreen screen;
    GameCtrl ctrl;
};

}  // namespace

TEST_F(GuiSetUp, InitGuiSetsTheEngineWindowsUp)
{
    screen.manager.SetCursorType(2);
    screen.manager.SetCursorEnabled(false);
    ctrl.InitGui();

    DXC_Texture& logo = ctrl.GetLogoTexture();
    ASSERT_TRUE(logo.IsValid());
    EXPECT_EQ(logo.hotSpotX, 20.0f);  // 41 / 2 towards zero
    EXPECT_EQ(logo.hotSpotY, 20.0f);

    int32_t insets[4];
    ctrl.GetProgressBar().GetBarInsets(insets[0], insets[1], insets[2], insets[3]);
    EXPECT_EQ(insets[0], 58);
    EXPECT_EQ(insets[1], 32);
    EXPECT_EQ(insets[2], 917);
    EXPECT_EQ(insets[3], 49);
    EXPECT_EQ(ctrl.GetProgressBar().GetParent(), &screen.manager.GetRoot());

    DXC_GuiText& text = ctrl.GetTextField();
    int32_t w, h;
    text.GetSize(w, h);
    EXPECT_EQ(w, 700);
    EXPECT_EQ(h, 30);
    EXPECT_FALSE(text.IsOpen());
    EXPECT_EQ(text.GetParent(), &screen.manager.GetRoot());

    const ToolTipSkin& skin = screen.manager.GetToolTipSkin();
    ASSERT_NE(skin.corners[0], nullptr);
    EXPECT_TRUE(skin.corners[0]->IsValid());
    const int32_t cornerOffsets[4][2] = {{1, 1}, {27, 1}, {1, 27}, {27, 27}};
    const int32_t edgeOffsets[4] = {1, 27, 27, 1};
    for (int32_t i = 0; i < 4; ++i) {
        ASSERT_NE(skin.corners[i], nullptr);
        ASSERT_NE(skin.edges[i], nullptr);
        EXPECT_EQ(skin.cornerOffsets[i][0], cornerOffsets[i][0]) << i;
        EXPECT_EQ(skin.cornerOffsets[i][1], cornerOffsets[i][1]) << i;
        EXPECT_EQ(skin.edgeOffsets[i], edgeOffsets[i]) << i;
        EXPECT_EQ(skin.insets[i], 0);
    }
    // The corners are the picture mirrored: the top-right one runs right to left.
    float origin[2], xAxis[2], yAxis[2];
    skin.corners[1]->GetTexCoords(origin, xAxis, yAxis);
    EXPECT_LT(xAxis[0], 0.0f);
    EXPECT_GT(yAxis[1], 0.0f);
    skin.corners[3]->GetTexCoords(origin, xAxis, yAxis);
    EXPECT_LT(xAxis[0], 0.0f);
    EXPECT_LT(yAxis[1], 0.0f);
    skin.edges[0]->GetTexCoords(origin, xAxis, yAxis);  // a strip one pixel wide
    EXPECT_NEAR(xAxis[0], (1.0f - 0.02f) / 28.0f, 1e-6);
    ASSERT_NE(skin.middle, nullptr);
    EXPECT_FALSE(skin.middle->IsValid());
    EXPECT_EQ(skin.middleMode, 0);

    EXPECT_EQ(screen.manager.GetCursorType(), 0);
    EXPECT_TRUE(screen.manager.IsCursorEnabled());
    EXPECT_NEAR(screen.manager.GetToolTipDelay(), 0.1, 1e-6);
    EXPECT_EQ(screen.manager.GetToolTipTolerance(), 5);
    int32_t offset[2];
    screen.manager.GetToolTipOffset(offset[0], offset[1]);
    EXPECT_EQ(offset[0], 10);
    EXPECT_EQ(offset[1], 10);
}

// Without pictures the set-up still runs: the decoration is left out.
TEST(GameCtrlGuiSetupTest, MissingPicturesAreLeftOut)
{
    ScopedGameConfig config;
    GameDir dir;
    GuiScreen screen;
    GameCtrl ctrl;
    ctrl.InitGui();
    EXPECT_FALSE(ctrl.GetLogoTexture().IsValid());
    EXPECT_EQ(ctrl.GetTextField().GetParent(), &screen.manager.GetRoot());
}

namespace {

// Records the window messages the state manager handles.
class CountingStateManager : public StateManager {
public:
    intptr_t HandleWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        ++handled;
        if (console)
            openWhenHandled = console->IsOpen() != 0;
        return StateManager::HandleWindowMessage(window, message, wParam, lParam);
    }
    int32_t handled = 0;
    bool openWhenHandled = true;
    DXC_GuiField* console = nullptr;
};

}  // namespace

// A closed console opens in front with its input emptied and focused and the statistics page
// 0, after the waiting messages were handled; an open one closes without handling any.
TEST_F(GuiSetUp, ToggleConsoleOpensInFrontWithTheInputFocused)
{
    CountingStateManager states;
    states.console = &ctrl.GetConsoleWindow();
    ctrl.SetStateManager(&states);
    CConsoleGui& console = ctrl.GetConsoleWindow();
    screen.manager.AddWindow(&console);
    DXC_GuiField other;
    other.SetRect(0, 0, 50, 50);
    screen.manager.AddWindow(&other);
    console.SetOpenState(false);
    console.GetInput().SetMaxLength(64);
    console.SetInputText(wString(u"old text"));
    ctrl.SetStatisticsPage(3);
    WindowMessage message{};
    states.GetMessageQueue().Post(message);
    states.GetMessageQueue().Post(message);

    EXPECT_EQ(ctrl.ToggleConsole(), 1);
    EXPECT_EQ(states.handled, 2);
    EXPECT_FALSE(states.openWhenHandled);
    EXPECT_TRUE(console.IsOpen());
    EXPECT_EQ(ctrl.GetStatisticsPage(), 0);
    EXPECT_TRUE(console.GetInput().GetText() == wString());
    EXPECT_TRUE(console.GetInput().HasFocus());
    screen.manager.Render(false, false);  // the deferred move to the front
    EXPECT_EQ(screen.manager.GetRoot().GetChild(0), &console);

    states.GetMessageQueue().Post(message);
    ctrl.SetStatisticsPage(2);
    EXPECT_EQ(ctrl.ToggleConsole(), 0);
    EXPECT_FALSE(console.IsOpen());
    EXPECT_EQ(states.handled, 2);  // an open console closes at once
    EXPECT_EQ(ctrl.GetStatisticsPage(), 0);
    ctrl.SetStateManager(nullptr);
}

// The error window, a debug page, a formatted line and a subtitle are all the text viewer's
// entries; the subtitle's line is revealed at its reading speed with a soft edge of 10.
TEST(GameCtrlGuiSetupTest, OneEntryListForEveryTextWindow)
{
    GuiScreen screen;
    GameCtrl ctrl;
    ctrl.ShowError("broken");
    ctrl.UpdateGui();
    ErrorMsgGui& errors = ctrl.GetErrorWindow();
    ASSERT_EQ(errors.GetNumLines(), 1);
    EXPECT_TRUE(errors.GetEntry(0)->text == wString(u"broken"));

    DXC_GuiTextViewerScl& page = ctrl.GetTextViewer(GameCtrl::kDebugTextViewer);
    ctrl.AddDebugText("debug line");
    EXPECT_EQ(page.AddLineF(u"%i more", 2), 1);
    ASSERT_EQ(page.GetNumLines(), 2);
    EXPECT_TRUE(page.GetEntry(0)->text == wString(u"debug line"));
    EXPECT_TRUE(page.GetEntry(1)->text == wString(u"2 more"));

    SubTitleGui& subtitle = ctrl.GetSubTitleWindow();
    screen.manager.SetFixedTime(5.0);
    subtitle.SetManager(&screen.manager);
    subtitle.ShowLine(wString(u"Hello there"), 2.0f);
    ASSERT_EQ(subtitle.GetNumLines(), 1);
    EXPECT_TRUE(subtitle.GetEntry(0)->text == wString(u"Hello there"));
    EXPECT_TRUE(subtitle.IsOpen());
    EXPECT_EQ(subtitle.GetRevealStart(), 5.0);
    EXPECT_FLOAT_EQ(subtitle.GetRevealSpeed(), 11.0f / 2.0f);
    EXPECT_FLOAT_EQ(subtitle.GetFadeWidth(), 10.0f);
    EXPECT_FLOAT_EQ(subtitle.GetDisplayTime(), 2.0f);
    EXPECT_EQ(subtitle.GetStartTime(), subtitle.GetRevealStart());
    EXPECT_EQ(subtitle.GetDisplayLimit(), subtitle.GetRevealSpeed());
}
