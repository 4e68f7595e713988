// DynaMem: slot arrays with stable slot numbers (owning, sortable, and over caller-made pointers).
#pragma once

#include "base/ErrorClass.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

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
        if (!m_Pages || slot < 0 || slot >= m_Capacity)
            return nullptr;
        const P* page = m_Pages[slot >> kPageBits];
        return page ? page[slot & kPageMask] : nullptr;
    }

    // The lowest used slot above after (-1 starts the walk); -1 when none is left. A walk over
    // the slot numbers with it costs the used pages, never the whole capacity.
    int32_t NextUsedSlot(int32_t after) const
    {
        if (!m_Pages)
            return -1;
        for (int32_t slot = after < 0 ? 0 : after + 1; slot < m_Capacity;) {
            const P* page = m_Pages[slot >> kPageBits];
            if (!page) {
                slot = (slot | kPageMask) + 1;
                continue;
            }
            if (page[slot & kPageMask])
                return slot;
            slot++;
        }
        return -1;
    }

    // Slot number at a position; -1 for a bad position.
    int32_t GetUsedSlot(int32_t position)
    {
        if (m_IndexDirty)
            RebuildIndex();
        if (position < 0 || position >= m_IndexCount)
            return -1;
        return m_Index[size_t(position)];
    }

    // Position of a slot number in the used order; -1 when absent.
    int32_t Find(int32_t slot)
    {
        if (m_IndexDirty)
            RebuildIndex();
        for (int32_t i = 0; i < m_IndexCount; i++)
            if (m_Index[size_t(i)] == slot)
                return i;
        return -1;
    }

    // Slot number holding the pointer; -1 when absent.
    int32_t IndexOf(const Elem* pointer) const
    {
        if (!pointer)
            return -1;
        for (int32_t slot = NextUsedSlot(-1); slot >= 0; slot = NextUsedSlot(slot))
            if (GetBySlot(slot) == pointer)
                return slot;
        return -1;
    }

    void Alloc()
    {
        if (m_Pages)
            return;
        m_PageCount = PagesFor(m_Capacity);
        m_Pages = new P*[size_t(m_PageCount)]();
        m_Index.clear();
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
            if (!GetBySlot(i))
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
            top = std::max(top, m_Index[size_t(i)] + 1);
        if ((m_Count > 0 && n < top) || n < 0)
            this->Error("New size too small");
        const int32_t oldPageSize = PageSize();
        const int32_t pageCount = PagesFor(n);
        P** pages = new P*[size_t(pageCount)]();
        for (int32_t i = 0; i < m_PageCount; i++) {
            if (i < pageCount)
                pages[i] = m_Pages[i];
            else
                delete[] m_Pages[i];  // past the top: holds no element
        }
        delete[] m_Pages;
        m_Pages = pages;
        m_PageCount = pageCount;
        m_Capacity = n;
        // Below one page the single page has the capacity's size, so it follows the capacity.
        if (pageCount > 0 && m_Pages[0] && PageSize() != oldPageSize) {
            P* page = new P[size_t(PageSize())]();
            std::copy(m_Pages[0], m_Pages[0] + std::min(oldPageSize, PageSize()), page);
            delete[] m_Pages[0];
            m_Pages[0] = page;
        }
        m_Index.resize(size_t(m_IndexCount));
        m_Index.shrink_to_fit();
        m_IndexDirty = false;
    }

    // Walk the used slots from 0 and list them; nothing while locked.
    void RebuildIndex()
    {
        if (m_LockCount > 0 || !m_Pages)
            return;
        m_Index.resize(size_t(m_Count));
        int32_t written = 0;
        for (int32_t slot = NextUsedSlot(-1); slot >= 0 && written < m_Count; slot = NextUsedSlot(slot))
            m_Index[size_t(written++)] = slot;
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

    // Bytes the slot storage holds now: the page directory, the filled pages and the index.
    size_t GetStorageBytes() const
    {
        size_t bytes = size_t(m_PageCount) * sizeof(P*) + m_Index.capacity() * sizeof(int32_t);
        for (int32_t i = 0; i < m_PageCount; i++)
            if (m_Pages[i])
                bytes += size_t(PageSize()) * sizeof(P);
        return bytes;
    }

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
        if (GetBySlot(to)) {
            if (report)
                this->Error("Tried to move to occupied position: %i", to);
            return false;
        }
        if (!GetBySlot(from)) {
            if (report)
                this->Error("Tried to move unoccupied position: %i", from);
            return false;
        }
        SlotRef(to) = GetBySlot(from);
        SlotRef(from) = nullptr;
        m_LowestFree = std::min(m_LowestFree, from);
        m_IndexDirty = true;
        return true;
    }

protected:
    static constexpr int32_t kMaxCapacity = 0x60000000;  // growth beyond would overflow 32 bits
    // Slots live in pages, each allocated when a slot of its own is first filled: a table holding
    // a few elements at high slot numbers (object IDs of a stored level) costs its page directory
    // and those pages, not an array over the whole range. A list of at most one page keeps a
    // single page of its capacity, as small as a plain array.
    static constexpr int32_t kPageBits = 10;
    static constexpr int32_t kPageSlots = 1 << kPageBits;
    static constexpr int32_t kPageMask = kPageSlots - 1;

    static int32_t PagesFor(int32_t capacity) { return int32_t((int64_t(capacity) + kPageMask) >> kPageBits); }
    int32_t PageSize() const { return std::min(m_Capacity, kPageSlots); }

    // The slot for writing, its page made when missing; the slot lies below the capacity.
    P& SlotRef(int32_t slot)
    {
        P*& page = m_Pages[slot >> kPageBits];
        if (!page)
            page = new P[size_t(PageSize())]();
        return page[slot & kPageMask];
    }

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
        SlotRef(slot) = pointer;
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
        SlotRef(slot) = nullptr;
        m_LowestFree = std::min(m_LowestFree, slot);
        m_Count--;
        m_IndexDirty = true;
        return pointer;
    }

    // Empty every slot; each held pointer goes to dispose (walking up from slot 0).
    template <class Dispose> void TakeAll(Dispose dispose)
    {
        if (!m_Pages)
            return;
        for (int32_t slot = NextUsedSlot(-1); slot >= 0 && m_Count > 0; slot = NextUsedSlot(slot)) {
            P pointer = GetBySlot(slot);
            SlotRef(slot) = nullptr;
            m_Count--;
            dispose(pointer);
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
        if (other.m_Pages) {
            Alloc();
            for (int32_t i = 0; i < m_PageCount; i++)
                if (other.m_Pages[i]) {
                    m_Pages[i] = new P[size_t(PageSize())];
                    std::copy(other.m_Pages[i], other.m_Pages[i] + PageSize(), m_Pages[i]);
                }
            m_Index = other.m_Index;
            m_IndexCount = other.m_IndexCount;
        }
    }

    void FreeArrays()
    {
        for (int32_t i = 0; i < m_PageCount; i++)
            delete[] m_Pages[i];
        delete[] m_Pages;
        m_Pages = nullptr;
        m_PageCount = 0;
        m_Index.clear();
        m_Index.shrink_to_fit();
        m_IndexCount = 0;
    }

    P** m_Pages = nullptr;        // ceil(capacity / page) entries once allocated; null pages are empty
    int32_t m_PageCount = 0;
    std::vector<int32_t> m_Index;  // used slot numbers; the first m_IndexCount entries are valid
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
        for (int32_t slot = other.NextUsedSlot(-1); slot >= 0; slot = other.NextUsedSlot(slot))
            this->Place(this->NewSlot(), new T(*other.GetBySlot(slot)));
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
        std::swap(this->m_Index[size_t(a)], this->m_Index[size_t(b)]);
    }

    // less(a, b) on two elements, as for std::sort.
    template <class Less> void Sort(Less less)
    {
        if (this->m_Count < 1)
            return;
        if (this->m_IndexDirty)
            this->RebuildIndex();
        // A locked, dirty index may name emptied slots: they sort last. The merge sort stays
        // within the index even when a comparison is not a strict order.
        std::stable_sort(this->m_Index.begin(), this->m_Index.begin() + this->m_IndexCount, [&](int32_t a, int32_t b) {
            T* ea = this->GetBySlot(a);
            T* eb = this->GetBySlot(b);
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
        const std::vector<int32_t>& index = this->m_Index;
        P moved = this->GetBySlot(index[size_t(from)]);
        if (from < to) {
            for (int32_t i = from; i < to; i++)
                this->SlotRef(index[size_t(i)]) = this->GetBySlot(index[size_t(i) + 1]);
        } else {
            for (int32_t i = from; i > to; i--)
                this->SlotRef(index[size_t(i)]) = this->GetBySlot(index[size_t(i) - 1]);
        }
        this->SlotRef(index[size_t(to)]) = moved;
        // a locked list's stale index may have moved a free slot lower
        this->m_LowestFree = std::min(this->m_LowestFree, index[size_t(std::min(from, to))]);
    }
};
