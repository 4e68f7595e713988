// WorldCtrl: smaller services of the world: language paths, fading out attached elements, the
// nearest creature or item, the edge line between two elements, shots across floor layers, the
// targets in a cone, entering an element only on an active block, held objects.
#include "world/WorldCtrl.h"

#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kWholeMapLimit = 9e10f;
constexpr float kLayerHeightGap = 50.0f;  // elements on different floor layers this far apart don't meet
constexpr float kAimShort = 0.5f;

float Distance(const D3DXVECTOR2& a, float x, float y) { return std::hypot(a.x - x, a.y - y); }

// Exactly one of the two stands on a raised floor layer and their heights differ by the gap.
bool OnOtherLayer(WorldElem& a, WorldElem& b, float gap)
{
    return a.IsOnFloorObject() != b.IsOnFloorObject() && std::fabs(a.GetHeight() - b.GetHeight()) >= gap;
}

}  // namespace

void WorldCtrl::ResolveLanguagePath(String& path) const
{
    const char* text = path.c_str();
    const char* found = String::FindIn(text, "LANG\\");
    if (!found)
        return;
    path.Replace(int32_t(found - text), 5, m_LanguageDir.c_str());
}

void WorldCtrl::FadeOutAttached(WorldElem* elem, float seconds)
{
    if (!elem)
        return;
    elem->ForEachChild([&](WorldElemGridBase& child) { FadeOutObject(&child, seconds, false); });
}

WorldElem* WorldCtrl::GetNearestCreatureOrItem(float x, float y, float radius)
{
    int32_t range[4];
    if (!RadiusBlockRange(x, y, radius, true, range))
        return nullptr;
    float best = radius > 0.0f ? radius : kWholeMapLimit;
    WorldElem* found = nullptr;
    for (int32_t column = range[0]; column <= range[2]; column++) {
        for (int32_t row = range[1]; row <= range[3]; row++) {
            WorldBlock::List& list = GetBlock(column, row)->objects;
            for (int32_t i = 0; i < list.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(list.GetAt(i));
                if (!elem->IsCreatureOrItem() || (elem->IsCreature() && elem->IsDead()))
                    continue;
                const float d = Distance(elem->GetPos(), x, y);
                if (d < best) {
                    best = d;
                    found = elem;
                }
            }
        }
    }
    return found ? GetObj(found->m_ObjID) : nullptr;
}

bool WorldCtrl::IsEdgeLineClear(WorldElem* a, WorldElem* b, int32_t mode)
{
    const D3DXVECTOR2 pa = a->GetPos();
    const D3DXVECTOR2 pb = b->GetPos();
    const D3DXVECTOR2 offset = pb - pa;
    const float length = std::hypot(offset.x, offset.y);
    if (length - a->m_Radius - b->m_Radius <= 0.0f)
        return true;  // touching: nothing can stand between them
    const D3DXVECTOR2 dir = offset * (1.0f / length);
    const D3DXVECTOR2 from = pa + dir * (a->m_Radius * 0.7f);
    const D3DXVECTOR2 to = pb - dir * (b->m_Radius * 0.7f);
    return GetIntersection(from.x, from.y, to.x, to.y, nullptr, mode, false, a, b, 0, kNoMinHeight) != 0;
}

bool WorldCtrl::CanHitAcrossFloors(WorldElem* shooter, WorldElem* target, D3DXVECTOR2* out, float fraction,
                                   int32_t value)
{
    if (OnOtherLayer(*shooter, *target, kLayerHeightGap))
        return false;
    const D3DXVECTOR3 from = shooter->GetPos3D();
    const D3DXVECTOR2 to = target->GetPos();
    D3DXVECTOR2 dir(to.x - from.x, to.y - from.y);
    const float length = std::hypot(dir.x, dir.y);
    if (length > 0.0f)
        dir = dir * (1.0f / length);
    // The line starts the unflown part of the shooter's radius out from its centre.
    const float skip = (1.0f - fraction) * shooter->m_Radius;
    const D3DXVECTOR2 start(from.x + dir.x * skip, from.y + dir.y * skip);
    const int16_t layer = int16_t(shooter->IsOnFloorObject() ? 1 : 0);
    return GetIntersection(start.x, start.y, to.x, to.y, out, value, true, shooter, target, layer, from.z) != 0;
}

int32_t WorldCtrl::FindTargetsInCone(const ConeQuery& q)
{
    m_ObjectListCount = 0;
    const float reach = std::hypot(q.dirX, q.dirY);
    if (!(reach > 0.0f) || !(reach < 1e9f))
        return 0;
    const D3DXVECTOR2 start(q.startX, q.startY);
    const D3DXVECTOR2 u(q.dirX / reach, q.dirY / reach);
    const float widthSq = q.width * q.width;
    int32_t range[4];
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(q.startX), WorldElemGridBase::BlockOf(q.startY),
                         int32_t(reach / float(kBlockSize)) + 2, range))
        return 0;
    // The angle of a point off the direction, its lateral offset first reduced by a radius.
    auto angleOf = [&](const D3DXVECTOR2& p, float radius) {
        const D3DXVECTOR2 off = p - start;
        const float along = off.x * u.x + off.y * u.y;
        const float lateral = std::fabs(off.x * u.y - off.y * u.x);
        return std::atan2(std::max(lateral - radius, 0.0f), along);
    };
    auto visible = [&](const D3DXVECTOR2& aim, WorldElemBase* target) {
        return !q.lineTest || GetIntersection(start.x, start.y, aim.x, aim.y, nullptr, q.lineFlags, false, q.source,
                                              target, 0, kNoMinHeight) != 0;
    };
    const float layerGap = (q.lineFlags & 64) ? 2.0f * kLayerHeightGap : kLayerHeightGap;
    for (int32_t row = range[1]; row <= range[3]; row++) {
        for (int32_t column = range[0]; column <= range[2]; column++) {
            WorldBlock* block = GetBlock(column, row);
            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(block->objects.GetAt(i));
                if (elem == q.source || elem->IsExcludedFromTargeting() || elem->m_IgnoreInQueries)
                    continue;
                if (q.source && OnOtherLayer(*q.source, *elem, layerGap))
                    continue;
                float radius = q.radiusMode ? elem->GetBodyRadius() : elem->m_Radius;
                if (elem->IsCreature() && elem->IsDead())
                    radius = std::min(radius, elem->GetBodyRadius());
                const D3DXVECTOR2 pos = elem->GetPos();
                const float d = Distance(pos, start.x, start.y);
                // The body's near edge within the reach counts: a strike reaches a body as big as
                // the striker's standing next to it, not only a body wholly inside the reach.
                if (!(d - radius <= reach * q.rangeFactor) || d - radius < q.minDistance)
                    continue;
                const float angle = angleOf(pos, radius);
                const D3DXVECTOR2 aim = d > kAimShort ? pos - (pos - start) * (kAimShort / d) : start;
                if (visible(aim, elem))
                    AddToObjectList({elem, angle * angle * reach / (widthSq + 0.1f), 0});
            }
            if (q.wallMode == 0)
                continue;
            for (int32_t i = 0; i < block->walls.GetSize(); i++) {
                auto* wall = static_cast<VSD_WallIntern*>(block->walls.GetAt(i));
                auto* owner = dynamic_cast<WorldElem*>(wall->m_Parent.Get());
                if (!(owner || (q.wallMode >= 2 && (wall->IsUsable() || wall->m_Solid))))
                    continue;
                if (owner == q.source && owner)
                    continue;
                if ((wall->m_SemiPerm == -1 || wall->m_SemiPerm == 1) &&
                    wall->m_SemiPerm * wall->GetSide(start.x, start.y) < 0)
                    continue;
                // The wall's nearest point to the start.
                const D3DXVECTOR2 a(wall->m_X1, wall->m_Y1);
                const D3DXVECTOR2 e(wall->m_X2 - wall->m_X1, wall->m_Y2 - wall->m_Y1);
                const float lengthSq = e.x * e.x + e.y * e.y;
                const float t = lengthSq > 0.0f
                                    ? std::clamp(((start.x - a.x) * e.x + (start.y - a.y) * e.y) / lengthSq, 0.0f, 1.0f)
                                    : 0.0f;
                const D3DXVECTOR2 nearest = a + e * t;
                const float gap = Distance(nearest, start.x, start.y);
                const float angle = angleOf(nearest, 0.0f);
                if (gap > 1.5f * reach || angle * angle > widthSq)
                    continue;
                const D3DXVECTOR2 aim = gap > kAimShort ? nearest - (nearest - start) * (kAimShort / gap) : start;
                if (!visible(aim, wall))
                    continue;
                const float score = angle * angle * reach / (widthSq + 0.1f) + gap;
                if (owner) {
                    AddToObjectList({owner, score, 0});
                } else if (m_ObjectListCount < kObjectListSize) {
                    m_ObjectList[m_ObjectListCount++] = {nullptr, score, wall->m_ObjID};
                }
            }
        }
    }
    if (m_ObjectListCount > 1)
        SortDataSort(m_ObjectList.get(), 0, m_ObjectListCount - 1);
    return m_ObjectListCount;
}

int32_t WorldCtrl::AddObjIfOnFloor(WorldElem* elem)
{
    const D3DXVECTOR2 pos = elem->GetPos();
    // A coordinate beyond the integer range lies outside the grid.
    if (!(std::fabs(pos.x) < 2147483520.0f && std::fabs(pos.y) < 2147483520.0f))
        return -1;
    const int32_t column = int32_t(pos.x) / kBlockSize;
    const int32_t row = int32_t(pos.y) / kBlockSize;
    if (!IsBlockActive(column, row))
        return -1;
    return AddObj(elem, 0, true);
}

void WorldCtrl::AddHeldObject(WorldElem* object)
{
    if (!object)
        return;
    object->m_IgnoreInQueries = 1;
    object->m_NoCollisions = 1;
    const int32_t slot = m_HeldObjects.Add();
    *m_HeldObjects.GetBySlot(slot) = object;
}

WorldElem* WorldCtrl::GetObjectAt(int32_t i)
{
    return i >= 0 && i < m_Elements.GetSize() ? m_Elements.GetAt(i) : nullptr;
}
