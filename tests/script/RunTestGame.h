// RunTestGame: a small stand-in for the game behind a reader's three callbacks, for the tests of
// calls, statements and runs: a few game functions (one of them a re-enter function) and
// one game variable.
#pragma once
#include "base/ErrorClass.h"
#include "script/ScriptReader.h"

#include <cstring>

struct RunTestGame {
    static inline ScriptReader* s_Reader = nullptr;  // the reader whose script runs now
    static inline int32_t s_Calls = 0;               // calls of count()
    static inline int32_t s_Tmp = 0;                 // the game variable iTmp

    static void Bind(ScriptReader& reader)
    {
        s_Reader = &reader;
        s_Calls = 0;
        s_Tmp = 0;
        ScriptGameCallbacks callbacks;
        callbacks.getVariable = GetVariable;
        callbacks.callFunction = CallFunction;
        callbacks.setVariable = SetVariable;
        reader.SetGameCallbacks(callbacks);
    }

    // count(): counts its calls and returns the count; reenter(): the next return pauses the run;
    // echo(x): returns x.
    static ScriptValue* CallFunction(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count)
    {
        if (std::strcmp(name, "count") == 0 && count == 0) {
            result->SetInt(++s_Calls);
            return result;
        }
        if (std::strcmp(name, "reenter") == 0 && count == 0) {
            s_Reader->SetReturnSuspends(true);
            result->SetVoid();
            return result;
        }
        if (std::strcmp(name, "echo") == 0 && count == 1)
            return &arguments[0];
        ErrorClassSimple::StaticError("Unknown function '%s' accepting %i arguments", name, count);
    }

    static ScriptValue* GetVariable(ScriptValue* result, const char* name, int32_t)
    {
        if (std::strcmp(name, "iTmp") != 0)
            ErrorClassSimple::StaticError("Variable '%s' is not defined", name);
        result->SetInt(s_Tmp);
        return result;
    }

    static void SetVariable(const char* name, int32_t, ScriptValue* value)
    {
        if (std::strcmp(name, "iTmp") != 0)
            ErrorClassSimple::StaticError("Variable '%s' is not defined", name);
        s_Tmp = value->GetIntView();
    }
};
