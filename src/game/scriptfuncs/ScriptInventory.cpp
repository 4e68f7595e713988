// ScriptInventory: the shared helpers of the inventory and item built-ins.
#include "game/scriptfuncs/ScriptInventory.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldElem.h"

namespace ScriptInventory {

bool IsPlayerCharacter(WorldElem* elem)
{
    return elem && elem->IsCreature() && static_cast<CreatureObj*>(elem)->IsMainCharacter();
}

ItemBase* ItemRecordOf(ScriptCall& call, WorldElem& elem, const char* function)
{
    ItemBase* item = elem.m_TypeCode == ElemType::kItem ? dynamic_cast<ItemBase*>(elem.m_LinkedItem) : nullptr;
    if (!item)
        call.Error("Can not %s on none-item-object", function);
    return item;
}

SavedObjVariables::SavedObjVariables(GameCtrl& ctrl) : m_Ctrl(ctrl) { m_Ctrl.SaveObjScriptVariables(); }

SavedObjVariables::~SavedObjVariables()
{
    if (m_Ctrl.GetObjScriptVariablesSaveCount() == 1)
        m_Ctrl.RestoreObjScriptVariables();
}

}  // namespace ScriptInventory
