// PlayerCommandCodec: the bytes of the game's own messages: a player's commands from a client to
// the server (0xA001 to 0xA302) and the damage report from the server to a hero's client
// (0x2200). One encoder and one checked decoder per message, used by both sides: the client's
// input controller writes the commands and the server reads them; the server writes the damage
// report and the client reads it. Each message is one unit after the 12-byte game header.
//
//   0xA001 point order    UDP, free length: u32 kind (0 walk, 1 attack with the primary button,
//                         2 with the secondary one), f32 x, f32 y; kinds 1 and 2 then a String
//                         (u32 length, characters): the order's strategy, empty for none
//   0xA002 object order   UDP, free length: u32 kind, ObjRef of the target (i32 ID, u32 check
//                         value); kinds 1 and 2 then the strategy's String
//   0xA003 button up      UDP, free length: u8 button 0..3 (move, attack, secondary, switch)
//   0xA100 cursor point   UDP, free length: f32 x, f32 y of the ground under the cursor
//   0xA101 no cursor      UDP, size 0: nothing
//   0xA200 dodge          UDP, free length: f32 x, f32 y, the direction (not normalised)
//   0xA300..0xA302 slots  skill slot 1..3: the String of the skill's name, empty for none; UDP
//                         when the player changes it, TCP at the start of the running game
//   0x2200 damage report  TCP, 96 bytes: ObjRef of the damaged creature, ObjRef of the attacker
//                         (-1, -1 for none), f32 x, f32 y of the hit, the 72-byte damage image
//
// The kind is a whole 32-bit field: 0x00000101 is no kind 1. Kind 3 (the switch button) is sent
// by nobody but is taken; 4 and above, a float that is not finite or a String that runs past its
// unit drop the unit.
#pragma once
#include "base/String.h"
#include "world/DamageValuesImage.h"
#include "world/ObjRef.h"

#include <cstdint>
#include <span>
#include <vector>

class ByteReader;

namespace PlayerCommandCodec {

constexpr uint16_t kMsgPointOrder = 0xA001;
constexpr uint16_t kMsgObjectOrder = 0xA002;
constexpr uint16_t kMsgButtonReleased = 0xA003;
constexpr uint16_t kMsgCursor = 0xA100;
constexpr uint16_t kMsgNoCursor = 0xA101;
constexpr uint16_t kMsgDodge = 0xA200;
constexpr uint16_t kMsgSkillSlot1 = 0xA300;  // slots 2 and 3 follow
constexpr uint16_t kMsgDamageReport = 0x2200;
constexpr int32_t kDamageReportSize = 96;
constexpr uint32_t kButtons = 4;  // kinds and buttons below this are taken
constexpr int32_t kSkillSlots = 3;

// One decoded command; which fields hold depends on the id.
struct PlayerCommand {
    uint16_t id = 0;
    uint32_t kind = 0;   // the order's kind, the released button, the skill slot (1..3)
    float x = 0.0f;      // point, cursor or dodge
    float y = 0.0f;
    ObjRef target;       // object order
    String name;         // the strategy of an attack order, the skill of a slot
};

struct DamageReport {
    ObjRef damaged;
    ObjRef attacker;  // (-1, -1): none
    float x = 0.0f;
    float y = 0.0f;
    DamageValuesImage damage;
};

// The message id of skill slot 1..3; 0 outside.
uint16_t SkillSlotMessage(int32_t slot);
// True for the ids 0xA001 to 0xA302 that are commands.
bool IsCommand(uint16_t id);

// Encoders: the unit's bytes, to follow the header.
std::vector<uint8_t> EncodePointOrder(uint32_t kind, float x, float y, const String& strategy);
std::vector<uint8_t> EncodeObjectOrder(uint32_t kind, const ObjRef& target, const String& strategy);
std::vector<uint8_t> EncodeButtonReleased(uint32_t button);
std::vector<uint8_t> EncodePoint(float x, float y);  // the cursor point and the dodge
std::vector<uint8_t> EncodeSkillSlot(const String& skill);
std::vector<uint8_t> EncodeDamageReport(const DamageReport& report);
// Any command's unit from its record (the id picks the encoder); empty for an id that is none.
std::vector<uint8_t> Encode(const PlayerCommand& command);

// Decoders of one whole unit. False, with why in fault, when the unit is short or carries a value
// the fault list above refuses; bytes after what the message holds are left unread.
bool DecodePointOrder(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);
bool DecodeObjectOrder(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);
bool DecodeButtonReleased(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);
bool DecodePoint(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);
bool DecodeSkillSlot(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);
bool DecodeDamageReport(std::span<const uint8_t> unit, DamageReport& out, const char** fault);
// The decoder of the id; an id that is no command is a fault.
bool Decode(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault);

}  // namespace PlayerCommandCodec
