// GameServer: the server's goodbye when it stops: every client told why, and what it was told
// moved on to the network node before the node's stop closes the connections.
#include "net/GameServer.h"

#include "base/Log.h"
#include "base/Timer.h"

#include <vector>

void GameServer::TellClientsServerStops()
{
    if (!IsListening())
        return;
    std::vector<int32_t> untold;
    std::vector<int32_t> connections;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (!client)
            continue;
        // A client that heard a DisconnectRequest (the host left) is not told twice.
        if (client->state >= kClientNew + 1 && client->state != kClientDisconnecting)
            untold.push_back(m_Clients.GetUsedSlot(i));
        if (client->tcpConnection >= 0)
            connections.push_back(client->tcpConnection);
    }
    for (const int32_t slot : untold)
        SendDisconnectRequest(slot, kReasonHostLeft);
    FinishPacket();
    // A slow client's messages may wait beside the node's queue; the node's stop sends only what
    // its queue holds, and only for a moment, so the queues are emptied here first, within a bound.
    const double end = Timer::GetTime() + kStopFlushSeconds;
    for (;;) {
        bool pending = false;
        for (const int32_t id : connections) {
            if (!m_NetNode.IsConnectionValid(id, true, false))
                continue;
            m_SendTransport.Drain(id);
            pending = pending || m_SendTransport.IsSendPending(id);
        }
        if (!pending)
            break;
        if (Timer::GetTime() >= end) {
            Log::Write("The stop's messages to the clients were not all sent within %.0f s", kStopFlushSeconds);
            break;
        }
        Timer::Sleep(5);
    }
}
