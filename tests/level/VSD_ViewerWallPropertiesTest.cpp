// VSD_Viewer wall properties: the wall kind's values and defaults, the property text before the
// kind's entry, the corrections of damaged entries, child walls and child objects with their
// placement, mirroring and names, and the depth limit of child walls.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr const char* kWallKinds = R"(def_h1 = 120
#stone
desc = "stone"
type = "normal"
objID = "rock"
#glass
desc = "glass"
typ = 2
solid = 0
opacity = 0.5
TwoSided = 1
door = 3
NeedKey = 7
Height1 = 80
Height2 = 90
#post
desc = "post"
typ = 2
Height1 = 200
#fence
desc = "fence"
typ = 2
wallChild1 = "post"
wallChildStart1 = 0.25, 10
wallChildEnd1 = 0.25, 30
wallChildWorldID1 = "post1"
wallChild2 = "post"
wallChildStart2 = 1, 0
wallChildEnd2 = 0.5, 0
child1 = "lamp"
childpos1 = 50, 20, 5
childAngle1 = 90
ChildWorldID1 = "lamp1"
child2 = "coin"
childpos2 = 10
#loop
desc = "loop"
typ = 2
wallChild1 = "loop"
wallChildEnd1 = 0.5, 0
#ghost
desc = "ghost"
typ = 2
child1 = "nothing"
)";

enum Kind : int16_t { kStone, kGlass, kPost, kFence, kLoop, kGhost };

struct WallPropertiesTest : ::testing::Test {
    TempDir dir;
    LevelTestCtrl ctrl;
    GridViewer viewer;

    WallPropertiesTest()
    {
        dir.Write("walls.cfg", kWallKinds);
        viewer.SetGrid(10, 10, 100, 100);
        EXPECT_EQ(viewer.LoadWallKinds(dir("walls.cfg").c_str()), 6);
        ctrl.wallReaderFiles = FileList();
        ctrl.wallReaderFiles.AddFile(dir("walls.cfg").c_str());
        ctrl.OpenWallFiles();
        ctrl.objectTypes = {{"lamp", ElemType::kElem}, {"coin", ElemType::kItem}};
    }
    VSD_WallIntern& Make(int16_t kind, const char* text = "", int32_t withChildren = 1, int16_t x2 = 400)
    {
        VSD_WallEntry entry;
        entry.descId = kind;
        entry.x1 = 0;
        entry.y1 = 0;
        entry.x2 = x2;
        entry.y2 = 0;
        entry.text = text;
        return *viewer.GetWall(viewer.ReadWallProperties(entry, 0, 1, withChildren));
    }
};

}  // namespace

TEST_F(WallPropertiesTest, KindValuesAndDefaults)
{
    const VSD_WallIntern& stone = Make(kStone);
    EXPECT_STREQ(stone.m_CfgID.c_str(), "stone");
    EXPECT_STREQ(stone.m_DescObjID.c_str(), "rock");
    EXPECT_EQ(stone.m_DescID, kStone);
    EXPECT_EQ(stone.m_WallType, WallDesc::kTypeNormal);
    EXPECT_EQ(stone.m_ScaleU, 1.0f);
    EXPECT_EQ(stone.m_Solid, 1);
    EXPECT_EQ(stone.m_BlocksActForce, 1);
    EXPECT_EQ(stone.m_CanSeeThrough, 0);
    EXPECT_EQ(stone.m_WallOpacity, 1.0f);
    EXPECT_EQ(stone.m_VisibilityObstruct, 1);
    EXPECT_EQ(stone.m_TwoSided, 0);
    EXPECT_EQ(stone.m_ObstructFadeOut, 1);
    EXPECT_EQ(stone.m_FadeOutIfViewedFromBack, 1);
    EXPECT_EQ(stone.m_AlphaThreshold, 1);
    EXPECT_EQ(stone.m_LightingType, 1);
    EXPECT_EQ(stone.m_LightFalloffApprox, 1);
    EXPECT_EQ(stone.m_NeedKey, 65535);
    EXPECT_EQ(stone.m_NetSync, 0);
    EXPECT_EQ(stone.m_CollisionMask, -1);
    EXPECT_EQ(stone.m_EffByParty[0], VSD_WallIntern::kAnyParty);
    EXPECT_EQ(stone.m_Height1, 120.0f);
    EXPECT_EQ(stone.m_Height2, 120.0f);
    EXPECT_EQ(stone.m_HeightOffset2, 0.0f);
    EXPECT_EQ(stone.m_HasMesh, 1);

    const VSD_WallIntern& glass = Make(kGlass);
    EXPECT_EQ(glass.m_Solid, 0);
    EXPECT_EQ(glass.m_BlocksActForce, 0);
    EXPECT_EQ(glass.m_CanSeeThrough, 1);
    EXPECT_EQ(glass.m_WallOpacity, 0.5f);
    EXPECT_EQ(glass.m_VisibilityObstruct, 0);
    EXPECT_EQ(glass.m_TwoSided, 1);
    EXPECT_EQ(glass.m_Door, 3);
    EXPECT_EQ(glass.m_NeedKey, 7);
    EXPECT_EQ(glass.m_Height1, 80.0f);
    EXPECT_EQ(glass.m_Height2, 90.0f);
    EXPECT_EQ(glass.m_HasMesh, 0);

    viewer.SetFadeWallsFromBack(0);
    EXPECT_EQ(Make(kStone).m_FadeOutIfViewedFromBack, 0);
}

TEST_F(WallPropertiesTest, PropertyTextComesFirst)
{
    const VSD_WallIntern& wall = Make(kGlass, R"text(solid = 1
opacity = 1.0
HeightOffset = 10
worldID = "w1"
NetSync = 1
ScriptFloat3 = 2.5
EffBy = 8
EffByID = "guard"
EffByParty1 = 1
EffByParty2 = 3
EffByParty4 = 9
bridge = 70000
semiperm = -1.9
mirrorX = 0.5
CanSeeThrough = 0.7
ScriptString = "s"
onUse = "Use()"
onCollision = "Hit()"
BoundBoxAdd = 1, 2, 3
AlphaThreshold = 300
)text");
    EXPECT_EQ(wall.m_Solid, 1);
    EXPECT_EQ(wall.m_BlocksActForce, 1);
    EXPECT_EQ(wall.m_WallOpacity, 1.0f);
    EXPECT_EQ(wall.m_VisibilityObstruct, 1);
    EXPECT_EQ(wall.m_HeightOffset1, 10.0f);
    EXPECT_EQ(wall.m_HeightOffset2, 10.0f);  // "HeightOffsetEnd" follows "HeightOffset"
    EXPECT_STREQ(wall.m_WorldID.c_str(), "w1");
    EXPECT_EQ(wall.m_NetSync, 2);  // synchronised by its worldID
    EXPECT_EQ(wall.m_ScriptTemp[2], 2.5f);
    EXPECT_EQ(wall.m_CollisionMask, 8);
    EXPECT_STREQ(wall.m_EffByID.c_str(), "guard");
    const int32_t parties[4] = {1, 3, VSD_WallIntern::kAnyParty, VSD_WallIntern::kAnyParty};  // up to the gap
    for (int32_t i = 0; i < 4; i++)
        EXPECT_EQ(wall.m_EffByParty[i], parties[i]) << i;
    EXPECT_EQ(wall.m_Bridge, int16_t(70000 - 65536));
    EXPECT_EQ(wall.m_SemiPerm, -1);
    EXPECT_EQ(wall.m_MirrorX, 1);        // rounded half away from zero
    EXPECT_EQ(wall.m_CanSeeThrough, 0);  // truncated
    EXPECT_STREQ(wall.m_ScriptString.c_str(), "s");
    EXPECT_STREQ(wall.m_OnUse.c_str(), "Use()");
    EXPECT_STREQ(wall.m_OnCollision.c_str(), "Hit()");
    EXPECT_EQ(wall.m_BoundBoxAdd[2], 3.0f);
    EXPECT_EQ(wall.m_AlphaThreshold, 300 - 256);
    EXPECT_EQ(wall.m_Height1, 80.0f);  // from the kind
    EXPECT_EQ(viewer.GetWallDescReader().GetLinkedReader(), nullptr);
}

TEST_F(WallPropertiesTest, DamagedEntriesAreCorrected)
{
    LogCapture log;
    VSD_WallEntry entry;
    entry.descId = 99;
    entry.x1 = -10;
    entry.x2 = 100;
    entry.value1 = std::numeric_limits<float>::quiet_NaN();
    entry.value2 = std::numeric_limits<float>::infinity();
    const VSD_WallIntern& wall = *viewer.GetWall(viewer.ReadWallProperties(entry, 0, 1, 0));
    EXPECT_EQ(entry.descId, 0);
    EXPECT_STREQ(wall.m_CfgID.c_str(), "stone");
    EXPECT_EQ(entry.value1, 0.0f);
    EXPECT_EQ(entry.value2, 1.0f);
    EXPECT_EQ(wall.m_WallValue1, 0.0f);
    EXPECT_EQ(log.Count("Invalid wall ID: 99 changed to 0"), 1);
    EXPECT_EQ(log.Count("Wall out of range!"), 1);
    viewer.ReadWallProperties(entry, 0, 0, 0);  // only the wall makers that place it warn
    EXPECT_EQ(log.Count("Wall out of range!"), 1);
}

TEST_F(WallPropertiesTest, ChildWallsAndObjects)
{
    LogCapture log;
    const VSD_WallIntern& fence = Make(kFence);
    ASSERT_EQ(viewer.GetNumWalls(), 3);  // the two posts before the fence
    EXPECT_EQ(fence.m_ObjID, 2);
    const VSD_WallIntern& post1 = *viewer.GetWall(0);
    const VSD_WallIntern& post2 = *viewer.GetWall(1);
    EXPECT_STREQ(post1.m_CfgID.c_str(), "post");
    EXPECT_EQ(post1.m_X1, 100.0f);  // a quarter along, 10 and 30 to the normal's side (0, -1)
    EXPECT_EQ(post1.m_Y1, -10.0f);
    EXPECT_EQ(post1.m_Y2, -30.0f);
    EXPECT_EQ(post1.m_NetSync, 0);
    EXPECT_STREQ(post1.m_WorldID.c_str(), "post1");
    EXPECT_EQ(post2.m_X1, 400.0f);
    EXPECT_EQ(post2.m_X2, 200.0f);
    EXPECT_TRUE(post2.m_WorldID.IsEmpty());

    ASSERT_EQ(ctrl.objects.size(), 2u);
    const LevelTestObject& lamp = *ctrl.objects[0];
    EXPECT_EQ(lamp.x, 50.0f);
    EXPECT_EQ(lamp.y, -20.0f);
    EXPECT_EQ(lamp.height, 5.0f);
    EXPECT_FLOAT_EQ(lamp.angle, 1.5707963f);
    EXPECT_STREQ(lamp.m_WorldID.c_str(), "lamp1");
    EXPECT_EQ(lamp.wallLink, nullptr);
    const LevelTestObject& coin = *ctrl.objects[1];
    EXPECT_EQ(coin.x, 10.0f);
    EXPECT_EQ(coin.wallLink, &fence);  // items keep the wall they belong to
    EXPECT_EQ(log.Count("multiplayer"), 0);

    // Mirrored: fractions along the wall from the other end, children mirrored in turn, object
    // positions along the wall negated; in a multiplayer game the child's name is warned about.
    ctrl.objects.clear();
    ctrl.multiplayer = true;
    const VSD_WallIntern& mirrored = Make(kFence, "mirrorX = 1");
    const VSD_WallIntern& post3 = *viewer.GetWall(mirrored.m_ObjID - 2);
    EXPECT_EQ(post3.m_X1, 300.0f);
    EXPECT_EQ(post3.m_MirrorX, 1);
    EXPECT_EQ(viewer.GetWall(mirrored.m_ObjID - 1)->m_X1, 0.0f);
    EXPECT_EQ(ctrl.objects[0]->x, -50.0f);
    EXPECT_EQ(log.Count("wallChildWorldID not allowed in multiplayer game"), 1);

    // Without children asked for, only the wall.
    const int32_t before = viewer.GetNumWalls();
    Make(kFence, "", 0);
    EXPECT_EQ(viewer.GetNumWalls(), before + 1);
}

TEST_F(WallPropertiesTest, EveryChildOfThePropertyTextIsMade)
{
    // The first child takes the reader's link away; the second is still read from the text.
    Make(kStone, "wallChild1 = \"post\"\nwallChild2 = \"glass\"\nwallChildStart2 = 0.5, 0\nwallChildEnd2 = 1, 0\n");
    ASSERT_EQ(viewer.GetNumWalls(), 3);
    EXPECT_STREQ(viewer.GetWall(1)->m_CfgID.c_str(), "glass");
    EXPECT_EQ(viewer.GetWall(1)->m_X1, 200.0f);
}

TEST_F(WallPropertiesTest, SelfNamingChildWallStopsAtTheDepthLimit)
{
    LogCapture log;
    const VSD_WallIntern& loop = Make(kLoop);
    EXPECT_EQ(viewer.GetNumWalls(), 1 + VSD_Viewer::kMaxWallChildDepth);
    EXPECT_EQ(loop.m_ObjID, VSD_Viewer::kMaxWallChildDepth);
    EXPECT_EQ(viewer.GetWall(0)->m_X2, 1.0f);  // the deepest: half of half ... of 400, truncated
    EXPECT_EQ(log.Count("Child walls nested deeper than 8: children of 'loop' not made"), 1);
    EXPECT_EQ(viewer.GetWallChildDepth(), 0);
}

TEST_F(WallPropertiesTest, UnknownChildObjectEndsTheWallCleanly)
{
    EXPECT_EQ(ErrorOf([&] { Make(kGhost); }), "World object 'nothing' not found");
    EXPECT_EQ(viewer.GetWallDescReader().GetLinkedReader(), nullptr);
    EXPECT_EQ(viewer.GetWallChildDepth(), 0);
}
