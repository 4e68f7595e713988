// GameServer: a client's join, as the server drives it through the client's state: PlayerInfo
// and its version (2 to 4), the level's load request (5), the level loaded (6) with the game's
// basics and the checksums (7), the end of its sync requests (8, GameServerSyncSend.cpp), the
// synchronised report (9) and the character it then gets (10). A peer may send anything at any
// time: each message is taken only in the state it belongs to.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/ai/InputCtrl.h"
#include "level/WorldElemKind.h"
#include "net/GameValueCodec.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

namespace {

// A peer on this machine (the transport is IPv4): only a player hosting the game here may make
// its leaving end it.
bool IsLoopbackAddress(const String& address) { return address.StartsWith("127."); }

}  // namespace

// 0x0300 PlayerInfo (layout at GameNetworkNode::SendPlayerInfo): one unit of at least 259 bytes;
// the bytes after the first 259 are the character block when the flag announces one, at most
// kMaxCharacterData, kept as they came. The texts end at their field's end without a NUL.
bool GameServer::CheckClientVersion(GameClientInfo& client, const GamePacketHeader& header)
{
    const int32_t slot = m_CurrentClient;
    if (client.state != kClientAccepted && client.state < kClientPlayerInfo) {
        Warning("Client %i: PlayerInfo in state %i ignored", slot, client.state);
        return false;
    }
    if (header.count != 1 || header.unitSize < kPlayerInfoSize) {
        Warning("Client %i: PlayerInfo of %u units of %i bytes ignored", slot, header.count, header.unitSize);
        return false;
    }
    uint8_t unit[kPlayerInfoSize];
    if (!ReceiveData(unit, kPlayerInfoSize)) {
        Warning("Client %i: PlayerInfo cut short", slot);
        return false;
    }
    ByteReader in(unit, sizeof unit);
    const uint16_t version = in.ReadU16();
    const String characterID = GameValueCodec::ReadCharFixed(in, kConfigIDField);
    const wString playerName = GameValueCodec::ReadWideFixed(in, kPlayerNameField);
    const bool announcesBlock = in.ReadU8() != 0;
    if (version < kProtocolVersion) {
        SendDisconnectRequest(slot, kReasonWrongVersion);
        PrintMessage("Client %i rejected. Unsupported client version: %X", slot, version);
        return true;  // the record stays until the client closes its connection
    }
    GameClientInfo::PlayerInfo& info = client.playerInfo;
    info.characterID = characterID;
    info.playerName = playerName;
    info.characterData.Close();
    const int32_t blockSize = header.unitSize - kPlayerInfoSize;
    if (announcesBlock && blockSize == 0) {
        Warning("Client %i: PlayerInfo announces character data without any", slot);
    } else if (announcesBlock && blockSize > kMaxCharacterData) {
        Warning("Client %i: character data of %i bytes exceeds %i: ignored", slot, blockSize, kMaxCharacterData);
    } else if (announcesBlock) {
        info.characterData.CreateMemoryFile(blockSize);
        std::vector<uint8_t> block(static_cast<size_t>(blockSize));
        if (!ReceiveData(block.data(), blockSize) || !info.characterData.Write(block.data(), block.size())) {
            Warning("Client %i: character data cut short", slot);
            info.characterData.Close();
        }
    }
    if (client.state == kClientAccepted)
        client.state = kClientPlayerInfo;
    if (LogsTraffic(1))
        Log::Write("NetRec: PlayerInfo name:%s, cfgID:%s", String(playerName).c_str(), characterID.c_str());
    return true;
}

void GameServer::SendLoadLevelToNewClients()
{
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const int32_t slot = m_Clients.GetUsedSlot(i);
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->state == kClientPlayerInfo) {
            SendServerInfo(slot);
            SendLoadLevelRequest(slot, GetLevelDescFile(), GetLevelSeed(), m_LevelEnteredAt);
        } else if (client && client->state == kClientSynced) {
            SendSetMainChar(slot);  // its SetMainChar found the queue full before
        }
    }
}

// 0x0500, no units: the client loaded the level it was sent.
void GameServer::ReceiveLevelLoaded(GameClientInfo& client)
{
    if (client.state != kClientLoadRequested) {
        Warning("Client %i: level loaded in state %i ignored", m_CurrentClient, client.state);
        return;
    }
    client.state = kClientLevelLoaded;
    SendGameBasics(m_CurrentClient);
    SendObjectChecksums(m_CurrentClient);
}

// 0x1200, no units: the client has every element it asked for.
void GameServer::ReceiveLevelSynced(GameClientInfo& client)
{
    if (client.state != kClientSyncsDone) {
        Warning("Client %i: level synced in state %i ignored", m_CurrentClient, client.state);
        return;
    }
    client.state = kClientSynced;
    OnPlayerJoined(m_CurrentClient);
}

// 0x0701, no units: the client is the player who hosts the game; when it leaves, the game ends.
void GameServer::ReceiveHostingChar(const GameClientInfo& client)
{
    if (!IsLoopbackAddress(client.connectionInfo.address)) {
        Log::Write("Client %i at %s asked to host the game: ignored, it does not play on this machine",
                   m_CurrentClient, client.connectionInfo.address.c_str());
        return;
    }
    m_HostingClient = m_CurrentClient;
}

void GameServer::OnPlayerJoined(int32_t slot)
{
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client)
        return;
    SetSendTarget(slot, kClientSynced);
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const int32_t other = m_Clients.GetUsedSlot(i);
        if (other == slot)
            continue;
        const GameClientInfo* info = m_Clients.GetAt(i);
        if (WorldElem* character = info && info->playerInfo.mainCharObjID >= 0
                                       ? m_World.GetObjNoCheck(info->playerInfo.mainCharObjID, false)
                                       : nullptr)
            SendPlayerCharacter(character);
    }
    if (client->inputCtrlIndex < 0 || !HasInputCtrl(client->inputCtrlIndex))
        client->inputCtrlIndex = CreateClientInput();
    else
        GetInputCtrl(client->inputCtrlIndex)->Reset();
    CreatureObj* character = CreateClientCharacter(slot, *client);

    SetSendTarget(int32_t(kExcludeFlag | uint32_t(slot)), kClientChecksumsSent);
    SendPlayerCharacter(character);
    SetSendTarget(slot, kClientSynced);
    PrintMessage("Player '%s' joined successfully", String(client->playerInfo.playerName).c_str());
    SendSetMainChar(slot);
    RunLevelEnterScript(character);
}

String GameServer::ClientCharacterConfig(int32_t slot, const String& requested)
{
    const int32_t entry = requested.IsEmpty() ? -1 : FindWorldObjectTypeIndex(requested.c_str());
    String type;
    if (entry >= 0 && GetWorldObjectReader().GetString("type", type, entry) == ConfigFileReader::kFound &&
        ParseWorldElemKind(type.c_str()) == WorldElemKind::kCreature)
        return requested;
    if (GetMainCharacters().GetSize() == 0)
        Error("No main character to give client %i", slot);
    const String fallback = GetMainCharacters().GetAt(0)->name;
    if (!requested.IsEmpty())
        Warning("Client %i: character '%s' is no creature: '%s' given instead", slot, requested.c_str(),
                fallback.c_str());
    return fallback;
}

// An error here (an unknown configuration, a level without a starting position) goes to the
// dispatcher, which removes the client and with it the character stored in its record.
CreatureObj* GameServer::CreateClientCharacter(int32_t slot, GameClientInfo& client)
{
    GameClientInfo::PlayerInfo& info = client.playerInfo;
    const String configID = ClientCharacterConfig(slot, info.characterID);
    CreatureObj* character = AddMultiplayerCharacter(configID.c_str(), client.inputCtrlIndex);
    info.mainCharObjID = character->m_ObjID;
    if (info.characterData.IsOpen() && info.characterData.GetSize() > 0) {
        info.characterData.Seek(0);
        bool loaded = false;
        try {
            loaded = ReadCharacterState(info.characterData, *character);
        } catch (const ErrorMsg&) {
            loaded = false;  // the client's data is at fault, not the server: a fresh character stands in
        }
        if (!loaded) {
            Warning("Client %i: character data could not be read: a new '%s' given", slot, configID.c_str());
            m_World.DelObj(character->m_ObjID, 1);
            character = AddMultiplayerCharacter(configID.c_str(), client.inputCtrlIndex);
            info.mainCharObjID = character->m_ObjID;
        }
    }
    info.characterData.Close();
    character->SetName(info.playerName);
    if (Inventory* inventory = character->m_Inventory) {
        inventory->SetGridSize(0, 0);
        inventory->SetMaxItems(-1);  // no limit
    }
    character->m_MainCharacter = 1;  // a player's character
    character->m_NetSync = 3;
    PlaceJoiningCreature(character);
    return character;
}

bool GameServer::SendPlayerCharacter(WorldElem* character)
{
    File state;
    state.CreateMemoryFile(kCharacterDataStep);
    WriteCharacterState(state, *character);
    return SendAddObject(character, StateValueOf(*character), state.GetMemoryBuffer(), state.GetSize());
}

int32_t GameServer::CreateClientInput() { return AddClientInputCtrl(new InputCtrl); }

int32_t GameServer::AddClientInputCtrl(InputCtrl* input)
{
    const int32_t local = m_LocalInputIndex;
    const int32_t index = AddInputCtrl(input, kInputLocal);
    m_LocalInputIndex = local;
    return index;
}

void GameServer::PlaceJoiningCreature(CreatureObj* creature)
{
    WorldElem* start = m_LevelStart.Get();
    if (!start)
        start = GetStartingPos(0, nullptr, false);
    creature->SetPos(start->GetPos().x, start->GetPos().y);
    creature->SetAngle(start->GetAngle());
}

bool GameServer::GetPlayerConfigID(int32_t player, String& id)
{
    const GameClientInfo* client = m_Clients.GetBySlot(player);
    if (!client)
        return false;
    id = client->playerInfo.characterID;
    return true;
}
