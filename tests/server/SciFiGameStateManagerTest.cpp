// SciFiGameStateManager: the server's states on the real controller of the sample game: entering
// the game state starts the game, leaving it and the end of the game end in state 1, skipped time
// runs the game clock only while a peer is connected, and the loop stops after a counted run or
// a stop request.
#include "server/SciFiGameStateManager.h"

#include "platform/SteppingClock.h"
#include "server/SciFiGameServer.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

namespace {

class SciFiGameStateManagerTest : public SampleServerGame<SciFiGameServer> {
protected:
    // The game started as the program starts it: the inits, the level and difficulty, then the
    // state manager enters state 100.
    void StartThroughStateManager(bool hero = true)
    {
        const std::string config = FixSampleSeed(dir);
        ASSERT_FALSE(config.empty());
        gameConfig.Load(config + "\n" + kPeersOverTCP);
        ASSERT_EQ(serverConfig.Load("cfg\\server.cfg"), 0);
        stateManager = std::make_unique<SciFiGameStateManager>(*ctrl);
        ctrl->SetLocalHero(hero);
        stateManager->SuppressDrawing();
        ctrl->SetStateManager(stateManager.get());
        ASSERT_EQ(ErrorOf([&] {
                      DedicatedServer::InitGame(*ctrl);
                      if (listening)
                          DedicatedServer::StartListening(*ctrl, serverConfig);
                      DedicatedServer::SelectLevelAndDifficulty(*ctrl, ServerCommandLine(), serverConfig);
                      stateManager->SetState(SciFiGameStateManager::kStateGame);
                  }),
                  "no error");
        ASSERT_EQ(stateManager->GetState(), SciFiGameStateManager::kStateGame);
    }

    std::unique_ptr<SciFiGameStateManager> stateManager;
};

TEST_F(SciFiGameStateManagerTest, EnteringTheGameStateStartsTheGameAndLeavingItEmptiesTheInputs)
{
    StartThroughStateManager();
    ASSERT_NE(ctrl->GetMainChar(), nullptr);  // the hero of the local input
    ASSERT_EQ(ctrl->GetNumInputCtrls(), 2);

    // 101 quits at once, leaving 100 and then 101; 1 and a state of no meaning enter nothing.
    struct Case {
        int32_t state;
        int32_t ends;
    };
    for (const Case c : {Case{SciFiGameStateManager::kStateEndOfGame, 1}, Case{1, 1}, Case{5, 5}}) {
        if (stateManager->GetState() != SciFiGameStateManager::kStateGame)
            stateManager->SetState(SciFiGameStateManager::kStateGame);
        ASSERT_EQ(ctrl->GetNumInputCtrls(), 2) << c.state;
        stateManager->SetState(c.state);
        EXPECT_EQ(stateManager->GetState(), c.ends) << c.state;
        EXPECT_EQ(ctrl->GetNumInputCtrls(), 0) << c.state;
    }
    // State 5 has no work: an update leaves the game clock alone.
    const double time = ctrl->GetGameTime();
    stateManager->Update(1.0 / 30.0);
    EXPECT_EQ(ctrl->GetGameTime(), time);
    EXPECT_EQ(stateManager->GetState(), 5);
}

TEST_F(SciFiGameStateManagerTest, SkippedTimeRunsTheGameClockOnlyWithAPeer)
{
    listening = true;
    StartThroughStateManager(false);
    const double start = ctrl->GetGameTime();
    stateManager->OnSkippedTime(0.5);
    EXPECT_EQ(ctrl->GetGameTime(), start);

    int32_t slot = -1;
    auto peer = ConnectPeer(slot);
    ASSERT_TRUE(ctrl->IsNetworkGame());
    const double connected = ctrl->GetGameTime();
    stateManager->OnSkippedTime(0.5);
    EXPECT_NEAR(ctrl->GetGameTime(), connected + 0.5, 1e-6);
}

// The loop on a stepping clock: a counted run does exactly its updates, a stop request ends the
// loop in its next pass, and either way the game state is left.
TEST_F(SciFiGameStateManagerTest, CountedRunAndStopRequestEndTheLoop)
{
    StartThroughStateManager();
    ctrl->SetRunWorldWithoutClients(true);
    Platform::SteppingClock clock(1.0 / 30.0);
    stateManager->SetUpdateLimit(3);
    const double start = ctrl->GetGameTime();
    stateManager->Run();
    EXPECT_EQ(stateManager->GetUpdateCount(), 3);
    EXPECT_NEAR(ctrl->GetGameTime(), start + 3.0 / 30.0, 1e-6);  // three passes of one step each
    EXPECT_EQ(stateManager->GetState(), 1);
    EXPECT_EQ(ctrl->GetNumInputCtrls(), 0);

    stateManager->SetState(SciFiGameStateManager::kStateGame);
    stateManager->SetUpdateLimit(-1);
    SciFiGameStateManager::RequestStop();
    stateManager->Run();
    SciFiGameStateManager::ClearStopRequest();
    EXPECT_EQ(stateManager->GetUpdateCount(), 3);
    EXPECT_EQ(stateManager->GetState(), 1);
    EXPECT_EQ(ctrl->GetNumInputCtrls(), 0);
}

}  // namespace
