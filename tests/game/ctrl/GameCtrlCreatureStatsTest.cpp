// GameCtrl creature stat blocks: the level rules, weapon attacks, hit points with the monster
// health scaling, speed fallbacks, experience per damage, idle cycle defaults and their check
// against the cycle set.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/Difficulty.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

namespace {

// A controller whose level gives a fixed monster level.
class StatsCtrl : public GameCtrl {
public:
    int32_t GetMonsterLevel(float fraction) override
    {
        lastFraction = fraction;
        return monsterLevel;
    }
    int32_t monsterLevel = 1;
    float lastFraction = -1.0f;
};

struct Block {
    ConfigFileReader reader;
    explicit Block(const std::string& keys) { OpenText(reader, "#\ndesc = \"Rat\"\n" + keys); }
};

}  // namespace

TEST(GameCtrlCreatureStatsTest, Level)
{
    struct Case {
        const char* keys;
        bool monsterLevel;
        int32_t monsterLevelOfLevel;
        int32_t level;
    } cases[] = {
        {"level = 5\nlevelAdd = 2\nlevelRel = 0.9\n", true, 9, 7},
        {"level = 5\nlevelAdd = 2\n", false, 9, 7},
        {"levelRel = 0.5\n", true, 1, 3},  // a computed 1 leaves the level
        {"levelRel = 0.5\nlevelAdd = 2\n", true, 4, 6},
        {"levelRel = 0.5\n", false, 4, 3},
    };
    for (const Case& c : cases) {
        StatsCtrl ctrl;
        ctrl.monsterLevel = c.monsterLevelOfLevel;
        CreatureObj creature;
        creature.m_Level = 3;
        Block block(c.keys);
        ctrl.LoadCreatureStats(creature, block.reader, 0, c.monsterLevel, false, false);
        EXPECT_EQ(creature.m_Level, c.level) << c.keys;
    }
}

TEST(GameCtrlCreatureStatsTest, ValuesAndFallbacks)
{
    StatsCtrl ctrl;
    CreatureObj creature;
    Block block("WeaponAttack0 = 4\nWeaponAttack2 = 6\nspdMove = 3\nhitp = 80\nmana = 20\nexpDamage = 40\n"
                "immortal = 1\nAngleFront = 90\nAttackAndMove = -1\n");
    ctrl.LoadCreatureStats(creature, block.reader, 0, false, false, false);
    const CreatureStats& stats = creature.m_Stats;
    EXPECT_EQ(stats.weaponAttacks[0], 4);
    EXPECT_EQ(stats.weaponAttacks[2], 0);  // index 1 is missing
    for (float speed : {stats.spdMoveBack, stats.spdMoveSide, stats.spdMoveCombat, stats.spdMoveBackCombat,
                        stats.spdMoveSideCombat})
        EXPECT_FLOAT_EQ(speed, 3.0f);
    EXPECT_FLOAT_EQ(stats.maxHitPoints, 80.0f);
    EXPECT_FLOAT_EQ(creature.m_Health, 80.0f);
    EXPECT_FLOAT_EQ(stats.maxMana, 20.0f);
    EXPECT_FLOAT_EQ(creature.m_Mana, 20.0f);
    EXPECT_FLOAT_EQ(stats.expDamage, 0.5f);
    EXPECT_EQ(stats.immortal, 1);
    EXPECT_EQ(stats.attackAndMove, 1);
    EXPECT_NEAR(stats.angleFront, 1.5707963f, 1e-6f);

    Block partial("immortal = 0\nspdRot = 2\n");  // never clears immortality; speeds stay
    creature.m_Stats.spdMoveBack = 7.0f;
    ctrl.LoadCreatureStats(creature, partial.reader, 0, false, false, false);
    EXPECT_EQ(stats.immortal, 1);
    EXPECT_FLOAT_EQ(stats.spdMoveBack, 7.0f);

    CreatureObj noHitPoints;  // experience per damage point without hit points is none
    noHitPoints.m_Stats.maxHitPoints = 0.0f;
    Block damage("expDamage = 40\n");
    ctrl.LoadCreatureStats(noHitPoints, damage.reader, 0, false, false, false);
    EXPECT_EQ(noHitPoints.m_Stats.expDamage, 0.0f);
}

TEST(GameCtrlCreatureStatsTest, MonsterHealth)
{
    StatsCtrl ctrl;
    ctrl.SetMonsterHealth(2.0f, 10.0f);
    CreatureObj creature;
    Block block("hitp = 50\n");
    ctrl.LoadCreatureStats(creature, block.reader, 0, true, false, false);
    EXPECT_FLOAT_EQ(creature.m_Stats.maxHitPoints, 110.0f);
    EXPECT_FLOAT_EQ(creature.m_Health, 50.0f);  // the "hitp" value

    CreatureObj plain;
    ctrl.LoadCreatureStats(plain, block.reader, 0, false, false, false);
    EXPECT_FLOAT_EQ(plain.m_Stats.maxHitPoints, 50.0f);
}

TEST(GameCtrlCreatureStatsTest, BoredCycles)
{
    GameDir dir;
    dir.Write("cfg/anicycles.cfg", "#\ndesc = \"Rat\"\n");
    StatsCtrl ctrl;
    ctrl.LoadAniCycleFile();
    ctrl.GetAniCycleSet(0)->m_BoredCount = 3;

    CreatureObj creature;
    creature.m_Stats.aniCycleSet = 0;
    Block block("BoredCycle = 3\n");
    ctrl.LoadCreatureStats(creature, block.reader, 0, false, true, false);
    const CreatureStats& stats = creature.m_Stats;
    for (int16_t cycle : {stats.boredCycleExhausted, stats.boredCycleVeryExhausted, stats.boredCycleStaff,
                          stats.boredCycleStaffExhausted, stats.boredCycleStaffVeryExhausted, stats.boredCyclePose,
                          stats.boredCycleStaffPose})
        EXPECT_EQ(cycle, 3);

    CreatureObj partial;  // not complete: only the keys present
    partial.m_Stats.aniCycleSet = 0;
    ctrl.LoadCreatureStats(partial, block.reader, 0, false, false, false);
    EXPECT_EQ(partial.m_Stats.boredCycleStaff, 0);

    Block tooHigh("BoredCycle = 2\nBoredCycleStaffVeryExhausted = 4\n");
    const std::string file = tooHigh.reader.GetFileName();
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadCreatureStats(partial, tooHigh.reader, 0, false, true, false); }),
              "Invalid very exhausted bored cycle specified: 4 (" + file + ":'Rat')");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadCreatureStats(partial, tooHigh.reader, 0, false, true, true); }), "no error");
}

TEST(GameCtrlCreatureStatsTest, SampleHeroLoads)
{
    Log::Write("loading the sample hero");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGfx gfx;
    ScopedDifficulty saved;
    StatsCtrl ctrl;
    LogCapture log;
    ctrl.LoadFunctions();
    ctrl.LoadCreatureDefinitions();
    ctrl.LoadAniCycleFile();
    ConfigFileReader& creatures = ctrl.GetCreatureReader();
    const int32_t entry = creatures.FindEntryByDesc("ch_soldier");
    ASSERT_GE(entry, 0);
    String setName;
    ASSERT_EQ(creatures.GetString("AniCycles", setName, entry), ConfigFileReader::kFound);
    CreatureObj hero;
    ASSERT_EQ(ErrorOf([&] { hero.m_Stats.aniCycleSet = ctrl.LoadAniCycleSets(setName.c_str()); }), "no error");
    AniCycleSet* set = ctrl.GetAniCycleSet(hero.m_Stats.aniCycleSet);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->m_BoredCount, 1);
    EXPECT_TRUE(set->GetCycle(0).HasData());
    EXPECT_NEAR(set->GetCycle(0).endTime, 1.0f, 1e-4f);  // one second

    ASSERT_EQ(ErrorOf([&] { ctrl.LoadCreatureStats(hero, creatures, entry, false, true, false); }), "no error");
    EXPECT_FLOAT_EQ(hero.m_Stats.maxHitPoints, 100.0f);
    EXPECT_EQ(hero.m_Stats.boredCyclePose, 1);
    String boneFile;
    creatures.GetString("BoneWeights", boneFile, entry);
    BonedCreature boned({"Root", "Spine", "Head"});
    ctrl.LoadBoneWeightTable(boneFile.c_str(), boned.creature);
    EXPECT_FLOAT_EQ(boned.Weight(2), 0.5f);

    ConfigFileReader difficulty;
    difficulty.SetDescKey("desc");
    ASSERT_EQ(difficulty.Load("cfg\\difficulty.cfg"), 0);
    ASSERT_EQ(difficulty.GetNumEntries(), 3);
    for (int32_t mode = 0; mode < 3; ++mode)
        ctrl.LoadDifficulty(difficulty, mode);
    EXPECT_FLOAT_EQ(ctrl.GetMonsterHealthFactor(), 1.5f);
    EXPECT_EQ(g_Difficulty.monsterHealthMultiplayer.name, "monsterHealthMultiplayer");
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
}

// With the experience table read, the level key gives the creature the experience of the level.
TEST(GameCtrlCreatureStatsTest, LevelTakesTheExperienceOfTheTable)
{
    StatsCtrl ctrl;
    ctrl.LoadExperience();  // without the file: level L needs (L - 1) x L x 50
    CreatureObj creature;
    Block block("level = 4\n");
    ctrl.LoadCreatureStats(creature, block.reader, 0, false, false, false);
    EXPECT_EQ(creature.m_Level, 4);
    EXPECT_EQ(creature.m_HighestLevel, 4);
    EXPECT_EQ(creature.GetExperience(), 600);
}
