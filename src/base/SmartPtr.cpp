// SmartPtr: registration in the target's holder list, and the zeroing when a target goes.
#include "base/SmartPtr.h"

#include "base/Log.h"

void SmartPtrBase::AssignHolder(SmartClass* holder)
{
    if (holder == m_Holder)
        return;
    Release();
    if (holder) {
        m_PointerID = holder->m_Holders.Add(this);
        m_Holder = holder;
    }
}

void SmartPtrBase::Release()
{
    if (m_Holder && m_PointerID >= 0)
        m_Holder->ReleasePointerID(m_PointerID, this);
    m_Holder = nullptr;
    m_PointerID = -1;
}

void SmartClass::ReleasePointerID(int32_t pointerID, SmartPtrBase* pointer)
{
    SmartPtrBase* held = m_Holders.GetBySlot(pointerID);
    if (!held) {
        Log::Write("SmartClass: Invalid pointer ID");
        return;
    }
    if (held != pointer) {
        Log::Write("SmartClass: Pointer ID does not match pointer");
        return;
    }
    m_Holders.Delete(pointerID);
}

void SmartClass::ZeroAllPointers()
{
    for (int32_t i = 0; i < m_Holders.GetSize(); i++) {
        SmartPtrBase* pointer = m_Holders.GetAt(i);
        if (!pointer) {
            Log::Write("SmartClass: Invalid pointer");
            continue;
        }
        pointer->m_Holder = nullptr;
        pointer->m_PointerID = -1;
    }
    m_Holders.Free();
}
