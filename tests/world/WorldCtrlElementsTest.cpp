// WorldCtrl element table: identities with check values, the three lookup strengths, references
// that detect a reused identity, moves within and beyond the table's capacity, deleting with
// children and controllers, walls by ID, and the identity dump.
#include "world/WorldCtrl.h"

#include "engine/gui/DXC_GuiManager.h"
#include "world/Inventory.h"
#include "world/ItemDragRecord.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class WorldCtrlElementsTest : public ::testing::Test {
protected:
    WorldCtrlElementsTest() { world.SetGrid(32, 32, 64, 64); }  // 4 x 4 blocks

    TestElem* Add(uint16_t type = ElemType::kCreature, float x = 100.0f, float y = 100.0f)
    {
        auto* elem = new TestElem(type, x, y);
        world.AddObj(elem, 0, false);
        return elem;
    }
    int32_t AddWall(float x1, float y1, float x2, float y2)
    {
        VSD_WallIntern wall;
        wall.m_X1 = x1;
        wall.m_Y1 = y1;
        wall.m_X2 = x2;
        wall.m_Y2 = y2;
        return world.InsertWall(wall, 0, 0);
    }

    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(WorldCtrlElementsTest, AddDeleteAddAgainGivesTheSameIdentityWithAnotherCheckValue)
{
    world.GetGameRandom().Seed(7);
    ctrl.gameTime = 12.5;
    auto* first = new TestElem(ElemType::kCreature, 100, 100);
    first->m_StartValueCurrent = 3.0;
    EXPECT_EQ(world.AddObj(first, 0, true), 0);
    EXPECT_EQ(first->m_ObjID, 0);
    EXPECT_EQ(first->m_MyRnd, 0x3f160689);  // the first draw of seed 7 (the generator's reference)
    EXPECT_EQ(first->m_TimeAdded, 12.5);
    EXPECT_EQ(first->m_StartValue, 3.0);  // mode 0 takes the preset value
    EXPECT_EQ(first->inits, 1);
    EXPECT_EQ(first->m_World, &world);
    EXPECT_EQ(ctrl.objectsAdded, std::vector<int32_t>{0});
    EXPECT_EQ(world.GetGameRandom().GetDrawCount(), 1u);

    ObjRef old;
    old.Set(first);
    EXPECT_EQ(world.GetObjByIdentifier(old), first);
    world.DelObj(0, 0);
    EXPECT_EQ(ctrl.objectsDeleted.size(), 1u);

    LogCapture log;
    auto* second = new TestElem(ElemType::kCreature);
    EXPECT_EQ(world.AddObj(second, 1, false), 0);  // the freed slot again
    EXPECT_EQ(second->m_MyRnd, 0x0e45fa87);
    EXPECT_EQ(second->inits, 0);
    EXPECT_EQ(second->m_StartValue, second->m_StartValueCurrent);  // mode 1: one random start for both
    EXPECT_GE(second->m_StartValue, 0.0);
    EXPECT_LE(second->m_StartValue, 100.0);
    EXPECT_EQ(world.GetGameRandom().GetDrawCount(), 3u);  // mode 1 draws twice
    EXPECT_EQ(world.GetObjByIdentifier(old), nullptr);    // stale: nothing, and silently
    EXPECT_EQ(log.Total(), 0u);
    ObjRef now;
    EXPECT_EQ(world.GetObjByIdentifier(now.Set(second)), second);
}

TEST_F(WorldCtrlElementsTest, LookupsInTheirThreeStrengths)
{
    TestElem* elem = Add();
    EXPECT_EQ(world.GetObj(0), elem);
    EXPECT_EQ(world.GetObjSafe(0, "ctx", true), elem);
    EXPECT_EQ(world.GetObjNoCheck(0, true), elem);
    EXPECT_TRUE(world.IsValidObjID(0));
    for (int32_t id : {-5, 1, 99999}) {
        SCOPED_TRACE(id);
        const std::string text = "Invalid object: " + std::to_string(id);
        EXPECT_FALSE(world.IsValidObjID(id));
        EXPECT_EQ(ErrorOf([&] { world.GetObj(id); }), text);
        EXPECT_EQ(ErrorOf([&] { world.GetObjNoCheck(id, true); }), text);
        EXPECT_EQ(world.GetObjNoCheck(id, false), nullptr);
        LogCapture log;
        EXPECT_EQ(world.GetObjSafe(id, "ctx", true), nullptr);
        EXPECT_EQ(world.GetObjSafe(id, nullptr, true), nullptr);
        EXPECT_EQ(world.GetObjSafe(id, "ctx", false), nullptr);
        EXPECT_EQ(log.Count(("GetObjSafe: invalid object: " + std::to_string(id) + " (ctx)").c_str()), 1);
        EXPECT_EQ(log.Count(("GetObjSafe: invalid object: " + std::to_string(id)).c_str()), 2);
        EXPECT_EQ(ErrorOf([&] { world.GetWall(id, true); }), "Invalid wall: " + std::to_string(id));
        EXPECT_EQ(world.GetWall(id, false), nullptr);
    }
}

TEST_F(WorldCtrlElementsTest, ReferencesByKind)
{
    TestElem* creature = Add();
    const int32_t wallID = AddWall(64, 64, 192, 64);
    VSD_WallIntern* wall = world.GetWall(wallID, true);

    const struct {
        int32_t objID;
        uint32_t myRnd;
        uint16_t type;
        const WorldElemBase* expected;
        const char* warning;  // null: none
    } kCases[] = {
        {-1, 0xFFFFFFFFu, 4, nullptr, nullptr},
        {-5, 0, 4, nullptr, "Invalid ObjIdentifier: 4/-5"},
        {-5, 0, 0xFFFF, nullptr, nullptr},
        {0, uint32_t(creature->m_MyRnd), 4, creature, nullptr},
        {0, uint32_t(creature->m_MyRnd) ^ 1, 4, nullptr, nullptr},  // another element's check value
        {wallID, 12345, 7, wall, nullptr},                          // walls resolve whatever it carries
        {wallID + 1, 0, 7, nullptr, nullptr},
        {0, uint32_t(creature->m_MyRnd), 9, nullptr, nullptr},
        {0, uint32_t(creature->m_MyRnd), 0xFFFF, nullptr, nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.objID);
        LogCapture log;
        ObjRef3 ref;
        ref.objID = c.objID;
        ref.myRnd = c.myRnd;
        ref.type = c.type;
        EXPECT_EQ(world.GetObjByIdentifierChecked(ref), c.expected);
        EXPECT_EQ(log.Total(), c.warning ? 1u : 0u);
        if (c.warning) {
            EXPECT_EQ(log.Count(c.warning), 1);
        }
    }

    LogCapture log;
    EXPECT_EQ(world.GetObjByIdentifier(ObjRef(-1, 0)), nullptr);
    EXPECT_EQ(log.Total(), 0u);
    EXPECT_EQ(world.GetObjByIdentifier(ObjRef(-2, 0)), nullptr);
    EXPECT_EQ(log.Count("Invalid ObjIdentifier: -2"), 1);
    EXPECT_EQ(world.GetObjByIdentifier(ObjRef(700, 0)), nullptr);  // beyond the table: nothing
}

TEST_F(WorldCtrlElementsTest, MovesWithinAndBeyondTheCapacity)
{
    TestElem* elems[4];
    for (TestElem*& elem : elems)
        elem = Add();
    EXPECT_EQ(world.GetObjCapacity(), 16384);
    EXPECT_TRUE(world.MoveObjToID(3, 3, true));
    EXPECT_EQ(world.GetObj(3), elems[3]);

    EXPECT_TRUE(world.MoveObjToID(3, 20000, true));
    EXPECT_EQ(world.GetObjCapacity(), 16384 / 4 + 20000 + 8);  // 24104
    EXPECT_EQ(world.GetObj(20000), elems[3]);
    EXPECT_EQ(elems[3]->m_ObjID, 20000);
    EXPECT_FALSE(world.IsValidObjID(3));

    const struct {
        int32_t from, to;
        bool report;
        const char* error;  // "no error": the move fails quietly
    } kBad[] = {
        {-1, 5, true, "Invalid parameter: MoveObjToID(-1,5)"},
        {0, -2, false, "Invalid parameter: MoveObjToID(0,-2)"},
        {0, 1 << 24, true, "Invalid parameter: MoveObjToID(0,16777216)"},  // beyond what an element code holds
        {0, 1, true, "Tried to move to occupied position: 1"},
        {0, 1, false, "no error"},
        {5, 6, true, "Tried to move unoccupied position: 5"},
        {5, 6, false, "no error"},
    };
    for (const auto& c : kBad) {
        SCOPED_TRACE(c.error);
        bool moved = false;
        EXPECT_EQ(ErrorOf([&] { moved = world.MoveObjToID(c.from, c.to, c.report); }), c.error);
        EXPECT_FALSE(moved);
    }
    EXPECT_EQ(world.GetObjCapacity(), 24104);  // no refused move grew the table

    EXPECT_EQ(world.MoveObjToFreeID(20000), 3);  // the lowest free slot
    EXPECT_EQ(elems[3]->m_ObjID, 3);
    EXPECT_EQ(ErrorOf([&] { world.MoveObjToFreeID(20000); }), "Invalid object: 20000");
    EXPECT_EQ(world.GetNumElements(), 4);
}

TEST_F(WorldCtrlElementsTest, DeletingWithChildrenControllersAndRemoving)
{
    TestElem* parent = Add();
    TestElem* kept = Add();
    TestElem* dropped = Add();
    parent->AttachChild(kept);
    parent->AttachChild(dropped);
    kept->m_KeepWithParent = 2;
    dropped->m_KeepWithParent = 0;
    SmartPtr<WorldElem> keptRef(kept);

    parent->DeleteChildren(true);  // keeping: the child that asks to stay lives on, off the list
    EXPECT_EQ(keptRef.Get(), kept);
    EXPECT_FALSE(world.IsValidObjID(2));
    EXPECT_EQ(parent->m_Children.GetSize(), 0);
    EXPECT_EQ(ctrl.objectsDeleted.size(), 1u);

    EXPECT_TRUE(world.IsValidObjID(1));

    TestElem* extra = Add();  // takes the freed slot 2
    parent->AttachChild(extra);
    SmartPtr<WorldElem> extraRef(extra);
    TestInputCtrl input;
    extra->m_InputCtrl = &input;
    extra->m_InputIndex = 4;
    ctrl.objectsDeleted.clear();
    world.DelObj(0, 1);  // with its children, whatever they ask
    EXPECT_EQ(extraRef.Get(), nullptr);
    EXPECT_EQ(input.removed, std::vector<int32_t>{4});
    const std::vector<std::pair<int32_t, int32_t>> told = {{0, 1}, {2, 1}};
    EXPECT_EQ(ctrl.objectsDeleted, told);
    world.DelObj(1, 0);
    EXPECT_EQ(world.GetNumElements(), 0);

    LogCapture log;
    world.DelObj(7, 1);
    world.RemoveObj(7, false);
    EXPECT_EQ(log.Count("Invalid object id in DelObj: 7"), 1);
    EXPECT_EQ(log.Count("Invalid object id in RemoveObj: 7"), 1);
    EXPECT_EQ(ctrl.objectsDeleted.size(), 3u);  // an empty slot is not reported

    // Deleting an element whose inventory an item is being dragged out of ends the drag.
    DXC_GuiManager gui;
    TestElem* other = Add();
    other->CreateInventory(Inventory::kDefaultMaxItems);
    TestElem* owner = Add();
    owner->CreateInventory(Inventory::kDefaultMaxItems);
    ItemDragRecord drag;
    drag.inventory = owner->m_Inventory;
    gui.SetDragObject(&drag, ItemDragRecord::kDragName, nullptr);
    world.DelObj(other->m_ObjID, 0);
    EXPECT_EQ(gui.GetDragObject(), &drag);  // another inventory's drag goes on
    world.DelObj(owner->m_ObjID, 0);
    EXPECT_EQ(gui.GetDragObject(), nullptr);
    ctrl.objectsDeleted.resize(3);

    TestElem* removed = Add(ElemType::kItem, 600, 600);
    removed->m_InputCtrl = &input;
    removed->m_InputIndex = 9;
    WorldBlock* block = world.GetBlock(1, 1);
    EXPECT_EQ(block->objects.GetSize(), 1);
    world.RemoveObj(0, true);
    EXPECT_EQ(removed->m_ObjID, 0);  // alive, and still says where it was
    EXPECT_FALSE(world.IsValidObjID(0));
    EXPECT_EQ(block->objects.GetSize(), 0);
    EXPECT_EQ(input.removed.size(), 1u);  // the controller was kept
    removed->SetPos(1100, 1100);          // out of the table, it enters no block
    EXPECT_EQ(world.GetBlock(2, 2)->objects.GetSize(), 0);
    EXPECT_EQ(ctrl.objectsDeleted.size(), 3u);
    delete removed;
}

TEST_F(WorldCtrlElementsTest, WallsByIdentity)
{
    const int32_t first = AddWall(64, 64, 192, 64);
    const int32_t second = AddWall(600, 600, 700, 600);
    WorldBlock* block = world.GetBlock(1, 1);
    EXPECT_EQ(block->walls.GetSize(), 1);

    EXPECT_EQ(ErrorOf([&] { world.MoveWallToID(9, 10); }), "Internal error: wall ObjID mismatching");
    EXPECT_EQ(ErrorOf([&] { world.MoveWallToID(first, second); }), "Tried to move to occupied position: 1");
    EXPECT_EQ(ErrorOf([&] { world.MoveWallToID(first, 1 << 24); }), "Invalid parameter: MoveWallToID(0,16777216)");
    VSD_WallIntern* wall = world.GetWall(second, true);
    world.MoveWallToID(second, 40);
    EXPECT_EQ(world.GetWall(40, true), wall);
    EXPECT_EQ(wall->m_ObjID, 40);
    EXPECT_EQ(world.MoveWallToFreeID(40), 1);
    EXPECT_EQ(wall->m_ObjID, 1);

    LogCapture log;
    world.DelWall(5);
    EXPECT_EQ(log.Count("Invalid wall id in DelWall: 5"), 1);
    world.DelWall(1);
    EXPECT_EQ(ctrl.wallsDeleted, std::vector<int32_t>{1});
    EXPECT_EQ(block->walls.GetSize(), 0);
    EXPECT_EQ(world.GetNumWalls(), 1);
}

TEST_F(WorldCtrlElementsTest, DumpOfIdentities)
{
    TempDir dir;
    Log::Write("identity dump in %s", dir.Path().c_str());  // the log file stays where it is
    ScopedCurrentDir current(dir.Path());
    Add();
    TestElem* crate = Add(ElemType::kElem);
    crate->m_CfgID = "crate";
    world.MoveObjToID(0, 12, true);
    world.GetObj(12)->m_MyRnd = 0x1A2B3C;
    crate->m_MyRnd = 0x7FFFFFFF;
    world.DumpObjIDs();
    const auto bytes = TempDir::ReadAll(dir("objIDs.txt"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "1 - type:10, MyRnd: 7FFFFFFF, cfgID:crate\r\n12 - type:4, MyRnd: 1A2B3C, cfgID:\r\n");

    ctrl.server = true;
    std::filesystem::create_directory(dir("objIDs_server.txt"));  // cannot be created as a file
    LogCapture log;
    world.DumpObjIDs();  // warned and skipped; nothing is thrown
    EXPECT_EQ(log.Count("Create() failed"), 1);
}
