// TransportAssembler: the header state machine of a stream and the one-packet check of a datagram.
#include "net/TransportAssembler.h"

#include <algorithm>
#include <cstring>

TransportAssembler::Result TransportAssembler::Feed(const uint8_t* data, int32_t n)
{
    while (n > 0 && !m_Closed) {
        if (m_Skip > 0) {
            const int32_t skipped = std::min(m_Skip, n);
            m_Skip -= skipped;
            data += skipped;
            n -= skipped;
        } else if (m_Remaining > 0) {
            const int32_t part = int32_t(std::min<uint32_t>(m_Remaining, uint32_t(n)));
            const bool last = uint32_t(part) == m_Remaining;
            if (!m_Sink.OnMessagePart(data, part, m_First, last))
                return kInterrupted;
            m_First = false;
            m_Remaining -= uint32_t(part);
            data += part;
            n -= part;
        } else {
            const int32_t taken = std::min(TransportPacket::kHeaderSize - m_HeaderFill, n);
            std::memcpy(m_Header + m_HeaderFill, data, size_t(taken));
            m_HeaderFill += taken;
            data += taken;
            n -= taken;
            if (m_HeaderFill == TransportPacket::kHeaderSize) {
                m_HeaderFill = 0;
                if (OnStreamHeader() == kClosed)
                    return kClosed;
            }
        }
    }
    return m_Closed ? kClosed : kContinue;
}

TransportAssembler::Result TransportAssembler::OnStreamHeader()
{
    const TransportPacket::Header header = TransportPacket::ReadHeader(m_Header);
    if (!header.checkOk) {
        m_Sink.OnEvent(kBadHeader, header.type);
        return CountBadHeader();
    }
    switch (header.type) {
    case TransportPacket::kHello:
        m_Sink.OnEvent(kMisplacedHello, 0);
        m_Skip = TransportPacket::kHelloSize - TransportPacket::kHeaderSize;
        return CountBadHeader();
    case TransportPacket::kData:
        m_BadInRow = 0;
        if (header.numBytes == 0) {
            m_Sink.OnEvent(kEmptyData, 0);
        } else if (header.numBytes > uint32_t(std::max(m_MaxMessage, 0))) {
            m_Sink.OnEvent(kOversized, header.numBytes);
            return Close();
        } else {
            m_Remaining = header.numBytes;
            m_First = true;
        }
        return kContinue;
    case TransportPacket::kGoodbye:
        m_Sink.OnEvent(kGoodbye, 0);
        return Close();
    case TransportPacket::kReserved:
        m_BadInRow = 0;
        return kContinue;
    default:
        m_Sink.OnEvent(kUnknownType, header.type);
        return CountBadHeader();
    }
}

TransportAssembler::Result TransportAssembler::CountBadHeader()
{
    if (++m_BadInRow < kMaxBadHeadersInRow)
        return kContinue;
    m_Sink.OnEvent(kTooManyBadHeaders, m_BadInRow);
    return Close();
}

TransportAssembler::Result TransportAssembler::Close()
{
    m_Closed = true;
    return kClosed;
}

TransportAssembler::Result TransportAssembler::FeedDatagram(const uint8_t* data, int32_t n, int32_t length, bool broadcast)
{
    if (m_Closed)
        return kClosed;
    if (length != n || n < TransportPacket::kHeaderSize) {
        m_Sink.OnEvent(kBadDatagram, length);
        return kContinue;
    }
    const TransportPacket::Header header = TransportPacket::ReadHeader(data);
    if (!header.checkOk) {
        m_Sink.OnEvent(kBadHeader, header.type);
        return kContinue;
    }
    const uint32_t payload = uint32_t(n - TransportPacket::kHeaderSize);
    switch (header.type) {
    case TransportPacket::kHello:
        m_Sink.OnEvent(kMisplacedHello, 0);
        return kContinue;
    case TransportPacket::kData:
        if (header.numBytes != payload)
            m_Sink.OnEvent(kBadDatagram, length);
        else if (payload == 0)
            m_Sink.OnEvent(kEmptyData, 0);
        else if (payload > uint32_t(std::max(m_MaxMessage, 0)))
            m_Sink.OnEvent(kOversized, payload);
        else if (!m_Sink.OnMessagePart(data + TransportPacket::kHeaderSize, int32_t(payload), true, true))
            return kInterrupted;
        return kContinue;
    case TransportPacket::kGoodbye:
        if (broadcast)
            return kContinue;
        m_Sink.OnEvent(kGoodbye, 0);
        return Close();
    case TransportPacket::kReserved:
        return kContinue;
    default:
        m_Sink.OnEvent(kUnknownType, header.type);
        return kContinue;
    }
}
