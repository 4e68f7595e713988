// GameCtrl group scenes: items of one group lying close together merged into one group element,
// far ones left alone, items without group and other elements never merged, a merged item
// starting a group of the rest, seventeen groups in a level, and a second merge of the same world.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/ItemObj.h"
#include "game/objects/SceneObjectTestSupport.h"
#include "level/LevelTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include "GameCtrlTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A controller whose world holds a level of 100 x 60 cells of 64 units; its view radius is
// (50 + 1) x 64 / 2 = 1632.
class GroupTest : public ::testing::Test {
protected:
    GroupTest()
    {
        ctrl.GetObjectCfgFiles().AddFile("desc\\objects.cfg");
        ctrl.GetWallCfgFiles().AddFile("desc\\walls.cfg");
        EXPECT_EQ(ErrorOf([&] { world.LoadLevelData("blocks.vsd", 1, 0); }), "no error");
    }

    // An item of the group at (x, y) with a scene of its own holding one mesh.
    ItemObj* AddItem(uint32_t group, float x, float y, const char* name)
    {
        scenes.push_back(std::make_unique<DXC_3dScene>());
        AddBoxMesh(*scenes.back(), name, D3DXVECTOR3(-8, -8, 0), D3DXVECTOR3(8, 8, 16), Translation(0, 0, 0));
        auto* item = new ItemObj;
        item->m_GroupNumber = group;
        item->m_Name = name;
        item->SetPos(x, y);
        item->SetScene(scenes.back().get());
        world.AddObj(item, 0, false);
        return item;
    }
    std::vector<ItemObj*> GroupElements()
    {
        std::vector<ItemObj*> found;
        for (int32_t id = 0; id < world.GetObjCapacity(); id++) {
            auto* item = dynamic_cast<ItemObj*>(world.GetObjNoCheck(id, false));
            if (item && item->m_Sticky)
                found.push_back(item);
        }
        return found;
    }

    std::vector<std::unique_ptr<DXC_3dScene>> scenes;  // outlive the controller's elements
    LevelFixtureDir dir;
    WorldGameCtrl ctrl;
    WorldCtrl& world = ctrl.World();
};

}  // namespace

TEST_F(GroupTest, NeighboursShareOneGroupElement)
{
    ASSERT_FLOAT_EQ(world.GetViewRadius(), 1632.0f);
    ItemObj* first = AddItem(5, 1000, 1000, "Crate");
    ItemObj* second = AddItem(5, 1100, 1000, "Barrel");
    ItemObj* loose = AddItem(0, 1050, 1000, "Loose");  // no group
    auto* other = new TestSceneObject;                   // not an item
    other->SetPos(1050, 1010);
    other->SetScene(scenes.back().get());
    world.AddObj(other, 0, false);
    const int32_t before = world.GetNumElements();

    ctrl.CreateGroupObjects();
    ASSERT_EQ(ctrl.GetNumGroupScenes(), 1);
    EXPECT_EQ(world.GetNumElements(), before + 1);  // the members stay in the world
    const std::vector<ItemObj*> groups = GroupElements();
    ASSERT_EQ(groups.size(), 1u);
    ItemObj* group = groups[0];
    EXPECT_TRUE(group->m_Name == wString("__combined__Crate"));
    EXPECT_EQ(group->m_TypeCode, ElemType::kItem);
    EXPECT_EQ(group->m_GroupNumber, 0u);
    EXPECT_EQ(group->m_Solid, 0);
    EXPECT_EQ(group->m_NetSync, 0);
    EXPECT_FLOAT_EQ(group->GetPos().x, 1050.0f);
    EXPECT_FLOAT_EQ(group->GetPos().y, 1000.0f);
    EXPECT_FLOAT_EQ(group->m_Radius, 50.0f + 32.0f);
    EXPECT_EQ(first->GetScene(), nullptr);
    EXPECT_EQ(second->GetScene(), nullptr);
    EXPECT_NE(loose->GetScene(), nullptr);
    EXPECT_NE(other->GetScene(), nullptr);

    // The group scene holds both meshes, each where its item stood, in the group's frame.
    CombinedSceneData* scene = ctrl.GetGroupScene(0);
    ASSERT_EQ(group->GetScene(), scene);
    EXPECT_EQ(scene->groupNumber, 5u);
    ASSERT_EQ(scene->GetMeshCount(), 2);
    const float expectX[2] = {-50.0f, 50.0f};
    for (int32_t i = 0; i < 2; i++) {
        const DXC_Mesh& mesh = *scene->GetMesh(i);
        D3DXMATRIX placement;
        D3DXMatrixMultiply(&placement, &mesh.offsetMatrix, &mesh.worldMatrix);
        EXPECT_NEAR(placement.m[3][0], expectX[i], 1e-3f) << i;
        EXPECT_NEAR(placement.m[3][1], 0.0f, 1e-3f) << i;
    }
    EXPECT_NEAR(scene->boxMin.x, -58.0f, 1e-3f);
    EXPECT_NEAR(scene->boxMax.x, 58.0f, 1e-3f);
    const D3DXVECTOR3 size = scene->boxMax - scene->boxMin;
    EXPECT_FLOAT_EQ(group->GetBoundingRadius(), 0.5f * D3DXVec3Length(&size));

    // A second merge of the same world finds nothing to merge; the old group element is left
    // without the scene that goes.
    ctrl.CreateGroupObjects();
    EXPECT_EQ(ctrl.GetNumGroupScenes(), 0);
    EXPECT_EQ(group->GetScene(), nullptr);
}

TEST_F(GroupTest, FarItemsAndMergedStarts)
{
    // Too far apart: each query finds one item.
    ItemObj* a = AddItem(1, 100, 100, "A");
    ItemObj* b = AddItem(1, 100 + 1632 + 64 + 1, 100, "B");
    ctrl.CreateGroupObjects();
    EXPECT_EQ(ctrl.GetNumGroupScenes(), 0);
    EXPECT_NE(a->GetScene(), nullptr);
    EXPECT_NE(b->GetScene(), nullptr);

    // C is near A only, D and E near C only: A takes C, and C, merged, still starts D and E.
    AddItem(2, 100, 2000, "C0");
    ItemObj* c = AddItem(2, 1500, 2000, "C");
    AddItem(2, 2900, 2000, "D");
    AddItem(2, 3000, 2000, "E");
    ctrl.CreateGroupObjects();
    EXPECT_EQ(ctrl.GetNumGroupScenes(), 2);
    EXPECT_EQ(c->GetScene(), nullptr);
    const std::vector<ItemObj*> groups = GroupElements();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_TRUE(groups[0]->m_Name == wString("__combined__C0"));
    EXPECT_TRUE(groups[1]->m_Name == wString("__combined__D"));
}

TEST_F(GroupTest, SeventeenGroupsMergeSixteen)
{
    for (uint32_t group = 1; group <= 17; group++) {
        AddItem(group, 500 + 20 * float(group), 500, "L");
        AddItem(group, 500 + 20 * float(group), 540, "R");
    }
    LogCapture log;
    EXPECT_EQ(ErrorOf([&] { ctrl.CreateGroupObjects(); }), "no error");  // the level goes on
    EXPECT_EQ(ctrl.GetNumGroupScenes(), 16);
    EXPECT_EQ(GroupElements().size(), 16u);
    EXPECT_EQ(log.Count("Maximum number of data elements reached: 16"), 1);
    int32_t withScene = 0;
    for (int32_t id = 0; id < world.GetObjCapacity(); id++) {
        auto* item = dynamic_cast<ItemObj*>(world.GetObjNoCheck(id, false));
        withScene += item && item->m_GroupNumber == 17 && item->GetScene() ? 1 : 0;
    }
    EXPECT_EQ(withScene, 2);  // the seventeenth group keeps its scenes

    EXPECT_EQ(ErrorOf([&] { ctrl.AddGroupScene(); }), "Maximum number of data elements reached: 16");
    ctrl.DeleteGroupScenes();
    EXPECT_EQ(ctrl.GetNumGroupScenes(), 0);
    EXPECT_EQ(ctrl.AddGroupScene(), 0);  // the lowest free slot
}
