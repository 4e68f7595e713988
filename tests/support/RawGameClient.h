// RawGameClient: a client of the bare transport on 127.0.0.1 that sends game packets as bytes and
// keeps every whole message that arrives, for tests of a listening server.
#pragma once
#include "net/GamePacketFraming.h"
#include "net/NetworkNode.h"

#include <cstdint>
#include <vector>

struct RawGameClient {
    explicit RawGameClient(uint16_t port)
    {
        node.Start();
        tcp = node.Connect(NetworkNode::kTCP, "127.0.0.1", port);
    }
    // Every whole message waiting now.
    void Collect()
    {
        for (int32_t n; (n = node.GetNumBytesWaiting(tcp)) > 0;) {
            std::vector<uint8_t> message(static_cast<size_t>(n));
            node.Receive(tcp, message.data(), true, n);
            messages.push_back(message);
        }
    }
    bool Got(uint16_t id) const { return !Units(id).empty(); }
    // The messages of that id, without their 12-byte game header, in their order.
    std::vector<std::vector<uint8_t>> Units(uint16_t id) const
    {
        std::vector<std::vector<uint8_t>> found;
        for (const std::vector<uint8_t>& message : messages)
            if (message.size() >= size_t(GamePacketHeader::kSize) && GamePacketHeader::Read(message.data()).id == id)
                found.emplace_back(message.begin() + GamePacketHeader::kSize, message.end());
        return found;
    }
    bool Send(const std::vector<uint8_t>& packet)
    {
        return node.SendData(tcp, packet.data(), int32_t(packet.size()), true);
    }

    NetworkNode node;
    int32_t tcp = -1;
    std::vector<std::vector<uint8_t>> messages;
};
