// GameCtrl items and objects in the level, on the sample game: new items by name, dropping with
// and without room, picking up into a full inventory, moving part of a stack without losing
// units, the element's state carried by its item, the kept DoNotSave elements, the object walls,
// the starting positions, and the small lookups (random spread, picking conditions, curve
// functions, angles).
#include "game/ctrl/GameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "level/Angle.h"
#include "level/VSD_WallIntern.h"
#include "world/Inventory.h"
#include "world/WorldEventPayloads.h"
#include "world/WorldTestSupport.h"

#include "support/LogCapture.h"

#include "WorldObjectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class SoundGameCtrl : public SampleGameCtrl {
public:
    void PlayWorldSound(const char* name) override { sounds.push_back(name); }
    int32_t Count(const char* name) const
    {
        int32_t n = 0;
        for (const std::string& sound : sounds)
            n += sound == name;
        return n;
    }
    std::vector<std::string> sounds;
};

class GameCtrlLevelItemsTest : public ::testing::Test {
protected:
    CreatureObj* AddCreature(float x, float y, int32_t entries)
    {
        CreatureObj* creature = game.ctrl->CreateCreature();
        game.ctrl->GetWorld().AddObj(creature, 0, false);
        creature->SetPos(x, y);
        if (entries > 0)
            creature->CreateInventory(entries);
        return creature;
    }
    static int32_t Units(Inventory& inventory)
    {
        int32_t units = 0;
        for (int32_t i = 0; i < inventory.GetCount(); ++i)
            units += inventory.GetItem(i)->m_Count;
        return units;
    }
    int32_t UnitsInWorld(const char* desc)
    {
        int32_t units = 0;
        WorldCtrl& world = game.ctrl->GetWorld();
        for (int32_t id = 0; id < world.GetObjCapacity(); ++id) {
            WorldElem* elem = world.GetObjNoCheck(id, false);
            if (elem && elem->m_LinkedItem && elem->m_LinkedItem->m_Desc == desc)
                units += elem->m_LinkedItem->m_Count;
        }
        return units;
    }

    BasicSampleGame<SoundGameCtrl> game;
};

}  // namespace

TEST_F(GameCtrlLevelItemsTest, ItemsByNameAndDrops)
{
    LogCapture log;
    SoundGameCtrl& ctrl = *game.ctrl;
    EXPECT_EQ(ctrl.ItemFromName("No such thing", false), nullptr);
    EXPECT_EQ(log.Count("Invalid item name: 'No such thing'"), 1);
    ItemBase* coins = ctrl.ItemFromName("Gold Coins", true);
    ASSERT_NE(coins, nullptr);
    EXPECT_STREQ(coins->m_Desc.c_str(), "Gold Coins");

    // Dropped out of the dropper's inventory: the element holds a copy; with walls all around
    // there is no free place, and the item still lies next to the dropper.
    CreatureObj* dropper = AddCreature(1280.0f, 1280.0f, 4);
    coins->m_Count = 7;
    ASSERT_GE(dropper->m_Inventory->AddItem(coins), 0);
    WorldCtrl& world = ctrl.GetWorld();
    for (int32_t side = 0; side < 4; ++side) {
        const float a = float(side) * 1.5707964f;
        const float b = a + 1.5707964f;
        AddTestWall(world, 1280.0f + 40.0f * std::cos(a), 1280.0f + 40.0f * std::sin(a),
                    1280.0f + 40.0f * std::cos(b), 1280.0f + 40.0f * std::sin(b));
    }
    const int32_t id = ctrl.DropItem(coins, 0.0f, dropper);
    ASSERT_GE(id, 0);
    WorldElem* elem = world.GetObjNoCheck(id, false);
    ASSERT_NE(elem, nullptr);
    ASSERT_NE(elem->m_LinkedItem, nullptr);
    EXPECT_EQ(elem->m_LinkedItem->m_Count, 7);
    EXPECT_EQ(dropper->m_Inventory->GetCount(), 0);
    const D3DXVECTOR2 pos = elem->GetPos();
    EXPECT_NEAR(std::hypot(pos.x - 1280.0f, pos.y - 1280.0f), elem->m_Radius + dropper->m_Radius + 1.0f, 0.5f);
    EXPECT_EQ(ctrl.Count("ItemDropped"), 1);

    // A full inventory picks nothing up.
    CreatureObj* full = AddCreature(2000.0f, 2000.0f, 1);
    ItemBase* medkit = ctrl.ItemFromName("Medkit", false);
    medkit->m_Count = medkit->m_Pile;
    ASSERT_GE(full->m_Inventory->AddItem(medkit), 0);
    EXPECT_FALSE(ctrl.PickUpItem(elem, full));
    EXPECT_EQ(ctrl.Count("CanNotPickUp"), 1);
    EXPECT_TRUE(ctrl.PickUpItem(elem, dropper));
}

// The item carries its element's world ID and script variables from the pick-up to the next drop,
// and the element's changes reach the item as they happen.
TEST_F(GameCtrlLevelItemsTest, AnItemKeepsItsElementsStateWhileCarried)
{
    SoundGameCtrl& ctrl = *game.ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    CreatureObj* carrier = AddCreature(1280.0f, 1280.0f, 4);
    ItemBase* coins = ctrl.ItemFromName("Gold Coins", false);
    ASSERT_GE(carrier->m_Inventory->AddItem(coins), 0);
    const int32_t first = ctrl.DropItem(coins, 0.0f, carrier);
    ASSERT_GE(first, 0);
    WorldElem* lying = world.GetObjNoCheck(first, false);
    lying->m_WorldID = "reward";
    lying->SetScriptTemp(3, 2.5f);
    EXPECT_EQ(lying->m_LinkedItem->m_ScriptTemp[3], 2.5f);
    EXPECT_EQ(lying->m_LinkedItem->m_StateUnchanged, 0);

    PickupRecord record;
    record.picker.Set(carrier);
    record.item.Set(lying);
    ctrl.ProcessPickupEvent(record, 0);
    ASSERT_EQ(carrier->m_Inventory->GetCount(), 1);
    InventoryItem* carried = carrier->m_Inventory->GetItem(0);
    EXPECT_STREQ(carried->m_WorldID.c_str(), "reward");

    const int32_t again = ctrl.DropItem(dynamic_cast<ItemBase*>(carried), 0.0f, carrier);
    ASSERT_GE(again, 0);
    WorldElem* dropped = world.GetObjNoCheck(again, false);
    ASSERT_NE(dropped, nullptr);
    EXPECT_STREQ(dropped->m_WorldID.c_str(), "reward");
    EXPECT_EQ(dropped->m_ScriptTemp[3], 2.5f);
}

TEST_F(GameCtrlLevelItemsTest, MovesLoseNoUnits)
{
    SoundGameCtrl& ctrl = *game.ctrl;
    CreatureObj* hero = AddCreature(1280.0f, 1280.0f, 4);
    ctrl.SetMainCharReference(hero);
    CreatureObj* box = AddCreature(1400.0f, 1280.0f, 1);

    struct Case {
        int32_t stack;
        int32_t count;
        int32_t held;  // medkits in the target's only place
        int32_t moved;
        bool result;
    } cases[] = {
        {10, 4, 0, 4, true},     // part of the stack; the rest stays in the source
        {10, -2, 0, 10, true},   // the whole stack
        {10, 0, 0, 0, true},     // nothing to do
        {10, 30, 0, 10, true},   // more than the stack: the stack
        {10, 10, -1, 3, true},   // the target has room for 3: 7 go back
    };
    for (const Case& c : cases) {
        hero->m_Inventory->Clear(true);
        box->m_Inventory->Clear(true);
        ItemBase* medkits = ctrl.ItemFromName("Medkit", false);
        const int32_t pile = medkits->m_Pile;
        medkits->m_Count = c.stack;
        hero->m_Inventory->AddItem(medkits);
        if (c.held < 0) {
            ItemBase* held = ctrl.ItemFromName("Medkit", false);
            held->m_Count = pile - 3;
            box->m_Inventory->AddItem(held);
        }
        const int32_t before = Units(*box->m_Inventory);
        EXPECT_EQ(ctrl.MoveItem(medkits, hero->m_Inventory, box->m_Inventory, c.count, false, true), c.result);
        EXPECT_EQ(Units(*box->m_Inventory) - before, c.moved) << c.stack << " " << c.count;
        EXPECT_EQ(Units(*hero->m_Inventory), c.stack - c.moved) << c.stack << " " << c.count;
    }

    // A target of a single place that is taken: the two items change places.
    hero->m_Inventory->Clear(true);
    ItemBase* coins = ctrl.ItemFromName("Gold Coins", false);
    hero->m_Inventory->AddItem(coins);
    EXPECT_TRUE(ctrl.MoveItem(coins, hero->m_Inventory, box->m_Inventory, -2, false, true));
    ASSERT_EQ(box->m_Inventory->GetCount(), 1);
    EXPECT_STREQ(box->m_Inventory->GetItem(0)->m_Desc.c_str(), "Gold Coins");
    ASSERT_EQ(hero->m_Inventory->GetCount(), 1);
    EXPECT_STREQ(hero->m_Inventory->GetItem(0)->m_Desc.c_str(), "Medkit");

    // A target that takes nothing: the item stays, "InvFull" and "GuiError".
    CreatureObj* chest = AddCreature(1500.0f, 1280.0f, 2);
    for (int32_t i = 0; i < 2; ++i) {
        ItemBase* full = ctrl.ItemFromName("Medkit", false);
        full->m_Count = full->m_Pile;
        chest->m_Inventory->AddItem(full);
    }
    coins = ctrl.ItemFromName("Gold Coins", false);
    hero->m_Inventory->AddItem(coins);
    EXPECT_FALSE(ctrl.MoveItem(coins, hero->m_Inventory, chest->m_Inventory, -2, false, true));
    EXPECT_EQ(hero->m_Inventory->GetCount(), 2);
    EXPECT_EQ(ctrl.Count("GuiError"), 1);
    ctrl.SetMainCharReference(nullptr);
    EXPECT_FALSE(ctrl.MoveItem(coins, hero->m_Inventory, box->m_Inventory, -2, false, true));  // no hero
    EXPECT_EQ(ctrl.Count("GuiError"), 2);
}

TEST_F(GameCtrlLevelItemsTest, KeptObjectsComeBackOnce)
{
    LogCapture log;
    SoundGameCtrl& ctrl = *game.ctrl;
    WorldElem* crate = game.Make("Crate");
    ASSERT_NE(crate, nullptr);
    crate->m_WorldID = "crate1";
    ctrl.KeepDoNotSaveObject(crate);
    EXPECT_FALSE(ctrl.GetWorld().HoldsObj(crate->m_ObjID, crate));
    EXPECT_EQ(ctrl.RestoreDoNotSaveObject("crate1"), crate);
    EXPECT_TRUE(ctrl.GetWorld().HoldsObj(crate->m_ObjID, crate));
    EXPECT_EQ(ctrl.RestoreDoNotSaveObject("crate1"), nullptr);
    EXPECT_EQ(log.Count("'DoNotSave=1'-object with worldID crate1 not found"), 1);
}

TEST_F(GameCtrlLevelItemsTest, WallObjectsAreMadeOnce)
{
    SoundGameCtrl& ctrl = *game.ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    VSD_WallIntern* object = AddTestWall(world, 600.0f, 600.0f, 800.0f, 600.0f);
    object->m_DescObjID = "Crate";
    VSD_WallIntern* door = AddTestWall(world, 900.0f, 600.0f, 1000.0f, 600.0f);
    door->m_Door = 1;
    const int32_t before = ctrl.CountElements();
    ctrl.AddWallObjects();
    EXPECT_EQ(ctrl.CountElements(), before + 2);
    EXPECT_TRUE(object->m_DescObjID.IsEmpty());
    ItemObj* crate = dynamic_cast<ItemObj*>(object->m_Parent.Get());
    ASSERT_NE(crate, nullptr);
    EXPECT_NEAR(crate->GetPos().x, 700.0f, 0.01f);
    EXPECT_TRUE(std::isfinite(crate->m_Scale[0]));  // a wall type without a standard size: no division by 0
    ASSERT_NE(door->m_Parent.Get(), nullptr);
    ctrl.AddWallObjects();
    EXPECT_EQ(ctrl.CountElements(), before + 2);
}

TEST_F(GameCtrlLevelItemsTest, StartingPositions)
{
    LogCapture log;
    SoundGameCtrl& ctrl = *game.ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    // The sample level's own starting positions go first.
    for (int32_t id = 0; id < world.GetObjCapacity(); ++id)
        if (auto* event = dynamic_cast<EventObj*>(world.GetObjNoCheck(id, false)); event && event->m_EventKind == 3)
            world.DelObj(id, 0);
    EXPECT_NE(ErrorOf([&] { ctrl.GetStartingPos(0, nullptr, false); }).find("Starting pos nr. 0 does not exist in level"),
              std::string::npos);
    WorldElem* first = game.Make("StartPos");
    WorldElem* second = game.Make("StartPos");
    second->m_WorldID = "east";
    EXPECT_EQ(ctrl.GetStartingPos(1, nullptr, false), second);
    EXPECT_EQ(ctrl.GetStartingPos(5, nullptr, false), first);
    EXPECT_EQ(log.Count("Starting pos with worldID"), 0);
    EXPECT_EQ(ctrl.GetStartingPos(-1, "east", true), second);
    EXPECT_EQ(ctrl.GetStartingPos(-1, "west", true), first);
    EXPECT_EQ(log.Count("Starting pos with worldID 'west' does not exist in level"), 1);
}

TEST_F(GameCtrlLevelItemsTest, SmallLookups)
{
    SoundGameCtrl& ctrl = *game.ctrl;
    for (int32_t i = 0; i < 50; ++i) {
        const float value = ctrl.RandomSpread(10.0f, 2.0f);
        EXPECT_GE(value, 8.0f);
        EXPECT_LE(value, 12.0f);
    }
    // Picking needs a main character and the play view; the ray needs a view and a mouse.
    WorldElem* target = nullptr;
    EXPECT_FALSE(ctrl.CanPickAtMouse());
    CreatureObj* hero = AddCreature(1280.0f, 1280.0f, 0);
    ctrl.SetMainCharReference(hero);
    EXPECT_TRUE(ctrl.CanPickAtMouse());
    D3DXVECTOR3 point(1, 2, 3);
    EXPECT_FALSE(ctrl.RayTestAtMouse(point, 1000.0f));
    EXPECT_EQ(point, D3DXVECTOR3(1, 2, 3));
    EXPECT_FALSE(ctrl.PickAtMouse(target, 1000.0f));
    EXPECT_EQ(target, nullptr);

    GameFunction function;
    function.curve.SetNumKeys(1);
    function.curve.GetKey(0).value = 3.0f;
    function.attributeOperation = GameFunction::kMultiply;
    EXPECT_FLOAT_EQ(function.Apply(2.0f, 0.0f), 6.0f);
    function.attributeOperation = 2;
    EXPECT_FLOAT_EQ(function.Apply(2.0f, 0.0f), 3.0f);
    function.attributeOperation = GameFunction::kAdd;
    EXPECT_FLOAT_EQ(function.Apply(2.0f, 0.0f), 5.0f);
    EXPECT_TRUE(function.IsActive());
    function.enabled = 0;
    EXPECT_FALSE(function.IsActive());

    int32_t direction = 0;
    EXPECT_NEAR(Angle::ShortestDistance(350.0f, 10.0f, 360.0f, &direction), 20.0f, 1e-4f);
    EXPECT_EQ(direction, -1);  // from 350 the short way goes up through 0
    EXPECT_NEAR(Angle::ShortestDistance(10.0f, 350.0f, 360.0f, &direction), 20.0f, 1e-4f);
    EXPECT_EQ(direction, 1);
    EXPECT_NEAR(Angle::ShortestDistance(-30.0f, 30.0f, 360.0f), 60.0f, 1e-4f);

    FlickerCurve flicker;
    flicker.exponent = 1.0f;
    float sum = 0.0f;
    for (int32_t k = 0; k < 5; ++k)
        sum += flicker.amplitude[k] * std::cos(flicker.frequency[k] * 0.7f + flicker.phase[k]) * (k < 3 ? flicker.scale : 1.0f);
    EXPECT_NEAR(flicker.Evaluate(0.7f), sum, 1e-5f);
}
