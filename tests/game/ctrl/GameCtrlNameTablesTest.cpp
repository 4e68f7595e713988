// GameCtrl name tables: attachment points and object types by name, and the world-object kind of
// an entry.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

TEST(GameCtrlNameTablesTest, AttachPointsAndObjectTypes)
{
    GameCtrl ctrl;
    struct Case {
        const char* text;
        int32_t code;
    };
    const Case attach[] = {{"HEAD", 1}, {"head", 1}, {"Hand", 24}, {"none", 0},     {"hand_r", 7},
                           {"Calf_L", 18}, {"staff", 22}, {"shoulder", 25}, {"finger", 30}};
    for (const Case& c : attach)
        EXPECT_EQ(ctrl.ParseAttachPoint(c.text), c.code) << c.text;
    EXPECT_EQ(ErrorOf([&] { ctrl.ParseAttachPoint("arm"); }), "Unknown body part: 'arm'");
    EXPECT_EQ(ErrorOf([&] { ctrl.ParseAttachPoint(""); }), "Unknown body part: ''");

    const Case types[] = {{"Riddle", 10}, {"character", 1}, {"MONSTER", 2}, {"SmallChest", 4},
                          {"MainChar", 6}, {"none", 9},       {"chest", 0},   {"", 0}};
    LogCapture log;
    for (const Case& c : types)
        EXPECT_EQ(ctrl.ParseObjectType(c.text), c.code) << c.text;
    EXPECT_EQ(log.Total(), 0u);  // an unknown type is no fault
}

TEST(GameCtrlNameTablesTest, ItemTypeNeedsTypeKeyAndGivesTheKindCode)
{
    GameDir dir;
    dir.Write("objects.cfg", "#1\ndesc = \"lamp\"\ntype = \"light\"\n#2\ndesc = \"crate\"\n");
    GameCtrl ctrl;
    ctrl.GetObjectCfgFiles().AddFile("objects.cfg");
    ctrl.LoadWorldObjectFiles();
    EXPECT_EQ(ErrorOf([&] { ctrl.ReadItemType(1); }), "Item nr 1 without 'type' entry");
    EXPECT_EQ(ErrorOf([&] { ctrl.ReadItemType(0); }), "no error");
    EXPECT_EQ(ctrl.ReadItemType(0), 100);  // the kind code of "light"
}
