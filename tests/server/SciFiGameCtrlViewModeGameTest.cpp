// The interactive scene through the controller on a copy of the sample game: a scene that starts
// enters mode 2, the world steps it, and its exit leaves the mode with the player's input back and
// "OnExit" called once. On the dedicated server a scene asked for ends at once, and the server
// program runs on.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/MouseState.h"
#include "game/objects/ai/InputCtrl.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "ServerProgram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// "scenes/menu.rtx": a scene of one box whose script is "menu.txt" beside it.
void WriteScene(const TempDir& dir, const std::string& script)
{
    std::filesystem::create_directories(dir.Path() / "scenes");
    dir.Write("scenes/menu.rtx", "*3DSMAX_RTXEXPORT 211\n*SCENE {\n*SCENE_SCRIPTFILE \"menu.txt\"\n}\n"
                                 "*GEOMOBJECT {\n*NODE_NAME \"Box\"\n}\n");
    dir.Write("scenes/menu.txt", script);
}

class SciFiGameCtrlViewModeGameTest : public SampleServerGame<SciFiGameCtrl> {};

}  // namespace

// The scene here is bound as a client binds it; the rest of the game is the server's.
TEST_F(SciFiGameCtrlViewModeGameTest, SceneRunsInModeTwoUntilItsExit)
{
    Start();
    GameCtrl& engine = *ctrl;
    DXC_InteractiveScene& scene = ctrl->GetWorld().GetInteractiveScene();
    scene.Initialize(g_Gfx, &g_MouseState);
    WriteScene(dir, R"(int exits; void OnExit() { exits = exits + 1; LogMessage("exit ", exits); }
void Stop() { Exit(); } CallFunction("Stop", 0.15);)");
    InputCtrl* input = engine.GetInputCtrl(0);
    ASSERT_NE(input, nullptr);
    LogCapture log;

    EXPECT_EQ(DxcErrorOf([&] { engine.SetViewMode(2, "scenes\\menu"); }), "no error");
    EXPECT_EQ(engine.GetViewMode(), 2);
    EXPECT_TRUE(input->IsDisabled(true));
    engine.UpdateWorld(0.1f);  // the scene steps; Stop is not due yet
    EXPECT_EQ(engine.GetViewMode(), 2);
    EXPECT_FLOAT_EQ(scene.GetSceneTime(), 0.1f);
    engine.UpdateWorld(0.1f);  // Stop: the scene ends in this step
    EXPECT_EQ(engine.GetViewMode(), 0);
    EXPECT_FALSE(input->IsDisabled(true));
    engine.UpdateWorld(0.1f);
    EXPECT_EQ(log.Count("exit 1"), 1);
    EXPECT_EQ(log.Count("exit 2"), 0);
    scene.Clear();
}

// The server's scene is never bound: a scene asked for ends at once with a warning, play goes on
// in mode 0 with the player's input, and nothing is shown as an error.
TEST_F(SciFiGameCtrlViewModeGameTest, SceneOnTheServerEndsAtOnce)
{
    Start();
    GameCtrl& engine = *ctrl;
    WriteScene(dir, R"(LogMessage("never");)");
    LogCapture log;
    engine.SetViewMode(2, "scenes\\menu");
    EXPECT_EQ(engine.GetViewMode(), 0);
    EXPECT_FALSE(engine.GetInputCtrl(0)->IsDisabled(true));
    EXPECT_EQ(log.Count("is not run on the dedicated server"), 1);
    EXPECT_EQ(log.Count("never"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
}

// A level script that asks for a scene on the running server: the program runs its frames on.
TEST(SciFiGameCtrlViewModeProgram, LevelScriptAsksForASceneOnTheServer)
{
    TempDir dir;
    CopySampleGame(dir);
    WriteScene(dir, R"(LogMessage("never");)");
    std::string init = dir.Read("levels/sample/oninit.txt");
    dir.Write("levels/sample/oninit.txt", init + "\nSetGameMode(2, \"scenes/menu\");\niTmp[2] = 1;\n");
    EXPECT_EQ(RunProgram(dir, "--hero --frames 30"), 0) << dir.Read("console.txt");
    const std::string log = dir.Read("serverlog.txt");
    EXPECT_NE(log.find("Interactive scene 'scenes/menu.rtx' is not run on the dedicated server"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
}
