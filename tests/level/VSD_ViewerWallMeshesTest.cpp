// VSD_Viewer wall meshes: the segment count of added walls with its warning and limit, the cell
// points and codes of cell-aligned and other walls, the meshes of filemesh descriptions read from
// scene files (scaled to their size, mirrored, missing, read again only in debug mode after a
// change), and the texture of normal walls with its faded top rows.
#include "level/VSD_Viewer.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_Mesh.h"
#include "level/LevelTestSupport.h"
#include "level/VSD_WallMeshes.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

struct WallMeshesTest : ::testing::Test {
    LevelTestCtrl ctrl;
    LevelFixtureDir dir;
    DXC_Gfx gfx;
    GridViewer viewer{&gfx};

    WallMeshesTest()
    {
        gfx.SetDedicatedMode(1);
        viewer.SetGrid(40, 40, 100, 100);
    }
    // A wall between two points, inserted into the level; kind is a description of the wall
    // kinds file, or none for a wall that only has segments.
    int32_t AddWall(float x1, float y1, float x2, float y2, int32_t kind = -1)
    {
        VSD_WallIntern wall;
        wall.m_X1 = x1;
        wall.m_Y1 = y1;
        wall.m_X2 = x2;
        wall.m_Y2 = y2;
        wall.m_Height1 = 100.0f;
        wall.m_HasMesh = 1;
        if (kind >= 0) {
            wall.m_DescID = int16_t(kind);
            wall.m_WallType = viewer.GetWallDescs().at(size_t(kind)).type;
        }
        const int32_t id = viewer.InsertWall(wall, 0, 0);
        viewer.AddWall(id);
        return id;
    }
    VSD_WallIntern& Wall(int32_t id) { return *viewer.GetWall(id); }
    // The x and z extent of a mesh's vertices.
    static std::pair<float, float> Extent(DXC_Mesh& mesh, int axis)
    {
        mesh.LockAll(0);
        float lo = 1e30f, hi = -1e30f;
        for (int32_t n = 0; n < mesh.vertexCount; n++) {
            const D3DXVECTOR3 p = mesh.GetVertexPosition(n);
            const float v = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        mesh.UnlockAll();
        return {lo, hi};
    }
};

enum Kind { kWide, kMirrored, kLocal, kEmpty, kStone, kFence };

}  // namespace

TEST_F(WallMeshesTest, SegmentCountWarningAndLimit)
{
    const struct {
        float x1, y1, x2, y2;
        int16_t segments;
    } kCases[] = {
        {200, 500, 900, 800, 7}, {400, 400, 400, 1000, 6}, {300, 300, 600, 600, 3}, {0, 0, 3000, 0, 30},
    };
    for (const auto& c : kCases) {
        const VSD_WallIntern& wall = Wall(AddWall(c.x1, c.y1, c.x2, c.y2));
        EXPECT_EQ(wall.m_SegmentCount, c.segments) << c.x1 << "," << c.y1;
        EXPECT_EQ(wall.m_SegmentPoints.size(), size_t(c.segments) + 1);
        EXPECT_EQ(wall.m_CellCodes.size(), size_t(c.segments) + 1);
    }
    {
        LogCapture log;
        const VSD_WallIntern& wall = Wall(AddWall(420.7f, 390.2f, 430, 410));
        EXPECT_EQ(log.Count("Invalid wall in VSD file at pos 420,390 (too small)"), 1);
        EXPECT_EQ(wall.m_SegmentCount, 1);
        EXPECT_EQ(wall.m_SegmentPoints.size(), 2u);
    }
    EXPECT_EQ(ErrorOf([&] { AddWall(0, 0, 3100, 0); }), "Can not create wall with 31 segments");

    // A wall without a mesh is not cut; adding again replaces the points.
    VSD_WallIntern plain;
    plain.m_X2 = 500;
    const int32_t id = viewer.InsertWall(plain, 0, 0);
    viewer.AddWall(id);
    EXPECT_EQ(Wall(id).m_SegmentCount, 0);
    EXPECT_TRUE(Wall(id).m_SegmentPoints.empty());
    const int32_t again = AddWall(0, 0, 500, 0);
    Wall(again).SetEndPoints(0, 0, 200, 0);
    viewer.AddWall(again);
    EXPECT_EQ(Wall(again).m_SegmentPoints.size(), 3u);
}

TEST_F(WallMeshesTest, CellPointsAndCodes)
{
    // Cell-aligned, direction code 2: the points follow the grid ends, the last one moved and coded apart.
    const int32_t aligned = AddWall(1000, 400, 1300, 400);
    VSD_WallIntern& a = Wall(aligned);
    a.m_GridDirection = 2;
    a.m_OnGrid = 1;
    viewer.CalcWallCells(aligned);
    const VSD_CellPoint expected[4] = {{10, 4}, {11, 4}, {12, 4}, {12, 3}};
    const uint8_t codes[4] = {1, 1, 1, 4};
    for (size_t i = 0; i < 4; i++) {
        EXPECT_EQ(a.m_SegmentPoints[i].x, expected[i].x) << i;
        EXPECT_EQ(a.m_SegmentPoints[i].y, expected[i].y) << i;
        EXPECT_EQ(a.m_CellCodes[i], codes[i]) << i;
    }
    EXPECT_EQ(a.m_OnGrid, 1);
    EXPECT_FLOAT_EQ(a.m_Transform.m[0][0], 1.0f);  // the orientation follows the direction
    EXPECT_FLOAT_EQ(a.m_Transform.m[3][0], 1150.0f);

    // Direction code 4 is never aligned: the points are the world points' cells, the codes 0.
    const int32_t free = AddWall(130, 70, 460, 290);
    VSD_WallIntern& f = Wall(free);
    f.m_GridDirection = 4;
    f.m_OnGrid = 1;
    viewer.CalcWallCells(free);
    EXPECT_EQ(f.m_OnGrid, 0);
    const VSD_CellPoint points[5] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}};
    for (size_t i = 0; i < 5; i++) {
        EXPECT_EQ(f.m_SegmentPoints[i].x, points[i].x) << i;
        EXPECT_EQ(f.m_SegmentPoints[i].y, points[i].y) << i;
        EXPECT_EQ(f.m_CellCodes[i], 0) << i;
    }
}

TEST_F(WallMeshesTest, FileMeshesScaledMirroredAndMissing)
{
    ASSERT_EQ(viewer.LoadWallKinds("wallmesh\\walls.cfg"), 6);
    // 50 wide and 10 deep, "dimensionXZ" 50 by 25: 100 by 40 units.
    AddWall(0, 0, 500, 0, kWide);
    VSD_WallMeshes* wide = viewer.GetWallMeshes(kWide);
    ASSERT_TRUE(wide && wide->front.HasDeviceMesh());
    auto x = Extent(wide->front, 0);
    auto z = Extent(wide->front, 2);
    EXPECT_NEAR(x.second - x.first, 100.0f, 1e-3f);
    EXPECT_NEAR(z.second - z.first, 40.0f, 1e-3f);
    EXPECT_GT(wide->frontFileSize, 0);
    EXPECT_EQ(viewer.GetWallDescs()[kWide].frontMirrored, 0);

    // A back mesh whose transform mirrors x.
    const int32_t both = AddWall(0, 100, 500, 100, kMirrored);
    VSD_WallMeshes* mirrored = viewer.GetWallMeshes(kMirrored);
    EXPECT_TRUE(mirrored->back.HasDeviceMesh());
    EXPECT_EQ(Wall(both).m_HasBackMesh, 1);
    EXPECT_EQ(viewer.GetWallDescs()[kMirrored].frontMirrored, 0);
    EXPECT_EQ(viewer.GetWallDescs()[kMirrored].backMirrored, 1);
    // With local coordinates only the lengths of the axes scale: nothing mirrors.
    AddWall(0, 200, 500, 200, kLocal);
    EXPECT_EQ(viewer.GetWallDescs()[kLocal].frontMirrored, 0);

    EXPECT_EQ(ErrorOf([&] { AddWall(0, 300, 500, 300, kEmpty); }), "Wall file 'wallmesh\\nomesh.rtx' without mesh");
    // A size of 0 (which the reader refuses) scales nothing rather than dividing by it.
    WallDesc flat = viewer.GetWallDescs()[kWide];
    flat.dimensionXZ[0] = flat.dimensionXZ[1] = 0.0f;
    DXC_Mesh own;
    gfx.CreateMesh(&own, 2, 4, 1, 0x112, 0, 0, 0, 0, 0);
    own.LockAll(0);
    for (int32_t n = 0; n < 4; n++)
        own.SetVertexPosition(n, D3DXVECTOR3(float(n), 0.0f, float(n)));
    own.UnlockAll();
    viewer.ScaleWallMesh(flat, &own, 0);
    EXPECT_EQ(Extent(own, 0).second, 3.0f);
    EXPECT_EQ(Extent(own, 2).second, 3.0f);
    // Walls without a mesh file get segments only.
    const int32_t fence = AddWall(0, 400, 500, 400, kFence);
    EXPECT_EQ(Wall(fence).m_SegmentCount, 0);  // nomesh: not cut
}

TEST_F(WallMeshesTest, FileMeshReadAgainOnlyInDebugModeAfterAChange)
{
    ASSERT_EQ(viewer.LoadWallKinds("wallmesh\\walls.cfg"), 6);
    AddWall(0, 0, 500, 0, kWide);
    VSD_WallMeshes* wide = viewer.GetWallMeshes(kWide);
    ID3DXMesh* first = wide->front.deviceMesh;
    const int32_t size = wide->frontFileSize;

    AddWall(0, 100, 500, 100, kWide);  // present: nothing is read
    EXPECT_EQ(wide->front.deviceMesh, first);
    ctrl.debugMode = 1;
    AddWall(0, 200, 500, 200, kWide);  // debug mode, same size: nothing is read
    EXPECT_EQ(wide->front.deviceMesh, first);

    std::ofstream(dir("wallmesh/wide.rtx"), std::ios::app) << "\n";
    ctrl.debugMode = 0;
    AddWall(0, 300, 500, 300, kWide);
    EXPECT_EQ(wide->front.deviceMesh, first);
    ctrl.debugMode = 1;
    AddWall(0, 400, 500, 400, kWide);
    EXPECT_NE(wide->front.deviceMesh, first);
    EXPECT_EQ(wide->frontFileSize, size + 1);

    std::remove(dir("wallmesh/wide.rtx").c_str());
    EXPECT_EQ(ErrorOf([&] { AddWall(0, 500, 500, 500, kWide); }),
              "Can not re-open wallmesh file 'wallmesh\\wide.rtx'");
}

TEST_F(WallMeshesTest, NormalWallTextureAndStandardMesh)
{
    ASSERT_EQ(viewer.LoadWallKinds("wallmesh\\walls.cfg"), 6);
    // On the server the texture is the placeholder: loaded, not faded (it stands for every texture).
    AddWall(0, 0, 500, 0, kStone);
    VSD_WallMeshes* stone = viewer.GetWallMeshes(kStone);
    EXPECT_TRUE(stone->wallTexture.IsValid());
    EXPECT_EQ(stone->wallTexture.currentTexture, gfx.GetPlaceholderTexture().currentTexture);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(gfx.GetPlaceholderTexture().Lock(locked, 0), 1);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[3], 0xFF);
    gfx.GetPlaceholderTexture().Unlock();
    // The front mesh is the standard quad with the wall texture.
    ASSERT_TRUE(stone->front.HasDeviceMesh());
    EXPECT_EQ(stone->front.deviceMesh, viewer.GetStandardWallMesh().deviceMesh);
    EXPECT_EQ(stone->front.GetTexture(0)->currentTexture, stone->wallTexture.currentTexture);
    auto x = Extent(stone->front, 0);
    EXPECT_EQ(x.first, 0.0f);
    EXPECT_EQ(x.second, 1.0f);
}

TEST_F(WallMeshesTest, TopRowsOfALockableTextureFadeIn)
{
    // A graphics object that holds the file's image already (as a device would after loading):
    // 4 x 40 pixels of alpha 200; "WallFade" 0.1 fades the first 4 rows.
    DXC_Gfx device;
    GridViewer level(&device);
    level.SetGrid(40, 40, 100, 100);
    ASSERT_EQ(level.LoadWallKinds("wallmesh\\walls.cfg"), 6);
    level.SetWallSettings(1, 0.1f, 0);
    IDirect3DTexture9* image = nullptr;
    ASSERT_EQ(CreateMemoryTexture(4, 40, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &image), D3D_OK);
    D3DLOCKED_RECT locked;
    image->LockRect(0, &locked, nullptr, 0);
    for (int32_t y = 0; y < 40; y++)
        for (int32_t x = 0; x < 4; x++)
            static_cast<uint8_t*>(locked.pBits)[y * locked.Pitch + x * 4 + 3] = 200;
    image->UnlockRect(0);
    const char* file = "wallmesh\\stone.tga";
    const int32_t id = device.GetTextureManager().Add(image, device.MakeResourceKey(file).c_str(), file);

    level.LoadWallTexture(kStone);
    EXPECT_EQ(device.GetTextureManager().Unacquire(id), 0);  // the wall texture holds it now
    DXC_Texture& texture = level.GetWallMeshes(kStone)->wallTexture;
    ASSERT_EQ(texture.currentTexture, image);
    image->LockRect(0, &locked, nullptr, 0);
    const uint8_t expected[6] = {40, 80, 120, 160, 200, 200};  // 200 x (y + 1) / 5
    for (int32_t y = 0; y < 6; y++)
        for (int32_t x = 0; x < 4; x++)
            EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[y * locked.Pitch + x * 4 + 3], expected[y]) << x << "," << y;
    image->UnlockRect(0);
    // The mipmaps follow: the first row of level 1 is the mean of rows 0 and 1.
    image->LockRect(1, &locked, nullptr, 0);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[3], 60);
    image->UnlockRect(1);
}
