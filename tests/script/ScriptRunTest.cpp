// Script runs: whole scripts from files, script threads that pause at a return after a re-enter
// request and resume, stopping a paused script, pooled threads and errors of threaded runs.
#include "TestScriptGame.h"
#include "ScriptTestRunner.h"

#include "base/Log.h"
#include "base/Random.h"
#include "base/ThreadContainer.h"
#include "script/ScriptReader.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string FixturePath(const char* name) { return std::string(SERVER_FIXTURES) + "/script/run/" + name; }

ScriptOutcome RunScriptFile(ScriptReader& reader, const char* name)
{
    reader.SetThreaded(false);
    EXPECT_TRUE(reader.LoadFile(FixturePath(name).c_str()));
    return ExecuteBound(reader);
}

// Loads a script for a threaded run bound to the test game.
void LoadThreaded(ScriptReader& reader, const char* text, ThreadContainer* pool = nullptr)
{
    ASSERT_TRUE(reader.LoadInline(text));
    reader.SetThreaded(true);
    reader.SetThreadPool(pool);
    TestScriptGame::Bind(reader);
}

// Captures the log lines while it lives.
class LogCapture {
public:
    LogCapture()
    {
        s_Lines.clear();
        Log::SetEchoHook([](const char* line) { s_Lines += line; });
    }
    ~LogCapture() { Log::SetEchoHook(nullptr); }
    bool Contains(const char* text) const { return s_Lines.find(text) != std::string::npos; }

private:
    static inline std::string s_Lines;
};

}  // namespace

TEST(ScriptRunTest, WholeScriptsFromFiles)
{
    const struct {
        const char* file;
        ScriptExpect expect;
    } kCases[] = {
        {"fibonacci.scr", {kScriptInt, 610, nullptr}},
        {"loops.scr", {kScriptInt, 75218, nullptr}},
        {"switch.scr", {kScriptString, 0, "ab.b.cde.de.e."}},
        {"shortcircuit.scr", {kScriptInt, 11, nullptr}},
        {"strings.scr", {kScriptString, 0, "n=42 f=2.5 -12 0.1 big=1e+20 len=18"}},
        {"recursion_limit.scr", {kExpectError, 0, "Stack overflow: more than 256 function iterations"}},
        {"linux_lines.scr", {kScriptInt, 10, nullptr}},
        {"linux_lines_error.scr", {kExpectError, 0, "linux_lines_error.scr', line: 4: Integer division by zero"}},
    };
    for (const auto& test : kCases) {
        ScriptReader reader;
        CheckOutcome(RunScriptFile(reader, test.file), test.expect, test.file);
    }
}

// After the failed 257th call the scopes are gone and a normal call works.
TEST(ScriptRunTest, CallAfterTheRecursionLimit)
{
    ScriptReader reader;
    ScriptOutcome outcome = RunScriptFile(reader, "recursion_limit.scr");
    ASSERT_NE(outcome.error.find("line: 3:"), std::string::npos) << outcome.error;  // the body of down
    EXPECT_EQ(reader.GetScopeDepth(), 0);
    ScriptValue argument, result;
    argument.SetInt(3);
    EXPECT_TRUE(reader.CallFunction("down", &argument, 1, &result));
    EXPECT_EQ(result.m_Type, kScriptInt);
    EXPECT_EQ(result.m_Integer, 3);
}

TEST(ScriptRunTest, ReenterPausesAtTheNextReturnAndResumes)
{
    for (bool pooled : {false, true}) {
        SCOPED_TRACE(pooled ? "pooled thread" : "own thread");
        ThreadContainer pool;
        pool.ReserveThreads(2);
        ScriptReader reader;
        ASSERT_TRUE(reader.LoadFile(FixturePath("reenter.scr").c_str()));
        reader.SetThreadPool(pooled ? &pool : nullptr);
        TestScriptGame::Bind(reader);

        ScriptValue value = reader.Execute();
        EXPECT_TRUE(reader.IsSuspended());
        EXPECT_FALSE(reader.IsDone());
        EXPECT_EQ(value.m_Type, kScriptInt);
        EXPECT_EQ(value.m_Integer, 1);

        value = reader.Execute();  // variables are intact across the pause
        EXPECT_TRUE(reader.IsSuspended());
        EXPECT_EQ(value.m_Integer, 20);

        value = reader.Execute();  // no re-enter request: this return ends the run
        EXPECT_FALSE(reader.IsSuspended());
        EXPECT_TRUE(reader.IsDone());
        EXPECT_EQ(value.m_Integer, 300);
        EXPECT_EQ(pool.GetNumThreads(), 2);
    }
}

TEST(ScriptRunTest, ThreadedRunsWithoutPause)
{
    const struct {
        const char* source;
        ScriptExpect expect;
    } kCases[] = {
        {"int a = 2; a *= 3;", {kScriptVoid, 0, nullptr}},
        {"return 5;", {kScriptInt, 5, nullptr}},
        {"int f() { return 4; } exit f() + 1;", {kScriptInt, 5, nullptr}},
        {"int down(int n) { if (n == 0) { return 0; } return down(n - 1) + 1; } return down(255);",
         {kScriptInt, 255, nullptr}},
    };
    for (const auto& test : kCases) {
        ScriptReader reader;
        LoadThreaded(reader, test.source);
        ScriptOutcome outcome;
        outcome.value = reader.Execute();
        EXPECT_TRUE(reader.IsDone());
        EXPECT_FALSE(reader.HasError());
        CheckOutcome(outcome, test.expect, test.source);
    }
}

// A stop resumes the paused thread, which ends at once without running the rest of the script.
TEST(ScriptRunTest, StoppingAPausedScriptEndsIt)
{
    for (bool pooled : {false, true}) {
        SCOPED_TRACE(pooled ? "pooled thread" : "own thread");
        ThreadContainer pool;
        ScriptReader reader;
        LoadThreaded(reader, "void f() { reenter(); return; count(); } f(); count(); return 1;",
                     pooled ? &pool : nullptr);
        reader.Execute();
        ASSERT_TRUE(reader.IsSuspended());

        LogCapture log;
        reader.StopThread();
        EXPECT_TRUE(reader.IsDone());
        EXPECT_FALSE(reader.HasError());
        EXPECT_EQ(TestScriptGame::GetCallCount(), 0);
        EXPECT_FALSE(log.Contains("Error:"));
        EXPECT_FALSE(log.Contains("Safe termination failed"));

        // clearing a paused reader does the same
        LoadThreaded(reader, "reenter(); return 1; count();", pooled ? &pool : nullptr);
        reader.Execute();
        ASSERT_TRUE(reader.IsSuspended());
        reader.Clear();
        EXPECT_EQ(TestScriptGame::GetCallCount(), 0);
        if (pooled) {
            pool.FinishAllThreads();
            EXPECT_EQ(pool.GetNumThreads(), 0);
        }
    }
}

// A return pauses on the script thread also where its value is read from a plan (the second
// call of f), and the run goes on after it once resumed.
TEST(ScriptRunTest, PlannedReturnsPauseToo)
{
    ScriptReader reader;
    LoadThreaded(reader, "int i; void f(int a) { reenter(); { return a + 1; } } for (i = 0; i < 2; i++) f(i); return 7;");
    for (int32_t paused : {1, 2}) {
        EXPECT_EQ(reader.Execute().m_Integer, paused);
        ASSERT_TRUE(reader.IsSuspended());
    }
    EXPECT_EQ(reader.Execute().m_Integer, 7);
    EXPECT_TRUE(reader.IsDone());
    EXPECT_FALSE(reader.HasError());
}

// Reset keeps the text; the next Execute ends the paused run and starts again from the top.
TEST(ScriptRunTest, ResetOfAPausedScriptStartsAFreshRun)
{
    ScriptReader reader;
    LoadThreaded(reader, "int f(int a) { reenter(); return a; } int n = f(4); return n + count();");
    EXPECT_EQ(reader.Execute().m_Integer, 4);
    ASSERT_TRUE(reader.IsSuspended());
    reader.Reset();
    EXPECT_EQ(reader.Execute().m_Integer, 4);  // paused again in the new run
    ASSERT_TRUE(reader.IsSuspended());
    reader.StopThread();
    EXPECT_EQ(TestScriptGame::GetCallCount(), 0);
}

TEST(ScriptRunTest, TwoScriptsOnPooledThreadsInTurn)
{
    ThreadContainer pool;
    pool.ReserveThreads(2);
    ScriptReader first, second;
    LoadThreaded(first, "int n = 1; reenter(); return n; n += 10; return n;", &pool);
    LoadThreaded(second, "int n = 2; reenter(); return n; n += 20; return n;", &pool);
    TestScriptGame::SetCurrentReader(first);
    EXPECT_EQ(first.Execute().m_Integer, 1);
    TestScriptGame::SetCurrentReader(second);
    EXPECT_EQ(second.Execute().m_Integer, 2);
    EXPECT_TRUE(first.IsSuspended());
    EXPECT_TRUE(second.IsSuspended());

    TestScriptGame::SetCurrentReader(first);
    EXPECT_EQ(first.Execute().m_Integer, 11);
    TestScriptGame::SetCurrentReader(second);
    EXPECT_EQ(second.Execute().m_Integer, 22);
    EXPECT_TRUE(first.IsDone());
    EXPECT_TRUE(second.IsDone());
    EXPECT_EQ(pool.GetNumThreads(), 2);  // both ran on the reserved threads
}

// An error on a script thread ends the run and is shown when the game thread collects it; the
// next run starts clean.
TEST(ScriptRunTest, ErrorsOfThreadedRunsAreShown)
{
    ScriptReader reader;
    LoadThreaded(reader, "int a = 1 / 0;");
    {
        LogCapture log;
        reader.Execute();
        EXPECT_TRUE(log.Contains("Script Error: file:'*inline*', line: 1: Integer division by zero"));
    }
    EXPECT_TRUE(reader.IsDone());
    EXPECT_TRUE(reader.HasError());
    EXPECT_STREQ(reader.GetLastError().className, "ScriptReader");

    LoadThreaded(reader, "return 3;");
    EXPECT_EQ(reader.Execute().m_Integer, 3);
    EXPECT_FALSE(reader.HasError());

    // an exception of another kind from the game is caught on the script thread too
    struct Thrower {
        static ScriptValue* Call(ScriptValue*, const char*, ScriptValue*, int32_t) { throw 42; }
    };
    LoadThreaded(reader, "boom();");
    ScriptGameCallbacks callbacks = reader.GetGameCallbacks();
    callbacks.callFunction = Thrower::Call;
    reader.SetGameCallbacks(callbacks);
    {
        LogCapture log;
        reader.Execute();
        EXPECT_TRUE(log.Contains("Script Error: Unknown error type caught"));
    }
}

TEST(ScriptRunTest, RunsNeedTheCallbacks)
{
    ScriptReader reader;
    reader.SetThreaded(false);
    ASSERT_TRUE(reader.LoadInline("return 1;"));
    try {
        reader.Execute();
        FAIL() << "no error";
    } catch (const ErrorMsg& error) {
        EXPECT_NE(std::string(error.message).find("Callback functions not set"), std::string::npos);
    }
}

// The game calls functions by name on its own thread: a return there never pauses.
TEST(ScriptRunTest, ReturnPausesOnlyOnTheScriptThread)
{
    ScriptReader reader;
    LoadThreaded(reader, "int f() { reenter(); return 7; }");
    reader.Execute();
    ASSERT_TRUE(reader.IsDone());
    ScriptValue result;
    EXPECT_TRUE(reader.CallFunction("f", nullptr, 0, &result));
    EXPECT_EQ(result.m_Integer, 7);
    EXPECT_FALSE(reader.IsSuspended());
}

// The game may free a reader as soon as Execute returns: by then the pooled thread that ran it
// must be done with it (under the address sanitizer a late touch shows as a use after free).
TEST(ScriptRunTest, ReaderFreedRightAfterAPooledRun)
{
    ThreadContainer pool;
    pool.ReserveThreads(1);
    for (int32_t i = 0; i < 200; i++) {
        auto reader = std::make_unique<ScriptReader>();
        LoadThreaded(*reader, i % 2 ? "return 2;" : "int a = 1 / 0;", &pool);
        reader->Execute();
        reader.reset();
    }
}

// A game function on one script's thread may call a function of another script that is paused:
// that call runs on the calling thread, with that thread's own stack and its own end on a stop.
TEST(ScriptRunTest, CallIntoAPausedScriptFromAnotherScriptThread)
{
    static ScriptReader* s_Paused = nullptr;
    struct Game {
        static ScriptValue* Call(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count)
        {
            if (std::string(name) == "other") {
                if (!s_Paused->CallFunction("twice", arguments, count, result))
                    result->SetInt(-1);
                return result;
            }
            return TestScriptGame::CallBuiltin(result, name, arguments, count);
        }
    };
    ScriptReader paused, caller;
    LoadThreaded(paused, "int twice(int n) { return (((n))) * 2; } reenter(); return 1; return 2;");
    ASSERT_EQ(paused.Execute().m_Integer, 1);
    ASSERT_TRUE(paused.IsSuspended());
    s_Paused = &paused;

    LoadThreaded(caller, "return other(21);");
    ScriptGameCallbacks callbacks = caller.GetGameCallbacks();
    callbacks.callFunction = Game::Call;
    caller.SetGameCallbacks(callbacks);
    LogCapture log;
    EXPECT_EQ(caller.Execute().m_Integer, 42);
    EXPECT_FALSE(caller.HasError()) << caller.GetLastError().message;

    TestScriptGame::SetCurrentReader(paused);
    EXPECT_EQ(paused.Execute().m_Integer, 2);  // the paused script goes on where it stopped
}
