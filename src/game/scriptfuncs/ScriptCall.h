// ScriptCall: one call of a built-in script function as its handler sees it: the name, the
// arguments, the network flag, the local result that starts Void, and the helpers every family
// shares: argument count and type tests with "Invalid arguments in function %s", elements, walls
// and lights fetched with their own reports, typed results, the forwarding of the call to the
// clients, and Float formatting with g_NumberOfDigits.
#pragma once
#include "base/String.h"
#include "script/ScriptValue.h"

#include <cstdint>

class CreatureObj;
class GameCtrl;
class VSD_WallIntern;
class WorldCtrl;
class WorldElem;

// Digits after the decimal point whenever a built-in turns a Float into text ("%.2f" by default).
extern int32_t g_NumberOfDigits;
// Whether elements may move along x ("AllowXMove"); on unless a script turns it off.
extern uint8_t g_AllowXMove;

class ScriptCall {
public:
    // Scripts give angles in degrees; this single-precision factor turns them into radians.
    static constexpr float kDegToRad = 0.0174533f;

    ScriptCall(GameCtrl& ctrl, const char* name, ScriptValue* arguments, int32_t count, int32_t fromNetwork);

    GameCtrl& GetCtrl() const { return m_Ctrl; }
    WorldCtrl& GetWorld() const;
    const char* GetName() const { return m_Name; }
    int32_t GetCount() const { return m_Count; }
    ScriptValue* GetArguments() const { return m_Arguments; }
    bool IsFromNetwork() const { return m_FromNetwork != 0; }
    ScriptValue& Result() { return m_Result; }

    // Argument tests. Each refusing test reports "Invalid arguments in function %s" and answers
    // false; the handler then returns its local result as it stands.
    bool Refuse();
    bool NeedCount(int32_t minimum, int32_t maximum);  // maximum -1: no upper limit
    bool NeedInt(int32_t index);
    bool NeedString(int32_t index);
    // The type code of an argument; Void past the last one.
    int32_t TypeOf(int32_t index) const;
    bool IsInt(int32_t index) const { return TypeOf(index) == kScriptInt; }
    bool IsString(int32_t index) const { return TypeOf(index) == kScriptString; }
    bool IsNumber(int32_t index) const { return TypeOf(index) == kScriptInt || TypeOf(index) == kScriptFloat; }

    // Argument readers: Int as is, Float truncated, others 0; Int converted, Float as is,
    // others 0.0; the text of a String (null for other types, "" for an empty String).
    int32_t Int(int32_t index) const;
    int32_t IntOr(int32_t index, int32_t fallback) const { return index < m_Count ? Int(index) : fallback; }
    double Float(int32_t index) const;
    float FloatArg(int32_t index) const { return float(Float(index)); }  // as the engine keeps it
    const char* Text(int32_t index) const;
    // A String argument as a script handler stores it: the name of a script file (ending in ".c"
    // or ".cpp") resolved against the running script module, any other text as it is; empty for
    // an argument that is no String.
    String ScriptText(int32_t index) const;

    // The element of an Int object ID argument, reported by the world when there is none.
    WorldElem* Object(int32_t index);
    CreatureObj* Creature(int32_t index);  // null for an element that is not a creature
    VSD_WallIntern* Wall(int32_t index);
    // The light element of a light ID: "Invalid light: %i" when there is none.
    WorldElem* Light(int32_t index);
    // The count test, then the element, creature or wall of the first argument: null after
    // either report.
    WorldElem* CountedObject(int32_t minimum, int32_t maximum);
    CreatureObj* CountedCreature(int32_t minimum, int32_t maximum);
    VSD_WallIntern* CountedWall(int32_t minimum, int32_t maximum);

    // Results: the type is set before the tests, so a refused call gives the typed 0.
    void SetVoid() { m_Result = ScriptValue(); }
    void SetInt(int32_t value);
    void SetFloat(double value);
    void SetString(const char* text);
    void SetTypeInt() { SetInt(0); }
    void SetTypeFloat() { SetFloat(0.0); }
    void SetTypeString() { SetString(""); }

    // The call handed to the clients: the name, the first count arguments, the subject element
    // (null: none), whether the server tests the subject against its clients, the message flag.
    void Forward(int32_t count, WorldElem* subject, int32_t checkSubject, int32_t flag);
    void Forward() { Forward(m_Count, nullptr, 1, 1); }

    void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // A Float as text: "%.Nf" with N = g_NumberOfDigits held to 0..30.
    static String FormatFloat(double value);
    // The argument's text by its type: Int "%i", Float FormatFloat, String itself, others nothing.
    static String FormatValue(const ScriptValue& value);
    // The arguments from first on, each by its type, in one text of at most kTextChars characters
    // (what does not fit is cut): the text of "Message", "Error", "LogToFile" and the like.
    static constexpr int32_t kTextChars = 4096;
    String JoinArguments(int32_t first) const;

    // Writes "fTmp" entries first, first + 1, ... (the several results of one call).
    void WriteFloatTemps(int32_t first, const float* values, int32_t count);
    // Writes the world's result list ("objList") from entry 0; entries past count keep their
    // values. Answers the count written, at most the list's size.
    int32_t WriteObjList(const int32_t* ids, int32_t count);

private:
    GameCtrl& m_Ctrl;
    const char* m_Name;
    ScriptValue* m_Arguments;
    int32_t m_Count;
    int32_t m_FromNetwork;
    ScriptValue m_Result;
};
