// The buttons: push buttons count a press and release over themselves, toggles flip, a radio
// group keeps one down, closing releases a push button, the counter is read with reset, events go
// to the manager's callback; the font button's colours and the textured button's default skins.
#include "engine/gui/DXC_GuiButton.h"

#include "engine/gui/DXC_GuiFontButton.h"
#include "engine/gui/DXC_GuiTexButton.h"

#include "support/GuiScreen.h"
#include "support/TenPixelFont.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> s_Events;
void RecordEvent(int32_t event, DXC_GuiField*) { s_Events.push_back(event); }

// Three buttons side by side in a screen-wide window, 50 x 30 each at x 0, 100 and 200.
class GuiButtonTest : public ::testing::Test {
protected:
    GuiButtonTest()
    {
        window.SetRect(0, 0, 640, 480);
        screen.manager.AddWindow(&window);
        for (int32_t i = 0; i < 3; ++i) {
            buttons[i].SetRect(100 * i, 0, 100 * i + 50, 30);
            window.AddChild(&buttons[i]);
        }
        s_Events.clear();
        screen.manager.SetFieldEventCallback(RecordEvent);
    }
    ~GuiButtonTest() override { screen.manager.SetFieldEventCallback(nullptr); }
    // A press at one point and a release at another, a frame each.
    void Click(float pressX, float releaseX)
    {
        t += 1.0;
        screen.mouse.SetButtonDown(0, true);
        screen.Frame(t, pressX, 10);
        screen.mouse.SetButtonDown(0, false);
        screen.Frame(t + 0.1, releaseX, 10);
    }

    GuiScreen screen{true};
    DXC_GuiField window;
    DXC_GuiButton buttons[3];
    double t = 0.0;
};

}  // namespace

TEST_F(GuiButtonTest, PushButtonCountsAPressAndReleaseOverItself)
{
    DXC_GuiButton& push = buttons[0];
    Click(20, 30);
    EXPECT_EQ(push.GetClicks(false), 1);
    EXPECT_EQ(push.GetState(), 0);
    EXPECT_EQ(s_Events, (std::vector<int32_t>{DXC_GuiButton::kEventReleased}));
    Click(20, 400);  // released outside
    EXPECT_EQ(push.GetClicks(false), 1);
    EXPECT_EQ(push.GetState(), 0);
    Click(400, 20);  // pressed outside
    EXPECT_EQ(push.GetClicks(true), 1);
    EXPECT_EQ(push.GetClicks(true), 0) << "each click is read once";
    Click(20, 20);
    Click(20, 20);
    EXPECT_EQ(push.GetClicks(true), 2);

    push.SetEnabled(false);
    Click(20, 20);
    EXPECT_EQ(push.GetClicks(true), 0);
}

TEST_F(GuiButtonTest, TogglesFlipAndRadioGroupsKeepOneDown)
{
    DXC_GuiButton& toggle = buttons[0];
    toggle.SetToggleMode(true);
    Click(20, 20);
    EXPECT_EQ(toggle.GetState(), 1);
    Click(20, 400);  // a toggle counts the press
    EXPECT_EQ(toggle.GetState(), 0);
    EXPECT_EQ(toggle.GetClicks(true), 2);
    EXPECT_EQ(s_Events, (std::vector<int32_t>{DXC_GuiButton::kEventPressed, DXC_GuiButton::kEventPressed}));

    DXC_GuiButton a, b, c;
    a.JoinGroup(&b);
    a.JoinGroup(&c);
    EXPECT_EQ(c.GetState(), 1);
    EXPECT_EQ(b.GetState(), 0);
    const struct {
        float x;
        int32_t states[3];
    } presses[] = {{120, {0, 1, 0}}, {220, {0, 0, 1}}, {20, {1, 0, 0}}, {20, {1, 0, 0}}};
    DXC_GuiButton radios[3];
    for (int32_t i = 0; i < 3; ++i) {
        window.RemoveChild(&buttons[i]);
        radios[i].SetRect(100 * i, 0, 100 * i + 50, 30);
        window.AddChild(&radios[i]);
    }
    radios[0].JoinGroup(&radios[1]);
    radios[1].JoinGroup(&radios[2]);
    for (const auto& press : presses) {
        Click(press.x, press.x);
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_EQ(radios[i].GetState(), press.states[i]) << press.x << " button " << i;
    }
    EXPECT_EQ(radios[0].GetClicks(true), 2);
}

// Closing releases a pressed push button; a toggle keeps its state.
TEST_F(GuiButtonTest, ClosingReleasesAPushButtonOnly)
{
    buttons[1].SetToggleMode(true);
    t += 1.0;
    screen.mouse.SetButtonDown(0, true);
    screen.Frame(t, 20, 10);
    EXPECT_EQ(buttons[0].GetState(), 1);
    buttons[0].SetOpenState(false);
    EXPECT_EQ(buttons[0].GetState(), 0);
    screen.mouse.SetButtonDown(0, false);
    screen.Frame(t + 0.1, 20, 10);
    EXPECT_EQ(buttons[0].GetClicks(true), 0);
    Click(120, 120);
    buttons[1].SetOpenState(false);
    EXPECT_EQ(buttons[1].GetState(), 1);
}

// A font button whose colours were never set takes the manager's once attached; its label colour
// follows hover, state and blink.
TEST(DXC_GuiFontButtonTest, DefaultColoursHoverPressedAndBlink)
{
    GuiScreen screen(true);
    DXC_Font font;
    MakeTenPixelFont(screen.device.Gfx(), font);
    screen.manager.SetDefaultFont(&font, 0xFFFFFFFFu);
    screen.manager.SetDefaultButtonColours(0xFF000001u, 0xFF000002u, 0xFF000003u);
    DXC_GuiFontButton button, coloured;
    coloured.SetColours(0xFF0000AAu, 0xFF0000BBu, 0xFF0000CCu);
    button.SetRect(100, 100, 200, 140);
    button.SetLabel("Go");
    screen.manager.AddWindow(&button);
    screen.manager.AddWindow(&coloured);
    EXPECT_EQ(button.GetColourNormal(), 0xFF000001u);
    EXPECT_EQ(button.GetColourHover(), 0xFF000003u);
    EXPECT_EQ(coloured.GetColourNormal(), 0xFF0000AAu);

    screen.device.Journal().Clear();
    screen.Frame(1.0, 10, 10);
    EXPECT_EQ(button.GetLabelColour(), 0xFF000001u);
    EXPECT_EQ(GlyphsDrawn(screen.device.Journal()), 2);
    button.SetHoverEnabled(true);
    screen.Frame(1.1, 150, 120);
    EXPECT_EQ(button.GetLabelColour(), 0xFF000003u);
    button.SetState(1);
    EXPECT_EQ(button.GetLabelColour(), 0xFF000002u);
    button.SetState(0);
    button.SetHoverEnabled(false);
    button.SetBlink(0xFF00FF00u, 1.0);
    button.StartBlink(true);  // at 1.1
    const struct {
        double t;
        uint32_t colour;
    } blink[] = {{1.3, 0xFF00FF00u}, {1.5, 0xFF00FF00u}, {1.8, 0xFF000001u}, {2.2, 0xFF00FF00u}};
    for (const auto& b : blink) {
        screen.manager.SetFixedTime(b.t);
        EXPECT_EQ(button.GetLabelColour(), b.colour) << b.t;
    }
    button.StartBlink(false);
    EXPECT_EQ(button.GetLabelColour(), 0xFF000001u);
}

// A textured button fills every picture it was not given from the manager's skin: a toggle from
// the toggle skin where that is loaded, else from the push skin; the state picks the picture.
TEST(DXC_GuiTexButtonTest, DefaultSkinsAndStatePictures)
{
    GuiScreen screen(true);
    DXC_Texture own;
    screen.device.Gfx().CreateSolidTexture(own, 8, 0xFF00FF00u);
    for (int32_t state = 0; state < DXC_GuiManager::kSkinPictures; ++state)
        screen.device.Gfx().CreateSolidTexture(screen.manager.GetSkinPicture(DXC_GuiManager::kPushSkin, state), 8,
                                               0xFF000000u + uint32_t(state));
    DXC_GuiTexButton push, toggle;
    toggle.SetToggleMode(true);
    push.SetPressedTexture(&own, false, 0xFF123456u);
    push.SetRect(0, 0, 50, 50);
    toggle.SetRect(100, 0, 150, 50);
    screen.manager.AddWindow(&push);
    screen.manager.AddWindow(&toggle);
    screen.device.Journal().Clear();
    screen.Frame(1.0, 300, 300);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 2);
    EXPECT_EQ(push.GetTint(DXC_GuiTexButtonBase::kNormal), 0xFFFFFFFFu);
    EXPECT_EQ(push.GetTint(DXC_GuiTexButtonBase::kPressed), 0xFF123456u) << "its own picture stays";
    EXPECT_TRUE(toggle.GetPicture(DXC_GuiTexButtonBase::kHover).IsValid()) << "the push skin, no toggle skin";

    DXC_GuiTexButton later;
    later.SetToggleMode(true);
    screen.device.Gfx().CreateSolidTexture(screen.manager.GetSkinPicture(DXC_GuiManager::kToggleSkin, 0), 8,
                                           0xFF0000FFu);
    screen.manager.AddWindow(&later);
    screen.Frame(1.1, 300, 300);
    EXPECT_TRUE(later.GetPicture(DXC_GuiTexButtonBase::kNormal).IsValid());
    EXPECT_FALSE(later.GetPicture(DXC_GuiTexButtonBase::kPressed).IsValid()) << "the toggle skin has no pressed";

    struct {
        int32_t state;
        bool hoverMouse;
        int32_t shown;
    } cases[] = {{0, false, 0}, {1, false, 1}, {0, true, 2}, {1, true, 1}};
    for (const auto& c : cases) {
        push.SetState(c.state);
        screen.Frame(1.2, c.hoverMouse ? 20.0f : 300.0f, 20);
        EXPECT_EQ(push.GetShownState(), c.shown) << c.state << " " << c.hoverMouse;
    }
}
