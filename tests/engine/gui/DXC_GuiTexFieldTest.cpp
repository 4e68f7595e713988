// DXC_GuiTexField, DXC_CloseButtonField and DXC_GuiTexFieldEx: the picture and its size, a dragged
// window following the mouse, the close button's click closing the window before its children are
// drawn again, its skin, its place on a resize; and the manager's drag icon, a picture field.
#include "engine/gui/DXC_GuiTexField.h"

#include "engine/gui/DXC_GuiTexFieldEx.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class GuiPictureTest : public ::testing::Test {
protected:
    GuiPictureTest() { screen.device.Gfx().CreateSolidTexture(picture, 16, 0xFFFFFFFFu); }
    void Frame(double t, float x, float y, bool held)
    {
        screen.mouse.SetButtonDown(0, held);
        screen.Frame(t, x, y);
    }

    GuiScreen screen{true};
    DXC_Texture picture;
};

// A window whose close button reports OnClose into the log the children draw into.
struct ClosingWindow : DXC_GuiTexFieldEx {
    void OnClose() override { log->push_back("OnClose"); }
    std::vector<std::string>* log = nullptr;
};

}  // namespace

// A loaded texture becomes the picture and, when asked, the size; one that is not loaded clears
// the picture and leaves the size.
TEST_F(GuiPictureTest, SetTextureSizesOrClears)
{
    DXC_GuiTexField field;
    field.SetRect(0, 0, 50, 40);
    field.SetTexture(&picture, false);
    int32_t w, h;
    field.GetSize(w, h);
    EXPECT_EQ(w, 50);
    EXPECT_TRUE(field.GetPicture().IsValid());
    field.SetTexture(&picture, true);
    field.GetSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    DXC_Texture notLoaded;
    field.SetTexture(&notLoaded, true);
    EXPECT_FALSE(field.GetPicture().IsValid());
    field.GetSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);

    screen.manager.AddWindow(&field);
    field.SetTexture(&picture, false);
    screen.device.Journal().Clear();
    screen.manager.Render(false, true);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 1);
    field.SetDrawPicture(false);
    screen.device.Journal().Clear();
    screen.manager.Render(false, true);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 0);
}

// A window dragged with the left button keeps the point where it was grabbed under the mouse.
TEST_F(GuiPictureTest, ADraggedWindowFollowsTheMouseFromItsGrabPoint)
{
    DXC_GuiTexField window;
    window.SetRect(100, 100, 300, 200);
    window.SetTexture(&picture, false);
    screen.manager.AddWindow(&window);
    Frame(1.0, 150, 120, true);
    Frame(1.1, 160, 125, true);  // far enough: the drag starts
    ASSERT_TRUE(window.IsDragging());
    int32_t x, y;
    window.GetPos(x, y);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 105);
    Frame(1.2, 200, 150, true);
    window.GetPos(x, y);
    EXPECT_EQ(x, 150);
    EXPECT_EQ(y, 130);
    Frame(1.3, 210, 150, false);  // dropped: it stays
    Frame(1.4, 300, 300, false);
    window.GetPos(x, y);
    EXPECT_EQ(x, 150);
    EXPECT_EQ(y, 130);
}

// A click on the close button runs OnClose and closes the window in the frame of the release,
// before its children are drawn; the button took the manager's close-button skin.
TEST_F(GuiPictureTest, AClickedCloseButtonClosesTheWindowBeforeItsChildrenDraw)
{
    std::vector<std::string> log;
    ClosingWindow window;
    window.log = &log;
    window.SetRect(100, 100, 300, 200);
    RecordingField child(&log, "child");
    child.SetRect(0, 40, 100, 80);
    window.AddChild(&child);
    DXC_Texture& skin = screen.manager.GetSkinPicture(DXC_GuiManager::kCloseSkin, 0);
    screen.device.Gfx().CreateSolidTexture(skin, 16, 0xFFFF0000u);
    window.SetCloseButton(168, 0, 32, 32, wString(u"X"), nullptr, nullptr, nullptr, nullptr);
    screen.manager.AddWindow(&window);

    Frame(1.0, 280, 110, true);  // on the button
    EXPECT_TRUE(window.GetCloseButton().GetPicture(0).IsValid());
    EXPECT_EQ(log, (std::vector<std::string>{"child"}));
    log.clear();
    Frame(1.05, 280, 110, false);
    EXPECT_EQ(log, (std::vector<std::string>{"OnClose"}));
    EXPECT_FALSE(window.IsOpen());

    // A press elsewhere and a release over the button is no click.
    window.SetOpenState(true);
    log.clear();
    Frame(2.0, 150, 150, true);
    Frame(2.1, 280, 110, false);
    EXPECT_TRUE(window.IsOpen());
}

// On a resize the close button keeps its relative place: its position scales with the window's
// size. A window of width or height 0 has no ratio, and the button stays where it is.
TEST(DXC_GuiTexFieldExTest, TheCloseButtonMovesWithTheSize)
{
    DXC_GuiTexFieldEx window;
    EXPECT_FALSE(window.GetCloseButton().IsOpen());
    EXPECT_TRUE(window.GetCloseButton().GetLabel() == wString(u"X"));
    EXPECT_EQ(window.GetCloseButton().GetParent(), &window);
    window.SetSize(200, 100);
    window.GetCloseButton().SetPos(168, 10);
    struct Case {
        int32_t width, height;
        int32_t x, y;
    };
    const Case cases[] = {{400, 50, 336, 5}, {400, 50, 336, 5}, {0, 0, 336, 5},
                          {300, 100, 336, 5}, {150, 0, 336, 5},  {100, 300, 336, 5},
                          {50, 150, 168, 3}};  // 2.5 rounds away from zero
    for (const Case& c : cases) {
        window.SetSize(c.width, c.height);
        int32_t x, y;
        window.GetCloseButton().GetPos(x, y);
        EXPECT_EQ(x, c.x) << c.width << " x " << c.height;
        EXPECT_EQ(y, c.y) << c.width << " x " << c.height;
        int32_t w, h;
        window.GetSize(w, h);
        EXPECT_EQ(w, c.width);
    }
}

// The drag icon is a picture field centred on the mouse while an object is dragged; a frame
// without a drag object drops it.
TEST_F(GuiPictureTest, TheDragIconIsAPictureCentredOnTheMouse)
{
    const int32_t subRect[4] = {0, 0, 8, 4};
    screen.manager.SetDragIcon(&picture, true, subRect, 2.0f);
    DXC_GuiTexField* icon = screen.manager.GetDragIcon();
    ASSERT_NE(icon, nullptr);
    int32_t w, h;
    icon->GetSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
    int object = 0;
    screen.manager.SetDragObject(&object, "thing", nullptr);
    Frame(1.0, 200, 100, false);
    int32_t x, y;
    icon->GetPos(x, y);
    EXPECT_EQ(x, 192);
    EXPECT_EQ(y, 96);
    screen.manager.SetDragObject(nullptr, nullptr, nullptr);
    Frame(1.1, 200, 100, false);
    EXPECT_EQ(screen.manager.GetDragIcon(), nullptr);
}
