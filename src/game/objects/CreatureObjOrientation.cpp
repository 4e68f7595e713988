// CreatureObj: the creature's facing with its angle offset, the view angle that follows a turn
// once it settles, the move speed, the goal test, the reference point, the drawn body's ground
// offset on steps and the turn factor of its attacks.
#include "game/objects/CreatureObj.h"

#include "base/Math.h"
#include "level/Angle.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;
constexpr float kRadToDeg = 57.29578f;
constexpr float kGoalStep = 0.025f;     // the goal counts as reached within one 40th of a second
constexpr float kGoalSpeedLimit = 50.0f;
constexpr float kGroundFollowRate = 3.0f;

// (a + pi) modulo 2 pi - pi.
float WrapPi(float a) { return a - kTwoPi * std::floor((a + kPi) / kTwoPi); }

}  // namespace

float CreatureObj::GetAngle() const
{
    float a = m_Angle;
    if (const WorldElemBase* parent = m_Parent.Get())
        a = WrapPi(a + parent->GetAngle());
    return a + m_Motion.angleOffset;
}

void CreatureObj::SetAngle(float angle)
{
    m_Motion.angleBeforeTurn = WrapPi(GetAngle());
    SceneObject::SetAngle(angle - m_Motion.angleOffset);
}

void CreatureObj::SetAngleImmediate(float angle)
{
    const float a = WrapPi(angle);
    SceneObject::SetAngle(a);
    m_Motion.goalAngle = a;
    const WorldElemBase* parent = m_Parent.Get();
    m_Motion.angleBeforeTurn = parent ? a + WrapPi(parent->GetAngle()) : a;
    m_Motion.viewAngle = m_Motion.angleBeforeTurn;
    m_Motion.syncedFacing = a;
}

float CreatureObj::GetViewAngle()
{
    const bool client = g_GameCtrl && g_GameCtrl->IsNetworkClient();
    if (IsAIControlled() && !client)
        return m_Motion.viewAngle;
    m_Motion.viewAngle = WrapPi(GetAngle());
    return m_Motion.viewAngle;
}

float CreatureObj::UpdateTurnDirection()
{
    const float current = WrapPi(GetAngle());
    const float d = Angle::Diff(m_Motion.angleBeforeTurn, current);
    if (m_Motion.turnDirection * d <= 0.0f)
        m_Motion.viewAngle = current;  // the turn stopped or changed direction
    m_Motion.turnDirection = d;
    return current;
}

bool CreatureObj::IsClientControlled()
{
    return g_GameCtrl && g_GameCtrl->IsNetworkClient() && !g_GameCtrl->IsNetworkGameServer() && IsMainCharacter();
}

void CreatureObj::SetMoveSpeed(float v)
{
    if (v == m_ActionState.moveSpeed)
        return;
    if (s_SyncRotationValues && IsClientControlled() && g_GameCtrl)
        g_GameCtrl->ReportRotationValue(this, v);
    m_ActionState.moveSpeed = v;
}

void CreatureObj::SetMoveTargetAndSpeed(float x, float y, float v)
{
    m_ActionState.moveTarget[0] = x;
    m_ActionState.moveTarget[1] = y;
    SetMoveSpeed(v);
}

bool CreatureObj::IsGoalOpen()
{
    const D3DXVECTOR2 pos = GetPos();
    const float dx = m_Motion.goalPos[0] - pos.x;
    const float dy = m_Motion.goalPos[1] - pos.y;
    if (std::sqrt(dx * dx + dy * dy) >= std::min(kGoalSpeedLimit, m_Motion.goalSpeed) * kGoalStep)
        return true;
    return std::fabs(Angle::Diff(GetAngle(), m_Motion.goalAngle)) >= m_Cycle.rotationSpeed * kGoalStep;
}

D3DXVECTOR2 CreatureObj::GetReferencePoint(WorldElem* elem)
{
    if (!elem)
        return GetPos();
    AITarget reference;  // the AI's targets turn their offsets the same way
    reference.elem = elem;
    reference.offset = D3DXVECTOR2(m_Motion.referenceOffset[0], m_Motion.referenceOffset[1]);
    return reference.GetPos();
}

void CreatureObj::SmoothGroundOffset(float dt)
{
    const float g = GetGroundHeight();
    float& offset = m_Motion.groundOffset;
    if (m_Motion.lastGround < CreatureMotionValues::kUnknownGround) {
        const float k = std::min(kGroundFollowRate * dt, 1.0f);
        offset = offset - (k * offset + g - m_Motion.lastGround);
        const float height = GetOwnHeight();
        if (height > 0.0f)
            offset = std::clamp(offset, -0.5f * height, 1.8f * height + 50.0f);
        else
            offset = std::clamp(offset, -10.0f, 10.0f);
    }
    m_Motion.lastGround = g;
}

float CreatureObj::GetTurnFactor(float base, float dx, float dy)
{
    if (base <= 0.0f)
        return base;
    const float angle = Angle::Diff(GetAngle(), std::atan2(dy, dx));
    const float degrees = angle * kRadToDeg;
    float attack = 1.0f;
    const CreatureActionState& s = m_ActionState;
    if (s.actionCode == kActionEntry && s.pActionEntry) {
        const ActionEntry& entry = *s.pActionEntry;
        if (entry.damFactorAngle.GetNumKeys() > 0)
            attack *= float(entry.damFactorAngle.Evaluate(degrees));
        const float animSpeed = GetAnimSpeedFactor();
        const float cycle = animSpeed > 0.0f ? entry.duration / animSpeed : 0.0f;
        if (entry.damFactorTime.GetNumKeys() > 0 && cycle > 0.0f)
            attack *= float(entry.damFactorTime.Evaluate(Math::WrapFloat(s.actionTime, cycle) / cycle));
    }
    float factor = base * BlendCycleValue(angle) * attack;
    if (m_Stats.damFactorAngle.GetNumKeys() > 0)
        factor *= float(m_Stats.damFactorAngle.Evaluate(degrees));
    return factor * (1.0f - m_ShieldStrength);
}
