// WorldCtrl damage: one element in the name of an element, of nobody or of a party with the
// friendly-fire factor; an area by the gap to its centre, with walls, the attack serial that hits
// a creature once, a victim whose script deletes its neighbour, and a hit list that grows.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Records the damage it takes.
class Victim : public WorldElem {
public:
    struct Hit {
        float amount;
        WorldElem* attacker;
        int32_t arg;
        int32_t arg2;
    };
    Victim(uint16_t type, float x, float y, float radius, int32_t party)
    {
        m_TypeCode = type;
        m_PosX = x;
        m_PosY = y;
        m_Radius = radius;
        m_Party = party;
    }
    int32_t OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                     const char* source, int32_t arg2, const D3DXVECTOR2* position) override
    {
        hits.push_back({damage ? damage->damage[0] : -1.0f, attacker, arg, arg2});
        return WorldElem::OnDamage(damage, attacker, arg, direction, source, arg2, position);
    }
    uint32_t GetAttackSerial() override { return serial; }
    std::vector<Hit> hits;
    uint32_t serial = 0;
};

class WorldCtrlDamageTest : public ::testing::Test {
protected:
    WorldCtrlDamageTest()
    {
        world.SetGrid(32, 32, 64, 64);
        damage.damage[0] = 100.0f;
    }
    Victim* Add(float x, float y, float radius = 0.0f, int32_t party = 0, uint16_t type = ElemType::kCreature)
    {
        return AddTestElem<Victim>(world, type, x, y, radius, party);
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
    TestDamageValues damage;
};

}  // namespace

TEST_F(WorldCtrlDamageTest, OneTargetInTheNameOfItsCauser)
{
    Victim* target = Add(500, 500, 10, 1);
    Victim* causer = Add(600, 600, 10, 0);
    struct Case {
        int32_t causer;
        int32_t targetParty;
        float friendlyFire;
        float amount;  // -1: no damage
        WorldElem* attacker;
    };
    const Case cases[] = {
        {-1, 1, 0.0f, 100.0f, nullptr},
        {causer->m_ObjID, 1, 0.0f, 100.0f, causer},
        {1000001, 1, 0.5f, 50.0f, nullptr},  // the same player party: friendly fire
        {1000001, 1, 0.0f, -1.0f, nullptr},
        {1000001, 2, 0.5f, 100.0f, nullptr},  // two player parties are hostile
        {1000001, 0, 0.5f, 100.0f, nullptr},  // monsters
        {999999, 0, 0.5f, 100.0f, nullptr},   // party -1: hostile to all
    };
    for (const Case& c : cases) {
        target->hits.clear();
        target->m_Party = c.targetParty;
        ctrl.friendlyFire = c.friendlyFire;
        world.DamageObj(target->m_ObjID, &damage, c.causer, nullptr, nullptr, 3, 4);
        if (c.amount < 0.0f) {
            EXPECT_TRUE(target->hits.empty()) << c.causer;
            continue;
        }
        ASSERT_EQ(target->hits.size(), 1u) << c.causer;
        EXPECT_EQ(target->hits[0].amount, c.amount) << c.causer;
        EXPECT_EQ(target->hits[0].attacker, c.attacker) << c.causer;
        EXPECT_EQ(target->hits[0].arg, 3);
        EXPECT_EQ(target->hits[0].arg2, 4);
    }
    EXPECT_EQ(damage.damage[0], 100.0f);  // scaled copies only

    target->hits.clear();
    LogCapture log;
    world.DamageObj(77, &damage, -1, nullptr, nullptr, 0, 0);
    world.DamageObj(target->m_ObjID, &damage, 999899, nullptr, nullptr, 0, 0);  // an object ID
    EXPECT_EQ(log.Count("Invalid target id in DamageObj: 77"), 1);
    EXPECT_EQ(log.Count("Invalid causer id in DamageObj: 999899"), 1);
    ctrl.gameRunning = true;  // a client's elements are the server's to damage
    world.DamageObj(target->m_ObjID, &damage, -1, nullptr, nullptr, 0, 0);
    EXPECT_TRUE(target->hits.empty());
}

TEST_F(WorldCtrlDamageTest, AreaByTheGapToTheCentre)
{
    // Radius 0.5 works as 1 (R 0.75): gap 12.25 - 10 - 1.5 - 0.25 = 0.5 is within it.
    Victim* small = Add(512.25f, 500, 10);
    EXPECT_EQ(world.DamageAll(500, 500, &damage, 0.5f, -1, 0.0f, 0, nullptr, nullptr, 0), 1);
    ASSERT_EQ(small->hits.size(), 1u);
    EXPECT_NEAR(small->hits[0].amount, 100.0f * (1.0f - 0.25f / 0.5625f), 1e-3f);
    world.DelObj(small->m_ObjID, 0);

    // Radius 100: R 75, gap d - 1.5 - 25 for a point-sized element.
    Victim* edge = Add(1101.5f, 1000);  // gap exactly R: not hit
    Victim* inside = Add(1000, 1101);   // gap 74.5
    Victim* centre = Add(1005, 1000, 10);  // overlaps the centre: gap 0, full, no wall test
    AddTestWall(world, 1002, 990, 1002, 1010);
    Victim* walled = Add(1040, 1000);  // behind the wall
    EXPECT_EQ(world.DamageAll(1000, 1000, &damage, 100.0f, -1, 0.0f, 0, nullptr, nullptr, 0), 2);
    EXPECT_TRUE(edge->hits.empty());
    EXPECT_TRUE(walled->hits.empty());
    ASSERT_EQ(centre->hits.size(), 1u);
    EXPECT_EQ(centre->hits[0].amount, 100.0f);
    ASSERT_EQ(inside->hits.size(), 1u);
    EXPECT_NEAR(inside->hits[0].amount, 100.0f * (1.0f - 74.5f * 74.5f / 5625.0f), 1e-3f);
    EXPECT_EQ(world.GetHitList(), (std::vector<int32_t>{centre->m_ObjID, inside->m_ObjID}));  // block by block

    // The directly hit element has gap 0 wherever it is.
    inside->hits.clear();
    world.DamageAll(1000, 1000, &damage, 100.0f, -1, 0.0f, 0, inside, nullptr, 0);
    EXPECT_EQ(inside->hits[0].amount, 100.0f);
}

TEST_F(WorldCtrlDamageTest, OneAttackHitsACreatureOnce)
{
    Victim* creature = Add(500, 500, 5);
    Victim* crate = Add(505, 500, 5, 0, ElemType::kElem);
    Victim* attacker = Add(900, 900, 5);
    attacker->serial = 4242;
    for (int32_t pass = 0; pass < 2; pass++)
        EXPECT_EQ(world.DamageAll(500, 500, &damage, 50.0f, -1, 0.0f, 0, nullptr, attacker, 0), 2);
    EXPECT_EQ(creature->hits.size(), 1u);  // still counted as hit
    EXPECT_EQ(crate->hits.size(), 2u);     // only creatures remember attacks
    EXPECT_EQ(creature->m_HitSerials[0], 4242u);
    attacker->serial = 4343;  // the next attack hits again
    world.DamageAll(500, 500, &damage, 50.0f, -1, 0.0f, 0, nullptr, attacker, 0);
    EXPECT_EQ(creature->hits.size(), 2u);
}

TEST_F(WorldCtrlDamageTest, AScriptThatDeletesANeighbourLeavesThePassIntact)
{
    Victim* first = Add(500, 500, 5);
    Victim* second = Add(510, 500, 5);
    Victim* third = Add(520, 500, 5);
    first->m_OnDamage = "Explode();";
    second->m_OnDamage = "Explode();";
    bool done = false;
    world.onRun = [&] {
        if (done)
            return;
        done = true;
        world.DelObj(second->m_ObjID, 1);
        world.DelObj(first->m_ObjID, 1);
    };
    EXPECT_EQ(world.DamageAll(510, 500, &damage, 100.0f, -1, 0.0f, 0, nullptr, nullptr, 0), 3);
    ASSERT_EQ(third->hits.size(), 1u);
    EXPECT_EQ(world.GetNumElements(), 1);

    // The hit list grows past any fixed size.
    for (int32_t i = 0; i < 300; i++)
        Add(1500.0f + float(i % 20), 1500.0f + float(i / 20));
    EXPECT_EQ(world.DamageAll(1510, 1510, &damage, 200.0f, -1, 0.0f, 0, nullptr, nullptr, 0), 300);
    EXPECT_EQ(world.GetHitList().size(), 300u);
}
