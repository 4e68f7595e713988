// The server's stop end to end with two bots in the game, by SIGTERM and by ESC on its input pipe:
// each bot hears DisconnectRequest reason 3 (the host left) before its connection closes, the
// server exits 0 within 10 s, its log has the start-up in order, nothing was saved and its
// console's last line is ended. Every wait is bounded; a child that outlives one is killed by its id.
#include "support/ProgramChildren.h"
#include "support/TextOrder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

enum class StopBy { kSigterm, kEscape };

class ServerStopTest : public testing::TestWithParam<StopBy> {};

bool AwaitLog(ServerChild& server, const std::string& text, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end && server.IsRunning()) {
        if (server.Log().find(text) != std::string::npos)
            return true;
        Platform::SleepMs(50);
    }
    return server.Log().find(text) != std::string::npos;
}

}  // namespace

TEST_P(ServerStopTest, BotsHearThatTheHostLeft)
{
    ServerChildOptions options;
    options.input.kind = Platform::ChildInput::kPipe;
    ServerChild server(options);
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    std::vector<std::unique_ptr<BotChild>> bots;
    for (int32_t i = 1; i <= 2; ++i)  // they would stay two minutes: the server's stop ends them
        bots.push_back(std::make_unique<BotChild>(server.Port(), i, 120, 1));
    for (int32_t i = 1; i <= 2; ++i)
        ASSERT_TRUE(AwaitLog(server, "Player 'Bot" + std::to_string(i) + "' joined successfully", 120.0))
            << server.Log();

    const auto stopAsked = std::chrono::steady_clock::now();
    if (GetParam() == StopBy::kSigterm)
        server.Signal(SIGTERM);
    else
        ASSERT_TRUE(server.Type("\x1b"));
    EXPECT_EQ(server.WaitExit(10.0), 0) << server.Console();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, std::chrono::seconds(10));

    const std::string console = server.Console();
    const char* const line = GetParam() == StopBy::kSigterm ? "\nSIGTERM received - terminating dedicated server\n"
                                                            : "\nESC pressed - terminating dedicated server\n";
    EXPECT_NE(console.find(line), std::string::npos) << console;
    EXPECT_TRUE(!console.empty() && console.back() == '\n') << console;
    // A message read is one that came before its connection closed: a bot's transport drops what
    // it has not read when the connection goes.
    for (auto& bot : bots) {
        EXPECT_GE(bot->Wait(60.0), 0) << "the bot outlived the server's stop\n" << bot->Console();
        const std::string botLog = bot->Log();
        EXPECT_NE(botLog.find("NetRec: DisconnectRequest 3"), std::string::npos) << botLog;
    }
    EXPECT_EQ(FirstMissingInOrder(server.Log(), {"game.cfg loaded", "AI Input created", "STATE_GAME initialized",
                                                 "Running main loop"}),
              "")
        << server.Log();
    for (const char* folder : {"save", "saveMP"})
        EXPECT_FALSE(std::filesystem::exists(server.Dir().Path() / folder)) << folder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(server.Dir().Path()))
        EXPECT_NE(entry.path().extension(), ".sv") << entry.path();
}

INSTANTIATE_TEST_SUITE_P(StopBy, ServerStopTest, testing::Values(StopBy::kSigterm, StopBy::kEscape),
                         [](const testing::TestParamInfo<StopBy>& info) {
                             return info.param == StopBy::kSigterm ? "Sigterm" : "Escape";
                         });
