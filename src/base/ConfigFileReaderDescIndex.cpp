// ConfigFileReader: the desc index, an open-addressing table of the entries' desc names, built
// at every load and asked by name.
#include "base/ConfigFileReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// What the desc index takes as a name: not empty, the first character within 32..127 (as the
// program's name trees demand; the rest of a name may hold any byte, accented letters included).
bool IsUsableName(const char* name)
{
    return name && static_cast<unsigned char>(*name) >= 32 && static_cast<unsigned char>(*name) <= 127;
}

}  // namespace

void ConfigFileReader::DescIndex::Clear()
{
    m_Slots.clear();
    m_Names.clear();
    m_Count = 0;
}

void ConfigFileReader::DescIndex::Reserve(int32_t count)
{
    size_t slots = 16;
    while (slots * 3 < size_t(count) * 4)
        slots *= 2;
    if (slots > m_Slots.size())
        Rehash(slots);
    m_Names.reserve(size_t(count) * 32);  // room for names of a usual length, grown only past that
}

uint32_t ConfigFileReader::DescIndex::Hash(const char* name, size_t length)
{
    // Eight bytes at a time, ASCII capitals lowered within the word first.
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    constexpr uint64_t kMix = 0x9E3779B97F4A7C15u;
    auto fold = [](uint64_t w) {
        uint64_t low = w & ~kHighs;
        uint64_t capital = (low + kOnes * (0x80 - 'A')) & ~(low + kOnes * (0x80 - 'Z' - 1)) & ~w & kHighs;
        return w | (capital >> 2);  // 0x80 >> 2 is the case bit
    };
    auto word = [name](size_t at) {
        uint64_t w;
        std::memcpy(&w, name + at, 8);
        return w;
    };
    uint64_t hash = length * kMix;
    size_t i = 0;
    for (; i + 8 <= length; i += 8)
        hash = std::rotl((hash ^ fold(word(i))) * kMix, 31);
    uint64_t tail = 0;
    if (length >= 8 && i < length)
        tail = word(length - 8);  // the last eight bytes again, some of them hashed already
    else
        for (size_t k = i; k < length; ++k)
            tail |= uint64_t(static_cast<unsigned char>(name[k])) << (8 * (k - i));
    hash = (hash ^ fold(tail)) * kMix;
    hash ^= hash >> 32;  // the last bytes reach only the high half so far: bring them down
    hash *= 0xD6E8FEB86659FD93u;
    return uint32_t(hash ^ (hash >> 32));
}

size_t ConfigFileReader::DescIndex::Probe(const char* name, size_t length, uint32_t hash) const
{
    const size_t mask = m_Slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_Slots[i];
        if (slot.entry < 0 || (slot.hash == hash && slot.length == length &&
                               String::CompareNNoCase(m_Names.data() + slot.offset, name, int32_t(length)) == 0))
            return i;
    }
}

void ConfigFileReader::DescIndex::Rehash(size_t slots)
{
    std::vector<Slot> old = std::move(m_Slots);
    m_Slots.assign(slots, Slot());
    for (const Slot& slot : old)
        if (slot.entry >= 0) {
            size_t i = slot.hash & (slots - 1);
            while (m_Slots[i].entry >= 0)
                i = (i + 1) & (slots - 1);
            m_Slots[i] = slot;
        }
}

bool ConfigFileReader::DescIndex::Insert(const char* name, int32_t entry)
{
    if ((m_Count + 1) * 4 > m_Slots.size() * 3)
        Rehash(std::max<size_t>(16, m_Slots.size() * 2));
    const size_t length = std::strlen(name);
    const uint32_t hash = Hash(name, length);
    Slot& slot = m_Slots[Probe(name, length, hash)];
    if (slot.entry >= 0)
        return false;
    slot = Slot{hash, entry, uint32_t(m_Names.size()), uint32_t(length)};
    m_Names.append(name, length);
    ++m_Count;
    return true;
}

int32_t ConfigFileReader::DescIndex::Find(const char* name) const
{
    if (m_Slots.empty())
        return -1;
    const size_t length = std::strlen(name);
    return m_Slots[Probe(name, length, Hash(name, length))].entry;
}

void ConfigFileReader::BuildDescIndex()
{
    m_DescIndex.Clear();
    if (m_DescKey.IsEmpty())
        return;
    m_DescIndex.Reserve(m_EntryCount);
    char text[kDescSize];
    for (int32_t entry = 0; entry < m_EntryCount; ++entry) {
        if (ReadOwnText(m_DescKey, entry, text, sizeof text) != kFound) {
            Warning("No 'desc' entry in entry %i in file '%s'", entry, m_FileName.c_str());
            continue;
        }
        // An empty name, or one that begins with a control or 8-bit character, cannot be a key:
        // skip just this entry.
        if (!IsUsableName(text)) {
            Warning("Invalid 'desc' entry in '%s' (%i): '%s'", m_FileName.c_str(), entry, text);
            continue;
        }
        if (!m_DescIndex.Insert(text, entry))  // the first entry of a name stays
            Warning("'desc' entry in '%s' (%i) not unique: '%s'", m_FileName.c_str(), entry, text);
    }
}

int32_t ConfigFileReader::FindEntryByDesc(const char* name)
{
    if (!IsUsableName(name))
        return -1;
    return m_DescIndex.Find(name);
}

String ConfigFileReader::GetDescOfEntry(int32_t entry) const
{
    if (entry < 0 || m_DescKey.IsEmpty())
        return String();
    char text[kDescSize];
    if (ReadOwnText(m_DescKey, entry, text, sizeof text) != kFound)
        return String();
    return String(text);
}
