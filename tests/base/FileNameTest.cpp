// FileName: bounded copies and the path operations, with "\" and "/" as separators.
#include "base/FileName.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FileNameTest, SafeStrCopy)
{
    struct Case {
        const char* source;
        int32_t size;
        int32_t result;
        const char* stored;
    } cases[] = {
        {"ab", 5, 3, "ab"},         {"abc", 5, 1, "abc"}, {"abcdefghij", 5, 1, "abc"},
        {"", 5, 1, ""},             {"a", 2, 1, ""},      {"a", 1, 1, ""},
        {"abc", 0, 1, nullptr},     {"abc", -4, 1, nullptr},  {"", INT32_MIN, 1, nullptr},
    };
    for (const Case& c : cases) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        char* destination = buffer + 4;  // guard bytes on both sides
        EXPECT_EQ(SafeStrCopy(destination, c.source, c.size), c.result) << c.source << " " << c.size;
        if (c.stored) {
            EXPECT_STREQ(destination, c.stored) << c.source << " " << c.size;
        }
        for (int i = 0; i < 16; ++i) {
            if (i < 4 || i >= 4 + std::max(c.size, 0)) {
                EXPECT_EQ(buffer[i], '#') << c.source << " " << c.size << " byte " << i;
            }
        }
    }
    char buffer[4];
    EXPECT_EQ(SafeStrCopy(nullptr, "a", 4), -1);
    EXPECT_EQ(SafeStrCopy(buffer, nullptr, 4), -1);
}

TEST(FileNameTest, PathParts)
{
    struct Case {
        const char* path;
        const char* directory;      // GetPathDirectory
        const char* directoryPart;  // GetDirectoryPart
        const char* name;           // GetFileNameFromPath without extension
        const char* nameWithExt;
        const char* replaced;  // ReplaceExtension with "png"
    } cases[] = {
        {"cfg\\game.cfg", "cfg", "cfg\\", "game", "game.cfg", "cfg\\game.png"},
        {"a/b.dir\\file", "a/b.dir", "a/b.dir\\", "file", "file", "a/b.dir\\file.png"},
        {"plain.tar.gz", "", "", "plain.tar", "plain.tar.gz", "plain.tar.png"},
        {"dir/", "dir", "dir/", "", "", "dir/.png"},
        {"", "", "", "", "", ".png"},
    };
    for (const Case& c : cases) {
        String out;
        GetPathDirectory(c.path, out);
        EXPECT_STREQ(out.c_str(), c.directory) << c.path;
        GetDirectoryPart(String(c.path), out);
        EXPECT_STREQ(out.c_str(), c.directoryPart) << c.path;
        GetFileNameFromPath(c.path, out, false);
        EXPECT_STREQ(out.c_str(), c.name) << c.path;
        GetFileNameFromPath(c.path, out, true);
        EXPECT_STREQ(out.c_str(), c.nameWithExt) << c.path;
        ReplaceExtension(String(c.path), out, String("png"));
        EXPECT_STREQ(out.c_str(), c.replaced) << c.path;
    }
    String out;
    ReplaceExtension(String("a.b\\c"), out, String(""));
    EXPECT_STREQ(out.c_str(), "a.b\\c.");

    struct Resolve {
        const char* path;
        const char* base;
        const char* result;
    } resolves[] = {
        {"C:\\tex\\a.dds", "textures\\list.ifl", "C:\\tex\\a.dds"},
        {"\\abs.dds", "textures\\list.ifl", "\\abs.dds"},
        {"a.dds", "textures\\list.ifl", "textures\\a.dds"},
        {"a.dds", "list.ifl", "a.dds"},
        {"", "textures/list.ifl", "textures/"},
    };
    for (const Resolve& r : resolves) {
        ResolveRelativePath(String(r.path), out, String(r.base));
        EXPECT_STREQ(out.c_str(), r.result) << r.path;
    }

    char path[kPathBufferSize] = "old\\dir\\scene.3sc";
    ReplacePathDirectory(path, "levels");
    EXPECT_STREQ(path, "levels\\scene.3sc");
    std::string longDirectory(300, 'd');
    ReplacePathDirectory(path, longDirectory.c_str());
    EXPECT_EQ(std::strlen(path), size_t(kPathBufferSize - 1));
}

TEST(FileNameTest, ReadFileToString)
{
    TempDir dir;
    std::string path = dir("Text.TXT");
    TempDir::WriteAll(path, {'o', 'n', 'e', '\n'});
    String text("old");
    EXPECT_TRUE(ReadFileToString(text, dir("text.txt").c_str()));  // any letter case
    EXPECT_STREQ(text.c_str(), "one\n");
    EXPECT_FALSE(ReadFileToString(text, dir("missing.txt").c_str()));
    EXPECT_TRUE(text.IsEmpty());
}
