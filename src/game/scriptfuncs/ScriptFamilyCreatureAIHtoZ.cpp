// ScriptFamilyCreatureAIHtoZ: the built-ins from 'H' on that steer a creature's AI (its current
// action, targets, events, strategy), its movement values and shots, and its animation cycles
// and looks. A failed creature test ends a branch silently unless the row says otherwise.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Color.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptCreatureArgs.h"
#include "world/ActionEntry.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <iterator>

using ScriptCreatureArgs::CreatureOrWarn;

namespace {

// ---- AI ----

// The rows that change the current action by copy: an Int creature and at least count
// arguments; a missing element or another element just ends the branch.
CreatureObj* ActionCreature(ScriptCall& call, int32_t count)
{
    if (!call.NeedCount(count, -1) || !call.NeedInt(0))
        return nullptr;
    WorldElem* elem = call.GetWorld().GetObjNoCheck(call.Int(0), false);
    return elem && elem->IsCreature() ? static_cast<CreatureObj*>(elem) : nullptr;
}

// The changed copy of the creature's current intention goes back as the current one, without
// time limit and at priority 0: it replaces the intention unless that one runs at a higher
// priority, and then waits below it.
template <class Change> void ChangeCurrentAction(CreatureObj& creature, Change change)
{
    KI_ActionData record;
    creature.GetCurrentActionData(record);
    change(record);
    creature.SetIntention(record, -1.0f, 0);
}

void SetAIStartEndAction(ScriptCall& call)
{
    if (CreatureObj* creature = ActionCreature(call, 3))
        ChangeCurrentAction(*creature, [&](KI_ActionData& record) {
            record.entry.startEndAction[0] = call.FloatArg(1);
            record.entry.startEndAction[1] = call.FloatArg(2);
        });
}

void SetAIMaxApproach(ScriptCall& call)
{
    if (CreatureObj* creature = ActionCreature(call, 2))
        ChangeCurrentAction(*creature, [&](KI_ActionData& record) { record.entry.maxApproach = call.FloatArg(1); });
}

// The zig-zag pair the runner steers by: the angle in degrees, and its second value.
void SetAIZigZag(ScriptCall& call)
{
    if (CreatureObj* creature = ActionCreature(call, 3))
        ChangeCurrentAction(*creature, [&](KI_ActionData& record) {
            record.vectors[2][0] = record.entry.goZigZag[0] = call.FloatArg(1) * ScriptCall::kDegToRad;
            record.vectors[2][1] = record.entry.goZigZag[1] = call.FloatArg(2);
        });
}

// The intention's two further values and its fifth value, which scripts give their own meaning.
void SetActionProperties(ScriptCall& call)
{
    if (!call.NeedCount(4, -1) || !call.NeedInt(0))
        return;
    WorldElem* elem = call.Object(0);
    if (elem && !elem->IsCreature())
        call.Error("None creature in function %s", call.GetName());
    if (CreatureObj* creature = elem && elem->IsCreature() ? static_cast<CreatureObj*>(elem) : nullptr)
        ChangeCurrentAction(*creature, [&](KI_ActionData& record) {
            record.vectors[1][0] = call.FloatArg(1);
            record.vectors[1][1] = call.FloatArg(2);
            record.fifthValue = call.FloatArg(3);
        });
}

// Slot n (1 to 16, default 1) the scripts read back with "GetAITarget"; other slots stay.
void SetAITarget(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedInt(0) || !call.NeedInt(1))
        return;
    CreatureObj* creature = call.Creature(0);
    const int32_t n = call.IntOr(2, 1);
    if (!creature || !ScriptCreatureArgs::IsTargetSlot(n))
        return;
    if (WorldElem* target = call.Object(1))
        creature->m_ElemRefs[n - 1] = target;
}

void SetLastEnemy(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedInt(0))
        return;
    CreatureObj* creature = call.Creature(0);
    if (!creature)
        return;
    WorldElem* enemy = nullptr;
    if (call.Int(1) >= 0) {
        enemy = call.Object(1);
        if (!enemy)
            return;
    }
    creature->SetLastEnemy(enemy);
}

void SetLastTargetPos(ScriptCall& call)
{
    if (!call.NeedCount(3, -1) || !call.NeedInt(0))
        return;
    if (CreatureObj* creature = call.Creature(0))
        creature->SetPair(call.FloatArg(1), call.FloatArg(2));
}

// Events 1 to 4: attacked (by the third argument's element), hit and hard hit (with a value),
// lost target. Other numbers do nothing.
void SetAIEvent(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Can not SetAIEvent of none creature");
    if (!creature)
        return;
    CreatureObj::AIEvents& events = creature->m_AIEvents;
    switch (call.Int(1)) {
    case 1: {
        WorldElem* attacker = nullptr;
        if (call.GetCount() >= 3) {
            attacker = call.Object(2);
            if (!attacker)
                return;
        }
        events.attacked = 1;
        events.attacker = attacker;
        break;
    }
    case 2:
    case 3:
        (call.Int(1) == 2 ? events.hit : events.hardHit) = 1;
        events.value = call.GetCount() >= 3 ? call.FloatArg(2) : 1.0f;
        break;
    case 4:
        events.lostTarget = 1;
        break;
    default:
        break;
    }
}

void ReAssessAI(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Object '%s' is no creature"))
        creature->ReAssessAI(ScriptCreatureArgs::kReassessAlways);
}

void SetStrategy(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, -1))
        creature->SetStrategy(String(call.Text(1) ? call.Text(1) : ""));
}

// Strategies by number come with the AI's strategy IDs; the call is checked and goes nowhere yet.
void SetStrategyID(ScriptCall& call) { call.CountedCreature(2, -1); }

void SetCombatMode(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, -1))
        creature->m_Stats.combatMode = call.Int(1);
}

// The colour the clients show the creature's name in; the server only keeps it for them.
void SetGuiColor(ScriptCall& call)
{
    if (!call.NeedCount(4, 4))
        return;
    CreatureObj* creature = CreatureOrWarn(call, 0, "Object '%s' is no creature");
    if (!creature)
        return;
    creature->m_Stats.guiColor = Color::FromFloats(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3));
    call.Forward(4, creature, 1, 1);
}

void Shoot(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(4, -1) || !call.NeedString(1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    ActionEntry* entry = call.GetWorld().FindActionEntry(call.Text(1), false);
    ActionShot* shot = entry ? entry->shots.GetAt(0) : nullptr;
    if (!shot)
        return;
    const D3DXVECTOR2 direction(call.FloatArg(2), call.FloatArg(3));
    elem->CallShotScript(shot, &direction, nullptr);
    call.SetInt(1);
    call.Forward(call.GetCount(), elem, 0, 0);
}

// Strength, reach, the kinds of elements it moves (creatures by default) and the attenuation.
void SetActForce(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(3, -1);
    if (!elem)
        return;
    ActForce& force = elem->m_ActForce;
    force.strength = call.FloatArg(1);
    force.maxDist = call.FloatArg(2);
    force.flags = call.IntOr(3, ActForce::kCreatures);
    force.attenuation[0] = call.GetCount() >= 5 ? call.FloatArg(4) : 0.0f;
    force.attenuation[1] = call.GetCount() >= 6 ? call.FloatArg(5) : 0.0f;
}

void SetCanMoveThroughFlags(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, -1))
        elem->m_CanMoveThrough = uint8_t(call.Int(1));
}

void SetAngleFront(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj* creature = CreatureOrWarn(call, 0, "Can not SetAngleFront of none creature"))
        creature->m_AngleFront = call.FloatArg(1);
}

// A creature walks, runs and turns aside at the one speed; its move speed follows.
void SetMoveSpd(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    const float speed = call.FloatArg(1);
    if (elem->IsCreature()) {
        auto* creature = static_cast<CreatureObj*>(elem);
        creature->m_Cycle.forwardSpeed = speed;
        creature->m_Cycle.backwardSpeed = speed;
        creature->m_Cycle.sideSpeed = speed;
        creature->SetMoveSpeed(speed);
    }
    call.Forward(call.GetCount(), nullptr, 1, 1);
}

void SetRotSpd(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    const float speed = call.FloatArg(1);
    elem->SetTurnRate(speed);
    if (elem->IsCreature())
        static_cast<CreatureObj*>(elem)->m_Cycle.rotationSpeed = speed;
    call.Forward(call.GetCount(), elem, 1, 1);
}

void SetIsFlying(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->m_IsFlying = call.Int(1) != 0 ? 1 : 0;
}

// ---- Animation cycles and looks ----

// Cycles by name are the creature's play operation to come; the call is checked and forwarded.
void PlayAniCycle(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.Error("Cycles can only be set on creatures");
        return;
    }
    call.Forward();
}

void SetAniCycleTime(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.Error("Can not SetAniCycleTime() of none-creature");
        return;
    }
    const int32_t cycle = std::clamp(call.IntOr(2, 0), 0, CreatureObj::kCycleTypes - 1);
    static_cast<CreatureObj*>(elem)->m_CyclePlayers[cycle].SetTime(call.FloatArg(1));
}

// The healthy, wounded and badly wounded idle cycles of weapon type 0 or 1, or of both for a
// negative type.
void SetBoredCycle(ScriptCall& call)
{
    if (!call.NeedCount(3, -1))
        return;
    const int32_t weaponType = call.Int(1);
    if (weaponType >= 2) {
        call.Error("Invalid weapon type in function %s", call.GetName());
        return;
    }
    CreatureObj* creature = call.Creature(0);
    if (!creature)
        return;
    constexpr int32_t kHealthStates = 3;
    const uint16_t cycle = uint16_t(call.Int(2));
    for (int32_t w = 0; w < 2; w++) {
        if (weaponType >= 0 && w != weaponType)
            continue;
        for (int32_t state = 0; state < kHealthStates; state++)
            creature->m_CycleWords[state * 2 + w] = cycle;
    }
    creature->PrepareAllCycles();
    call.Forward(call.GetCount(), creature, 1, 1);
}

void SetDieCycle(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->m_Cycle.deathVariant = uint8_t(std::clamp(call.Int(1), 0, 3));
}

void SetAnicycleHeightCurve(ScriptCall& call)
{
    if (CreatureObj* creature = call.CountedCreature(2, 2))
        creature->m_Cycle.heightTrack = uint8_t(call.Int(1));
}

template <bool kMesh> void SetCreatureLook(ScriptCall& call)
{
    CreatureObj* creature = call.CountedCreature(3, -1);
    if (!creature)
        return;
    if constexpr (kMesh)
        creature->SetMeshVariation(call.Int(1), call.Int(2));
    else
        creature->SetTextureVariation(call.Int(1), call.Int(2));
    creature->CommitMeshVariations();
    creature->ApplyMeshVariations();
}
void SetCreatureMesh(ScriptCall& call) { SetCreatureLook<true>(call); }
void SetCreatureTexture(ScriptCall& call) { SetCreatureLook<false>(call); }

}  // namespace

ScriptBuiltinFamily ScriptFamilyCreatureAIHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"SetAIStartEndAction", SetAIStartEndAction},
        {"SetAIMaxApproach", SetAIMaxApproach},
        {"SetAIZigZag", SetAIZigZag},
        {"SetAITarget", SetAITarget},
        {"SetLastEnemy", SetLastEnemy},
        {"SetLastTargetPos", SetLastTargetPos},
        {"SetActionProperties", SetActionProperties},
        {"ReAssessAI", ReAssessAI},
        {"SetGuiColor", SetGuiColor},
        {"SetAIEvent", SetAIEvent},
        {"PlayAniCycle", PlayAniCycle},
        {"SetMoveSpd", SetMoveSpd},
        {"SetAniCycleTime", SetAniCycleTime},
        {"SetRotSpd", SetRotSpd},
        {"Shoot", Shoot},
        {"SetBoredCycle", SetBoredCycle},
        {"SetActForce", SetActForce},
        {"SetCreatureMesh", SetCreatureMesh},
        {"SetCreatureTexture", SetCreatureTexture},
        {"SetCombatMode", SetCombatMode},
        {"SetStrategyID", SetStrategyID},
        {"SetStrategy", SetStrategy},
        {"SetCanMoveThroughFlags", SetCanMoveThroughFlags},
        {"SetAngleFront", SetAngleFront},
        {"SetAnicycleHeightCurve", SetAnicycleHeightCurve},
        {"SetIsFlying", SetIsFlying},
        {"SetDieCycle", SetDieCycle},
    };
    return {entries, std::size(entries)};
}
