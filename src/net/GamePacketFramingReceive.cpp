// GamePacketFraming: the receiving side: the game header of the next message with its checks,
// reading units within the held message, and moving on.
#include "net/GamePacketFraming.h"

#include "base/ByteReader.h"
#include "base/ErrorClass.h"
#include "base/File.h"
#include "net/GamePacketTransport.h"
#include "net/RingQueue.h"

#include <algorithm>
#include <vector>

namespace {

bool s_InvalidPacketSaved = false;  // only the first bad magic of a run is kept

const char* ChannelName(bool onUDP) { return onUDP ? "UDP" : "TCP"; }

}  // namespace

void GamePacketFraming::ResetInvalidPacketSavedForTest() { s_InvalidPacketSaved = false; }

void GamePacketFraming::ForgetReceivedHeader()
{
    m_ReceivedHeader = GamePacketHeader();
    m_UnitsLeft = 0;
    m_UnitBytesRead = 0;
}

int32_t GamePacketFraming::WaitingLength()
{
    if (m_ReplaySource)
        return m_ReplaySource->GetMessageLength();
    return m_Transport.GetNumBytesWaiting(m_ReceiveConnection);
}

int32_t GamePacketFraming::ReadCurrent(void* dest, int32_t n)
{
    if (m_ReplaySource)
        return m_ReplaySource->Read(dest, n, false);
    return m_Transport.ReadBytes(m_ReceiveConnection, dest, n, false);
}

// Whether the header can be believed: its id, and units that fill the message exactly, so that no
// handler reading by the header can run past the message or stop short of it.
bool GamePacketFraming::CheckHeader(const GamePacketHeader& header, int32_t length, bool onUDP)
{
    const int64_t payload = int64_t(length) - GamePacketHeader::kSize;
    const bool sizeOk = header.unitSize >= 0 && int64_t(header.count) * header.unitSize == payload;
    if (GamePacketHeader::IsValidID(header.id) && sizeOk)
        return true;
    m_Reporter.Warning("Invalid game packet header (%s) on connection %i: id 0x%04X, %u units of %i bytes in %i bytes",
                       ChannelName(onUDP), m_ReceiveConnection, header.id, header.count, header.unitSize, length);
    return false;
}

void GamePacketFraming::SaveInvalidPacket(const uint8_t* header, int32_t length)
{
    if (s_InvalidPacketSaved)
        return;
    s_InvalidPacketSaved = true;
    std::vector<uint8_t> bytes(header, header + GamePacketHeader::kSize);
    bytes.resize(size_t(length));
    if (length > GamePacketHeader::kSize && ReadCurrent(bytes.data() + GamePacketHeader::kSize, length - GamePacketHeader::kSize) < 0)
        bytes.resize(GamePacketHeader::kSize);
    try {  // a failing dump must not end the receive loop
        File file;
        if (file.Create(kInvalidPacketFile, true))  // a new file each run
            file.Write(bytes.data(), bytes.size());
    } catch (const ErrorMsg&) {
    }
}

GamePacketFraming::HeaderResult GamePacketFraming::ReadNextHeader(bool onUDP)
{
    const int32_t length = WaitingLength();
    if (length <= 0)
        return kNoMessage;
    ForgetReceivedHeader();
    if (length < GamePacketHeader::kSize) {
        m_Reporter.Warning("_ReceivePartial with header failed (%s): %i", ChannelName(onUDP), length);
        return kDropped;
    }
    uint8_t bytes[GamePacketHeader::kSize];
    if (m_ReplaySource)
        m_ReplaySource->SetReadAlready(0);
    else
        m_Transport.SetReadOffset(m_ReceiveConnection, 0);
    const int32_t read = ReadCurrent(bytes, GamePacketHeader::kSize);
    if (read != GamePacketHeader::kSize) {
        m_Reporter.Warning("_ReceivePartial with header failed (%s): %i", ChannelName(onUDP), std::max(read, 0));
        return kDropped;
    }
    const GamePacketHeader header = GamePacketHeader::Read(bytes);
    if (header.magic != GamePacketHeader::kMagic) {
        m_Reporter.Warning("Invalid network packet received (%s)", ChannelName(onUDP));
        SaveInvalidPacket(bytes, length);
        return kDropped;
    }
    if (!CheckHeader(header, length, onUDP))
        return kDropped;
    m_ReceivedHeader = header;
    m_UnitsLeft = int32_t(std::min<uint32_t>(header.count, INT32_MAX));
    m_UnitBytesRead = 0;
    return kHeaderHeld;
}

bool GamePacketFraming::ReceivePartial(bool onUDP, GamePacketHeader* header)
{
    SelectReceiveChannel(onUDP);
    if (!m_ReplaySource && m_ReceiveConnection < 0)
        return false;
    if (m_ReceivedHeader.id != 0) {
        *header = m_ReceivedHeader;
        return true;
    }
    for (;;) {  // a dropped message must not hide the ones behind it
        switch (ReadNextHeader(onUDP)) {
        case kNoMessage:
            return false;
        case kHeaderHeld:
            *header = m_ReceivedHeader;
            return true;
        case kDropped:
            NextPacket();
            break;
        }
    }
}

bool GamePacketFraming::ReceivePacketHeader(GamePacketHeader* header, int32_t* channel)
{
    GamePacketHeader found;
    if (m_ReceivedHeader.id != 0) {  // its own channel, whichever is asked first
        found = m_ReceivedHeader;
        if (header)
            *header = found;
        if (channel)
            *channel = m_ReceiveOnUDP ? kUDP : kTCP;
        return true;
    }
    for (const bool onUDP : {false, true}) {
        if (ReceivePartial(onUDP, &found)) {
            if (header)
                *header = found;
            if (channel)
                *channel = onUDP ? kUDP : kTCP;
            return true;
        }
        if (m_ReplaySource)
            return false;  // the replay queue is one channel
    }
    return false;
}

bool GamePacketFraming::ReceiveData(void* dest, int32_t n)
{
    if (m_ReceivedHeader.id == 0 && !ReceivePacketHeader(nullptr, nullptr))
        return false;
    if (!m_ReplaySource && m_ReceiveConnection < 0)
        return false;
    if (m_UnitsLeft <= 0 || n < 0 || int64_t(m_UnitBytesRead) + n > m_ReceivedHeader.unitSize)
        return false;
    if (ReadCurrent(dest, n) != n) {
        m_Reporter.Warning("ReceivePacket: internal problem: bytesToReceive!=bytesReceived");
        return false;
    }
    m_UnitBytesRead += n;
    return true;
}

int32_t GamePacketFraming::ReceivePacketData(void* dest, int32_t units)
{
    if ((!m_ReplaySource && m_ReceiveConnection < 0) || m_ReceivedHeader.id == 0)
        return 0;
    units = units < 0 ? m_UnitsLeft : std::min(units, m_UnitsLeft);
    if (units <= 0)
        return 0;
    const int64_t bytes = int64_t(units) * m_ReceivedHeader.unitSize - m_UnitBytesRead;
    if (ReadCurrent(dest, int32_t(bytes)) != bytes) {
        m_Reporter.Warning("ReceivePacket: internal problem: bytesToReceive!=bytesReceived");
        return 0;
    }
    m_UnitsLeft -= units;
    m_UnitBytesRead = 0;
    return units;
}

bool GamePacketFraming::ReadString(String& text)
{
    uint8_t lengthBytes[4];
    if (!ReceiveData(lengthBytes, 4))
        return false;
    const uint32_t length = ByteReader::DecodeU32(lengthBytes);
    if (length > uint32_t(GetUnitBytesLeft()))
        return false;
    std::vector<char> chars(size_t(length) + 1, 0);
    if (!ReceiveData(chars.data(), int32_t(length)))
        return false;
    text = String(chars.data(), int32_t(length));
    return true;
}

int32_t GamePacketFraming::GetUnitBytesLeft() const
{
    return m_ReceivedHeader.id == 0 ? 0 : m_ReceivedHeader.unitSize - m_UnitBytesRead;
}

void GamePacketFraming::RewindPacket()
{
    if (m_ReceivedHeader.id == 0)
        return;
    m_UnitBytesRead = 0;
    m_UnitsLeft = int32_t(std::min<uint32_t>(m_ReceivedHeader.count, INT32_MAX));
    if (m_ReplaySource)
        m_ReplaySource->SetReadAlready(GamePacketHeader::kSize);
    else
        m_Transport.SetReadOffset(m_ReceiveConnection, GamePacketHeader::kSize);
}

void GamePacketFraming::NextPacket()
{
    ForgetReceivedHeader();
    if (m_ReplaySource)
        m_ReplaySource->Pop(nullptr, true, 0);
    else if (m_ReceiveConnection >= 0)
        m_Transport.Receive(m_ReceiveConnection, nullptr, true, 0);
}
