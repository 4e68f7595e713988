// Inventory: the list, lookups, grid placement, the capacity test and adding an item.
#include "world/Inventory.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>

Inventory::~Inventory() { Clear(true); }

void Inventory::Clear(bool deleteItems)
{
    if (deleteItems) {
        for (int32_t slot = m_Items.NextUsedSlot(-1); slot >= 0; slot = m_Items.NextUsedSlot(slot))
            delete GetItemBySlot(slot);
    }
    m_Items.DeleteAll();
}

void Inventory::SetOwner(WorldElem* owner) { m_Owner = owner; }

WorldElem* Inventory::GetOwner() const { return m_Owner.Get(); }

InventoryItem* Inventory::GetItem(int32_t position)
{
    SmartPtr<InventoryItem>* entry = m_Items.GetAt(position);
    return entry ? entry->Get() : nullptr;
}

InventoryItem* Inventory::GetItemBySlot(int32_t slot) const
{
    SmartPtr<InventoryItem>* entry = m_Items.GetBySlot(slot);
    return entry ? entry->Get() : nullptr;
}

int32_t Inventory::FindItem(const InventoryItem* item) const
{
    if (!item)
        return -1;
    for (int32_t slot = m_Items.NextUsedSlot(-1); slot >= 0; slot = m_Items.NextUsedSlot(slot))
        if (GetItemBySlot(slot) == item)
            return slot;
    return -1;
}

int32_t Inventory::FindItemByName(const char* name)
{
    for (int32_t position = 0; position < GetCount(); position++) {
        InventoryItem* item = GetItem(position);
        if (item && item->m_Desc == name)
            return m_Items.GetUsedSlot(position);
    }
    return -1;
}

InventoryItem* Inventory::HasKey(int32_t keyID)
{
    for (int32_t position = 0; position < GetCount(); position++) {
        InventoryItem* item = GetItem(position);
        if (item && item->HasKeyAbility(keyID))
            return item;
    }
    return nullptr;
}

int32_t Inventory::GetMoney()
{
    int64_t total = 0;
    for (int32_t position = 0; position < GetCount(); position++)
        if (InventoryItem* item = GetItem(position))
            total += item->GetMoneyValue();
    return int32_t(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX));
}

int32_t Inventory::CountFreeEntries()
{
    if (m_Type != kFreeEntryType)
        return 0;
    int32_t count = 0;
    for (int32_t position = 0; position < GetCount(); position++) {
        InventoryItem* item = GetItem(position);
        if (!item)
            continue;
        count += item->IsQuestItem() ? 1 : 0;
        count += item->GetMoneyValue() > 0 ? 1 : 0;  // money that is a quest item counts twice
    }
    return count;
}

void Inventory::GetGridCell(const InventoryItem& item, int32_t& x, int32_t& y) const
{
    if (m_GridWidth < 1) {
        x = item.m_GridPos;
        y = 0;
        return;
    }
    x = item.m_GridPos % m_GridWidth;  // truncating: a position of -1 lies at (-1, 0)
    y = item.m_GridPos / m_GridWidth;
}

bool Inventory::IsCellOccupied(int32_t x, int32_t y, const InventoryItem* exclude1, const InventoryItem* exclude2)
{
    if (m_CellFilter && m_CellFilter(x, y))
        return true;
    if (x < 0 || y < 0 || x >= m_GridWidth || y >= m_GridHeight)
        return true;
    for (int32_t position = 0; position < GetCount(); position++) {
        InventoryItem* item = GetItem(position);
        if (!item || item == exclude1 || item == exclude2)
            continue;
        int32_t left = 0;
        int32_t top = 0;
        GetGridCell(*item, left, top);
        if (x >= left && int64_t(x) < int64_t(left) + item->m_DimX && y >= top && int64_t(y) < int64_t(top) + item->m_DimY)
            return true;
    }
    return false;
}

bool Inventory::FitsAt(const InventoryItem& item, int32_t x, int32_t y, const InventoryItem* alsoExclude)
{
    for (int32_t j = 0; j < item.m_DimY; j++)
        for (int32_t i = 0; i < item.m_DimX; i++)
            if (IsCellOccupied(x + i, y + j, &item, alsoExclude))
                return false;
    return true;
}

int32_t Inventory::FindFreeGridPosition(const InventoryItem& item, const InventoryItem* alsoExclude)
{
    if (!HasGrid())
        return -1;
    for (int32_t y = 0; y <= m_GridHeight - item.m_DimY; y++)
        for (int32_t x = 0; x <= m_GridWidth - item.m_DimX; x++)
            if (FitsAt(item, x, y, alsoExclude))
                return GetGridIndex(x, y);
    return -1;
}

int32_t Inventory::GetAddableCount(InventoryItem& item)
{
    const int32_t count = item.m_Count;
    if (g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
        return count;
    for (int32_t i = 0; i < 2; i++)
        if (m_LoadLimit[i] >= 0.0f && item.m_LoadValue[i] + m_LoadTotal[i] > m_LoadLimit[i])
            return 0;

    m_FreeEntries = CountFreeEntries();
    const bool freeEntryType = m_Type == kFreeEntryType;
    if (freeEntryType && item.IsQuestItem())
        return count;
    const int64_t used = int64_t(GetCount()) - (freeEntryType ? m_FreeEntries : 0);

    // Room left in equal stacks; enough of it takes the whole item.
    int64_t room = 0;
    for (int32_t position = 0; position < GetCount(); position++) {
        InventoryItem* held = GetItem(position);
        if (!held)
            continue;
        const int64_t space = int64_t(held->m_Pile) - held->m_Count;
        if (space > 0 && item.m_Uses < 2 && held->IsSameKind(item)) {
            room += space;
            if (room >= count)
                return count;
        }
    }

    if (item.HasGridSize() && HasGrid()) {
        if (item.GetMoneyValue() > 0 || item.m_QuestItem == 1)
            return count;
        if (FindFreeGridPosition(item, nullptr) >= 0)
            return int32_t(std::min<int64_t>(room + item.m_Pile, count));
        return int32_t(room);
    }
    if (m_MaxItems < 0)
        return count;
    if (used >= m_MaxItems)
        return int32_t(room);
    return int32_t(std::min<int64_t>((m_MaxItems - used) * item.m_Pile, count));  // stack room not added
}

int32_t Inventory::AppendEntry(InventoryItem* item)
{
    const int32_t slot = m_Items.Add();
    *m_Items.GetBySlot(slot) = item;
    return slot;
}

void Inventory::TellOwner()
{
    if (WorldElem* owner = m_Owner.Get())
        owner->OnInventoryChanged();
}

int32_t Inventory::AddItem(InventoryItem* item, int32_t* unitsMoved)
{
    int32_t moved = 0;
    if (unitsMoved)
        *unitsMoved = 0;
    if (!item || GetAddableCount(*item) < 1)
        return -1;

    // Into the stacks first; a filled stack starts the walk again with the rest.
    for (bool again = true; again;) {
        again = false;
        for (int32_t position = 0; position < GetCount(); position++) {
            const int32_t slot = m_Items.GetUsedSlot(position);
            InventoryItem* held = GetItemBySlot(slot);
            if (!held)
                continue;
            if (held->m_Combine == 1 && item->m_Combine == 1 && held->m_BaseItem == item->m_BaseItem) {
                held->m_Value.AddValue(item->m_Value.GetRawValue());
                moved += item->m_Count;
                delete item;
                if (unitsMoved)
                    *unitsMoved = moved;
                return slot;
            }
            if (held->m_Count >= held->m_Pile || !held->IsSameKind(*item))
                continue;
            if (item->m_Uses >= 2)
                continue;
            if (int64_t(held->m_Count) + item->m_Count <= held->m_Pile) {
                held->m_Count += item->m_Count;
                moved += item->m_Count;
                delete item;
                if (unitsMoved)
                    *unitsMoved = moved;
                return slot;
            }
            // Less than the item's count fits here, so the rest stays at 1 or more.
            const int32_t fill = int32_t(int64_t(held->m_Pile) - held->m_Count);
            held->m_Count = held->m_Pile;
            item->m_Count -= fill;
            moved += fill;
            if (GetAddableCount(*item) < 1) {
                if (unitsMoved)
                    *unitsMoved = moved;
                return -1;  // the filled stacks keep their units; the caller keeps the rest
            }
            again = true;
            break;
        }
    }

    if (item->HasGridSize() && HasGrid()) {
        const bool noCell = item->GetMoneyValue() > 0 || item->IsQuestItem();
        item->m_GridPos = noCell ? InventoryItem::kNoGridCell : FindFreeGridPosition(*item, nullptr);
    }
    const int32_t slot = AppendEntry(item);
    moved += item->m_Count;
    if (unitsMoved)
        *unitsMoved = moved;
    if (g_GameCtrl)
        g_GameCtrl->OnItemAddedToInventory(this, item);
    TellOwner();
    return slot;
}
