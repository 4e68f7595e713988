// VSD_Viewer: the wall table: the geometry derived from a wall's end points, the marks of walls
// along grid lines on the floor vertices, and the insertion of walls with the splitting of long
// ones at grid points.
#include "level/VSD_Viewer.h"

#include "base/TextFileReaderBase.h"
#include "world/GameCtrlInterface.h"

#include <cmath>
#include <cstdlib>

namespace {

// Wall mask bit of each step direction (column step, row step), by direction number.
constexpr int32_t kStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kStepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

int32_t DirectionOf(int32_t sx, int32_t sy)
{
    for (int32_t d = 0; d < 8; d++)
        if (kStepX[d] == sx && kStepY[d] == sy)
            return d;
    return -1;
}

int32_t Sign(int64_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// A coordinate's nearest grid line: (trunc(x) + trunc(cell / 2)) / cell in integers, kept to 16 bits.
int16_t GridLineOf(float coordinate, int32_t cell)
{
    if (cell <= 0)
        return 0;
    const double clamped = std::fmax(-2e9, std::fmin(2e9, double(coordinate)));  // NaN becomes -2e9
    const int64_t line = (int64_t(clamped) + cell / 2) / cell;
    return int16_t(line < -32768 ? -32768 : line > 32767 ? 32767 : line);
}

// A grid vertex coordinate: position / cell size rounded half away from zero, within reach of
// every map (a far end point still gives a walk that leaves the map at once).
int64_t VertexOf(float coordinate, float cell)
{
    const double v = double(coordinate) / double(cell);
    if (!(v > -1e9))
        return -1000000000;
    if (v > 1e9)
        return 1000000000;
    return int64_t(std::llround(v));
}

}  // namespace

void VSD_Viewer::UpdateWallGeometry(VSD_WallIntern& wall)
{
    wall.m_Level = this;
    wall.SetPos((wall.m_X1 + wall.m_X2) * 0.5f, (wall.m_Y1 + wall.m_Y2) * 0.5f);
    wall.CalcDirection();
    wall.m_GridX1 = GridLineOf(wall.m_X1, m_CellWidth);
    wall.m_GridY1 = GridLineOf(wall.m_Y1, m_CellHeight);
    wall.m_GridX2 = GridLineOf(wall.m_X2, m_CellWidth);
    wall.m_GridY2 = GridLineOf(wall.m_Y2, m_CellHeight);
    wall.m_CentreX = wall.m_PosX;
    wall.m_CentreY = wall.m_PosY;
    wall.MarkEndHeightsStale();  // the end points may have moved
    wall.m_TopHeight = (wall.GetStartFloorHeight() + wall.GetEndFloorHeight() + wall.m_HeightOffset1 +
                        wall.m_HeightOffset2) * 0.5f + VSD_WallIntern::kTopHeightAdd;
    if (m_Walls.GetBySlot(wall.m_ObjID) == &wall && wall.m_HalfLength > m_LongestWallHalf)
        m_LongestWallHalf = wall.m_HalfLength;  // a wall of the table got new end points
    for (auto& list : wall.m_WallLights)
        list.clear();  // the render side builds them again
    switch (wall.m_WallType) {
    case WallDesc::kTypeNormal:
    case WallDesc::kTypeFileMesh:
        wall.m_HasMesh = 1;
        break;
    case WallDesc::kTypeNoMesh:
    case WallDesc::kTypeEffect:
        wall.m_HasMesh = 0;
        break;
    default:
        break;  // other codes keep the flag
    }
}

void VSD_Viewer::MarkWallOnFloor(VSD_WallIntern& wall, int32_t refresh)
{
    wall.m_OnGrid = 0;
    if (m_CellWidth <= 0 || m_CellHeight <= 0)
        return;
    const int64_t c1 = VertexOf(wall.m_X1, m_CellWidthF);
    const int64_t r1 = VertexOf(wall.m_Y1, m_CellHeightF);
    const int64_t c2 = VertexOf(wall.m_X2, m_CellWidthF);
    const int64_t r2 = VertexOf(wall.m_Y2, m_CellHeightF);
    const int64_t dc = c2 - c1;
    const int64_t dr = r2 - r1;
    if (dc != 0 && dr != 0 && std::llabs(dc) != std::llabs(dr))
        return;  // not along a column, a row or a diagonal
    const int32_t sx = Sign(dc);
    const int32_t sy = Sign(dr);
    wall.m_GridDirection = int16_t(sx - 3 * sy + 4);

    if (wall.GetWallHeight() > 0.0f && (sx != 0 || sy != 0)) {
        const int32_t direction = DirectionOf(sx, sy);
        const int32_t opposite = (direction + 4) % 8;
        const size_t row = size_t(m_MapWidth) + 1;
        auto inside = [&](int64_t c, int64_t r) { return c >= 0 && c < m_MapWidth && r >= 0 && r < m_MapHeight; };
        auto vertexAt = [&](int64_t c, int64_t r) -> VSD_FloorVertex* {
            const size_t index = size_t(r) * row + size_t(c);
            return index < m_FloorVertices.size() ? &m_FloorVertices[index] : nullptr;
        };
        const int64_t steps = std::llabs(dc) > std::llabs(dr) ? std::llabs(dc) : std::llabs(dr);
        // Only the steps that touch the map can mark anything: start one before the map.
        int64_t first = 0;
        int64_t last = steps - 1;
        auto clip = [&](int64_t start, int32_t step, int64_t size) {
            if (step == 0)
                return;
            const int64_t enter = step > 0 ? -start : start - (size - 1);  // k at which the map begins
            const int64_t leave = step > 0 ? size - 1 - start : start;      // k at which it ends
            first = std::max(first, enter - 1);
            last = std::min(last, leave);
        };
        clip(c1, sx, m_MapWidth);
        clip(r1, sy, m_MapHeight);
        for (int64_t k = first; k <= last; k++) {
            const int64_t c = c1 + k * sx;
            const int64_t r = r1 + k * sy;
            const int64_t nc = c + sx;
            const int64_t nr = r + sy;
            const bool here = inside(c, r);
            const bool next = inside(nc, nr);
            if (here)
                if (VSD_FloorVertex* v = vertexAt(c, r))
                    v->wallMask |= uint8_t(1 << direction);
            if (here && next) {
                if (VSD_FloorVertex* v = vertexAt(nc, nr))
                    v->wallMask |= uint8_t(1 << opposite);
                if (sx != 0 && sy != 0) {
                    // The crossing byte of the cell the diagonal crosses, kept at its first vertex:
                    // 0x01 for the falling diagonal, 0x02 for the rising one.
                    const int64_t cellX = c < nc ? c : nc;
                    const int64_t cellY = r < nr ? r : nr;
                    if (VSD_FloorVertex* v = vertexAt(cellX, cellY))
                        v->crossing |= uint8_t(sx == sy ? 0x01 : 0x02);
                }
            }
            if (refresh) {
                if (here)
                    AnalyseVertexWalls(int32_t(c), int32_t(r));
                if (next)
                    AnalyseVertexWalls(int32_t(nc), int32_t(nr));
            }
        }
    }

    const int64_t ix1 = int64_t(std::trunc(wall.m_X1));
    const int64_t iy1 = int64_t(std::trunc(wall.m_Y1));
    const int64_t ix2 = int64_t(std::trunc(wall.m_X2));
    const int64_t iy2 = int64_t(std::trunc(wall.m_Y2));
    if (ix1 % m_CellWidth == 0 && ix2 % m_CellWidth == 0 && iy1 % m_CellHeight == 0 && iy2 % m_CellHeight == 0) {
        const int64_t gc = (ix2 - ix1) / m_CellWidth;
        const int64_t gr = (iy2 - iy1) / m_CellHeight;
        wall.m_OnGrid = gc == 0 || gr == 0 || std::llabs(gc) == std::llabs(gr);
    }
}

VSD_WallIntern* VSD_Viewer::GetWall(int32_t id)
{
    VSD_WallIntern* wall = m_Walls.GetBySlot(id);
    if (!wall || wall->m_ObjID != id)
        Error("Internal error: wall ObjID mismatching");
    return wall;
}

int32_t VSD_Viewer::NewWallSlot() { return m_Walls.Add(); }

int32_t VSD_Viewer::InsertWall(VSD_WallIntern& wall, int32_t gridInsert, int32_t splitLong)
{
    UpdateWallGeometry(wall);
    const float length = 2.0f * wall.m_HalfLength;
    if (splitLong && length > kMaxSplitLength) {
        Warning("Wall too long to split: %.0f", double(length));  // longer than any level: kept whole
    } else if (splitLong && length > kWallSplitLength) {
        int32_t m = std::max(std::abs(wall.m_GridX2 - wall.m_GridX1), std::abs(wall.m_GridY2 - wall.m_GridY1));
        if (m == 0) {
            Warning("Invalid wall added to pos %i,%i (too small)", TextFileReaderBase::TruncToInt32(wall.m_X1),
                    TextFileReaderBase::TruncToInt32(wall.m_Y1));
            m = 1;
        }
        // The split point at a grid point; where the grid points are too far apart for that
        // (cells of 512 units and more), half-way, so that every split shortens the wall.
        const int32_t h = m / 2;
        const float fraction = h > 0 ? float(h) / float(m) : 0.5f;
        const float splitX = wall.m_X1 + wall.m_DirX * length * fraction;
        const float splitY = wall.m_Y1 + wall.m_DirY * length * fraction;
        const float meanValue = (wall.m_WallValue1 + wall.m_WallValue2) * 0.5f;
        VSD_WallIntern first(wall);
        VSD_WallIntern second(wall);
        first.m_X2 = splitX;
        first.m_Y2 = splitY;
        first.m_WallValue2 = meanValue;
        second.m_X1 = splitX;
        second.m_Y1 = splitY;
        second.m_WallValue1 = meanValue;
        const int32_t firstID = InsertWall(first, gridInsert, 1);
        if (!wall.m_WallLink.Get())
            second.m_WallLink = GetWall(firstID);
        InsertWall(second, gridInsert, 1);
        return firstID;
    }

    const int32_t id = NewWallSlot();
    VSD_WallIntern* placed = m_Walls.GetBySlot(id);
    *placed = wall;
    placed->m_World = GetWorldCtrl();
    placed->m_Level = this;
    placed->m_ObjID = id;
    placed->m_TypeCode = ElemType::kWall;
    if (placed->m_HalfLength > m_LongestWallHalf)
        m_LongestWallHalf = placed->m_HalfLength;
    placed->UpdateGridCell();
    if (gridInsert)
        MarkWallOnFloor(*placed, 1);
    GetCtrl().OnWallAdded(id);
    return id;
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
