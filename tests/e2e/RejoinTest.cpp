// A player who leaves makes the transport record an error (the server's datagrams to the player's
// closed port are refused); the next player must still join. The transport keeps its last error
// until something clears it, and the join's checksum step once read it as its own failure: from
// then on every join stalled until its timeout.
#include "support/ProgramChildren.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

TEST(RejoinTest, AnotherPlayerJoinsAfterOneLeft)
{
    ServerChild server({"/MAXPL=4"});
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    const auto pump = [] { Platform::SleepMs(5); };
    PlayerInfoOptions options;
    {
        // A scripted peer reads no datagrams: the server's to it are refused, and it goes.
        ScriptedPeer first(server.Port(), pump);
        options.playerName = u"First";
        ASSERT_TRUE(first.Join(options, 20.0)) << server.Log();
        first.StepUntil([&] { return CountLines(server.Log(), "disconnected") > 0; }, 10.0);
    }
    ASSERT_GT(CountLines(server.Log(), "WSA Error"), 0) << server.Log();
    ScriptedPeer next(server.Port(), pump);
    options.playerName = u"Next";
    EXPECT_TRUE(next.Join(options, 20.0)) << server.Log();
    EXPECT_EQ(CountLines(server.Log(), "Player 'Next' joined successfully"), 1) << server.Log();
    next.Close();
    EXPECT_EQ(server.Stop(), 0) << server.Console();
}
