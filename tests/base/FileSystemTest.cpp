// FileSystemTest: tree deletion, deletion by pattern and the directory mirror on real directories.
#include "base/FileSystem.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

void MakeReadOnly(const fs::path& p)
{
    fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

void SetTime(const fs::path& p, int secondsAgo)
{
    fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

}  // namespace

TEST(FileSystemTest, DeleteDirectoryTree)
{
    TempDir tmp;
    EXPECT_FALSE(FileSystem::DeleteDirectoryTree((tmp / "missing").c_str()));
    EXPECT_FALSE(FileSystem::DeleteDirectoryTree(""));

    tmp.Write("outside/keep.txt", "keep");
    tmp.Write("tree/a.txt", "a");
    tmp.Write("tree/.hidden", "h");
    tmp.Write("tree/sub/deeper/b.bin", "b");
    tmp.Write("tree/sub/ro.txt", "r");
    tmp.Write("tree/odd\\name", "x");
    MakeReadOnly(tmp.Path() / "tree/sub/ro.txt");
    fs::create_directory_symlink(tmp.Path() / "outside", tmp.Path() / "tree/link");
    fs::create_symlink(tmp.Path() / "nowhere", tmp.Path() / "tree/dangling");

    EXPECT_TRUE(FileSystem::DeleteDirectoryTree((tmp / "tree").c_str()));
    EXPECT_FALSE(fs::exists(tmp.Path() / "tree"));
    EXPECT_EQ(tmp.Read("outside/keep.txt"), "keep");  // a link is removed, never followed
}

TEST(FileSystemTest, DeleteDirectoryTreeTakesGameNames)
{
    TempDir tmp;
    tmp.Write("Save/Slot1/game.sv", "g");
    ScopedCurrentDir cd(tmp.Path());
    EXPECT_TRUE(FileSystem::DeleteDirectoryTree("save\\SLOT1"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "Save/Slot1"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "Save"));
}

TEST(FileSystemTest, DeleteFilesByPattern)
{
    TempDir tmp;
    tmp.Write("save/l1.ld", "1");
    tmp.Write("save/L2.LD", "2");
    tmp.Write("save/l3.ldx", "3");
    tmp.Write("save/game.sv", "g");
    tmp.Write("save/ro.ld", "r");
    MakeReadOnly(tmp.Path() / "save/ro.ld");
    fs::create_directory(tmp.Path() / "save/dir.ld");

    EXPECT_EQ(FileSystem::DeleteFiles((tmp / "save\\*.ld").c_str()), 3);
    EXPECT_FALSE(fs::exists(tmp.Path() / "save/l1.ld"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "save/L2.LD"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "save/ro.ld"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "save/l3.ldx"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "save/game.sv"));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "save/dir.ld"));

    EXPECT_EQ(FileSystem::DeleteFiles((tmp / "save/*.ld").c_str()), 0);  // nothing left to match
    EXPECT_EQ(FileSystem::DeleteFiles((tmp / "missing/*.ld").c_str()), 0);
    EXPECT_EQ(FileSystem::DeleteFiles(nullptr), 0);

    // Without a directory part the pattern works in the current directory, not in "/".
    ScopedCurrentDir cd(tmp.Path() / "save");
    EXPECT_EQ(FileSystem::DeleteFiles("*.ldx"), 1);
    EXPECT_FALSE(fs::exists(tmp.Path() / "save/l3.ldx"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "save/game.sv"));
}

class MirrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tmp.Write("src/game.sv", "game");
        tmp.Write("src/player.sv", "player");
        tmp.Write("src/level1.ld", "level one");
        tmp.Write("src/.hidden", "hidden");
        fs::create_directory(tmp.Path() / "src/subdir");
        fs::create_symlink(tmp.Path() / "nowhere", tmp.Path() / "src/dangling");  // a system entry
        fs::create_directory(tmp.Path() / "dst");
        for (const char* name : {"game.sv", "player.sv", "level1.ld"})
            SetTime(tmp.Path() / "src" / name, 3600);
    }

    int32_t Mirror(const uint16_t* options, std::string* out = nullptr, const char* pattern = nullptr)
    {
        testing::internal::CaptureStdout();
        int32_t result = FileSystem::MirrorDirectoryA(src.c_str(), dst.c_str(), pattern, options);
        std::string text = testing::internal::GetCapturedStdout();
        if (out)
            *out = text;
        return result;
    }

    TempDir tmp;
    std::string src = tmp / "src";
    std::string dst = tmp / "dst";
};

TEST_F(MirrorTest, MissingDirectories)
{
    uint16_t verbose = 0x0101;
    std::string out;
    std::string missing = tmp / "missing";
    testing::internal::CaptureStdout();
    EXPECT_EQ(FileSystem::MirrorDirectoryA(missing.c_str(), missing.c_str(), nullptr, &verbose), 2);
    EXPECT_EQ(FileSystem::MirrorDirectoryA(missing.c_str(), dst.c_str(), nullptr, &verbose), 3);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "invalid destination directoryinvalid source directory");  // no line ends
    EXPECT_EQ(FileSystem::MirrorDirectoryA(nullptr, dst.c_str(), nullptr, nullptr), 3);
}

TEST_F(MirrorTest, SecondRunCopiesNothing)
{
    uint16_t verbose = 0x0101;
    std::string out;
    EXPECT_EQ(Mirror(&verbose, &out), 0);
    for (const char* name : {"game.sv", "player.sv", "level1.ld"}) {
        EXPECT_EQ(tmp.Read(std::string("dst/") + name), tmp.Read(std::string("src/") + name));
        EXPECT_EQ(fs::last_write_time(tmp.Path() / "dst" / name), fs::last_write_time(tmp.Path() / "src" / name));
        EXPECT_NE(out.find(std::string(name) + "  *added*\n"), std::string::npos) << out;
    }
    // Hidden files, system entries and directories are not copied.
    EXPECT_FALSE(fs::exists(tmp.Path() / "dst/.hidden"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp.Path() / "dst/dangling")));
    EXPECT_FALSE(fs::exists(tmp.Path() / "dst/subdir"));

    // Mark a destination copy (same time as its source) so that a copy in the second run would show.
    tmp.Write("dst/player.sv", "marker");
    fs::last_write_time(tmp.Path() / "dst/player.sv", fs::last_write_time(tmp.Path() / "src/player.sv"));
    EXPECT_EQ(Mirror(&verbose, &out), 0);
    EXPECT_EQ(out.find("*added*"), std::string::npos) << out;
    EXPECT_NE(out.find("player.sv  *match*\n"), std::string::npos) << out;
    EXPECT_EQ(tmp.Read("dst/player.sv"), "marker");

    // A changed source file is copied again, even over a read-only copy.
    tmp.Write("src/game.sv", "game two");
    MakeReadOnly(tmp.Path() / "dst/game.sv");
    EXPECT_EQ(Mirror(&verbose, &out), 0);
    EXPECT_EQ(tmp.Read("dst/game.sv"), "game two");
    EXPECT_NE(out.find("game.sv  *added*\n"), std::string::npos) << out;
}

TEST_F(MirrorTest, ExtraFilesAndOptions)
{
    struct Case {
        const char* what;
        bool hasOptions;
        uint16_t options;
        bool extraRemoved;
    } cases[] = {
        {"no options: remove extra", false, 0, true},
        {"high byte set", true, 0x0100, true},
        {"high byte clear", true, 0x0001, false},
    };
    for (const Case& c : cases) {
        tmp.Write("dst/extra.sv", "extra");
        tmp.Write("dst/readonly.sv", "extra");
        MakeReadOnly(tmp.Path() / "dst/readonly.sv");
        tmp.Write("dst/.hiddenextra", "h");
        std::string out;
        EXPECT_EQ(Mirror(c.hasOptions ? &c.options : nullptr, &out), 0) << c.what;
        EXPECT_EQ(!fs::exists(tmp.Path() / "dst/extra.sv"), c.extraRemoved) << c.what;
        EXPECT_EQ(!fs::exists(tmp.Path() / "dst/readonly.sv"), c.extraRemoved) << c.what;
        EXPECT_TRUE(fs::exists(tmp.Path() / "dst/.hiddenextra")) << c.what;
        EXPECT_TRUE(fs::exists(tmp.Path() / "dst/game.sv")) << c.what;  // matched files are kept
        if (c.hasOptions && (c.options & 0xFF)) {
            EXPECT_EQ(out.find("*removed*"), std::string::npos);
        }
    }
    uint16_t verbose = 0x0101;
    tmp.Write("dst/extra.sv", "extra");
    std::string out;
    Mirror(&verbose, &out);
    EXPECT_NE(out.find("extra.sv  *removed*\n"), std::string::npos) << out;
}

TEST_F(MirrorTest, PatternLimitsCopyAndRemoval)
{
    tmp.Write("dst/old.sv", "old");
    tmp.Write("dst/old.txt", "keep");
    EXPECT_EQ(Mirror(nullptr, nullptr, "*.sv"), 0);
    EXPECT_TRUE(fs::exists(tmp.Path() / "dst/game.sv"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "dst/level1.ld"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "dst/old.sv"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "dst/old.txt"));
}

TEST_F(MirrorTest, OddNamesAndWidePaths)
{
    tmp.Write("src/back\\slash.sv", "b");
    tmp.Write("src/\xC3\xA4rger.sv", "u");
    tmp.Write("src/\x01control.sv", "c");
    fs::create_directory(tmp.Path() / "d\xC3\xBCst");
    std::u16string wideDest = fs::path(tmp.Path() / "d\xC3\xBCst").u16string();
    std::u16string wideSrc = fs::path(src).u16string();
    EXPECT_EQ(FileSystem::MirrorDirectory(wideSrc.c_str(), wideDest.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(tmp.Read("d\xC3\xBCst/back\\slash.sv"), "b");
    EXPECT_EQ(tmp.Read("d\xC3\xBCst/\xC3\xA4rger.sv"), "u");
    EXPECT_EQ(tmp.Read("d\xC3\xBCst/\x01control.sv"), "c");
    EXPECT_EQ(FileSystem::MirrorDirectory(wideSrc.c_str(), u"/no/such/dir", nullptr, nullptr), 2);
    const char16_t unpaired[] = {u'/', 0xD800, 0};
    EXPECT_EQ(FileSystem::MirrorDirectory(unpaired, wideDest.c_str(), nullptr, nullptr), 3);
}
