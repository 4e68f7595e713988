// CreatureObj's cycle players: the phase kept between walking cycles of the main character,
// root motion carrying the creature through the world, the height curve, cycles after loading,
// the measure of a pass, blended speed factors and the lengths of knock-down and hit block.
#include "game/objects/CreatureObj.h"

#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/objects/CreatureCycleTestSupport.h"
#include "support/FixtureRoot.h"
#include "support/LoadStateScope.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr int32_t kWalk = 128;
constexpr int32_t kBackWalk = 131;
constexpr int32_t kRun = 148;

class CreatureObjCyclesTest : public ::testing::Test {
protected:
    CreatureObjCyclesTest()
    {
        ctrl.gameWorld = &world;
        world.SetGrid(32, 32, 64, 64);
        AddTestCycle(set, 0, 4.0f);
        AddTestCycle(set, kWalk, 3.0f);
        AddTestCycle(set, kRun, 2.0f);
    }
    CreatureObj* AddCreature(float x, float y)
    {
        auto* creature = new CreatureObj;  // owned by the world
        creature->SetPos(x, y);
        world.AddObj(creature, 0, false);
        creature->BindCycleSet(&set);
        return creature;
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
    AniCycleSet set;
};

}  // namespace

TEST_F(CreatureObjCyclesTest, WalkingPhaseOfTheMainCharacter)
{
    for (bool main : {true, false}) {
        CreatureObj creature;
        creature.BindCycleSet(&set);
        creature.m_MainCharacter = main ? 1 : 0;
        creature.SetCycleOfType(0, kWalk, 1.0f, false, 0.0f, false);
        creature.m_CyclePlayers[0].time = 2.5f;
        creature.SetCycleOfType(0, kRun, 1.0f, false, 0.0f, false);
        EXPECT_FLOAT_EQ(creature.m_CyclePlayers[0].time, main ? 0.5f : 0.0f) << main;
        // The second player never keeps it, nor does a change from a cycle that is no walk.
        creature.SetCycleOfType(1, kWalk, 1.0f, false, 0.0f, false);
        creature.m_CyclePlayers[1].time = 2.5f;
        creature.SetCycleOfType(1, kRun, 1.0f, false, 0.0f, false);
        EXPECT_EQ(creature.m_CyclePlayers[1].time, 0.0f);
    }
    EXPECT_TRUE(CreatureObj::IsWalkingCycle(160));
    EXPECT_FALSE(CreatureObj::IsWalkingCycle(134));
    EXPECT_FALSE(CreatureObj::IsWalkingCycle(164));
}

TEST_F(CreatureObjCyclesTest, SpeedLengthAndReverseOfASetCycle)
{
    CreatureObj creature;
    creature.BindCycleSet(&set);
    creature.SetCycleOfType(0, kWalk, 2.0f, false, 0.0f, true);
    EXPECT_FLOAT_EQ(creature.m_CyclePlayers[0].length, 1.5f);
    EXPECT_EQ(creature.m_CyclePlayers[0].reverse, 1);
    creature.SetCycleOfType(0, kRun, 1.0f, false, 4.0f, false);
    EXPECT_FLOAT_EQ(creature.m_CyclePlayers[0].speed, 0.5f);
    creature.SetCycleLength(1.0f, 0);
    EXPECT_FLOAT_EQ(creature.m_CyclePlayers[0].speed, 2.0f);
    creature.SetCycleLength(1.0f, 2);  // warned and dropped
    creature.SetCycleOfType(0, -1, 1.0f, false, 0.0f, false);
    EXPECT_EQ(creature.m_CyclePlayers[0].cycleNumber, -1);
    EXPECT_EQ(creature.m_CyclePlayers[0].pNextCycle, nullptr);
}

TEST_F(CreatureObjCyclesTest, RootMotionCarriesTheCreature)
{
    MakeTestCycle(set.GetCycle(kWalk), 2.0f, true, 100.0f);
    AniCyclePlayData& play = set.GetPlayData(kWalk);
    play.moveMode = 1;  // accumulating
    play.baseDummy = 0;
    play.passDx = 100.0f;
    play.fadeInTime = 0.0f;
    CreatureObj* creature = AddCreature(500.0f, 500.0f);
    creature->SetCycleOfType(0, kWalk, 1.0f, false, 0.0f, false);
    for (int pass = 1; pass <= 2; pass++) {
        for (int frame = 0; frame < 8; frame++) {
            creature->AdvanceCycles(0.25f, false);
            creature->ApplyCycleMotion(0.25f);
        }
        EXPECT_NEAR(creature->GetPos().x, 500.0f + 100.0f * pass, 1e-2f) << pass;
        EXPECT_NEAR(creature->GetPos().y, 500.0f, 1e-3f);
    }

    // Turned to face +y, the same pass goes along +y; a frozen creature stays.
    creature->SetAngle(3.14159265f / 2.0f);
    for (int frame = 0; frame < 8; frame++) {
        creature->AdvanceCycles(0.25f, false);
        creature->ApplyCycleMotion(0.25f);
    }
    EXPECT_NEAR(creature->GetPos().x, 700.0f, 1e-2f);
    EXPECT_NEAR(creature->GetPos().y, 600.0f, 1e-2f);
    creature->m_Frozen = 1;
    creature->AdvanceCycles(0.25f, false);
    creature->ApplyCycleMotion(0.25f);
    EXPECT_NEAR(creature->GetPos().y, 600.0f, 1e-2f);
}

TEST_F(CreatureObjCyclesTest, MeasuredPass)
{
    MakeTestCycle(set.GetCycle(kWalk), 2.0f, true, 100.0f);
    CreatureObj creature;
    creature.BindCycleSet(&set);
    creature.MeasureBaseDummy(kWalk);
    EXPECT_EQ(set.GetPlayData(kWalk).baseDummy, 0);
    EXPECT_NEAR(set.GetPlayData(kWalk).passDx, 99.9f, 1e-3f);  // read at 0.999 of the pass
    EXPECT_EQ(set.GetPlayData(kWalk).passRotation, 0.0f);
    set.GetCycle(kRun).objectTracks[0].objectName = "Hip";
    creature.MeasureBaseDummy(kRun);
    EXPECT_EQ(set.GetPlayData(kRun).baseDummy, -1);
}

TEST_F(CreatureObjCyclesTest, HeightCurveLiftsWithinTheRange)
{
    BezierSpline<float> rise;  // 40 units per second of the cycle
    rise.SetNumKeys(2);
    rise.GetKey(1).time = 10.0f;
    rise.GetKey(1).value = 400.0f;
    set.GetPlayData(kWalk).heightCurves.push_back(rise);
    set.m_HeightMin = -10.0f;
    set.m_HeightMax = 30.0f;
    CreatureObj creature;
    creature.BindCycleSet(&set);
    creature.SetCycleOfType(0, kWalk, 1.0f, false, 0.0f, false);
    creature.AdvanceCycles(0.25f, false);  // the weight is 0.001 before the first advance
    EXPECT_NEAR(creature.GetOwnHeight(), 0.01f, 1e-4f);
    creature.AdvanceCycles(0.5f, false);
    EXPECT_NEAR(creature.GetOwnHeight(), 20.01f, 1e-3f);
    creature.AdvanceCycles(0.5f, false);
    EXPECT_EQ(creature.GetOwnHeight(), 30.0f);
    EXPECT_EQ(creature.m_Cycle.poseDirty, 1);
}

TEST_F(CreatureObjCyclesTest, CyclesAfterLoading)
{
    CreatureObj creature;
    EXPECT_EQ(creature.GetCycleForNumber(kWalk), nullptr);  // no set
    creature.BindCycleSet(&set);
    const struct {
        int32_t number;
        int32_t cycle;  // -1 none
    } kCases[] = {
        {5, 5},       {kWalk, kWalk}, {kBackWalk, kWalk}, {134, kWalk}, {165, kWalk}, {155, 155}, {200, 200},
        {kRun, -1},   {154, -1},      {160, -1},          {300, -1},    {170, -1},    {449, 449}, {451, -1},
    };
    for (const auto& c : kCases) {
        AniCycle* expected = c.cycle < 0 ? nullptr : &set.GetCycle(c.cycle);
        EXPECT_EQ(creature.GetCycleForNumber(c.number), expected) << c.number;
    }
    AddTestCycle(set, 134);
    EXPECT_EQ(creature.GetCycleForNumber(165), &set.GetCycle(134));
    EXPECT_EQ(creature.GetCycleForNumber(134), &set.GetCycle(134));

    creature.m_CyclePlayers[0].cycleNumber = 0;
    creature.m_CyclePlayers[1].cycleNumber = kBackWalk;  // no data of its own: the walk
    creature.m_CyclePlayers[1].time = 1.0f;
    creature.RebindAfterLoad();
    EXPECT_EQ(creature.m_CyclePlayers[0].pNextCycle, nullptr);  // players at 0 stay unbound
    EXPECT_EQ(creature.m_CyclePlayers[1].pNextCycle, &set.GetCycle(kWalk));
    EXPECT_EQ(creature.m_CyclePlayers[1].length, 3.0f);
    EXPECT_EQ(creature.m_CyclePlayers[1].time, 1.0f);
}

TEST_F(CreatureObjCyclesTest, BlendedSpeedFactorAndLengths)
{
    CreatureObj creature;
    EXPECT_EQ(creature.KnockDownLength(), 1.5f);
    EXPECT_EQ(creature.HitBlockLength(), 1.5f);
    creature.BindCycleSet(&set);
    EXPECT_EQ(creature.BlendCycleValue(0.0f), 1.0f);  // no weights at all
    AniCyclePlayData& run = set.GetPlayData(kRun);
    run.speedByDirection.SetNumKeys(1);
    run.speedByDirection.GetKey(0).value = 3.0f;
    creature.SetCycleOfType(0, kWalk, 1.0f, false, 0.0f, false);
    creature.SetCycleOfType(1, kRun, 1.0f, false, 0.0f, false);
    creature.m_CyclePlayers[0].weight = 0.75f;
    creature.m_CyclePlayers[1].weight = 0.25f;
    EXPECT_FLOAT_EQ(creature.BlendCycleValue(0.0f), 3.0f * 0.25f + 1.0f * 0.75f);

    AddTestCycle(set, 153, 2.5f);
    AddTestCycle(set, 130, 0.8f);
    EXPECT_EQ(creature.KnockDownLength(), 2.5f);
    EXPECT_FLOAT_EQ(creature.HitBlockLength(), 0.8f);
    AddTestCycle(set, 154, 1.2f);
    EXPECT_FLOAT_EQ(creature.HitBlockLength(), 1.2f);
}

TEST_F(CreatureObjCyclesTest, CycleSetBindingTakesTheFactors)
{
    const GameOptions saved = g_Options;
    g_Options.cycleIntTimeLB = 2.0f;
    g_Options.cycleIntTimeUB = 0.5f;
    CreatureObj creature;
    creature.BindCycleSet(&set);
    g_Options = saved;
    EXPECT_EQ(creature.GetAniCycleSet(), &set);
    EXPECT_EQ(creature.m_CyclePlayers[0].interpolationTimeFactor, 2.0f);
    EXPECT_EQ(creature.m_CyclePlayers[1].interpolationTimeFactor, 0.5f);
    EXPECT_EQ(creature.m_CyclePlayers[1].cycleSet, &set);
    CreatureObj copy(creature);
    EXPECT_EQ(copy.GetAniCycleSet(), &set);
}

TEST_F(CreatureObjCyclesTest, CyclesReadBoundAndPosedOnTheScene)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    g_Gfx = &gfx;
    const std::string file = std::string(SERVER_FIXTURES) + "/scene/pair/creature.3sc";
    DXC_3dScene scene;
    gfx.LoadScene(&scene, file.c_str(), 0x20);
    AniCycleSet fromFiles;
    fromFiles.GetCycle(kWalk).m_FileName = file.c_str();
    fromFiles.GetCycle(kWalk).m_Loop = 1;
    CreatureObj creature;
    creature.SetScene(&scene);
    creature.BindCycleSet(&fromFiles);
    creature.SetCycleOfType(0, kWalk, 1.0f, false, 0.0f, false);  // read, bound and measured first
    const AniCycle& walk = fromFiles.GetCycle(kWalk);
    ASSERT_TRUE(walk.HasData());
    EXPECT_EQ(walk.objectMapCount, scene.GetObjectCount());
    EXPECT_EQ(creature.m_CyclePlayers[0].pNextCycle, &walk);

    for (int frame = 0; frame < 3; frame++)
        creature.AdvanceCycles(0.1f, true);
    creature.ApplyCycleMotion(0.1f);
    creature.ApplyPoseToScene();
    g_Gfx = nullptr;
    // No fade-in: the scene stands in the walk's pose at its time.
    const_cast<AniCycle&>(walk).SetAniTime(creature.m_CyclePlayers[0].time);
    for (int32_t i = 0; i < scene.GetObjectCount(); i++) {
        const DXC_3dObject& node = *scene.objects.GetAt(i);
        const DXC_3dObject* track = walk.FindTrack(node.objectName.c_str(), true);
        ASSERT_NE(track, nullptr);
        EXPECT_NEAR(node.aniPosition.x, track->aniPosition.x, 1e-4f) << node.objectName.c_str();
        EXPECT_NEAR(node.aniPosition.y, track->aniPosition.y, 1e-4f) << node.objectName.c_str();
        EXPECT_NEAR(node.aniPosition.z, track->aniPosition.z, 1e-4f) << node.objectName.c_str();
    }
}
