// WorldCtrl blocks: elements are listed in the block of their position by their type code, follow
// their moves and their parents', leave on deletion, and stay in no block outside the grid; a new
// block grid takes the world's elements and walls again.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

TEST(WorldCtrlBlocksTest, ElementsFollowTheirPositions)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);  // 1280 x 768 units: 3 x 2 blocks
    ASSERT_EQ(world.GetNumBlocks(), 6);

    auto* elem = new TestElem(ElemType::kCreature, 100, 600);
    world.AddObj(elem, 0, false);
    EXPECT_EQ(elem->m_CellX, 0);
    EXPECT_EQ(elem->m_CellY, 1);
    EXPECT_EQ(elem->m_CellIndex, 3);
    EXPECT_EQ(world.GetBlock(0, 1)->objects.GetAt(0), elem);

    const struct {
        float x, y;
        int32_t column, row, index;
    } kMoves[] = {
        {1100, 600, 2, 1, 5},
        {511.9f, 0, 0, 0, 0},
        {-0.5f, 10, 0, 0, 0},     // truncated toward zero: still block 0
        {-600, 10, -1, 0, -1},    // outside the grid: in no block, its column kept
        {1600, 100, 3, 0, -1},  // beyond the last block column
        {1e30f, 1e30f, 3906250, 3906250, -1},  // far away: no overflowing block number
        {700, 100, 1, 0, 1},
    };
    for (const auto& m : kMoves) {
        SCOPED_TRACE(m.x);
        elem->SetPos(m.x, m.y);
        EXPECT_EQ(elem->m_CellX, m.column);
        EXPECT_EQ(elem->m_CellY, m.row);
        EXPECT_EQ(elem->m_CellIndex, m.index);
        int32_t listed = 0;
        for (int32_t i = 0; i < world.GetNumBlocks(); i++)
            listed += world.GetBlockByIndex(i)->objects.GetSize();
        EXPECT_EQ(listed, m.index >= 0 ? 1 : 0);
        EXPECT_EQ(elem->m_CellListEntry >= 0, m.index >= 0);
    }

    // A child changes blocks with its parent; effects and lights have lists of their own.
    auto* child = new TestElem(ElemType::kItem, 0, 0);
    world.AddObj(child, 0, false);
    elem->AttachChild(child);
    EXPECT_EQ(child->m_CellIndex, 1);
    elem->SetPos(100, 100);
    EXPECT_EQ(child->m_CellIndex, 0);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 2);

    const int32_t wallID = [&] {
        VSD_WallIntern wall;
        wall.m_X1 = 400;  // centre (600, 100): listed by its centre only
        wall.m_Y1 = 100;
        wall.m_X2 = 800;
        wall.m_Y2 = 100;
        return world.InsertWall(wall, 0, 0);
    }();
    EXPECT_EQ(world.GetBlock(1, 0)->walls.GetSize(), 1);
    EXPECT_EQ(world.GetBlock(0, 0)->walls.GetSize(), 0);

    child->m_TypeCode = ElemType::kEffect;  // changed while listed: it still leaves its list
    world.DelObj(child->m_ObjID, 0);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 1);

    // A new block grid: the world's elements and walls are listed again.
    world.SetGrid(40, 40, 64, 64);  // 5 x 5 blocks
    EXPECT_EQ(world.GetNumBlocks(), 25);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetAt(0), elem);
    EXPECT_EQ(world.GetBlock(1, 0)->walls.GetSize(), 1);
    world.DelWall(wallID);
    EXPECT_EQ(world.GetBlock(1, 0)->walls.GetSize(), 0);
}
