// WorldCtrl: damage dealt to one element on behalf of a causer (an element or a party), and to
// every element around a point with a falloff by the gap to the centre.
#include "world/WorldCtrl.h"

#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr float kGapMargin = 1.5f;
constexpr float kLayerHeightLimit = 50.0f;  // elements on two floor layers further apart are not hit
constexpr float kNoWallDistance = 9e10f;

// Distance from (x, y) to the wall's segment.
float DistanceToWall(const VSD_WallIntern& wall, float x, float y)
{
    const float dx = wall.m_X2 - wall.m_X1;
    const float dy = wall.m_Y2 - wall.m_Y1;
    const float dd = dx * dx + dy * dy;
    float t = dd > 0.0f ? ((x - wall.m_X1) * dx + (y - wall.m_Y1) * dy) / dd : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(wall.m_X1 + t * dx - x, wall.m_Y1 + t * dy - y);
}

}  // namespace

void WorldCtrl::DamageObj(int32_t targetID, DamageValues* damage, int32_t causerID, const D3DXVECTOR2* hitPos,
                          const D3DXVECTOR2* hitDir, int32_t arg, int32_t arg2)
{
    if (GetCtrl().IsGameRunning())
        return;  // a client's elements are damaged by the server
    WorldElem* target = GetObjNoCheck(targetID, false);
    if (!target || !target->IsValidType()) {
        Warning("Invalid target id in DamageObj: %i", targetID);
        return;
    }
    if (causerID < 0) {
        target->OnDamage(damage, nullptr, arg, hitDir, nullptr, arg2, hitPos);
        return;
    }
    if (causerID <= kMaxCauserID) {
        WorldElem* causer = GetObjNoCheck(causerID, false);
        if (!causer) {
            Warning("Invalid causer id in DamageObj: %i", causerID);
            return;
        }
        target->OnDamage(damage, causer, arg, hitDir, nullptr, arg2, hitPos);
        return;
    }
    const int32_t p = causerID - kPartyCauserBase;
    const int32_t t = target->GetParty();
    if (WorldElem::IsHostileParty(p, t) || WorldElem::IsHostileParty(t, p)) {
        target->OnDamage(damage, nullptr, arg, hitDir, nullptr, arg2, hitPos);
        return;
    }
    const float factor = p >= 1 && t >= 1 ? GetCtrl().GetFriendlyFire() : 0.0f;
    if (!(factor > 0.0f) || !damage)
        return;
    std::unique_ptr<DamageValues> scaled(damage->Clone());
    if (!scaled)
        return;
    scaled->Scale(factor);
    target->OnDamage(scaled.get(), nullptr, arg, hitDir, nullptr, arg2, hitPos);
}

// The elements to damage are collected first and damaged after: a death, a script or a deletion
// during the damage may remove any element, the grid lists change with it.
int32_t WorldCtrl::DamageAll(float x, float y, DamageValues* damage, float radius, int32_t causerID,
                             float coreRadius, int32_t arg, WorldElem* directHit, WorldElem* attacker, int32_t arg2)
{
    struct Victim {
        SmartPtr<WorldElem> elem;
        int32_t id;
        float factor;
        D3DXVECTOR2 direction;
    };
    radius = std::max(radius, 1.0f);
    const float R = radius * 0.75f;
    const int32_t cx = int32_t(x / float(WorldElemGridBase::kBlockSize));
    const int32_t cy = int32_t(y / float(WorldElemGridBase::kBlockSize));
    const int32_t reach = int32_t(R / float(WorldElemGridBase::kBlockSize) + 2.0f);
    WorldElem* causer = nullptr;
    if (uint32_t(causerID) <= uint32_t(kMaxCauserID))
        causer = GetObjSafe(causerID, "DamageAll: causer objID", true);
    const int16_t layer = causer && causer->IsOnFloorObject() ? 1 : 0;
    const D3DXVECTOR2 centre(x, y);

    m_HitList.clear();
    std::vector<Victim> victims;
    for (int64_t column = int64_t(cx) - reach; column <= int64_t(cx) + reach; column++) {
        for (int64_t row = int64_t(cy) - reach; row <= int64_t(cy) + reach; row++) {
            WorldBlock* block = GetBlock(int32_t(column), int32_t(row));
            if (!block)
                continue;
            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem || elem->m_TypeCode == ElemType::kProjectile || elem->m_IgnoreInQueries)
                    continue;
                if (causer && causer->IsOnFloorObject() != elem->IsOnFloorObject() &&
                    std::fabs(causer->GetAbsPos3D().z - elem->GetAbsPos3D().z) > kLayerHeightLimit)
                    continue;
                const D3DXVECTOR2 pos = elem->GetPos();
                const D3DXVECTOR2 offset(pos.x - x, pos.y - y);
                const float d = std::sqrt(offset.x * offset.x + offset.y * offset.y);
                const D3DXVECTOR2 direction = d > 0.0f ? D3DXVECTOR2(offset.x / d, offset.y / d) : D3DXVECTOR2(0, 0);
                float gap = 0.0f;
                if (elem != directHit) {
                    float wallDistance = kNoWallDistance;
                    bool ownsWalls = false;
                    if (elem->m_TypeCode == ElemType::kItem) {
                        elem->ForEachChild([&](WorldElemGridBase& child) {
                            if (auto* wall = dynamic_cast<VSD_WallIntern*>(&child)) {
                                ownsWalls = true;
                                wallDistance = std::min(wallDistance, DistanceToWall(*wall, x, y));
                            }
                        });
                    }
                    gap = ownsWalls ? wallDistance - (radius * 0.25f + coreRadius + kGapMargin)
                                    : d - elem->m_Radius - coreRadius - kGapMargin - radius * 0.25f;
                    gap = std::max(gap, 0.0f);
                }
                if (!(gap < R))
                    continue;
                if (gap > 0.0f) {
                    const D3DXVECTOR2 from = centre + direction * coreRadius;
                    const D3DXVECTOR2 to = centre + direction * (gap + coreRadius);
                    if (!GetIntersection(from.x, from.y, to.x, to.y, nullptr, kLineWalls, false, elem, nullptr, layer,
                                         kNoMinHeight))
                        continue;
                }
                m_HitList.push_back(elem->m_ObjID);
                victims.push_back({SmartPtr<WorldElem>(elem), elem->m_ObjID, 1.0f - gap * gap / (R * R), direction});
            }
        }
    }

    SmartPtr<WorldElem> attackerRef(attacker);
    for (Victim& victim : victims) {
        WorldElem* elem = victim.elem.Get();
        if (!elem || !HoldsObj(victim.id, elem))
            continue;  // gone during the pass
        WorldElem* liveAttacker = attackerRef.Get();
        if (liveAttacker && elem->IsCreature() && elem->WasHitByAttack(liveAttacker, true))
            continue;  // this attack already hit it
        std::unique_ptr<DamageValues> scaled(damage ? damage->Clone() : nullptr);
        if (scaled)
            scaled->Scale(victim.factor);
        DamageObj(victim.id, scaled.get(), causerID, &centre, &victim.direction, arg, arg2);
    }
    return int32_t(m_HitList.size());
}

void WorldCtrl::FillScriptQuery(const std::vector<WorldElem*>& elems)
{
    m_ScriptQueryCount = int32_t(std::min<size_t>(elems.size(), size_t(kScriptQuerySize)));
    std::copy_n(elems.begin(), m_ScriptQueryCount, m_ScriptQueryList.get());
}
