// GameCtrl animation cycle sets: the empty sets of the file, a set read on its first request with
// its bored cycles, named cycles and fallbacks, attacks and variants, sub-keys and set-wide
// values; the creature definitions; bone weight tables.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class AniCycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyFixture(dir, "anicycles.cfg", "cfg/anicycles.cfg");
        CopyFixture(dir, "box.rtx", "anim/box.rtx");
        ctrl.LoadAniCycleFile();
    }

    AniCycleSet& Set(const char* name) { return *ctrl.GetAniCycleSet(ctrl.LoadAniCycleSets(name)); }

    GameDir dir;
    ScopedGfx gfx;
    GameCtrl ctrl;
};

}  // namespace

TEST_F(AniCycleTest, FileOpensEmptySets)
{
    ASSERT_EQ(ctrl.GetNumAniCycleSets(), 4);
    EXPECT_EQ(ctrl.GetAniCycleSet(0)->m_Loaded, 0);
    EXPECT_EQ(ctrl.GetAniCycleSet(4), nullptr);
    EXPECT_EQ(ctrl.GetAniCycleSet(-1), nullptr);
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadAniCycleSets("Nobody"); }), "Anicycle 'Nobody' not found");
}

TEST_F(AniCycleTest, FullSet)
{
    LogCapture log;
    AniCycleSet& set = Set("Full");
    EXPECT_EQ(log.Count("Anicycle set 'Full' loaded ("), 1);
    EXPECT_EQ(&Set("full"), &set);  // read once
    EXPECT_EQ(log.Count("Anicycle set"), 1);
    EXPECT_EQ(set.m_Loaded, 1);
    EXPECT_EQ(set.m_BoredCount, 1);

    const AniCycle& bored = set.GetCycle(0);
    EXPECT_EQ(bored.m_FileName, "anim\\box.rtx");
    EXPECT_FLOAT_EQ(bored.m_EndFrame, 20.7f);
    EXPECT_EQ(bored.m_Loop, 1);
    EXPECT_TRUE(bored.HasData());  // prepared

    const AniCycle& walk = set.GetCycle(128);
    EXPECT_FLOAT_EQ(walk.m_StartFrame, 1.0f);
    EXPECT_FLOAT_EQ(walk.m_Speed, 1.5f);
    EXPECT_FLOAT_EQ(walk.m_Value, 90.0f);
    EXPECT_EQ(walk.m_Loop, 1);
    EXPECT_FALSE(walk.HasData());  // the creature prepares it
    const AniCyclePlayData& walkPlay = set.GetPlayData(128);
    EXPECT_EQ(walkPlay.moveMode, 1);
    EXPECT_EQ(walkPlay.rotMode, -1);
    EXPECT_FLOAT_EQ(walkPlay.fadeInTime, 0.25f);
    EXPECT_EQ(walkPlay.eventTimes, (std::vector<float>{0.25f, 0.75f}));
    EXPECT_EQ(walkPlay.damageByAngle.GetNumKeys(), 2);
    EXPECT_EQ(walkPlay.heightCurves.size(), 2u);

    EXPECT_EQ(set.GetCycle(148).m_Loop, 0);        // "acRunLoop = 0"
    EXPECT_FLOAT_EQ(set.GetCycle(129).m_StartFrame, 5.0f);  // acDie1 stands for acDie
    EXPECT_EQ(set.GetCycle(129).m_Loop, 0);
    EXPECT_TRUE(set.GetCycle(129).HasData());
    EXPECT_EQ(set.GetCycle(155).m_FileName, "anim\\box.rtx");
    EXPECT_FLOAT_EQ(set.m_TurnTotalAngle, 3.14159265f);
    EXPECT_FLOAT_EQ(set.m_HeightMin, 0.5f);

    EXPECT_EQ(set.m_AttackVariantCount[2], 2);  // acAttack3_2 is missing: _3 is never read
    EXPECT_TRUE(set.GetCycle(192 + 64 + 2).HasData());
    EXPECT_TRUE(set.GetCycle(192 + 192 + 2).m_FileName.IsEmpty());
    EXPECT_EQ(set.m_AttackVariantCount[4], 3);
    EXPECT_EQ(set.m_AttackVariantCount[0], 0);
    const AniCycle& attack = set.GetCycle(324);
    EXPECT_EQ(attack.m_FileName, "anim\\box.rtx");
    EXPECT_FLOAT_EQ(attack.m_StartFrame, 3.0f);
    EXPECT_EQ(attack.m_Loop, 0);
    EXPECT_FLOAT_EQ(set.m_AttackPoints[4][2], 0.4f);
    EXPECT_EQ(set.GetCycle(192 + 4).m_Loop, 1);
}

TEST_F(AniCycleTest, BoredCyclesAndFallbacks)
{
    LogCapture log;
    AniCycleSet& set = Set("OnlySecond");
    EXPECT_EQ(log.Count("Error"), 0);
    EXPECT_EQ(set.m_BoredCount, 1);
    EXPECT_TRUE(set.GetCycle(0).m_FileName.IsEmpty());
    EXPECT_FLOAT_EQ(set.GetCycle(1).m_StartFrame, 4.0f);
    // No die and no hit cycle: both copy bored cycle 1, which is empty here.
    EXPECT_TRUE(set.GetCycle(129).m_FileName.IsEmpty());

    AniCycleSet& full = Set("Full");
    EXPECT_EQ(full.GetCycle(130).m_FileName, "anim\\box.rtx");  // acHit from bored cycle 1
    EXPECT_FLOAT_EQ(full.GetCycle(130).m_EndFrame, 20.7f);
    EXPECT_TRUE(full.GetCycle(130).HasData());

    EXPECT_EQ(ErrorOf([&] { ctrl.LoadAniCycleSets("NoBored"); }),
              "Bored cycle 1 not specified in cycle set 'NoBored'!");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadAniCycleSets("MissingFile"); }), "Anicycle 'anim\\gone.rtx' not found");
}

TEST(GameCtrlAniCyclesTest, CreatureDefinitions)
{
    GameDir dir;
    dir.Write("cfg/3dCreatures.cfg", "#\ndesc = \"Hero\"\nCharacterClass = 2\n#\ndesc = \"Rat\"\n");
    GameCtrl ctrl;
    ctrl.LoadCreatureDefinitions();
    EXPECT_EQ(ctrl.GetCreatureReader().GetNumEntries(), 2);
    EXPECT_EQ(ctrl.GetCreatureEntryObjects().size(), 2u);
    EXPECT_EQ(ctrl.GetCreatureEntryWords(), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(ctrl.GetCreatureReader().FindEntryByDesc("Rat"), 1);
}

TEST(GameCtrlAniCyclesTest, BoneWeightTable)
{
    GameDir dir;
    dir.Write("weights.txt", "; spine and head\n\"Spine\" 0.5 \"head\" Half ; \"Arm\" 0.9\n\"SPINE\" 0.1 junk \"\" 3\n");
    dir.Write("broken.txt", "\"Spine\" 0.5 \"Head\"\n");
    GameCtrl ctrl;
    ctrl.GetConstants().SetValue("Half", 0.25);
    BonedCreature boned({"spine", "Head", "Bip01 Neck"});
    ctrl.LoadBoneWeightTable("weights.txt", boned.creature);
    EXPECT_FLOAT_EQ(boned.Weight(0), 0.5f);  // named twice: the first weight
    EXPECT_FLOAT_EQ(boned.Weight(1), 0.25f);
    EXPECT_FLOAT_EQ(boned.Weight(2), 0.8f);  // not named: the weight of its bone name
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadBoneWeightTable("broken.txt", boned.creature); }),
              "Missing weight entry in bone weight table in file'broken.txt'");
}
