// GameCtrl: the description readers of the game rules' file lists, the flags the level sets, the
// sample game's level loaded through the controller, construction and destruction, and the
// engine's answers of the replaceable hooks.
#include "game/ctrl/GameCtrl.h"

#include "base/LocalText.h"
#include "base/Log.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "level/VSD_Viewer.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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
    ASSERT_EQ(viewer.GetObjects().size(), 6u);
    EXPECT_EQ(viewer.GetObjects()[0].kind, 0);  // StartPos
    EXPECT_EQ(viewer.GetObjects()[2].kind, 1);  // Crate
    EXPECT_EQ(viewer.GetObjects()[3].kind, 6);  // Drone
    EXPECT_EQ(viewer.GetParcels()[0].textureId, -1);              // outside the active rectangle
    EXPECT_EQ(viewer.GetParcels()[size_t(9 * 20 + 9)].textureId, 1);  // every texture is 1 on the server
    EXPECT_EQ(ctrl.GetConsoleUsed(), 1);
}

TEST(GameCtrlTest, ConstructionAndDestruction)
{
    GameDir dir;
    dir.Write("cfg/3dobjs.cfg", "#1\ndesc = \"crate\"\nsFile = \"crate.3sc\"\n");
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    g_Gfx = &gfx;
    g_ScreenWidth = 0;
    g_ScreenHeight = 0;
    {
        LogCapture log;
        auto ctrl = std::make_unique<GameCtrl>();
        EXPECT_EQ(g_ScreenWidth, 1024);  // the server's graphics object has no device, but a size
        EXPECT_EQ(g_ScreenHeight, 768);
        EXPECT_EQ(ctrl->GetHeroName(), "Hero");
        EXPECT_EQ(ctrl->GetScreenshotPrefix(), "scrshot");
        EXPECT_EQ(ctrl->GetGameSpeed(), 1.0f);
        EXPECT_EQ(String(ctrl->GetStartDirectory()), String(dir.Path().string().c_str()));
        EXPECT_EQ(ctrl->Get3dObjPrototypes().size(), 1u);  // the table is open
        EXPECT_EQ(ctrl->Get3dObjReader().GetConstantTable(), &ctrl->GetConstants());
        EXPECT_EQ(ctrl->GetMainChar(), nullptr);
        EXPECT_EQ(ctrl->GetNumPlayers(), 0);
        EXPECT_TRUE(ctrl->IsRunning());
        EXPECT_FALSE(ctrl->GetErrorWindow().IsOpen());  // every window starts closed
        EXPECT_FALSE(ctrl->GetConsoleWindow().IsOpen());
        EXPECT_FALSE(ctrl->GetTextViewer(1).IsOpen());

        ctrl->SetDebugMode(1);  // a new game takes the console-used flag from "debug"
        ctrl->ResetGameState();
        EXPECT_EQ(ctrl->GetConsoleUsed(), 1);

        GameCtrl second;  // the newest controller is the global one
        EXPECT_EQ(g_GameCtrl, &second);
        ctrl.reset();
        EXPECT_EQ(g_GameCtrl, &second);
        EXPECT_EQ(log.Count("GameDeinit"), 1);
    }
    EXPECT_EQ(g_GameCtrl, nullptr);
    g_Gfx = nullptr;
}

TEST(GameCtrlTest, LevelResetAndEngineAnswers)
{
    GameCtrl ctrl;
    ctrl.GetLevelVariables().AddVariable("count", 1, 0);
    ctrl.GetSubTitleWindow().ShowLine(u"Hello", 3.0f);
    EXPECT_TRUE(ctrl.GetSubTitleWindow().IsOpen());
    ctrl.Reset();
    EXPECT_EQ(ctrl.GetLevelVariables().GetVariableCount(), 0);
    EXPECT_EQ(ctrl.GetSubTitleWindow().GetNumLines(), 0);
    EXPECT_FALSE(ctrl.GetSubTitleWindow().IsOpen());

    D3DXVECTOR2 position(5.0f, 5.0f);
    EXPECT_FALSE(ctrl.GetMousePosition(position));
    EXPECT_EQ(position.x, 0.0f);
    EXPECT_EQ(ctrl.GetCursorPicture(), 1);
    EXPECT_EQ(ctrl.GetPlayerCharacter(1), nullptr);
    EXPECT_FALSE(ctrl.IsNetworkClient());
    EXPECT_FALSE(ctrl.IsJoiningNetworkGame());
    EXPECT_FALSE(ctrl.IsGuiUnderMouse(0));
    EXPECT_EQ(ctrl.LoadGame(-1), 0);

    // Object script variables: 256 of them; an index outside writes nothing and reads 0.
    for (const int32_t index : {0, 255, 256, -1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(ctrl.SetObjScriptVariable(index, 77), 77);
        EXPECT_EQ(ctrl.GetObjScriptVariable(index), index >= 0 && index < 256 ? 77 : 0);
    }
}

TEST(GameCtrlTest, GuiHooksFollowTheGuiManager)
{
    GameCtrl ctrl;
    EXPECT_EQ(ctrl.UpdateGui(), 0);
    {
        DXC_GuiManager gui;  // a client's manager
        EXPECT_EQ(g_GuiManager, &gui);
        EXPECT_FALSE(ctrl.IsGuiUnderMouse(0));  // no window lies under the mouse
        EXPECT_EQ(ctrl.LeaveGuiMode(1), 0);
    }
    EXPECT_EQ(g_GuiManager, nullptr);
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

TEST(GameCtrlTest, NoManaNoticeAndTheWorldsResets)
{
    class NoticeCtrl : public GameCtrl {
    public:
        void PlayWorldSound(const char* name) override { sounds.push_back(name); }
        std::vector<std::string> sounds;
    };
    LocalText::Get().Close();  // no database: the notice shows the gap
    NoticeCtrl ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    ctrl.NotifyNoMana();
    auto& messages = world.GetTextMessages();
    ASSERT_EQ(messages.GetSize(), 1);
    EXPECT_EQ(String(messages.GetAt(0)->key), "|Cdc8765DBErr:logmsg,nomana");
    EXPECT_EQ(messages.GetAt(0)->time, 2.0f);
    EXPECT_EQ(ctrl.sounds, std::vector<std::string>{"NoMana"});

    world.SetCountDown(3.0f, "bomb");
    world.AddLogMessage(u"saved", 1.0f, false);
    ctrl.Reset();  // the level's effects go, the messages stay
    EXPECT_EQ(world.GetCountDown(), -1.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateChoose);
    EXPECT_EQ(messages.GetSize(), 1);
    ctrl.ResetGameState();  // a new game: no messages
    EXPECT_EQ(messages.GetSize(), 0);
    EXPECT_EQ(world.GetLogMessages().GetSize(), 0);
}
