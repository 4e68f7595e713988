// SearchTree: key checks, descent and matching shared by every record type.
#include "base/SearchTree.h"

#include <algorithm>

SearchTreeBase::SearchTreeBase()
{
    CopyName32(this, "SearchTree");
}

void SearchTreeBase::InheritFrom(const SearchTreeBase& parent)
{
    m_CaseSensitive = parent.m_CaseSensitive;
    m_FirstChar = parent.m_FirstChar;
    m_Width = parent.m_Width;
    m_MaxDepth = parent.m_MaxDepth;
    m_Depth = parent.m_Depth + 1;
}

bool SearchTreeBase::IsBucketFor(const String& key)
{
    int32_t length = key.TextLength();
    if (length < 1)
        Error("Empty name string");
    if (m_Depth == m_MaxDepth - 1 || m_Depth == length)
        return true;
    // Only the characters that choose a child are checked; the rest of a key is compared
    // inside the bucket and may hold any byte.
    int32_t c = CharAtDepth(key);
    if (c < m_FirstChar || c >= m_FirstChar + m_Width)
        Error("Character in name string out of range: %i", c);
    return false;
}

int32_t SearchTreeBase::CharAtDepth(const String& key) const
{
    return static_cast<signed char>(key.c_str()[m_Depth]);
}

int32_t SearchTreeBase::InsertChild(const String& key) const
{
    int32_t c = CharAtDepth(key);
    if (!m_CaseSensitive && c >= 'a' && c <= 'z')
        c -= 32;
    return c - m_FirstChar;
}

int32_t SearchTreeBase::FindChildren(const String& key, int32_t children[2]) const
{
    int32_t c = CharAtDepth(key);
    if (m_CaseSensitive) {
        children[0] = c - m_FirstChar;
        return 1;
    }
    // The upper-case child first; the other case only matters for records stored while the
    // tree matched exactly.
    bool lower = c >= 'a' && c <= 'z';
    bool upper = c >= 'A' && c <= 'Z';
    int32_t first = lower ? c - 32 : c;
    int32_t second = upper ? c + 32 : c;
    children[0] = first - m_FirstChar;
    if (second == first || second < m_FirstChar || second >= m_FirstChar + m_Width)
        return 1;
    children[1] = second - m_FirstChar;
    return 2;
}

bool SearchTreeBase::RemaindersEqual(const String& a, const String& b) const
{
    const char* ra = a.c_str() + std::min(m_Depth, a.TextLength());
    const char* rb = b.c_str() + std::min(m_Depth, b.TextLength());
    return m_CaseSensitive ? String::Compare(ra, rb) == 0 : String::CompareNoCase(ra, rb) == 0;
}

void SearchTreeBase::CopyKey(char* name, const String& key)
{
    String::CopySized(name, 256, key.c_str());
}
