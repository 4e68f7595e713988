// ServerSendTransport: the detour of messages that a client's sending queue cannot take now.
#include "net/ServerSendTransport.h"

#include "base/Log.h"
#include "base/Timer.h"

#include <cstring>

ServerSendTransport::Detour* ServerSendTransport::Building(int32_t id)
{
    const auto found = m_Detours.find(id);
    if (found == m_Detours.end())
        return nullptr;
    Detour& detour = found->second;
    // Behind kept messages every new one waits too, so that the client gets them in order.
    if (detour.building || !detour.overflow.empty())
        return &detour;
    return nullptr;
}

bool ServerSendTransport::SendData(int32_t id, const void* data, int32_t n, bool commit)
{
    if (id < 0)
        return false;  // no client's connection: never "every connection" of the transport
    if (Detour* detour = Building(id)) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        detour->staging.insert(detour->staging.end(), bytes, bytes + n);
        detour->building = true;
        if (commit)
            CommitStaging(*detour);
        return true;
    }
    if (NetworkNodeTransport::SendData(id, data, n, commit))
        return true;
    if (!StartDetour(id, data, n))
        return false;
    if (commit)
        CommitStaging(m_Detours[id]);
    return true;
}

// The queue refused: the message written so far moves out of the queue into the staging.
bool ServerSendTransport::StartDetour(int32_t id, const void* data, int32_t n)
{
    NetworkNode& node = GetNode();
    NetworkNode::ConnectionInfo info;
    if (!node.IsConnectionValid(id, true, true) || !node.GetConnectionInfo(id, &info))
        return false;
    Detour& detour = m_Detours[id];
    detour.datagram = info.kind == NetworkNode::kUDP;
    detour.building = true;
    const int32_t written = node.GetPendingLength(id);
    detour.staging.resize(size_t(written));
    if (written > 0)
        node.PeekPending(id, 0, detour.staging.data(), written);
    node.SetPendingLength(id, 0);
    const auto* bytes = static_cast<const uint8_t*>(data);
    detour.staging.insert(detour.staging.end(), bytes, bytes + n);
    return true;
}

void ServerSendTransport::CommitStaging(Detour& detour)
{
    detour.building = false;
    if (detour.staging.empty())
        return;
    if (detour.datagram) {
        ++m_DroppedDatagrams;  // a position or a cycle: the next one replaces it
    } else {
        detour.overflowBytes += int64_t(detour.staging.size());
        detour.overflow.push_back(Kept{std::move(detour.staging), Timer::GetTime()});
    }
    detour.staging = std::vector<uint8_t>();
}

bool ServerSendTransport::HasRoom(int32_t id, int32_t n)
{
    if (id < 0)
        return false;
    if (Building(id))
        return true;  // the message goes aside whatever its size
    return NetworkNodeTransport::HasRoom(id, n);
}

bool ServerSendTransport::IsSendPending(int32_t id)
{
    const auto found = m_Detours.find(id);
    if (found != m_Detours.end() && !found->second.overflow.empty())
        return true;
    return NetworkNodeTransport::IsSendPending(id);
}

bool ServerSendTransport::CommitPending(int32_t id)
{
    if (id < 0)
        return false;
    if (Detour* detour = Building(id)) {
        if (detour->building)
            CommitStaging(*detour);
        return true;
    }
    return NetworkNodeTransport::CommitPending(id);
}

bool ServerSendTransport::PeekPending(int32_t id, int32_t offset, void* dest, int32_t n)
{
    if (id < 0)
        return false;
    Detour* detour = Building(id);
    if (!detour || !detour->building)
        return NetworkNodeTransport::PeekPending(id, offset, dest, n);
    if (offset < 0 || n < 0 || int64_t(offset) + n > int64_t(detour->staging.size()))
        return false;
    std::memcpy(dest, detour->staging.data() + offset, size_t(n));
    return true;
}

bool ServerSendTransport::PatchPending(int32_t id, int32_t offset, const void* src, int32_t n)
{
    if (id < 0)
        return false;
    Detour* detour = Building(id);
    if (!detour || !detour->building)
        return NetworkNodeTransport::PatchPending(id, offset, src, n);
    if (offset < 0 || n < 0 || int64_t(offset) + n > int64_t(detour->staging.size()))
        return false;
    std::memcpy(detour->staging.data() + offset, src, size_t(n));
    return true;
}

int32_t ServerSendTransport::GetPendingLength(int32_t id)
{
    if (id < 0)
        return 0;
    Detour* detour = Building(id);
    if (!detour || !detour->building)
        return NetworkNodeTransport::GetPendingLength(id);
    return int32_t(detour->staging.size());
}

void ServerSendTransport::SetPendingLength(int32_t id, int32_t n)
{
    if (id < 0)
        return;
    Detour* detour = Building(id);
    if (!detour || !detour->building) {
        NetworkNodeTransport::SetPendingLength(id, n);
        return;
    }
    if (n >= 0 && size_t(n) < detour->staging.size())
        detour->staging.resize(size_t(n));
    if (detour->staging.empty())
        detour->building = false;
}

void ServerSendTransport::Drain(int32_t id)
{
    const auto found = m_Detours.find(id);
    if (found == m_Detours.end())
        return;
    Detour& detour = found->second;
    NetworkNode& node = GetNode();
    while (!detour.overflow.empty() && node.GetPendingLength(id) == 0) {
        Kept& front = detour.overflow.front();
        const int32_t n = int32_t(front.bytes.size());
        if (!node.SendData(id, front.bytes.data(), n, true)) {
            if (node.IsSendPending(id))
                break;  // the queue drains: next frame
            // An empty queue that cannot take it never will: the message is lost, the link kept.
            Log::Write("Warning: a message of %i bytes exceeds the sending queue of connection %i", n, id);
        }
        detour.overflowBytes -= n;
        detour.overflow.pop_front();
    }
    if (detour.overflow.empty() && !detour.building)
        m_Detours.erase(found);
}

bool ServerSendTransport::IsOverflowExceeded(int32_t id, double now) const
{
    const auto found = m_Detours.find(id);
    if (found == m_Detours.end() || found->second.overflow.empty())
        return false;
    const Detour& detour = found->second;
    return detour.overflowBytes > kMaxOverflowBytes || now - detour.overflow.front().queuedAt > kMaxOverflowSeconds;
}

int64_t ServerSendTransport::GetOverflowBytes(int32_t id) const
{
    const auto found = m_Detours.find(id);
    return found == m_Detours.end() ? 0 : found->second.overflowBytes;
}
