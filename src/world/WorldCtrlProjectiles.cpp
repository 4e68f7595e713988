// WorldCtrl: the step of a projectile in the per-frame update: its flight along its direction up
// to its range, the elements it touched, the hit at a wall, an element, the floor or the map's
// edge with its damage, scripts, sound and light, and the children it leaves behind.
#include "world/WorldCtrl.h"

#include "world/ActionShot.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/ProjectileBase.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kReleaseFadeTime = 0.12f;
constexpr float kAttachedFadeTime = 0.5f;  // over the last half second of the flight
constexpr float kMinEffectFadeTime = 0.005f;

// The elements of the list that still exist.
std::vector<WorldElem*> Living(const std::vector<SmartPtr<WorldElem>>& list)
{
    std::vector<WorldElem*> living;
    for (const SmartPtr<WorldElem>& entry : list) {
        if (WorldElem* elem = entry.Get())
            living.push_back(elem);
    }
    return living;
}

}  // namespace

void WorldCtrl::StepProjectile(WorldElem& elem, float dt)
{
    auto* projectile = dynamic_cast<ProjectileBase*>(&elem);
    if (!projectile)
        return;
    GameCtrlInterface& ctrl = GetCtrl();
    SmartPtr<ProjectileBase> alive(projectile);
    const auto gone = [&alive] { return !alive.Get(); };
    auto end = [&](float fadeTime, bool keepEffects) {
        ReleaseProjectileChildren(*projectile, fadeTime, keepEffects);
        if (alive.Get() && HoldsObj(projectile->m_ObjID, projectile))
            DelObj(projectile->m_ObjID, 1);
    };
    D3DXVECTOR2 point = projectile->GetPos();
    if (IsOutsideLevel(point.x, point.y)) {
        end(kReleaseFadeTime, false);
        return;
    }
    ActionShot* shot = projectile->m_Shot;
    WorldElem* shooter = projectile->m_Shooter.Get();
    const int32_t shooterID = shooter ? shooter->m_ObjID : -1;

    // 2-3. The flight, or the hit at once.
    bool hit = false;
    SmartPtr<WorldElemBase> struck;
    m_LastCollision.blocker = nullptr;
    if (projectile->m_InstantHit || projectile->m_StartsBlocked) {
        hit = true;
        if (projectile->m_StartsBlocked) {
            struck = projectile->m_Target.Get();  // what stood between the shooter and the muzzle
            projectile->m_StartsBlocked = 0;
        } else {
            projectile->m_Target = dynamic_cast<WorldElem*>(m_LastCollision.blocker.Get());
        }
    } else {
        D3DXVECTOR2 reached;
        if (!StepMotion(*projectile, reached, dt, 1, projectile))
            hit = true;
        if (gone())
            return;
        point = projectile->GetPos();
        float step = projectile->m_Speed * dt;
        step = std::min(step, projectile->m_Range - projectile->m_DistanceFlown);
        if (!hit && step > 0.0f) {
            const float angle = projectile->GetAngle();
            const D3DXVECTOR2 to = point + D3DXVECTOR2(std::cos(angle), std::sin(angle)) * step;
            D3DXVECTOR2 out = to;
            const double now = ctrl.GetGameTime();
            if (!MoveStepped(*projectile, point, to, &out, now, dt, 1, projectile, 1, nullptr))
                hit = true;
            if (gone())
                return;
            // A flight over the map's edge ends on the edge.
            const float width = float(GetMapWidth()) * GetCellWidthF();
            const float height = float(GetMapHeight()) * GetCellHeightF();
            if (out.x < 0.0f || out.y < 0.0f || out.x > width || out.y > height) {
                const D3DXVECTOR2 d = out - point;
                float t = 1.0f;
                if (out.x < 0.0f && d.x != 0.0f)
                    t = std::min(t, -point.x / d.x);
                if (out.x > width && d.x != 0.0f)
                    t = std::min(t, (width - point.x) / d.x);
                if (out.y < 0.0f && d.y != 0.0f)
                    t = std::min(t, -point.y / d.y);
                if (out.y > height && d.y != 0.0f)
                    t = std::min(t, (height - point.y) / d.y);
                out = point + d * std::clamp(t, 0.0f, 1.0f);
                hit = true;
            }
            projectile->m_DistanceFlown += std::hypot(out.x - point.x, out.y - point.y);
            point = out;
        }
        if (hit)
            struck = m_LastCollision.blocker.Get();
    }

    // 4. Placed at the new point.
    projectile->m_PosX = point.x;
    projectile->m_PosY = point.y;
    projectile->OnPosChanged();
    projectile->UpdateFlightState();
    if (gone())
        return;

    // 5. What it touched on the way.
    if (projectile->m_TouchedProcessed < int32_t(projectile->m_Touched.size())) {
        DamageValuesHolder values(nullptr);
        if (shooter)
            shooter->GetDamageValues(values);
        DamageValues* damage = values ? values.Get() : projectile->m_Damage.Get();
        std::vector<SmartPtr<WorldElem>> fresh(projectile->m_Touched.begin() + projectile->m_TouchedProcessed,
                                               projectile->m_Touched.end());
        projectile->m_TouchedProcessed = int32_t(projectile->m_Touched.size());
        for (SmartPtr<WorldElem>& entry : fresh) {
            if (WorldElem* target = entry.Get())
                target->OnDamage(damage, projectile->m_Shooter.Get(), -2, nullptr, nullptr, 0);
        }
        if (gone())
            return;
        const std::vector<WorldElem*> damaged = Living(fresh);
        if (shot && !shot->onDamage.IsEmpty() && !damaged.empty()) {
            FillScriptQuery(damaged);
            ctrl.SetShotDamagedCount(int32_t(damaged.size()));
            RunScript(shot->onDamage, projectile, 1, 1, "SHOT:OnDamage", 1, 255);
            if (gone())
                return;
        }
    }

    // 6.
    projectile->m_FrameFlag = 0;

    // 7. Still flying.
    if (!hit) {
        if (projectile->m_Range <= projectile->m_Speed * 0.5f + projectile->m_DistanceFlown)
            projectile->ForEachChild([](WorldElemGridBase& child) { child.FadeOut(kAttachedFadeTime); });
        if (projectile->m_DistanceFlown >= projectile->m_Range) {
            ReleaseProjectileChildren(*projectile, kReleaseFadeTime, false);
            ctrl.SetShotHit(-1, -1);
            if (shot && !shot->onHit.IsEmpty())
                RunScript(shot->onHit, projectile, 1, 1, "SHOT:OnHit", 1, 255);
            if (alive.Get() && HoldsObj(projectile->m_ObjID, projectile))
                DelObj(projectile->m_ObjID, 1);
            return;
        }
        if (!IsValidCell(projectile->m_CellX, projectile->m_CellY) ||
            (ctrl.ProcessActiveBlocksOnly() && !IsBlockActive(projectile->m_CellX, projectile->m_CellY)))
            end(kReleaseFadeTime, false);  // 9.
        return;
    }

    // 8. The hit: damage, scripts, sound, light, effects.
    WorldElemBase* struckElem = struck.Get();
    WorldElemBase* targetBase = struckElem;
    if (targetBase && targetBase->m_TypeCode == ElemType::kWall)
        targetBase = targetBase->m_Parent.Get();  // a wall stands for the element that carries it
    SmartPtr<WorldElem> target(dynamic_cast<WorldElem*>(targetBase));
    std::vector<SmartPtr<WorldElem>> hitElems;
    DamageValues* damage = projectile->m_Damage.Get();
    if (projectile->m_SplashRadius > 0.0f) {
        DamageAll(point.x, point.y, damage, projectile->m_SplashRadius, shooterID, 0.0f, 0, target.Get(), projectile,
                  0);
        for (int32_t id : m_HitList) {
            WorldElem* victim = GetObjNoCheck(id, false);
            if (victim && !(shot && !shot->onDamage.IsEmpty() && victim == projectile))
                hitElems.emplace_back(victim);  // the shot's own projectile is not among what it damaged
        }
    } else if (WorldElem* victim = target.Get(); victim && victim->IsActiveType() && !victim->IsProtected()) {
        const D3DXVECTOR2 at = victim->GetPos();
        D3DXVECTOR2 direction = at - point;
        const float length = std::hypot(direction.x, direction.y);
        if (length > 0.0f)
            direction = direction * (1.0f / length);
        hitElems.emplace_back(victim);
        DamageObj(victim->m_ObjID, damage, shooterID, &point, &direction, 0, 0);
    }
    if (gone())
        return;
    const std::vector<WorldElem*> damaged = Living(hitElems);
    if (shot && !damaged.empty() && !shot->onDamage.IsEmpty()) {
        FillScriptQuery(damaged);
        ctrl.SetShotDamagedCount(int32_t(damaged.size()));
        RunScript(shot->onDamage, projectile, 1, 1, "SHOT:OnDamage", 1, 255);
        if (gone())
            return;
    }
    struckElem = struck.Get();
    if (shot && !shot->onHit.IsEmpty()) {
        const int32_t kind = !struckElem ? -1 : WorldElem::IsActiveType(struckElem->m_TypeCode) ? 1 : 2;
        ctrl.SetShotHit(struckElem ? struckElem->m_ObjID : -1, kind);
        RunScript(shot->onHit, projectile, 1, 1, "SHOT:OnHit", 1, 255);
        if (gone())
            return;
    }
    if (shot && !shot->sndCollide.IsEmpty())
        PlaySoundAt(shot->sndCollide.c_str(), point.x, point.y, nullptr, -1);
    ReleaseProjectileChildren(*projectile, kReleaseFadeTime, true);
    if (gone())
        return;
    if (shot && shot->hitLghtInt > 0.0f)
        PlaceImpactLight(point.x, point.y, *shot);
    const bool creatureHit = target.Get() && target.Get()->IsCreature();
    if (shot && !(creatureHit ? shot->hitEffectCreature : shot->hitEffect).IsEmpty())
        ReleaseProjectileChildren(*projectile, -1.0f, false);
    if (alive.Get() && HoldsObj(projectile->m_ObjID, projectile))
        DelObj(projectile->m_ObjID, 1);
}

void WorldCtrl::ReleaseProjectileChildren(WorldElem& projectile, float time, bool keepEffects)
{
    std::vector<SmartPtr<WorldElemGridBase>> children;
    projectile.ForEachChild([&children](WorldElemGridBase& child) { children.emplace_back(&child); });
    for (SmartPtr<WorldElemGridBase>& ref : children) {
        WorldElemGridBase* child = ref.Get();
        if (!child || child->m_Parent.Get() != &projectile)
            continue;
        const float angle = child->GetAngle();
        projectile.DetachChild(child);  // it keeps its place in the world
        child->SetAngle(angle);
        if (child->m_TypeCode == ElemType::kLight && !IsCellActive(*child)) {
            LeaveBlock(*child);  // the light's table lets it go
            continue;
        }
        (void)keepEffects;  // effects that vanish with their projectile are the effect code's
        if (time > 0.0f) {
            const float fade = child->m_TypeCode == ElemType::kEffect ? std::max(time, kMinEffectFadeTime) : time;
            FadeOutObject(child, fade, true);
        }
    }
}
