// WorldCtrl: the element table: elements enter under the lowest free object ID with a fresh check
// value, are found by ID or reference in the strength the caller asks for, change their ID, leave
// and are deleted; walls are found, moved and deleted by their IDs; the identity dump file.
#include "world/WorldCtrl.h"

#include "base/File.h"
#include "engine/gui/DXC_GuiManager.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/ItemDragRecord.h"
#include "world/WorldElem.h"

#include <cstdio>
#include <cstring>

namespace {

// A drag of an item out of the inventory that is deleted with its element is cancelled.
void CancelInventoryDrag(const WorldElem& elem)
{
    if (!elem.m_Inventory || !g_GuiManager)
        return;
    const auto* drag = static_cast<const ItemDragRecord*>(g_GuiManager->GetDragObject());
    if (!drag || std::strcmp(g_GuiManager->GetDragObjectName(), ItemDragRecord::kDragName) != 0)
        return;
    if (drag->inventory != elem.m_Inventory)
        return;
    g_GuiManager->SetDragObject(nullptr, nullptr, nullptr);
    g_GuiManager->SetDragIcon(nullptr, false, nullptr, 1.0f);
}

}  // namespace

int32_t WorldCtrl::AddObj(WorldElem* elem, int32_t animMode, bool runInit)
{
    if (!elem)
        Error("Null pointer added !");
    const int32_t slot = m_Elements.GetFreeSlot();
    if (slot < 0 || slot >= kMaxObjID)
        Error("Maximum number of data elements reached: %i", slot < 0 ? m_Elements.GetCapacity() : kMaxObjID);
    elem->m_TimeAdded = GetCtrl().GetGameTime();
    m_Elements.Add(elem);
    elem->m_ObjID = slot;
    elem->m_MyRnd = m_GameRandom.NextInt();
    if (animMode == 0) {
        elem->m_StartValue = elem->m_StartValueCurrent;
    } else if (animMode == 1) {
        const double start = double(m_GameRandom.NextFloat()) * 100.0;
        elem->m_StartValue = start;
        elem->m_StartValueCurrent = start;
    }
    if (elem->m_World && elem->m_CellListEntry >= 0)
        elem->m_World->LeaveBlock(*elem);  // listed in a block of another world
    elem->m_World = this;
    elem->m_CellIndex = -1;
    elem->m_CellX = -1;
    elem->m_CellY = -1;
    elem->UpdateGridCell();
    if (runInit)
        elem->OnInitEvent();
    GetCtrl().OnObjectAdded(slot);
    return slot;
}

bool WorldCtrl::IsValidObjID(int32_t id) const { return m_Elements.GetBySlot(id) != nullptr; }

bool WorldCtrl::HoldsObj(int32_t id, const WorldElemGridBase* elem) const
{
    const WorldElem* held = m_Elements.GetBySlot(id);
    return held && static_cast<const WorldElemGridBase*>(held) == elem;
}

WorldElem* WorldCtrl::GetObj(int32_t id)
{
    WorldElem* elem = m_Elements.GetBySlot(id);
    if (!elem)
        Error("Invalid object: %i", id);
    return elem;
}

WorldElem* WorldCtrl::GetObjNoCheck(int32_t id, bool report)
{
    WorldElem* elem = m_Elements.GetBySlot(id);
    if (!elem && report)
        ReportScriptError("Invalid object: %i", id);
    return elem;
}

WorldElem* WorldCtrl::GetObjSafe(int32_t id, const char* context, bool report)
{
    WorldElem* elem = m_Elements.GetBySlot(id);
    if (!elem && report) {
        if (context)
            Warning("GetObjSafe: invalid object: %i (%s)", id, context);
        else
            Warning("GetObjSafe: invalid object: %i", id);
    }
    return elem;
}

WorldElem* WorldCtrl::GetObjByIdentifier(const ObjRef& ref)
{
    if (ref.objID == -1)
        return nullptr;
    if (ref.objID < -1) {
        Warning("Invalid ObjIdentifier: %i", ref.objID);
        return nullptr;
    }
    WorldElem* elem = m_Elements.GetBySlot(ref.objID);
    if (!elem || uint32_t(elem->m_MyRnd) != ref.myRnd)
        return nullptr;  // gone, or its slot reused: silently nothing
    return elem;
}

WorldElemBase* WorldCtrl::GetObjByIdentifierChecked(const ObjRef3& ref)
{
    const int16_t type = int16_t(ref.type);
    if (ref.objID == -1)
        return nullptr;
    if (ref.objID < -1) {
        if (type >= 0)
            Warning("Invalid ObjIdentifier: %i/%i", type, ref.objID);
        return nullptr;
    }
    WorldElemBase* found = nullptr;
    switch (type) {
    case -1:
    case int16_t(ElemType::kEffect):
        return nullptr;
    case int16_t(ElemType::kLight):
        found = GetLight(ref.objID);
        break;
    case int16_t(ElemType::kWall):
        found = IsValidWall(ref.objID) ? VSD_Viewer::GetWall(ref.objID) : nullptr;
        break;
    default:
        found = m_Elements.GetBySlot(ref.objID);
        break;
    }
    if (!found || !WorldElem::IsActiveType(found->m_TypeCode))
        return found;
    return ObjRef3::CheckValueOf(found) == ref.myRnd ? found : nullptr;
}

VSD_WallIntern* WorldCtrl::GetWall(int32_t id, bool report)
{
    if (IsValidWall(id))
        return VSD_Viewer::GetWall(id);
    if (report)
        ReportScriptError("Invalid wall: %i", id);
    return nullptr;
}

void WorldCtrl::DelObj(int32_t id, int32_t deleteChildren)
{
    WorldElem* elem = m_Elements.GetBySlot(id);
    if (!elem) {
        Warning("Invalid object id in DelObj: %i", id);
        return;
    }
    GetCtrl().OnObjectDeleted(id, deleteChildren);
    if (deleteChildren) {
        elem->DeleteChildren(false);
        if (!HoldsObj(id, elem))
            return;  // a child's deletion took the element with it
    }
    if (elem->m_CellListEntry >= 0)
        LeaveBlock(*elem);
    if (elem->m_InputCtrl)
        elem->m_InputCtrl->RemoveControlledCreature(elem->m_InputIndex);
    CancelInventoryDrag(*elem);
    m_Elements.Delete(id);  // the slot is free before the element goes, so nothing finds it dying
    delete elem;
}

void WorldCtrl::RemoveObj(int32_t id, bool keepController)
{
    WorldElem* elem = m_Elements.GetBySlot(id);
    if (!elem) {
        Warning("Invalid object id in RemoveObj: %i", id);
        return;
    }
    if (elem->m_CellListEntry >= 0)
        LeaveBlock(*elem);
    if (!keepController && elem->m_InputCtrl)
        elem->m_InputCtrl->RemoveControlledCreature(elem->m_InputIndex);
    m_Elements.Delete(id);
}

void WorldCtrl::DelWall(int32_t id)
{
    VSD_WallIntern* wall = GetWallSafe(id);
    if (!wall) {
        Warning("Invalid wall id in DelWall: %i", id);
        return;
    }
    GetCtrl().OnWallDeleted(id);
    if (wall->m_CellListEntry >= 0)
        LeaveBlock(*wall);
    m_Walls.Delete(id);
}

bool WorldCtrl::MoveObjToID(int32_t from, int32_t to, bool report)
{
    if (from < 0 || to < 0 || from >= kMaxObjID || to >= kMaxObjID)
        Error("Invalid parameter: MoveObjToID(%i,%i)", from, to);
    if (from == to)
        return true;
    WorldElem* elem = m_Elements.GetBySlot(from);
    if (!m_Elements.MoveSlot(from, to, report))
        return false;
    elem->m_ObjID = to;
    return true;
}

int32_t WorldCtrl::MoveObjToFreeID(int32_t id)
{
    GetObj(id);
    const int32_t slot = m_Elements.GetFreeSlot();
    if (slot < 0 || slot >= kMaxObjID)
        Error("Maximum number of data elements reached: %i", slot < 0 ? m_Elements.GetCapacity() : kMaxObjID);
    MoveObjToID(id, slot, true);
    return slot;
}

void WorldCtrl::MoveWallToID(int32_t from, int32_t to)
{
    if (from < 0 || to < 0 || from >= kMaxObjID || to >= kMaxObjID)
        Error("Invalid parameter: MoveWallToID(%i,%i)", from, to);
    VSD_WallIntern* wall = VSD_Viewer::GetWall(from);  // the old ID must hold a wall
    if (from == to)
        return;
    m_Walls.MoveSlot(from, to, true);
    wall->m_ObjID = to;
    WorldElem* owner = dynamic_cast<WorldElem*>(wall->m_Parent.Get());
    if (owner && owner->m_TypeCode == ElemType::kItem)
        owner->RenumberWall(from, to);
}

int32_t WorldCtrl::MoveWallToFreeID(int32_t id)
{
    VSD_Viewer::GetWall(id);
    const int32_t slot = m_Walls.FindFreeSlot();
    if (slot < 0)
        Error("Maximum number of data elements reached: %i", m_Walls.GetCapacity());
    MoveWallToID(id, slot);
    return slot;
}

void WorldCtrl::DumpObjIDs()
{
    const char* name = GetCtrl().IsServer() ? "objIDs_server.txt" : "objIDs.txt";
    File file;
    if (!file.Create(name))
        return;  // the file layer warned; the level goes on without the dump
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        const WorldElem* elem = m_Elements.GetBySlot(slot);
        if (!elem)
            continue;
        char line[1200];
        const int32_t length = std::snprintf(line, sizeof(line), "%i - type:%i, MyRnd: %X, cfgID:%.1023s\r\n",
                                             elem->m_ObjID, int32_t(int16_t(elem->m_TypeCode)),
                                             uint32_t(elem->m_MyRnd), elem->m_CfgID.c_str());
        file.Write(line, size_t(length));
    }
    file.Close(false);
}
