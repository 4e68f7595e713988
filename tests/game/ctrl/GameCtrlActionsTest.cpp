// GameCtrl action definitions: entry keys and their defaults, the four block kinds with their
// repetitions, the steps and the effect emitters, skipped and unknown blocks, the errors of an
// entry, the refusal while elements live, the reload when the constants change, and the sample
// game's actions.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "base/Color.h"
#include "world/ActionEntry.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr float kDeg = 0.017453292f;

// A game directory whose "cfg\actions.cfg" holds the text.
struct ActionsDir {
    explicit ActionsDir(const std::string& text) { dir.Write("cfg/actions.cfg", text); }
    GameDir dir;
    WorldGameCtrl ctrl;
    ActionEntry* Find(const char* name) { return ctrl.World().FindActionEntry(name, false); }
};

}  // namespace

TEST(GameCtrlActionsTest, EntriesAndBlocks)
{
    GameDir dir;
    CopyFixture(dir, "actions.cfg", "cfg/actions.cfg");
    WorldGameCtrl ctrl;
    LogCapture log;
    ctrl.LoadActions();
    EXPECT_EQ(log.Count("Warning"), 0);  // ";SHOT" is passed over without a word
    EXPECT_EQ(log.Count("Actions loaded"), 1);

    ActionEntry* idle = ctrl.World().FindActionEntry("Idle", true);
    EXPECT_STREQ(idle->name.c_str(), "Idle");
    EXPECT_EQ(idle->isMagic, 0);
    EXPECT_EQ(idle->duration, 1.0f);  // longer than the default recharge 0.0
    EXPECT_EQ(idle->recharge, 0.0f);
    EXPECT_EQ(idle->anicycle, 0);
    EXPECT_EQ(idle->fame, 0.0f);
    EXPECT_EQ(idle->canNotDodgeFromToPoint[1], 1.0f);
    EXPECT_EQ(idle->warnEnemyPoint, -1.0f);
    EXPECT_EQ(idle->damageDisplayType, 1);
    EXPECT_EQ(idle->attacks.GetSize() + idle->effects.GetSize() + idle->shots.GetSize() + idle->spells.GetSize(), 0);
    EXPECT_EQ(idle->steps.GetSize(), 0);

    // Two attacks, each later and turned further; the effect's sounds stop at the first gap.
    ActionEntry* slash = ctrl.World().FindActionEntry("Slash", true);
    EXPECT_EQ(slash->isMagic, 1);  // "MAGIC" in any case
    EXPECT_EQ(slash->anicycle, 2);
    EXPECT_EQ(slash->fame, 7.0f);  // no "fame": the mana
    EXPECT_EQ(slash->canMove, 1);  // 0.5 rounds away from zero
    EXPECT_TRUE(slash->sndAmbi.IsEmpty());
    ASSERT_EQ(slash->attacks.GetSize(), 2);
    for (int32_t k = 0; k < 2; k++) {
        ActionAttack* attack = slash->attacks.GetAt(k)->Get();
        EXPECT_EQ(attack->index, k);
        EXPECT_EQ(attack->owner, slash);
        EXPECT_FLOAT_EQ(attack->point, 0.4f + 0.1f * float(k));
        EXPECT_FLOAT_EQ(attack->direction, (10.0f + 90.0f * float(k)) * kDeg);
        EXPECT_EQ(attack->damFromTo[1], 10.0f);
    }
    ASSERT_EQ(slash->effects.GetSize(), 3);
    for (int32_t k = 0; k < 3; k++) {
        ActionEffect* effect = slash->effects.GetAt(k);
        EXPECT_EQ(effect->index, k);
        EXPECT_STREQ(effect->effect.c_str(), "spark");
        EXPECT_EQ(effect->numSnd, 2);
        EXPECT_STREQ(effect->snd[1].c_str(), "ring");
        EXPECT_TRUE(effect->snd[3].IsEmpty());
        EXPECT_FLOAT_EQ(effect->point, 1.0f + 0.25f * float(k));
        EXPECT_EQ(effect->startOffset[0], 1.0f * float(k));
        EXPECT_EQ(effect->startOffset[1], 2.0f * float(k));
        EXPECT_EQ(effect->emitDuration, 0.5f);
        ASSERT_EQ(effect->emitters.GetSize(), 1);  // every copy has its own
        EXPECT_STREQ(effect->emitters.GetAt(0)->effectName.c_str(), "spark");
    }
    // Every stored part is a step, in file order: the attacks' moments come first.
    ASSERT_EQ(slash->steps.GetSize(), 5);
    EXPECT_FLOAT_EQ(slash->steps.GetAt(1)->point, 0.5f);
    EXPECT_FLOAT_EQ(slash->steps.GetAt(4)->point, 1.5f);
    EXPECT_EQ(slash->steps.GetAt(4)->index, 4);
    EXPECT_FLOAT_EQ(ctrl.World().GetActionEntryValue("Slash"), 0.4f);
    EXPECT_EQ(ctrl.World().GetActionEntryValue("Idle"), 0.0f);

    // Six shots with light on the first and fourth; "RepeatCount = 0" stores none.
    ActionEntry* burst = ctrl.World().FindActionEntry("Burst", true);
    EXPECT_EQ(burst->anicycle, -1);
    EXPECT_EQ(burst->fame, 2.0f);
    EXPECT_TRUE(burst->sndAmbi.IsEmpty());  // the shot's "sndAmbi" is not the action's
    ASSERT_EQ(burst->shots.GetSize(), 6);
    for (int32_t k = 0; k < 6; k++) {
        ActionShot* shot = burst->shots.GetAt(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(shot->index, k);
        EXPECT_EQ(shot->owner, burst);
        const bool lit = k == 0 || k == 3;
        EXPECT_EQ(shot->lghtInt, lit ? 5.0f : 0.0f);
        EXPECT_EQ(shot->hitLghtInt, lit ? 4.0f : 0.0f);
        EXPECT_FLOAT_EQ(shot->point, 0.2f + 0.1f * float(k));
        EXPECT_NEAR(shot->angle, (5.0f + 10.0f * float(k)) * kDeg, 1e-5f);
        EXPECT_EQ(shot->startOffset[0], 2.0f * float(k));
        EXPECT_STREQ(shot->hitEffectCreature.c_str(), "boom");  // none given: the hit effect
        EXPECT_STREQ(shot->sndAmbi.c_str(), "hum");
        EXPECT_FLOAT_EQ(shot->scatterAngle, 90.0f * kDeg);
        EXPECT_EQ(shot->lghtCol, Color::FromFloats(1.0f, 0.5f, 0.0f));
        EXPECT_EQ(shot->hitLghtCol, ActionShot::kNoLightColour);
        EXPECT_EQ(shot->spdMove, 500.0f);
        EXPECT_TRUE(shot->hitEffects.damage);  // each copy has its own
        if (k > 0) {
            EXPECT_NE(shot->hitEffects.damage.Get(), burst->shots.GetAt(0)->hitEffects.damage.Get());
        }
    }
    // One emitter per listed name, placed and timed like the effect.
    ASSERT_EQ(burst->effects.GetSize(), 1);
    ActionEffect* flare = burst->effects.GetAt(0);
    ASSERT_EQ(flare->emitters.GetSize(), 2);
    for (int32_t k = 0; k < 2; k++) {
        const EffectEmitterInfo* emitter = flare->emitters.GetAt(k);
        EXPECT_STREQ(emitter->effectName.c_str(), k == 0 ? "flare" : "smoke");
        EXPECT_EQ(emitter->offset[2], 3.0f);
        EXPECT_EQ(emitter->lifeTime, 2.0f);
        EXPECT_STREQ(emitter->dummyName.c_str(), "muzzle");
    }
    EXPECT_EQ(burst->steps.GetSize(), 8);  // six shots, the effect, the spell
    EXPECT_FLOAT_EQ(ctrl.World().GetActionEntryValue("Burst"), 0.2f);
    ASSERT_EQ(burst->spells.GetSize(), 1);
    ActionSpell* spell = burst->spells.GetAt(0);
    EXPECT_STREQ(spell->type.c_str(), "summon");
    EXPECT_STREQ(spell->id.c_str(), "Imp");
    EXPECT_EQ(spell->param[1], 3.0f);
    EXPECT_EQ(spell->hitEffects.stun, 0.5f);
    EXPECT_EQ(spell->owner, burst);
}

TEST(GameCtrlActionsTest, Errors)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"#1\ndesc = \"A\"\nduration = 2\nrecharge = 2\n", "'Duration' must be longer than 'recharge' in action 'A'"},
        {"#1\ndesc = \"A\"\nanicycle = 65\n", "Invalid anicycle in action 'A'"},
        {"#1\ndesc = \"A\"\nanicycle = -1\n", "Invalid anicycle in action 'A'"},
        {"#1\ndesc = \"A\"\n#2\nduration = 3\n", "Action entry 1 without 'desc' entry"},
        {"#1\ndesc = \"A\"\n#2\ndesc = \"a\"\n", "Multiple action entry 'a'"},
        {"#1\ndesc = \"\"\n", "Empty name string"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ActionsDir actions(c.text);
        EXPECT_EQ(ErrorOf([&] { actions.ctrl.LoadActions(); }), c.error);
        // Nothing of the broken file stays, and the next call reads it again.
        EXPECT_TRUE(actions.ctrl.World().GetActionTree().IsEmpty());
        EXPECT_EQ(ErrorOf([&] { actions.ctrl.LoadActions(); }), c.error);
    }
}

TEST(GameCtrlActionsTest, RepeatCountLimitAndUnknownBlocks)
{
    ActionsDir actions("#1\ndesc = \"Storm\"\nSHOT {\n\tRepeatCount = 100000000\n}\nBLAST {\n\tx = 1\n}\n"
                       "SPELL {\n\tRepeatCount = -3\n}\n");
    LogCapture log;
    actions.ctrl.LoadActions();
    EXPECT_EQ(actions.Find("Storm")->shots.GetSize(), GameCtrl::kMaxRepeatCount);
    EXPECT_EQ(actions.Find("Storm")->spells.GetSize(), 0);
    EXPECT_EQ(log.Count("'RepeatCount' 100000000 in block SHOT of action 'Storm' cut to 256"), 1);
    EXPECT_EQ(log.Count("Warning:GameCtrl: Unknown block in action.cfg: BLAST (entry: Storm)"), 1);
}

TEST(GameCtrlActionsTest, RefusedWhileElementsLive)
{
    ActionsDir actions("#1\ndesc = \"A\"\n");
    AddTestElem<TestElem>(actions.ctrl.World());
    EXPECT_EQ(ErrorOf([&] { actions.ctrl.LoadActions(); }),
              "Internal error: LoadActions() called with world objects present");
    EXPECT_EQ(ErrorOf([&] { actions.ctrl.LoadStrategies(); }),
              "Internal error: LoadStrategies() called with world objects present");
}

TEST(GameCtrlActionsTest, ReadAgainWhenTheConstantsChange)
{
    ActionsDir actions("#1\ndesc = \"Swing\"\nduration = SWING\n");
    actions.dir.Write("cfg/constants.cfg", "SWING = 2\n");
    actions.ctrl.LoadConstants();
    LogCapture log;
    actions.ctrl.LoadActions();
    EXPECT_EQ(actions.Find("Swing")->duration, 2.0f);
    actions.ctrl.LoadConstants();
    actions.ctrl.LoadActions();  // nothing changed: not read again
    EXPECT_EQ(log.Count("Actions loaded"), 1);

    Rewrite(actions.dir, "cfg/constants.cfg", "SWING = 3\n", 10);
    actions.ctrl.LoadConstants();
    actions.ctrl.LoadActions();
    EXPECT_EQ(log.Count("Actions loaded"), 2);
    EXPECT_EQ(actions.Find("Swing")->duration, 3.0f);
}

TEST(GameCtrlActionsTest, SampleGameLoadsWithoutAWarning)
{
    Log::Write("loading the sample game's actions and strategies");
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    WorldGameCtrl ctrl;
    LogCapture log;
    ctrl.LoadConstants();
    ctrl.LoadActions();
    ctrl.LoadStrategies();
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Actions loaded"), 1);
    EXPECT_EQ(log.Count("Strategies loaded"), 1);
    ActionEntry* melee = ctrl.World().FindActionEntry("Melee", true);
    EXPECT_EQ(melee->attacks.GetSize(), 1);
    EXPECT_GT(ctrl.World().FindActionEntry("Volley", true)->shots.GetSize(), 1);
    EXPECT_EQ(ctrl.World().FindActionEntry("Flash", true)->effects.GetSize(), 1);
    KI_Strategy* fighter = ctrl.World().FindStrategyEntry("Fighter", true);
    const KI_StratEntry* attack = fighter->blocks[KI_Strategy::kOnEnemy].entries.GetAt(0);
    ASSERT_NE(attack, nullptr);
    EXPECT_EQ(ctrl.World().FindActionEntry(attack->id.c_str(), false), melee);
    EXPECT_NE(ctrl.World().FindStrategyEntry("Idle", false), nullptr);
}
