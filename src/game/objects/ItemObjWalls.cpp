// ItemObj: the walls that move with an item (a door's leaf, a chest's box): attaching and
// dropping them, moving them with the item, snapping them to the level's cells, deleting them
// with the item, the wall whose opacity the item follows, and finding the walls of a save again.
#include "game/objects/ItemObj.h"

#include "level/VSD_WallIntern.h"
#include "world/ElemCode.h"
#include "world/WorldCtrl.h"

#include <cmath>
#include <utility>

void ItemObj::OnMoved()
{
    SceneObject::OnMoved();
    UpdateWallPositions();
}

void ItemObj::SetAngle(float angle)
{
    SceneObject::SetAngle(angle);
    if (m_Children.GetSize() > 0)  // the walls are among them
        UpdateWallPositions();
}

void ItemObj::AddWall(VSD_WallIntern& wall, float x1, float y1, float x2, float y2)
{
    if (m_Walls.size() == m_Walls.capacity())
        m_Walls.reserve(m_Walls.size() + 2);
    WallChildData record;
    record.wall = &wall;
    record.x1 = x1;
    record.y1 = y1;
    record.x2 = x2;
    record.y2 = y2;
    record.wallID = wall.m_ObjID;
    m_Walls.push_back(record);
    if (wall.m_Parent.Get() != this) {  // the item becomes the wall's owner
        wall.DetachFromParent();
        AttachChild(&wall);
    }
    UpdateWallPositions();
}

void ItemObj::AddWall(VSD_WallIntern& wall)
{
    // The wall stands where it was made: its end points are turned back into the item's frame.
    const D3DXVECTOR2 pos = GetPos();
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    auto local = [&](float x, float y, float& u, float& v) {
        const float dx = x - pos.x;
        const float dy = y - pos.y;
        u = dx * c + dy * s;
        v = -dx * s + dy * c;
    };
    float x1, y1, x2, y2;
    local(wall.m_X1, wall.m_Y1, x1, y1);
    local(wall.m_X2, wall.m_Y2, x2, y2);
    AddWall(wall, x1, y1, x2, y2);
}

void ItemObj::RemoveWall(VSD_WallIntern& wall)
{
    for (size_t i = 0; i < m_Walls.size(); i++) {
        if (m_Walls[i].wall.Get() != &wall)
            continue;
        if (i + 1 < m_Walls.size())
            m_Walls[i] = m_Walls.back();  // the last record takes its place
        m_Walls.pop_back();
        return;
    }
}

void ItemObj::UpdateWallPositions()
{
    if (m_Walls.empty())
        return;
    const D3DXVECTOR2 p = GetPos();
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    for (WallChildData& record : m_Walls) {
        VSD_WallIntern* wall = record.wall.Get();
        if (!wall)
            continue;
        wall->SetEndPoints(p.x + record.x1 * c - record.y1 * s, p.y + record.x1 * s + record.y1 * c,
                           p.x + record.x2 * c - record.y2 * s, p.y + record.x2 * s + record.y2 * c);
    }
}

void ItemObj::SnapWallsToGrid()
{
    if (!m_World)
        return;
    const float w = m_World->GetCellWidthF();
    const float h = m_World->GetCellHeightF();
    if (!(w > 0.0f) || !(h > 0.0f))
        return;
    auto snap = [](float value, float cell) { return std::trunc(value / cell) * cell; };
    for (WallChildData& record : m_Walls) {
        VSD_WallIntern* wall = record.wall.Get();
        if (!wall || !(wall->GetWallHeight() > 0.0f))
            continue;
        wall->SetEndPoints(snap(wall->m_X1, w), snap(wall->m_Y1, h), snap(wall->m_X2, w), snap(wall->m_Y2, h));
        m_World->MarkWallOnFloor(*wall, 1);
    }
}

void ItemObj::RemoveWalls(bool keepMarked)
{
    std::vector<WallChildData> walls = std::move(m_Walls);
    m_Walls.clear();
    for (WallChildData& record : walls) {
        VSD_WallIntern* wall = record.wall.Get();
        if (!wall)
            continue;
        if (keepMarked && wall->m_KeepWithParent != 0) {
            m_SurvivingWalls.push_back(record);
            continue;
        }
        wall->m_Parent = nullptr;  // so that its end does not come back to this item
        if (wall->m_World && wall->m_World->GetWallSafe(wall->m_ObjID) == wall)
            wall->m_World->DelWall(wall->m_ObjID);
    }
}

void ItemObj::ReleaseWalls()
{
    for (WallChildData& record : m_Walls)
        if (VSD_WallIntern* wall = record.wall.Get(); wall && wall->m_Parent.Get() == this)
            wall->m_Parent = nullptr;
    m_Walls.clear();
    m_SavedWalls.clear();
    m_SurvivingWalls.clear();
}

void ItemObj::RenumberWall(int32_t oldID, int32_t newID)
{
    for (WallChildData& record : m_Walls)
        if (record.wallID == oldID)
            record.wallID = newID;
}

void ItemObj::RestoreWallChildren()
{
    std::vector<WallChildData> saved = std::move(m_SavedWalls);
    m_SavedWalls.clear();
    for (const WallChildData& record : saved) {
        if (record.wallID < 0)
            continue;
        VSD_WallIntern* wall = m_World ? m_World->GetWallSafe(record.wallID) : nullptr;
        if (!wall) {
            Warning("Invalid wallID in wallchild savegame");
            continue;
        }
        AddWall(*wall, record.x1, record.y1, record.x2, record.y2);
    }
    int32_t kind = 0;
    int32_t id = 0;
    ElemCode::Split(m_LinkedWallID, kind, id);
    if (kind == ElemType::kWall && m_World)
        m_LinkedWall = m_World->GetWallSafe(id);
}
