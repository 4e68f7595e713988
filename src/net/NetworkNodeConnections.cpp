// NetworkNode: opening client connections, the records and their threads, reporting closes,
// invalidating, and deleting connections once their threads have ended.
#include "net/NetworkNode.h"

#include "base/ByteReader.h"
#include "net/NetworkNodeRecords.h"
#include "net/TransportPacket.h"

#include <algorithm>

NetworkNode::ConnectionData* NetworkNode::NewRecord(int32_t direction, uint32_t kind, Socket socket, const SocketAddress& peer)
{
    auto* record = new ConnectionData;
    record->node = this;
    record->direction = direction;
    record->kind = kind;
    record->socket = socket;
    record->peer = peer;
    const bool sending = direction == ConnectionData::kSending;
    record->uploadLimit = sending ? m_MaxUpload : 0.0f;
    record->queue.Create(sending ? m_SendQueueSize : m_ReceiveQueueSize);
    record->bufferSize = kind == kTCP ? m_PacketSize : m_PacketSizeUDP;
    if (kind == kUDP && !sending)
        record->bufferSize = std::max(record->bufferSize, 65536);  // any datagram a peer may send
    record->buffer = std::make_unique<uint8_t[]>(size_t(record->bufferSize));
    return record;
}

// Enters a connection and its two records into the tables and starts the records' threads: the
// connecting side's sending thread first, the accepting side's receiving thread first. Every
// connection has an entry of its own; a key shared by two entries (one per direction) served
// only a peer's request to be connected back, which no node makes.
int32_t NetworkNode::AddConnection(uint32_t kind, uint32_t address, uint16_t port, ConnectionData* sending,
                                   ConnectionData* receiving, bool accepted)
{
    cfThreadLock lock(m_TableLock);
    const int32_t id = m_Connections.Add();
    ConnectionEntry* entry = m_Connections.GetBySlot(id);
    entry->kind = kind;
    entry->address = address;
    entry->port = port;
    entry->sendIndex = sending->index = m_SendRecords.Add(sending);
    entry->receiveIndex = receiving->index = m_ReceiveRecords.Add(receiving);
    sending->connectionID = id;
    receiving->connectionID = id;
    // Under the lock: the game thread may delete the connection as soon as it is in the table,
    // and must find both threads recorded.
    StartConnectionThread(accepted ? *receiving : *sending);
    StartConnectionThread(accepted ? *sending : *receiving);
    return id;
}

int32_t NetworkNode::Connect(uint32_t kind, const char* host, uint16_t port, uint16_t localPort)
{
    uint32_t address = 0;
    if (!Socket::LookupHost(host, &address)) {
        ReportSocketError(Socket::GetLastError());
        return -1;
    }
    return StartClient(kind, address, port, localPort);
}

int32_t NetworkNode::StartClient(uint32_t kind, uint32_t address, uint16_t port, uint16_t localPort)
{
    const bool broadcast = (address & 0xFF) == 0xFF;  // 255.255.255.255 included
    if (broadcast && kind != kUDP) {
        SetError("Broadcast address %s needs a UDP connection", Socket::DottedText(address).c_str());
        return -1;
    }
    Socket socket = Socket::Create(kind == kTCP ? Socket::kStream : Socket::kDatagram);
    bool ok = socket.IsValid();
    if (ok && m_ReuseSockets)
        ok = socket.SetReuseAddress(true);
    if (ok && localPort != 0)
        ok = socket.Bind(localPort);
    if (ok && !broadcast)
        ok = socket.Connect(SocketAddress{address, port});
    if (ok && kind == kTCP)
        socket.SetKeepAlive(true);
    if (!ok) {
        ReportSocketError(Socket::GetLastError());
        if (socket.IsValid())
            socket.Close();
        return -1;
    }

    const SocketAddress peer{address, port};
    ConnectionData* sending = NewRecord(ConnectionData::kSending, kind, socket, peer);
    ConnectionData* receiving = NewRecord(ConnectionData::kReceiving, kind, socket, peer);
    if (kind == kTCP)
        SendHello(*sending);  // before the sending thread, so it is the first packet
    const int32_t id = AddConnection(kind, address, port, sending, receiving, false);
    if (broadcast)
        EnableBroadcast(id);
    return id;
}

bool NetworkNode::StartConnectionThread(ConnectionData& record)
{
    const bool sending = record.direction == ConnectionData::kSending;
    ++m_ThreadCount;
    record.thread = Thread::Start(sending ? SendThreadProc : ReceiveThreadProc, &record);
    if (!record.thread) {
        --m_ThreadCount;
        SetError("The %s thread of connection %i cannot be started", sending ? "sending" : "receiving",
                 record.connectionID);
        CloseFromThread(record);  // the game thread deletes it
        return false;
    }
    PushEvent(m_ThreadEvents, sending ? kSendStarted : kReceiveStarted, record.connectionID);
    return true;
}

bool NetworkNode::EnableBroadcast(int32_t id)
{
    ProcessDisconnects();
    cfThreadLock lock(m_TableLock);
    const ConnectionEntry* entry = m_Connections.GetBySlot(id);
    if (!entry)
        return false;
    bool ok = true;
    for (ConnectionData* record : {m_SendRecords.GetBySlot(entry->sendIndex), m_ReceiveRecords.GetBySlot(entry->receiveIndex)}) {
        if (!record)
            continue;
        if (!record->socket.SetBroadcast(true)) {
            ReportSocketError(Socket::GetLastError(), record);
            ok = false;
            continue;
        }
        record->datagram = true;
    }
    return ok;
}

bool NetworkNode::IsConnectionValid(int32_t id, bool needSending, bool needReceiving)
{
    ProcessDisconnects();
    cfThreadLock lock(m_TableLock);
    const ConnectionEntry* entry = m_Connections.GetBySlot(id);
    return entry && (!needSending || entry->sendIndex >= 0) && (!needReceiving || entry->receiveIndex >= 0);
}

void NetworkNode::CloseConnection(int32_t id, bool sayGoodbye)
{
    cfThreadLock lock(m_TableLock);
    ConnectionEntry* entry = m_Connections.GetBySlot(id);
    if (!entry || entry->closed)
        return;
    entry->closed = true;
    PushEvent(m_Disconnects, id, sayGoodbye ? 1 : 0);
    PushEvent(m_ThreadEvents, kConnectionClosed, id);
}

// Under the table lock: whether the record still belongs to its connection. A record that is
// being deleted does not, and its connection ID may already name a new connection.
bool NetworkNode::IsRegistered(const ConnectionData& record)
{
    const ConnectionEntry* entry = m_Connections.GetBySlot(record.connectionID);
    if (!entry)
        return false;
    return record.direction == ConnectionData::kSending ? m_SendRecords.GetBySlot(entry->sendIndex) == &record
                                                         : m_ReceiveRecords.GetBySlot(entry->receiveIndex) == &record;
}

void NetworkNode::CloseFromThread(ConnectionData& record)
{
    cfThreadLock lock(m_TableLock);
    if (IsRegistered(record))
        CloseConnection(record.connectionID, false);
}

void NetworkNode::InvalidateConnection(ConnectionData& record)
{
    record.invalid = true;
    cfThreadLock lock(m_TableLock);
    if (!IsRegistered(record))
        return;
    const ConnectionEntry* entry = m_Connections.GetBySlot(record.connectionID);
    for (ConnectionData* other : {m_SendRecords.GetBySlot(entry->sendIndex), m_ReceiveRecords.GetBySlot(entry->receiveIndex)})
        if (other) {
            other->invalid = true;
            other->wake.Set();
        }
}

void NetworkNode::LoseConnection(ConnectionData& record)
{
    CloseFromThread(record);
    InvalidateConnection(record);
}

void NetworkNode::DeleteConnection(int32_t id, bool sayGoodbye)
{
    std::unique_ptr<ConnectionData> records[2];
    {
        cfThreadLock lock(m_TableLock);
        ConnectionEntry* entry = m_Connections.GetBySlot(id);
        if (!entry)
            return;
        entry->closed = true;
        if (ConnectionData* sending = m_SendRecords.GetBySlot(entry->sendIndex)) {
            m_SendRecords.Delete(entry->sendIndex);
            records[0].reset(sending);
        }
        if (ConnectionData* receiving = m_ReceiveRecords.GetBySlot(entry->receiveIndex)) {
            m_ReceiveRecords.Delete(entry->receiveIndex);
            records[1].reset(receiving);
        }
        m_Connections.Delete(id);
    }
    PurgeDisconnects(id);
    bool ended = true;
    if (records[0])
        ended = StopRecord(*records[0], sayGoodbye) && ended;
    if (records[1])
        ended = StopRecord(*records[1], false) && ended;
    const Socket socket = records[0] ? records[0]->socket : records[1] ? records[1]->socket : Socket();
    if (!ended) {
        GivenUp later;  // the records and the socket stay until the threads end
        later.records[0] = std::move(records[0]);
        later.records[1] = std::move(records[1]);
        later.socket = socket;
        m_GivenUp.push_back(std::move(later));
        return;
    }
    Socket closing = socket;
    if (closing.IsValid() && !closing.Close())
        ReportSocketError(Socket::GetLastError());
}

// Stops a record's thread: with sayGoodbye a sending thread first sends what is queued and a
// goodbye (for up to 200 ms); then the stop flag, a shutdown that wakes a blocked call, and the
// wake event. False when the thread is still running after 1 s.
bool NetworkNode::StopRecord(ConnectionData& record, bool sayGoodbye)
{
    if (!record.thread)
        return true;
    const bool sending = record.direction == ConnectionData::kSending;
    if (sending && sayGoodbye && !record.datagram && !record.invalid) {
        record.goodbye = true;
        record.wake.Set();
        if (record.thread->Join(200))
            return true;
    }
    record.stop = true;
    record.socket.Shutdown(sending ? Socket::kSending : Socket::kReceiving);
    record.wake.Set();
    if (record.thread->Join(1000))
        return true;
    Warning("The %s thread of connection %i did not end within 1 s: given up", sending ? "sending" : "receiving",
            record.connectionID);
    return false;
}

void NetworkNode::PurgeDisconnects(int32_t id)
{
    cfThreadLock lock(m_EventLock);
    RingQueue kept(m_Disconnects.GetCapacity());
    uint8_t record[8];
    while (m_Disconnects.Pop(record, true, sizeof record) > 0)
        if (int32_t(ByteReader::DecodeU32(record)) != id)
            kept.Push(record, sizeof record);
    while (kept.Pop(record, true, sizeof record) > 0)
        m_Disconnects.Push(record, sizeof record);
}

void NetworkNode::ProcessDisconnects()
{
    int32_t id;
    int32_t sayGoodbye;
    while (PopEvent(m_Disconnects, &id, &sayGoodbye))
        DeleteConnection(id, sayGoodbye != 0);
    FinishGivenUp(false);
}
