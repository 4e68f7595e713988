// ScriptFamilyCreaturesAtoG: the built-ins before 'H' that read and steer creatures: AI targets,
// strategy and actions, health, mana, damage and influences, animation timing, experience and
// levels, and the mobs. An element that is not a creature gives a getter its typed 0.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemObj.h"
#include "game/objects/MobData.h"
#include "game/objects/SceneObject.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptCreatureArgs.h"
#include "world/ActionEntry.h"
#include "world/ProjectileBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <iterator>

using ScriptCreatureArgs::CreatureOrWarn;

namespace {

int32_t IdOf(const WorldElem* elem) { return elem ? elem->m_ObjID : -1; }

// ---- AI and actions ----

// Slot n from 1; n above the 16 slots is empty; without n (or below 1) the current action's target.
void GetAITarget(ScriptCall& call)
{
    call.SetTypeInt();
    CreatureObj* creature = call.CountedCreature(1, 2);
    if (!creature)
        return;
    const int32_t n = call.IntOr(1, 0);
    if (n >= ScriptCreatureArgs::kFirstTargetSlot) {
        call.SetInt(ScriptCreatureArgs::IsTargetSlot(n) ? IdOf(creature->m_ElemRefs[n - 1].Get()) : -1);
        return;
    }
    KI_ActionData current;
    creature->GetCurrentActionData(current);
    call.SetInt(IdOf(current.target.Get()));
}

// Only the AI states that aim at something have a target position; a second argument, when
// there is one, must be an Int.
void AITargetPos(ScriptCall& call, int32_t axis)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1) || !call.NeedInt(0) || (call.GetCount() >= 2 && !call.NeedInt(1)))
        return;
    CreatureObj* creature = call.Creature(0);
    if (!creature)
        return;
    const int32_t state = creature->m_AIState;
    if (state != 4 && (state < 20 || state > 23)) {
        call.SetFloat(-1.0);
        return;
    }
    if (WorldElem* target = creature->m_TargetElem.Get()) {
        const D3DXVECTOR2 pos = target->GetPos();
        call.SetFloat(axis == 0 ? pos.x : pos.y);
    } else {
        call.SetFloat(creature->m_TargetValues[axis]);
    }
}
void GetAITargetPosX(ScriptCall& call) { AITargetPos(call, 0); }
void GetAITargetPosY(ScriptCall& call) { AITargetPos(call, 1); }

void GetStrategy(ScriptCall& call)
{
    call.SetTypeString();
    if (!call.NeedCount(1, -1) || !call.NeedInt(0))
        return;
    if (CreatureObj* creature = call.Creature(0)) {
        const KI_Strategy* strategy = creature->GetDecision();
        call.SetString(strategy ? strategy->name.c_str() : "");
    }
}

void GetLastEnemy(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1) || !call.NeedInt(0))
        return;
    if (CreatureObj* creature = call.Creature(0))
        call.SetInt(IdOf(creature->m_LastEnemy.Get()));
}

void AlertEnemy(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(2, -1);
    if (!creature)
        return;
    if (WorldElem* enemy = call.Object(1))
        call.GetWorld().AlertEnemy(creature, 1, enemy);
}

void DoAction(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    if (CreatureObj* creature = call.Creature(0))
        call.SetInt(creature->StartAction(CreatureObj::kActionEntry, String(call.Text(1)), nullptr,
                                          CreatureObj::kAttackLockPriority, 0.0f));
}

void ClearAI(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(1, 1);
    if (!creature)
        return;
    creature->m_AIActions.DeleteAll();
    creature->ReAssessAI(ScriptCreatureArgs::kReassessAlways);
}

void ClearAction(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(1, 1))
        creature->ClearAction();
}

// The running action's lock, or the movement's while no action runs.
void GetForcePriority(ScriptCall& call)
{
    call.SetTypeInt();
    CreatureObj* creature = call.CountedCreature(1, 1);
    if (!creature)
        return;
    call.SetInt(creature->m_ActionState.actionCode != CreatureObj::kActionNone ? creature->GetActionForcePriority()
                                                                               : creature->GetMovementForcePriority());
}

void GetTotalDamageSinceLastAIReassess(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not GetTotalDamageSinceLastAIReassess of none creature"))
        call.SetFloat(creature->m_RecentDamageSum);
}

void GetCombatMode(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(1, -1))
        call.SetInt(creature->m_Stats.combatMode);
}

// The creature's intention becomes drawing its weapon; it draws as soon as no action runs.
void DrawWeapon(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(1, -1);
    if (!creature)
        return;
    KI_ActionData draw;
    draw.task = kIntentDrawWeapon;
    creature->SetIntention(draw, -1.0f, 0);
}

// The creature's mob runs its script only while the mob table still holds it.
void CallMobScript(ScriptCall& call)
{
    call.SetInt(0);
    CreatureObj* creature = call.CountedCreature(1, 1);
    if (!creature)
        return;
    MobData* mob = creature->m_MobData.Get();
    if (mob && call.GetCtrl().GetMob(mob->mobNumber) == mob)
        mob->RunMobScript();
}

// ---- Health, damage and influences ----

void GetHealth(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not get health points of none creature"))
        call.SetFloat(creature->GetHealth());
}

void GetMana(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not get mana of none creature"))
        call.SetFloat(creature->GetMana());
}

// An attacker ID below 0 is no attacker.
void DamageDirect(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(2, -1);
    if (!creature)
        return;
    WorldElem* attacker = nullptr;
    if (call.GetCount() >= 3 && call.Int(2) >= 0) {
        attacker = call.Object(2);
        if (!attacker)
            return;
    }
    creature->DamageDirect(call.FloatArg(1), attacker, 0, call.IntOr(3, 1), 0, -2);
}

// An unknown type name is reported and the influence still goes to the creature (as type 0,
// which the creature drops).
void AddInfluence(ScriptCall& call)
{
    if (!call.NeedCount(3, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not add influence to none creature");
    if (!creature)
        return;
    const int32_t type = ScriptCreatureArgs::InfluenceType(call, call.Text(1));
    const float second = call.GetCount() >= 4 ? call.FloatArg(3) : 1.0f;
    WorldElem* source = nullptr;
    if (call.GetCount() >= 5 && call.Int(4) >= 0) {
        source = call.Object(4);
        if (!source)
            return;
    }
    int32_t value = call.IntOr(5, 0);
    if (type == CreatureObj::kEffectWeaponPoison && value == 0)
        value = 10;  // a poisoned weapon without a given strength
    InfluenceParams params;
    params.InitObject(call.FloatArg(2), second, source, value);
    creature->AddInfluence(type, params, -1, call.IntOr(6, 0) != 0);
}

void AddItemInfluence(ScriptCall& call)
{
    if (!call.NeedCount(3, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not add influence to none creature");
    if (!creature)
        return;
    InfluenceParams params;
    params.InitItem(call.Text(1), call.FloatArg(2));
    creature->AddInfluence(CreatureObj::kEffectItem, params, -1, call.IntOr(3, 0) != 0);
    call.Forward(call.GetCount(), creature, 1, 1);
}

void GetImmortal(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(1, 1))
        call.SetInt(creature->m_Stats.immortal != 0);
}

void GetDieCycle(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(1, 1))
        call.SetInt(creature->m_Cycle.deathVariant);
}

// ---- Animation ----

// The cycle is the player: 0 the base, 1 the second; any other number has no cycle.
void GetAniCycleTime(ScriptCall& call)
{
    call.SetTypeFloat();
    WorldElem* elem = call.CountedObject(1, 2);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.Error("Can not GetAniCycleTime() of none-creature");
        return;
    }
    const int32_t type = call.IntOr(1, 0);
    if (type >= 0 && type < CreatureObj::kCycleTypes)
        call.SetFloat(static_cast<CreatureObj*>(elem)->m_CyclePlayers[type].GetLength());
}

// A creature's time is its base cycle player's; an item's its own clock.
void GetAniTime(ScriptCall& call)
{
    call.SetTypeFloat();
    WorldElem* elem = call.CountedObject(1, -1);
    if (!elem)
        return;
    if (elem->IsCreature())
        call.SetFloat(static_cast<CreatureObj*>(elem)->m_CyclePlayers[0].GetTime());
    else if (elem->m_TypeCode == ElemType::kItem)
        call.SetFloat(static_cast<ItemObj*>(elem)->GetAniTime());
    else
        call.Error("Can not GetAniTime() on none-object");
}

void GetAniSpeed(ScriptCall& call)
{
    call.SetTypeFloat();
    WorldElem* elem = call.CountedObject(1, -1);
    if (!elem)
        return;
    if (auto* scene = dynamic_cast<SceneObject*>(elem))
        call.SetFloat(scene->m_AniSpeed);
    else
        call.Error("Can not GetAniSpeed() on none-object");
}

void GetCreatureMesh(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(2, -1))
        call.SetInt(creature->GetMeshVariation(call.Int(1)));
}

void GetCreatureTexture(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(2, -1))
        call.SetInt(creature->GetTextureVariation(call.Int(1)));
}

void GetEffectDuration(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    ActionEntry* entry = call.GetWorld().FindActionEntry(call.Text(0), true);
    if (!entry)
        return;
    float longest = 0.0f;
    for (int32_t i = 0; i < entry->effects.GetSize(); i++) {
        const ActionEffect* effect = entry->effects.GetAt(i);
        if (effect && effect->emitDuration > 0.0f)
            longest = std::max(longest, effect->emitDuration);
    }
    call.SetFloat(longest);
}

// ---- Experience, levels and mobs ----

void GetExperience(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(1, 1))
        call.SetInt(creature->GetExperience());
}

void AddExperience(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->AddExperience(float(call.Int(1)), true);
}

void GetCharacterLevel(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->GetLevel());
}

void GetMonsterLevel(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(1, -1))
        call.SetInt(call.GetCtrl().GetMonsterLevel(call.FloatArg(0)));
}

void GetMightFromMonsterLevel(ScriptCall& call)
{
    call.SetTypeFloat();
    if (call.NeedCount(1, -1))
        call.SetFloat(call.GetCtrl().GetMonsterLevelMight(call.FloatArg(0)));
}

void GetProjectileMaxDist(ScriptCall& call)
{
    call.SetTypeFloat();
    WorldElem* elem = call.CountedObject(1, 1);
    if (elem && elem->m_TypeCode == ElemType::kProjectile)
        call.SetFloat(static_cast<ProjectileBase*>(elem)->m_Range);
}

// Numbers count from 1 and are held to the mob's 16; a mob number the table does not hold is
// read as nothing (Int 0) rather than indexed.
void GetMobFloatVariable(ScriptCall& call)
{
    if (!call.NeedCount(2, 2) || !call.NeedInt(0))
        return;
    MobData* mob = call.GetCtrl().GetMob(call.Int(0));
    if (!mob) {
        call.SetInt(0);
        return;
    }
    const int32_t n = std::clamp(call.Int(1), 1, MobData::kVariables);
    call.SetFloat(mob->variables[n - 1]);
}

void GetRandomNumber(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->GetMyRndFraction());
}

void GetRandomIntNumber(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->GetMyRnd());
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyCreaturesAtoG()
{
    static const ScriptBuiltinEntry entries[] = {
        {"GetAITarget", GetAITarget},
        {"GetAITargetPosX", GetAITargetPosX},
        {"GetAITargetPosY", GetAITargetPosY},
        {"GetStrategy", GetStrategy},
        {"GetLastEnemy", GetLastEnemy},
        {"AlertEnemy", AlertEnemy},
        {"DoAction", DoAction},
        {"ClearAI", ClearAI},
        {"ClearAction", ClearAction},
        {"GetForcePriority", GetForcePriority},
        {"GetTotalDamageSinceLastAIReassess", GetTotalDamageSinceLastAIReassess},
        {"GetCombatMode", GetCombatMode},
        {"DrawWeapon", DrawWeapon},
        {"CallMobScript", CallMobScript},
        {"GetHealth", GetHealth},
        {"GetMana", GetMana},
        {"DamageDirect", DamageDirect},
        {"AddInfluence", AddInfluence},
        {"AddItemInfluence", AddItemInfluence},
        {"GetImmortal", GetImmortal},
        {"GetDieCycle", GetDieCycle},
        {"GetAniCycleTime", GetAniCycleTime},
        {"GetAniTime", GetAniTime},
        {"GetAniSpeed", GetAniSpeed},
        {"GetCreatureMesh", GetCreatureMesh},
        {"GetCreatureTexture", GetCreatureTexture},
        {"GetEffectDuration", GetEffectDuration},
        {"GetExperience", GetExperience},
        {"AddExperience", AddExperience},
        {"GetCharacterLevel", GetCharacterLevel},
        {"GetMonsterLevel", GetMonsterLevel},
        {"GetMightFromMonsterLevel", GetMightFromMonsterLevel},
        {"GetProjectileMaxDist", GetProjectileMaxDist},
        {"GetMobFloatVariable", GetMobFloatVariable},
        {"GetRandomNumber", GetRandomNumber},
        {"GetRandomIntNumber", GetRandomIntNumber},
    };
    return {entries, std::size(entries)};
}
