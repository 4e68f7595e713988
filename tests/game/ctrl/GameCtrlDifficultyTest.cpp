// GameCtrl difficulty: an entry into the difficulty record, unknown multiplayer functions, the
// entry's script, and the engine's factor queries.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/Difficulty.h"
#include "script/ScriptValue.h"

#include "GameCtrlTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string s_SetName;
int32_t s_SetValue = 0;

ScriptValue* GetVariable(ScriptValue* result, const char*, int32_t) { return result; }
ScriptValue* CallFunction(ScriptValue* result, const char*, ScriptValue*, int32_t) { return result; }
void SetVariable(const char* name, int32_t, ScriptValue* value)
{
    s_SetName = name;
    s_SetValue = value->GetIntView();
}

}  // namespace

TEST(GameCtrlDifficultyTest, EntryIntoRecord)
{
    ScopedDifficulty saved;
    GameCtrl ctrl;
    ctrl.GetFunctions().Insert("Triple")->name = "Triple";
    ConfigFileReader reader;
    OpenText(reader, "#\ndesc = \"Empty\"\n#\ndesc = \"Hard\"\nmonsterHealth = 2\nmonsterDamage = 1.5\n"
                     "monsterMoveSpd = 1.2\nmonsterShotSpeed = 1.1\nheroHealthRegeneration = 0.5\n"
                     "monsterHealthMultiplayerFunc = \"Triple\"\nmonsterXPMultiplayerFunc = \"Gone\"\n"
                     "runScript = \"\"\n");
    LogCapture log;
    ctrl.LoadDifficulty(reader, 1);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 2.0f);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterMoveSpeed, 1.2f);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterShotSpeed, 1.1f);
    EXPECT_FLOAT_EQ(g_Difficulty.heroHealthRegeneration, 0.5f);
    EXPECT_EQ(g_Difficulty.monsterHealthMultiplayer.name, "Triple");
    EXPECT_TRUE(g_Difficulty.monsterXPMultiplayer.name.IsEmpty());
    EXPECT_EQ(log.Count("unknown game function 'Gone'"), 1);
    EXPECT_FLOAT_EQ(ctrl.GetMonsterHealthFactor(), 2.0f);
    EXPECT_FLOAT_EQ(ctrl.GetMonsterDamageFactor(), 1.5f);

    ctrl.LoadDifficulty(reader, 0);  // an empty entry keeps every factor
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 2.0f);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterDamage, 1.5f);
    EXPECT_EQ(g_Difficulty.monsterHealthMultiplayer.name, "Triple");
}

TEST(GameCtrlDifficultyTest, RunScript)
{
    ScopedDifficulty saved;
    GameDir dir;
    GameCtrl ctrl;
    std::string languageDir = ctrl.GetWorld().GetLanguageDir().c_str();
    std::replace(languageDir.begin(), languageDir.end(), '\\', '/');
    dir.Write(languageDir + "hard.s", "Hardness = 3;\n");
    ctrl.SetScriptCallbacks({GetVariable, CallFunction, SetVariable});
    ConfigFileReader reader;
    OpenText(reader, "#\ndesc = \"Hard\"\nrunScript = \"hard.s\"\n#\ndesc = \"Broken\"\nrunScript = \"broken.s\"\n");
    s_SetName.clear();
    ctrl.LoadDifficulty(reader, 0);
    EXPECT_EQ(s_SetName, "Hardness");
    EXPECT_EQ(s_SetValue, 3);

    LogCapture log;  // a file that is missing is the script reader's report
    ctrl.LoadDifficulty(reader, 1);
    EXPECT_EQ(log.Count("Failed to open file"), 1);
}
