// PlayerCommandCodec: the encoders and checked decoders of the players' commands and the damage
// report.
#include "scifi/input/PlayerCommandCodec.h"

#include "base/ByteReader.h"
#include "net/GameValueCodec.h"

#include <cmath>

namespace PlayerCommandCodec {

namespace {

// A writer over a vector sized for the unit; the sizes are ours, so a failed write is a fault of
// this file.
class UnitWriter {
public:
    explicit UnitWriter(size_t size) : m_Bytes(size), m_Out(m_Bytes.data(), m_Bytes.size()) {}
    ByteWriter& Out() { return m_Out; }
    std::vector<uint8_t> Take()
    {
        m_Bytes.resize(m_Out.Failed() ? 0 : m_Out.GetPosition());
        return std::move(m_Bytes);
    }

private:
    std::vector<uint8_t> m_Bytes;
    ByteWriter m_Out;
};

bool HasStrategy(uint32_t kind) { return kind == 1 || kind == 2; }

bool Fail(const char** fault, const char* why)
{
    if (fault)
        *fault = why;
    return false;
}

bool Finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

// The strategy's String of an attack order; a String longer than the unit fails the reader.
bool ReadStrategy(ByteReader& in, PlayerCommand& out, const char** fault)
{
    if (!HasStrategy(out.kind))
        return true;
    out.name = GameValueCodec::ReadString(in);
    return in.Failed() ? Fail(fault, "strategy name runs past the unit") : true;
}

}  // namespace

uint16_t SkillSlotMessage(int32_t slot)
{
    return slot >= 1 && slot <= kSkillSlots ? uint16_t(kMsgSkillSlot1 + slot - 1) : uint16_t(0);
}

bool IsCommand(uint16_t id)
{
    switch (id) {
    case kMsgPointOrder:
    case kMsgObjectOrder:
    case kMsgButtonReleased:
    case kMsgCursor:
    case kMsgNoCursor:
    case kMsgDodge:
        return true;
    default:
        return id >= kMsgSkillSlot1 && id < kMsgSkillSlot1 + kSkillSlots;
    }
}

// ---- encoders ----

std::vector<uint8_t> EncodePointOrder(uint32_t kind, float x, float y, const String& strategy)
{
    UnitWriter unit(12 + (HasStrategy(kind) ? size_t(GameValueCodec::StringSize(strategy)) : 0));
    unit.Out().WriteU32(kind);
    unit.Out().WriteFloat(x);
    unit.Out().WriteFloat(y);
    if (HasStrategy(kind))
        GameValueCodec::WriteString(unit.Out(), strategy);
    return unit.Take();
}

std::vector<uint8_t> EncodeObjectOrder(uint32_t kind, const ObjRef& target, const String& strategy)
{
    UnitWriter unit(4 + GameValueCodec::kObjRefSize +
                    (HasStrategy(kind) ? size_t(GameValueCodec::StringSize(strategy)) : 0));
    unit.Out().WriteU32(kind);
    GameValueCodec::WriteObjRef(unit.Out(), target);
    if (HasStrategy(kind))
        GameValueCodec::WriteString(unit.Out(), strategy);
    return unit.Take();
}

std::vector<uint8_t> EncodeButtonReleased(uint32_t button) { return {uint8_t(button)}; }

std::vector<uint8_t> EncodePoint(float x, float y)
{
    UnitWriter unit(8);
    unit.Out().WriteFloat(x);
    unit.Out().WriteFloat(y);
    return unit.Take();
}

std::vector<uint8_t> EncodeSkillSlot(const String& skill)
{
    UnitWriter unit(size_t(GameValueCodec::StringSize(skill)));
    GameValueCodec::WriteString(unit.Out(), skill);
    return unit.Take();
}

std::vector<uint8_t> EncodeDamageReport(const DamageReport& report)
{
    UnitWriter unit(kDamageReportSize);
    GameValueCodec::WriteObjRef(unit.Out(), report.damaged);
    GameValueCodec::WriteObjRef(unit.Out(), report.attacker);
    unit.Out().WriteFloat(report.x);
    unit.Out().WriteFloat(report.y);
    report.damage.Write(unit.Out());
    return unit.Take();
}

std::vector<uint8_t> Encode(const PlayerCommand& command)
{
    switch (command.id) {
    case kMsgPointOrder:
        return EncodePointOrder(command.kind, command.x, command.y, command.name);
    case kMsgObjectOrder:
        return EncodeObjectOrder(command.kind, command.target, command.name);
    case kMsgButtonReleased:
        return EncodeButtonReleased(command.kind);
    case kMsgCursor:
    case kMsgDodge:
        return EncodePoint(command.x, command.y);
    case kMsgNoCursor:
        return {};
    default:
        return IsCommand(command.id) ? EncodeSkillSlot(command.name) : std::vector<uint8_t>();
    }
}

// ---- decoders ----

bool DecodePointOrder(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = PlayerCommand{};
    out.id = kMsgPointOrder;
    out.kind = in.ReadU32();
    out.x = in.ReadFloat();
    out.y = in.ReadFloat();
    if (in.Failed())
        return Fail(fault, "unit cut short");
    if (out.kind >= kButtons)
        return Fail(fault, "kind out of range");
    if (!Finite(out.x, out.y))
        return Fail(fault, "point not finite");
    return ReadStrategy(in, out, fault);
}

bool DecodeObjectOrder(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = PlayerCommand{};
    out.id = kMsgObjectOrder;
    out.kind = in.ReadU32();
    out.target = GameValueCodec::ReadObjRef(in);
    if (in.Failed())
        return Fail(fault, "unit cut short");
    if (out.kind >= kButtons)
        return Fail(fault, "kind out of range");
    return ReadStrategy(in, out, fault);
}

bool DecodeButtonReleased(std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = PlayerCommand{};
    out.id = kMsgButtonReleased;
    out.kind = in.ReadU8();
    if (in.Failed())
        return Fail(fault, "unit cut short");
    return out.kind < kButtons ? true : Fail(fault, "button out of range");
}

bool DecodePoint(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = PlayerCommand{};
    out.id = id;
    if (id == kMsgNoCursor)
        return true;
    out.x = in.ReadFloat();
    out.y = in.ReadFloat();
    if (in.Failed())
        return Fail(fault, "unit cut short");
    return Finite(out.x, out.y) ? true : Fail(fault, "point not finite");
}

bool DecodeSkillSlot(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = PlayerCommand{};
    out.id = id;
    out.kind = uint32_t(id - kMsgSkillSlot1 + 1);
    out.name = GameValueCodec::ReadString(in);
    return in.Failed() ? Fail(fault, "skill name runs past the unit") : true;
}

bool DecodeDamageReport(std::span<const uint8_t> unit, DamageReport& out, const char** fault)
{
    ByteReader in(unit.data(), unit.size());
    out = DamageReport{};
    out.damaged = GameValueCodec::ReadObjRef(in);
    out.attacker = GameValueCodec::ReadObjRef(in);
    out.x = in.ReadFloat();
    out.y = in.ReadFloat();
    out.damage.Read(in);
    if (in.Failed())
        return Fail(fault, "unit cut short");
    // A value that is no number would spread through the creature's health and its protection.
    bool finite = Finite(out.x, out.y) && Finite(out.damage.valueA, out.damage.valueB) &&
                  Finite(out.damage.physical[0], out.damage.physical[1]);
    for (float amount : out.damage.damage)
        finite = finite && std::isfinite(amount);
    for (float value : out.damage.rulesValues)
        finite = finite && std::isfinite(value);
    return finite ? true : Fail(fault, "value not finite");
}

bool Decode(uint16_t id, std::span<const uint8_t> unit, PlayerCommand& out, const char** fault)
{
    switch (id) {
    case kMsgPointOrder:
        return DecodePointOrder(unit, out, fault);
    case kMsgObjectOrder:
        return DecodeObjectOrder(unit, out, fault);
    case kMsgButtonReleased:
        return DecodeButtonReleased(unit, out, fault);
    case kMsgCursor:
    case kMsgNoCursor:
    case kMsgDodge:
        return DecodePoint(id, unit, out, fault);
    default:
        if (IsCommand(id))
            return DecodeSkillSlot(id, unit, out, fault);
        return Fail(fault, "no command");
    }
}

}  // namespace PlayerCommandCodec
