// FakeGameTransport: connections as pairs of ring queues without threads: what a framing commits
// stays in the sending queue until the test delivers it to a receiving queue, with the sender's
// address in front as the transport puts it.
#pragma once
#include "net/GamePacketTransport.h"
#include "net/RingQueue.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class FakeGameTransport : public GamePacketTransport {
public:
    static constexpr int32_t kAddressSize = 4;

    struct Connection {
        RingQueue send;
        RingQueue receive;
    };

    void Add(int32_t id, int32_t sendCapacity = 65536, int32_t receiveCapacity = 65536)
    {
        auto connection = std::make_unique<Connection>();
        connection->send.Create(sendCapacity);
        connection->receive.Create(receiveCapacity);
        m_Connections[id] = std::move(connection);
    }
    Connection* Get(int32_t id)
    {
        auto it = m_Connections.find(id);
        return it == m_Connections.end() ? nullptr : it->second.get();
    }

    // The committed messages of a sending queue, taken out.
    std::vector<std::vector<uint8_t>> TakeSent(int32_t id)
    {
        std::vector<std::vector<uint8_t>> messages;
        RingQueue& queue = Get(id)->send;
        while (queue.HasMessage()) {
            std::vector<uint8_t> message(size_t(queue.GetMessageLength()));
            queue.Pop(message.data(), true);
            messages.push_back(message);
        }
        return messages;
    }
    // A message arriving on a connection.
    void Arrive(int32_t id, const std::vector<uint8_t>& message)
    {
        static const uint8_t kAddress[kAddressSize] = {127, 0, 0, 1};
        RingQueue& queue = Get(id)->receive;
        queue.Append(kAddress, kAddressSize, false);
        queue.Append(message.data(), int32_t(message.size()), true);
    }
    void Deliver(int32_t from, int32_t to)
    {
        for (const std::vector<uint8_t>& message : TakeSent(from))
            Arrive(to, message);
    }

    bool SendData(int32_t id, const void* data, int32_t n, bool commit) override
    {
        Connection* c = Get(id);
        return c && c->send.Append(data, n, commit);
    }
    bool HasRoom(int32_t id, int32_t n) override
    {
        Connection* c = Get(id);
        return c && c->send.GetFree() >= n;
    }
    bool IsSendPending(int32_t id) override
    {
        if (drainWhenAsked && Get(id))
            TakeSent(id);  // as a sending thread that empties the queue just before the question
        return Get(id) && Get(id)->send.HasMessage();
    }
    bool CommitPending(int32_t id) override
    {
        Connection* c = Get(id);
        if (c)
            c->send.Commit();
        return c != nullptr;
    }
    bool PeekPending(int32_t id, int32_t offset, void* dest, int32_t n) override
    {
        return Get(id) && Get(id)->send.PeekPending(offset, dest, n);
    }
    bool PatchPending(int32_t id, int32_t offset, const void* src, int32_t n) override
    {
        return Get(id) && Get(id)->send.PatchPending(offset, src, n);
    }
    int32_t GetPendingLength(int32_t id) override { return Get(id) ? Get(id)->send.GetPendingLength() : 0; }
    void SetPendingLength(int32_t id, int32_t n) override
    {
        if (Get(id))
            Get(id)->send.SetPendingLength(n);
    }
    int32_t GetMaxDatagramMessage() override { return maxDatagram; }

    int32_t GetNumBytesWaiting(int32_t id) override
    {
        Connection* c = Get(id);
        if (!c)
            return -1;
        const int32_t length = c->receive.GetMessageLength();
        return length == 0 ? 0 : length - kAddressSize;
    }
    int32_t ReadBytes(int32_t id, void* dest, int32_t n, bool moveOn) override
    {
        Connection* c = Get(id);
        if (!c || !c->receive.HasMessage())
            return -1;
        if (c->receive.GetReadAlready() == 0)
            c->receive.SetReadAlready(kAddressSize);
        return c->receive.Read(dest, n, moveOn);
    }
    int32_t Receive(int32_t id, void* dest, bool moveOn, int32_t max) override
    {
        Connection* c = Get(id);
        if (!c || !c->receive.HasMessage())
            return 0;
        c->receive.SetReadAlready(kAddressSize);
        const int32_t data = c->receive.GetMessageLength() - kAddressSize;
        const int32_t n = max < 0 ? data : std::min(max, data);
        c->receive.Read(dest, n, moveOn);
        return n;
    }
    void SetReadOffset(int32_t id, int32_t n) override
    {
        if (Get(id))
            Get(id)->receive.SetReadAlready(n + kAddressSize);
    }
    bool IsConnectionValid(int32_t id, bool, bool) override { return Get(id) != nullptr; }

    int32_t maxDatagram = 1 << 20;
    bool drainWhenAsked = false;

private:
    std::map<int32_t, std::unique_ptr<Connection>> m_Connections;
};
