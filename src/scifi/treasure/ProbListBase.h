// ProbListBase: the weighted random pick list of the game rules, over an item list: entries drawn
// by weight with replacement, or uniformly without replacement, on the program's generator.
#pragma once
#include "game/ctrl/ItemList.h"

#include <cstdint>

class ProbListBase {
public:
    explicit ProbListBase(ItemList& list) : m_List(list) {}

    // The total of the weights, every entry available again.
    void Prepare();
    // The slot of an entry drawn by weight (the list is prepared first when it never was); -1 for
    // an empty list. x in [0, total) picks the first entry whose running sum reaches x, so an x
    // equal to a running sum picks the earlier entry.
    int32_t PickWeighted();
    // The slot of an available entry drawn uniformly, which stops being available; -1 when none
    // is left.
    int32_t ExtractRndID();
    // The entry ExtractRndID draws; an exhausted list is an error (which throws).
    ItemListEntry& ExtractRandom();

    ItemList& GetList() { return m_List; }

private:
    ItemList& m_List;
};
