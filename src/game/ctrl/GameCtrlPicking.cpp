// GameCtrl picking: the ray from the camera through the mouse on the screen, which the graphics
// object unprojects from its view, into the floor, a plane and the elements of the level.
#include "game/ctrl/GameCtrl.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/objects/CreatureObj.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kParallelLimit = 0.01f;  // a ray flatter than this never meets the plane in reach
constexpr float kUnlimitedRange = 1e9f;

}  // namespace

bool GameCtrl::CanPickAtMouse() { return GetMainChar() && !IsGuiUnderMouse(0) && m_ViewMode == 0; }

bool GameCtrl::GetMouseRay(D3DXVECTOR3& origin, D3DXVECTOR3& direction)
{
    if (!g_Gfx || !g_GuiManager)
        return false;  // no view or no mouse: the server's case
    int32_t x = 0;
    int32_t y = 0;
    g_GuiManager->GetMousePos(x, y);
    g_Gfx->GetCameraPos(origin);
    g_Gfx->GetPickRayDir(direction, float(x), float(y));
    if (D3DXVec3Length(&direction) <= 0.0f)
        return false;  // the viewport has no area
    D3DXVec3Normalize(&direction, &direction);
    return true;
}

bool GameCtrl::RayTestAtMouse(D3DXVECTOR3& point, float range)
{
    D3DXVECTOR3 origin, direction, hit;
    if (!CanPickAtMouse() || !GetMouseRay(origin, direction) || !m_World.RayTest(origin, direction, hit, 0.0f))
        return false;
    const D3DXVECTOR3 reach = hit - origin;
    if (D3DXVec3Length(&reach) > range)
        return false;
    point = hit;
    return true;
}

int32_t GameCtrl::RayTestAtMouse()
{
    D3DXVECTOR3 point;
    return RayTestAtMouse(point, kUnlimitedRange) ? 1 : 0;
}

bool GameCtrl::GetMouseFloorPoint(D3DXVECTOR2& point, float heightOffset)
{
    D3DXVECTOR3 origin, direction;
    if (!CanPickAtMouse() || !GetMouseRay(origin, direction) || std::fabs(direction.z) < kParallelLimit)
        return false;
    const float height = GetMainChar()->GetAbsPos3D().z + heightOffset;
    const float t = (height - origin.z) / direction.z;
    if (t < 0.0f)
        return false;  // the plane lies behind the camera
    point = D3DXVECTOR2(origin.x + direction.x * t, origin.y + direction.y * t);
    return true;
}

bool GameCtrl::PickAtMouse(WorldElem*& target, float range)
{
    target = nullptr;
    D3DXVECTOR3 origin, direction, hit;
    if (!CanPickAtMouse() || !GetMouseRay(origin, direction))
        return false;
    return RayTestElements(origin, direction, range, target, hit) && target;
}

bool GameCtrl::RayTestElements(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                               WorldElem*& target, D3DXVECTOR3& hit)
{
    float elementDistance = 0.0f;
    target = FindElementOnRay(origin, direction, range, elementDistance);
    D3DXVECTOR3 floor;
    float floorDistance = kUnlimitedRange;
    if (m_World.RayTest(origin, direction, floor, 0.0f)) {
        const D3DXVECTOR3 reach = floor - origin;
        floorDistance = D3DXVec3Length(&reach);
    }
    if (target && elementDistance <= floorDistance) {
        hit = origin + direction * elementDistance;
        return true;
    }
    target = nullptr;  // the floor stands in front of it
    if (floorDistance > range)
        return false;
    hit = floor;
    return true;
}

WorldElem* GameCtrl::FindElementOnRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                                      float& distance)
{
    WorldElem* nearest = nullptr;
    const CreatureObj* self = GetMainChar();
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        if (!elem || elem == self || !elem->IsVisible() || elem->IsHidden())
            continue;
        const float radius = elem->GetRadius();
        if (!(radius > 0.0f))
            continue;
        const D3DXVECTOR3 centre = elem->GetAbsPos3D() + D3DXVECTOR3(0.0f, 0.0f, radius);
        const D3DXVECTOR3 toCentre = centre - origin;
        const float along = D3DXVec3Dot(&toCentre, &direction);
        const float missSq = D3DXVec3Dot(&toCentre, &toCentre) - along * along;
        if (missSq > radius * radius)
            continue;
        const float enter = std::max(0.0f, along - std::sqrt(radius * radius - missSq));
        if (along < 0.0f || enter > range || (nearest && enter >= distance))
            continue;
        nearest = elem;
        distance = enter;
    }
    return nearest;
}
