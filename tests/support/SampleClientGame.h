// SampleClientGame: a test whose game controller, of the test's class, runs the sample game as a
// network client of a fake game server over loopback: started with the traffic log on, connected
// on request and then in the running game.
#pragma once
#include "net/GameNetworkNode.h"
#include "support/FakeGameServer.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

template <class Ctrl> class SampleClientGame : public SampleServerGame<Ctrl> {
protected:
    void SetUp() override { this->Start("LogNetworkTraffic = 1"); }

    void Connect()
    {
        int32_t reason = -1;
        ASSERT_TRUE(this->ctrl->ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
        this->ctrl->SetConnectionState(GameNetworkNode::eRunningGame);
    }

    WorldElem* NewCrate(float x)
    {
        return dynamic_cast<WorldElem*>(this->ctrl->CreateWorldObject("Crate", x, 100.0f, 0.0f, 0.0f));
    }

    FakeGameServer server{FakeGameServer::kAccept};
};
