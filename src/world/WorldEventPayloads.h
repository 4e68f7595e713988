// WorldEventPayloads: the world event types and the payload records that the world's event step
// reads, each with its one writer and reader, so that whoever posts an event (the world, the
// controller, the script functions, the network) writes the bytes the event step reads.
// Payloads are little-endian; texts lie NUL-terminated in fixed fields. A reader answers false
// for a payload shorter than its record: the event step drops such an event.
#pragma once
#include "world/DamageValuesImage.h"
#include "world/ObjRef.h"
#include "world/WorldEvent.h"

#include <cstdint>

namespace WorldEventType {
constexpr uint16_t kKill = 2;
constexpr uint16_t kTextMessage = 3;
constexpr uint16_t kUse = 4;
constexpr uint16_t kPickup = 5;
constexpr uint16_t kLevelChange = 6;
constexpr uint16_t kScript = 8;
constexpr uint16_t kReenter = 9;
constexpr uint16_t kNothing = 10;
constexpr uint16_t kDamage = 11;
constexpr uint16_t kSound = 12;
constexpr uint16_t kElementCall = 13;
constexpr uint16_t kUseRequest = 14;
constexpr uint16_t kMusic = 15;
constexpr uint16_t kSequence = 16;
constexpr uint16_t kGameEnd = 17;
constexpr uint16_t kGameEndByte = 18;
}  // namespace WorldEventType

// Makes the event hold a copy of size bytes of data (no payload for 0), due at time.
void SetEventPayload(WorldEvent& event, uint16_t type, const uint8_t* data, int32_t size, double time);
// A copy of an event with its own payload.
void CopyEvent(WorldEvent& target, const WorldEvent& source);

// Type 2, 16 bytes: 0 the victim, 8 the killer (object ID, check value).
struct KillEventRecord {
    static constexpr int32_t kSize = 16;
    ObjRef victim;
    ObjRef killer;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 4, 12 bytes: 0 object ID (a wall ID for type code 7), 4 type code (u16), 6 two bytes
// padding, 8 the value handed to the use.
struct UseEventRecord {
    static constexpr int32_t kSize = 12;
    int32_t objID = -1;
    uint16_t typeCode = 0xFFFF;
    int32_t value = 0;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 5, 20 bytes: 0 the picker, 8 the item element, 16 the amount (0 or less: the whole stack).
struct PickupRecord {
    static constexpr int32_t kSize = 20;
    ObjRef picker;
    ObjRef item;
    int32_t amount = 0;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 6, 196 bytes: 0 level name (128 bytes, at most 127 characters), 128 start position name
// (64 bytes, at most 63), 192 start position number (i32; -1 when a name is given).
struct LevelChangeRecord {
    static constexpr int32_t kSize = 196;
    char levelName[128] = {};
    char startName[64] = {};
    int32_t startNumber = 0;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 8, 1552 bytes: 0 script text (256 bytes, at most 254 characters written), 256 caller label
// (likewise), 512 the 256 object script variables (i32 each), 1536 the element: object ID (i32),
// check value (u32) and type code (u16), all ten bytes 0xFF without element; 1546 two bytes
// padding; 1548 the current-object flag; 1549 the run flags; 1550 two bytes padding.
struct ScriptEventRecord {
    static constexpr int32_t kSize = 1552;
    static constexpr int32_t kTextField = 256;
    static constexpr int32_t kMaxText = 254;
    static constexpr int32_t kObjVariables = 256;
    char text[kTextField] = {};
    char label[kTextField] = {};
    int32_t objVariables[kObjVariables] = {};
    ObjRef3 elem;
    uint8_t currentObj = 0;
    uint8_t runFlags = 255;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 9, 4 bytes: the script ID to resume. Type 13, 4 bytes: the object ID to call.
struct IDEventRecord {
    static constexpr int32_t kSize = 4;
    int32_t id = -1;
    void Write(WorldEvent& event, uint16_t type) const;
    bool Read(const WorldEvent& event);
};

// Type 12, 144 bytes: 0 sound name (124 bytes, at most 123 characters), 124 parameter (i32),
// 128 x and 132 y of the position (f32; 0 without), 136 position flag (i32, 1 with a position),
// 140 object ID of the source (-1 without).
struct SoundEventRecord {
    static constexpr int32_t kSize = 144;
    char name[124] = {};
    int32_t parameter = 0;
    float x = 0.0f;
    float y = 0.0f;
    int32_t positional = 0;
    int32_t sourceID = -1;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 14, 520 bytes: a script's request that the game lets the player use an item or a key:
// 0 item name (256 bytes, at most 255 characters; empty for a key), 256 the requesting script's
// ID (i32, -1 none), 260 key number (i32, -1 for an item), 264 handler script text (256 bytes,
// at most 255 characters).
struct UseRequestRecord {
    static constexpr int32_t kSize = 520;
    static constexpr int32_t kTextField = 256;
    char itemName[kTextField] = {};
    int32_t scriptID = -1;
    int32_t keyNumber = -1;
    char handler[kTextField] = {};
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 15, 136 bytes: 0 track name (128 bytes, at most 127 characters), 128 mode (i32: -1 the
// level's track by name, 0 play it, 1 the second music channel), 132 fade time (f32).
struct MusicEventRecord {
    static constexpr int32_t kSize = 136;
    char name[128] = {};
    int32_t mode = 0;
    float fade = 0.0f;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Type 16, 128 bytes: the video file name (at most 123 characters written).
struct SequenceEventRecord {
    static constexpr int32_t kSize = 128;
    char name[128] = {};
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};

// Types 17 and 18, 1 byte: the end of the game and its reason.
struct ByteEventRecord {
    static constexpr int32_t kSize = 1;
    uint8_t value = 0;
    void Write(WorldEvent& event, uint16_t type) const;
    bool Read(const WorldEvent& event);
};

// Type 11, 116 bytes: damage to one target on behalf of a causer, applied by the game's rules in
// the world update: 0 the target (object ID, check value), 8 the damage values' image
// (DamageValuesImage, 72 bytes), 80 the causer's object ID (i32; -1 none, 999900 and above a
// causer that is no element), 84 the causer (object ID, check value; -1 and -1 when it was no
// element), 92 x and 96 y of the origin (f32), 100 x and 104 y of the direction (f32, unit length,
// or 0 and 0), 108 and 112 the two values the poster gave (i32).
struct DamageEventRecord {
    static constexpr int32_t kSize = 116;
    ObjRef target;
    DamageValuesImage damage;
    int32_t causerID = -1;
    ObjRef causer;
    float origin[2] = {0.0f, 0.0f};
    float direction[2] = {0.0f, 0.0f};
    int32_t values[2] = {0, 0};
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};
