// ActionEffect: one effect of an action entry ("EFFECT" blocks of "cfg\actions.cfg"): the visual
// effect and where it shows, a screen quake, up to four sounds and an object that lives a while.
#pragma once
#include "base/String.h"
#include "world/ActionEntryBase.h"
#include "world/EffectEmitterInfo.h"

#include <cstdint>

class ActionEffect : public ActionEntryBase {
public:
    static constexpr int32_t kSounds = 4;

    String effect;
    uint8_t isChild = 0;
    float effectPos[3] = {0.0f, 0.0f, 0.0f};
    String effectObject;
    float quake[3] = {0.0f, 0.0f, 0.0f};
    String snd[kSounds];  // "Snd1" to "Snd4"
    int32_t numSnd = 0;   // how many of them the block gives
    String object;
    float objectLifeSpan = 0.0f;
    float objectPos[3] = {0.0f, 0.0f, 0.0f};
    float objectScale[3] = {1.0f, 1.0f, 1.0f};
    // One emitter per name of the "effect" list, placed like the effect and emitting for
    // "EmitDuration"; the action runner counts the entries that have any.
    EffectEmitterList emitters;
    float emitDuration = 0.5f;
};
