// ProbListBase: drawing from an item list by weight, and without replacement.
#include "scifi/treasure/ProbListBase.h"

#include "base/ErrorClass.h"
#include "base/Random.h"

// Entries are walked in the order of their used slots.
void ProbListBase::Prepare()
{
    DynaMem<ItemListEntry, 32>& entries = m_List.entries;
    m_List.totalWeight = 0.0f;
    for (int32_t slot = entries.NextUsedSlot(-1); slot >= 0; slot = entries.NextUsedSlot(slot)) {
        ItemListEntry& entry = *entries.GetBySlot(slot);
        m_List.totalWeight += entry.probability;
        entry.available = 1;
    }
    m_List.availableCount = entries.GetSize();
    m_List.prepared = 1;
}

int32_t ProbListBase::PickWeighted()
{
    if (!m_List.prepared)
        Prepare();
    const float x = float(Random::Float01()) * m_List.totalWeight;
    const DynaMem<ItemListEntry, 32>& entries = m_List.entries;
    float sum = 0.0f;
    for (int32_t slot = entries.NextUsedSlot(-1); slot >= 0; slot = entries.NextUsedSlot(slot)) {
        const float weight = entries.GetBySlot(slot)->probability;
        if (sum + weight >= x)
            return slot;
        sum += weight;
    }
    return -1;
}

int32_t ProbListBase::ExtractRndID()
{
    if (m_List.availableCount < 1)
        return -1;
    uint32_t skip = Random::RangeUInt(0, uint32_t(m_List.availableCount - 1));
    DynaMem<ItemListEntry, 32>& entries = m_List.entries;
    for (int32_t slot = entries.NextUsedSlot(-1); slot >= 0; slot = entries.NextUsedSlot(slot)) {
        ItemListEntry& entry = *entries.GetBySlot(slot);
        if (!entry.available)
            continue;
        if (skip-- == 0) {
            entry.available = 0;
            m_List.availableCount--;
            return slot;
        }
    }
    return -1;  // entries were deleted since the list was prepared
}

ItemListEntry& ProbListBase::ExtractRandom()
{
    const int32_t slot = ExtractRndID();
    if (slot < 0)
        ErrorClassSimple::StaticError("ProbListBase: ExtractRndID() failed!");
    return *m_List.entries.GetBySlot(slot);
}
