// VariableStack: one scope of named script variables, and the scope format inside save games.
#pragma once
#include "base/SearchTree.h"
#include "base/String.h"
#include "script/ScriptValue.h"

#include <cstdint>
#include <memory>
#include <vector>

class File;
class ScriptReader;

// One named variable: its scalar value (the ScriptValue part) or, for an array, its elements,
// each of the variable's type.
struct ScriptStackVariable : ScriptValue {
    // Arrays larger than this are refused: a script may not make the server allocate without bound.
    static constexpr int32_t kMaxElements = 1 << 20;
    // All arrays of one script together (globals and every active call's locals), so that a
    // recursion that declares a large local array cannot exhaust memory either.
    static constexpr int32_t kMaxScriptElements = 1 << 22;

    // Null for a scalar, and for a Void array: a Void value holds nothing and can not be set, so
    // each element of a Void array is read as the variable's own value, and a large Void array
    // costs no memory (it still counts toward the limits above).
    std::unique_ptr<ScriptValue[]> m_Elements;
    String m_Name;
    int32_t m_ElementCount = 0;  // 0 for a scalar

    ScriptStackVariable() = default;
    ScriptStackVariable(const ScriptStackVariable& other) { Assign(other); }
    ScriptStackVariable& operator=(const ScriptStackVariable& other) { Assign(other); return *this; }

    // A fresh value of the type: the empty text, 0.0 and 0; count elements when count > 0.
    void Init(int32_t type, int32_t count);
    // Copies the value fields, the name and all elements.
    void Assign(const ScriptStackVariable& other);
    bool IsArray() const { return m_ElementCount > 0; }
    // The scalar, or the first element of an array.
    ScriptValue& GetFirst() { return GetElement(0); }
    // index: below m_ElementCount.
    ScriptValue& GetElement(int32_t index) { return m_Elements ? m_Elements[index] : static_cast<ScriptValue&>(*this); }

    // One record of the scope format (below, at VariableStack::Save).
    void Write(File& stream) const;
    void Read(File& stream);
};

// Names are case-sensitive; the tree refuses empty names and characters outside 32..127.
class VariableStack : public SearchTree<ScriptStackVariable> {
public:
    VariableStack();

    // Messages go through the owning reader, so that they carry the script position.
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    void SetOwner(ScriptReader* owner) { m_Owner = owner; }
    ScriptReader* GetOwner() const { return m_Owner; }

    // Null when the name is already in this scope.
    ScriptStackVariable* AddVariable(const char* name, int32_t type, int32_t count);
    ScriptStackVariable* FindVariable(const char* name) { return Find(name); }
    int32_t GetVariableCount();
    // Elements of the array variables in this scope.
    int64_t GetElementTotal() const { return m_ElementTotal; }
    void Clear();  // removes all variables

    void Save(File& stream);
    void Load(File& stream, bool clearFirst);

private:
    // A copy of name: a spare text of its length (from variables cleared before) filled in place.
    String CopyName(const char* name, int32_t length);

    ScriptReader* m_Owner = nullptr;
    int64_t m_ElementTotal = 0;
    // Name texts of cleared variables, kept for the next ones: a function's scope is cleared and
    // filled with the same names at every call.
    std::vector<String> m_SpareNames;
};
