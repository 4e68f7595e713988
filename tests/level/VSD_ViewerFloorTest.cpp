// VSD_Viewer floor: heights in both centre modes against an independent interpolation over the
// four triangles of a cell, normals and slopes, position tests, materials, wall sectors of floor
// vertices, surface frames and the cover map.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

struct FloorTest : ::testing::Test {
    LevelTestCtrl ctrl;
    GridViewer viewer;
};

// Height of (x, y) by barycentric interpolation over the triangle of its cell that holds it: the
// cell's centre vertex with the two corners of one side.
float ReferenceHeight(const VSD_Viewer& viewer, float x, float y)
{
    const float cw = viewer.GetCellWidthF();
    const float ch = viewer.GetCellHeightF();
    const int32_t cx = int32_t(x / cw);
    const int32_t cy = int32_t(y / ch);
    const int32_t row = viewer.GetMapWidth() + 1;
    auto corner = [&](int32_t i, int32_t j) {
        return D3DXVECTOR3(float(cx + i) * cw, float(cy + j) * ch, viewer.GetHeights()[size_t((cy + j) * row + cx + i)]);
    };
    const D3DXVECTOR3 centre(float(cx) * cw + cw / 2, float(cy) * ch + ch / 2,
                             viewer.GetCentreHeights()[size_t(cy * row + cx)]);
    const D3DXVECTOR3 corners[4] = {corner(0, 0), corner(1, 0), corner(1, 1), corner(0, 1)};  // round the cell
    for (int32_t side = 0; side < 4; side++) {
        const D3DXVECTOR3& a = corners[side];
        const D3DXVECTOR3& b = corners[(side + 1) % 4];
        const double det = double(a.x - centre.x) * (b.y - centre.y) - double(b.x - centre.x) * (a.y - centre.y);
        const double s = (double(x - centre.x) * (b.y - centre.y) - double(b.x - centre.x) * (y - centre.y)) / det;
        const double t = (double(a.x - centre.x) * (y - centre.y) - double(x - centre.x) * (a.y - centre.y)) / det;
        if (s >= -1e-6 && t >= -1e-6 && s + t <= 1 + 1e-6)
            return float(centre.z + s * (a.z - centre.z) + t * (b.z - centre.z));
    }
    ADD_FAILURE() << "no triangle holds " << x << ", " << y;
    return 0.0f;
}

}  // namespace

TEST_F(FloorTest, HeightsAgreeWithTheCellTrianglesInBothModes)
{
    viewer.SetGrid(4, 3, 100, 60);
    uint32_t seed = 12345;
    std::vector<float> heights;
    for (int32_t i = 0; i < 5 * 4; i++) {
        seed = seed * 1103515245u + 12345u;
        heights.push_back(float(int32_t(seed >> 16) % 200 - 100));
    }
    heights[size_t(1 * 5 + 2)] = 400.0f;  // one corner far off the others
    for (int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        viewer.SetTerrainCenterVertex(mode);
        viewer.SetHeights([&](int32_t x, int32_t y) { return heights[size_t(y * 5 + x)]; });
        int32_t checked = 0;
        for (float fy = 0.0f; fy < 3.0f; fy += 0.125f) {
            for (float fx = 0.0f; fx < 4.0f; fx += 0.1f) {
                const float x = fx * 100.0f;
                const float y = fy * 60.0f;
                EXPECT_NEAR(viewer.GetFloorHeight(x, y), ReferenceHeight(viewer, x, y), 1e-3f) << x << ", " << y;
                checked++;
            }
        }
        EXPECT_GT(checked, 900);
    }
    EXPECT_EQ(viewer.GetFloorHeight(-100.5f, 10.0f), 0.0f);  // outside
    EXPECT_EQ(viewer.GetFloorHeight(400.0f, 10.0f), 0.0f);
    EXPECT_EQ(viewer.GetFloorHeight(10.0f, 180.0f), 0.0f);
}

TEST_F(FloorTest, CentreVertexLeavesOutAFarCorner)
{
    viewer.SetGrid(1, 1, 100, 100);
    for (int32_t mode : {0, 1}) {
        viewer.SetTerrainCenterVertex(mode);
        viewer.SetHeights([](int32_t x, int32_t y) { return x == 1 && y == 1 ? 40.0f : 0.0f; });
        const float hc = mode == 1 ? 0.0f : 10.0f;
        EXPECT_EQ(viewer.GetCentreHeights()[0], hc);
        EXPECT_EQ(viewer.GetFloorHeight(50, 50), hc);
        EXPECT_EQ(viewer.GetFloorHeight(0, 0), 0.0f);
        EXPECT_EQ(viewer.GetFloorHeight(75, 75), hc + 0.5f * (40.0f - hc));
    }
}

TEST_F(FloorTest, NormalsAndSlopes)
{
    viewer.SetGrid(4, 4, 100, 100);
    viewer.SetHeights([](int32_t x, int32_t y) { return float(x) * 50.0f + float(y) * 20.0f; });  // a plane
    const float length = std::sqrt(0.25f + 0.04f + 1.0f);
    for (float x : {10.0f, 50.0f, 90.0f, 250.0f, 333.0f}) {
        for (float y : {5.0f, 50.0f, 95.0f, 170.0f}) {
            const D3DXVECTOR3 n = viewer.GetFloorNormal(x, y);
            EXPECT_NEAR(n.x, -0.5f / length, 1e-5f);
            EXPECT_NEAR(n.y, -0.2f / length, 1e-5f);
            EXPECT_NEAR(n.z, 1.0f / length, 1e-5f);
            EXPECT_NEAR(viewer.GetFloorSlope(x, y), std::sqrt(0.29f), 1e-5f);
        }
    }
    EXPECT_EQ(viewer.GetFloorNormal(-500, 10), D3DXVECTOR3(0, 0, 1));

    float slope = 0.0f;
    D3DXVECTOR2 contour;
    D3DXVECTOR2 slide;
    EXPECT_EQ(viewer.CheckFloorSlope(100, 100, 110, 100, 1.0f, slope, contour, slide), 0);  // within the limit
    EXPECT_NEAR(slope, std::sqrt(0.29f), 1e-5f);
    EXPECT_EQ(viewer.CheckFloorSlope(100, 100, 110, 100, 0.5f, slope, contour, slide), 1);  // uphill in x
    EXPECT_NEAR(contour.x * contour.x + contour.y * contour.y, 1.0f, 1e-5f);
    EXPECT_NEAR(contour.x * -0.5f + contour.y * -0.2f, 0.0f, 1e-5f);  // along the contour line
    EXPECT_NEAR(slide.x, contour.x * (10 * contour.x), 1e-4f);
    EXPECT_NEAR(slide.y, contour.x * (10 * contour.y), 1e-4f);
    EXPECT_EQ(viewer.CheckFloorSlope(110, 100, 100, 100, 0.5f, slope, contour, slide), -1);  // downhill
}

TEST_F(FloorTest, PositionTestsAndMaterials)
{
    viewer.SetGrid(8, 6, 100, 100);
    viewer.SetActiveArea(2, 2, 5, 5);
    const struct {
        float x, y;
        bool outside, active;
    } kCases[] = {
        {0, 0, false, false},     {799.9f, 599, false, false}, {800, 0, true, false},  {-0.1f, 10, true, false},
        {100, 100, false, true},  {99, 300, false, false},     {700, 700, true, true}, {701, 300, false, false},
        {300, 701, true, false},  {300, 99, false, false},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(viewer.IsOutsideLevel(c.x, c.y), c.outside) << c.x << ", " << c.y;
        EXPECT_EQ(viewer.IsInActiveArea(c.x, c.y), c.active) << c.x << ", " << c.y;
    }
    EXPECT_TRUE(viewer.IsValidMapCell(7, 5));
    EXPECT_FALSE(viewer.IsValidMapCell(8, 5));
    EXPECT_TRUE(viewer.IsValidCell(1, 1));  // blocks of 512: two by two
    EXPECT_FALSE(viewer.IsValidCell(2, 0));

    viewer.SetFloorTextures({0, 3, 7});
    viewer.Parcel(7, 5).textureId = 2;  // the last column and row answer too
    viewer.Parcel(0, 0).textureId = 3;  // beyond the textures
    viewer.Parcel(1, 0).textureId = -1;
    EXPECT_EQ(viewer.GetFloorMaterial(750, 550), 7);
    EXPECT_EQ(viewer.GetFloorMaterial(150, 150), 3);
    EXPECT_EQ(viewer.GetFloorMaterial(50, 50), 0);
    EXPECT_EQ(viewer.GetFloorMaterial(150, 50), 0);
    EXPECT_EQ(viewer.GetFloorMaterial(800, 50), 0);
}

TEST_F(FloorTest, WallSectorsOfAVertex)
{
    viewer.SetGrid(2, 2, 100, 100);
    const struct {
        uint8_t mask;
        uint8_t count;
        uint8_t mids[3];
        uint8_t sectorOf[8];
    } kCases[] = {
        {0x00, 1, {16}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0x04, 1, {12}, {0, 0, 0, 0, 0, 0, 0, 0}},  // one wall towards +x: the middle is away from it
        {0x11, 2, {4, 12}, {0, 0, 0, 0, 1, 1, 1, 1}},  // a straight wall through the vertex
        {0x45, 3, {2, 8, 14}, {0, 0, 1, 1, 1, 1, 2, 2}},  // the last sector wraps past 7
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(int(c.mask));
        viewer.Vertex(1, 1).wallMask = c.mask;
        viewer.AnalyseVertexWalls(1, 1);
        const VSD_FloorVertex& v = viewer.Vertex(1, 1);
        ASSERT_EQ(v.sectorCount, c.count);
        for (int32_t i = 0; i < c.count; i++)
            EXPECT_EQ(v.sectorMids[i], c.mids[i]) << i;
        for (int32_t d = 0; d < 8; d++)
            EXPECT_EQ(v.sectorOf[d], c.sectorOf[d]) << d;
    }
}

TEST_F(FloorTest, SurfaceFramesGiveTheSmoothNormal)
{
    viewer.SetGrid(4, 4, 100, 100);
    viewer.CalcSurfaceFrames();
    for (float x : {50.0f, 150.0f, 299.0f})
        EXPECT_EQ(viewer.GetSmoothFloorNormal(x, 120.0f), D3DXVECTOR3(0, 0, 1));
    viewer.SetHeights([](int32_t x, int32_t) { return float(x) * 50.0f; });
    viewer.CalcSurfaceFrames();
    const float length = std::sqrt(1.25f);
    for (float x : {50.0f, 150.0f, 250.0f}) {
        const D3DXVECTOR3 n = viewer.GetSmoothFloorNormal(x, 120.0f);
        EXPECT_NEAR(n.x, -0.5f / length, 1e-5f);
        EXPECT_NEAR(n.y, 0.0f, 1e-6f);
        EXPECT_NEAR(n.z, 1.0f / length, 1e-5f);
    }
    EXPECT_EQ(viewer.GetSmoothFloorNormal(350.0f, 120.0f), D3DXVECTOR3(0, 0, 1));  // last column: none
}

TEST_F(FloorTest, CoverMapRevealsExploredCells)
{
    viewer.SetGrid(3, 2, 100, 100);
    std::vector<VSD_TextureDesc>& textures = viewer.SetFloorTextures({0, 0, 0});
    textures[2].colourWidth = 2;
    textures[2].colourHeight = 1;
    textures[2].colours.reset(new uint32_t[2]{0xFF112233, 0xFF445566});
    viewer.Parcel(0, 0).textureId = -1;
    viewer.Parcel(1, 0).textureId = 0;
    viewer.Parcel(2, 0).textureId = 1;  // a texture whose colour table nothing filled
    viewer.Parcel(0, 1).textureId = 2;
    viewer.Parcel(0, 1).subX = 3;
    EXPECT_EQ(viewer.GetMiniMapColour(0, 0), 0x00000000u);
    EXPECT_EQ(viewer.GetMiniMapColour(1, 0), 0xFF000000u);
    EXPECT_EQ(viewer.GetMiniMapColour(2, 0), VSD_Viewer::kUnfilledMiniMapColour);
    EXPECT_EQ(viewer.GetMiniMapColour(0, 1), 0xFF445566u);  // sub-tile column 3 of a table 2 wide

    EXPECT_FALSE(viewer.IsCellExplored(150, 50));
    viewer.Vertex(2, 1).exploration = 0.5f;  // a corner of cells (1, 0), (2, 0), (1, 1), (2, 1)
    EXPECT_TRUE(viewer.IsCellExplored(150, 50));
    EXPECT_TRUE(viewer.IsCellExplored(250, 150));
    EXPECT_FALSE(viewer.IsCellExplored(50, 50));
    EXPECT_FALSE(viewer.IsCellExplored(350, 50));

    viewer.RevealCoverCell(2, 1);  // 0.5 is not enough
    EXPECT_FALSE(viewer.IsCoverCellRevealed(2, 1));
    viewer.Vertex(0, 1).exploration = 0.9f;
    viewer.RevealCoverCell(0, 1);
    EXPECT_TRUE(viewer.IsCoverCellRevealed(0, 1));
    EXPECT_EQ(viewer.GetCoverPixel(0, 1), 0xFF445566u);
    viewer.RevealCoverCell(-1, 0);
    viewer.RevealCoverCell(3, 0);
    EXPECT_EQ(viewer.GetCoverPixel(3, 0), 0u);
}
