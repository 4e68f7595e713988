// CreatureObj: the movement steps that the movement codes carry out each frame: walking towards
// the move target, stepping around the move target element, restarting the fade cycles, and the
// base-dummy animation that carries the creature along its own track.
#include "game/objects/CreatureObj.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/AniCycle.h"
#include "game/objects/AniCycleSet.h"
#include "level/Angle.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kCircleAngle = 0.5235987715423107f;  // 30 degrees: facing the target enough to step
constexpr float kCircleStep = 30.0f;
constexpr float kLoopLockTime = 100.0f;

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

}  // namespace

void CreatureObj::MoveStep(float dt, bool updateCycle, bool noMove)
{
    CreatureActionState& s = m_ActionState;
    const D3DXVECTOR2 oldPos = GetPos();
    const float oldAngle = GetAngle();
    const float dx = s.moveTarget[0] - oldPos.x;
    const float dy = s.moveTarget[1] - oldPos.y;
    const float r = Length(dx, dy);
    D3DXVECTOR2 move(0.0f, 0.0f);
    if (r > 0.0f) {
        const float step = std::min(r, GetSpeedInDirection(dx, dy, dt) * dt);
        move = D3DXVECTOR2(dx / r * step, dy / r * step);
    }
    const D3DXVECTOR2 push(m_Push[0], m_Push[1]);
    const D3DXVECTOR2 planned = move + push;
    WorldCtrl* world = m_World;
    bool moved = false;
    const bool ahead = r > 0.0f && std::fabs(Angle::Diff(oldAngle, std::atan2(dy, dx))) <= kHalfPi;
    if (!noMove && (GetDecisionFlag() || ahead || r == 0.0f) && (planned.x != 0.0f || planned.y != 0.0f)) {
        if (world)
            world->MoveBy(*this, planned.x, planned.y, dt, 1, nullptr, nullptr, false);
        moved = true;
    }
    if (world && r > 0.0f)
        world->TurnToPoint(*this, s.moveTarget[0], s.moveTarget[1], s.moveSpeed);
    if (updateCycle && s.moveCode != kMoveBaseDummy) {
        const float turn = Angle::Diff(oldAngle, GetAngle());
        if (moved)
            ChooseMoveCycleVector(oldPos, turn, dt, move, push);
        else
            ChooseMoveCycleVector(oldPos, turn, dt, D3DXVECTOR2(0.0f, 0.0f), D3DXVECTOR2(0.0f, 0.0f));
    }
    if (moved)
        m_Push[0] = m_Push[1] = 0.0f;
}

void CreatureObj::CircleTargetStep(float dt, float angle)
{
    WorldElem* target = m_ActionState.moveTargetObj.Get();
    if (!target) {
        m_MovementDone = 1;
        m_BlockedFlagC = 1;
        return;
    }
    m_MovementDone = 0;
    const D3DXVECTOR2 oldPos = GetPos();
    const float oldAngle = GetAngle();
    const D3DXVECTOR2 goal = target->GetPos();
    const float dx = goal.x - oldPos.x;
    const float dy = goal.y - oldPos.y;
    const float r = Length(dx, dy);
    WorldCtrl* world = m_World;
    if (r > 0.0f && std::fabs(Angle::Diff(oldAngle, std::atan2(dy, dx))) < kCircleAngle) {
        const float c = std::cos(angle);
        const float sn = std::sin(angle);
        const float wx = (dx * c - dy * sn) / r * kCircleStep;
        const float wy = (dx * sn + dy * c) / r * kCircleStep;
        const D3DXVECTOR2 point(oldPos.x + wx + m_Push[0], oldPos.y + wy + m_Push[1]);
        if (world)
            world->WalkTowards(*this, point.x, point.y, dt, m_ActionState.moveSpeed, nullptr);
    }
    m_Push[0] = m_Push[1] = 0.0f;
    if (world)
        world->TurnToPoint(*this, goal.x, goal.y, m_ActionState.moveSpeed);
    const D3DXVECTOR2 moved = GetPos() - oldPos;
    UpdateMoveCycle(moved.x, moved.y, Angle::Diff(oldAngle, GetAngle()), dt);
}

void CreatureObj::RestartFadeCycles()
{
    for (int32_t type = 0; type < kCycleTypes; type++) {
        const AC_FadeProperties& player = m_CyclePlayers[type];
        if (player.GetCycleNumber() != AC_FadeProperties::kNoCycle)
            SetCycleOfType(type, player.GetCycleNumber(), player.speed, true, 0.0f, player.reverse != 0);
    }
    m_Motion.cyclesRestarted = 1;
}

bool CreatureObj::BaseDummy(const char* fileName, float startFrame, float endFrame, float speed, bool loop,
                            float turn)
{
    if (!m_AniCycleSet || !fileName || !*fileName)
        return false;
    AniCycle& cycle = m_AniCycleSet->GetCycle(kBaseDummyCycle);
    // A new file replaces the cycle's frames; the same one is read only once.
    if (!cycle.HasData() || !cycle.m_FileName.EqualsNoCase(fileName) || cycle.m_StartFrame != startFrame ||
        cycle.m_EndFrame != endFrame) {
        cycle.m_FileName = fileName;
        cycle.m_StartFrame = startFrame;
        cycle.m_EndFrame = endFrame;
        if (!cycle.Load())
            return false;
        if (m_Scene)
            m_Scene->BindAniCycle(cycle, 0);
        MeasureBaseDummy(kBaseDummyCycle);
    }
    cycle.m_Speed = speed;
    cycle.m_Loop = loop ? 1 : 0;
    if (turn != 0.0f)
        SetAngle(GetAngle() + turn);

    CreatureActionState& s = m_ActionState;
    if (s.actionPriority <= kBaseDummyPriority) {
        if (IsClientControlled() && g_GameCtrl)
            g_GameCtrl->ReportAction(this, kActionBaseDummy, "", nullptr, kBaseDummyPriority, 0.0f);
        StopAction();
        s.actionCode = kActionBaseDummy;
        s.actionTime = 0.0f;
    }
    SetMoveType(kMoveBaseDummy, 0.0f, 0.0f, 0.0f, nullptr, kBaseDummyPriority, 0.0f);
    SetCycleOfType(0, kBaseDummyCycle, speed, true, 0.0f, false);
    SetCycleOfType(1, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
    RemoveForcedActions(kBaseDummyPriority);
    const float duration = loop ? kLoopLockTime : float(cycle.GetAniDuration());
    AddForcedAction(kBaseDummyPriority, duration,
                    CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
    return true;
}
