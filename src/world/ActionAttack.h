// ActionAttack: one attack of an action entry ("ATTACK" blocks of "cfg\actions.cfg"): its moment
// and scripts, and the damage the hit does. The controller's factory makes it, so that the game's
// rules put their own attack class in the action entries; a copy is made by type.
#pragma once
#include "base/cfDynamicObject.h"
#include "world/ActionEntryBase.h"
#include "world/DamageEntry.h"

#include <cstdint>

class ActionAttack : public ActionEntryBase, public DamageEntry, public cfDynamicObject {
public:
    ActionAttack() = default;
    ActionAttack(const ActionAttack&) = default;
    ActionAttack& operator=(const ActionAttack&) = default;

    cfDynamicObject* CreateNew() const override { return new ActionAttack; }
    void CopyTo(cfDynamicObject* other) const override
    {
        if (auto* to = dynamic_cast<ActionAttack*>(other); to && to != this)
            *to = *this;  // the attack part only: a derived class copies its own fields
    }
    // The attack defaults (the part's and the damage's).
    virtual void ResetAttack()
    {
        ActionEntryBase::Reset();
        static_cast<DamageEntry&>(*this) = DamageEntry();
        reach = 0.0f;
        reachBonus = kDefaultReachBonus;
        fallOff = 0.0f;
        for (int32_t i = 0; i < kModifierValues; i++)
            modifiers[i] = i % 2 == 0 ? 1.0f : 0.0f;
    }

    // The melee geometry of the hit and its damage modifiers, which the game's attack class
    // fills from its keys: the hit reaches reach units (0: the creature's radius plus the bonus,
    // which no key of the action file sets: a plain strike reaches 50 units past the body),
    // the damage falls off over the area's width ("angle"), and six (factor, offset) pairs change
    // the damage amounts 1 to 4, the second and the first further value, in that order.
    static constexpr int32_t kModifierValues = 12;
    static constexpr float kDefaultReachBonus = 50.0f;
    float reach = 0.0f;
    float reachBonus = kDefaultReachBonus;
    float fallOff = 0.0f;
    float modifiers[kModifierValues] = {1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f};
};
