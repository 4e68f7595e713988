// InputCtrl: the controlled list with the elements' back-references, nested disabling, the AI
// pass with its half-second tick and newly-placed rule, and the mobs with their upkeep and
// MobScript.
#include "game/objects/ai/InputCtrl.h"

#include "game/objects/CreatureObj.h"
#include "world/KI_Strategy.h"
#include "world/WorldTestSupport.h"

#include "game/objects/ActionTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An AI controller that counts its decisions and checks.
class CountingInputCtrl : public InputCtrl {
public:
    int32_t Think(CreatureObj* creature, float, int32_t) override
    {
        thought.push_back(creature);
        return 0;
    }
    int32_t CheckIntention(CreatureObj* creature, float, int32_t) override
    {
        checked.push_back(creature);
        return 0;
    }
    std::vector<CreatureObj*> thought;
    std::vector<CreatureObj*> checked;
};

class InputCtrlTest : public ::testing::Test {
protected:
    InputCtrlTest()
    {
        ctrl.gameWorld = &world;
        input.SetMode(InputCtrl::kModeAI);
        input.SetWorld(&world);
    }

    KI_Strategy& AddStrategy(const char* name, const char* mobScript, float interval)
    {
        KI_Strategy& strategy = *world.GetStrategyTree().Insert(String(name));
        strategy.name = name;
        strategy.mobScript = mobScript;
        strategy.mobScriptInterval = interval;
        return strategy;
    }

    // A creature of the world in the AI's list with a strategy and an enemy (either may be none).
    CreatureObj* AddFighter(const char* strategy, WorldElem* enemy)
    {
        CreatureObj* creature = AddTestElem<CreatureObj>(world);
        input.AddObject(creature, false);
        creature->m_LastEnemy = enemy;
        creature->SetStrategy(String(strategy));
        return creature;
    }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    CountingInputCtrl input;
};

}  // namespace

TEST_F(InputCtrlTest, ListAndBackReferences)
{
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    TestElem* item = AddTestElem<TestElem>(world, ElemType::kItem);
    EXPECT_EQ(input.AddObject(creature, false), 0);
    EXPECT_EQ(input.AddObject(item, false), 1);
    EXPECT_EQ(creature->m_InputCtrl, &input);
    EXPECT_EQ(item->m_InputIndex, 1);
    EXPECT_EQ(ErrorOf([&] { input.AddObject(creature, false); }), "Internal error: object added twice to InputCtrl");
    EXPECT_EQ(input.AddObject(creature, true), 0);  // accepted where it is

    // GetControlledObject answers creatures only, and forgets an index that holds none.
    input.SetControlledObject(7);  // unused: ignored
    EXPECT_EQ(input.GetControlledIndex(), -1);
    input.SetControlledObject(0);
    EXPECT_EQ(input.GetControlledObject(), creature);
    input.SetControlledObject(1);
    EXPECT_EQ(input.GetControlledObject(), nullptr);
    EXPECT_EQ(input.GetControlledIndex(), -1);

    // Another controller takes the creature over; the first one lets it go.
    InputCtrl other;
    EXPECT_EQ(other.AddObject(creature, false), 0);
    EXPECT_EQ(creature->m_InputCtrl, &other);
    EXPECT_EQ(input.FindObject(creature), -1);
    EXPECT_EQ(input.GetNumControlled(), 1);

    // An element that leaves the world leaves its controller; a reset releases the rest.
    world.DelObj(item->m_ObjID, 0);
    EXPECT_EQ(input.GetNumControlled(), 0);
    other.Reset();
    EXPECT_EQ(creature->m_InputCtrl, nullptr);
    EXPECT_EQ(creature->m_InputIndex, -1);
}

TEST_F(InputCtrlTest, DisablingNests)
{
    LogCapture log;
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    input.AddObject(creature, false);
    creature->m_ActionState.moveCode = CreatureObj::kMoveWalk;

    input.Disable(false);  // only counts
    EXPECT_EQ(creature->m_ActionState.moveCode, CreatureObj::kMoveWalk);
    input.Disable(true);   // not the first: counts too
    EXPECT_EQ(creature->m_ActionState.moveCode, CreatureObj::kMoveWalk);
    EXPECT_TRUE(input.IsDisabled(true));
    input.Enable();
    EXPECT_TRUE(input.IsDisabled(true));
    input.Enable();
    EXPECT_FALSE(input.IsDisabled(false));
    input.Enable();
    EXPECT_EQ(log.Count("InputCtrl::Enable() without prior Disable()"), 1);
    EXPECT_EQ(input.GetDisableCount(), 0);

    // A dialogue holds the AI's controller, not a player's; the test can look past it.
    ctrl.dialogPartners.insert(nullptr);
    EXPECT_TRUE(input.IsDisabled(false));
    EXPECT_FALSE(input.IsDisabled(true));
    InputCtrl player;
    player.SetMode(InputCtrl::kModeInput);
    EXPECT_FALSE(player.IsDisabled(false));

    // The first disable that stops: a player's creature is stopped whatever it does.
    CreatureObj* hero = AddTestElem<CreatureObj>(world);
    player.AddObject(hero, false);
    hero->m_ActionState.moveCode = CreatureObj::kMoveWalk;
    player.Disable(true);
    EXPECT_EQ(hero->m_ActionState.moveCode, 0);
    EXPECT_EQ(player.GetDisableCount(), 1);
}

TEST_F(InputCtrlTest, AIPassTicksAndNewlyPlaced)
{
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    input.AddObject(creature, false);
    creature->SetPos(40.0f, 60.0f);
    creature->m_InActiveCell = 1;  // a block the players see

    // Placed in this very step: only its intention is checked.
    ctrl.gameTime = creature->m_TimeAdded;
    creature->m_Moved = 1;
    input.ThinkAll(0.1f);
    EXPECT_EQ(input.checked.size(), 1u);
    EXPECT_TRUE(input.thought.empty());

    struct Case {
        float intentionTime;
        float dt;
        bool tick;
    };
    const Case cases[] = {
        {0.1f, 0.1f, false},   // 0.2 -> 0.4: round(2t) stays 0
        {0.2f, 0.1f, true},    // 0.4 -> 0.6: crosses 0.5 (round(2t) 0 -> 1)
        {0.74f, 0.02f, true},  // 1.48 -> 1.52
        {1.0f, 0.0f, false},
    };
    ctrl.gameTime = creature->m_TimeAdded + 1.0;
    for (const Case& c : cases) {
        creature->m_IntentionTime = c.intentionTime;
        creature->m_HalfSecondSample[0] = -1.0f;
        input.ThinkAll(c.dt);
        EXPECT_EQ(input.IsHalfSecondTick(), c.tick) << c.intentionTime;
        EXPECT_EQ(creature->m_HalfSecondSample[0], c.tick ? 40.0f : -1.0f) << c.intentionTime;
    }
    EXPECT_EQ(input.thought.size(), 3u);  // not with a step of 0
    EXPECT_EQ(input.GetFrameCounter(), 5u);

    // Disabled or in a dialogue: checks instead of decisions. A network client does neither.
    input.thought.clear();
    input.checked.clear();
    input.Disable(false);
    input.ThinkAll(0.1f);
    input.Enable();
    ctrl.dialogPartners.insert(nullptr);
    input.ThinkAll(0.1f);
    EXPECT_EQ(input.checked.size(), 2u);
    EXPECT_TRUE(input.thought.empty());
    ctrl.networkClient = true;
    input.Update(0.1f);
    EXPECT_EQ(input.checked.size(), 2u);
    EXPECT_EQ(input.GetFrameCounter(), 7u);
}

TEST_F(InputCtrlTest, MobMembership)
{
    AddStrategy("Pack", "", 1.0f);
    TestElem* enemy = AddTestElem<TestElem>(world, ElemType::kCreature);
    TestElem* otherEnemy = AddTestElem<TestElem>(world, ElemType::kCreature);

    CreatureObj* noStrategy = AddFighter("", enemy);
    CreatureObj* noEnemy = AddFighter("Pack", nullptr);
    EXPECT_EQ(noStrategy->m_MobData.Get(), nullptr);
    EXPECT_EQ(noEnemy->m_MobData.Get(), nullptr);
    EXPECT_EQ(input.GetNumMobs(), 0);

    CreatureObj* a = AddFighter("Pack", enemy);
    CreatureObj* b = AddFighter("Pack", enemy);
    CreatureObj* c = AddFighter("Pack", otherEnemy);
    ASSERT_NE(a->m_MobData.Get(), nullptr);
    EXPECT_EQ(a->m_MobData.Get(), b->m_MobData.Get());
    EXPECT_NE(a->m_MobData.Get(), c->m_MobData.Get());
    EXPECT_EQ(a->m_MobData->mobNumber, 0);
    EXPECT_EQ(c->m_MobData->mobNumber, 1);
    EXPECT_EQ(input.GetMob(1), c->m_MobData.Get());

    // A mob whose enemy is gone, and the mob whose last member died, go at the next upkeep
    // with a step above 0 only.
    world.DelObj(otherEnemy->m_ObjID, 0);
    EXPECT_EQ(c->m_MobData.Get(), input.GetMob(1));
    world.DelObj(b->m_ObjID, 0);
    world.DelObj(a->m_ObjID, 0);
    input.UpdateMobs(0.0f);
    EXPECT_EQ(input.GetNumMobs(), 2);
    input.UpdateMobs(0.1f);
    EXPECT_EQ(input.GetNumMobs(), 0);
    EXPECT_EQ(c->m_MobData.Get(), nullptr);
}

TEST_F(InputCtrlTest, FullMobTableJoinsNone)
{
    LogCapture log;
    AddStrategy("Pack", "", 1.0f);
    std::vector<TestElem*> enemies;
    for (int32_t i = 0; i < InputCtrl::kMaxMobs + 1; i++)
        enemies.push_back(AddTestElem<TestElem>(world, ElemType::kCreature));
    CreatureObj* last = nullptr;
    for (TestElem* enemy : enemies)
        EXPECT_NO_THROW(last = AddFighter("Pack", enemy));
    EXPECT_EQ(input.GetNumMobs(), InputCtrl::kMaxMobs);
    EXPECT_EQ(last->m_MobData.Get(), nullptr);
    EXPECT_EQ(log.Count("Maximum number of mobs reached: 32"), 1);
}

TEST_F(InputCtrlTest, MobScriptRunsAndRestoresVariables)
{
    AddStrategy("Once", "OnceScript()", 0.0f);
    AddStrategy("Every", "EveryScript()", 0.5f);
    TestElem* enemy = AddTestElem<TestElem>(world, ElemType::kCreature);
    ctrl.SetObjScriptVariable(0, 77);
    ctrl.SetObjScriptVariable(1, 88);
    std::vector<std::pair<int32_t, int32_t>> seen;
    world.onRun = [&] { seen.emplace_back(ctrl.GetObjScriptVariable(0), ctrl.GetObjScriptVariable(1)); };

    AddFighter("Once", enemy);
    AddFighter("Every", enemy);
    ASSERT_EQ(world.runs.size(), 2u);  // each when its mob is made
    EXPECT_EQ(world.runs[0], "MobScript|OnceScript()");
    EXPECT_EQ(seen[1], std::make_pair(1, enemy->m_ObjID));
    EXPECT_EQ(ctrl.GetObjScriptVariable(0), 77);
    EXPECT_EQ(ctrl.GetObjScriptVariable(1), 88);

    for (int32_t frame = 0; frame < 6; frame++)
        input.UpdateMobs(0.2f);  // 1.2 s: the interval of 0 never again, 0.5 s twice
    std::vector<std::string> expected = {"MobScript|OnceScript()", "MobScript|EveryScript()",
                                         "MobScript|EveryScript()", "MobScript|EveryScript()"};
    EXPECT_EQ(world.runs, expected);
}
