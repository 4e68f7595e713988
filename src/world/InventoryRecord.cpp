// Inventory: the copy and the save record. Both make their items through the controller's item
// factory, so that the game's own item class is kept.
#include "world/Inventory.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"

#include <memory>

namespace {

// A new item of the controller's item class, owned by the caller; an error when none is made.
std::unique_ptr<InventoryItem> NewItem(const char* caller)
{
    std::unique_ptr<InventoryItem> item(g_GameCtrl ? g_GameCtrl->CreateItem() : nullptr);
    if (!item)
        GameCtrlInterface::ReportError("%s: no item could be made", caller);
    return item;
}

}  // namespace

void Inventory::CopyFrom(Inventory& other)
{
    if (&other == this)
        return;
    Clear(true);
    m_LoadTotal[0] = other.m_LoadTotal[0];
    m_LoadTotal[1] = other.m_LoadTotal[1];
    m_GridWidth = other.m_GridWidth;
    m_GridHeight = other.m_GridHeight;
    m_LoadLimit[0] = other.m_LoadLimit[0];
    m_LoadLimit[1] = other.m_LoadLimit[1];
    m_MaxItems = other.m_MaxItems;
    m_Type = other.m_Type;
    m_CellFilter = other.m_CellFilter;
    for (int32_t position = 0; position < other.GetCount(); position++) {
        InventoryItem* item = other.GetItem(position);
        if (!item)
            continue;
        std::unique_ptr<InventoryItem> copy = NewItem("Inventory::CopyFrom");
        item->CopyTo(copy.get());
        AppendEntry(copy.release());
    }
    m_FreeEntries = CountFreeEntries();
}

void Inventory::Save(File& stream, int32_t flag)
{
    stream.WriteFloat(m_LoadTotal[0]);
    stream.WriteFloat(m_LoadTotal[1]);
    stream.WriteFloat(m_LoadLimit[0]);
    stream.WriteFloat(m_LoadLimit[1]);
    stream.WriteInt32(m_MaxItems);
    stream.WriteInt32(m_Type);
    // Entries whose item was destroyed elsewhere have no record, so they are not counted.
    int32_t items = 0;
    for (int32_t position = 0; position < GetCount(); position++)
        items += GetItem(position) ? 1 : 0;
    stream.WriteInt32(items);
    for (int32_t position = 0; position < GetCount(); position++)
        if (InventoryItem* item = GetItem(position))
            item->Save(stream, flag);
}

void Inventory::Load(File& stream, int32_t itemVersion, bool replaceAll, int32_t extra)
{
    if (replaceAll) {
        Clear(true);
    } else {
        // The quest items held stay; those of the record are not loaded twice.
        for (int32_t slot = m_Items.NextUsedSlot(-1); slot >= 0; slot = m_Items.NextUsedSlot(slot)) {
            if (!m_Items.GetBySlot(slot))
                continue;
            InventoryItem* item = GetItemBySlot(slot);
            if (!item || !item->IsQuestItem())
                DropEntry(slot, true);
        }
    }

    FileRecordReader in(stream, "Inventory record cut short");
    float loadTotal[2];
    float loadLimit[2];
    in.Floats(loadTotal, 2);
    in.Floats(loadLimit, 2);
    const int32_t maxItems = in.I32();
    const int32_t type = in.I32();
    const int32_t count = in.Count("Inventory item", kMinItemRecordBytes);
    SetLoadTotals(loadTotal[0], loadTotal[1]);
    SetLoadLimits(loadLimit[0], loadLimit[1]);
    m_MaxItems = maxItems;
    m_Type = type;

    for (int32_t i = 0; i < count; i++) {
        std::unique_ptr<InventoryItem> item = NewItem("Inventory::Load");
        item->Load(stream, itemVersion, extra);
        if (!item->m_Picture) {
            GameCtrlInterface::ReportWarning("Inventory::Load: item '%s' is not in the item table; dropped",
                                             item->m_Desc.c_str());
            continue;
        }
        if (item->IsQuestItem() && !replaceAll)
            continue;
        AppendEntry(item.release());
    }
}
