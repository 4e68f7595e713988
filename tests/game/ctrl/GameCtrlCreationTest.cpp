// GameCtrl world-object creation: every class of the sample game's world objects made in the
// sample level without a warning, a light in the light grid, a usable object with its 3D object
// and box walls, a creature with its cycle set whose second copy needs no second build, a start
// position as an event object of kind 3, the visibility position's pivots, and an effect object
// that leaves no element.
#include "game/ctrl/GameCtrl.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "level/VSD_LightSource.h"
#include "support/LogCapture.h"
#include "world/Inventory.h"

#include "WorldObjectTestSupport.h"

#include <gtest/gtest.h>

TEST(GameCtrlCreationTest, SampleGameLoadsAndMakesEveryEntry)
{
    LogCapture log;
    SampleGame game;
    ASSERT_EQ(game.level, "no error");
    SampleGameCtrl& ctrl = *game.ctrl;
    ConfigFileReader& objects = ctrl.GetWorldObjectReader();
    ASSERT_EQ(objects.GetNumEntries(), 9);
    for (int32_t entry = 0; entry < objects.GetNumEntries(); ++entry) {
        const String desc = objects.GetDescOfEntry(entry);
        EXPECT_EQ(ErrorOf([&] { game.Make(desc.c_str()); }), "no error") << desc.c_str();
    }
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
}

TEST(GameCtrlCreationTest, EveryClass)
{
    SampleGame game;
    ASSERT_EQ(game.level, "no error");
    SampleGameCtrl& ctrl = *game.ctrl;
    WorldCtrl& world = ctrl.GetWorld();

    const int32_t lights = world.GetLights().GetSize();
    auto* lamp = dynamic_cast<VSD_LightIntern*>(game.Make("Lamp"));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(world.GetLights().GetSize(), lights + 1);
    EXPECT_EQ(world.GetLight(lamp->m_ObjID), lamp);
    EXPECT_EQ(lamp->m_Colour[0], 255);
    EXPECT_FLOAT_EQ(lamp->GetOwnHeight(), 150.0f);

    const int32_t walls = world.GetNumWalls();
    auto* crate = dynamic_cast<ItemObj*>(game.Make("Crate"));
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(crate->m_3dObjIndex, ctrl.Get3dObjReader().FindEntryByDesc("crate"));
    EXPECT_TRUE(world.HoldsObj(crate->m_ObjID, crate));
    EXPECT_EQ(crate->GetWallCount(), 4);  // the box
    EXPECT_EQ(world.GetNumWalls(), walls + 4);
    EXPECT_TRUE(crate->HasBoxWalls());
    ASSERT_NE(crate->m_Inventory, nullptr);
    EXPECT_EQ(crate->m_Inventory->GetType(), 4);  // "SmallChest"
    EXPECT_EQ(crate->m_Inventory->GetCount(), 1);

    auto* hero = dynamic_cast<CreatureObj*>(game.Make("Hero"));
    ASSERT_NE(hero, nullptr);
    EXPECT_TRUE(world.HoldsObj(hero->m_ObjID, hero));
    EXPECT_EQ(hero->m_CreatureType, ctrl.GetAniCycleSet(hero->m_Stats.aniCycleSet));
    EXPECT_NE(hero->m_CreatureType, nullptr);
    auto* second = dynamic_cast<CreatureObj*>(game.Make("Hero"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, hero);
    EXPECT_EQ(ctrl.GetCreatureBuildCount(), 1);  // the second is a copy of the prototype
    ASSERT_NE(hero->GetScene(), nullptr);
    EXPECT_EQ(second->GetScene(), hero->GetScene());  // the definition's scene, shared
    // The template's bones got the weights of its table ("cfg\hero_bones.txt": Root 1, Spine 0.8,
    // Head 0.5), and its copies keep them.
    const size_t bones = size_t(hero->GetScene()->objects.GetSize());
    EXPECT_GT(bones, 0u);
    EXPECT_EQ(second->m_BoneWeights, (std::vector<float>{1.0f, 0.8f, 0.5f}));
    EXPECT_EQ(second->m_Stats.aniCycleSet, hero->m_Stats.aniCycleSet);
    EXPECT_FLOAT_EQ(second->m_Stats.maxHitPoints, hero->m_Stats.maxHitPoints);

    uint8_t result = 0;
    const D3DXVECTOR2 at(1280.0f, 1280.0f);
    auto* start = dynamic_cast<EventObj*>(
        ctrl.CreateWorldObject("StartPos", &result, true, true, true, false, 0.0f, &at, 0.0f, nullptr, -1));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(start->m_EventKind, 3);
    EXPECT_TRUE(world.HoldsObj(start->m_ObjID, start));
    EXPECT_EQ(start->m_ObjValues.desc, "");
    EXPECT_FLOAT_EQ(start->GetPos().x, 1280.0f);

    auto* area = dynamic_cast<EventObj*>(game.Make("HealingArea"));
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->m_EventKind, EventObj::kKindActive);
    EXPECT_EQ(area->m_ActivationsLeft, -1);
    EXPECT_EQ(area->m_ActivationScript, "Heal");
    EXPECT_FLOAT_EQ(area->m_MinInterval, 1.0f);
}

TEST(GameCtrlCreationTest, PositionsAndEffects)
{
    SampleGame game;
    ASSERT_EQ(game.level, "no error");
    game.AddTestEntries();
    SampleGameCtrl& ctrl = *game.ctrl;
    auto* visibility = dynamic_cast<EventObj*>(game.Make("Visibility"));
    ASSERT_NE(visibility, nullptr);
    EXPECT_EQ(visibility->m_EventKind, 4);
    EXPECT_EQ(visibility->m_ObjValues.pivotCount, 2);
    EXPECT_FLOAT_EQ(visibility->m_ObjValues.pivots[1][0], 3.0f);

    // A light's children follow the light the table placed.
    WorldElem* lit = game.Make("LitParent");
    ASSERT_NE(lit, nullptr);
    int32_t children = 0;
    lit->ForEachChild([&](WorldElemGridBase& child) {
        ++children;
        EXPECT_EQ(dynamic_cast<WorldElem*>(&child)->m_Parent.Get(), lit);
    });
    EXPECT_EQ(children, 1);

    // Without the add flag a position element is returned as it is, outside the world.
    const int32_t before = ctrl.CountElements();
    std::unique_ptr<WorldElem> loose(
        ctrl.CreateWorldObject("StartPos", nullptr, false, false, false, false, 0.0f, nullptr, 0.0f, nullptr, -1));
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->m_World, nullptr);
    EXPECT_EQ(ctrl.CountElements(), before);

    // An effect object makes no element.
    WorldElem* puff = visibility;
    EXPECT_EQ(ErrorOf([&] { puff = game.Make("Puff"); }), "no error");
    EXPECT_EQ(puff, nullptr);
    EXPECT_EQ(ctrl.CountElements(), before);
}

// What a save game asks of the controller: the element of an entry at a level position, and the
// empty element of each record type that the record then fills.
TEST(GameCtrlCreationTest, SaveGameServices)
{
    SampleGame game;
    ASSERT_EQ(game.level, "no error");
    SampleGameCtrl& ctrl = *game.ctrl;
    WorldCtrl& world = ctrl.GetWorld();

    const int32_t crateEntry = ctrl.FindWorldObjectTypeIndex("Crate");
    ASSERT_GE(crateEntry, 0);
    auto* crate = dynamic_cast<ItemObj*>(ctrl.CreateWorldObjectByIndex(crateEntry, 640.0f, 700.0f, 0.5f, 0.0f));
    ASSERT_NE(crate, nullptr);
    EXPECT_TRUE(world.HoldsObj(crate->m_ObjID, crate));
    EXPECT_FLOAT_EQ(crate->GetPos().x, 640.0f);
    EXPECT_FLOAT_EQ(crate->GetPos().y, 700.0f);
    // A light belongs to the light table: the caller gets none to delete.
    EXPECT_EQ(ctrl.CreateWorldObjectByIndex(ctrl.FindWorldObjectTypeIndex("Lamp"), 0.0f, 0.0f, 0.0f, 0.0f), nullptr);
    EXPECT_EQ(ErrorOf([&] { ctrl.CreateWorldObject("Nothing", 0.0f, 0.0f, 0.0f, 0.0f); }),
              "World object 'Nothing' not found");

    for (uint16_t type : {ElemType::kCreature, ElemType::kProjectile, ElemType::kItem, ElemType::kEvent}) {
        std::unique_ptr<WorldElem> elem(ctrl.CreateEmptyElement(type));
        ASSERT_NE(elem, nullptr) << type;
        EXPECT_EQ(elem->m_TypeCode, type);
        EXPECT_EQ(elem->m_World, nullptr);
    }
    for (uint16_t type : {ElemType::kBase, ElemType::kLight, ElemType::kWall, ElemType::kEffect, ElemType::kElem})
        EXPECT_EQ(ctrl.CreateEmptyElement(type), nullptr) << type;
}
