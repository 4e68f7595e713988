// ScriptFamilyInventoryHtoZ: the built-ins from 'H' on that take items out of inventories, move
// them between two owners, show inventories, change the item records of item elements and their
// use counters and keys, and post the use of objects and the requests to use an item or a key.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptInventory.h"
#include "level/VSD_WallIntern.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr int32_t kRiddleInventory = 10;   // "riddle"
constexpr int32_t kTransferInventory = 6;  // what a transfer's target without inventory gets

void RemoveFromInventory(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 3) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    call.Forward(call.GetCount(), nullptr, 1, 1);  // the clients remove what the call names
    call.SetInt(elem->RemoveItemsByName(call.Text(1), call.IntOr(2, 1)));
}

void RemoveQuestItems(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem || !elem->m_Inventory)
        return;
    call.Forward(1, nullptr, 1, 1);
    call.SetInt(elem->m_Inventory->RemoveQuestItems());
}

void HasKey(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 2) || !call.NeedInt(0))
        return;
    if (WorldElem* elem = call.Object(0))
        call.SetInt(elem->HasKey(call.Int(1)) ? 1 : 0);
}

void IsInInventory(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 2) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    if (WorldElem* elem = call.Object(0))
        call.SetInt(elem->HasItem(call.Text(1)) ? 1 : 0);
}

// Units of one entry moved to the target, or -1 when the move failed. A move the controller
// calls done while the entry stayed as it was moved nothing: 0.
int32_t MoveEntry(GameCtrl& ctrl, InventoryItem* item, Inventory* from, Inventory* to, int32_t units)
{
    const int32_t entries = from->GetCount();
    const int32_t count = item->m_Count;
    if (!ctrl.MoveItem(dynamic_cast<ItemBase*>(item), from, to, units, false, false))
        return -1;
    const bool unchanged = from->GetCount() == entries && from->FindItem(item) >= 0 && item->m_Count == count;
    return unchanged ? 0 : units;
}

// Moves the named item (or every item, "all") from the source's inventory to the target's.
// Every loop ends: a move that leaves the source as it was counts as a failed one.
void TransferFromInventory(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(3, -1) || !call.NeedInt(0) || !call.NeedInt(1) || !call.NeedString(2))
        return;
    WorldElem* source = call.Object(0);
    WorldElem* target = source ? call.Object(1) : nullptr;
    if (!source || !target)
        return;
    if (!target->m_Inventory)
        target->CreateInventory(kTransferInventory);
    if (source == target) {  // nothing can move into the inventory it comes from
        call.SetInt(1);
        return;
    }
    const char* name = call.Text(2);
    const bool all = std::strcmp(name, "all") == 0;
    if (all && !source->m_Inventory) {
        call.SetInt(0);
        return;
    }

    Inventory* from = nullptr;
    InventoryItem* item = nullptr;
    int32_t count = -1;
    int32_t index = 0;
    if (all) {
        from = source->m_Inventory;
        item = from->GetItem(index);
    } else {
        item = source->FindItemByName(name, &from);
        count = call.IntOr(3, 1);
    }
    if (!item || !from) {
        call.SetInt(0);
        return;
    }

    GameCtrl& ctrl = call.GetCtrl();
    const auto* named = dynamic_cast<const ItemBase*>(item);
    const wString localised = named ? named->GetLocalizedName() : wString();
    if (count != 0 && ScriptInventory::IsPlayerCharacter(target) && localised.GetLength() > 0)
        ctrl.OnItemReceived(count > 0 ? count : item->m_Count, localised);

    int32_t total = 0;
    while (item) {
        int32_t units = item->m_Count;
        if (count > 0)
            units = std::min(count, units);
        const int32_t moved = MoveEntry(ctrl, item, from, target->m_Inventory, units);
        if (moved <= 0) {
            if (!all)
                break;
            item = from->GetItem(++index);  // under "all" the next entry is tried
            continue;
        }
        total += moved;
        if (count > 0) {
            count -= moved;
            if (count <= 0)
                break;
        }
        if (all)
            item = from->GetItem(index);  // the moved entry left its place to the next one
        else
            item = source->FindItemByName(name, &from);
    }
    call.SetInt(total > 0 ? 0 : 1);
}

void ShowInventory(ScriptCall& call)
{
    if (call.GetCount() != 1) {
        call.Error("Invalid number of arguments in function '%s'", call.GetName());
        return;
    }
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    call.GetCtrl().ShowInventory(elem, 0, "", "");
    call.Forward(1, nullptr, 1, 1);
}

void ShowRiddleInventory(ScriptCall& call)
{
    if (!call.NeedCount(3, -1) || !call.NeedString(1) || !call.NeedString(2))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    if (elem->m_Inventory)
        elem->m_Inventory->SetType(kRiddleInventory);
    const String script = call.ScriptText(1);
    call.GetCtrl().ShowInventory(elem, 0, script.c_str(), call.Text(2));
    call.Forward(call.GetCount(), nullptr, 1, 1);
}

void SetInventoryType(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    WorldElem* elem = call.Object(0);
    if (elem && elem->m_Inventory)
        elem->m_Inventory->SetType(call.GetCtrl().ParseObjectType(String(call.Text(1))));
}

void SaveInventory(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, -1))
        call.GetCtrl().SetInventoryStorage(elem->m_Inventory, call.Int(1));
}

// An element without an inventory has nowhere to take the stored items.
void LoadInventory(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (elem && elem->m_Inventory)
        call.GetCtrl().GetInventoryStorage(*elem->m_Inventory, call.Int(1));
}

// The item record of an item element for a setter; the report names the setter.
ItemBase* ItemRecord(ScriptCall& call, int32_t needString)
{
    if (!call.NeedCount(2, 2) || (needString >= 0 && !call.NeedString(needString)))
        return nullptr;
    WorldElem* elem = call.Object(0);
    return elem ? ScriptInventory::ItemRecordOf(call, *elem, call.GetName()) : nullptr;
}

void SetItemUses(ScriptCall& call)
{
    if (ItemBase* item = ItemRecord(call, -1))
        item->m_Uses = call.Int(1);
}

void SetItemOnUse(ScriptCall& call)
{
    if (ItemBase* item = ItemRecord(call, 1))
        item->m_OnItemUse = call.ScriptText(1);
}

void SetItemName(ScriptCall& call)
{
    if (ItemBase* item = ItemRecord(call, 1))
        item->m_ItemName = call.Text(1);
}

void SetItemOnTransfer(ScriptCall& call)
{
    if (ItemBase* item = ItemRecord(call, 1))
        item->m_OnTransfer = call.ScriptText(1);
}

void SetUses(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    elem->m_UsesLeft = int16_t(call.Int(1));
    call.Forward(2, elem, 1, 1);
}

void SetNeedKey(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.Warning("Can not set NeedKey of none item object");
        return;
    }
    static_cast<ItemObj*>(elem)->m_KeyNumber = int16_t(call.Int(1));
    call.Forward(2, elem, 1, 1);
}

void SetPickUp(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    elem->m_ObjValues.pickUp = call.Int(1) != 0 ? 1 : 0;
    call.Forward(2, elem, 1, 1);
}

void PickUp(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 2))
        return;
    WorldElem* picker = call.Object(0);
    WorldElem* item = picker ? call.Object(1) : nullptr;
    CreatureObj* creature = item && item->m_LinkedItem ? dynamic_cast<CreatureObj*>(picker) : nullptr;
    if (!creature)
        return;
    call.SetInt(call.GetCtrl().PickUpItem(item, creature) ? 1 : 0);
}

void SetUseState(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.Error("Can not SetUseState() on none-object");
        return;
    }
    static_cast<ItemObj*>(elem)->SetOpenState(call.Int(1), false);
    call.Forward(2, elem, 1, 1);
}

void SetWallUseState(ScriptCall& call)
{
    if (!call.NeedCount(2, 3) || !call.NeedInt(0))
        return;
    VSD_WallIntern* wall = call.Wall(0);
    if (!wall)
        return;
    auto* owner = dynamic_cast<WorldElem*>(wall->m_Parent.Get());
    if (!owner || owner->m_TypeCode != ElemType::kItem) {
        call.Error("No item attached to wall in order to get UseState");
        return;
    }
    static_cast<ItemObj*>(owner)->SetOpenState(call.Int(1), call.IntOr(2, 0) != 0);
    call.Forward();
}

void PostUse(GameCtrl& ctrl, int32_t objID, uint16_t typeCode, int32_t userID)
{
    WorldEvent event;
    UseEventRecord{objID, typeCode, userID}.Write(event);
    ctrl.AddGameEvent(&event);
}

void Use(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    WorldElem* user = call.Object(0);
    WorldElem* used = user ? call.Object(1) : nullptr;
    if (!used)
        return;
    if (used->IsCreature() && (used->IsDead() || used->IsEnemyOf(user, true) != 0))
        return;
    const uint16_t type = used->m_TypeCode;
    if (type == ElemType::kCreature || (type >= ElemType::kItem && type <= ElemType::kEvent))
        PostUse(call.GetCtrl(), used->m_ObjID, type, user->m_ObjID);
}

void UseWall(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    VSD_WallIntern* wall = call.GetWorld().GetWall(call.Int(1), false);
    if (!wall)
        return;
    const int32_t userID = call.Int(0) < 0 ? -1 : call.Int(0);
    PostUse(call.GetCtrl(), wall->m_ObjID, ElemType::kWall, userID);
    WorldElemBase* attached = wall->m_Parent.Get();
    if (wall->m_UseState == 0 && attached)
        PostUse(call.GetCtrl(), attached->m_ObjID, attached->m_TypeCode, userID);
}

// The request waits for the game's answer, so the running script pauses until it comes.
void PostUseRequest(ScriptCall& call, UseRequestRecord& record)
{
    if (const char* handler = call.Text(1))
        String::CopySized(record.handler, sizeof record.handler, handler);
    record.scriptID = call.GetWorld().GetCurrentScriptID();
    call.GetWorld().CheckReenterAllowed(1);
    WorldEvent event;
    record.Write(event);
    call.GetCtrl().AddGameEvent(&event);
}

void RequestItemUse(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    UseRequestRecord record;
    String::CopySized(record.itemName, sizeof record.itemName, call.Text(0));
    PostUseRequest(call, record);
}

void RequestKeyUse(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    UseRequestRecord record;
    record.keyNumber = call.Int(0);
    PostUseRequest(call, record);
}

}  // namespace

// In the chain's order of comparison.
ScriptBuiltinFamily ScriptFamilyInventoryHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"RemoveFromInventory", RemoveFromInventory},
        {"RemoveQuestItems", RemoveQuestItems},
        {"HasKey", HasKey},
        {"TransferFromInventory", TransferFromInventory},
        {"ShowInventory", ShowInventory},
        {"ShowRiddleInventory", ShowRiddleInventory},
        {"Use", Use},
        {"UseWall", UseWall},
        {"IsInInventory", IsInInventory},
        {"SetUseState", SetUseState},
        {"SetItemUses", SetItemUses},
        {"SetItemOnUse", SetItemOnUse},
        {"SetItemName", SetItemName},
        {"SetItemOnTransfer", SetItemOnTransfer},
        {"SetUses", SetUses},
        {"SetNeedKey", SetNeedKey},
        {"RequestItemUse", RequestItemUse},
        {"RequestKeyUse", RequestKeyUse},
        {"SetPickUp", SetPickUp},
        {"PickUp", PickUp},
        {"SetWallUseState", SetWallUseState},
        {"SetInventoryType", SetInventoryType},
        {"SaveInventory", SaveInventory},
        {"LoadInventory", LoadInventory},
    };
    return {entries, std::size(entries)};
}
