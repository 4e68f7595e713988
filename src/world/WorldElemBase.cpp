// WorldElemBase: position and angle changes passed on to the children, the collision mask,
// script variables and detaching children.
#include "world/WorldElemBase.h"

WorldElemBase::WorldElemBase()
{
    CopyName32(this, "WorldElemBase");
    ResetElemBase();
}

WorldElemBase::WorldElemBase(const WorldElemBase& other) : ErrorClass(other), WorldElemGridBase(other)
{
    CopyElemPart(other);
}

WorldElemBase& WorldElemBase::operator=(const WorldElemBase& other)
{
    if (this != &other) {
        WorldElemGridBase::operator=(other);
        CopyElemPart(other);
    }
    return *this;
}

WorldElemBase::~WorldElemBase() = default;

void WorldElemBase::CopyElemPart(const WorldElemBase& other)
{
    m_CfgID = other.m_CfgID;
    m_WorldID = other.m_WorldID;
    m_Moved = other.m_Moved;
    m_Turned = other.m_Turned;
    for (int32_t i = 0; i < kScriptTemps; i++)
        m_ScriptTemp[i] = other.m_ScriptTemp[i];
    m_InfoText = other.m_InfoText;
    m_DoNotSave = other.m_DoNotSave;
    m_KeepWithParent = other.m_KeepWithParent;
    m_OnCollision = other.m_OnCollision;
    m_CollisionMask = other.m_CollisionMask;
}

void WorldElemBase::ResetElemBase()
{
    ResetGridPart();
    m_Moved = 1;
    m_Turned = 1;
    m_TypeCode = ElemType::kBase;
    m_Children.DeleteAll();
    m_CollisionMask = -1;
    m_CfgID = String();
    m_InfoText = String();
    m_KeepWithParent = 2;
    for (float& value : m_ScriptTemp)
        value = 0.0f;
}

namespace {

// Children that follow their parent's moves: everything but effects and unset elements.
WorldElemBase* FollowingChild(SmartPtr<WorldElemGridBase>* entry)
{
    WorldElemGridBase* child = entry ? entry->Get() : nullptr;
    if (!child || child->m_TypeCode == ElemType::kEffect || child->m_TypeCode == ElemType::kNone)
        return nullptr;
    return dynamic_cast<WorldElemBase*>(child);
}

}  // namespace

void WorldElemBase::OnPosChanged()
{
    m_Moved = 1;
    m_GroundDirty = 1;
    for (int32_t slot = 0; slot < m_Children.GetCapacity(); slot++)
        if (WorldElemBase* child = FollowingChild(m_Children.GetBySlot(slot)))
            child->OnPosChanged();
    OnMoved();
    UpdateGridCell();
}

bool WorldElemBase::UpdateGridCell()
{
    WorldElemGridBase::UpdateGridCell();
    for (int32_t slot = 0; slot < m_Children.GetCapacity(); slot++)
        if (SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot))
            if (WorldElemGridBase* child = entry->Get())
                child->UpdateGridCell();
    return true;
}

void WorldElemBase::SetAngle(float angle)
{
    const float wrapped = WrapAngle(angle);
    if (wrapped == m_Angle)
        return;
    m_Angle = wrapped;
    m_Turned = 1;
    for (int32_t slot = 0; slot < m_Children.GetCapacity(); slot++) {
        if (WorldElemBase* child = FollowingChild(m_Children.GetBySlot(slot))) {
            child->m_Turned = 1;
            child->OnPosChanged();
        }
    }
}

void WorldElemBase::SetPos(float x, float y)
{
    if (x == m_PosX && y == m_PosY)
        return;
    StorePosChecked(x, y);
    OnPosChanged();
}

int32_t WorldElemBase::IsEnemyOf(WorldElemBase* other, bool checkOther)
{
    (void)other;
    (void)checkOther;
    return 0;
}

bool WorldElemBase::CanCollideWith(WorldElemBase* other, int32_t arg)
{
    (void)arg;
    if (m_CollisionMask == -1)
        return true;
    if (!other)
        return false;
    switch (other->m_TypeCode) {
    case ElemType::kCreature: {
        const bool flagged = other->GetCreatureFlag();
        return ((m_CollisionMask & kCollideFlaggedCreatures) && flagged) ||
               ((m_CollisionMask & kCollideUnflaggedCreatures) && !flagged);
    }
    case ElemType::kProjectile:
        return (m_CollisionMask & kCollideProjectiles) ||
               (m_TypeCode == ElemType::kProjectile && (other->m_CollisionMask & kCollideProjectiles));
    case ElemType::kItem:
        return (m_CollisionMask & kCollideItems) != 0;
    default:
        return false;
    }
}

bool WorldElemBase::WantsSave(int32_t a, int32_t b)
{
    (void)a;
    (void)b;
    return true;
}

void WorldElemBase::SetScriptTemp(int32_t index, float value)
{
    if (index < 0 || index >= kScriptTemps)  // the index comes from a script
        Error("Invalid scriptTemp element variable index: %i", index);
    m_ScriptTemp[index] = value;
}

bool WorldElemBase::OnUse(int32_t flag, int32_t userID, int32_t arg)
{
    (void)flag;
    (void)userID;
    (void)arg;
    return false;
}

int32_t* WorldElemBase::GetNoRef(int32_t* out)
{
    *out = -1;
    return out;
}

void WorldElemBase::DetachChild(WorldElemGridBase* child)
{
    int32_t found = -1;
    for (int32_t slot = 0; slot < m_Children.GetCapacity() && found < 0; slot++) {
        SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
        if (entry && child && entry->Get() == child)
            found = slot;
    }
    if (found < 0) {
        Warning("Object for detachment not found!");
        return;
    }
    const D3DXVECTOR2 pos = child->GetPos();
    const float height = child->GetHeight();
    child->m_FloorObjectFlags = m_FloorObjectFlags;
    child->m_GroundHeight = m_GroundHeight;
    child->SetPos(m_PosX, m_PosY);
    child->SetHeight(m_Height);
    child->m_Parent = nullptr;
    m_Children.Delete(found);
    child->SetPos(pos.x, pos.y);
    child->SetHeight(height);
}

void WorldElemBase::PurgeChildren()
{
    for (int32_t slot = 0; slot < m_Children.GetCapacity(); slot++) {
        SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
        if (entry && !entry->Get())
            m_Children.Delete(slot);
    }
}
