// ScriptVariablesGame: the reset of the game-wide script values, with and without the game's
// script scope.
#include "scifi/save/ScriptVariablesGame.h"

#include "scifi/ctrl/SciFiGameCtrl.h"

#include <gtest/gtest.h>

TEST(ScriptVariablesGameTest, ResetClearsTheValuesAndTheScopeOnlyWhenAsked)
{
    for (const uint8_t clearScope : {uint8_t(0), uint8_t(1)}) {
        SCOPED_TRACE(int(clearScope));
        SciFiGameCtrl ctrl;
        for (int32_t i : {0, 255}) {
            *ctrl.GetScriptTempFloat(i) = 1.5f;
            *ctrl.GetScriptTempInt(i) = 7;
            *ctrl.GetObjScriptText(i) = "text";
            ctrl.SetObjScriptVariable(i, 12);
        }
        ctrl.GetStories().Insert(String("door"))->SetValue(3);
        ctrl.GetStories().Insert(String("alarm"))->SetValue(-2);
        ctrl.GetStories().ResetWalk();
        ctrl.GetStories().GetNext();  // a walk left half done
        ctrl.AddGameVariable("score", 1, 0);

        ScriptVariablesGame(ctrl).Reset(clearScope);
        for (int32_t i : {0, 255}) {
            EXPECT_EQ(*ctrl.GetScriptTempFloat(i), 0.0f);
            EXPECT_EQ(*ctrl.GetScriptTempInt(i), 0);
            EXPECT_TRUE(ctrl.GetObjScriptText(i)->IsEmpty());
            EXPECT_EQ(ctrl.GetObjScriptVariable(i), -1);
        }
        // The stories keep their names; only their values go.
        for (const char* name : {"door", "alarm"}) {
            ASSERT_NE(ctrl.GetStories().Find(name), nullptr) << name;
            EXPECT_EQ(ctrl.GetStories().Find(name)->GetValue(), 0) << name;
        }
        EXPECT_EQ(ctrl.GetGameVariables().FindVariable("score") != nullptr, clearScope == 0);
    }
}
