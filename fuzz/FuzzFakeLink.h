// FuzzFakeLink: the TCP and UDP connections a dispatch target reads from, as queues without
// sockets, and the delivery of an input's framed messages into them.
#pragma once
#include "FuzzTarget.h"

#include "../tests/net/FakeGameTransport.h"

#include <vector>

namespace Fuzz {

constexpr int32_t kLinkTCP = 1;
constexpr int32_t kLinkUDP = 2;
constexpr int32_t kLinkQueueCapacity = 1 << 16;

// Both connections, fresh for the next input.
inline void OpenFakeLink(FakeGameTransport& transport)
{
    transport.Add(kLinkTCP, kLinkQueueCapacity, kLinkQueueCapacity);
    transport.Add(kLinkUDP, kLinkQueueCapacity, kLinkQueueCapacity);
}

// The input's framed messages as arrived, each on its connection while its queue has room.
inline void DeliverFramedMessages(FakeGameTransport& transport, const uint8_t* data, size_t size)
{
    ForEachFramedMessage(data, size, [&](const std::vector<uint8_t>& message, bool udp) {
        const int32_t channel = udp ? kLinkUDP : kLinkTCP;
        if (transport.Get(channel)->receive.GetFree() > int32_t(message.size()) + 8)
            transport.Arrive(channel, message);
    });
}

}  // namespace Fuzz
