// WorldCtrl queries: radius queries nearest first with the name rule, creatures in range, the
// object list and its sort, nearest elements, collecting queries that stop at the result list's
// end, lookups by name, the active blocks and the view's blocks.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

class Creature : public TestElem {
public:
    Creature(float x, float y, int32_t party) : TestElem(ElemType::kCreature, x, y) { m_Party = party; }
    bool IsDead() override { return dead; }
    WorldElem* GetCurrentTarget() override { return target; }
    bool GetSecondCreatureFlag() override { return secondFlag; }
    bool CanBeAlerted() override { return true; }
    float GetAlertRadius() override { return 600.0f; }
    void OnAlerted(WorldElem* enemy) override { alertedBy = enemy; }
    bool dead = false;
    WorldElem* target = nullptr;
    bool secondFlag = false;
    WorldElem* alertedBy = nullptr;
};

class WorldCtrlQueriesTest : public ::testing::Test {
protected:
    WorldCtrlQueriesTest() { world.SetGrid(64, 64, 64, 64); }  // 4096 units: 8 x 8 blocks

    TestElem* Add(TestElem* elem, const char* cfgID = "")
    {
        elem->m_CfgID = cfgID;
        world.AddObj(elem, 0, false);
        return elem;
    }
    std::vector<int32_t> Results(int32_t count) const
    {
        return std::vector<int32_t>(world.GetResultList(), world.GetResultList() + count);
    }

    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(WorldCtrlQueriesTest, NameRule)
{
    const struct {
        const char* text;
        const char* given;
        bool whole, matches;
    } kCases[] = {
        {"Guard", "guard", true, true},     {"Guardian", "guard", true, false}, {"Guardian", "GUARD", false, true},
        {"Gu", "guard", false, false},      {"Guard", "", false, true},         {"Guard", "", true, false},
        {"", "", true, true},               {"", "guard", false, false},        {"", nullptr, false, true},
        {"Guard", nullptr, false, false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(WorldCtrl::MatchesName(String(c.text), c.given, c.whole), c.matches)
            << c.text << " / " << (c.given ? c.given : "null") << " " << c.whole;
}

TEST_F(WorldCtrlQueriesTest, RadiusQueriesNearestFirst)
{
    Add(new TestElem(ElemType::kElem, 1300, 1000), "Orc");            // 0: 300 away
    Add(new TestElem(ElemType::kElem, 1000, 1100), "Guardian");       // 1: 100
    Add(new TestElem(ElemType::kElem, 1000, 800), "guard");           // 2: 200
    Add(new TestElem(ElemType::kElem, 1000, 1520), "Guard");          // 3: 520, within 500 + its radius 32
    Add(new TestElem(ElemType::kElem, 1000, 1540), "Guard");          // 4: 540, beyond
    Add(new TestElem(ElemType::kWall, 1000, 1520), "Guard");          // 5: not live: its radius does not count
    Add(new TestElem(ElemType::kEffect, 1000, 1000), "Guard");        // 6: effects are no valid type
    const struct {
        const char* name;
        bool whole;
        std::vector<int32_t> ids;
    } kCases[] = {
        {nullptr, false, {1, 2, 0, 3}},
        {"guard", true, {2, 3}},
        {"GUARD", false, {1, 2, 3}},
        {"Orcs", false, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name ? c.name : "null");
        EXPECT_EQ(Results(world.GetAllObjectsWithinRadius(1000, 1000, 500, c.name, c.whole)), c.ids);
    }

    std::vector<WorldElem*> out;
    const ElemValidator onlyGuards = [](WorldElem* elem) { return elem->m_CfgID.EqualsNoCase("guard"); };
    EXPECT_EQ(world.CollectObjectsWithinRadius(out, 1000, 1000, 250, &onlyGuards), 1);
    EXPECT_EQ(world.CollectObjectsWithinRadius(out, 1000, 1000, 250, nullptr), 2);  // within 250 + 32

    EXPECT_EQ(world.GetNearestObjectWithCfgID("GUARD", 1000, 1000, 0, false), 2);  // the whole map
    EXPECT_EQ(world.GetNearestObjectWithCfgID("Guard", 1000, 1000, 150, false), -1);
    EXPECT_EQ(world.GetNearestObjectWithCfgID("orc", 1000, 1000, 400, true), 0);
    world.GetObj(1)->m_Mass = 5.0f;
    EXPECT_EQ(world.GetNearestObjectWithMass(1000, 1000, 0), 1);
    EXPECT_EQ(world.GetNearestObjectWithMass(1000, 1000, 50), -1);
    Add(new TestElem(ElemType::kElem, 1300, 1000), "Orc");  // 7: as near as 0, met after it
    EXPECT_EQ(world.GetNearestObjectWithCfgID("Orc", 1000, 1000, 0, false), 0);
}

TEST_F(WorldCtrlQueriesTest, CreaturesInRangeAndTheObjectList)
{
    auto* hunter = static_cast<Creature*>(Add(new Creature(1000, 1000, 1)));
    auto* near = static_cast<Creature*>(Add(new Creature(1100, 1000, 2)));
    auto* far = static_cast<Creature*>(Add(new Creature(1400, 1000, 2)));
    auto* friendly = static_cast<Creature*>(Add(new Creature(1050, 1000, 1)));
    auto* dead = static_cast<Creature*>(Add(new Creature(1020, 1000, 2)));
    auto* hidden = static_cast<Creature*>(Add(new Creature(1000, 1300, 2)));
    dead->dead = true;
    VSD_WallIntern wall;
    wall.m_X1 = 900;
    wall.m_Y1 = 1200;
    wall.m_X2 = 1100;
    wall.m_Y2 = 1200;
    world.InsertWall(wall, 0, 0);

    ASSERT_EQ(world.GetCreaturesInRange(hunter, 0, 1), 2);
    EXPECT_EQ(world.GetObjectList()[0].elem, near);
    EXPECT_FLOAT_EQ(world.GetObjectList()[0].distance, 36.0f);  // 100 less both radii
    EXPECT_EQ(world.GetObjectList()[1].elem, far);
    EXPECT_EQ(world.GetCreaturesInRange(hunter, 200, 1), 1);
    EXPECT_EQ(world.GetCreaturesInRange(hunter, 0, 0), 1);  // the one it is not hostile to
    EXPECT_EQ(world.GetObjectList()[0].elem, friendly);

    EXPECT_EQ(world.GetNearestCreature(1000, 1000, 0, 1), near->m_ObjID);  // the dead one is passed over
    EXPECT_EQ(world.GetNearestCreature(1000, 1000, 50, 1), -1);
    EXPECT_EQ(world.GetNearestCreature(1000, 1000, 0, 2), hunter->m_ObjID);
    hidden->target = hunter;
    near->target = hunter;
    near->secondFlag = true;
    far->target = near;
    EXPECT_EQ(Results(world.GetAllCreaturesAttacking(hunter, false, false)),
              (std::vector<int32_t>{near->m_ObjID, hidden->m_ObjID}));
    EXPECT_EQ(Results(world.GetAllCreaturesAttacking(hunter, true, false)), std::vector<int32_t>{near->m_ObjID});
    EXPECT_EQ(Results(world.GetAllCreaturesAttacking(hunter, false, true)), std::vector<int32_t>{near->m_ObjID});

    world.AlertEnemy(near, 1, hunter);
    EXPECT_EQ(far->alertedBy, hunter);  // of near's party, within its alert radius
    EXPECT_EQ(hidden->alertedBy, hunter);
    EXPECT_EQ(friendly->alertedBy, nullptr);

    EXPECT_EQ(world.GetNumberOfCreatures(-1, false), 6);
    EXPECT_EQ(world.GetNumberOfCreatures(2, false), 4);
    EXPECT_EQ(world.GetNumberOfCreatures(2, true), 3);
}

TEST_F(WorldCtrlQueriesTest, ObjectListKeepsTheNearestAndSorts)
{
    std::vector<std::unique_ptr<TestElem>> elems;
    for (int32_t i = 0; i < WorldCtrl::kObjectListSize + 5; i++)
        elems.push_back(std::make_unique<TestElem>());
    world.GetCreaturesInRange(elems[0].get(), 1, 1);  // empties the list
    world.AddToObjectList({elems[0].get(), 5.0f, 0});
    world.AddToObjectList({elems[0].get(), 3.0f, 0});
    world.AddToObjectList({elems[0].get(), 4.0f, 0});
    EXPECT_EQ(world.GetObjectListCount(), 1);
    EXPECT_EQ(world.GetObjectList()[0].distance, 3.0f);
    LogCapture log;
    for (int32_t i = 1; i < WorldCtrl::kObjectListSize + 5; i++)
        world.AddToObjectList({elems[size_t(i)].get(), float(i), 0});
    EXPECT_EQ(world.GetObjectListCount(), WorldCtrl::kObjectListSize);
    EXPECT_GE(log.Count("Too many objects for list!"), 1);
    EXPECT_EQ(world.GetObjectList()[WorldCtrl::kObjectListSize - 1].elem, elems[WorldCtrl::kObjectListSize - 1].get());

    std::mt19937 random(5);
    for (int32_t n : {0, 1, 2, 14, 15, 16, 100, 256}) {
        std::vector<WorldCtrl::ObjectListEntry> records(static_cast<size_t>(n));
        for (auto& r : records)
            r.distance = float(random() % 40);  // many equal distances
        WorldCtrl::SortDataSort(records.data(), 0, n - 1);
        EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                                   [](const auto& a, const auto& b) { return a.distance < b.distance; }))
            << n;
    }
}

TEST_F(WorldCtrlQueriesTest, CollectingQueriesStopAtTheResultListsEnd)
{
    for (int32_t i = 0; i < 20000; i++)  // 10000 of them on the line y = 100
        Add(new TestElem(ElemType::kElem, float(i % 10000) * 0.4f, i < 10000 ? 100.0f : 2000.0f), "swarm");
    const struct {
        const char* what;
        std::function<int32_t()> query;
    } kQueries[] = {
        {"cfgID", [&] { return world.GetAllObjectsWithCfgID("swarm", true); }},
        {"party", [&] { return world.GetAllObjectsWithParty(WorldElem::kPartyFriendlyToAll); }},
        {"radius", [&] { return world.GetAllObjectsWithinRadius(2000, 1000, 5000, nullptr, false); }},
        {"line", [&] { return world.GetAllObjectsInLine(0, 100, 4000, 100); }},
    };
    for (const auto& q : kQueries) {
        SCOPED_TRACE(q.what);
        LogCapture log;
        EXPECT_EQ(q.query(), WorldCtrl::kResultListSize);
        EXPECT_EQ(log.Count("Too many objects for list!"), 1);  // one warning, nothing written past the end
    }
    world.GetAllObjectsWithCfgID("swarm", true);
    EXPECT_EQ(world.GetResultList()[WorldCtrl::kResultListSize - 1], WorldCtrl::kResultListSize - 1);
    EXPECT_EQ(world.GetAllObjectsWithWorldID("nobody", true), 0);
}

TEST_F(WorldCtrlQueriesTest, LookupsByName)
{
    TestElem* a = Add(new TestElem(ElemType::kElem, 100, 100), "crate");
    TestElem* b = Add(new TestElem(ElemType::kElem, 200, 100), "Crate");
    TestElem* c = Add(new TestElem(ElemType::kCreature, 300, 100), "orc");
    a->m_WorldID = "door";
    b->m_WorldID = "DOOR";
    a->SetName(wString("Smith"));
    c->SetName(wString("Smithy"));

    int32_t start = 0;
    EXPECT_EQ(world.FindObjectByWorldID("Door", &start), a);
    EXPECT_EQ(world.FindObjectByWorldID("Door", &start), b);
    EXPECT_EQ(world.FindObjectByWorldID("Door", &start), nullptr);
    EXPECT_EQ(world.FindObjectByWorldID(nullptr, nullptr), nullptr);
    ctrl.mainChar = c;
    EXPECT_EQ(world.FindObjectByWorldID("hero", nullptr), c);

    EXPECT_EQ(world.GetCfgObject("CRATE", 1), 1);
    EXPECT_EQ(world.GetCfgObject("crate", 2), -1);
    EXPECT_EQ(world.GetNameObject("smith", 0, true), 0);
    EXPECT_EQ(world.GetNameObject("Smithy", 0, true), 2);
    EXPECT_EQ(world.GetNameObject("Smithy the younger", 1, false), 2);  // the given name begins with theirs
    EXPECT_EQ(world.GetNameObject("Smi", 0, false), -1);
    EXPECT_EQ(Results(world.GetAllObjectsWithWorldID("do", false)), (std::vector<int32_t>{0, 1}));

    VSD_WallIntern wall;
    wall.m_X1 = 1000;
    wall.m_Y1 = 1000;
    wall.m_X2 = 1000;
    wall.m_Y2 = 1200;
    wall.m_WorldID = "gate";
    wall.m_CfgID = "fence";
    const int32_t gate = world.InsertWall(wall, 0, 0);
    EXPECT_EQ(world.GetWallByWorldID("GATE"), world.GetWall(gate, true));
    EXPECT_EQ(world.GetWallByWorldID("none"), nullptr);
    EXPECT_EQ(Results(world.GetAllWallsWithWorldID("ga", false)), std::vector<int32_t>{gate});
    EXPECT_EQ(Results(world.GetAllWallsWithinRadius(1050, 1100, 60, nullptr, false)), std::vector<int32_t>{gate});
    EXPECT_EQ(world.GetAllWallsWithinRadius(1050, 1100, 40, nullptr, false), 0);
    EXPECT_EQ(world.GetAllWallsWithinRadius(1050, 1100, 60, "fen", false), 1);
    EXPECT_EQ(world.GetAllWallsWithinRadius(1050, 1100, 60, "fen", true), 0);
    EXPECT_EQ(world.GetNearestLight(0, 0, 0), nullptr);
    EXPECT_EQ(world.GetAllLightsWithWorldID("any", false), 0);
}

TEST_F(WorldCtrlQueriesTest, ActiveBlocksAndTheView)
{
    world.SetViewFloorSize(50, 50);  // a view radius of 51 x 64 / 2 = 1632 units
    EXPECT_EQ(world.GetActiveBlockReach(), 5);
    world.RevealMapArea(100, 100, true);
    world.RevealMapArea(3900, 3900, false);
    EXPECT_EQ(world.GetNumActiveAreas(), 2);
    const struct {
        int32_t column, row;
        bool active;
    } kBlocks[] = {{0, 0, true}, {5, 0, true}, {3, 4, true}, {4, 4, true}, {4, 3, true}, {6, 0, false},
                   {7, 7, true}, {4, 5, true}, {0, 6, false}, {2, 7, true}, {1, 7, false}};
    for (const auto& b : kBlocks)
        EXPECT_EQ(world.IsBlockActive(b.column, b.row), b.active) << b.column << " " << b.row;

    TestElem* elem = Add(new TestElem(ElemType::kElem, 3100, 100));
    EXPECT_FALSE(world.IsCellActive(*elem));
    elem->SetPos(2600, 100);
    EXPECT_TRUE(world.IsCellActive(*elem));
    elem->SetPos(-600, 100);  // no block: never active
    EXPECT_FALSE(world.IsCellActive(*elem));
    world.ClearActiveBlocks();
    EXPECT_FALSE(world.IsBlockActive(0, 0));
    EXPECT_EQ(world.GetNumActiveAreas(), 0);

    world.SetViewOrigin(100, 100);  // view reach (50 x 64 / 2 + 511) / 512 = 4 blocks
    EXPECT_TRUE(world.IsBlockNearView(7, 7));
    EXPECT_TRUE(world.IsBlockInView(6, 0));
    EXPECT_FALSE(world.IsBlockInView(7, 0));
    EXPECT_FALSE(world.IsBlockNearView(8, 0));  // beyond the grid
}
