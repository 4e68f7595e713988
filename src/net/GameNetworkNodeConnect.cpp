// GameNetworkNode: connecting to a server (the TCP connection, the server's connect reply, the UDP
// connection beside it), confirming both connections and the LAN broadcast connection.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "base/Timer.h"

#include <algorithm>

namespace {

bool TimedOut(double startTime, double timeout) { return Timer::GetTime() - startTime > timeout; }

}  // namespace

bool GameNetworkNode::ConnectToServer(const char* host, uint16_t port, bool announceHostingChar, double timeout,
                                      int32_t* reason)
{
    int32_t why = kReasonNone;
    const double startTime = Timer::GetTime();
    // A server that is not there yet is tried again; one that answers with a refusal is not.
    while (!ConnectAttempt(host, port, startTime, timeout, &why)) {
        if (why != kReasonNone || TimedOut(startTime, timeout)) {
            if (reason)
                *reason = why != kReasonNone ? why : kReasonTimeout;
            return false;
        }
        Timer::Sleep(kPollMs);
    }
    while (!ConfirmConnected()) {
        if (TimedOut(startTime, timeout)) {
            CloseConnections();
            if (reason)
                *reason = kReasonTimeout;
            return false;
        }
        Timer::Sleep(kPollMs);
    }
    if (announceHostingChar)
        SendSetHostingChar();
    if (reason)
        *reason = kReasonNone;
    return true;
}

// False with reason 0 when the attempt may be repeated (no server listening yet).
bool GameNetworkNode::ConnectAttempt(const char* host, uint16_t port, double startTime, double timeout,
                                     int32_t* reason)
{
    *reason = kReasonNone;
    const bool useUDP = m_NetSettings.useUDP;
    if (GetTCPConnection() >= 0) {
        if (m_ServerHost == host && m_ServerPortConnected == port && (!useUDP || GetUDPConnection() >= 0))
            return true;
        CloseConnections();
    }
    if (!m_NetNode.IsRunning())
        StartNetwork();
    const uint16_t dataPort = uint16_t(m_NetSettings.dataPort);
    const int32_t tcp = m_NetNode.Connect(NetworkNode::kTCP, host, port, dataPort);
    if (tcp < 0) {
        Warning("ConnectToServer failed: %s", m_NetNode.GetLastErrorText().c_str());
        return false;
    }
    uint8_t reply[kConnectReplySize];
    if (!WaitForConnectReply(tcp, startTime, timeout, reply, reason)) {
        m_NetNode.DeleteConnection(tcp, true);
        return false;
    }
    ByteReader in(reply, kConnectReplySize);
    const uint16_t udpPort = in.ReadU16();
    const uint32_t status = in.ReadU32();
    if (status != 0) {
        m_NetNode.DeleteConnection(tcp, true);
        *reason = int32_t(std::min<uint32_t>(status, INT32_MAX));
        return false;
    }
    int32_t udp = -1;
    // Port 0: the server keeps no UDP socket for us, and everything goes over TCP.
    if (useUDP && udpPort != 0) {
        // The server's UDP socket for us is aimed at the port of our TCP connection.
        NetworkNode::ConnectionInfo info;
        const uint16_t localPort = m_NetNode.GetConnectionInfo(tcp, &info) ? info.sendLocalPort : dataPort;
        udp = m_NetNode.Connect(NetworkNode::kUDP, host, udpPort, localPort);
        if (udp < 0) {
            Warning("ConnectToServer failed: %s", m_NetNode.GetLastErrorText().c_str());
            m_NetNode.DeleteConnection(tcp, true);
            *reason = kReasonUDPFailed;
            return false;
        }
    }
    SetConnections(tcp, udp);
    m_ServerHost = host;
    m_ServerPortConnected = port;
    if (udp >= 0) {
        SendDummyData(8, true);  // opens the way for the server's datagrams
        FinishPacket();
    }
    return true;
}

// The connect reply: exactly 6 bytes before any game packet.
bool GameNetworkNode::WaitForConnectReply(int32_t tcp, double startTime, double timeout, uint8_t* reply,
                                          int32_t* reason)
{
    while (!m_NetNode.IsConnectionValid(tcp, true, true)) {
        if (TimedOut(startTime, timeout)) {
            *reason = kReasonTimeout;
            return false;
        }
        Timer::Sleep(kPollMs);
    }
    int32_t waiting = 0;
    while ((waiting = m_NetNode.GetNumBytesWaiting(tcp)) == 0) {
        if (TimedOut(startTime, timeout)) {
            *reason = kReasonTimeout;
            return false;
        }
        Timer::Sleep(kPollMs);
    }
    if (waiting < 0)
        return false;  // closed before it answered: tried again
    if (waiting != kConnectReplySize) {
        Warning("Invalid connect reply of %i bytes", waiting);
        *reason = kReasonBadReply;
        return false;
    }
    m_NetNode.Receive(tcp, reply, true, kConnectReplySize);
    return true;
}

bool GameNetworkNode::ConfirmConnected()
{
    const int32_t tcp = GetTCPConnection();
    const int32_t udp = GetUDPConnection();
    if (tcp < 0 || !m_NetNode.IsConnectionValid(tcp, true, true))
        return false;
    if (udp >= 0 && !m_NetNode.IsConnectionValid(udp, true, true))
        return false;
    m_SendConnection = tcp;
    m_ReceiveConnection = tcp;
    m_SendOnUDP = 0;
    m_ReceiveOnUDP = 0;
    if (m_ConnectionState == eDisconnected)
        SetConnectionState(eConnected);
    return true;
}

bool GameNetworkNode::OpenBroadcastConnection(bool force)
{
    if (m_BroadcastConnection >= 0) {
        if (!force && m_NetNode.IsConnectionValid(m_BroadcastConnection, true, true))
            return true;
        m_NetNode.DeleteConnection(m_BroadcastConnection, false);
        m_BroadcastConnection = -1;
    }
    if (m_NetSettings.broadcastPortLocal < 1)
        return false;
    if (!m_NetNode.IsRunning())
        StartNetwork();
    m_BroadcastConnection = m_NetNode.Connect(NetworkNode::kUDP, m_NetSettings.broadcastIP.c_str(),
                                              uint16_t(m_NetSettings.broadcastPortRemote),
                                              uint16_t(m_NetSettings.broadcastPortLocal));
    if (m_BroadcastConnection < 0)
        ReportWinsockError("OpenBroadcastConnection");
    return m_BroadcastConnection >= 0;
}
