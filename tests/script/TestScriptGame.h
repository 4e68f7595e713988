// TestScriptGame: a stand-in for the game's script binding, with a few built-in variables and
// functions and the game's messages for names it does not know.
#pragma once
#include "script/ScriptGameCallbacks.h"
#include "script/ScriptValue.h"

class ScriptReader;

namespace TestScriptGame {

// Installs the three callbacks in the reader and resets the game's variables and call count; the
// reader becomes the current one.
void Bind(ScriptReader& reader);
// The reader whose script runs now: reports of the callbacks go through it, so they carry its
// script position, and reenter() asks it to pause.
void SetCurrentReader(ScriptReader& reader);
ScriptGameCallbacks GetCallbacks();

ScriptValue* GetVariable(ScriptValue* result, const char* name, int32_t index);
ScriptValue* CallBuiltin(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count);
void SetVariable(const char* name, int32_t index, ScriptValue* value);

// The game's variables, for checks: "iTmp", "fTmp", "sTmp", "mc_Name", "mc_ID", "mc_Level",
// "mc_posX", "mc_posY", "dlgAnswer", and "objList" with an index 0..7.
ScriptValue& Variable(const char* name, int32_t index = -1);
// Functions: testAdd(a, b) gives a + b; testLog(x) gives Void; count() gives the call count;
// reenter() makes the script's next return pause the run; echo(x) gives x.
// Calls of "testAdd", "testLog" and "count" so far.
int32_t GetCallCount();

}  // namespace TestScriptGame
