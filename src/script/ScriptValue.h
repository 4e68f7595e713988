// ScriptValue: the typed value of the script language and of every call between scripts and game.
#pragma once
#include "base/String.h"

#include <cstdint>

// Type codes; the names 'Void', 'Int', 'Float' and 'String' appear in messages exactly so.
enum ScriptType : int32_t {
    kScriptVoid = 0,
    kScriptInt = 1,
    kScriptFloat = 2,
    kScriptString = 3,
    kScriptUnevaluated = 254,  // what reads, calls and declarations yield in skip mode
    kScriptRead = 255,         // GetOrDeclareVariable: read, do not declare
};

// Only the field of the value's own type is meaningful; the others keep whatever they held.
struct ScriptValue {
    String m_Text;
    double m_Number = 0.0;
    int32_t m_Integer = 0;
    int32_t m_Type = kScriptVoid;

    static constexpr int32_t kMaxArguments = 32;  // argument lists hold at most this many
    // Longest text a script may build: doubling a text in a loop must end in an error, not in
    // exhausted memory or an overflowing length.
    static constexpr int32_t kMaxTextLength = 1 << 24;

    void SetVoid() { m_Type = kScriptVoid; }
    void SetInt(int32_t value) { m_Integer = value; m_Type = kScriptInt; }
    void SetFloat(double value) { m_Number = value; m_Type = kScriptFloat; }
    void SetString(const char* text) { m_Text = text; m_Type = kScriptString; }
    void SetString(const String& text) { m_Text = text; m_Type = kScriptString; }
    void SetUnevaluated() { m_Type = kScriptUnevaluated; }

    bool IsNumber() const { return m_Type == kScriptInt || m_Type == kScriptFloat; }

    // Int: itself; Float: truncated toward zero; anything else 0.
    int32_t GetIntView() const;
    // Int as a double; Float: itself; anything else 0.0.
    double GetNumberView() const;

    // Sets this value from the source, converted to this value's own type (Void stays Void).
    void ConvertFrom(const ScriptValue& source);
    // Same type code (at most 3) and equal contents.
    bool Equals(const ScriptValue& other) const;

    // Truncation toward zero; NaN and values outside the Int range give 0x80000000, the
    // "integer indefinite" that the original's hardware conversion produced.
    static int32_t DoubleToInt(double value);
    // 'Void', 'Int', 'Float', 'String', 'Unevaluated' or 'Unknown'.
    static const char* GetTypeName(int32_t type);
};
