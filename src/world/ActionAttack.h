// ActionAttack: one attack of an action entry ("ATTACK" blocks of "cfg\actions.cfg"): its moment
// and scripts, and the damage the hit does. The controller's factory makes it, so that the game's
// rules put their own attack class in the action entries; a copy is made by type.
#pragma once
#include "base/cfDynamicObject.h"
#include "world/ActionEntryBase.h"
#include "world/DamageEntry.h"

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
    }
};
