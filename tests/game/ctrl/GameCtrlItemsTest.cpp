// GameCtrl items: the engine's item, event object, creature, protection, attack and damage value
// factories and answers, the default damage values, the item pictures made once per entry, an
// inventory loaded through the controller keeping the items its item table knows, the use of
// objects, the main character's item use and the scripts' inventory stores.
#include "game/ctrl/GameCtrl.h"

#include "base/FileRecordReader.h"
#include "engine/gfx/DXC_Texture.h"
#include "game/ctrl/DamageValues_Default.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "game/objects/KI_ActionData.h"
#include "world/ActionAttack.h"
#include "world/ProtectionValues.h"
#include "world/Inventory.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A controller whose item table holds "Sword" (with a template item) and "Shield".
class ItemCtrl : public GameCtrl {
public:
    ItemCtrl()
    {
        GetItemReader().SetDescKey("desc");
        OpenText(GetItemReader(), "#1\ndesc = \"Sword\"\n#2\ndesc = \"Shield\"\n");
        auto sword = std::make_shared<ItemBase>();
        sword->m_Img = "gui\\sword.png";
        GetItemTable() = {sword, nullptr};
    }
};

// A controller that counts the inventory windows it is asked to show.
class UseCtrl : public GameCtrl {
public:
    int32_t ShowInventory(WorldElem* object, int32_t flag, const char* textA, const char* textB) override
    {
        shown++;
        return GameCtrl::ShowInventory(object, flag, textA, textB);
    }
    int shown = 0;
};

// A creature that records its item uses.
class UsingCreature : public CreatureObj {
public:
    bool UseItem(InventoryItem* item, int32_t a, int32_t flag) override
    {
        uses.push_back({item, a, flag});
        return true;
    }
    struct Use {
        InventoryItem* item;
        int32_t a;
        int32_t flag;
    };
    std::vector<Use> uses;
};

}  // namespace

TEST(GameCtrlItemsTest, EngineAnswers)
{
    GameCtrl ctrl;
    std::unique_ptr<ItemBase> item(ctrl.CreateItem());
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->m_ItemName == "NoNameItem");
    EXPECT_EQ(ctrl.GetAbilityWeight(7), 1.0f);
    EXPECT_FALSE(ctrl.IsNetworkGameServer());
    EXPECT_EQ(ctrl.ApplyGameFunction(3.0f, "level", nullptr), 3.0f);
    EXPECT_EQ(ctrl.ApplyGameFunctionFor(3.0f, "level", nullptr), 3.0f);
    ctrl.PlayWorldSound("ItemDrop1");
    Inventory inventory;
    ctrl.OnItemAddedToInventory(&inventory, item.get());
    std::unique_ptr<EventObj> event(ctrl.CreateEventObj());
    ASSERT_TRUE(event);
    EXPECT_EQ(event->m_TypeCode, ElemType::kEvent);
    EXPECT_NE(dynamic_cast<DamageValues_Default*>(event->GetOwnDamageValues()), nullptr);
    ctrl.UseKey(event.get(), 0, 3);  // keys are the game's
}

TEST(GameCtrlItemsTest, DefaultDamageValues)
{
    GameCtrl ctrl;
    std::unique_ptr<DamageValues> values(ctrl.CreateDamageValues());
    ASSERT_NE(dynamic_cast<DamageValues_Default*>(values.get()), nullptr);
    EXPECT_TRUE(values->IsZero());
    values->SetValue(2.5f);
    values->Scale(2.0f);
    EXPECT_EQ(values->GetValue(), 5.0f);
    values->damage[0] = 1.0f;
    values->Reset();  // the base fields only
    EXPECT_EQ(values->damage[0], 0.0f);
    EXPECT_EQ(values->GetValue(), 5.0f);

    File file;
    file.CreateMemoryFile(0);
    values->Save(file);
    EXPECT_EQ(file.GetSize(), DamageValues::kRecordBytes + 4);  // the base record, then the default damage
    std::unique_ptr<DamageValues> copy(values->Clone());
    file.Seek(0);
    FileRecordReader in(file, "Damage values cut short");
    copy->SetValue(0.0f);
    copy->Load(in);
    EXPECT_EQ(copy->GetValue(), 5.0f);
    EXPECT_NE(dynamic_cast<DamageValues_Default*>(copy.get()), nullptr);
}

TEST(GameCtrlItemsTest, PicturesAreMadeOncePerEntry)
{
    ItemCtrl ctrl;
    DXC_Texture* sword = ctrl.GetItemImage("Sword");
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(ctrl.GetItemImage("Sword"), sword);
    EXPECT_TRUE(sword->stageNames[0] == "gui\\sword.png");
    DXC_Texture* shield = ctrl.GetItemPicture("Shield");  // no template item yet: still a picture
    ASSERT_NE(shield, nullptr);
    EXPECT_NE(shield, sword);
    EXPECT_EQ(ctrl.GetItemPicture("Axe"), nullptr);
    EXPECT_EQ(ctrl.GetItemPicture(nullptr), nullptr);
    EXPECT_EQ(ErrorOf([&] { ctrl.GetItemImage("Axe"); }), "Invalid itemID: 'Axe'");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItemImage(2); }), "Invalid item index: 2");
}

TEST(GameCtrlItemsTest, InventoryLoadKeepsTheItemsTheTableKnows)
{
    ItemCtrl ctrl;
    Inventory source;
    for (const char* desc : {"Sword", "Axe", "Shield"}) {
        auto* item = new ItemBase;
        item->m_Desc = desc;
        item->m_ItemName = desc;
        source.AddItem(item);
    }
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16Value(ItemBase::kRecordVersion);
    source.Save(file, 0);
    file.Seek(0);
    file.ReadInt16Member();

    LogCapture log;
    Inventory target;
    target.Load(file, -1, true, 0);
    ASSERT_EQ(target.GetCount(), 2);
    EXPECT_TRUE(target.GetItem(0)->m_Desc == "Sword");
    EXPECT_TRUE(target.GetItem(1)->m_Desc == "Shield");
    EXPECT_EQ(target.GetItem(0)->m_Picture, ctrl.GetItemImage("Sword"));
    EXPECT_NE(dynamic_cast<ItemBase*>(target.GetItem(1)), nullptr);
    EXPECT_EQ(log.Count("Inventory::Load: item 'Axe' is not in the item table; dropped"), 1);
}

TEST(GameCtrlItemsTest, CreatureAndAttackFactories)
{
    GameCtrl ctrl;
    std::unique_ptr<CreatureObj> creature(ctrl.CreateCreature());
    ASSERT_TRUE(creature);
    EXPECT_EQ(creature->m_TypeCode, ElemType::kCreature);
    EXPECT_NE(dynamic_cast<DamageValues_Default*>(creature->GetDamageValues()), nullptr);
    std::unique_ptr<ProtectionValues> protection(ctrl.CreateProtectionValues());
    ASSERT_TRUE(protection);
    std::unique_ptr<cfDynamicObject> another(protection->CreateNew());
    EXPECT_NE(dynamic_cast<ProtectionValues*>(another.get()), nullptr);
    std::unique_ptr<ActionAttack> attack(ctrl.CreateActionAttack());
    ASSERT_TRUE(attack);
    EXPECT_EQ(attack->point, 1.0f);
    EXPECT_EQ(ctrl.GetMainChar(), nullptr);
    ctrl.SetMainCharReference(creature.get());
    EXPECT_EQ(ctrl.GetMainChar(), creature.get());
    creature.reset();
    EXPECT_EQ(ctrl.GetMainChar(), nullptr);  // the reference does not outlive the creature
}

TEST(GameCtrlItemsTest, UseObjectByTheAITask)
{
    UseCtrl ctrl;
    struct Case {
        int32_t task;
        int32_t after;
        int shown;
    };
    const Case kCases[] = {{0, 5, 1}, {9, 9, 0}, {10, 10, 0}, {3, 3, 1}};
    for (const Case& c : kCases) {
        ItemObj item;
        KI_ActionData data;
        data.task = c.task;
        item.m_AIData = &data;
        ctrl.shown = 0;
        EXPECT_TRUE(ctrl.UseObject(&item, 0, 0));
        EXPECT_EQ(data.task, c.after) << c.task;
        EXPECT_EQ(ctrl.shown, c.shown) << c.task;
    }
    ItemObj plain;  // no AI data: only its own use
    ctrl.shown = 0;
    EXPECT_TRUE(ctrl.UseObject(&plain, 0, 0));
    EXPECT_EQ(ctrl.shown, 0);
    EXPECT_FALSE(ctrl.UseObject(nullptr, 0, 0));
}

TEST(GameCtrlItemsTest, MainCharacterItemUse)
{
    GameCtrl ctrl;
    ItemBase potion;
    ctrl.UseItemByMainChar(&potion, 2);  // no main character: nothing
    UsingCreature hero;
    ctrl.SetMainCharReference(&hero);
    ctrl.UseItemByMainChar(&potion, 2);
    ASSERT_EQ(hero.uses.size(), 1u);
    EXPECT_EQ(hero.uses[0].item, &potion);
    EXPECT_EQ(hero.uses[0].a, 2);
    EXPECT_EQ(hero.uses[0].flag, 1);
    ctrl.ChangeViewMode(1, 0, 0, 0.0f, 0.0f);
    ctrl.UseItemByMainChar(&potion, 2);  // no input in the second play view
    hero.m_Dead = 1;
    ctrl.ChangeViewMode(0, 0, 0, 0.0f, 0.0f);
    ctrl.UseItemByMainChar(&potion, 2);  // nor for a dead hero
    EXPECT_EQ(hero.uses.size(), 1u);
}

TEST(GameCtrlItemsTest, InventoryStores)
{
    GameCtrl ctrl;
    Inventory chest;
    chest.SetType(3);
    ASSERT_GE(chest.AddItem(new ItemBase), 0);
    ctrl.SetInventoryStorage(&chest, 7);
    Inventory out;
    ctrl.GetInventoryStorage(out, 7);
    EXPECT_EQ(out.GetCount(), 1);
    EXPECT_EQ(out.GetType(), 3);
    ctrl.SetInventoryStorage(nullptr, 7);
    ctrl.GetInventoryStorage(out, 7);
    EXPECT_EQ(out.GetCount(), 0);
    EXPECT_EQ(ErrorOf([&] { ctrl.SetInventoryStorage(&chest, 8); }), "Invalid inventory storage index");
    EXPECT_EQ(ErrorOf([&] { ctrl.GetInventoryStorage(out, -1); }), "Invalid inventory storage index");
}
