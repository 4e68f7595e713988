// SmartPtr: weak references that never dangle; SmartClass: a possible target, which keeps the list
// of every SmartPtr pointing at it and sets them all to null when it is destroyed.
#pragma once

#include "base/DynaMem.h"

#include <cstdint>

class SmartClass;

// The part of a SmartPtr that its target's holder list sees, whatever the target type.
class SmartPtrBase {
public:
    int32_t GetPointerID() const { return m_PointerID; }

protected:
    SmartPtrBase() = default;
    ~SmartPtrBase() { Release(); }
    SmartPtrBase(const SmartPtrBase&) = delete;
    SmartPtrBase& operator=(const SmartPtrBase&) = delete;

    // Re-points at holder (null: none); nothing when it already points there.
    void AssignHolder(SmartClass* holder);
    void Release();

    SmartClass* m_Holder = nullptr;  // null exactly when m_PointerID is -1
    int32_t m_PointerID = -1;        // this pointer's slot in the holder list

    friend class SmartClass;
};

// A possible target. The holder list is a member, not a base, so that a class may derive from
// both ErrorClass and SmartClass without two error bases. A copy of a target starts unreferenced.
class SmartClass {
public:
    SmartClass() = default;
    SmartClass(const SmartClass&) {}
    SmartClass& operator=(const SmartClass&) { return *this; }
    ~SmartClass() { ZeroAllPointers(); }

    // Takes one pointer out of the holder list; a mismatch is logged and the list left alone.
    void ReleasePointerID(int32_t pointerID, SmartPtrBase* pointer);

    // Sets every registered pointer to null and frees the list.
    void ZeroAllPointers();

    int32_t GetHolderCount() const { return m_Holders.GetSize(); }
    int32_t GetHolderCapacity() const { return m_Holders.GetCapacity(); }

private:
    friend class SmartPtrBase;
    DynaPtrList<SmartPtrBase*, 2, 0> m_Holders;
};

// Weak reference to a T (a class derived from SmartClass); does not own or count.
template <class T> class SmartPtr : public SmartPtrBase {
public:
    SmartPtr() = default;
    SmartPtr(T* target) { Assign(target); }
    SmartPtr(const SmartPtr& other) : SmartPtrBase() { Assign(other.Get()); }
    SmartPtr& operator=(const SmartPtr& other)
    {
        Assign(other.Get());
        return *this;
    }
    SmartPtr& operator=(T* target)
    {
        Assign(target);
        return *this;
    }

    void Assign(T* target)
    {
        if (target == Get())
            return;
        AssignHolder(target);
        m_Target = target;
    }
    void Release() { SmartPtrBase::Release(); }

    T* Get() const { return m_Holder ? m_Target : nullptr; }
    operator T*() const { return Get(); }
    T* operator->() const { return Get(); }

private:
    T* m_Target = nullptr;  // meaningful only while m_Holder is set
};
