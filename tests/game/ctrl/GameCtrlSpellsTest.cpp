// GameCtrl spells: the summon limit of the main character, the life span and level of summoned
// creatures, the heal that passes over full health, stealing life only from knocked-down
// creatures, invisibility and influences on the caster, and types that do nothing.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "level/LevelTestSupport.h"
#include "support/ErrorOf.h"
#include "world/ActionSpell.h"

#include <gtest/gtest.h>

namespace {

// Makes a creature for every world object a spell asks for.
class SpellCtrl : public WorldGameCtrl {
public:
    WorldElemGridBase* CreateWorldObject(const char* typeName, float x, float y, float angle, float height) override
    {
        (void)height;
        made.push_back(typeName);
        auto* creature = new CreatureObj;
        creature->SetPos(x, y);
        creature->SetAngle(angle);
        World().AddObj(creature, 0, false);
        return creature;
    }
    std::vector<std::string> made;
};

class GameCtrlSpellsTest : public ::testing::Test {
protected:
    GameCtrlSpellsTest()
    {
        ctrl.GetObjectCfgFiles().AddFile("desc\\objects.cfg");
        ctrl.GetWallCfgFiles().AddFile("desc\\walls.cfg");
        EXPECT_EQ(ErrorOf([&] { ctrl.World().LoadLevelData("blocks.vsd", 1, 0); }), "no error");
        caster = AddCreature(1000.0f, 1000.0f);
        caster->m_Party = 1;
    }
    CreatureObj* AddCreature(float x, float y)
    {
        auto* creature = new CreatureObj;
        creature->SetPos(x, y);
        creature->m_Radius = 10.0f;
        ctrl.World().AddObj(creature, 0, false);
        return creature;
    }
    static ActionSpell Spell(const char* type, const char* id, float p1, float p2, float p3 = 0.0f)
    {
        ActionSpell spell;
        spell.type = type;
        spell.id = id;
        spell.param[0] = p1;
        spell.param[1] = p2;
        spell.param[2] = p3;
        return spell;
    }

    LevelFixtureDir dir;
    ScopedGameConfig config;
    SpellCtrl ctrl;
    CreatureObj* caster = nullptr;
};

}  // namespace

TEST_F(GameCtrlSpellsTest, SummonBeyondTheLimitEndsTheLastSummoned)
{
    g_Options.maxSummonedMonsters = 1;
    caster->m_MainCharacter = 1;
    caster->SetCharacterLevel(4);
    ActionSpell summon = Spell("summon", "wolf", 20.0f, 0.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &summon, nullptr));
    ASSERT_EQ(caster->GetSummoned().GetSize(), 1);
    auto* first = static_cast<CreatureObj*>(caster->GetSummoned().GetAt(0)->Get());
    EXPECT_EQ(first->m_Creator.Get(), caster);
    EXPECT_EQ(first->GetLevel(), caster->GetLevel());
    EXPECT_NEAR(first->GetLifeSpanLeft(), 20.0, 1e-4);

    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &summon, nullptr));  // still summons
    EXPECT_EQ(ctrl.made, (std::vector<std::string>{"wolf", "wolf"}));
    EXPECT_EQ(caster->GetSummoned().GetSize(), 2);
    EXPECT_NEAR(first->GetLifeSpanLeft(), 0.7, 1e-4);

    // Without the main-character flag there is no limit.
    auto* monster = AddCreature(1400.0f, 1400.0f);
    for (int32_t i = 0; i < 3; i++)
        ctrl.ExecuteSpell(monster, &summon, nullptr);
    for (int32_t i = 0; i < monster->GetSummoned().GetSize(); i++)
        EXPECT_NEAR(monster->GetSummoned().GetAt(i)->Get()->GetLifeSpanLeft(), 20.0, 1e-4);
}

TEST_F(GameCtrlSpellsTest, GroupHealPassesOverFullHealth)
{
    CreatureObj* hurt = AddCreature(1030.0f, 1000.0f);
    CreatureObj* whole = AddCreature(1000.0f, 1030.0f);
    CreatureObj* far = AddCreature(1900.0f, 1000.0f);
    hurt->m_Health = 40.0f;
    whole->m_Health = 100.0f;
    far->m_Health = 40.0f;
    ActionSpell heal = Spell("GroupHeal", "", 25.0f, 100.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &heal, nullptr));
    EXPECT_FLOAT_EQ(hurt->m_HealthRefillLeft, 25.0f);
    EXPECT_FLOAT_EQ(hurt->m_HealthRefillRate, 25.0f);
    EXPECT_FLOAT_EQ(whole->m_HealthRefillLeft, 0.0f);
    EXPECT_FLOAT_EQ(far->m_HealthRefillLeft, 0.0f);
}

TEST_F(GameCtrlSpellsTest, StealLifeDrainsOnlyKnockedDownCreatures)
{
    CreatureObj* victim = AddCreature(1030.0f, 1000.0f);
    victim->m_Party = 2;
    caster->m_Health = 20.0f;
    ActionSpell steal = Spell("StealLife", "", 30.0f, 100.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &steal, nullptr));
    EXPECT_FLOAT_EQ(caster->GetHealth(), 20.0f);

    CreatureInfluence& mark = *victim->m_Influences.GetBySlot(victim->m_Influences.Add());
    mark.type = CreatureObj::kEffectKnockDown;
    mark.params.y = 2.0f;
    victim->m_Health = 12.5f;
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &steal, nullptr));
    EXPECT_FLOAT_EQ(caster->GetHealth(), 32.0f);  // the smaller of health and amount, made whole
}

TEST_F(GameCtrlSpellsTest, InfluencesOnTheCasterAndUnknownTypes)
{
    ActionSpell invisible = Spell("invisible", "", 3.0f, 0.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &invisible, nullptr));
    InfluenceParams params;
    ASSERT_TRUE(caster->IsInfluenced(CreatureObj::kEffectInvisible, 0.0f, &params, false));
    EXPECT_FLOAT_EQ(params.y, 3.0f);
    ActionSpell visible = Spell("visible", "", 0.0f, 0.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &visible, nullptr));
    EXPECT_FALSE(caster->IsInfluenced(CreatureObj::kEffectInvisible, 0.0f, nullptr, false));

    ActionSpell shield = Spell("influence", "Shield", 4.0f, 0.6f, 7.0f);
    ASSERT_TRUE(ctrl.ExecuteSpell(caster, &shield, nullptr));
    ASSERT_TRUE(caster->IsInfluenced(CreatureObj::kEffectShield, 0.0f, &params, false));
    EXPECT_FLOAT_EQ(params.x, 0.6f);
    EXPECT_FLOAT_EQ(params.y, 4.0f);
    EXPECT_EQ(params.value, 7);

    ActionSpell unknown = Spell("meteor", "", 1.0f, 1.0f);
    EXPECT_FALSE(ctrl.ExecuteSpell(caster, &unknown, nullptr));
    EXPECT_FALSE(ctrl.ExecuteSpell(nullptr, &invisible, nullptr));
}
