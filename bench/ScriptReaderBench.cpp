// ScriptReaderBench: calling a script function by name, as the game does for every level and
// object event, and a loop-heavy body, since scripts are interpreted from their source text.
#include "script/ScriptGameCallbacks.h"
#include "script/ScriptReader.h"

#include <benchmark/benchmark.h>

namespace {

// These scripts never reach the game; a reader still runs only with callbacks installed.
ScriptValue* NoVariable(ScriptValue* result, const char*, int32_t) { return result; }
ScriptValue* NoFunction(ScriptValue* result, const char*, ScriptValue*, int32_t) { return result; }
void NoAssignment(const char*, int32_t, ScriptValue*) {}

void Prepare(ScriptReader& reader, const char* text)
{
    reader.SetThreaded(false);
    reader.SetGameCallbacks(ScriptGameCallbacks{NoVariable, NoFunction, NoAssignment});
    reader.LoadInline(text);
    reader.Execute();
}

const char* kScript =
    "int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\r\n"
    "int sum(int n) { int s = 0; int i; for (i = 0; i < n; i++) { s = s + i * 2; } return s; }\r\n"
    "int twice(int n) { return n * 2; }\r\n";

// Calls one script function with one Int argument, over and over.
void CallRepeatedly(benchmark::State& state, const char* function, int32_t argumentValue)
{
    ScriptReader reader;
    Prepare(reader, kScript);
    for (auto _ : state) {
        ScriptValue argument, result;
        argument.SetInt(argumentValue);
        benchmark::DoNotOptimize(reader.CallFunction(function, &argument, 1, &result));
    }
}

void BM_CallSmallFunction(benchmark::State& state) { CallRepeatedly(state, "twice", 21); }
BENCHMARK(BM_CallSmallFunction);

void BM_RecursiveFib(benchmark::State& state) { CallRepeatedly(state, "fib", int32_t(state.range(0))); }
BENCHMARK(BM_RecursiveFib)->Arg(12);

void BM_LoopBody(benchmark::State& state) { CallRepeatedly(state, "sum", int32_t(state.range(0))); }
BENCHMARK(BM_LoopBody)->Arg(1000);

}  // namespace
