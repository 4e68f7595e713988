// SciFiGameCtrl's server list of the join screen: the servers the controller's network node heard
// on the local network (real datagrams over loopback), copied with their dotted address and their
// announced values, the list's old entries gone.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "net/NetworkNode.h"
#include "net/ServerInfoBlock.h"
#include "support/FreePort.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(SciFiGameCtrlServerListTest, TheHeardServersReplaceTheListsEntries)
{
    SciFiGameCtrl ctrl;
    NetworkSettings& settings = ctrl.GetNetworkSettings();
    settings.broadcastIP = "127.0.0.255";
    settings.broadcastPortLocal = FindFreePort();
    settings.broadcastPortRemote = FindFreePort();
    ASSERT_TRUE(ctrl.OpenBroadcastConnection(false));
    NetworkNode sender;
    ASSERT_TRUE(sender.Start());
    const int32_t toCtrl = sender.Connect(NetworkNode::kUDP, "127.0.0.1", uint16_t(settings.broadcastPortLocal));
    ASSERT_GE(toCtrl, 0);
    for (uint16_t port : {uint16_t(7000), uint16_t(7001)}) {
        ServerInfoBlock block;
        block.version = 0x0100;
        block.port = port;
        std::memcpy(block.name, "Base", 4);
        block.levelProgressID = port - 6990u;
        block.difficulty = 0xFFFFFFFFu;  // what a peer sends, however odd
        block.players = 2;
        block.maxPlayers = 3;
        std::vector<uint8_t> datagram(4 + ServerInfoBlock::kSize);
        std::memcpy(datagram.data(), "KSIo", 4);
        block.Write(datagram.data() + 4);
        ASSERT_TRUE(sender.SendData(toCtrl, datagram.data(), int32_t(datagram.size()), true));
    }
    ASSERT_TRUE(WaitUntil([&] {
        ctrl.ReadLanAnnouncements();
        return ctrl.GetNumLanServers() == 2;
    }));

    JoinGui::ServerList& list = ctrl.GetJoinWindow().GetServerList();
    list.GetBySlot(list.Add())->name = "stale";
    ctrl.CopyServerList(list);
    ASSERT_EQ(list.GetSize(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        const JoinGui::ServerListEntry& entry = *list.GetAt(i);
        EXPECT_EQ(entry.host, "127.0.0.1");
        EXPECT_EQ(entry.name, "Base");
        EXPECT_EQ(entry.port, 7000 + i);
        EXPECT_EQ(entry.level, 10 + i);
        EXPECT_EQ(entry.difficulty, -1);
        EXPECT_EQ(entry.players, 2);
        EXPECT_EQ(entry.maxPlayers, 3);
    }
}
