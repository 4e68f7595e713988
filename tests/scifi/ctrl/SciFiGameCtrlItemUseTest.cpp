// SciFiGameCtrl's item use: an item socketed into another (type, free sockets, the levels the main
// character reaches, what the target takes over) and an inventory entry handed to the item holder.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int32_t kBonusAbility = 40;  // any type the target lacks

class SciFiGameCtrlItemUseTest : public ::testing::Test {
protected:
    SciFiGameCtrlItemUseTest()
    {
        hero = dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature());
        ctrl.GetWorld().AddObj(hero, 0, false);
        hero->CreateInventory(-1);
        ctrl.SetMainCharReference(hero);
    }
    static Item_SF* NewItem(const char* desc, int16_t type, int16_t level)
    {
        auto* item = new Item_SF;
        item->m_Desc = desc;
        item->m_EquipmentType = type;
        item->m_RequiresLevel = level;
        return item;
    }
    static void AddAbility(ItemBase& item, int32_t type, int32_t subtype, float value)
    {
        ItemAbility ability;
        ability.type = type;
        ability.subtype = subtype;
        ability.value = value;
        item.AddAbility(ability, false);
    }

    SciFiGameCtrl ctrl;
    CreatureObj_SF* hero = nullptr;
};

}  // namespace

TEST_F(SciFiGameCtrlItemUseTest, SocketItemsGoOnlyIntoAFreeSocketOfTheirTypeAndLevel)
{
    const struct {
        const char* what;
        int16_t socketType;
        int32_t sockets;
        bool oneSocketed;
        int16_t socketLevel;
        int16_t targetLevel;
        bool accepted;
        int16_t levelAfter;
    } cases[] = {
        {"a higher socket item raises the target", 200, 2, false, 3, 1, true, 3},
        {"a lower one leaves it", 200, 2, true, 1, 4, true, 4},
        {"a head socket item in a weapon", 201, 2, false, 1, 1, false, 1},
        {"every socket taken", 200, 1, true, 1, 1, false, 1},
        {"no sockets", 200, 0, false, 1, 1, false, 1},
        {"a socket item above the hero", 200, 2, false, 6, 1, false, 1},
        {"a target above the hero", 200, 2, false, 1, 6, false, 6},
    };
    hero->m_Level = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Item_SF> target(NewItem("Rifle", 0, c.targetLevel));
        if (c.sockets > 0)
            AddAbility(*target, Item_SF::kSocketAbility, c.sockets, 0.0f);
        if (c.oneSocketed)
            *target->GetSocketedNames().GetBySlot(target->GetSocketedNames().Add()) = "Old Cell";
        target->m_Value.SetValue(100.0f);
        Item_SF* socket = NewItem("Power Cell", c.socketType, c.socketLevel);
        socket->m_Value.SetValue(40.0f);
        AddAbility(*socket, kBonusAbility, 0, 3.0f);
        ctrl.GetDragHolder().AddItem(socket);  // carried on the pointer
        const int32_t namesBefore = target->GetSocketedNames().GetSize();

        EXPECT_EQ(ctrl.ApplyItemToSocket(socket, target.get()), c.accepted);
        EXPECT_EQ(target->m_RequiresLevel, c.levelAfter);
        if (c.accepted) {
            ASSERT_EQ(target->GetSocketedNames().GetSize(), namesBefore + 1);
            EXPECT_EQ(*target->GetSocketedNames().GetAt(namesBefore), "Power Cell");
            EXPECT_FLOAT_EQ(target->m_Value.GetRawValue(), 40.0f);
            EXPECT_FLOAT_EQ(target->GetAbilityValue(kBonusAbility, 0), 3.0f);
            EXPECT_EQ(ctrl.GetDragHolder().GetCount(), 0);  // destroyed, and no entry names it
        } else {
            EXPECT_EQ(target->GetSocketedNames().GetSize(), namesBefore);
            EXPECT_FLOAT_EQ(target->m_Value.GetRawValue(), 100.0f);
            EXPECT_FLOAT_EQ(target->GetAbilityValue(kBonusAbility, 0), 0.0f);
            EXPECT_EQ(ctrl.GetDragHolder().GetItem(0), socket);
        }
        ctrl.GetDragHolder().Clear(true);
    }

    // An item into its own socket, or anything without a main character, is refused.
    std::unique_ptr<Item_SF> both(NewItem("Odd", 0, 1));
    AddAbility(*both, Item_SF::kSocketAbility, 2, 0.0f);
    EXPECT_FALSE(ctrl.ApplyItemToSocket(both.get(), both.get()));
    ctrl.SetMainCharReference(nullptr);
    std::unique_ptr<Item_SF> socket(NewItem("Power Cell", 200, 1));
    EXPECT_FALSE(ctrl.ApplyItemToSocket(socket.get(), both.get()));
}

TEST_F(SciFiGameCtrlItemUseTest, AUsedInventoryEntryMovesToTheItemHolder)
{
    Item_SF* item = NewItem("Medkit", 102, 0);
    ASSERT_GE(hero->m_Inventory->AddItem(item), 0);
    const int32_t listID = hero->m_Inventory->GetItemListID(0);

    EXPECT_FALSE(ctrl.UseInventoryItem(hero->m_Inventory, listID + 1, 0));  // no such entry
    EXPECT_FALSE(ctrl.UseInventoryItem(hero->m_Inventory, -1, 0));
    EXPECT_FALSE(ctrl.UseInventoryItem(nullptr, listID, 0));
    EXPECT_EQ(hero->m_Inventory->GetCount(), 1);

    ASSERT_TRUE(ctrl.UseInventoryItem(hero->m_Inventory, listID, 4));
    EXPECT_EQ(hero->m_Inventory->GetCount(), 0);
    EXPECT_EQ(ctrl.GetItemHolder().GetHeldItem(), item);
    EXPECT_EQ(ctrl.GetItemHolder().GetCharacter(), hero);
    EXPECT_EQ(ctrl.GetItemHolder().GetHeldValue(), 4);

    // An inventory of no creature hands its item without an owner; the last one held goes.
    Inventory loose;
    const int32_t slot = loose.AddItem(NewItem("Access Card", -1, 0));
    ASSERT_TRUE(ctrl.UseInventoryItem(&loose, slot, 0));
    EXPECT_EQ(ctrl.GetItemHolder().GetCharacter(), nullptr);
    EXPECT_EQ(ctrl.GetItemHolder().GetHeldItem()->m_Desc, "Access Card");
}
