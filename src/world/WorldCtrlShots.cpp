// WorldCtrl: a shot fired from an element becomes one or more projectiles that fan out from its
// muzzle; the element found at a point (a shot's point-blank target).
#include "world/WorldCtrl.h"

#include "base/Random.h"
#include "world/ActionShot.h"
#include "world/GameCtrlInterface.h"
#include "world/ProjectileBase.h"
#include "world/WorldElem.h"

#include <cmath>
#include <memory>

namespace {

constexpr float kMuzzleLineExtra = 0.5f;

D3DXVECTOR2 Turned(float forward, float sideways, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {forward * c - sideways * s, forward * s + sideways * c};
}

}  // namespace

void WorldCtrl::Shoot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction)
{
    GameCtrlInterface& ctrl = GetCtrl();
    std::unique_ptr<ProjectileBase> model(ctrl.CreateProjectile());
    const int32_t shooterID = shooter ? shooter->m_ObjID : -1;
    if (!shooter || !HoldsObj(shooterID, shooter))
        Error("Invalid object ID in Shoot(): %i", shooterID);
    if (!model || !shot)
        return;
    if (!IsValidCell(shooter->m_CellX, shooter->m_CellY) ||
        (ctrl.ProcessActiveBlocksOnly() && !IsBlockActive(shooter->m_CellX, shooter->m_CellY)))
        return;  // nothing flies from where no one is
    const D3DXVECTOR2 origin = shooter->GetPos();

    const uint32_t serial =
        shooter->IsCreature() ? (uint32_t(shooter->GetAttackCounter()) + uint32_t(shooterID) * 1000u) * 100u : 0u;
    float shotAngle;
    const float length = direction ? std::hypot(direction->x, direction->y) : 0.0f;
    if (length > 0.0f)
        shotAngle = std::atan2(direction->y / length, direction->x / length);
    else
        shotAngle = shooter->GetAngle();
    if (shot->angleDeviation != 0.0f)
        shotAngle += float(Random::Range(-shot->angleDeviation, shot->angleDeviation));

    model->m_Shot = shot;
    model->m_Shooter = shooter;
    model->m_AttackSerial = serial;
    model->m_Speed = shot->spdMove * (shooter->GetParty() != 1 ? ctrl.GetMonsterShotSpeed() : 1.0f);
    model->m_Range = shot->maxDist;
    model->m_SplashRadius = shot->damDist;
    model->m_Radius = shot->size;
    model->m_Damage.Assign(shot->hitEffects.damage);
    if (shooter->IsCreature())
        shooter->ApplyShotModifiers(model->m_Damage.Get(), *model);

    const int32_t n = shot->numShots;
    const float baseAngle = shotAngle + shot->angle;
    const D3DXVECTOR2 muzzle = origin + Turned(shot->startOffsetLocal[0], shot->startOffsetLocal[1], baseAngle);
    const int16_t layer = shooter->IsOnFloorObject() ? 1 : 0;
    SmartPtr<WorldElem> shooterRef(shooter);
    for (int32_t i = 0; i < n && shooterRef.Get(); i++) {
        const float fan = n >= 2 ? -shot->scatterAngle + float(i) * 2.0f * shot->scatterAngle / float(n - 1) : 0.0f;
        const float lateral = n >= 2 ? -shot->width / 2.0f + float(i) * shot->width / float(n - 1) : 0.0f;

        // A muzzle outside the shooter's body must be reachable from it.
        bool blocked = false;
        WorldElem* blocker = nullptr;
        const D3DXVECTOR2 toMuzzle = muzzle - origin;
        const float muzzleDistance = std::hypot(toMuzzle.x, toMuzzle.y);
        if (muzzleDistance + model->m_Radius > shooter->m_Radius && muzzleDistance > 0.0f) {
            const float reach = muzzleDistance + model->m_Radius + kMuzzleLineExtra;
            const D3DXVECTOR2 end = origin + toMuzzle * (reach / muzzleDistance);
            if (!GetIntersection(origin.x, origin.y, end.x, end.y, nullptr,
                                 kLineWalls | kLineObjects | kLineCreatures | kLineNonCreatures, true, shooter,
                                 nullptr, layer, kNoMinHeight)) {
                auto* met = dynamic_cast<WorldElem*>(GetLastHit());
                if (!(met && met->IsActiveType() && ShotCollides(shooter, met))) {
                    blocked = true;
                    blocker = met;
                }
            }
        }

        ProjectileBase* projectile = ctrl.CreateProjectile();
        if (!projectile)
            continue;
        projectile->TakeShotValues(*model);
        D3DXVECTOR2 at = muzzle;
        if (blocked) {
            projectile->m_StartsBlocked = 1;
            projectile->m_Target = blocker;
        } else {
            at = muzzle + Turned(0.0f, lateral, baseAngle);
        }
        projectile->m_PosX = at.x;
        projectile->m_PosY = at.y;
        projectile->SetAngle(WorldElemGridBase::WrapAngle(baseAngle + fan));
        const int32_t column = WorldElemGridBase::BlockOf(at.x);
        const int32_t row = WorldElemGridBase::BlockOf(at.y);
        if (IsOutsideLevel(at.x, at.y) || !IsValidCell(column, row) ||
            (ctrl.ProcessActiveBlocksOnly() && !IsBlockActive(column, row))) {
            delete projectile;
            continue;
        }
        const int32_t pointBlank =
            blocked ? -1 : FindElementAtPoint(at.x, at.y, projectile->m_Radius, true, false, shooter);
        const int32_t id = AddObj(projectile, 0, false);
        if (!HoldsObj(id, projectile))
            continue;
        if (pointBlank >= 0)
            projectile->SetPointBlankTarget(GetObjNoCheck(pointBlank, false));
        projectile->SetHeight(shooter->GetHeight());
        for (int32_t c = 0; c < ActionShot::kChildren; c++) {
            if (shot->child[c].IsEmpty())
                continue;
            auto* effect = dynamic_cast<WorldElem*>(
                ctrl.CreateWorldObject(shot->child[c].c_str(), at.x, at.y, projectile->GetAngle(), 0.0f));
            if (effect)
                projectile->AttachChild(effect);
        }
        if (shot->lghtInt > 0.0f)
            AttachShotLight(*projectile, *shot);
    }
}

int32_t WorldCtrl::FindElementAtPoint(float x, float y, float radius, bool creaturesOnly, bool needsFlag,
                                      WorldElem* excluded)
{
    const int32_t cx = WorldElemGridBase::BlockOf(x);
    const int32_t cy = WorldElemGridBase::BlockOf(y);
    WorldElemBase* owner = excluded ? excluded->m_Parent.Get() : nullptr;
    for (int64_t column = int64_t(cx) - 1; column <= int64_t(cx) + 1; column++) {
        for (int64_t row = int64_t(cy) - 1; row <= int64_t(cy) + 1; row++) {
            WorldBlock* block = GetBlock(int32_t(column), int32_t(row));
            if (!block)
                continue;
            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem || elem == excluded || (owner && elem == owner) || elem->m_IgnoreInQueries)
                    continue;
                if (needsFlag && !elem->GetSecondCreatureFlag())
                    continue;
                if (elem->IsCreature() ? elem->IsDead() : creaturesOnly)
                    continue;
                if (elem->IsInRange(x, y, radius))
                    return elem->m_ObjID;
            }
        }
    }
    return -1;
}

void WorldCtrl::AttachShotLight(ProjectileBase& projectile, const ActionShot& shot)
{
    (void)projectile;
    (void)shot;
}

void WorldCtrl::PlaceImpactLight(float x, float y, const ActionShot& shot)
{
    (void)x;
    (void)y;
    (void)shot;
}
