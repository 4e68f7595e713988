// GameValueCodec: the value encodings that game messages share (texts, element references,
// positions, animation cycles, script values), read and written through the checked
// little-endian reader and writer. A failed read fails the reader, so a handler reads a group of
// values and tests Failed() once.
#pragma once
#include "base/ByteReader.h"
#include "base/String.h"
#include "game/objects/CreatureSyncData.h"
#include "world/ObjRef.h"

#include <cstdint>

struct ScriptValue;

// An element's place as position updates carry it (18 bytes):
//   0  i32  object ID        4  u32  check value   (the ObjRef; -1, -1 for none)
//   8  f32  x               12  f32  y              (bit for bit)
//  16  u16  own angle as a PackedFloat16, so it keeps nine mantissa bits
struct NetObjPos {
    static constexpr int32_t kSize = 18;

    ObjRef ref;
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;
};

// The animation state of a creature (12 bytes), the unit of message 0x0900 and part of the
// object synchronisation:
//   0  i32  object ID of the creature
//   4  u16  movement cycle reference     6  u16  movement cycle value, PackedFloat16
//   8  u16  action cycle reference      10  u16  action cycle value, PackedFloat16
// A reference with bit 15 set names no cycle; otherwise bits 0..13 are the cycle ID and bit 14 a
// flag for the creature's cycle setter (a cycle played backwards): the words of AniCycleSyncEntry.
struct AnicycleUnit {
    static constexpr int32_t kSize = 12;
    static constexpr uint16_t kNoCycle = AniCycleSyncEntry::kNoCycleBit;

    int32_t objID = -1;
    uint16_t moveCycle = kNoCycle;
    uint16_t moveValue = 0;
    uint16_t actionCycle = kNoCycle;
    uint16_t actionValue = 0;

    static int32_t CycleID(uint16_t reference) { return AniCycleSyncEntry::IDOf(reference); }
    static bool CycleFlag(uint16_t reference) { return AniCycleSyncEntry::FlagOf(reference); }
};

class GameValueCodec {
public:
    static constexpr int32_t kObjRefSize = 8;
    static constexpr int32_t kObjRef3Size = 12;  // ObjRef, then the type code as an i32

    // u32 length in characters, then the 8-bit characters without terminator. A length beyond
    // the bytes left fails the reader before anything is taken, so a lying length never reads
    // past its unit or allocates more than the message holds.
    static String ReadString(ByteReader& reader);
    static bool WriteString(ByteWriter& writer, const String& text);
    static int32_t StringSize(const String& text) { return 4 + text.TextLength(); }

    // 8-bit characters in a field of fixed length: the text ends at the first 0; writing keeps at
    // most bytes - 1 of them and fills the rest with 0, so the field always ends with a 0.
    static String ReadCharFixed(ByteReader& reader, int32_t bytes);
    static bool WriteCharFixed(ByteWriter& writer, const String& text, int32_t bytes);
    // UTF-16 units in a field of fixed length: the text ends at the first 0 unit; writing keeps
    // at most units - 1 of them and fills the rest with 0.
    static wString ReadWideFixed(ByteReader& reader, int32_t units);
    static bool WriteWideFixed(ByteWriter& writer, const wString& text, int32_t units);
    // UTF-16 units with a 0 terminator; a text without one before the end fails the reader.
    static wString ReadWideTerminated(ByteReader& reader);
    static bool WriteWideTerminated(ByteWriter& writer, const wString& text);

    static ObjRef ReadObjRef(ByteReader& reader);
    static bool WriteObjRef(ByteWriter& writer, const ObjRef& ref);
    // A type code outside 0..65535 fails the reader; -1 is read as none (65535).
    static ObjRef3 ReadObjRef3(ByteReader& reader);
    static bool WriteObjRef3(ByteWriter& writer, const ObjRef3& ref);

    static NetObjPos ReadNetObjPos(ByteReader& reader);
    static bool WriteNetObjPos(ByteWriter& writer, const NetObjPos& pos);

    static AnicycleUnit ReadAnicycleUnit(ByteReader& reader);
    static bool WriteAnicycleUnit(ByteWriter& writer, const AnicycleUnit& unit);

    // u8 type, then for 1 (Int) an i32, for 2 (Float) an f64, for 3 (String) a String; other
    // types have no body and are read as Void, and a value of any other type is written as Void.
    static bool ReadScriptValue(ByteReader& reader, ScriptValue& value);
    static bool WriteScriptValue(ByteWriter& writer, const ScriptValue& value);
    static int32_t ScriptValueSize(const ScriptValue& value);
};
