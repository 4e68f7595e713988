// ScriptFamilyItemsAtoG: the built-ins before 'H' that put items into an element's inventory,
// drop them into the world, empty inventories, count items and gold, read the use counters and
// keys of item elements, and give gold.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptInventory.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr float kDropSpread = 0.5f;
constexpr float kInventoryFullSeconds = 1.5f;
constexpr float kDefaultDropRadius = 20.0f;

// Positions: 3 count, 4 slot value (the engine's inventories place by themselves), 5 flag A,
// 6 value B plus 1, 8 the message switch. Stacks are of the item's largest stack, at least 1.
void AddToInventory(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    const char* name = call.Text(1);
    int32_t remaining = call.IntOr(2, 1);
    const bool message = call.GetCount() < 8 || (call.IsInt(7) && call.Int(7) != 0);
    WorldElem* owner = call.Object(0);
    if (!owner)
        return;
    GameCtrl& ctrl = call.GetCtrl();
    ScriptInventory::SavedObjVariables saved(ctrl);
    const bool player = ScriptInventory::IsPlayerCharacter(owner);
    bool told = false;
    while (remaining > 0) {
        ItemBase* item = ctrl.ItemFromName(name, false);
        if (!item) {
            call.Error("Item to add to inventory not found '%s'", name);
            return;
        }
        if (call.GetCount() >= 5)
            item->m_FlagByte2 = call.Int(4) != 0 ? 1 : 0;
        if (call.GetCount() >= 6)
            item->m_GridPos = call.Int(5) - 1;
        const int32_t stack = std::min(std::max(item->m_Pile, 1), remaining);
        item->m_Count = stack;
        if (player && message && !told) {
            ctrl.OnItemReceived(call.IntOr(2, 1), item->GetLocalizedName());
            told = true;
        }
        if (!owner->m_Inventory)
            owner->CreateInventory(-1);
        // A position from the script lets a game creature equip the item; what did not fit lies
        // at the owner.
        const int32_t position = call.GetCount() >= 6 ? call.Int(5) : -1;
        if (!owner->PutIntoInventory(item, position)) {
            ctrl.DropItem(item, nullptr, owner, 0.0f, 0.0f, kDropSpread);
            if (player)
                call.GetWorld().ShowTextMessage(kInventoryFullSeconds, u"InvFull");
        }
        remaining -= stack;
    }
}

// One entry, or every entry ("all"), out of the owner's inventory into item elements at the
// target; the last element's ID. "all" ends when a pass takes nothing out.
void DropFromInventory(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(3, 3) || !call.NeedInt(0) || !call.NeedInt(1) || !call.NeedString(2))
        return;
    WorldElem* owner = call.Object(0);
    WorldElem* target = owner ? call.Object(1) : nullptr;
    if (!target)
        return;
    const char* name = call.Text(2);
    const bool all = std::strcmp(name, "all") == 0;
    call.SetInt(-1);
    Inventory* inventory = owner->m_Inventory;
    if (!inventory)
        return;
    GameCtrl& ctrl = call.GetCtrl();
    for (;;) {
        const int32_t slot = all ? inventory->GetItemListID(0) : inventory->FindItemByName(name);
        InventoryItem* item = slot < 0 ? nullptr : inventory->GetItemBySlot(slot);
        if (!item) {
            call.SetInt(-1);
            return;
        }
        InventoryItem* copy = ctrl.CreateItem();
        if (!copy)
            return;
        item->CopyTo(copy);
        const int32_t entries = inventory->GetCount();
        inventory->RemoveAt(slot, true);  // the whole entry goes: the copy carries its stack
        const int32_t id = ctrl.DropItem(copy, nullptr, target, 0.0f, 0.0f, kDropSpread);
        call.SetInt(id);
        if (!all || id == 0 || inventory->GetCount() == 0 || inventory->GetCount() >= entries)
            return;
    }
}

void EmptyInventory(ScriptCall& call)
{
    if (call.GetCount() < 1) {
        call.Error("Invalid number of arguments in function '%s'", call.GetName());
        return;
    }
    if (WorldElem* owner = call.Object(0))
        owner->ClearInventory(call.IntOr(1, 0) != 0 ? 1 : 0);
}

void DropInventory(ScriptCall& call)
{
    if (WorldElem* owner = call.CountedObject(1, -1)) {
        const float radius = call.GetCount() >= 2 ? call.FloatArg(1) : kDefaultDropRadius;
        owner->DropInventory(radius, call.GetCount() >= 3 ? call.FloatArg(2) : 0.0f);
    }
}

void GetNumberOfItemsInInventory(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* owner = call.CountedObject(1, -1))
        call.SetInt(owner->m_Inventory ? owner->m_Inventory->GetCount() : 0);
}

void GetItemUses(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.Error("Can not %s on none-item-object", call.GetName());
        return;
    }
    if (!elem->m_LinkedItem) {
        call.Error("Can not GetUses on none-item-object");
        return;
    }
    call.SetInt(elem->m_LinkedItem->m_Uses);
}

void GetUses(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->m_UsesLeft);
}

// A warning of the controller only: scripts ask this of any element.
void GetNeedKey(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.GetCtrl().Warning("Can not get NeedKey of none item object");
        return;
    }
    call.SetInt(static_cast<ItemObj*>(elem)->m_KeyNumber);
}

void GetGold(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* owner = call.CountedObject(1, 1))
        call.SetInt(owner->GetGold());
}

void AddGold(ScriptCall& call)
{
    WorldElem* owner = call.CountedObject(2, 2);
    if (!owner)
        return;
    const int32_t amount = call.Int(1);
    owner->AddGold(amount);
    if (ScriptInventory::IsPlayerCharacter(owner))
        call.GetCtrl().OnGoldReceived(amount, 1);
}

}  // namespace

// In the chain's order of comparison.
ScriptBuiltinFamily ScriptFamilyItemsAtoG()
{
    static const ScriptBuiltinEntry entries[] = {
        {"AddToInventory", AddToInventory},
        {"DropFromInventory", DropFromInventory},
        {"EmptyInventory", EmptyInventory},
        {"DropInventory", DropInventory},
        {"GetNumberOfItemsInInventory", GetNumberOfItemsInInventory},
        {"GetItemUses", GetItemUses},
        {"GetUses", GetUses},
        {"GetNeedKey", GetNeedKey},
        {"GetGold", GetGold},
        {"AddGold", AddGold},
    };
    return {entries, std::size(entries)};
}
