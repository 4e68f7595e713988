// Creature built-ins that reach the creature's combat: refills at once and over time, health,
// experience and level, the kill of a mortal creature without health, direct damage with and
// without attacker, the revival, influences added, tested and removed with the weapon poison's
// default.
#include "ScriptCreaturesTestSupport.h"

TEST_F(ScriptCreaturesTest, RefillsHealthAndExperience)
{
    ASSERT_NE(hero, nullptr);
    hero->m_Health = 20.0f;
    Check({"RefillHealth(" + h + ")", kScriptVoid, 0, nullptr, nullptr});  // at once
    EXPECT_FLOAT_EQ(hero->m_Health, hero->GetMaxHealth());
    Check({"RefillHealth(" + h + ", 30.0, 3.0)", kScriptVoid, 0, nullptr, nullptr});  // over time
    EXPECT_FLOAT_EQ(hero->m_HealthRefillLeft, 30.0f);
    EXPECT_FLOAT_EQ(hero->m_HealthRefillRate, 10.0f);
    hero->m_Mana = 0.0f;
    Check({"RefillMana(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_Mana, hero->GetMaxMana());
    Check({"RefillMana(" + h + ", 8.0, 2.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_ManaRefillLeft, 8.0f);

    CheckAll({
        {"SetHealth(" + h + ", 33.0)", kScriptVoid, 0, nullptr, nullptr},
        {"GetHealth(" + h + ")", kScriptFloat, 33.0, nullptr, nullptr},
        {"SetCharacterLevel(" + h + ", 2)", kScriptVoid, 0, nullptr, nullptr},
    });
    // The level's experience, and the level that experience reaches.
    EXPECT_FLOAT_EQ(hero->m_Experience, ctrl->GetExperienceForLevel(2));
    Check({"GetCharacterLevel(" + h + ")", kScriptInt, double(ctrl->GetLevelForExperience(hero->m_Experience)),
           nullptr, nullptr});
    CheckAll({
        {"SetExperience(" + h + ", 0)", kScriptVoid, 0, nullptr, nullptr},
        {"GetExperience(" + h + ")", kScriptInt, 0, nullptr, nullptr},
        {"AddExperience(" + h + ", 5)", kScriptVoid, 0, nullptr, nullptr},
        {"GetExperience(" + h + ")", kScriptInt, 5, nullptr, nullptr},
    });
}

TEST_F(ScriptCreaturesTest, KillsAndDirectDamage)
{
    ASSERT_NE(hero, nullptr);
    // Mortal again without health: the creature is killed at once; a mortal one stays as it is.
    hero->m_Stats.immortal = 1;
    hero->m_Health = 0.0f;
    Check({"SetImmortal(" + h + ", 0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_Dying, 1);
    other->m_Health = 0.0f;
    Check({"SetImmortal(" + o + ", 0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(other->m_Dying, 0);

    other->m_Health = 50.0f;
    Check({"DamageDirect(" + o + ", 10.0, -1)", kScriptVoid, 0, nullptr, nullptr});  // no attacker
    EXPECT_FLOAT_EQ(other->m_Health, 40.0f);
    Check({"DamageDirect(" + o + ", 5.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(other->m_Health, 35.0f);
    Check({"DamageDirect(" + o + ", 5.0, 77777)", kScriptVoid, 0, "Invalid object: 77777", nullptr});
    EXPECT_FLOAT_EQ(other->m_Health, 35.0f);

    // Away from the network server a player's creature dies here too.
    other->m_MainCharacter = 1;
    Check({"Kill(" + o + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(other->m_Dying, 1);
    EXPECT_TRUE(ctrl->forwarded.empty());

    // Revived, the creature lives with full health; a script's slot of no input attaches it nowhere.
    other->m_Dead = 1;
    other->m_Health = 0.0f;
    Check({"Revive(" + o + ", 99)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(other->m_Dead, 0);
    EXPECT_FLOAT_EQ(other->m_Health, other->GetMaxHealth());
    EXPECT_EQ(other->m_InputCtrl, nullptr);
    // and can be killed again.
    EXPECT_EQ(other->m_Dying, 0);
    Check({"Kill(" + o + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(other->m_Dying, 1);
}

TEST_F(ScriptCreaturesTest, InfluencesAddedTestedAndRemoved)
{
    ASSERT_NE(hero, nullptr);
    CheckAll({
        {"IsInfluenced(" + h + ", \"slow\")", kScriptInt, 0, nullptr, nullptr},
        {"AddInfluence(" + h + ", \"slow\", 1.0, 5.0)", kScriptVoid, 0, nullptr, nullptr},
        {"IsInfluenced(" + h + ", \"slow\")", kScriptInt, 1, nullptr, nullptr},
        {"IsInfluenced(" + h + ", \"SLOW\")", kScriptInt, 1, nullptr, nullptr},
        {"RemoveInfluence(" + h + ", \"slow\")", kScriptVoid, 0, nullptr, nullptr},
        {"IsInfluenced(" + h + ", \"slow\")", kScriptInt, 0, nullptr, nullptr},
        // An unknown type is reported and the call goes on (to an influence the creature drops).
        {"AddInfluence(" + h + ", \"bogus\", 1.0, 5.0)", kScriptVoid, 0,
         "Invalid influence type 'bogus' in function AddInfluence", nullptr},
        {"IsInfluenced(" + h + ", \"none\")", kScriptVoid, 0, "Invalid influence type 'none' in function IsInfluenced",
         nullptr},
    });
    EXPECT_EQ(hero->m_Influences.GetSize(), 0);

    // A poisoned weapon without a value gets 10; a given value stays.
    struct {
        const char* value;
        int32_t stored;
    } const poisons[] = {{"0", 10}, {"7", 7}};
    for (const auto& poison : poisons) {
        hero->m_Influences.DeleteAll();
        Check({"AddInfluence(" + h + ", \"weaponPoison\", 1.0, 5.0, -1, " + poison.value + ")", kScriptVoid, 0,
               nullptr, nullptr});
        ASSERT_EQ(hero->m_Influences.GetSize(), 1) << poison.value;
        EXPECT_EQ(hero->m_Influences.GetAt(0)->params.value, poison.stored) << poison.value;
        EXPECT_EQ(hero->m_Influences.GetAt(0)->type, CreatureObj::kEffectWeaponPoison);
    }
    // The source element travels with the influence.
    hero->m_Influences.DeleteAll();
    Check({"AddInfluence(" + h + ", \"force\", 100.0, 2.0, " + o + ")", kScriptVoid, 0, nullptr, nullptr});
    ASSERT_EQ(hero->m_Influences.GetSize(), 1);
    EXPECT_EQ(hero->m_Influences.GetAt(0)->params.target.Get(), other);
}
