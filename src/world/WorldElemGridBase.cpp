// WorldElemGridBase: position, height and angle through the parent chain, the block placement,
// the ground height with floor objects, the checked position store, fading and life spans.
#include "world/WorldElemGridBase.h"

#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/Math.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>

namespace {

thread_local int32_t t_ParentDepth = 0;  // steps up parent chains now being walked

}  // namespace

WorldElemGridBase::ParentStep::ParentStep()
{
    if (++t_ParentDepth > kMaxParentChain) {
        --t_ParentDepth;  // this step never completes, so its destructor will not undo it
        ErrorClassSimple::StaticError("WorldElemGridBase: Object attached to itself!");
    }
}

WorldElemGridBase::ParentStep::~ParentStep() { --t_ParentDepth; }

WorldElemGridBase::WorldElemGridBase() = default;

WorldElemGridBase::WorldElemGridBase(const WorldElemGridBase& other) : SmartClass(other), cfLeaAllocator(other)
{
    CopyValues(other);
}

WorldElemGridBase& WorldElemGridBase::operator=(const WorldElemGridBase& other)
{
    if (this != &other)
        CopyValues(other);
    return *this;
}

WorldElemGridBase::~WorldElemGridBase()
{
    if (m_World && m_CellListEntry >= 0)
        m_World->LeaveBlock(*this);
}

void WorldElemGridBase::CopyValues(const WorldElemGridBase& other)
{
    m_Parent = other.m_Parent;
    m_SavedParentRef = other.m_SavedParentRef;
    m_PosX = other.m_PosX;
    m_PosY = other.m_PosY;
    m_GroundHeight = other.m_GroundHeight;
    m_Height = other.m_Height;
    m_Angle = other.m_Angle;
    m_Radius = other.m_Radius;
    m_GroundDirty = other.m_GroundDirty;
    m_FloorObjectFlags = other.m_FloorObjectFlags;
    m_VisibilityMix = other.m_VisibilityMix;
    m_LifeSpanEnd = other.m_LifeSpanEnd;
    m_Opacity = other.m_Opacity;
    m_FadeRate = other.m_FadeRate;
    m_TypeCode = other.m_TypeCode;
}

void WorldElemGridBase::ResetGridPart(bool keepPlacement)
{
    if (!keepPlacement) {
        if (m_World && m_CellListEntry >= 0)
            m_World->LeaveBlock(*this);
        m_CellX = -1;
        m_CellY = -1;
        m_CellListEntry = -1;
        m_CellIndex = -1;
        m_ObjID = -1;
    }
    m_Parent = nullptr;
    m_SavedParentRef = 0;
    m_PosX = 0.0f;
    m_PosY = 0.0f;
    m_GroundHeight = kUnknownGround;
    m_Height = 0.0f;
    m_Angle = 0.0f;
    m_Radius = 32.0f;
    m_GroundDirty = 1;
    m_FloorObjectFlags = 0;
    m_VisibilityMix = 1.0f;
    m_LifeSpanEnd = -1.0;
    m_Opacity = 1.0f;
    m_FadeRate = 0.0f;
}

float WorldElemGridBase::WrapAngle(float a)
{
    constexpr float kHalf = 3.14159f;
    constexpr float kFull = 6.28318f;
    return Math::WrapFloat(a + kHalf, kFull) - kHalf;
}

int32_t WorldElemGridBase::BlockOf(float coordinate)
{
    // far and not finite positions land far outside every grid, never in an overflowing integer
    const double clamped = std::fmax(-2e9, std::fmin(2e9, double(coordinate)));  // NaN becomes -2e9
    return int32_t(std::trunc(clamped)) / kBlockSize;
}

void WorldElemGridBase::OnPosChanged() { UpdateGridCell(); }

bool WorldElemGridBase::UpdateGridCell()
{
    if (!m_World)
        return true;
    const D3DXVECTOR2 pos = GetPos();
    const int32_t column = BlockOf(pos.x);
    const int32_t row = BlockOf(pos.y);
    if (column != m_CellX || row != m_CellY)
        m_World->MoveToBlock(*this, column, row);
    return true;
}

D3DXVECTOR2 WorldElemGridBase::GetPos() const
{
    const WorldElemBase* parentElem = m_Parent.Get();
    if (!parentElem)
        return {m_PosX, m_PosY};
    const WorldElemGridBase* parent = parentElem;
    if (parent == this)
        ErrorClassSimple::StaticError("WorldElemGridBase: Object attached to itself!");
    ParentStep step;
    const D3DXVECTOR2 origin = parent->GetPos();
    if (m_PosX == 0.0f && m_PosY == 0.0f)
        return origin;
    const float a = parent->GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    return {origin.x + m_PosX * c - m_PosY * s, origin.y + m_PosX * s + m_PosY * c};
}

float WorldElemGridBase::GetHeight() const
{
    const WorldElemBase* parent = m_Parent.Get();
    if (!parent)
        return m_Height;
    ParentStep step;
    return m_Height + parent->GetHeight();
}

void WorldElemGridBase::SetHeight(float height) { m_Height = height; }

void WorldElemGridBase::SetAngle(float angle) { m_Angle = WrapAngle(angle); }

float WorldElemGridBase::GetAngle() const
{
    const WorldElemBase* parent = m_Parent.Get();
    if (!parent)
        return m_Angle;
    ParentStep step;
    return WrapAngle(m_Angle + parent->GetAngle());
}

float WorldElemGridBase::GetGroundHeight()
{
    if (m_Parent.Get())
        return UpdateGroundHeight(m_PosX, m_PosY);  // the parent's ground, whatever the point
    if (m_GroundDirty) {
        const D3DXVECTOR2 pos = GetPos();
        UpdateGroundHeight(pos.x, pos.y);
    }
    return m_GroundHeight;
}

float WorldElemGridBase::UpdateGroundHeight(float x, float y)
{
    if (WorldElemBase* parent = m_Parent.Get()) {
        ParentStep step;
        m_GroundHeight = parent->GetGroundHeight();
        m_FloorObjectFlags = parent->m_FloorObjectFlags;
        return m_GroundHeight;
    }
    WorldElem* object = nullptr;
    const float h = m_World ? m_World->GetFloorHeightWithObjects(x, y, m_ObjID, &object) : 0.0f;
    const auto standOn = [&] {
        m_FloorObjectFlags = uint8_t((object->GetFloorObjectFlagByte() & 0xFC) + 1);
        m_GroundHeight = h;
    };
    if (m_FloorObjectFlags != 0) {  // it stood on an object: it stays on whatever is there
        if (object) {
            standOn();
        } else {
            m_FloorObjectFlags = 0;
            m_GroundHeight = h;
        }
    } else if (!object) {
        m_GroundHeight = h;
    } else if (object->IsAlwaysWalkable() || h - m_GroundHeight < kStepHeight) {
        standOn();
    } else {  // too high to step onto: the plain floor where the element stands
        const D3DXVECTOR2 pos = GetPos();
        m_GroundHeight = m_World->GetFloorHeight(pos.x, pos.y);
    }
    m_GroundDirty = 0;
    return m_GroundHeight;
}

bool WorldElemGridBase::IsOnFloorObjectAt(float x, float y)
{
    if (WorldElemBase* parent = m_Parent.Get()) {
        ParentStep step;
        return parent->IsOnFloorObjectAt(x, y);
    }
    if (!m_World)
        return false;
    WorldElem* object = nullptr;
    const float h = m_World->GetFloorHeightWithObjects(x, y, m_ObjID, &object);
    if (IsOnFloorObject())
        return object != nullptr;
    if (!object)
        return false;
    if (object->IsAlwaysWalkable())
        return true;
    return h - m_GroundHeight < kStepHeight;  // NaN compares false
}

void WorldElemGridBase::SetPos(float x, float y)
{
    StorePosChecked(x, y);
    m_GroundDirty = 1;
    UpdateGridCell();
}

void WorldElemGridBase::SetPosNoGround(float x, float y)
{
    StorePosChecked(x, y);
    UpdateGridCell();
}

void WorldElemGridBase::FadeIn(float seconds)
{
    if (seconds > 0.0f) {
        m_FadeRate = 1.0f / seconds;
    } else {
        m_FadeRate = 0.0f;
        m_Opacity = 1.0f;
    }
}

void WorldElemGridBase::FadeOut(float seconds)
{
    if (seconds > 0.0f) {
        m_FadeRate = -1.0f / seconds;
    } else {
        m_FadeRate = 0.0f;
        m_Opacity = 0.0f;
    }
}

void WorldElemGridBase::UpdateFade(float dt)
{
    if (m_FadeRate == 0.0f)
        return;
    m_Opacity += dt * m_FadeRate;
    if (m_Opacity >= 1.0f) {
        m_Opacity = 1.0f;
        m_FadeRate = 0.0f;
    } else if (m_Opacity <= 0.0f) {
        m_Opacity = 0.0f;
        m_FadeRate = 0.0f;
    }
}

float WorldElemGridBase::GetVisibleFactor(float heightOffset)
{
    (void)heightOffset;
    if (!m_World)
        return GetOpacity();
    const D3DXVECTOR2 pos = GetPos();
    return m_World->GetViewFadeFactor(pos.x, pos.y, m_Radius) * GetOpacity();
}

WorldElemGridBase* WorldElemGridBase::GetParent(bool topmost)
{
    WorldElemGridBase* parent = m_Parent.Get();
    if (!topmost)
        return parent;
    WorldElemGridBase* top = this;
    for (int32_t depth = 0; depth < kMaxParentChain; depth++) {  // a longer chain is a cycle
        WorldElemGridBase* up = top->m_Parent.Get();
        if (!up)
            break;
        top = up;
    }
    return top;
}

D3DXVECTOR3 WorldElemGridBase::GetPos3D() const
{
    const D3DXVECTOR2 pos = GetPos();
    return {pos.x, pos.y, GetHeight()};
}

D3DXVECTOR3 WorldElemGridBase::GetAbsPos3D()
{
    const D3DXVECTOR2 pos = GetPos();
    return {pos.x, pos.y, GetHeight() + GetGroundHeight()};
}

void WorldElemGridBase::InvalidateGroundHeight()
{
    m_GroundDirty = 1;
    m_GroundHeight = kUnknownGround;
    m_FloorObjectFlags = 0;
}

void WorldElemGridBase::SetLifeSpan(float seconds)
{
    SetLifeSpanEnd(seconds);
    if (WorldElemBase* self = dynamic_cast<WorldElemBase*>(this)) {
        self->ForEachChild([seconds](WorldElemGridBase& child) {
            if (child.m_TypeCode != ElemType::kWall && child.m_TypeCode != ElemType::kEffect)
                child.SetLifeSpan(seconds);
        });
    }
}

void WorldElemGridBase::SetLifeSpanEnd(float seconds) { m_LifeSpanEnd = GameCtrlInterface::GameTime() + seconds; }

double WorldElemGridBase::GetLifeSpanLeft() const
{
    return m_LifeSpanEnd >= 0.0 ? m_LifeSpanEnd - GameCtrlInterface::GameTime() : -1.0;
}

void WorldElemGridBase::StorePosChecked(float x, float y)
{
    if (std::isfinite(x) && std::isfinite(y)) {
        m_PosX = x;
        m_PosY = y;
        return;
    }
    const double nx = x, ny = y, cx = m_PosX, cy = m_PosY;
    if (m_TypeCode == ElemType::kEffect) {
        Log::Write("Warning: effect %s, SetPos(%f,%f); curPos=%f,%f", "UnknownName", nx, ny, cx, cy);
    } else if (m_TypeCode == ElemType::kNone) {
        Log::Write("Warning: SetPos(%f,%f); curPos=%f,%f", nx, ny, cx, cy);
    } else {
        const WorldElemBase* elem = dynamic_cast<const WorldElemBase*>(this);
        Log::Write("Warning: '%s': SetPos(%f,%f); curPos=%f,%f", elem ? elem->m_CfgID.c_str() : "", nx, ny, cx, cy);
    }
}
