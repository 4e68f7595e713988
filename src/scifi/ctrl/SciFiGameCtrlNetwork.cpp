// SciFiGameCtrl: the game's hooks of the network node: the skill slots sent when the client's game
// starts, the damage report a client receives, the players' commands that the server receives,
// the chat lines of players joining and leaving, and the join screen's list of servers found on
// the local network.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "platform/Socket.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/text/FormatConversions.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <memory>
#include <span>

void SciFiGameCtrl::SetConnectionState(int32_t state)
{
    GameServer::SetConnectionState(state);
    if (state != eRunningGame)
        return;
    CreatureObj* hero = GetMainChar();
    auto* input = hero ? dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl) : nullptr;
    if (!input)
        return;
    for (int32_t slot : {1, 3, 2})  // the order the server has always been given them in
        input->SendSkillSlot(slot, false);
}

void SciFiGameCtrl::DispatchMessage(const GamePacketHeader& header)
{
    // A listening server never takes a damage report: it is the one that deals the damage.
    if (header.id == PlayerCommandCodec::kMsgDamageReport && !IsListening())
        ReceiveDamageReport(header);
    else
        GameServer::DispatchMessage(header);
}

// 0x2200: units of 96 bytes (PlayerCommandCodec.h). A unit about a creature that is not here is
// skipped; the next one still applies.
void SciFiGameCtrl::ReceiveDamageReport(const GamePacketHeader& header)
{
    if (header.unitSize != PlayerCommandCodec::kDamageReportSize) {
        Warning("Damage report of %i-byte units dropped", header.unitSize);
        return;
    }
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const size_t size = in.GetRemaining();
        PlayerCommandCodec::DamageReport report;
        const char* fault = nullptr;
        if (!PlayerCommandCodec::DecodeDamageReport(std::span<const uint8_t>(in.ReadSpan(size), size), report, &fault)) {
            Warning("Damage report unit dropped: %s", fault);
            return;
        }
        ApplyDamageReport(report);
    });
}

void SciFiGameCtrl::ApplyDamageReport(const PlayerCommandCodec::DamageReport& report)
{
    WorldElem* found = m_World.GetObjByIdentifier(report.damaged);
    auto* creature = found && found->IsCreature() ? dynamic_cast<CreatureObj_SF*>(found) : nullptr;
    if (!creature) {
        if (LogsTraffic(1))
            Log::Write("NetRec: damage report for objID %i, which is no creature here", report.damaged.objID);
        return;
    }
    WorldElem* attacker = report.attacker.objID >= 0 ? m_World.GetObjByIdentifier(report.attacker) : nullptr;
    DamageValues_SF_Clean clean;
    clean.FromImage(report.damage);
    std::unique_ptr<DamageValues> made(CreateDamageValues());
    auto* values = dynamic_cast<DamageValues_SF*>(made.get());
    if (!values)
        return;
    values->AssignFrom(clean);
    SmartPtr<WorldElem> alive(creature);
    if (creature->m_HitMark > 0) {
        m_LastHitAttackerID = attacker ? attacker->m_ObjID : -1;
        if (!attacker || creature->IsEnemyOf(attacker, false))
            OnEnemyHit(*values);
        else
            OnFriendlyHit(*values);
    }
    if (alive.Get())
        creature->ApplyHit(values, attacker, D3DXVECTOR2(report.x, report.y), -2);
}

// The server's side: every unit decoded, a faulty one dropped with one warning, the rest handed to
// the game's server for the client's creature.
bool SciFiGameCtrl::DispatchGameMessage(const GamePacketHeader& header, GameClientInfo& client)
{
    if (!PlayerCommandCodec::IsCommand(header.id))
        return false;
    if (header.unitSize < 0) {
        Warning("Client %i: message 0x%04X of %i-byte units dropped", GetCurrentClient(), header.id, header.unitSize);
        return true;
    }
    auto take = [&](std::span<const uint8_t> unit) {
        PlayerCommandCodec::PlayerCommand command;
        const char* fault = nullptr;
        if (!PlayerCommandCodec::Decode(header.id, unit, command, &fault)) {
            Warning("Client %i: message 0x%04X dropped: %s", GetCurrentClient(), header.id, fault);
            return;
        }
        ApplyPlayerCommand(client, command);
    };
    if (header.unitSize == 0) {  // empty units, however many, say one thing once
        take(std::span<const uint8_t>());
        return true;
    }
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const size_t size = in.GetRemaining();
        take(std::span<const uint8_t>(in.ReadSpan(size), size));
    });
    return true;
}

void SciFiGameCtrl::ApplyPlayerCommand(GameClientInfo& client, const PlayerCommandCodec::PlayerCommand& command)
{
    (void)client;
    (void)command;
}

// ---- presence ----

void SciFiGameCtrl::OnCharacterAdded(WorldElem* elem)
{
    GameServer::OnCharacterAdded(elem);
    if (auto* creature = dynamic_cast<CreatureObj*>(elem))
        OnPlayerJoined(*creature);
}

void SciFiGameCtrl::OnCharacterRemoved(CreatureObj* creature)
{
    GameServer::OnCharacterRemoved(creature);
    if (creature)
        OnPlayerLeft(*creature);
}

void SciFiGameCtrl::OnPlayerJoined(CreatureObj& creature) { AddPresenceLine(creature, "player_joined"); }

void SciFiGameCtrl::OnPlayerLeft(CreatureObj& creature) { AddPresenceLine(creature, "player_left"); }

void SciFiGameCtrl::AddPresenceLine(CreatureObj& creature, const char* key)
{
    const wString line = FormatPresenceLine(GetGuiDBText("net_msg", key, nullptr), creature.GetDisplayName());
    AddChatMessageAt(GetRealTime(), line, wString());  // a notice of the game, as AddSystemChatMessage
}

wString SciFiGameCtrl::FormatPresenceLine(const wString& text, const wString& name)
{
    wString line(u"|c5F9");
    line += text;
    if (FormatConversionKinds(text) != "s")
        return line + wString(u" ") + name;  // a text without its one place for the name
    wString formatted;
    formatted.Format(line.c_str(), name.c_str());
    return formatted;
}

void SciFiGameCtrl::CopyServerList(JoinGui::ServerList& list)
{
    list.DeleteAll();
    for (int32_t index = 0; index < GetNumLanServers(); ++index) {
        const GameServerInfoWithIP* server = GetLanServer(index);
        JoinGui::ServerListEntry* entry = list.GetBySlot(list.Add());
        entry->host = Socket::DottedText(server->address).c_str();
        entry->name = server->info.GetName();
        entry->port = server->info.port;
        // Announced as unsigned; the screen shows them as the signed values the server sent.
        entry->level = int32_t(server->info.levelProgressID);
        entry->difficulty = int32_t(server->info.difficulty);
        entry->players = server->info.players;
        entry->maxPlayers = server->info.maxPlayers;
    }
}
