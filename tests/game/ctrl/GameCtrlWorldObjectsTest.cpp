// GameCtrl world-object entry keys: names, sizes in the world's scale, life span, activity,
// items and riddle items, the action force's reaches, network synchronisation, children with
// gaps, effect children, nesting without end, and the faults of an entry that leave nothing in
// the world.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemBase.h"
#include "support/LogCapture.h"
#include "world/Inventory.h"

#include "WorldObjectTestSupport.h"

#include <gtest/gtest.h>

namespace {

class WorldObjectsTest : public ::testing::Test {
protected:
    WorldObjectsTest() { game.AddTestEntries(); }

    WorldElem* Make(const char* name)
    {
        WorldElem* elem = nullptr;
        error = ErrorOf([&] { elem = game.Make(name); });
        return elem;
    }

    SampleGame game;
    SampleGameCtrl& ctrl = *game.ctrl;
    std::string error;
};

}  // namespace

TEST_F(WorldObjectsTest, NamesSizesAndFlags)
{
    ASSERT_EQ(game.level, "no error");
    g_Options.itemScale = 1.5f;
    ctrl.SetGameTime(10.0);
    WorldElem* named = Make("Named");
    ASSERT_NE(named, nullptr) << error;
    EXPECT_EQ(String(named->m_Name), "Shown");
    EXPECT_EQ(named->m_ObjValues.desc, "Named");
    EXPECT_EQ(String(Make("DescOnly")->m_Name), "DescOnly");

    WorldElem* sized = Make("Sized");
    EXPECT_FLOAT_EQ(sized->m_ObjValues.size, 3.0f);  // 2 x the world scale
    EXPECT_FLOAT_EQ(sized->m_ObjValues.movementSize, 3.0f);
    EXPECT_FLOAT_EQ(sized->m_ObjValues.useSize, 3.0f);
    EXPECT_FLOAT_EQ(sized->m_ObjValues.visSize, 3.0f);
    EXPECT_FLOAT_EQ(sized->m_BodyRadius, 3.0f);

    EXPECT_DOUBLE_EQ(Make("Timed")->m_LifeSpanEnd, 15.0);
    EXPECT_DOUBLE_EQ(Make("Untimed")->m_LifeSpanEnd, -1.0);
    EXPECT_EQ(Make("Inactive")->m_IgnoreInQueries, 1);
    EXPECT_EQ(Make("Active")->m_IgnoreInQueries, 0);
    WorldElem* force = Make("Force");
    EXPECT_FLOAT_EQ(force->m_ActForce.maxDist, 10.0f);
    EXPECT_FLOAT_EQ(force->m_ActForce.maxSideDist, 10.0f);
    EXPECT_EQ(Make("Synced")->m_NetSync, 2);  // scripts address it by its worldID
}

TEST_F(WorldObjectsTest, CreatureKeepsItsMovementSize)
{
    ASSERT_EQ(game.level, "no error");
    ConfigFileReader& creatures = ctrl.GetCreatureReader();
    ASSERT_GE(creatures.FindEntryByDesc("ch_soldier"), 0);
    auto* hero = dynamic_cast<CreatureObj*>(Make("Hero"));
    ASSERT_NE(hero, nullptr) << error;
    EXPECT_FLOAT_EQ(hero->m_ObjValues.movementSize, 0.0f);  // its entry gives none: the definition's holds
    EXPECT_EQ(hero->GetParty(), 1);

    auto* guard = dynamic_cast<CreatureObj*>(Make("Guard"));
    ASSERT_NE(guard, nullptr) << error;
    EXPECT_FLOAT_EQ(guard->m_ObjValues.walkSpeed, 80.0f);
    EXPECT_EQ(guard->m_ObjValues.aiTarget, "Hero");
    EXPECT_EQ(guard->m_ObjValues.onKill, "Died");
    EXPECT_EQ(guard->m_Dead, 1);
}

TEST_F(WorldObjectsTest, ItemsAndRiddleItems)
{
    ASSERT_EQ(game.level, "no error");
    WorldElem* items = Make("Items");
    ASSERT_NE(items, nullptr) << error;
    ASSERT_NE(items->m_Inventory, nullptr);
    ASSERT_EQ(items->m_Inventory->GetCount(), 1);  // the gap at 2 ends the items
    EXPECT_EQ(items->m_Inventory->GetItem(0)->m_Desc, "Medkit");

    WorldElem* riddle = Make("Riddle");
    ASSERT_NE(riddle, nullptr) << error;
    ASSERT_NE(riddle->m_Inventory, nullptr);
    ASSERT_EQ(riddle->m_Inventory->GetCount(), 1);
    EXPECT_EQ(riddle->m_Inventory->GetItem(0)->m_GridPos, 2);  // the riddle slot, index minus 1

    WorldElem* noGrid = Make("NoGrid");
    ASSERT_NE(noGrid->m_Inventory, nullptr);
    EXPECT_FALSE(noGrid->m_Inventory->HasGrid());
}

TEST_F(WorldObjectsTest, Children)
{
    ASSERT_EQ(game.level, "no error");
    const int32_t before = ctrl.CountElements();
    WorldElem* parent = Make("Parent");
    ASSERT_NE(parent, nullptr) << error;
    int32_t children = 0;
    parent->ForEachChild([&](WorldElemGridBase&) { ++children; });
    EXPECT_EQ(children, 2);  // 1 and 3; 6 is not read once 5 is missing
    EXPECT_EQ(ctrl.CountElements(), before + 3);

    // An effect child is started only with its flag: this one lacks its effect name.
    EXPECT_EQ(Make("SparkParent"), nullptr);
    EXPECT_EQ(error, "No 'id' entry in effect object 'Spark'");
    WorldObjectCreateParams params;
    params.addToWorld = 1;
    params.createChildren = 1;
    const int32_t entry = ctrl.FindWorldObjectTypeIndex("SparkParent");
    EXPECT_EQ(ErrorOf([&] { ctrl.CreateWorldObjectFromEntry(entry, params); }), "no error");
}

TEST_F(WorldObjectsTest, FaultsLeaveNothingBehind)
{
    ASSERT_EQ(game.level, "no error");
    const int32_t before = ctrl.CountElements();
    const int32_t walls = ctrl.GetWorld().GetNumWalls();
    const int32_t lights = ctrl.GetWorld().GetLights().GetSize();
    const struct {
        const char* name;
        const char* error;
    } cases[] = {
        {"Self", "World object 'Self' nests children deeper than 8"},
        {"CycleA", "World object 'CycleA' nests children deeper than 8"},
        {"BadType", "Item nr 27 has unknown type -1"},
        {"BadChild", "WrldObject 'BadChild' does not exist"},
        {"LeafThenFault", "WrldObject 'LeafThenFault' does not exist"},
        {"BadInventory", "Unknown inventory type for object: 'BadInventory'"},
        {"HugeGrid", "Inventory size 100000 x 100000 of 'HugeGrid' exceeds 1024 places"},
        {"HugeList", "Inventory size 2000 of 'HugeList' exceeds 1024 places"},
        {"NoId", "Object NoId without 'id' entry"},
        {"UnknownCreature", "Creature 'ch_nobody' not found"},
        {"Nowhere", "World object 'Nowhere' not found"},
        {"BoxThenFault", "Failed to add wall: 'no_such_wall'"},  // after its box and a first wall
        {"LitThenFault", "WrldObject 'LitThenFault' does not exist"},  // a light after its first child
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Make(c.name), nullptr) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(ctrl.CountElements(), before) << c.name;
        EXPECT_EQ(ctrl.GetWorld().GetNumWalls(), walls) << c.name;
        EXPECT_EQ(ctrl.GetWorld().GetLights().GetSize(), lights) << c.name;
    }
}
