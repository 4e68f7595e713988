// WorldCtrl: turning an element: to an angle of the world or towards a point, in steps when it
// carries children that collide, each step reduced to what those children can follow.
#include "world/WorldCtrl.h"

#include "base/Math.h"
#include "level/Angle.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kStepAngle = 0.5235988f;  // pi / 6: larger turns of an element with children go in steps
constexpr int32_t kTurnTries = 8;
constexpr float kLeastChildMove = 0.5f;  // a child that moves less refuses the turn
constexpr float kTurnNoticeLimit = 0.0001f;

bool HasChildren(WorldElem& elem)
{
    bool any = false;
    elem.ForEachChild([&](WorldElemGridBase&) { any = true; });
    return any;
}

// The signed angle from u to w.
float AngleBetween(const D3DXVECTOR2& u, const D3DXVECTOR2& w)
{
    const float lengths = std::sqrt((u.x * u.x + u.y * u.y) * (w.x * w.x + w.y * w.y));
    if (!(lengths > 0.0f))
        return 0.0f;
    const float angle = std::acos(std::clamp((u.x * w.x + u.y * w.y) / lengths, -1.0f, 1.0f));
    return u.x * w.y - u.y * w.x < 0.0f ? -angle : angle;
}

}  // namespace

void WorldCtrl::RotateTo(WorldElem& elem, float angle)
{
    WorldElemGridBase* top = elem.m_Parent.Get() ? elem.GetParent(true) : nullptr;
    const float wanted = top ? angle - top->GetAngle() : angle;
    const float own = elem.GetOwnAngle();
    if (elem.IsCreature() && elem.GetTurningMode() == 1 && Angle::Diff(own, wanted) * elem.GetTurnRate() < -0.01f) {
        elem.SetTurnRate(0.0f);  // it turned the other way: the turn stops
        return;
    }
    RotateBy(elem, wanted - own);
}

int32_t WorldCtrl::RotateBy(WorldElem& elem, float angle)
{
    float a = Math::WrapFloat(angle + Angle::kPi, Angle::kTwoPi) - Angle::kPi;
    if (a <= -Angle::kPi)
        a += Angle::kTwoPi;  // into (-pi, pi]
    if (!HasChildren(elem) || std::fabs(a) <= kStepAngle)
        return RotateStep(elem, a);
    const int32_t n = int32_t(std::ceil(std::fabs(a) * 6.0f / Angle::kPi));
    SmartPtr<WorldElem> alive(&elem);
    for (int32_t i = 0; i < n; i++) {
        if (!RotateStep(elem, a / float(n)) || !alive.Get())
            return 0;
    }
    return 1;
}

int32_t WorldCtrl::RotateStep(WorldElem& elem, float angle)
{
    const float own = elem.GetOwnAngle();
    if (!HasChildren(elem)) {
        elem.SetAngle(own + angle);
        return 1;
    }
    SmartPtr<WorldElem> alive(&elem);
    const D3DXVECTOR2 centre = elem.GetPos();
    const double now = GetCtrl().GetGameTime();
    const float sign = angle < 0.0f ? -1.0f : 1.0f;
    float turn = angle;
    int32_t result = 1;
    for (int32_t slot = elem.m_Children.NextUsedSlot(-1); slot >= 0; slot = elem.m_Children.NextUsedSlot(slot)) {
        SmartPtr<WorldElemGridBase>* entry = elem.m_Children.GetBySlot(slot);
        auto* child = entry ? dynamic_cast<WorldElem*>(entry->Get()) : nullptr;
        if (!child || !child->IsActiveType() || !child->m_CollidesWhenCarried)
            continue;
        SmartPtr<WorldElem> childRef(child);
        for (int32_t attempt = 0; attempt < kTurnTries; attempt++) {
            const D3DXVECTOR2 before = child->GetPos();
            const D3DXVECTOR2 arm = before - centre;
            const float c = std::cos(turn);
            const float s = std::sin(turn);
            const D3DXVECTOR2 after = centre + D3DXVECTOR2(arm.x * c - arm.y * s, arm.x * s + arm.y * c);
            D3DXVECTOR2 reached = before;
            const int32_t moved = MoveSegment(*child, before, after, reached, now, 0.0f, 1, nullptr, 999);
            if (!alive.Get())
                return 0;
            if (moved || !childRef.Get())
                break;
            result = 0;
            const D3DXVECTOR2 gone = reached - before;
            if (std::sqrt(gone.x * gone.x + gone.y * gone.y) < kLeastChildMove)
                return 0;  // the child cannot follow at all: no turn
            // The turn is cut to the angle through which the child could be carried round.
            const float followed = sign * std::fabs(AngleBetween(arm, reached - centre));
            if (!(std::fabs(followed) < std::fabs(turn)))
                break;
            turn = followed;
        }
    }
    elem.SetAngle(own + turn);
    return result;
}

int32_t WorldCtrl::TurnTo(WorldElem& elem, float angle, float value)
{
    if (!(std::fabs(Angle::Diff(elem.GetAngle(), angle)) >= kTurnNoticeLimit))
        return 0;
    SmartPtr<WorldElem> alive(&elem);
    elem.OnTurnStart(value);
    if (alive.Get())
        RotateTo(elem, angle);
    return 1;
}

int32_t WorldCtrl::TurnToPoint(WorldElem& elem, float x, float y, float value)
{
    const D3DXVECTOR2 pos = elem.GetPos();
    const float dx = x - pos.x;
    const float dy = y - pos.y;
    if (!(dx * dx + dy * dy > 0.001f))
        return 0;
    return TurnTo(elem, std::atan2(dy, dx), value);
}
