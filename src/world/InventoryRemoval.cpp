// Inventory: removals by position, slot, name and quest flag, and paying money out of the money
// items. The walks hold the list still, so that each entry present at the start is visited once
// while entries are removed behind them.
#include "world/Inventory.h"

#include "world/GameCtrlInterface.h"

#include <algorithm>

namespace {

// Holds the entry list still for a walk by position.
class ListHold {
public:
    explicit ListHold(Inventory::ItemList& list) : m_List(list) { m_List.Lock(); }
    ~ListHold() { m_List.Unlock(); }
    ListHold(const ListHold&) = delete;
    ListHold& operator=(const ListHold&) = delete;

private:
    Inventory::ItemList& m_List;
};

int32_t ClampToInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

void Inventory::DropEntry(int32_t slot, bool deleteItem)
{
    InventoryItem* item = GetItemBySlot(slot);
    m_Items.Delete(slot);  // an empty slot is reported here
    if (deleteItem)
        delete item;
}

int32_t Inventory::RemoveItem(int32_t position, int32_t count, bool deleteItem)
{
    if (position < 0 || position >= GetCount())
        GameCtrlInterface::ReportError("invalid ItemListID in Inventory::RemoveItem");
    const int32_t slot = m_Items.GetUsedSlot(position);
    InventoryItem* item = GetItemBySlot(slot);
    if (!item) {
        DropEntry(slot, false);
        return 0;
    }
    if (count < -1)
        return 0;  // a negative amount would add units to the stack
    const int32_t stack = item->m_Count;
    if (count == -1) {
        DropEntry(slot, deleteItem);
        return stack;
    }
    if (count < stack) {
        item->m_Count -= count;
        TellOwner();
        return count;
    }
    DropEntry(slot, deleteItem);
    if (count == stack)
        TellOwner();
    return stack;
}

void Inventory::RemoveAt(int32_t slot, bool deleteItem)
{
    DropEntry(slot, deleteItem);
    TellOwner();
}

int32_t Inventory::RemoveQuestItems()
{
    int64_t removed = 0;
    {
        ListHold hold(m_Items);
        const int32_t entries = GetCount();
        for (int32_t position = 0; position < entries; position++) {
            const int32_t slot = m_Items.GetUsedSlot(position);
            InventoryItem* item = GetItemBySlot(slot);
            if (!item || !item->IsQuestItem())
                continue;
            removed += item->m_Count;
            DropEntry(slot, true);
        }
    }
    TellOwner();
    return ClampToInt32(removed);
}

int32_t Inventory::RemoveItemsByName(const char* name, int32_t count, bool deleteItems)
{
    if (count == 0)
        return 1;
    int64_t removed = 0;
    int64_t rest = count;
    {
        ListHold hold(m_Items);
        const int32_t entries = GetCount();
        for (int32_t position = 0; position < entries && (count == -1 || rest > 0); position++) {
            const int32_t slot = m_Items.GetUsedSlot(position);
            InventoryItem* item = GetItemBySlot(slot);
            if (!item || !(item->m_Desc == name))
                continue;
            const int32_t stack = std::max(item->m_Count, 0);  // a broken negative stack counts none
            if (count != -1 && stack > rest) {
                item->m_Count -= int32_t(rest);
                removed += rest;
                rest = 0;
                break;
            }
            removed += stack;
            rest -= stack;
            DropEntry(slot, deleteItems);
        }
    }
    TellOwner();
    return ClampToInt32(removed);
}

bool Inventory::RemoveMoney(int32_t amount)
{
    if (amount <= 0)
        return true;  // nothing to pay; a negative amount must not add money
    int64_t covered = 0;
    for (int32_t position = 0; position < GetCount(); position++)
        if (InventoryItem* item = GetItem(position))
            covered += std::max(item->GetMoneyValue(), 0);
    if (covered < amount)
        return false;  // taking part of it would cost the payer money for nothing

    int64_t rest = amount;
    ListHold hold(m_Items);
    const int32_t entries = GetCount();
    for (int32_t position = 0; position < entries && rest > 0; position++) {
        const int32_t slot = m_Items.GetUsedSlot(position);
        InventoryItem* item = GetItemBySlot(slot);
        if (!item)
            continue;
        const int32_t money = item->GetMoneyValue();
        if (money <= 0)
            continue;
        if (money < rest) {
            rest -= money;
            DropEntry(slot, true);
            TellOwner();
            continue;
        }
        // The last stack pays in whole items, rounded up: a rest below one item's worth is paid
        // with one more item rather than taken as paid.
        const int64_t perItem = item->GetMoneyPerItem();
        const int64_t items = perItem > 0 ? (rest + perItem - 1) / perItem : item->m_Count;
        rest = 0;
        if (items >= item->m_Count) {
            DropEntry(slot, true);
            TellOwner();
        } else {
            item->m_Count -= int32_t(items);
        }
    }
    return rest <= 0;
}
