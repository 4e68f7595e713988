// GameCtrl unlocked videos: the count kept in "cfg\gamesavedata.cfg", created for a fresh
// installation, raised only, never for a test character, and the list of sequences it gives.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/GameCtrlTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(GameCtrlSaveDataTest, CountIsRaisedAndKept)
{
    GameDir dir;
    std::filesystem::create_directories(dir("cfg"));
    GameCtrl ctrl;
    ctrl.LoadGameSaveData(3);  // a fresh installation: "UnlockedVideos=1" first, then the count
    EXPECT_EQ(dir.Read("cfg/gamesavedata.cfg"), "UnlockedVideos=3\r\n");
    auto& videos = ctrl.GetUnlockedVideos();
    ASSERT_EQ(videos.GetSize(), 3);
    EXPECT_EQ(videos.GetAt(0)->fileName, String("sequences\\intro.ogv"));
    EXPECT_EQ(String(videos.GetAt(2)->title), "DBErr:videos,seq3");  // the title of its id

    ctrl.LoadGameSaveData(5);
    dir.Write("cfg/gamesavedata.cfg", "; kept\r\nUnlockedVideos=5\r\n");
    ctrl.LoadGameSaveData(3);  // not above the 5 unlocked: neither file nor list change
    ctrl.LoadGameSaveData(5);
    EXPECT_EQ(dir.Read("cfg/gamesavedata.cfg"), "; kept\r\nUnlockedVideos=5\r\n");
    EXPECT_EQ(videos.GetSize(), 5);

    ctrl.GetSettings().testChar = 1;  // a test character unlocks nothing
    ctrl.LoadGameSaveData(8);
    EXPECT_EQ(videos.GetSize(), 5);
    ctrl.GetSettings().testChar = 0;
    ctrl.LoadGameSaveData(8);
    EXPECT_EQ(dir.Read("cfg/gamesavedata.cfg"), "; kept\r\nUnlockedVideos=8\r\n");
    ASSERT_EQ(videos.GetSize(), 8);
    EXPECT_EQ(videos.GetAt(7)->fileName, String("sequences\\outro.ogv"));
}

TEST(GameCtrlSaveDataTest, ListOfTheFirstSequences)
{
    GameCtrl ctrl;
    const struct {
        int32_t count;
        int32_t size;
    } cases[] = {{1, 1}, {8, 8}, {9, 0}, {0, 0}, {-1, 0}};
    for (const auto& c : cases) {
        ctrl.BuildUnlockedVideos(4);
        ctrl.BuildUnlockedVideos(c.count);
        EXPECT_EQ(ctrl.GetUnlockedVideos().GetSize(), c.size) << c.count;
    }
    EXPECT_EQ(ctrl.GetUnlockedVideos().GetSize(), 0);
}
