// ItemList: one numbered list of weighted item names of a level's item list file, from which the
// game draws the items of the level.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>

struct ItemListEntry {
    float probability = 0.0f;
    String name;
    uint32_t words[2] = {0, 0};  // the drawing code's; the loader leaves them
};

struct ItemList {
    uint32_t totalValid = 0;  // the drawing code's cached total; cleared whenever an item is added
    float total = 0.0f;
    uint32_t spare = 0;
    DynaMem<ItemListEntry, 32> entries;
};
