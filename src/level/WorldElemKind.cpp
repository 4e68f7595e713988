// WorldElemKind: the name table of world object kinds.
#include "level/WorldElemKind.h"

#include "base/String.h"

int32_t ParseWorldElemKind(const char* name)
{
    static const struct {
        const char* name;
        int32_t code;
    } kKinds[] = {
        {"light", WorldElemKind::kLight},
        {"object", WorldElemKind::kObject},
        {"creature", WorldElemKind::kCreature},
        {"startpos", WorldElemKind::kStartPos},
        {"visibilitypos", WorldElemKind::kVisibilityPos},
        {"event", WorldElemKind::kEvent},
        {"effect", WorldElemKind::kEffect},
    };
    if (!name)
        return WorldElemKind::kNone;
    for (const auto& kind : kKinds)
        if (String::CompareNoCase(name, kind.name) == 0)
            return kind.code;
    return WorldElemKind::kNone;
}
