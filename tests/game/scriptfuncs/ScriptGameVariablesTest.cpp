// ScriptGame variables: the shared tables with their indexes and stored fields, the main
// character's facts without a main character, read-only names, game and level variables, the
// write counter, and the position text of the running script.
#include "game/scriptfuncs/ScriptGame.h"

#include "ScriptFuncsTestSupport.h"

// Reads through the callback: the value and the text of the report, if any.
struct ReadCase {
    const char* name;
    int32_t index;
    int32_t type;
    double value;  // Int or Float
    const char* error;
};

TEST_F(ScriptFuncsTest, VariableReads)
{
    *ctrl->GetScriptTempInt(0) = 11;
    *ctrl->GetScriptTempInt(255) = 12;
    *ctrl->GetScriptTempFloat(3) = 2.5f;
    ctrl->SetObjScriptVariable(4, 9);
    ctrl->GetWorld().GetScriptResultList()[8191] = 77;
    ctrl->SetDialogAnswer(3);
    *ctrl->GetObjScriptText(1) = "note";
    ASSERT_EQ(ctrl->GetMainChar(), nullptr);  // the dedicated server has none
    const ReadCase cases[] = {
        {"iTmp", -1, kScriptInt, 11, nullptr},
        {"iTmp", 255, kScriptInt, 12, nullptr},
        {"iTmp", 256, kScriptRead, 0, "Invalid index (256) for variable 'iTmp'"},
        {"fTmp", 3, kScriptFloat, 2.5, nullptr},
        {"obj", 4, kScriptInt, 9, nullptr},
        {"objList", 8191, kScriptInt, 77, nullptr},
        {"objList", 8192, kScriptRead, 0, "Invalid index (8192) for variable 'objList'"},
        {"dlgAnswer", -1, kScriptInt, 3, nullptr},
        {"dlgAnswer", 0, kScriptRead, 0, "Variable 'dlgAnswer' has no index"},
        {"mc_ID", -1, kScriptInt, 0, "Tried to get mc_ID, but no main character exists"},
        {"mc_ID", 0, kScriptInt, 0, "Tried to get mc_ID, but no main character exists"},
        {"mc_ID", 1, kScriptRead, 0, "Variable 'mc_ID' has no index"},
        {"mc_posX", -1, kScriptFloat, 0, "Tried to get mc_posX, but no main character exists"},
        {"mc_posY", -1, kScriptFloat, 0, "Tried to get mc_posY, but no main character exists"},
        {"mc_posX", 0, kScriptRead, 0, "Variable 'mc_posX' has no index"},
        {"mc_Level", -1, kScriptRead, 0, "Variable 'mc_Level' is not defined"},
        {"ITMP", -1, kScriptRead, 0, "Variable 'ITMP' is not defined"},  // names are exact
    };
    for (const ReadCase& test : cases) {
        ClearRecords();
        ScriptValue result;
        ctrl->probe = [&](ScriptValue&, ScriptValue*, int32_t) {
            ScriptGame::GetVariable(*ctrl, result, test.name, test.index);
        };
        Run("Probe();");
        EXPECT_EQ(result.m_Type, test.type) << test.name << " " << test.index;
        if (test.type == kScriptInt) {
            EXPECT_EQ(result.m_Integer, int32_t(test.value)) << test.name;
        }
        if (test.type == kScriptFloat) {
            EXPECT_EQ(result.m_Number, test.value) << test.name;
        }
        EXPECT_EQ(ctrl->errors.size(), test.error ? 1u : 0u) << test.name << " " << test.index;
        if (test.error) {
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.name << " " << test.index;
        }
    }
    ctrl->probe = nullptr;

    ClearRecords();
    const ScriptValue name = Eval("mc_Name");
    EXPECT_EQ(name.m_Type, kScriptString);
    EXPECT_STREQ(name.m_Text.c_str(), "@Hero");
    EXPECT_STREQ(Eval("sTmp[1]").m_Text.c_str(), "note");
    EXPECT_EQ(Eval("mc_ID").m_Integer, 0);
    EXPECT_EQ(ErrorsWith("Tried to get mc_ID, but no main character exists"), 1);
}

// Every write counts, a refused one too; a value of the other number type stores 0 (the writes
// go straight to the callback: the script reader converts to the type it read first).
TEST_F(ScriptFuncsTest, VariableWrites)
{
    ScriptStackVariable* list = ctrl->AddGameVariable("list", kScriptInt, 2);
    ASSERT_NE(list, nullptr);
    ctrl->AddLevelVariable("mc_posX", kScriptFloat, 0);
    *ctrl->GetScriptTempInt(0) = 5;
    *ctrl->GetScriptTempFloat(2) = 5.0f;
    const struct {
        const char* name;
        int32_t index;
        ScriptValue value;
        const char* error;
    } writes[] = {
        {"iTmp", -1, FloatValue(2.5), nullptr},
        {"iTmp", 1, IntValue(4), nullptr},
        {"fTmp", 2, IntValue(7), nullptr},
        {"fTmp", 3, FloatValue(1.5), nullptr},
        {"obj", 5, FloatValue(2.5), nullptr},
        {"objList", 9, IntValue(6), nullptr},
        {"sTmp", 7, TextValue("s"), nullptr},
        {"list", 1, IntValue(8), nullptr},
        {"mc_posX", -1, FloatValue(3.5), nullptr},
        {"mc_Name", -1, TextValue("Rex"), nullptr},  // nobody to rename: nothing happens
        {"iTmp", 256, IntValue(1), "Invalid index (256) for variable 'iTmp'"},
        {"obj", 300, IntValue(1), "Invalid index (300) for variable 'obj'"},
        {"objList", 8192, IntValue(1), "Invalid index (8192) for variable 'objList'"},
        {"mc_Level", -1, IntValue(1), "Variable 'mc_Level' is read only"},
        {"mc_ID", -1, IntValue(1), "Variable 'mc_ID' is read only"},
        {"dlgAnswer", -1, IntValue(1), "Variable 'dlgAnswer' is read only"},
        {"mc_posY", -1, IntValue(1), "Variable 'mc_posY' is not defined"},
        {"list", 2, IntValue(1), "Index (2) exceeds dimension of variable 'list'"},
    };
    for (const auto& test : writes) {
        ClearRecords();
        const int32_t count = ctrl->GetDebugUseCount();
        ctrl->probe = [&](ScriptValue&, ScriptValue*, int32_t) {
            ScriptGame::SetVariable(*ctrl, test.name, test.index, test.value);
        };
        Run("Probe();");
        EXPECT_EQ(ctrl->GetDebugUseCount(), count + 1 + 1) << test.name;  // the write and the probe's call
        EXPECT_EQ(ctrl->errors.size(), test.error ? 1u : 0u) << test.name << " " << test.index;
        if (test.error) {
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.name;
        }
    }
    ctrl->probe = nullptr;
    EXPECT_EQ(*ctrl->GetScriptTempInt(0), 0);
    EXPECT_EQ(*ctrl->GetScriptTempInt(1), 4);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(2), 0.0f);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(3), 1.5f);
    EXPECT_EQ(ctrl->GetObjScriptVariable(5), 2);
    EXPECT_EQ(ctrl->GetWorld().GetScriptResultList()[9], 6);
    EXPECT_STREQ(ctrl->GetObjScriptText(7)->c_str(), "s");
    EXPECT_EQ(list->m_Elements[1].m_Integer, 8);
    EXPECT_EQ(ctrl->FindScriptVariable("mc_posX", -1)->m_Number, 3.5);

    // Through a script: the shared tables keep what the script wrote.
    ClearRecords();
    Run("iTmp[3] = 12; fTmp[4] = 0.25; sTmp[5] = \"t\";");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_EQ(Eval("iTmp[3]").m_Integer, 12);
    EXPECT_EQ(Eval("fTmp[4]").m_Number, 0.25);
    EXPECT_STREQ(Eval("sTmp[5]").m_Text.c_str(), "t");
}

// The running script's file and line; a file name ending in ".c" or ".cpp" goes through the
// module's path table, others stay as they are.
TEST_F(ScriptFuncsTest, ScriptPositionText)
{
    String outside("a.c");
    EXPECT_EQ(ScriptGame::FormatScriptPosition(outside).GetLength(), 0);  // none runs: a warning and no text

    TempDir dir;
    dir.Write("probe.c", "int x = 0;\nProbe();\n");
    String position;
    String names[3] = {String("sub\\a.c"), String("sub\\a.cpp"), String("sub\\a.txt")};
    ctrl->probe = [&](ScriptValue&, ScriptValue*, int32_t) {
        GetCurrentScriptModule()->AddPathReplace("sub\\", "lib\\");
        for (String& name : names)
            position = ScriptGame::FormatScriptPosition(name);
    };
    Run((dir / "probe.c").c_str());
    ctrl->probe = nullptr;
    const std::string text = position.c_str();
    EXPECT_EQ(text.rfind("*inline:RunScript:'", 0), 0u) << text;
    EXPECT_NE(text.find("probe.c',line:2*"), std::string::npos) << text;
    EXPECT_EQ(std::string(names[0].c_str()).find("lib\\a.c"), 0u) << names[0].c_str();
    EXPECT_EQ(std::string(names[1].c_str()).find("lib\\a.cpp"), 0u) << names[1].c_str();
    EXPECT_STREQ(names[2].c_str(), "sub\\a.txt");
}
