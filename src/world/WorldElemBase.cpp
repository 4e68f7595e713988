// WorldElemBase: position and angle changes passed on to the children, the collision mask,
// script variables, attaching, detaching and deleting children.
#include "world/WorldElemBase.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>

WorldElemBase::WorldElemBase()
{
    CopyName32(this, "WorldElemBase");
    ResetElemBase(false);
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

void WorldElemBase::ResetElemBase(bool keepPlacement)
{
    ResetGridPart(keepPlacement);
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
WorldElemBase* FollowingChild(WorldElemGridBase& child)
{
    if (child.m_TypeCode == ElemType::kEffect || child.m_TypeCode == ElemType::kNone)
        return nullptr;
    return dynamic_cast<WorldElemBase*>(&child);
}

}  // namespace

void WorldElemBase::OnPosChanged()
{
    m_Moved = 1;
    m_GroundDirty = 1;
    ForEachChild([](WorldElemGridBase& child) {
        if (WorldElemBase* following = FollowingChild(child))
            following->OnPosChanged();
    });
    OnMoved();
    UpdateGridCell();
}

bool WorldElemBase::UpdateGridCell()
{
    WorldElemGridBase::UpdateGridCell();
    ForEachChild([](WorldElemGridBase& child) { child.UpdateGridCell(); });
    return true;
}

void WorldElemBase::SetAngle(float angle)
{
    const float wrapped = WrapAngle(angle);
    if (wrapped == m_Angle)
        return;
    m_Angle = wrapped;
    m_Turned = 1;
    ForEachChild([](WorldElemGridBase& child) {
        if (WorldElemBase* following = FollowingChild(child)) {
            following->m_Turned = 1;
            following->OnPosChanged();
        }
    });
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

void WorldElemBase::OnCollisionEvent(WorldElemBase* other, int32_t arg)
{
    if (m_OnCollision.IsEmpty() || !m_World)
        return;
    const bool live = other && WorldElem::IsActiveType(other->m_TypeCode);
    if (g_GameCtrl)
        g_GameCtrl->SetScriptContext(live ? other->m_ObjID : -1, arg);
    String label;
    label.Format("OnCollision:%s", m_CfgID.c_str());
    m_World->RunScript(m_OnCollision, dynamic_cast<WorldElem*>(this), 1, 1, label.c_str(), 1, 255);
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
    for (int32_t slot = m_Children.NextUsedSlot(-1); slot >= 0 && found < 0; slot = m_Children.NextUsedSlot(slot)) {
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

float WorldElemBase::GetDistanceTo(const D3DXVECTOR3& point)
{
    const D3DXVECTOR2 pos = GetPos();
    const float dx = point.x - pos.x;
    const float dy = point.y - pos.y;
    const float dz = point.z - (GetGroundHeight() + GetHeight());
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz) - GetBoundingRadius();
    return d > 0.0f ? d : 0.0f;
}

void WorldElemBase::AttachChild(WorldElemGridBase* child)
{
    if (!child)
        return;
    // The topmost ancestor of the child is what gets attached: when this element is below it
    // (or is it), the chain would close into a ring.
    if (child == this || child->GetParent(true) == GetParent(true))
        Error("Object can not attach itself");
    PurgeChildren();
    WorldElemGridBase* top = child->GetParent(true);
    m_Children.GetBySlot(m_Children.Add())->Assign(top);
    top->m_Parent = this;
    top->OnPosChanged();
}

void WorldElemBase::DetachFromParent()
{
    WorldElemBase* parent = m_Parent.Get();
    if (!parent)
        return;
    parent->DetachChild(this);
    m_Parent = nullptr;
}

void WorldElemBase::DeleteChildren(bool keep)
{
    m_Children.Lock();  // the walk keeps the order it began with while entries leave
    const int32_t count = m_Children.GetSize();
    for (int32_t position = 0; position < count; position++) {
        const int32_t slot = m_Children.GetUsedSlot(position);
        SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
        if (entry && entry->Get())
            DeleteChild(slot, keep);
    }
    m_Children.Unlock();
}

void WorldElemBase::DeleteChild(int32_t slot, bool keep)
{
    SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
    if (!entry)
        return;
    WorldElemGridBase* child = entry->Get();
    m_Children.Delete(slot);
    if (!child)
        return;
    if (child->m_TypeCode == ElemType::kLight || child->m_TypeCode == ElemType::kEffect) {
        // Lights and effects live in their own tables: the level and the world delete them there.
        WorldCtrl* world = child->m_World ? child->m_World : m_World;
        if (world && child->m_TypeCode == ElemType::kLight)
            world->DelLight(child->m_ObjID);
        else if (world)
            world->DelEffect(child->m_ObjID);
        return;
    }
    WorldElemBase* elem = dynamic_cast<WorldElemBase*>(child);
    if (keep && elem && elem->m_KeepWithParent != 0)
        return;
    if (child->m_World && child->m_World->HoldsObj(child->m_ObjID, child))
        child->m_World->DelObj(child->m_ObjID, 1);
}

void WorldElemBase::PurgeChildren()
{
    for (int32_t slot = m_Children.NextUsedSlot(-1); slot >= 0; slot = m_Children.NextUsedSlot(slot)) {
        SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
        if (entry && !entry->Get())
            m_Children.Delete(slot);
    }
}
