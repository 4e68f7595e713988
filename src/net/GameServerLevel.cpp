// GameServer: the server's level load and the level change of the running game. The players'
// characters do not live through a level load: each is saved into its client's character data
// first and made again from it when its client has joined the next level.
#include "net/GameServer.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "world/WorldCtrl.h"

namespace {

// The world's changes during the level change are the level's, which every client loads itself.
struct ObjectSyncSuspension {
    GameCtrl& ctrl;
    explicit ObjectSyncSuspension(GameCtrl& c) : ctrl(c) { ctrl.SuspendObjectSync(); }
    ~ObjectSyncSuspension() { ctrl.ResumeObjectSync(); }
};

}  // namespace

void GameServer::SaveClientCharacters()
{
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        GameClientInfo* client = m_Clients.GetAt(i);
        if (!client)
            continue;
        if (CreatureObj* character = GetClientCreature(m_Clients.GetUsedSlot(i))) {
            client->playerInfo.characterData.CreateMemoryFile(kCharacterDataStep);
            WriteCharacterState(client->playerInfo.characterData, *character);
        }
        client->playerInfo.mainCharObjID = -1;
    }
}

CreatureObj* GameServer::ChangeLevel(const char* levelFile, const String& saveDir, const LevelChangeOptions& options)
{
    if (!IsListening())
        return GameNetworkNode::ChangeLevel(levelFile, saveDir, options);
    PrintMessage("Loading Level %s ...", levelFile ? levelFile : "");
    SaveClientCharacters();
    m_World.GetGameRandom().Seed(GetLevelSeed());  // the sequence every client starts the level with
    CreatureObj* result = GameNetworkNode::ChangeLevel(levelFile, saveDir, options);
    PrintMessageInline("done");
    m_LevelStart = GetStartingPos(0, nullptr, false);
    SetLevelLoadElement(m_LevelStart.Get());
    return result;
}

void GameServer::EnterRequestedLevel(const char* levelFile, int32_t startPosition, int32_t networkWord)
{
    if (!IsListening()) {
        GameNetworkNode::EnterRequestedLevel(levelFile, startPosition, networkWord);
        return;
    }
    const uint32_t seed = GetLevelSeed();
    m_LevelEnteredAt = GetGameTime();
    const String level(levelFile ? levelFile : "");
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const int32_t slot = m_Clients.GetUsedSlot(i);
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (!client || client->state < kClientJoined)
            continue;
        // What was queued for it names the old level's elements: it joins the new one afresh.
        ClearSyncRequests(slot);
        SendLoadLevelRequest(slot, level, seed, m_LevelEnteredAt);
    }
    ObjectSyncSuspension suspended(*this);
    GameNetworkNode::EnterRequestedLevel(levelFile, startPosition, networkWord);
}
