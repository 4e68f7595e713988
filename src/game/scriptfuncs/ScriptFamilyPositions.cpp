// ScriptFamilyPositions: the built-ins before 'H' that read where elements are, measure distances
// and angles, and search the world; a search fills the result list ("objList") from entry 0 and
// gives its count.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldElem.h"

#include <iterator>

namespace {

void GetPosX(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1))
        return;
    if (WorldElem* elem = call.Object(0))
        call.SetFloat(elem->GetPos().x);
}

void GetPosY(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1))
        return;
    if (WorldElem* elem = call.Object(0))
        call.SetFloat(elem->GetPos().y);
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyPositions()
{
    static const ScriptBuiltinEntry entries[] = {
        {"GetPosX", GetPosX},
        {"GetPosY", GetPosY},
    };
    return {entries, std::size(entries)};
}
