// ActionAttack_SF: the game's attack part of an action entry. Besides the engine's attack it
// holds the ranges of the game's damage kinds: the two physical amounts (each a pair of amounts
// that may name a game function), poison and its time, weakening, mana and health leech, the
// blast knock-down value and the inflame pair. The keys that fill them come with the game's
// damage entry reader.
#pragma once
#include "world/ActionAttack.h"
#include "world/TransformableAttribute.h"

#include <new>

class ActionAttack_SF : public ActionAttack {
public:
    ActionAttack_SF() = default;  // the engine's defaults, the game's ranges all 0

    cfDynamicObject* CreateNew() const override { return new (std::nothrow) ActionAttack_SF; }
    // The engine's attack part, then every range of the game (the names of the physical amounts'
    // functions with their values).
    void CopyTo(cfDynamicObject* other) const override;
    // The engine's defaults, then every range (1.0, 0.0) and the blast knock-down and inflame 0.
    void ResetAttack() override;

    AttributePair damPhys[2];  // "damPhys1", "damPhys2"
    float damPoison[2] = {0.0f, 0.0f};
    float damPoisonTime[2] = {0.0f, 0.0f};
    float weaken[2] = {0.0f, 0.0f};
    float manaLeech[2] = {0.0f, 0.0f};
    float healthLeech[2] = {0.0f, 0.0f};
    float blastKnockDown = 0.0f;
    float inflame[2] = {0.0f, 0.0f};
};
