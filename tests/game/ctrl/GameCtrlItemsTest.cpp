// GameCtrl items: the engine's item, event object and damage value factories and answers, the
// default damage values, the item pictures made once per entry, and an inventory loaded through
// the controller keeping the items its item table knows.
#include "game/ctrl/GameCtrl.h"

#include "base/FileRecordReader.h"
#include "engine/gfx/DXC_Texture.h"
#include "game/ctrl/DamageValues_Default.h"
#include "game/objects/EventObj.h"
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
