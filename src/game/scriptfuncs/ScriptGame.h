// ScriptGame: the game's side of every script: the three callbacks each script module gets (a
// variable read, a built-in call, a variable write), the order in which a built-in call is tried
// (script functions of loaded modules, the entry's own built-ins, the controller classes, then one
// of the two name chains), the built-in variables and the position text of the running script.
//
//   ScriptGame.cpp           the callbacks' installation and the dispatcher
//   ScriptGameEntry.cpp      the entry's built-ins: the three messages, "SetAI" and "AddAI"
//   ScriptGameVariables.cpp  the built-in variables and the script position text
#pragma once
#include "base/String.h"
#include "script/ScriptValue.h"

#include <cstdint>

class GameCtrl;
class ScriptCall;

class ScriptGame {
public:
    // Makes the controller hand the three callbacks to every script module its world makes, and
    // keep the call of the network's built-ins.
    static void Install(GameCtrl& ctrl);

    // The built-in call callback: ExecuteBuiltin of the running controller, from a script.
    static ScriptValue* CallBuiltin(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count);
    // The same for a call the server sent (fromNetwork 1), which the network node reaches through
    // the controller's callbacks.
    static ScriptValue* CallBuiltinFromNetwork(ScriptValue* result, const char* name, ScriptValue* arguments,
                                               int32_t count);
    // The dispatcher; fromNetwork 1 when a client runs a call the server sent. A controller error
    // raised inside a built-in while a script runs ends that call only: it is reported as a
    // script error and the call gives its typed 0.
    static void ExecuteBuiltin(GameCtrl& ctrl, ScriptValue& result, const char* name, ScriptValue* arguments,
                               int32_t count, int32_t fromNetwork);
    // The two name chains by the first letter; each ends with an unknown name's report.
    static void ExecuteFunctionsAtoG(ScriptCall& call);
    static void ExecuteFunctionsHtoZ(ScriptCall& call);

    // The variable callbacks; a read the game does not answer gives type 255.
    static ScriptValue* GetVariable(ScriptValue* result, const char* name, int32_t index);
    static void SetVariable(const char* name, int32_t index, ScriptValue* value);
    static void GetVariable(GameCtrl& ctrl, ScriptValue& result, const char* name, int32_t index);
    static void SetVariable(GameCtrl& ctrl, const char* name, int32_t index, const ScriptValue& value);

    // "*inline:RunScript:'%s',line:%i*" of the running script; a file name ending in ".c" or
    // ".cpp" is rewritten in place by the running module's path table. Without a running script
    // the world warns and the text is empty.
    static String FormatScriptPosition(String& fileName);

    // The entry's built-ins (ScriptGameEntry.cpp); true when the name is one of them.
    static bool ExecuteEntryBuiltin(ScriptCall& call);

private:
    static GameCtrl* GetRunningCtrl();
    static ScriptValue* CallOfRunningCtrl(ScriptValue* result, const char* name, ScriptValue* arguments,
                                          int32_t count, int32_t fromNetwork);
};
