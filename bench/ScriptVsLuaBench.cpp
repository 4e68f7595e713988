// ScriptVsLuaBench: the script language against Lua 5.4 on the same workloads, timed in turn
// within each iteration, so that the ratio column compares the two on one machine in one run:
// recursive fib(25), an integer loop over 1..1,000,000, a small function called 100,000 times
// by the host (as the game calls event functions), 10,000 string appends and a small function
// called 100,000 times from a loop of the script.
#include "BenchSideBySide.h"

#include "script/ScriptGameCallbacks.h"
#include "script/ScriptReader.h"

#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <cstdlib>

namespace {

// These scripts never reach the game; a reader still runs only with callbacks installed.
ScriptValue* NoVariable(ScriptValue* result, const char*, int32_t) { return result; }
ScriptValue* NoFunction(ScriptValue* result, const char*, ScriptValue*, int32_t) { return result; }
void NoAssignment(const char*, int32_t, ScriptValue*) {}

const char* kScript =
    "int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\r\n"
    "int loop(int n) { int s = 0; int i; for (i = 1; i <= n; i++) s = s + i % 3; return s; }\r\n"
    "int twice(int n) { return n * 2; }\r\n"
    "int append(int n) { string s = \"\"; int i; for (i = 0; i < n; i++) s += \"x\"; return strlen(s); }\r\n"
    "int calls(int n) { int s = 0; int i; for (i = 0; i < n; i++) s = s + twice(i % 1000); return s; }\r\n";

const char* kLua =
    "function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end\n"
    "function loop(n) local s = 0 for i = 1, n do s = s + i % 3 end return s end\n"
    "function twice(n) return n * 2 end\n"
    "function append(n) local s = '' for i = 1, n do s = s .. 'x' end return #s end\n"
    "function calls(n) local s = 0 for i = 0, n - 1 do s = s + twice(i % 1000) end return s end\n";

struct Workload {
    const char* function;
    int32_t argument;
    int32_t calls;  // host calls per round
};

const Workload kWorkloads[] = {
    {"fib", 25, 1},
    {"loop", 1000000, 1},
    {"twice", 21, 100000},
    {"append", 10000, 1},
    {"calls", 100000, 1},
};

class ScriptSide {
public:
    ScriptSide()
    {
        m_Reader.SetThreaded(false);
        m_Reader.SetGameCallbacks(ScriptGameCallbacks{NoVariable, NoFunction, NoAssignment});
        m_Reader.LoadInline(kScript);
        m_Reader.Execute();
    }
    int64_t Round(const Workload& work)
    {
        int64_t sum = 0;
        for (int32_t i = 0; i < work.calls; i++) {
            ScriptValue argument, result;
            argument.SetInt(work.argument);
            if (!m_Reader.CallFunction(work.function, &argument, 1, &result))
                std::abort();
            sum += result.m_Integer;
        }
        return sum;
    }

private:
    ScriptReader m_Reader;
};

class LuaSide {
public:
    LuaSide() : m_State(luaL_newstate())
    {
        luaL_openlibs(m_State);
        if (luaL_dostring(m_State, kLua) != LUA_OK)
            std::abort();
    }
    ~LuaSide() { lua_close(m_State); }
    LuaSide(const LuaSide&) = delete;
    LuaSide& operator=(const LuaSide&) = delete;
    int64_t Round(const Workload& work)
    {
        int64_t sum = 0;
        for (int32_t i = 0; i < work.calls; i++) {
            lua_getglobal(m_State, work.function);
            lua_pushinteger(m_State, work.argument);
            lua_call(m_State, 1, 1);
            sum += lua_tointeger(m_State, -1);
            lua_pop(m_State, 1);
        }
        return sum;
    }

private:
    lua_State* m_State;
};

template <class Side> double Seconds(Side& side, const Workload& work, int64_t& answer)
{
    const double start = Bench::ThreadSeconds();
    answer = side.Round(work);
    return Bench::ThreadSeconds() - start;
}

// Reports the script's time as the iteration time; lua_ms and ratio (script / Lua) as counters.
void BM_ScriptVsLua(benchmark::State& state)
{
    const Workload& work = kWorkloads[state.range(0)];
    ScriptSide script;
    LuaSide lua;
    double scriptTotal = 0, luaTotal = 0;
    for (auto _ : state) {
        int64_t scriptAnswer = 0, luaAnswer = 0;
        double scriptSeconds = Seconds(script, work, scriptAnswer);
        luaTotal += Seconds(lua, work, luaAnswer);
        scriptTotal += scriptSeconds;
        if (scriptAnswer != luaAnswer)
            state.SkipWithError("the two languages disagree");
        state.SetIterationTime(scriptSeconds);
    }
    double iterations = double(state.iterations());
    state.SetLabel(work.function);
    state.counters["script_ms"] = 1e3 * scriptTotal / iterations;
    state.counters["lua_ms"] = 1e3 * luaTotal / iterations;
    state.counters["ratio"] = luaTotal > 0 ? scriptTotal / luaTotal : 0;
}
BENCHMARK(BM_ScriptVsLua)->DenseRange(0, 4)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
