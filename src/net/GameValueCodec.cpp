// GameValueCodec: reading and writing the shared value encodings of game messages.
#include "net/GameValueCodec.h"

#include "game/objects/PackedFloat16.h"
#include "script/ScriptValue.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kNoType = 0xFFFF;

void FailReader(ByteReader& reader) { reader.Seek(reader.GetLength() + 1); }

}  // namespace

String GameValueCodec::ReadString(ByteReader& reader)
{
    const size_t remaining = reader.GetRemaining();
    const uint32_t length = reader.ReadCount(uint32_t(std::min<size_t>(remaining >= 4 ? remaining - 4 : 0, UINT32_MAX)));
    const uint8_t* chars = reader.ReadSpan(length);
    if (!chars || length == 0)
        return String();
    return String(reinterpret_cast<const char*>(chars), int32_t(length));
}

bool GameValueCodec::WriteString(ByteWriter& writer, const String& text)
{
    const int32_t length = text.TextLength();
    writer.WriteU32(uint32_t(length));
    return writer.WriteBytes(text.c_str(), size_t(length));
}

String GameValueCodec::ReadCharFixed(ByteReader& reader, int32_t bytes)
{
    const uint8_t* chars = reader.ReadSpan(size_t(bytes > 0 ? bytes : 0));
    if (!chars)
        return String();
    const void* end = std::memchr(chars, 0, size_t(bytes));
    const int32_t length = end ? int32_t(static_cast<const uint8_t*>(end) - chars) : bytes;
    return String(reinterpret_cast<const char*>(chars), length);
}

bool GameValueCodec::WriteCharFixed(ByteWriter& writer, const String& text, int32_t bytes)
{
    const int32_t kept = std::min(text.TextLength(), bytes - 1);
    const char* chars = text.c_str();
    for (int32_t i = 0; i < bytes; i++)
        writer.WriteU8(i < kept ? uint8_t(chars[i]) : 0);
    return !writer.Failed();
}

wString GameValueCodec::ReadWideFixed(ByteReader& reader, int32_t units)
{
    std::vector<char16_t> text(size_t(units > 0 ? units : 0) + 1, 0);
    for (int32_t i = 0; i < units; i++)
        text[size_t(i)] = char16_t(reader.ReadU16());
    if (reader.Failed())
        return wString();
    return wString(text.data());
}

bool GameValueCodec::WriteWideFixed(ByteWriter& writer, const wString& text, int32_t units)
{
    const int32_t kept = std::min(text.TextLength(), units - 1);
    const char16_t* chars = text.c_str();
    for (int32_t i = 0; i < units; i++)
        writer.WriteU16(i < kept ? uint16_t(chars[i]) : 0);
    return !writer.Failed();
}

wString GameValueCodec::ReadWideTerminated(ByteReader& reader)
{
    std::vector<char16_t> text;
    for (;;) {
        const char16_t unit = char16_t(reader.ReadU16());
        if (reader.Failed())
            return wString();
        text.push_back(unit);
        if (unit == 0)
            return wString(text.data());
    }
}

bool GameValueCodec::WriteWideTerminated(ByteWriter& writer, const wString& text)
{
    const char16_t* chars = text.c_str();
    for (int32_t i = 0, n = text.TextLength(); i < n; i++)
        writer.WriteU16(uint16_t(chars[i]));
    return writer.WriteU16(0);
}

ObjRef GameValueCodec::ReadObjRef(ByteReader& reader)
{
    ObjRef ref;
    ref.objID = reader.ReadI32();
    ref.myRnd = reader.ReadU32();
    return reader.Failed() ? ObjRef() : ref;
}

bool GameValueCodec::WriteObjRef(ByteWriter& writer, const ObjRef& ref)
{
    writer.WriteU32(uint32_t(ref.objID));
    return writer.WriteU32(ref.myRnd);
}

ObjRef3 GameValueCodec::ReadObjRef3(ByteReader& reader)
{
    ObjRef3 ref;
    ref.objID = reader.ReadI32();
    ref.myRnd = reader.ReadU32();
    const int32_t type = reader.ReadI32();
    if (type == -1)
        ref.type = uint16_t(kNoType);
    else if (type >= 0 && type <= kNoType)
        ref.type = uint16_t(type);
    else
        FailReader(reader);
    return reader.Failed() ? ObjRef3() : ref;
}

bool GameValueCodec::WriteObjRef3(ByteWriter& writer, const ObjRef3& ref)
{
    writer.WriteU32(uint32_t(ref.objID));
    writer.WriteU32(ref.myRnd);
    return writer.WriteU32(ref.type);
}

NetObjPos GameValueCodec::ReadNetObjPos(ByteReader& reader)
{
    NetObjPos pos;
    pos.ref = ReadObjRef(reader);
    pos.x = reader.ReadFloat();
    pos.y = reader.ReadFloat();
    pos.angle = PackedFloat16::ToFloat(reader.ReadU16());
    return reader.Failed() ? NetObjPos() : pos;
}

bool GameValueCodec::WriteNetObjPos(ByteWriter& writer, const NetObjPos& pos)
{
    WriteObjRef(writer, pos.ref);
    writer.WriteFloat(pos.x);
    writer.WriteFloat(pos.y);
    return writer.WriteU16(PackedFloat16::Pack(pos.angle));
}

AnicycleUnit GameValueCodec::ReadAnicycleUnit(ByteReader& reader)
{
    AnicycleUnit unit;
    unit.objID = reader.ReadI32();
    unit.moveCycle = reader.ReadU16();
    unit.moveValue = reader.ReadU16();
    unit.actionCycle = reader.ReadU16();
    unit.actionValue = reader.ReadU16();
    return reader.Failed() ? AnicycleUnit() : unit;
}

bool GameValueCodec::WriteAnicycleUnit(ByteWriter& writer, const AnicycleUnit& unit)
{
    writer.WriteU32(uint32_t(unit.objID));
    writer.WriteU16(unit.moveCycle);
    writer.WriteU16(unit.moveValue);
    writer.WriteU16(unit.actionCycle);
    return writer.WriteU16(unit.actionValue);
}

bool GameValueCodec::ReadScriptValue(ByteReader& reader, ScriptValue& value)
{
    switch (reader.ReadU8()) {
    case kScriptInt:
        value.SetInt(reader.ReadI32());
        break;
    case kScriptFloat:
        value.SetFloat(reader.ReadDouble());
        break;
    case kScriptString:
        value.SetString(ReadString(reader));
        break;
    default:
        value.SetVoid();
        break;
    }
    if (reader.Failed())
        value.SetVoid();
    return !reader.Failed();
}

bool GameValueCodec::WriteScriptValue(ByteWriter& writer, const ScriptValue& value)
{
    switch (value.m_Type) {
    case kScriptInt:
        writer.WriteU8(kScriptInt);
        return writer.WriteU32(uint32_t(value.m_Integer));
    case kScriptFloat:
        writer.WriteU8(kScriptFloat);
        return writer.WriteDouble(value.m_Number);
    case kScriptString:
        writer.WriteU8(kScriptString);
        return WriteString(writer, value.m_Text);
    default:
        return writer.WriteU8(kScriptVoid);
    }
}

int32_t GameValueCodec::ScriptValueSize(const ScriptValue& value)
{
    switch (value.m_Type) {
    case kScriptInt:
        return 1 + 4;
    case kScriptFloat:
        return 1 + 8;
    case kScriptString:
        return 1 + StringSize(value.m_Text);
    default:
        return 1;
    }
}
