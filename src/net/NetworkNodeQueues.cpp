// NetworkNode: the game thread's side of the queues: writing messages to one, all or all but one
// connection, reading received messages, and the thread events.
#include "net/NetworkNode.h"

#include "net/NetworkNodeRecords.h"

#include <algorithm>
#include <vector>

namespace {

bool IsOneConnection(int32_t id) { return id >= 0; }

}  // namespace

NetworkNode::ConnectionData* NetworkNode::SendRecordOf(int32_t id)
{
    cfThreadLock lock(m_TableLock);
    const ConnectionEntry* entry = m_Connections.GetBySlot(id);
    return entry ? m_SendRecords.GetBySlot(entry->sendIndex) : nullptr;
}

NetworkNode::ConnectionData* NetworkNode::ReceiveRecordOf(int32_t id)
{
    cfThreadLock lock(m_TableLock);
    const ConnectionEntry* entry = m_Connections.GetBySlot(id);
    return entry ? m_ReceiveRecords.GetBySlot(entry->receiveIndex) : nullptr;
}

// The sending records that a connection ID names, in a list the game thread reuses. Among several,
// a connection whose threads have ended is left out: its queue is never drained and would refuse
// every message to all.
const std::vector<NetworkNode::ConnectionData*>& NetworkNode::SendTargets(int32_t id)
{
    std::vector<ConnectionData*>& targets = m_Targets;
    targets.clear();
    if (IsOneConnection(id)) {
        if (ConnectionData* record = SendRecordOf(id))
            targets.push_back(record);
        return targets;
    }
    const int32_t excluded = id == kAllConnections ? -1 : int32_t(uint32_t(id) & ~kAllButFlag);
    cfThreadLock lock(m_TableLock);
    for (int32_t i = 0; i < m_Connections.GetSize(); i++) {
        const int32_t slot = m_Connections.GetUsedSlot(i);
        if (slot == excluded)
            continue;
        ConnectionData* record = m_SendRecords.GetBySlot(m_Connections.GetBySlot(slot)->sendIndex);
        if (record && !record->invalid && !record->stop)
            targets.push_back(record);
    }
    return targets;
}

bool NetworkNode::SendData(int32_t id, const void* data, int32_t n, bool commit)
{
    ProcessDisconnects();
    const std::vector<ConnectionData*>& targets = SendTargets(id);
    if (IsOneConnection(id))
        return !targets.empty() && QueueSend(*targets[0], data, n, commit);
    for (const ConnectionData* record : targets)
        if (record->queue.GetFree() < n)
            return false;
    bool ok = true;
    for (ConnectionData* record : targets)
        ok = QueueSend(*record, data, n, commit) && ok;
    return ok;
}

bool NetworkNode::QueueSend(ConnectionData& record, const void* data, int32_t n, bool commit)
{
    if (!record.queue.Append(data, n, false))
        return false;
    if (commit)
        CommitSend(record);
    return true;
}

// Counts and logs the message when it is committed, so that a refused append is never counted.
void NetworkNode::CommitSend(ConnectionData& record)
{
    const int32_t n = record.queue.GetPendingLength();
    if (n <= 0)
        return;
    if (m_TrafficLogFlags & kLogOutgoing) {
        std::vector<uint8_t> bytes(static_cast<size_t>(n));
        record.queue.CopyPending(bytes.data());
        WriteTrafficLog(false, record.connectionID, bytes.data(), n);
    }
    m_BytesSent += uint64_t(n);
    record.queue.Commit();
    record.wake.Set();
}

bool NetworkNode::HasRoom(int32_t id, int32_t n)
{
    ProcessDisconnects();
    const std::vector<ConnectionData*>& targets = SendTargets(id);
    if (IsOneConnection(id) && targets.empty())
        return false;
    for (const ConnectionData* record : targets)
        if (record->queue.GetFree() < n)
            return false;
    return true;
}

bool NetworkNode::IsSendPending(int32_t id)
{
    for (const ConnectionData* record : SendTargets(id))
        if (record->queue.HasMessage())
            return true;
    return false;
}

bool NetworkNode::CommitPending(int32_t id)
{
    const std::vector<ConnectionData*>& targets = SendTargets(id);
    for (ConnectionData* record : targets)
        CommitSend(*record);
    return !(IsOneConnection(id) && targets.empty());
}

bool NetworkNode::PeekPending(int32_t id, int32_t offset, void* dest, int32_t n)
{
    const std::vector<ConnectionData*>& targets = SendTargets(id);
    return !targets.empty() && targets[0]->queue.PeekPending(offset, dest, n);
}

bool NetworkNode::PatchPending(int32_t id, int32_t offset, const void* src, int32_t n)
{
    const std::vector<ConnectionData*>& targets = SendTargets(id);
    bool ok = !(IsOneConnection(id) && targets.empty());
    for (ConnectionData* record : targets)
        ok = record->queue.PatchPending(offset, src, n) && ok;
    return ok;
}

int32_t NetworkNode::GetPendingLength(int32_t id)
{
    int32_t longest = 0;
    for (const ConnectionData* record : SendTargets(id))
        longest = std::max(longest, record->queue.GetPendingLength());
    return longest;
}

void NetworkNode::SetPendingLength(int32_t id, int32_t n)
{
    for (ConnectionData* record : SendTargets(id))
        record->queue.SetPendingLength(n);
}

int32_t NetworkNode::GetNumBytesWaiting(int32_t id, uint32_t* address)
{
    ProcessDisconnects();
    ConnectionData* record = ReceiveRecordOf(id);
    if (!record)
        return -1;
    const int32_t length = record->queue.GetMessageLength();
    if (length == 0)
        return 0;
    if (length < RingQueue::kPrefixSize)
        Error("Internal error GetNumBytesWaiting < sizeof(NetworkFifoHeader)");
    if (address) {
        uint8_t bytes[4];
        record->queue.Pop(bytes, false, sizeof bytes);
        *address = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    }
    return length - RingQueue::kPrefixSize;
}

int32_t NetworkNode::Receive(int32_t id, void* dest, bool moveOn, int32_t max)
{
    ConnectionData* record = ReceiveRecordOf(id);
    if (!record)
        return 0;
    RingQueue& queue = record->queue;
    const int32_t length = queue.GetMessageLength();
    if (length == 0)
        return 0;
    if (length < RingQueue::kPrefixSize) {
        Warning("Internal error: bytesWaiting < sizeof(NetworkFifoHeader)");
        if (moveOn) {
            queue.Pop(nullptr, true);
            record->wake.Set();
        }
        return 0;
    }
    const int32_t readAlready = queue.GetReadAlready();
    if (readAlready > 0 && readAlready < RingQueue::kPrefixSize)
        Warning("Internal error: readAlready != 0");
    // Reading starts at the first data byte, whatever was read before.
    queue.SetReadAlready(RingQueue::kPrefixSize);
    const int32_t data = length - RingQueue::kPrefixSize;
    const int32_t n = max < 0 ? data : std::min(max, data);
    queue.Read(dest, n, moveOn);
    if (moveOn)
        record->wake.Set();  // the receiving thread may be waiting for room
    return n;
}

int32_t NetworkNode::ReadBytes(int32_t id, void* dest, int32_t n, bool moveOn)
{
    ConnectionData* record = ReceiveRecordOf(id);
    if (!record)
        return -1;
    RingQueue& queue = record->queue;
    if (!queue.HasMessage())
        return -1;
    if (queue.GetReadAlready() == 0)
        queue.SetReadAlready(RingQueue::kPrefixSize);  // the sender's address
    const int32_t result = queue.Read(dest, n, moveOn);
    if (moveOn && result >= 0)
        record->wake.Set();
    return result;
}

void NetworkNode::SetReadOffset(int32_t id, int32_t n)
{
    if (ConnectionData* record = ReceiveRecordOf(id))
        record->queue.SetReadAlready(n + RingQueue::kPrefixSize);
}

bool NetworkNode::GetThreadEvent(ConnectionEvent* event)
{
    ProcessDisconnects();
    return PopEvent(m_ThreadEvents, &event->kind, &event->connectionID);
}
