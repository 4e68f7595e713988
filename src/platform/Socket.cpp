// Socket: BSD sockets with close-on-exec handles, sends that never raise SIGPIPE, calls resumed
// after a signal, and errno values mapped to the Windows socket numbers the transport expects.
#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

thread_local int32_t t_LastError = 0;

// An errno value and the Windows socket number it stands for. Numbers that have no errno value
// of their own (the name lookup's) carry the lookup's code instead.
struct ErrorName {
    int32_t code;
    int errnoValue;
    int lookupValue;
};

constexpr ErrorName kErrors[] = {
    {10004, EINTR, 0},
    {10013, EACCES, 0},
    {10014, EFAULT, 0},
    {10022, EINVAL, 0},
    {10024, EMFILE, 0},
    {10035, EAGAIN, 0},
    {10036, EINPROGRESS, 0},
    {10037, EALREADY, 0},
    {10038, ENOTSOCK, 0},
    {10039, EDESTADDRREQ, 0},
    {10040, EMSGSIZE, 0},
    {10041, EPROTOTYPE, 0},
    {10042, ENOPROTOOPT, 0},
    {10043, EPROTONOSUPPORT, 0},
    {10045, EOPNOTSUPP, 0},
    {10047, EAFNOSUPPORT, 0},
    {10048, EADDRINUSE, 0},
    {10049, EADDRNOTAVAIL, 0},
    {10050, ENETDOWN, 0},
    {10051, ENETUNREACH, 0},
    {10052, ENETRESET, 0},
    {10053, ECONNABORTED, 0},
    {10054, ECONNRESET, 0},
    {10055, ENOBUFS, 0},
    {10056, EISCONN, 0},
    {10057, ENOTCONN, 0},
    {10058, ESHUTDOWN, 0},
    {10060, ETIMEDOUT, 0},
    {10061, ECONNREFUSED, 0},
    {10064, EHOSTDOWN, 0},
    {10065, EHOSTUNREACH, 0},
    {11001, 0, EAI_NONAME},
    {11002, 0, EAI_AGAIN},
    {11003, 0, EAI_FAIL},
    {11004, 0, EAI_NODATA},
};

// errno values without a number of their own are kept above every Windows number, so that none
// of them is taken for a lost connection.
constexpr int32_t kUnmappedBase = 30000;

int32_t CodeOfErrno(int value, Socket::Kind kind)
{
    // The transport reads these as a lost connection: a closed handle, a broken pipe, and a
    // datagram that the peer's port refused (which the receiving loop retries).
    if (value == EBADF)
        return Socket::kErrorNotSocket;
    if (value == EPIPE)
        return Socket::kErrorReset;
    if (value == ECONNREFUSED && kind == Socket::kDatagram)
        return Socket::kErrorReset;
    for (const ErrorName& e : kErrors)
        if (e.errnoValue == value && e.errnoValue != 0)
            return e.code;
    return kUnmappedBase + value;
}

int32_t Fail(Socket::Kind kind)
{
    t_LastError = CodeOfErrno(errno, kind);
    return -1;
}

bool Failed(Socket::Kind kind)
{
    Fail(kind);
    return false;
}

sockaddr_in ToNative(const SocketAddress& address)
{
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_port = htons(address.port);
    native.sin_addr.s_addr = htonl(address.address);
    return native;
}

SocketAddress FromNative(const sockaddr_in& native)
{
    SocketAddress address;
    address.address = ntohl(native.sin_addr.s_addr);
    address.port = ntohs(native.sin_port);
    return address;
}

// poll without giving up on a signal; the time-out is not shortened after one, which only
// lengthens a rare wait.
int PollResumed(pollfd* fds, nfds_t count, int32_t timeoutMs)
{
    int result;
    do
        result = poll(fds, count, timeoutMs < 0 ? -1 : timeoutMs);
    while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

Socket Socket::Create(Kind kind)
{
    int handle = socket(AF_INET, (kind == kStream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC,
                        kind == kStream ? IPPROTO_TCP : IPPROTO_UDP);
    if (handle < 0) {
        Fail(kind);
        return Socket();
    }
    return Socket(handle, kind);
}

bool Socket::Bind(uint16_t port)
{
    sockaddr_in native = ToNative(SocketAddress{kAnyAddress, port});
    if (bind(m_Handle, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0)
        return Failed(m_Kind);
    return true;
}

bool Socket::Listen(int32_t backlog)
{
    if (listen(m_Handle, backlog) != 0)
        return Failed(m_Kind);
    return true;
}

Socket Socket::Accept(SocketAddress* peer) const
{
    sockaddr_in native{};
    socklen_t length = sizeof native;
    int handle;
    do
        handle = accept4(m_Handle, reinterpret_cast<sockaddr*>(&native), &length, SOCK_CLOEXEC);
    while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        Fail(m_Kind);
        return Socket();
    }
    if (peer)
        *peer = FromNative(native);
    return Socket(handle, kStream);
}

bool Socket::Connect(const SocketAddress& peer)
{
    sockaddr_in native = ToNative(peer);
    if (connect(m_Handle, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0)
        return true;
    if (errno != EINTR)
        return Failed(m_Kind);
    // Interrupted: the connection goes on being made; wait for its outcome.
    pollfd fd{m_Handle, POLLOUT, 0};
    if (PollResumed(&fd, 1, -1) < 0)
        return Failed(m_Kind);
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_Handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return Failed(m_Kind);
    if (error != 0) {
        errno = error;
        return Failed(m_Kind);
    }
    return true;
}

int32_t Socket::Send(const void* data, int32_t n, bool dontWait)
{
    ssize_t sent;
    do
        sent = send(m_Handle, data, size_t(n < 0 ? 0 : n), MSG_NOSIGNAL | (dontWait ? MSG_DONTWAIT : 0));
    while (sent < 0 && errno == EINTR);
    return sent < 0 ? Fail(m_Kind) : int32_t(sent);
}

int32_t Socket::SendTo(const void* data, int32_t n, const SocketAddress& to, bool dontWait)
{
    sockaddr_in native = ToNative(to);
    ssize_t sent;
    do
        sent = sendto(m_Handle, data, size_t(n < 0 ? 0 : n), MSG_NOSIGNAL | (dontWait ? MSG_DONTWAIT : 0),
                      reinterpret_cast<const sockaddr*>(&native), sizeof native);
    while (sent < 0 && errno == EINTR);
    return sent < 0 ? Fail(m_Kind) : int32_t(sent);
}

int32_t Socket::Receive(void* dest, int32_t n, bool peek) { return ReceiveFrom(dest, n, nullptr, peek); }

int32_t Socket::ReceiveFrom(void* dest, int32_t n, SocketAddress* from, bool peek)
{
    sockaddr_in native{};
    socklen_t length = sizeof native;
    // MSG_TRUNC makes a datagram socket report the datagram's whole length.
    int flags = (peek ? MSG_PEEK : 0) | (m_Kind == kDatagram ? MSG_TRUNC : 0);
    ssize_t received;
    do
        received = recvfrom(m_Handle, dest, size_t(n < 0 ? 0 : n), flags, from ? reinterpret_cast<sockaddr*>(&native) : nullptr,
                            from ? &length : nullptr);
    while (received < 0 && errno == EINTR);
    if (received < 0)
        return Fail(m_Kind);
    if (from)
        *from = FromNative(native);
    return int32_t(received);
}

bool Socket::Shutdown(Direction direction)
{
    int how = direction == kReceiving ? SHUT_RD : direction == kSending ? SHUT_WR : SHUT_RDWR;
    if (shutdown(m_Handle, how) != 0)
        return Failed(m_Kind);
    return true;
}

bool Socket::Close()
{
    if (m_Handle < 0) {
        t_LastError = kErrorNotSocket;
        return false;
    }
    int handle = m_Handle;
    m_Handle = -1;
    // The handle is released even when close reports an error, so it is never retried.
    if (close(handle) != 0 && errno != EINTR)
        return Failed(m_Kind);
    return true;
}

namespace {

bool SetFlag(int handle, int level, int option, bool on, Socket::Kind kind)
{
    int value = on ? 1 : 0;
    if (setsockopt(handle, level, option, &value, sizeof value) != 0)
        return Failed(kind);
    return true;
}

}  // namespace

bool Socket::SetReuseAddress(bool on) { return SetFlag(m_Handle, SOL_SOCKET, SO_REUSEADDR, on, m_Kind); }

bool Socket::SetBroadcast(bool on) { return SetFlag(m_Handle, SOL_SOCKET, SO_BROADCAST, on, m_Kind); }

bool Socket::SetKeepAlive(bool on) { return SetFlag(m_Handle, SOL_SOCKET, SO_KEEPALIVE, on, m_Kind); }

int32_t Socket::WaitReady(bool writable, int32_t timeoutMs) const
{
    pollfd fd{m_Handle, short(writable ? POLLOUT : POLLIN), 0};
    int result = PollResumed(&fd, 1, timeoutMs);
    if (result < 0)
        return Fail(m_Kind);
    if (result > 0 && (fd.revents & POLLNVAL)) {
        t_LastError = kErrorNotSocket;
        return -1;
    }
    return result > 0 ? 1 : 0;
}

int32_t Socket::WaitReadable(const Socket* sockets, int32_t count, bool* ready, int32_t timeoutMs)
{
    std::vector<pollfd> fds(size_t(count > 0 ? count : 0));
    for (int32_t i = 0; i < count; i++)
        fds[size_t(i)] = pollfd{sockets[i].m_Handle, POLLIN, 0};
    int result = PollResumed(fds.data(), fds.size(), timeoutMs);
    if (result < 0)
        return Fail(kStream);
    for (int32_t i = 0; i < count; i++)
        ready[i] = fds[size_t(i)].revents != 0;
    return result;
}

bool Socket::GetLocalAddress(SocketAddress* address) const
{
    sockaddr_in native{};
    socklen_t length = sizeof native;
    if (getsockname(m_Handle, reinterpret_cast<sockaddr*>(&native), &length) != 0)
        return Failed(m_Kind);
    *address = FromNative(native);
    return true;
}

bool Socket::GetPeerAddress(SocketAddress* address) const
{
    sockaddr_in native{};
    socklen_t length = sizeof native;
    if (getpeername(m_Handle, reinterpret_cast<sockaddr*>(&native), &length) != 0)
        return Failed(m_Kind);
    *address = FromNative(native);
    return true;
}

int32_t Socket::GetLastError() { return t_LastError; }

void Socket::SetLastError(int32_t code) { t_LastError = code; }

std::string Socket::GetErrorText(int32_t code)
{
    if (code == 0)
        return "No error";
    if (code > kUnmappedBase)
        return std::strerror(code - kUnmappedBase);
    for (const ErrorName& e : kErrors) {
        if (e.code != code)
            continue;
        return e.lookupValue != 0 ? gai_strerror(e.lookupValue) : std::strerror(e.errnoValue);
    }
    return "Unknown error " + std::to_string(code);
}

bool Socket::ParseDotted(const char* text, uint32_t* address)
{
    in_addr native{};
    if (!text || inet_pton(AF_INET, text, &native) != 1)
        return false;
    *address = ntohl(native.s_addr);
    return true;
}

std::string Socket::DottedText(uint32_t address)
{
    in_addr native{};
    native.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &native, text, sizeof text);
    return text;
}

bool Socket::LookupHost(const char* name, uint32_t* address)
{
    if (ParseDotted(name, address))
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int result = getaddrinfo(name ? name : "", nullptr, &hints, &found);
    if (result != 0 || !found) {
        int32_t code = kErrorHostNotFound;
        if (result == EAI_SYSTEM)
            code = CodeOfErrno(errno, kStream);
        for (const ErrorName& e : kErrors)
            if (e.lookupValue != 0 && e.lookupValue == result)
                code = e.code;
        t_LastError = code;
        if (found)
            freeaddrinfo(found);
        return false;
    }
    *address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}
