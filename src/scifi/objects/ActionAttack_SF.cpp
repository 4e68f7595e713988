// ActionAttack_SF: reset and copy of the game's attack part.
#include "scifi/objects/ActionAttack_SF.h"

namespace {

void SetPair(float (&pair)[2], float first, float second)
{
    pair[0] = first;
    pair[1] = second;
}

}  // namespace

void ActionAttack_SF::CopyTo(cfDynamicObject* other) const
{
    auto* to = dynamic_cast<ActionAttack_SF*>(other);
    if (!to) {
        ActionAttack::CopyTo(other);  // an engine attack takes the engine's part
        return;
    }
    if (to == this)
        return;
    *to = *this;  // the engine part, then the ranges in their order, names included
}

void ActionAttack_SF::ResetAttack()
{
    ActionAttack::ResetAttack();
    SetPair(healthLeech, 1.0f, 0.0f);
    for (AttributePair& pair : damPhys) {
        pair.attributes[0] = TransformableAttribute(1.0f);
        pair.attributes[1] = TransformableAttribute(0.0f);
    }
    SetPair(damPoison, 1.0f, 0.0f);
    SetPair(damPoisonTime, 1.0f, 0.0f);
    SetPair(weaken, 1.0f, 0.0f);
    SetPair(manaLeech, 1.0f, 0.0f);
    blastKnockDown = 0.0f;
    SetPair(inflame, 0.0f, 0.0f);
}
