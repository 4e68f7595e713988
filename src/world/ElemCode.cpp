// ElemCode: making and splitting the references of saved records.
#include "world/ElemCode.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

int32_t ElemCode::Of(const WorldElemBase* elem)
{
    if (!elem)
        return kNone;
    if (WorldElem::IsActiveType(elem->m_TypeCode) &&
        !(elem->m_World && elem->m_World->HoldsObj(elem->m_ObjID, elem))) {
        if (g_GameCtrl)
            g_GameCtrl->Error("SaveElemPtr: Invalid pointer");
        ErrorClassSimple::StaticError("SaveElemPtr: Invalid pointer");
    }
    return int32_t((uint32_t(elem->m_TypeCode & 0xFF) << 24) | (uint32_t(elem->m_ObjID) & 0xFFFFFF));
}

void ElemCode::Split(int32_t code, int32_t& kind, int32_t& id)
{
    if (code == kNone) {
        kind = -1;
        id = -1;
        return;
    }
    kind = int32_t(uint32_t(code) >> 24);
    id = code & 0xFFFFFF;
}
