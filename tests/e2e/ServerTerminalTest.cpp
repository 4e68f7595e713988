// The server program on a terminal (a pseudo-terminal typed into as a person would): keys are not
// echoed, a key sequence (arrows, function keys) is no ESC, a lone ESC stops it, Ctrl-C is still
// SIGINT, an error waits for one key, and the terminal's settings after the run equal those before.
// Every wait is bounded.
#include "platform/PseudoTerminal.h"
#include "support/ProgramChildren.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

namespace {

struct TerminalServer {
    TerminalServer()
    {
        open = terminal.Open();
        ServerChildOptions options;
        options.input.kind = Platform::ChildInput::kTerminal;
        options.input.terminalPath = terminal.GetTerminalPath();
        if (open)
            server = std::make_unique<ServerChild>(options);
    }
    Platform::PseudoTerminal terminal;  // outlives the server: its settings are read after the run
    bool open = false;
    std::unique_ptr<ServerChild> server;
};

}  // namespace

TEST(ServerTerminalTest, LoneEscStopsAndKeySequencesDoNot)
{
    TerminalServer run;
    ASSERT_TRUE(run.open);
    const Platform::PseudoTerminal::Settings before = run.terminal.GetSettings();
    ServerChild& server = *run.server;
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    const Platform::PseudoTerminal::Settings running = run.terminal.GetSettings();
    EXPECT_FALSE(running.Echoes());
    EXPECT_FALSE(running.BuffersLines());
    EXPECT_TRUE(running.SendsSignals());

    // Up, F1, F5 and plain letters: none of them stops the server, and none is echoed.
    for (const char* keys : {"\x1b[A", "\x1bOP", "\x1b[15~", "ab"}) {
        ASSERT_TRUE(run.terminal.Type(keys));
        Platform::SleepMs(300);  // several passes of the frame step
        EXPECT_TRUE(server.IsRunning()) << "stopped by " << keys + 1 << "\n" << server.Console();
    }
    EXPECT_EQ(run.terminal.ReadShown(100), "");
    EXPECT_EQ(server.Console().find("terminating"), std::string::npos) << server.Console();

    ASSERT_TRUE(run.terminal.Type("\x1b"));
    EXPECT_EQ(server.WaitExit(20.0), 0) << server.Console();
    EXPECT_NE(server.Console().find("\nESC pressed - terminating dedicated server\n"), std::string::npos)
        << server.Console();
    EXPECT_TRUE(run.terminal.GetSettings() == before);
}

TEST(ServerTerminalTest, CtrlCIsStillSigint)
{
    TerminalServer run;
    ASSERT_TRUE(run.open);
    const Platform::PseudoTerminal::Settings before = run.terminal.GetSettings();
    ServerChild& server = *run.server;
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    ASSERT_TRUE(run.terminal.Type("\x03"));
    EXPECT_EQ(server.WaitExit(20.0), 0) << server.Console();
    EXPECT_NE(server.Console().find("\nSIGINT received - terminating dedicated server\n"), std::string::npos)
        << server.Console();
    EXPECT_TRUE(run.terminal.GetSettings() == before);
}

// After an error the server waits for one key on a terminal, a key of its own (no Enter), and
// gives the terminal its settings back on that way out too.
TEST(ServerTerminalTest, ErrorWaitsForOneKey)
{
    Platform::PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    const Platform::PseudoTerminal::Settings before = terminal.GetSettings();
    ServerChildOptions options;
    options.extra = {"levels\\nowhere.cfg"};
    options.input.kind = Platform::ChildInput::kTerminal;
    options.input.terminalPath = terminal.GetTerminalPath();
    ServerChild server(options);
    ASSERT_TRUE(server.AwaitConsole("ERROR: ")) << server.Console();
    Platform::SleepMs(300);
    EXPECT_TRUE(server.IsRunning()) << "no wait for a key\n" << server.Console();
    ASSERT_TRUE(terminal.Type("x"));
    EXPECT_EQ(server.WaitExit(20.0), 1) << server.Console();
    EXPECT_TRUE(terminal.GetSettings() == before);
    EXPECT_EQ(server.Console().back(), '\n') << server.Console();
}

// A crash is a way out too: the terminal gets its settings back before the process ends.
TEST(ServerTerminalTest, CrashGivesTheTerminalBack)
{
    TerminalServer run;
    ASSERT_TRUE(run.open);
    const Platform::PseudoTerminal::Settings before = run.terminal.GetSettings();
    ServerChild& server = *run.server;
    ASSERT_TRUE(server.AwaitReady()) << server.Console();
    ASSERT_FALSE(run.terminal.GetSettings() == before);
    server.Signal(SIGSEGV);
    EXPECT_NE(server.WaitExit(30.0), 0) << server.Console();
    EXPECT_TRUE(run.terminal.GetSettings() == before);
}
