// SampleServerGame: a test whose game controller, of the test's class, is started the dedicated
// server's way (its database, the two inits, the difficulty, a local input, a new game) on a copy
// of the sample game with a fixed random seed.
#pragma once
#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrlTestSupport.h"
#include "server/DedicatedServer.h"
#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

template <class Ctrl> class SampleServerGame : public ::testing::Test {
protected:
    // The lines of extraConfig are added to the copy's game configuration; the game has a hero.
    void Start(const std::string& extraConfig = std::string())
    {
        const std::string config = FixSampleSeed(dir);
        ASSERT_FALSE(config.empty());
        gameConfig.Load(config + "\n" + extraConfig);
        ASSERT_EQ(serverConfig.Load("cfg\\server.cfg"), 0);
        const char* args[] = {"scifiserver", "--hero"};
        const ServerCommandLine line = DedicatedServer::ParseCommandLine(2, args);
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::StartGame(*ctrl, line, serverConfig); }), "no error");
        ASSERT_NE(ctrl->GetMainChar(), nullptr);
    }

    GameDir dir;
    bool copied = (CopySampleGame(dir), true);
    ScopedGameConfig gameConfig;
    ScopedGfx gfx;
    ConfigFileReader serverConfig;
    std::unique_ptr<Ctrl> ctrl = std::make_unique<Ctrl>();
};
