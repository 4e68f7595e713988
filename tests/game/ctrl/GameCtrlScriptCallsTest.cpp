// GameCtrl script variables and calls: the two scopes and their lookup, an index past a
// variable's dimension, script errors inside and outside a script with their length limit, a
// script call's current object and result, the debug scripts and the boost script.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"

#include "ScriptProbe.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

TEST(GameCtrlScriptCallsTest, ScopesAndTheirLookup)
{
    ProbeCtrl ctrl;
    ASSERT_NE(ctrl.AddGameVariable("both", kScriptInt, 0), nullptr);
    // Outside a script a name taken in the other scope is an error.
    EXPECT_NE(ErrorOf([&] { ctrl.AddLevelVariable("both", kScriptInt, 0); }).find("Level variable 'both' exists already "),
              std::string::npos);
    ctrl.GetLevelVariables().AddVariable("both", kScriptInt, 0)->SetInt(2);
    ctrl.FindScriptVariable("both", -1)->SetInt(2);
    ctrl.GetGameVariables().FindVariable("both")->SetInt(1);
    EXPECT_EQ(ctrl.FindScriptVariable("both", -1)->m_Integer, 2);  // the level's first
    EXPECT_EQ(ctrl.FindScriptVariable("both", 0)->m_Integer, 2);   // a plain variable is one element
    EXPECT_EQ(ctrl.FindScriptVariable("none", -1), nullptr);

    ScriptStackVariable* list = ctrl.AddGameVariable("list", kScriptInt, 3);
    ASSERT_NE(list, nullptr);
    list->m_Elements[2].SetInt(5);
    EXPECT_EQ(ctrl.FindScriptVariable("list", 2)->m_Integer, 5);
    EXPECT_EQ(ctrl.FindScriptVariable("list", -1), list);
    // An index at the dimension is reported and finds nothing.
    EXPECT_NE(ErrorOf([&] { ctrl.FindScriptVariable("list", 3); }).find("Index (3) exceeds dimension of variable 'list'"),
              std::string::npos);
}

TEST(GameCtrlScriptCallsTest, ScriptErrorsInsideAndOutsideScripts)
{
    ProbeCtrl ctrl;
    const std::string longText(2000, 'x');
    const std::string outside = ErrorOf([&] { ctrl.ScriptError("%s", longText.c_str()); });
    EXPECT_EQ(outside.size(), 1023u);  // cut to the buffer
    EXPECT_TRUE(ctrl.sounds.empty());

    LogCapture log;
    ctrl.GetWorld().RunScript(String("fail();\nprobe();"), nullptr, 1, 0, "test", 1, 255);
    EXPECT_EQ(log.Count("file:'"), 1);
    EXPECT_EQ(log.Count("boom here"), 1);
    ASSERT_EQ(ctrl.GetErrorList().GetSize(), 1);
    EXPECT_NE(std::string(ctrl.GetErrorList().GetAt(0)->c_str()).find("line: 1: boom here"), std::string::npos);
    EXPECT_EQ(ctrl.sounds, std::vector<std::string>{"GuiError"});
}

TEST(GameCtrlScriptCallsTest, CallScriptSetsTheCurrentObjectAndGivesTheResult)
{
    ProbeCtrl ctrl;
    auto* object = new ItemObj;
    ctrl.GetWorld().AddObj(object, 0, false);
    ProbeCtrl::Result().SetInt(12);
    ProbeCtrl::Probe() = {};
    ScriptValue result;
    ctrl.CallScript(result, String("probe(); return result();"), 1, "test", 1, object, 1);
    EXPECT_EQ(ProbeCtrl::Probe().currentObj, object->m_ObjID);
    EXPECT_TRUE(ProbeCtrl::Probe().runFlag);
    EXPECT_EQ(result.m_Type, kScriptInt);
    EXPECT_EQ(result.m_Integer, 12);
    EXPECT_EQ(ctrl.GetCurrentObjID(), -1);

    ctrl.RunScript(result, String("probe();"), "test", 1, 0);
    EXPECT_EQ(ProbeCtrl::Probe().currentObj, -1);
    ctrl.ExecuteScriptFunction(result, "anything", nullptr, 0, 0);
    EXPECT_EQ(result.m_Type, 255);  // the next layer is asked
}

TEST(GameCtrlScriptCallsTest, DebugScripts)
{
    GameDir dir;
    dir.Write("cfg/debugScripts.cfg", "script1 = \"@probe();\"\nscript2 = \"debug();\"\n");
    ProbeCtrl ctrl;
    ProbeCtrl::Probe() = {};
    ctrl.RunDebugScript(9);  // beyond the nine: nothing
    ctrl.RunDebugScript(0);
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
    EXPECT_TRUE(ProbeCtrl::Probe().runFlag);  // "@": on the game's behalf
    EXPECT_EQ(ctrl.GetConsoleUsed(), 0);
    ctrl.RunDebugScript(1);
    EXPECT_EQ(ctrl.forwarded, std::vector<std::string>{"debug();"});  // mode 2 goes to the peers
    EXPECT_EQ(ctrl.GetConsoleUsed(), 1);
}

// The boost script's integer result is merged into the main ability.
TEST(GameCtrlScriptCallsTest, BoostScriptRaisesTheMainAbility)
{
    ProbeCtrl ctrl;
    ItemBase item;
    ItemAbility ability;
    ability.type = ItemAbility::kHitPoints;
    ability.value = 10.0f;
    item.AddAbility(ability, false);
    ctrl.BoostItem(&item);  // no boost script: nothing
    EXPECT_FLOAT_EQ(item.GetAbilityValue(ItemAbility::kHitPoints, 0), 10.0f);

    ctrl.GetSettings().boostScript = "return result();";
    const struct {
        ScriptValue result;
        float expected;
    } cases[] = {{[] { ScriptValue v; v.SetInt(5); return v; }(), 15.0f},
                 {[] { ScriptValue v; v.SetFloat(2.7); return v; }(), 17.0f},
                 {[] { ScriptValue v; v.SetString("x"); return v; }(), 17.0f}};
    for (const auto& test : cases) {
        ProbeCtrl::Result() = test.result;
        ctrl.BoostItem(&item);
        EXPECT_FLOAT_EQ(item.GetAbilityValue(ItemAbility::kHitPoints, 0), test.expected);
    }
}
