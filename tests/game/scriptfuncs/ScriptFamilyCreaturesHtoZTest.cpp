// Creature built-ins from 'H' on: life tests, the network server's kill of a player's creature,
// mana spent or set, refill counts, target slots, AI events, reassessment, idle and death cycles,
// the interface colour, movement values and shots, with what each hands on to the clients.
#include "ScriptCreaturesTestSupport.h"

#include "base/Color.h"

TEST_F(ScriptCreaturesTest, LifeTestsAndTheServersKill)
{
    ASSERT_NE(hero, nullptr);
    CheckAll({
        {"IsCreature(" + h + ")", kScriptInt, 1, nullptr, nullptr},
        {"IsCreature(" + c + ")", kScriptInt, 0, nullptr, nullptr},
        {"IsCreature(77777)", kScriptInt, 0, nullptr, nullptr},  // no report
        {"IsCreature(\"x\")", kScriptVoid, 0, "Invalid arguments in function IsCreature", nullptr},
        {"IsDead(" + h + ")", kScriptInt, 0, nullptr, nullptr},
        {"IsDead(" + c + ")", kScriptInt, 0, nullptr, nullptr},
        {"IsDead(" + h + ", 1)", kScriptVoid, 0, "Invalid arguments in function IsDead", nullptr},
        {"Kill(" + c + ")", kScriptVoid, 0, nullptr, "Can not kill none creature"},
        {"Kill(" + h + ", " + o + ", 1)", kScriptVoid, 0, "Invalid arguments in function Kill", nullptr},
    });
    EXPECT_TRUE(ctrl->forwarded.empty());

    // A player's creature on the network game server is killed by its client: only forwarded.
    hero->m_MainCharacter = 1;
    ctrl->networkServer = true;
    Check({"Kill(" + h + ", " + o + ")", kScriptVoid, 0, nullptr, nullptr});
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].name, "Kill");
    EXPECT_EQ(ctrl->forwarded[0].count, 2);
    EXPECT_EQ(ctrl->forwarded[0].subjectID, heroID);
    EXPECT_FALSE(hero->IsDead());
    ctrl->networkServer = false;

    // Mode 2 moves a creature that has just died on; both cases go to the clients.
    hero->m_Dead = 1;
    Check({"SetIsDead(" + h + ", 2)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_Dead, 2);
    EXPECT_EQ(ctrl->forwarded.size(), 1u);
    Check({"SetIsDead(" + c + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_TRUE(ctrl->forwarded.empty());

    Check({"Revive(" + c + ")", kScriptVoid, 0, nullptr, "Can not revive none creature"});
    EXPECT_TRUE(ctrl->forwarded.empty());
    Check({"Revive(" + h + ", 0)", kScriptVoid, 0, nullptr, nullptr});
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 2);
    EXPECT_EQ(ctrl->forwarded[0].subjectID, -1);
}

TEST_F(ScriptCreaturesTest, ManaSpentOrSetAndRefillCounts)
{
    ASSERT_NE(hero, nullptr);
    hero->m_Mana = 50.0f;
    Check({"SetMana(" + h + ", 20.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_Mana, 20.0f);
    Check({"SetMana(" + h + ", 70)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_Mana, 70.0f);
    // Lowering it is a spending: a player's creature on the server reports the cost instead.
    hero->m_MainCharacter = 1;
    ctrl->networkServer = true;
    Check({"SetMana(" + h + ", 60.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_Mana, 70.0f);
    ASSERT_EQ(ctrl->manaReports.size(), 1u);
    EXPECT_FLOAT_EQ(ctrl->manaReports[0], 10.0f);
    ctrl->networkServer = false;

    CheckAll({
        {"SetMana(" + c + ", 1.0)", kScriptVoid, 0, nullptr, "Can not set mana of none creature"},
        {"SetHealth(" + c + ", 1.0)", kScriptVoid, 0, nullptr, "Can not set health points of none creature"},
        {"SetImmortal(" + c + ", 1)", kScriptVoid, 0, nullptr, "Can not set health points of none creature"},
        {"RefillHealth(" + h + ", 5.0)", kScriptVoid, 0, "Invalid arguments in function RefillHealth", nullptr},
        {"RefillHealth(" + h + ", 5.0, 1.0, 1, 2)", kScriptVoid, 0, "Invalid arguments in function RefillHealth",
         nullptr},
        {"RefillMana(" + h + ", 5.0)", kScriptVoid, 0, "Invalid arguments in function RefillMana", nullptr},
        {"RefillHealth(" + c + ")", kScriptVoid, 0, nullptr, "No creature specified in function RefillHealth"},
        {"RefillMana(" + c + ", 1.0, 2.0)", kScriptVoid, 0, nullptr, "No creature specified in function RefillMana"},
    });
    EXPECT_TRUE(ctrl->forwarded.empty());
    for (const char* call : {"RefillHealth(%s)", "RefillHealth(%s, 10.0, 2.0)", "RefillMana(%s, 10.0, 2.0, 0, 0)"}) {
        char text[64];
        std::snprintf(text, sizeof text, call, h.c_str());
        Check({text, kScriptVoid, 0, nullptr, nullptr});
        ASSERT_EQ(ctrl->forwarded.size(), 1u) << text;
        EXPECT_EQ(ctrl->forwarded[0].subjectID, heroID) << text;
    }

    // Immortality switched on is stored and forwarded; the same value again changes nothing.
    Check({"SetImmortal(" + h + ", 5)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_Stats.immortal, 1);
    EXPECT_EQ(ctrl->forwarded.size(), 1u);
}

TEST_F(ScriptCreaturesTest, TargetSlotsEventsAndReassessment)
{
    ASSERT_NE(hero, nullptr);
    Check({"SetAITarget(" + h + ", " + o + ", 17)", kScriptVoid, 0, nullptr, nullptr});
    Check({"SetAITarget(" + h + ", " + o + ", 0)", kScriptVoid, 0, nullptr, nullptr});
    for (const SmartPtr<WorldElem>& slot : hero->m_ElemRefs)
        EXPECT_EQ(slot.Get(), nullptr);
    CheckAll({
        {"SetAITarget(" + h + ", " + o + ")", kScriptVoid, 0, nullptr, nullptr},
        {"SetAITarget(" + h + ", " + c + ", 16)", kScriptVoid, 0, nullptr, nullptr},
        {"GetAITarget(" + h + ", 1)", kScriptInt, double(otherID), nullptr, nullptr},
        {"GetAITarget(" + h + ", 16)", kScriptInt, double(crateID), nullptr, nullptr},
        {"SetAITarget(" + h + ", 1.0)", kScriptVoid, 0, "Invalid arguments in function SetAITarget", nullptr},
    });

    // Event 5 does nothing and says nothing; 1 to 4 raise their events.
    LogCapture log;
    Check({"SetAIEvent(" + h + ", 5, " + o + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(log.Total(), 0u);
    EXPECT_EQ(hero->m_AIEvents.attacked + hero->m_AIEvents.hit + hero->m_AIEvents.hardHit +
                  hero->m_AIEvents.lostTarget,
              0);
    CheckAll({
        {"SetAIEvent(" + h + ", 1, " + o + ")", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIEvent(" + h + ", 3)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIEvent(" + h + ", 4)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIEvent(" + c + ", 1)", kScriptVoid, 0, nullptr, "Can not SetAIEvent of none creature"},
    });
    EXPECT_EQ(hero->m_AIEvents.attacked, 1);
    EXPECT_EQ(hero->m_AIEvents.attacker.Get(), other);
    EXPECT_EQ(hero->m_AIEvents.hardHit, 1);
    EXPECT_FLOAT_EQ(hero->m_AIEvents.value, 1.0f);
    EXPECT_EQ(hero->m_AIEvents.lostTarget, 1);
    EXPECT_EQ(hero->m_AIEvents.hit, 0);

    Elem(crateID)->SetName(wString(u"Big crate"));
    CheckAll({
        {"ReAssessAI(" + c + ")", kScriptVoid, 0, nullptr, "Object 'Big crate' is no creature"},
        {"ReAssessAI(" + h + ", 100)", kScriptVoid, 0, "Invalid arguments in function ReAssessAI", nullptr},
        {"SetLastEnemy(" + h + ", -1)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIStartEndAction(" + c + ", 1.0, 2.0)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIStartEndAction(77777, 1.0, 2.0)", kScriptVoid, 0, nullptr, nullptr},  // just returns
        {"SetAIZigZag(" + h + ", 1.0)", kScriptVoid, 0, "Invalid arguments in function SetAIZigZag", nullptr},
        {"SetActionProperties(" + c + ", 1.0, 2.0, 3.0)", kScriptVoid, 0,
         "None creature in function SetActionProperties", nullptr},
    });
}

TEST_F(ScriptCreaturesTest, IdleAndDeathCyclesAndLooks)
{
    ASSERT_NE(hero, nullptr);
    const uint16_t before[10] = {1, 1, 1, 1, 1, 1, 65535, 65535, 65535, 65535};
    Check({"SetBoredCycle(" + h + ", 2, 5)", kScriptVoid, 0, "Invalid weapon type in function SetBoredCycle",
           nullptr});
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), hero->m_CycleWords));
    EXPECT_TRUE(ctrl->forwarded.empty());

    Check({"SetBoredCycle(" + h + ", -1, 4)", kScriptVoid, 0, nullptr, nullptr});  // both weapon types
    const uint16_t both[10] = {4, 4, 4, 4, 4, 4, 65535, 65535, 65535, 65535};
    EXPECT_TRUE(std::equal(std::begin(both), std::end(both), hero->m_CycleWords));
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].subjectID, heroID);
    Check({"SetBoredCycle(" + h + ", 1, 7)", kScriptVoid, 0, nullptr, nullptr});
    const uint16_t armed[10] = {4, 7, 4, 7, 4, 7, 65535, 65535, 65535, 65535};
    EXPECT_TRUE(std::equal(std::begin(armed), std::end(armed), hero->m_CycleWords));

    struct {
        int32_t value, stored;
    } const dieCycles[] = {{7, 3}, {2, 2}, {-4, 0}};
    for (const auto& die : dieCycles) {
        Check({"SetDieCycle(" + h + ", " + std::to_string(die.value) + ")", kScriptVoid, 0, nullptr, nullptr});
        EXPECT_EQ(hero->m_Cycle.deathVariant, die.stored) << die.value;
    }
    CheckAll({
        {"GetDieCycle(" + h + ")", kScriptInt, 0, nullptr, nullptr},
        {"SetDieCycle(" + h + ", 1, 2)", kScriptVoid, 0, "Invalid arguments in function SetDieCycle", nullptr},
        {"PlayAniCycle(" + c + ", \"walk\")", kScriptVoid, 0, "Cycles can only be set on creatures", nullptr},
        {"PlayAniCycle(" + h + ", 3)", kScriptVoid, 0, "Invalid arguments in function PlayAniCycle", nullptr},
        {"SetAniCycleTime(" + c + ", 1.0)", kScriptVoid, 0, "Can not SetAniCycleTime() of none-creature", nullptr},
        {"SetAniCycleTime(" + h + ", 0.4, 9)", kScriptVoid, 0, nullptr, nullptr},  // held to the second player
        {"SetGuiColor(" + c + ", 1.0, 0.0, 0.5)", kScriptVoid, 0, nullptr, "Object 'Crate' is no creature"},
    });
    EXPECT_FLOAT_EQ(hero->m_CyclePlayers[1].GetTime(), 0.4f);
    EXPECT_TRUE(ctrl->forwarded.empty());

    Check({"PlayAniCycle(" + h + ", \"walk\", 1.0, 1, 2)", kScriptVoid, 0, nullptr, nullptr});
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 5);
    Check({"SetGuiColor(" + h + ", 1.0, 0.0, 0.5)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_EQ(hero->m_Stats.guiColor, Color::FromFloats(1.0f, 0.0f, 0.5f));
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 4);
    EXPECT_EQ(ctrl->forwarded[0].subjectID, heroID);
}

TEST_F(ScriptCreaturesTest, MovementValuesKnockBackAndShots)
{
    ASSERT_NE(hero, nullptr);
    Check({"SetMoveSpd(" + h + ", 180.0)", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_Cycle.forwardSpeed, 180.0f);
    EXPECT_FLOAT_EQ(hero->m_Cycle.backwardSpeed, 180.0f);
    EXPECT_FLOAT_EQ(hero->m_Cycle.sideSpeed, 180.0f);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].subjectID, -1);  // sent without subject

    Check({"SetActForce(" + c + ", 50.0, 300.0)", kScriptVoid, 0, nullptr, nullptr});
    const ActForce& force = Elem(crateID)->m_ActForce;
    EXPECT_FLOAT_EQ(force.strength, 50.0f);
    EXPECT_FLOAT_EQ(force.maxDist, 300.0f);
    EXPECT_EQ(force.flags, ActForce::kCreatures);

    CheckAll({
        {"SetKnockBackSpd(" + h + ", 3.0, 4.0)", kScriptVoid, 0, nullptr, nullptr},
        {"SetKnockBackSpd(" + h + ", 3.0)", kScriptVoid, 0, "Invalid arguments in function SetKnockBackSpd", nullptr},
        {"SetAngleFront(" + c + ", 1.0)", kScriptVoid, 0, nullptr, "Can not SetAngleFront of none creature"},
        {"SetIsFlying(" + h + ", 3)", kScriptVoid, 0, nullptr, nullptr},
        {"SetCombatMode(" + h + ", 2)", kScriptVoid, 0, nullptr, nullptr},
        {"SetStrategy(" + h + ", \"Fighter\")", kScriptVoid, 0, nullptr, nullptr},
        {"GetStrategy(" + h + ")", kScriptString, 0, nullptr, nullptr, "Fighter"},
        {"SetStrategy(" + h + ", \"Nope\")", kScriptVoid, 0, "Strategy entry 'Nope' not found", nullptr},
        {"GetCombatMode(" + h + ")", kScriptInt, 2, nullptr, nullptr},
        {"SetXPReceiver(" + h + ", " + o + ")", kScriptVoid, 0, nullptr, nullptr},
        {"RemoveInfluence(" + h + ", \"bogus\")", kScriptVoid, 0,
         "Invalid influence type 'bogus' in function RemoveInfluence", nullptr},
        {"IsInfluenced(" + c + ", \"stun\")", kScriptVoid, 0, nullptr, "Can not remove influence of none creature"},
        {"SetSummonedBy(" + o + ", " + c + ")", kScriptVoid, 0, nullptr, "Can not SetSummonedBy on none creature"},
        {"SetSummonedBy(" + o + ", " + h + ")", kScriptInt, 1, nullptr, nullptr},
    });
    EXPECT_FLOAT_EQ(hero->m_VelocityX, 3.0f);
    EXPECT_FLOAT_EQ(hero->m_VelocityY, 4.0f);
    EXPECT_EQ(hero->m_IsFlying, 1);
    EXPECT_EQ(hero->m_ExperienceReceiver.Get(), other);
    Check({"RemoveKnockBack(" + h + ")", kScriptVoid, 0, nullptr, nullptr});
    EXPECT_FLOAT_EQ(hero->m_VelocityX, 0.0f);
    Check({"SetXPReceiver(" + h + ", " + h + ")", kScriptVoid, 0, nullptr, nullptr});  // itself: none
    EXPECT_EQ(hero->m_ExperienceReceiver.Get(), nullptr);

    // A shot needs an action entry with shots; a fired one goes on with both flags 0.
    Check({"Shoot(" + h + ", \"Melee\", 1.0, 0.0)", kScriptInt, 0, nullptr, nullptr});
    EXPECT_TRUE(ctrl->forwarded.empty());
    Check({"Shoot(" + h + ", \"Volley\", 1.0, 0.0)", kScriptInt, 1, nullptr, nullptr});
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].checkSubject, 0);
    EXPECT_EQ(ctrl->forwarded[0].flag, 0);
}

// The rows that change the current intention by copy change only their own fields; an
// intention of a higher priority stays on top and the changed copy waits below it.
TEST_F(ScriptCreaturesTest, CurrentIntentionChangedByCopy)
{
    ASSERT_NE(hero, nullptr);
    KI_ActionData follow;
    follow.task = kIntentGotoObj;
    follow.target = other;
    ASSERT_EQ(hero->PushIntention(follow, 4.0f, 0, false), 1);
    CheckAll({
        {"SetAIStartEndAction(" + h + ", 7.0, 70.0)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIMaxApproach(" + h + ", 12.0)", kScriptVoid, 0, nullptr, nullptr},
        {"SetAIZigZag(" + h + ", 90.0, 3.0)", kScriptVoid, 0, nullptr, nullptr},
        {"SetActionProperties(" + h + ", 1.0, 2.0, 3.0)", kScriptVoid, 0, nullptr, nullptr},
    });
    ASSERT_EQ(hero->m_AIActions.GetSize(), 1);
    const KI_ActionData* top = hero->GetTopAction();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->task, kIntentGotoObj);
    EXPECT_EQ(top->target.Get(), other);
    EXPECT_FLOAT_EQ(top->values[0], -1.0f);  // no time limit
    EXPECT_EQ(top->thirdCode, 0);
    EXPECT_FLOAT_EQ(top->entry.startEndAction[0], 7.0f);
    EXPECT_FLOAT_EQ(top->entry.startEndAction[1], 70.0f);
    EXPECT_FLOAT_EQ(top->entry.maxApproach, 12.0f);
    EXPECT_NEAR(top->vectors[2][0], 1.5708f, 1e-4f);
    EXPECT_FLOAT_EQ(top->vectors[2][1], 3.0f);
    EXPECT_FLOAT_EQ(top->vectors[1][0], 1.0f);
    EXPECT_FLOAT_EQ(top->vectors[1][1], 2.0f);
    EXPECT_FLOAT_EQ(top->fifthValue, 3.0f);

    hero->GetTopAction()->thirdCode = 5;
    Check({"SetAIMaxApproach(" + h + ", 20.0)", kScriptVoid, 0, nullptr, nullptr});
    ASSERT_EQ(hero->m_AIActions.GetSize(), 2);
    EXPECT_FLOAT_EQ(hero->GetTopAction()->entry.maxApproach, 12.0f);
}
