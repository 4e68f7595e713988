// NetworkNodeRecords: the transport's direction records and connection entries, shared by the
// files of NetworkNode and by nothing else.
#pragma once
#include "net/NetworkNode.h"
#include "platform/Thread.h"
#include "platform/ThreadEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>

// One direction of a connection, served by a thread of its own. Both records of a connection
// share one socket; the game thread closes it once both threads have ended.
struct NetworkNode::ConnectionData {
    static constexpr int32_t kSending = 1;    // "out"
    static constexpr int32_t kReceiving = 2;  // "in"

    NetworkNode* node = nullptr;
    int32_t index = -1;  // slot in its table
    int32_t direction = kSending;
    uint32_t kind = kTCP;
    Socket socket;
    SocketAddress peer;
    int32_t connectionID = -1;
    float uploadLimit = 0.0f;  // bytes per second, sending records only
    std::unique_ptr<uint8_t[]> buffer;
    int32_t bufferSize = 0;  // the packet size of the kind; a UDP receiving record holds any datagram
    RingQueue queue;
    ThreadEvent wake;  // data queued for a sending thread, room made for a receiving one, or a stop
    std::unique_ptr<Thread> thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> invalid{false};
    std::atomic<bool> goodbye{false};   // send what is queued, then a goodbye, then end
    std::atomic<bool> datagram{false};  // broadcast: sendto and recvfrom with the peer address
    uint32_t sequence = 0;              // of the packets sent; the sending side's alone

    const char* DirectionName() const { return direction == kSending ? "out" : "in"; }
};

// One connection: its key and its two records.
struct NetworkNode::ConnectionEntry {
    uint32_t kind = kTCP;
    uint32_t address = 0;
    uint16_t port = 0;
    int32_t receiveIndex = -1;
    int32_t sendIndex = -1;
    bool closed = false;  // reported closed (or being deleted): never reported again
};

// Threads that did not end within their grace time, with what they may still touch.
struct NetworkNode::GivenUp {
    std::unique_ptr<ConnectionData> records[2];
    std::unique_ptr<Thread> acceptThread;
    Socket socket;  // closed once every thread has ended
};
