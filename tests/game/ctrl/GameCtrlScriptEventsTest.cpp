// GameCtrl object variables and script events: save and restore with their internal errors, the
// table's own index check, the level enter script, an inventory transfer's scripts, a failing
// transfer that still restores, the hero's level-up, the use of an element and the script
// warning.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"

#include "ScriptProbe.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

TEST(GameCtrlScriptEventsTest, SaveAndRestoreWithTheirErrors)
{
    GameCtrl ctrl;
    ctrl.SetObjScriptVariable(0, 3);
    ctrl.SaveObjScriptVariables();
    ctrl.SetObjScriptVariable(0, 7);
    EXPECT_NE(ErrorOf([&] { ctrl.SaveObjScriptVariables(); }).find("internal error: m_SaveObjScriptVariablesCount != 0"),
              std::string::npos);
    EXPECT_EQ(ctrl.GetObjScriptVariable(0), 7);  // the refused save changed nothing
    ctrl.RestoreObjScriptVariables();
    EXPECT_EQ(ctrl.GetObjScriptVariable(0), 3);
    EXPECT_EQ(ctrl.GetObjScriptVariablesSaveCount(), 0);
    EXPECT_NE(ErrorOf([&] { ctrl.RestoreObjScriptVariables(); }).find("!= 1"), std::string::npos);

    LogCapture log;  // the table checks its own index
    EXPECT_EQ(ctrl.SetObjScriptVariable(256, 5), 5);
    EXPECT_EQ(ctrl.GetObjScriptVariable(-1), 0);
    EXPECT_EQ(ctrl.GetObjScriptVariable(255), -1);  // the new controller reset its game state
    EXPECT_EQ(log.Count("Invalid object script variable index"), 2);
    EXPECT_NE(ctrl.GetObjScriptText(255), nullptr);
    EXPECT_EQ(ctrl.GetObjScriptText(256), nullptr);
}

TEST(GameCtrlScriptEventsTest, LevelEnterScript)
{
    ProbeCtrl ctrl;
    ctrl.SetObjScriptVariable(1, 9);
    ctrl.RunLevelEnterScript(nullptr);  // no enter script: nothing runs, nothing is touched
    EXPECT_EQ(ctrl.GetObjScriptVariable(1), 9);
    EXPECT_EQ(ctrl.GetWorld().GetEventQueue(0).GetSize(), 0);

    auto* entered = new ItemObj;
    ctrl.GetWorld().AddObj(entered, 0, false);
    ctrl.SetLevelEnterScript("probe();");
    ProbeCtrl::Probe() = {};
    ctrl.RunLevelEnterScript(entered);
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[0], entered->m_ObjID);  // the element is the current object
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[1], -1);                // no element of the last level load
    EXPECT_EQ(ctrl.GetObjScriptVariable(1), 9);
    EXPECT_EQ(ctrl.GetObjScriptVariablesSaveCount(), 0);
}

class GameCtrlTransferTest : public ::testing::Test {
protected:
    GameCtrlTransferTest()
    {
        creature = new CreatureObj;
        chest = new ItemObj;
        ctrl.GetWorld().AddObj(creature, 0, false);
        ctrl.GetWorld().AddObj(chest, 0, false);
        from.SetOwner(creature);
        to.SetOwner(chest);
    }

    ProbeCtrl ctrl;
    CreatureObj* creature = nullptr;
    ItemObj* chest = nullptr;
    Inventory from;
    Inventory to;
    ItemBase item;
};

// Only the creature has an inventory-transfer script: it is posted once with the chest and -3;
// the table is the caller's again afterwards.
TEST_F(GameCtrlTransferTest, OwnersTransferScripts)
{
    creature->m_MoreTexts[0] = "probe();";
    ctrl.SetObjScriptVariable(2, 42);
    ctrl.TransferInventoryItem(&item, &from, &to, 3, nullptr);
    const std::vector<ScriptEventRecord> scripts = QueuedScripts(ctrl);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_STREQ(scripts[0].label, "OnInventoryTransfer");
    EXPECT_EQ(scripts[0].objVariables[1], chest->m_ObjID);
    EXPECT_EQ(scripts[0].objVariables[2], -3);
    EXPECT_EQ(scripts[0].elem.objID, creature->m_ObjID);
    EXPECT_EQ(ctrl.GetObjScriptVariable(2), 42);
    EXPECT_EQ(ctrl.GetObjScriptVariablesSaveCount(), 0);

    chest->m_MoreTexts[0] = "probe();";  // both owners: the source first, then the target
    ctrl.TransferInventoryItem(&item, &to, &from, 2, nullptr);
    const std::vector<ScriptEventRecord> both = QueuedScripts(ctrl);
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(both[1].objVariables[2], -2);
    EXPECT_EQ(both[1].elem.objID, chest->m_ObjID);
    EXPECT_EQ(both[2].objVariables[2], 2);
    EXPECT_EQ(both[2].objVariables[1], chest->m_ObjID);
}

// The item's own script runs at once with its owners, count and element.
TEST_F(GameCtrlTransferTest, ItemTransferScriptWithItsElement)
{
    auto* element = new ItemObj;
    ctrl.GetWorld().AddObj(element, 0, false);
    item.m_OnTransfer = "probe();";
    ProbeCtrl::Probe() = {};
    ctrl.TransferInventoryItem(&item, &from, nullptr, 4, element);
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[0], creature->m_ObjID);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[1], -1);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[2], 4);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[3], element->m_ObjID);
    EXPECT_EQ(ctrl.forwarded, std::vector<std::string>{"probe();"});  // run flag 2: the peers run it too
}

// An item without an element whose world object cannot be made fails inside the event; the
// table is restored all the same, so the next event still runs.
TEST_F(GameCtrlTransferTest, FailingTransferStillRestores)
{
    item.m_OnTransfer = "probe();";
    item.m_ObjID = "NoSuchObject";
    ctrl.SetObjScriptVariable(0, 5);
    EXPECT_NE(ErrorOf([&] { ctrl.TransferInventoryItem(&item, &from, &to, 1, nullptr); }).find("NoSuchObject"),
              std::string::npos);
    EXPECT_EQ(ctrl.GetObjScriptVariablesSaveCount(), 0);
    EXPECT_EQ(ctrl.GetObjScriptVariable(0), 5);
    EXPECT_FALSE(ctrl.GetWorld().AreInitScriptsSuspended());

    ctrl.SetLevelEnterScript("probe();");
    ProbeCtrl::Probe() = {};
    ctrl.RunLevelEnterScript(nullptr);
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
}

TEST(GameCtrlScriptEventsTest, HeroLevelUpHandsTheLevelForOneScript)
{
    ProbeCtrl ctrl;
    ctrl.OnHeroLevelUp(4);  // no hero: nothing
    EXPECT_EQ(ctrl.GetWorld().GetEventQueue(0).GetSize(), 0);

    auto* hero = new CreatureObj;
    ctrl.GetWorld().AddObj(hero, 0, false);
    ctrl.SetMainCharReference(hero);
    ctrl.GetSettings().onHeroLevelUp = "probe();";
    ctrl.SetObjScriptVariable(1, 8);
    ctrl.OnHeroLevelUp(4);
    const std::vector<ScriptEventRecord> scripts = QueuedScripts(ctrl);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_STREQ(scripts[0].label, "OnHeroLevelUp");
    EXPECT_EQ(scripts[0].objVariables[1], 4);
    EXPECT_EQ(scripts[0].elem.objID, hero->m_ObjID);
    EXPECT_EQ(ctrl.GetObjScriptVariable(1), 8);
}

// Without an item for the argument the target's use script runs with the user in entry 1.
TEST(GameCtrlScriptEventsTest, UseElementRunsTheTargetsUseScript)
{
    ProbeCtrl ctrl;
    auto* user = new CreatureObj;
    auto* target = new ItemObj;
    ctrl.GetWorld().AddObj(user, 0, false);
    ctrl.GetWorld().AddObj(target, 0, false);
    target->m_OnUse = "probe();";
    ProbeCtrl::Probe() = {};
    EXPECT_FALSE(ctrl.UseElement(user, 0, target, 0, 0));
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[0], target->m_ObjID);
    EXPECT_EQ(ProbeCtrl::Probe().objVariables[1], user->m_ObjID);
    EXPECT_FALSE(ctrl.UseElement(user, 0, nullptr, 0, 0));
}

TEST(GameCtrlScriptEventsTest, ScriptWarningNamesTheScriptsPlace)
{
    GameCtrl ctrl;
    LogCapture log;
    ctrl.ScriptWarning("odd %i", 5);  // outside a script: the message alone
    EXPECT_EQ(log.Count("odd 5"), 1);
    EXPECT_EQ(log.Count("Script '"), 0);
}
