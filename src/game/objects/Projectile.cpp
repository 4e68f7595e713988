// Projectile: construction, the push and the return to speed, the wobble, the hit list, the
// collision event and the trail.
#include "game/objects/Projectile.h"

#include "base/Random.h"
#include "level/VSD_WallIntern.h"
#include "world/ActionShot.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;

// The wobble's key curve: one sine period per unit of phase.
float WobbleCurve(double phase) { return float(std::sin(std::fmod(phase, 1.0) * double(kTwoPi))); }

}  // namespace

Projectile::Projectile()
{
    CopyName32(this, "Projectile");
    m_TypeCode = ElemType::kProjectile;
    m_Speed = 300.0f;
    m_Range = 2000.0f;
    m_CollisionMask = -5;
    m_Height = 20.0f;
    m_Damage.Set(g_GameCtrl ? g_GameCtrl->CreateDamageValues() : nullptr);
}

Projectile::~Projectile() = default;

float Projectile::GetHeight() const { return ProjectileBase::GetHeight() + m_ExtraHeight; }

bool Projectile::OnInitEvent()
{
    if (!m_World || m_World->AreInitScriptsSuspended() || m_OnInit.IsEmpty())
        return false;
    m_World->RunScript(m_OnInit, this, 1, 1, "Proj:OnInit", 1, 255);
    return true;
}

void Projectile::Push(float px, float py)
{
    if (!(m_Mass > 0.0f))
        return;
    const float a = GetAngle();
    const float mx = m_Mass * m_Speed * std::cos(a) + px;
    const float my = m_Mass * m_Speed * std::sin(a) + py;
    SetAngle(std::atan2(my, mx));
    m_Speed = std::sqrt(mx * mx + my * my) / m_Mass;  // momentum back to speed
    m_PushStrength = std::sqrt(px * px + py * py);
}

void Projectile::Update(float dt)
{
    SmartPtr<WorldElem> alive(this);
    UpdateCommon(dt);
    if (!alive.Get())
        return;
    m_FramePos = D3DXVECTOR3(GetPos().x, GetPos().y, GetHeight());
    if (m_WobbleAmplitude > 0.0f) {
        const double phase = m_TimeAdded * 100.0 + GameCtrlInterface::GameTime() * double(m_WobbleFrequency);
        SetAngle(m_BaseAngle + m_WobbleAmplitude * WobbleCurve(phase));
    }
    if (m_Mass > 0.0f && dt > 0.0f) {
        const float r = kReturnRate - m_PushStrength / (m_Mass * dt);
        if (r > 0.0f && m_Speed != m_TargetSpeed) {
            const float most = r * dt;
            m_Speed = m_Speed < m_TargetSpeed ? std::min(m_TargetSpeed, m_Speed + most)
                                              : std::max(m_TargetSpeed, m_Speed - most);
        }
        m_PushStrength = 0.0f;
    }
}

void Projectile::UpdateFlightState()
{
    const float dt = float(m_World ? m_World->GetLastFrameTime() : 0.0f);
    if (dt > 0.0f)
        SpawnTrail(dt, m_FramePos.x, m_FramePos.y, m_FramePos.z);
}

bool Projectile::CanBeHit(WorldElem& elem) { return elem.IsActiveType() && !elem.IsDead() && !elem.IsProtected(); }

bool Projectile::TakeFlightHit(WorldElem& target, bool atStart)
{
    (void)atStart;
    if (!CanBeHit(target))
        return false;
    if (&target != m_Creator.Get())
        AddHit(&target);
    return true;  // what a shot hits, and its creator, are no obstacle
}

void Projectile::AddHit(WorldElem* elem)
{
    if (!elem)
        return;
    if (m_Attacker != 0 && elem->IsCreature()) {
        uint32_t* attackers = elem->m_HitSerials;
        const uint32_t attacker = uint32_t(m_Attacker);
        if (std::find(attackers, attackers + 3, attacker) != attackers + 3)
            return;  // this attacker's shot hit it already
        attackers[2] = attackers[1];
        attackers[1] = attackers[0];
        attackers[0] = attacker;
    }
    AddTouched(elem);
}

void Projectile::OnCollision(WorldElemBase* other, int32_t side)
{
    SmartPtr<WorldElemBase> hold(other);
    bool stops = false;
    auto* elem = dynamic_cast<WorldElem*>(other);
    if (!other) {
        m_HitElement = nullptr;
        m_Stopped = 1;
    } else if (!elem || !elem->IsValidType() || elem->m_TypeCode == ElemType::kWall) {
        // Walls: only the side they block from counts.
        if (auto* wall = dynamic_cast<VSD_WallIntern*>(other))
            stops = wall->SideAllows(side) && wall->m_Solid;
    } else if (CanBeHit(*elem)) {
        if (elem != m_Creator.Get())
            AddHit(elem);
        WorldElem::OnCollisionEvent(other, side);
        return;
    } else if (elem->IsCreature() && m_Attacker != 0 &&
               std::find(elem->m_HitSerials, elem->m_HitSerials + 3, uint32_t(m_Attacker)) != elem->m_HitSerials + 3) {
        stops = false;  // its attacker's shots pass it
    } else {
        stops = elem->m_BlocksShots != 0;
    }
    if (stops) {
        m_HitElement = other;
        m_Stopped = 1;
    }
    WorldElem::OnCollisionEvent(other, side);
}

int32_t Projectile::SpawnTrail(float dt, float prevX, float prevY, float prevZ)
{
    (void)prevX;
    (void)prevY;
    (void)prevZ;
    if (!m_Shot || m_Shot->traceEffect.IsEmpty() || !(dt > 0.0f))
        return 0;
    const float way = dt * m_Speed;
    int32_t count = 0;
    if (m_Shot->traceProb > 0.0f)  // random: the rate rounded at random
        count += int32_t(std::floor(double(way) * double(m_Shot->traceProb) + Random::Float01()));
    const float d = m_Shot->traceWayPerEmit;
    if (d > 0.0f)  // spaced: the multiples of d crossed this frame
        count += int32_t(std::floor(m_DistanceFlown / d) - std::floor((m_DistanceFlown - way) / d));
    // Each effect would go between the previous and the current point with the projectile's
    // angle; the world's effect creation makes none on the server.
    return std::max(count, 0);
}
