// WorldElem: the search for the nearest enemy in view, the network smoothing of position and
// angle, fading by the active area, the constant rotation, the stop time of an impulse, the target
// point and the reach distances.
#include "world/WorldElem.h"

#include "level/Angle.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kInvBlockSize = 0.001953125f;  // 1 / 512
constexpr float kInvPi = 0.3183098886495358f;
constexpr float kSnapDistance = 512.0f;  // further off, smoothing jumps to the target

}  // namespace

int32_t WorldElem::FindNearestEnemyInView(float front, float back)
{
    if (!m_World)
        return -1;
    const int32_t k = int32_t(std::max(front, back) * kInvBlockSize);
    const D3DXVECTOR2 pos = GetPos();
    const float facing = GetAngle();
    int32_t found = -1;
    float nearest = 0.0f;
    for (int64_t x = int64_t(m_CellX) - k; x <= int64_t(m_CellX) + k; x++) {
        for (int64_t y = int64_t(m_CellY) - k; y <= int64_t(m_CellY) + k; y++) {
            WorldBlock* block = m_World->GetBlock(int32_t(x), int32_t(y));
            if (!block)
                continue;
            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* other = static_cast<WorldElem*>(block->objects.GetAt(i));
                if (!other || !other->IsCreature() || other == this || !IsEnemyOf(other, false) ||
                    other->IsExcludedFromTargeting() || other->m_IgnoreInQueries)
                    continue;
                const D3DXVECTOR2 at = other->GetPos();
                const float dx = at.x - pos.x;
                const float dy = at.y - pos.y;
                const float d = std::max(std::sqrt(dx * dx + dy * dy) - other->m_BodyRadius, 0.0f);
                const float t = std::fabs(Angle::Diff(facing, std::atan2(dy, dx))) * kInvPi;
                const float allowed = t * back + (1.0f - t) * front;
                if (d > allowed || (found >= 0 && !(d < nearest)))
                    continue;
                if (!m_World->IsLineClearBetween(this, other))
                    continue;
                found = other->m_ObjID;
                nearest = d;
            }
        }
    }
    return found;
}

void WorldElem::SmoothToNetworkPos(float dt)
{
    const float T = m_NetSmoothTime;
    if (!(T > 0.0f))
        return;
    const float f = dt / T;
    const D3DXVECTOR2 pos = GetPos();
    const D3DXVECTOR2 D(m_NetTargetX - pos.x, m_NetTargetY - pos.y);
    if (f > 1.0f || std::sqrt(D.x * D.x + D.y * D.y) > kSnapDistance) {
        SetPos(m_NetTargetX, m_NetTargetY);
        SetAngle(m_NetTargetAngle);
        m_NetSmoothTime = 0.0f;
        m_NetVelocityX = 0.0f;
        m_NetVelocityY = 0.0f;
        return;
    }
    SetAngle(WrapAngle(m_Angle + Angle::Diff(m_Angle, m_NetTargetAngle) * f));
    if (!GetCreatureFlag()) {
        SetPos(pos.x + D.x * f, pos.y + D.y * f);
    } else {
        // Hermite from the position with the stored velocity to the target, its tangent there
        // the straight way; the tangent at the point reached becomes the velocity.
        const float s = f, s2 = s * s, s3 = s2 * s;
        const float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
        const float d00 = 6 * s2 - 6 * s, d10 = 3 * s2 - 4 * s + 1, d01 = -6 * s2 + 6 * s, d11 = 3 * s2 - 2 * s;
        const float m0x = m_NetVelocityX * T, m0y = m_NetVelocityY * T;
        const float x = h00 * pos.x + h10 * m0x + h01 * m_NetTargetX + h11 * D.x;
        const float y = h00 * pos.y + h10 * m0y + h01 * m_NetTargetY + h11 * D.y;
        m_NetVelocityX = (d00 * pos.x + d10 * m0x + d01 * m_NetTargetX + d11 * D.x) / T;
        m_NetVelocityY = (d00 * pos.y + d10 * m0y + d01 * m_NetTargetY + d11 * D.y) / T;
        SetPos(x, y);
    }
    m_NetSmoothTime = T - dt;
}

void WorldElem::OnEnterActiveArea()
{
    m_InActiveCell = 1;
    if (m_FadeOutIfInView == 0 || (g_GameCtrl && g_GameCtrl->GetNoAreaFade() == 1))
        m_FadeOutValue = 1.0f;
    else
        m_FadeOutDirection = m_FadeOutValue >= 1.0f ? 0 : 1;
}

void WorldElem::OnLeaveActiveArea()
{
    if (m_FadeOutIfInView)
        m_FadeOutDirection = m_FadeOutValue > 0.0f ? -1 : 0;
}

int32_t WorldElem::GetInputMode() { return m_InputCtrl ? m_InputCtrl->GetMode() : 0; }

void WorldElem::SetRotationSpeed(float rate)
{
    const double now = GameCtrlInterface::GameTime();
    SetSecondAngle(float(m_SecondAngle + now * (m_RotationSpeed - rate)));
    m_RotationSpeed = rate;
}

float WorldElem::GetStopTime(float v) const
{
    if (!(m_Mass > 0.0f))
        return 0.0f;
    const float u = v / m_Mass;
    const float A = m_Deceleration;
    const float k = m_Drag;
    if (k > 0.0f)
        return -(1.0f / k) * std::log(A / (u * k + A));
    return u / A;
}

D3DXVECTOR2 WorldElem::GetTargetPoint()
{
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const D3DXVECTOR2 pos = GetPos();
    return {pos.x + m_TargetOffset[0] * c - m_TargetOffset[1] * s, pos.y + m_TargetOffset[0] * s + m_TargetOffset[1] * c};
}

float WorldElem::GetReachDistanceToPoint(float x, float y)
{
    const D3DXVECTOR2 pos = GetPos();
    return std::max(std::hypot(x - pos.x, y - pos.y) - m_ReachRadius, 0.0f);
}

float WorldElem::GetReachDistanceTo(WorldElem& other)
{
    const D3DXVECTOR2 target = other.GetTargetPoint();
    const D3DXVECTOR2 pos = GetPos();
    return std::max(std::hypot(target.x - pos.x, target.y - pos.y) - other.m_BodyRadius - m_ReachRadius, 0.0f);
}
