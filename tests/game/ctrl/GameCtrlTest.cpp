// GameCtrl: the description readers of the game rules' file lists, the flags the level sets, and
// the sample game's level loaded through the controller.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"
#include "level/VSD_Viewer.h"

#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(GameCtrlTest, DescriptionReadersComeFromTheFileLists)
{
    TempDir dir;
    dir.Write("a.cfg", "#1\ndesc = \"crate\"\n#2\ndesc = \"lamp\"\n");
    dir.Write("b.cfg", "#1\ndesc = \"barrel\"\n");
    dir.Write("w.cfg", "#1\ndesc = \"stone\"\n");
    GameCtrl ctrl;
    EXPECT_EQ(g_GameCtrl, &ctrl);
    ctrl.GetObjectCfgFiles().AddFile(dir("a.cfg").c_str());
    ctrl.GetObjectCfgFiles().AddFile(dir("b.cfg").c_str());
    ctrl.GetWallCfgFiles().AddFile(dir("w.cfg").c_str());

    ConfigFileReader* objects = ctrl.LoadWorldObjectFiles();
    ASSERT_EQ(objects, &ctrl.GetWorldObjectReader());
    EXPECT_EQ(objects->GetNumEntries(), 3);
    EXPECT_EQ(objects->FindEntryByDesc("barrel"), 2);
    EXPECT_EQ(ctrl.OpenWallFiles()->FindEntryByDesc("stone"), 0);

    dir.Write("b.cfg", "#1\ndesc = \"barrel\"\n#2\ndesc = \"chest\"\n");  // read again on every call
    EXPECT_EQ(ctrl.LoadWorldObjectFiles()->FindEntryByDesc("chest"), 3);

    ctrl.GetWallCfgFiles().AddFile("gone.cfg");
    EXPECT_EQ(ErrorOf([&] { ctrl.OpenWallFiles(); }), "Can not open file 'gone.cfg'");

    EXPECT_EQ(ctrl.GetConsoleUsed(), 0);
    ctrl.SetSplitValueToOne();
    EXPECT_EQ(ctrl.GetConsoleUsed(), 1);
    EXPECT_EQ(ctrl.GetFloorSizeSetting(), 50);
    EXPECT_EQ(ctrl.GetDebugMode(), 0);
}

TEST(GameCtrlTest, SampleGameLevelLoads)
{
    Log::Write("loading the sample level");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    GameCtrl ctrl;
    ctrl.GetObjectCfgFiles().AddFile("cfg\\objects.cfg");
    ctrl.GetWallCfgFiles().AddFile("cfg\\walls.cfg");
    VSD_Viewer viewer;
    ASSERT_EQ(ErrorOf([&] { viewer.LoadLevel("levels\\sample\\sample.vsd", 1, 0); }), "no error");
    EXPECT_EQ(viewer.GetMapWidth(), 20);
    EXPECT_EQ(viewer.GetCellWidth(), 128);
    EXPECT_EQ(viewer.GetNumWalls(), 25);  // four walls round the room, six pieces each, and the barrier
    EXPECT_EQ(viewer.GetNumFloorTextures(), 3);
    ASSERT_EQ(viewer.GetObjects().size(), 3u);
    EXPECT_EQ(viewer.GetObjects()[0].kind, 0);  // StartPos
    EXPECT_EQ(viewer.GetObjects()[2].kind, 1);  // Crate
    EXPECT_EQ(viewer.GetParcels()[0].textureId, -1);              // outside the active rectangle
    EXPECT_EQ(viewer.GetParcels()[size_t(9 * 20 + 9)].textureId, 1);  // every texture is 1 on the server
    EXPECT_EQ(ctrl.GetConsoleUsed(), 1);
}

TEST(GameCtrlTest, TheWorldIsAMemberSteppedOnlyWithTime)
{
    GameCtrl ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    EXPECT_EQ(world.GetWorldCtrl(), &world);
    EXPECT_EQ(world.GetLanguageDir(), String("lang\\english\\"));
    ctrl.UpdateWorld(0.0f);  // no time: the world does not step
    EXPECT_EQ(world.GetLastFrameTime(), 0.0f);
    ctrl.UpdateWorld(0.25f);
    EXPECT_EQ(world.GetLastFrameTime(), 0.25f);
    EXPECT_EQ(ctrl.GetViewMode(), 0);
    ctrl.ChangeViewMode(2, 0, 0, 0.0f, 0.0f);
    EXPECT_EQ(ctrl.GetViewMode(), 2);
    EXPECT_FALSE(ctrl.IsServer());
    EXPECT_TRUE(ctrl.AllowsInput());
    EXPECT_EQ(ctrl.GetMainChar(), nullptr);
}
