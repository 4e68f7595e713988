// WorldCtrl lifetime and per-frame update: the language directory it needs, release, emptying the
// world and loading a level into it; life spans, new shots, countdowns, the level's call script
// across frames, the interactive scene's end, held objects and the world fade.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"
#include "support/GameConfigText.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WorldCtrlTest : public ::testing::Test {
protected:
    WorldCtrlTest()
    {
        world.SetGrid(32, 32, 64, 64);  // 4 x 4 blocks
        world.RevealMapArea(100, 100, true);
        ctrl.activeBlocksOnly = true;  // as the server steps its world
    }

    TestElem* Add(uint16_t type, float x, float y) { return AddTestElem<TestElem>(world, type, x, y); }
    // The controller's frame: the game time advances, then the world steps.
    void Frame(float dt)
    {
        ctrl.gameTime += dt;
        world.Process(dt);
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
};

}  // namespace

TEST(WorldCtrlLifetimeTest, LanguageDirectoryAndRelease)
{
    LevelTestCtrl ctrl;
    {
        WorldCtrl world;
        EXPECT_STREQ(world.GetClassName(), "WorldCtrl");
        EXPECT_EQ(world.GetLanguageDir(), String("lang\\english\\"));  // a backslash is appended
        EXPECT_EQ(world.GetWorldCtrl(), &world);
        EXPECT_EQ(world.GetScriptThreads().GetNumThreads(), 2);
        LogCapture log;
        world.FreeWorld();
        EXPECT_EQ(log.Count("WorldCtrl freed"), 1);
    }
    LoadGameConfigText("langdir = \"lang\\german\\\"\n");
    EXPECT_EQ(WorldCtrl().GetLanguageDir(), String("lang\\german\\"));
    LoadGameConfigText("other = 1\n");
    EXPECT_EQ(ErrorOf([] { WorldCtrl world; }), "No language directory!");
    LoadGameConfigText(DefaultGameConfigText());
}

TEST_F(WorldCtrlTest, EmptyingTheWorldAndLoadingALevel)
{
    TestInputCtrl input;
    TestElem* driven = Add(ElemType::kCreature, 100, 100);
    driven->m_InputCtrl = &input;
    driven->m_InputIndex = 2;
    Add(ElemType::kItem, 700, 100);
    world.DeleteAllObjects();
    EXPECT_EQ(world.GetNumElements(), 0);
    EXPECT_EQ(input.removed, std::vector<int32_t>{2});
    EXPECT_TRUE(ctrl.objectsDeleted.empty());  // not told per element
    EXPECT_EQ(ctrl.sceneDeletions, 1);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 0);
    EXPECT_EQ(world.AddObj(new TestElem(), 0, false), 0);  // the first free slot is 0 again
    world.DeleteAllObjects();
    world.DeleteAllObjects();  // an empty world stays empty
    EXPECT_EQ(world.GetNumElements(), 0);

    LevelFixtureDir dir;
    world.GetGameRandom().Seed(99);
    world.GetGameRandom().NextInt();
    Add(ElemType::kCreature, 100, 100);
    WorldEvent* event = world.GetEventQueue(0).GetBySlot(world.GetEventQueue(0).Add());
    event->type = 3;
    EXPECT_EQ(world.LoadLevelData("level_0109_lzma.vsd", 1, 0), 0);
    EXPECT_EQ(world.GetNumElements(), 0);
    EXPECT_EQ(world.GetEventQueue(0).GetSize(), 0);
    EXPECT_EQ(world.GetGameRandom().GetDrawCount(), 0u);  // the level starts the sequence again
    EXPECT_EQ(world.GetGameRandom().GetSeed(), 99u);
    int32_t listed = 0;
    for (int32_t i = 0; i < world.GetNumBlocks(); i++)
        listed += world.GetBlockByIndex(i)->walls.GetSize();
    EXPECT_EQ(listed, world.GetNumWalls());  // the level's walls are in the blocks of the new grid
    EXPECT_GT(listed, 0);
}

TEST_F(WorldCtrlTest, LifeSpansNewShotsAndActiveBlocks)
{
    ctrl.gameTime = 10.0;
    TestElem* ending = Add(ElemType::kElem, 100, 100);
    ending->m_LifeSpanEnd = 10.0;
    TestElem* fading = Add(ElemType::kElem, 120, 100);
    fading->m_LifeSpanEnd = 10.5;
    TestElem* alreadyFading = Add(ElemType::kElem, 140, 100);
    alreadyFading->m_LifeSpanEnd = 10.5;
    alreadyFading->m_FadeRate = -0.1f;
    TestElem* shot = Add(ElemType::kProjectile, 160, 100);
    shot->m_StartValue = -1.0;
    TestElem* far = Add(ElemType::kElem, 1900, 1900);  // in a block no player reveals
    SmartPtr<WorldElem> endingRef(ending);

    world.Process(0.1f);
    EXPECT_EQ(endingRef.Get(), nullptr);  // its end is now: deleted with its children
    EXPECT_EQ(ctrl.objectsDeleted.back(), std::make_pair(0, 1));
    EXPECT_FLOAT_EQ(fading->m_FadeRate, -2.0f);  // half a second left: faded out over it
    EXPECT_EQ(fading->m_LifeSpanEnd, 10.5);
    EXPECT_EQ(fading->updates, 1);
    EXPECT_FLOAT_EQ(alreadyFading->m_FadeRate, -0.1f);
    EXPECT_EQ(shot->updates, 0);  // a new shot waits for the next frame
    EXPECT_EQ(shot->m_StartValue, 0.0);
    EXPECT_EQ(far->updates, 0);
    EXPECT_EQ(world.GetLastFrameTime(), 0.1f);

    world.Process(0.1f);
    EXPECT_EQ(shot->updates, 1);
    EXPECT_EQ(shot->lastDt, 0.1f);
    EXPECT_EQ(far->updates, 0);
    ctrl.activeBlocksOnly = false;  // a game of its own steps every block
    world.Process(0.1f);
    EXPECT_EQ(far->updates, 1);

    // Moved and turned marks are cleared for what the active blocks hold.
    fading->SetPos(130, 100);
    far->SetPos(1910, 1900);
    world.ResetActiveBlockCounters();
    EXPECT_EQ(fading->m_Moved, 0);
    EXPECT_EQ(far->m_Moved, 1);
}

TEST_F(WorldCtrlTest, CountdownCallScriptAndFades)
{
    world.SetCountDown(3.0f, "bomb");
    world.SetLevelCallScript(2.0f, "tick");
    const struct {
        double now;
        float dt;
        int32_t runs;  // call script runs so far
        bool labelKept;
    } kFrames[] = {
        {0.0, 1.0f, 0, true}, {1.0, 0.9f, 0, true}, {1.9, 0.2f, 1, true},  // crosses 2.0
        {2.1, 0.5f, 1, true}, {2.6, 0.5f, 1, true},                        // the countdown at -0.1
        {3.5, 0.85f, 2, true},                                             // crosses 4.0; -0.95 keeps the label
        {4.35, 4.2f, 3, false},                                            // crosses 6.0 and 8.0: once
    };
    for (const auto& f : kFrames) {
        SCOPED_TRACE(f.now);
        ctrl.gameTime = f.now;
        world.Process(f.dt);
        EXPECT_EQ(int32_t(world.runs.size()), f.runs);
        EXPECT_EQ(world.GetCountDownLabel() == String("bomb"), f.labelKept);
    }
    EXPECT_EQ(world.runs.back(), "level.cfg:CallScript|tick");
    EXPECT_EQ(world.GetCountDown(), -1.0f);

    world.FadeOutWorld(1, 2.0f);
    world.Process(1.0f);
    EXPECT_FLOAT_EQ(world.GetFadeLevel(), 0.5f);
    world.Process(5.0f);
    EXPECT_EQ(world.GetFadeLevel(), 0.0f);
    world.FadeOutWorld(0, 0.0f);
    EXPECT_EQ(world.GetFadeLevel(), 1.0f);
    world.FadeOutWorld(1, 0.0f);  // dark at once
    EXPECT_EQ(world.GetFadeLevel(), 0.0f);
}

TEST_F(WorldCtrlTest, InteractiveSceneHeldObjectsAndWalls)
{
    ctrl.viewMode = 2;
    world.Process(0.1f);
    EXPECT_EQ(ctrl.modeChanges, 0);
    world.GetInteractiveScene().RequestExit();
    world.Process(0.1f);
    EXPECT_EQ(ctrl.modeChanges, 1);  // the scene's end sets play mode again
    EXPECT_EQ(ctrl.viewMode, 0);

    TestElem held(ElemType::kItem, 5000, 5000);  // in no block
    world.GetHeldObjects().GetBySlot(world.GetHeldObjects().Add())->Assign(&held);
    VSD_WallIntern model;
    model.m_X1 = 100;
    model.m_Y1 = 100;
    model.m_X2 = 200;
    model.m_Y2 = 100;
    VSD_WallIntern* wall = world.GetWall(world.InsertWall(model, 0, 0), true);
    wall->FadeOut(1.0f);
    world.Process(0.25f);
    EXPECT_EQ(held.updates, 1);
    EXPECT_FLOAT_EQ(wall->m_Opacity, 0.75f);

    world.RequestVisibilityUpdate();
    ctrl.viewMode = 1;
    world.Process(0.25f);  // a visibility update runs at once; nothing else changes
    EXPECT_EQ(held.updates, 2);
}
