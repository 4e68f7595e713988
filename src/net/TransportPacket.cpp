// TransportPacket: writing and reading the header, the handshake and the goodbye, and the writes
// of one data packet.
#include "net/TransportPacket.h"

#include "base/ByteReader.h"
#include "net/RingQueue.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kHelloText[4] = {'H', 'E', 'L', 'O'};

}  // namespace

void TransportPacket::WriteHeader(uint8_t* dest, int32_t type, uint32_t sequence, uint32_t numBytes)
{
    ByteWriter out(dest, kHeaderSize);
    out.WriteU16(uint16_t((type & 0xF) | ((sequence & 0xFFF) << 4)));
    out.WriteU16(0);
    out.WriteU32(numBytes);
    out.WriteU16(0);  // the check, set below
    out.WriteU16(0);
    NetworkPacketHeader::SetChecksum(dest);
}

TransportPacket::Header TransportPacket::ReadHeader(const uint8_t* header)
{
    ByteReader in(header, kHeaderSize);
    Header result;
    const uint16_t first = in.ReadU16();
    in.Skip(2);
    result.numBytes = in.ReadU32();
    result.type = first & 0xF;
    result.sequence = first >> 4;
    result.checkOk = NetworkPacketHeader::VerifyChecksum(header);
    return result;
}

void TransportPacket::WriteHello(uint8_t* dest, uint32_t sequence, uint16_t listeningPort, uint8_t connectBack)
{
    WriteHeader(dest, kHello, sequence, kHelloSize - kHeaderSize);
    ByteWriter out(dest + kHeaderSize, kHelloSize - kHeaderSize);
    out.WriteBytes(kHelloText, sizeof kHelloText);
    out.WriteU16(kProtocolVersion);
    out.WriteU16(listeningPort);
    out.WriteU8(connectBack);
    out.WriteU8(0);
}

TransportPacket::HelloResult TransportPacket::CheckHello(const uint8_t* packet, Hello* hello)
{
    const Header header = ReadHeader(packet);
    ByteReader in(packet + kHeaderSize, kHelloSize - kHeaderSize);
    const uint8_t* text = in.ReadSpan(sizeof kHelloText);
    hello->version = in.ReadU16();
    hello->port = in.ReadU16();
    hello->connectBack = in.ReadU8();
    if (!header.checkOk || header.type != kHello || std::memcmp(text, kHelloText, sizeof kHelloText) != 0)
        return kHelloInvalid;
    return hello->version > kProtocolVersion ? kHelloUnknownVersion : kHelloAccepted;
}

void TransportPacket::WriteGoodbye(uint8_t* dest, uint32_t sequence) { WriteHeader(dest, kGoodbye, sequence, 0); }

bool TransportPacket::SendMessage(RingQueue& queue, uint8_t* buffer, int32_t packetSize, uint32_t sequence, Writer& writer)
{
    const int32_t length = queue.GetMessageLength();
    if (length <= 0)
        return true;
    if (packetSize < kMinPacketSize)
        return false;
    WriteHeader(buffer, kData, sequence, uint32_t(length));
    const int32_t first = int32_t(std::min<int64_t>(int64_t(length) + kHeaderSize, packetSize)) - kHeaderSize;
    int32_t rest = length - first;
    queue.Read(buffer + kHeaderSize, first, rest == 0);
    bool written = writer.Write(buffer, kHeaderSize + first);
    while (written && rest > 0) {
        const int32_t part = std::min(rest, packetSize);
        rest -= part;
        queue.Read(buffer, part, rest == 0);
        written = writer.Write(buffer, part);
    }
    if (rest > 0)
        queue.Read(nullptr, rest, true);  // the message is lost with its packet
    return written;
}
