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

// Only the character that chooses the bucket is checked; the rest of a key is compared inside
// the bucket and may hold any byte.
int32_t SearchTreeBase::FirstChar(const char* key)
{
    if (!key || !key[0])
        Error("Empty name string");
    int32_t c = static_cast<signed char>(key[0]);
    if (c < kFirstChar || c >= kFirstChar + kWidth)
        Error("Character in name string out of range: %i", c);
    return c;
}

int32_t SearchTreeBase::InsertBucket(const char* key)
{
    int32_t c = FirstChar(key);
    if (!m_CaseSensitive && c >= 'a' && c <= 'z')
        c -= 32;
    return c - kFirstChar;
}

int32_t SearchTreeBase::FindBuckets(const char* key, int32_t buckets[2])
{
    int32_t c = FirstChar(key);
    if (m_CaseSensitive) {
        buckets[0] = c - kFirstChar;
        return 1;
    }
    // The upper-case bucket first; the other case only matters for records stored while the
    // tree matched exactly.
    bool lower = c >= 'a' && c <= 'z';
    bool upper = c >= 'A' && c <= 'Z';
    int32_t first = lower ? c - 32 : c;
    int32_t second = upper ? c + 32 : c;
    buckets[0] = first - kFirstChar;
    if (second == first)
        return 1;
    buckets[1] = second - kFirstChar;
    return 2;
}

void SearchTreeBase::CopyKey(char* name, const String& key)
{
    String::CopySized(name, 256, key.c_str());
}
