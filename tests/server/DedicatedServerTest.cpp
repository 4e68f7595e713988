// The headless server program: its command line, a counted run on the sample game and a run that
// fails at start-up.
#include "server/DedicatedServer.h"
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

ServerCommandLine Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "scifiserver");
    return DedicatedServer::ParseCommandLine(int(args.size()), args.data());
}

// Runs the program in the given directory; the exit code, -1 when it did not exit normally.
int RunProgram(const TempDir& dir, const std::string& arguments)
{
    const std::string command = "cd '" + dir.Path().string() + "' && '" SCIFISERVER_PROGRAM "' " + arguments +
                                " > console.txt 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void CopySampleGame(const TempDir& dir)
{
    const std::filesystem::path gamedata = std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata";
    std::filesystem::copy(gamedata, dir.Path(), std::filesystem::copy_options::recursive);
}

TEST(DedicatedServerCommandLine, ReadsSwitchesAndTheLevel)
{
    ServerCommandLine line = Parse({"/maxpl:5", "/DIFF=7", "/NAME=Base", "levels\\a.vsd", "other", "--frames", "60"});
    EXPECT_EQ(line.maxPlayers, 5);
    EXPECT_EQ(line.difficulty, 3);  // clamped
    EXPECT_EQ(line.serverName, "Base");
    EXPECT_EQ(line.levelFile, "levels\\a.vsd");
    EXPECT_EQ(line.frames, 60);
    EXPECT_TRUE(line.error.empty());
    EXPECT_FALSE(line.usage);

    line = Parse({"/MAXPLAYERS=4", "/DIFF=0"});  // a wrong separator leaves the default
    EXPECT_EQ(line.maxPlayers, 3);
    EXPECT_EQ(line.difficulty, 1);
    EXPECT_EQ(line.serverName, "Dedicated");

    EXPECT_TRUE(Parse({"x", "/?"}).usage);
    EXPECT_FALSE(Parse({"/?x"}).usage);
    for (const char* bad : {"-1", "many", ""})
        EXPECT_FALSE(Parse({"--frames", bad}).error.empty()) << bad;
    EXPECT_FALSE(Parse({"--frames"}).error.empty());
    EXPECT_TRUE(Parse({"--HERO"}).hero);
    EXPECT_FALSE(Parse({"levels\\a.vsd"}).hero);
}

TEST(DedicatedServerProgram, CountedRunOnTheSampleGameEndsCleanly)
{
    TempDir dir;
    CopySampleGame(dir);
    EXPECT_EQ(RunProgram(dir, "--frames 60"), 0) << dir.Read("console.txt");
    const std::string log = dir.Read("serverlog.txt");
    EXPECT_NE(log.find("game.cfg loaded"), std::string::npos) << log;
    EXPECT_NE(log.find("Running main loop"), std::string::npos) << log;
    EXPECT_NE(log.find("AI Input created"), std::string::npos) << log;
}

// The log without the time and memory suffix of each line.
std::string LogLines(const std::string& log)
{
    std::string result;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        result += line.substr(0, line.rfind("(Time:")) + "\n";
        start = end + 1;
    }
    return result;
}

TEST(DedicatedServerProgram, TwoRunsLogTheSameLines)
{
    TempDir dir;
    CopySampleGame(dir);
    ASSERT_EQ(RunProgram(dir, "--frames 3"), 0);
    const std::string first = LogLines(dir.Read("serverlog.txt"));
    ASSERT_EQ(RunProgram(dir, "--frames 3"), 0);
    EXPECT_EQ(LogLines(dir.Read("serverlog.txt")), first);
}

TEST(DedicatedServerProgram, StartUpErrorIsPrintedAndFailsTheRun)
{
    TempDir dir;  // no game data at all: the database cannot be opened
    EXPECT_NE(RunProgram(dir, "--frames 1"), 0);
    const std::string console = dir.Read("console.txt");
    EXPECT_NE(console.find("cfgLoader Error: "), std::string::npos) << console;
    EXPECT_NE(console.find("ERROR: "), std::string::npos) << console;
}

}  // namespace
