// The server program stopped by signals, its input a pipe as under systemd or a shell's pipeline:
// each stop signal ends it as ESC does, SIGHUP stays ignored under nohup, a signal during the
// start-up stops it before the first pass, and a second signal during a stop ends it at once with
// 128 + the signal's number. Every wait is bounded; a server that outlives one is killed by its id.
#include "support/ProgramChildren.h"
#include "support/TextOrder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

ServerChildOptions PipedInput()
{
    ServerChildOptions options;
    options.input.kind = Platform::ChildInput::kPipe;
    return options;
}

bool EndsWithLineBreak(const std::string& text) { return !text.empty() && text.back() == '\n'; }

}  // namespace

TEST(ServerSignalTest, EachStopSignalEndsTheServerAsEscDoes)
{
    struct Case {
        int32_t signal;
        const char* name;
    };
    const Case cases[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
    std::vector<std::unique_ptr<ServerChild>> servers;  // side by side: each start-up takes seconds
    for (size_t i = 0; i < std::size(cases); ++i)
        servers.push_back(std::make_unique<ServerChild>(PipedInput()));
    for (size_t i = 0; i < std::size(cases); ++i) {
        ServerChild& server = *servers[i];
        ASSERT_TRUE(server.AwaitReady()) << server.Console();
        server.Signal(cases[i].signal);
        EXPECT_EQ(server.WaitExit(20.0), 0) << cases[i].name << server.Console();
        const std::string line = std::string(cases[i].name) + " received - terminating dedicated server";
        const std::string console = server.Console();
        EXPECT_NE(console.find("\n" + line + "\n"), std::string::npos) << console;
        EXPECT_TRUE(EndsWithLineBreak(console)) << console;
        EXPECT_EQ(console.find("ERROR"), std::string::npos) << console;
        EXPECT_NE(server.Log().find(line), std::string::npos) << server.Log();
    }
}

TEST(ServerSignalTest, SighupIsIgnoredUnderNohup)
{
    ServerChildOptions options = PipedInput();
    options.wrapper = {"/usr/bin/nohup"};
    ServerChild server(options);
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    server.Signal(SIGHUP);
    Platform::SleepMs(1500);  // several passes of the frame step
    EXPECT_TRUE(server.IsRunning()) << server.Console();
    EXPECT_TRUE(server.Answers());
    EXPECT_EQ(server.Console().find("received - terminating"), std::string::npos) << server.Console();
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitExit(20.0), 0) << server.Console();
    EXPECT_NE(server.Console().find("\nSIGTERM received - terminating dedicated server\n"), std::string::npos)
        << server.Console();
}

// The start-up holds after its game init until the signal has come (a test hook), so that the
// signal surely lands inside the start-up.
TEST(ServerSignalTest, SignalDuringStartUpStopsBeforeTheFirstPass)
{
    ServerChildOptions options = PipedInput();
    options.environment = {{"SCIFISERVER_TEST_HOLD_STARTUP_MS", "60000"}};
    ServerChild server(options);
    ASSERT_TRUE(server.AwaitConsole("Creating GameCtrl class")) << server.Console();
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitExit(30.0), 0) << server.Console();
    const std::string console = server.Console();
    EXPECT_NE(console.find("\nSIGTERM received - terminating dedicated server\n"), std::string::npos) << console;
    EXPECT_EQ(console.find("Running main loop"), std::string::npos) << console;
    EXPECT_EQ(console.find("STATE_GAME initialized"), std::string::npos) << console;
    EXPECT_TRUE(EndsWithLineBreak(console)) << console;
}

// The stop holds before its teardown (a test hook); a second SIGTERM meanwhile ends the process
// at once with 128 + 15.
TEST(ServerSignalTest, SecondSignalDuringTheStopEndsTheProcessAtOnce)
{
    ServerChildOptions options = PipedInput();
    options.environment = {{"SCIFISERVER_TEST_HOLD_STOP_MS", "60000"}};
    ServerChild server(options);
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    server.Signal(SIGTERM);
    ASSERT_TRUE(server.AwaitConsole("SIGTERM received - terminating dedicated server", 20.0)) << server.Console();
    Platform::SleepMs(200);
    ASSERT_TRUE(server.IsRunning()) << server.Console();
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitExit(10.0), 128 + SIGTERM) << server.Console();
    EXPECT_TRUE(EndsWithLineBreak(server.Console())) << server.Console();
}
