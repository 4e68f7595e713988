// SciFiScriptItems: the game's script built-ins that give items and treasure to elements, read
// and take off a creature's equipment, name its special item and start a trade. A player
// character's gains are repeated at the clients, whose copies of the character must follow.
#include "scifi/script/SciFiScriptFamilies.h"

#include "game/objects/ItemBase.h"
#include "game/scriptfuncs/ScriptInventory.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr float kDropSpread = 0.5f;
constexpr float kInventoryFullSeconds = 1.5f;

// The equipment slot of a script's slot number 1 .. 3; null outside them.
Inventory* EquipmentSlot(CreatureObj_SF& creature, int32_t scriptSlot)
{
    return creature.GetEquipmentInventory(scriptSlot - 1);
}

// The slot's item goes back into the creature's inventory (or lies at it when there is no
// room): a script that takes equipment off never destroys it.
void UnEquip(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    WorldElem* elem = call.Object(0);
    if (CreatureObj_SF* creature = SciFiCreatureOf(elem)) {
        call.SetTypeInt();
        const int32_t type = call.Int(1) - 1;
        Inventory* slot = creature->GetEquipmentInventory(type);
        InventoryItem* item = slot && slot->GetCount() > 0 ? slot->GetItem(0) : nullptr;
        const int32_t taken = creature->Unequip(type);  // reports a slot outside 1 .. 3
        if (taken && item && !creature->PutIntoInventory(item, 0))
            call.GetCtrl().DropItem(item, nullptr, creature, 0.0f, 0.0f, kDropSpread);
        call.SetInt(taken);
    }
    call.Forward();
}

void IsEquippedWith(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 2) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0));
    if (!creature)
        return;
    for (int32_t type = 0; type < CreatureObj_SF::kEquipmentTypes; ++type)
        if (creature->GetEquipmentInventory(type)->FindItemByName(call.Text(1)) >= 0) {
            call.SetInt(1);
            return;
        }
}

void GetEquipment(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0));
    if (!creature)
        return;
    call.SetTypeString();
    Inventory* slot = EquipmentSlot(*creature, call.Int(1));
    if (slot && slot->GetCount() > 0)
        call.SetString(slot->GetItem(0)->m_Desc.c_str());
}

// The object, the item's name, then optionally the count (1), the inventory position (0), the
// flag (set), the riddle number counted from 1; a seventh and an eighth argument are the
// engine's and not read here. Stacks take at most the item's largest stack, and an item whose
// largest stack is below 1 counts as 1, so the count always runs out.
void AddToInventory(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    const int32_t count = call.GetCount();
    const char* name = call.Text(1);
    int32_t remaining = count >= 3 ? call.Int(2) : 1;
    const int32_t position = count >= 4 ? call.Int(3) : 0;
    WorldElem* owner = call.Object(0);
    if (!owner)
        return;
    GameCtrl& ctrl = call.GetCtrl();
    const bool player = ScriptInventory::IsPlayerCharacter(owner);
    while (remaining > 0) {
        ItemBase* item = ctrl.ItemFromName(name, false);
        if (!item) {
            call.Error("Item to add to inventory not found '%s'", name);
            return;
        }
        item->m_FlagByte2 = count >= 5 ? (call.Int(4) != 0 ? 1 : 0) : 1;
        if (count >= 6)
            item->m_FlagByte3 = uint8_t(call.Int(5) - 1);  // the riddle byte: 0 gives 255, none
        const int32_t stack = std::min(std::max(item->m_Pile, 1), remaining);
        item->m_Count = stack;
        if (!owner->m_Inventory)
            owner->CreateInventory(-1);
        if (!owner->PutIntoInventory(item, position)) {
            ctrl.DropItem(item, nullptr, owner, 0.0f, 0.0f, kDropSpread);  // never lost: it lies at the owner
            if (player)
                call.GetWorld().ShowTextMessage(kInventoryFullSeconds, u"InvFull");
        }
        remaining -= stack;
    }
    if (player)
        call.Forward();
}

// The object, the list's name, then optionally the might (-1), the level-curve flag (0), the
// item preparation argument (-1) and its factor (1). The treasure's item scripts run with the
// object script variables kept aside, whichever way the drop ends.
void AddTreasure(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    const int32_t count = call.GetCount();
    const float might = count >= 3 ? call.FloatArg(2) : -1.0f;
    const bool useLevelCurve = count >= 4 && call.Int(3) != 0;
    const int32_t prepareArg = count >= 5 ? call.Int(4) : -1;
    const float prepareFactor = count >= 6 ? call.FloatArg(5) : 1.0f;
    {
        ScriptInventory::SavedObjVariables saved(call.GetCtrl());
        SciFiCtrlOf(call).DropTreasure(*elem, 1.0f, call.Text(1) ? call.Text(1) : "", might, -1.0f, 0.0f,
                                       useLevelCurve, 0, prepareArg, prepareFactor);
    }
    if (ScriptInventory::IsPlayerCharacter(elem))
        call.Forward();
}

// The special item name is the creature's last text member, which its save record keeps.
void SetUltraMegaItem(ScriptCall& call)
{
    if (!call.NeedCount(2, 2) || !call.NeedInt(0) || !call.NeedString(1))
        return;
    if (CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0)))
        creature->m_LastText = call.Text(1);
}

void Trade(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0));
    if (!creature)
        return;
    SciFiCtrlOf(call).StartTrade(creature);
    call.Forward(1, nullptr, 1, 1);
}

}  // namespace

ScriptBuiltinFamily SciFiScriptItems()
{
    static const ScriptBuiltinEntry entries[] = {
        {"UnEquip", UnEquip},
        {"IsEquippedWith", IsEquippedWith},
        {"GetEquipment", GetEquipment},
        {"AddToInventory", AddToInventory},
        {"AddTreasure", AddTreasure},
        {"SetUltraMegaItem", SetUltraMegaItem},
        {"Trade", Trade},
    };
    return {entries, std::size(entries)};
}
