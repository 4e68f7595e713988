// The game's script built-ins of creature values: what each sets and answers, its errors and
// warnings, the timed shield refill, the level progress by difficulty, the advance-point log line
// and which calls are handed to the clients with which count and flags.
#include "SciFiScriptTestSupport.h"

#include "scifi/input/SciFiInputCtrl.h"
#include "world/ActionEntry.h"

#include <cmath>

namespace {

struct ValueCase {
    std::string call;
    int32_t type;
    double number;        // Int or Float
    const char* error;    // the one script error, or none
    const char* warning;  // the one warning, or none
};

}  // namespace

class SciFiScriptCreatureValuesTest : public SciFiScriptTest {
protected:
    void Check(const ValueCase& test)
    {
        LogCapture log;
        ExpectResult(test.call, test.type, test.number, nullptr, test.error);
        if (test.warning) {
            EXPECT_EQ(log.Count(test.warning), 1) << test.call;
        }
    }
};

TEST_F(SciFiScriptCreatureValuesTest, ValuesSetAndRead)
{
    ASSERT_NE(hero, nullptr);
    hero->m_BaseValues.protection.physical[0] = hero->m_BaseValues.protection.physical[1] = 1.0f;
    Check({"SetPhysicProtection(" + h + ", 0.5, 0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[0], 0.5f);  // type 0 sets both
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[1], 0.5f);
    EXPECT_FLOAT_EQ(hero->m_Values.protection.physical[1], 0.5f);  // and the creature took it
    Check({"SetPhysicProtection(" + h + ", 0.75, 1)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[0], 0.5f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[1], 0.75f);
    Check({"SetPhysicProtection(" + h + ", 0.1, 2)", kScriptVoid, 0,
           "Invalid magic type in function SetPhysicProtection", nullptr});
    Check({"SetPhysicProtection(" + c + ", 0.1)", kScriptVoid, 0, nullptr, nullptr});  // silently nothing
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[1], 0.75f);

    hero->m_BaseValues.defPhys[1] = 2.0f;
    Check({"AddPhysDefense(" + h + ", 1, 3)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.defPhys[1], 5.0f);
    Check({"AddPhysDefense(" + h + ", 2, 3)", kScriptVoid, 0, "Invalid physical skill type in function AddPhysDefense",
           nullptr});
    Check({"AddPoisonDefense(" + c + ", 0, 3)", kScriptVoid, 0, nullptr, "No creature specified in function AddPoisonDefense"});
    Check({"AddPoisonDefense(" + h + ", 0, 4)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.defPoison, 4.0f);

    // Hit points: the base value, the derived maximum, the current value lowered to a new maximum.
    Check({"SetHitPoints(" + h + ", 30)", kScriptVoid, 0, nullptr, nullptr});
    hero->SetHealth(1000.0f);
    Check({"SetHitPoints(" + h + ", 20)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.maxHealth, 20.0f);
    EXPECT_FLOAT_EQ(hero->GetHealth(), hero->m_Values.maxHealth);
    hero->SetHealth(1.0f);
    Check({"SetHitPoints(" + h + ", 25)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->GetHealth(), 1.0f);  // below the maximum: left
    const float derived = hero->m_Values.maxHealth;
    Check({"GetHitPoints(" + h + ", 0)", kScriptFloat, 25.0, nullptr, nullptr});
    Check({"GetHitPoints(" + h + ", 1)", kScriptFloat, derived, nullptr, nullptr});
    Check({"GetHitPoints(" + c + ")", kScriptVoid, 0, nullptr, "Can not get hit points of none creature"});
    Check({"SetHitPoints(" + c + ", 5)", kScriptVoid, 0, nullptr, "Can not set hit points of none creature"});

    Check({"SetManaMax(" + h + ", 12)", kScriptVoid, 0, nullptr, nullptr});
    Check({"GetManaMax(" + h + ", 0)", kScriptFloat, 12.0, nullptr, nullptr});
    Check({"GetManaMax(" + h + ")", kScriptFloat, hero->m_Values.maxMana, nullptr, nullptr});
    Check({"SetManaRegeneration(" + h + ", 1.5, 0.25)", kScriptVoid, 0, nullptr, nullptr});
    Check({"SetHealthRegeneration(" + h + ", 0.5, 0.125)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_BaseValues.manaRegenAbs, 1.5f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.manaRegenRel, 0.25f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.healthRegenAbs, 0.5f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.healthRegenRel, 0.125f);

    // Shield energy: set without a clamp; the maximum waits for the next value update.
    Check({"SetShieldEnergy(" + h + ", 999.0)", kScriptVoid, 0, nullptr, nullptr});
    Check({"GetShieldEnergy(" + h + ")", kScriptFloat, 999.0, nullptr, nullptr});
    const float shieldMax = hero->m_Values.maxShield;
    Check({"SetShieldEnergyMax(" + h + ", 77.0)", kScriptVoid, 0, nullptr, nullptr});
    Check({"GetShieldEnergyMax(" + h + ")", kScriptFloat, shieldMax, nullptr, nullptr});
    Check({"GetShieldEnergy(" + c + ")", kScriptInt, 0, nullptr, "Can not get shield energy of none creature"});
    Check({"GetShieldEnergyMax(" + c + ")", kScriptInt, 0, nullptr, "Can not get shield energy of none creature"});
    Check({"SetShieldEnergy(" + c + ", 1.0)", kScriptVoid, 0, nullptr, "Can not set shield energy of none creature"});

    // No input controller: the measured values are 0, the last attack position (0, 0).
    *ctrl->GetScriptTempFloat(0) = 5.0f;
    Check({"GetAverageDamageDealt(" + h + ")", kScriptInt, 0, nullptr, nullptr});
    Check({"GetNoMoveCounter(" + c + ")", kScriptFloat, 0.0, nullptr, nullptr});
    Check({"GetLastAttackPos(" + c + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(*ctrl->GetScriptTempFloat(0), 0.0f);
}

TEST_F(SciFiScriptCreatureValuesTest, ShieldRefills)
{
    Check({"RefillShield(" + h + ", 5)", kScriptVoid, 0, "Invalid arguments in function RefillShield", nullptr});
    // A running refill of 10 over 5 s with 4 left (rate 2): 6 more over 1 s are spread over the
    // 2 s it still runs and the new second.
    hero->m_ShieldRefill = 4.0f;
    hero->m_ShieldRefillRate = 2.0f;
    Check({"RefillShield(" + h + ", 6.0, 1.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_ShieldRefillRate, 2.0f);
    EXPECT_FLOAT_EQ(hero->m_ShieldRefill, 10.0f);
    hero->m_ShieldRefill = 0.0f;
    Check({"RefillShield(" + h + ", 3.0, 4.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_ShieldRefillRate, 0.75f);

    // Over no time (or less) the amount is given at once: no rate becomes infinite.
    hero->m_BaseValues.maxShield = 30.0f;
    hero->UpdateValues(false);
    ASSERT_GT(hero->m_Values.maxShield, 3.0f);
    for (const char* seconds : {"0.0", "-2.0"}) {
        hero->m_ShieldEnergy = 0.0f;
        hero->m_ShieldRefill = 0.0f;
        hero->m_ShieldRefillRate = 0.0f;
        Check({"RefillShield(" + h + ", 3.0, " + seconds + ")", kScriptVoid, 0, nullptr, nullptr});
        EXPECT_FLOAT_EQ(hero->m_ShieldEnergy, 3.0f) << seconds;
        EXPECT_TRUE(std::isfinite(hero->m_ShieldRefillRate)) << seconds;
        EXPECT_FLOAT_EQ(hero->m_ShieldRefill, 0.0f) << seconds;
    }
    // One argument fills up to the derived maximum.
    Check({"RefillShield(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_ShieldEnergy, hero->m_Values.maxShield);
    Check({"RefillShield(" + c + ")", kScriptVoid, 0, nullptr, "Can not refill shield of none creature"});
}

TEST_F(SciFiScriptCreatureValuesTest, LevelProgressMovesOnlyAtItsDifficulty)
{
    const struct {
        int32_t stored;
        int32_t difficulty;  // of the creature's progress
        int32_t level;
        int32_t expected;
    } cases[] = {
        {3, 1, 5, 5}, {3, 1, 2, 3}, {3, 1, -1, -1}, {3, 2, 5, 3}, {3, 2, -1, 3}, {-1, 1, 0, 0},
    };
    const int32_t difficulty = ctrl->GetDifficulty();
    for (const auto& test : cases) {
        hero->m_LevelProgress = int8_t(test.stored);
        hero->m_HighestDifficulty = uint8_t(test.difficulty == 1 ? difficulty : difficulty + 1);
        Check({"SetPlayerLevelProgress(" + h + ", " + std::to_string(test.level) + ")", kScriptVoid, 0, nullptr, nullptr});
        EXPECT_EQ(hero->m_LevelProgress, test.expected) << test.stored << " " << test.difficulty << " " << test.level;
    }
    Check({"SetPlayerLevelProgress(" + c + ", 2)", kScriptVoid, 0, nullptr,
           "none creature passed to SetPlayerLevelProgress()"});
}

TEST_F(SciFiScriptCreatureValuesTest, AdvancePointsAndTheirLogLine)
{
    hero->m_MainCharacter = 1;  // a player's character
    const int32_t logged = ctrl->GetWorld().GetLogMessages().GetSize();
    Run("SetAdvancePoints(" + h + ", 3, 2); SetAdvancePoints(" + o + ", 7, 1); AddAdvancePoints(" + h + ", 4);");
    EXPECT_EQ(hero->GetAdvancePoints(), 7);
    EXPECT_EQ(hero->GetSkillPoints(), 2);
    EXPECT_EQ(other->GetAdvancePoints(), 7);
    auto& log = ctrl->GetWorld().GetLogMessages();
    ASSERT_EQ(log.GetSize(), logged + 2);  // the player's character only
    uint8_t found = 0;
    const wString received = ctrl->GetGuiDBText("logmsg", "received", &found);
    const wString points = ctrl->GetGuiDBText("logmsg", "advancepoint", &found);
    for (int32_t i = 0; i < 2; ++i) {
        wString expected;
        expected.Format(u":|Cdadada %i %s", i == 0 ? 3 : 4, points.c_str());
        expected = wString(u"|Cada68d") + received + expected;
        EXPECT_EQ(std::u16string(log.GetAt(logged + i)->text.c_str()), std::u16string(expected.c_str()));
        EXPECT_FLOAT_EQ(log.GetAt(logged + i)->time, 8.0f);  // twice the display time
    }
}

TEST_F(SciFiScriptCreatureValuesTest, ChangesForEveryoneAreHandedToTheClients)
{
    hero->m_PoisonTime = 5.0f;
    float poisonAtForward = -1.0f;
    ctrl->onForward = [&] {
        if (ctrl->forwarded.back().name == "CurePoison")
            poisonAtForward = hero->m_PoisonTime;
    };
    const struct {
        std::string call;
        int32_t count;  // -1: not handed on
    } cases[] = {
        {"SetAdvancePoints(" + h + ", 1, 1)", 3},
        {"SetAdvancePoints(" + c + ", 1, 1)", 3},  // the element need not be a creature
        {"AddAdvancePoints(" + h + ", 1)", 2},
        {"AddAdvancePoints(" + c + ", 1)", -1},
        {"SetHitPoints(" + h + ", 20, 9)", 3},
        {"SetManaRegeneration(" + h + ", 1.0, 0.5)", 3},
        {"SetHealthRegeneration(" + h + ", 1.0, 0.5)", 3},
        {"RefillShield(" + h + ")", 1},
        {"RefillShield(" + h + ", 2.0, 1.0)", 3},
        {"CurePoison(" + h + ")", 1},
        {"CurePoison(" + c + ")", -1},
        {"SetPlayerLevelProgress(" + h + ", 1)", 2},
        {"SetManaMax(" + h + ", 20)", -1},
        {"SetShieldEnergy(" + h + ", 2.0)", -1},
        {"SetPhysicProtection(" + h + ", 1.0)", -1},
        {"AddPhysDefense(" + h + ", 0, 1)", -1},
        {"GetHitPoints(" + h + ")", -1},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        if (test.count < 0) {
            EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
            continue;
        }
        ASSERT_EQ(ctrl->forwarded.size(), 1u) << test.call;
        const auto& sent = ctrl->forwarded[0];
        EXPECT_EQ(sent.name, test.call.substr(0, test.call.find('('))) << test.call;
        EXPECT_EQ(sent.count, test.count) << test.call;
        EXPECT_EQ(sent.subjectID, -1) << test.call;
        EXPECT_EQ(sent.checkSubject, 1) << test.call;
        EXPECT_EQ(sent.flag, 1) << test.call;
    }
    EXPECT_FLOAT_EQ(poisonAtForward, 5.0f);  // the clients heard of the cure before it
    EXPECT_FLOAT_EQ(hero->m_PoisonTime, 0.0f);
}

// The value times the damage factor script's result of the action's first part (an effect before
// an attack), run for the creature.
TEST_F(SciFiScriptCreatureValuesTest, TransformByActionRunsTheFirstPartsFactorScript)
{
    WorldCtrl& world = ctrl->GetWorld();
    ActionEntry* melee = world.FindActionEntry("Melee", false);
    ActionEntry* flash = world.FindActionEntry("Flash", false);
    ASSERT_NE(melee, nullptr);
    ASSERT_NE(flash, nullptr);
    ASSERT_NE(melee->attacks.GetAt(0), nullptr);
    ASSERT_NE(flash->effects.GetAt(0), nullptr);
    melee->attacks.GetAt(0)->Get()->damFactorScript = "return 2.5;";
    flash->effects.GetAt(0)->damFactorScript = "return 3;";
    Check({"TransformByAction(" + h + ", 4.0, \"Melee\")", kScriptFloat, 10.0, nullptr, nullptr});
    Check({"TransformByAction(" + h + ", 4, \"Flash\")", kScriptFloat, 12.0, nullptr, nullptr});
    Check({"TransformByAction(" + c + ", 4.0, \"Melee\")", kScriptFloat, 4.0, nullptr, nullptr});  // no creature
    flash->effects.GetAt(0)->damFactorScript = "return \"x\";";
    Check({"TransformByAction(" + h + ", 4.0, \"Flash\")", kScriptFloat, 0.0, nullptr, nullptr});
    Check({"TransformByAction(" + h + ", 4.0, \"Nope\")", kScriptVoid, 0, "Action entry 'Nope' not found", nullptr});
    Check({"TransformByAction(" + h + ", 4.0, 5)", kScriptVoid, 0, "Invalid arguments in function TransformByAction",
           nullptr});
}

// What the player's input controller measures, read through the creature it drives.
TEST_F(SciFiScriptCreatureValuesTest, ValuesOfThePlayersInput)
{
    SciFiInputCtrl input;
    input.SetDamageWindow(3.0f, 3);
    input.Tick(0.5f);
    input.AddDealtDamage(6.0f);
    ASSERT_GT(input.GetDamagePerSecond(), 0.0f);
    hero->m_InputCtrl = &input;
    Check({"GetAverageDamageDealt(" + h + ")", kScriptFloat, input.GetDamagePerSecond(), nullptr, nullptr});
    Check({"GetNoMoveCounter(" + h + ")", kScriptFloat, input.GetNoMoveCounter(), nullptr, nullptr});
    *ctrl->GetScriptTempFloat(1) = 5.0f;
    Check({"GetLastAttackPos(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(*ctrl->GetScriptTempFloat(1), input.GetLastTargetPosition().y);
    Check({"GetAverageDamageDealt(" + h + ", 1)", kScriptVoid, 0, "Invalid arguments in function GetAverageDamageDealt",
           nullptr});
    hero->m_InputCtrl = nullptr;
}
