// ActionSpell: one spell of an action entry ("SPELL" blocks of "cfg\actions.cfg"): the kind of
// spell the controller casts with its parameters, what its hit does, the bonuses of a summoned
// creature and the combo it replaces.
#pragma once
#include "base/String.h"
#include "world/ActionEntryBase.h"
#include "world/HitEffects.h"

#include <cstdint>

class ActionSpell : public ActionEntryBase {
public:
    static constexpr int32_t kParams = 4;

    String type;  // "summon", "firewall", "GroupHeal", ...
    String id;
    float param[kParams] = {0.0f, 0.0f, 0.0f, 0.0f};  // "param1" to "param4"
    HitEffects hitEffects;
    float summonHitpBonus[2] = {0.0f, 0.0f};
    float summonSpellpowerBonus[2] = {0.0f, 0.0f};
    float summonStrengthBonus[2] = {0.0f, 0.0f};
    float summonLifeSpanSpellpowerBonus = 0.0f;
    float summonLifeSpanStrengthBonus = 0.0f;
    String replaceCombo;
    String replaceComboWithAction;
};
