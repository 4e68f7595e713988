// ServerCommandLine: the switch parsers and the command line of a run, with the test switches
// taken out before the parsers look.
#include "server/ServerCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ServerCommandLine ParseArgs(std::vector<const char*> args)
{
    args.insert(args.begin(), "scifiserver");
    return ParseServerCommandLine(int(args.size()), args.data());
}

}  // namespace

TEST(ServerCommandLine, SwitchesLevelAndTheirDefaults)
{
    const std::string longName(300, 'n');
    const std::string longSwitch = "/NAME=" + longName;
    struct Case {
        std::vector<const char*> args;
        std::string level;
        int32_t maxPlayers;
        int32_t difficulty;
        std::string name;
    };
    const Case cases[] = {
        {{}, "", 3, 1, "Dedicated"},
        {{"/maxpl:5"}, "", 5, 1, "Dedicated"},
        {{"/MAXPL", "5"}, "5", 3, 1, "Dedicated"},  // a blank is no separator: 5 is the level
        {{"/MAXPLAYERS=4"}, "", 3, 1, "Dedicated"},
        {{"/DIFF=0"}, "", 3, 1, "Dedicated"},
        {{"/DIFF=-2"}, "", 3, 1, "Dedicated"},
        {{"/DIFF=7"}, "", 3, 3, "Dedicated"},
        {{"/DIFF="}, "", 3, 1, "Dedicated"},
        {{"/DIFF=-"}, "", 3, 1, "Dedicated"},
        {{"/diff=2", "/DIFF=3"}, "", 3, 2, "Dedicated"},  // the first one counts
        {{"/NAME="}, "", 3, 1, ""},
        {{"/NAMEX"}, "", 3, 1, ""},  // a wrong separator: empty, not the default
        {{"/NAME=Base Camp"}, "", 3, 1, "Base Camp"},
        {{longSwitch.c_str()}, "", 3, 1, longName.substr(0, 255)},
        {{"-x.cfg", "/y.cfg", "\x80z.cfg", "levels\\a.cfg", "b.cfg"}, "levels\\a.cfg", 3, 1, "Dedicated"},
        {{"--frames", "60"}, "", 3, 1, "Dedicated"},  // the count is never the level
        {{"--hero", "--FRAMES", "0", "a.cfg"}, "a.cfg", 3, 1, "Dedicated"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* arg : c.args)
            shown += std::string(arg).substr(0, 20) + " ";
        const ServerCommandLine line = ParseArgs(c.args);
        EXPECT_EQ(line.error, "") << shown;
        EXPECT_EQ(line.levelFile, c.level) << shown;
        EXPECT_EQ(line.maxPlayers, c.maxPlayers) << shown;
        EXPECT_EQ(line.difficulty, c.difficulty) << shown;
        EXPECT_EQ(line.serverName, c.name) << shown;
    }
}

TEST(ServerCommandLine, BadNumbersAndTestSwitches)
{
    for (const char* bad : {"/MAXPL=5a", "/DIFF=x", "/DIFF=12345678901", "/MAXPL=2147483648", "/DIFF=1 ", "/DIFF=+1"})
        EXPECT_NE(ParseArgs({bad}).error, "") << bad;
    for (const std::vector<const char*>& bad : std::vector<std::vector<const char*>>{
             {"--frames"}, {"--frames", "x"}, {"--frames", "-1"}, {"--frames", ""}, {"--frames", "99999999999"}})
        EXPECT_NE(ParseArgs(bad).error, "") << (bad.size() > 1 ? bad[1] : "(none)");

    EXPECT_EQ(ParseArgs({"/MAXPL=-2147483648"}).maxPlayers, INT32_MIN);  // within 32 bits: the controller clamps it
    ServerCommandLine line = ParseArgs({"--frames", "0007", "--Hero"});
    EXPECT_EQ(line.frames, 7);
    EXPECT_TRUE(line.hero);
    EXPECT_EQ(ParseArgs({}).frames, -1);
    EXPECT_FALSE(ParseArgs({}).hero);
    EXPECT_TRUE(ParseArgs({"a.cfg", "/?"}).usage);
    EXPECT_FALSE(ParseArgs({"/?x"}).usage);
}

TEST(ServerCommandLine, ParserAnswersLeaveTheValueUnlessStored)
{
    const char* argv[] = {"/DIFF=x", "/MAXPL", "/MAXPLAYERS=4", "/NAME:Base", "/LEVEL=", "/ANY=42"};
    const char* args[] = {"program", argv[0], argv[1], argv[2], argv[3], argv[4], argv[5]};
    const int argc = 7;
    struct Case {
        const char* key;
        int32_t result;
        int32_t value;  // starts at 99
    };
    const Case cases[] = {{"/DIFF", kSwitchBadNumber, 99},      {"/MAXPL", kSwitchBadSeparator, 99},
                          {"/LEVEL", kSwitchStored, 0},        {"/any", kSwitchStored, 42},
                          {"/MISSING", kSwitchAbsent, 99}};
    for (const Case& c : cases) {
        int32_t value = 99;
        EXPECT_EQ(GetIntSwitch(argc, args, c.key, &value), c.result) << c.key;
        EXPECT_EQ(value, c.value) << c.key;
    }
    std::string name = "kept";
    EXPECT_EQ(GetStringSwitch(argc, args, "/MAXPL", &name), kSwitchBadSeparator);
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(GetStringSwitch(argc, args, "/name", &name), kSwitchStored);
    EXPECT_EQ(name, "Base");
    EXPECT_TRUE(HasSwitch(argc, args, "/maxpl"));
    EXPECT_FALSE(HasSwitch(argc, args, "/DIFF"));
    EXPECT_FALSE(HasSwitch(1, args, "program"));  // index 0 is never examined
    EXPECT_EQ(FindPositionalArg(argc, args, 1), -1);
}
