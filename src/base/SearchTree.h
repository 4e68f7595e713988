// SearchTree: the name-keyed dictionary, a character trie two levels deep over the codes 32 to
// 127: 96 buckets by the first character, each holding a short list of records.
#pragma once

#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

// What every tree knows regardless of the record type: how keys choose a bucket and match.
class SearchTreeBase : public ErrorClass {
public:
    // Script variable scopes match letters exactly; set it before the first insert.
    void SetCaseSensitive(bool on)
    {
        m_CaseSensitive = on ? 1 : 0;
        Touch();
    }
    bool IsCaseSensitive() const { return m_CaseSensitive != 0; }

    // Changes with every insert and clear and is never the same for two trees: a caller that
    // found a record keeps the pointer while the generation it saw is still the tree's.
    uint64_t GetGeneration() const { return m_Generation; }

protected:
    SearchTreeBase();

    // Checks the key (an empty key, a first character out of range) and gives its bucket on
    // insert: lower-case letters share the upper-case bucket unless letters are matched exactly.
    int32_t InsertBucket(const char* key)
    {
        int32_t c = FirstChar(key);
        if (!m_CaseSensitive && c >= 'a' && c <= 'z')
            c -= 32;
        return c - kFirstChar;
    }

    // The buckets a find tries, in order; returns how many (1 or 2).
    int32_t FindBuckets(const char* key, int32_t buckets[2])
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

    // Keys compared after their first character, which chose the bucket.
    bool RemaindersEqual(const char* a, const char* b) const
    {
        const char* ra = a + (a[0] ? 1 : 0);
        const char* rb = b + (b[0] ? 1 : 0);
        return m_CaseSensitive ? std::strcmp(ra, rb) == 0 : String::CompareNoCase(ra, rb) == 0;
    }

    void Touch();  // a new generation

    static void CopyKey(char* name, const String& key);

    static constexpr int32_t kFirstChar = 32;
    static constexpr int32_t kWidth = 96;

    int32_t m_CaseSensitive = 0;
    int32_t m_WalkBucket = 0;  // the walk: bucket, then the record after m_WalkRecord
    const void* m_WalkRecord = nullptr;
    uint64_t m_Generation = 0;

private:
    // Only the character that chooses the bucket is checked; the rest of a key is compared
    // inside the bucket and may hold any byte.
    int32_t FirstChar(const char* key)
    {
        int32_t c = key ? static_cast<signed char>(key[0]) : 0;
        if (c < kFirstChar || c >= kFirstChar + kWidth)
            BadKey(key, c);
        return c;
    }
    [[noreturn]] void BadKey(const char* key, int32_t c);
};

// A dictionary from names to records of type T. Insert gives a new default record under a key
// that is not there yet; Find gives the record under a key. Each record keeps its key. Records
// stay where they are until Clear, which keeps their storage for the next inserts.
template <class T> class SearchTree : public SearchTreeBase {
public:
    struct Record {
        String m_Key;
        T m_Data{};
        Record* m_Next = nullptr;  // in its bucket, in the order of insertion
    };

    SearchTree() = default;
    ~SearchTree()
    {
        Clear();
        while (m_Free) {
            Slot* next = m_Free->next;
            delete m_Free;
            m_Free = next;
        }
    }
    SearchTree(const SearchTree&) = delete;
    SearchTree& operator=(const SearchTree&) = delete;

    // The new record; null when an equal key is already present.
    T* Insert(const String& key)
    {
        Record* record = InsertRecord(key);
        return record ? &record->m_Data : nullptr;
    }
    T* Insert(String&& key)
    {
        Record* record = InsertRecord(std::move(key));
        return record ? &record->m_Data : nullptr;
    }

    T* Find(const String& key) { return Find(key.c_str()); }
    T* Find(const char* key)
    {
        Record* record = FindRecord(key);
        return record ? &record->m_Data : nullptr;
    }

    Record* InsertRecord(const String& key) { return InsertRecord(String(key)); }
    // The same, taking over the key's buffer.
    Record* InsertRecord(String&& key)
    {
        int32_t bucket = InsertBucket(key.c_str());
        if (!m_Buckets)
            m_Buckets = std::make_unique<Bucket[]>(kWidth);
        Bucket& list = m_Buckets[bucket];
        for (Record* record = list.head; record; record = record->m_Next)
            if (RemaindersEqual(record->m_Key.c_str(), key.c_str()))
                return nullptr;
        Record* record = NewRecord();
        record->m_Key = std::move(key);
        if (list.tail)
            list.tail->m_Next = record;
        else
            list.head = record;
        list.tail = record;
        m_Used[bucket >> 6] |= uint64_t(1) << (bucket & 63);
        Touch();
        return record;
    }

    Record* FindRecord(const String& key) { return FindRecord(key.c_str()); }
    Record* FindRecord(const char* key)
    {
        int32_t buckets[2];
        int32_t n = FindBuckets(key, buckets);
        if (!m_Buckets)
            return nullptr;
        for (int32_t i = 0; i < n; i++)
            for (Record* record = m_Buckets[buckets[i]].head; record; record = record->m_Next)
                if (RemaindersEqual(record->m_Key.c_str(), key))
                    return record;
        return nullptr;
    }

    bool IsEmpty() const { return (m_Used[0] | m_Used[1]) == 0; }

    // Sets the walk position to the start.
    void ResetWalk()
    {
        m_WalkBucket = 0;
        m_WalkRecord = nullptr;
    }

    // The next record of the walk (the buckets in character order, each in the order of
    // insertion); null at the end. name, when given, receives the key (at most 255 characters).
    T* GetNext(char* name = nullptr)
    {
        Record* record = GetNextRecord();
        if (!record)
            return nullptr;
        if (name)
            CopyKey(name, record->m_Key);
        return &record->m_Data;
    }

    Record* GetNextRecord()
    {
        if (!m_Buckets)
            return nullptr;
        const Record* last = static_cast<const Record*>(m_WalkRecord);
        Record* next = last ? last->m_Next : (m_WalkBucket < kWidth ? m_Buckets[m_WalkBucket].head : nullptr);
        while (!next && m_WalkBucket < kWidth) {
            if (++m_WalkBucket < kWidth)
                next = m_Buckets[m_WalkBucket].head;
        }
        m_WalkRecord = next;
        return next;
    }

    // Deletes every record.
    void Clear()
    {
        ClearVisiting([](Record&) {});
    }

    // Deletes every record, handing each to visit first (which may take parts of it over).
    template <class Visit> void ClearVisiting(Visit visit)
    {
        if (m_Buckets) {
            for (int32_t word = 0; word < 2; word++) {
                for (uint64_t used = m_Used[word]; used; used &= used - 1) {
                    Bucket& list = m_Buckets[word * 64 + __builtin_ctzll(used)];
                    for (Record* record = list.head; record;) {
                        Record* next = record->m_Next;
                        visit(*record);
                        FreeRecord(record);
                        record = next;
                    }
                    list.head = list.tail = nullptr;
                }
                m_Used[word] = 0;
            }
        }
        ResetWalk();
        Touch();
    }

private:
    struct Bucket {
        Record* head = nullptr;
        Record* tail = nullptr;
    };
    // Storage of one record, kept on a free list between a Clear and the next insert.
    union Slot {
        Slot() {}
        ~Slot() {}
        Record record;
        Slot* next;
    };

    Record* NewRecord()
    {
        Slot* slot = m_Free;
        if (slot)
            m_Free = slot->next;
        else
            slot = new Slot;
        return new (&slot->record) Record();
    }

    void FreeRecord(Record* record)
    {
        record->~Record();
        Slot* slot = reinterpret_cast<Slot*>(record);
        slot->next = m_Free;
        m_Free = slot;
    }

    std::unique_ptr<Bucket[]> m_Buckets;  // kWidth, made at the first insert
    uint64_t m_Used[2] = {0, 0};         // buckets that hold records
    Slot* m_Free = nullptr;
};
