// TestScriptGame: the game's three script callbacks as the tests need them.
#include "TestScriptGame.h"

#include "script/ScriptReader.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>

namespace TestScriptGame {

namespace {

constexpr int32_t kObjListSize = 8;

struct GameState {
    ScriptReader* reader = nullptr;
    std::map<std::string, ScriptValue> scalars;
    ScriptValue objList[kObjListSize];
    int32_t calls = 0;
};

GameState& State()
{
    static GameState state;
    return state;
}

// The game reports through the running reader, so that its messages carry the script position.
[[noreturn]] void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Report(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (State().reader)
        State().reader->Error("%s", message);
    ErrorClassSimple::StaticError("%s", message);
}

bool IsOneOf(const char* name, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (std::strcmp(n, name) == 0)
            return true;
    return false;
}

// The value behind a name and index, with the game's checks.
ScriptValue& Lookup(const char* name, int32_t index)
{
    GameState& state = State();
    if (std::strcmp(name, "objList") == 0) {
        if (index < 0 || index >= kObjListSize)
            Report("Invalid index (%i) for variable '%s'", index, name);
        return state.objList[index];
    }
    auto found = state.scalars.find(name);
    if (found == state.scalars.end())
        Report("Variable '%s' is not defined", name);
    if (index >= 0)
        Report("Variable '%s' has no index", name);
    return found->second;
}

}  // namespace

void Bind(ScriptReader& reader)
{
    GameState& state = State();
    state = GameState();
    state.reader = &reader;
    state.scalars["iTmp"].SetInt(0);
    state.scalars["fTmp"].SetFloat(0.0);
    state.scalars["sTmp"].SetString("");
    state.scalars["mc_Name"].SetString("Hero");
    state.scalars["mc_ID"].SetInt(7);
    state.scalars["mc_Level"].SetInt(1);
    state.scalars["mc_posX"].SetFloat(1.5);
    state.scalars["mc_posY"].SetFloat(-2.5);
    state.scalars["dlgAnswer"].SetInt(0);
    for (ScriptValue& value : state.objList)
        value.SetInt(-1);
    reader.SetGameCallbacks(GetCallbacks());
}

ScriptGameCallbacks GetCallbacks()
{
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = GetVariable;
    callbacks.callFunction = CallBuiltin;
    callbacks.setVariable = SetVariable;
    return callbacks;
}

ScriptValue* GetVariable(ScriptValue* result, const char* name, int32_t index)
{
    if (!IsOneOf(name, {"mc_Name", "mc_ID", "mc_posX", "mc_posY", "dlgAnswer", "objList", "iTmp", "fTmp", "sTmp"}))
        Report("Variable '%s' is not defined", name);
    *result = Lookup(name, index);
    return result;
}

void SetVariable(const char* name, int32_t index, ScriptValue* value)
{
    if (IsOneOf(name, {"mc_posX", "mc_posY"}))
        Report("Variable '%s' is read only", name);
    if (!IsOneOf(name, {"iTmp", "fTmp", "sTmp", "mc_Name", "mc_Level", "mc_ID", "dlgAnswer", "objList"}))
        Report("Variable '%s' is not defined", name);
    Lookup(name, index).ConvertFrom(*value);
}

ScriptValue* CallBuiltin(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count)
{
    GameState& state = State();
    if (std::strcmp(name, "testAdd") == 0 && count == 2) {
        state.calls++;
        result->SetInt(arguments[0].GetIntView() + arguments[1].GetIntView());
        return result;
    }
    if (std::strcmp(name, "testLog") == 0 && count == 1) {
        state.calls++;
        result->SetVoid();
        return result;
    }
    if (std::strcmp(name, "count") == 0 && count == 0) {
        result->SetInt(++state.calls);
        return result;
    }
    if (std::strcmp(name, "reenter") == 0 && count == 0) {  // the script's next return pauses the run
        if (state.reader)
            state.reader->SetReturnSuspends(true);
        result->SetVoid();
        return result;
    }
    if (std::strcmp(name, "echo") == 0 && count == 1)
        return &arguments[0];
    Report("Unknown function '%s' accepting %i arguments", name, count);
}

void SetCurrentReader(ScriptReader& reader) { State().reader = &reader; }

ScriptValue& Variable(const char* name, int32_t index) { return Lookup(name, index); }

int32_t GetCallCount() { return State().calls; }

}  // namespace TestScriptGame
