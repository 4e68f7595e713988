// SciFiGameCtrl start menus and the game start on the client: one pass of the start-menu state
// (101) reads the menu's buttons in a fixed order; entering the game state (100) makes the input
// controllers, chooses the save to continue from and loads it. The dedicated server leaves
// state 101 at once and enters its game state its own way: none of this runs there.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Log.h"
#include "base/StartupConstants.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/ctrl/StateManager.h"
#include "platform/Clock.h"
#include "platform/DirectoryOps.h"
#include "platform/FileSystem.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"

#include <algorithm>

const char* const SciFiGameCtrl::kHostLevelFiles[kHostLevels] = {
    "levels\\L1_Ship1\\L1_Ship1.cfg",         "levels\\L2_Ship2\\L2_Ship2.cfg",
    "levels\\L3_Ship3\\L3_Ship3.cfg",         "levels\\L4_ShipBL1\\L4_ShipBL1.cfg",
    "levels\\L5_Planet1\\L5_Planet1.cfg",     "levels\\L6_Planet2\\L6_Planet2.cfg",
    "levels\\L7_PlanetBL2\\L7_PlanetBL2.cfg", "levels\\L8_Alien1\\L8_Alien1.cfg",
    "levels\\L9_Alien2\\L9_Alien2.cfg",       "levels\\L10_Alien3\\L10_Alien3.cfg",
    "levels\\L11_AlienBL3\\L11_AlienBL3.cfg",
};

namespace {

constexpr const char* kCreditsVideo = "sequences\\credits.wmv";
constexpr const char* kLocalHost = "127.0.0.1";
constexpr double kConnectTimeout = 3.0;
constexpr float kNoticeTime = 3.0f;
constexpr int32_t kLevelProgressUnseen = -1;  // a new difficulty the player has not been shown

}  // namespace

namespace {

// A menu script of the start menu's scenes, run with the element as the script's own.
void RunMenuScript(SciFiGameCtrl& ctrl, const char* name, WorldElem* element)
{
    ScriptValue result;
    ctrl.CallScript(result, String(StartupConstants::kMenuScriptDir) + name, 1, name, 1, element, 255);
}

void SetGameState(SciFiGameCtrl& ctrl)
{
    if (StateManager* states = ctrl.GetStateManager())
        states->SetState(SciFiGameCtrl::kStateGame);
}

}  // namespace

void SciFiGameCtrl::UpdateStartMenus(double frameTime)
{
    UpdateFrame(float(frameTime));  // with the network's service of the frame
    StartMenuGui& menu = m_StartMenu;
    const auto clicked = [](DXC_GuiButton& button) { return StartMenuGui::WasClicked(button); };
    const auto closeMenus = [&] {
        for (DXC_GuiField* field : {static_cast<DXC_GuiField*>(&menu.mainMenu), static_cast<DXC_GuiField*>(&menu.characterSelection),
                                    static_cast<DXC_GuiField*>(&m_NewCharacterScreen), static_cast<DXC_GuiField*>(&menu.conversionWindow),
                                    static_cast<DXC_GuiField*>(&menu.hostScreen), static_cast<DXC_GuiField*>(&menu.joinScreen)})
            field->SetOpenState(false);
    };
    const auto openNewCharacter = [&] {
        closeMenus();
        m_NewCharacterScreen.SetOpenState(true);
        m_NewCharacterScreen.nameInput.SetFocus(false);
        CreatureObj* selected = m_NewCharacterScreen.classes.GetSize() > 0
                                    ? m_NewCharacterScreen.classes.GetAt(m_NewCharacterScreen.selectedClass)->Get()
                                    : nullptr;
        RunMenuScript(*this, "character/new/enter.c", selected);
    };
    // A character whose new difficulty the player has not seen shows it once.
    const auto showUnlocked = [&](PlayerSaveID_Creature* entry) {
        CreatureObj_SF* creature = entry ? entry->creature.Get() : nullptr;
        if (creature && creature->m_LevelProgress == kLevelProgressUnseen) {
            creature->m_LevelProgress = 0;
            RunMenuScript(*this, "newDifficultyUnlocked.c", creature);
        }
    };
    const auto showList = [&](bool multiplayer) {
        m_MultiplayerMenu = multiplayer;
        closeMenus();
        PlayerSaveIDList& list = GetCharacterList(multiplayer);
        if (list.GetSize() == 0) {
            openNewCharacter();
            return;
        }
        menu.characterSelection.SetOpenState(true);
        menu.browseNext.SetOpenState(list.GetSize() > 1);
        menu.browsePrevious.SetOpenState(list.GetSize() > 1);
        PlayerSaveID_Creature* entry = SelectSavedCharacter(GetSelectedCharacter(multiplayer), multiplayer, false, 0);
        RunMenuScript(*this, multiplayer ? "character/multi/enter.c" : "character/single/enter.c",
                      entry ? entry->creature.Get() : nullptr);
        showUnlocked(entry);
    };
    const bool multiplayer = m_MultiplayerMenu;
    PlayerSaveIDList& shown = GetCharacterList(multiplayer);
    PlayerSaveID_Creature* selected = shown.GetSize() > 0 ? shown.GetAt(GetSelectedCharacter(multiplayer)) : nullptr;

    if (clicked(menu.singlePlayerButton))  // 2
        showList(false);
    if (clicked(menu.creditsButton)) {  // 3
        menu.playedVideo = kCreditsVideo;
        PlayVideo(kCreditsVideo, 0, 1);
    }
    const bool next = clicked(menu.nextCharacterButton);  // 4
    const bool previous = clicked(menu.previousCharacterButton);
    if (next || previous) {
        selected = SelectSavedCharacter(GetSelectedCharacter(multiplayer) + (next ? 1 : -1), multiplayer, true, 0);
        showUnlocked(selected);
    }
    if (clicked(menu.convertConfirmButton) && selected) {  // 5
        SetCurrentPlayer(*selected);
        SaveCharacterForMultiplayer(true);
        menu.conversionWindow.SetOpenState(false);
        ShowMessage(kNoticeTime, "%s", "DB:charConverted");
    }
    if (clicked(menu.deleteButton) && selected) {  // 6
        SetDialogAnswer(-1);
        RunMenuScript(*this, "deleteCharacter.c", nullptr);
        if (GetDialogAnswer() == 0) {
            Platform::RemoveTree(InGameFolder(selected->saveDirectory).c_str());
            const int32_t index = GetSelectedCharacter(multiplayer);
            shown.Delete(shown.GetUsedSlot(index));
            RefreshCharacterLists();
            selected = nullptr;
            if (shown.GetSize() == 0)
                openNewCharacter();
            else
                selected = SelectSavedCharacter(index - 1, multiplayer, true, 0);
        }
    }
    if (clicked(menu.startButton) && selected) {  // 7
        SetCurrentPlayer(*selected);
        SetGameState(*this);
    }
    if (clicked(menu.multiplayerStartButton) && selected) {  // 8
        menu.characterSelection.SetOpenState(false);
        CreatureObj_SF* creature = selected->creature.Get();
        const int32_t reached = creature ? std::clamp(int32_t(creature->m_LevelProgress), 0, kHostLevels - 1) : 0;
        for (int32_t i = 0; i < kHostLevels; ++i)
            menu.hostLevelButtons[i].SetEnabled(i <= reached);
        menu.hostDifficulty = creature ? std::clamp(int32_t(creature->m_HighestDifficulty) - 1, 0, 2) : 0;
        menu.selectedHostLevel = 0;
        if (!menu.conversionWindow.IsOpen()) {
            menu.hostScreen.SetOpenState(true);
            menu.joinScreen.SetOpenState(true);
        }
    }
    if (clicked(menu.backButton)) {  // 9
        closeMenus();
        menu.mainMenu.SetOpenState(true);
        RunMenuScript(*this, "main/enter.c", nullptr);
    }
    if (clicked(menu.newCharacterButton))  // 10
        openNewCharacter();
    const bool classNext = clicked(menu.classNextButton);  // 11
    const bool classPrevious = clicked(menu.classPreviousButton);
    if (classNext || classPrevious)
        SelectClass(m_NewCharacterScreen.selectedClass + (classNext ? 1 : -1), true, 0);
    const bool entered = m_NewCharacterScreen.nameInput.GetResult() == 1;  // 12
    if (entered)
        m_NewCharacterScreen.nameInput.Reset(true);
    if ((clicked(menu.createButton) || entered) && !m_NewCharacterScreen.nameInput.GetText().IsEmpty()) {
        CreatureObj* classCreature = m_NewCharacterScreen.classes.GetSize() > 0
                                         ? m_NewCharacterScreen.classes.GetAt(m_NewCharacterScreen.selectedClass)->Get()
                                         : nullptr;
        PlayerSaveID created;
        if (CreatePlayerSave(m_NewCharacterScreen.nameInput.GetText(), classCreature ? classCreature->m_CfgID : String(),
                             m_MultiplayerMenu, 0, created))
            SetGameState(*this);
    }
    if (clicked(menu.multiplayerButton))  // 13
        showList(true);
    if (clicked(menu.hostButton)) {  // 14
        const int32_t level = std::clamp(menu.selectedHostLevel, 0, kHostLevels - 1);
        const String name(menu.serverName.GetText());
        if (StartDedicatedServer(String(kHostLevelFiles[level]), menu.hostDifficulty, name, m_HostSpawner)) {
            Platform::GetClock().Sleep(uint32_t(s_HostConnectDelayMs));  // the server opens its port
            int32_t reason = 0;
            if (ConnectToServer(kLocalHost, GetServerPort(), true, kConnectTimeout, &reason))
                SetGameState(*this);
            else
                menu.notice = wString(DisconnectReasonText(reason).c_str());
        }
    }
    if (clicked(menu.joinButton) && menu.selectedServer >= 0 &&  // 15
        menu.selectedServer < int32_t(menu.servers.size())) {
        const StartMenuGui::ServerEntry& server = menu.servers[size_t(menu.selectedServer)];
        if (server.players < server.maxPlayers) {
            int32_t reason = 0;
            if (ConnectToServer(server.address.c_str(), server.port, false, kConnectTimeout, &reason))
                SetGameState(*this);
            else
                menu.notice = wString(DisconnectReasonText(reason).c_str());
        } else {
            ShowMessage(kNoticeTime, "%s", "DB:net_max_players");
        }
    }
    if (clicked(menu.quitButton))  // 16
        menu.quitDialog.SetOpenState(!menu.quitDialog.IsOpen());
}

void SciFiGameCtrl::StartGameState()
{
    DeleteInputCtrls();
    const bool notServer = !IsNetworkServer();
    AddInputCtrl(new SciFiInputCtrl(), kInputLocal);
    AddInputCtrl(new SciFiInputCtrl(), kInputAI);
    Log::Write("Inputs created");
    int32_t slot = -2;
    const bool client = IsNetworkClient();
    if (!client) {
        switch (GetSettings().testChar) {
        case 1:
            SetSavegameBaseDir("save\\TestChar\\");
            SetPlayerName(wString(u"TestChar"));
            slot = -1;
            break;
        case 2: {
            SetPlayerName(wString(u"Avatar"));
            SetSavegameBaseDir("save\\Avatar\\");
            Platform::MakeDirectory(InGameFolder(String("save")).c_str());
            if (!Platform::MakeDirectory(InGameFolder(String("save\\Avatar")).c_str()))
                Log::Write("Can not create directory for TestChar=2 player");
            slot = -2;
            break;
        }
        default:
            slot = ChooseCharacterSaveSlot(IsMultiplayerGame(true));
            break;
        }
    }
    LoadSkills();
    if (!client)
        LoadGame(slot, 0, 0);
    if (notServer)
        ShowHud();
    if (g_GuiManager)
        g_GuiManager->SetMouseEventCallback(OnGuiMouseEvent);
}
