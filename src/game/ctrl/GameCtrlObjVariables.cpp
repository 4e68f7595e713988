// GameCtrl: the object script variables, through which an event hands its objects to its script.
#include "game/ctrl/GameCtrl.h"

int32_t GameCtrl::SetObjScriptVariable(int32_t index, int32_t value)
{
    if (index >= 0 && index < kObjScriptVariables)
        m_ObjScriptVariables[index] = value;
    return value;
}

int32_t GameCtrl::GetObjScriptVariable(int32_t index) const
{
    return index >= 0 && index < kObjScriptVariables ? m_ObjScriptVariables[index] : 0;
}
