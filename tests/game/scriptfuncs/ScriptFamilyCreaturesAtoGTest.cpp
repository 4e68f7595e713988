// Creature built-ins before 'H': AI targets with the slot bounds, target positions by AI state,
// strategy and actions, mob variables with their bounds and an unknown mob, vital values with
// their warnings, animation timing and the small getters.
#include "ScriptCreaturesTestSupport.h"

#include "game/objects/MobData.h"

TEST_F(ScriptCreaturesTest, AITargetsAndTargetPositions)
{
    ASSERT_NE(hero, nullptr);
    KI_ActionData* current = hero->m_AIActions.GetBySlot(hero->m_AIActions.Add());
    current->target = Elem(crateID);
    hero->m_ElemRefs[2] = other;
    hero->m_ElemRefs[15] = other;
    CheckAll({
        {"GetAITarget(" + h + ")", kScriptInt, double(crateID), nullptr, nullptr},
        {"GetAITarget(" + h + ", 0)", kScriptInt, double(crateID), nullptr, nullptr},
        {"GetAITarget(" + h + ", -4)", kScriptInt, double(crateID), nullptr, nullptr},
        {"GetAITarget(" + h + ", 3)", kScriptInt, double(otherID), nullptr, nullptr},
        {"GetAITarget(" + h + ", 16)", kScriptInt, double(otherID), nullptr, nullptr},
        {"GetAITarget(" + h + ", 1)", kScriptInt, -1, nullptr, nullptr},
        {"GetAITarget(" + h + ", 17)", kScriptInt, -1, nullptr, nullptr},  // past the 16 slots
        {"GetAITarget(" + c + ")", kScriptInt, 0, nullptr, nullptr},
        {"GetAITarget(" + h + ", 1, 2)", kScriptInt, 0, "Invalid arguments in function GetAITarget", nullptr},
        {"GetAITarget(" + o + ")", kScriptInt, -1, nullptr, nullptr},  // no current action
    });

    // Only the aiming states have a target position: the element's, else the target point.
    hero->m_TargetElem = other;
    hero->m_TargetValues[0] = 7.0f;
    hero->m_TargetValues[1] = 9.0f;
    for (const int32_t state : {0, 3, 5, 19, 24}) {
        hero->m_AIState = state;
        Check({"GetAITargetPosX(" + h + ")", kScriptFloat, -1.0, nullptr, nullptr});
    }
    for (const int32_t state : {4, 20, 23}) {
        hero->m_AIState = state;
        Check({"GetAITargetPosX(" + h + ")", kScriptFloat, double(other->GetPos().x), nullptr, nullptr});
    }
    hero->m_TargetElem = nullptr;
    CheckAll({
        {"GetAITargetPosX(" + h + ", 1)", kScriptFloat, 7.0, nullptr, nullptr},
        {"GetAITargetPosY(" + h + ")", kScriptFloat, 9.0, nullptr, nullptr},
        {"GetAITargetPosY(" + h + ", \"a\")", kScriptFloat, 0.0, "Invalid arguments in function GetAITargetPosY",
         nullptr},
        {"GetAITargetPosY(" + c + ")", kScriptFloat, 0.0, nullptr, nullptr},
    });
}

TEST_F(ScriptCreaturesTest, StrategyActionsAndForcePriority)
{
    ASSERT_NE(hero, nullptr);
    hero->SetStrategy(String("Fighter"));
    hero->m_LastEnemy = other;
    CheckAll({
        {"GetStrategy(" + h + ")", kScriptString, 0, nullptr, nullptr, "Fighter"},
        {"GetStrategy(" + o + ")", kScriptString, 0, nullptr, nullptr, ""},
        {"GetStrategy(" + c + ")", kScriptString, 0, nullptr, nullptr, ""},
        {"GetStrategy(\"x\")", kScriptString, 0, "Invalid arguments in function GetStrategy", nullptr, ""},
        {"GetLastEnemy(" + h + ")", kScriptInt, double(otherID), nullptr, nullptr},
        {"GetLastEnemy(" + o + ")", kScriptInt, -1, nullptr, nullptr},
        {"DoAction(" + h + ")", kScriptInt, 0, "Invalid arguments in function DoAction", nullptr},
        {"DoAction(" + h + ", 3)", kScriptInt, 0, "Invalid arguments in function DoAction", nullptr},
    });

    // "DoAction" starts the named action entry (code 6) under the attack lock of priority 5.
    Check({"DoAction(" + h + ", \"Melee\")", kScriptInt, 1, nullptr, nullptr});
    EXPECT_EQ(hero->m_ActionState.actionCode, CreatureObj::kActionEntry);
    EXPECT_STREQ(hero->m_ActionState.actionName.c_str(), "Melee");
    Check({"GetForcePriority(" + h + ")", kScriptInt, 5, nullptr, nullptr});
    // The action ends only once its lock is gone.
    Check({"ClearAction(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_ActionState.actionCode, CreatureObj::kActionEntry);
    hero->RemoveForcedActions(CreatureObj::kAttackLockPriority);
    Check({"ClearAction(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_NE(hero->m_ActionState.actionCode, CreatureObj::kActionEntry);

    hero->m_AIActions.Add();
    Check({"ClearAI(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_AIActions.GetSize(), 0);
    Check({"ClearAI(" + h + ", 1)", kScriptVoid, 0, "Invalid arguments in function ClearAI", nullptr});
}

TEST_F(ScriptCreaturesTest, MobVariablesAndMobScript)
{
    MobData mob;
    mob.mobNumber = 3;
    for (int32_t i = 0; i < MobData::kVariables; i++)
        mob.variables[i] = float(i + 1) * 1.5f;
    ctrl->mobs[3] = &mob;
    CheckAll({
        {"GetMobFloatVariable(3, 0)", kScriptFloat, 1.5, nullptr, nullptr},   // held to number 1
        {"GetMobFloatVariable(3, 2)", kScriptFloat, 3.0, nullptr, nullptr},
        {"GetMobFloatVariable(3, 40)", kScriptFloat, 24.0, nullptr, nullptr},  // held to number 16
        {"GetMobFloatVariable(9, 1)", kScriptInt, 0, nullptr, nullptr},       // no such mob
        {"GetMobFloatVariable(3.0, 1)", kScriptVoid, 0, "Invalid arguments in function GetMobFloatVariable",
         nullptr},
        {"GetMobFloatVariable(3)", kScriptVoid, 0, "Invalid arguments in function GetMobFloatVariable", nullptr},
        {"CallMobScript(" + h + ")", kScriptInt, 0, nullptr, nullptr},
    });
    // A creature whose mob the table no longer holds runs nothing and still answers 0.
    ASSERT_NE(hero, nullptr);
    MobData stale;
    stale.mobNumber = 5;
    hero->m_MobData = &stale;
    Check({"CallMobScript(" + h + ")", kScriptInt, 0, nullptr, nullptr});
    hero->m_MobData = nullptr;
    ctrl->mobs.clear();
}

TEST_F(ScriptCreaturesTest, VitalValuesAndTheirWarnings)
{
    ASSERT_NE(hero, nullptr);
    hero->m_Health = 42.5f;
    hero->m_Mana = 12.0f;
    hero->m_Experience = 77.9f;
    hero->m_RecentDamageSum = 6.0f;
    hero->m_Stats.immortal = 1;
    hero->m_Stats.combatMode = 2;
    CheckAll({
        {"GetHealth(" + h + ")", kScriptFloat, 42.5, nullptr, nullptr},
        {"GetHealth(" + c + ")", kScriptFloat, 0.0, nullptr, "Can not get health points of none creature"},
        {"GetMana(" + h + ")", kScriptFloat, 12.0, nullptr, nullptr},
        {"GetMana(" + c + ")", kScriptFloat, 0.0, nullptr, "Can not get mana of none creature"},
        {"GetMana(77777)", kScriptFloat, 0.0, "Invalid object: 77777", nullptr},
        {"GetTotalDamageSinceLastAIReassess(" + h + ")", kScriptFloat, 6.0, nullptr, nullptr},
        {"GetTotalDamageSinceLastAIReassess(" + c + ")", kScriptFloat, 0.0, nullptr,
         "Can not GetTotalDamageSinceLastAIReassess of none creature"},
        {"GetExperience(" + h + ")", kScriptInt, 77, nullptr, nullptr},
        {"GetExperience(" + h + ", 1)", kScriptInt, 0, "Invalid arguments in function GetExperience", nullptr},
        {"GetImmortal(" + h + ")", kScriptInt, 1, nullptr, nullptr},
        {"GetImmortal(" + o + ")", kScriptInt, 0, nullptr, nullptr},
        {"GetCombatMode(" + h + ")", kScriptInt, 2, nullptr, nullptr},
        {"GetCharacterLevel(" + h + ")", kScriptInt, double(hero->m_Level), nullptr, nullptr},
        {"AddInfluence(" + c + ", \"stun\", 1.0)", kScriptVoid, 0, nullptr, "Can not add influence to none creature"},
        {"AddItemInfluence(" + c + ", \"Medkit\", 1.0)", kScriptVoid, 0, nullptr,
         "Can not add influence to none creature"},
        {"AddInfluence(" + h + ", \"stun\")", kScriptVoid, 0, "Invalid arguments in function AddInfluence", nullptr},
        {"DamageDirect(" + h + ")", kScriptVoid, 0, "Invalid arguments in function DamageDirect", nullptr},
        {"AddExperience(" + h + ", 1, 2)", kScriptVoid, 0, "Invalid arguments in function AddExperience", nullptr},
    });
    EXPECT_TRUE(ctrl->forwarded.empty());  // a warned call goes nowhere
}

TEST_F(ScriptCreaturesTest, AnimationTimingAndSmallGetters)
{
    ASSERT_NE(hero, nullptr);
    hero->m_Cycle.deathVariant = 2;
    hero->m_AniSpeed = 1.25f;
    CheckAll({
        {"GetDieCycle(" + h + ")", kScriptInt, 2, nullptr, nullptr},
        {"GetAniSpeed(" + h + ")", kScriptFloat, 1.25, nullptr, nullptr},
        {"GetAniCycleTime(" + c + ")", kScriptFloat, 0.0, "Can not GetAniCycleTime() of none-creature", nullptr},
        {"GetAniCycleTime(" + h + ", 5)", kScriptFloat, 0.0, nullptr, nullptr},  // no such player
        {"GetEffectDuration(\"Flash\")", kScriptFloat, 0.5, nullptr, nullptr},
        {"GetEffectDuration(\"Melee\")", kScriptFloat, 0.0, nullptr, nullptr},
        {"GetEffectDuration(3)", kScriptFloat, 0.0, "Invalid arguments in function GetEffectDuration", nullptr},
        {"GetEffectDuration(\"Nope\")", kScriptFloat, 0.0, "Action entry 'Nope' not found", nullptr},
        {"GetProjectileMaxDist(" + h + ")", kScriptFloat, 0.0, nullptr, nullptr},
        {"GetRandomIntNumber(" + c + ")", kScriptInt, double(Elem(crateID)->GetMyRnd()), nullptr, nullptr},
        {"GetRandomNumber(" + c + ")", kScriptFloat, double(Elem(crateID)->GetMyRndFraction()), nullptr, nullptr},
        {"GetMonsterLevel(0.5)", kScriptInt, double(ctrl->GetMonsterLevel(0.5f)), nullptr, nullptr},
        {"GetMightFromMonsterLevel(3.0)", kScriptFloat, double(ctrl->GetMonsterLevelMight(3.0f)), nullptr, nullptr},
        {"GetCreatureMesh(" + h + ", 1)", kScriptInt, double(hero->GetMeshVariation(1)), nullptr, nullptr},
    });
    // A creature reads its base cycle player's time; an element without a scene has none.
    hero->m_CyclePlayers[0].SetTime(0.75f);
    Check({"GetAniTime(" + h + ")", kScriptFloat, 0.75, nullptr, nullptr});
    const int32_t area = Place("HealingArea", 1500.0f, 1500.0f);
    Check({"GetAniTime(" + std::to_string(area) + ")", kScriptFloat, 0.0, "Can not GetAniTime() on none-object",
           nullptr});
    Check({"GetAniSpeed(" + std::to_string(area) + ")", kScriptFloat, 0.0, "Can not GetAniSpeed() on none-object",
           nullptr});
}
