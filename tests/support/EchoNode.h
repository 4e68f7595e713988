// EchoNode: a listening transport node on a free port whose own thread, its game thread, sends
// every message it receives back on the connection it came from: the peer of network tests.
#pragma once
#include "net/NetworkNode.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

class EchoNode {
public:
    // setup runs on the node before it listens (limits, sizes).
    explicit EchoNode(const std::function<void(NetworkNode&)>& setup = {})
    {
        if (setup)
            setup(m_Node);
        m_Listening = m_Node.StartServer(0);
        m_Pump = Thread::Start(Pump, this);
    }
    ~EchoNode()
    {
        m_Stop = true;
        if (m_Pump)
            m_Pump->Join();
        m_Node.Stop();
    }
    EchoNode(const EchoNode&) = delete;
    EchoNode& operator=(const EchoNode&) = delete;

    bool IsListening() const { return m_Listening; }
    uint16_t GetPort() const { return m_Node.GetPort(); }
    int32_t GetEchoed() const { return m_Echoed; }       // messages sent back
    int32_t GetConnections() const { return m_Open; }   // open as the thread events tell
    int32_t GetClosed() const { return m_Closed; }      // connection-closed events seen
    // The node itself; only while the echo thread does not run (before or after the test).
    NetworkNode& Node() { return m_Node; }

private:
    static uint32_t Pump(void* context)
    {
        auto* self = static_cast<EchoNode*>(context);
        std::set<int32_t> open;
        std::vector<uint8_t> message;
        while (!self->m_Stop) {
            NetworkNode::ConnectionEvent event;
            while (self->m_Node.GetThreadEvent(&event)) {
                if (event.kind == NetworkNode::kSendStarted)
                    open.insert(event.connectionID);
                if (event.kind == NetworkNode::kConnectionClosed) {
                    open.erase(event.connectionID);
                    ++self->m_Closed;
                }
            }
            self->m_Open = int32_t(open.size());
            bool idle = true;
            for (int32_t id : open) {
                const int32_t n = self->m_Node.GetNumBytesWaiting(id);
                if (n <= 0 || !self->m_Node.HasRoom(id, n))
                    continue;
                message.resize(size_t(n));
                self->m_Node.Receive(id, message.data(), true);
                self->m_Node.SendData(id, message.data(), n, true);
                ++self->m_Echoed;
                idle = false;
            }
            if (idle)
                Platform::SleepMs(1);
        }
        return 0;
    }

    NetworkNode m_Node;
    bool m_Listening = false;
    std::atomic<bool> m_Stop{false};
    std::atomic<int32_t> m_Echoed{0};
    std::atomic<int32_t> m_Open{0};
    std::atomic<int32_t> m_Closed{0};
    std::unique_ptr<Thread> m_Pump;
};
