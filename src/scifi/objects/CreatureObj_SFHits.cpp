// CreatureObj_SF: a hit on its way: the damage set an attacker builds from its attack, and what a
// hit does when it reaches the creature: reflection, defence, armour and protection, the mana and
// energy shields, blocking and direction, poison, leech and the secondary effects.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/ctrl/GameCtrl.h"
#include "level/Angle.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/ActionAttack_SF.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/GameCtrlInterface.h"

#include <cmath>

namespace {

constexpr float kLeechSeconds = 2.0f;
constexpr float kBlastTimeMargin = 0.1f;  // the blast knock-down ends just before the throw does

// The game's part of a set of either class (with game functions or evaluated); false for a set
// of the engine's alone.
template <class F> bool WithGameValues(DamageValues& damage, F&& f)
{
    if (auto* values = dynamic_cast<DamageValues_SF*>(&damage)) {
        f(*values);
        return true;
    }
    if (auto* values = dynamic_cast<DamageValues_SF_Clean*>(&damage)) {
        f(*values);
        return true;
    }
    return false;
}

}  // namespace

// What is left of amount a against defence d: the defence takes a share that grows with both,
// so that a strong hit goes through armour better than many weak ones.
float CreatureObj_SF::DamageFunction(float a, float d, float k)
{
    if (!(a > 0.0f))
        return 0.0f;
    return a * std::exp(-(d / a) * (k * a * d + 1.0f));
}

DamageValues* CreatureObj_SF::GetAttackDamageValues(DamageValuesHolder& out, ActionAttack& attack, bool scale)
{
    UpdateOwnDamageValues();
    GetDamageValues(out);
    auto* values = dynamic_cast<DamageValues_SF*>(out.Get());
    const auto* entry = dynamic_cast<const ActionAttack_SF*>(&attack);
    if (!values || !entry) {
        if (out)
            out->ApplyModifiers(attack.modifiers);
        return out.Get();
    }
    float total = 0.0f;  // both physical amounts as dealt
    for (int32_t i = 0; i < 2; i++) {
        float value = values->physical[i].GetRawValue();
        if (scale)
            value = (entry->damPhys[i].attributes[0].GetValue(this) * value +
                     entry->damPhys[i].attributes[1].GetValue(this)) *
                    m_Modifiers.damageDealt[i];
        values->physical[i].SetValue(value);
        value = values->physical[i].GetValue(this);
        ApplyMonsterDamageScaling(value);
        values->physical[i].Clear();  // the amount is final: no function reads it again
        values->physical[i].SetValue(value);
        total += value;
    }
    values->poison = entry->damPoison[0] * values->poison + entry->damPoison[1];
    ApplyMonsterDamageScaling(values->poison);
    values->poisonTime = entry->damPoisonTime[0] * values->poisonTime + entry->damPoisonTime[1];
    values->ApplyModifiers(attack.modifiers);
    values->weaken = entry->weaken[0] * values->valueA + entry->weaken[1];
    values->manaLeech = entry->manaLeech[0] * values->manaLeech + entry->manaLeech[1];
    values->healthLeech = entry->healthLeech[0] * values->healthLeech + entry->healthLeech[1];
    values->blastKnockDown = entry->blastKnockDown * total;
    values->inflame[0] = total * entry->inflame[0];
    values->inflame[1] = entry->inflame[1];
    return values;
}

void CreatureObj_SF::ApplyHit(DamageValues* damage, WorldElem* attacker, const D3DXVECTOR2& source, int32_t tag)
{
    if (!damage)
        return;
    SmartPtr<WorldElem> alive(this);
    SmartPtr<WorldElem> attackerRef(attacker);
    if (auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl))
        ctrl->OnCreatureHit(*this, *damage, attacker, source, tag);
    float raw[2] = {0.0f, 0.0f};
    float poison = 0.0f, poisonTime = 0.0f, weaken = 0.0f, blast = 0.0f, manaLeech = 0.0f, healthLeech = 0.0f;
    float inflame[2] = {0.0f, 0.0f};
    const bool game = WithGameValues(*damage, [&](auto& v) {
        raw[0] = v.GetPhysical(0);
        raw[1] = v.GetPhysical(1);
        poison = v.poison;
        poisonTime = v.poisonTime;
        weaken = v.weaken;
        blast = v.blastKnockDown;
        manaLeech = v.manaLeech;
        healthLeech = v.healthLeech;
        inflame[0] = v.inflame[0];
        inflame[1] = v.inflame[1];
    });
    if (!alive.Get())
        return;
    if (!game) {  // a set of the engine's alone carries no game values to apply
        CreatureObj::ApplyHit(damage, attackerRef.Get(), source, tag);
        return;
    }

    if (auto* striker = dynamic_cast<CreatureObj*>(attackerRef.Get()); striker && striker->IsCreature()) {
        const float reflected = raw[0] * m_Modifiers.reflect[0] + raw[1] * m_Modifiers.reflect[1];
        if (reflected > 0.0f)
            striker->DamageDirect(reflected, this, 0, 0, 0, -2);
        if (!alive.Get())
            return;
    }
    attacker = attackerRef.Get();
    const D3DXVECTOR2 pos = GetPos();
    const float amount = ComputeHitDamage(*damage, attacker, source.x - pos.x, source.y - pos.y);

    if (amount > 0.0f || damage->IsZero()) {
        if (CombinePoison(m_PoisonDamage, m_PoisonTime, poison, poisonTime)) {
            m_Poisoner = attacker;
            m_PoisonerID = attacker ? attacker->m_ObjID : -1;
        }
    }
    if (amount == 0.0f && IsBaseDummyMove()) {  // blocked whole
        DamageDirect(amount, attacker, 1, damage->enabled, 0, -2);
        return;
    }
    if (auto* striker = dynamic_cast<CreatureObj*>(attacker); striker && striker->IsCreature()) {
        if (manaLeech != 0.0f)
            striker->RefillMana(amount * manaLeech, kLeechSeconds);
        if (healthLeech != 0.0f)
            striker->RefillHealth(amount * healthLeech, kLeechSeconds, false);
    }

    if (damage->damage[2] > 0.0f && damage->damage[3] > 0.0f)
        AddInfluence(kEffectStun, InfluenceParams(damage->damage[2], damage->damage[3]));
    if (damage->valueA > 0.0f)
        AddInfluence(kEffectSlow, InfluenceParams(1.0f, damage->valueA), -1, true);
    if (damage->valueB > 0.0f)
        AddInfluence(kEffectFreeze, InfluenceParams(1.0f, damage->valueB));
    if (weaken > 0.0f)
        AddInfluence(kEffectWeaken, InfluenceParams(1.0f, weaken));
    if (damage->damage[1] > 0.0f && !(IsPlayerCharacter() && IsInfluenced(kEffectKnockDown, 0.0f, nullptr, false)))
        KnockDown(damage->damage[1]);
    if (damage->damage[0] > 0.0f && blast > 0.0f)
        StartBlastKnockDown(damage->damage[0], blast, attacker);
    if (inflame[0] > 0.0f && inflame[1] > 0.0f)
        AddInfluence(kEffectInflame, InfluenceParams(inflame[0] / inflame[1], inflame[1], attacker));
    if (!alive.Get())
        return;
    DamageDirect(amount, attackerRef.Get(), 0, damage->enabled, 0, tag);
}

// The blast throws the creature away from its causer; it lies knocked down about as long as the
// throw lasts, and what it hits on the way takes the blast's damage (OnCollisionEvent).
void CreatureObj_SF::StartBlastKnockDown(float strength, float damage, WorldElem* attacker)
{
    if (attacker) {
        const D3DXVECTOR2 from = attacker->GetPos();
        const D3DXVECTOR2 to = GetPos();
        const float length = std::hypot(to.x - from.x, to.y - from.y);
        if (length > 0.0f)
            AddPush((to.x - from.x) / length * strength, (to.y - from.y) / length * strength);
    }
    AddInfluence(kEffectBlastKnockDown, InfluenceParams(damage, GetStopTime(strength) - kBlastTimeMargin, attacker));
}

float CreatureObj_SF::ComputeHitDamage(DamageValues& damage, WorldElem* attacker, float dx, float dy)
{
    float raw[2] = {0.0f, 0.0f};
    WithGameValues(damage, [&](auto& v) {
        raw[0] = v.GetPhysical(0);
        raw[1] = v.GetPhysical(1);
    });
    const float k = g_SciFiRules.damageFuncFactorA;
    float amount[2];
    float defence[2];
    float estimate = 0.0f;  // what the shields would have to take
    for (int32_t i = 0; i < 2; i++) {
        amount[i] = raw[i] * m_Modifiers.damageTaken[i];
        defence[i] = m_Values.defPhys[i] + m_Values.armour;
        estimate += DamageFunction(amount[i], defence[i] * g_SciFiRules.armourShieldFactor, k);
    }
    if (estimate != 0.0f)
        m_TimeSinceAction = 0.0f;

    float rest = estimate;
    float scale = 1.0f;
    const float manaShield = m_Modifiers.manaShield;
    if (manaShield != 0.0f) {
        if (estimate / manaShield <= m_Mana) {
            m_Mana -= estimate / manaShield;
            return 0.0f;
        }
        rest = estimate - m_Mana * manaShield;
        m_Mana = 0.0f;
        scale = rest / estimate;
    }
    if (m_ShieldEnergy > 0.0f) {
        if (rest <= m_ShieldEnergy) {
            m_ShieldEnergy -= rest;
            return 0.0f;
        }
        scale *= (rest - m_ShieldEnergy) / rest;
        m_ShieldEnergy = 0.0f;
    }
    if (scale != 1.0f) {
        for (float& a : amount)
            a *= scale;
        WithGameValues(damage, [&](auto& v) {
            v.SetPhysical(0, raw[0] * scale);
            v.SetPhysical(1, raw[1] * scale);
        });
    }

    float result = 0.0f;
    for (int32_t i = 0; i < 2; i++) {
        const float part = DamageFunction(amount[i], defence[i], k) * m_Values.protection.physical[i];
        if (part > 0.0f)
            result += part;
    }
    if (!(result > 0.0f))
        return result;

    const float hitAngle = std::atan2(dy, dx);
    if (IsBaseDummyMove() && Angle::Distance(hitAngle, GetAngle()) < m_Block[2]) {
        const float left = result - m_Block[1];
        result = left < 0.0f ? 0.0f : left * (1.0f - m_Block[0]);
    }
    if (result > 0.0f) {
        // The cycles' and the creature's direction curves and its resistance, then the skills.
        result = GetTurnFactor(result, dx, dy) * GetDamageReceiveFactor(attacker);
        if (auto* striker = dynamic_cast<CreatureObj_SF*>(attacker))
            result *= striker->GetDamageDealFactor(this);
    }
    return result;
}

// A hero's defensive and offensive skills (slots 3 and 2 of its input controller, at the level of
// their chains in use) scale the damage it takes and deals through their scripts.
float CreatureObj_SF::GetSkillSlotFactor(WorldElem* other, bool received)
{
    auto* input = dynamic_cast<SciFiInputCtrl*>(m_InputCtrl);
    auto* ctrl = dynamic_cast<GameCtrl*>(g_GameCtrl);
    if (!input || !ctrl || !IsHeroCreature(this))
        return 1.0f;
    float factor = 1.0f;
    for (int32_t slot : {3, 2})
        if (SkillTreeEntry* skill = input->GetSkillSlot(slot, true, false))
            factor *= received ? skill->GetDamageReceiveFactor(*ctrl, this, other)
                               : skill->GetDamageDealFactor(*ctrl, this, other);
    return factor;
}

float CreatureObj_SF::GetDamageReceiveFactor(WorldElem* attacker) { return GetSkillSlotFactor(attacker, true); }

float CreatureObj_SF::GetDamageDealFactor(WorldElem* target) { return GetSkillSlotFactor(target, false); }
