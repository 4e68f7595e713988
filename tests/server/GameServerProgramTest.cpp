// The server program listening on a copy of the sample game: two copies run at once on ports of
// their own, a raw loopback client gets its connect reply, a scripted player joins, and ESC on the
// program's input ends it.
#include "base/ByteReader.h"
#include "net/NetworkNode.h"
#include "platform/Clock.h"
#include "support/SampleGame.h"
#include "support/ScriptedPeer.h"
#include "support/TempDir.h"
#include "ServerProgram.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

TEST(GameServerProgram, TwoCopiesListenAtOnce)
{
    TempDir first;
    TempDir second;
    CopySampleGame(first);
    CopySampleGame(second);
    int codes[2] = {-1, -1};
    std::thread other([&] { codes[1] = RunProgram(second, "--frames 3"); });
    codes[0] = RunProgram(first, "--frames 3");
    other.join();
    for (const TempDir* dir : {&first, &second}) {
        const std::string console = dir->Read("console.txt");
        EXPECT_EQ(codes[dir == &first ? 0 : 1], 0) << console;
        EXPECT_NE(console.find("Starting network server"), std::string::npos) << console;
        EXPECT_EQ(console.find("NetNode error"), std::string::npos) << console;
    }
}

// The program reads its keys from a named pipe: it answers a client, a player joins, and it runs
// until the ESC written there.
TEST(GameServerProgram, AnswersAClientAndStopsOnEscape)
{
    TempDir dir;
    const uint16_t port = CopySampleGame(dir);
    ASSERT_NE(port, 0);
    const std::string keys = (dir.Path() / "keys").string();
    ASSERT_EQ(mkfifo(keys.c_str(), 0600), 0);
    int code = -1;
    std::thread program([&] { code = RunProgram(dir, "< keys"); });
    std::ofstream input(keys);  // opens once the program's shell opened the pipe

    NetworkNode client;
    client.Start();
    std::vector<uint8_t> reply;
    ASSERT_TRUE(WaitUntil([&] {
        static int32_t tcp = -1;
        if (tcp < 0 || client.GetNumBytesWaiting(tcp) < 0) {
            tcp = client.Connect(NetworkNode::kTCP, "127.0.0.1", port);  // not listening yet: again
            Platform::SleepMs(20);
            return false;
        }
        const int32_t n = client.GetNumBytesWaiting(tcp);
        if (n <= 0)
            return false;
        reply.resize(size_t(n));
        client.Receive(tcp, reply.data(), true, n);
        return true;
    }, 60000)) << dir.Read("console.txt");
    ASSERT_EQ(reply.size(), 6u);
    ByteReader in(reply.data(), reply.size());
    in.ReadU16();
    EXPECT_EQ(in.ReadU32(), 0u);
    // A player joins the running program by the protocol.
    ScriptedPeer peer(port, [] { Platform::SleepMs(5); });
    EXPECT_TRUE(peer.Join()) << dir.Read("console.txt");

    input << '\x1b' << std::flush;
    program.join();
    input.close();
    const std::string console = dir.Read("console.txt");
    EXPECT_EQ(code, 0) << console;
    EXPECT_NE(console.find("Client 0 connected"), std::string::npos) << console;
    EXPECT_NE(console.find("Player 'Peer' joined successfully"), std::string::npos) << console;
    EXPECT_NE(console.find("ESC pressed - terminating dedicated server"), std::string::npos) << console;
}
