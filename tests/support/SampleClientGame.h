// SampleClientGame: a test whose game controller, of the test's class, runs the sample game as a
// network client of a fake game server over loopback: started with the traffic log on, connected
// on request and then in the running game, with what its start sent arrived.
#pragma once
#include "net/GameNetworkNode.h"
#include "support/FakeGameServer.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

template <class Ctrl> class SampleClientGame : public SampleServerGame<Ctrl> {
protected:
    void SetUp() override { this->Start("LogNetworkTraffic = 1"); }

    void Connect()
    {
        int32_t reason = -1;
        ASSERT_TRUE(this->ctrl->ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
        this->ctrl->SetConnectionState(GameNetworkNode::eRunningGame);
        // What the running game's start sends (the game's skill slots) has arrived once a dummy
        // message after it has: a test that counts what its calls send starts after it.
        this->ctrl->FinishPacket();
        const size_t before = server.ReceivedTCP().size();
        ASSERT_TRUE(this->ctrl->SendDummyData(4, false));
        this->ctrl->FinishPacket();
        ASSERT_TRUE(WaitUntil([&] {
            const auto ids = server.ReceivedTCP();
            return ids.size() > before && ids.back() == GameNetworkNode::kMsgDummyData;
        }));
    }

    WorldElem* NewCrate(float x)
    {
        return dynamic_cast<WorldElem*>(this->ctrl->CreateWorldObject("Crate", x, 100.0f, 0.0f, 0.0f));
    }

    FakeGameServer server{FakeGameServer::kAccept};
};
