// ScriptFamilyGameFlowHtoZ and ScriptFamilyMediaHtoZ: the log text and its digits, the level
// change and wait events with their payloads, game variables, the network answers, the frame
// pacing, the random seed, nested RunScript, and the sound, music and file calls of a server.
#include "ScriptFuncsTestSupport.h"

#include "base/Random.h"
#include "game/ctrl/StateManager.h"
#include "world/WorldEventPayloads.h"

namespace {

// Copies of the queued events of a type, oldest first.
std::vector<const WorldEvent*> EventsOf(WorldCtrl& world, uint16_t type)
{
    std::vector<const WorldEvent*> events;
    for (int32_t q = 0; q < 2; q++) {
        DynaMem<WorldEvent, 4096, 1>& queue = world.GetEventQueue(q);
        for (int32_t i = 0; i < queue.GetCapacity(); i++)
            if (const WorldEvent* event = queue.GetBySlot(i); event && event->type == type)
                events.push_back(event);
    }
    return events;
}

}  // namespace

TEST_F(ScriptFuncsTest, LogToFileWritesItsDigits)
{
    LogCapture log;
    Run("LogToFile(1, 2.5, \"x\");");
    EXPECT_EQ(log.Count("Script:12.50x"), 1);
    Run("SetNumberOfDigits(3); LogToFile(1, 2.5, \"x\");");
    EXPECT_EQ(log.Count("Script:12.500x"), 1);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].name, "SetNumberOfDigits");

    ClearRecords();
    Run("SetNumberOfDigits(-1); SetNumberOfDigits(31); SetNumberOfDigits(1, 2); LogToFile();");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetNumberOfDigits"), 3);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function LogToFile"), 1);
    EXPECT_EQ(g_NumberOfDigits, 3);
    EXPECT_TRUE(ctrl->forwarded.empty());
}

TEST_F(ScriptFuncsTest, LoadLevelPostsTheLevelChangeUnlessANetworkGameRuns)
{
    const struct {
        const char* call;
        const char* startName;
        int32_t startNumber;
    } cases[] = {
        {"LoadLevel(\"levels\\\\L2.cfg\", 3)", "", 3},
        {"LoadLevel(\"levels\\\\L2.cfg\", \"gate\")", "gate", -1},
        {"LoadLevel(\"levels\\\\L2.cfg\")", "", 0},
    };
    WorldCtrl& world = ctrl->GetWorld();
    size_t posted = EventsOf(world, WorldEventType::kLevelChange).size();
    for (const auto& test : cases) {
        const ScriptValue result = Eval(test.call);
        EXPECT_EQ(result.m_Type, kScriptInt);
        EXPECT_EQ(result.m_Integer, 1);
        const auto events = EventsOf(world, WorldEventType::kLevelChange);
        ASSERT_EQ(events.size(), ++posted) << test.call;
        LevelChangeRecord change;
        ASSERT_TRUE(change.Read(*events.back()));
        EXPECT_STREQ(change.levelName, "levels\\L2.cfg");
        EXPECT_STREQ(change.startName, test.startName) << test.call;
        EXPECT_EQ(change.startNumber, test.startNumber) << test.call;
    }

    ctrl->networkGame = true;
    const ScriptValue refused = Eval("LoadLevel(\"levels\\\\L2.cfg\", 3)");
    EXPECT_EQ(refused.m_Type, kScriptInt);
    EXPECT_EQ(refused.m_Integer, 0);
    EXPECT_EQ(EventsOf(world, WorldEventType::kLevelChange).size(), posted);
    EXPECT_EQ(Eval("IsNetworkGameRunning()").m_Integer, 1);
    EXPECT_EQ(Eval("IsNetworkGameServer()").m_Integer, 0);
    EXPECT_TRUE(ctrl->errors.empty());
}

// The script is suspended and its resume event is due two seconds of game time later.
TEST_F(ScriptFuncsTest, WaitResumesTheScriptWhenItsTimeHasCome)
{
    ctrl->SetGameTime(10.0);
    Run("iTmp[3] = 1; Wait(2); return; iTmp[3] = 2;");
    EXPECT_EQ(*ctrl->GetScriptTempInt(3), 1);
    const auto waits = EventsOf(ctrl->GetWorld(), WorldEventType::kReenter);
    ASSERT_EQ(waits.size(), 1u);
    EXPECT_DOUBLE_EQ(waits[0]->time, 12.0);

    ctrl->SetGameTime(11.5);
    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_EQ(*ctrl->GetScriptTempInt(3), 1);
    ctrl->SetGameTime(12.0);
    ctrl->GetWorld().ProcessWorldEvents();
    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_EQ(*ctrl->GetScriptTempInt(3), 2);
    EXPECT_TRUE(ctrl->errors.empty());
}

TEST_F(ScriptFuncsTest, GameAndLevelVariables)
{
    Run("NewGameVariable(\"int\", \"x\", 5); NewLevelVariable(\"String\", \"s\", \"hi\");");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_EQ(Eval("IsValidGameVariable(\"x\")").m_Integer, 1);
    EXPECT_EQ(Eval("IsValidLevelVariable(\"x\")").m_Integer, 0);
    EXPECT_EQ(Eval("IsValidLevelVariable(\"s\")").m_Integer, 1);
    EXPECT_EQ(Eval("x").m_Integer, 5);
    EXPECT_STREQ(Eval("s").m_Text.c_str(), "hi");
    ASSERT_EQ(ctrl->forwarded.size(), 2u);
    EXPECT_EQ(ctrl->forwarded[0].count, 3);

    ClearRecords();
    Run("NewGameVariable(\"int\", \"x\", 6);");
    EXPECT_EQ(ErrorsWith("Game variable 'x' exists already"), 1);
    EXPECT_EQ(Eval("x").m_Integer, 5);

    ClearRecords();
    Run("NewGameVariable(\"bool\", \"y\");");  // reported, and still sent
    EXPECT_EQ(ErrorsWith("Invalid variable type in function NewGameVariable"), 1);
    EXPECT_EQ(Eval("IsValidGameVariable(\"y\")").m_Integer, 0);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].name, "NewGameVariable");

    ClearRecords();
    Run("NewGameVariable(\"int\"); IsValidGameVariable(1);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function"), 2);
}

// SetMaxFPS and SetMinFPS reach the state manager's pacing; 0 and below would stall it.
TEST_F(ScriptFuncsTest, FramePacingSpeedAndPause)
{
    StateManager stateManager;
    ctrl->SetStateManager(&stateManager);
    Run("SetMaxFPS(30); SetMinFPS(10.5); SetGameSpeed(2); SetPause(1); SetShowFPS(1);");
    EXPECT_DOUBLE_EQ(stateManager.GetMaxFPS(), 30.0);
    EXPECT_DOUBLE_EQ(stateManager.GetMinFPS(), 10.5);
    EXPECT_FLOAT_EQ(ctrl->GetGameSpeed(), 2.0f);
    EXPECT_EQ(ctrl->GetPauseFlag(), 1);
    EXPECT_EQ(ctrl->GetShowFPS(), 1);
    Run("SetMaxFPS(0); SetMinFPS(-5);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetMaxFPS"), 1);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetMinFPS"), 1);
    EXPECT_DOUBLE_EQ(stateManager.GetMaxFPS(), 30.0);
    EXPECT_DOUBLE_EQ(stateManager.GetMinFPS(), 10.5);
    ctrl->SetStateManager(nullptr);
}

TEST_F(ScriptFuncsTest, RandomSeedDebugModeAndConsoleUse)
{
    Run("SetRandomSeed(0);");
    const uint32_t first[] = {Random::Next(), Random::Next(), Random::Next()};
    Random::Seed(0);
    for (uint32_t value : first)
        EXPECT_EQ(Random::Next(), value);

    Run("SetDebugMode(4);");
    EXPECT_EQ(Eval("IsDebugMode()").m_Integer, 4);
    Run("SetDebugMode(0);");

    const int32_t before = ctrl->GetDebugUseCount();
    EXPECT_EQ(Eval("WasConsoleUsed()").m_Integer, ctrl->GetConsoleUsed());
    EXPECT_EQ(ctrl->GetDebugUseCount(), before);  // asking does not count
}

// A script that runs itself ends at a fixed depth with a report instead of exhausting the stack.
TEST_F(ScriptFuncsTest, RunScriptThroughItselfStopsAtItsDepth)
{
    *ctrl->GetObjScriptText(0) = "iTmp[5] = iTmp[5] + 1; RunScript(sTmp[0]);";
    Run("iTmp[5] = 0; RunScript(sTmp[0]);");
    EXPECT_EQ(*ctrl->GetScriptTempInt(5), 32);
    EXPECT_EQ(ErrorsWith("RunScript nested deeper than 32"), 1);
}

// An Int sound plays nothing here and still goes to the clients; speech and music answer
// without a sound device.
TEST_F(ScriptFuncsTest, SoundsAndMusicWithoutASoundDevice)
{
    WorldCtrl& world = ctrl->GetWorld();
    const size_t sounds = EventsOf(world, WorldEventType::kSound).size();
    Run("PlaySound(7); PlaySound(7, 1.0, 2.0);");
    EXPECT_EQ(EventsOf(world, WorldEventType::kSound).size(), sounds);
    ASSERT_EQ(ctrl->forwarded.size(), 2u);
    EXPECT_EQ(ctrl->forwarded[1].count, 3);
    EXPECT_EQ(ctrl->forwarded[1].checkSubject, 0);
    EXPECT_EQ(ctrl->forwarded[1].flag, 0);

    ClearRecords();
    Run("PlaySound(\"door\", 10.0, 20.0); PlaySound(1.5);");
    const auto played = EventsOf(world, WorldEventType::kSound);
    ASSERT_EQ(played.size(), sounds + 1);
    SoundEventRecord sound;
    ASSERT_TRUE(sound.Read(*played.back()));
    EXPECT_STREQ(sound.name, "door");
    EXPECT_EQ(sound.positional, 1);
    EXPECT_FLOAT_EQ(sound.y, 20.0f);
    EXPECT_EQ(ErrorsWith("First argument must be 'String' or 'Int' in function 'PlaySound'"), 1);

    ClearRecords();
    Run("PlayAmbientMusic(\"wind\", 2.5); Speak(3); Speak(\"hello\", \"x\"); PreloadSound(); PlaySpecialMusic(\"s\");");
    const auto music = EventsOf(world, WorldEventType::kMusic);
    ASSERT_FALSE(music.empty());
    MusicEventRecord record;
    ASSERT_TRUE(record.Read(*music.back()));
    EXPECT_STREQ(record.name, "wind");
    EXPECT_EQ(record.mode, 1);
    EXPECT_FLOAT_EQ(record.fade, 2.5f);
    EXPECT_EQ(ErrorsWith("First argument must be 'String' in function 'Speak'"), 1);
    EXPECT_EQ(ErrorsWith("Second argument must be numerical in function 'Speak'"), 1);
    EXPECT_EQ(ErrorsWith("Invalid argument in in function PreloadSound"), 1);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);  // the music only
}

// Names from scripts stay inside the game folder; a folder is not a file to read.
TEST_F(ScriptFuncsTest, PreloadFileAndScreenShotStayInTheGameFolder)
{
    LogCapture log;
    Run("PreloadFile(\"cfg\\\\game.cfg\");");
    EXPECT_EQ(log.Count("Can not preload file"), 0);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    for (const char* name : {"..\\\\outside.txt", "/etc/hostname", "cfg", "cfg\\\\missing.cfg"}) {
        Run(std::string("PreloadFile(\"") + name + "\");");
    }
    EXPECT_EQ(log.Count("script: Can not preload file: "), 4);
    Run("PreloadFile(3);");
    EXPECT_EQ(ErrorsWith("Invalid argument in in function PreloadFile"), 1);

    ClearRecords();
    Run("ScreenShot(\"../shot.bmp\");");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function ScreenShot"), 1);
}
