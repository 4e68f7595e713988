// ScriptInventory: the shared helpers of the inventory and item built-ins.
#include "game/scriptfuncs/ScriptInventory.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"

namespace ScriptInventory {

bool IsPlayerCharacter(WorldElem* elem)
{
    return elem && elem->IsCreature() && static_cast<CreatureObj*>(elem)->IsMainCharacter();
}

ItemBase* ItemRecordOf(ScriptCall& call, WorldElem& elem, const char* function)
{
    ItemBase* item = elem.m_TypeCode == ElemType::kItem ? dynamic_cast<ItemBase*>(elem.m_LinkedItem) : nullptr;
    if (!item)
        call.Error("Can not %s on none-item-object", function);
    return item;
}

ItemBase* NewItem(GameCtrl& ctrl, const char* name)
{
    const ItemBase* type = ctrl.FindItem(name, false);
    ItemBase* item = type ? ctrl.CreateItem() : nullptr;
    if (item)
        type->CopyTo(item);
    return item;
}

bool MoveItem(GameCtrl& ctrl, InventoryItem* item, Inventory* from, Inventory* to, int32_t units)
{
    if (!item || !from || !to || units < 1)
        return false;
    const int32_t slot = from->FindItem(item);
    if (slot < 0 || to->GetAddableCount(*item) < units)
        return false;
    InventoryItem* moving = item;
    if (units < item->m_Count) {
        moving = ctrl.CreateItem();
        if (!moving)
            return false;
        item->CopyTo(moving);
        moving->m_Count = units;
        item->m_Count -= units;
    } else {
        from->RemoveAt(slot, false);
    }
    // The transfer scripts run while the moving stack still exists on its own: the target may
    // merge it into a stack of its own.
    ctrl.TransferInventoryItem(dynamic_cast<ItemBase*>(moving), from, to, units, nullptr);
    int32_t moved = 0;
    if (to->AddItem(moving, &moved) < 0) {  // the capacity test said yes: give back what is left
        if (moving == item)
            from->AddItem(item);
        else {
            item->m_Count += moving->m_Count;
            delete moving;
        }
        return moved > 0;
    }
    return true;
}

int32_t DropItem(GameCtrl& ctrl, InventoryItem* item, WorldElem* at)
{
    ctrl.DropItem(item, nullptr, at, 0.0f, 0.0f, 0.5f);
    return -1;
}

bool PickUp(GameCtrl& ctrl, WorldElem& picker, WorldElem& item)
{
    (void)ctrl;
    (void)picker;
    (void)item;
    return false;
}

}  // namespace ScriptInventory
