// MissionLogGui: entries of the four kinds with a book never twice, the first new entry until the
// window opens, and its block of the saved game: golden bytes, the old block without its leading
// word, skipped entries, and cut or lying blocks that are the file's errors.
#include "game/gui/MissionLogGui.h"

#include "base/File.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ByteBuilder SavedLog()
{
    ByteBuilder block;
    block.I32(1).I32(3).I32(0).Str("q_news").I32(1).Str("q_main").I32(3).Str("book1");
    return block;
}

}  // namespace

TEST(MissionLogGuiTest, EntriesAndTheFirstNewOne)
{
    MissionLogGui log;
    EXPECT_EQ(log.GetSelected(), -1);
    log.AddEntry(MissionLogGui::kBook, String("book1"));
    log.AddEntry(MissionLogGui::kNews, String("q_news"));
    log.AddEntry(MissionLogGui::kBook, String("book1"));  // a book is kept once
    log.AddEntry(MissionLogGui::kNews, String("q_news"));  // news as often as it comes
    ASSERT_EQ(log.GetEntryCount(), 3);
    EXPECT_EQ(log.GetEntry(2).kind, MissionLogGui::kNews);
    EXPECT_EQ(log.GetSelected(), 0);
    log.SetOpenState(true);  // opened: nothing is new any more
    EXPECT_EQ(log.GetSelected(), -1);
    log.AddEntry(MissionLogGui::kMission, String("q_main"));
    EXPECT_EQ(log.GetSelected(), 3);
    log.SetOpenState(false);
    log.AddEntry(MissionLogGui::kItem, String("Medkit"));
    EXPECT_EQ(log.GetSelected(), 3);  // the oldest new one stays
    log.Clear();
    EXPECT_EQ(log.GetEntryCount(), 0);
    EXPECT_EQ(log.GetSelected(), -1);
}

TEST(MissionLogGuiTest, SavedBlockRoundTrips)
{
    MissionLogGui log;
    log.AddEntry(MissionLogGui::kNews, String("q_news"));
    log.SetOpenState(true);
    log.SetOpenState(false);
    log.AddEntry(MissionLogGui::kMission, String("q_main"));
    log.AddEntry(MissionLogGui::kBook, String("book1"));
    File out;
    out.CreateMemoryFile(0);
    log.Save(out);
    EXPECT_EQ(BytesOf(out), SavedLog().bytes);

    const struct {
        uint16_t version;
        ByteBuilder block;
        int32_t selected;
    } cases[] = {
        {275, SavedLog(), 1},
        {0xFFFF, SavedLog(), 1},
        {252, ByteBuilder().I32(2).I32(1).Str("a").I32(2).Str("Medkit"), 0},  // no leading word
        {253, ByteBuilder().I32(-1).I32(1).I32(0).Str("a"), 0},  // re-added: the first is new
    };
    for (const auto& test : cases) {
        MissionLogGui loaded;
        loaded.AddEntry(MissionLogGui::kNews, String("old"));
        File in;
        test.block.Into(in);
        in.SetVersion(test.version);
        loaded.Load(in, false);
        EXPECT_EQ(in.GetRemaining(), 0) << test.version;
        EXPECT_EQ(loaded.GetSelected(), test.selected) << test.version;
        EXPECT_NE(loaded.GetEntry(0).key, String("old")) << test.version;
    }
    MissionLogGui loaded;
    File in;
    SavedLog().Into(in);
    loaded.Load(in, false);
    ASSERT_EQ(loaded.GetEntryCount(), 3);
    EXPECT_EQ(loaded.GetEntry(1).kind, MissionLogGui::kMission);
    EXPECT_STREQ(loaded.GetEntry(2).key.c_str(), "book1");

    // Skipped: read past, the log unchanged.
    MissionLogGui kept;
    kept.AddEntry(MissionLogGui::kNews, String("mine"));
    SavedLog().Into(in);
    kept.Load(in, true);
    EXPECT_EQ(in.GetRemaining(), 0);
    ASSERT_EQ(kept.GetEntryCount(), 1);
    EXPECT_STREQ(kept.GetEntry(0).key.c_str(), "mine");
    ByteBuilder().I32(1).I32(0).Str("a").Into(in);
    in.SetVersion(252);
    kept.Load(in, true);  // an old save's log starts empty, skipped or not
    EXPECT_EQ(in.GetRemaining(), 0);
    EXPECT_EQ(kept.GetEntryCount(), 0);
}

TEST(MissionLogGuiTest, CutAndLyingBlocksAreErrors)
{
    ByteBuilder shortByOne = SavedLog();
    shortByOne.bytes.pop_back();
    const struct {
        const char* what;
        ByteBuilder block;
        const char* error;
    } cases[] = {
        {"empty", ByteBuilder(), "before its first word"},
        {"no count", ByteBuilder().I32(-1), "before its entry count"},
        {"huge count", ByteBuilder().I32(-1).I32(0x7FFFFFFF), "entry count 2147483647 exceeds"},
        {"negative count", ByteBuilder().I32(-1).I32(-1), "entry count -1 exceeds"},
        {"one byte short", shortByOne, "entry 2 is cut short"},
    };
    for (const auto& test : cases) {
        MissionLogGui log;
        log.AddEntry(MissionLogGui::kNews, String("kept"));
        File in;
        test.block.Into(in);
        EXPECT_NE(ErrorOf([&] { log.Load(in, false); }).find(test.error), std::string::npos) << test.what;
        ASSERT_EQ(log.GetEntryCount(), 1) << test.what;  // nothing half-read stays
        EXPECT_STREQ(log.GetEntry(0).key.c_str(), "kept");
    }
}
