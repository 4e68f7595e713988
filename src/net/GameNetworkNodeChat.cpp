// GameNetworkNode: the chat list that the players' lines fill as they arrive from the server, and
// the game's own notices among them, and the player's own line sent. The list keeps the latest
// lines only, so a long game cannot grow it without end.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"

void GameNetworkNode::AddChatMessage(const wString& sender, const wString& text)
{
    AddChatMessageAt(Timer::GetTime(), sender, text);
}

void GameNetworkNode::AddChatMessageAt(double time, const wString& sender, const wString& text)
{
    if (m_ChatMessages.size() >= size_t(kMaxChatLines))
        m_ChatMessages.pop_front();
    m_ChatMessages.push_back(ChatMessage{time, sender, text});
}

void GameNetworkNode::AddSystemChatMessage(const wString& text) { AddChatMessage(text, wString()); }

const GameNetworkNode::ChatMessage* GameNetworkNode::GetChatMessage(int32_t index) const
{
    return index >= 0 && size_t(index) < m_ChatMessages.size() ? &m_ChatMessages[size_t(index)] : nullptr;
}

bool GameNetworkNode::SendChatLine(const wString& text)
{
    CreatureObj* mainChar = GetMainChar();
    return SendChatMessage(mainChar ? mainChar->GetDisplayName() : wString(), text);
}

// 0x0200: the sender's name and the text, each UTF-16 up to its 0 terminator within the unit.
void GameNetworkNode::ReceiveChatMessage(const GamePacketHeader& header)
{
    if (header.unitSize < 4)
        return;
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const wString sender = GameValueCodec::ReadWideTerminated(in);
        const wString text = GameValueCodec::ReadWideTerminated(in);
        if (in.Failed()) {
            Warning("Chat message without its terminators dropped");
            return;
        }
        AddChatMessage(sender, text);
        if (LogsTraffic(1))
            Log::Write("NetRec: chat msg from %s: %s", String(sender).c_str(), String(text).c_str());
    });
}
