// VSD_Viewer walls: the geometry of a table of walls, the top height and mesh flag, the floor
// marks of walls along grid lines, the checked wall lookup, and the splitting of long walls.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WallsTest : ::testing::Test {
    LevelTestCtrl ctrl;
    GridViewer viewer;

    static VSD_WallIntern Wall(float x1, float y1, float x2, float y2, float value1 = 0.0f, float value2 = 1.0f)
    {
        VSD_WallIntern wall;
        wall.m_X1 = x1;
        wall.m_Y1 = y1;
        wall.m_X2 = x2;
        wall.m_Y2 = y2;
        wall.m_WallValue1 = value1;
        wall.m_WallValue2 = value2;
        wall.m_Height1 = 100.0f;
        return wall;
    }
    int32_t Insert(VSD_WallIntern wall, int32_t gridInsert = 0, int32_t splitLong = 1)
    {
        return viewer.InsertWall(wall, gridInsert, splitLong);
    }
};

}  // namespace

TEST_F(WallsTest, GeometryOfTheEndPoints)
{
    viewer.SetGrid(10, 10, 100, 100);
    const struct {
        float x1, y1, x2, y2;
        float cx, cy, radius, dx, dy;
        int16_t grid[4];
    } kCases[] = {
        {0, 0, 300, 400, 150, 200, 250, 0.6f, 0.8f, {0, 0, 3, 4}},
        {300, 400, 0, 0, 150, 200, 250, -0.6f, -0.8f, {3, 4, 0, 0}},  // opposite direction and normal
        {149.9f, 0, 150, 60, 149.95f, 30, 30.0000416f, 0.0016666f, 0.9999986f, {1, 0, 2, 1}},
        {-120, -49, -160, -51, -140, -50, 20.0249844f, -0.9987523f, -0.0499376f, {0, 0, -1, 0}},  // truncated
        {50, 50, 50, 50, 50, 50, 0, 1, 0, {1, 1, 1, 1}},  // no length: along x
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        VSD_WallIntern wall = Wall(c.x1, c.y1, c.x2, c.y2);
        viewer.UpdateWallGeometry(wall);
        EXPECT_FLOAT_EQ(wall.GetPos().x, c.cx);
        EXPECT_FLOAT_EQ(wall.GetPos().y, c.cy);
        EXPECT_FLOAT_EQ(wall.GetRadius(), c.radius);
        EXPECT_FLOAT_EQ(wall.m_HalfLengthSq, c.radius * c.radius);
        EXPECT_NEAR(wall.m_DirX, c.dx, 1e-6f);
        EXPECT_NEAR(wall.m_DirY, c.dy, 1e-6f);
        EXPECT_NEAR(wall.m_NormalX, c.dy, 1e-6f);
        EXPECT_NEAR(wall.m_NormalY, -c.dx, 1e-6f);
        const int16_t grid[4] = {wall.m_GridX1, wall.m_GridY1, wall.m_GridX2, wall.m_GridY2};
        for (int32_t i = 0; i < 4; i++)
            EXPECT_EQ(grid[i], c.grid[i]) << i;
    }
}

TEST_F(WallsTest, TopHeightAndMeshFlag)
{
    viewer.SetGrid(4, 4, 100, 100);
    viewer.SetHeights([](int32_t x, int32_t y) { return x == 0 && y == 0 ? 100.0f : x == 3 && y == 0 ? 120.0f : 0.0f; });
    VSD_WallIntern wall = Wall(0, 0, 300, 0);
    wall.m_HeightOffset2 = 10.0f;
    viewer.UpdateWallGeometry(wall);
    EXPECT_EQ(wall.GetStartFloorHeight(), 100.0f);
    EXPECT_EQ(wall.GetEndFloorHeight(), 120.0f);
    EXPECT_EQ(wall.m_TopHeight, 265.0f);
    EXPECT_EQ(wall.GetCenterOffset().z, 2.5f + 10.0f);
    EXPECT_FLOAT_EQ(wall.GetBoundingRadius(), std::sqrt(150.0f * 150.0f + 2.5f * 2.5f));

    const struct {
        int16_t type;
        uint8_t before, after;
    } kMeshes[] = {{1, 0, 1}, {3, 0, 1}, {2, 1, 0}, {4, 1, 0}, {7, 1, 1}, {7, 0, 0}};
    for (const auto& c : kMeshes) {
        wall.m_WallType = c.type;
        wall.m_HasMesh = c.before;
        viewer.UpdateWallGeometry(wall);
        EXPECT_EQ(wall.m_HasMesh, c.after) << c.type;
    }
}

TEST_F(WallsTest, FloorMarksOfWallsAlongGridLines)
{
    viewer.SetGrid(6, 6, 100, 100);
    struct Mark {
        int32_t x, y;
        uint8_t mask, crossing;
    };
    const struct {
        float x1, y1, x2, y2;
        int16_t direction;  // -1: none set
        uint8_t onGrid;
        std::vector<Mark> marks;
    } kCases[] = {
        {100, 100, 400, 100, 5, 1, {{1, 1, 0x04, 0}, {2, 1, 0x44, 0}, {3, 1, 0x44, 0}, {4, 1, 0x40, 0}}},
        {100, 100, 300, 300, 2, 1, {{1, 1, 0x08, 0x01}, {2, 2, 0x88, 0x01}, {3, 3, 0x80, 0}}},
        {300, 100, 100, 300, 0, 1, {{3, 1, 0x20, 0}, {2, 2, 0x22, 0}, {1, 3, 0x02, 0}, {2, 1, 0, 0x02}, {1, 2, 0, 0x02}}},
        {110, 90, 190, 210, 2, 0, {{1, 1, 0x08, 0x01}, {2, 2, 0x80, 0}}},  // rounded onto the grid
        {400, 200, 900, 200, 5, 1, {{4, 2, 0x04, 0}, {5, 2, 0x44, 0}}},     // leaves the map: no vertex 6
        {0, 0, 300, 100, -1, 0, {}},                                          // not along the grid
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        viewer.SetGrid(6, 6, 100, 100);
        VSD_WallIntern wall = Wall(c.x1, c.y1, c.x2, c.y2);
        wall.m_GridDirection = -1;
        viewer.MarkWallOnFloor(wall, 1);
        EXPECT_EQ(wall.m_GridDirection, c.direction);
        EXPECT_EQ(wall.m_OnGrid, c.onGrid);
        int32_t marked = 0;
        for (int32_t y = 0; y <= 6; y++)
            for (int32_t x = 0; x <= 6; x++)
                marked += viewer.Vertex(x, y).wallMask != 0 || viewer.Vertex(x, y).crossing != 0;
        EXPECT_EQ(marked, int32_t(c.marks.size()));
        for (const Mark& m : c.marks) {
            EXPECT_EQ(viewer.Vertex(m.x, m.y).wallMask, m.mask) << m.x << "," << m.y;
            EXPECT_EQ(viewer.Vertex(m.x, m.y).crossing, m.crossing) << m.x << "," << m.y;
        }
    }

    // Inserted with gridInsert the wall is marked, and the vertices passed get their sectors.
    viewer.SetGrid(6, 6, 100, 100);
    Insert(Wall(100, 100, 400, 100), 1);
    EXPECT_EQ(viewer.Vertex(2, 1).wallMask, 0x44);
    EXPECT_EQ(viewer.Vertex(2, 1).sectorCount, 2);
    EXPECT_EQ(viewer.Vertex(4, 1).sectorCount, 1);

    viewer.SetGrid(6, 6, 100, 100);
    VSD_WallIntern low = Wall(100, 100, 400, 100);
    low.m_Height1 = 0.0f;
    viewer.MarkWallOnFloor(low, 1);  // no height: on the grid but not marked
    EXPECT_EQ(low.m_OnGrid, 1);
    EXPECT_EQ(viewer.Vertex(2, 1).wallMask, 0);
    VSD_WallIntern far = Wall(-1e30f, 100, 1e30f, 100);  // ends far outside: only the map is walked
    viewer.MarkWallOnFloor(far, 1);
    EXPECT_EQ(viewer.Vertex(0, 1).wallMask, 0x04);  // the step from outside marks only inside vertices
    EXPECT_EQ(viewer.Vertex(5, 1).wallMask, 0x44);
}

TEST_F(WallsTest, WallLookupChecksTheObjectID)
{
    viewer.SetGrid(4, 4, 100, 100);
    const int32_t id = Insert(Wall(0, 0, 100, 0));
    EXPECT_EQ(viewer.GetWall(id)->m_ObjID, id);
    EXPECT_EQ(viewer.GetWall(id)->m_TypeCode, ElemType::kWall);
    EXPECT_EQ(viewer.GetWall(id)->m_Level, &viewer);
    EXPECT_TRUE(viewer.IsValidWall(id));
    EXPECT_FALSE(viewer.IsValidWall(id + 1));
    EXPECT_EQ(ErrorOf([&] { viewer.GetWall(id + 1); }), "Internal error: wall ObjID mismatching");
    viewer.GetWallSafe(id)->m_ObjID = 7;
    EXPECT_EQ(ErrorOf([&] { viewer.GetWall(id); }), "Internal error: wall ObjID mismatching");
}

TEST_F(WallsTest, LongWallsAreSplitAtGridPoints)
{
    viewer.SetGrid(20, 20, 100, 100);
    LogCapture log;
    EXPECT_EQ(Insert(Wall(0, 0, 1200, 0)), 0);  // grid points 12 apart: split at 600, then at 300
    ASSERT_EQ(viewer.GetNumWalls(), 4);
    for (int32_t i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        const VSD_WallIntern* piece = viewer.GetWall(i);
        EXPECT_EQ(piece->m_X1, 300.0f * float(i));
        EXPECT_EQ(piece->m_X2, 300.0f * float(i + 1));
        EXPECT_EQ(piece->m_WallValue1, 0.25f * float(i));
        EXPECT_EQ(piece->m_WallValue2, 0.25f * float(i + 1));
        EXPECT_EQ(piece->m_WallLink.Get(), i == 0 ? nullptr : viewer.GetWall(0));  // the first piece
    }
    EXPECT_EQ(ctrl.wallsAdded, (std::vector<int32_t>{0, 1, 2, 3}));

    Insert(Wall(0, 500, 512, 500));  // exactly 512: whole
    EXPECT_EQ(viewer.GetNumWalls(), 5);
    Insert(Wall(0, 600, 1200, 600), 0, 0);  // not asked to split
    EXPECT_EQ(viewer.GetNumWalls(), 6);
    EXPECT_EQ(log.Total(), 0u);
}

TEST_F(WallsTest, SplittingOnLargeCellsStillShortens)
{
    const struct {
        int16_t cell;
        float x1, x2;
        std::vector<float> ends;
        int32_t warnings;
    } kCases[] = {
        {600, 0, 1200, {300, 600, 900, 1200}, 0},  // grid points 2 apart, then 1: half-way
        {512, 0, 1536, {512, 1024, 1536}, 0},
        {2000, 100, 800, {450, 800}, 1},  // both ends at one grid point: "too small", then half-way
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.cell);
        GridViewer large;
        large.SetGrid(4, 4, c.cell, c.cell);
        LogCapture log;
        VSD_WallIntern wall = Wall(c.x1, 100, c.x2, 100);
        large.InsertWall(wall, 0, 1);
        ASSERT_EQ(large.GetNumWalls(), int32_t(c.ends.size()));
        for (int32_t i = 0; i < large.GetNumWalls(); i++)
            EXPECT_EQ(large.GetWall(i)->m_X2, c.ends[size_t(i)]) << i;
        EXPECT_EQ(log.Count("Invalid wall added to pos 100,100 (too small)"), c.warnings);
    }

    GridViewer level;
    level.SetGrid(4, 4, 100, 100);
    LogCapture log;
    VSD_WallIntern endless = Wall(0, 100, 4e6f, 100);
    level.InsertWall(endless, 0, 1);
    EXPECT_EQ(level.GetNumWalls(), 1);
    EXPECT_EQ(log.Count("Wall too long to split: 4000000"), 1);
}
