// Inventory: a list of item stacks with optional limits: a maximum number of entries, two load
// limits and a rectangular grid in which items cover cells. Creatures, containers lying in the
// world and the controller's shared stores each hold one. It owns the items of its entries.
//
// The class is split by role:
//   Inventory.cpp          the list, lookups, grid placement, the capacity test and adding
//   InventoryRemoval.cpp   removals by position, slot, name and quest flag; paying money
//   InventoryRecord.cpp    the copy and the save record
//
// Positions 0 .. count - 1 follow the slot order of the used entries; a slot number identifies an
// entry while others come and go. An entry whose item was destroyed elsewhere holds null.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "world/InventoryItem.h"

#include <cstdint>

class File;
class WorldElem;

class Inventory : public SmartClass {
public:
    static constexpr int32_t kDefaultMaxItems = 32;
    static constexpr int32_t kDefaultType = 5;
    static constexpr int32_t kFreeEntryType = 1;  // quest items and money take no entry
    // Items of an inventory record are at least this long: the fields every readable version holds.
    static constexpr int64_t kMinItemRecordBytes = 200;

    // True when the cell (x, y) is to count as occupied.
    using CellFilter = bool (*)(int32_t x, int32_t y);
    using ItemList = DynaMem<SmartPtr<InventoryItem>, 4>;

    Inventory() = default;
    ~Inventory();
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // With deleteItems every entry's item is destroyed; then all entries go.
    void Clear(bool deleteItems);
    // Keeps its owner; everything else, the items as copies made by the controller's factory.
    void CopyFrom(Inventory& other);

    void SetGridSize(int32_t width, int32_t height)
    {
        m_GridWidth = width;
        m_GridHeight = height;
    }
    void GetGridSize(int32_t& width, int32_t& height) const
    {
        width = m_GridWidth;
        height = m_GridHeight;
    }
    bool HasGrid() const { return m_GridWidth >= 1 && m_GridHeight >= 1; }
    void SetCellFilter(CellFilter filter) { m_CellFilter = filter; }
    CellFilter GetCellFilter() const { return m_CellFilter; }
    // The element told after changes (WorldElem::OnInventoryChanged); none for the shared stores.
    void SetOwner(WorldElem* owner);
    WorldElem* GetOwner() const;
    int32_t GetMaxItems() const { return m_MaxItems; }
    void SetMaxItems(int32_t count) { m_MaxItems = count; }
    int32_t GetType() const { return m_Type; }
    void SetType(int32_t type) { m_Type = type; }
    void SetLoadLimits(float a, float b)
    {
        m_LoadLimit[0] = a;
        m_LoadLimit[1] = b;
    }
    void SetLoadTotals(float a, float b)
    {
        m_LoadTotal[0] = a;
        m_LoadTotal[1] = b;
    }
    float GetLoadTotal(int32_t i) const { return m_LoadTotal[i]; }  // 0 or 1
    float GetLoadLimit(int32_t i) const { return m_LoadLimit[i]; }

    // Entries.
    int32_t GetCount() const { return m_Items.GetSize(); }
    InventoryItem* GetItem(int32_t position);  // null for a bad position or a destroyed item
    InventoryItem* GetItemBySlot(int32_t slot) const;
    int32_t GetItemListID(int32_t position) { return m_Items.GetUsedSlot(position); }
    bool IsValidSlot(int32_t slot) const { return m_Items.GetBySlot(slot) != nullptr; }
    int32_t FindItem(const InventoryItem* item) const;  // the slot holding this very item, -1 none
    // The first entry whose item's desc equals the name (null matches an empty desc); -1 none.
    int32_t FindItemByName(const char* name);
    InventoryItem* HasKey(int32_t keyID);
    int32_t GetMoney();  // the money values of all items, at most the 32-bit range

    // Grid.
    int32_t GetGridIndex(int32_t x, int32_t y) const { return y * m_GridWidth + x; }
    void GetGridCell(const InventoryItem& item, int32_t& x, int32_t& y) const;
    // The first free grid position for the item, row by row from the top; -1 when none.
    int32_t FindFreeGridPosition(const InventoryItem& item, const InventoryItem* alsoExclude);

    // Units of the item that fit.
    int32_t GetAddableCount(InventoryItem& item);
    // Adds the item; the slot of the entry that took it (the item is then owned here, or was
    // destroyed when it went into a stack), or -1. unitsMoved, when given, receives the units that
    // went into existing stacks or into the new entry: on -1 with units moved the caller keeps
    // the item with the count that is left.
    int32_t AddItem(InventoryItem* item, int32_t* unitsMoved = nullptr);

    // Removals (InventoryRemoval.cpp).
    // Removes count units of the entry at position (-1: the whole stack); the units removed.
    int32_t RemoveItem(int32_t position, int32_t count, bool deleteItem);
    void RemoveAt(int32_t slot, bool deleteItem);  // an empty slot is an error
    int32_t RemoveQuestItems();
    // Up to count units (-1: all) of the items whose desc equals the name; the units removed.
    int32_t RemoveItemsByName(const char* name, int32_t count, bool deleteItems);
    // Pays the amount out of the money items; false, taking nothing, when they cannot cover it.
    bool RemoveMoney(int32_t amount);

    // The save record (InventoryRecord.cpp): f32 load total A, f32 load total B, f32 load limit A,
    // f32 load limit B, i32 maximum entries, i32 type, i32 entry count n, then n item records.
    // Grid size, cell filter and owner are not part of it.
    void Save(File& stream, int32_t flag);
    // replaceAll: the record's items replace all; otherwise the quest items held stay and those
    // of the record are dropped.
    void Load(File& stream, int32_t itemVersion, bool replaceAll, int32_t extra);

private:
    // The entries that take no place in a type-1 inventory: quest items plus money.
    int32_t CountFreeEntries();
    bool IsCellOccupied(int32_t x, int32_t y, const InventoryItem* exclude1, const InventoryItem* exclude2);
    bool FitsAt(const InventoryItem& item, int32_t x, int32_t y, const InventoryItem* alsoExclude);
    int32_t AppendEntry(InventoryItem* item);  // the new slot
    // Takes the entry at a slot out; the item is destroyed when asked.
    void DropEntry(int32_t slot, bool deleteItem);
    void TellOwner();

    float m_LoadTotal[2] = {0.0f, 0.0f};
    float m_LoadLimit[2] = {-1.0f, -1.0f};  // a negative limit means none
    int32_t m_GridWidth = 0;
    int32_t m_GridHeight = 0;
    int32_t m_MaxItems = kDefaultMaxItems;  // negative: unlimited
    int32_t m_FreeEntries = 0;              // recounted before every capacity test
    ItemList m_Items;
    CellFilter m_CellFilter = nullptr;
    SmartPtr<WorldElem> m_Owner;
    int32_t m_Type = kDefaultType;
};
