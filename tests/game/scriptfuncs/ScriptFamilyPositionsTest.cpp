// Positions, geometry and searches: positions and distances with their refusals, the line test's
// two "iTmp" entries, the wall's four numbers in "fTmp", and searches that overwrite "objList"
// from entry 0 only as far as their count.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"

#include <cmath>

TEST_F(ScriptFuncsTest, PositionsAndDistances)
{
    const int32_t a = Place("Crate", 1280.0f, 1280.0f, "a");
    const int32_t b = Place("GoldCoins", 1310.0f, 1320.0f, "b");
    ASSERT_GE(b, 0);
    const std::string sa = std::to_string(a), sb = std::to_string(b);
    const struct {
        std::string call;
        double value;
        bool refused;
    } cases[] = {
        {"GetPosX(" + sb + ")", 1310.0, false},
        {"GetPosY(" + sb + ")", 1320.0, false},
        {"Distance(" + sa + ", " + sb + ")", 50.0, false},
        {"Distance(" + sa + ", 1280.0, 1300)", 20.0, false},
        {"Distance(" + sa + ")", 0.0, true},
        {"Distance(" + sa + ", " + sb + ", 1, 2)", 0.0, true},
        {"DistanceFromLine(0.0, 5.0, -1.0, 0.0, 1.0, 0.0)", 5.0, false},
        {"DistanceFromLine(0.0, 5.0, 1.0, 0.0, 1.0)", 0.0, true},
        {"AngleDistance(0.5, 0.25)", 0.25, false},
    };
    for (const auto& test : cases) {
        ClearRecords();
        const ScriptValue result = Eval(test.call);
        EXPECT_EQ(result.m_Type, kScriptFloat) << test.call;
        EXPECT_NEAR(result.m_Number, test.value, 1e-4) << test.call;
        EXPECT_EQ(ctrl->errors.size(), test.refused ? 1u : 0u) << test.call;
    }
    EXPECT_EQ(ErrorsWith("Invalid arguments in function AngleDistance"), 0);

    // The wall's end points go to "fTmp" 0 to 3; the call itself gives Void.
    auto* item = static_cast<ItemObj*>(Elem(a));
    ASSERT_GE(item->GetWallCount(), 1);
    VSD_WallIntern* wall = item->GetWallRecord(0).wall.Get();
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(Eval("GetWallPos(" + std::to_string(wall->m_ObjID) + ")").m_Type, kScriptVoid);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(0), wall->m_X1);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(3), wall->m_Y2);

    // The headless ray test has no camera.
    EXPECT_EQ(Eval("GetPointPosition()").m_Integer, 0);
}

TEST_F(ScriptFuncsTest, LineTestWritesWhatStoppedIt)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f, "a");
    ASSERT_GE(crate, 0);
    *ctrl->GetScriptTempInt(0) = 5;
    *ctrl->GetScriptTempInt(1) = 5;
    ScriptValue clear = Eval("GetIntersection(1000.0, 1000.0, 1000.0, 1100.0)");
    EXPECT_EQ(clear.m_Type, kScriptFloat);
    EXPECT_EQ(clear.m_Number, 1.0);
    EXPECT_EQ(*ctrl->GetScriptTempInt(0), -1);
    EXPECT_EQ(*ctrl->GetScriptTempInt(1), -1);

    // Through the crate: stopped on the way, by the crate or one of its walls.
    const ScriptValue stopped = Eval("GetIntersection(1100.0, 1280.0, 1460.0, 1280.0)");
    EXPECT_GT(stopped.m_Number, 0.0);
    EXPECT_LT(stopped.m_Number, 1.0);
    const int32_t hitID = *ctrl->GetScriptTempInt(0);
    const int32_t isWall = *ctrl->GetScriptTempInt(1);
    EXPECT_GE(hitID, 0);
    EXPECT_TRUE(isWall == 0 || isWall == 1);
    if (isWall == 0) {
        EXPECT_EQ(hitID, crate);
    }
}

TEST_F(ScriptFuncsTest, SearchesFillTheResultList)
{
    for (int32_t i = 0; i < 3; i++)
        Place("GoldCoins", 1200.0f + 40.0f * float(i), 1200.0f, "coin");
    Place("Crate", 1600.0f, 1600.0f, "box");
    int32_t* list = ctrl->GetWorld().GetScriptResultList();
    list[0] = list[1] = list[2] = list[3] = 4321;

    EXPECT_EQ(Eval("GetAllObjectsWithCfgID(\"Nothing\")").m_Integer, 0);
    EXPECT_EQ(list[0], 4321);  // nothing written
    EXPECT_EQ(Eval("GetAllObjectsWithWorldID(\"coin\")").m_Integer, 3);
    const int32_t third = list[2];
    EXPECT_EQ(Eval("GetAllObjectsWithCfgID(\"Crate\")").m_Integer, 1);
    EXPECT_EQ(Elem(list[0])->m_CfgID, "Crate");
    EXPECT_EQ(list[2], third);  // past the count the first search's entries stay
    EXPECT_EQ(list[3], 4321);
    EXPECT_EQ(Eval("objList[0]").m_Integer, list[0]);

    EXPECT_EQ(Eval("GetAllObjectsWithinRadius(1200.0, 1200.0, 50.0, \"GoldCoins\")").m_Integer, 2);
    EXPECT_EQ(Eval("GetAllObjectsWithinRadius(1200.0, 1200.0, 50.0, 3)").m_Integer, 0);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function GetAllObjectsWithinRadius"), 1);
    const int32_t nearest = Eval("GetNearestObjectWithCfgID(\"Crate\", 1500.0, 1500.0, -1.0)").m_Integer;
    EXPECT_EQ(Elem(nearest)->m_CfgID, "Crate");

    // The counters take an optional Int party only.
    const int32_t all = Eval("GetNumberOfCreatures()").m_Integer;
    Place("Hero", 1280.0f, 1400.0f, "hero1");
    EXPECT_EQ(Eval("GetNumberOfCreatures()").m_Integer, all + 1);
    EXPECT_EQ(Eval("GetNumberOfAliveCreatures(1)").m_Integer, 1);
    ClearRecords();
    EXPECT_EQ(Eval("GetNumberOfCreatures(\"1\")").m_Integer, 0);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function GetNumberOfCreatures"), 1);

    // A mob number the mob table does not hold is refused; a known mob lists its members.
    ClearRecords();
    EXPECT_EQ(Eval("GetAllCreaturesInMob(3)").m_Integer, 0);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function GetAllCreaturesInMob"), 1);
    MobData mob;
    const int32_t hero = Eval("GetObject(\"hero1\")").m_Integer;
    *mob.members.GetBySlot(mob.members.Add()) = Elem(hero);
    ctrl->mobs[3] = &mob;
    EXPECT_EQ(Eval("GetAllCreaturesInMob(3)").m_Integer, 1);
    EXPECT_EQ(list[0], hero);
    ctrl->mobs.clear();
}
