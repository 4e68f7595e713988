// WorldElem: the ground under the element by its ground mode, fading, visibility and the view
// test, the active area, the local frame, impulses and the velocity's direction, damage entries
// and the smaller slots.
#include "world/WorldElem.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

float WorldElem::GetGroundHeight()
{
    if (m_Parent.Get())
        return WorldElemGridBase::GetGroundHeight();
    if (m_GroundDirty) {
        if (m_GroundMode == 0) {
            const D3DXVECTOR2 pos = GetPos();
            UpdateGroundHeight(pos.x, pos.y);
        } else {
            m_FloorObjectFlags = 0;
            if (m_GroundMode == 2 || !m_World) {
                m_GroundHeight = 0.0f;
            } else {
                const D3DXVECTOR2 pos = GetPos();
                m_GroundHeight = m_World->GetFloorHeight(pos.x, pos.y);
            }
            m_GroundDirty = 0;
        }
    }
    return m_GroundHeight;
}

bool WorldElem::IsOnFloorObjectAt(float x, float y)
{
    if (!m_Parent.Get() && m_GroundMode != 0)
        return false;  // attached, the parent answers: the base asks it
    return WorldElemGridBase::IsOnFloorObjectAt(x, y);
}

void WorldElem::SetVisibility(float visibility, bool recursive)
{
    m_Visibility = visibility;
    if (recursive)
        ForEachChild([visibility](WorldElemGridBase& child) { child.SetVisibility(visibility, true); });
}

void WorldElem::UpdateFade(float dt)
{
    if (dt == 0.0f)
        return;
    WorldElemGridBase::UpdateFade(dt);
}

float WorldElem::GetOpacity() const { return m_Opacity * std::clamp(m_FadeOutValue, 0.0f, 1.0f); }

float WorldElem::GetVisibleFactor(float heightOffset)
{
    (void)heightOffset;  // the floor's revealed values have no height
    float fade = 1.0f;
    float level = 1.0f;
    if (m_World) {
        const D3DXVECTOR2 pos = GetPos();
        fade = m_World->GetViewFadeFactor(pos.x, pos.y, m_Radius);
        if (m_VisibilityMix < 1.0f)
            level = m_World->GetFloorVisibility(pos.x, pos.y);
    }
    const float mixed = m_VisibilityMix < 1.0f ? 1.0f - (1.0f - level) * (1.0f - m_VisibilityMix) : 1.0f;
    return GetOpacity() * m_Visibility * fade * mixed;
}

bool WorldElem::IsUsable() { return g_GameCtrl && g_GameCtrl->IsElementUsable(this); }

bool WorldElem::FindDamageEntry(uint32_t key1, uint32_t key2)
{
    for (int32_t slot = m_DamageList.NextUsedSlot(-1); slot >= 0; slot = m_DamageList.NextUsedSlot(slot)) {
        const ActionDamageData* entry = m_DamageList.GetBySlot(slot);
        if (entry && entry->key1 == key1 && entry->key2 == key2)
            return true;
    }
    ActionDamageData* added = m_DamageList.GetBySlot(m_DamageList.Add());
    added->key1 = key1;
    added->key2 = key2;
    return false;
}

void WorldElem::ForwardToMaster(float value, int32_t arg)
{
    WorldElem* master = m_Master.Get();
    if (master && master != this)
        master->ForwardToMaster(value, arg);
}

int32_t WorldElem::GetLevel() { return g_GameCtrl ? g_GameCtrl->GetMonsterLevel(0.5f) : 0; }

void WorldElem::AddImpulse(float x, float y)
{
    if (m_Mass > 0.0f) {
        m_VelocityX += x / m_Mass;
        m_VelocityY += y / m_Mass;
    }
}

void WorldElem::ProjectVelocity(const D3DXVECTOR2* direction)
{
    const float dd = direction ? direction->x * direction->x + direction->y * direction->y : 0.0f;
    if (!(dd > 0.0f)) {
        m_VelocityX = 0.0f;
        m_VelocityY = 0.0f;
        return;
    }
    const float k = (m_VelocityX * direction->x + m_VelocityY * direction->y) / dd;
    m_VelocityX = direction->x * k;
    m_VelocityY = direction->y * k;
}

float WorldElem::GetTopHeight() { return GetAbsPos3D().z + m_Radius; }

D3DXVECTOR3 WorldElem::LocalToWorld(float x, float y, float z)
{
    const float c = std::cos(m_Angle);
    const float s = std::sin(m_Angle);
    const float u = x + m_Pivot[0];
    const float v = m_Pivot[1] - y;  // the local y axis is mirrored
    return {u * c - v * s, u * s + v * c, z + m_Pivot[2]};
}

D3DXVECTOR3 WorldElem::WorldToLocal(float x, float y, float z)
{
    const float c = std::cos(m_Angle);
    const float s = std::sin(m_Angle);
    const float u = x * c + y * s;
    const float v = -x * s + y * c;
    return {u - m_Pivot[0], m_Pivot[1] - v, z - m_Pivot[2]};
}

bool WorldElem::IsInRange(float x, float y, float extra)
{
    const D3DXVECTOR2 pos = GetPos();
    return std::hypot(x - pos.x, y - pos.y) <= GetBodyRadius() + extra;
}

D3DXVECTOR2 WorldElem::GetDirection() const
{
    const float a = GetAngle();
    return {std::cos(a), std::sin(a)};
}

bool WorldElem::IsInActiveCell() const
{
    if (!g_GameCtrl || !g_GameCtrl->IsServer())
        return m_InActiveCell != 0;
    return m_World && m_World->IsBlockActive(m_CellX, m_CellY);
}

bool WorldElem::IsInView()
{
    if (m_World && !m_World->IsEverythingInView()) {
        if (!IsInActiveCell() && m_World->GetNumActiveAreas() > 0)
            return false;
    }
    const bool always = IsAlwaysInView() != 0;
    if (!always && m_World) {
        const D3DXVECTOR2 pos = GetPos();
        if (m_World->DistanceOutsideView(pos.x, pos.y) > m_Radius)
            return false;
    }
    if (!IsOnScreen() && !always)
        return false;
    if (m_IsAuraEffect && g_GameCtrl && !g_GameCtrl->AllowsInput())
        return false;
    return true;
}
