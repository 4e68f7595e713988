// SearchTree: the name-keyed dictionary, a character trie of fixed depth over the codes 32 to 127
// whose deepest nodes hold short lists of records.
#pragma once

#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>

// What every node knows regardless of the record type: its place in the trie and how keys match.
class SearchTreeBase : public ErrorClass {
public:
    // Script variable scopes match letters exactly; set it before the first insert.
    void SetCaseSensitive(bool on) { m_CaseSensitive = on ? 1 : 0; }
    bool IsCaseSensitive() const { return m_CaseSensitive != 0; }

protected:
    SearchTreeBase();

    // A child takes the parent's matching and shape, one level further down.
    void InheritFrom(const SearchTreeBase& parent);

    // Checks the key (errors for an empty key or a character out of range on the way down) and
    // tells whether this node holds the key's records.
    bool IsBucketFor(const String& key);

    // The child a key passes through on insert: lower-case letters share the upper-case child
    // unless letters are matched exactly.
    int32_t InsertChild(const String& key) const;

    // The children a find tries, in order; returns how many (1 or 2).
    int32_t FindChildren(const String& key, int32_t children[2]) const;

    // Keys compared from this node's depth on.
    bool RemaindersEqual(const String& a, const String& b) const;

    static void CopyKey(char* name, const String& key);

    int32_t m_CaseSensitive = 0;
    int32_t m_FirstChar = 32;
    int32_t m_Width = 96;
    int32_t m_Depth = 0;
    int32_t m_MaxDepth = 2;
    int32_t m_WalkPos = -1;

private:
    int32_t CharAtDepth(const String& key) const;
};

// A dictionary from names to records of type T. Insert gives a new default record under a key
// that is not there yet; Find gives the record under a key. Each record keeps its key.
template <class T> class SearchTree : public SearchTreeBase {
public:
    struct Record {
        String m_Key;
        T m_Data{};
    };

    SearchTree() = default;
    ~SearchTree() { Clear(); }
    SearchTree(const SearchTree&) = delete;
    SearchTree& operator=(const SearchTree&) = delete;

    // The new record; null when an equal key is already present.
    T* Insert(const String& key)
    {
        Record* record = InsertRecord(key);
        return record ? &record->m_Data : nullptr;
    }

    T* Find(const String& key)
    {
        Record* record = FindRecord(key);
        return record ? &record->m_Data : nullptr;
    }
    T* Find(const char* key) { return Find(String(key)); }

    Record* InsertRecord(const String& key)
    {
        if (!IsBucketFor(key)) {
            if (!m_Children)
                CreateChildren();
            return m_Children[InsertChild(key)].InsertRecord(key);
        }
        if (!m_Records)
            m_Records = new DynaMem<Record, 8>();
        for (int32_t i = 0; i < m_Records->GetSize(); i++) {
            Record* record = m_Records->GetAt(i);
            if (record && RemaindersEqual(record->m_Key, key))
                return nullptr;
        }
        Record* record = m_Records->GetBySlot(m_Records->Add());
        record->m_Key = key;
        return record;
    }

    Record* FindRecord(const String& key)
    {
        if (!IsBucketFor(key)) {
            if (!m_Children)
                return nullptr;
            int32_t children[2];
            int32_t n = FindChildren(key, children);
            for (int32_t i = 0; i < n; i++)
                if (Record* record = m_Children[children[i]].FindRecord(key))
                    return record;
            return nullptr;
        }
        if (!m_Records)
            return nullptr;
        for (int32_t i = 0; i < m_Records->GetSize(); i++) {
            Record* record = m_Records->GetAt(i);
            if (record && RemaindersEqual(record->m_Key, key))
                return record;
        }
        return nullptr;
    }

    // Sets the walk position of every node to the start.
    void ResetWalk()
    {
        m_WalkPos = 0;
        if (m_Children)
            for (int32_t i = 0; i < m_Width; i++)
                m_Children[i].ResetWalk();
    }

    // The next record of a depth-first walk (this node's records, then the children in character
    // order); null at the end. name, when given, receives the key (at most 255 characters).
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
        if (m_WalkPos < 0)
            m_WalkPos = 0;
        int32_t n = m_Records ? m_Records->GetSize() : 0;
        while (m_WalkPos < n)
            if (Record* record = m_Records->GetAt(m_WalkPos++))
                return record;
        if (!m_Children)
            return nullptr;
        while (m_WalkPos - n < m_Width) {
            if (Record* record = m_Children[m_WalkPos - n].GetNextRecord())
                return record;
            m_WalkPos++;
        }
        return nullptr;
    }

    // Deletes every record and child node.
    void Clear()
    {
        delete[] m_Children;
        delete m_Records;
        m_Children = nullptr;
        m_Records = nullptr;
    }

private:
    void CreateChildren()
    {
        m_Children = new SearchTree<T>[m_Width];
        for (int32_t i = 0; i < m_Width; i++)
            m_Children[i].InheritFrom(*this);
    }

    SearchTree<T>* m_Children = nullptr;  // m_Width nodes, one per character code
    DynaMem<Record, 8>* m_Records = nullptr;
};
