// ProjectileBase: what the world knows of a projectile (type code 5): its shot definition, its
// shooter and target, the attack serial and damage record it carries, its flight (speed, range,
// distance flown, splash radius, instant hit) and the elements it touched on the way, which the
// world damages in its step. The game's projectile derives from it and adds the trail, the flight
// state and which elements it pierces.
#pragma once
#include "base/SmartPtr.h"
#include "world/DamageValues.h"
#include "world/WorldElem.h"

#include <cstdint>
#include <vector>

class ActionShot;

class ProjectileBase : public WorldElem {
public:
    ProjectileBase() { m_TypeCode = ElemType::kProjectile; }
    // A new projectile of a template: the shot, references, serial, a copy of the damage record
    // and the flight values; nothing touched yet.
    ProjectileBase(const ProjectileBase& other);
    ProjectileBase& operator=(const ProjectileBase&) = delete;

    // An element the shot starts in: it is hit at once.
    virtual void SetPointBlankTarget(WorldElem* target) { m_Target = target; }
    // After each step: the game's projectile updates its flight state and trail here.
    virtual void UpdateFlightState() {}
    float GetFlightRadiusFactor() override { return m_RadiusFactor; }

    // The shot values of a template: shot, references, serial, a copy of the damage record, the
    // flight values and the radius.
    void TakeShotValues(const ProjectileBase& other);
    uint32_t GetAttackSerial() override { return m_AttackSerial; }
    // A copy of the damage it carries, as it would hit now (none when it carries none).
    void GetDamageValues(DamageValuesHolder& out) override { out.Set(m_Damage ? m_Damage->Clone() : nullptr); }

    // Remembers an element touched in flight (pierced); each one once.
    void AddTouched(WorldElem* elem);
    float GetRemainingRange() const { return m_Range - m_DistanceFlown; }

    ActionShot* m_Shot = nullptr;
    SmartPtr<WorldElem> m_Shooter;
    SmartPtr<WorldElem> m_Target;
    uint32_t m_AttackSerial = 0;
    DamageValuesHolder m_Damage;
    float m_Speed = 0.0f;  // units per second
    float m_Range = 0.0f;
    float m_DistanceFlown = 0.0f;
    float m_SplashRadius = 0.0f;
    float m_RadiusFactor = 1.0f;  // on the radius while flying
    uint8_t m_InstantHit = 0;     // hits where it is, at once
    uint8_t m_StartsBlocked = 0;  // its muzzle was behind a wall: it hits in its first step
    uint8_t m_FrameFlag = 0;      // set by the game's projectile during a frame; the step clears it
    std::vector<SmartPtr<WorldElem>> m_Touched;
    int32_t m_TouchedProcessed = 0;  // entries already damaged
};
