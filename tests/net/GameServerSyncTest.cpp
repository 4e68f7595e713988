// GameServer's table of sync requests: which clients a world change is queued for, the merging of
// unrequested duplicates, removals, the order kept, a full table, and a client's requests cleared
// when it goes.
#include "net/GameServer.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Client records without connections: the table only reads their slots and states.
class TableServer : public GameServer {
public:
    int32_t AddClientInState(int32_t state)
    {
        const int32_t slot = AddClientRecord(-1, NetworkNode::ConnectionInfo());
        GetClient(slot)->state = state;
        return slot;
    }
};

ObjRef3 Ref(int32_t id, uint16_t type = 5)
{
    ObjRef3 ref;
    ref.objID = id;
    ref.myRnd = uint32_t(id * 7);
    ref.type = type;
    return ref;
}

std::vector<int32_t> SlotsOf(const GameServer& server, int32_t objID)
{
    std::vector<int32_t> slots;
    for (const ClientSyncRequest& r : server.GetSyncRequests())
        if (r.ref.objID == objID)
            slots.push_back(r.slot);
    return slots;
}

}  // namespace

TEST(GameServerSync, AllClientsInTheWorldAndMerging)
{
    TableServer server;
    for (const int32_t state : {2, 6, 7, 8, 10})
        server.AddClientInState(state);

    server.AddSyncRequest(-1, GameNetworkNode::kSyncItemCreated, Ref(1), false, false);
    EXPECT_EQ(SlotsOf(server, 1), (std::vector<int32_t>{2, 3, 4}));  // state >= 7, whatever the routing
    EXPECT_EQ(server.GetSyncRequests()[0].broadcast, 1);

    // An unrequested change already queued for the same client is not queued again; a created
    // record and a change record of one element are different items.
    server.AddSyncRequest(-1, GameNetworkNode::kSyncItemCreated, Ref(1), false, false);
    server.AddSyncRequest(2, 0, Ref(1), false, false);
    server.AddSyncRequest(2, 0, Ref(1), false, false);
    EXPECT_EQ(SlotsOf(server, 1), (std::vector<int32_t>{2, 3, 4, 2}));
    EXPECT_EQ(server.GetSyncRequests().back().broadcast, 0);

    // A client's own requests always stay, twice if asked twice; another element is another item.
    server.AddSyncRequest(3, 0, Ref(9), true, false);
    server.AddSyncRequest(3, 0, Ref(9), true, false);
    server.AddSyncRequest(3, 0, Ref(9, 7), false, false);
    EXPECT_EQ(SlotsOf(server, 9), (std::vector<int32_t>{3, 3, 3}));
    ClientSyncRequest wanted;
    wanted.slot = 3;
    wanted.requested = 1;
    wanted.ref = Ref(9);
    const ClientSyncRequest* found = server.FindSyncRequest(wanted);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &server.GetSyncRequests()[4]);  // the first of the two
    wanted.ref.myRnd ^= 1;  // a reused ID is another element
    EXPECT_EQ(server.FindSyncRequest(wanted), nullptr);
}

TEST(GameServerSync, RemovalsKeepTheirOrderAndAreNeverMerged)
{
    TableServer server;
    const int32_t slot = server.AddClientInState(GameServer::kClientJoined);
    server.AddSyncRequest(-1, GameNetworkNode::kSyncItemCreated, Ref(1), false, false);
    server.AddSyncRemoval(-1, Ref(2));
    server.AddSyncRemoval(slot, Ref(2));
    server.AddSyncRemoval(slot, Ref(1));
    const std::vector<ClientSyncRequest>& table = server.GetSyncRequests();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].remove, 0);
    EXPECT_EQ(table[1].remove, 1);
    EXPECT_EQ(table[1].broadcast, 1);
    EXPECT_EQ(table[2].broadcast, 0);
    EXPECT_EQ(table[3].ref.objID, 1);  // the deletion stays behind the creation queued before it
    EXPECT_EQ(table[3].requested, 0);
}

TEST(GameServerSync, FullTableDropsWithOneWarning)
{
    TableServer server;
    const int32_t slot = server.AddClientInState(GameServer::kClientJoined);
    for (int32_t i = 0; i < GameServer::kMaxSyncRequests; ++i)
        server.AddSyncRequest(slot, 0, Ref(1), true, false);
    LogCapture log;
    server.AddSyncRequest(slot, 0, Ref(2), false, false);
    server.AddSyncRemoval(-1, Ref(3));
    EXPECT_EQ(int32_t(server.GetSyncRequests().size()), GameServer::kMaxSyncRequests);
    EXPECT_EQ(log.Count("Maximum number of data elements reached: 4096"), 1);
    EXPECT_TRUE(SlotsOf(server, 2).empty());
}

TEST(GameServerSync, ClientsRequestsGoWithIt)
{
    TableServer server;
    const int32_t first = server.AddClientInState(GameServer::kClientJoined);
    const int32_t second = server.AddClientInState(GameServer::kClientJoined);
    server.AddSyncRequest(-1, GameNetworkNode::kSyncItemCreated, Ref(1), false, false);
    server.AddSyncRemoval(first, Ref(2));
    server.ClearSyncRequests(first);
    EXPECT_EQ(SlotsOf(server, 1), (std::vector<int32_t>{second}));
    EXPECT_TRUE(SlotsOf(server, 2).empty());

    server.RemoveClient(second, false);
    EXPECT_TRUE(server.GetSyncRequests().empty());
}
