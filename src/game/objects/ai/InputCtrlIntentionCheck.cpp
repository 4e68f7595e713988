// InputCtrl: whether a creature's running intention goes on, with the stuck test on the
// controller's half-second ticks, and the way around an obstacle (FindBetterWay).
#include "game/objects/ai/InputCtrl.h"

#include "base/Random.h"
#include "game/objects/CreatureObj.h"
#include "level/Angle.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kFinishedTurn = 0.001f;  // radians still to turn when a turn counts as done
constexpr float kBetterWayDistance = 500.0f;
constexpr float kBetterWayTime = 3.0f;
constexpr float kDegToRad = 0.017453292f;
constexpr int32_t kAlwaysReassess = 9999;

float Distance(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The distance between the bodies: both radii off when both collide.
float EdgeDistance(CreatureObj& creature, WorldElem& target)
{
    float d = Distance(creature.GetPos(), target.GetPos());
    if (creature.m_NoCollisions == 0 && target.m_NoCollisions == 0)
        d -= creature.GetRadius() + target.GetRadius();
    return d;
}

// Whether nothing stands between the creature and the goal; the target itself is no obstacle.
bool IsAimLineClear(CreatureObj& creature, const D3DXVECTOR2& goal, WorldElem* target)
{
    WorldCtrl* world = creature.m_World;
    if (!world)
        return true;
    const D3DXVECTOR2 pos = creature.GetPos();
    return world->GetIntersection(pos.x, pos.y, goal.x, goal.y, nullptr, WorldCtrl::kLineWalls | WorldCtrl::kLineObjects,
                                  false, &creature, target, creature.FloorLayer(), WorldCtrl::kNoMinHeight) != 0;
}

bool IsUsableTarget(const KI_ActionData& record)
{
    WorldElem* target = record.target.Get();
    return target && target->IsActiveType() && (!target->IsDead() || record.entry.allowDeadTarget);
}

}  // namespace

int32_t InputCtrl::CheckIntention(CreatureObj* creature, float dt, int32_t depth)
{
    if (!creature)
        return 1;
    KI_ActionData* top = creature->GetTopAction();
    KI_ActionData empty;
    KI_ActionData& r = top ? *top : empty;
    if (creature->IsDead()) {
        if (r.task != kIntentDead) {
            KI_ActionData dead;
            dead.task = kIntentDead;
            creature->SetIntention(dead, -1.0f, 0);
        }
        return 1;
    }
    const D3DXVECTOR2 pos = creature->GetPos();
    const D3DXVECTOR2 point(r.vectors[0][0], r.vectors[0][1]);
    WorldElem* target = r.target.Get();
    const bool tick = depth == 0 && IsHalfSecondTick();
    const bool stuck = tick && pos.x == creature->m_HalfSecondSample[0] && pos.y == creature->m_HalfSecondSample[1];
    const auto finish = [&]() {
        creature->RunFinishScript();
        return 0;
    };
    // Stuck: a way around when the intention may look for one, else a new decision soon.
    const auto stuckTest = [&]() -> int32_t {
        if (!stuck)
            return 1;
        if (r.flags[0]) {
            StartFindBetterWay(creature, r);
            return 0;
        }
        creature->ReAssessAI(0);
        return 1;
    };
    const auto lostTarget = [&]() {
        creature->m_AIEvents.lostTarget = 1;
        creature->ReAssessAI(kAlwaysReassess);
        return 0;
    };
    const float speed = creature->GetForwardSpeed();
    switch (r.task) {
    case kIntentWait:
    case kIntentBlock:
        creature->m_IntentionTime = 0.0f;
        return 1;
    case kIntentRotateToPos:
    case kIntentRotateToAngle:
    case kIntentRotateToObj: {
        float wanted = r.firstValue;
        if (r.task == kIntentRotateToPos)
            wanted = std::atan2(point.y - pos.y, point.x - pos.x);
        if (r.task == kIntentRotateToObj) {
            if (!target)
                return finish();
            const D3DXVECTOR2 at = target->GetPos();
            wanted = std::atan2(at.y - pos.y, at.x - pos.x);
        }
        if (std::fabs(Angle::Diff(creature->GetAngle(), wanted)) < kFinishedTurn)
            return finish();
        return 1;
    }
    case kIntentGotoPos: {
        const float reach = std::max(r.entry.maxApproach + 1.5f, std::max(1.0f, speed * 0.25f));
        if (creature->m_MovementDone || Distance(pos, point) < reach)
            return finish();
        return stuckTest();
    }
    case kIntentGotoObj:
    case kIntentGoDirectionEnemy: {
        if (!target)
            return finish();
        const D3DXVECTOR2 at = target->GetPos();
        const D3DXVECTOR2 toward(at.x - pos.x, at.y - pos.y);
        const D3DXVECTOR2 velocity(creature->m_VelocityX, creature->m_VelocityY);
        const float lengths = std::hypot(toward.x, toward.y) * std::hypot(velocity.x, velocity.y);
        // Sliding past the side of the target it touches: as good as arrived.
        if (lengths > 0.0f && (toward.x * velocity.x + toward.y * velocity.y) / lengths < 0.7f &&
            Distance(pos, at) < creature->GetRadius() + target->GetRadius())
            return finish();
        const float reach = std::max(r.entry.maxApproach + 1.5f, std::max(1.5f, speed * 0.25f));
        if (EdgeDistance(*creature, *target) < reach)
            return finish();
        return stuckTest();
    }
    case kIntentFindBetterWay:
    case kIntentFlee:
        if (stuckTest() == 0)
            return 0;
        if (Distance(pos, point) < std::max(1.0f, creature->GetRadius()))
            return finish();
        return 1;
    case kIntentGoDoAction: {
        if (!r.aimAtPosition && !IsUsableTarget(r))
            return target ? lostTarget() : 0;
        const D3DXVECTOR2 goal = r.aimAtPosition ? point : target->GetPos();
        const float d = r.aimAtPosition ? Distance(pos, goal) : EdgeDistance(*creature, *target);
        if (r.entry.goDoAction && tick && d > r.entry.startEndAction[0] && stuckTest() == 0)
            return 0;
        r.vectors[0][0] = goal.x;
        r.vectors[0][1] = goal.y;
        creature->m_AIRun.lastTargetPos[0] = goal.x;
        creature->m_AIRun.lastTargetPos[1] = goal.y;
        if (r.entry.teaseProb > 0.0f && d <= r.entry.teaseDist && Random::Float01() < dt / r.entry.teaseProb) {
            KI_ActionData tease = r;
            tease.task = kIntentTeaseAction;
            creature->SetIntention(tease, r.values[0], r.thirdCode);
            return 0;
        }
        if (d < r.entry.startEndAction[0] && IsAimLineClear(*creature, goal, target) &&
            creature->m_ActionState.actionPriority <= 0) {
            KI_ActionData act = r;
            act.task = kIntentDoAction;
            creature->SetIntention(act, r.values[0], r.thirdCode);
            return 0;
        }
        return 1;
    }
    case kIntentDoAction: {
        if (r.aimAtPosition)
            return 1;
        if (!IsUsableTarget(r))
            return lostTarget();
        const D3DXVECTOR2 at = target->GetPos();
        if (EdgeDistance(*creature, *target) <= r.entry.startEndAction[1] && IsAimLineClear(*creature, at, target)) {
            r.vectors[0][0] = at.x;  // the action aims where the target is now
            r.vectors[0][1] = at.y;
            return 1;
        }
        creature->ReAssessAI(kAlwaysReassess);
        KI_ActionData approach = r;
        approach.task = kIntentGoDoAction;
        creature->SetIntention(approach, r.values[0], r.thirdCode);
        return 0;
    }
    case kIntentTeaseAction: {
        if (!IsUsableTarget(r))
            return 1;
        const float d = EdgeDistance(*creature, *target);
        if (d < r.entry.startEndAction[0] ||
            (r.entry.teaseProb > 0.0f && Random::Float01() < dt / r.entry.teaseProb)) {
            KI_ActionData approach = r;
            approach.task = kIntentGoDoAction;
            approach.entry.teaseProb = 0.0f;  // it teases once
            creature->SetIntention(approach, r.values[0], r.thirdCode);
            return 0;
        }
        creature->m_IntentionTime = 0.0f;
        return 1;
    }
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
        creature->m_IntentionTime = 0.0f;
        return 0;
    case kIntentGoLeftEnemy:
    case kIntentGoRightEnemy:
        if (!IsUsableTarget(r))
            return finish();
        creature->m_IntentionTime = 0.0f;
        return 1;
    case kIntentGoBackEnemy:
        if (!IsUsableTarget(r))
            return finish();
        if (stuck)
            creature->RunFinishScript();
        return 1;
    case kIntentDrawWeapon:
    case kIntentSheathWeapon: {
        creature->m_IntentionTime = 0.0f;
        const int32_t weapon = creature->m_AIRun.weaponState;
        const bool sheathed = weapon == -1 || weapon == -2;
        if (sheathed == (r.task == kIntentSheathWeapon)) {
            creature->RunFinishScript();
            return 1;
        }
        creature->UpdateAI(0);
        return 1;
    }
    default:
        return 1;
    }
}

int32_t InputCtrl::StartFindBetterWay(CreatureObj* creature, const KI_ActionData& record)
{
    KI_ActionData way = record;
    way.task = kIntentFindBetterWay;
    const D3DXVECTOR2 pos = creature->GetPos();
    const D3DXVECTOR2 facing = creature->GetDirection();
    const float dx = -facing.x * kBetterWayDistance;
    const float dy = -facing.y * kBetterWayDistance;
    D3DXVECTOR2 offset = creature->FindFreeDirection(pos.x, pos.y, dx, dy, 60.0f * kDegToRad, creature->GetRadius());
    if (std::hypot(offset.x, offset.y) < 1.0f)  // nothing free near behind: look wider
        offset = creature->FindFreeDirection(pos.x, pos.y, dx, dy, 120.0f * kDegToRad, creature->GetRadius());
    way.vectors[0][0] = pos.x + offset.x;
    way.vectors[0][1] = pos.y + offset.y;
    return creature->PushIntention(way, kBetterWayTime, 0, false);
}
