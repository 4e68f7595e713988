// GameCtrl progression: level for experience and experience for level, the level-difference
// factor, friendly fire between parties and the difficulty switch with its reading of the file.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/Difficulty.h"

#include "GameCtrlTestSupport.h"

#include <gtest/gtest.h>

namespace {

void SetThresholds(GameCtrl& ctrl, std::initializer_list<float> thresholds)
{
    ctrl.GetExperienceTable().DeleteAll();
    for (float value : thresholds)
        *ctrl.GetExperienceTable().GetBySlot(ctrl.GetExperienceTable().Add()) = value;
}

// Counts the entries the difficulty switch reads.
class DifficultyCtrl : public GameCtrl {
public:
    void LoadDifficulty(ConfigFileReader& reader, int32_t entry) override
    {
        reads++;
        lastEntry = entry;
        GameCtrl::LoadDifficulty(reader, entry);
    }
    int32_t reads = 0;
    int32_t lastEntry = -1;
};

}  // namespace

TEST(GameCtrlProgressionTest, LevelsAndExperience)
{
    GameCtrl ctrl;
    SetThresholds(ctrl, {0.0f, 100.0f, 300.0f});
    const struct {
        float xp;
        int32_t level;
    } levels[] = {{0.0f, 1}, {99.5f, 1}, {100.0f, 2}, {299.0f, 2}, {300.0f, 3}, {5000.0f, 3}};
    for (const auto& c : levels)
        EXPECT_EQ(ctrl.GetLevelForExperience(c.xp), c.level) << c.xp;
    const struct {
        int32_t level;
        float xp;
    } needs[] = {{-1, 0.0f}, {0, 0.0f}, {1, 0.0f}, {2, 100.0f}, {3, 1e22f}, {7, 1e22f}};
    for (const auto& c : needs)
        EXPECT_FLOAT_EQ(ctrl.GetExperienceForLevel(c.level), c.xp) << c.level;

    SetThresholds(ctrl, {0.0f});  // a single level: the count whatever the experience
    EXPECT_EQ(ctrl.GetLevelForExperience(1e6f), 1);
    SetThresholds(ctrl, {});
    EXPECT_EQ(ctrl.GetLevelForExperience(10.0f), 0);
}

TEST(GameCtrlProgressionTest, LevelDifferenceFactor)
{
    GameDir dir;
    dir.Write("cfg/experience.cfg", "deltaLevelXPFactor = -5, -0.3, 0, 1, 5, 2\nlevel2 = 100\n");
    GameCtrl ctrl;
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(1, 20), 1.0f);  // no curve
    ctrl.LoadExperience();
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(3, 3), 1.0f);
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(3, 8), 2.0f);
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(8, 3), 0.0f);  // -0.3 is no factor
    ctrl.SetDeltaLevelXPFactorEnabled(false);
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(8, 3), 1.0f);
    EXPECT_FLOAT_EQ(ctrl.GetDeltaLevelXPFactor(3, 8), 1.0f);
}

TEST(GameCtrlProgressionTest, MonsterLevelWithHeroLevel)
{
    GameCtrl ctrl;
    ctrl.SetMonsterLevelRange(3, 8, 1);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 6);  // no main character: nothing to add
    CreatureObj hero;
    hero.m_Level = 4;
    ctrl.SetMainCharReference(&hero);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 10);
    ctrl.SetMainCharReference(nullptr);
}

TEST(GameCtrlProgressionTest, MonsterLevelMight)
{
    GameCtrl ctrl;
    BezierSpline<float>& curve = ctrl.GetMonsterLevelMightFunct();
    curve.SetNumKeys(2);
    curve.GetKey(0) = {0.0f, 1.0f, 0.0f, 0.0f};
    curve.GetKey(1) = {10.0f, 21.0f, 0.0f, 0.0f};
    EXPECT_FLOAT_EQ(ctrl.GetMonsterLevelMight(5.0f), 11.0f);
}

TEST(GameCtrlProgressionTest, FriendlyFireOnlyBetweenPlayerParties)
{
    GameCtrl ctrl;
    ctrl.GetSettings().friendlyFire = 0.25f;
    const struct {
        int32_t a, b;
        float factor;
    } cases[] = {{1, 1, 0.25f}, {2, 5, 0.25f}, {0, 1, 0.0f}, {1, 0, 0.0f}, {-1, 3, 0.0f}};
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(ctrl.GetFriendlyFire(c.a, c.b), c.factor) << c.a << " " << c.b;
        CreatureObj first, second;
        first.m_Party = c.a;
        second.m_Party = c.b;
        EXPECT_FLOAT_EQ(ctrl.GetFriendlyFireBetween(&first, &second), c.factor) << c.a << " " << c.b;
    }
    CreatureObj one;
    one.m_Party = 1;
    EXPECT_FLOAT_EQ(ctrl.GetFriendlyFireBetween(&one, nullptr), 0.0f);
    EXPECT_FLOAT_EQ(ctrl.GetFriendlyFireBetween(nullptr, &one), 0.0f);
}

TEST(GameCtrlProgressionTest, DifficultyReadOnlyWhenChanged)
{
    ScopedDifficulty saved;
    GameDir dir;
    dir.Write("cfg/difficulty.cfg", "#\ndesc = \"easy\"\nmonsterHealth = 0.5\n#\ndesc = \"normal\"\nmonsterHealth = 1\n"
                                    "#\ndesc = \"hard\"\nmonsterHealth = 2\n#\ndesc = \"extra\"\nmonsterHealth = 4\n");
    DifficultyCtrl ctrl;
    ctrl.SetDifficulty(2, 1, 1);
    EXPECT_EQ(ctrl.reads, 1);
    EXPECT_EQ(ctrl.lastEntry, 1);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 1.0f);
    EXPECT_EQ(ctrl.GetDifficultyName(), String("normal"));
    ctrl.SetDifficulty(2, 1, 1);  // same difficulty, file unchanged
    EXPECT_EQ(ctrl.reads, 1);
    EXPECT_EQ(ctrl.GetLowestDifficulty(), 2);
    EXPECT_EQ(ctrl.GetHighestDifficulty(), 2);

    ctrl.SetDifficulty(1, 1, 0);  // a new difficulty without a new name
    EXPECT_EQ(ctrl.reads, 2);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 0.5f);
    EXPECT_EQ(ctrl.GetDifficultyName(), String("normal"));
    ctrl.SetDifficulty(1, 0, 1);  // forced: read again
    EXPECT_EQ(ctrl.reads, 3);
    EXPECT_EQ(ctrl.GetLowestDifficulty(), 1);

    ctrl.SetDifficulty(4, 1, 1);
    EXPECT_EQ(ctrl.GetDifficulty(), 4);
    EXPECT_EQ(ctrl.GetDifficultyName(), String("unknown"));
    EXPECT_EQ(ctrl.lastEntry, 3);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 4.0f);
    EXPECT_EQ(ctrl.GetHighestDifficulty(), 4);
}

TEST(GameCtrlProgressionTest, DifficultyReadAgainAfterTheFileChanged)
{
    ScopedDifficulty saved;
    GameDir dir;
    dir.Write("cfg/difficulty.cfg", "#\ndesc = \"easy\"\nmonsterHealth = 0.5\n");
    DifficultyCtrl ctrl;
    ctrl.SetDifficulty(1, 1, 1);
    Rewrite(dir, "cfg/difficulty.cfg", "#\ndesc = \"easy\"\nmonsterHealth = 0.75\n", 5);
    ctrl.SetDifficulty(1, 1, 1);
    EXPECT_EQ(ctrl.reads, 2);
    EXPECT_FLOAT_EQ(g_Difficulty.monsterHealth, 0.75f);
}
