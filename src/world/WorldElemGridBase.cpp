// WorldElemGridBase: position, height and angle through the parent chain, the checked position
// store, fading.
#include "world/WorldElemGridBase.h"

#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/Math.h"
#include "world/WorldElemBase.h"

#include <cmath>

WorldElemGridBase::WorldElemGridBase() = default;

WorldElemGridBase::WorldElemGridBase(const WorldElemGridBase& other) : SmartClass(other), cfLeaAllocator(other)
{
    *this = other;
}

WorldElemGridBase& WorldElemGridBase::operator=(const WorldElemGridBase& other)
{
    if (this == &other)
        return *this;
    m_Parent = other.m_Parent;
    m_SavedParentRef = other.m_SavedParentRef;
    m_CellX = other.m_CellX;
    m_CellY = other.m_CellY;
    m_CellListEntry = other.m_CellListEntry;
    m_World = other.m_World;
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
    m_ObjID = other.m_ObjID;
    m_CellIndex = other.m_CellIndex;
    m_TypeCode = other.m_TypeCode;
    return *this;
}

WorldElemGridBase::~WorldElemGridBase() = default;

void WorldElemGridBase::ResetGridPart()
{
    m_Parent = nullptr;
    m_SavedParentRef = 0;
    m_CellX = -1;
    m_CellY = -1;
    m_CellListEntry = -1;
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
    m_ObjID = -1;
    m_CellIndex = -1;
}

float WorldElemGridBase::WrapAngle(float a)
{
    constexpr float kHalf = 3.14159f;
    constexpr float kFull = 6.28318f;
    return Math::WrapFloat(a + kHalf, kFull) - kHalf;
}

void WorldElemGridBase::OnPosChanged() { UpdateGridCell(); }

bool WorldElemGridBase::UpdateGridCell() { return true; }  // the world's block lists place it

D3DXVECTOR2 WorldElemGridBase::GetPos() const
{
    const WorldElemBase* parentElem = m_Parent.Get();
    if (!parentElem)
        return {m_PosX, m_PosY};
    const WorldElemGridBase* parent = parentElem;
    if (parent == this)
        ErrorClassSimple::StaticError("WorldElemGridBase: Object attached to itself!");
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
    return parent ? m_Height + parent->GetHeight() : m_Height;
}

void WorldElemGridBase::SetHeight(float height) { m_Height = height; }

void WorldElemGridBase::SetAngle(float angle) { m_Angle = WrapAngle(angle); }

float WorldElemGridBase::GetAngle() const
{
    const WorldElemBase* parent = m_Parent.Get();
    return parent ? WrapAngle(m_Angle + parent->GetAngle()) : m_Angle;
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

void WorldElemGridBase::InvalidateGroundHeight()
{
    m_GroundDirty = 1;
    m_GroundHeight = kUnknownGround;
    m_FloorObjectFlags = 0;
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
