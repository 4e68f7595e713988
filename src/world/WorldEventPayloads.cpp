// WorldEventPayloads: writing and reading the payload records of the world events.
#include "world/WorldEventPayloads.h"

#include "base/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A reader over the payload; it fails at once when the payload is shorter than the record.
ByteReader PayloadReader(const WorldEvent& event, int32_t recordSize)
{
    ByteReader in(event.payload.get(), event.payload ? size_t(std::max(event.size, 0)) : 0);
    if (in.GetLength() < size_t(recordSize))
        in.Seek(in.GetLength() + 1);  // short: every read yields zero and Failed() holds
    return in;
}

// A text field of its full size, always NUL-terminated on reading.
void ReadText(ByteReader& in, char* text, size_t size)
{
    in.ReadBytes(text, size);
    text[size - 1] = 0;
}

// At most maxChars characters of the text, the rest of the field zero. The text is a field of
// the record, which need not hold a terminator: it is never read past size bytes.
void WriteText(ByteWriter& out, const char* text, size_t size, size_t maxChars)
{
    char field[256] = {};
    size_t length = text ? std::min(strnlen(text, size), std::min(maxChars, size - 1)) : 0;
    if (length)
        std::memcpy(field, text, length);
    out.WriteBytes(field, size);
}

void WriteRef(ByteWriter& out, const ObjRef& ref)
{
    out.WriteU32(uint32_t(ref.objID));
    out.WriteU32(ref.myRnd);
}

ObjRef ReadRef(ByteReader& in)
{
    ObjRef ref;
    ref.objID = in.ReadI32();
    ref.myRnd = in.ReadU32();
    return ref;
}

// Builds the payload in a buffer of the record's size and hands it to the event.
template <class Fill> void WritePayload(WorldEvent& event, uint16_t type, int32_t size, Fill fill)
{
    uint8_t buffer[ScriptEventRecord::kSize] = {};
    ByteWriter out(buffer, size_t(size));
    fill(out);
    SetEventPayload(event, type, buffer, size, event.time);
}

}  // namespace

void SetEventPayload(WorldEvent& event, uint16_t type, const uint8_t* data, int32_t size, double time)
{
    event.Clear();
    event.type = type;
    event.time = time;
    if (size > 0 && data) {
        event.payload = std::make_unique<uint8_t[]>(size_t(size));
        std::memcpy(event.payload.get(), data, size_t(size));
        event.size = size;
    }
}

void CopyEvent(WorldEvent& target, const WorldEvent& source)
{
    SetEventPayload(target, source.type, source.payload.get(), source.payload ? source.size : 0, source.time);
}

void KillEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kKill, kSize, [&](ByteWriter& out) {
        WriteRef(out, victim);
        WriteRef(out, killer);
    });
}

bool KillEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    victim = ReadRef(in);
    killer = ReadRef(in);
    return !in.Failed();
}

void UseEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kUse, kSize, [&](ByteWriter& out) {
        out.WriteU32(uint32_t(objID));
        out.WriteU16(typeCode);
        out.WriteU16(0);
        out.WriteU32(uint32_t(value));
    });
}

bool UseEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    objID = in.ReadI32();
    typeCode = in.ReadU16();
    in.Skip(2);
    value = in.ReadI32();
    return !in.Failed();
}

void PickupRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kPickup, kSize, [&](ByteWriter& out) {
        WriteRef(out, picker);
        WriteRef(out, item);
        out.WriteU32(uint32_t(amount));
    });
}

bool PickupRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    picker = ReadRef(in);
    item = ReadRef(in);
    amount = in.ReadI32();
    return !in.Failed();
}

void LevelChangeRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kLevelChange, kSize, [&](ByteWriter& out) {
        WriteText(out, levelName, sizeof levelName, sizeof levelName - 1);
        WriteText(out, startName, sizeof startName, sizeof startName - 1);
        out.WriteU32(uint32_t(startNumber));
    });
}

bool LevelChangeRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, levelName, sizeof levelName);
    ReadText(in, startName, sizeof startName);
    startNumber = in.ReadI32();
    return !in.Failed();
}

void ScriptEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kScript, kSize, [&](ByteWriter& out) {
        WriteText(out, text, kTextField, kMaxText);
        WriteText(out, label, kTextField, kMaxText);
        for (int32_t value : objVariables)
            out.WriteU32(uint32_t(value));
        out.WriteU32(uint32_t(elem.objID));
        out.WriteU32(elem.myRnd);
        out.WriteU16(elem.type);
        out.WriteU16(0);
        out.WriteU8(currentObj);
        out.WriteU8(runFlags);
        out.WriteU16(0);
    });
}

bool ScriptEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, text, kTextField);
    ReadText(in, label, kTextField);
    for (int32_t& value : objVariables)
        value = in.ReadI32();
    elem.objID = in.ReadI32();
    elem.myRnd = in.ReadU32();
    elem.type = in.ReadU16();
    in.Skip(2);
    currentObj = in.ReadU8();
    runFlags = in.ReadU8();
    return !in.Failed();
}

void IDEventRecord::Write(WorldEvent& event, uint16_t type) const
{
    WritePayload(event, type, kSize, [&](ByteWriter& out) { out.WriteU32(uint32_t(id)); });
}

bool IDEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    id = in.ReadI32();
    return !in.Failed();
}

void SoundEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kSound, kSize, [&](ByteWriter& out) {
        WriteText(out, name, sizeof name, sizeof name - 1);
        out.WriteU32(uint32_t(parameter));
        out.WriteFloat(x);
        out.WriteFloat(y);
        out.WriteU32(uint32_t(positional));
        out.WriteU32(uint32_t(sourceID));
    });
}

bool SoundEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, name, sizeof name);
    parameter = in.ReadI32();
    x = in.ReadFloat();
    y = in.ReadFloat();
    positional = in.ReadI32();
    sourceID = in.ReadI32();
    return !in.Failed();
}

void UseRequestRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kUseRequest, kSize, [&](ByteWriter& out) {
        WriteText(out, itemName, kTextField, kTextField - 1);
        out.WriteU32(uint32_t(scriptID));
        out.WriteU32(uint32_t(keyNumber));
        WriteText(out, handler, kTextField, kTextField - 1);
    });
}

bool UseRequestRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, itemName, kTextField);
    scriptID = in.ReadI32();
    keyNumber = in.ReadI32();
    ReadText(in, handler, kTextField);
    return !in.Failed();
}

void MusicEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kMusic, kSize, [&](ByteWriter& out) {
        WriteText(out, name, sizeof name, sizeof name - 1);
        out.WriteU32(uint32_t(mode));
        out.WriteFloat(fade);
    });
}

bool MusicEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, name, sizeof name);
    mode = in.ReadI32();
    fade = in.ReadFloat();
    return !in.Failed();
}

void SequenceEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kSequence, kSize,
                 [&](ByteWriter& out) { WriteText(out, name, sizeof name, 123); });
}

bool SequenceEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    ReadText(in, name, sizeof name);
    return !in.Failed();
}

void ByteEventRecord::Write(WorldEvent& event, uint16_t type) const
{
    WritePayload(event, type, kSize, [&](ByteWriter& out) { out.WriteU8(value); });
}

bool ByteEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    value = in.ReadU8();
    return !in.Failed();
}

void DamageEventRecord::Write(WorldEvent& event) const
{
    WritePayload(event, WorldEventType::kDamage, kSize, [&](ByteWriter& out) {
        WriteRef(out, target);
        damage.Write(out);
        out.WriteU32(uint32_t(causerID));
        WriteRef(out, causer);
        out.WriteFloat(origin[0]);
        out.WriteFloat(origin[1]);
        out.WriteFloat(direction[0]);
        out.WriteFloat(direction[1]);
        out.WriteU32(uint32_t(values[0]));
        out.WriteU32(uint32_t(values[1]));
    });
}

bool DamageEventRecord::Read(const WorldEvent& event)
{
    ByteReader in = PayloadReader(event, kSize);
    target = ReadRef(in);
    damage.Read(in);
    causerID = in.ReadI32();
    causer = ReadRef(in);
    origin[0] = in.ReadFloat();
    origin[1] = in.ReadFloat();
    direction[0] = in.ReadFloat();
    direction[1] = in.ReadFloat();
    values[0] = in.ReadI32();
    values[1] = in.ReadI32();
    return !in.Failed();
}
