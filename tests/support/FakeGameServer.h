// FakeGameServer: a listening transport node on a free port whose own thread answers each new TCP
// connection as a game server's start does: with a UDP connection back to the client and the
// 6-byte connect reply {its port, 0}, with a refusal {0, status}, with a reply one byte short, or
// not at all. It keeps the game
// packets that reach it (their ids and their bytes), by channel; the peer of the network node's
// connecting and message tests.
#pragma once
#include "base/ByteReader.h"
#include "net/NetworkNode.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class FakeGameServer {
public:
    enum Mode { kAccept, kRefuse, kShortReply, kSilent };

    explicit FakeGameServer(Mode mode, uint32_t refusal = 4) : m_Mode(mode), m_Refusal(refusal)
    {
        m_Listening = m_Node.StartServer(0);
        m_Pump = Thread::Start(Pump, this);
    }
    ~FakeGameServer()
    {
        m_Stop = true;
        if (m_Pump)
            m_Pump->Join();
        m_Node.Stop();
    }
    FakeGameServer(const FakeGameServer&) = delete;
    FakeGameServer& operator=(const FakeGameServer&) = delete;

    bool IsListening() const { return m_Listening; }
    uint16_t GetPort() const { return m_Node.GetPort(); }
    // Ids of the game packets received over TCP and over UDP.
    std::vector<uint16_t> ReceivedTCP() const { return Received(0); }
    std::vector<uint16_t> ReceivedUDP() const { return Received(1); }
    // The whole game packets received over TCP (channel 0) or UDP (channel 1), in their order.
    std::vector<std::vector<uint8_t>> Messages(int channel) const
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        return m_Messages[channel];
    }
    int32_t GetClients() const { return m_Clients; }
    // Closes every client's TCP connection (as a server that goes away).
    void DropClients() { m_Drop = true; }
    // Sends the game packet bytes to every client over TCP.
    void SendToClients(const std::vector<uint8_t>& packet)
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Outgoing.push_back(packet);
    }

private:
    std::vector<uint16_t> Received(int channel) const
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        return m_Received[channel];
    }

    void Answer(int32_t tcp)
    {
        uint8_t reply[6] = {};
        ByteWriter out(reply, sizeof reply);
        if (m_Mode == kShortReply) {
            m_Node.SendData(tcp, reply, sizeof reply - 1, true);
            return;
        }
        if (m_Mode == kRefuse) {
            out.WriteU16(0);
            out.WriteU32(m_Refusal);
        } else {
            NetworkNode::ConnectionInfo info;
            m_Node.GetConnectionInfo(tcp, &info);
            uint32_t address = 0;
            Socket::ParseDotted(info.address.c_str(), &address);
            const int32_t udp = m_Node.StartClient(NetworkNode::kUDP, address, info.receiveRemotePort, 0);
            NetworkNode::ConnectionInfo udpInfo;
            m_Node.GetConnectionInfo(udp, &udpInfo);
            m_Udp.insert(udp);
            out.WriteU16(udpInfo.receiveLocalPort);
            out.WriteU32(0);
        }
        m_Node.SendData(tcp, reply, sizeof reply, true);
    }

    static uint32_t Pump(void* context)
    {
        auto* self = static_cast<FakeGameServer*>(context);
        std::set<int32_t> tcp;
        std::vector<uint8_t> message;
        while (!self->m_Stop) {
            NetworkNode::ConnectionEvent event;
            while (self->m_Node.GetThreadEvent(&event)) {
                NetworkNode::ConnectionInfo info;
                const bool isTCP = self->m_Node.GetConnectionInfo(event.connectionID, &info) && info.kind == NetworkNode::kTCP;
                if (event.kind == NetworkNode::kSendStarted && isTCP &&
                    self->m_Node.IsConnectionValid(event.connectionID, true, true) && !tcp.count(event.connectionID)) {
                    tcp.insert(event.connectionID);
                    ++self->m_Clients;
                    if (self->m_Mode != kSilent)
                        self->Answer(event.connectionID);
                }
                if (event.kind == NetworkNode::kConnectionClosed)
                    tcp.erase(event.connectionID);
            }
            if (self->m_Drop.exchange(false)) {
                for (int32_t id : tcp)
                    self->m_Node.DeleteConnection(id, true);
                tcp.clear();
            }
            {
                std::lock_guard<std::mutex> guard(self->m_Lock);
                for (const std::vector<uint8_t>& packet : self->m_Outgoing)
                    for (int32_t id : tcp)
                        self->m_Node.SendData(id, packet.data(), int32_t(packet.size()), true);
                self->m_Outgoing.clear();
            }
            for (int channel = 0; channel < 2; ++channel)
                for (int32_t id : channel == 0 ? tcp : self->m_Udp) {
                    int32_t n = 0;
                    while ((n = self->m_Node.GetNumBytesWaiting(id)) > 0) {
                        message.resize(size_t(n));
                        self->m_Node.Receive(id, message.data(), true);
                        if (n >= 4) {
                            std::lock_guard<std::mutex> guard(self->m_Lock);
                            self->m_Received[channel].push_back(ByteReader::DecodeU16(message.data() + 2));
                            self->m_Messages[channel].push_back(message);
                        }
                    }
                }
            Platform::SleepMs(1);
        }
        return 0;
    }

    NetworkNode m_Node;
    Mode m_Mode;
    uint32_t m_Refusal;
    bool m_Listening = false;
    std::set<int32_t> m_Udp;  // pump thread only
    mutable std::mutex m_Lock;
    std::vector<uint16_t> m_Received[2];
    std::vector<std::vector<uint8_t>> m_Messages[2];
    std::vector<std::vector<uint8_t>> m_Outgoing;
    std::atomic<bool> m_Stop{false};
    std::atomic<bool> m_Drop{false};
    std::atomic<int32_t> m_Clients{0};
    std::unique_ptr<Thread> m_Pump;
};
