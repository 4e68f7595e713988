// ItemObj: the open state and its quarter turn, the animation clock and the door step, walls that
// follow the item, are scaled, deleted and kept, the collision box, use with a key and toggling,
// the element answers, and the placement with a fade scene.
#include "game/objects/ItemObj.h"

#include "game/objects/ItemBase.h"
#include "game/objects/SceneObjectTestSupport.h"
#include "support/LogCapture.h"
#include "world/Inventory.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

class ItemObjTest : public ::testing::Test {
protected:
    ItemObjTest() { world.SetGrid(20, 12, 64, 64); }

    ItemObj* AddItem(float x, float y)
    {
        auto* item = new ItemObj;  // owned by the world
        item->SetPos(x, y);
        world.AddObj(item, 0, false);
        return item;
    }
    VSD_WallIntern& NewWall()
    {
        VSD_WallIntern wall;
        return *world.GetWall(world.InsertWall(wall, 0, 0));
    }
    // A door of closed time 0 and open time 2 at rest in the closed pose.
    static void MakeDoor(ItemObj& item, int16_t kind)
    {
        item.SetAnimationRange(0.0f, 2.0f, 0.0f);
        item.SetAniSpeed(-1.0f);
        item.SetRotationKind(kind);
    }
    static void ExpectEnds(const VSD_WallIntern& wall, float x1, float y1, float x2, float y2)
    {
        EXPECT_NEAR(wall.m_X1, x1, 1e-3f);
        EXPECT_NEAR(wall.m_Y1, y1, 1e-3f);
        EXPECT_NEAR(wall.m_X2, x2, 1e-3f);
        EXPECT_NEAR(wall.m_Y2, y2, 1e-3f);
    }

    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(ItemObjTest, Defaults)
{
    ItemObj item;
    EXPECT_EQ(item.m_TypeCode, ElemType::kItem);
    EXPECT_STREQ(item.GetClassName(), "ItemObj");
    EXPECT_EQ(item.m_ItemSettingInt, 1);
    EXPECT_EQ(item.m_IndexSetting, -1);
    EXPECT_EQ(item.m_OpacityFromLinkedWall, 1);
    EXPECT_FALSE(item.IsLootable());
    item.m_Count = 2;
    EXPECT_TRUE(item.IsLootable());
    item.m_Count = 0;
    item.m_OpenState = 1;
    item.m_GroupNumber = 3;
    item.Reset();
    EXPECT_EQ(item.m_TypeCode, ElemType::kItem);
    EXPECT_EQ(item.m_OpenState, 0);
    EXPECT_EQ(item.m_GroupNumber, 0u);
}

TEST_F(ItemObjTest, OpenStateAndJumps)
{
    ItemObj* item = AddItem(100, 100);
    MakeDoor(*item, ItemObj::kTurnClockwise);
    item->SetAngle(0.5f);
    EXPECT_FALSE(item->SetOpenState(0, false));  // the current state
    EXPECT_FLOAT_EQ(item->m_AniSpeed, -1.0f);
    EXPECT_TRUE(item->SetOpenState(3, false));   // 3 acts as 1
    EXPECT_EQ(item->GetOpenState(), 1);
    EXPECT_FLOAT_EQ(item->m_AniSpeed, 1.0f);     // runs toward the open pose now
    EXPECT_FALSE(item->SetOpenState(1, false));
    EXPECT_TRUE(item->SetOpenState(0, false));

    // A jump to open turns a kind-1 item by -pi/2 and takes the open time.
    item->SetOpenState(1, true);
    EXPECT_NEAR(item->GetOwnAngle(), 0.5f - kPi / 2, 1e-5f);
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, 2.0f);
    item->UpdateDoor();  // the door step keeps the pose
    EXPECT_NEAR(item->GetOwnAngle(), 0.5f - kPi / 2, 1e-5f);
    item->SetOpenState(1, true);  // already open: no second turn
    EXPECT_NEAR(item->GetOwnAngle(), 0.5f - kPi / 2, 1e-5f);
    item->SetOpenState(0, true);  // a jump back closes the turn too
    EXPECT_NEAR(item->GetOwnAngle(), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, 0.0f);

    // Kind 2 turns the other way; without a range the turn is the whole quarter.
    ItemObj* flap = AddItem(200, 100);
    flap->SetRotationKind(ItemObj::kTurnCounterClockwise);
    flap->SetOpenState(1, true);
    EXPECT_NEAR(flap->GetOwnAngle(), kPi / 2, 1e-5f);

    // The use sound sounds on a switch that changes the state.
    item->m_Sounds[WorldElem::kUseSound] = "DoorCreak";
    EXPECT_FALSE(item->SwitchOpenState(0, false));
    EXPECT_TRUE(ctrl.sounds.empty());
    EXPECT_TRUE(item->SwitchOpenState(1, false));
    EXPECT_EQ(ctrl.sounds, std::vector<std::string>{"DoorCreak"});
}

TEST_F(ItemObjTest, AnimationClock)
{
    ItemObj* item = AddItem(100, 100);
    item->SetAnimationRange(3.0f, 1.0f, 1.0f);  // the smaller is the closed time
    EXPECT_EQ(item->m_ClosedTime, 1.0f);
    EXPECT_EQ(item->m_OpenTime, 3.0f);
    ctrl.gameTime = 1.5;
    EXPECT_FLOAT_EQ(item->GetAniTime(), 2.5f);
    ctrl.gameTime = 10.0;
    EXPECT_FLOAT_EQ(item->GetAniTime(), 3.0f);  // held at the open time
    item->SetAniLoop(true);                      // goes on from where it stands
    EXPECT_FLOAT_EQ(item->GetAniTime(), 3.0f - 2.0f);
    ctrl.gameTime = 11.5;
    EXPECT_FLOAT_EQ(item->GetAniTime(), 2.5f);   // 1 + 1.5, wrapped by the length 2
    item->SetAniSpeed(2.0f);
    EXPECT_FLOAT_EQ(item->GetAniTime(), 2.5f);
    ctrl.gameTime = 11.75;
    EXPECT_FLOAT_EQ(item->GetAniTime(), 1.0f);   // 3.5 wraps to 1.5 ... 3.0 to 1.0
    item->SetAniLoop(false);
    item->SetAniTime(-4.0f);
    EXPECT_FLOAT_EQ(item->GetAniTime(), 1.0f);   // held at the closed time
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, 1.0f);

    // A negative speed is made positive by a new range; the kind change negates the stored time.
    item->SetAniSpeed(-1.0f);
    item->SetAnimationRange(0.0f, 4.0f, 1.0f);
    EXPECT_FLOAT_EQ(item->m_AniSpeed, 1.0f);
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, 1.0f);
    item->SetRotationKind(1);
    item->SetRotationKind(2);
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, -1.0f);
    item->SetRotationKind(0);
    EXPECT_FLOAT_EQ(item->m_CurrentAniTime, -1.0f);
}

TEST_F(ItemObjTest, DoorTurnsWithItsAnimation)
{
    ItemObj* door = AddItem(100, 100);
    MakeDoor(*door, ItemObj::kTurnClockwise);
    door->SetOpenState(1, false);
    ctrl.gameTime = 1.0;
    door->Update(0.1f);
    EXPECT_NEAR(door->GetOwnAngle(), -kPi / 4, 1e-5f);
    ctrl.gameTime = 5.0;
    door->Update(0.1f);
    EXPECT_NEAR(door->GetOwnAngle(), -kPi / 2, 1e-5f);
    door->SetOpenState(0, false);
    ctrl.gameTime = 6.0;
    door->Update(0.1f);
    EXPECT_NEAR(door->GetOwnAngle(), -kPi / 4, 1e-5f);
    ctrl.gameTime = 9.0;
    door->Update(0.1f);
    EXPECT_NEAR(door->GetOwnAngle(), 0.0f, 1e-5f);
}

TEST_F(ItemObjTest, WallsFollowTheItem)
{
    ItemObj* item = AddItem(100, 200);
    VSD_WallIntern& a = NewWall();
    VSD_WallIntern& b = NewWall();
    item->AddWall(a, 10, 0, 10, 20);
    item->AddWall(b, -5, -5, 5, -5);
    EXPECT_EQ(a.m_Parent.Get(), item);
    ExpectEnds(a, 110, 200, 110, 220);
    EXPECT_FLOAT_EQ(a.m_CentreX, 110.0f);  // the level rebuilt its geometry

    item->SetPos(300, 300);
    ExpectEnds(a, 310, 300, 310, 320);
    item->SetAngle(kPi / 2);  // R(90) (x, y) = (-y, x)
    ExpectEnds(a, 300, 310, 280, 310);
    ExpectEnds(b, 305, 295, 305, 305);

    // Scaling by (2, 1, 1) with the walls doubles their x in the item's frame.
    item->SetScale(2.0f, 1.0f, 1.0f, true, false);
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).x1, 20.0f);
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).y2, 20.0f);
    ExpectEnds(a, 300, 320, 280, 320);
    item->SetScale(1.0f, 1.0f, 1.0f, false, false);  // without the flag the walls stay
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).x1, 20.0f);
    // An old scale of 0 gives no ratio: that axis keeps its walls, the others follow.
    item->SetScale(0.0f, 1.0f, 1.0f, true, false);
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).x1, 0.0f);
    item->SetScale(3.0f, 2.0f, 1.0f, true, false);
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).x1, 0.0f);
    EXPECT_FLOAT_EQ(item->GetWallRecord(0).y2, 40.0f);
    EXPECT_TRUE(std::isfinite(a.m_X1) && std::isfinite(a.m_Y2));

    // A wall made in place (box walls) is taken into the item's frame.
    VSD_WallIntern& c = NewWall();
    c.SetEndPoints(300, 330, 300, 340);
    item->AddWall(c);
    EXPECT_NEAR(item->GetWallRecord(2).x1, 30.0f, 1e-4f);
    EXPECT_NEAR(item->GetWallRecord(2).y1, 0.0f, 1e-4f);
    ExpectEnds(c, 300, 330, 300, 340);

    // A wall that goes takes its record with it; the last record fills the gap.
    world.DelWall(a.m_ObjID);
    ASSERT_EQ(item->GetWallCount(), 2);
    EXPECT_EQ(item->GetWallRecord(0).wall.Get(), &c);
    item->RemoveWall(c);
    item->RemoveWall(c);  // no longer attached: nothing
    EXPECT_EQ(item->GetWallCount(), 1);
}

TEST_F(ItemObjTest, WallsGoWithTheItem)
{
    ItemObj* item = AddItem(100, 100);
    VSD_WallIntern& kept = NewWall();
    VSD_WallIntern& dropped = NewWall();
    item->AddWall(kept, 0, 0, 10, 0);
    item->AddWall(dropped, 0, 10, 10, 10);
    dropped.m_KeepWithParent = 0;
    const int32_t keptID = kept.m_ObjID;
    const int32_t droppedID = dropped.m_ObjID;
    item->RemoveWalls(true);
    EXPECT_EQ(item->GetWallCount(), 0);
    EXPECT_EQ(world.GetWallSafe(keptID), &kept);  // marked to survive
    EXPECT_EQ(world.GetWallSafe(droppedID), nullptr);
    ASSERT_EQ(item->GetSurvivingWalls().size(), 1u);

    // Deleting the item with its children deletes its walls.
    ItemObj* other = AddItem(200, 100);
    VSD_WallIntern& wall = NewWall();
    other->AddWall(wall, 0, 0, 10, 0);
    const int32_t wallID = wall.m_ObjID;
    const int32_t walls = world.GetNumWalls();
    world.DelObj(other->m_ObjID, 1);
    EXPECT_EQ(world.GetWallSafe(wallID), nullptr);
    EXPECT_EQ(world.GetNumWalls(), walls - 1);

    // Snapping to the cells (64 x 64) takes walls with a height only.
    ItemObj* dropped2 = AddItem(0, 0);
    VSD_WallIntern& high = NewWall();
    VSD_WallIntern& flat = NewWall();
    high.m_Height1 = 100.0f;
    dropped2->AddWall(high, 70, 130, 200, 130);
    dropped2->AddWall(flat, 70, 130, 200, 130);
    dropped2->SnapWallsToGrid();
    ExpectEnds(high, 64, 128, 192, 128);
    ExpectEnds(flat, 70, 130, 200, 130);
}

TEST_F(ItemObjTest, CollisionBoxAndFlag)
{
    ItemObj* item = AddItem(100, 100);
    world.AddBoxWalls(item, 20, 10, 0, 0, 0, 1, 0, -1, 0, 0, -1, 1, 50);  // x -10..10, y -5..5
    ASSERT_EQ(item->GetWallCount(), 4);
    item->m_WallsAsCollisionBox = 1;
    item->SetAngle(kPi / 2);
    EXPECT_TRUE(item->HasBoxWalls());
    EXPECT_TRUE(item->IsInRange(100, 108, 0));   // along the turned x side
    EXPECT_FALSE(item->IsInRange(108, 100, 0));  // outside the turned y side
    EXPECT_TRUE(item->IsInRange(108, 100, 4));   // within once grown by the radius
    EXPECT_FALSE(item->IsInRange(100, 110, 0));  // strictly within: the edge is out

    item->SetSolid(0);  // the walls take the flag
    EXPECT_EQ(item->m_Solid, 1);
    EXPECT_EQ(item->GetWallRecord(3).wall.Get()->m_Solid, 0);

    // Three walls: the element's own range test.
    world.DelWall(item->GetWallRecord(3).wall.Get()->m_ObjID);
    EXPECT_FALSE(item->HasBoxWalls());
    EXPECT_FALSE(item->IsInRange(100, 108, 0));
    EXPECT_TRUE(item->IsInRange(100, 108, 8));
    item->m_WallsAsCollisionBox = 0;
    item->SetSolid(0);
    EXPECT_EQ(item->m_Solid, 0);
}

TEST_F(ItemObjTest, UseWithKeyAndToggle)
{
    ItemObj* item = AddItem(100, 100);
    item->m_KeyNumber = 7;
    EXPECT_EQ(item->Use(3, true), 0);
    ASSERT_EQ(ctrl.keyUses.size(), 1u);
    EXPECT_EQ(ctrl.keyUses[0].item, item);
    EXPECT_EQ(ctrl.keyUses[0].userID, 3);
    EXPECT_EQ(ctrl.keyUses[0].key, 7);
    EXPECT_FALSE(item->OnUse(0, 3, 1));  // the world's use with the key flag
    EXPECT_EQ(ctrl.keyUses.size(), 2u);
    EXPECT_EQ(item->Use(-1, true), 1);   // no user: no key asked
    EXPECT_EQ(item->Use(3, false), 1);
    EXPECT_EQ(ctrl.keyUses.size(), 2u);

    item->m_ToggleOnUse = 1;
    EXPECT_EQ(item->Use(0, false), 1);
    EXPECT_EQ(item->GetOpenState(), 1);
    EXPECT_TRUE(item->OnUse(0, 0, 0));
    EXPECT_EQ(item->GetOpenState(), 0);
    item->Use(5, false);  // only user 0 toggles
    EXPECT_EQ(item->GetOpenState(), 0);
    item->m_CustomUse = 1;  // left to the scripts
    item->Use(0, false);
    EXPECT_EQ(item->GetOpenState(), 0);
}

TEST_F(ItemObjTest, ElementAnswers)
{
    ItemObj* item = AddItem(100, 100);
    struct Case {
        int16_t rotation;
        uint8_t customUse;
        bool withItems;
        float openTime;
        int16_t uses;
        bool ctrlSays;
        bool usable;
    } kCases[] = {
        {1, 0, false, 0, 0, false, true},    // a turning item always
        {0, 1, false, 2, 1, true, false},    // custom use: its inventory decides
        {0, 1, true, 2, 1, false, true},
        {0, 0, false, 2, 1, false, true},    // an animation and uses left
        {0, 0, false, 2, -1, false, false},  // otherwise the controller decides
        {0, 0, false, 0, 1, true, true},
        {0, 0, false, 0, 0, true, false},    // used up
    };
    Inventory stock;
    ASSERT_GE(stock.AddItem(new ItemBase), 0);
    for (const Case& c : kCases) {
        item->m_RotationKind = c.rotation;
        item->m_CustomUse = c.customUse;
        item->m_Inventory = c.withItems ? &stock : nullptr;
        item->m_OpenTime = c.openTime;
        item->m_UsesLeft = c.uses;
        ctrl.usable = c.ctrlSays;
        EXPECT_EQ(item->IsUsable(), c.usable) << c.rotation << " " << int(c.customUse) << " " << c.uses;
    }
    item->m_Inventory = nullptr;

    EXPECT_TRUE(item->AllowsInteraction(0, 0));
    item->m_Sticky = 1;
    EXPECT_FALSE(item->AllowsInteraction(0, 0));

    VSD_WallIntern& wall = NewWall();
    wall.m_Opacity = 0.5f;
    wall.m_WallOpacity = 0.5f;
    item->SetWallLink(&wall);
    EXPECT_FLOAT_EQ(item->GetOpacity(), 0.25f);
    item->m_OpacityFromLinkedWall = 0;
    EXPECT_FLOAT_EQ(item->GetOpacity(), 1.0f);
}

TEST_F(ItemObjTest, FadeScenePlacement)
{
    ItemObj* item = AddItem(100, 50);
    DXC_3dScene own;
    DXC_3dScene fade;
    item->SetScene(&own);
    item->SetFadeScene(&fade);
    struct Case {
        float strength, value;
        bool ownPlaced, fadePlaced;
    } kCases[] = {{0.0f, 0.0f, true, false}, {0.5f, 0.5f, true, true}, {1.0f, 1.0f, false, true}};
    LogCapture log;
    for (const Case& c : kCases) {
        own.position = D3DXVECTOR3();
        fade.position = D3DXVECTOR3();
        item->m_FadeStrength = c.strength;
        item->m_FadeValue = c.value;
        item->SetTransformation(0.0f, false);
        EXPECT_EQ(own.position.x == 100.0f, c.ownPlaced);
        EXPECT_EQ(fade.position.x == 100.0f, c.fadePlaced);
        item->SetTransformationCleanUp();
    }
    EXPECT_EQ(log.Count("SetTransformation"), 0);  // every bracket was closed
}
