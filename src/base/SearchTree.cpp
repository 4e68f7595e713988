// SearchTree: key checks, bucket choice and the generation shared by every record type.
#include "base/SearchTree.h"

#include <atomic>

namespace {

// Generations are unique over all trees, so that a tree freed and another made at its address
// never show a cached record as still valid.
std::atomic<uint64_t> g_NextGeneration{1};

}  // namespace

SearchTreeBase::SearchTreeBase()
{
    CopyName32(this, "SearchTree");
    Touch();
}

void SearchTreeBase::Touch() { m_Generation = g_NextGeneration.fetch_add(1, std::memory_order_relaxed); }

void SearchTreeBase::BadKey(const char* key, int32_t c)
{
    if (!key || !key[0])
        Error("Empty name string");
    Error("Character in name string out of range: %i", c);
    __builtin_unreachable();  // Error throws, also where a derived tree reports through its owner
}

void SearchTreeBase::CopyKey(char* name, const String& key)
{
    String::CopySized(name, 256, key.c_str());
}
