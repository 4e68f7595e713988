// WorldCtrl scripts: the entry of every script text with its flags, file modules kept and reused,
// inline scripts posted with their delay and limit, re-entry with its refusals in order, a
// paused script resumed after its return with its variables, the faults of a missing return and
// of a second request, and the state restored after a failing script.
#include "world/WorldCtrl.h"

#include "world/WorldScriptTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WorldCtrlScriptsTest : public ::testing::Test, public WorldScriptFixture {
protected:
    bool Shown(const std::string& text)
    {
        for (const std::string& line : ctrl.shownErrors)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};

}  // namespace

// "@" makes a script run on the game's behalf (flags 1); flags 0 keep the text as it is; flag 2
// forwards it; empty texts run nothing; every module goes when its run is over.
TEST_F(WorldCtrlScriptsTest, ScriptEntryAndItsFlags)
{
    RunText("");
    RunText(" ");
    EXPECT_TRUE(ctrl.runFlagsAsked.empty());

    RunText("@Record(Flags());");
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});
    RunText("Record(Flags());");
    EXPECT_EQ(Records().back(), "0");

    RunText("@Record(Flags());", 0);  // the text runs as it is, with flags 0
    EXPECT_EQ(Records().back(), "0");
    EXPECT_EQ(ctrl.runFlagsAsked.back(), 0);

    RunText("Record('x');", 2);  // apostrophes of a snippet are its quotes
    EXPECT_EQ(Records().back(), "x");
    EXPECT_EQ(ctrl.forwardedScripts, std::vector<std::string>{"Record('x');"});

    ctrl.mayRunScripts = false;
    RunText("Record(9);");
    EXPECT_EQ(Records().size(), 4u);
    EXPECT_EQ(world.GetNumScriptModules(), 0);
    EXPECT_EQ(world.GetScriptStackDepth(), 0);
}

// A script file stays loaded after its run and is reset and run again the next time; an element
// run with the current-object flag is object variable 0 for the run only.
TEST_F(WorldCtrlScriptsTest, ScriptFilesAreKeptAndReused)
{
    TempDir dir;
    dir.Write("count.c", "int n = 1; Record(n, GetObj(0)); return n;");
    const std::string file = dir / "count.c";
    TestElem elem;
    elem.m_ObjID = 7;
    ctrl.objScriptVariables[0] = 42;

    world.RunScript(String(file.c_str()), &elem, 1, 1, "file", 1, 255);
    EXPECT_EQ(world.GetNumScriptModules(), 1);
    EXPECT_EQ(world.GetScriptResult().m_Integer, 1);
    EXPECT_EQ(ctrl.consoleUsed, 1);  // a plain file may have been edited
    world.RunScript(String(file.c_str()), nullptr, 1, 1, "file", 1, 255);
    EXPECT_EQ(world.GetNumScriptModules(), 1);
    EXPECT_EQ(Records(), (std::vector<std::string>{"1,7", "1,-1"}));
    EXPECT_EQ(ctrl.objScriptVariables[0], 42);

    ctrl.debugMode = 1;  // debug mode reads the file again each time
    RunText(file.c_str());
    EXPECT_EQ(world.GetNumScriptModules(), 0);

    RunText((dir / "missing.c").c_str());  // a file that does not load leaves no module behind
    EXPECT_EQ(world.GetNumScriptModules(), 0);
}

TEST_F(WorldCtrlScriptsTest, InlineScriptsAreEventsWithADelay)
{
    std::string text = "Record(1);";
    text.resize(254, ' ');
    world.RunInlineScript(text.c_str(), nullptr, 0.0f, 0, "label", 255);
    text += ' ';
    EXPECT_EQ(ErrorOf([&] { world.RunInlineScript(text.c_str(), nullptr, 0.0f, 0, "label", 255); }),
              "Inline scripts may not be longer than 256");
    world.RunInlineScript("", nullptr, 0.0f, 0, "label", 255);
    world.RunInlineScript(nullptr, nullptr, 0.0f, 0, "label", 255);
    ASSERT_EQ(world.GetEventQueue(0).GetSize(), 1);
    EXPECT_EQ(world.GetEventQueue(0).GetBySlot(0)->time, 0.0);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});

    ctrl.gameTime = 10.0;
    world.RunInlineScript("Record(2);", nullptr, 2.5f, 0, "label", 255);
    EXPECT_EQ(world.GetEventQueue(0).GetBySlot(0)->time, 12.5);
    ctrl.gameTime = 12.4;
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().size(), 1u);
    ctrl.gameTime = 12.5;
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().back(), "2");
}

// The refusals, in their order: interactive scene, global script function, no running script,
// sub-script, bad mode. Mode 0 only asks.
TEST_F(WorldCtrlScriptsTest, ReenterRefusals)
{
    TempDir dir;
    dir.Write("global.c", "int w() { Check(0); return 1; }");
    RunText((dir / "global.c").c_str());

    const struct {
        const char* script;
        const char* error;
    } kCases[] = {
        {"Record(Call('w'));", "Can not call reenter functions from global script functions. Use '#include' instead !"},
        {"\n\nRun('Check(1);');", "Can not call reenter functions from sub-scripts, parent script: 'outer', line:3"},
        {"Check(2);", "Invalid script reenter mode"},
    };
    for (const auto& c : kCases) {
        ctrl.shownErrors.clear();
        RunText(c.script, 255, "outer");
        EXPECT_TRUE(Shown(c.error)) << c.script;
        EXPECT_EQ(world.GetScriptStackDepth(), 0);
    }
    EXPECT_TRUE(Records().empty());

    RunText("Check(0); Record(1);");
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});
    EXPECT_EQ(ErrorOf([&] { world.CheckReenterAllowed(1); }), "CurScript invalid !");
    world.m_InteractiveRunning = 1;
    EXPECT_EQ(ErrorOf([&] { world.CheckReenterAllowed(0); }), "Can not call reenter functions from interactive scenes !");
    world.m_InteractiveRunning = 0;
}

// A re-entry pauses the script at its return; the reenter event resumes it right after that
// return, with the object variables of the moment it paused.
TEST_F(WorldCtrlScriptsTest, ReenterPausesUntilItsEvent)
{
    RunText("SetObj(5, 7); Reenter(); Record(0); return 3; Record(GetObj(5)); return 4;");
    EXPECT_EQ(Records(), std::vector<std::string>{"0"});
    EXPECT_EQ(world.GetScriptResult().m_Integer, 3);
    EXPECT_EQ(world.GetNumScriptModules(), 1);  // suspended, waiting for its event
    EXPECT_EQ(world.GetScriptStackDepth(), 0);
    EXPECT_FALSE(world.IsAnyScriptActive());
    ctrl.objScriptVariables[5] = 0;

    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), (std::vector<std::string>{"0", "7"}));
    EXPECT_EQ(world.GetScriptResult().m_Integer, 4);
    EXPECT_EQ(world.GetNumScriptModules(), 0);
    EXPECT_TRUE(ctrl.scriptErrors.empty());
    EXPECT_EQ(QueuedEvents(), 0);
}

// A second request before the return is reported and drops the newest reenter event; a script
// that ends without returning from its request is reported and its event dropped.
TEST_F(WorldCtrlScriptsTest, ReenterFaults)
{
    RunText("Reenter(); Reenter(); return; Record(1);");
    EXPECT_EQ(ctrl.scriptErrors,
              std::vector<std::string>{"Multiple call of re-enter function. Possibly missing 'return'."});
    EXPECT_EQ(QueuedEvents(), 1);  // the first request's event is gone, the second's waits
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});

    ctrl.scriptErrors.clear();
    RunText("Reenter(); Record(2);");
    EXPECT_EQ(ctrl.scriptErrors, std::vector<std::string>{"Reenter function without 'return'"});
    EXPECT_EQ(QueuedEvents(), 0);
    EXPECT_EQ(world.GetNumScriptModules(), 0);

    // a script error after the request drops the pause: the script ends
    RunText("Reenter(); Fail(); return;");
    EXPECT_EQ(world.GetNumScriptModules(), 0);
    EXPECT_EQ(ErrorOf([&] { world.ReenterScript(5); }), "Tried to reenter invalid script: 5");
}

// A strategy deed's score: its script's result through its curve; a score script may not pause.
TEST_F(WorldCtrlScriptsTest, StrategyScores)
{
    strategy.name = "attack";
    EXPECT_EQ(world.EvaluateStrategyScore(deed, nullptr, nullptr), 0.0f);
    deed.scoreScript = "return GetObj(0) + 2.5;";
    ctrl.objScriptVariables[0] = 5;
    EXPECT_EQ(world.EvaluateStrategyScore(deed, nullptr, nullptr), 1.5f);  // variable 0 is the creature: none
    deed.scoreScriptTransf.SetNumKeys(2);
    deed.scoreScriptTransf.GetKey(1).time = 10.0f;
    deed.scoreScriptTransf.GetKey(1).value = 100.0f;
    EXPECT_FLOAT_EQ(world.EvaluateStrategyScore(deed, nullptr, nullptr), 15.0f);

    deed.scoreScript = "Check(1); return 5;";
    deed.scoreModule.reset();
    RunText("Record(Score());");
    EXPECT_TRUE(Shown("No reenter function allowed in score script function"));
    EXPECT_TRUE(Records().empty());
}

// After a script fails in the middle of a call, everything the call changed is back.
TEST_F(WorldCtrlScriptsTest, StateRestoredAfterAFailingScript)
{
    TempDir dir;
    dir.Write("lib.c", "int h() { Fail(); return 1; }");
    RunText((dir / "lib.c").c_str());
    ScriptReaderGameEngine* lib = world.GetScriptModule(0);
    ASSERT_NE(lib, nullptr);
    const uint8_t flags = lib->GetRunFlags();
    EXPECT_NE(ErrorOf([&] { world.CallScriptFunction("h", nullptr, 0, nullptr); }).find("boom"), std::string::npos);
    EXPECT_EQ(world.GetScriptCallDepth(), 0);
    EXPECT_EQ(GetCurrentScriptModule(), nullptr);
    EXPECT_EQ(lib->GetRunFlags(), flags);
    RunText("Check(0); Record(1);");  // no global function is counted as running any more
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});

    ctrl.throwOnShowError = true;  // the report of the failing script throws out of the run
    ctrl.objScriptVariables[0] = 9;
    TestElem elem;
    EXPECT_NE(ErrorOf([&] { world.RunScript(String("Fail();"), &elem, 1, 1, "x", 1, 255); }).find("boom"),
              std::string::npos);
    EXPECT_EQ(world.GetScriptStackDepth(), 0);
    EXPECT_EQ(GetCurrentScriptModule(), nullptr);
    EXPECT_EQ(ctrl.objScriptVariables[0], 9);
}

// Called across modules: the first module with the function runs it, as the running module with
// the caller's run flags added, and gets its own flags back.
TEST_F(WorldCtrlScriptsTest, ScriptFunctionsOfOtherModules)
{
    TempDir dir;
    dir.Write("a.c", "int f() { Record(\"a\"); return 1; } int g() { return Flags(); }");
    dir.Write("b.c", "int f() { Record(\"b\"); return 2; } int k(int x) { return x * 2; }");
    ScriptValue result;
    EXPECT_FALSE(world.CallScriptFunction("f", nullptr, 0, &result));
    RunText((dir / "a.c").c_str());
    RunText((dir / "b.c").c_str());
    ASSERT_EQ(world.GetNumScriptModules(), 2);

    RunText("Record(Call('f'), Call('k', 21), Call('none'));");
    EXPECT_EQ(Records(), (std::vector<std::string>{"a", "1,42,-1"}));

    RunText("@Record(Call('g'));");  // called from a module with flags 1
    EXPECT_EQ(Records().back(), "1");
    EXPECT_EQ(world.GetScriptModule(0)->GetRunFlags(), 0);
    world.RunScriptText(String("Record(Call('g'));"), nullptr, 1, 0, "x", 1, 255);  // a caller without flags
    EXPECT_EQ(Records().back(), "0");
    EXPECT_EQ(world.GetScriptCallDepth(), 0);
}

// The interactive scene never starts on the server: a request ends at once as a scene that was
// left, with one warning and no error, and a script waiting for it goes on at the next event pass.
TEST_F(WorldCtrlScriptsTest, InteractiveSceneOnTheServer)
{
    LogCapture log;
    bool started = true;
    EXPECT_EQ(ErrorOf([&] { started = world.LoadInteractiveScene("menu.3sc", false); }), "no error");
    EXPECT_FALSE(started);
    EXPECT_FALSE(world.GetInteractiveScene().IsEnabled());
    EXPECT_FALSE(world.IsInInteractiveScene());
    EXPECT_EQ(log.Count("Interactive scene 'menu.3sc' is not run on the dedicated server"), 1);

    RunText("Scene('menu2.3sc'); return; Record(1);");
    EXPECT_EQ(log.Count("Interactive scene 'menu2.3sc' is not run on the dedicated server"), 1);
    EXPECT_TRUE(ctrl.shownErrors.empty());
    EXPECT_EQ(world.GetWaitingScript(), -1);
    EXPECT_TRUE(Records().empty());
    world.ProcessWorldEvents();  // the waiting script resumes as after the scene's end
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});
    EXPECT_EQ(world.GetNumScriptModules(), 0);
    Records().clear();

    world.m_WaitingScript = 3;
    RunText("Scene('menu.3sc');");
    EXPECT_TRUE(Shown("Can not load interactive scene from another interactive scene as reenter function"));

    // leaving the scene resumes the script that waits for it
    RunText("Check(1); return; Record(2);");
    world.m_WaitingScript = 0;
    world.ExitInteractiveScene();
    EXPECT_EQ(world.GetWaitingScript(), -1);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), std::vector<std::string>{"2"});
}
