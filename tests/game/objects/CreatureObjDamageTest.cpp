// CreatureObj damage intake: a blast that reaches a creature twice damages it once, factor
// scripts by their result, the AI's re-assessment by priority, targets by number (an invalid one
// is reported and names nothing), direct damage only while alive, and the blood effect.
#include "game/objects/CreatureObj.h"

#include "CreatureCombatTestSupport.h"
#include "support/LogCapture.h"
#include "world/KI_Strategy.h"

#include <gtest/gtest.h>

namespace {

// The element of a blast: its attack id tells its hits apart.
class BlastElem : public TestElem {
public:
    uint32_t GetAttackSerial() override { return serial; }
    uint32_t serial = 0;
};

class CreatureObjDamageTest : public ::testing::Test {
protected:
    CreatureObjDamageTest()
    {
        ctrl.gameWorld = &world;
        world.SetGrid(32, 32, 64, 64);
        creature = AddTestElem<CreatureObj>(world);
        creature->SetPos(300.0f, 300.0f);
        creature->m_Party = 1;
        creature->m_Radius = 10.0f;
    }

    ResultWorld world;
    CombatTestCtrl ctrl;
    CreatureObj* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjDamageTest, BlastDamagesOnceUntilThreeOthersFollowed)
{
    auto* blast = AddTestElem<BlastElem>(world);
    blast->SetPos(300.0f, 300.0f);
    blast->m_Party = 2;
    TestDamageValues damage;
    damage.damage[0] = 10.0f;
    auto explode = [&](uint32_t serial) {
        blast->serial = serial;
        world.DamageAll(300.0f, 300.0f, &damage, 50.0f, blast->m_ObjID, 0.0f, -1, nullptr, blast, 0);
    };
    explode(7);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 40.0f);
    explode(7);  // the same explosion reaching it again
    EXPECT_FLOAT_EQ(creature->GetHealth(), 40.0f);
    for (uint32_t other : {8u, 9u, 10u})
        explode(other);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 10.0f);
    explode(7);  // pushed out of the three remembered
    EXPECT_LE(creature->GetHealth(), 0.0f);
    EXPECT_EQ(ctrl.deaths.size(), 1u);
}

TEST_F(CreatureObjDamageTest, DamageIsIgnoredByFriendsShieldsAndTheDead)
{
    auto* friendCreature = AddTestElem<CreatureObj>(world);
    friendCreature->m_Party = 1;
    TestDamageValues damage;
    damage.damage[0] = 10.0f;
    creature->OnDamage(&damage, friendCreature, -2, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 50.0f);  // no friendly fire
    ctrl.friendlyFireBetween = 0.5f;
    creature->OnDamage(&damage, friendCreature, -2, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 45.0f);

    creature->m_ShieldStrength = 1.0f;
    creature->OnDamage(&damage, nullptr, -2, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 45.0f);
    creature->m_ShieldStrength = 0.0f;
    creature->m_Stats.receiveDamage = 0;
    creature->OnDamage(&damage, nullptr, -2, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 45.0f);

    creature->m_Health = 0.0f;
    creature->DamageDirect(5.0f, nullptr, 0, 0, 0, -2);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 0.0f);
}

TEST_F(CreatureObjDamageTest, HitReactionsOfTheEngineHit)
{
    TestDamageValues damage;
    damage.damage[0] = 4.0f;
    damage.damage[2] = 1.0f;  // stun strength
    damage.damage[3] = 2.0f;  // stun time
    damage.valueA = 3.0f;     // slow time
    creature->OnDamage(&damage, nullptr, -2, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 46.0f);
    EXPECT_TRUE(creature->IsInfluenced(CreatureObj::kEffectStun, 0.0f, nullptr, false));
    InfluenceParams slow;
    ASSERT_TRUE(creature->IsInfluenced(CreatureObj::kEffectSlow, 0.0f, &slow, false));
    EXPECT_FLOAT_EQ(slow.y, 3.0f);
    EXPECT_EQ(creature->m_Influences.GetAt(1)->priority, -1);
}

TEST_F(CreatureObjDamageTest, FactorScriptResults)
{
    const String script("Factor();");
    struct Case {
        int32_t type;
        float expected;
    };
    const Case cases[] = {{kScriptVoid, 2.0f}, {kScriptInt, 6.0f}, {kScriptFloat, 1.0f}, {kScriptString, 0.0f}};
    for (const Case& c : cases) {
        switch (c.type) {
        case kScriptVoid: world.result.SetVoid(); break;
        case kScriptInt: world.result.SetInt(3); break;
        case kScriptFloat: world.result.SetFloat(0.5); break;
        default: world.result.SetString("many"); break;
        }
        float factor = 2.0f;
        creature->ApplyDamageFactorScript(script, factor);
        EXPECT_FLOAT_EQ(factor, c.expected) << c.type;
    }
    EXPECT_EQ(world.runs.back(), "DamFactorScript|Factor();");
    const size_t runs = world.runs.size();
    float factor = 2.0f;
    creature->ApplyDamageFactorScript(String(), factor);  // no script: no run, no change
    EXPECT_EQ(world.runs.size(), runs);
    EXPECT_FLOAT_EQ(factor, 2.0f);
}

TEST_F(CreatureObjDamageTest, ReAssessByPriority)
{
    KI_Strategy decision;
    decision.reassessPrior = 150;
    creature->SetDecision(&decision);
    const struct {
        int32_t level;
        bool disturbs;
    } cases[] = {{100, false}, {150, true}, {200, true}, {9999, true}};
    for (const auto& c : cases) {
        creature->m_ReassessFlag = 0;
        creature->m_Strategy.strategyTimer = 1.0f;
        creature->ReAssessAI(c.level);
        EXPECT_EQ(creature->m_ReassessFlag, c.disturbs ? 1 : 0) << c.level;
        EXPECT_FLOAT_EQ(creature->m_Strategy.strategyTimer, c.disturbs ? 0.0f : 1.0f) << c.level;
    }
    creature->SetDecision(nullptr);
}

TEST_F(CreatureObjDamageTest, TargetsByNumber)
{
    auto* hero = AddTestElem<CreatureObj>(world);
    auto* enemy = AddTestElem<CreatureObj>(world);
    auto* summoner = AddTestElem<CreatureObj>(world);
    ctrl.mainChar = hero;
    creature->SetLastEnemy(enemy);
    creature->SetCreator(summoner);
    creature->m_ElemRefs[2] = summoner;
    EXPECT_EQ(creature->GetTargetByID(1), enemy);
    EXPECT_EQ(creature->GetTargetByID(2), nullptr);
    EXPECT_EQ(creature->GetTargetByID(3), summoner);
    EXPECT_EQ(creature->GetTargetByID(5), hero);
    EXPECT_EQ(creature->GetTargetByID(103), summoner);
    ctrl.networkGameServer = true;  // its target is no main character: still the main character
    EXPECT_EQ(creature->GetTargetByID(5), hero);
    enemy->m_MainCharacter = 1;
    EXPECT_EQ(creature->GetTargetByID(5), enemy);

    LogCapture log;
    EXPECT_EQ(creature->GetTargetByID(4), nullptr);
    EXPECT_EQ(log.Count("internal error: Invalid TargetID"), 1);  // reported, the frame goes on
    for (int32_t invalid : {0, 117, -1})
        EXPECT_EQ(creature->GetTargetByID(invalid), nullptr) << invalid;
}

TEST_F(CreatureObjDamageTest, BloodEffectsNeedStrengthWithoutAModelAndAnInterval)
{
    creature->TakeDamage(40.0f, nullptr, 0, 0, 0, -2);  // (40 / 100 + 0.5) x 2/3 = 0.6
    ASSERT_EQ(ctrl.blood.size(), 1u);
    EXPECT_NEAR(ctrl.blood[0], 0.6f, 1e-5f);
    creature->SpawnBloodEffect(0.2f);  // too weak without a model
    creature->TakeDamage(1.0f, nullptr, 1, 0, 0, -2);  // blocked
    EXPECT_EQ(ctrl.blood.size(), 1u);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 9.0f);
}
