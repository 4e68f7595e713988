// GamePacketTransport: what the game packet framing asks of the transport under it: the pending
// message of a connection's sending queue and the messages of its receiving queue.
#pragma once
#include <cstdint>

// The network node's transport answers these for a connection ID (one connection, -1 for all, or
// one with the top bit set for all but it, as the transport names them). A received message
// starts with the sender's 4-byte address, which ReadBytes skips and SetReadOffset counts past.
class GamePacketTransport {
public:
    virtual ~GamePacketTransport() = default;

    // Appends to the pending message; false, and nothing written, when a queue lacks room.
    virtual bool SendData(int32_t id, const void* data, int32_t n, bool commit) = 0;
    virtual bool HasRoom(int32_t id, int32_t n) = 0;
    virtual bool IsSendPending(int32_t id) = 0;  // committed messages wait to be sent
    virtual bool CommitPending(int32_t id) = 0;
    virtual bool PeekPending(int32_t id, int32_t offset, void* dest, int32_t n) = 0;
    virtual bool PatchPending(int32_t id, int32_t offset, const void* src, int32_t n) = 0;
    virtual int32_t GetPendingLength(int32_t id) = 0;
    virtual void SetPendingLength(int32_t id, int32_t n) = 0;  // cuts the pending message back
    // The largest message that one datagram carries.
    virtual int32_t GetMaxDatagramMessage() = 0;

    // Data bytes of the next received message: 0 none, -1 no receiving record.
    virtual int32_t GetNumBytesWaiting(int32_t id) = 0;
    // n more bytes of the current message, or -1 when it holds fewer; moveOn moves past it.
    virtual int32_t ReadBytes(int32_t id, void* dest, int32_t n, bool moveOn) = 0;
    virtual int32_t Receive(int32_t id, void* dest, bool moveOn, int32_t max) = 0;
    virtual void SetReadOffset(int32_t id, int32_t n) = 0;  // n bytes into the message's data

    virtual bool IsConnectionValid(int32_t id, bool needSending, bool needReceiving) = 0;
};
