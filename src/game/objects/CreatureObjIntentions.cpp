// CreatureObj: the AI strategy runner: the intention stack, starting a strategy entry as an
// intention, applying and carrying out the top intention, finishing it, death and the turns of
// a conversation.
#include "game/objects/CreatureObj.h"

#include "base/Log.h"
#include "base/Random.h"
#include "game/objects/ai/InputCtrl.h"
#include "level/Angle.h"
#include "world/ActionEntry.h"
#include "world/ActionShot.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kPi = 3.1415927f;
constexpr uint32_t kLocksBoth = CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction;

float Length(const D3DXVECTOR2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

bool IsZero(const D3DXVECTOR2& v) { return v.x == 0.0f && v.y == 0.0f; }

float RandomAround(float base, float spread) { return spread > 0.0f ? base + float(Random::Range(-spread, spread)) : base; }

WorldCtrl* WorldOf(WorldCtrl* own) { return own ? own : (g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr); }

// The stack in its order, bottom first (the slot order of the list).
std::vector<KI_ActionData> ReadStack(DynaMem<KI_ActionData, 4>& stack)
{
    std::vector<KI_ActionData> records;
    for (int32_t position = 0; position < stack.GetSize(); position++)
        if (KI_ActionData* record = stack.GetAt(position))
            records.push_back(*record);
    return records;
}

// The list is refilled from slot 0 up, so that its slot order is the stack's order again.
void WriteStack(DynaMem<KI_ActionData, 4>& stack, const std::vector<KI_ActionData>& records)
{
    stack.DeleteAll();
    for (const KI_ActionData& record : records) {
        const int32_t slot = stack.Add();
        if (slot >= 0)
            *stack.GetBySlot(slot) = record;
    }
}

}  // namespace

String CreatureObj::GetIntentionName(int32_t code)
{
    static const char* const kNames[] = {
        "Wait",       "Dead",        nullptr,      nullptr,       nullptr,     nullptr,      nullptr,
        "RotateToPos", nullptr,      nullptr,      "GotoPos",     nullptr,     nullptr,      nullptr,
        "FindBetterWay", "DoAction", "GoDoAction", "Flee",        "GotoObj",   "TeaseAction", "DodgeFront",
        "DodgeBack",  "DodgeLeft",   "DodgeRight", "JumpFront",   "JumpBack",  "JumpLeft",   "JumpRight",
        "GoLeftEnemy", "GoRightEnemy", "GoBackEnemy", "Block",    "DrawWeapon", "SheathWeapon", "RotateToObj",
        "RotateToAngle", "GoDirectionEnemy"};
    if (code >= 0 && code < int32_t(sizeof kNames / sizeof kNames[0]) && kNames[code])
        return kNames[code];
    String unknown;
    unknown.Format("Unknown: %i", code);
    return unknown;
}

D3DXVECTOR2 CreatureObj::AimLeadPoint(const D3DXVECTOR2& from, const D3DXVECTOR2& targetPos, D3DXVECTOR2 velocity,
                                      float shotSpeed)
{
    const float speed = Length(velocity);
    if (speed > kAimLeadSpeedLimit)
        velocity = velocity * (kAimLeadSpeedLimit / speed);
    if (!(shotSpeed > 0.0f))
        return targetPos;
    // |p + v t| = s t: (v.v - s^2) t^2 + 2 (p.v) t + p.p = 0, the first time after now.
    const double px = double(targetPos.x) - double(from.x);
    const double py = double(targetPos.y) - double(from.y);
    const double a = double(velocity.x) * velocity.x + double(velocity.y) * velocity.y - double(shotSpeed) * shotSpeed;
    const double b = 2.0 * (px * velocity.x + py * velocity.y);
    const double c = px * px + py * py;
    double t = -1.0;
    if (std::fabs(a) < 1e-9) {
        if (b < 0.0)
            t = -c / b;
    } else {
        const double d = b * b - 4.0 * a * c;
        if (d >= 0.0) {
            const double root = std::sqrt(d);
            const double t1 = (-b - root) / (2.0 * a);
            const double t2 = (-b + root) / (2.0 * a);
            const double lo = std::min(t1, t2);
            const double hi = std::max(t1, t2);
            t = lo > 0.0 ? lo : hi;
        }
    }
    if (!(t > 0.0))
        return targetPos;
    return D3DXVECTOR2(float(px + velocity.x * t + from.x), float(py + velocity.y * t + from.y));
}

int32_t CreatureObj::StartStrategyEntry(const KI_StratEntry& entry, WorldElem* target, bool queued,
                                        const D3DXVECTOR2* position)
{
    AIRunState& ai = m_AIRun;
    if (!queued && entry.prior < ai.currentPriority)
        return 1;  // a lower entry waits; the decision has done its part
    KI_ActionData current;
    GetCurrentActionData(current);
    if (entry.myID != ai.strategyID) {
        ai.lastStrategyID = ai.strategyID;
        ai.strategyID = entry.myID;
    }
    const auto place = [&](const KI_ActionData& record) {
        return queued ? PushIntention(record, -1.0f, 0, true) : SetIntention(record, -1.0f, 0);
    };
    // The entry's intention goes on the stack; one started at once holds the entry's priority for
    // a while, so that lower entries do not interrupt it.
    const auto placeHeld = [&](const KI_ActionData& record) {
        place(record);
        if (!queued && entry.prior > 0) {
            const float time = RandomAround(entry.maxForceTime, entry.maxForceTimeRand);
            if (time > 0.0f) {
                AddForcedAction(entry.prior, time, kLocksBoth);
                ai.currentPriority = entry.prior;
            }
        }
    };
    const auto fail = [&]() {
        m_AITimer = 0.0f;
        m_ReassessFlag = 1;
        return 0;
    };
    if (m_LastEnemy.Get() && current.task != kIntentDrawWeapon && (ai.weaponState == -1 || ai.weaponState == -2)) {
        KI_ActionData draw;
        draw.task = kIntentDrawWeapon;
        place(draw);
        return 1;
    }

    KI_ActionData record;
    record.entry = entry;
    record.values[2] = entry.angle;
    record.flags[0] = entry.findBetterWay;
    record.flags[1] = entry.finishAction;
    record.vectors[2][0] = entry.goZigZag[0];
    record.vectors[2][1] = entry.goZigZag[1];
    record.vectors[3][0] = entry.targetPosOff[0];
    record.vectors[3][1] = entry.targetPosOff[1];
    record.secondName = entry.finishScript;
    if (entry.randomActionStart)
        record.entry.startEndAction[0] = float(Random::Range(entry.startEndAction[0], entry.startEndAction[1]));
    const bool slotTarget = entry.target == 1 || entry.target == 2 || entry.target == 3 || entry.target == 5 ||
                            (entry.target >= kTargetSlotBase && entry.target < kTargetSlotBase + kElemRefs);
    if (slotTarget)
        target = GetTargetByID(entry.target);

    WorldCtrl* world = WorldOf(m_World);
    if (!queued) {
        ai.currentPriority = -1;
        m_AITimer = 0.0f;
        m_Strategy.timedValues.DeleteAll();
        m_Strategy.RecomputeTimedLevel();
        if (!entry.callScript.IsEmpty() && world) {
            String label;
            label.Format("*inline:strategy:'%s'*", entry.owner ? entry.owner->name.c_str() : m_Strategy.name.c_str());
            world->RunInlineScript(entry.callScript.c_str(), this, 0.0f, 1, label.c_str(), 0);
        }
    }

    const D3DXVECTOR2 pos = GetPos();
    const D3DXVECTOR2 facing = GetDirection();
    switch (entry.type) {
    case KI_StratEntry::kAction: {
        record.task = kIntentGoDoAction;
        record.actionName = entry.id;
        record.target = target;
        if (position) {
            record.vectors[0][0] = position->x;
            record.vectors[0][1] = position->y;
            record.aimAtPosition = 1;
        }
        record.values[3] = float(Random::Range(entry.actionDelay[0], entry.actionDelay[1]));
        record.values[1] = float(Random::Range(-entry.aimDeviation, entry.aimDeviation));
        const D3DXVECTOR2 velocity(target ? target->m_VelocityX : 0.0f, target ? target->m_VelocityY : 0.0f);
        if (target && Length(velocity) > 0.0f && entry.calcAimAngle > 0.0f && world) {
            ActionEntry* action = world->FindActionEntry(entry.id.c_str(), false);
            const ActionShot* shot = action && action->shots.GetSize() > 0 ? action->shots.GetAt(0) : nullptr;
            if (shot && shot->spdMove > 0.0f) {
                const D3DXVECTOR2 at = target->GetPos();
                const D3DXVECTOR2 lead = AimLeadPoint(pos, at, velocity, shot->spdMove);
                const float leadAngle = Angle::Diff(std::atan2(at.y - pos.y, at.x - pos.x),
                                                     std::atan2(lead.y - pos.y, lead.x - pos.x));
                record.values[1] += leadAngle * entry.calcAimAngle;
            }
        }
        break;
    }
    case KI_StratEntry::kChangeStrategy: {
        if (entry.myID2 >= 0) {
            ai.lastStrategyID = ai.strategyID;
            ai.strategyID = entry.myID2;
        }
        KI_Strategy* next = world ? world->FindStrategyEntry(entry.id.c_str(), false) : nullptr;
        if (next)
            SetDecision(next);
        else
            Warning("Strategy entry '%s' not found", entry.id.c_str());
        m_AITimer = 0.0f;
        m_ReassessFlag = 1;
        return 0;  // the decision chooses again under the new strategy
    }
    case KI_StratEntry::kFlee: {
        record.task = kIntentFlee;
        const D3DXVECTOR2 enemyPos(ai.lastEnemyPos[0], ai.lastEnemyPos[1]);
        D3DXVECTOR2 away = IsZero(enemyPos) ? D3DXVECTOR2(1.0f, 0.0f) : pos - enemyPos;
        const float length = Length(away);
        away = length > 0.0f ? away * (1.0f / length) : D3DXVECTOR2(1.0f, 0.0f);
        const float distance = RandomAround(entry.fleeDist, entry.fleeDistRand);
        const D3DXVECTOR2 offset = FindFreeDirection(pos.x, pos.y, away.x * distance, away.y * distance, kHalfPi,
                                                     GetRadius());
        record.vectors[0][0] = pos.x + offset.x;
        record.vectors[0][1] = pos.y + offset.y;
        break;
    }
    case KI_StratEntry::kWait:
        ResetCurrentAction();
        record.task = kIntentWait;
        break;
    case KI_StratEntry::kGoAside: {
        record.task = kIntentGotoPos;
        const float side = Random::Float01() < 0.5 ? 1.0f : -1.0f;
        const float distance = float(Random::Range(entry.minMaxDist[0], entry.minMaxDist[1]));
        D3DXVECTOR2 point(pos.x - facing.y * side * distance, pos.y + facing.x * side * distance);
        if (!IsLineClearTo(point.x, point.y)) {
            point = D3DXVECTOR2(pos.x + facing.y * side * distance, pos.y - facing.x * side * distance);
            if (!IsLineClearTo(point.x, point.y)) {
                m_ReassessFlag = 1;  // no side is free: it goes all the same and decides again soon
                m_AITimer = 0.0f;
            }
        }
        record.vectors[0][0] = point.x;
        record.vectors[0][1] = point.y;
        break;
    }
    case KI_StratEntry::kWalkAround: {
        record.task = kIntentGotoPos;
        const float a = float(Random::Range(-entry.angle, entry.angle));
        const float distance = float(Random::Range(entry.minMaxDist[0], entry.minMaxDist[1]));
        const float c = std::cos(a);
        const float s = std::sin(a);
        const D3DXVECTOR2 way((facing.x * c - facing.y * s) * distance, (facing.x * s + facing.y * c) * distance);
        const D3DXVECTOR2 offset = FindFreeDirection(pos.x, pos.y, way.x, way.y, kPi, GetRadius());
        record.vectors[0][0] = pos.x + offset.x;
        record.vectors[0][1] = pos.y + offset.y;
        record.entry.maxApproach = std::max(record.entry.maxApproach, GetRadius());
        break;
    }
    case KI_StratEntry::kBlock:
        record.task = kIntentBlock;
        placeHeld(record);
        if (m_ActionState.actionCode == kActionBlock)
            AddForcedAction(1, RandomAround(entry.maxForceTime, entry.maxForceTimeRand), kLocksBoth);
        return 1;
    case KI_StratEntry::kGoto:
    case KI_StratEntry::kAimAt: {
        const bool go = entry.type == KI_StratEntry::kGoto;
        const int32_t kind = entry.positionID;
        bool atPosition = false;
        D3DXVECTOR2 point(0.0f, 0.0f);
        if (kind >= kTargetSlotBase && kind < kTargetSlotBase + kElemRefs) {
            WorldElem* named = m_ElemRefs[kind - kTargetSlotBase].Get();
            if (!named) {
                // A level that forgot to name the element: this entry fails, the creature goes on.
                Warning("Target element %i of creature '%s' not defined", kind, m_Name.ToNarrow().c_str());
                return fail();
            }
            record.target = named;
        } else if (kind == 1) {
            if (WorldElem* enemy = m_LastEnemy.Get()) {
                record.target = enemy;
            } else {
                atPosition = true;
                point = D3DXVECTOR2(ai.lastEnemyPos[0], ai.lastEnemyPos[1]);
            }
        } else if (kind == 2) {
            atPosition = true;
            point = D3DXVECTOR2(ai.lastTargetPos[0], ai.lastTargetPos[1]);
        } else if (target) {
            record.target = target;
        } else {
            return fail();
        }
        if (atPosition) {
            if (IsZero(point))
                return fail();
            record.task = go ? kIntentGotoPos : kIntentRotateToPos;
            record.vectors[0][0] = point.x;
            record.vectors[0][1] = point.y;
            record.aimAtPosition = 1;
        } else {
            record.task = go ? kIntentGotoObj : kIntentRotateToObj;
        }
        break;
    }
    case KI_StratEntry::kGoLeftEnemy:
    case KI_StratEntry::kGoLeftEnemy + 1:
    case KI_StratEntry::kGoLeftEnemy + 2:
    case KI_StratEntry::kGoDirectionEnemy:
        record.task = entry.type == KI_StratEntry::kGoDirectionEnemy ? kIntentGoDirectionEnemy
                                                           : kIntentGoLeftEnemy + entry.type - KI_StratEntry::kGoLeftEnemy;
        record.target = m_LastEnemy.Get();
        break;
    case KI_StratEntry::kDrawWeapon:
    case KI_StratEntry::kSheathWeapon:
        record.task = kIntentDrawWeapon + entry.type - KI_StratEntry::kDrawWeapon;
        break;
    default:
        if (entry.type >= KI_StratEntry::kDodgeFront && entry.type <= KI_StratEntry::kJumpRight) {
            record.task = kIntentDodgeFront + entry.type - KI_StratEntry::kDodgeFront;
            break;
        }
        // A strategy file with a deed this server does not know: the entry fails, the creature
        // and the frame go on.
        Warning("Unsupported strategy entry: %i", entry.type);
        ai.currentPriority = -1;
        return fail();
    }
    placeHeld(record);
    return 1;
}

int32_t CreatureObj::PushIntention(const KI_ActionData& record, float timeLimit, int32_t priority, bool toBottom)
{
    if (m_AIActions.GetSize() > kMaxIntentions)
        return 0;
    std::vector<KI_ActionData> records = ReadStack(m_AIActions);
    KI_ActionData added = record;
    added.values[0] = timeLimit;
    added.thirdCode = priority;
    // Below the others it runs after all of them; a forced action keeps the present one running.
    const bool bottom = toBottom || m_ActionState.actionPriority > 0;
    if (bottom)
        records.insert(records.begin(), added);
    else
        records.push_back(added);
    WriteStack(m_AIActions, records);
    if (!bottom || records.size() == 1)
        UpdateAI(0);
    return 1;
}

int32_t CreatureObj::SetIntention(const KI_ActionData& record, float timeLimit, int32_t priority)
{
    KI_ActionData* top = GetTopAction();
    if (!top || top->thirdCode > priority) {
        if (!top)
            m_IntentionTime = 0.0f;
        return PushIntention(record, timeLimit, priority, top != nullptr);
    }
    KI_ActionData replaced = record;
    replaced.values[0] = timeLimit;
    replaced.thirdCode = priority;
    const bool changed = !top->Equals(replaced);
    *top = replaced;
    if (changed) {
        m_IntentionTime = 0.0f;
        UpdateAI(0);
    }
    return 1;
}

void CreatureObj::UpdateAI(int32_t flag)
{
    (void)flag;
    m_Motion.approachDistance = -1.0f;
    m_AIRun.applyPending = 0;
    KI_ActionData empty;
    KI_ActionData* top = GetTopAction();
    const KI_ActionData& r = top ? *top : empty;
    CreatureActionState& s = m_ActionState;
    WorldElem* target = r.target.Get();
    const D3DXVECTOR2 point(r.vectors[0][0], r.vectors[0][1]);
    const D3DXVECTOR2 zigZag(r.vectors[2][0], r.vectors[2][1]);
    const D3DXVECTOR2 offset(r.vectors[3][0], r.vectors[3][1]);
    const auto stopAction = [&]() {
        if (s.actionPriority > 0)
            return;  // a forced action runs to its end
        StartAction(kActionNone, String(), nullptr, 0, 0.0f);
    };
    // Turning on the spot: a walk to a point just ahead in the wanted direction.
    const auto turnTo = [&](int32_t code, float angle) {
        const D3DXVECTOR2 pos = GetPos();
        SetMoveType(code, pos.x + std::cos(angle) * 0.05f, pos.y + std::sin(angle) * 0.05f, 0.0f, nullptr, 0, 0.0f);
    };
    const auto angleTo = [&](const D3DXVECTOR2& p) {
        const D3DXVECTOR2 pos = GetPos();
        return std::atan2(p.y - pos.y, p.x - pos.x);
    };
    switch (r.task) {
    case kIntentWait:
    case 2:
    case 12:
        stopAction();
        StopMovement(0);
        break;
    case kIntentDead:
        StopMovement(2);
        break;
    case 3:
    case 9:
    case kIntentGotoPos:
    case 11:
    case kIntentFindBetterWay:
    case kIntentFlee:
        SetMoveType(5, point.x, point.y, 0.0f, nullptr, 0, 0.0f);
        stopAction();
        break;
    case 6:
        SetMoveType(5, point.x, point.y, 0.0f, nullptr, 0, 0.0f);
        break;
    case kIntentRotateToPos:
        turnTo(kMoveWalk, angleTo(point));
        break;
    case 8:
    case 13:
        m_Motion.approachDistance = r.entry.maxApproach;
        SetMoveType(4, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        break;
    case kIntentDoAction: {
        WorldCtrl* world = WorldOf(m_World);
        const ActionEntry* action = world ? world->FindActionEntry(r.actionName.c_str(), false) : nullptr;
        if (m_KeepMovingInAction && target)
            SetMoveType(4, 0.0f, 0.0f, 0.0f, target, 0, 0.0f, &zigZag, &offset);
        else if (action && action->canRotate && target)
            SetMoveType(20, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        WorldElem* aimed = action && action->attacks.GetSize() > 0 ? target : nullptr;
        StartAction(kActionEntry, r.actionName, aimed, 0, r.values[1]);
        break;
    }
    case kIntentGoDoAction:
        if (!r.entry.goDoAction) {
            if (r.aimAtPosition)
                turnTo(kMoveWalk, angleTo(point));  // movement 20 follows an element: a point is faced by 3
            else if (target)
                turnTo(kMoveWalk, angleTo(target->GetPos()));
        } else {
            m_Motion.approachDistance = r.entry.maxApproach;
            stopAction();
            if (r.aimAtPosition || !target)
                SetMoveType(5, point.x, point.y, 0.0f, nullptr, 0, r.values[1], &zigZag, &offset);
            else
                SetMoveType(4, 0.0f, 0.0f, 0.0f, target, 0, r.values[1], &zigZag, &offset);
        }
        break;
    case kIntentGotoObj:
        m_Motion.approachDistance = r.entry.maxApproach;
        SetMoveType(4, 0.0f, 0.0f, 0.0f, target, 0, r.values[1], &zigZag, &offset);
        stopAction();
        break;
    case kIntentTeaseAction:
        stopAction();
        SetMoveType(20, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        break;
    case 20:
    case 21:
    case 22:
    case 23: {
        static const int32_t kDodgeDirs[] = {2, 3, 0, 1};
        Dodge(kDodgeDirs[r.task - 20]);
        break;
    }
    case 24:
    case 25:
    case 26:
    case 27:
        Jump(r.task - 24);
        break;
    case kIntentGoLeftEnemy:
    case kIntentGoRightEnemy:
    case kIntentGoBackEnemy:
        SetMoveType(21 + r.task - kIntentGoLeftEnemy, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        stopAction();
        break;
    case kIntentBlock:
        StartAction(kActionBlock, String(), nullptr, 0, 0.0f);
        break;
    case kIntentDrawWeapon:
        if (s.actionCode == kActionNone && (m_AIRun.weaponState == -1 || m_AIRun.weaponState == -2))
            m_AIRun.weaponState = 0;
        break;
    case kIntentSheathWeapon:
        if (s.actionCode == kActionNone && m_AIRun.weaponState != -1 && m_AIRun.weaponState != -2)
            m_AIRun.weaponState = -1;
        break;
    case kIntentRotateToObj:
        SetMoveType(20, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        break;
    case kIntentRotateToAngle:
        turnTo(kMoveWalk, r.firstValue);
        break;
    case kIntentGoDirectionEnemy:
        SetMoveType(26, 0.0f, 0.0f, 0.0f, target, 0, r.values[2]);
        stopAction();
        break;
    default:
        break;  // 4, 5 and the codes of others: nothing to apply
    }
    // While it walks toward its target or point the intention is being approached: the creature
    // counts as busy (it is applied every frame, and disabling its input stops it there); any
    // other movement, and every new intention, sets the marker again.
    if (KI_ActionData* now = GetTopAction(); now && now == top)
        now->approachMarker = s.moveCode == kMoveToTarget || s.moveCode == kMoveToPoint ? 0 : 1;
}

void CreatureObj::ExecuteIntention(float dt)
{
    DynaMem<CreatureForcedAction, 4>& forced = m_ActionState.forcedActions;
    const bool hadForced = forced.GetSize() > 0;
    for (int32_t slot = forced.NextUsedSlot(-1); slot >= 0; slot = forced.NextUsedSlot(slot)) {
        CreatureForcedAction* lock = forced.GetBySlot(slot);
        if (!lock)
            continue;
        lock->time -= dt;
        if (lock->time <= 0.0f)
            forced.Delete(slot);
    }
    RecomputeForcePriorities();
    m_IntentionTime += dt;
    if (g_GameCtrl && g_GameCtrl->IsNetworkClient() && !g_GameCtrl->IsNetworkGameServer() && IsMainCharacter())
        return;  // its movement comes from the network
    if (IsAIControlled()) {
        if (hadForced && forced.GetSize() == 0) {
            m_AITimer = 0.0f;
            m_AIRun.forcedReassess = 1;
            m_ReassessFlag = 1;
            m_AIRun.currentPriority = -1;  // the entry's hold has run out
        }
        const KI_ActionData* top = GetTopAction();
        const bool busy = top && top->approachMarker == 0;
        if (busy) {
            UpdateAI(0);
        } else if (m_AITimer > 0.0f && m_ActionState.actionCode != kActionNone) {
            const int32_t id = m_AIRun.strategyID;
            DoAction(0.0f);
            if (id == m_AIRun.strategyID)
                UpdateAI(0);
        } else if (m_AIRun.applyPending && !(m_ReassessFlag && !busy)) {
            UpdateAI(0);
        }
    }
    if (!m_AIRun.halted) {
        DoMovement(dt);
        DoAction(dt);
    }
}

void CreatureObj::RunStrategyFinishScript()
{
    KI_ActionData* top = GetTopAction();
    if (top && !top->secondName.IsEmpty())
        if (WorldCtrl* world = WorldOf(m_World))
            world->RunInlineScript(top->secondName.c_str(), this, 0.0f, 1, "*inline:strategy:FinishScript*", 0);
}

void CreatureObj::RunFinishScript()
{
    KI_ActionData* top = GetTopAction();
    if (top && top->flags[1]) {
        RunStrategyFinishScript();
        FinishAction();
        std::vector<KI_ActionData> records = ReadStack(m_AIActions);
        if (!records.empty())
            records.pop_back();
        WriteStack(m_AIActions, records);
        if (!records.empty())
            UpdateAI(0);
    }
    if (m_AIActions.GetSize() == 0) {
        m_AITimer = 0.0f;
        m_AIRun.currentPriority = -1;
        m_Strategy.timedValues.DeleteAll();
        m_Strategy.RecomputeTimedLevel();
    }
    m_ReassessFlag = 1;
    m_AITimer = 0.0f;
}

void CreatureObj::FrameUpdate(float dt)
{
    SceneObject::Update(dt);
    if (IsDead())
        m_DeathTime += dt;
    const bool byAI = IsAIControlled();
    if (byAI)
        UpdateTurnDirection();
    UpdateInfluences(dt);
    // Both players run every frame, seen or not: their lengths time the actions and their root
    // motion moves the creature; only a creature in the active area poses its bones.
    AdvanceCycles(dt, IsInActiveCell());
    if (byAI && !IsDead())
        UpdateAITimers(dt);  // the strategy's timed values and its randomised re-assessment
    KI_ActionData* top = GetTopAction();
    if (top && top->values[0] > 0.0f) {
        top->values[0] -= dt;
        if (top->values[0] <= 0.0f)
            RunFinishScript();  // an intention without FinishAction stays
    }
}

void CreatureObj::Die()
{
    m_Dead = 1;
    ClearInfluences();  // a dead body is no longer stunned, slowed or burning
    SetMoveType(2, 0.0f, 0.0f, 0.0f, nullptr, 100, 0.0f);
    m_AIRun.deathMarker = 1;
    m_AIRun.currentPriority = -1;
    m_AIRun.decisionCounter = 0;
    m_Strategy.timedValues.DeleteAll();
    m_Strategy.RecomputeTimedLevel();
    m_AIActions.DeleteAll();
    KI_ActionData dead;
    dead.task = kIntentDead;
    SetIntention(dead, -1.0f, 0);
    if (!m_InputCtrl) {
        if (!(g_GameCtrl && g_GameCtrl->IsNetworkClient()))
            Warning("Object without owner!");
    } else {
        m_InputCtrl->RemoveControlledCreature(m_InputIndex);
    }
    if (IsMainCharacter())
        Log::Write("Player died");
}

int32_t CreatureObj::TurnForConversation(bool begin, WorldElem* speaker, bool rememberAngle, bool turnBack)
{
    RestartFadeCycles();
    const auto mayTurn = [&]() {
        KI_ActionData current;
        GetCurrentActionData(current);
        return IsAIControlled() && (current.task == kIntentWait || current.task == 2) &&
               m_ActionState.movePriority < 100;
    };
    KI_ActionData record;
    if (begin) {
        if (rememberAngle)
            m_AIRun.conversationAngle = GetAngle();
        if (!IsAIControlled())
            if (auto* input = dynamic_cast<InputCtrl*>(m_InputCtrl)) {
                input->Disable(true);  // stops the player's creature where it is
                input->Enable();
            }
        if (!speaker || !mayTurn())
            return 0;
        record.task = kIntentRotateToObj;
        record.target = speaker;
        SetIntention(record, -1.0f, 0);
        return 1;
    }
    if (!turnBack || !mayTurn())
        return 0;
    record.task = kIntentRotateToAngle;
    record.firstValue = m_AIRun.conversationAngle;
    SetIntention(record, -1.0f, 0);
    return 1;
}
