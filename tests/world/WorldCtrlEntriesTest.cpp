// WorldCtrl entries: action and strategy entries found by name, the errors of a missing one, the
// value of an action's first step, and the trees emptied with the world.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

TEST(WorldCtrlEntriesTest, FoundByName)
{
    LevelTestCtrl ctrl;
    WorldCtrl world;
    ActionEntry* slash = world.GetActionTree().Insert(String("Slash"));
    slash->name = "Slash";
    slash->id = 3;
    slash->AddStep().point = 0.4f;
    slash->AddStep().point = 0.8f;
    world.GetActionTree().Insert(String("Idle"));  // no steps
    KI_Strategy* guard = world.GetStrategyTree().Insert(String("Guard"));
    guard->description = "stays put";

    EXPECT_EQ(world.FindActionEntry("slash", false), slash);  // names match ignoring case
    EXPECT_EQ(slash->steps.GetAt(1)->index, 1);
    EXPECT_EQ(slash->steps.GetAt(1)->owner, slash);
    EXPECT_EQ(world.FindActionEntry(nullptr, false), nullptr);  // a null name finds nothing
    EXPECT_EQ(world.FindActionEntry("Kick", false), nullptr);
    EXPECT_EQ(ErrorOf([&] { world.FindActionEntry("Kick", true); }), "Action entry 'Kick' not found");
    EXPECT_FLOAT_EQ(world.GetActionEntryValue("Slash"), 0.4f);
    EXPECT_EQ(world.GetActionEntryValue("Idle"), 0.0f);
    EXPECT_EQ(ErrorOf([&] { world.GetActionEntryValue("Kick"); }), "Action entry 'Kick' not found");

    EXPECT_EQ(world.FindStrategyEntry("Guard", true), guard);
    EXPECT_EQ(world.FindStrategyEntry("Flee", false), nullptr);
    EXPECT_EQ(ErrorOf([&] { world.FindStrategyEntry("Flee", true); }), "Strategy entry 'Flee' not found");

    world.FreeWorld();
    EXPECT_TRUE(world.GetActionTree().IsEmpty());
    EXPECT_TRUE(world.GetStrategyTree().IsEmpty());
}
