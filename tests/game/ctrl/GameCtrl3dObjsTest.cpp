// GameCtrl 3D objects: prototypes built once and copied, the server's header-only load, the keys
// of a 3D object entry and of a world object entry, random start times, failed builds and the
// release of the prototypes used longest ago.
#include "game/ctrl/GameCtrl.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/ItemObj.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A game directory with the model (fixture "box.rtx": two meshes, one of them walkable, one second
// of animation) and a 3D object file of the given entries.
struct ObjectsGame {
    explicit ObjectsGame(const std::string& entries)
    {
        CopyFixture(dir, "box.rtx", "meshes/box.rtx");
        dir.Write("cfg/3dobjs.cfg", entries);
        ctrl = std::make_unique<GameCtrl>();
    }
    GameDir dir;
    ScopedGfx gfx;
    std::unique_ptr<GameCtrl> ctrl;
};

std::string Entry(const char* desc, const std::string& keys)
{
    return std::string("#") + desc + "\ndesc = \"" + desc + "\"\nsFile = \"meshes\\box.rtx\"\n" + keys;
}

}  // namespace

TEST(GameCtrl3dObjsTest, PrototypeBuiltOnceAndCopied)
{
    ObjectsGame game(Entry("crate", "") + Entry("lamp", "LoadOnNetworkServer = 1\nsFileBack = \"meshes\\box.rtx\"\n"));
    GameCtrl& ctrl = *game.ctrl;
    ItemObj* first = ctrl.Load3dObjs(0, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ctrl.Get3dObjUseStamps()[0], 1u);
    EXPECT_EQ(ctrl.Load3dObjs(0, false), first);  // built once
    EXPECT_EQ(ctrl.Get3dObjUseStamps()[0], 2u);   // but stamped at every request
    EXPECT_EQ(first->m_3dObjIndex, 0);
    EXPECT_EQ(String(first->m_SceneFile), "meshes\\box.rtx");

    // Without "LoadOnNetworkServer" only the header is read: no meshes, the file's range kept.
    ASSERT_NE(first->GetScene(), nullptr);
    EXPECT_EQ(first->GetScene()->GetMeshCount(), 0);
    EXPECT_FLOAT_EQ(first->GetScene()->aniRange, 1.0f);
    EXPECT_FLOAT_EQ(first->m_OpenTime, 1.0f);  // "acPoint1" defaults to the scene's end
    EXPECT_EQ(first->m_SceneEntry, -1);
    EXPECT_EQ(first->m_FloorObject, 0);

    const ItemObj* lamp = ctrl.Load3dObjs(1, false);
    EXPECT_EQ(lamp->GetScene()->GetMeshCount(), 2);
    EXPECT_EQ(lamp->m_SceneEntry, 1);
    EXPECT_EQ(lamp->m_FloorObject, 2);  // a mesh named "FloorObject..." is walkable
    ASSERT_NE(lamp->m_BackScene, nullptr);
    EXPECT_EQ(lamp->m_BackScene->GetMeshCount(), 2);
    EXPECT_EQ(lamp->m_BackScene->activeCamera, -1);
    EXPECT_EQ(ctrl.Get3dObjUseStamps()[1], 3u);

    std::unique_ptr<ItemObj> copy(ctrl.Load3dObjs(0, true));
    ASSERT_NE(copy.get(), first);
    EXPECT_EQ(copy->GetScene(), first->GetScene());  // the copy shows the prototype's scene
    ctrl.Get3dObjPrototypes()[0].reset();            // freed while the copy lives
    EXPECT_EQ(copy->m_OwnedScene.use_count(), 1);
    EXPECT_FLOAT_EQ(copy->GetScene()->aniRange, 1.0f);
}

TEST(GameCtrl3dObjsTest, EntryKeys)
{
    const float itemScale = g_Options.itemScale;
    g_Options.itemScale = 2.0f;
    ObjectsGame game(Entry("plain", "") +
                     Entry("keyed", "scale = 5\nscale3d = -1, 1, 1\nsize = 10\nheight = 3\nacSpd = 0.5\n"
                                    "acPoint0 = 0.25\nacPoint1 = 0.75\nacCycle = 1\nacStart = 0.5\nBackDraw = 2\n"
                                    "solid = 0\nopacity = 0.5\nCenterObj = \"Mid\"\nCenterPos = 1, 2, 3\n"
                                    "shader = \"metal\"\nfParam2 = 0.5\nvParam8 = 1, 2, 3\nAlphaThreshold = 300\n"
                                    "sysmem = 1\n"));
    GameCtrl& ctrl = *game.ctrl;
    const ItemObj* plain = ctrl.Load3dObjs(0, false);
    EXPECT_FLOAT_EQ(plain->m_Radius, 64.0f);  // no "size": 32 x ItemScale
    EXPECT_FLOAT_EQ(plain->m_Scale[0], 2.0f);
    EXPECT_EQ(plain->m_Solid, 1);
    EXPECT_EQ(plain->m_RenderData->floatParamSet[0], 0);

    const ItemObj* keyed = ctrl.Load3dObjs(1, false);
    g_Options.itemScale = itemScale;
    // Only the signs of "scale3d" count: the first axis is mirrored, the scale stays ItemScale.
    EXPECT_FLOAT_EQ(keyed->m_Mirror[0], -1.0f);
    EXPECT_FLOAT_EQ(keyed->m_Mirror[1], 1.0f);
    EXPECT_FLOAT_EQ(keyed->m_Mirror[2], 1.0f);
    EXPECT_FLOAT_EQ(keyed->m_Scale[0], 2.0f);
    EXPECT_FLOAT_EQ(keyed->m_Radius, 20.0f);
    EXPECT_FLOAT_EQ(keyed->GetOwnHeight(), 6.0f);
    EXPECT_FLOAT_EQ(keyed->m_AniSpeed, 0.5f);
    EXPECT_FLOAT_EQ(keyed->m_ClosedTime, 0.25f);
    EXPECT_FLOAT_EQ(keyed->m_OpenTime, 0.75f);
    EXPECT_EQ(keyed->m_LoopAni, 1);
    EXPECT_DOUBLE_EQ(keyed->m_AniStart, 0.5);
    EXPECT_FLOAT_EQ(keyed->m_BackDraw, 2.0f);
    EXPECT_EQ(keyed->m_Solid, 0);
    EXPECT_FLOAT_EQ(keyed->m_Opacity, 0.5f);
    EXPECT_EQ(keyed->m_RenderData->centerObj, "Mid");
    EXPECT_FLOAT_EQ(keyed->m_RenderData->centerPos[2], 3.0f);
    EXPECT_EQ(keyed->m_ShaderName, "metal");
    EXPECT_EQ(keyed->m_RenderData->floatParamSet[1], 1);
    EXPECT_FLOAT_EQ(keyed->m_RenderData->floatParams[1], 0.5f);
    EXPECT_EQ(keyed->m_RenderData->vectorParamSet[7], 1);
    EXPECT_FLOAT_EQ(keyed->m_RenderData->vectorParams[7][2], 3.0f);
    EXPECT_EQ(keyed->m_Graphics.alphaThreshold, 44);  // 300 truncated to 8 bits
}

TEST(GameCtrl3dObjsTest, RandomStartCopies)
{
    ObjectsGame game(Entry("fan", "acPoint0 = 0.2\nacPoint1 = 0.8\nacRndStart = 1\n") +
                     Entry("door", "acPoint0 = 0.2\nacPoint1 = 0.8\nacRndStart = 1\nacStart = 0.3\n"));
    GameCtrl& ctrl = *game.ctrl;
    bool different = false;
    double previous = -1.0;
    for (int i = 0; i < 8; ++i) {
        std::unique_ptr<ItemObj> copy(ctrl.Load3dObjs(0, true));
        EXPECT_GE(copy->m_AniStart, 0.2 - 1e-6);
        EXPECT_LE(copy->m_AniStart, 0.8 + 1e-6);
        different = different || (previous >= 0.0 && copy->m_AniStart != previous);
        previous = copy->m_AniStart;
    }
    EXPECT_TRUE(different);
    std::unique_ptr<ItemObj> door(ctrl.Load3dObjs(1, true));  // "acStart" ends the random start
    EXPECT_DOUBLE_EQ(door->m_AniStart, 0.3f);
}

TEST(GameCtrl3dObjsTest, FaultsLeaveNoPrototype)
{
    ObjectsGame game("#1\ndesc = \"rock\"\n#2\ndesc = \"gone\"\nsFile = \"meshes\\gone.rtx\"\n" +
                     Entry("box", ""));
    GameCtrl& ctrl = *game.ctrl;
    EXPECT_EQ(ErrorOf([&] { ctrl.Load3dObjs(0, false); }), "3dObj 'rock' (nr 0) without 'sFile' entry");
    EXPECT_EQ(DxcErrorOf([&] { ctrl.Load3dObjs(1, false); }), "Can not open file: 'meshes\\gone.rtx'");
    EXPECT_EQ(ctrl.Get3dObjPrototypes()[1], nullptr);
    EXPECT_EQ(ErrorOf([&] { ctrl.Load3dObjs(3, false); }), "3dObj entry 3 out of range (3 entries)");
    EXPECT_EQ(ErrorOf([&] { ctrl.Load3dObjs(-1, true); }), "3dObj entry -1 out of range (3 entries)");
    CopyFixture(game.dir, "box.rtx", "meshes/gone.rtx");  // built on the next request
    EXPECT_NE(ctrl.Load3dObjs(1, false), nullptr);
}

TEST(GameCtrl3dObjsTest, WorldObjectGraphics)
{
    ObjectsGame game(Entry("crate", "size = 40\n"));
    GameCtrl& ctrl = *game.ctrl;
    game.dir.Write("objects.cfg",
                   "#Crate\ndesc = \"Crate\"\ntype = \"object\"\nNetSync = 2\nscale = 2\nscale3d = -1, 1, 0.5\n"
                   "DiffCol = 1, 0, 0\nColAdd = 0, 1, 0\nShadowTexSize = 4096\nShadowCol = 0, 0, 1\n"
                   "RotAngle = 180\nvsize = 50\nrndScale = 1.5, 1.5\nvisible = 0.4\nhighlight = 65537\n"
                   "TerrainAlignStrength = 0.5\nfloor = 1\nTransformWithParent = 1\nSimulateCreature = 1\n"
                   "FixIllum = 1\n"
                   "#Plain\ndesc = \"Plain\"\ntype = \"object\"\n");
    ctrl.GetObjectCfgFiles().AddFile("objects.cfg");
    ctrl.LoadWorldObjectFiles();
    ctrl.SetMaxShadowTexSize(1024.0f);

    std::unique_ptr<ItemObj> object(ctrl.Create3dObjInstance(0, 0, 0, false));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_NetSync, 2);
    ctrl.Read3dObjGraphics(*object, 0);
    EXPECT_FLOAT_EQ(object->m_Scale[0], 2.0f);
    EXPECT_FLOAT_EQ(object->m_Scale[2], 1.0f);
    EXPECT_FLOAT_EQ(object->m_Mirror[0], -1.0f);
    EXPECT_FLOAT_EQ(object->m_Radius, 80.0f);  // times the root mean square of the x and y scales
    EXPECT_FLOAT_EQ(object->m_Graphics.diffuse[1], 0.0f);
    EXPECT_EQ(object->m_Graphics.colourAdd, 0x0000FF00u);
    EXPECT_FLOAT_EQ(object->m_Graphics.shadowTexSize, 1024.0f);  // clamped to the maximum
    EXPECT_FLOAT_EQ(object->m_Graphics.shadowSize, 80.0f);
    EXPECT_EQ(object->m_Graphics.shadowColour, 0xFF0000FFu);
    EXPECT_FLOAT_EQ(object->m_Graphics.rotAngle, float(M_PI));
    EXPECT_FLOAT_EQ(object->m_ViewMargin, 50.0f);
    EXPECT_FLOAT_EQ(ctrl.GetPendingRandomScale(), 1.5f);
    EXPECT_EQ(object->m_Visible, 0);  // 0.4 rounds to 0
    EXPECT_EQ(object->m_HighlightMode, 1);  // truncated to 16 bits
    EXPECT_EQ(object->m_FloorAlignWeight, 128);
    EXPECT_EQ(object->m_FloorObject, 1);
    EXPECT_EQ(object->m_InheritParentTransform, 1);
    EXPECT_EQ(object->m_Graphics.simulateCreature, 1);  // an item's kind
    EXPECT_EQ(object->m_Illumination.fixedIllum, 1);

    ctrl.Read3dObjGraphics(*object, 1);  // a second entry: the shadow texture stays
    EXPECT_FLOAT_EQ(object->m_Graphics.shadowTexSize, 1024.0f);
    EXPECT_FLOAT_EQ(ctrl.GetPendingRandomScale(), 1.0f);

    ItemObj* added = ctrl.Create3dObjInstance(0, 1, 0, true);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(ctrl.GetWorld().GetObjNoCheck(added->m_ObjID, false), added);
}

TEST(GameCtrl3dObjsTest, FreeUnusedPrototypes)
{
    std::string entries;
    for (int i = 0; i < 230; ++i)
        entries += "#" + std::to_string(i) + "\ndesc = \"o" + std::to_string(i) + "\"\nsFile = \"x\"\n";
    ObjectsGame game(entries);
    GameCtrl& ctrl = *game.ctrl;
    auto& prototypes = ctrl.Get3dObjPrototypes();
    for (size_t i = 0; i < prototypes.size(); ++i) {
        prototypes[i] = std::make_shared<ItemObj>();
        ctrl.Get3dObjUseStamps()[i] = uint32_t(i + 1);
    }
    for (int32_t i = 0; i < 20; ++i) {  // the oldest twenty are in the world
        auto* shown = new ItemObj(*prototypes[size_t(i)]);
        shown->m_3dObjIndex = i;
        ctrl.GetWorld().AddObj(shown, 0, false);
    }
    const auto loaded = [&] {
        int n = 0;
        for (const auto& prototype : prototypes)
            n += prototype != nullptr;
        return n;
    };

    ctrl.FreeUnusedData(1200);  // keeps 300: nothing goes
    EXPECT_EQ(loaded(), 230);
    ctrl.FreeUnusedData(1000);  // keeps 200: the 30 oldest that no element shows go
    EXPECT_EQ(loaded(), 200);
    EXPECT_NE(prototypes[19], nullptr);
    EXPECT_EQ(prototypes[20], nullptr);
    EXPECT_EQ(prototypes[49], nullptr);
    EXPECT_NE(prototypes[50], nullptr);
    ctrl.FreeUnusedData(600);  // the second row: 150
    EXPECT_EQ(loaded(), 150);
    ctrl.FreeUnusedData(0);  // 100, however many are in use
    EXPECT_EQ(loaded(), 100);
    EXPECT_NE(prototypes[0], nullptr);
}
