// CreatureObj: the creature's movement: setting a movement under the movement lock (trimmed or
// refused while an action forbids moving), starting its cycle, carrying it out each frame with
// the root motion of the cycles, jumps and dodges, and the walking cycle from the movement vector.
#include "game/objects/CreatureObj.h"

#include "game/objects/AniCycle.h"
#include "game/objects/AniCycleSet.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "level/Angle.h"
#include "world/ActionEntry.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kCycleStand = 0;
constexpr int32_t kCycleHit = 130;
constexpr int32_t kCycleStunned = 142;
constexpr int32_t kCycleFirstJump = 144;
constexpr int32_t kCycleFirstDodge = 149;
constexpr int32_t kCycleKnockedDown = 153;
constexpr int32_t kCycleHitBlocking = 154;
constexpr int32_t kCycleForward = 128;
constexpr int32_t kCycleBackward = 131;
constexpr int32_t kCycleSide = 132;
constexpr int32_t kCycleOtherSide = 133;
constexpr int32_t kCycleDiagForward = 156;
constexpr int32_t kCycleDiagBackward = 160;
constexpr int32_t kCycleTurn = 134;
constexpr int32_t kCycleTurnOther = 165;
constexpr float kTwoPiApprox = 6.283f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kPi = 3.1415927f;

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

// The jump and dodge time factors of the creature's type (its cycle set): the share of the cycle
// that the creature stays locked; a set without the value locks for the whole cycle.
float TypeTimeFactor(const CreatureObj& creature, bool jump)
{
    const AniCycleSet* set = creature.GetAniCycleSet();
    const float factor = set ? (jump ? set->m_JumpFreePoint : set->m_DodgeFreePoint) : 0.0f;
    return factor > 0.0f ? factor : 1.0f;
}

}  // namespace

bool CreatureObj::IsMoveCodeValid(int32_t code)
{
    return code >= kMoveNone && code <= kMoveWalkNoTurn && code != 6 && code != 7 && code != 8 && code != 17;
}

// Whether the code may not start while an action without "CanMove" runs above its priority.
static bool NeedsCanMove(int32_t code)
{
    return code == 4 || code == 5 || (code >= 9 && code <= 16) || (code >= 21 && code <= 23) || code == 26 ||
           code == 27;
}

bool CreatureObj::SetMoveType(int32_t code, float x, float y, float speed, WorldElem* target, int32_t priority,
                              float time, const D3DXVECTOR2* vecA, const D3DXVECTOR2* vecB)
{
    CreatureActionState& s = m_ActionState;
    if (s.movePriority > priority)
        return false;
    // A code the frame step cannot carry out would fail every frame after: it is refused here.
    if (!IsMoveCodeValid(code)) {
        Warning("Unknown creature movement: %i", code);
        return false;
    }
    // A creature controlled on a network client tells its changed movement and still plays it.
    if (g_GameCtrl && g_GameCtrl->IsMultiplayerGame() && IsClientControlled() &&
        (code != s.moveCode || x != s.moveTarget[0] || y != s.moveTarget[1] || speed != s.moveSpeed ||
         target != s.moveTargetObj.Get()))
        g_GameCtrl->ReportMovement(this, code, x, y, speed, target);
    if (s.pActionEntry && s.actionPriority > priority) {
        const ActionEntry& entry = *s.pActionEntry;
        if (code == kMoveWalk) {
            if (!entry.canMove)
                x = y = 0.0f;
            if (!entry.canRotate)
                speed = 0.0f;
        } else if (NeedsCanMove(code) && !entry.canMove) {
            return false;
        }
    }
    s.moveSpeed = speed;
    m_BlockedFlagA = m_BlockedFlagB = m_BlockedFlagC = 0;
    s.moveTarget[0] = x;
    s.moveTarget[1] = y;
    s.moveTargetObj = target;
    s.actionParam = time;
    s.moveVecA[0] = vecA ? vecA->x : 0.0f;
    s.moveVecA[1] = vecA ? vecA->y : 0.0f;
    if (vecB) {
        s.moveVecB[0] = vecB->x;
        s.moveVecB[1] = vecB->y;
    }
    if (code == s.moveCode && m_MovementDone == 0)
        return true;
    s.moveCode = code;
    m_MovementDone = 0;
    if (code >= kMoveBaseDummy)
        return true;

    const auto stopAction = [&]() {
        if (priority >= s.actionPriority)
            StopAction();
    };
    const auto only = [&](int32_t cycle) {
        SetAniCycle(cycle, 0, false, false);
        SetCycleOfType(1, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
    };
    switch (code) {
    case kMoveNone:
        SetCycleOfType(0, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        break;
    case 0:
        stopAction();
        only(kCycleStand);
        break;
    case 1:
        stopAction();
        only(kCycleHit);
        break;
    case 2:
        PlayDeathCycle();
        SetCycleOfType(1, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        stopAction();
        break;
    case 9:
    case 10:
    case 11:
    case 12:
        SetAniCycle(kCycleFirstJump + code - 9, 0, false, false);
        stopAction();
        break;
    case 13:
    case 14:
    case 15:
        SetAniCycle(kCycleFirstDodge + code - 13, 0, false, false);
        stopAction();
        break;
    case 16:
        SetAniCycle(kCycleFirstDodge + 3, 0, false, false);
        if (priority >= s.actionPriority)
            StartAction(kActionNone, String(), nullptr, priority, 0.0f);
        break;
    case 18:
        stopAction();
        only(kCycleStunned);
        break;
    case 19:
        stopAction();
        only(kCycleKnockedDown);
        break;
    case 24:
        stopAction();
        only(kCycleHitBlocking);
        break;
    default:
        break;  // the walking and approaching codes choose their cycles frame by frame
    }
    return true;
}

float CreatureObj::SerpentineOffset(float r, float amplitude, float wavelength)
{
    const float phase = GetMyRndFraction();
    const float k = std::clamp((r - GetRadius() - 50.0f) * 0.01f, 0.0f, 1.0f);
    return std::sin((r / wavelength + phase) * kTwoPiApprox) * amplitude * k * k;
}

void CreatureObj::DoMovement(float dt)
{
    CreatureActionState& s = m_ActionState;
    const D3DXVECTOR2 oldPos = GetPos();
    const float oldAngle = GetAngle();
    WorldCtrl* world = m_World;
    const D3DXVECTOR2 f = GetDirection();
    const auto push = [&](float speed, float dx, float dy) {
        if (speed > 0.0f) {
            m_MoveDelta[0] += dx * speed * dt;
            m_MoveDelta[1] += dy * speed * dt;
        }
    };
    switch (s.moveCode) {
    case kMoveNone:
    case 0:
    case 1:
    case 2:
    case 18:
    case 19:
    case 24:
    case kMoveBaseDummy:
        break;  // the cycle set with the movement plays on
    case kMoveWalk:
        MoveStep(dt, true, false);
        break;
    case 5: {
        float tx = s.moveTarget[0];
        float ty = s.moveTarget[1];
        const float dx = tx - oldPos.x;
        const float dy = ty - oldPos.y;
        const float r = Length(dx, dy);
        if (s.moveVecA[0] * s.moveVecA[1] > 0.0f && r > 0.0f) {
            const float off = SerpentineOffset(r, s.moveVecA[0], s.moveVecA[1]);
            tx += -dy / r * off;
            ty += dx / r * off;
        }
        if (world && r > 0.0f) {
            world->WalkTowards(*this, tx, ty, dt, s.moveSpeed, nullptr);
            world->TurnToPoint(*this, tx, ty, s.moveSpeed);
        }
        const D3DXVECTOR2 moved = GetPos() - oldPos;
        ChooseMoveCycleVector(oldPos, Angle::Diff(oldAngle, GetAngle()), dt, moved, D3DXVECTOR2(0.0f, 0.0f));
        break;
    }
    case kMoveWalkNoTurn: {
        const float dx = s.moveTarget[0] - oldPos.x;
        const float dy = s.moveTarget[1] - oldPos.y;
        if (world && Length(dx, dy) > 0.0f) {
            const float step = std::min(Length(dx, dy), GetSpeedInDirection(dx, dy, dt) * dt);
            world->MoveBy(*this, dx / Length(dx, dy) * step, dy / Length(dx, dy) * step, dt, 1, nullptr, nullptr,
                          false);
        }
        const D3DXVECTOR2 moved = GetPos() - oldPos;
        ChooseMoveCycleVector(oldPos, 0.0f, dt, moved, D3DXVECTOR2(0.0f, 0.0f));
        break;
    }
    case 9:
        push(m_JumpFrontSpeed, f.x, f.y);
        break;
    case 10:
        push(m_JumpBackSpeed, -f.x, -f.y);
        break;
    case 11:
        push(m_JumpSideSpeed, f.y, -f.x);
        break;
    case 12:
        push(m_JumpSideSpeed, -f.y, f.x);
        break;
    case 13:
        push(m_DodgeSpeed, f.y, -f.x);
        break;
    case 14:
        push(m_DodgeSpeed, -f.y, f.x);
        break;
    case 15:
        push(m_DodgeSpeed, f.x, f.y);
        break;
    case 16:
        push(m_DodgeSpeed, -f.x, -f.y);
        break;
    case 4:
    case 20:
        FollowTargetStep(dt, false);
        break;
    case 21:
        CircleTargetStep(dt, -kHalfPi);  // to the right of the target
        break;
    case 22:
        CircleTargetStep(dt, kHalfPi);
        break;
    case 23:
        CircleTargetStep(dt, kPi);  // away from it
        break;
    case 26:
        CircleTargetStep(dt, s.actionParam);
        break;
    default:
        Warning("Unknown creature movement");
        break;
    }
    // A player's jump or dodge goes where it goes; the creature only turns to where it wants to go.
    if (s.moveCode >= kMoveJump && s.moveCode <= 16 && !IsAIControlled())
        MoveStep(dt, false, true);

    ApplyCycleMotion(dt);
    if ((m_MoveDelta[0] != 0.0f || m_MoveDelta[1] != 0.0f) && world)
        world->MoveBy(*this, m_MoveDelta[0], m_MoveDelta[1], dt, 1, nullptr, nullptr, false);
    m_MoveDelta[0] = m_MoveDelta[1] = 0.0f;

    const AC_FadeProperties& base = m_CyclePlayers[0];
    if (base.GetCycleNumber() != AC_FadeProperties::kNoCycle && base.IsFinished() && m_AIActions.GetSize() == 0) {
        m_AITimer = 0.0f;
        m_ReassessFlag = 1;
        if (s.moveCode == kMoveBaseDummy) {
            StopMovement(0);
            SetAniCycle(kCycleStand, 0, false, true);
        } else if (!m_InputCtrl) {
            m_MovementDone = 1;
            StopMovement(0);
            SetAniCycle(kCycleStand, 0, false, true);
        }
    }

    if (dt > 0.0f) {
        const D3DXVECTOR2 pos = GetPos();
        const float angle = GetAngle();
        m_VelocityX = (pos.x - oldPos.x) / dt;
        m_VelocityY = (pos.y - oldPos.y) / dt;
        m_AngularVelocity = Angle::Diff(oldAngle, angle) / dt;
        m_Moved = pos.x != oldPos.x || pos.y != oldPos.y || angle != oldAngle;
    }
}

void CreatureObj::FollowTargetStep(float dt, bool arriveOnly)
{
    CreatureActionState& s = m_ActionState;
    WorldElem* target = s.moveTargetObj.Get();
    if (!target) {
        m_MovementDone = 1;
        return;
    }
    m_MovementDone = 0;
    const D3DXVECTOR2 oldPos = GetPos();
    const float oldAngle = GetAngle();
    const D3DXVECTOR2 point = GetReferencePoint(target);
    const float dx = point.x - oldPos.x;
    const float dy = point.y - oldPos.y;
    const float r = Length(dx, dy);
    const bool forwardOnly = m_Strategy.strategy && m_Strategy.strategy->moveForwardOnly;
    float wx = dx;
    float wy = dy;
    float turn = s.actionParam;  // the movement's angle parameter
    if (forwardOnly) {
        const D3DXVECTOR2 f = GetDirection();
        wx = f.x * r;
        wy = f.y * r;
        turn = 0.0f;
    }
    if (s.moveVecA[0] * s.moveVecA[1] > 0.0f && r > 0.0f) {
        const float k = std::clamp((r - GetRadius() - target->GetRadius() - 50.0f) * 0.01f, 0.0f, 1.0f);
        turn += std::sin((r / s.moveVecA[1] + GetMyRndFraction()) * kTwoPiApprox) * k * k * s.moveVecA[0];
    }
    const float cs = std::cos(turn);
    const float sn = std::sin(turn);
    const float mx = wx * cs - wy * sn;
    const float my = wx * sn + wy * cs;
    const bool solid = target->IsCreature() && target->m_NoCollisions == 0 && m_NoCollisions == 0;
    const float contact = solid ? target->GetRadius() + GetRadius() + 1.0f : 1.0f;
    // Arrived, it does not start again at once.
    const float tolerance = m_Motion.approachTolerance + (m_Arrived ? 10.0f : 0.0f);
    const float approach = m_Motion.approachDistance;
    WorldCtrl* world = m_World;
    if ((approach >= 0.0f && r <= approach) || r <= tolerance + contact || arriveOnly) {
        if (world)
            world->TurnToPoint(*this, point.x, point.y, s.moveSpeed);
        m_Arrived = 1;
        if (!arriveOnly)
            SetBlockedFlagA(1);
    } else {
        if (world) {
            world->WalkTowards(*this, oldPos.x + mx, oldPos.y + my, dt, s.moveSpeed, nullptr);
            if (forwardOnly)
                world->TurnToPoint(*this, point.x, point.y, s.moveSpeed);
            else
                world->TurnToPoint(*this, oldPos.x + mx, oldPos.y + my, s.moveSpeed);
        }
        m_Arrived = 0;
        m_Push[0] = m_Push[1] = 0.0f;
    }
    // No back-and-forth twitching: a turn against the last one is taken back.
    float change = Angle::Diff(oldAngle, GetAngle());
    if (change * m_Motion.lastFollowTurn < 0.0f) {
        SetAngle(oldAngle);
        change = 0.0f;
    }
    if (change != 0.0f)
        m_Motion.lastFollowTurn = change;
    const D3DXVECTOR2 moved = GetPos() - oldPos;
    UpdateMoveCycle(moved.x, moved.y, change, dt);
}

// A jump or a dodge: only when nothing locks the creature; the lock holds for the cycle's time.
static bool StartEvasion(CreatureObj& creature, int32_t code, int32_t lockPriority)
{
    CreatureActionState& s = creature.m_ActionState;
    if (s.movePriority > 0 || s.actionPriority > 0)
        return false;
    creature.OnActionEvent(code < CreatureObj::kMoveDodge ? "Jump" : "Dodge");
    // The move target stays: a player keeps turning to where it wants to go.
    if (!creature.SetMoveType(code, s.moveTarget[0], s.moveTarget[1], s.moveSpeed, nullptr, 0, 0.0f))
        return false;
    AniCycle* cycle = creature.GetCycleForNumber(creature.m_CyclePlayers[0].GetCycleNumber());
    const float duration = cycle && cycle->HasData() ? float(cycle->GetAniDuration()) : 0.0f;
    const float t = duration * TypeTimeFactor(creature, code < CreatureObj::kMoveDodge) / creature.GetSpeedFactor();
    creature.AddForcedAction(lockPriority, t,
                             CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
    // The jump and dodge sounds are the client's.
    return true;
}

bool CreatureObj::Jump(int32_t dir)
{
    if (dir < 0 || dir > 3)
        return false;
    return StartEvasion(*this, kMoveJump + dir, kJumpLockPriority);
}

bool CreatureObj::Dodge(int32_t dir)
{
    if (dir < 0 || dir > 3)
        return false;
    return StartEvasion(*this, kMoveDodge + dir, kDodgeLockPriority);
}

void CreatureObj::SetAniCycleFromMoveVect(float dx, float dy)
{
    switch (m_ActionState.moveCode) {
    case 21:
        SetAniCycle(kCycleSide, 0, false, false);
        return;
    case 22:
        SetAniCycle(kCycleOtherSide, 0, false, false);
        return;
    case 23:
        SetAniCycle(kCycleBackward, 0, false, false);
        return;
    default:
        break;
    }
    if (dx == 0.0f && dy == 0.0f) {
        Warning("SetAniCycleFromMoveVect( (0,0) )");
        return;
    }
    float sx = dx + m_PrevMoveVect[0];
    float sy = dy + m_PrevMoveVect[1];
    m_PrevMoveVect[0] = dx;
    m_PrevMoveVect[1] = dy;
    const float len = Length(sx, sy);
    if (len == 0.0f)
        return;  // opposite to the previous vector: the cycle stays
    sx /= len;
    sy /= len;
    const D3DXVECTOR2 f = GetDirection();
    const float d = sx * f.x + sy * f.y;
    const float side = sx * -f.y + sy * f.x;
    int32_t cycle;
    if (d > 0.85f)
        cycle = kCycleForward;
    else if (d <= -0.85f)
        cycle = kCycleBackward;
    else if (std::fabs(d) <= 0.1f)
        cycle = side > 0.0f ? kCycleOtherSide : kCycleSide;
    else if (d > 0.0f)
        cycle = side > 0.0f ? kCycleDiagForward + 1 : kCycleDiagForward;
    else
        cycle = side > 0.0f ? kCycleDiagBackward + 1 : kCycleDiagBackward;
    SetAniCycle(cycle, 0, false, false);
}

void CreatureObj::UpdateMoveCycle(float dx, float dy, float turn, float dt)
{
    if (dt <= 0.0f)
        return;
    const float len = Length(dx, dy);
    const float turnRate = len > 0.0f ? std::fabs(Angle::Diff(GetAngle(), std::atan2(dy, dx))) / dt : 0.0f;
    const float speed = len / dt;
    if (turnRate > 0.3f || speed > 2.0f) {
        if (speed > 5.0f || (turnRate < 0.5f && len > 0.0f)) {
            SetAniCycleFromMoveVect(dx, dy);
        } else if (!SetAniCycle(turn > 0.0f ? kCycleTurnOther : kCycleTurn, 0, false, false) && len > 0.0f) {
            SetAniCycleFromMoveVect(dx, dy);
        }
        m_StandingTime = 0.0f;
        return;
    }
    m_StandingTime += dt;
    if (m_StandingTime > 0.1f)
        SetAniCycle(kCycleStand, 0, false, false);
}

void CreatureObj::ChooseMoveCycleVector(const D3DXVECTOR2& oldPos, float turn, float dt, const D3DXVECTOR2& move,
                                        const D3DXVECTOR2& push)
{
    const D3DXVECTOR2 pos = GetPos();
    const float ax = pos.x - oldPos.x;
    const float ay = pos.y - oldPos.y;
    const float bx = move.x + push.x;
    const float by = move.y + push.y;
    if (ax * bx + ay * by > 0.7f * Length(ax, ay) * Length(bx, by))
        UpdateMoveCycle(move.x, move.y, turn, dt);
    else
        UpdateMoveCycle(ax, ay, turn, dt);
}
