// GameCtrl data tables: the 3D object table and the check of its files, the type lookups by name,
// and the shader table that the server never reads.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/SceneObject.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

TEST(GameCtrlDataTablesTest, Open3dObjsAndCheckFiles)
{
    GameDir dir;
    GameCtrl ctrl;
    EXPECT_EQ(ErrorOf([&] { ctrl.Open3dObjs(); }).find("Can not open"), 0u);

    dir.Write("meshes/crate.3sc", "x");
    dir.Write("cfg/3dobjs.cfg", "#1\ndesc = \"crate\"\nsFile = \"meshes\\crate.3sc\"\n"
                                "#2\ndesc = \"barrel\"\nsFile = \"meshes\\barrel.3sc\"\n"
                                "#3\ndesc = \"lamp\"\nsFile = \"meshes\\Crate.3SC\"\n");
    ctrl.Open3dObjs();
    EXPECT_EQ(ctrl.Get3dObjReader().FindEntryByDesc("lamp"), 2);
    ASSERT_EQ(ctrl.Get3dObjPrototypes().size(), 3u);
    ASSERT_EQ(ctrl.Get3dObjUseStamps().size(), 3u);
    EXPECT_EQ(ctrl.Get3dObjPrototypes()[1], nullptr);
    ctrl.Get3dObjUseStamps()[1] = 7;
    ctrl.Open3dObjs();  // unchanged: the tables stay
    EXPECT_EQ(ctrl.Get3dObjUseStamps()[1], 7u);
    ctrl.Get3dObjReader().SetConstantTable(&ctrl.GetConstants());  // read again once the constants change
    ctrl.GetConstants().SetValue("X", 2);
    ctrl.Open3dObjs();
    EXPECT_EQ(ctrl.Get3dObjUseStamps()[1], 0u);

    {
        LogCapture log;
        EXPECT_EQ(ErrorOf([&] { ctrl.Check3dObjFiles(); }), "no error");
        EXPECT_EQ(log.Count("3dObj 'barrel' file 'meshes\\barrel.3sc' does not exist"), 1);
        EXPECT_EQ(log.Count("does not exist"), 1);  // the file is found whatever the case
    }

    dir.Write("cfg/3dobjs.cfg", "#1\ndesc = \"crate\"\nsFile = \"meshes\\crate.3sc\"\n#2\ndesc = \"rock\"\n");
    ctrl.Get3dObjReader().Load("cfg\\3dobjs.cfg");
    EXPECT_EQ(ErrorOf([&] { ctrl.Check3dObjFiles(); }), "3dObj 'rock' (nr 1) without 'sFile' entry");
}

TEST(GameCtrlDataTablesTest, TypeLookupsAndShaders)
{
    GameDir dir;
    dir.Write("objects.cfg", "#1\ndesc = \"crate\"\n#2\ndesc = \"lamp\"\n");
    dir.Write("walls.cfg", "#1\ndesc = \"stone\"\n");
    dir.Write("items.cfg", "#1\ndesc = \"Sword\"\n#2\ndesc = \"Shield\"\n");
    dir.Write("cfg/shaders.cfg", "#1\ndesc = \"broken\"\n");  // no "shader": an error where it is read
    GameCtrl ctrl;
    EXPECT_EQ(ctrl.FindWallTypeIndex("stone"), -1);  // nothing loaded yet
    ctrl.GetObjectCfgFiles().AddFile("objects.cfg");
    ctrl.GetWallCfgFiles().AddFile("walls.cfg");
    ctrl.LoadWorldObjectFiles();
    ctrl.OpenWallFiles();
    ctrl.GetItemReader().SetDescKey("desc");
    ASSERT_EQ(ctrl.GetItemReader().Load("items.cfg"), 0);

    EXPECT_EQ(ctrl.FindWorldObjectTypeIndex("lamp"), 1);
    EXPECT_EQ(ctrl.FindWorldObjectTypeIndex("stone"), -1);
    EXPECT_EQ(ctrl.FindWallTypeIndex("stone"), 0);
    EXPECT_EQ(ctrl.FindItemTypeIndex("Shield"), 1);
    EXPECT_EQ(ctrl.FindItemTypeIndex(""), -1);
    EXPECT_EQ(ctrl.FindItem("Shield", true), nullptr);  // no template items made yet
    EXPECT_EQ(ctrl.FindItem("Axe", false), nullptr);

    EXPECT_EQ(ErrorOf([&] { ctrl.LoadShaders(false); }), "no error");  // no graphics device: not read
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadShaders(true); }), "no error");
    EXPECT_EQ(SceneObject::s_BoneLimit, 26);
}
