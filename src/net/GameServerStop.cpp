// GameServer: the server's goodbye when it stops: every client told why, and given the time to
// read it before the node's stop closes the connections.
#include "net/GameServer.h"

#include "base/Log.h"
#include "base/Timer.h"

namespace {

constexpr uint32_t kStopPassMs = 5;

}  // namespace

// A client's transport drops what it has not read when its connection goes, so the connections
// are not closed under the clients: each client that reads the DisconnectRequest closes its side,
// which HandleConnections notices and removes it. A client connecting meanwhile is told too.
void GameServer::TellClientsServerStops()
{
    if (!IsListening())
        return;
    const double end = Timer::GetTime() + kStopGraceSeconds;
    // Bounded by passes as well: a clock that stands (a test's) must not hold the stop for ever.
    const int32_t maxPasses = int32_t(kStopGraceSeconds * 1000.0 / kStopPassMs);
    for (int32_t pass = 0;; ++pass) {
        bool told = false;
        for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
            const GameClientInfo* client = m_Clients.GetAt(i);
            // A client that heard a DisconnectRequest (the host left) is not told twice.
            if (client && client->state >= kClientNew + 1 && client->state != kClientDisconnecting) {
                SendDisconnectRequest(m_Clients.GetUsedSlot(i), kReasonHostLeft);
                told = true;
            }
        }
        if (told)
            FinishPacket();
        // A slow client's messages may wait beside the node's queue: moved on as it drains.
        for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
            if (const GameClientInfo* client = m_Clients.GetAt(i); client && client->tcpConnection >= 0)
                m_SendTransport.Drain(client->tcpConnection);
        if (m_Clients.GetSize() == 0)
            return;
        if (Timer::GetTime() >= end || pass >= maxPasses)
            break;
        Timer::Sleep(kStopPassMs);
        HandleConnections();
    }
    Log::Write("%i client(s) did not close their connection within %.0f s of the stop", int(m_Clients.GetSize()),
               kStopGraceSeconds);
}
