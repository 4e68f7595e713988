// Tests of the path resolver: backslashes, any letter case, exact match first, new files.
#include "platform/PathResolver.h"
#include "platform/FileSystem.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(PathResolverTest, FindsFilesWhateverTheirCase)
{
    TempDir dir;
    dir.Write("Cfg/Game.CFG", "x");
    dir.Write("Levels/L1/l1.cfg", "y");
    dir.Write("both/a.txt", "lower");
    dir.Write("both/A.txt", "upper");
    ScopedCurrentDir cwd(dir.Path());
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"cfg\\game.cfg", "Cfg/Game.CFG"},
        {"CFG\\GAME.cfg", "Cfg/Game.CFG"},
        {"levels\\l1\\L1.CFG", "Levels/L1/l1.cfg"},
        {"both\\A.txt", "both/A.txt"},            // an exact match wins
        {"both\\a.txt", "both/a.txt"},
        {"cfg\\new.cfg", "Cfg/new.cfg"},          // a file to be created lands in the real folder
        {"missing\\Dir\\x", "missing/Dir/x"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::ResolvePath(c.name), c.expected) << c.name;
    std::string absolute = (dir.Path() / "CFG" / "game.cfg").string();
    EXPECT_EQ(Platform::ResolvePath(absolute), (dir.Path() / "Cfg" / "Game.CFG").string());
    EXPECT_TRUE(Platform::FileExists("CFG\\GAME.CFG"));
    EXPECT_TRUE(Platform::IsDirectory("LEVELS\\l1"));
}

TEST(PathResolverTest, ForgetsSpellingsThatNoLongerExist)
{
    TempDir dir;
    dir.Write("Data/File.txt", "1");
    ScopedCurrentDir cwd(dir.Path());
    EXPECT_EQ(Platform::ResolvePath("data\\file.txt"), "Data/File.txt");
    std::filesystem::rename(dir.Path() / "Data", dir.Path() / "DATA");
    EXPECT_EQ(Platform::ResolvePath("data\\file.txt"), "DATA/File.txt");
}

TEST(PathResolverTest, TellsNamesThatLeaveTheGameDirectory)
{
    const struct {
        const char* name;
        bool inside;
    } cases[] = {
        {"screenshots\\shot1.bmp", true},
        {"cfg/game.cfg", true},
        {"a..b\\..c", true},  // dots inside a component are a name
        {"", false},
        {"\\etc\\passwd", false},
        {"/etc/passwd", false},
        {"C:\\x.txt", false},
        {"..\\x.txt", false},
        {"cfg\\..\\..\\x", false},
        {"cfg/..", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Platform::IsInsideGameDir(c.name), c.inside) << c.name;
}
