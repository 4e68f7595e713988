// GameNetworkNode: the list of servers heard on the local network. Servers announce themselves
// with one datagram every few seconds; the list keeps the latest announcement of each.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Timer.h"

#include <algorithm>
#include <cstring>

namespace {

const uint8_t kLanMagic[4] = {'K', 'S', 'I', 'o'};

}  // namespace

const GameNetworkNode::GameServerInfoWithIP* GameNetworkNode::GetLanServer(int32_t index) const
{
    return index >= 0 && size_t(index) < m_LanServers.size() ? &m_LanServers[size_t(index)] : nullptr;
}

// An announcement is exactly "KSIo" and the 48-byte information block; anything else on the
// broadcast port is ignored.
void GameNetworkNode::ReadLanAnnouncements()
{
    if (m_BroadcastConnection < 0)
        return;
    const double now = Timer::GetTime();
    std::erase_if(m_LanServers, [&](const GameServerInfoWithIP& entry) { return now - entry.time > kLanServerTimeout; });
    uint8_t datagram[kMaxLanDatagram];
    uint32_t address = 0;
    int32_t size = 0;
    while ((size = m_NetNode.GetNumBytesWaiting(m_BroadcastConnection, &address)) != 0) {
        if (size < 0)
            break;  // the connection went
        if (uint32_t(size - 4) > uint32_t(kMaxLanDatagram - 4)) {
            m_NetNode.Receive(m_BroadcastConnection, datagram, true, 0);  // released unread
            continue;
        }
        m_NetNode.Receive(m_BroadcastConnection, datagram, true, size);
        if (size != kLanAnnouncementSize || std::memcmp(datagram, kLanMagic, sizeof kLanMagic) != 0)
            continue;
        GameServerInfoWithIP entry;
        ByteReader in(datagram + sizeof kLanMagic, ServerInfoBlock::kSize);
        entry.info.Read(in);
        entry.address = address;
        entry.time = now;
        std::erase_if(m_LanServers, [&](const GameServerInfoWithIP& known) {
            return known.address == address && known.info.port == entry.info.port;
        });
        if (m_LanServers.size() >= size_t(kMaxLanServers))
            m_LanServers.erase(m_LanServers.begin());  // the one heard longest ago
        m_LanServers.push_back(entry);
    }
}
