// ScriptCreatureArgs: the creature fetch with its warning and the influence type of a name, for
// the creature built-ins of both chains.
#include "game/scriptfuncs/ScriptCreatureArgs.h"

#include "base/String.h"
#include "game/objects/CreatureObj.h"
#include "world/WorldElem.h"

#include <string>

static_assert(ScriptCreatureArgs::kLastTargetSlot == CreatureObj::kElemRefs, "scripts point the creature's slots");

namespace ScriptCreatureArgs {

CreatureObj* CreatureOrWarn(ScriptCall& call, int32_t index, const char* warning)
{
    WorldElem* elem = call.Object(index);
    if (!elem)
        return nullptr;
    if (!elem->IsCreature()) {
        // The texts are the chain's own; the element's name takes the place of its %s.
        std::string text(warning);
        const size_t at = text.find("%s");
        if (at != std::string::npos)
            text.replace(at, 2, String(elem->m_Name).c_str());
        call.Warning("%s", text.c_str());
        return nullptr;
    }
    return static_cast<CreatureObj*>(elem);
}

int32_t InfluenceType(ScriptCall& call, const char* name)
{
    const int32_t type = CreatureObj::GetEffectTypeByName(name);
    if (type == CreatureObj::kEffectNone)
        call.Error("Invalid influence type '%s' in function %s", name ? name : "", call.GetName());
    return type;
}

}  // namespace ScriptCreatureArgs
