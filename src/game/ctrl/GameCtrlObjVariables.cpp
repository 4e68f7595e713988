// GameCtrl: the object script variables, through which an event hands its objects to its script,
// their save and restore around an event, and the 256 object texts.
#include "game/ctrl/GameCtrl.h"

#include <algorithm>

// Scripts reach here through the library, which checks the index; the world and the game do
// not, so the table guards itself.
int32_t GameCtrl::SetObjScriptVariable(int32_t index, int32_t value)
{
    if (index < 0 || index >= kObjScriptVariables) {
        Warning("Invalid object script variable index: %i", index);
        return value;
    }
    m_ObjScriptVariables[index] = value;
    return value;
}

int32_t GameCtrl::GetObjScriptVariable(int32_t index) const
{
    if (index < 0 || index >= kObjScriptVariables) {
        const_cast<GameCtrl*>(this)->Warning("Invalid object script variable index: %i", index);
        return 0;
    }
    return m_ObjScriptVariables[index];
}

void GameCtrl::SaveObjScriptVariables()
{
    if (m_SaveObjScriptVariablesCount != 0)
        Error("internal error: m_SaveObjScriptVariablesCount != 0");
    m_SaveObjScriptVariablesCount++;
    std::copy(m_ObjScriptVariables, m_ObjScriptVariables + kObjScriptVariables, m_SavedObjScriptVariables);
}

void GameCtrl::RestoreObjScriptVariables()
{
    if (m_SaveObjScriptVariablesCount != 1)
        Error("internal error: m_SaveObjScriptVariablesCount != 1");
    m_SaveObjScriptVariablesCount--;
    std::copy(m_SavedObjScriptVariables, m_SavedObjScriptVariables + kObjScriptVariables, m_ObjScriptVariables);
}

String* GameCtrl::GetObjScriptText(int32_t index)
{
    return index >= 0 && index < kObjScriptVariables ? &m_ObjScriptTexts[index] : nullptr;
}
