// ScriptedPeer: a game client that speaks the protocol alone over the bare transport on
// 127.0.0.1: it connects, reads the 6-byte connect reply, sends PlayerInfo with the options a test
// chooses and answers each join step as a client does (the level loaded, no sync requests, the
// requests done, synchronised), and it sends anything else out of turn. Every game packet that
// arrives is kept, in order. Each read steps a pump (one frame of a server in the same process, or
// a short sleep for one elsewhere) until what it waits for arrived or its time is up, so a test
// never hangs on a server that stays silent.
#pragma once
#include "base/ByteReader.h"
#include "net/GameServer.h"
#include "net/GamePacketFraming.h"
#include "net/GameValueCodec.h"
#include "net/NetworkNode.h"
#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

struct PlayerInfoOptions {
    uint16_t version = GameNetworkNode::kProtocolVersion;
    std::string characterID;               // empty: the server gives its default character
    std::u16string playerName = u"Peer";
    bool announceBlock = false;            // the flag byte; a block that is not empty sets it too
    std::vector<uint8_t> block;            // the character data, after the 259 bytes
};

class ScriptedPeer {
public:
    struct Message {
        uint16_t id = 0;
        uint32_t count = 0;
        int32_t unitSize = 0;
        std::vector<uint8_t> units;  // count x unitSize bytes
    };
    using Pump = std::function<void()>;
    static constexpr double kTimeout = 20.0;  // seconds: a limit for a busy machine, never a measure

    ScriptedPeer(uint16_t port, Pump pump) : m_Pump(std::move(pump))
    {
        m_Node.Start();
        m_TCP = m_Node.Connect(NetworkNode::kTCP, "127.0.0.1", port);
    }
    ~ScriptedPeer() { m_Node.Stop(); }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // The server's connect reply arrived; status 0 is accepted.
    bool AwaitConnected(double timeout = kTimeout)
    {
        return StepUntil([&] { return m_ReplyStatus >= 0; }, timeout) && m_ReplyStatus == 0;
    }
    int64_t GetReplyStatus() const { return m_ReplyStatus; }

    // The 259-byte PlayerInfo unit and the block after it.
    static std::vector<uint8_t> PlayerInfoUnit(const PlayerInfoOptions& options)
    {
        std::vector<uint8_t> unit(size_t(GameNetworkNode::kPlayerInfoSize) + options.block.size());
        ByteWriter out(unit.data(), unit.size());
        out.WriteU16(options.version);
        GameValueCodec::WriteCharFixed(out, String(options.characterID.c_str()), GameNetworkNode::kConfigIDField);
        GameValueCodec::WriteWideFixed(out, wString(options.playerName.c_str()), GameNetworkNode::kPlayerNameField);
        out.WriteU8(options.announceBlock || !options.block.empty() ? 1 : 0);
        out.WriteBytes(options.block.data(), options.block.size());
        return unit;
    }
    bool SendPlayerInfo(const PlayerInfoOptions& options = PlayerInfoOptions())
    {
        const std::vector<uint8_t> unit = PlayerInfoUnit(options);
        return SendMessage(GameNetworkNode::kMsgPlayerInfo, 1, int32_t(unit.size()), unit);
    }
    // A game packet of count units of unitSize bytes; units holds them (zeros when short).
    bool SendMessage(uint16_t id, uint32_t count, int32_t unitSize, const std::vector<uint8_t>& units = {})
    {
        std::vector<uint8_t> packet(size_t(GamePacketHeader::kSize) + size_t(count) * size_t(unitSize), 0);
        GamePacketHeader header;
        header.id = id;
        header.count = count;
        header.unitSize = unitSize;
        header.Write(packet.data());
        for (size_t i = 0; i < units.size() && GamePacketHeader::kSize + i < packet.size(); ++i)
            packet[GamePacketHeader::kSize + i] = units[i];
        return SendRaw(packet);
    }
    bool SendEmpty(uint16_t id) { return SendMessage(id, 1, 0); }
    bool SendRaw(const std::vector<uint8_t>& bytes)
    {
        return m_Node.SendData(m_TCP, bytes.data(), int32_t(bytes.size()), true);
    }

    // While set (the default), Step answers the join's steps: 0x0500 for each level load request,
    // and 0x1001 then 0x1200 for each end of the checksums, as a client that has every element.
    // What arrives while it is off stays unanswered: the test sends those answers itself.
    void SetAnswering(bool on) { m_Answering = on; }

    // One turn of the pump, then what arrived is kept and, when answering, answered.
    void Step()
    {
        if (m_Pump)
            m_Pump();
        Collect();
        for (; m_Answered < m_Messages.size(); ++m_Answered) {
            if (!m_Answering)
                continue;
            const uint16_t id = m_Messages[m_Answered].id;
            if (id == GameServer::kMsgLoadLevelRequest) {
                SendEmpty(GameNetworkNode::kMsgLevelLoaded);
            } else if (id == GameNetworkNode::kMsgChecksumsFinished) {
                SendEmpty(GameNetworkNode::kMsgSyncRequestsDone);
                SendEmpty(GameNetworkNode::kMsgLevelSynced);
            }
        }
    }
    // Steps until the condition holds; false when the time ran out first.
    template <class Condition> bool StepUntil(Condition condition, double timeout = kTimeout)
    {
        const int64_t frequency = Platform::PerformanceFrequency();
        const int64_t end = Platform::PerformanceCounter() + int64_t(timeout * double(frequency));
        for (;;) {
            Step();
            if (condition())
                return true;
            if (Platform::PerformanceCounter() > end)
                return false;
            Platform::SleepMs(1);
        }
    }
    // Until count messages of the id arrived in all.
    bool Await(uint16_t id, size_t count = 1, double timeout = kTimeout)
    {
        return StepUntil([&] { return Received(id).size() >= count; }, timeout);
    }
    // The connect reply, PlayerInfo, then the join answered until SetMainChar arrives.
    bool Join(const PlayerInfoOptions& options = PlayerInfoOptions(), double timeout = kTimeout)
    {
        return AwaitConnected(timeout) && SendPlayerInfo(options) &&
               Await(GameNetworkNode::kMsgSetMainChar, Received(GameNetworkNode::kMsgSetMainChar).size() + 1, timeout);
    }
    // Until the server closed the connection.
    bool AwaitClosed(double timeout = kTimeout)
    {
        return StepUntil([&] { return !m_Node.IsConnectionValid(m_TCP, false, true); }, timeout);
    }
    void Close() { m_Node.DeleteConnection(m_TCP, true); }

    const std::vector<Message>& Messages() const { return m_Messages; }
    std::vector<Message> Received(uint16_t id) const
    {
        std::vector<Message> found;
        for (const Message& message : m_Messages)
            if (message.id == id)
                found.push_back(message);
        return found;
    }
    // The ids in their order of arrival, each run of one id once.
    std::vector<uint16_t> IdSequence() const
    {
        std::vector<uint16_t> ids;
        for (const Message& message : m_Messages)
            if (ids.empty() || ids.back() != message.id)
                ids.push_back(message.id);
        return ids;
    }
    void Forget() { m_Messages.clear(), m_Answered = 0; }
    NetworkNode& GetNode() { return m_Node; }
    // The connection's own port, which the server sees as the client's remote port.
    uint16_t GetLocalPort()
    {
        NetworkNode::ConnectionInfo info;
        return m_Node.GetConnectionInfo(m_TCP, &info) ? info.sendLocalPort : 0;
    }

private:
    // Each transport message is one game packet; the first one is the connect reply.
    void Collect()
    {
        for (int32_t n; m_TCP >= 0 && (n = m_Node.GetNumBytesWaiting(m_TCP)) > 0;) {
            std::vector<uint8_t> bytes(static_cast<size_t>(n));
            m_Node.Receive(m_TCP, bytes.data(), true, n);
            if (m_ReplyStatus < 0 && n == GameNetworkNode::kConnectReplySize) {
                ByteReader in(bytes.data(), bytes.size());
                in.ReadU16();  // the UDP port: this peer keeps to TCP
                m_ReplyStatus = in.ReadU32();
                continue;
            }
            ByteReader in(bytes.data(), bytes.size());
            while (in.GetRemaining() >= size_t(GamePacketHeader::kSize)) {
                uint8_t head[GamePacketHeader::kSize];
                in.ReadBytes(head, sizeof head);
                const GamePacketHeader header = GamePacketHeader::Read(head);
                Message message;
                message.id = header.id;
                message.count = header.count;
                message.unitSize = header.unitSize;
                const size_t size = header.unitSize > 0 ? size_t(header.count) * size_t(header.unitSize) : 0;
                if (header.magic != GamePacketHeader::kMagic || size > in.GetRemaining())
                    break;
                message.units.resize(size);
                in.ReadBytes(message.units.data(), size);
                m_Messages.push_back(std::move(message));
            }
        }
    }

    Pump m_Pump;
    NetworkNode m_Node;
    int32_t m_TCP = -1;
    int64_t m_ReplyStatus = -1;
    bool m_Answering = true;
    size_t m_Answered = 0;
    std::vector<Message> m_Messages;
};

// The names of the script calls a peer has been sent.
inline std::multiset<std::string> CallsSent(const ScriptedPeer& peer)
{
    std::multiset<std::string> names;
    for (const ScriptedPeer::Message& message : peer.Received(GameServer::kMsgRunScriptFunction)) {
        ByteReader in(message.units.data(), message.units.size());
        const uint32_t length = in.ReadU32();
        if (!in.Failed() && length <= in.GetRemaining())
            names.insert(std::string(reinterpret_cast<const char*>(message.units.data()) + 4, length));
    }
    return names;
}
