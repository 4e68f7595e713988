// TransportAssembler: the receiving side of the transport packet stream: checks each header and
// hands the payload of every data packet on as one message, fed with whatever the socket gave.
#pragma once
#include "net/TransportPacket.h"

#include <cstdint>

// On a stream the bytes come in chunks of any size, so a header, a payload or several packets may
// span or share chunks; the outcome never depends on where the chunks are cut. On a datagram
// socket each datagram is one whole packet.
//
// What is dropped, and when the connection ends:
// - a header with a wrong check: its 12 bytes are dropped (the stream goes on after them);
// - a handshake after the first packet: its 22 bytes; an unknown type: its 12 header bytes;
// - on a stream, 8 of these in a row end the connection: such a stream cannot find its packets
//   again and would only fill the log;
// - a data packet without payload is dropped: its empty message would block the queue;
// - a data packet longer than the receiving queue can ever hold: on a stream the connection ends
//   (its payload cannot be skipped safely), a datagram is dropped;
// - a datagram shorter than a header, cut short, or whose numBytes differs from its payload;
// - a goodbye ends the connection, except on a broadcast socket, where anyone may send one.
class TransportAssembler {
public:
    static constexpr int32_t kMaxBadHeadersInRow = 8;

    enum Event {
        kBadHeader,          // value: the header's type
        kMisplacedHello,
        kUnknownType,        // value: the type
        kEmptyData,
        kOversized,          // value: numBytes
        kBadDatagram,        // value: the datagram's length
        kGoodbye,
        kTooManyBadHeaders,  // value: the count
    };

    enum Result {
        kContinue,
        kClosed,       // the connection ends (goodbye, oversized, too many bad headers)
        kInterrupted,  // the sink refused a part; the pending message is the caller's to discard
    };

    class Sink {
    public:
        virtual ~Sink() = default;
        // A piece of a data message: first opens it, last ends it (one piece may be both).
        // False stops the assembler (the receiving side is stopping).
        virtual bool OnMessagePart(const uint8_t* data, int32_t n, bool first, bool last) = 0;
        virtual void OnEvent(Event event, int64_t value) = 0;
    };

    // maxMessage: the largest payload the receiving queue takes.
    TransportAssembler(int32_t maxMessage, Sink& sink) : m_MaxMessage(maxMessage), m_Sink(sink) {}

    // A chunk of a stream. After kClosed every further chunk is ignored.
    Result Feed(const uint8_t* data, int32_t n);
    // One datagram: n bytes received of length (more when it was cut to fit the buffer).
    Result FeedDatagram(const uint8_t* data, int32_t n, int32_t length, bool broadcast);

    bool IsClosed() const { return m_Closed; }
    // A data message has begun and not yet ended.
    bool IsInMessage() const { return m_Remaining > 0 && !m_First; }

private:
    Result OnStreamHeader();
    Result CountBadHeader();
    Result Close();

    const int32_t m_MaxMessage;
    Sink& m_Sink;
    uint8_t m_Header[TransportPacket::kHeaderSize] = {};
    int32_t m_HeaderFill = 0;
    uint32_t m_Remaining = 0;  // payload bytes still to come of the current message
    bool m_First = false;      // the next payload byte opens the message
    int32_t m_Skip = 0;        // bytes still to drop
    int32_t m_BadInRow = 0;
    bool m_Closed = false;
};
