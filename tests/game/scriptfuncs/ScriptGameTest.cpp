// ScriptGame: the order in which a call is tried and the call counter, the three messages with
// their durations, texts and forwarding, "SetAI" and "AddAI" with their targets, a controller
// or engine error inside a built-in, and Float texts for any number of digits.
#include "game/scriptfuncs/ScriptGame.h"

#include "ScriptFuncsTestSupport.h"
#include "base/DXC_Base.h"

#include <cstring>

// A script function of a loaded module takes "Message" before the entry does; "message" is not
// "Message" and ends, past the controller, at the end of the second chain.
TEST_F(ScriptFuncsTest, OrderOfTheLayersAndTheCallCounter)
{
    TempDir dir;
    dir.Write("lib.c", "int Message(int x) { return x + 6; }");
    const int32_t before = ctrl->GetDebugUseCount();
    EXPECT_EQ(Eval("message(1)").m_Type, kScriptVoid);
    EXPECT_EQ(ctrl->GetDebugUseCount(), before);
    ASSERT_EQ(ctrl->errors.size(), 1u);
    EXPECT_EQ(ErrorsWith("Unknown function 'message' accepting 1 arguments"), 1);
    EXPECT_TRUE(ctrl->messages.empty());

    Run((dir / "lib.c").c_str());
    ClearRecords();
    const ScriptValue result = Eval("Message(1)");
    EXPECT_EQ(result.m_Type, kScriptInt);
    EXPECT_EQ(result.m_Integer, 7);
    EXPECT_EQ(ctrl->GetDebugUseCount(), before);
    EXPECT_TRUE(ctrl->messages.empty());
    EXPECT_TRUE(ctrl->forwarded.empty());
    EXPECT_TRUE(ctrl->errors.empty());

    // Names of the first chain end there alike, names past 'Z' and '_' in the second.
    for (const char* name : {"Gobble", "zap", "_x", "Hop"}) {
        ClearRecords();
        Run(std::string(name) + "(1, 2);");
        EXPECT_EQ(ErrorsWith("Unknown function '" + std::string(name) + "' accepting 2 arguments"), 1) << name;
    }
    EXPECT_EQ(ctrl->GetDebugUseCount(), before);
}

TEST_F(ScriptFuncsTest, MessagesTheirTimesTextsAndForwarding)
{
    const struct {
        const char* call;
        const char* text;
        float duration;
    } cases[] = {
        {"Message(3, \"door\")", "door", 3.0f},
        {"Message(\"door\")", "door", 1.5f},
        {"Message(3)", "3", 1.5f},  // a single argument is always text
        {"Message(2.5, 1, 0.5, \"a\")", "10.50a", 2.5f},
        {"Message(\"x\", 2.0, 7)", "x2.007", 1.5f},
    };
    for (const auto& test : cases) {
        ClearRecords();
        const int32_t before = ctrl->GetDebugUseCount();
        EXPECT_EQ(Eval(test.call).m_Type, kScriptVoid);
        ASSERT_EQ(ctrl->messages.size(), 1u) << test.call;
        EXPECT_EQ(ctrl->messages[0].text, test.text) << test.call;
        EXPECT_FLOAT_EQ(ctrl->messages[0].duration, test.duration) << test.call;
        ASSERT_EQ(ctrl->forwarded.size(), 1u);
        EXPECT_EQ(ctrl->forwarded[0].name, "Message");
        EXPECT_EQ(ctrl->forwarded[0].subjectID, -1);
        EXPECT_EQ(ctrl->forwarded[0].flag, 1);
        EXPECT_EQ(ctrl->GetDebugUseCount(), before);  // informing does not count
    }
    EXPECT_EQ(ctrl->forwarded[0].count, 3);

    ClearRecords();
    Run("Message();");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function Message"), 1);
    EXPECT_TRUE(ctrl->forwarded.empty());

    // "LogMessage" goes to the world's message log; "DebugMessage" only in debug mode.
    ClearRecords();
    const int32_t logged = ctrl->GetWorld().GetLogMessages().GetSize();
    Run("LogMessage(4, \"saved\");");
    ASSERT_EQ(ctrl->GetWorld().GetLogMessages().GetSize(), logged + 1);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    const int32_t before = ctrl->GetDebugUseCount();
    ASSERT_EQ(ctrl->GetDebugMode(), 0);
    EXPECT_EQ(Eval("DebugMessage(\"x\")").m_Type, kScriptVoid);
    EXPECT_EQ(ctrl->GetWorld().GetLogMessages().GetSize(), logged + 1);
    EXPECT_EQ(ctrl->forwarded.size(), 1u);  // nothing sent
    EXPECT_EQ(ctrl->GetDebugUseCount(), before);
}

// A text longer than the message holds is cut, and the format of a Float stays well formed for
// any number of digits a script sets.
TEST_F(ScriptFuncsTest, LongTextsAndDigitsAreBounded)
{
    Run("string s = \"0123456789\"; int i = 0; while (i < 9) { s = s + s; i = i + 1; } Message(s, s);");
    ASSERT_EQ(ctrl->messages.size(), 1u);
    EXPECT_EQ(ctrl->messages[0].text.size(), 4096u);

    const struct {
        int32_t digits;
        const char* text;
    } cases[] = {{2, "0.50"}, {0, "0"}, {-5, "0"}, {3, "0.500"}};
    for (const auto& test : cases) {
        g_NumberOfDigits = test.digits;
        EXPECT_STREQ(ScriptCall::FormatFloat(0.5).c_str(), test.text) << test.digits;
    }
    g_NumberOfDigits = 1000;
    EXPECT_EQ(ScriptCall::FormatFloat(1e300).GetLength(), 301 + 1 + 30);  // held to 30 digits
}

TEST_F(ScriptFuncsTest, SetAIAndAddAITargets)
{
    const int32_t hero = Place("Hero", 1280.0f, 1280.0f, "hero1");
    const int32_t crate = Place("Crate", 1400.0f, 1280.0f, "box");
    ASSERT_GE(hero, 0);
    const std::string h = std::to_string(hero);
    const struct {
        std::string call;
        int32_t kind;
        int32_t slot;
        int32_t target;
        bool add;
        const char* error;
    } cases[] = {
        {"SetAI(" + h + ", \"JUMP\", 0)", 23, -1, hero, false, "Unknown AI type in script: JUMP"},
        {"AddAI(" + h + ", \"FLEE\", 0)", 2, -1, hero, true, nullptr},
        {"SetAI(" + h + ", \"GOTO\", \"Target3\")", 7, 103, -1, false, nullptr},
        {"SetAI(" + h + ", \"GOTO\", \"box\")", 7, -1, crate, false, nullptr},
        {"SetAI(" + h + ", \"AIM_AT\", " + std::to_string(crate) + ")", 8, -1, crate, false, nullptr},
        {"SetAI(" + h + ", \"WAIT\", \"x\", \"box\")", 3, -1, crate, false, nullptr},
        {"SetAI(" + h + ", \"WAIT\", \"x\", \"LastEnemy\")", 3, 1, -1, false, nullptr},
        {"SetAI(" + h + ", \"WAIT\", \"x\", \"nobody\")", 3, -1, -1, false, "AI target not found for WAIT"},
        {"AddAI(" + h + ", \"WAIT\", 0, " + std::to_string(crate) + ")", 3, -1, crate, true, nullptr},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        ASSERT_EQ(ctrl->aiActions.size(), 1u) << test.call;
        const auto& action = ctrl->aiActions[0];
        EXPECT_EQ(action.creatureID, hero);
        EXPECT_EQ(action.params.kind, test.kind) << test.call;
        EXPECT_EQ(action.params.targetSlot[0], test.slot) << test.call;
        EXPECT_EQ(action.params.targetSlot[1], test.slot) << test.call;
        EXPECT_EQ(action.targetID, test.target) << test.call;
        EXPECT_EQ(action.add, test.add);
        EXPECT_EQ(ctrl->errors.size(), test.error ? 1u : 0u) << test.call;
        if (test.error) {
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.call;
        }
    }

    // The optional parameters in their places.
    ClearRecords();
    Run("SetAI(" + h + ", \"WAIT\", \"a\", \"b\", 5, 2.5, 3.5, \"go\"); AddAI(" + h + ", \"WAIT\", 0, 0, 4.5, \"t\");");
    ASSERT_EQ(ctrl->aiActions.size(), 2u);
    const KI_ScriptActionParams& set = ctrl->aiActions[0].params;
    EXPECT_EQ(set.targetName, "a");
    EXPECT_EQ(set.secondName, "b");
    EXPECT_EQ(set.intValue, 5);
    EXPECT_FLOAT_EQ(set.number, 2.5f);
    EXPECT_FLOAT_EQ(set.secondNumber, 3.5f);
    EXPECT_EQ(set.text, "go");
    const KI_ScriptActionParams& added = ctrl->aiActions[1].params;
    EXPECT_EQ(added.intValue, 100);
    EXPECT_FLOAT_EQ(added.number, 1000.0f);
    EXPECT_FLOAT_EQ(added.secondNumber, 4.5f);
    EXPECT_EQ(added.text, "t");

    // Refusals: too few arguments, wrong types, no creature.
    ClearRecords();
    Run("SetAI(" + h + ", \"WAIT\"); SetAI(\"x\", \"WAIT\", 0); SetAI(" + std::to_string(crate) + ", \"WAIT\", 0);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetAI"), 2);
    EXPECT_TRUE(ctrl->aiActions.empty());
}

// An unknown element raises the world's error inside the built-in: that call ends with its
// report and the script goes on.
TEST_F(ScriptFuncsTest, ControllerErrorInsideABuiltinEndsOnlyThatCall)
{
    const ScriptValue result = Run("iTmp[1] = GetPosX(4000); iTmp[2] = 5; return GetPosX(4000);");
    EXPECT_EQ(result.m_Type, kScriptFloat);
    EXPECT_EQ(result.m_Number, 0.0);
    EXPECT_EQ(*ctrl->GetScriptTempInt(2), 5);
    EXPECT_EQ(ErrorsWith("Invalid object: 4000"), 2);

    // Outside a script the error stays the caller's.
    ScriptValue direct;
    ScriptValue argument = IntValue(4000);
    EXPECT_NE(ErrorOf([&] { ScriptGame::ExecuteBuiltin(*ctrl, direct, "GetPosX", &argument, 1, 0); })
                  .find("Invalid object: 4000"),
              std::string::npos);
}

// The engine's error of a damaged scene file, met while a built-in makes an element, is the
// script's error as the controller's is: the call ends, the script and the program go on.
TEST_F(ScriptFuncsTest, EngineErrorInsideABuiltinEndsOnlyThatCall)
{
    ctrl->probe = [](ScriptValue&, ScriptValue*, int32_t) { DXC_Base().Error("Not a scene file: %s", "meshes\\hero.rtx"); };
    Run("iTmp[1] = 1; Probe(); iTmp[2] = 5;");
    EXPECT_EQ(*ctrl->GetScriptTempInt(2), 5);
    EXPECT_EQ(ErrorsWith("Not a scene file: meshes\\hero.rtx"), 1);

    ScriptValue direct;  // outside a script it stays the caller's
    EXPECT_NE(DxcErrorOf([&] { ScriptGame::ExecuteBuiltin(*ctrl, direct, "Probe", nullptr, 0, 0); }).find("Not a scene file"),
              std::string::npos);
}
