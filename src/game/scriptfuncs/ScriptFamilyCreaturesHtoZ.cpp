// ScriptFamilyCreaturesHtoZ: the built-ins from 'H' on for the life, death, health, mana and
// experience of creatures, knock-back and influences. A failed creature test ends a branch
// silently unless the row warns; the calls players must see go on to the clients.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptCreatureArgs.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <iterator>

using ScriptCreatureArgs::CreatureOrWarn;

namespace {

// ---- Life and death ----

void IsMCDead(ScriptCall& call)
{
    CreatureObj* hero = call.GetCtrl().GetMainChar();
    call.SetInt(hero && hero->IsDead());
}

void IsDead(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->IsDead());
}

// An ID that names no element is no creature, without a report.
void IsCreature(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedInt(0))
        return;
    const WorldElem* elem = call.GetWorld().GetObjNoCheck(call.Int(0), false);
    call.SetInt(elem && elem->IsCreature());
}

void IsEnemy(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    if (WorldElem* other = call.Object(1))
        call.SetInt(elem->IsEnemyOf(other, true));
}

// A player's creature on the network game server dies where its player plays: the call only
// goes on to the clients.
void Kill(ScriptCall& call)
{
    if (!call.NeedCount(1, 2))
        return;
    CreatureObj* victim = CreatureOrWarn(call, 0, "Can not kill none creature");
    if (!victim)
        return;
    WorldElem* killer = nullptr;
    if (call.GetCount() >= 2) {
        killer = call.Object(1);
        if (!killer)
            return;
    }
    if (victim->IsMainCharacter() && call.GetCtrl().IsNetworkGameServer()) {
        call.Forward(call.GetCount(), victim, 1, 1);
        return;
    }
    victim->Kill(killer, -2);
}

// Mode 2 moves a creature that has just died (state 1) on to state 2; anything else lets it die.
void SetIsDead(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(1, -1);
    if (!creature)
        return;
    if (call.IntOr(1, 1) == 2 && creature->m_Dead == 1)
        creature->m_Dead = 2;
    else
        creature->Die();
    call.Forward(call.GetCount(), creature, 1, 1);
}

void Revive(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not revive none creature");
    if (!creature)
        return;
    GameCtrl& ctrl = call.GetCtrl();
    const int32_t slot = call.GetCount() >= 2 ? call.Int(1) : ctrl.GetInputIndexFor(creature);
    ctrl.AttachCreatureToInput(creature, slot);
    call.Forward();
}

// ---- Health, mana and experience ----

void SetHealth(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not set health points of none creature"))
        creature->SetHealth(call.FloatArg(1));
}

// Lowering the mana spends the difference, so that whatever reacts to mana use does.
void SetMana(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not set mana of none creature");
    if (!creature)
        return;
    const float mana = call.FloatArg(1);
    if (mana < creature->m_Mana)
        creature->UseMana(creature->m_Mana - mana);
    else
        creature->m_Mana = mana;
}

// Mortal again with no health left, the creature dies at once.
void SetImmortal(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not set health points of none creature");
    if (!creature)
        return;
    const uint8_t immortal = call.Int(1) != 0 ? 1 : 0;
    if (immortal != creature->m_Stats.immortal) {
        creature->m_Stats.immortal = immortal;
        if (!immortal && !creature->IsDead() && creature->GetHealth() <= 0.0f)
            creature->Kill(nullptr, -2);
    }
    call.Forward(call.GetCount(), creature, 1, 1);
}

// One argument fills up at once; three or four spread the amount over the time. Two are refused.
template <bool kHealth> void Refill(ScriptCall& call)
{
    if (!call.NeedCount(1, kHealth ? 4 : -1) || (call.GetCount() == 2 && !call.Refuse()))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.Warning("No creature specified in function %s", call.GetName());
        return;
    }
    auto* creature = static_cast<CreatureObj*>(elem);
    const float amount = call.FloatArg(1), seconds = call.FloatArg(2);
    if constexpr (kHealth) {
        if (call.GetCount() == 1)
            creature->RefillHealthToMax();
        else
            creature->RefillHealth(amount, seconds, call.IntOr(3, 0) != 0);
    } else {
        if (call.GetCount() == 1)
            creature->RefillManaToMax();
        else
            creature->RefillMana(amount, seconds);
    }
    call.Forward(call.GetCount(), creature, 1, 1);
}
void RefillHealth(ScriptCall& call) { Refill<true>(call); }
void RefillMana(ScriptCall& call) { Refill<false>(call); }

void NotifyNoMana(ScriptCall& call)
{
    if (call.CountedCreature(1, -1))
        call.GetCtrl().NotifyNoMana();
}

void SetReceiveDamage(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, -1))
        creature->m_Stats.receiveDamage = call.Int(1) != 0 ? 1 : 0;
}

void SetImmunity(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->m_ImmunityMask = uint32_t(call.Int(1));
}

// Only creatures join a summoner's list; the answer is the list's new count.
void SetSummonedBy(ScriptCall& call)
{
    WorldElem* summoned = call.CountedObject(2, -1);
    if (!summoned)
        return;
    CreatureObj* summoner = CreatureOrWarn(call, 1, "Can not SetSummonedBy on none creature");
    if (summoner && summoned->IsCreature())
        call.SetInt(summoner->AddSummoned(static_cast<CreatureObj*>(summoned)));
}

// A receiver below 0, or the creature itself, gives the creature its own experience again.
void SetXPReceiver(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem || !elem->IsCreature())
        return;
    auto* creature = static_cast<CreatureObj*>(elem);
    if (call.Int(1) < 0 || call.Int(1) == elem->m_ObjID) {
        creature->m_ExperienceReceiver = nullptr;
        return;
    }
    if (WorldElem* receiver = call.Object(1))
        creature->m_ExperienceReceiver = receiver;
}

void SetExperience(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->SetExperience(float(call.Int(1)));
}

// The kill experience becomes the gain; the experience per point of damage the second value
// spread over the creature's maximum health (taken as it is without one).
void SetExperienceGain(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(2, -1);
    if (!creature)
        return;
    const float gain = call.FloatArg(1);
    const float second = call.GetCount() >= 3 ? call.FloatArg(2) : gain;
    const float maxHealth = creature->GetMaxHealth();
    creature->m_Stats.expKill = gain;
    creature->m_Stats.expDamage = maxHealth > 0.0f ? second / maxHealth : second;
}

void SetCharacterLevel(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->SetCharacterLevel(call.Int(1));
}

// ---- Knock-back and influences ----

void SetKnockBackSpd(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(3, 3)) {
        elem->m_VelocityX = call.FloatArg(1);
        elem->m_VelocityY = call.FloatArg(2);
    }
}

void KnockBack(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(3, -1))
        elem->AddImpulse(call.FloatArg(1), call.FloatArg(2));
}

void KnockDown(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(1, -1))
        creature->KnockDown(1.0f);
}

void RemoveKnockBack(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(1, -1))
        elem->ProjectVelocity(nullptr);
}

// The creature and the influence type that both influence rows name (they share the warning);
// null when the count, the creature or the type is wrong.
CreatureObj* InfluenceSubject(ScriptCall& call, int32_t& type)
{
    type = 0;
    if (!call.NeedCount(2, -1))
        return nullptr;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not remove influence of none creature");
    if (creature)
        type = ScriptCreatureArgs::InfluenceType(call, call.Text(1));
    return type ? creature : nullptr;
}

void RemoveInfluence(ScriptCall& call)
{
    int32_t type = 0;
    if (CreatureObj* creature = InfluenceSubject(call, type))
        creature->RemoveInfluence(type);
}

void IsInfluenced(ScriptCall& call)
{
    int32_t type = 0;
    if (CreatureObj* creature = InfluenceSubject(call, type))
        call.SetInt(creature->IsInfluenced(type, 0.0f, nullptr, false));
}

void RemoveForcedActions(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not RemoveForcedActions of none creature"))
        creature->RemoveForcedActions(call.Int(1));
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyCreaturesHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"IsMCDead", IsMCDead},
        {"IsEnemy", IsEnemy},
        {"IsDead", IsDead},
        {"SetKnockBackSpd", SetKnockBackSpd},
        {"KnockBack", KnockBack},
        {"KnockDown", KnockDown},
        {"IsCreature", IsCreature},
        {"Kill", Kill},
        {"SetHealth", SetHealth},
        {"SetMana", SetMana},
        {"SetImmortal", SetImmortal},
        {"RemoveInfluence", RemoveInfluence},
        {"IsInfluenced", IsInfluenced},
        {"RemoveForcedActions", RemoveForcedActions},
        {"RemoveKnockBack", RemoveKnockBack},
        {"SetSummonedBy", SetSummonedBy},
        {"RefillHealth", RefillHealth},
        {"RefillMana", RefillMana},
        {"SetXPReceiver", SetXPReceiver},
        {"Revive", Revive},
        {"SetExperience", SetExperience},
        {"SetExperienceGain", SetExperienceGain},
        {"SetReceiveDamage", SetReceiveDamage},
        {"NotifyNoMana", NotifyNoMana},
        {"SetImmunity", SetImmunity},
        {"SetIsDead", SetIsDead},
        {"SetCharacterLevel", SetCharacterLevel},
    };
    return {entries, std::size(entries)};
}
