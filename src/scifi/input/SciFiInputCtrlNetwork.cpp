// SciFiInputCtrl: the player's commands that a client sends to its server, each a packet of its
// own. The server's controller of that player applies them to its creature through the same
// orders.
#include "scifi/input/SciFiInputCtrl.h"

#include "base/Log.h"
#include "net/GameNetworkNode.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldElem.h"

#include <vector>

namespace {

// The controller as a client of a server; null on a server, or without network.
GameNetworkNode* ClientNode()
{
    auto* node = dynamic_cast<GameNetworkNode*>(g_GameCtrl);
    if (!node || node->IsNetworkGameServer() || !node->IsNetworkClient())
        return nullptr;
    return node;
}

GameNetworkNode* RunningClientNode()
{
    GameNetworkNode* node = ClientNode();
    return node && node->GetConnectionState() >= GameNetworkNode::eRunningGame ? node : nullptr;
}

// Begins the packet, writes the one unit and ends the packet; false when it did not go out.
bool SendCommand(GameNetworkNode& node, bool onUDP, uint16_t id, const std::vector<uint8_t>& unit)
{
    bool sent;
    if (id == PlayerCommandCodec::kMsgNoCursor)
        sent = node.BeginPacket(onUDP, id, 0) && node.FinishPacket();
    else
        sent = node.BeginPacket(onUDP, id, -1) && node.WriteData(unit.data(), int32_t(unit.size()), true);
    if (!sent)
        Log::Write("NetSend: command 0x%04X not sent", id);
    return sent;
}

}  // namespace

bool SciFiInputCtrl::SendPointOrder(uint32_t kind, float x, float y)
{
    GameNetworkNode* node = RunningClientNode();
    if (!node)
        return false;
    const String strategy = m_CurrentStrategy ? m_CurrentStrategy->name : String();
    if (!SendCommand(*node, true, PlayerCommandCodec::kMsgPointOrder,
                     PlayerCommandCodec::EncodePointOrder(kind, x, y, strategy)))
        return false;
    if (kind < uint32_t(kButtons))
        m_OrderSent[kind] = 1;
    return true;
}

bool SciFiInputCtrl::SendObjectOrder(uint32_t kind, WorldElem* target)
{
    GameNetworkNode* node = RunningClientNode();
    if (!node)
        return false;
    const String strategy = m_CurrentStrategy ? m_CurrentStrategy->name : String();
    ObjRef ref;
    ref.Set(target);
    if (!SendCommand(*node, true, PlayerCommandCodec::kMsgObjectOrder,
                     PlayerCommandCodec::EncodeObjectOrder(kind, ref, strategy)))
        return false;
    if (kind < uint32_t(kButtons))
        m_OrderSent[kind] = 1;
    return true;
}

void SciFiInputCtrl::SendButtonReleased(int32_t button)
{
    if (button < 0 || button >= kButtons)
        return;
    m_OrderSent[button] = 0;  // once, even when it could not go out: the next order marks it again
    if (GameNetworkNode* node = RunningClientNode())
        SendCommand(*node, true, PlayerCommandCodec::kMsgButtonReleased,
                    PlayerCommandCodec::EncodeButtonReleased(uint32_t(button)));
}

void SciFiInputCtrl::SendCursor(bool atCreatureHeight)
{
    GameNetworkNode* node = RunningClientNode();
    if (!node)
        return;
    const double now = Now();
    if (m_LastCursorSendTime >= 0.0 && now - m_LastCursorSendTime < kCursorSendInterval)
        return;
    m_LastCursorSendTime = now;
    D3DXVECTOR2 point;
    if (GetCursorGroundPoint(point, atCreatureHeight))
        SendCommand(*node, true, PlayerCommandCodec::kMsgCursor, PlayerCommandCodec::EncodePoint(point.x, point.y));
    else
        SendCommand(*node, true, PlayerCommandCodec::kMsgNoCursor, {});
}

void SciFiInputCtrl::SendDodge(float x, float y)
{
    if (GameNetworkNode* node = RunningClientNode())
        SendCommand(*node, true, PlayerCommandCodec::kMsgDodge, PlayerCommandCodec::EncodePoint(x, y));
}

void SciFiInputCtrl::SendSkillSlot(int32_t slot, bool udp)
{
    GameNetworkNode* node = ClientNode();
    if (!node || slot < 1 || slot > kSkillSlots)
        return;
    const SkillTreeEntry* skill = m_SkillSlots[slot - 1];
    const String name = skill && !skill->noSkill ? skill->name : String();
    SendCommand(*node, udp, PlayerCommandCodec::SkillSlotMessage(slot), PlayerCommandCodec::EncodeSkillSlot(name));
}
