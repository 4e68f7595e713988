// VSD_Viewer: the wall table: making walls of wall entries and inserting them.
#include "level/VSD_Viewer.h"

#include <cmath>

int32_t VSD_Viewer::ReadWallProperties(VSD_WallEntry& entry, int32_t gridInsert, int32_t splitLong,
                                       int32_t withChildren)
{
    (void)withChildren;
    if (!std::isfinite(entry.value1))
        entry.value1 = 0.0f;
    if (!std::isfinite(entry.value2))
        entry.value2 = 1.0f;
    if (entry.descId < 0 || entry.descId >= m_NumWallDescs) {
        Warning("Invalid wall ID: %i changed to 0", entry.descId);
        entry.descId = 0;
    }
    return InsertWall(VSD_WallIntern(entry), gridInsert, splitLong);
}

int32_t VSD_Viewer::InsertWall(const VSD_WallIntern& wall, int32_t gridInsert, int32_t splitLong)
{
    (void)gridInsert;
    (void)splitLong;
    const int32_t id = NewWallSlot();
    VSD_WallIntern* placed = m_Walls.GetBySlot(id);
    *placed = wall;
    placed->m_ObjID = id;
    return id;
}

int32_t VSD_Viewer::NewWallSlot() { return m_Walls.Add(); }

bool VSD_Viewer::IsWallNearActiveArea(const VSD_WallEntry& wall) const
{
    const int64_t left = int64_t(m_ActiveX1 - 1) * m_CellWidth;
    const int64_t right = int64_t(m_ActiveX2 + 2) * m_CellWidth;
    const int64_t top = int64_t(m_ActiveY1 - 1) * m_CellHeight;
    const int64_t bottom = int64_t(m_ActiveY2 + 2) * m_CellHeight;
    auto inside = [&](int64_t x, int64_t y) { return x >= left && x <= right && y >= top && y <= bottom; };
    return inside(wall.x1, wall.y1) || inside(wall.x2, wall.y2);
}

bool VSD_Viewer::HasWorldID(const String& propertyText, int32_t entry)
{
    if (propertyText.IsEmpty())
        return false;
    ConfigFileReader properties;
    properties.OpenMemory(propertyText.c_str(), propertyText.TextLength());
    m_WallDescReader.SetLinkedReader(&properties);
    String worldID;
    m_WallDescReader.GetString("worldID", worldID, entry);
    m_WallDescReader.SetLinkedReader(nullptr);
    return !worldID.IsEmpty();
}
