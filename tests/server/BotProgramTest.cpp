// The bot program's command line: defaults, every switch with its value, and the malformed ones
// that stop the run before anything starts. The parent of several bots hands each child its
// seconds as a decimal number, which must read back.
#include "server/BotProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(BotProgramTest, CommandLine)
{
    struct Case {
        std::vector<const char*> args;
        std::string host;
        int32_t port;
        int32_t count;
        double seconds;
        std::string dir;
        bool error;
    };
    const Case cases[] = {
        {{}, "127.0.0.1", -1, 1, 20.0, ".", false},
        {{"10.0.0.7", "--port", "6705", "--count", "3", "--seconds", "20", "--dir", "game"}, "10.0.0.7", 6705, 3, 20.0,
         "game", false},
        {{"--seconds", "10.500000"}, "127.0.0.1", -1, 1, 10.5, ".", false},
        {{"--port", "70000"}, "127.0.0.1", -1, 1, 20.0, ".", true},
        {{"--count", "0"}, "127.0.0.1", -1, 1, 20.0, ".", true},
        {{"--seconds", "-1"}, "127.0.0.1", -1, 1, 20.0, ".", true},
        {{"--seconds"}, "127.0.0.1", -1, 1, 20.0, ".", true},
        {{"a", "b"}, "a", -1, 1, 20.0, ".", true},
        {{"--frames", "3"}, "127.0.0.1", -1, 1, 20.0, ".", true},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"scifibot"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const BotCommandLine line = BotProgram::ParseCommandLine(int(argv.size()), argv.data());
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(!line.error.empty(), c.error) << what;
        if (c.error)
            continue;
        EXPECT_EQ(line.host, c.host) << what;
        EXPECT_EQ(line.port, c.port) << what;
        EXPECT_EQ(line.count, c.count) << what;
        EXPECT_EQ(line.seconds, c.seconds) << what;
        EXPECT_EQ(line.gameDir, c.dir) << what;
    }
    EXPECT_NE(BotProgram::Run(BotProgram::ParseCommandLine(2, std::vector<const char*>{"scifibot", "--x"}.data())), 0);
}
