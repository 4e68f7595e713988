// Tests of the socket stand-in on the loopback address: a TCP pair, the error numbers of a reset
// peer and of a refused datagram, waits, name lookup and dotted addresses.
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int32_t kPatienceMs = 10000;  // generous: the machine may be busy

// A listening socket on a free port of the loopback address, and a client connected to it.
struct TcpPair {
    Socket listener = Socket::Create(Socket::kStream);
    Socket client = Socket::Create(Socket::kStream);
    Socket server;
    SocketAddress serverAddress;

    TcpPair()
    {
        EXPECT_TRUE(listener.Bind(0));
        EXPECT_TRUE(listener.Listen(5));
        EXPECT_TRUE(listener.GetLocalAddress(&serverAddress));
        EXPECT_NE(serverAddress.port, 0);
        EXPECT_TRUE(client.Connect(SocketAddress{SocketAddress::kLoopback, serverAddress.port}));
        SocketAddress peer;
        server = listener.Accept(&peer);
        EXPECT_TRUE(server.IsValid());
        EXPECT_EQ(peer.address, SocketAddress::kLoopback);
    }
    ~TcpPair()
    {
        for (Socket* s : {&listener, &client, &server})
            if (s->IsValid())
                s->Close();
    }
};

}  // namespace

TEST(SocketTest, TcpPairExchangesBytes)
{
    TcpPair pair;
    EXPECT_EQ(pair.client.Send("hello", 5), 5);
    char in[16] = {};
    ASSERT_EQ(pair.server.WaitReady(false, kPatienceMs), 1);
    EXPECT_EQ(pair.server.Receive(in, 2, true), 2);  // a peek leaves the bytes queued
    EXPECT_EQ(std::string(in, 2), "he");
    int32_t got = 0;
    while (got < 5) {
        int32_t n = pair.server.Receive(in + got, 5 - got);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(std::string(in, 5), "hello");

    EXPECT_EQ(pair.server.Send("back", 4), 4);
    ASSERT_EQ(pair.client.WaitReady(false, kPatienceMs), 1);
    EXPECT_GT(pair.client.Receive(in, 16), 0);
    EXPECT_EQ(pair.server.WaitReady(false, 0), 0);  // nothing more to read

    // The peer's close reads as 0 bytes after a shutdown of its sending side.
    EXPECT_TRUE(pair.client.Shutdown(Socket::kSending));
    ASSERT_EQ(pair.server.WaitReady(false, kPatienceMs), 1);
    EXPECT_EQ(pair.server.Receive(in, 16), 0);

    SocketAddress local;
    SocketAddress peer;
    ASSERT_TRUE(pair.client.GetLocalAddress(&local));
    ASSERT_TRUE(pair.server.GetPeerAddress(&peer));
    EXPECT_EQ(local, peer);
}

TEST(SocketTest, SendAfterResetReportsLostConnectionWithoutSignal)
{
    TcpPair pair;
    // Unread bytes make the close a reset.
    ASSERT_EQ(pair.client.Send("unread", 6), 6);
    ASSERT_EQ(pair.server.WaitReady(false, kPatienceMs), 1);
    ASSERT_TRUE(pair.server.Close());
    ASSERT_EQ(pair.client.WaitReady(false, kPatienceMs), 1);

    // The first send after the reset, or one soon after, fails; a signal would end the program.
    int32_t result = 0;
    for (int32_t i = 0; i < 100 && result >= 0; i++)
        result = pair.client.Send("more", 4);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Socket::GetLastError(), Socket::kErrorReset);
    EXPECT_FALSE(Socket::GetErrorText(Socket::kErrorReset).empty());
}

TEST(SocketTest, DatagramToClosedPortReportsRetryableReset)
{
    // A port that was free a moment ago and has nobody behind it now.
    Socket probe = Socket::Create(Socket::kDatagram);
    ASSERT_TRUE(probe.Bind(0));
    SocketAddress closed;
    ASSERT_TRUE(probe.GetLocalAddress(&closed));
    probe.Close();

    Socket udp = Socket::Create(Socket::kDatagram);
    ASSERT_TRUE(udp.Connect(SocketAddress{SocketAddress::kLoopback, closed.port}));
    ASSERT_EQ(udp.Send("ping", 4), 4);
    ASSERT_EQ(udp.WaitReady(false, kPatienceMs), 1);
    char in[8];
    EXPECT_EQ(udp.Receive(in, sizeof in), -1);
    EXPECT_EQ(Socket::GetLastError(), Socket::kErrorReset);
    udp.Close();
}

TEST(SocketTest, DatagramsKeepTheirLengthAndSender)
{
    Socket a = Socket::Create(Socket::kDatagram);
    Socket b = Socket::Create(Socket::kDatagram);
    ASSERT_TRUE(a.Bind(0));
    ASSERT_TRUE(b.Bind(0));
    SocketAddress aAddress;
    SocketAddress bAddress;
    ASSERT_TRUE(a.GetLocalAddress(&aAddress));
    ASSERT_TRUE(b.GetLocalAddress(&bAddress));

    ASSERT_EQ(a.SendTo("0123456789", 10, SocketAddress{SocketAddress::kLoopback, bAddress.port}), 10);
    ASSERT_EQ(a.SendTo("ab", 2, SocketAddress{SocketAddress::kLoopback, bAddress.port}), 2);
    bool ready[2] = {};
    const Socket both[2] = {a, b};
    ASSERT_EQ(Socket::WaitReadable(both, 2, ready, kPatienceMs), 1);
    EXPECT_FALSE(ready[0]);
    EXPECT_TRUE(ready[1]);

    // A datagram longer than the buffer gives its whole length; the next one is untouched.
    char in[4] = {};
    SocketAddress from;
    EXPECT_EQ(b.ReceiveFrom(in, 4, &from, true), 10);
    EXPECT_EQ(b.ReceiveFrom(in, 4, &from), 10);
    EXPECT_EQ(std::string(in, 4), "0123");
    EXPECT_EQ(from.address, SocketAddress::kLoopback);
    EXPECT_EQ(from.port, aAddress.port);
    ASSERT_EQ(b.WaitReady(false, kPatienceMs), 1);
    EXPECT_EQ(b.ReceiveFrom(in, 4, &from), 2);
    EXPECT_EQ(std::string(in, 2), "ab");
    EXPECT_TRUE(a.SetBroadcast(true));
    EXPECT_TRUE(a.SetReuseAddress(true));
    a.Close();
    b.Close();
    EXPECT_FALSE(a.Close());
    EXPECT_EQ(Socket::GetLastError(), Socket::kErrorNotSocket);
}

TEST(SocketTest, NamesAndDottedAddresses)
{
    struct Case {
        const char* text;
        bool dotted;
        uint32_t address;
    } const cases[] = {
        {"127.0.0.1", true, SocketAddress::kLoopback},
        {"255.255.255.255", true, 0xFFFFFFFF},
        {"10.1.2.3", true, 0x0A010203},
        {"1.2.3", false, 0},
        {"256.1.1.1", false, 0},
        {"localhost", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t address = 0;
        EXPECT_EQ(Socket::ParseDotted(c.text, &address), c.dotted) << c.text;
        if (c.dotted) {
            EXPECT_EQ(address, c.address) << c.text;
            EXPECT_EQ(Socket::DottedText(address), c.text);
        }
    }

    uint32_t address = 0;
    EXPECT_TRUE(Socket::LookupHost("127.0.0.1", &address));
    EXPECT_EQ(address, SocketAddress::kLoopback);
    Socket::SetLastError(0);
    EXPECT_FALSE(Socket::LookupHost("no-such-host.invalid", &address));
    EXPECT_NE(Socket::GetLastError(), 0);
    EXPECT_FALSE(Socket::GetErrorText(Socket::GetLastError()).empty());
}

TEST(SocketTest, RefusedConnectAndUnusableHandle)
{
    Socket probe = Socket::Create(Socket::kStream);
    ASSERT_TRUE(probe.Bind(0));
    SocketAddress closed;
    ASSERT_TRUE(probe.GetLocalAddress(&closed));
    probe.Close();  // bound but never listening: a connect is refused

    Socket tcp = Socket::Create(Socket::kStream);
    EXPECT_FALSE(tcp.Connect(SocketAddress{SocketAddress::kLoopback, closed.port}));
    EXPECT_EQ(Socket::GetLastError(), Socket::kErrorRefused);
    tcp.Close();

    Socket none;
    char in[4];
    EXPECT_EQ(none.Receive(in, 4), -1);
    EXPECT_EQ(Socket::GetLastError(), Socket::kErrorNotSocket);
}
