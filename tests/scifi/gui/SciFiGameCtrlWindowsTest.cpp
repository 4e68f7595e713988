// SciFiGameCtrl's game windows: which windows exclude each other and pause the game, the item
// information on mouse-over, the highlight of the element under the pointer, the Esc block and
// the GUI set-up's cursor and tooltip parameters.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/GameOptions.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiScaleableText.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "scifi/objects/Item_SF.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

class SciFiGameCtrlWindowsTest : public ::testing::Test {
protected:
    void TearDown() override { g_LastFrameTime = 0.0f; }

    SciFiGameCtrl ctrl;
};

}  // namespace

TEST_F(SciFiGameCtrlWindowsTest, SheetKeysOverOpenWindows)
{
    enum Key { kCharacter, kSkillTree, kMissionLog };
    const struct {
        const char* setting;
        bool pauseMenu, trade, characterOpen;
        Key key;
        bool character, skillTree, missionLog;
    } cases[] = {
        {"pause menu blocks", true, false, false, kCharacter, false, false, false},
        {"pause menu blocks", true, false, false, kSkillTree, false, false, false},
        {"trade blocks", false, true, false, kMissionLog, false, false, false},
        {"trade keeps the sheet", false, true, true, kSkillTree, true, false, false},
        {"opens", false, false, false, kCharacter, true, false, false},
        {"closes", false, false, true, kCharacter, false, false, false},
        {"skill tree replaces the sheet", false, false, true, kSkillTree, false, true, false},
        {"mission log replaces the sheet", false, false, true, kMissionLog, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        SciFiGameCtrl windows;
        windows.GetPauseMenu().SetOpenState(c.pauseMenu);
        windows.GetTradeWindow().SetOpenState(c.trade);
        windows.GetCharacterWindow().SetOpenState(c.characterOpen);
        windows.GetChatWindow().SetActive(true);
        if (c.key == kCharacter)
            windows.ToggleCharacterWindow();
        else if (c.key == kSkillTree)
            windows.ToggleSkillTreeWindow();
        else
            windows.ToggleMissionLogWindow();
        EXPECT_EQ(windows.GetCharacterWindow().IsOpen() != 0, c.character);
        EXPECT_EQ(windows.GetSkillTreeWindow().IsOpen() != 0, c.skillTree);
        EXPECT_EQ(windows.GetMissionLog().IsOpen() != 0, c.missionLog);
        // A switch that went through leaves the chat input.
        EXPECT_EQ(windows.GetChatWindow().IsActive(), c.pauseMenu || c.trade);
    }
}

TEST_F(SciFiGameCtrlWindowsTest, PauseMenuAndHelpPauseTheGame)
{
    ctrl.GetSkillTreeWindow().SetOpenState(true);
    ctrl.TogglePauseMenu();
    EXPECT_TRUE(ctrl.GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl.GetPauseFlag(), 1);
    EXPECT_FALSE(ctrl.GetSkillTreeWindow().IsOpen());

    // Over the options the pause key closes only them; the game stays paused.
    ctrl.GetOptionsWindow().SetOpenState(true);
    ctrl.TogglePauseMenu();
    EXPECT_FALSE(ctrl.GetOptionsWindow().IsOpen());
    EXPECT_TRUE(ctrl.GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl.GetPauseFlag(), 1);
    ctrl.TogglePauseMenu();
    EXPECT_FALSE(ctrl.GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl.GetPauseFlag(), 0);

    // Help pauses while open, also over a pause it found; closing it resumes in both cases.
    for (const bool pausedBefore : {false, true}) {
        SCOPED_TRACE(pausedBefore);
        ctrl.SetPause(pausedBefore ? 1 : 0);
        ctrl.ToggleHelp();
        EXPECT_TRUE(ctrl.GetHelpWindow().IsOpen());
        EXPECT_EQ(ctrl.GetPauseFlag(), 1);
        ctrl.ToggleHelp();
        EXPECT_FALSE(ctrl.GetHelpWindow().IsOpen());
        EXPECT_EQ(ctrl.GetPauseFlag(), 0);
    }

    // A reset closes the pause menu of a paused game and resumes it; the map follows the HUD.
    ctrl.ShowHud();
    ctrl.GetMiniMapWindow().SetOpenState(false);
    ctrl.TogglePauseMenu();
    ctrl.ResetGuiState(0);
    EXPECT_FALSE(ctrl.GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl.GetPauseFlag(), 0);
    EXPECT_TRUE(ctrl.GetMiniMapWindow().IsOpen());

    // The game windows stay while the pause menu is open.
    ctrl.GetCharacterWindow().SetOpenState(true);
    ctrl.GetPauseMenu().SetOpenState(true);
    ctrl.CloseGameWindows();
    EXPECT_TRUE(ctrl.GetCharacterWindow().IsOpen());
    ctrl.GetPauseMenu().SetOpenState(false);
    ctrl.GetTradeWindow().SetOpenState(true);
    ctrl.CloseGameWindows();
    EXPECT_FALSE(ctrl.GetCharacterWindow().IsOpen());
    EXPECT_FALSE(ctrl.GetTradeWindow().IsOpen());
}

TEST_F(SciFiGameCtrlWindowsTest, ItemInformationOnMouseOver)
{
    InputState keys;
    MouseState mouse;
    ctrl.SetInputDevices(&keys, &mouse);
    Item_SF item, other;
    ItemInfoGui& box = ctrl.GetItemInfoBox(0);
    const float delay = g_Options.mouseOverDelay;

    // Left Shift shows at once.
    keys.SetKeyDown(InputState::kLeftShift, true);
    ctrl.HoverItem(&item, 100, 100);
    EXPECT_TRUE(box.IsOpen());
    EXPECT_EQ(box.GetItem(), &item);
    keys.SetKeyDown(InputState::kLeftShift, false);
    ctrl.CloseItemInfoWindows();

    // Otherwise after the delay, while the pointer stays within the distance (5 pixels).
    g_LastFrameTime = delay * 0.6f;
    ctrl.HoverItem(&other, 100, 100);  // a new item starts the wait
    ctrl.HoverItem(&other, 103, 104);
    EXPECT_FALSE(box.IsOpen());
    ctrl.HoverItem(&other, 104, 103);
    EXPECT_FALSE(box.IsOpen());
    ctrl.HoverItem(&other, 104, 103);
    EXPECT_TRUE(box.IsOpen());
    EXPECT_EQ(box.GetItem(), &other);
    ctrl.CloseItemInfoWindows();

    // A pointer that wandered off starts the wait again there.
    ctrl.HoverItem(&item, 10, 10);
    ctrl.HoverItem(&item, 10, 16);
    ctrl.HoverItem(&item, 10, 16);
    ctrl.HoverItem(&item, 10, 16);
    EXPECT_FALSE(box.IsOpen());
    ctrl.HoverItem(&item, 10, 16);
    EXPECT_TRUE(box.IsOpen());
    ctrl.CloseItemInfoWindows();

    // Nothing opens while an object hangs on the cursor.
    DXC_GuiManager gui;
    int dragged = 0;
    gui.SetDragObject(&dragged, "dragged", nullptr);
    for (int32_t i = 0; i < 4; ++i)
        ctrl.HoverItem(&item, 10, 16);
    EXPECT_FALSE(box.IsOpen());
    ctrl.SetInputDevices(nullptr, nullptr);
}

TEST_F(SciFiGameCtrlWindowsTest, HighlightAndEscapeBlock)
{
    std::unique_ptr<CreatureObj> creature(ctrl.CreateCreature());
    EXPECT_EQ(ctrl.GetHighlightKind(creature.get()), 0);  // not under the pointer
    ctrl.SetPointedElement(creature.get());
    creature->m_Party = -1;
    EXPECT_EQ(ctrl.GetHighlightKind(creature.get()), 0);
    creature->m_Party = 1;
    EXPECT_EQ(ctrl.GetHighlightKind(), 1);  // no hero to be hostile to
    WorldElem crate;
    ctrl.SetPointedElement(&crate);
    EXPECT_EQ(ctrl.GetHighlightKind(&crate), 1);
    ctrl.SetPointedElement(nullptr);

    // Esc: blocked by a dragged object; without a hero only in the game state with the menu open,
    // which needs a state manager.
    EXPECT_FALSE(ctrl.IsEscapeBlocked());
    DXC_GuiManager gui;
    int dragged = 0;
    gui.SetDragObject(&dragged, "dragged", nullptr);
    EXPECT_TRUE(ctrl.IsEscapeBlocked());
    ctrl.DropDraggedObject();
    EXPECT_EQ(gui.GetDragObject(), nullptr);
    EXPECT_FALSE(ctrl.IsEscapeBlocked());
}

TEST_F(SciFiGameCtrlWindowsTest, DragHolderAndSmallQueries)
{
    auto* item = new Item_SF;
    ASSERT_GE(ctrl.GetDragHolder().AddItem(item), 0);
    EXPECT_EQ(ctrl.TakeDraggedItem(false), item);
    EXPECT_EQ(ctrl.GetDragHolder().GetCount(), 1);
    std::unique_ptr<ItemBase> taken(ctrl.TakeDraggedItem(true));
    EXPECT_EQ(taken.get(), item);
    EXPECT_EQ(ctrl.GetDragHolder().GetCount(), 0);
    EXPECT_EQ(ctrl.TakeDraggedItem(true), nullptr);

    EXPECT_FALSE(ctrl.IsInputBlocked());
    ctrl.OpenDialogWindow();
    EXPECT_TRUE(ctrl.IsInputBlocked());

    EXPECT_TRUE(ctrl.CanActOnKeys());
    ctrl.GetChatWindow().SetActive(true);
    EXPECT_FALSE(ctrl.CanActOnKeys());
    ctrl.GetChatWindow().SetActive(false);
    ctrl.GetStatisticsViewer().SetOpenState(true);
    EXPECT_FALSE(ctrl.CanActOnKeys());
}

TEST_F(SciFiGameCtrlWindowsTest, GuiSetUpGivesTheTooltipParameters)
{
    DXC_GuiManager gui;
    gui.SetCursorType(2);
    gui.SetCursorEnabled(false);
    ctrl.InitGuiFields();
    EXPECT_EQ(gui.GetCursorType(), 0);
    EXPECT_TRUE(gui.IsCursorEnabled());
    EXPECT_NEAR(gui.GetToolTipDelay(), 0.1, 1e-6);
    EXPECT_EQ(gui.GetToolTipTolerance(), 5);
    int32_t offset[2] = {0, 0};
    gui.GetToolTipOffset(offset[0], offset[1]);
    EXPECT_EQ(offset[0], 10);
    EXPECT_EQ(offset[1], 10);
    // The tooltip frame: nine distinct pictures, the middle apart from every edge and corner.
    const ToolTipSkin& skin = gui.GetToolTipSkin();
    std::set<const DXC_Texture*> pictures = {skin.middle};
    for (int32_t i = 0; i < 4; ++i) {
        pictures.insert(skin.edges[i]);
        pictures.insert(skin.corners[i]);
    }
    EXPECT_EQ(pictures.size(), 9u);
    EXPECT_EQ(pictures.count(nullptr), 0u);
}

namespace {

// Counts the engine's set-up steps the rules' set-up asks for.
class CountingSetUpCtrl : public SciFiGameCtrl {
public:
    void InitGui() override
    {
        ++engineSetUps;
        SciFiGameCtrl::InitGui();
    }
    int32_t engineSetUps = 0;
};

}  // namespace

// The rules' set-up runs the engine's once, whose windows join the GUI; then the game's tooltip
// frame replaces the engine's. Without a GUI manager (the server) it runs none.
TEST(SciFiGameCtrlGuiSetUpTest, RunsTheEngineSetUpOnce)
{
    {
        CountingSetUpCtrl server;
        server.InitGuiFields();
        EXPECT_EQ(server.engineSetUps, 0);
    }
    CountingSetUpCtrl client;
    DXC_GuiManager gui;
    client.InitGuiFields();
    EXPECT_EQ(client.engineSetUps, 1);
    EXPECT_EQ(client.GetProgressBar().GetParent(), &gui.GetRoot());
    EXPECT_EQ(client.GetTextField().GetParent(), &gui.GetRoot());
    EXPECT_EQ(gui.GetToolTipSkin().cornerOffsets[1][0], 0);  // the game's frame, fitted by its pictures
}
