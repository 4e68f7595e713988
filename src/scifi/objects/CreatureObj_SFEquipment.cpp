// CreatureObj_SF: the three equipment inventories, putting, finding and removing items by name,
// the remembered equipment names and the current attack, which the weapon gives.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/objects/ItemBase.h"
#include "scifi/objects/Item_SF.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>

Inventory* CreatureObj_SF::GetEquipmentInventory(int32_t type)
{
    return type >= 0 && type < kEquipmentTypes ? &m_Equipment[type] : nullptr;
}

int32_t CreatureObj_SF::Unequip(int32_t type)
{
    Inventory* slot = GetEquipmentInventory(type);
    if (!slot)
        Error("Invalid Equipment type to unequip: %i", type);
    if (slot->GetCount() == 0)
        return 0;
    slot->RemoveAt(slot->GetItemListID(0), false);
    return 1;
}

void CreatureObj_SF::UnequipAll()
{
    for (Inventory& slot : m_Equipment) {
        if (slot.GetCount() == 0)
            continue;
        InventoryItem* item = slot.GetItem(0);
        slot.RemoveAt(slot.GetItemListID(0), false);
        TakeBack(item);
    }
}

void CreatureObj_SF::TakeBack(InventoryItem* item)
{
    if (!item || PutIntoInventory(item, 0))
        return;
    if (g_GameCtrl)
        g_GameCtrl->DropItem(item, nullptr, this, 0.0f, 0.0f, 0.5f);  // no room: it lies at the creature
    else
        delete item;
}

Inventory* CreatureObj_SF::PutIntoInventory(InventoryItem* item, int32_t count)
{
    auto* equipment = dynamic_cast<ItemBase*>(item);
    const int16_t type = equipment ? equipment->m_EquipmentType : -1;
    Inventory* slot = type < kFirstNonEquipmentType ? GetEquipmentInventory(type) : nullptr;
    if (count <= 0 || IsDead() || !m_Stats.canEquip || !slot)
        return CreatureObj::PutIntoInventory(item, count);
    InventoryItem* held = nullptr;
    if (count == 2 && slot->GetCount() > 0) {
        held = slot->GetItem(0);
        slot->RemoveAt(slot->GetItemListID(0), false);
    }
    const bool taken = slot->AddItem(item) >= 0;
    TakeBack(held);
    OnInventoryChanged();
    return taken ? slot : nullptr;
}

// Potions of each kind are limited to a handful of units in all, so that a hero cannot hoard
// them; what a full main inventory refuses an empty equipment slot may still take.
int32_t CreatureObj_SF::GetCarryLimit(InventoryItem& item)
{
    int32_t limit = CreatureObj::GetCarryLimit(item);
    auto* base = dynamic_cast<ItemBase*>(&item);
    if (base && (base->IsHealthPotion() || base->IsManaPotion())) {
        const bool health = base->IsHealthPotion();
        int32_t carried = 0;
        for (int32_t i = 0; m_Inventory && i < m_Inventory->GetCount(); i++) {
            auto* held = dynamic_cast<ItemBase*>(m_Inventory->GetItem(i));
            if (held && (health ? held->IsHealthPotion() : held->IsManaPotion()))
                carried += held->m_Count;
        }
        if (carried >= kMaxPotionUnits) {
            if (g_GameCtrl && g_GameCtrl->GetMainChar() == this)
                if (WorldCtrl* world = m_World ? m_World : g_GameCtrl->GetGameWorld())
                    world->ShowTextMessageByKey(kPotionsFullTime, wString(u"DB:medi_energy_full"));
            return 0;
        }
        limit = std::min(kMaxPotionUnits - carried, limit);
    }
    if (limit == 0 && base && !IsDead() && m_Stats.canEquip && base->m_EquipmentType < kFirstNonEquipmentType) {
        Inventory* slot = GetEquipmentInventory(base->m_EquipmentType);
        if (slot && slot->GetAddableCount(item) > 0)
            return 1;
    }
    return limit;
}

InventoryItem* CreatureObj_SF::FindItemByName(const char* name, Inventory** container)
{
    if (InventoryItem* item = CreatureObj::FindItemByName(name, container))
        return item;
    for (Inventory& slot : m_Equipment) {
        const int32_t position = slot.FindItemByName(name);
        if (position < 0)
            continue;
        if (container)
            *container = &slot;
        return slot.GetItemBySlot(position);
    }
    return nullptr;
}

int32_t CreatureObj_SF::RemoveItemsByName(const char* name, int32_t count)
{
    int32_t removed = CreatureObj::RemoveItemsByName(name, count);
    for (Inventory& slot : m_Equipment) {
        if (count != -1 && removed >= count)
            break;
        removed += slot.RemoveItemsByName(name, count == -1 ? -1 : count - removed, true);
    }
    OnInventoryChanged();
    return removed;
}

bool CreatureObj_SF::HasItem(const char* name)
{
    for (Inventory& slot : m_Equipment)
        if (slot.FindItemByName(name) >= 0)
            return true;
    return CreatureObj::HasItem(name);
}

// The scenes of equipment ("Item: %s") and their emitters are the client's; the server only
// remembers which items it shows.
void CreatureObj_SF::OnInventoryChanged()
{
    for (int32_t type = 0; type < kEquipmentTypes; type++) {
        const InventoryItem* item = m_Equipment[type].GetCount() > 0 ? m_Equipment[type].GetItem(0) : nullptr;
        const String name = item ? item->m_Desc : String();
        if (m_ShownItems[type] != name)
            m_ShownItems[type] = name;
    }
    UpdateValues(false);
}

ItemBase* CreatureObj_SF::GetWeapon()
{
    Inventory& slot = m_Equipment[0];
    return slot.GetCount() > 0 ? dynamic_cast<ItemBase*>(slot.GetItem(0)) : nullptr;
}

int32_t CreatureObj_SF::GetWeaponClass()
{
    const ItemBase* weapon = GetWeapon();
    if (!weapon)
        return 0;
    const int32_t kind = weapon->m_SubType;
    return kind == 0 || kind == 1 ? kind : 0;
}

ActionEntry* CreatureObj_SF::GetCurrentAttackEntry()
{
    auto* weapon = dynamic_cast<Item_SF*>(GetWeapon());
    WorldCtrl* world = GetLoadWorld();
    if (!weapon || !world)
        return nullptr;
    DynaPtrList<KI_Strategy*, 4>& strategies = weapon->GetStrategies();
    const int32_t stage = 0;  // the stage of a hero's active attack strategy comes with its input
    for (int32_t index = std::min(stage, strategies.GetSize() - 1); index >= 0; index--) {
        KI_Strategy* strategy = strategies.GetAt(index);
        DynaMem<KI_StratEntry, 4>& entries = strategy->blocks[KI_Strategy::kDefault].entries;
        const KI_StratEntry* entry = entries.GetSize() > 0 ? entries.GetAt(0) : nullptr;
        if (entry && !entry->id.IsEmpty())
            if (ActionEntry* action = world->FindActionEntry(entry->id.c_str(), false))
                return action;
    }
    return nullptr;
}

bool CreatureObj_SF::StartCurrentAttack()
{
    ActionEntry* entry = GetCurrentAttackEntry();
    return entry && StartAction(kActionEntry, entry->name, GetCurrentTarget(), 0, 0.0f) == 1;
}
