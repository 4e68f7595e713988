// VSD_Viewer render data: its set-up, the floor size with the far distance, covering the map
// again, and the surface frame of the floor.
#include "level/VSD_Viewer.h"

#include "base/GameOptions.h"
#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(VSD_ViewerRenderDataTest, InitRenderDataSetsUpTheRendererData)
{
    GridViewer viewer;
    const int32_t saved = g_Options.maxObjLights;
    g_Options.maxObjLights = 5;
    EXPECT_EQ(viewer.InitRenderData(), 1);
    g_Options.maxObjLights = saved;
    EXPECT_TRUE(viewer.IsRenderDataReady());
    EXPECT_EQ(viewer.GetNumRenderLights(), 5);
    EXPECT_EQ(viewer.GetVertexFormats()[0], 0x1C4u);
    EXPECT_EQ(viewer.GetVertexFormats()[2], 0x1C2u);
}

TEST(VSD_ViewerRenderDataTest, SetFloorSizeFallsBackAndSetsTheFarDistance)
{
    LevelTestCtrl ctrl;
    ctrl.floorSize = 50;
    GridViewer viewer;
    viewer.SetGameCtrl(&ctrl);
    viewer.SetGrid(100, 100, 40, 40);
    viewer.SetViewFloorSize(20, 20);
    viewer.SetCameraDistance(300.0f);
    viewer.SetFloorSize(0);
    EXPECT_EQ(viewer.GetFloorSize()[0], 50);
    EXPECT_EQ(viewer.GetFloorSize()[1], 50);
    // Worked out with the size in force before the call: 20 cells of 40.
    EXPECT_FLOAT_EQ(viewer.GetFarDistance(), std::sqrt(800.0f * 800.0f + 300.0f * 300.0f) + 100.0f);
    const float radius = viewer.GetViewRadius();

    viewer.SetCameraDistance(0.0f);
    viewer.SetFloorSize(50);  // the same size: only the far distance changes
    EXPECT_FLOAT_EQ(viewer.GetFarDistance(), 2000.0f + 100.0f);
    EXPECT_EQ(viewer.GetViewRadius(), radius);

    viewer.SetLevelFloorSize(30);
    viewer.SetFloorSize(-4);
    EXPECT_EQ(viewer.GetFloorSize()[0], 30);
}

TEST(VSD_ViewerRenderDataTest, CoverMapCoversTheClampedRectangle)
{
    LevelTestCtrl ctrl;
    GridViewer viewer;
    viewer.SetGameCtrl(&ctrl);
    viewer.SetGrid(10, 10, 40, 40);
    auto exploreAll = [&] {
        for (int32_t y = 0; y <= 10; y++)
            for (int32_t x = 0; x <= 10; x++)
                viewer.Vertex(x, y).exploration = 1.0f;
        for (int32_t y = 0; y < 10; y++)
            for (int32_t x = 0; x < 10; x++)
                viewer.RevealCoverCell(x, y);
    };
    exploreAll();
    viewer.CoverMap(-5, -5, 3, 2);
    for (int32_t y = 0; y < 10; y++) {
        for (int32_t x = 0; x < 10; x++) {
            const bool covered = x <= 2 && y <= 1;
            EXPECT_EQ(viewer.IsCoverCellRevealed(x, y), !covered) << x << "," << y;
            EXPECT_EQ(viewer.Vertex(x, y).exploration, covered ? 0.0f : 1.0f);
            EXPECT_EQ(viewer.GetCoverPixel(x, y) == 0, covered);
        }
    }
    exploreAll();
    viewer.CoverMap(4, 4, 4, 9);  // empty: nothing
    viewer.CoverMap(20, 20, 30, 30);
    for (int32_t y = 0; y < 10; y++)
        for (int32_t x = 0; x < 10; x++)
            EXPECT_TRUE(viewer.IsCoverCellRevealed(x, y));
    viewer.CoverMap();
    EXPECT_FALSE(viewer.IsCoverCellRevealed(9, 9));
    EXPECT_EQ(viewer.Vertex(10, 10).exploration, 0.0f);
}

TEST(VSD_ViewerRenderDataTest, SurfaceFrameOfFlatFloor)
{
    GridViewer viewer;
    viewer.SetGrid(10, 10, 40, 40);
    viewer.CalcSurfaceFrames();
    D3DXVECTOR3 t, b, n;
    viewer.GetSurfaceFrame(100.0f, 100.0f, t, b, n);
    EXPECT_EQ(t, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(b, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(n, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    EXPECT_FALSE(viewer.IsActiveRectPartial());
    viewer.SetActiveArea(1, 1, 9, 9);
    EXPECT_TRUE(viewer.IsActiveRectPartial());
}
