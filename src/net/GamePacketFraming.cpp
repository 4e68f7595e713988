// GamePacketFraming: the sending side: beginning and batching units, writing them into the
// pending message of the sending queue, and finishing the packet with its final header.
#include "net/GamePacketFraming.h"

#include "base/ByteReader.h"
#include "base/ErrorClass.h"
#include "net/GamePacketTransport.h"
#include "platform/Clock.h"

#include <vector>

void GamePacketHeader::Write(uint8_t* dest) const
{
    ByteWriter writer(dest, kSize);
    writer.WriteU16(magic);
    writer.WriteU16(id);
    writer.WriteU32(count);
    writer.WriteU32(uint32_t(unitSize));
}

GamePacketHeader GamePacketHeader::Read(const uint8_t* source)
{
    ByteReader reader(source, kSize);
    GamePacketHeader header;
    header.magic = reader.ReadU16();
    header.id = reader.ReadU16();
    header.count = reader.ReadU32();
    header.unitSize = reader.ReadI32();
    return header;
}

GamePacketFraming::GamePacketFraming(ErrorClass& reporter, GamePacketTransport& transport)
    : m_Reporter(reporter), m_Transport(transport)
{
}

void GamePacketFraming::SetConnections(int32_t tcpConnection, int32_t udpConnection)
{
    m_TCPConnection = tcpConnection;
    m_UDPConnection = udpConnection;
}

int32_t GamePacketFraming::SelectSendChannel(bool onUDP)
{
    const bool udp = onUDP && m_UDPConnection >= 0;
    m_SendOnUDP = udp ? 1 : 0;
    m_SendConnection = udp ? m_UDPConnection : m_TCPConnection;
    return m_SendConnection;
}

int32_t GamePacketFraming::SelectReceiveChannel(bool onUDP)
{
    const bool udp = onUDP && m_UDPConnection >= 0;
    m_ReceiveOnUDP = udp ? 1 : 0;
    m_ReceiveConnection = udp ? m_UDPConnection : m_TCPConnection;
    return m_ReceiveConnection;
}

bool GamePacketFraming::HasSendRoom(int32_t n)
{
    return m_Transport.HasRoom(m_SendConnection, n + GamePacketHeader::kSize);
}

bool GamePacketFraming::WriteData(const void* data, int32_t n, bool finish)
{
    if (!AcceptsUnitBytes(n))
        return false;
    if (!SendToConnection(m_SendConnection, data, n, false)) {
        AbandonUnit(m_SendConnection);
        return false;
    }
    m_PartialSend += n;
    return finish ? FinishPacket() : true;
}

bool GamePacketFraming::FinishPacket() { return FinishPacketOn(m_SendConnection); }

bool GamePacketFraming::BeginPacket(bool onUDP, uint16_t id, int32_t unitSize)
{
    const int32_t maxDatagram = m_Transport.GetMaxDatagramMessage();
    if (onUDP && (unitSize < 0 || int64_t(GamePacketHeader::kSize) + unitSize > maxDatagram))
        onUDP = false;  // one datagram must carry the whole packet
    GamePacketHeader& open = m_CurrentSendPacketHeader;
    const bool full = unitSize > 0 && !HasSendRoom(unitSize);
    const int64_t batched = (int64_t(open.count) + 1) * unitSize;
    if (open.id == id && unitSize > 0 && unitSize == open.unitSize && onUDP == m_OpenAskedUDP &&
        batched <= m_MaxBatchBytes && (!onUDP || GamePacketHeader::kSize + batched <= maxDatagram) && !full) {
        open.count++;
        m_PartialSend = 0;
        return true;
    }
    if (open.id != 0 && !FinishPacket())
        return false;
    open.id = id;
    open.count = 1;
    open.unitSize = unitSize;
    m_OpenAskedUDP = onUDP;
    SelectSendChannel(onUDP);
    uint8_t header[GamePacketHeader::kSize];
    open.Write(header);
    m_WritingHeader = true;
    const bool written = WriteData(header, GamePacketHeader::kSize, false);
    m_WritingHeader = false;
    m_PartialSend = 0;
    return written;
}

bool GamePacketFraming::WriteString(const String& text)
{
    const int32_t length = text.TextLength();
    std::vector<uint8_t> bytes(size_t(length) + 4);
    ByteWriter writer(bytes.data(), bytes.size());
    writer.WriteU32(uint32_t(length));
    writer.WriteBytes(text.c_str(), size_t(length));
    return WriteData(bytes.data(), int32_t(bytes.size()), false);
}

bool GamePacketFraming::AcceptsUnitBytes(int32_t n) const
{
    const GamePacketHeader& open = m_CurrentSendPacketHeader;
    if (open.id == 0 || n < 0)
        return false;  // no packet open: the bytes would land outside any packet
    return m_WritingHeader || open.unitSize < 0 || int64_t(m_PartialSend) + n <= open.unitSize;
}

void GamePacketFraming::AbandonUnit(int32_t connectionID)
{
    GamePacketHeader& open = m_CurrentSendPacketHeader;
    if (open.id == 0)
        return;
    if (m_WritingHeader || open.unitSize < 0 || open.count <= 1) {
        m_Transport.SetPendingLength(connectionID, 0);
        open = GamePacketHeader();
        m_PartialSend = 0;
        return;
    }
    open.count--;
    m_Transport.SetPendingLength(connectionID, GamePacketHeader::kSize + int32_t(open.count) * open.unitSize);
    m_PartialSend = open.unitSize;  // the last whole unit is complete; more bytes are refused
}

void GamePacketFraming::WaitForSendRoom() { Platform::SleepMs(uint32_t(kSendRetryMs)); }

bool GamePacketFraming::SendToConnection(int32_t connectionID, const void* data, int32_t n, bool commit)
{
    if (m_Transport.SendData(connectionID, data, n, commit))
        return true;
    const int32_t maxRetries = IsNetworkServer() ? kServerSendRetries : kSendRetries;
    for (int32_t retry = 1;; retry++) {
        if (!m_Transport.IsConnectionValid(connectionID, true, true))
            return false;
        if (!m_Transport.IsSendPending(connectionID)) {
            // Nothing queued is left to drain, so what does not fit now never will: drop it, keep
            // the link. The queue may have drained since the last try, so try once more first.
            if (m_Transport.SendData(connectionID, data, n, commit))
                return true;
            m_Reporter.Warning("Message of %i bytes exceeds the sending queue of connection %i",
                               m_Transport.GetPendingLength(connectionID) + n, connectionID);
            return false;
        }
        WaitForSendRoom();
        if (retry > maxRetries) {
            if (m_TrafficLogLevel != 0)
                m_Reporter.Warning("Send() timed out!");
            OnSendFailed(connectionID);
            return false;
        }
        if (m_Transport.SendData(connectionID, data, n, commit))
            return true;
    }
}

void GamePacketFraming::CheckPartialSend(int32_t connectionID)
{
    GamePacketHeader& open = m_CurrentSendPacketHeader;
    if (open.unitSize == -1) {
        open.unitSize = m_PartialSend;
        return;
    }
    if (open.unitSize != m_PartialSend && m_Transport.IsConnectionValid(connectionID, true, true)) {
        const uint16_t id = open.id;
        m_Transport.SetPendingLength(connectionID, 0);  // the torn packet never leaves
        open = GamePacketHeader();
        m_PartialSend = 0;
        m_Reporter.Error("Internal error: m_CurrentSendPacketHeader.BytesPerUnit != m_PartialSend, data ID:%i", id);
    }
}

bool GamePacketFraming::FinishPacketOn(int32_t connectionID)
{
    GamePacketHeader& open = m_CurrentSendPacketHeader;
    if (open.id == 0)
        return true;
    CheckPartialSend(connectionID);
    if (open.count > 0) {
        uint8_t header[GamePacketHeader::kSize];
        open.Write(header);
        m_Transport.PatchPending(connectionID, 0, header, GamePacketHeader::kSize);
    }
    open = GamePacketHeader();
    m_PartialSend = 0;
    if (!ValidateCurrentPacket(connectionID))
        return false;
    return m_Transport.CommitPending(connectionID);
}

bool GamePacketFraming::ValidateCurrentPacket(int32_t connectionID)
{
    uint8_t bytes[GamePacketHeader::kSize];
    if (!m_Transport.PeekPending(connectionID, 0, bytes, GamePacketHeader::kSize)) {
        if (!m_Transport.IsConnectionValid(connectionID, true, true))
            return false;
        m_Reporter.Error("Internal error - _ValidateCurrentPacket failed!");
    }
    const GamePacketHeader header = GamePacketHeader::Read(bytes);
    if (header.magic != GamePacketHeader::kMagic || !GamePacketHeader::IsValidID(header.id))
        m_Reporter.Error("Internal error - _ValidateCurrentPacket failed!");
    return true;
}
