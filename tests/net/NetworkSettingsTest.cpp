// Tests of the network keys: defaults, kinds, the UDP packet size that follows the TCP one, the
// batch from the stack ratio, and the limits that keep packets and batches within their queues.
#include "net/NetworkSettings.h"

#include "base/ConfigFileReader.h"
#include "net/NetworkNode.h"
#include "support/EchoNode.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

NetworkSettings Read(const char* text)
{
    ConfigFileReader config;
    config.OpenMemory(text, int32_t(std::strlen(text)));
    NetworkSettings settings;
    settings.Read(config);
    return settings;
}

TEST(NetworkSettingsTest, SizesAndTheirLimits)
{
    const struct {
        const char* text;
        int32_t packet, packetUDP, send, batch;
    } kCases[] = {
        {"", 4096, 4096, 65536, 32768},
        {"NetworkPacketSize = 16\n", 32, 32, 65536, 32768},
        {"NetworkPacketSize = 3000\n", 3000, 3000, 65536, 32768},
        {"NetworkPacketSize = 3000\nNetworkPacketSizeUDP = 1400\n", 3000, 1400, 65536, 32768},
        {"NetworkSendBuffer = 100000\nNetworkMaxStackRatio = 0.25\n", 4096, 4096, 100000, 25000},
        {"NetworkSendBuffer = 100002\nNetworkMaxStackRatio = 0.25\n", 4096, 4096, 100002, 25001},  // 25000.5
        {"NetworkSendBuffer = 16000\n", 4096, 4096, 16000, 15976},
        {"NetworkMaxStackRatio = 1\n", 4096, 4096, 65536, 65512},
        {"NetworkReceiveBuffer = 2000\nNetworkPacketSizeUDP = 9000\n", 1976, 1976, 65536, 32768},
        {"NetworkSendBuffer = -5\n", 32, 32, 16, 0},
    };
    for (const auto& c : kCases) {
        const NetworkSettings s = Read(c.text);
        EXPECT_EQ(s.packetSize, c.packet) << c.text;
        EXPECT_EQ(s.packetSizeUDP, c.packetUDP) << c.text;
        EXPECT_EQ(s.sendBuffer, c.send) << c.text;
        EXPECT_EQ(s.maxBatchBytes, c.batch) << c.text;
    }
}

TEST(NetworkSettingsTest, KindsAndDefaults)
{
    NetworkSettings s = Read("");
    EXPECT_EQ(s.serverPort, 1999);
    EXPECT_TRUE(s.useUDP);
    EXPECT_EQ(s.broadcastIP, "255.255.255.255");
    EXPECT_FLOAT_EQ(s.maxUpload, 100000.0f);
    EXPECT_DOUBLE_EQ(s.dummyDataInterval, 0.02);

    s = Read("LogNetworkTraffic = 2.9\nNetworkUseUDP = 0.4\nNetworkCompression = 0.5\nNetworkSocketReuse = 0\n"
             "NetworkBroadcastIP = \"192.168.1.255\"\nNetworkDataPort = 7000\nNetworkUpdateDelay = 0.1\n"
             "NetworkDummyDataInterval = 0\nNetworkMaxUpload = 0\nserverPort = 2000\n");
    EXPECT_EQ(s.logNetworkTraffic, 2);
    EXPECT_FALSE(s.useUDP);
    EXPECT_TRUE(s.compression);
    EXPECT_FALSE(s.socketReuse);
    EXPECT_EQ(s.broadcastIP, "192.168.1.255");
    EXPECT_EQ(s.dataPort, 7000);
    EXPECT_EQ(s.serverPort, 2000);
    EXPECT_FLOAT_EQ(s.updateDelay, 0.1f);
    EXPECT_EQ(s.dummyDataInterval, 0.0);
    EXPECT_EQ(s.maxUpload, 0.0f);
}

}  // namespace

// The settings as the node takes them: sizes read back, a send queue too small for a larger
// message, and traffic files only from level 2, which first deletes the old ones of "client".
TEST(NetworkSettingsTest, AppliedToTheNode)
{
    EchoNode echo;
    ASSERT_TRUE(echo.IsListening());
    const struct {
        int32_t level;
        bool files;
    } kCases[] = {{1, false}, {2, true}};
    for (const auto& c : kCases) {
        TempDir dir;
        ScopedCurrentDir inDir(dir.Path());
        dir.Write("client_in0.log", "old");
        dir.Write("client_out9.log", "old");
        const std::string text = "NetworkPacketSize = 16\nNetworkSendBuffer = 1000\nLogNetworkTraffic = " +
                                 std::to_string(c.level) + "\n";
        NetworkNode node;
        Read(text.c_str()).ApplyTo(node);
        EXPECT_EQ(node.GetPacketSize(), 32) << c.level;
        EXPECT_EQ(node.GetPacketSizeUDP(), 32) << c.level;
        EXPECT_EQ(std::filesystem::exists(dir / "client_in0.log"), !c.files) << c.level;
        EXPECT_EQ(std::filesystem::exists(dir / "client_out9.log"), !c.files) << c.level;

        ASSERT_TRUE(node.Start());
        const int32_t id = node.Connect(NetworkNode::kTCP, "127.0.0.1", echo.GetPort());
        ASSERT_GE(id, 0);
        EXPECT_FALSE(node.HasRoom(id, 1000)) << c.level;  // the queue of 1000 bytes holds less
        ASSERT_TRUE(node.SendData(id, "ping", 4, true));
        ASSERT_TRUE(WaitUntil([&] { return node.GetNumBytesWaiting(id) == 4; })) << c.level;
        char reply[4] = {};
        EXPECT_EQ(node.Receive(id, reply, true), 4);
        node.Stop();

        if (c.files) {
            EXPECT_EQ(dir.Read("client_in" + std::to_string(id) + ".log"), "ping");
            EXPECT_EQ(dir.Read("client_out" + std::to_string(id) + ".log"), "ping");
        } else {
            size_t entries = 0;
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
                entries++;
            EXPECT_EQ(entries, 2u);  // only the old files, untouched
            EXPECT_EQ(dir.Read("client_in0.log"), "old");
        }
    }
}
