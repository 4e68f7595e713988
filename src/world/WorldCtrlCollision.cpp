// WorldCtrl: a straight step of a moving element against the walls and elements near its path:
// the earliest blocking contact, the collision events of everything touched before it, the event
// objects the path enters, and the slide along what blocked it.
#include "world/WorldCtrl.h"

#include "base/Geometry.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMaxContacts = 16;       // more contacts get no events; a blocking one still stops
constexpr float kBlockingClearance = 0.5f;  // what a blocking wall or element keeps off the mover
constexpr float kTurnBackLimit = -0.0001f;
constexpr float kFloorLevelGap = 50.0f;     // elements on other floors this far apart do not meet
constexpr float kEventEntryDepth = 0.25f;   // a new event object is entered this far past its edge
constexpr int32_t kMaxPassThroughs = 8;     // event objects passed in one step
constexpr float kBlockUnits = float(WorldElemGridBase::kBlockSize);
constexpr float kSplitWallHalf = kBlockUnits * 0.5f;  // split walls are at most a block long

struct Contact {
    SmartPtr<WorldElemBase> target;
    float t = 1.0f;
    int32_t side = 0;  // walls only
};

float Dot(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return a.x * b.x + a.y * b.y; }
float LengthOf(const D3DXVECTOR2& v) { return std::sqrt(Dot(v, v)); }

// The best contact of one level so far.
struct BestContact {
    float t = 1.0f;
    bool blocked = false;
    SmartPtr<WorldElemBase> blocker;
    D3DXVECTOR2 slide{0.0f, 0.0f};
    D3DXVECTOR2 normal{0.0f, 0.0f};
    bool enteredFromOutside = false;

    void Take(WorldElemBase* target, float at, const WallHit& hit, bool fromOutside)
    {
        t = at;
        blocked = true;
        blocker = target;
        slide = D3DXVECTOR2(hit.slideX, hit.slideY);
        normal = D3DXVECTOR2(hit.normalX, hit.normalY);
        enteredFromOutside = fromOutside;
    }
};

}  // namespace

bool WorldCtrl::CollisionBlockRange(const D3DXVECTOR2& start, float length, int32_t range[4]) const
{
    // Walls are listed in the block of their centre. Split walls reach at most half a block
    // beyond it, which the two blocks around the step cover; a wall inserted whole can reach
    // further, and the scan widens by what it reaches beyond that.
    const float beyond = std::max(0.0f, m_LongestWallHalf - kSplitWallHalf);
    const float reach = std::min(length / kBlockUnits + 2.0f + std::ceil(beyond / kBlockUnits),
                                 float(std::max(m_BlockColumns, m_BlockRows)) + 1.0f);
    return ClampBlockRange(WorldElemGridBase::BlockOf(start.x), WorldElemGridBase::BlockOf(start.y), int32_t(reach),
                           range);
}

bool WorldCtrl::IsEventContact(const WorldElem* object)
{
    for (int32_t i = 0; i < m_EventContacts.GetSize(); i++) {
        const EventCollisionData* entry = m_EventContacts.GetAt(i);
        if (entry && entry->object.Get() == object)
            return true;
    }
    return false;
}

int32_t WorldCtrl::ResolveWallCollision(WorldElem& mover, float x, float y, float dx, float dy, D3DXVECTOR2& outPos,
                                        double startTime, float duration, int32_t slideMode, WorldElem* flight,
                                        int32_t depth)
{
    return ResolveCollisionStep(mover, D3DXVECTOR2(x, y), D3DXVECTOR2(dx, dy), outPos, startTime, duration, slideMode,
                                flight, depth, nullptr, 0);
}

int32_t WorldCtrl::ResolveCollisionStep(WorldElem& mover, const D3DXVECTOR2& P, const D3DXVECTOR2& d,
                                        D3DXVECTOR2& outPos, double startTime, float duration, int32_t slideMode,
                                        WorldElem* flight, int32_t depth, const WorldElem* passed, int32_t passes)
{
    const float L = LengthOf(d);
    if (!std::isfinite(L) || !std::isfinite(P.x) || !std::isfinite(P.y)) {
        outPos = P;  // a step a script broke goes nowhere
        return 0;
    }
    const D3DXVECTOR2 wholeStep(m_LastCollision.step[0], m_LastCollision.step[1]);
    if (depth >= 2 && mover.GetControlMode() == 0 && Dot(d, wholeStep) < 0.0f) {
        outPos = P;  // a slide never turns back against the whole step
        return 0;
    }
    BestContact best;
    bool nearContact = false;
    D3DXVECTOR2 correction(0.0f, 0.0f);
    if (depth == 0)
        m_LastCollision.blocker = nullptr;
    Contact contacts[kMaxContacts];
    int32_t numContacts = 0;
    auto record = [&](WorldElemBase* target, float t, int32_t side) {
        if (t < 1.0f && numContacts < kMaxContacts) {
            contacts[numContacts].target = target;
            contacts[numContacts].t = t;
            contacts[numContacts].side = side;
            numContacts++;
            return true;
        }
        return false;
    };

    const D3DXVECTOR2 mid = P + d * 0.5f;
    const float R = 0.5f * L + 1.0f;
    const bool moverIsShot = mover.m_TypeCode == ElemType::kProjectile;
    const float factor = flight ? flight->GetFlightRadiusFactor() : 1.0f;
    const float r = mover.GetCollisionRadius() * factor;
    const bool stepsOver = mover.CanStepOverLowObstacles();
    const float base = stepsOver ? mover.GetGroundHeight() + mover.GetHeight() : 0.0f;
    const int32_t floorLevel = mover.m_FloorObjectFlags & 0xF;
    const float moverGround = mover.GetGroundHeight();
    WorldElem* shooter = flight ? flight->GetCreatorOrSelf() : nullptr;

    int32_t range[4];
    const bool inGrid = CollisionBlockRange(P, L, range);
    for (int32_t column = range[0]; inGrid && column <= range[2]; column++) {
        for (int32_t row = range[1]; row <= range[3]; row++) {
            WorldBlock* block = GetBlock(column, row);
            if (!block)
                continue;

            for (int32_t i = 0; i < block->walls.GetSize(); i++) {
                auto* wall = dynamic_cast<VSD_WallIntern*>(block->walls.GetAt(i));
                if (!wall || wall->SameTopParent(mover))
                    continue;
                const float reach = r + wall->m_HalfLength + R;
                const D3DXVECTOR2 centre(wall->m_CentreX, wall->m_CentreY);
                const D3DXVECTOR2 toCentre = mid - centre;
                if (Dot(toCentre, toCentre) > reach * reach)
                    continue;
                WorldElemBase* parent = wall->m_Parent.Get();
                const String& onCollision = parent && wall->IsLinkedToParent() ? parent->m_OnCollision
                                                                              : wall->m_OnCollision;
                if (!wall->m_Solid && onCollision.IsEmpty() && wall->m_OnLeave.IsEmpty())
                    continue;
                if (!wall->CanCollideWith(&mover, 1))
                    continue;
                const D3DXVECTOR2 end1(wall->m_X1 - P.x, wall->m_Y1 - P.y);
                const D3DXVECTOR2 end2(wall->m_X2 - P.x, wall->m_Y2 - P.y);
                const int32_t side = -end1.x * wall->m_NormalX - end1.y * wall->m_NormalY < 0.0f ? 1 : -1;
                const bool blocking =
                    (mover.m_CanMoveThrough & 1) == 0 && wall->m_SemiPerm * side >= 0 && wall->m_Solid != 0;
                WallHit hit;
                Math::MovingCircleVsWall(hit, end1, end2, d, r, blocking ? kBlockingClearance : 0.0f);
                float tWall = 1.0f;
                if (hit.hit) {
                    tWall = std::min(hit.t, 1.0f);
                    bool under = false;
                    if (stepsOver && wall->m_HalfLength > 0.0f) {
                        const D3DXVECTOR2 along(wall->m_DirX, wall->m_DirY);
                        const float k = -Dot(end1, along) / (2.0f * wall->m_HalfLength);  // where P lies along it
                        const float top1 = wall->GetStartFloorHeight() + wall->m_HeightOffset1 + wall->m_Height1;
                        const float top2 = wall->GetEndFloorHeight() + wall->m_HeightOffset2 + wall->m_Height2;
                        under = top1 * (1.0f - k) + top2 * k < base;
                    }
                    if (!under && blocking && hit.t < best.t)
                        best.Take(wall, hit.t, hit, false);
                }
                if (hit.sliding && hit.t < tWall) {
                    correction = D3DXVECTOR2(hit.posX, hit.posY);
                    nearContact = true;
                }
                if (!record(wall, tWall, side) && !hit.embedded)
                    continue;
                if (!blocking && !wall->m_OnLeave.IsEmpty()) {
                    bool listed = false;
                    for (int32_t j = 0; j < m_CrossedWalls.GetSize() && !listed; j++)
                        listed = m_CrossedWalls.GetAt(j)->wall.Get() == wall;
                    if (!listed) {
                        WallCollisionData* crossed = m_CrossedWalls.GetBySlot(m_CrossedWalls.Add());
                        crossed->wall = wall;
                        crossed->radius = r;
                    }
                }
            }

            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* elem = dynamic_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem || elem->m_NoCollisions || elem->IsHeld() || elem->SameTopParent(mover))
                    continue;
                const bool isEvent = elem->m_TypeCode == ElemType::kEvent;
                if (!isEvent && (elem->m_FloorObjectFlags & 0xF) != floorLevel &&
                    std::fabs(elem->GetGroundHeight() - moverGround) > kFloorLevelGap)
                    continue;
                float rm = elem->IsCreature() ? mover.GetBodyRadius() : r;
                if (flight && shooter->IsEnemyOf(elem, true) == 0)
                    rm = mover.GetBodyRadius() * factor;
                const float S = elem->GetCollisionRadius() + rm;
                const D3DXVECTOR2 at = elem->GetPos();
                if (S <= 0.0f || LengthOf(mid - at) > S + R)
                    continue;
                const D3DXVECTOR2 Q = at - P;
                bool blocking =
                    (mover.m_CanMoveThrough & 2) == 0 && (moverIsShot ? elem->m_BlocksShots : elem->m_Solid);

                if (isEvent) {
                    const bool fromOutside = Dot(Q, Q) > S * S;
                    if (moverIsShot && !fromOutside && !elem->HoldsProjectiles())
                        blocking = false;
                    if (elem == passed)
                        continue;  // continued through it a level above: met again at once
                    const bool isNew = !IsEventContact(elem) && elem->CanCollideWith(&mover, fromOutside ? 1 : 0);
                    if (!blocking && !isNew)
                        continue;
                    WallHit hit;
                    Math::MovingCircleVsWallEnd(hit, Q, S, d, blocking ? kBlockingClearance : 0.0f);
                    float tEvent = 1.0f;
                    if (hit.hit) {
                        float t = hit.t;
                        if (isNew && !blocking && fromOutside)
                            t = std::min(t + kEventEntryDepth / L, 1.0f);
                        if (t < 1.0f)
                            tEvent = t;
                        const bool under = stepsOver && elem->GetTopHeight() < base;
                        if (!under && t < best.t)
                            best.Take(elem, t, hit, fromOutside);
                    }
                    if (hit.sliding && hit.t < tEvent) {
                        correction = D3DXVECTOR2(hit.posX, hit.posY);
                        nearContact = true;
                    }
                    record(elem, tEvent, 0);
                    continue;
                }

                bool stop = blocking || (flight && (elem->IsCreature() || (elem->m_TypeCode == ElemType::kItem &&
                                                                             elem->GetCatchFlag())));
                if (!mover.m_Solid && elem->IsCreature())
                    stop = false;
                if (elem->m_TypeCode == ElemType::kProjectile)
                    stop = true;
                if (!stop && elem->m_OnCollision.IsEmpty() && mover.m_OnCollision.IsEmpty())
                    continue;
                if (!elem->CanCollideWith(&mover, 1))
                    continue;
                if (Dot(Q, Q) <= S * S) {  // already overlapping: no sweep
                    if (!flight)
                        continue;
                    if (elem->m_TypeCode != ElemType::kProjectile && flight->TakeFlightHit(*elem, true))
                        continue;
                    if (stop && 0.0f < best.t)
                        best.Take(elem, 0.0f, WallHit(), false);  // what it does not hit stops it at once
                    if (stop)
                        record(elem, 0.0f, 0);
                    continue;
                }
                WallHit hit;
                Math::MovingCircleVsWallEnd(hit, Q, S, d, blocking ? kBlockingClearance : 0.0f);
                float tElem = 1.0f;
                if (hit.hit) {
                    tElem = std::min(hit.t, 1.0f);
                    if (moverIsShot) {
                        if (elem->m_TypeCode == ElemType::kProjectile || mover.TakeFlightHit(*elem, false))
                            continue;  // shots pass shots; what a shot hits is no obstacle
                    }
                    if (stop && hit.t < best.t)
                        best.Take(elem, hit.t, hit, false);
                }
                if (hit.sliding && hit.t < tElem) {
                    correction = D3DXVECTOR2(hit.posX, hit.posY);
                    nearContact = true;
                }
                record(elem, tElem, 0);
            }
        }
    }
    if (best.blocked)
        m_LastCollision.blocker = best.blocker.Get();

    // The collision events of what was touched up to the contact, a wall group once. An event's
    // script may delete what it touches, the mover too.
    SmartPtr<WorldElem> moverRef(&mover);
    DynaPtrList<WorldElemBase*, 8> groups;
    for (int32_t i = 0; i < numContacts; i++) {
        WorldElemBase* target = contacts[i].target.Get();
        if (contacts[i].t > best.t || !target)
            continue;
        WorldElemBase* notified = target;
        int32_t side = 0;
        if (target->m_TypeCode == ElemType::kWall) {
            auto* wall = static_cast<VSD_WallIntern*>(target);
            WorldElemBase* group = wall->m_GroupOwner.Get() ? wall->m_GroupOwner.Get() : wall;
            if (groups.IndexOf(group) >= 0)
                continue;
            groups.Add(group);
            side = contacts[i].side;
            if (wall->IsLinkedToParent() && side == 1) {
                notified = wall->m_Parent.Get();
                SmartPtr<WorldElemBase> notifiedRef(notified);
                notified->OnCollisionEvent(&mover, 1);
                if (moverRef.Get() && notifiedRef.Get())
                    mover.OnCollisionEvent(notified, side);
                if (!moverRef.Get())
                    break;
                continue;
            }
        }
        SmartPtr<WorldElemBase> notifiedRef(notified);
        notified->OnCollisionEvent(&mover, side);
        if (moverRef.Get() && notifiedRef.Get())
            mover.OnCollisionEvent(notified, side);
        if (!moverRef.Get())
            break;
    }
    if (!moverRef.Get()) {
        outPos = P;
        return 0;
    }

    if (!best.blocked) {
        outPos = nearContact ? P + correction : P + d;
        if (depth >= 1) {
            m_LastCollision.freeStep[0] = d.x;
            m_LastCollision.freeStep[1] = d.y;
        }
        return 1;
    }

    const D3DXVECTOR2 K = P + d * best.t;
    const double contactTime = startTime + double(best.t) * double(duration);
    const float restTime = (1.0f - best.t) * duration;
    WorldElemBase* blocker = best.blocker.Get();
    auto* blockerElem = dynamic_cast<WorldElem*>(blocker);
    WorldElem* target = m_MoveTarget.Get();
    if (target && blocker &&
        ((blockerElem && blockerElem->IsActiveType() && blockerElem->m_Solid && blockerElem == target) ||
         (blocker->m_TypeCode == ElemType::kWall && blocker->m_Parent.Get() == target))) {
        mover.OnReachedTarget();
        if (!moverRef.Get()) {
            outPos = K;
            return 0;
        }
    }

    if (blockerElem && blockerElem->m_TypeCode == ElemType::kEvent) {
        SmartPtr<WorldElem> eventRef(blockerElem);
        m_EventScratch.object = blockerElem;
        m_EventScratch.enteredFromOutside = best.enteredFromOutside ? 1 : 0;
        if (!IsEventContact(blockerElem)) {
            EventCollisionData* added = m_EventContacts.GetBySlot(m_EventContacts.Add());
            *added = m_EventScratch;
            const int32_t goOn = blockerElem->Activate(&mover, best.enteredFromOutside, contactTime);
            if (goOn == 0 || !moverRef.Get()) {
                outPos = K;
                return 0;
            }
        }
        const bool solid = eventRef.Get() && eventRef.Get()->m_Solid;
        if (mover.m_NoSlide || ((!solid || !best.enteredFromOutside) && depth <= 1)) {
            if (passes >= kMaxPassThroughs) {
                outPos = K;
                return 0;
            }
            return ResolveCollisionStep(mover, K, P + d - K, outPos, contactTime, restTime, slideMode, flight,
                                        depth + 1, eventRef.Get(), passes + 1);
        }
    }

    D3DXVECTOR2 v = d;
    if (!mover.m_NoSlide) {
        const float q = Dot(d, best.slide);
        if (slideMode != 0)
            v = best.slide * q;
        else
            v = best.slide * (q <= 0.0f ? -L : L);
    }
    if (slideMode == 0 && mover.IsCreature() && mover.GetControlMode() == 1) {
        const int32_t moveType = mover.GetMoveType();
        if ((moveType == 4 || moveType == 5 || moveType == 27) && Dot(mover.GetDirection(), v) < kTurnBackLimit) {
            v = v * -1.0f;
            if (depth == 0) {
                m_LastCollision.step[0] = -m_LastCollision.step[0];
                m_LastCollision.step[1] = -m_LastCollision.step[1];
            }
        }
    }
    if (!mover.m_NoSlide)
        mover.ProjectVelocity(&v);
    if (depth > 1 || moverIsShot) {
        outPos = K;
        return 0;
    }
    if (depth == 0) {
        if (mover.GetControlMode() == 1 && Dot(mover.GetMoveDirection(), v) < kTurnBackLimit)
            v = v * -1.0f;
    } else {
        const float length = LengthOf(v);
        const D3DXVECTOR2 direction = length > 0.0f ? v * (1.0f / length) : D3DXVECTOR2(0.0f, 0.0f);
        if (Dot(direction, D3DXVECTOR2(m_LastCollision.normal[0], m_LastCollision.normal[1])) < kTurnBackLimit)
            v = v * -1.0f;
    }
    m_LastCollision.normal[0] = best.normal.x;
    m_LastCollision.normal[1] = best.normal.y;
    ResolveCollisionStep(mover, K, v * (1.0f - best.t), outPos, contactTime, restTime, slideMode, flight, depth + 1,
                         nullptr, passes);
    return 0;
}
