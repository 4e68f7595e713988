// VSD_Viewer lights: a placed light's range, intensity radius, limit and sample points, and
// removing lights by their ID, also above the table's first capacity; the update mode 0xFFFF
// that only a viewer with a device keeps.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"
#include "support/DeviceGfx.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// A level of 10 x 10 cells of 40 units.
struct LightsViewer : ::testing::Test {
    LightsViewer()
    {
        viewer.SetGameCtrl(&ctrl);
        viewer.SetGrid(10, 10, 40, 40);
    }
    LevelTestCtrl ctrl;
    GridViewer viewer;
};

}  // namespace

TEST_F(LightsViewer, SetupLightWorksOutRangeAndRadius)
{
    const struct {
        uint32_t colour;
        float height, size, maxDist;
        float range, intensityRadius;
        int warnings;
    } kCases[] = {
        {0xFFFFFF, 130, 0, 0, 44.6f, 137.4f, 0},
        {0xFFFFFF, 200, 0, 0, 1.0f, 137.4f, 0},    // hangs above its reach
        {0xFFFFFF, 200, 20, 0, 20.0f, 157.4f, 0},
        {0x000000, 130, 0, 0, 1.0f, 0.0f, 0},      // black reaches nowhere
        {0x000000, 130, 7, 0, 7.0f, 7.0f, 0},
        {0xFFFFFF, 130, 0, 5000, 4000.0f, 137.4f, 1},  // 100 cells of 40
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.colour + c.height + c.size + c.maxDist);
        LogCapture log;
        VSD_LightSource source;
        source.SetLightCol(c.colour);
        source.m_Height = c.height;
        source.m_Radius = c.size;
        source.m_Range = c.maxDist;
        const int32_t id = viewer.AddLight(source);
        const VSD_LightIntern* light = viewer.GetLight(id);
        ASSERT_NE(light, nullptr);
        EXPECT_EQ(light->m_ObjID, id);
        EXPECT_NEAR(light->m_Range, c.range, 0.05f);
        EXPECT_NEAR(light->m_RangeSq, c.range * c.range, 0.05f * c.range + 0.01f);
        EXPECT_NEAR(light->m_IntensityRadius, c.intensityRadius, 0.05f);
        EXPECT_EQ(light->m_IntensityCopy, 5000.0f);
        EXPECT_EQ(log.Count("Light radius too large: 5000.000000"), c.warnings);
    }
}

TEST_F(LightsViewer, SetupLightPlacesSamplePointsAndNormalisesDirection)
{
    VSD_LightSource source;
    source.m_SampleCount = 4;
    source.m_Radius = 10.0f;
    source.m_Direction[0] = 3.0f;
    source.m_Direction[1] = 0.0f;
    source.m_Direction[2] = 4.0f;
    const VSD_LightIntern* light = viewer.GetLight(viewer.AddLight(source));
    const float kPoints[4][2] = {{3.746f, -9.272f}, {9.272f, 3.746f}, {-3.746f, 9.272f}, {-9.272f, -3.746f}};
    for (int32_t i = 0; i < 4; i++) {
        EXPECT_NEAR(light->m_Samples[i][0], kPoints[i][0], 0.001f) << i;
        EXPECT_NEAR(light->m_Samples[i][1], kPoints[i][1], 0.001f) << i;
    }
    EXPECT_NEAR(light->m_Direction[0], 0.6f, 1e-6f);
    EXPECT_NEAR(light->m_Direction[2], 0.8f, 1e-6f);

    source.m_SampleCount = 1;
    const VSD_LightIntern* single = viewer.GetLight(viewer.AddLight(source));
    EXPECT_EQ(single->m_Samples[0][0], 0.0f);
    EXPECT_EQ(single->m_Samples[0][1], 0.0f);
}

TEST_F(LightsViewer, DelLightRemovesValidIDsOnly)
{
    VSD_LightSource source;
    const int32_t first = viewer.AddLight(source);
    for (int32_t id : {-1, first + 1, 1 << 30}) {
        LogCapture log;
        viewer.DelLight(id);
        EXPECT_EQ(log.Count(("Invalid light id in DelLight: " + std::to_string(id)).c_str()), 1);
        EXPECT_EQ(viewer.GetLights().GetSize(), 1);
    }
    viewer.DelLight(first);
    EXPECT_EQ(viewer.GetLight(first), nullptr);
    EXPECT_EQ(viewer.GetLights().GetSize(), 0);

    // Past the first 8192 slots the table has grown: those lights are removable too.
    for (int32_t i = 0; i <= 9000; i++)
        viewer.AddLight(source);
    ASSERT_NE(viewer.GetLight(9000), nullptr);
    viewer.DelLight(9000);
    EXPECT_EQ(viewer.GetLight(9000), nullptr);
    EXPECT_EQ(viewer.GetLights().GetSize(), 9000);
}

// Nothing updates lights on a viewer without a device, so "unset" becomes "never"; a device's
// viewer keeps it, and other modes stay everywhere.
TEST(VSD_ViewerLightUpdate, UnsetModeOnlyWithADevice)
{
    LevelTestCtrl ctrl;
    DeviceGfx client;
    GridViewer server;
    GridViewer drawn(&client.Gfx());
    const struct {
        GridViewer* viewer;
        uint16_t mode, stored;
    } kCases[] = {
        {&server, 0xFFFF, 0},
        {&server, 2, 2},
        {&drawn, 0xFFFF, 0xFFFF},
    };
    for (const auto& c : kCases) {
        c.viewer->SetGameCtrl(&ctrl);
        c.viewer->SetGrid(10, 10, 40, 40);
        c.viewer->InitRenderData();
        VSD_LightSource source;
        source.SetLightCol(0xFFFFFF);
        source.m_UpdateMode = c.mode;
        EXPECT_EQ(c.viewer->GetLight(c.viewer->AddLight(source))->m_UpdateMode, c.stored) << c.mode;
    }
}
