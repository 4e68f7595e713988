// TransportPacket: the transport's 12-byte packet header, the handshake and goodbye packets, and
// the cutting of one queued message into socket writes.
#pragma once
#include "base/NetworkPacketHeader.h"

#include <cstdint>

class RingQueue;

// Header, little-endian:
//   0  u16  low 4 bits packet type, high 12 bits sequence number (the sender's counter, which
//           starts at 0 and is incremented before each packet; receivers never check it)
//   2  u16  reserved, written 0, covered by the check, ignored by receivers
//   4  u32  numBytes: the payload that follows
//   8  u16  check over bytes 0 to 7 (NetworkPacketHeader)
//  10  u16  reserved, written 0, not covered
//
// Handshake, the first packet of every TCP connection, from the connecting side (22 bytes):
//   0  12   header: type 1, numBytes 10
//  12  4    "HELO"
//  16  u16  protocol version, 0x0100; a receiver refuses any above its own
//  18  u16  the sender's listening port, 0 when it does not listen
//  20  u8   connect-back flag: nonzero asks the accepting side to connect back for its sending
//           direction; a listening node refuses it
//  21  u8   reserved
class TransportPacket {
public:
    static constexpr int32_t kHeaderSize = NetworkPacketHeader::kSize;
    static constexpr int32_t kHelloSize = 22;
    static constexpr int32_t kGoodbyeSize = kHeaderSize;
    static constexpr uint16_t kProtocolVersion = 0x0100;
    static constexpr int32_t kMinPacketSize = 32;

    enum Type : int32_t {
        kHello = 1,     // handshake
        kData = 2,      // one queued message
        kGoodbye = 3,   // the peer closes the connection
        kReserved = 4,  // accepted and ignored
    };

    struct Header {
        int32_t type = 0;
        uint32_t sequence = 0;
        uint32_t numBytes = 0;
        bool checkOk = false;
    };

    struct Hello {
        uint16_t version = 0;
        uint16_t port = 0;
        uint8_t connectBack = 0;
    };

    enum HelloResult {
        kHelloAccepted,
        kHelloInvalid,         // wrong check, type or text
        kHelloUnknownVersion,  // a version above ours
    };

    // dest: kHeaderSize bytes; only the sequence's low 12 bits are kept.
    static void WriteHeader(uint8_t* dest, int32_t type, uint32_t sequence, uint32_t numBytes);
    static Header ReadHeader(const uint8_t* header);

    // dest: kHelloSize bytes.
    static void WriteHello(uint8_t* dest, uint32_t sequence, uint16_t listeningPort, uint8_t connectBack = 0);
    // packet: kHelloSize bytes; hello takes the fields whatever the result.
    static HelloResult CheckHello(const uint8_t* packet, Hello* hello);

    static void WriteGoodbye(uint8_t* dest, uint32_t sequence);

    // Takes the socket writes of a message.
    class Writer {
    public:
        virtual ~Writer() = default;
        // False when the write failed or was interrupted.
        virtual bool Write(const uint8_t* data, int32_t n) = 0;
    };

    // Sends the first message of the queue as one data packet of the given sequence: the header
    // and the first data in one write of at most packetSize bytes, the rest in further writes of at
    // most packetSize bytes without headers, each read into the start of buffer (packetSize bytes,
    // at least kMinPacketSize). The queue moves past the message with its last read, or at once
    // when a write fails (false): the rest of its packet can never be sent. An empty queue sends
    // nothing.
    static bool SendMessage(RingQueue& queue, uint8_t* buffer, int32_t packetSize, uint32_t sequence, Writer& writer);
};
