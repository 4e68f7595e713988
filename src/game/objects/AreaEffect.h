// AreaEffect: the area effect of a world object type (a trigger area or a damaging zone): how
// often and when it fires, the damage it deals on entering and over time, who it acts on, and the
// type's hit effects.
#pragma once
#include "base/String.h"

#include <cstdint>

class EventObj;
struct HitEffects;

struct AreaEffect {
    int32_t count = 1;  // activations
    uint8_t activateOnExit = 0;
    float activationTime = 0.0f;
    float damageEnter = 0.0f;
    float damagePerTime = 0.0f;
    float damageFallOff = 0.0f;
    String onActivate;  // script text
    String effByID;     // name of the one element it acts on, when given
    int32_t effByParty[4] = {-999, -999, -999, -999};  // -999 first: any party
    HitEffects* hitEffects = nullptr;  // the type's record, owned by the type
    EventObj* event = nullptr;         // the element being made, when the effect is an element's
};
