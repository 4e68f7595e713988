// VSD_WallIntern: sides and one-sided walls, the wall's collision filters before the mask, the
// use test through the parent, and new end points of a wall in a level.
#include "level/VSD_WallIntern.h"

#include "level/LevelTestSupport.h"
#include "world/WorldElem.h"

#include <gtest/gtest.h>

namespace {

struct Mover : WorldElem {
    explicit Mover(int32_t party, bool onObject = false)
    {
        m_TypeCode = ElemType::kItem;
        m_Party = party;
        m_FloorObjectFlags = onObject ? 1 : 0;
    }
};

VSD_WallIntern AlongX()
{
    VSD_WallIntern wall;
    wall.m_X2 = 100.0f;
    wall.CalcDirection();  // normal (0, -1)
    return wall;
}

}  // namespace

TEST(VSD_WallInternTest, SidesAndOneSidedWalls)
{
    VSD_WallIntern wall = AlongX();
    EXPECT_EQ(wall.GetSide(50, -1), 1);
    EXPECT_EQ(wall.GetSide(50, 0), 1);
    EXPECT_EQ(wall.GetSide(50, 1), -1);
    const struct {
        int16_t semiperm;
        uint8_t solid;
        bool front, back;
    } kCases[] = {{0, 1, true, true}, {1, 1, true, false}, {-1, 1, false, true}, {0, 0, false, false}};
    for (const auto& c : kCases) {
        wall.m_SemiPerm = c.semiperm;
        wall.m_Solid = c.solid;
        EXPECT_EQ(wall.SideAllows(1), c.front) << c.semiperm;
        EXPECT_EQ(wall.SideAllows(-1), c.back) << c.semiperm;
    }
}

TEST(VSD_WallInternTest, CollisionFilters)
{
    VSD_WallIntern wall = AlongX();
    Mover floor(1);
    Mover bridge(1, true);
    // The layer value: odd and positive for elements on floor objects, even for the floor.
    const struct {
        int16_t layer;
        bool floor, bridge;
    } kLayers[] = {{0, true, true}, {1, false, true}, {2, true, false}, {-1, false, false}, {-2, true, false}};
    for (const auto& c : kLayers) {
        wall.m_Bridge = c.layer;
        EXPECT_EQ(wall.CanCollideWith(&floor, 0), c.floor) << c.layer;
        EXPECT_EQ(wall.CanCollideWith(&bridge, 0), c.bridge) << c.layer;
    }
    wall.m_Bridge = 0;

    floor.m_CfgID = "Guard";
    floor.m_WorldID = "g7";
    wall.m_EffByID = "guard";
    wall.m_CollisionMask = WorldElemBase::kCollideCfgIDFilter | WorldElemBase::kCollideItems;
    EXPECT_TRUE(wall.CanCollideWith(&floor, 0));
    wall.m_CollisionMask = WorldElemBase::kCollideWorldIDFilter | WorldElemBase::kCollideItems;
    EXPECT_FALSE(wall.CanCollideWith(&floor, 0));
    wall.m_EffByID = "G7";
    EXPECT_TRUE(wall.CanCollideWith(&floor, 0));
    wall.m_CollisionMask = WorldElemBase::kCollideWorldIDFilter;  // named, but items not in the mask
    EXPECT_FALSE(wall.CanCollideWith(&floor, 0));

    wall.m_CollisionMask = -1;  // every element: the name filters do not apply
    wall.m_EffByParty[0] = 2;
    wall.m_EffByParty[1] = 1;
    EXPECT_TRUE(wall.CanCollideWith(&floor, 0));
    floor.SetParty(3);
    EXPECT_FALSE(wall.CanCollideWith(&floor, 0));
}

TEST(VSD_WallInternTest, UseThroughTheParent)
{
    VSD_WallIntern wall;
    EXPECT_FALSE(wall.IsUsable());
    wall.m_OnUse = "Open()";
    EXPECT_TRUE(wall.IsUsable());
    wall.m_OnUse = "";

    struct Door : WorldElem {
        bool IsUsable() override { return true; }
    } door;
    wall.m_Parent = &door;
    EXPECT_FALSE(wall.IsUsable());
    EXPECT_FALSE(wall.IsLinkedToParent());
    wall.m_UseThroughParent = 1;
    EXPECT_TRUE(wall.IsUsable());
    door.m_TypeCode = ElemType::kEffect;  // not live
    EXPECT_FALSE(wall.IsUsable());
    wall.m_LinkToParent = 1;
    EXPECT_TRUE(wall.IsUsable());
    EXPECT_TRUE(wall.IsLinkedToParent());
}

TEST(VSD_WallInternTest, NewEndPointsInALevel)
{
    LevelTestCtrl ctrl;
    GridViewer viewer;
    viewer.SetGrid(4, 4, 100, 100);
    viewer.SetHeights([](int32_t x, int32_t) { return float(x) * 10.0f; });
    VSD_WallIntern loose;
    loose.SetEndPoints(0, 0, 100, 0);  // in no level: stored only
    EXPECT_EQ(loose.m_HalfLength, 0.0f);

    VSD_WallIntern wall;
    wall.m_X2 = 100.0f;
    VSD_WallIntern& placed = *viewer.GetWall(viewer.InsertWall(wall, 0, 1));
    EXPECT_EQ(placed.GetGroundHeight(), 5.0f);
    placed.SetEndPoints(200, 0, 200, 300);
    EXPECT_EQ(placed.GetPos(), D3DXVECTOR2(200, 150));
    EXPECT_EQ(placed.m_DirY, 1.0f);
    EXPECT_EQ(placed.GetGroundHeight(), 20.0f);
    EXPECT_EQ(placed.GetEndFloorHeight(), 20.0f);

    VSD_WallIntern copy(placed);  // a copy keeps the wall's links
    copy.m_WallLink = &placed;
    VSD_WallIntern second;
    second = copy;
    EXPECT_EQ(second.m_WallLink.Get(), &placed);
    EXPECT_EQ(second.m_Level, &viewer);
}
