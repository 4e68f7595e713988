// WorldCtrl: the names that AI strategies and scripts give targets and deeds: the target slots
// and the AI action codes.
#include "world/WorldCtrl.h"

int32_t WorldCtrl::GetTargetSlotByName(const char* name)
{
    if (!name)
        return -1;
    static const struct {
        const char* name;
        int32_t slot;
    } kSlots[] = {{"LastEnemy", 1}, {"LastTarget", 2}, {"Creator", 3}, {"Friends", 4}, {"hero", 5}};
    for (const auto& entry : kSlots)
        if (String::CompareNoCase(name, entry.name) == 0)
            return entry.slot;
    for (int32_t n = 1; n <= 16; n++) {
        String target;
        target.Format("Target%i", n);
        if (target.EqualsNoCase(name))
            return 100 + n;
    }
    return -1;
}

int32_t ParseAIActionType(const char* name)
{
    static const char* const kNames[] = {
        "ACTION",         "CHANGE_STRATEGY", "FLEE",        "WAIT",           "GO_ASIDE",
        "WALK_AROUND",    "BLOCK",           "GOTO",        "AIM_AT",         "GO_LEFT_ENEMY",
        "GO_RIGHT_ENEMY", "GO_BACK_ENEMY",   "GO_DIRECTION_ENEMY", "DODGE_FRONT", "DODGE_BACK",
        "DODGE_LEFT",     "DODGE_RIGHT",     "JUMP_FRONT",  "JUMP_BACK",      "JUMP_LEFT",
        "JUMP_RIGHT",     "DRAW_WEAPON",     "SHEATH_WEAPON",
    };
    if (name)
        for (int32_t code = 0; code < int32_t(sizeof kNames / sizeof kNames[0]); code++)
            if (String::CompareNoCase(name, kNames[code]) == 0)
                return code;
    return 23;
}
