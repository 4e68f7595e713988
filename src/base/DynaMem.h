// DynaMem: slot arrays with stable slot numbers (owning, sortable, and over caller-made pointers).
#pragma once

#include "base/ErrorClass.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

// The rules the three slot arrays share, over slots holding pointers of type P.
// An element keeps its slot number while it lives (slot numbers are object IDs, pointer IDs,
// connection numbers); positions 0 .. count - 1 walk the used slots through a lazily rebuilt index.
// While the lock count is above 0 the list neither grows, resizes nor rebuilds its index, so a
// caller walking it by position may delete elements meanwhile (it then reads null for them).
template <class P> class DynaSlots : public ErrorClassSimple {
    static_assert(std::is_pointer_v<P>, "slots hold pointers");
    using Elem = std::remove_pointer_t<P>;

public:
    explicit DynaSlots(int32_t capacity) : m_Capacity(capacity > 0 ? capacity : 0) {}
    ~DynaSlots() { FreeArrays(); }
    DynaSlots(const DynaSlots&) = delete;
    DynaSlots& operator=(const DynaSlots&) = delete;

    int32_t GetSize() const { return m_Count; }
    int32_t GetCapacity() const { return m_Capacity; }

    // Element at a position of the used order; null for a position outside the index
    // (while locked: outside the index built before locking) or for a slot emptied meanwhile.
    P GetAt(int32_t position)
    {
        int32_t slot = GetUsedSlot(position);
        return slot < 0 ? nullptr : GetBySlot(slot);
    }

    // Element at a slot number; null outside 0 .. capacity - 1, before allocation, or empty.
    P GetBySlot(int32_t slot) const
    {
        if (!m_Slots || slot < 0 || slot >= m_Capacity)
            return nullptr;
        return m_Slots[slot];
    }

    // Slot number at a position; -1 for a bad position.
    int32_t GetUsedSlot(int32_t position)
    {
        if (m_IndexDirty)
            RebuildIndex();
        if (!m_Index || position < 0 || position >= m_IndexCount)
            return -1;
        return m_Index[position];
    }

    // Position of a slot number in the used order; -1 when absent.
    int32_t Find(int32_t slot)
    {
        if (m_IndexDirty)
            RebuildIndex();
        for (int32_t i = 0; i < m_IndexCount; i++)
            if (m_Index[i] == slot)
                return i;
        return -1;
    }

    // Slot number holding the pointer; -1 when absent.
    int32_t IndexOf(const Elem* pointer) const
    {
        if (!m_Slots || !pointer)
            return -1;
        for (int32_t i = 0; i < m_Capacity; i++)
            if (m_Slots[i] == pointer)
                return i;
        return -1;
    }

    void Alloc()
    {
        if (m_Slots)
            return;
        m_Slots = new P[m_Capacity]();
        m_Index = new int32_t[m_Capacity]();
        m_IndexCount = 0;
    }

    // First free slot at or above the lowest free one, growing a full list; -1 when none.
    int32_t FindFreeSlot()
    {
        Alloc();
        if (m_Count >= m_Capacity) {
            if (m_LockCount > 0)
                this->Error("Can not expand fixed list");
            if (m_Capacity > kMaxCapacity)
                return -1;
            SetSize(m_Capacity + m_Capacity / 4 + 8);
        }
        for (int32_t i = m_LowestFree; i < m_Capacity; i++)
            if (!m_Slots[i])
                return i;
        return -1;
    }

    void SetSize(int32_t n)
    {
        if (m_LockCount > 0)
            this->Error("Can not SetSize() of fixed list");
        Alloc();
        if (m_IndexDirty)
            RebuildIndex();
        // the highest used slot; after a sort the last index entry need not be it
        int32_t top = 0;
        for (int32_t i = 0; i < m_IndexCount; i++)
            top = std::max(top, m_Index[i] + 1);
        if ((m_Count > 0 && n < top) || n < 0)
            this->Error("New size too small");
        P* slots = new P[n]();
        int32_t* index = new int32_t[n]();
        std::copy(m_Slots, m_Slots + top, slots);
        std::copy(m_Index, m_Index + m_IndexCount, index);
        delete[] m_Slots;
        delete[] m_Index;
        m_Slots = slots;
        m_Index = index;
        m_Capacity = n;
        m_IndexDirty = false;
    }

    // Walk the slots from 0 and list the used ones; nothing while locked.
    void RebuildIndex()
    {
        if (m_LockCount > 0 || !m_Slots)
            return;
        int32_t written = 0;
        for (int32_t i = 0; i < m_Capacity && written < m_Count; i++)
            if (m_Slots[i])
                m_Index[written++] = i;
        m_IndexCount = written;
        m_IndexDirty = false;
    }

    // Raised around a walk by position. The index is brought up to date first, so that every
    // element present at locking stays addressable for the whole walk.
    void Lock()
    {
        if (m_LockCount == 0 && m_IndexDirty)
            RebuildIndex();
        m_LockCount++;
    }
    void Unlock()
    {
        if (m_LockCount > 0)
            m_LockCount--;
    }
    int32_t GetLockCount() const { return m_LockCount; }

    // Moves the pointer of a used slot to an empty one; a target at or beyond the capacity grows
    // the list to capacity / 4 + to + 8 slots first. With report an occupied target or an empty
    // source is an error, without it the move fails. The count is unchanged.
    bool MoveSlot(int32_t from, int32_t to, bool report)
    {
        if (from < 0 || to < 0 || to > kMaxCapacity)
            this->Error("Invalid parameter: MoveSlot(%i,%i)", from, to);
        if (from == to)
            return true;
        if (to >= m_Capacity)
            SetSize(m_Capacity / 4 + to + 8);
        Alloc();
        if (m_Slots[to]) {
            if (report)
                this->Error("Tried to move to occupied position: %i", to);
            return false;
        }
        if (from >= m_Capacity || !m_Slots[from]) {
            if (report)
                this->Error("Tried to move unoccupied position: %i", from);
            return false;
        }
        m_Slots[to] = m_Slots[from];
        m_Slots[from] = nullptr;
        m_LowestFree = std::min(m_LowestFree, from);
        m_IndexDirty = true;
        return true;
    }

protected:
    static constexpr int32_t kMaxCapacity = 0x60000000;  // growth beyond would overflow 32 bits

    // A free slot for a new element, or an error when none is left.
    int32_t NewSlot()
    {
        int32_t slot = FindFreeSlot();
        if (slot < 0)
            this->Error("Maximum number of data elements reached: %i", m_Capacity);
        return slot;
    }

    // Put a pointer into the slot that NewSlot gave.
    int32_t Place(int32_t slot, P pointer)
    {
        m_Slots[slot] = pointer;
        m_Count++;
        m_LowestFree = slot + 1;
        m_IndexDirty = true;
        return slot;
    }

    // Empty a used slot and give back what it held.
    P Take(int32_t slot)
    {
        P pointer = GetBySlot(slot);
        if (!pointer)
            this->Error("Can not delete object nr: %i", slot);
        m_Slots[slot] = nullptr;
        m_LowestFree = std::min(m_LowestFree, slot);
        m_Count--;
        m_IndexDirty = true;
        return pointer;
    }

    // Empty every slot; each held pointer goes to dispose (walking from 0 until count were met).
    template <class Dispose> void TakeAll(Dispose dispose)
    {
        if (!m_Slots)
            return;
        for (int32_t i = 0; i < m_Capacity && m_Count > 0; i++) {
            if (P pointer = m_Slots[i]) {
                m_Slots[i] = nullptr;
                m_Count--;
                dispose(pointer);
            }
        }
        m_Count = 0;
        m_LowestFree = 0;
        m_IndexDirty = true;
    }

    void CopyFrom(const DynaSlots& other)
    {
        if (&other == this)
            return;
        FreeArrays();
        m_Capacity = other.m_Capacity;
        m_Count = other.m_Count;
        m_LowestFree = other.m_LowestFree;
        m_IndexDirty = other.m_IndexDirty;
        if (other.m_Slots) {
            Alloc();
            std::copy(other.m_Slots, other.m_Slots + other.m_Capacity, m_Slots);
            std::copy(other.m_Index, other.m_Index + other.m_IndexCount, m_Index);
            m_IndexCount = other.m_IndexCount;
        }
    }

    void FreeArrays()
    {
        delete[] m_Slots;
        delete[] m_Index;
        m_Slots = nullptr;
        m_Index = nullptr;
        m_IndexCount = 0;
    }

    P* m_Slots = nullptr;
    int32_t* m_Index = nullptr;  // used slot numbers; the first m_IndexCount entries are valid
    int32_t m_Count = 0;
    int32_t m_Capacity;
    int32_t m_LowestFree = 0;    // no free slot lies below it
    int32_t m_LockCount = 0;
    int32_t m_IndexCount = 0;    // entries of the last rebuild (equals count unless locked or dirty)
    bool m_IndexDirty = true;
};

// Slot array that allocates and owns its elements. F is kept for the declarations that name it;
// nothing reads it.
template <class T, int N, int F = 1> class DynaMem : public DynaSlots<T*> {
public:
    DynaMem() : DynaSlots<T*>(N) {}
    ~DynaMem() { DeleteAll(); }

    // A new default-constructed element in the first free slot; its slot number.
    int32_t Add()
    {
        int32_t slot = this->NewSlot();
        return this->Place(slot, new T());
    }

    int32_t Delete(int32_t slot)
    {
        delete this->Take(slot);
        return 1;
    }

    void DeleteAll()
    {
        this->TakeAll([](T* element) { delete element; });
    }

    // Replaces the elements by copies of other's, appended in other's slot order.
    void CopyElementsFrom(const DynaMem& other)
    {
        if (&other == this)
            return;
        DeleteAll();
        for (int32_t slot = 0; slot < other.GetCapacity(); slot++)
            if (const T* element = other.GetBySlot(slot))
                this->Place(this->NewSlot(), new T(*element));
    }
};

// DynaMem whose used order can be sorted; positions follow the sorted order until the next add
// or delete marks the index dirty.
template <class T, int N, int F = 1> class DynaMemSort : public DynaMem<T, N, F> {
public:
    void Sort() { Sort(std::less<T>()); }

    // Exchanges the elements at two positions of the used order; a bad position changes nothing.
    void SwapPositions(int32_t a, int32_t b)
    {
        if (this->m_IndexDirty)
            this->RebuildIndex();
        if (a < 0 || b < 0 || a >= this->m_IndexCount || b >= this->m_IndexCount)
            return;
        std::swap(this->m_Index[a], this->m_Index[b]);
    }

    // less(a, b) on two elements, as for std::sort.
    template <class Less> void Sort(Less less)
    {
        if (this->m_Count < 1)
            return;
        if (this->m_IndexDirty)
            this->RebuildIndex();
        T** slots = this->m_Slots;
        // A locked, dirty index may name emptied slots: they sort last. The merge sort stays
        // within the index even when a comparison is not a strict order.
        std::stable_sort(this->m_Index, this->m_Index + this->m_IndexCount, [&](int32_t a, int32_t b) {
            T* ea = slots[a];
            T* eb = slots[b];
            if (!ea || !eb)
                return ea && !eb;
            return less(*ea, *eb);
        });
    }
};

// Slot array over pointers that the caller made: deleting a slot leaves the object alive,
// DeleteAll deletes every object.
template <class P, int N = 4, int F = 1> class DynaPtrList : public DynaSlots<P> {
    static_assert(std::is_pointer_v<P>, "DynaPtrList holds pointers");

public:
    DynaPtrList() : DynaSlots<P>(N) {}

    int32_t Add(P pointer)
    {
        if (!pointer)  // a null entry would read as a free slot
            this->Error("Null pointer added !");
        return this->Place(this->NewSlot(), pointer);
    }

    int32_t Delete(int32_t slot)
    {
        this->Take(slot);
        return 1;
    }

    int32_t GetFreeSlot() { return this->FindFreeSlot(); }

    // Deletes every object and empties the list.
    void DeleteAll()
    {
        this->TakeAll([](P pointer) { delete pointer; });
    }

    // Empties the list; the objects stay alive.
    void RemoveAll()
    {
        this->TakeAll([](P) {});
    }

    // Empties the list and frees its arrays (allocated again on the next use).
    void Free()
    {
        RemoveAll();
        this->FreeArrays();
        this->m_IndexDirty = true;
    }

    // Copies another list of the same pointers: its capacity, slots, count and index.
    void Assign(const DynaSlots<P>& other) { this->CopyFrom(other); }

    // Moves the element at position from to position to; the ones between shift by one.
    // The pointers move between the used slots, so the order survives a rebuild.
    void MoveToPos(int32_t from, int32_t to)
    {
        if (from < 0 || to < 0)
            this->Error("Invalid element in MoveToPos( %i, %i )", from, to);
        if (this->m_IndexDirty)
            this->RebuildIndex();
        if (from >= this->m_IndexCount || to >= this->m_IndexCount)
            this->Error("Invalid position in MoveToPos( %i, %i )", from, to);
        int32_t* index = this->m_Index;
        P* slots = this->m_Slots;
        P moved = slots[index[from]];
        if (from < to) {
            for (int32_t i = from; i < to; i++)
                slots[index[i]] = slots[index[i + 1]];
        } else {
            for (int32_t i = from; i > to; i--)
                slots[index[i]] = slots[index[i - 1]];
        }
        slots[index[to]] = moved;
        // a locked list's stale index may have moved a free slot lower
        this->m_LowestFree = std::min(this->m_LowestFree, index[std::min(from, to)]);
    }
};
