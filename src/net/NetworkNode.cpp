// NetworkNode: settings, starting and stopping the node and its listening socket, the last error,
// connection info, the traffic logs, the two event queues and the threads that were given up.
#include "net/NetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "net/NetworkNodeRecords.h"
#include "net/TransportPacket.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

NetworkNode::NetworkNode() { CopyName32(this, "NetworkNode"); }

NetworkNode::~NetworkNode()
{
    Stop();
    // A given-up accept thread may have added connections after Stop's deletions.
    FinishGivenUp(true);
    DeleteAllConnections();
    FinishGivenUp(true);
}

void NetworkNode::SetPacketSize(int32_t size)
{
    if (m_Started)
        Warning("SetPacketSize() must be called before starting the NetworkNode");
    m_PacketSize = std::max(size, TransportPacket::kMinPacketSize);
}

void NetworkNode::SetPacketSizeUDP(int32_t size)
{
    if (m_Started)
        Warning("SetPacketSizeUDP() must be called before starting the NetworkNode");
    m_PacketSizeUDP = std::max(size, TransportPacket::kMinPacketSize);
}

// The receiving thread drops a UDP message that with its transport header outgrows the packet.
int32_t NetworkNode::GetMaxDatagramMessage() const { return m_PacketSizeUDP - TransportPacket::kHeaderSize; }

void NetworkNode::SetFifoSizes(int32_t sendSize, int32_t receiveSize)
{
    m_SendQueueSize = sendSize;
    m_ReceiveQueueSize = receiveSize;
}

void NetworkNode::SetMaxUpload(float bytesPerSecond) { m_MaxUpload = bytesPerSecond; }

void NetworkNode::SetReuseFlag(bool on) { m_ReuseSockets = on; }

bool NetworkNode::SetSocketReuse(Socket& socket)
{
    if (socket.SetReuseAddress(true))
        return true;
    ReportSocketError(Socket::GetLastError());
    return false;
}

void NetworkNode::SetMaxConnections(int32_t count) { m_MaxConnections = std::max(count, 0); }

bool NetworkNode::Start()
{
    if (m_Running)
        Stop();
    m_Started = true;
    m_IsServer = false;
    m_Running = true;
    return true;
}

bool NetworkNode::StartServer(int32_t port)
{
    if (m_Running)
        Stop();
    m_Started = true;
    if (port == kNoListening) {
        m_IsServer = false;
        return true;
    }
    Socket listening = Socket::Create(Socket::kStream);
    bool ok = listening.IsValid();
    if (ok && m_ReuseSockets)
        ok = listening.SetReuseAddress(true);
    ok = ok && listening.Bind(uint16_t(port)) && listening.Listen(5);
    SocketAddress bound;
    ok = ok && listening.GetLocalAddress(&bound);
    if (!ok) {
        ReportSocketError(Socket::GetLastError());
        if (listening.IsValid())
            listening.Close();
        return false;
    }
    m_ListeningSocket = listening;
    m_ListeningPort = bound.port;
    m_IsServer = true;
    m_StopAccepting = false;
    m_AcceptThread = Thread::Start(AcceptThreadProc, this);
    if (!m_AcceptThread) {
        SetError("The accept thread cannot be started");
        m_ListeningSocket.Close();
        m_ListeningPort = 0;
        m_IsServer = false;
        return false;
    }
    ++m_ThreadCount;
    m_Running = true;
    return true;
}

void NetworkNode::StopServer()
{
    m_StopAccepting = true;
    if (m_ListeningSocket.IsValid())
        m_ListeningSocket.Shutdown(Socket::kBoth);  // wakes the accept thread at once
    bool ended = true;
    if (m_AcceptThread) {
        ended = m_AcceptThread->Join(200);
        if (!ended) {
            Warning("The accept thread did not end within 200 ms: given up");
            GivenUp later;
            later.acceptThread = std::move(m_AcceptThread);
            later.socket = m_ListeningSocket;
            m_GivenUp.push_back(std::move(later));
        }
        m_AcceptThread.reset();
    }
    if (ended && m_ListeningSocket.IsValid())
        m_ListeningSocket.Close();
    m_ListeningSocket = Socket();
    m_ListeningPort = 0;
    m_IsServer = false;
}

void NetworkNode::Stop()
{
    StopServer();  // first, so that nothing is accepted while the connections go
    DeleteAllConnections();
    m_Running = false;
    CloseTrafficLogs();
    FinishGivenUp(false);
}

void NetworkNode::DeleteAllConnections()
{
    std::vector<int32_t> ids;
    {
        cfThreadLock lock(m_TableLock);
        for (int32_t i = 0; i < m_Connections.GetSize(); i++)
            ids.push_back(m_Connections.GetUsedSlot(i));
    }
    for (int32_t id : ids)
        DeleteConnection(id, true);
}

void NetworkNode::FinishGivenUp(bool wait)
{
    for (size_t i = 0; i < m_GivenUp.size();) {
        GivenUp& later = m_GivenUp[i];
        bool ended = true;
        for (auto& record : later.records)
            if (record && record->thread)
                ended = ended && (wait ? record->thread->Join() : record->thread->HasEnded());
        if (later.acceptThread)
            ended = ended && (wait ? later.acceptThread->Join() : later.acceptThread->HasEnded());
        if (!ended) {
            i++;
            continue;
        }
        if (later.socket.IsValid())
            later.socket.Close();
        m_GivenUp.erase(m_GivenUp.begin() + long(i));
    }
}

int32_t NetworkNode::GetLastErrorCode()
{
    cfThreadLock lock(m_ErrorLock);
    return m_LastErrorCode;
}

String NetworkNode::GetLastErrorText()
{
    cfThreadLock lock(m_ErrorLock);
    return m_LastErrorText;
}

bool NetworkNode::ReportSocketError(int32_t code, const ConnectionData* record)
{
    if (code == 0) {
        cfThreadLock lock(m_ErrorLock);
        m_LastErrorCode = 0;
        m_LastErrorText = "";
        return false;
    }
    String text;
    text.Format("Error %i: ", code);
    if (record) {
        cfThreadLock lock(m_TableLock);
        // A record being deleted no longer names its connection: its ID may be another's now.
        ConnectionEntry* entry = IsRegistered(*record) ? m_Connections.GetBySlot(record->connectionID) : nullptr;
        ConnectionData* receiving = entry ? m_ReceiveRecords.GetBySlot(entry->receiveIndex) : nullptr;
        if (entry && receiving) {
            SocketAddress local;
            SocketAddress remote;
            receiving->socket.GetLocalAddress(&local);
            receiving->socket.GetPeerAddress(&remote);
            text.Format("Error %i: conID(%s):%i IP:%s %s%i-->%i: ", code, entry->kind == kTCP ? "TCP" : "UDP",
                        record->connectionID, Socket::DottedText(entry->address).c_str(), record->DirectionName(),
                        local.port, remote.port);
        }
    }
    text += Socket::GetErrorText(code).c_str();
    {
        cfThreadLock lock(m_ErrorLock);
        m_LastErrorCode = code;
        m_LastErrorText = text;
    }
    Warning("WSA Error: %s", text.c_str());
    return true;
}

void NetworkNode::SetError(const char* format, ...)
{
    String text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    {
        cfThreadLock lock(m_ErrorLock);
        m_LastErrorCode = kOwnErrorCode;
        m_LastErrorText = text;
    }
    Warning("%s", text.c_str());
}

bool NetworkNode::IsConnectionLostError(int32_t code)
{
    return code == Socket::kErrorNotSocket || code == Socket::kErrorNetworkDown || code == Socket::kErrorAborted ||
           code == Socket::kErrorReset || code == Socket::kErrorTimedOut;
}

int32_t NetworkNode::ThrottleMs(int32_t sent, float limit)
{
    if (limit <= 0.0f || sent <= 0)
        return 0;
    return int32_t(double(sent) / double(limit) * 1000.0);
}

bool NetworkNode::GetConnectionInfo(int32_t id, ConnectionInfo* info)
{
    cfThreadLock lock(m_TableLock);
    const ConnectionEntry* entry = m_Connections.GetBySlot(id);
    if (!entry)
        return false;
    *info = ConnectionInfo();
    info->kind = entry->kind;
    info->address = Socket::DottedText(entry->address).c_str();
    info->port = entry->port;
    SocketAddress local;
    SocketAddress remote;
    if (const ConnectionData* sending = m_SendRecords.GetBySlot(entry->sendIndex)) {
        if (sending->socket.GetLocalAddress(&local))
            info->sendLocalPort = local.port;
        if (sending->socket.GetPeerAddress(&remote))
            info->sendRemotePort = remote.port;
    }
    if (const ConnectionData* receiving = m_ReceiveRecords.GetBySlot(entry->receiveIndex)) {
        if (receiving->socket.GetLocalAddress(&local))
            info->receiveLocalPort = local.port;
        if (receiving->socket.GetPeerAddress(&remote))
            info->receiveRemotePort = remote.port;
    }
    return true;
}

int32_t NetworkNode::GetNumConnections()
{
    cfThreadLock lock(m_TableLock);
    return m_Connections.GetSize();
}

void NetworkNode::EnableTrafficLog(int32_t flags, const char* prefix)
{
    cfThreadLock lock(m_LogLock);
    m_TrafficLogFlags = flags;
    m_TrafficLogPrefix = prefix ? prefix : "";
    CloseTrafficLogs();
    String name;
    for (int32_t i = 0; i < kTrafficLogCount; i++) {
        Platform::RemoveFile(name.Format("%s_in%i.log", m_TrafficLogPrefix.c_str(), i));
        Platform::RemoveFile(name.Format("%s_out%i.log", m_TrafficLogPrefix.c_str(), i));
    }
}

void NetworkNode::CloseTrafficLogs()
{
    cfThreadLock lock(m_LogLock);
    for (auto& direction : m_TrafficLogs)
        for (std::FILE*& file : direction) {
            if (file)
                std::fclose(file);
            file = nullptr;
        }
}

void NetworkNode::WriteTrafficLog(bool incoming, int32_t id, const void* data, int32_t n)
{
    if (id < 0 || id >= kTrafficLogCount || n <= 0)
        return;
    cfThreadLock lock(m_LogLock);
    if (!(m_TrafficLogFlags & (incoming ? kLogIncoming : kLogOutgoing)))
        return;
    std::FILE*& file = m_TrafficLogs[incoming ? 0 : 1][id];
    if (!file) {
        String name;
        name.Format(incoming ? "%s_in%i.log" : "%s_out%i.log", m_TrafficLogPrefix.c_str(), id);
        file = Platform::OpenFile(name.c_str(), "ab");
        if (!file)
            return;
    }
    std::fwrite(data, 1, size_t(n), file);
    std::fflush(file);
}

// The disconnect and thread-event queues grow instead of dropping an entry: the connection cap
// bounds them.
void NetworkNode::PushEvent(RingQueue& queue, int32_t first, int32_t second)
{
    uint8_t record[8];
    ByteWriter::EncodeU32(record, uint32_t(first));
    ByteWriter::EncodeU32(record + 4, uint32_t(second));
    cfThreadLock lock(m_EventLock);
    while (!queue.Push(record, sizeof record))
        queue.Resize(queue.GetCapacity() * 2);
}

bool NetworkNode::PopEvent(RingQueue& queue, int32_t* first, int32_t* second)
{
    uint8_t record[8];
    cfThreadLock lock(m_EventLock);
    if (queue.Pop(record, true, sizeof record) != int32_t(sizeof record))
        return false;
    *first = int32_t(ByteReader::DecodeU32(record));
    *second = int32_t(ByteReader::DecodeU32(record + 4));
    return true;
}
