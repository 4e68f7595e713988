// SampleServerGame: a test whose game controller, of the test's class, is started the dedicated
// server's way (its database, the two inits, the difficulty, the AI's input and a local input
// after it unless the test asks for none, a new game) on a copy of the sample game with a fixed
// random seed, and the scripted peers that join a listening one. A SciFiGameServer enters its
// game state itself; a client's controller is started in the same steps.
#pragma once
#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrlTestSupport.h"
#include "server/DedicatedServer.h"
#include "server/SciFiGameServer.h"
#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/ScopedGfx.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

template <class Ctrl> class SampleServerGame : public ::testing::Test {
protected:
    // The lines of extraConfig are added to the copy's game configuration; the game has a hero.
    void Start(const std::string& extraConfig = std::string())
    {
        ASSERT_EQ(StartError(extraConfig), "no error");
        ASSERT_NE(ctrl->GetMainChar(), nullptr);
    }
    // The error that ends the start, "no error" when the game started.
    std::string StartError(const std::string& extraConfig = std::string())
    {
        const std::string config = FixSampleSeed(dir);
        if (config.empty())
            return "the sample game's configuration has no random seed";
        gameConfig.Load(config + "\n" + extraConfig);
        if (serverConfig.Load("cfg\\server.cfg") != 0)
            return "no server configuration";
        const char* args[] = {"scifiserver", "--hero"};
        const ServerCommandLine line = DedicatedServer::ParseCommandLine(withHero ? 2 : 1, args);
        if constexpr (!std::is_base_of_v<SciFiGameServer, Ctrl>) {
            // A client's controller (a bot, the rules alone) starts its own game.
            return ErrorOf([&] {
                DedicatedServer::InitGame(*ctrl);
                if (listening)
                    DedicatedServer::StartListening(*ctrl, serverConfig);
                DedicatedServer::EnterClientGame(*ctrl, line, serverConfig);
            });
        } else {
            return ErrorOf([&] {
                DedicatedServer::InitGame(*ctrl);
                if (listening)
                    DedicatedServer::StartListening(*ctrl, serverConfig);
                DedicatedServer::EnterGame(*ctrl, line, serverConfig);
            });
        }
    }

    // Whether the world shows a text message of that localisation key.
    bool MessageShown(const char16_t* key)
    {
        auto& messages = ctrl->GetWorld().GetTextMessages();
        for (int32_t i = 0; i < messages.GetSize(); ++i)
            if (messages.GetAt(i)->key == wString(key))
                return true;
        return false;
    }

    // The scripted peers keep to TCP: a server that also sent them datagrams would lose them
    // when their port answers that nobody listens there.
    static constexpr const char* kPeersOverTCP = "NetworkUseUDP = 0";
    // A peer whose reads step the server's frame loop while pumping is set; its slot once the
    // listening server took it.
    std::unique_ptr<ScriptedPeer> ConnectPeer(int32_t& slot)
    {
        auto peer = std::make_unique<ScriptedPeer>(ctrl->GetNetNode().GetPort(), [this] {
            if (pumping)
                DedicatedServer::RunFrames(*ctrl, 1);
        });
        EXPECT_TRUE(peer->AwaitConnected());
        slot = -1;
        for (int32_t i = 0; i < ctrl->GetNumClients(); ++i)
            if (ctrl->GetClient(ctrl->GetClientSlot(i))->connectionInfo.receiveRemotePort == peer->GetLocalPort())
                slot = ctrl->GetClientSlot(i);
        EXPECT_GE(slot, 0);
        return peer;
    }

    // Set before the start: a server whose level makes no hero of its own; one that listens
    // before it enters the game, as the program does.
    bool withHero = true;
    bool listening = false;
    bool pumping = true;  // the peers' reads run the server's frames
    GameDir dir;
    bool copied = (CopySampleGame(dir), true);
    ScopedGameConfig gameConfig;
    ScopedGfx gfx;
    ConfigFileReader serverConfig;
    std::unique_ptr<Ctrl> ctrl = std::make_unique<Ctrl>();
};
