// FuzzPlayerCommands: arbitrary bytes read as one unit of a player's command (0xA001 to 0xA302)
// or of the damage report (0x2200), as a server and a client take them from their peers. A unit
// either fails with a fault or decodes; what decoded, encoded again, decodes to the same record
// and the same bytes.
//
// Input: u16 message id, then the unit.
#include "FuzzTarget.h"

#include "scifi/input/PlayerCommandCodec.h"

#include <span>

namespace {

[[noreturn]] void Mismatch(uint16_t id)
{
    char what[80];
    std::snprintf(what, sizeof what, "message 0x%04X: a decoded unit encoded again reads otherwise", id);
    Fuzz::Finding(what);
}

void CheckCommand(uint16_t id, std::span<const uint8_t> unit)
{
    PlayerCommandCodec::PlayerCommand command;
    const char* fault = nullptr;
    if (!PlayerCommandCodec::Decode(id, unit, command, &fault)) {
        if (!fault)
            Mismatch(id);  // every refusal names its fault
        return;
    }
    const std::vector<uint8_t> bytes = PlayerCommandCodec::Encode(command);
    PlayerCommandCodec::PlayerCommand again;
    if (!PlayerCommandCodec::Decode(id, bytes, again, &fault) || again.kind != command.kind ||
        again.x != command.x || again.y != command.y || again.target.objID != command.target.objID ||
        again.target.myRnd != command.target.myRnd || !(again.name == command.name) ||
        PlayerCommandCodec::Encode(again) != bytes)
        Mismatch(id);
}

void CheckDamageReport(std::span<const uint8_t> unit)
{
    PlayerCommandCodec::DamageReport report;
    const char* fault = nullptr;
    if (!PlayerCommandCodec::DecodeDamageReport(unit, report, &fault))
        return;
    const std::vector<uint8_t> bytes = PlayerCommandCodec::EncodeDamageReport(report);
    PlayerCommandCodec::DamageReport again;
    if (bytes.size() != size_t(PlayerCommandCodec::kDamageReportSize) ||
        !PlayerCommandCodec::DecodeDamageReport(bytes, again, &fault) ||
        PlayerCommandCodec::EncodeDamageReport(again) != bytes)
        Mismatch(PlayerCommandCodec::kMsgDamageReport);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 2 || size > Fuzz::kMaxInput)
        return 0;
    const uint16_t id = ByteReader::DecodeU16(data);
    const std::span<const uint8_t> unit(data + 2, size - 2);
    if (id == PlayerCommandCodec::kMsgDamageReport)
        CheckDamageReport(unit);
    else
        CheckCommand(id, unit);
    return 0;
}
