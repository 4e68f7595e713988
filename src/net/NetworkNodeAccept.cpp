// NetworkNode: the accept thread. A new socket waits for its 22-byte handshake in a polled set,
// beside the listening socket, so that a silent or slow peer never delays another accept: at most
// 16 wait at once, each for 5 seconds of the program clock.
#include "net/NetworkNode.h"

#include "base/Timer.h"
#include "net/NetworkNodeRecords.h"
#include "net/TransportPacket.h"

#include <vector>

namespace {

struct WaitingHandshake {
    Socket socket;
    SocketAddress peer;
    uint8_t packet[TransportPacket::kHelloSize] = {};
    int32_t received = 0;
    double deadline = 0.0;
    bool done = false;
};

constexpr int32_t kAcceptWaitMs = 100;  // how soon a stop or a passed deadline is seen

}  // namespace

uint32_t NetworkNode::AcceptThreadProc(void* node)
{
    auto* self = static_cast<NetworkNode*>(node);
    self->AcceptLoop();
    --self->m_ThreadCount;
    return 0;
}

void NetworkNode::AcceptLoop()
{
    std::vector<WaitingHandshake> waiting;
    std::vector<Socket> sockets;
    bool ready[1 + kMaxWaitingHandshakes] = {};
    while (!m_StopAccepting) {
        sockets.assign(1, m_ListeningSocket);
        for (const WaitingHandshake& w : waiting)
            sockets.push_back(w.socket);
        const int32_t result = Socket::WaitReadable(sockets.data(), int32_t(sockets.size()), ready, kAcceptWaitMs);
        if (m_StopAccepting)
            break;
        if (result < 0) {
            ReportSocketError(Socket::GetLastError());
            break;
        }

        // Handshake bytes, which may come in several pieces; nothing after them is read here.
        for (size_t i = 0; i < waiting.size(); i++) {
            WaitingHandshake& w = waiting[i];
            if (!ready[i + 1])
                continue;
            const int32_t n = w.socket.Receive(w.packet + w.received, TransportPacket::kHelloSize - w.received);
            if (n <= 0) {
                Warning("Connection from %s closed before its handshake", Socket::DottedText(w.peer.address).c_str());
                w.socket.Close();
                w.done = true;
                continue;
            }
            w.received += n;
            if (w.received == TransportPacket::kHelloSize) {
                AcceptHello(w.socket, w.peer, w.packet);
                w.done = true;
            }
        }

        const double now = Timer::GetTime();
        for (WaitingHandshake& w : waiting) {
            if (!w.done && now > w.deadline) {
                Warning("No handshake from %s within %.0f s: connection closed", Socket::DottedText(w.peer.address).c_str(),
                        kHandshakeTimeout);
                w.socket.Close();
                w.done = true;
            }
        }
        std::erase_if(waiting, [](const WaitingHandshake& w) { return w.done; });

        if (!ready[0])
            continue;
        WaitingHandshake w;
        w.socket = m_ListeningSocket.Accept(&w.peer);
        if (!w.socket.IsValid()) {
            const int32_t code = Socket::GetLastError();
            if (m_StopAccepting)
                break;
            ReportSocketError(code);
            // A peer that gave up before the accept, or a full descriptor table, passes; a
            // listening socket that is gone ends the thread.
            if (code == Socket::kErrorNotSocket || code == Socket::kErrorInvalid)
                break;
            continue;
        }
        if (m_ReuseSockets)
            w.socket.SetReuseAddress(true);
        w.socket.SetKeepAlive(true);
        const String from = Socket::DottedText(w.peer.address).c_str();
        if (int32_t(waiting.size()) >= kMaxWaitingHandshakes) {
            Warning("%i connections wait for their handshake: connection from %s closed", kMaxWaitingHandshakes, from.c_str());
            w.socket.Close();
        } else if (GetNumConnections() + int32_t(waiting.size()) >= m_MaxConnections) {
            Warning("Connection limit of %i reached: connection from %s closed", m_MaxConnections.load(), from.c_str());
            w.socket.Close();
        } else {
            w.deadline = now + kHandshakeTimeout;
            waiting.push_back(w);
        }
    }
    for (WaitingHandshake& w : waiting)
        if (!w.done)
            w.socket.Close();
}

// A whole handshake: refused ones close their socket and leave no record behind.
bool NetworkNode::AcceptHello(Socket socket, const SocketAddress& peer, const uint8_t* packet)
{
    TransportPacket::Hello hello;
    const TransportPacket::HelloResult result = TransportPacket::CheckHello(packet, &hello);
    if (result == TransportPacket::kHelloInvalid)
        Warning("Invalid authentication packet received");
    else if (result == TransportPacket::kHelloUnknownVersion)
        Warning("Unknown protocol version: %X", hello.version);
    else if (hello.connectBack != 0)  // a peer could make us connect to ports of its choosing
        Warning("Handshake from %s asks for a connection back: refused", Socket::DottedText(peer.address).c_str());
    if (result != TransportPacket::kHelloAccepted || hello.connectBack != 0 || m_StopAccepting) {
        socket.Close();
        return false;
    }

    ConnectionData* receiving = NewRecord(ConnectionData::kReceiving, kTCP, socket, peer);
    ConnectionData* sending = NewRecord(ConnectionData::kSending, kTCP, socket, peer);
    AddConnection(kTCP, peer.address, hello.port, sending, receiving, true);
    return true;
}
