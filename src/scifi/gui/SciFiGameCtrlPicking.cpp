// SciFiGameCtrl ray pick: the element the pointer's ray meets first among those a validator
// accepts, found through the world grid's blocks along the ray's track (see the header for the
// envelope), and the ground point within a character's reach.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/gui/SciFiClickableElementCriteriaValidator.h"
#include "world/WorldBlock.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

constexpr float kFlat = 1e-6f;  // a direction part below this counts as none
constexpr float kTrackStep = WorldElemGridBase::kBlockSize * 0.5f;  // no block is stepped over

// Where the ray meets the upright cylinder (centre c, radius r, from bottom to top), within
// [0, range]: the entry distance, or a negative value for none.
float EnterCylinder(const D3DXVECTOR3& o, const D3DXVECTOR3& d, const D3DXVECTOR3& c, float r, float bottom,
                    float top, float range)
{
    float low = 0.0f;
    float high = range;
    const float ox = o.x - c.x;
    const float oy = o.y - c.y;
    const float a = d.x * d.x + d.y * d.y;
    if (a < kFlat) {
        if (ox * ox + oy * oy > r * r)
            return -1.0f;
    } else {
        const float b = ox * d.x + oy * d.y;
        const float disc = b * b - a * (ox * ox + oy * oy - r * r);
        if (disc < 0.0f)
            return -1.0f;
        const float root = std::sqrt(disc);
        low = std::max(low, (-b - root) / a);
        high = std::min(high, (-b + root) / a);
    }
    if (std::fabs(d.z) < kFlat) {
        if (o.z < bottom || o.z > top)
            return -1.0f;
    } else {
        float t0 = (bottom - o.z) / d.z;
        float t1 = (top - o.z) / d.z;
        if (t0 > t1)
            std::swap(t0, t1);
        low = std::max(low, t0);
        high = std::min(high, t1);
    }
    return low <= high ? low : -1.0f;
}

}  // namespace

WorldElem* SciFiGameCtrl::PickElementByRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                                           ElementCriteriaValidatorBase& validator, float tolerance, float& distance)
{
    WorldCtrl& world = GetWorld();
    const float gridWidth = float(world.GetBlockColumns() * WorldElemGridBase::kBlockSize);
    const float gridHeight = float(world.GetBlockRows() * WorldElemGridBase::kBlockSize);
    if (!(range > 0.0f) || gridWidth <= 0.0f || gridHeight <= 0.0f)
        return nullptr;
    // The track on the ground, clipped to the grid and a block around it.
    float tEnd = range;
    const float margin = float(WorldElemGridBase::kBlockSize);
    const float o[2] = {origin.x, origin.y};
    const float d[2] = {direction.x, direction.y};
    const float size[2] = {gridWidth, gridHeight};
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (std::fabs(d[axis]) < kFlat)
            continue;
        const float limit = d[axis] > 0.0f ? size[axis] + margin : -margin;
        const float t = (limit - o[axis]) / d[axis];
        tEnd = std::min(tEnd, std::max(0.0f, t));
    }
    const float along = std::sqrt(d[0] * d[0] + d[1] * d[1]);
    const int32_t steps = along < kFlat ? 0 : int32_t(std::min(4096.0f, std::ceil(tEnd * along / kTrackStep)));
    std::set<std::pair<int32_t, int32_t>> searched;
    const CreatureObj* self = GetMainChar();
    WorldElem* nearest = nullptr;
    float best = range;
    for (int32_t step = 0; step <= steps; ++step) {
        const float t = steps ? tEnd * float(step) / float(steps) : 0.0f;
        const int32_t column = WorldElemGridBase::BlockOf(origin.x + direction.x * t);
        const int32_t row = WorldElemGridBase::BlockOf(origin.y + direction.y * t);
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx) {
                if (!searched.insert({column + dx, row + dy}).second)
                    continue;
                WorldBlock* block = world.GetBlock(column + dx, row + dy);
                if (!block)
                    continue;
                for (int32_t i = 0; i < block->objects.GetSize(); ++i) {
                    auto* elem = dynamic_cast<WorldElem*>(block->objects.GetAt(i));
                    if (!elem || elem == self || !elem->IsVisible() || elem->IsHidden())
                        continue;
                    const float radius = elem->GetRadius();
                    const float envelope = radius + tolerance;
                    if (!(radius >= 0.0f) || !(envelope > 0.0f))
                        continue;
                    const D3DXVECTOR3 at = elem->GetAbsPos3D();
                    const float enter = EnterCylinder(origin, direction, at, envelope, at.z, at.z + 2.0f * radius, range);
                    if (enter < 0.0f || (nearest && enter >= best) || !validator.Accepts(*elem))
                        continue;
                    nearest = elem;
                    best = enter;
                }
            }
    }
    if (nearest)
        distance = best;
    return nearest;
}

WorldElem* SciFiGameCtrl::PickElementByRayWithDistance(uint8_t criteriaFlags, float tolerance, float range,
                                                       float* distance)
{
    D3DXVECTOR3 origin, direction;
    if (!CanPickAtMouse() || !GetMouseRay(origin, direction))
        return nullptr;
    SciFiClickableElementCriteriaValidator validator(*this, criteriaFlags);
    float hit = 0.0f;
    WorldElem* picked = PickElementByRay(origin, direction, range, validator, tolerance, hit);
    D3DXVECTOR3 floor;
    if (picked && GetWorld().RayTest(origin, direction, floor, 0.0f)) {
        const D3DXVECTOR3 reach = floor - origin;
        if (D3DXVec3Length(&reach) < hit)
            return nullptr;  // the floor stands in front of it
    }
    if (picked && distance)
        *distance = hit;
    return picked;
}

bool SciFiGameCtrl::PickAtMouse(WorldElem*& target, float range)
{
    target = PickElementByRayWithDistance(SciFiClickableElementCriteriaValidator::kPointerFlags, m_ClickTolerance,
                                          range, nullptr);
    return target != nullptr;
}

bool SciFiGameCtrl::RayTestAtMouse(D3DXVECTOR3& point, float range)
{
    D3DXVECTOR3 origin, direction, hit;
    if (!CanPickAtMouse() || !GetMouseRay(origin, direction) || !GetWorld().RayTest(origin, direction, hit, 0.0f))
        return false;
    const D3DXVECTOR3 at = GetMainChar()->GetAbsPos3D();
    const D3DXVECTOR2 apart(hit.x - at.x, hit.y - at.y);
    if (std::hypot(apart.x, apart.y) > range)
        return false;
    point = hit;
    return true;
}
