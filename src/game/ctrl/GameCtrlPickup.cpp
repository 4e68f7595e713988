// GameCtrl: picking an item up from the world into an inventory, and the notice the main
// character gets for it.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/GuiDBText.h"
#include "game/objects/ItemBase.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <algorithm>

namespace {

constexpr float kPickupNoticeSeconds = 4.0f;

}  // namespace

// The picker takes what its inventory has room for, never more: units it cannot take stay in the
// world, and the element goes only with the whole item. Without a picker, flag lets the units
// vanish (a pick-up the world already carried out elsewhere).
void GameCtrl::ProcessPickupEvent(const PickupRecord& record, int32_t flag)
{
    WorldElem* element = m_World.GetObjByIdentifier(record.item);
    if (!element)
        return;
    WorldElem* picker = m_World.GetObjByIdentifier(record.picker);
    InventoryItem* item = element->m_LinkedItem;
    if (!item) {
        if (!IsMultiplayerGame())
            PlayWorldSound("GuiError");
        return;
    }
    int32_t amount = record.amount > 0 && record.amount <= item->m_Count ? record.amount : item->m_Count;
    if (amount < 1) {
        Warning("internal error: amount <= 0 in GameCtrl::ProcessPickupEvent");
        return;
    }
    if (!picker) {
        if (!flag)
            return;
        if (amount < item->m_Count)
            item->m_Count -= amount;
        else
            m_World.DelObj(element->m_ObjID, 1);
        return;
    }

    Inventory* inventory = picker->m_Inventory;
    amount = std::min(amount, inventory ? inventory->GetAddableCount(*item) : 0);
    if (amount < 1) {
        PlayWorldSound("GuiError");
        return;
    }
    if (picker == GetMainChar()) {
        PlayWorldSound("ItemPickedUp");
        wString line(u"|Cada68d");
        line += GetGuiDBText("logmsg", "pickedup", nullptr);
        line += u" |Cdadada";
        if (const ItemBase* named = dynamic_cast<const ItemBase*>(item))
            line += named->GetLocalizedName();
        if (amount > 1) {
            String count;
            count.Format(" (%i)", amount);
            line += wString(count.c_str());
        }
        m_World.AddLogMessage(line, kPickupNoticeSeconds, false);
    }

    if (amount < item->m_Count) {
        ItemBase* part = CreateItem();
        if (!part)
            return;
        item->CopyTo(part);
        part->m_Count = amount;
        item->m_Count -= amount;
        int32_t moved = 0;
        if (inventory->AddItem(part, &moved) < 0) {  // refused in part: what is left goes back
            item->m_Count += part->m_Count;
            delete part;
        }
        return;
    }
    element->CopyStateWithLinked(false);  // the item carries the element's state until it is dropped
    int32_t moved = 0;
    if (inventory->AddItem(item, &moved) < 0)
        return;  // the item keeps the units the inventory left, and its element stays
    element->m_LinkedItem = nullptr;  // the inventory holds it now, or merged it into a stack
    m_World.DelObj(element->m_ObjID, 1);
}
