// Tests of the network keys: defaults, kinds, the UDP packet size that follows the TCP one, the
// batch from the stack ratio, and the limits that keep packets and batches within their queues.
#include "net/NetworkSettings.h"

#include "base/ConfigFileReader.h"

#include <gtest/gtest.h>

#include <cstring>

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
