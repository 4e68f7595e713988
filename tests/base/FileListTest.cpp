// FileList: adding, finding with either slash, the always-add switch and the name log.
#include "base/FileList.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(FileListTest, RegisterFindsBothSlashes)
{
    TempDir dir;
    FileList list;
    std::string log = dir("loaded.txt");
    list.SetLogFileName(log.c_str());
    EXPECT_EQ(RegisterLoadedFile(&list, String("cfg/items.cfg")), 0);
    EXPECT_EQ(RegisterLoadedFile(&list, String("cfg\\items.cfg")), 0);
    EXPECT_EQ(RegisterLoadedFile(&list, String("cfg\\skills.cfg")), 1);
    EXPECT_EQ(list.FindFile(String("cfg/skills.cfg")), 1);
    EXPECT_EQ(list.FindFile(String("cfg/none.cfg")), -1);
    EXPECT_STREQ(list.GetName(0).c_str(), "cfg\\items.cfg");

    list.SetAlwaysAdd(true);
    EXPECT_EQ(RegisterLoadedFile(&list, String("cfg/items.cfg")), 2);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.FindFile(String("cfg\\items.cfg")), 0);
    EXPECT_EQ(RegisterLoadedFile(nullptr, String("x")), -1);

    auto bytes = TempDir::ReadAll(log);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "cfg\\items.cfg\ncfg\\skills.cfg\ncfg\\items.cfg\n");
}

TEST(FileListTest, GetFileIDAndAddMissing)
{
    FileList list;
    EXPECT_EQ(list.GetFileID(String("a/b.cfg")), 0);
    EXPECT_EQ(list.GetFileID(String("a\\b.cfg")), 0);
    FileList other;
    other.AddFile(String("c.cfg"));
    other.AddFile(String("a/b.cfg"));
    other.AddFile(String("d.cfg"));
    list.AddMissing(other);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_STREQ(list.GetName(1).c_str(), "c.cfg");
    EXPECT_STREQ(list.GetName(2).c_str(), "d.cfg");
    list.SetAlwaysAdd(true);
    EXPECT_EQ(list.GetFileID(String("c.cfg")), 3);
}
