// The game's script built-ins of the mission log, dialogues, the pause menu, the camera and saves:
// entries of their kinds, showing and hiding with the clients told either way, dialogues with the
// running event's objects, closing with its own argument message, the screenshot camera's angles
// and the names handled so that the engine's tables never see them.
#include "SciFiScriptTestSupport.h"

#include <cmath>

using SciFiScriptDialoguesTest = SciFiScriptTest;

TEST_F(SciFiScriptDialoguesTest, MissionLogEntriesAndVisibility)
{
    MissionLogGui& log = ctrl->GetMissionLog();
    const struct {
        std::string call;
        int32_t kind;
    } adds[] = {{"AddMissionLog(2, \"q_item\")", MissionLogGui::kNews},  // kind 2 is news here
                {"AddMissionLog(1, \"q_main\")", MissionLogGui::kMission},
                {"AddMissionLog(0, \"q_news\")", MissionLogGui::kNews}};
    for (const auto& add : adds) {
        ClearRecords();
        Run(add.call + ";");
        EXPECT_EQ(log.GetEntry(log.GetEntryCount() - 1).kind, add.kind) << add.call;
        ASSERT_EQ(ctrl->forwarded.size(), 1u);
        EXPECT_EQ(ctrl->forwarded[0].count, 2);
    }
    EXPECT_EQ(log.GetEntryCount(), 3);
    ExpectResult("AddMissionLog(1)", kScriptVoid, 0, nullptr, "Invalid arguments in function AddMissionLog");

    // Each call is repeated at the clients, a change or not.
    const struct {
        std::string call;
        bool open;
    } shows[] = {{"ShowMissionLog()", true}, {"ShowMissionLog()", true}, {"HideMissionLog()", false},
                 {"HideMissionLog()", false}};
    for (const auto& show : shows) {
        ClearRecords();
        Run(show.call + ";");
        EXPECT_EQ(log.IsOpen() != 0, show.open) << show.call;
        EXPECT_EQ(ctrl->forwarded.size(), 1u) << show.call;
        ExpectResult("IsMissionLogVisible()", kScriptInt, show.open ? 1 : 0, nullptr, nullptr);
    }

    ClearRecords();
    Run("ClearMissionLog(5);");
    EXPECT_EQ(log.GetEntryCount(), 0);
    EXPECT_EQ(log.GetSelected(), -1);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 1);
}

TEST_F(SciFiScriptDialoguesTest, DialoguesOpenAndClose)
{
    ctrl->SetMainCharReference(hero);
    ctrl->SetObjScriptVariable(0, heroID);
    ctrl->SetObjScriptVariable(1, otherID);
    ClearRecords();
    Run("Dialog(\"DB:nothing\");");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_TRUE(ctrl->IsDialogActive(nullptr));  // the engine's pause and conversation tests see it
    const DialogGui& window = ctrl->GetDialogWindow();
    EXPECT_EQ(window.GetPartner(0), other);  // variable 1 first
    EXPECT_EQ(window.GetPartner(1), hero);
    EXPECT_GE(window.GetScriptID(), 0);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].name, "Dialog");

    // In a network game a script of the server's own waits for no answer.
    ctrl->networkGame = true;
    Run("Dialog(\"DB:nothing\");");
    EXPECT_EQ(window.GetScriptID(), 99999999);

    // An argument: its own message, and nothing closes or is repeated.
    ExpectResult("CloseDialog(1)", kScriptVoid, 0, nullptr, "Invalid number of arguments in function 'CloseDialog'");
    EXPECT_TRUE(ctrl->IsDialogActive(nullptr));
    EXPECT_TRUE(ctrl->forwarded.empty());
    ClearRecords();
    Run("CloseDialog();");
    EXPECT_FALSE(ctrl->IsDialogActive(nullptr));
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 0);

    // Invisible: the speech alone, no window.
    ClearRecords();
    Run("DialogInvisible(\"DB:nothing\");");
    EXPECT_FALSE(ctrl->IsDialogActive(nullptr));
    EXPECT_EQ(ctrl->forwarded.size(), 1u);
}

TEST_F(SciFiScriptDialoguesTest, CameraMenuAndSaves)
{
    Run("SetScrShotCam(100, 200, 30, 400, 45, 90);");
    EXPECT_FLOAT_EQ(ctrl->GetCameraTargetPoint().x, 100.0f);
    EXPECT_FLOAT_EQ(ctrl->GetCameraTargetPoint().y, 200.0f);
    EXPECT_FLOAT_EQ(ctrl->GetCameraTargetPoint().z, 30.0f);
    EXPECT_FLOAT_EQ(ctrl->GetCameraPitch(), 0.0f);  // 90 degrees above the ground: straight down
    EXPECT_FLOAT_EQ(ctrl->GetPlayerCameraPitch(), 0.0f);
    EXPECT_NEAR(ctrl->GetPlayerCameraDistance(), 400.0f, 1e-4);
    EXPECT_NEAR(ctrl->GetCameraYaw(), 45.0f * 0.017453292f, 1e-5);
    Run("SetScrShotCam(0, 0, 0, 0, 0, 30.0);");
    EXPECT_NEAR(ctrl->GetPlayerCameraPitch(), 60.0f * 0.017453292f, 1e-5);
    ExpectResult("SetScrShotCam(0, 0, 0, 0, 0)", kScriptVoid, 0, nullptr, "Invalid arguments in function SetScrShotCam");

    Run("ShowPauseMenu();");
    EXPECT_TRUE(ctrl->IsPauseRequested());
    ClearRecords();
    Run("SetMouseManipulateScript(\"iTmp[1] = 1;\");");
    EXPECT_STREQ(ctrl->GetMouseManipulateScript().c_str(), "iTmp[1] = 1;");
    EXPECT_EQ(ctrl->forwarded.size(), 1u);

    // Handled here: never unknown to the engine's tables.
    ExpectResult("LevelSaveGame()", kScriptInt, 0, nullptr, nullptr);  // the save's answer: no hero, nothing saved
    for (const char* call : {"SaveMainCharacter()", "ConvertMainCharacterToMultiplayer()", "ActivateCheckpoint(1, 2)",
                             "ActivateCheckpoint()"})
        ExpectResult(call, kScriptVoid, 0, nullptr, nullptr);
}

// Every name of the item, skill, log, dialogue and game-flow families is the game's: even called
// without arguments it never reaches the engine's tables as unknown.
TEST_F(SciFiScriptDialoguesTest, EveryNameOfTheFamiliesIsHandled)
{
    for (const char* name :
         {"UnEquip", "IsEquippedWith", "GetEquipment", "AddToInventory", "AddTreasure", "SetUltraMegaItem", "Trade",
          "LearnSkill", "SetSkillEffectIndex", "GetSkillEffectIndex", "GetActiveSkill", "GetOffensiveSkill",
          "GetDefensiveSkill", "AddMissionLog", "ClearMissionLog", "ShowMissionLog", "HideMissionLog",
          "IsMissionLogVisible", "Dialog", "DialogInvisible", "CloseDialog", "ShowPauseMenu", "SetScrShotCam",
          "SetMouseManipulateScript", "LevelSaveGame", "SaveMainCharacter", "ConvertMainCharacterToMultiplayer",
          "ActivateCheckpoint"}) {
        ClearRecords();
        Eval(std::string(name) + "()");
        EXPECT_EQ(ErrorsWith("Unknown function"), 0) << name;
    }
}
