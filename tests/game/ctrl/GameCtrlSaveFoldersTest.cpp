// GameCtrl save-game folders: paths by type, deleting saved levels and the working folder, file
// names for typed names, the auto-save request and the world's pending requests.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

bool Exists(const GameDir& dir, const char* name) { return std::filesystem::exists(dir.Path() / name); }

}  // namespace

TEST(GameCtrlSaveFoldersTest, SavegamePathByType)
{
    GameCtrl ctrl;
    ctrl.SetSavegameBaseDir("save\\");
    const struct {
        int32_t type;
        const char* path;
    } cases[] = {{5, "save\\save 5\\"}, {12, "save\\save12\\"}, {99, "save\\save99\\"}, {0, "save\\quick\\"},
                 {-1, "save\\current\\"}, {-2, "save\\current\\"}, {-3, "save\\"}};
    for (const auto& c : cases)
        EXPECT_STREQ(ctrl.GetSavegamePath(c.type).c_str(), c.path) << c.type;
    for (int32_t bad : {100, -4})
        EXPECT_NE(ErrorOf([&] { ctrl.GetSavegamePath(bad); }).find("Invalid savegame type: " + std::to_string(bad)),
                  std::string::npos);
}

TEST(GameCtrlSaveFoldersTest, MakeFileNameKeepsSafeCharactersAndEncodesOthers)
{
    const char16_t kept[] = u"Ab 1_-";
    EXPECT_STREQ(GameCtrl::MakeFileName(kept, 6).c_str(), "Ab 1_-");
    const char16_t accented[] = {233, u'x', 0x3FF, 0x8000};  // 233 = 9 + 7*32; 0x8000 keeps only bits 0-9
    EXPECT_STREQ(GameCtrl::MakeFileName(accented, 4).c_str(), "jhx55aa");
    EXPECT_STREQ(GameCtrl::MakeFileName(kept, 0).c_str(), "");
}

TEST(GameCtrlSaveFoldersTest, DeletingSavedLevelsAndTheWorkingFolder)
{
    GameDir dir;
    dir.Write("save/save 1/a.ld", "1");
    dir.Write("save/save 1/b.LD", "2");
    dir.Write("save/save 1/keep.txt", "3");
    dir.Write("save/current/c.ld", "4");
    dir.Write("save/curren/keep.ld", "5");  // what a name cut one character short would hit
    GameCtrl ctrl;
    ctrl.SetSavegameBaseDir("save\\");
    ctrl.DeleteSavedLevels(1);
    EXPECT_FALSE(Exists(dir, "save/save 1/a.ld"));
    EXPECT_TRUE(Exists(dir, "save/save 1/keep.txt"));
    ctrl.DeleteSavedLevels(7);  // no such folder: nothing to do

    ctrl.SetSaveMode(1);
    ctrl.DeleteWorkingSaveFolder();
    EXPECT_TRUE(Exists(dir, "save/current/c.ld"));
    ctrl.SetSaveMode(0);
    ctrl.DeleteWorkingSaveFolder();
    EXPECT_FALSE(Exists(dir, "save/current"));
    EXPECT_TRUE(Exists(dir, "save/curren/keep.ld"));
    EXPECT_TRUE(Exists(dir, "save/save 1"));
}

TEST(GameCtrlSaveFoldersTest, AutoSaveRequestNeedsSixtySeconds)
{
    GameDir dir;
    GameCtrl ctrl;
    const uint8_t autoSave = g_Options.autoSave;
    g_Options.autoSave = 0;
    ctrl.SetGameTime(100.0);
    ctrl.RequestAutoSave(0);  // option off, not forced
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    ctrl.OnAutoSaveDone();  // last save at 100
    ctrl.SetGameTime(159.9);
    ctrl.RequestAutoSave(1);
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    ctrl.SetGameTime(160.0);
    ctrl.SetSaveMode(1);
    ctrl.RequestAutoSave(1);
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    ctrl.SetSaveMode(0);
    ctrl.RequestAutoSave(1);
    EXPECT_TRUE(ctrl.IsAutoSaveRequested());

    // No main character on a plain controller: the request waits.
    ctrl.ProcessPendingRequests();
    EXPECT_TRUE(ctrl.IsAutoSaveRequested());
    g_Options.autoSave = autoSave;
}

TEST(GameCtrlSaveFoldersTest, WorldRequestsEndTheGameOnlyForTheirCodes)
{
    GameDir dir;
    GameCtrl ctrl;
    ctrl.AddByteEvent(1);  // type 18, value 1: code 4
    EXPECT_EQ(ctrl.ProcessPendingRequests(), 4);
    EXPECT_FALSE(ctrl.IsEndOfGameRequested());
    EXPECT_EQ(ctrl.GetHoldCounter(), 0);

    ctrl.PostByteEventAndHold(2);  // type 17, value 2: code 5
    EXPECT_EQ(ctrl.GetHoldCounter(), 1);
    ctrl.ReleaseHeldFrame();
    EXPECT_EQ(ctrl.ProcessPendingRequests(), 5);
    EXPECT_TRUE(ctrl.IsEndOfGameRequested());
    EXPECT_EQ(ctrl.GetEndReason(), 2);
    EXPECT_EQ(ctrl.GetHoldCounter(), 1);

    ctrl.PostByteEventAndHold(1);
    EXPECT_EQ(ctrl.ProcessPendingRequests(), 3);
    EXPECT_EQ(ctrl.GetEndReason(), 1);
}

TEST(GameCtrlSaveFoldersTest, LevelSaveFileBeginsWithItsVersionAndFailsLoudly)
{
    GameDir dir;
    dir.Write("save/current/old.txt", "");
    GameCtrl ctrl;
    ctrl.SetSavegameBaseDir("save\\");
    ctrl.SetLevelDescFile("levels\\sample\\Sample.Level.cfg");
    ASSERT_TRUE(ctrl.SaveLevel(-1));
    File file;
    ASSERT_TRUE(file.Open("save\\current\\Sample.Level.ld"));
    uint16_t version = 0;
    ASSERT_TRUE(file.ReadInt16(&version));
    EXPECT_EQ(version, 275);
    file.Close();

    LogCapture log;
    EXPECT_FALSE(ctrl.SaveLevel(3));  // "save\save 3\" does not exist
    EXPECT_EQ(log.Count("Level not saved: 'save\\save 3\\Sample.Level.ld'"), 1);
}
