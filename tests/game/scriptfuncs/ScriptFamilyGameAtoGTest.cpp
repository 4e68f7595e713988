// ScriptFamilyGameAtoG: constants and counts with their refusals, the texts of "Error" and the
// silent GUI calls, the input switches, the countdown, the camera's stored values, the auto-save
// request and the end of the program.
#include "ScriptFuncsTestSupport.h"

#include "game/ctrl/StateManager.h"

TEST_F(ScriptFuncsTest, GameStateQueriesAndTheirRefusals)
{
    ctrl->GetConstants().SetValue("DOOR_OPEN", 3.5);
    ctrl->SetGameTime(12.25);
    const struct {
        const char* call;
        int32_t type;
        double value;
        const char* error;
    } cases[] = {
        {"GetCfgConstant(\"DOOR_OPEN\")", kScriptFloat, 3.5, nullptr},
        {"GetCfgConstant(\"NO_SUCH\")", kScriptFloat, 0.0, "Constant not found NO_SUCH"},
        {"GetCfgConstant(3)", kScriptFloat, 0.0, "Invalid arguments in function GetCfgConstant"},
        {"GetGameTime()", kScriptFloat, 12.25, nullptr},
        {"GetNumPlayers()", kScriptInt, 0.0, nullptr},
        {"GetNumPlayers(1)", kScriptInt, 0.0, "Invalid arguments in function GetNumPlayers"},
        {"GetNumberOfDigits()", kScriptInt, 2.0, nullptr},
        {"GetGameSpeed(1)", kScriptFloat, 0.0, "Invalid arguments in function GetGameSpeed"},
        {"GetGameMode()", kScriptInt, 0.0, nullptr},
        {"GetCameraPitch()", kScriptFloat, 90.0, nullptr},  // a stored pitch of 0
        {"GetCountDown()", kScriptFloat, -1.0, nullptr},
    };
    for (const auto& test : cases) {
        ClearRecords();
        const ScriptValue result = Eval(test.call);
        EXPECT_EQ(result.m_Type, test.type) << test.call;
        EXPECT_DOUBLE_EQ(test.type == kScriptInt ? double(result.m_Integer) : result.m_Number, test.value)
            << test.call;
        EXPECT_EQ(ctrl->errors.size(), test.error ? 1u : 0u) << test.call;
        if (test.error) {
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.call;
        }
    }
    const ScriptValue time = Eval("GetLocalTimeString()");
    ASSERT_EQ(time.m_Type, kScriptString);
    EXPECT_EQ(time.m_Text.TextLength(), 5);  // hours and minutes, no seconds
    EXPECT_EQ(time.m_Text.c_str()[2], ':');
}

// The text is built of every argument by its type; the GUI and the clipboard take it and change
// nothing on the server.
TEST_F(ScriptFuncsTest, ErrorTextsAndTheCallsWithoutGui)
{
    Run("Error(5, \"x\"); Error(\"a\", 1.5);");
    ASSERT_EQ(ctrl->errors.size(), 2u);
    EXPECT_EQ(ErrorsWith("5x"), 1);
    EXPECT_EQ(ErrorsWith("a1.50"), 1);

    ClearRecords();
    Run("AddToSelectMenu(\"one\", 1); CloseSelectMenu(); CopyToClipboard(\"c\"); CloseGui(); FreeUnusedEffects();");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_TRUE(ctrl->forwarded.empty());
    Run("Error(); CloseGui(1); AddToSelectMenu();");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function Error"), 1);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function CloseGui"), 1);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function AddToSelectMenu"), 1);
}

TEST_F(ScriptFuncsTest, InputSwitchesAndTheCountDownGoToTheClients)
{
    Run("DisableInput(); DisableInput(1); EnableInput(1);");
    EXPECT_FALSE(ctrl->IsInputTypeEnabled(0));
    EXPECT_TRUE(ctrl->IsInputTypeEnabled(1));
    ASSERT_EQ(ctrl->forwarded.size(), 3u);
    EXPECT_EQ(ctrl->forwarded[1].name, "DisableInput");
    EXPECT_EQ(ctrl->forwarded[1].count, 1);

    ClearRecords();
    Run("EnableInput(2);");
    EXPECT_EQ(ErrorsWith("Invalid input type:2"), 1);
    EXPECT_TRUE(ctrl->forwarded.empty());
    EXPECT_FALSE(ctrl->IsInputTypeEnabled(0));

    ClearRecords();
    Run("CountDown(30, \"boom\");");
    EXPECT_FLOAT_EQ(ctrl->GetWorld().GetCountDown(), 30.0f);
    EXPECT_FLOAT_EQ(ctrl->GetWorld().GetCountDownTotal(), 30.0f);
    EXPECT_STREQ(ctrl->GetWorld().GetCountDownLabel().c_str(), "boom");
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_FLOAT_EQ(Eval("GetCountDown()").m_Number, 30.0);
    Run("CountDown(5, 6);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function CountDown"), 1);
    EXPECT_FLOAT_EQ(ctrl->GetWorld().GetCountDown(), 30.0f);
}

// One request per 60 seconds of game time; the end of the program is the quit state.
TEST_F(ScriptFuncsTest, AutoSaveAsksOncePerMinuteAndExitProgramQuits)
{
    const uint8_t option = g_Options.autoSave;
    g_Options.autoSave = 1;
    ctrl->SetGameTime(100.0);
    Run("AutoSave();");
    EXPECT_TRUE(ctrl->IsAutoSaveRequested());
    ctrl->OnAutoSaveDone();
    ctrl->SetGameTime(130.0);
    Run("AutoSave();");
    EXPECT_FALSE(ctrl->IsAutoSaveRequested());
    ctrl->SetGameTime(160.0);
    Run("AutoSave();");
    EXPECT_TRUE(ctrl->IsAutoSaveRequested());

    Run("ExitProgram();");  // without a state manager nothing happens
    StateManager stateManager;
    ctrl->SetStateManager(&stateManager);
    Run("ExitProgram();");
    EXPECT_EQ(stateManager.GetState(), StateManager::kStateQuit);
    ctrl->SetStateManager(nullptr);
    EXPECT_TRUE(ctrl->errors.empty());
    g_Options.autoSave = option;
}
