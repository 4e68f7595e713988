// The server program (at most 4 players) under three bots and a wave of twenty hostile peers:
// garbage before and after the handshake, a byte every 100 ms, silence after connecting, after the
// handshake and after joining, a joined peer that stops reading, a message of 10,000 units, 5000
// sync requests and a burst of 50 connections (none sends the host's 0x0701). Afterwards the server
// still answers a handshake, every bot met its goals, the server's descriptors and threads are back
// to the bots' level and its resident size grew by less than 64 MiB. SERVER_SOAK_SECONDS makes
// the run longer, with waves repeated and the bots leaving and joining again.
#include "support/ProgramChildren.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr int32_t kBots = 3;
constexpr double kWaveSeconds = 12.0;
constexpr double kSettleSeconds = 5.0;
constexpr uint64_t kResidentGrowthLimit = 64ull << 20;

double SoakSeconds()
{
    const char* text = std::getenv("SERVER_SOAK_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 20.0 ? seconds : 20.0;
}

Bytes RandomBytes(std::mt19937& random, size_t n)
{
    Bytes bytes(n);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    return bytes;
}

// A raw TCP connection to the server, nothing of the protocol.
Socket RawConnect(uint16_t port)
{
    Socket socket = Socket::Create(Socket::kStream);
    if (socket.IsValid() && !socket.Connect(SocketAddress{0x7F000001u, port}))
        socket.Close();
    return socket;
}

// One hostile peer: its behaviour runs on a thread of its own until the wave ends.
class HostileWave {
public:
    HostileWave(uint16_t port, double seconds) : m_Port(port), m_End(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))) {}
    ~HostileWave() { Join(); }

    void Start()
    {
        // Those that need the free player slot first, one after the other.
        Add([this](std::mt19937&) { JoinedThenSilentWithFloods(); });
        for (int i = 0; i < 2; ++i) {
            Add([this](std::mt19937& random) { GarbageBeforeHandshake(random); });
            Add([this](std::mt19937& random) { GarbageAfterHandshake(random); });
            Add([this](std::mt19937&) { ByteEvery100ms(); });
            Add([this](std::mt19937&) { SilentAfterConnecting(); });
            Add([this](std::mt19937&) { SilentAfterHandshake(); });
        }
        for (int i = 0; i < 8; ++i)
            Add([this](std::mt19937& random) { GarbageAfterHandshake(random); });
        Add([this](std::mt19937&) { Burst(); });
    }
    void Join()
    {
        for (std::thread& thread : m_Threads)
            if (thread.joinable())
                thread.join();
        m_Threads.clear();
    }
    int32_t Count() const { return int32_t(m_Threads.size()); }

private:
    void Add(std::function<void(std::mt19937&)> behaviour)
    {
        const uint32_t seed = uint32_t(m_Threads.size() + 1);
        m_Threads.emplace_back([behaviour, seed] {
            std::mt19937 random(seed);
            behaviour(random);
        });
    }
    bool Running() const { return Clock::now() < m_End; }
    void Idle() const
    {
        while (Running())
            Platform::SleepMs(50);
    }
    std::unique_ptr<ScriptedPeer> Peer() const
    {
        return std::make_unique<ScriptedPeer>(m_Port, [] { Platform::SleepMs(5); });
    }

    void GarbageBeforeHandshake(std::mt19937& random) const
    {
        while (Running()) {
            Socket socket = RawConnect(m_Port);
            if (socket.IsValid()) {
                const Bytes bytes = RandomBytes(random, 1 + random() % 300);
                socket.Send(bytes.data(), int32_t(bytes.size()), true);
                Platform::SleepMs(200);
                socket.Close();
            }
            Platform::SleepMs(300);
        }
    }
    void GarbageAfterHandshake(std::mt19937& random) const
    {
        while (Running()) {
            auto peer = Peer();
            if (peer->AwaitConnected(5.0))
                for (int i = 0; i < 5 && Running(); ++i) {
                    peer->SendRaw(RandomBytes(random, 1 + random() % 2000));
                    peer->StepUntil([] { return false; }, 0.1);
                }
            peer->Close();
            Platform::SleepMs(200);
        }
    }
    void ByteEvery100ms() const
    {
        Socket socket = RawConnect(m_Port);
        const uint8_t byte = 'H';
        while (Running() && socket.IsValid()) {
            if (socket.Send(&byte, 1, true) < 0)
                break;
            Platform::SleepMs(100);
        }
        if (socket.IsValid())
            socket.Close();
    }
    void SilentAfterConnecting() const
    {
        Socket socket = RawConnect(m_Port);
        Idle();
        if (socket.IsValid())
            socket.Close();
    }
    void SilentAfterHandshake() const
    {
        auto peer = Peer();
        peer->AwaitConnected(5.0);
        Idle();
    }
    // Takes the free slot: floods it with a message of 10,000 units and 5000 sync requests, keeps
    // silent for a while, leaves, and hands the slot to a peer that joins and then stops reading.
    void JoinedThenSilentWithFloods() const
    {
        {
            auto peer = Peer();
            PlayerInfoOptions options;
            options.playerName = u"Hostile";
            if (peer->Join(options, 15.0)) {
                peer->SendMessage(GameNetworkNode::kMsgChat, 10000, 4, Bytes(40000, 0));
                const Bytes request(size_t(GameNetworkNode::kSyncItemSize) * 100, 0);
                for (int i = 0; i < 50; ++i)
                    peer->SendMessage(GameNetworkNode::kMsgSyncRequest, 100, GameNetworkNode::kSyncItemSize, request);
                peer->StepUntil([this] { return !Running(); }, 3.0);  // silent, but reading
            }
            peer->Close();
        }
        auto deaf = Peer();
        PlayerInfoOptions options;
        options.playerName = u"Deaf";
        deaf->Join(options, 15.0);
        Idle();  // never reads again
    }
    void Burst() const
    {
        std::vector<Socket> sockets;
        for (int i = 0; i < 50; ++i)
            sockets.push_back(RawConnect(m_Port));
        Platform::SleepMs(500);
        for (Socket& socket : sockets)
            if (socket.IsValid())
                socket.Close();
        Idle();
    }

    uint16_t m_Port;
    Clock::time_point m_End;
    std::vector<std::thread> m_Threads;
};

struct ProcessFigures {
    int32_t descriptors = -1;
    int32_t threads = -1;
};

ProcessFigures FiguresOf(int32_t pid) { return {Platform::CountOpenDescriptors(pid), Platform::CountThreads(pid)}; }

// The process's sockets as the kernel's tables show them ("local remote state" in hex), so that a
// failed check says which connection stayed.
std::string SocketsOf(int32_t pid)
{
    std::set<std::string> inodes;
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.rfind("socket:[", 0) == 0)
            inodes.insert(target.substr(8, target.size() - 9));
    }
    std::string text;
    for (const char* table : {"/proc/net/tcp", "/proc/net/udp"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
            fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode;
            if (inodes.count(inode))
                text += std::string(table + 10) + " " + local + " " + remote + " " + state + " " + queues + "\n";
        }
    }
    return text;
}

}  // namespace

TEST(SoakTest, ServerOutlastsHostilePeers)
{
    const double total = SoakSeconds();
    const bool longRun = total > 20.0;
    ServerChild server({"/MAXPL=4"});
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    const auto joined = [&] { return CountLines(server.Log(), "joined successfully"); };

    // The bots stay through a wave and its settling; in a long run they leave and come again.
    const int32_t botSeconds = int32_t(kWaveSeconds + kSettleSeconds + 6.0);
    std::vector<std::unique_ptr<BotChild>> bots;
    int32_t botRuns = 0;
    for (int32_t i = 1; i <= kBots; ++i, ++botRuns)
        bots.push_back(std::make_unique<BotChild>(server.Port(), i, botSeconds, kBots - 1));
    const auto waitJoined = [&](int32_t count) {
        const auto end = Clock::now() + std::chrono::seconds(180);
        while (joined() < count && Clock::now() < end)
            Platform::SleepMs(100);
        return joined() >= count;
    };
    ASSERT_TRUE(waitJoined(kBots)) << server.Log();
    Platform::SleepMs(500);
    const ProcessFigures botsLevel = FiguresOf(server.Pid());
    const std::string botsSockets = SocketsOf(server.Pid());
    const auto start = Clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    const uint64_t residentBefore = Platform::GetResidentBytes(server.Pid());

    int32_t waves = 0;
    do {
        if (waves > 0) {
            // The bots of the last wave leave; new ones join for the next.
            for (auto& bot : bots)
                EXPECT_EQ(bot->Wait(120.0), 0) << bot->Console();
            bots.clear();
            const int32_t before = joined();
            for (int32_t i = 1; i <= kBots; ++i, ++botRuns)
                bots.push_back(std::make_unique<BotChild>(server.Port(), i, botSeconds, kBots - 1));
            ASSERT_TRUE(waitJoined(before + kBots)) << server.Log();
            Platform::SleepMs(500);
        }
        HostileWave wave(server.Port(), kWaveSeconds);
        wave.Start();
        EXPECT_EQ(wave.Count(), 20);
        wave.Join();
        ++waves;
        Platform::SleepMs(int32_t(kSettleSeconds * 1000));
        const ProcessFigures after = FiguresOf(server.Pid());
        // The log's last lines tell which connection stayed.
        const auto logTail = [&] {
            const std::string log = server.Log();
            return log.substr(log.size() > 6000 ? log.size() - 6000 : 0);
        };
        EXPECT_LE(after.descriptors, botsLevel.descriptors)
            << "wave " << waves << "\nsockets then:\n" << botsSockets << "sockets now:\n" << SocketsOf(server.Pid())
            << logTail();
        EXPECT_LE(after.threads, botsLevel.threads) << "wave " << waves;
        if (after.descriptors > botsLevel.descriptors) {
            Platform::SleepMs(5000);
            const ProcessFigures later = FiguresOf(server.Pid());
            std::printf("5 s later: %i descriptors, %i threads\n%s", later.descriptors, later.threads,
                        SocketsOf(server.Pid()).c_str());
        }
    } while (longRun && elapsed() + kWaveSeconds + kSettleSeconds < total);
    const uint64_t residentAfter = Platform::GetResidentBytes(server.Pid());
    EXPECT_LT(residentAfter, residentBefore + kResidentGrowthLimit);

    auto late = std::make_unique<ScriptedPeer>(server.Port(), [] { Platform::SleepMs(5); });
    EXPECT_TRUE(late->StepUntil([&] { return late->GetReplyStatus() >= 0; }, 20.0)) << "no answer to a new handshake\n" << server.Console();
    late.reset();
    for (auto& bot : bots) {
        EXPECT_EQ(bot->Wait(120.0), 0) << bot->Console();
        std::printf("%s\n", bot->Summary().c_str());
    }
    EXPECT_EQ(server.Stop(), 0) << server.Console();
    std::printf("%i bot runs, %i waves of hostile peers\n", botRuns, waves);
}
