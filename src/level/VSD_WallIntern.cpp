// VSD_WallIntern: end points and direction, sides, floor heights and the wall's element answers.
#include "level/VSD_WallIntern.h"

#include "level/VSD_Viewer.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>

VSD_WallIntern::VSD_WallIntern() { CopyName32(this, "VSD_WallIntern"); }

VSD_WallIntern::~VSD_WallIntern()
{
    // The item that carries the wall drops its record of it, so that no record outlives the wall.
    WorldElemBase* owner = m_Parent.Get();
    if (owner && owner->m_TypeCode == ElemType::kItem)
        if (auto* item = dynamic_cast<WorldElem*>(owner))
            item->RemoveWall(*this);
}

void VSD_WallIntern::SetEndPoints(float x1, float y1, float x2, float y2)
{
    m_X1 = x1;
    m_Y1 = y1;
    m_X2 = x2;
    m_Y2 = y2;
    if (m_Level)
        m_Level->UpdateWallGeometry(*this);
}

void VSD_WallIntern::CalcDirection()
{
    const float dx = m_X2 - m_X1;
    const float dy = m_Y2 - m_Y1;
    m_HalfLengthSq = dx * dx * 0.25f + dy * dy * 0.25f;
    m_HalfLength = std::sqrt(m_HalfLengthSq);
    if (m_HalfLength > 0.0f) {
        const float scale = 1.0f / (2.0f * m_HalfLength);
        m_DirX = dx * scale;
        m_DirY = dy * scale;
    } else {
        m_DirX = 1.0f;  // no direction of its own: along x
        m_DirY = 0.0f;
    }
    m_NormalX = m_DirY;
    m_NormalY = -m_DirX;
}

void VSD_WallIntern::UpdateTransform()
{
    m_Transform = D3DXMATRIX(m_DirX, m_DirY, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, m_NormalX, m_NormalY, 0.0f, 0.0f,
                             m_CentreX, m_CentreY, 0.0f, 1.0f);
}

int32_t VSD_WallIntern::GetSide(float x, float y) const
{
    return (x - m_X1) * m_NormalX + (y - m_Y1) * m_NormalY >= 0.0f ? 1 : -1;
}

bool VSD_WallIntern::SideAllows(int32_t side) const
{
    if (int32_t(m_SemiPerm) * side < 0)
        return false;
    return m_Solid != 0;
}

void VSD_WallIntern::UpdateEndHeights()
{
    if (!m_EndHeightsStale || !m_Level)
        return;
    m_FloorHeightCentre = m_Level->GetFloorHeight(m_CentreX, m_CentreY);
    m_FloorHeight1 = m_Level->GetFloorHeight(m_X1, m_Y1);
    m_FloorHeight2 = m_Level->GetFloorHeight(m_X2, m_Y2);
    m_EndHeightsStale = 0;
}

float VSD_WallIntern::GetStartFloorHeight()
{
    UpdateEndHeights();
    return m_FloorHeight1;
}

float VSD_WallIntern::GetEndFloorHeight()
{
    UpdateEndHeights();
    return m_FloorHeight2;
}

float VSD_WallIntern::GetGroundHeight()
{
    UpdateEndHeights();
    return m_FloorHeightCentre;
}

D3DXVECTOR3 VSD_WallIntern::GetCenterOffset()
{
    UpdateEndHeights();
    const float h = (m_HeightOffset1 + m_HeightOffset2) * 0.25f + (m_FloorHeight2 - m_FloorHeight1) * 0.5f;
    return {0.0f, 0.0f, h};
}

float VSD_WallIntern::GetBoundingRadius()
{
    const float q = (m_HeightOffset1 + m_HeightOffset2) * 0.25f;
    return std::sqrt(m_HalfLengthSq + q * q);
}

bool VSD_WallIntern::CanCollideWith(WorldElemBase* other, int32_t arg)
{
    if (!other)
        return WorldElemBase::CanCollideWith(other, arg);
    if (m_Bridge != 0) {
        const bool odd = m_Bridge % 2 != 0;
        if (other->IsOnFloorObject() ? !(odd && m_Bridge > 0) : odd)
            return false;
    }
    if (m_CollisionMask != -1) {  // -1 is every element, without name filters
        if ((m_CollisionMask & kCollideCfgIDFilter) && !other->m_CfgID.EqualsNoCase(m_EffByID))
            return false;
        if ((m_CollisionMask & kCollideWorldIDFilter) && !other->m_WorldID.EqualsNoCase(m_EffByID))
            return false;
    }
    if (m_EffByParty[0] != kAnyParty) {
        WorldElem* elem = dynamic_cast<WorldElem*>(other);
        if (!elem)
            return false;  // an element without a party matches no party entry
        const int32_t party = elem->GetParty();
        bool listed = false;
        for (int32_t entry : m_EffByParty)
            listed = listed || entry == party;
        if (!listed)
            return false;
    }
    return WorldElemBase::CanCollideWith(other, arg);
}

bool VSD_WallIntern::OnUse(int32_t flag, int32_t userID, int32_t arg)
{
    WorldCtrl* world = m_Level ? m_Level->GetWorldCtrl() : nullptr;
    if (arg && m_NeedKey > 0 && userID >= 0) {
        if (g_GameCtrl)
            g_GameCtrl->UseItemSlot(world ? world->GetObjNoCheck(userID, false) : nullptr, m_NeedKey, this, flag,
                                    userID);
        return false;
    }
    SmartPtr<VSD_WallIntern> alive(this);
    if (world && !m_SndUse.IsEmpty())
        world->PlaySoundAt(m_SndUse.c_str(), m_CentreX, m_CentreY, nullptr, -1);
    if (world && !m_OnUse.IsEmpty()) {
        if (g_GameCtrl)
            g_GameCtrl->SetScriptContext(userID, arg);
        String label;
        label.Format("OnUse:%s", m_CfgID.c_str());
        world->RunScript(m_OnUse, nullptr, 1, 1, label.c_str(), 1, 255);
    }
    if (!alive.Get())
        return true;  // its script deleted the wall
    WorldElemBase* parent = m_Parent.Get();
    if (m_LinkToParent && parent && WorldElem::IsActiveType(parent->m_TypeCode))
        parent->OnUse(flag, userID, arg);
    return true;
}

bool VSD_WallIntern::IsUsable()
{
    if (!m_OnUse.IsEmpty() || m_LinkToParent)
        return true;
    WorldElemBase* parent = m_Parent.Get();
    if (parent && m_UseThroughParent && WorldElem::IsActiveType(parent->m_TypeCode))
        return parent->IsUsable();
    return false;
}
