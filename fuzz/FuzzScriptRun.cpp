// FuzzScriptRun: a whole fuzzed script run on the calling thread, twice, with the same outcome
// and the same global variables both times.
//
// Only scripts whose work is bounded by their length are run (FuzzBoundedScript.h); "include" and
// "LoadString" are spelled otherwise, so no file is read.
#include "FuzzBoundedScript.h"
#include "FuzzTarget.h"

#include "base/Random.h"
#include "script/ScriptReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Names no scope holds: reads give Int 1, calls Int 0, assignments go nowhere.
ScriptValue* GetGameVariable(ScriptValue* result, const char*, int32_t)
{
    result->SetInt(1);
    return result;
}
ScriptValue* CallGameFunction(ScriptValue* result, const char*, ScriptValue*, int32_t)
{
    result->SetInt(0);
    return result;
}
void SetGameVariable(const char*, int32_t, ScriptValue*) {}

struct Outcome {
    int32_t type = -1;
    std::string value;  // the final value's text, number or integer
    std::string error;
    std::vector<uint8_t> globals;  // the global scope in the save format
};

Outcome RunOnce(ScriptReader& reader)
{
    Outcome outcome;
    Random::Seed(1);
    try {
        ScriptValue value = reader.Execute();
        outcome.type = value.m_Type;
        outcome.value = value.m_Type == kScriptString  ? value.m_Text.c_str()
                        : value.m_Type == kScriptFloat ? std::to_string(value.m_Number)
                                                       : std::to_string(value.m_Integer);
    } catch (const ErrorMsg& error) {
        outcome.error = error.message;
    }
    File file;
    file.CreateMemoryFile(0);
    reader.GetGlobalScope().Save(file);
    outcome.globals.assign(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 14))
        return 0;
    const std::string text = Fuzz::ScriptText(data, size, {"include", "LoadString"});

    ScriptReader reader;
    reader.SetThreaded(false);
    if (!reader.LoadInline(text.c_str()))
        return 0;
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = GetGameVariable;
    callbacks.callFunction = CallGameFunction;
    callbacks.setVariable = SetGameVariable;
    reader.SetGameCallbacks(callbacks);
    if (!Fuzz::IsBounded(reader))
        return 0;

    const Outcome first = RunOnce(reader);
    reader.Reset();
    const Outcome second = RunOnce(reader);
    if (first.type != second.type || first.value != second.value || first.error != second.error)
        Fuzz::Finding("a second run of the same script ended otherwise");
    if (first.globals != second.globals)
        Fuzz::Finding("a second run of the same script left other global variables");
    return 0;
}
