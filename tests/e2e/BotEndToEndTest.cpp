// The server program against two bots for twenty seconds (the server walks their characters at
// the game's pace), each program a child in its own copy of the sample game: every bot meets
// every goal, and the server's log has each player joining and leaving.
#include "support/ProgramChildren.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(BotEndToEndTest, TwoBotsMeetEveryGoal)
{
    ServerChild server;
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    std::vector<std::unique_ptr<BotChild>> bots;
    for (int32_t i = 1; i <= 2; ++i)
        bots.push_back(std::make_unique<BotChild>(server.Port(), i, 20, 1));
    for (size_t i = 0; i < bots.size(); ++i) {
        EXPECT_EQ(bots[i]->Wait(180.0), 0) << bots[i]->Console();
        EXPECT_NE(bots[i]->Summary(), "") << bots[i]->Console();
        std::printf("%s\n", bots[i]->Summary().c_str());
    }
    EXPECT_EQ(server.Stop(), 0) << server.Console();
    const std::string log = server.Log();
    EXPECT_EQ(CountLines(log, "Player 'Bot1' joined successfully"), 1) << log;
    EXPECT_EQ(CountLines(log, "Player 'Bot2' joined successfully"), 1) << log;
    EXPECT_EQ(CountLines(log, " disconnected"), 2) << log;
}
