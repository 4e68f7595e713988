// SciFiGameCtrl: the game's keys of a creature's stat block (blocking, dodge, shields and the
// level's armour scaling), its damage and defence values, an attack part's damage ranges and
// the damage values of a hit.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/objects/ActionAttack_SF.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/HitEffects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

void Open(ConfigFileReader& reader, const std::string& text)
{
    ASSERT_EQ(reader.OpenMemory(text.data(), int32_t(text.size())), 0);
}

class SciFiGameCtrlKeysTest : public ::testing::Test {
protected:
    // The stat block's keys and the creature's world-object entry, entry 0 of each; the level
    // gives the armour pair 2, 5.
    std::unique_ptr<CreatureObj_SF> Load(const std::string& stats, const std::string& object, bool monsterLevel,
                                         float armour = 0.0f)
    {
        ConfigFileReader level;
        Open(level, "#1\nMonsterArmour = 2, 5\n");
        ctrl.LoadLevelSettings(level, 0);
        Open(ctrl.GetWorldObjectReader(), "#1\n" + object);
        statBlock = std::make_unique<ConfigFileReader>();
        Open(*statBlock, "#1\ndesc = \"Drone\"\n" + stats);
        std::unique_ptr<CreatureObj_SF> creature(dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature()));
        creature->m_BaseValues.armour = armour;
        creature->m_BaseValues.defPhys[0] = 3.0f;
        creature->m_BaseValues.defPhys[1] = 4.0f;
        ctrl.LoadCreatureStats(*creature, *statBlock, 0, monsterLevel, false, false);
        return creature;
    }

    SciFiGameCtrl ctrl;
    std::unique_ptr<ConfigFileReader> statBlock;
};

}  // namespace

TEST_F(SciFiGameCtrlKeysTest, StatBlockKeys)
{
    auto creature = Load("BlockAngle = 90\nBlockReduceRel = 0.25\nDodgeEnergy = 3\nmanaLeech = 0.1\n"
                         "ShieldRecoverAbs = 4\n",
                         "ShieldEnergyMax = 40\n", false);
    EXPECT_NEAR(creature->m_Block[2], 1.5707963f, 1e-6f);
    EXPECT_FLOAT_EQ(creature->m_Block[0], 0.25f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.maxDodge, 3.0f);
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 3.0f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.manaLeech, 0.1f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.shieldRegenAbs, 4.0f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.maxShield, 40.0f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.dodgeRefill, CreatureCombatValues().dodgeRefill);  // left
}

TEST_F(SciFiGameCtrlKeysTest, LevelArmourScaling)
{
    const struct {
        const char* object;
        bool monsterLevel;
        float armour;
        float defPhys[2];
    } cases[] = {
        {"", true, 25.0f, {6.0f, 8.0f}},              // 2 x 10 + 5, the defences doubled
        {"armour = 7\n", true, 7.0f, {6.0f, 8.0f}},   // the entry's armour replaces the scaled one
        {"", false, 10.0f, {3.0f, 4.0f}},
        {"armour = 7\n", false, 7.0f, {3.0f, 4.0f}},
    };
    for (const auto& c : cases) {
        auto creature = Load("", c.object, c.monsterLevel, 10.0f);
        EXPECT_FLOAT_EQ(creature->m_BaseValues.armour, c.armour) << c.object << c.monsterLevel;
        EXPECT_FLOAT_EQ(creature->m_BaseValues.defPhys[0], c.defPhys[0]) << c.object << c.monsterLevel;
        EXPECT_FLOAT_EQ(creature->m_BaseValues.defPhys[1], c.defPhys[1]) << c.object << c.monsterLevel;
    }
}

// Indexed keys come after the plain ones; the effective values follow the base ones.
TEST_F(SciFiGameCtrlKeysTest, DamageAndDefenceKeys)
{
    auto creature = Load("defPhys = 2\ndefPhys1 = 9\ndamPhys1 = 5\ndamPhys2 = 6\ndefPoison = 1\ndefPoison1 = 4\n"
                         "damPoison1 = 3\ndamPoisonTime1 = 2.5\ndefPhysRel = 0.5\ndefPhysRel2 = 0.8\n"
                         "defPoisonRel = 0.7\n",
                         "", false);
    const CreatureCombatValues& base = creature->m_BaseValues;
    EXPECT_FLOAT_EQ(base.defPhys[0], 9.0f);
    EXPECT_FLOAT_EQ(base.defPhys[1], 2.0f);
    EXPECT_FLOAT_EQ(base.damPhys[0], 5.0f);
    EXPECT_FLOAT_EQ(base.damPhys[1], 6.0f);
    EXPECT_FLOAT_EQ(base.defPoison, 4.0f);
    EXPECT_FLOAT_EQ(base.damPoison, 3.0f);
    EXPECT_FLOAT_EQ(base.poisonTime, 2.5f);
    EXPECT_FLOAT_EQ(base.protection.physical[0], 0.5f);
    EXPECT_FLOAT_EQ(base.protection.physical[1], 0.8f);
    EXPECT_FLOAT_EQ(base.protection.poison, 0.7f);
    EXPECT_FLOAT_EQ(creature->m_Values.damPhys[1], 6.0f);
}

TEST_F(SciFiGameCtrlKeysTest, AttackPartRanges)
{
    ConfigFileReader reader;
    Open(reader, "#1\ndamPhys1 = 2, 4\ndamPhys2 = 1, 3\ndamPoison = 5, 6\nweaken = 0.1, 0.2\nBlastKnockDown = 7\n");
    ActionAttack_SF attack;
    ctrl.ReadDamageEntry(reader, 0, &attack);
    EXPECT_FLOAT_EQ(attack.damPhys[0].attributes[0].GetRawValue(), 2.0f);
    EXPECT_FLOAT_EQ(attack.damPhys[0].attributes[1].GetRawValue(), 4.0f);
    EXPECT_FLOAT_EQ(attack.damPhys[1].attributes[1].GetRawValue(), 3.0f);
    EXPECT_FLOAT_EQ(attack.damPoison[1], 6.0f);
    EXPECT_FLOAT_EQ(attack.weaken[0], 0.1f);
    EXPECT_FLOAT_EQ(attack.blastKnockDown, 7.0f);
    EXPECT_FLOAT_EQ(attack.inflame[0], 0.0f);  // no key: left
    EXPECT_FLOAT_EQ(attack.inflame[1], 0.0f);
}

// A record made without the game's set gets one; "inflame" is stored even when missing, other
// missing keys leave their values; a copy holds its own set.
TEST_F(SciFiGameCtrlKeysTest, HitDamageValues)
{
    ConfigFileReader reader;
    Open(reader, "#1\ndamPhys1 = 4\ndamPhys2 = 6\ndamPoison1 = 3\ndamPoisonTime1 = 2\nweaken = 0.5\n"
                 "healthLeech = 0.25\ninflame = 2, 3\nknockback = 1\n#2\nmanaLeech = 0.1\n");
    HitEffects hit;
    hit.damage.Set(nullptr);
    ctrl.ReadHitEffects(reader, 0, &hit);
    auto* values = dynamic_cast<DamageValues_SF*>(hit.damage.Get());
    ASSERT_NE(values, nullptr);
    EXPECT_FLOAT_EQ(hit.knockback, 1.0f);
    EXPECT_FLOAT_EQ(values->GetPhysical(0), 4.0f);
    EXPECT_FLOAT_EQ(values->GetPhysical(1), 6.0f);
    EXPECT_FLOAT_EQ(values->poison, 3.0f);
    EXPECT_FLOAT_EQ(values->poisonTime, 2.0f);
    EXPECT_FLOAT_EQ(values->weaken, 0.5f);
    EXPECT_FLOAT_EQ(values->healthLeech, 0.25f);
    EXPECT_FLOAT_EQ(values->inflame[0], 2.0f);
    EXPECT_FLOAT_EQ(values->inflame[1], 3.0f);

    ctrl.ReadHitEffects(reader, 1, &hit);  // without "inflame"
    EXPECT_EQ(hit.damage.Get(), values);
    EXPECT_FLOAT_EQ(values->inflame[0], 0.0f);
    EXPECT_FLOAT_EQ(values->inflame[1], 0.0f);
    EXPECT_FLOAT_EQ(values->manaLeech, 0.1f);
    EXPECT_FLOAT_EQ(values->poison, 3.0f);

    const HitEffects copy = hit;
    auto* copied = dynamic_cast<DamageValues_SF*>(copy.damage.Get());
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, values);
    EXPECT_FLOAT_EQ(copied->GetPhysical(1), 6.0f);
}
