// The client's start menus on a copy of the sample game: the saved characters read from their
// "player.sv" files, browsing them with wrap-around and the menu's texts, the conversion element,
// the buttons of the menus in a pass (a new character, the host level, the new difficulty shown
// once) and the client's game start.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/DXC_GuiInputText.h"
#include "game/ctrl/StateManager.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Records the states entered; it never runs a loop.
class RecordingStates : public StateManager {
public:
    void EnterState(int32_t state) override { entered.push_back(state); }
    void LeaveState(int32_t state) override { (void)state; }
    std::vector<int32_t> entered;
};

class SciFiStartMenusGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override
    {
        Start();
        ctrl->SetStateManager(&states);
        SciFiGameCtrl::s_HostConnectDelayMs = 0;
    }
    void TearDown() override
    {
        ctrl->SetStateManager(nullptr);
        SciFiGameCtrl::s_HostConnectDelayMs = 200;
    }

    void Make(const char16_t* name, uint32_t id, bool multiplayer)
    {
        PlayerSaveID created;
        ASSERT_TRUE(ctrl->CreatePlayerSave(wString(name), String("ch_soldier"), multiplayer, id, created));
    }
    CreatureObj_SF* NewCreature()
    {
        return dynamic_cast<CreatureObj_SF*>(ctrl->CreateWorldObject("Hero", 100.0f, 100.0f, 0.0f, 0.0f));
    }
    std::string Info() { return String(ctrl->GetStartMenu().infoText.GetText()).c_str(); }

    RecordingStates states;
};

}  // namespace

TEST_F(SciFiStartMenusGameTest, SavedCharactersBrowseWithWrapAround)
{
    Make(u"Ann", 0xA, false);
    Make(u"Bob", 0xB, false);
    Make(u"Cid", 0xC, false);
    Make(u"Bob", 0xB, true);  // Bob has been converted
    dir.Write("save/Broken_1/player.sv", "\x13\x01");  // cut short: not listed
    LogCapture log;
    ctrl->RefreshCharacterLists();
    PlayerSaveIDList& single = ctrl->GetCharacterList(false);
    ASSERT_EQ(single.GetSize(), 3);
    EXPECT_EQ(ctrl->GetCharacterList(true).GetSize(), 1);
    EXPECT_EQ(log.Count("player.sv: file cut short"), 1);
    EXPECT_EQ(single.GetAt(0)->saveDirectory, String("save\\Ann_A\\"));

    const struct {
        int32_t index;
        bool multiplayer;
        int32_t selected;
        uint32_t id;
        bool conversionOffered;
    } cases[] = {
        {-1, false, 2, 0xC, true},
        {3, false, 0, 0xA, true},
        {1, false, 1, 0xB, false},  // has its multiplayer twin
        {-1, true, 0, 0xB, false},  // the multiplayer list never offers it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        PlayerSaveID_Creature* entry = ctrl->SelectSavedCharacter(c.index, c.multiplayer, false, 0);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(ctrl->GetSelectedCharacter(c.multiplayer), c.selected);
        EXPECT_EQ(entry->playerID, c.id);
        EXPECT_EQ(ctrl->GetCurrentPlayer().playerID, c.id);
        EXPECT_EQ(ctrl->GetStartMenu().conversionLink.IsOpen() != 0, c.conversionOffered);
    }
    // Without a creature: level 1, chapter 1, the lowest difficulty.
    ctrl->SelectSavedCharacter(0, false, false, 0);
    EXPECT_EQ(Info(), "DBErr:startMenu,playerInfo DBErr:startMenu,class_short_ch_soldier 1 1 DBErr:startMenu,difficulty0");
    EXPECT_EQ(String(ctrl->GetStartMenu().nameText.GetText()), String("Ann"));

    // With a creature: its highest difficulty, clamped, and the chapter of the script.
    CreatureObj_SF* creature = NewCreature();
    ASSERT_NE(creature, nullptr);
    single.GetAt(0)->creature = creature;
    // The chapter script answers by the level progress it is given.
    dir.Write("scripts/level_2_chapter.c",
              "if (obj[2] == 0) { return 3; }\nif (obj[2] == 1) { return 2.7; }\nreturn \"two\";\n");
    const struct {
        uint8_t difficulty;
        int8_t progress;
        const char* chapterAndDifficulty;
    } texts[] = {
        {0, 0, " 3 1 DBErr:startMenu,difficulty0"},
        {5, 1, " 2 1 DBErr:startMenu,difficulty2"},
        {2, 2, " 0 1 DBErr:startMenu,difficulty1"},  // a text is no chapter
    };
    creature->m_Level = 1;
    for (const auto& t : texts) {
        SCOPED_TRACE(t.progress);
        creature->m_LevelProgress = t.progress;
        creature->m_HighestDifficulty = t.difficulty;
        ctrl->SelectSavedCharacter(0, false, false, 0);
        EXPECT_NE(Info().find(t.chapterAndDifficulty), std::string::npos) << Info();
    }
    EXPECT_EQ(ctrl->GetCurrentPlayer().creature.Get(), creature);
    EXPECT_EQ(ctrl->SelectSavedCharacter(0, true, false, 0)->playerID, 0xBu);
    ctrl->GetCharacterList(true).DeleteAll();
    EXPECT_EQ(ctrl->SelectSavedCharacter(0, true, false, 0), nullptr);  // an empty list
}

TEST_F(SciFiStartMenusGameTest, MenuPassButtons)
{
    StartMenuGui& menu = ctrl->GetStartMenu();
    CharacterInfoGui& newCharacter = ctrl->GetNewCharacterScreen();
    CreatureObj_SF* soldier = NewCreature();
    ASSERT_NE(soldier, nullptr);
    *newCharacter.classes.GetBySlot(newCharacter.classes.Add()) = soldier;

    // Enter with an empty name does nothing; with a name the character is made and the game starts.
    newCharacter.nameInput.OnChar(DXC_GuiInputText::kEnter, 1, 0);
    ctrl->UpdateStartMenus(0.02);
    EXPECT_TRUE(states.entered.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "save"));
    EXPECT_EQ(newCharacter.nameInput.GetResult(), 0);  // the Enter was taken
    newCharacter.nameInput.SetText(wString(u"Dee"));
    newCharacter.nameInput.OnChar(DXC_GuiInputText::kEnter, 1, 0);
    ctrl->UpdateStartMenus(0.02);
    EXPECT_EQ(states.entered, std::vector<int32_t>{SciFiGameCtrl::kStateGame});
    EXPECT_EQ(ctrl->GetPlayerName(), wString(u"Dee"));
    EXPECT_EQ(ctrl->GetPlayerCharacterID(), soldier->m_CfgID);

    // A host level outside 0 to 10 starts the nearest end of the list.
    std::vector<std::string> started;
    ctrl->SetHostSpawner([&](const std::string&, const std::vector<std::string>& arguments) {
        started.push_back(arguments.size() > 1 ? arguments[1] : std::string());
        return true;
    });
    for (int32_t index : {12, -3}) {
        menu.selectedHostLevel = index;
        menu.hostButton.Select(true);
        ctrl->UpdateStartMenus(0.02);
    }
    EXPECT_EQ(started, (std::vector<std::string>{"levels\\L11_AlienBL3\\L11_AlienBL3.cfg", "levels\\L1_Ship1\\L1_Ship1.cfg"}));
    EXPECT_EQ(states.entered.size(), 1u);  // nobody listened on the local port

    // A character whose level progress is -1 shows the new difficulty once; its progress is 0.
    dir.Write("levels/menu/scripts/newDifficultyUnlocked.c", "iTmp[5] = iTmp[5] + 1;");
    *ctrl->GetScriptTempInt(5) = 0;
    ctrl->RefreshCharacterLists();
    ASSERT_EQ(ctrl->GetCharacterList(false).GetSize(), 1);
    CreatureObj_SF* dee = NewCreature();
    ASSERT_NE(dee, nullptr);
    dee->m_LevelProgress = -1;
    ctrl->GetCharacterList(false).GetAt(0)->creature = dee;
    for (int32_t pass = 0; pass < 2; ++pass) {
        menu.singlePlayerButton.Select(true);
        ctrl->UpdateStartMenus(0.02);
    }
    EXPECT_EQ(*ctrl->GetScriptTempInt(5), 1);
    EXPECT_EQ(dee->m_LevelProgress, 0);
    EXPECT_TRUE(menu.characterSelection.IsOpen());
    EXPECT_FALSE(menu.browseNext.IsOpen());  // one character: nothing to browse

    // The start button makes the selection the current player and starts the game.
    menu.startButton.Select(true);
    ctrl->UpdateStartMenus(0.02);
    EXPECT_EQ(states.entered.size(), 2u);
    EXPECT_EQ(ctrl->GetCurrentPlayer().saveDirectory, ctrl->GetCharacterList(false).GetAt(0)->saveDirectory);
    // The quit button toggles its dialog.
    menu.quitButton.Select(true);
    ctrl->UpdateStartMenus(0.02);
    EXPECT_TRUE(menu.quitDialog.IsOpen());
}

// The client's entry into the game state: the two input controllers, "Inputs created", the skills
// and the game of the chosen save (here none: a new game's save slot -2).
TEST_F(SciFiStartMenusGameTest, ClientGameStartMakesTheInputs)
{
    LogCapture log;
    ctrl->StartGameState();
    EXPECT_EQ(log.Count("Inputs created"), 1);
    ASSERT_EQ(ctrl->GetNumInputCtrls(), 2);
    EXPECT_NE(dynamic_cast<SciFiInputCtrl*>(ctrl->GetInputCtrl(0)), nullptr);
    EXPECT_NE(ctrl->FindInputCtrlIndex(GameCtrl::kInputLocal), -1);
    EXPECT_NE(ctrl->FindInputCtrlIndex(GameCtrl::kInputAI), -1);
    EXPECT_TRUE(ctrl->IsHudShown());
}
