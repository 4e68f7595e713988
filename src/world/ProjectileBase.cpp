// ProjectileBase: the copy of a template and the list of touched elements.
#include "world/ProjectileBase.h"

ProjectileBase::ProjectileBase(const ProjectileBase& other) : WorldElem(other) { TakeShotValues(other); }

void ProjectileBase::TakeShotValues(const ProjectileBase& other)
{
    m_Shot = other.m_Shot;
    m_Shooter = other.m_Shooter.Get();
    m_Target = other.m_Target.Get();
    m_AttackSerial = other.m_AttackSerial;
    m_Damage.Assign(other.m_Damage);
    m_Speed = other.m_Speed;
    m_Range = other.m_Range;
    m_DistanceFlown = other.m_DistanceFlown;
    m_SplashRadius = other.m_SplashRadius;
    m_RadiusFactor = other.m_RadiusFactor;
    m_InstantHit = other.m_InstantHit;
    m_StartsBlocked = other.m_StartsBlocked;
    m_Radius = other.m_Radius;
}

void ProjectileBase::AddTouched(WorldElem* elem)
{
    for (const SmartPtr<WorldElem>& entry : m_Touched) {
        if (entry.Get() == elem)
            return;
    }
    m_Touched.emplace_back(elem);
}
