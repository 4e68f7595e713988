// GameServer: the controller's questions about "the player", answered for the joined clients
// while the server listens: the main character, a creature's input, "mc_ID", a script run at a
// player's client, the monster health of the players' number, the share of the players of a class
// and whether a player is near a point. A server that does not listen answers as the controller.
#include "net/GameServer.h"

#include "base/Log.h"
#include "game/ctrl/Difficulty.h"
#include "game/objects/CreatureObj.h"
#include "script/ScriptValue.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"

#include <cmath>
#include <cstring>

CreatureObj* GameServer::GetMainChar()
{
    if (IsListening())
        for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
            const GameClientInfo* client = m_Clients.GetAt(i);
            CreatureObj* creature = client && client->state >= kClientJoined ? GetClientCreature(m_Clients.GetUsedSlot(i)) : nullptr;
            if (creature && creature->IsMainCharacter())  // made a player's character by the join
                return creature;
        }
    return GameNetworkNode::GetMainChar();
}

int32_t GameServer::GetInputIndexFor(CreatureObj* creature)
{
    if (IsListening())
        if (const GameClientInfo* client = m_Clients.GetBySlot(FindClientOfCreature(creature)))
            return client->inputCtrlIndex;
    return GameNetworkNode::GetInputIndexFor(creature);
}

void GameServer::GetScriptVariable(ScriptValue& result, const char* name, int32_t index)
{
    if (!IsListening() || !name || std::strcmp(name, "mc_ID") != 0) {
        GameNetworkNode::GetScriptVariable(result, name, index);
        return;
    }
    const CreatureObj* creature = index == -1 ? GetMainChar() : GetJoinedPlayerCreature(index);
    if (!creature)
        ScriptError("Tried to get mc_ID, but no main character exists");
    result = ScriptValue();
    result.SetInt(creature ? creature->m_ObjID : 0);
}

// An ID that names no creature is the script's fault: reported with its place, the script goes
// on (outside a script only a warning, so a frame never ends on it).
void GameServer::RunScriptAtClient(int32_t creatureID, const char* text)
{
    if (!IsListening() || !AnyClientInWorld())
        return;
    WorldElem* elem = m_World.GetObjNoCheck(creatureID, false);
    if (!elem || !elem->IsCreature()) {
        ScriptReaderGameEngine* module = GetCurrentScriptModule();
        const String position = module ? module->FormatRunPosition() : String();
        if (m_World.GetCurrentScriptID() >= 0)
            ScriptError("Invalid main char ID in 'RunScriptAtClient' (%s)", position.c_str());
        else
            Warning("Invalid main char ID in 'RunScriptAtClient' (%s)", position.c_str());
        return;
    }
    const int32_t slot = FindClientOfCreature(static_cast<CreatureObj*>(elem));
    if (!m_Clients.GetBySlot(slot))
        return;
    SetSendTarget(slot, kClientNew + 1);
    SendRunScript(text);
}

void GameServer::RunScriptForPlayer(int32_t playerID, const char* label, const char* text, int32_t flag)
{
    if (IsListening())
        RunScriptAtClient(playerID, text);
    else
        GameNetworkNode::RunScriptForPlayer(playerID, label, text, flag);
}

float GameServer::GetMonsterHealthFactor()
{
    const float factor = GameNetworkNode::GetMonsterHealthFactor();
    const GameFunction& function = g_Difficulty.monsterHealthMultiplayer;
    if (!IsListening() || function.name.IsEmpty())
        return factor;
    return factor * function.GetValue(float(CountJoinedPlayers()));
}

double GameServer::GetCharacterEntryFactor(int32_t mask)
{
    if (!IsListening() || mask == 0)
        return GameNetworkNode::GetCharacterEntryFactor(mask);
    const int32_t players = CountJoinedPlayers();
    if (players == 0)
        return 0.0;
    int32_t matching = 0;
    for (int32_t i = 0; i < players; ++i) {
        const int32_t characterClass = GetPlayerCharacterEntry(i).characterClass;
        if (characterClass > 0 && (characterClass & mask) != 0)
            ++matching;
    }
    return double(matching) / double(players);
}

bool GameServer::IsPlayerNear(float x, float y, float distance)
{
    if (!IsListening())
        return GameNetworkNode::IsPlayerNear(x, y, distance);
    if (!AnyClientInWorld())
        return false;
    const float viewRadius = m_World.GetViewRadius();
    for (int32_t n = 0; n < CountJoinedPlayers(); ++n)
        if (const CreatureObj* creature = GetJoinedPlayerCreature(n)) {
            const D3DXVECTOR2 pos = creature->GetPos();
            if (std::hypot(pos.x - x, pos.y - y) - viewRadius <= distance)
                return true;
        }
    return false;
}
