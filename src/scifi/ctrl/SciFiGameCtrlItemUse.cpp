// SciFiGameCtrl: what a player does with an item itself: socketing one item into another, and
// taking an item out of an inventory into the item holder window.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "scifi/objects/Item_SF.h"
#include "world/Inventory.h"

namespace {

constexpr int16_t kSocketTypeOffset = 200;  // "weapon_socket" 200 fits "weapon" 0, and so on

// Takes the item out of the first of the inventories that holds it, destroying it; an item that
// none holds is destroyed alone. No entry may be left naming a destroyed item.
void DestroyHeldItem(InventoryItem* item, Inventory* first, Inventory* second)
{
    for (Inventory* inventory : {first, second}) {
        const int32_t slot = inventory ? inventory->FindItem(item) : -1;
        if (slot >= 0) {
            inventory->RemoveAt(slot, true);
            return;
        }
    }
    delete item;
}

}  // namespace

bool SciFiGameCtrl::ApplyItemToSocket(ItemBase* socketItem, ItemBase* target)
{
    auto* socketed = dynamic_cast<Item_SF*>(target);
    CreatureObj* hero = GetMainChar();
    if (!socketItem || !socketed || socketItem == target || !hero)
        return false;  // an item in its own socket would destroy itself
    const int32_t sockets = socketed->GetSocketCount();
    if (sockets <= 0 || sockets <= socketed->GetSocketedNames().GetSize())
        return false;
    if (int32_t(target->m_EquipmentType) != int32_t(socketItem->m_EquipmentType) - kSocketTypeOffset)
        return false;
    const int32_t level = hero->GetLevel();
    if (socketItem->m_RequiresLevel > level || target->m_RequiresLevel > level)
        return false;

    DynaMem<String, 4>& names = socketed->GetSocketedNames();
    *names.GetBySlot(names.Add()) = socketItem->m_Desc;
    target->m_Value = socketItem->m_Value;
    if (socketItem->m_RequiresLevel > target->m_RequiresLevel)
        target->m_RequiresLevel = socketItem->m_RequiresLevel;
    target->AddAbilitiesOf(socketItem, true);
    DestroyHeldItem(socketItem, &m_PointerInventory, hero->m_Inventory);

    PlayWorldSound("ItemAppliedToSocket");
    hero->OnInventoryChanged();
    return true;
}

bool SciFiGameCtrl::UseInventoryItem(Inventory* inventory, int32_t listID, int32_t value)
{
    InventoryItem* item = inventory ? inventory->GetItemBySlot(listID) : nullptr;
    if (!item)
        return false;
    WorldElem* owner = inventory->GetOwner();
    inventory->RemoveAt(listID, false);
    m_ItemHolder.HoldItem(item, owner && owner->IsCreature() ? owner : nullptr, value);
    return true;
}
