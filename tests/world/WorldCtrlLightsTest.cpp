// WorldCtrl lights: entering lights into the light grid, removing them from it, their ends and
// intensities in the per-frame update, the effect table and the flicker curve.
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

TEST(WorldCtrlLightsTest, LightsEnterTheirBlockAndLeaveIt)
{
    LevelTestCtrl ctrl;
    ctrl.gameTime = 7.0;
    GridWorld world;
    world.SetGameCtrl(&ctrl);
    world.SetGrid(20, 12, 64, 64);  // 3 x 2 blocks
    VSD_LightSource source;
    source.m_PosX = 700.0f;
    source.m_PosY = 600.0f;
    const int32_t id = world.AddLightToGrid(source);
    VSD_LightIntern* light = world.GetLight(id);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->m_World, &world);
    EXPECT_EQ(light->m_StartTime, 7.0);
    EXPECT_GE(light->m_RandomPhase, 0.0);
    EXPECT_LT(light->m_RandomPhase, 100.0);
    EXPECT_EQ(light->m_CellIndex, 4);
    EXPECT_EQ(world.GetBlock(1, 1)->lights.GetAt(0), light);
    EXPECT_EQ(world.GetObjByIdentifierChecked(ObjRef3(light)),
              light);

    source.m_PosX = -600.0f;  // outside the grid: in no block
    const int32_t outside = world.AddLightToGrid(source);
    EXPECT_EQ(world.GetLight(outside)->m_CellListEntry, -1);

    world.DelLight(id);
    EXPECT_EQ(world.GetBlock(1, 1)->lights.GetSize(), 0);
    EXPECT_EQ(world.GetLight(id), nullptr);
}

TEST(WorldCtrlLightsTest, ProcessEndsLightsAndUpdatesTheirIntensity)
{
    LevelTestCtrl ctrl;
    ctrl.flicker = [](float) { return 1.0f; };
    GridWorld world;
    world.SetGameCtrl(&ctrl);
    world.SetGrid(20, 12, 64, 64);
    world.SetViewFloorSize(10, 10);
    world.SetViewOrigin(100.0f, 100.0f);
    VSD_LightSource source;
    source.m_PosX = 100.0f;
    source.m_PosY = 100.0f;
    source.m_Flickering = 1.0f;
    const int32_t flickering = world.AddLightToGrid(source);
    source.m_Flickering = 0.0f;
    const int32_t ending = world.AddLightToGrid(source);
    world.GetLight(ending)->m_LifeSpanEnd = 0.5;
    world.GetLight(flickering)->m_SecondFactor = 0.0f;

    ctrl.gameTime = 1.0;
    world.Process(0.1f);
    EXPECT_EQ(world.GetLight(ending), nullptr);
    EXPECT_EQ(world.GetBlock(0, 0)->lights.GetSize(), 1);
    EXPECT_FLOAT_EQ(world.GetLight(flickering)->m_SecondFactor, 1.5f);
    EXPECT_NEAR(world.GetLight(flickering)->m_Clock, 0.1, 1e-7);
}

TEST(WorldCtrlLightsTest, EffectsAndFlickerCurve)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGameCtrl(&ctrl);
    world.SetGrid(20, 12, 64, 64);
    const BezierSpline<float>& curve = world.GetFlickerCurve();
    ASSERT_EQ(curve.GetNumKeys(), WorldCtrl::kFlickerKeys);
    float lowest = 1.0f, highest = -1.0f;
    for (int32_t i = 0; i < curve.GetNumKeys(); i++) {
        EXPECT_EQ(curve.GetKey(i).time, float(i));
        lowest = std::min(lowest, curve.GetKey(i).value);
        highest = std::max(highest, curve.GetKey(i).value);
    }
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_LT(lowest, -0.9f);  // drawn over the whole range
    EXPECT_GT(highest, 0.9f);

    auto* effect = new TestElem(ElemType::kEffect, 600.0f, 100.0f);
    const int32_t id = world.AddEffect(effect);
    EXPECT_EQ(world.GetBlock(1, 0)->effects.GetAt(0), effect);
    for (int32_t bad : {-1, id + 1}) {
        LogCapture log;
        world.DelEffect(bad);
        EXPECT_EQ(log.Count(("Invalid effect id in DelEffect: " + std::to_string(bad)).c_str()), 1);
    }
    world.DelEffect(id);
    EXPECT_EQ(world.GetEffect(id), nullptr);
    EXPECT_EQ(world.GetBlock(1, 0)->effects.GetSize(), 0);
}
