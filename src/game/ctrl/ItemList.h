// ItemList: one list of weighted item names from which the game draws items: a numbered list of a
// level's item list file, or one of the game rules' lists of treasure items by equipment type.
// The drawing code keeps its cached total and its draw-without-replacement state here.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>

struct ItemListEntry {
    float probability = 0.0f;
    String name;
    int32_t available = 0;  // may still be drawn without replacement; set when the list is prepared
    uint32_t spare = 0;
};

struct ItemList {
    int32_t prepared = 0;  // 1 once totalWeight and the available flags were set; adding leaves it
    float totalWeight = 0.0f;
    int32_t availableCount = 0;
    DynaMem<ItemListEntry, 32> entries;

    // Appends (probability, name); the totals stay as they are until the list is prepared again.
    void AddEntry(float probability, const String& name)
    {
        ItemListEntry& entry = *entries.GetBySlot(entries.Add());
        entry.probability = probability;
        entry.name = name;
    }
    // No entries and no totals.
    void Clear()
    {
        entries.DeleteAll();
        prepared = 0;
        totalWeight = 0.0f;
        availableCount = 0;
    }
};
