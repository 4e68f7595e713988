// CreatureObj: defaults and reset, clones with their items and inventories, summoning and its
// limit, mana under a network game server, the speed factors, enemies by strategy, the lock list,
// timed values, the attack script, effect types and the influence list's queries.
#include "game/objects/CreatureObj.h"

#include "game/objects/EventObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "world/ActionAttack.h"
#include "world/Inventory.h"
#include "world/KI_Strategy.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class CreatureObjTest : public ::testing::Test {
protected:
    CreatureObjTest()
    {
        ctrl.gameWorld = &world;
        ctrl.makeItem = [] { return new ItemBase; };
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
};

}  // namespace

TEST_F(CreatureObjTest, DefaultsAndReset)
{
    CreatureObj creature;
    EXPECT_STREQ(creature.GetClassName(), "CreatureObj");
    EXPECT_TRUE(creature.IsCreature());
    EXPECT_EQ(creature.m_Health, 50.0f);
    EXPECT_EQ(creature.GetLevel(), 1);
    EXPECT_EQ(creature.m_TintColour, 0xFFFFFFFFu);
    EXPECT_EQ(creature.m_ActionState.moveCode, 0);
    EXPECT_EQ(creature.m_ActionState.actionCode, -1);
    EXPECT_EQ(creature.m_IdleTime, 9999.0f);
    EXPECT_EQ(creature.m_MovementMode, 1);
    EXPECT_EQ(creature.GetStrategyData().timedLevel, -1);
    EXPECT_EQ(creature.GetStrategyData().value, 1.5f);
    ASSERT_NE(creature.GetDamageValues(), nullptr);  // from the controller's factory

    creature.m_Health = 3.0f;
    creature.m_Dead = 1;
    creature.m_Inventory = new Inventory;
    creature.m_LinkedItem = new ItemBase;
    creature.m_AIActions.Add();
    creature.AddTimedValue(2, 1.0f);
    creature.Reset();
    EXPECT_EQ(creature.m_Health, 50.0f);
    EXPECT_FALSE(creature.IsDead());
    EXPECT_EQ(creature.m_Inventory, nullptr);  // deleted with the reset
    EXPECT_EQ(creature.m_LinkedItem, nullptr);
    EXPECT_EQ(creature.m_AIActions.GetSize(), 0);
    EXPECT_EQ(creature.GetStrategyData().timedValues.GetSize(), 0);
    EXPECT_TRUE(creature.IsCreature());
}

TEST_F(CreatureObjTest, ClonesTakeItemsAndInventories)
{
    CreatureObj templ;
    templ.m_Health = 80.0f;
    templ.m_ActionScript = "orc.scr";
    templ.GetDamageValues()->SetValue(2.5f);
    templ.m_Inventory = new Inventory;
    templ.m_Inventory->SetGridSize(6, 4);
    templ.m_Inventory->SetType(3);
    templ.m_LinkedItem = new ItemBase;
    templ.m_LinkedItem->m_Desc = "OrcTooth";
    templ.m_Influences.GetBySlot(templ.m_Influences.Add())->type = CreatureObj::kEffectSlow;

    CreatureObj clone;
    clone.m_Mana = 40.0f;  // the target's own values go
    templ.CloneInto(clone);
    EXPECT_EQ(clone.m_Health, 80.0f);
    EXPECT_EQ(clone.m_Mana, 0.0f);
    EXPECT_STREQ(clone.m_ActionScript.c_str(), "orc.scr");
    ASSERT_NE(clone.GetDamageValues(), templ.GetDamageValues());  // its own copy
    EXPECT_EQ(clone.GetDamageValues()->GetValue(), 2.5f);
    EXPECT_EQ(clone.GetActiveEffectMask(), CreatureObj::GetEffectTypeBit(CreatureObj::kEffectSlow));
    ASSERT_NE(clone.m_Inventory, nullptr);
    EXPECT_NE(clone.m_Inventory, templ.m_Inventory);
    int32_t w = 0;
    int32_t h = 0;
    clone.m_Inventory->GetGridSize(w, h);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(clone.m_Inventory->GetType(), 3);
    EXPECT_EQ(clone.m_Inventory->GetOwner(), &clone);
    ASSERT_NE(clone.m_LinkedItem, nullptr);
    EXPECT_STREQ(clone.m_LinkedItem->m_Desc.c_str(), "OrcTooth");

    // A template without inventory leaves the clone without one, whatever it had.
    CreatureObj bare;
    bare.CloneInto(clone);
    EXPECT_EQ(clone.m_Inventory, nullptr);
    EXPECT_EQ(clone.m_LinkedItem, nullptr);

    // Without a grid the item limit is taken.
    EventObj event;
    event.m_Inventory = new Inventory;
    event.m_Inventory->SetMaxItems(7);
    event.m_ActivationsLeft = 4;
    EventObj eventClone;
    event.CloneInto(eventClone);
    EXPECT_EQ(eventClone.m_ActivationsLeft, 4);
    ASSERT_NE(eventClone.m_Inventory, nullptr);
    EXPECT_EQ(eventClone.m_Inventory->GetMaxItems(), 7);
    EXPECT_FALSE(eventClone.m_Inventory->HasGrid());
    delete event.m_Inventory;
    event.m_Inventory = nullptr;
    delete eventClone.m_Inventory;
    eventClone.m_Inventory = nullptr;
}

TEST_F(CreatureObjTest, ItemClonesDrawTheirOwnPhase)
{
    ItemObj templ;
    templ.m_RandomStart = 1;
    templ.m_StartBounds[0] = 2.0f;
    templ.m_StartBounds[1] = 6.0f;
    templ.m_KeyNumber = 3;
    std::vector<double> phases;
    for (int i = 0; i < 8; i++) {
        ItemObj clone;
        templ.CloneInto(clone);
        EXPECT_EQ(clone.m_KeyNumber, 3);
        EXPECT_GE(clone.m_AutoActionTimeOffset, 2.0);
        EXPECT_LE(clone.m_AutoActionTimeOffset, 6.0);
        phases.push_back(clone.m_AutoActionTimeOffset);
    }
    std::sort(phases.begin(), phases.end());
    EXPECT_NE(phases.front(), phases.back());
    templ.m_RandomStart = 0;
    ItemObj fixed;
    fixed.m_AutoActionTimeOffset = 9.0;
    templ.CloneInto(fixed);
    EXPECT_EQ(fixed.m_AutoActionTimeOffset, 0.0);
}

TEST_F(CreatureObjTest, Summoning)
{
    CreatureObj* master = AddTestElem<CreatureObj>(world);
    std::vector<CreatureObj*> summoned;
    for (int i = 0; i < 4; i++)
        summoned.push_back(AddTestElem<CreatureObj>(world));
    for (CreatureObj* c : summoned)
        master->AddSummoned(c);
    summoned[0]->m_Dead = 1;
    world.DelObj(summoned[1]->m_ObjID, 0);
    EXPECT_EQ(master->AddSummoned(AddTestElem<CreatureObj>(world)), 3);  // two purged, one added

    // The main character stays within the limit; other creatures summon freely.
    for (int i = 0; i < 2; i++)
        master->AddSummoned(AddTestElem<CreatureObj>(world));
    ASSERT_EQ(master->GetSummoned().GetSize(), 5);
    EXPECT_TRUE(master->CanSummon(1));
    master->m_MainCharacter = 1;
    EXPECT_FALSE(master->CanSummon(1));
    EXPECT_TRUE(master->CanSummon(0));
}

TEST_F(CreatureObjTest, ManaAndSpeed)
{
    CreatureObj creature;
    creature.m_Mana = 10.0f;
    creature.AddMana(-15.0f);
    EXPECT_EQ(creature.m_Mana, 0.0f);
    creature.AddMana(8.0f);
    EXPECT_TRUE(creature.HasMana(8.0f));
    EXPECT_FALSE(creature.HasMana(8.5f));
    creature.UseMana(3.0f);
    EXPECT_EQ(creature.m_Mana, 5.0f);

    creature.m_MainCharacter = 1;
    ctrl.networkGameServer = true;
    EXPECT_TRUE(creature.HasMana(8.9e9f));  // unlimited on the network game server
    EXPECT_FALSE(creature.HasMana(9.1e9f));
    creature.UseMana(3.0f);
    EXPECT_EQ(creature.m_Mana, 5.0f);
    ASSERT_EQ(ctrl.manaUses.size(), 1u);
    EXPECT_EQ(ctrl.manaUses[0].second, 3.0f);

    struct Case {
        int32_t mainCharacter;
        int32_t party;
        int32_t viewMode;
        float expected;
    };
    CreatureObj::s_MainCharSpeedFactor = 2.0f;
    CreatureObj::s_OtherPartySpeedFactor = 0.5f;
    const Case kCases[] = {
        {1, 1, 0, 0.8f * 1.5f * 2.0f},
        {0, 1, 0, 0.8f * 1.5f},
        {0, 3, 0, 0.8f * 1.5f * 0.5f},
        {0, 3, 1, 1.0f},  // the second play view ignores slowing
    };
    creature.m_SlowAmount = 0.2f;
    creature.m_SpeedFactor = 1.5f;
    for (const Case& c : kCases) {
        creature.m_MainCharacter = c.mainCharacter;
        creature.m_Party = c.party;
        ctrl.viewMode = c.viewMode;
        EXPECT_FLOAT_EQ(creature.GetSpeedFactor(), c.expected) << c.party << " " << c.viewMode;
        EXPECT_FLOAT_EQ(creature.GetAnimSpeedFactor(), c.viewMode == 1 ? 1.0f : 0.8f);
    }
    CreatureObj::s_MainCharSpeedFactor = 1.0f;
    CreatureObj::s_OtherPartySpeedFactor = 1.0f;
}

TEST_F(CreatureObjTest, EnemiesByStrategyAndSmallAnswers)
{
    KI_Strategy* hunters = world.GetStrategyTree().Insert(String("Hunters"));
    *hunters->enemyParties.GetBySlot(hunters->enemyParties.Add()) = 7;
    CreatureObj creature;
    creature.m_Party = 2;
    TestElem other;
    other.m_Party = 2;
    EXPECT_EQ(creature.IsEnemyOf(&other, false), 0);  // the party rule: same party
    creature.SetStrategy(String("Hunters"));
    other.m_Party = 7;
    EXPECT_EQ(creature.IsEnemyOf(&other, false), 1);
    other.m_Party = 3;
    EXPECT_EQ(creature.IsEnemyOf(&other, false), 0);  // not listed: no enemy by the strategy

    EXPECT_FALSE(creature.IsLootable());
    creature.m_Dead = 1;
    creature.m_Inventory = new Inventory;
    EXPECT_FALSE(creature.IsLootable());  // empty
    creature.m_Inventory->AddItem(new ItemBase);
    EXPECT_TRUE(creature.IsLootable());
    creature.m_MainCharacter = 1;
    EXPECT_FALSE(creature.IsLootable());
    EXPECT_EQ(creature.GetControlFlag(), 0);  // the main character without an AI controller
    creature.m_MainCharacter = 0;
    EXPECT_EQ(creature.GetControlFlag(), 1);
    creature.m_ControlFlag = 0;
    EXPECT_EQ(creature.GetControlFlag(), 0);
    EXPECT_FALSE(creature.IsInConversation());
    ctrl.dialogPartners.insert(&creature);
    EXPECT_TRUE(creature.IsInConversation());
}

TEST_F(CreatureObjTest, LocksTimedValuesAndAttackScript)
{
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    creature->AddForcedAction(5, 1.0f, CreatureForcedAction::kLocksAction);
    creature->AddForcedAction(9, 1.0f, CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
    creature->AddForcedAction(20, 0.0f, CreatureForcedAction::kLocksAction);  // no time: no lock
    EXPECT_EQ(creature->m_ActionState.actionPriority, 9);
    creature->RemoveForcedActions(4);  // below every priority
    EXPECT_EQ(creature->m_ActionState.forcedActions.GetSize(), 2);
    creature->RemoveForcedActions(5);
    EXPECT_EQ(creature->m_ActionState.forcedActions.GetSize(), 1);
    EXPECT_EQ(creature->m_ActionState.movePriority, 9);
    EXPECT_EQ(CreatureObj::FindListEntry(creature->m_ActionState.forcedActions, 9), 1);
    EXPECT_EQ(CreatureObj::FindListEntry(creature->m_ActionState.forcedActions, 5), -1);
    EXPECT_EQ(CreatureObj::FindListEntry(creature->m_Influences, 0), -1);  // empty

    creature->AddTimedValue(3, 2.0f);
    creature->AddTimedValue(6, 1.0f);
    creature->AddTimedValue(9, 0.0f);  // no time: nothing
    EXPECT_EQ(creature->GetStrategyData().timedLevel, 6);
    creature->m_AIActions.Add();
    creature->GetStrategyData().strategyTimer = 4.0f;
    creature->ResetCurrentAction();
    EXPECT_EQ(creature->GetStrategyData().timedLevel, -1);
    EXPECT_EQ(creature->GetStrategyData().timedValues.GetSize(), 0);
    EXPECT_EQ(creature->GetStrategyData().strategyTimer, 0.0f);
    EXPECT_EQ(creature->m_AIActions.GetSize(), 0);

    ActionAttack attack;
    attack.callScript = "Shout()";
    creature->RunAttackScript(attack);
    ASSERT_EQ(ctrl.attacks.size(), 1u);
    EXPECT_EQ(ctrl.attacks[0], creature);
    ASSERT_EQ(world.runs.size(), 1u);
    EXPECT_EQ(world.runs[0], "ATTACK:CallScript|Shout()");
}

TEST_F(CreatureObjTest, EffectTypes)
{
    struct Case {
        const char* name;
        int32_t type;
    };
    const Case kNames[] = {{"Hit", 2},   {"HIT", 2},         {"none", 0},  {"fireball", 0},
                           {"item", 21}, {"stun", 1},        {"SHIELD", 19}, {"blastknockdown", 10}};
    for (const Case& c : kNames)
        EXPECT_EQ(CreatureObj::GetEffectTypeByName(c.name), c.type) << c.name;
    EXPECT_EQ(CreatureObj::GetEffectTypeByName(nullptr), 0);

    EXPECT_STREQ(CreatureObj::GetEffectTypeName(3).c_str(), "unknown");
    EXPECT_STREQ(CreatureObj::GetEffectTypeName(22).c_str(), "unknown");
    EXPECT_STREQ(CreatureObj::GetEffectTypeName(0).c_str(), "none");
    EXPECT_STREQ(CreatureObj::GetEffectTypeName(12).c_str(), "MagicArmour1");
    EXPECT_EQ(CreatureObj::GetEffectTypeBit(CreatureObj::kEffectItem), 1u << 20);
    EXPECT_EQ(CreatureObj::GetEffectTypeBit(CreatureObj::kEffectStun), 1u);
    EXPECT_EQ(CreatureObj::GetEffectTypeBit(0), 0u);
    EXPECT_EQ(CreatureObj::GetEffectImmunityBit(CreatureObj::kEffectKnockDown),
              CreatureObj::GetEffectImmunityBit(CreatureObj::kEffectBlastKnockDown));
    EXPECT_EQ(CreatureObj::GetEffectImmunityBit(CreatureObj::kEffectPartyConvert), 128u);
    EXPECT_EQ(CreatureObj::GetEffectImmunityBit(CreatureObj::kEffectHit), 0u);

    CreatureObj creature;
    EXPECT_EQ(creature.GetActiveEffectMask(), 0u);
    for (int32_t type : {1, 6, 6})
        creature.m_Influences.GetBySlot(creature.m_Influences.Add())->type = type;
    EXPECT_EQ(creature.GetActiveEffectMask(), 0x21u);
    EXPECT_EQ(CreatureObj::FindListEntry(creature.m_Influences, 6), 1);

    creature.m_Opacity = 0.5f;
    creature.EndInfluenceVisual(CreatureObj::kEffectInvisible);
    EXPECT_EQ(creature.m_FadeRate, CreatureObj::s_InvisibleFadeInRate);
    creature.m_FadeRate = 0.0f;
    creature.EndInfluenceVisual(CreatureObj::kEffectSlow);
    EXPECT_EQ(creature.m_FadeRate, 0.0f);
}
