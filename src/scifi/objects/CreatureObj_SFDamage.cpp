// CreatureObj_SF: the poison state (combining poisons, its damage over time) and the health state
// that the monster health display shows.
#include "scifi/objects/CreatureObj_SF.h"

#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

// The stronger poison takes the lead, but a weaker one still lengthens the running one: the rate
// is the mean weighted by each poison's total, and the time grows as the fourth-power sum of the
// totals, so two equal poisons do not simply add up.
bool CreatureObj_SF::CombinePoison(float& rate, float& time, float newRate, float newTime)
{
    if (!(newTime > 0.0f) || !(newRate > 0.0f))
        return false;  // nothing to add, and A + B below could become 0
    const float a = std::max(rate * time, 0.0f);
    const float b = newRate * newTime;
    const float w = a / (a + b);
    rate = rate * w + newRate * (1.0f - w);
    time = std::pow(a * a * a * a + b * b * b * b, 0.25f) / rate;
    return b > a;
}

int32_t CreatureObj_SF::GetHealthState() const
{
    const float maximum = m_Values.maxHealth;
    if (!(maximum > 0.0f))
        return 0;  // a creature without health to lose shows none
    const float h = m_Health / maximum;
    if (h >= 1.0f)
        return 4;
    if (h >= 0.66f)
        return 3;
    if (h >= 0.33f)
        return 2;
    return h > 0.0f ? 1 : 0;
}

void CreatureObj_SF::ClearPoison()
{
    m_PoisonTime = 0.0f;
    m_PoisonAccumulator = 0.0f;
    m_Poisoner = nullptr;
}

// Poison gathers every frame; monsters take it in steps of at least one second's worth, heroes
// (whose health display runs smoothly) every frame. What is left when the poison ends is dealt
// then, so that a poison's last part of a second (or a rounding short of a whole step) is not
// lost.
void CreatureObj_SF::ApplyDamageOverTime(float dt)
{
    if (m_PoisonTime > 0.0f) {
        const float t = std::min(dt, m_PoisonTime);
        if (m_Poisoner.Get() && (!m_World || m_World->GetObjNoCheck(m_PoisonerID, false) != m_Poisoner.Get()))
            m_Poisoner = nullptr;
        m_PoisonAccumulator += t * m_PoisonDamage * m_Values.protection.poison;
        m_PoisonTime -= t;
    }
    const bool stepDue = m_PoisonAccumulator >= m_PoisonDamage || !(m_PoisonTime > 0.0f) || IsPlayerCharacter();
    if (m_PoisonAccumulator > 0.0f && stepDue) {
        const float amount = m_PoisonAccumulator;
        m_PoisonAccumulator -= amount;
        DamageDirect(amount, m_Poisoner.Get(), 0, 0, 1, -2);
    }
}
