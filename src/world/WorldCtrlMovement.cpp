// WorldCtrl: the movement chain: a move by a vector with the children the element carries, a long
// move cut into sub-steps where elements are near, one sub-step against the terrain, the walls
// and the elements with the leave scripts of the walls it left, the per-frame motion along a
// path or by velocity, the creatures' walking step, and the proximity test of stepped moves.
#include "world/WorldCtrl.h"

#include "base/Math.h"
#include "level/Angle.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kTerrainPullBack = 0.01f;  // a move that slid along a slope keeps this off it
constexpr float kStopTurnAngle = 1.7453293f;  // 100 degrees: a creature that cannot turn while walking stops

float Dot(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return a.x * b.x + a.y * b.y; }
float LengthOf(const D3DXVECTOR2& v) { return std::sqrt(Dot(v, v)); }
float AngleOf(const D3DXVECTOR2& v) { return std::atan2(v.y, v.x); }

// A child that could not follow its parent's move, and the part of the move it could make.
struct CollData {
    int32_t child = -1;
    float x = 0.0f;
    float y = 0.0f;
};

}  // namespace

void WorldCtrl::PlaceAt(WorldElem& elem, const D3DXVECTOR2& point)
{
    WorldElemGridBase* top = elem.m_Parent.Get() ? elem.GetParent(true) : nullptr;
    if (!top) {
        elem.SetPos(point.x, point.y);
        return;
    }
    const D3DXVECTOR2 origin = top->GetPos();
    const float a = top->GetAngle();
    const float rx = point.x - origin.x;
    const float ry = point.y - origin.y;
    const float c = std::cos(a);
    const float s = std::sin(a);
    elem.SetPos(rx * c + ry * s, -rx * s + ry * c);
}

int32_t WorldCtrl::MoveBy(WorldElem& elem, float dx, float dy, float time, int32_t option, const D3DXVECTOR2* goal,
                          WorldElem* target, bool silent)
{
    const D3DXVECTOR2 p = elem.GetPos();
    if (dx == 0.0f && dy == 0.0f)
        return 1;
    if (elem.m_GroundDirty)
        elem.UpdateGroundHeight(p.x, p.y);
    SmartPtr<WorldElem> alive(&elem);
    D3DXVECTOR2 q = p;
    const double now = GetCtrl().GetGameTime();
    const int32_t result = MoveStepped(elem, p, p + D3DXVECTOR2(dx, dy), &q, now, time, option, nullptr, 0, target);
    if (!alive.Get())
        return 0;
    if (result == 0) {
        if (silent)
            return 0;
        if (goal) {
            const D3DXVECTOR2 m = q - p;
            const D3DXVECTOR2 g = *goal - p;
            const float limit = elem.IsCreature() ? elem.GetBlockedAngleLimit() : 1.5707964f;
            if (elem.GetCollisionRadius() < LengthOf(g) && (m.x != 0.0f || m.y != 0.0f) &&
                std::fabs(Angle::Diff(AngleOf(g), AngleOf(m))) > limit) {
                if (elem.IsCreature())
                    elem.OnBlockedByAngle();
                return 0;
            }
        }
    }

    // The children that collide when carried make the move too; the first part of the move that
    // a blocked one could make is tried for the whole element instead.
    const D3DXVECTOR2 delta = q - p;
    DynaMem<CollData, 8> blocked;
    for (int32_t slot = elem.m_Children.NextUsedSlot(-1); slot >= 0; slot = elem.m_Children.NextUsedSlot(slot)) {
        SmartPtr<WorldElemGridBase>* entry = elem.m_Children.GetBySlot(slot);
        auto* child = entry ? dynamic_cast<WorldElem*>(entry->Get()) : nullptr;
        if (!child || !child->IsActiveType() || child->m_TypeCode == ElemType::kLight || !child->m_CollidesWhenCarried)
            continue;
        const D3DXVECTOR2 c = child->GetPos();
        D3DXVECTOR2 reached = c;
        SmartPtr<WorldElem> childRef(child);
        const int32_t moved = MoveSegment(*child, c, c + delta, reached, now, time, option, nullptr, 0);
        if (!alive.Get())
            return 0;
        if (moved || !childRef.Get() || elem.m_Children.GetBySlot(slot) != entry || entry->Get() != child)
            continue;
        if (silent)
            return 0;
        CollData* data = blocked.GetBySlot(blocked.Add());
        data->child = slot;
        data->x = reached.x - c.x;
        data->y = reached.y - c.y;
    }
    if (blocked.GetSize() > 0) {
        bool done = false;
        for (int32_t i = 0; i < blocked.GetSize() && !done; i++) {
            const CollData* data = blocked.GetAt(i);
            if (MoveBy(elem, data->x, data->y, time, option, goal, target, true)) {
                q = p + D3DXVECTOR2(data->x, data->y);
                done = true;
            }
            if (!alive.Get())
                return 0;
        }
        if (!done)
            return 0;
    }

    // An element that steps over low obstacles keeps its height above the level.
    const bool keepsHeight = elem.CanStepOverLowObstacles();
    const float before = keepsHeight ? elem.GetGroundHeight() : 0.0f;
    PlaceAt(elem, q);
    if (keepsHeight) {
        const float rise = elem.GetGroundHeight() - before;
        const float offset = elem.GetOwnHeight();
        elem.SetHeight(rise <= offset ? offset - rise : 0.0f);
    }
    return result;
}

int32_t WorldCtrl::MoveStepped(WorldElem& elem, const D3DXVECTOR2& from, const D3DXVECTOR2& to, D3DXVECTOR2* out,
                               double now, float time, int32_t slideMode, WorldElem* flight, int32_t depth,
                               WorldElem* target)
{
    const D3DXVECTOR2 d = to - from;
    const float L = LengthOf(d);
    if (L == 0.0f) {
        if (out)
            *out = to;
        return 1;
    }
    if (!std::isfinite(L)) {
        if (out)
            *out = from;  // a step a script broke goes nowhere
        return 0;
    }
    m_MoveTarget = target;
    D3DXVECTOR2 reached = from;
    const D3DXVECTOR2 mid = from + d * 0.5f;
    if (L <= kMaxSubStepLength || !IsBlockedByElement(mid.x, mid.y, L * 0.5f)) {
        const int32_t result = MoveSegment(elem, from, to, reached, now, time, slideMode, flight, depth);
        m_MoveTarget = nullptr;
        if (out)
            *out = reached;
        return result;
    }
    const float pieces = L / kMaxSubStepLength + 1.0f;
    const int32_t n = pieces >= float(s_MaxMoveSubSteps) ? s_MaxMoveSubSteps : int32_t(pieces);
    const float part = time / float(n);
    SmartPtr<WorldElem> alive(&elem);
    D3DXVECTOR2 current = from;
    for (int32_t i = 1; i < n; i++) {
        const D3DXVECTOR2 next = from + d * (float(i) / float(n));
        const int32_t result = MoveSegment(elem, current, next, reached, now, part, slideMode, flight, depth);
        if (!result || !alive.Get()) {
            m_MoveTarget = nullptr;  // a later move must not reach this one's target
            if (out)
                *out = reached;
            return 0;
        }
        elem.UpdateGroundHeight(reached.x, reached.y);  // climbs floor objects step by step
        elem.m_GroundDirty = 1;
        current = reached;
    }
    const int32_t result = MoveSegment(elem, current, to, reached, now, part, slideMode, flight, depth);
    m_MoveTarget = nullptr;
    if (out)
        *out = reached;
    return result;
}

int32_t WorldCtrl::MoveSegment(WorldElem& elem, const D3DXVECTOR2& from, const D3DXVECTOR2& to, D3DXVECTOR2& out,
                               double now, float time, int32_t slideMode, WorldElem* flight, int32_t depth)
{
    SmartPtr<WorldElem> alive(&elem);
    int32_t result = 1;
    bool passesOver = false;
    D3DXVECTOR2 target = to;
    const float limit = GetMaxTerrainSteepness();
    // An element that ignores the terrain is held up by no slope, at the end of the segment either:
    // a flying element held back by the end check would stick at the foot of every steep cell.
    const bool terrain = (elem.m_IgnoreTerrain & 0xF) == 0;
    if (terrain) {
        float slope = 0.0f;
        D3DXVECTOR2 contour(0.0f, 0.0f);
        D3DXVECTOR2 slide(0.0f, 0.0f);
        const int32_t code = CheckFloorSlope(from.x, from.y, to.x, to.y, limit, slope, contour, slide);
        if (code != 0) {
            if (elem.IsCreature() && elem.CanStepOverLowObstacles() && elem.GetHeight() > LengthOf(to - from) * slope) {
                passesOver = true;
            } else if (!elem.IsOnFloorObjectAt(to.x, to.y)) {
                D3DXVECTOR2 away = contour * kTerrainPullBack;
                if (Dot(away, to - from) < 0.0f)
                    away = away * -1.0f;
                target = from + slide - away;
                result = 0;
                elem.OnCollisionEvent(nullptr, code);
                if (!alive.Get()) {
                    out = from;
                    return 0;
                }
            }
        }
    }

    m_CrossedWalls.DeleteAll();
    m_EventContacts.DeleteAll();
    m_LastCollision.step[0] = target.x - from.x;
    m_LastCollision.step[1] = target.y - from.y;
    m_LastCollision.freeStep[0] = m_LastCollision.freeStep[1] = 0.0f;
    m_LastCollision.normal[0] = m_LastCollision.normal[1] = 0.0f;
    result &= ResolveWallCollision(elem, from.x, from.y, target.x - from.x, target.y - from.y, out, now, time,
                                   slideMode, flight, depth);
    if (!alive.Get())
        return 0;
    elem.SetMoveDirection(D3DXVECTOR2(m_LastCollision.freeStep[0], m_LastCollision.freeStep[1]));

    // The leave scripts of the walls the element no longer touches. A script may move elements,
    // and their moves use the lists again: the walls are taken first.
    std::vector<WallCollisionData> crossed;
    for (int32_t i = 0; i < m_CrossedWalls.GetSize(); i++)
        crossed.push_back(*m_CrossedWalls.GetAt(i));
    for (const WallCollisionData& entry : crossed) {
        VSD_WallIntern* wall = entry.wall.Get();
        int32_t side = 0;
        if (!wall || wall->m_OnLeave.IsEmpty() || CircleTouchesWall(out.x, out.y, entry.radius, *wall, side))
            continue;
        GetCtrl().SetObjScriptVariable(1, elem.m_ObjID);
        GetCtrl().SetObjScriptVariable(2, side);
        const float storedX = elem.m_PosX;
        const float storedY = elem.m_PosY;
        const String script = wall->m_OnLeave;  // the script may change the wall's texts
        RunWallScript(script, *wall, "wall:OnLeave");
        if (!alive.Get())
            return 0;
        if (elem.m_PosX != storedX || elem.m_PosY != storedY)
            out = elem.GetPos();  // the script put the element somewhere: it stays there
    }

    if (terrain && !passesOver && GetFloorSlope(out.x, out.y) >= limit && !elem.IsOnFloorObjectAt(out.x, out.y)) {
        out = from;
        return 1;
    }
    return result;
}

int32_t WorldCtrl::RunWallScript(const String& text, VSD_WallIntern& wall, const char* label)
{
    return RunScript(text, &wall, 1, 1, label, 1, 255);
}

int32_t WorldCtrl::StepMotion(WorldElem& elem, D3DXVECTOR2& out, float dt, int32_t depth, WorldElem* flight)
{
    const D3DXVECTOR2 pos = elem.GetPos();
    out = pos;
    const double now = GetCtrl().GetGameTime();
    SmartPtr<WorldElem> alive(&elem);
    PathMotion& path = elem.m_PathMotion;
    if (path.IsActive()) {
        const bool cyclic = path.curve.loop != 0;
        const float period = path.curve.loopTime;
        if (cyclic)
            path.time = Math::WrapFloat(path.time, period);
        D3DXVECTOR2 point = pos;
        D3DXVECTOR2 tangent(0.0f, 0.0f);
        path.curve.Evaluate(path.time, point, &tangent);
        if (path.addOffset)
            point = point + D3DXVECTOR2(path.offset[0], path.offset[1]);
        const int32_t result = MoveStepped(elem, pos, point, &out, now, dt, 1, flight, depth, nullptr);
        if (!alive.Get())
            return 0;
        if (result || path.advanceWhenBlocked) {
            const float old = path.time;
            const float next = old + path.speed * dt;
            const float goal = path.gotoTime;
            bool reached = false;
            if (path.stopAtTarget) {
                if (cyclic && next < 0.0f)
                    reached = old > goal || !(Math::WrapFloat(next, period) > goal);
                else if (cyclic && next >= period)
                    reached = old < goal || !(Math::WrapFloat(next, period) < goal);
                else
                    reached = (old - goal) * (next - goal) <= 0.0f;
            }
            if (reached) {
                path.time = goal;
                path.speed = 0.0f;
            } else {
                path.time = next;
            }
        }
        PlaceAt(elem, out);
        if (path.faceDirection && (tangent.x != 0.0f || tangent.y != 0.0f))
            TurnTo(elem, AngleOf(tangent), dt);
        return result;
    }

    // Velocity slowed by the deceleration a and the drag k, dv/dt = -a - k v, until it stops;
    // the velocity itself is the element's to lower.
    const D3DXVECTOR2 velocity(elem.m_VelocityX, elem.m_VelocityY);
    const float v = LengthOf(velocity);
    if (v == 0.0f || !std::isfinite(v))
        return 1;
    const float a = elem.m_Deceleration;
    const float k = elem.m_Drag;
    float t = dt;
    float s = 0.0f;
    if (k <= 0.0f) {
        if (a > 0.0f)
            t = std::min(dt, v / a);
        s = (v - t * a * 0.5f) * t;
    } else {
        const float w = k * v + a;
        if (a > 0.0f)
            t = std::min(dt, std::log(w / a) / k);
        s = (1.0f - std::exp(-k * t)) * w / (k * k) - t * a / k;
    }
    const int32_t result = MoveStepped(elem, pos, pos + velocity * (s / v), &out, now, t, 1, flight, depth, nullptr);
    if (!alive.Get())
        return 0;
    PlaceAt(elem, out);
    return result;
}

int32_t WorldCtrl::WalkTowards(WorldElem& creature, float x, float y, float dt, float value, const D3DXVECTOR2* goal)
{
    const D3DXVECTOR2 pos = creature.GetPos();
    D3DXVECTOR2 d(x - pos.x, y - pos.y);
    const float way = LengthOf(d);
    const D3DXVECTOR2 c = creature.GetMoveDirection();
    bool stopped = false;
    float speed = 0.0f;
    D3DXVECTOR2 direction = d;
    if (c.x == 0.0f && c.y == 0.0f) {
        if (creature.IsCreature()) {
            const float stopDistance = creature.GetStopDistance();
            const D3DXVECTOR2 facing = creature.GetDirection();
            if ((stopDistance > 0.0f && way < stopDistance) ||
                (!creature.CanTurnWhileWalking() && way > 0.0f &&
                 std::fabs(Angle::Diff(AngleOf(facing), AngleOf(d))) > kStopTurnAngle)) {
                creature.StopMoving();
                stopped = true;
            }
            if (creature.WalksInFacingDirection())
                d = facing * way;
        }
        speed = creature.GetSpeedFor(d.x, d.y, dt);
        direction = d;
    } else {
        direction = c * (1.0f / LengthOf(c));
        creature.GetSpeedFor(direction.x, direction.y, value);
        speed = creature.GetSpeedFor(direction.x, direction.y, dt);
    }

    int32_t result = 1;
    SmartPtr<WorldElem> alive(&creature);
    const float length = LengthOf(direction);
    if (speed > 0.0f && !stopped && length > 0.0f) {
        float step = dt * speed;
        if (step > way) {
            step = way;
            creature.OnBlockedByDistance();
        }
        const D3DXVECTOR2 move = direction * (step / length);
        result = MoveBy(creature, move.x, move.y, dt, 0, goal, nullptr, false);
        if (!alive.Get())
            return 0;
        if (!result)
            creature.OnMoveFailed();
    }
    if (!alive.Get())
        return result;
    // It looks where it walks: the target, or ahead along the direction it was given.
    const D3DXVECTOR2 here = creature.GetPos();
    const bool ownDirection = (c.x != 0.0f || c.y != 0.0f) && length > 0.0f;
    const D3DXVECTOR2 ahead = ownDirection ? here + direction * (std::max(way, 1.0f) / length) : D3DXVECTOR2(x, y);
    TurnToPoint(creature, ahead.x, ahead.y, dt);
    return result;
}

bool WorldCtrl::IsBlockedByElement(float x, float y, float margin)
{
    int32_t range[4];
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(x + 256.0f), WorldElemGridBase::BlockOf(y + 256.0f),
                         ViewReachInBlocks() + 4, range))
        return false;
    for (int32_t column = range[0]; column <= range[2]; column++) {
        for (int32_t row = range[1]; row <= range[3]; row++) {
            WorldBlock* block = GetBlock(column, row);
            for (int32_t i = 0; block && i < block->objects.GetSize(); i++) {
                auto* elem = dynamic_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem || !elem->IsCreatureOrItem() || elem->m_IgnoreInQueries || !elem->m_Solid)
                    continue;
                const D3DXVECTOR2 at = elem->GetPos();
                if (std::hypot(at.x - x, at.y - y) <= elem->GetRadius() + margin)
                    return true;
            }
        }
    }
    return false;
}
