// CreatureObj attack damage and death: the fall-off over the attack area, the first enemy ending
// an attack without "HitAll", the hit list and count for the damage script, one grant of the kill
// experience for a fatal hit, the death through a health change, and the players' log line.
#include "game/objects/CreatureObj.h"

#include "CreatureCombatTestSupport.h"
#include "world/ActionAttack.h"

#include <gtest/gtest.h>

namespace {

// An element that records the damage it received.
class HitElem : public TestElem {
public:
    int32_t OnDamage(DamageValues* damage, WorldElem*, int32_t, const D3DXVECTOR2*, const char*, int32_t,
                     const D3DXVECTOR2*) override
    {
        received.push_back(damage ? damage->GetValue() : -1.0f);
        return 0;
    }
    std::vector<float> received;
};

// A creature whose attack area holds the elements the test gives it.
class AttackingCreature : public CreatureObj {
public:
    void FindAttackTargets(const D3DXVECTOR2&, const D3DXVECTOR2&, float, float, std::vector<AreaHit>& out) override
    {
        out = area;
    }
    std::vector<AreaHit> area;
};

class CreatureObjDeathTest : public ::testing::Test {
protected:
    CreatureObjDeathTest()
    {
        ctrl.gameWorld = &world;
        ctrl.world = &world;
        attacker = AddTestElem<AttackingCreature>(world);
        attacker->m_Party = 1;
        attacker->GetDamageValues()->SetValue(10.0f);
    }
    HitElem* AddVictim(int32_t party, float distance)
    {
        auto* victim = AddTestElem<HitElem>(world);
        victim->m_Party = party;
        attacker->area.push_back({victim, distance});
        return victim;
    }

    CombatTestCtrl ctrl;
    ScriptWorld world;
    AttackingCreature* attacker = nullptr;
};

}  // namespace

TEST_F(CreatureObjDeathTest, AreaFallOffScalesAndSkips)
{
    HitElem* near = AddVictim(-2, 0.0f);
    HitElem* middle = AddVictim(-2, 1.0f);
    HitElem* far = AddVictim(-2, 2.0f);
    ActionAttack attack;
    attack.hitAll = 1;
    attack.onDamage = "Hurt();";
    attacker->DealAttackDamage(attack, nullptr);  // width 0: factor 1 for all
    for (HitElem* victim : {near, middle, far})
        EXPECT_EQ(victim->received, std::vector<float>{10.0f});

    attack.angle = 10.0f;
    attack.fallOff = 5.0f;
    attacker->DealAttackDamage(attack, nullptr);
    EXPECT_FLOAT_EQ(near->received.back(), 10.0f);
    EXPECT_FLOAT_EQ(middle->received.back(), 5.0f);
    EXPECT_EQ(far->received.size(), 1u);  // factor 0: skipped
    EXPECT_EQ(world.GetHitList(), (std::vector<int32_t>{near->m_ObjID, middle->m_ObjID}));
    EXPECT_EQ(ctrl.hitCount, 2);
    EXPECT_EQ(world.runs.back(), "ATTACK:onDamage|Hurt();");

    // The attack's serial number lets each element be hit once per action.
    attack.serialNumber = 77;
    attacker->DealAttackDamage(attack, nullptr);
    const size_t runs = world.runs.size();
    attacker->DealAttackDamage(attack, nullptr);
    EXPECT_EQ(near->received.size(), 3u);
    EXPECT_EQ(world.runs.size(), runs);  // nothing hit: no script
}

TEST_F(CreatureObjDeathTest, WithoutHitAllTheFirstEnemyEndsTheAttack)
{
    HitElem* neutral = AddVictim(-2, 0.0f);
    HitElem* enemy = AddVictim(2, 0.0f);
    HitElem* second = AddVictim(3, 0.0f);
    ActionAttack attack;
    attacker->DealAttackDamage(attack, nullptr);
    EXPECT_EQ(neutral->received.size(), 1u);
    EXPECT_EQ(enemy->received.size(), 1u);
    EXPECT_TRUE(second->received.empty());
    attack.hitAll = 1;
    attacker->DealAttackDamage(attack, nullptr);
    EXPECT_EQ(second->received.size(), 1u);

    // The attack's modifiers change the damage: 10 x 2 + 1.
    attack.modifiers[0] = 2.0f;
    attack.modifiers[1] = 1.0f;
    DamageValuesHolder damage(nullptr);
    attacker->GetDamageValues()->damage[0] = 10.0f;
    ASSERT_NE(attacker->GetAttackDamage(damage, attack), nullptr);
    EXPECT_FLOAT_EQ(damage->damage[0], 21.0f);
}

TEST_F(CreatureObjDeathTest, FatalHitGivesTheKillExperienceOnce)
{
    auto* victim = AddTestElem<CreatureObj>(world);
    victim->m_Party = 2;
    victim->m_Health = 10.0f;
    victim->m_Stats.expKill = 5.0f;
    victim->m_Stats.expDamage = 0.1f;
    victim->TakeDamage(0.4f, attacker, 0, 0, 0, -2);
    EXPECT_TRUE(ctrl.healthReports.empty());
    EXPECT_FLOAT_EQ(attacker->m_Experience, 0.04f);
    victim->TakeDamage(9.6f, attacker, 0, 0, 0, -2);
    ASSERT_EQ(ctrl.deaths.size(), 1u);
    EXPECT_EQ(ctrl.deaths[0].killer, attacker);
    EXPECT_NEAR(attacker->m_Experience, 0.04f + 5.0f + 0.96f, 1e-4f);
    victim->TakeDamage(5.0f, attacker, 0, 0, 0, -2);  // dying: no second death
    EXPECT_EQ(ctrl.deaths.size(), 1u);
    EXPECT_NEAR(attacker->m_Experience, 6.0f, 1e-4f);

    // A death through a health change has no killer and gives no experience.
    auto* other = AddTestElem<CreatureObj>(world);
    other->m_Stats.expKill = 5.0f;
    other->AddHealth(-60.0f);
    ASSERT_EQ(ctrl.deaths.size(), 2u);
    EXPECT_EQ(ctrl.deaths[1].killer, nullptr);
    EXPECT_NEAR(attacker->m_Experience, 6.0f, 1e-4f);
    EXPECT_EQ(ctrl.healthReports.back(), -10.0f);

    // An ID that names nothing gives nothing.
    auto* third = AddTestElem<CreatureObj>(world);
    third->m_Stats.expKill = 5.0f;
    third->Kill(nullptr, 4000);
    EXPECT_NEAR(attacker->m_Experience, 6.0f, 1e-4f);
}

TEST_F(CreatureObjDeathTest, KillLineOfTheMainCharacter)
{
    attacker->m_MainCharacter = 1;
    ctrl.guiTexts["logmsg/killed"] = "killed";
    ctrl.guiTexts["logmsg/exp"] = "exp";
    const struct {
        float experience;
        const char16_t* line;
    } cases[] = {{12.5f, u"|Cada68dkilled |C8cd995orc |Cd6d585(13 exp)"}, {0.4f, u"|Cada68dkilled |C8cd995orc"}};
    for (const auto& c : cases) {
        auto* victim = AddTestElem<CreatureObj>(world);
        victim->m_Party = 2;
        victim->SetName(wString(u"orc"));
        victim->m_Stats.expKill = c.experience;
        victim->Kill(attacker, -2);
        ASSERT_GT(world.GetLogMessages().GetSize(), 0);
        const auto* line = world.GetLogMessages().GetAt(world.GetLogMessages().GetSize() - 1);
        EXPECT_EQ(String(line->text), String(wString(c.line))) << c.experience;
    }
}
