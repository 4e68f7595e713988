// TreasureList: a named list of what loot may yield (treasure classes or items, each with its
// probability), with the gold it gives and how its might scales; the records of "cfg\treasure.cfg".
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>

struct TreasureListEntry {
    float probability = 0.0f;
    uint32_t lootData = 0;  // the loot code's; the loader leaves it
    int32_t type = -1;      // the treasure class number, negative for an item name
    String name;
};

struct TreasureList {
    String name;
    DynaMem<TreasureListEntry, 32> entries;
    float gold[2] = {1.0f, 0.0f};       // "TreasureGold"
    float goldMight[2] = {0.0f, 0.0f};  // "TreasureGoldMight"
    float defaultMight = 1.0f;
};
