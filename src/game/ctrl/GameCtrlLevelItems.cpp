// GameCtrl: items in the level: new items by name, the item template table's release, dropping
// items into the world, picking them up, moving them between inventories, and the kept
// "DoNotSave=1" elements that a save game brings back.
#include "game/ctrl/GameCtrl.h"

#include "base/Random.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemObj.h"
#include "world/Inventory.h"
#include "world/WorldEvent.h"
#include "world/WorldEventPayloads.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr float kInvFullSeconds = 1.5f;

}  // namespace

void GameCtrl::FreeItemTypeTable()
{
    m_ItemImages.clear();
    m_ItemTable.clear();
    m_ItemReader.Clear();
}

ItemBase* GameCtrl::ItemFromName(const char* name, bool init)
{
    const int32_t index = name ? FindItemTypeIndex(name) : -1;
    if (index < 0 || size_t(index) >= m_ItemTable.size() || !m_ItemTable[size_t(index)]) {
        Warning("Invalid item name: '%s'", name ? name : "");
        return nullptr;
    }
    ItemBase* item = CreateItem();
    if (!item)
        return nullptr;
    m_ItemTable[size_t(index)]->CopyTo(item);
    if (init)
        InitNewItem(item, -1, -1.0f);
    return item;
}

// The element gets its own copy of the item. An item taken out of the dropper's inventory here
// is deleted; one that no inventory held stays the caller's.
int32_t GameCtrl::DropItem(ItemBase* item, float unused, WorldElem* dropper)
{
    (void)unused;
    if (!item)
        return -1;
    if (!dropper)
        dropper = GetMainChar();
    if (!dropper)
        return -1;
    WorldElem* elem = NewDroppedItemElement(*item, *dropper);
    if (!elem)
        return -1;
    Inventory* holder = dropper->m_Inventory;
    const int32_t slot = holder ? holder->FindItem(item) : -1;
    if (slot >= 0) {
        TransferInventoryItem(item, holder, nullptr, item->m_Count, elem);
        holder->RemoveAt(slot, false);
    }
    LayDroppedItem(*elem, *item, *dropper, 0.0f, 0.0f);
    if (slot >= 0)
        delete item;
    return elem->m_ObjID;
}

WorldElem* GameCtrl::NewDroppedItemElement(ItemBase& item, WorldElem& dropper)
{
    if (item.m_ObjID.IsEmpty())
        return nullptr;  // an item that never lies in the world (a reward, a key of a quest)
    const D3DXVECTOR2 origin = dropper.GetPos();
    WorldElem* elem = CreateWorldObject(item.m_ObjID.c_str(), nullptr, true, false, true, false, 0.0f, &origin,
                                        0.0f, nullptr, -1);
    if (elem && !elem->IsActiveType())
        Error("Tried to drop none WorldElem item");
    return elem;
}

void GameCtrl::LayDroppedItem(WorldElem& elem, ItemBase& item, WorldElem& dropper, float distance, float angle)
{
    if (ItemBase* copy = CreateItem()) {
        item.CopyTo(copy);
        delete elem.m_LinkedItem;
        elem.m_LinkedItem = copy;
        elem.m_LinkFlag = 1;
    }
    if (!m_World.FindDropPosition(&elem, &dropper, distance, angle)) {
        // No free place around the dropper: the item lies at a random angle around it all the same.
        const D3DXVECTOR2 origin = dropper.GetPos();
        elem.SetAngle(dropper.GetAngle());
        const float around = float(Random::Float01()) * kTwoPi;
        const float reach = elem.m_Radius + dropper.m_Radius + 1.0f + std::max(distance, 0.0f);
        elem.SetPos(origin.x + std::cos(around) * reach, origin.y + std::sin(around) * reach);
    }
    elem.CopyStateWithLinked(true);  // what the element was when the item was picked up
    if (ItemObj* object = dynamic_cast<ItemObj*>(&elem))
        object->SnapWallsToGrid();
    PlayWorldSound("ItemDropped");
}

// The world carries the pick-up out with its event (type 5), which the network node forwards
// to the server instead; here the creature's room is checked first.
bool GameCtrl::PickUpItem(WorldElem* element, CreatureObj* creature)
{
    if (!element || !creature || !element->m_LinkedItem)
        return false;
    if (creature->GetCarryLimit(*element->m_LinkedItem) < 1) {
        PlayWorldSound("CanNotPickUp");
        return false;
    }
    PickupRecord record;
    record.picker.Set(creature);
    record.item.Set(element);
    WorldEvent event;
    record.Write(event);
    AddGameEvent(&event);
    return true;
}

// What the target does not take goes back into the source; what the source cannot take back
// either lies next to the source's owner, so that no unit is lost. Piece is deleted or owned.
static void ReturnToSource(GameCtrl& ctrl, Inventory* source, ItemBase* piece)
{
    if (!piece || piece->m_Count < 1) {
        delete piece;
        return;
    }
    int32_t moved = 0;
    if (source->AddItem(piece, &moved) >= 0)
        return;
    if (WorldElem* owner = source->GetOwner()) {
        if (ctrl.DropItem(piece, 0.5f, owner) >= 0) {
            delete piece;
            return;
        }
    }
    ctrl.Warning("MoveItem: %i units of '%s' found no place", piece->m_Count, piece->m_Desc.c_str());
    delete piece;
}

bool GameCtrl::MoveItem(ItemBase* item, Inventory* source, Inventory* target, int32_t count, bool exchange,
                        bool report)
{
    if (!item || !source || !target) {
        if (report)
            PlayWorldSound("GuiError");
        return false;
    }
    CreatureObj* hero = GetMainChar();
    if (report && (!hero || hero->IsDead())) {
        PlayWorldSound("GuiError");
        return false;
    }
    const int32_t stack = item->m_Count;
    int32_t move = 1;
    if (stack > 1) {
        move = count == -2 ? stack : std::min(count, stack);
        if (move < 1)
            return true;
    }
    const int32_t slot = source->FindItem(item);
    item->m_Count = move;
    const int32_t addable = target->GetAddableCount(*item);
    item->m_Count = stack;
    if (addable >= 1) {
        if (slot < 0)
            return true;  // no longer in the source: nothing to do
        WorldElem* taker = target->GetOwner();
        CreatureObj* creature = taker && taker->IsCreature() ? dynamic_cast<CreatureObj*>(taker) : nullptr;
        if (move == 1 && exchange && creature && !creature->FilterItem(item))
            return true;  // the creature refuses it
        ItemBase* remainder = nullptr;
        if (move < stack) {
            remainder = CreateItem();
            if (!remainder)
                return false;
            item->CopyTo(remainder);
            remainder->m_Count = stack - move;
            item->m_Count = move;
        }
        source->RemoveAt(slot, false);
        TransferInventoryItem(item, source, target, move, nullptr);
        int32_t moved = 0;
        if (target->AddItem(item, &moved) < 0)
            ReturnToSource(*this, source, item);  // keeps the units the target left
        ReturnToSource(*this, source, remainder);
        return true;
    }
    if (slot < 0) {
        PlayWorldSound("GuiError");
        return false;
    }
    if (target->GetCount() == 1 && target->GetMaxItems() == 1) {  // a single place: the two change places
        InventoryItem* other = target->GetItem(0);
        ItemBase* otherItem = dynamic_cast<ItemBase*>(other);
        source->RemoveAt(slot, false);
        target->RemoveAt(target->FindItem(other), false);
        TransferInventoryItem(item, source, target, 1, nullptr);
        TransferInventoryItem(otherItem, target, source, 1, nullptr);
        if (target->AddItem(item) < 0)
            ReturnToSource(*this, source, item);
        if (otherItem)
            ReturnToSource(*this, source, otherItem);
        else if (source->AddItem(other) < 0)
            delete other;  // an item of another kind than the game's: nothing else holds it
        return true;
    }
    PlayWorldSound("GuiError");
    ShowMessage(kInvFullSeconds, "%s", "InvFull");
    return false;
}

void GameCtrl::KeepDoNotSaveObject(WorldElem* elem)
{
    if (!elem)
        return;
    if (elem->m_ObjID >= 0 && m_World.HoldsObj(elem->m_ObjID, elem))
        m_World.RemoveObj(elem->m_ObjID, false);
    m_DoNotSaveObjects.Add(elem);
}

WorldElem* GameCtrl::RestoreDoNotSaveObject(const char* worldID)
{
    const String wanted(worldID ? worldID : "");
    for (int32_t slot = m_DoNotSaveObjects.NextUsedSlot(-1); slot >= 0; slot = m_DoNotSaveObjects.NextUsedSlot(slot)) {
        WorldElem* elem = m_DoNotSaveObjects.GetBySlot(slot);
        if (!elem || !(elem->m_WorldID == wanted))
            continue;
        m_DoNotSaveObjects.Delete(slot);
        m_World.AddObj(elem, 0, false);
        return elem;
    }
    Warning("'DoNotSave=1'-object with worldID %s not found", wanted.c_str());
    return nullptr;
}

WorldElem* GameCtrl::FindKeptObject(const char* worldID) { return RestoreDoNotSaveObject(worldID); }
