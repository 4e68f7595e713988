// SciFiGameCtrl: the game's item file read once per change, its equipment slot names, and the
// sample game's items, sounds and 3D objects loading without a warning.
#include "scifi/SciFiGameCtrl.h"

#include "base/Log.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "game/objects/ItemObj.h"

#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(SciFiGameCtrlTest, ItemsFileAndEquipmentTypes)
{
    Log::Write("item file test");  // the log stays where the test started
    TempDir dir;
    ScopedCurrentDir current(dir.Path());
    dir.Write("cfg/items.cfg", "#1\ndesc = \"Sword\"\nimg = \"s.dds\"\nEquipmentType = \"WEAPON\"\n"
                               "#2\ndesc = \"Socket\"\nimg = \"s.dds\"\nEquipmentType = \"head_socket\"\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadGeneralItems();
    ASSERT_EQ(ctrl.GetItemTable().size(), 2u);
    EXPECT_EQ(ctrl.FindItem("Sword", false)->m_EquipmentType, 0);
    EXPECT_EQ(ctrl.FindItem("Socket", false)->m_EquipmentType, 201);
    ctrl.FindItem("Sword", false)->m_Might = 9.0f;
    ctrl.LoadGeneralItems();  // unchanged: not read again
    EXPECT_FLOAT_EQ(ctrl.FindItem("Sword", false)->m_Might, 9.0f);

    dir.Write("cfg/items.cfg", "#1\ndesc = \"Sword\"\nimg = \"s.dds\"\n#2\ndesc = \"Hat\"\nimg = \"h.dds\"\n"
                               "EquipmentType = \"hat\"\n");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadGeneralItems(); }), "Unknown equipment type: 'hat'");
    EXPECT_TRUE(ctrl.GetItemTable().empty());  // no half-read table
    EXPECT_EQ(ctrl.FindItem("Sword", false), nullptr);

    const struct {
        const char* name;
        int16_t code;
    } types[] = {{"all", 100}, {"None", -1}, {"body", 2}, {"potion2", 103}, {"gold", 101}, {"cap", -1}};
    for (const auto& type : types)
        EXPECT_EQ(ctrl.GetEquipmentType(type.name, false), type.code) << type.name;
}

TEST(SciFiGameCtrlTest, SampleGameDataLoadsWithoutWarning)
{
    Log::Write("loading the sample game data");
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGfx gfx;
    LogCapture log;
    {
        SciFiGameCtrl ctrl;
        ctrl.GetObjectCfgFiles().AddFile("cfg\\objects.cfg");
        ctrl.LoadGeneralItems();
        ctrl.LoadSounds();
        ctrl.Check3dObjFiles();
        ctrl.SetDebugMode(1);  // the references between items and world objects are checked
        ctrl.LoadWorldObjectFiles();
        for (int32_t i = 0; i < ctrl.Get3dObjReader().GetNumEntries(); ++i)
            ASSERT_NE(ctrl.Load3dObjs(i, false), nullptr);

        const ItemBase* gold = ctrl.FindItem("Gold Coins", false);
        ASSERT_NE(gold, nullptr);
        EXPECT_EQ(gold->m_ItemName, "DB:Gold Coins");
        EXPECT_EQ(gold->m_EquipmentType, 101);
        EXPECT_EQ(gold->GetMoneyPerItem(), 1);
        EXPECT_EQ(gold->m_Pile, 100000);
        EXPECT_EQ(ctrl.GetItemWorldObject(gold->m_ObjID, nullptr, nullptr, nullptr),
                  ctrl.Get3dObjReader().FindEntryByDesc("coins"));
        const ItemObj* crate = ctrl.Load3dObjs(ctrl.Get3dObjReader().FindEntryByDesc("crate"), false);
        EXPECT_FLOAT_EQ(crate->GetScene()->aniRange, 1.0f);  // frames 0 to 30 at 30 per second
        EXPECT_FLOAT_EQ(crate->m_Radius, 40.0f);
    }
    EXPECT_EQ(log.Count("Sounds loaded"), 1);
    EXPECT_EQ(log.Count("General Items loaded"), 1);
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);

    // The crate's text export reads like a scene file: its box and its lid with their faces.
    DXC_3dScene scene;
    gfx.gfx.LoadScene(&scene, "meshes\\crate.rtx", 0);
    EXPECT_EQ(scene.GetMeshCount(), 2);
    ASSERT_NE(scene.FindMesh("Lid", false), nullptr);
    DXC_AniCycle cycle;
    gfx.gfx.ReadSceneFileHeader(&cycle, "meshes\\crate.rtx", -1.0f, -1.0f);
    EXPECT_DOUBLE_EQ(cycle.GetAniDuration(), 1.0);
    EXPECT_EQ(log.Count("Warning"), 0);
}
