// WorldCtrl: the line test through the blocks a line crosses with its filter flags, line of sight
// between two elements, drop positions, box walls, a circle against a wall, intercept angles,
// shot paths and whether a shot stops at an element.
#include "world/WorldCtrl.h"

#include "level/Angle.h"
#include "level/WallDesc.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

float Cross(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

// Where the line start + t (end - start) meets the segment p1 p2, both parameters within [0, 1].
bool SegmentHit(float x0, float y0, float dx, float dy, float p1x, float p1y, float p2x, float p2y, float& t)
{
    const float ex = p2x - p1x;
    const float ey = p2y - p1y;
    const float denom = Cross(dx, dy, ex, ey);
    if (denom == 0.0f)
        return false;  // parallel
    const float sx = p1x - x0;
    const float sy = p1y - y0;
    const float lineT = Cross(sx, sy, ex, ey) / denom;
    const float wallT = Cross(sx, sy, dx, dy) / denom;
    if (!(lineT >= 0.0f && lineT <= 1.0f && wallT >= 0.0f && wallT <= 1.0f))
        return false;
    t = lineT;
    return true;
}

// The first crossing of the line with the circle, for a start outside it.
bool CircleHit(float x0, float y0, float dx, float dy, float cx, float cy, float r, float& t)
{
    const float fx = x0 - cx;
    const float fy = y0 - cy;
    const float a = dx * dx + dy * dy;
    const float b = 2.0f * (dx * fx + dy * fy);
    const float c = fx * fx + fy * fy - r * r;
    const float disc = b * b - 4.0f * a * c;
    if (a == 0.0f || disc < 0.0f)
        return false;
    const float first = (-b - std::sqrt(disc)) / (2.0f * a);
    if (!(first >= 0.0f && first <= 1.0f))
        return false;
    t = first;
    return true;
}

bool Ignored(WorldElemGridBase* top, WorldElemBase* ignore1, WorldElemBase* ignore2)
{
    return (ignore1 && top == static_cast<WorldElemGridBase*>(ignore1)) ||
           (ignore2 && top == static_cast<WorldElemGridBase*>(ignore2));
}

}  // namespace

int32_t WorldCtrl::GetIntersection(float x0, float y0, float x1, float y1, D3DXVECTOR2* out, int32_t flags,
                                   bool solidMode, WorldElemBase* ignore1, WorldElemBase* ignore2, int16_t layer,
                                   float minHeight)
{
    m_LastHit = nullptr;
    if (x0 == x1 && y0 == y1) {
        if (out)
            *out = D3DXVECTOR2(x0, y0);
        return 1;
    }
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    WorldElemGridBase* top1 = ignore1 ? ignore1->GetParent(true) : nullptr;
    WorldElemGridBase* top2 = ignore2 ? ignore2->GetParent(true) : nullptr;
    const int64_t c1 = std::min(WorldElemGridBase::BlockOf(x0), WorldElemGridBase::BlockOf(x1)) - int64_t(1);
    const int64_t c2 = std::max(WorldElemGridBase::BlockOf(x0), WorldElemGridBase::BlockOf(x1)) + int64_t(1);
    const int64_t r1 = std::min(WorldElemGridBase::BlockOf(y0), WorldElemGridBase::BlockOf(y1)) - int64_t(1);
    const int64_t r2 = std::max(WorldElemGridBase::BlockOf(y0), WorldElemGridBase::BlockOf(y1)) + int64_t(1);
    float best = 1.0f;
    for (int64_t row = std::max<int64_t>(r1, 0); row <= std::min<int64_t>(r2, m_BlockRows - 1); row++) {
        for (int64_t column = std::max<int64_t>(c1, 0); column <= std::min<int64_t>(c2, m_BlockColumns - 1);
             column++) {
            WorldBlock* block = GetBlock(int32_t(column), int32_t(row));
            if (flags & kLineWalls) {
                for (int32_t i = 0; i < block->walls.GetSize(); i++) {
                    auto* wall = static_cast<VSD_WallIntern*>(block->walls.GetAt(i));
                    if (!wall || Ignored(wall->GetParent(true), ignore1, ignore2))
                        continue;
                    if (flags & kLineActForceWalls) {
                        if (!wall->m_BlocksActForce)
                            continue;
                    } else {
                        if ((flags & kLineSkipReachThrough) && wall->m_CanReachThrough)
                            continue;
                        if (!(flags & kLineSeeThrough) && !wall->SideAllows(wall->GetSide(x0, y0)))
                            continue;
                        if (Ignored(wall->m_Parent.Get(), ignore1, ignore2))
                            continue;
                        if (solidMode && !(wall->m_CollisionMask & WorldElemBase::kCollideProjectiles))
                            continue;
                        if (wall->m_Bridge != 0 && wall->m_Bridge % 2 != layer)
                            continue;
                        if (flags & kLineSeeThrough) {
                            if (wall->m_CanSeeThrough)
                                continue;
                        } else if ((flags & kLineOpaqueOnly) && wall->GetObstruction() < 1.0f) {
                            continue;
                        }
                        if (minHeight > -8e9f) {
                            const float wallTop = std::min(wall->GetStartFloorHeight(), wall->GetEndFloorHeight()) +
                                                  std::min(wall->m_Height1, wall->m_Height2);
                            if (wallTop < minHeight)
                                continue;
                        }
                    }
                    float t = 0.0f;
                    if (SegmentHit(x0, y0, dx, dy, wall->m_X1, wall->m_Y1, wall->m_X2, wall->m_Y2, t) && t < best) {
                        best = t;
                        m_LastHit = wall;
                        if (!out)
                            return 0;
                    }
                }
            }
            if (flags & kLineObjects) {
                for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                    auto* elem = static_cast<WorldElem*>(block->objects.GetAt(i));
                    if (!elem || elem->m_TypeCode == ElemType::kProjectile || elem->m_IgnoreInQueries)
                        continue;
                    if (elem->m_TypeCode == ElemType::kItem && elem->HasBoxWalls())
                        continue;  // its walls block in its place
                    if (!(solidMode ? elem->m_BlocksShots : elem->m_Solid))
                        continue;
                    WorldElemGridBase* top = elem->GetParent(true);
                    if ((top1 && top == top1) || (top2 && top == top2))
                        continue;
                    if (!(flags & (elem->IsCreature() ? kLineCreatures : kLineNonCreatures)))
                        continue;
                    if (solidMode && !(elem->m_CollisionMask & WorldElemBase::kCollideProjectiles))
                        continue;
                    if ((flags & kLineOpaqueOnly) && elem->GetObstruction() < 1.0f)
                        continue;
                    const D3DXVECTOR2 pos = elem->GetPos();
                    const float r = elem->m_Radius;
                    if ((x0 - pos.x) * (x0 - pos.x) + (y0 - pos.y) * (y0 - pos.y) <= r * r)
                        continue;  // the line starts inside it
                    float t = 0.0f;
                    if (CircleHit(x0, y0, dx, dy, pos.x, pos.y, r, t) && t < best) {
                        best = t;
                        m_LastHit = elem;
                        if (!out)
                            return 0;
                    }
                }
            }
        }
    }
    if (out)
        *out = D3DXVECTOR2(x0 + best * dx, y0 + best * dy);
    return best == 1.0f ? 1 : 0;
}

int32_t WorldCtrl::IsLineClearBetween(WorldElem* a, WorldElem* b)
{
    if (!a || !b || !(b->GetOpacity() > 0.0f))
        return 0;
    const D3DXVECTOR2 pa = a->GetPos();
    const D3DXVECTOR2 pb = b->GetPos();
    float dx = pb.x - pa.x;
    float dy = pb.y - pa.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        dx /= length;
        dy /= length;
    }
    const float nx = dy;
    const float ny = -dx;
    const float ra = a->m_Radius;
    const float rb = b->m_Radius;
    for (const float side : {1.0f, -1.0f}) {
        if (GetIntersection(pa.x + side * nx * ra, pa.y + side * ny * ra, pb.x + side * nx * rb, pb.y + side * ny * rb,
                            nullptr, kLineWalls | kLineSeeThrough, false, a, b, -1, kNoMinHeight))
            return 1;
    }
    return 0;
}

bool WorldCtrl::FindDropPosition(WorldElem* elem, WorldElem* anchor, float extraDistance, float angleOffset)
{
    constexpr float kStep = 1.0471976f;  // 60 degrees
    float angle = anchor->GetOwnAngle() + angleOffset;
    const float distance = elem->m_Radius + anchor->m_Radius + extraDistance + 1.0f;
    const D3DXVECTOR2 origin = anchor->GetPos();
    const int16_t layer = anchor->IsOnFloorObject() ? 1 : 0;
    for (int32_t attempt = 0; attempt < 6; attempt++, angle += kStep) {
        const float x = origin.x + std::cos(angle) * distance;
        const float y = origin.y + std::sin(angle) * distance;
        if (GetIntersection(origin.x, origin.y, x, y, nullptr, kLineWalls | kLineObjects | kLineCreatures |
                                                                   kLineNonCreatures,
                            false, anchor, nullptr, layer, kNoMinHeight) &&
            GetFloorSlope(x, y) < kMaxFloorSlope) {
            elem->SetAngle(angle);
            elem->SetPos(x, y);
            return true;
        }
    }
    return false;
}

void WorldCtrl::AddBoxWalls(WorldElem* elem, float width, float depth, float offsetX, float offsetY, float heightValue,
                            uint8_t solid, uint8_t seeThrough, int32_t collisionMask, int16_t semiPerm,
                            uint8_t reachThrough, int32_t solidFlag, uint8_t wallByte, float wallHeight)
{
    VSD_WallIntern model;
    model.m_WallType = WallDesc::kTypeNoMesh;
    model.m_HeightOffset1 = heightValue;
    model.m_HeightOffset2 = heightValue;
    model.m_Solid = solid;
    model.m_CanSeeThrough = seeThrough;
    if (collisionMask != -1)
        model.m_CollisionMask = collisionMask;
    model.m_SemiPerm = semiPerm;
    model.m_CanReachThrough = reachThrough;
    model.m_BlocksActForce = uint8_t(solidFlag == -1 ? solid : solidFlag);
    model.m_VisibilityObstruct = wallByte;
    const float hw = width * 0.5f;
    const float hd = depth * 0.5f;
    const D3DXVECTOR2 at = elem ? elem->GetPos() : D3DXVECTOR2(0.0f, 0.0f);  // the element turns them later
    const float cx = at.x + offsetX;
    const float cy = at.y + offsetY;
    const float corners[4][2] = {{cx - hw, cy - hd}, {cx + hw, cy - hd}, {cx + hw, cy + hd}, {cx - hw, cy + hd}};
    const bool swap = width * depth < 0.0f;  // a mirrored box keeps its walls facing the same way
    for (int32_t side = 0; side < 4; side++) {
        const float* a = corners[side];
        const float* b = corners[(side + 1) % 4];
        VSD_WallIntern wall(model);
        if (swap)
            std::swap(a, b);
        wall.m_X1 = a[0];
        wall.m_Y1 = a[1];
        wall.m_X2 = b[0];
        wall.m_Y2 = b[1];
        VSD_WallIntern* placed = VSD_Viewer::GetWall(InsertWall(wall, 0, 0));
        placed->m_Height1 = wallHeight;
        placed->m_Height2 = wallHeight;
        if (elem)
            elem->AddWall(*placed);
    }
}

bool WorldCtrl::CircleTouchesWall(float x, float y, float radius, const VSD_WallIntern& wall, int32_t& side) const
{
    const float px = x - wall.m_X1;
    const float py = y - wall.m_Y1;
    const float u = px * wall.m_DirX + py * wall.m_DirY;
    const float v = px * wall.m_NormalX + py * wall.m_NormalY;
    side = v >= 0.0f ? -1 : 1;
    if (u >= 0.0f && u <= 2.0f * wall.m_HalfLength && v >= -radius && v <= radius)
        return true;
    const float r2 = radius * radius;
    const float ex = x - wall.m_X2;
    const float ey = y - wall.m_Y2;
    return px * px + py * py < r2 || ex * ex + ey * ey < r2;
}

bool SolveInterceptAngle(float x0, float y0, float x1, float y1, float vx, float vy, float s, float& angle)
{
    const float dx = x0 - x1;
    const float dy = y0 - y1;
    if (s == 0.0f)
        return false;
    const float L = std::sqrt(dx * dx + dy * dy);
    if (L == 0.0f)
        return false;  // start and target coincide: no heading
    const float k = (vy * dx - vx * dy) / s;
    const float q = dx * dx + dy * dy - k * k;
    if (q < 0.0f)
        return false;
    const float r = std::sqrt(q);
    const float theta1 = std::atan2((dx * k + r * dy) / L, (r * dx - dy * k) / L);
    const float theta2 = std::atan2((dx * k - r * dy) / L, (-dy * k - r * dx) / L);
    const bool rows = dx * dx <= dy * dy;  // the time from the larger offset
    const float denom1 = rows ? vy - s * std::sin(theta1) : vx - s * std::cos(theta1);
    const float denom2 = rows ? vy - s * std::sin(theta2) : vx - s * std::cos(theta2);
    if (denom1 == 0.0f || denom2 == 0.0f)
        return false;
    const float t1 = (rows ? dy : dx) / denom1;
    const float t2 = (rows ? dy : dx) / denom2;
    if (t1 > 0.0f) {
        angle = t1 < t2 || t2 <= 0.0f ? theta1 : theta2;
        return true;
    }
    if (t2 > 0.0f) {
        angle = theta2;
        return true;
    }
    return false;
}

bool WorldCtrl::IsShotPathClear(float x, float y, float radius, WorldElem* shooter, const D3DXVECTOR2& direction,
                                float tolerance, WorldElemBase* ignore)
{
    const D3DXVECTOR2 p = shooter->GetPos();
    const float cx = x - p.x;
    const float cy = y - p.y;
    const float u = cx * direction.x + cy * direction.y;
    const float v = -cx * direction.y + cy * direction.x;
    if (!(u > 0.0f))
        return false;
    const float w = std::fabs(v);
    const float R = std::max(radius, 1.0f);
    float length;
    if (w > R) {
        if (std::fabs((w - R) / u) > tolerance)
            return false;
        length = u - 0.1f;
    } else {
        length = u - std::sqrt(R * R - w * w) - 0.1f;  // the radius it branched on: never below the root's 0
        if (length < 0.0f)
            return true;
    }
    const int16_t layer = shooter->IsOnFloorObject() ? 1 : 0;
    return GetIntersection(p.x, p.y, p.x + direction.x * length, p.y + direction.y * length, nullptr,
                           kLineWalls | kLineObjects | kLineNonCreatures, true, ignore, nullptr, layer,
                           kNoMinHeight) != 0;
}

float WorldCtrl::GetAngleToElement(WorldElem* a, WorldElem* b) const
{
    const D3DXVECTOR2 pa = a->GetPos();
    const D3DXVECTOR2 pb = b->GetPos();
    return Angle::Distance(std::atan2(pb.y - pa.y, pb.x - pa.x), a->GetOwnAngle());
}

bool WorldCtrl::ShotCollides(WorldElem* shooter, WorldElem* elem)
{
    if (shooter && elem->IsCreature()) {
        if (!elem->m_Solid)
            return !elem->GetSecondShotFlag() || elem->IsEnemyOf(shooter, true) == 0;
        const float chance = shooter->GetShotChance(elem);
        if (chance <= 0.0f)
            return false;
        // the same pair always draws the same number, on the server and on every client
        const float draw = float(int32_t(uint32_t(elem->m_MyRnd) ^ uint32_t(shooter->m_MyRnd))) * 4.656613e-10f;
        return chance > draw;
    }
    return elem->m_TypeCode == ElemType::kItem && elem->GetCatchFlag() && !elem->m_Solid;
}
