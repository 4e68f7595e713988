// Socket: TCP and UDP sockets over POSIX, with failures reported as the Windows socket error
// numbers that the transport's texts and its connection-lost test are written for.
// A Socket is a plain handle value: copies name the same socket, and only one of them may close it.
#pragma once
#include <cstdint>
#include <string>

// An IPv4 end point. The address holds the octets with the first in the top byte, so 127.0.0.1 is
// 0x7F000001; the port is a plain number.
struct SocketAddress {
    static constexpr uint32_t kLoopback = 0x7F000001;  // 127.0.0.1

    uint32_t address = 0;
    uint16_t port = 0;

    bool operator==(const SocketAddress& other) const { return address == other.address && port == other.port; }
};

class Socket {
public:
    enum Kind : int32_t { kStream = 0, kDatagram = 1 };
    enum Direction : int32_t { kReceiving = 0, kSending = 1, kBoth = 2 };

    // The error numbers that callers test by value; GetErrorText gives the text of any of them.
    static constexpr int32_t kErrorInvalid = 10022;
    static constexpr int32_t kErrorWouldBlock = 10035;
    static constexpr int32_t kErrorNotSocket = 10038;    // also a socket closed meanwhile
    static constexpr int32_t kErrorNetworkDown = 10050;
    static constexpr int32_t kErrorAborted = 10053;
    static constexpr int32_t kErrorReset = 10054;        // also a datagram refused by the peer's port
    static constexpr int32_t kErrorTimedOut = 10060;
    static constexpr int32_t kErrorRefused = 10061;
    static constexpr int32_t kErrorHostNotFound = 11001;

    static constexpr uint32_t kAnyAddress = 0;
    static constexpr uint32_t kBroadcastAddress = 0xFFFFFFFF;

    Socket() = default;

    // A new socket of the kind; an invalid one on failure.
    static Socket Create(Kind kind);

    bool IsValid() const { return m_Handle >= 0; }
    Kind GetKind() const { return m_Kind; }

    // Every call below that fails gives false, -1 or an invalid socket and leaves its error number
    // for GetLastError of the calling thread.
    bool Bind(uint16_t port);  // any local address; port 0 takes a free one
    bool Listen(int32_t backlog);
    Socket Accept(SocketAddress* peer) const;  // waits for a connection
    bool Connect(const SocketAddress& peer);   // waits until it is made or refused

    // Bytes handed to the system, or -1. A send waits for room unless dontWait is set (then
    // kErrorWouldBlock when there is none); a stream send may take fewer bytes than given.
    int32_t Send(const void* data, int32_t n, bool dontWait = false);
    int32_t SendTo(const void* data, int32_t n, const SocketAddress& to, bool dontWait = false);
    // Bytes received (0: a stream's peer has closed), or -1. Waits for data; peek leaves it
    // queued. On a datagram socket one call takes one datagram and gives its whole length, which
    // may exceed n: the bytes beyond n are lost.
    int32_t Receive(void* dest, int32_t n, bool peek = false);
    int32_t ReceiveFrom(void* dest, int32_t n, SocketAddress* from, bool peek = false);

    bool Shutdown(Direction direction);
    bool Close();  // the handle becomes invalid

    bool SetReuseAddress(bool on);
    bool SetBroadcast(bool on);
    bool SetKeepAlive(bool on);

    // Waits up to timeoutMs (negative: no limit) until the socket can be read (or accepted from)
    // or written: 1 ready (an error or a closed peer counts as ready, so that the next call
    // reports it), 0 timed out, -1 failed.
    int32_t WaitReady(bool writable, int32_t timeoutMs) const;
    // The same for several sockets at once, readable only; ready[i] tells which. The count of
    // ready sockets, 0 timed out, -1 failed.
    static int32_t WaitReadable(const Socket* sockets, int32_t count, bool* ready, int32_t timeoutMs);

    bool GetLocalAddress(SocketAddress* address) const;
    bool GetPeerAddress(SocketAddress* address) const;

    // The error number of this thread's last failed call (0: none since the last clear).
    static int32_t GetLastError();
    static void SetLastError(int32_t code);
    // The system's text for an error number, without a line break.
    static std::string GetErrorText(int32_t code);

    // A dotted IPv4 address ("a.b.c.d"); false for anything else.
    static bool ParseDotted(const char* text, uint32_t* address);
    static std::string DottedText(uint32_t address);
    // The first IPv4 address of a host name (or a dotted address); false with the lookup's error
    // number left for GetLastError.
    static bool LookupHost(const char* name, uint32_t* address);

private:
    Socket(int32_t handle, Kind kind) : m_Handle(handle), m_Kind(kind) {}

    int32_t m_Handle = -1;
    Kind m_Kind = kStream;
};
