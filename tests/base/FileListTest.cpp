// FileList: adding, finding with either slash, the always-add switch, the name log and the file-list text.
#include "base/FileList.h"

#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(FileListTest, AddFromText)
{
    struct Case {
        const char* text;
        std::vector<std::string> names;  // in the list afterwards
        const char* error;
    };
    const std::string longName(FileList::kMaxNameLength, 'a');
    const std::string tooLong = longName + "a";
    const Case cases[] = {
        {"a.cfg; 'b/c.cfg' ;  d.cfg", {"a.cfg", "b\\c.cfg", "d.cfg"}, "no error"},
        {"a.cfg;a.cfg;'A.cfg'", {"a.cfg", "A.cfg"}, "no error"},  // the name index holds each name once
        {"x.cfg;'open.cfg", {"x.cfg", "open.cfg"}, "no error"},   // the quote never closes: taken at the end
        {"", {}, "no error"},
        {" ;\t;; \r\n", {}, "no error"},
        {"first.cfg;two words.cfg", {"first.cfg"}, "Invalid character in file list: 32"},
        {"a.cfg;b'c.cfg", {"a.cfg"}, "Invalid bracket in file list"},
        {"'a.cfg;b.cfg'", {}, "Unclosed bracket in file list"},
        {"ok.cfg;'bad,name'", {"ok.cfg"}, "Invalid character in file list: 44"},
        {longName.c_str(), {longName}, "no error"},
        {tooLong.c_str(), {}, "Name longer than 8191 characters in file list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text).substr(0, 40));
        FileList list;
        EXPECT_EQ(ErrorOf([&] { list.AddFromText(c.text); }), c.error);
        std::vector<std::string> names;
        for (int32_t i = 0; i < list.GetCount(); ++i)
            names.push_back(list.GetName(i).c_str());
        EXPECT_EQ(names, c.names);
    }

    FileList always;
    always.SetAlwaysAdd(true);
    always.AddFromText("a.cfg;a.cfg;'a.cfg");
    EXPECT_EQ(always.GetCount(), 3);
}
