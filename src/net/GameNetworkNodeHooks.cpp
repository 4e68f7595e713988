// GameNetworkNode: the controller's hooks on a network node. A creature controlled here tells the
// peer its movement, rotation value and action once the game runs; a pick-up, a use and a drop
// are the server's to carry out, so a connected node sends them instead of acting; a death of the
// main character, a level gained, a creature given to an input and a forwarded script are done
// here and told to the peer. Unconnected, every hook is the controller's own.
#include "net/GameNetworkNode.h"

#include "game/objects/CreatureObj.h"
#include "world/InputCtrlBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

void GameNetworkNode::ReportMovement(WorldElem* creature, int32_t code, float x, float y, float speed,
                                     WorldElem* target)
{
    if (m_ConnectionState >= eRunningGame)
        SendCreatureSetMovement(creature, code, x, y, speed, target);
}

void GameNetworkNode::ReportRotationValue(WorldElem* creature, float value)
{
    if (m_ConnectionState >= eRunningGame)
        SendCreatureSetRotVal(creature, value);
}

void GameNetworkNode::ReportAction(WorldElem* creature, int32_t code, const char* name, WorldElem* target,
                                   int32_t priority, float param)
{
    if (m_ConnectionState >= eRunningGame)
        SendCreatureSetAction(creature, code, name, target, priority, param);
}

// Only the death of the player's own character goes out: the server kills every other creature
// itself.
void GameNetworkNode::ReportDeath(WorldElem* creature, WorldElem* killer, int32_t killerID)
{
    GameCtrl::ReportDeath(creature, killer, killerID);
    if (!IsConnected() || !creature || creature != GetMainChar())
        return;
    if (creature->m_InputCtrl && creature->m_InputCtrl->GetMode() == kInputLocal)
        SendCreatureKilled(creature);
}

void GameNetworkNode::OnHeroLevelUp(int32_t level)
{
    GameCtrl::OnHeroLevelUp(level);
    if (IsConnected() && GetMainChar())
        SendCharLevelChange(GetMainChar(), level);
}

// A pick-up (type 5) changes two elements the server owns: it carries it out and tells everyone.
void GameNetworkNode::AddGameEvent(const WorldEvent* event)
{
    if (event && event->type == WorldEventType::kPickup && IsConnected()) {
        SendWorldEvent(*event);
        return;
    }
    GameCtrl::AddGameEvent(event);
}

bool GameNetworkNode::UseObject(WorldElem* object, int32_t userID, int32_t param)
{
    if (!IsConnected())
        return GameCtrl::UseObject(object, userID, param);
    if (!object)
        return false;
    ObjRef user;
    user.Set(userID >= 0 ? m_World.GetObjNoCheck(userID, false) : nullptr);
    return SendUseObject(object, user, uint8_t(param));
}

// Connected, the item goes to the server, which lays it into the world and tells every client;
// the node owns the item from here on either way.
int32_t GameNetworkNode::DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance,
                                  float angle, float spread)
{
    if (!IsConnected())
        return GameCtrl::DropItem(item, inventory, elem, distance, angle, spread);
    SendDropItem(elem, item);
    delete item;
    return -1;
}

void GameNetworkNode::AttachCreatureToInput(CreatureObj* creature, int32_t number)
{
    GameCtrl::AttachCreatureToInput(creature, number);
    if (!creature || number < 0 || !IsConnected())
        return;
    SendReviveCreature(creature, creature->m_InputCtrl ? creature->m_InputCtrl->GetMode() : 0);
}

void GameNetworkNode::ForwardScript(const char* text)
{
    if (IsConnected())
        SendRunScript(text);
}
