// ScriptGameCallbacks: the three plain function pointers through which a script reaches the game's
// functions and variables, and the record in which the game hands them to a reader.
#pragma once
#include <cstdint>

struct ScriptValue;

// A read of a name that no scope holds. index is -1 when none; the result points to the value to
// use (the reader copies it), usually the result buffer itself.
using ScriptGetVariableCallback = ScriptValue* (*)(ScriptValue* result, const char* name, int32_t index);

// A call of a name that is neither a declared script function nor a built-in. arguments is null
// when count is 0. Runs on the script thread while the game thread waits.
using ScriptCallFunctionCallback = ScriptValue* (*)(ScriptValue* result, const char* name,
                                                    ScriptValue* arguments, int32_t count);

// An assignment to a name that no scope holds; index is -1 when none.
using ScriptSetVariableCallback = void (*)(const char* name, int32_t index, ScriptValue* value);

// A call of a game function that the server sent to this client: run here as the server's own,
// not as a call of a local script.
using ScriptNetworkCallCallback = ScriptValue* (*)(ScriptValue* result, const char* name, ScriptValue* arguments,
                                                   int32_t count);

// What the game installs in every reader it binds (ScriptReader::SetGameCallbacks). The game
// reports unknown names itself: "Unknown function '%s' accepting %i arguments",
// "Variable '%s' is not defined", "Variable '%s' has no index", "Invalid index (%i) for variable
// '%s'", "Variable '%s' is read only".
struct ScriptGameCallbacks {
    ScriptGetVariableCallback getVariable = nullptr;
    ScriptCallFunctionCallback callFunction = nullptr;
    ScriptSetVariableCallback setVariable = nullptr;
    ScriptNetworkCallCallback callFromNetwork = nullptr;  // the network node's, not a reader's
};
