// VariableStack: script variables of one scope, and the scope format inside save games.
#include "script/VariableStack.h"

#include "base/File.h"
#include "script/ScriptReader.h"

#include <cstdio>
#include <cstring>
#include <utility>

void ScriptStackVariable::Init(int32_t type, int32_t count)
{
    m_Text.Release();  // the empty text
    m_Number = 0.0;
    m_Integer = 0;
    m_Type = type;
    m_Elements.reset();
    m_ElementCount = count > 0 ? count : 0;
    if (m_ElementCount > 0 && type != kScriptVoid) {
        m_Elements = std::make_unique<ScriptValue[]>(m_ElementCount);
        for (int32_t i = 0; i < m_ElementCount; i++)
            m_Elements[i].m_Type = type;
    }
}

void ScriptStackVariable::Assign(const ScriptStackVariable& other)
{
    if (&other == this)
        return;
    m_Text = other.m_Text;
    m_Number = other.m_Number;
    m_Integer = other.m_Integer;
    m_Type = other.m_Type;
    m_Name = other.m_Name;
    m_ElementCount = other.m_ElementCount;
    m_Elements.reset();
    if (other.m_Elements) {
        m_Elements = std::make_unique<ScriptValue[]>(m_ElementCount);
        for (int32_t i = 0; i < m_ElementCount; i++)
            m_Elements[i] = other.m_Elements[i];
    }
}

// One variable of the scope format, little-endian:
//   name (i32 length + bytes), i32 element count, u8 type code, then the data:
//   type 0 nothing; type 1 one i32, type 2 one double, type 3 one string when the element count
//   is below 1, else one per element.
void ScriptStackVariable::Write(File& stream) const
{
    stream.WriteString(m_Name);
    stream.WriteInt32(m_ElementCount);
    stream.WriteInt8(m_Type);
    if (m_Type != kScriptInt && m_Type != kScriptFloat && m_Type != kScriptString)
        return;  // Void has no data
    int32_t n = m_ElementCount > 0 ? m_ElementCount : 1;
    for (int32_t i = 0; i < n; i++) {
        const ScriptValue& value = m_ElementCount > 0 ? m_Elements[i] : static_cast<const ScriptValue&>(*this);
        switch (m_Type) {
        case kScriptInt: stream.WriteInt32(value.m_Integer); break;
        case kScriptFloat: stream.WriteDouble(value.m_Number); break;
        default: stream.WriteString(value.m_Text); break;
        }
    }
}

void ScriptStackVariable::Read(File& stream)
{
    String name;
    int32_t count = 0;
    uint8_t type = 0;
    bool ok = stream.ReadString(name);
    ok = stream.ReadInt32(&count) && ok;
    ok = stream.ReadInt8(&type) && ok;
    if (!ok)
        stream.Error("ScriptStackVariable: unexpected end of data");
    int32_t size = 0;  // fewest bytes one element takes
    switch (type) {
    case kScriptVoid: size = 0; break;  // no data: Load bounds all Void elements together
    case kScriptInt: size = 4; break;
    case kScriptFloat: size = 8; break;
    case kScriptString: size = 4; break;
    default: stream.Error("ScriptStackVariable: Wrong variable data type");
    }
    if (count < 0)
        count = 0;  // the writer stores one scalar for any count below 1
    if (count > kMaxElements || (size > 0 && count > stream.GetRemaining() / size))
        stream.Error("ScriptStackVariable: element count %i of '%s' exceeds the %i bytes left", count,
                     name.c_str(), stream.GetRemaining());
    Init(type, count);
    m_Name = name;
    if (type == kScriptVoid)
        return;
    int32_t n = count > 0 ? count : 1;
    for (int32_t i = 0; i < n && ok; i++) {
        ScriptValue& value = count > 0 ? m_Elements[i] : static_cast<ScriptValue&>(*this);
        if (type == kScriptInt)
            ok = stream.ReadInt32(&value.m_Integer);
        else if (type == kScriptFloat)
            ok = stream.ReadDouble(&value.m_Number);
        else
            ok = stream.ReadString(value.m_Text);
    }
    if (!ok)
        stream.Error("ScriptStackVariable: unexpected end of data");
}

VariableStack::VariableStack()
{
    CopyName32(this, "VariableStack");
    SetCaseSensitive(true);
}

void VariableStack::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    if (m_Owner)
        m_Owner->Error("%s", message);
    ErrorClass::Error("%s", message);
}

void VariableStack::Warning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    if (m_Owner)
        m_Owner->Warning("%s", message);
    else
        ErrorClass::Warning("%s", message);
}

String VariableStack::CopyName(const char* name, int32_t length)
{
    for (size_t i = m_SpareNames.size(); i-- > 0 && length > 0;)
        if (m_SpareNames[i].GetLength() == length) {
            String copy = std::move(m_SpareNames[i]);
            m_SpareNames[i] = std::move(m_SpareNames.back());
            m_SpareNames.pop_back();
            std::memcpy(copy.GetBuffer(), name, size_t(length));  // the same text String(name) makes
            return copy;
        }
    return String(name);
}

ScriptStackVariable* VariableStack::AddVariable(const char* name, int32_t type, int32_t count)
{
    const int32_t length = String::ArrayLength(name);
    ScriptStackVariable* variable = Insert(CopyName(name, length));
    if (!variable)
        return nullptr;
    variable->Init(type, count);
    variable->m_Name = CopyName(name, length);
    m_ElementTotal += variable->m_ElementCount;
    return variable;
}

void VariableStack::Clear()
{
    constexpr size_t kMaxSpareNames = 32;
    ClearVisiting([this](Record& record) {
        if (m_SpareNames.size() + 2 > kMaxSpareNames)
            return;
        if (record.m_Key.GetBuffer())
            m_SpareNames.push_back(std::move(record.m_Key));
        if (record.m_Data.m_Name.GetBuffer())
            m_SpareNames.push_back(std::move(record.m_Data.m_Name));
    });
    m_ElementTotal = 0;
}

int32_t VariableStack::GetVariableCount()
{
    int32_t count = 0;
    ResetWalk();
    while (GetNext())
        count++;
    return count;
}

// The scope format: i32 number of variables, then each variable (ScriptStackVariable::Write)
// in the tree's walk order.
void VariableStack::Save(File& stream)
{
    stream.WriteInt32(GetVariableCount());
    ResetWalk();
    while (ScriptStackVariable* variable = GetNext())
        variable->Write(stream);
}

namespace {

// The names the tree can hold; a stored record with another name is skipped.
bool IsValidName(const String& name)
{
    if (name.IsEmpty())
        return false;
    for (const char* p = name.c_str(); *p; p++)
        if (static_cast<unsigned char>(*p) < 32 || static_cast<unsigned char>(*p) > 127)
            return false;
    return true;
}

}  // namespace

void VariableStack::Load(File& stream, bool clearFirst)
{
    if (clearFirst)
        Clear();
    int32_t count = 0;
    if (!stream.ReadInt32(&count))
        stream.Error("ScriptStackVariable: unexpected end of data");
    constexpr int32_t kSmallestRecord = 9;  // empty name, element count, type byte
    if (count < 0 || count > stream.GetRemaining() / kSmallestRecord)
        stream.Error("VariableStack: variable count %i exceeds the %i bytes left", count, stream.GetRemaining());
    // The elements of Void arrays take no bytes, so the bytes left cannot bound them: together
    // they may be no more than one array of the largest size, or a few bytes could fill memory.
    int64_t voidElements = 0;
    ScriptStackVariable stored;
    for (int32_t i = 0; i < count; i++) {
        stored.Read(stream);
        if (stored.m_Type == kScriptVoid) {
            voidElements += stored.m_ElementCount;
            if (voidElements > ScriptStackVariable::kMaxElements)
                stream.Error("VariableStack: Void arrays of more than %i elements in all",
                             ScriptStackVariable::kMaxElements);
        }
        if (!IsValidName(stored.m_Name))
            continue;
        ScriptStackVariable* variable = Find(stored.m_Name);
        if (!variable)
            variable = AddVariable(stored.m_Name.c_str(), stored.m_Type, 0);
        if (!variable)
            continue;
        m_ElementTotal += stored.m_ElementCount - variable->m_ElementCount;
        variable->Assign(stored);
    }
}
