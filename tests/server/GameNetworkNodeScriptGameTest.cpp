// The network's script functions on the game's server, listening as the program does with two
// scripted peers joined: the server's own chat line reaches every player without a sender,
// whatever routing the last message left; the client-only functions go on to the next handler.
#include "server/DedicatedServer.h"

#include "net/GameServer.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "script/ScriptValue.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Net = GameServer;
using Bytes = std::vector<uint8_t>;

// A chat unit: the sender's name and the text, UTF-16 each with its terminator.
Bytes ChatUnit(const std::u16string& sender, const std::u16string& text)
{
    Bytes unit;
    for (const std::u16string* part : {&sender, &text}) {
        for (const char16_t c : *part)
            unit.insert(unit.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
        unit.insert(unit.end(), {0, 0});
    }
    return unit;
}

bool HoldsChat(const ScriptedPeer& peer, const Bytes& unit)
{
    for (const ScriptedPeer::Message& message : peer.Received(Net::kMsgChat))
        if (message.units == unit)
            return true;
    return false;
}

class GameNetworkNodeScriptGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override
    {
        withHero = false;
        listening = true;
        ASSERT_EQ(StartError(kPeersOverTCP), "no error");
        PlayerInfoOptions options;
        alice = ConnectPeer(aliceSlot);
        options.playerName = u"Alice";
        ASSERT_TRUE(alice->Join(options));
        bob = ConnectPeer(bobSlot);
        options.playerName = u"Bob";
        ASSERT_TRUE(bob->Join(options));
    }
    // The script's result; the text of its error, if any, is in the log.
    ScriptValue Run(const char* text)
    {
        ScriptValue result;
        EXPECT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(text), "test", 1, -1); }), "no error") << text;
        return result;
    }

    int32_t aliceSlot = -1;
    int32_t bobSlot = -1;
    std::unique_ptr<ScriptedPeer> alice;
    std::unique_ptr<ScriptedPeer> bob;
};

}  // namespace

TEST_F(GameNetworkNodeScriptGameTest, TheServersChatLineGoesToEveryPlayer)
{
    ctrl->SetSendTarget(int32_t(uint32_t(aliceSlot) | Net::kExcludeFlag), Net::kClientJoined);  // a relay's
    Run("ChatMessage(\"Welcome\");");
    const Bytes unit = ChatUnit(u"", u"Welcome");
    EXPECT_TRUE(alice->StepUntil([&] { return HoldsChat(*alice, unit); }));
    EXPECT_TRUE(bob->StepUntil([&] { return HoldsChat(*bob, unit); }));
}

// Each call with its log line: the client-only ones are unknown here, a chat needs its text, and
// the byte counts are the transport's.
TEST_F(GameNetworkNodeScriptGameTest, CallsOnTheServer)
{
    struct Case {
        const char* script;
        const char* logged;  // null: no error
    };
    const Case cases[] = {
        {"ConnectToServer(\"127.0.0.1\");", "Unknown function 'ConnectToServer' accepting 1 arguments"},
        {"SetGameHost();", "Unknown function 'SetGameHost' accepting 0 arguments"},
        {"DisconnectFromServer();", "Unknown function 'DisconnectFromServer' accepting 0 arguments"},
        {"ChatMessage();", "Invalid arguments in function ChatMessage"},
        {"ChatMessage(5);", "Invalid arguments in function ChatMessage"},
        {"iTmp[0] = GetNetworkBytesSent(); iTmp[1] = GetNetworkBytesReceived(); iTmp[2] = GetNumPlayers();", nullptr},
    };
    for (const Case& c : cases) {
        LogCapture log;
        Run(c.script);
        if (c.logged)
            EXPECT_EQ(log.Count(c.logged), 1) << c.script << "\n" << log.Text();
        else
            EXPECT_EQ(log.Count("function"), 0) << c.script << "\n" << log.Text();
    }
    EXPECT_EQ(ctrl->GetNumClients(), 2);  // still listening to both, connected nowhere
    EXPECT_EQ(*ctrl->GetScriptTempInt(0), int32_t(ctrl->GetNetNode().GetBytesSent()));
    EXPECT_GT(*ctrl->GetScriptTempInt(0), 0);
    EXPECT_EQ(*ctrl->GetScriptTempInt(1), int32_t(ctrl->GetNetNode().GetBytesReceived()));
    EXPECT_GT(*ctrl->GetScriptTempInt(1), 0);
    EXPECT_EQ(*ctrl->GetScriptTempInt(2), 2);
}
