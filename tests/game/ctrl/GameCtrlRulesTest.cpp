// GameCtrl game rules: the keys of the settings file, the main characters, the glow colour, the
// highlight modes and the values restored on every read.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RulesTest : public ::testing::Test {
protected:
    void Rules(const std::string& text)
    {
        ConfigFileReader reader;
        OpenText(reader, text);
        ctrl.LoadGameRules(reader);
    }

    GameDir dir;
    ScopedGameConfig config;
    WorldGameCtrl ctrl;
};

}  // namespace

TEST_F(RulesTest, SettingsFile)
{
    CopyFixture(dir, "settings.cfg", "cfg/settings.cfg");
    LogCapture log;
    ctrl.LoadRulesFile("cfg\\settings.cfg");
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);

    const GameSettings& settings = ctrl.GetSettings();
    EXPECT_STREQ(settings.boostScript.c_str(), "boost.txt");
    EXPECT_FLOAT_EQ(g_Options.minTimeBetweenBloodEffects, 0.25f);
    EXPECT_FLOAT_EQ(ctrl.World().GetOptions().clickPlaneAboveTerrain, 35.0f);
    EXPECT_FLOAT_EQ(settings.friendlyFire, 0.5f);
    EXPECT_STREQ(settings.onHeroLevelUp.c_str(), "LevelUp();");
    EXPECT_STREQ(settings.goldCoinsItemID.c_str(), "Credits");
    EXPECT_FLOAT_EQ(g_Options.itemScale, 1.5f);
    EXPECT_FLOAT_EQ(g_Options.lightScale, 2.0f);
    EXPECT_FLOAT_EQ(g_Options.creatureScale, 1.0f);
    EXPECT_NEAR(ctrl.World().GetOptions().maxTerrainSteepness, 1.0f, 1e-6f);  // tan(45 degrees)
    ASSERT_EQ(ctrl.GetObjectCfgFiles().GetCount(), 2);
    EXPECT_STREQ(ctrl.GetObjectCfgFiles().GetName(1).c_str(), "cfg\\more_objects.cfg");
    ASSERT_EQ(ctrl.GetWallCfgFiles().GetCount(), 1);
    ASSERT_EQ(ctrl.GetInitScripts().GetCount(), 1);
    EXPECT_EQ(g_Options.maxSummonedMonsters, 3);
    EXPECT_STREQ(settings.mcLight.c_str(), "torch");
    EXPECT_EQ(g_Options.highlightGlowColor, 0x33FF8000u);  // 0.2, 1, 0.5, 0 rounded to bytes
    EXPECT_FLOAT_EQ(g_Options.highLightEmissAddCol[2], 0.3f);

    ASSERT_EQ(ctrl.GetMainCharacters().GetSize(), 2);
    EXPECT_STREQ(ctrl.GetMainCharacters().GetAt(0)->name.c_str(), "ch_soldier");
    EXPECT_STREQ(ctrl.GetMainCharacters().GetAt(0)->skillsFile.c_str(), "cfg\\skills_soldier.cfg");
    EXPECT_TRUE(ctrl.GetMainCharacters().GetAt(1)->skillsFile.IsEmpty());
    EXPECT_STREQ(ctrl.GetHeroName().c_str(), "ch_soldier");  // no "MainChar": the first of the list

    EXPECT_TRUE(settings.specialMarks[0].IsEmpty());
    EXPECT_STREQ(settings.specialMarks[1].c_str(), "mark two");
    EXPECT_STREQ(settings.level.c_str(), "levels\\start.vsd");
    EXPECT_FLOAT_EQ(g_Options.mouseOverDelay, 2.5f);
    EXPECT_EQ(g_Options.mouseOverDelayInt, 2);
    EXPECT_EQ(g_Options.mouseOverOffset[0], 4);
    EXPECT_EQ(g_Options.mouseOverOffset[1], 6);
    EXPECT_NEAR(g_Options.wallFadeOutAngleIfInWall, 1.5707964f, 1e-6f);
    EXPECT_EQ(g_Options.highlightModes[0], 0);
    EXPECT_EQ(g_Options.highlightModes[1], 0);  // a missing mode reads 0: off
    EXPECT_EQ(g_Options.highlightModes[2], 1);

    // Read again: the file lists are emptied first, the main characters only grow.
    ctrl.LoadRulesFile("cfg\\settings.cfg");
    EXPECT_EQ(ctrl.GetObjectCfgFiles().GetCount(), 2);
    EXPECT_EQ(ctrl.GetMainCharacters().GetSize(), 4);
}

TEST_F(RulesTest, MainCharactersAndRestoredValues)
{
    // MainChar2 is missing: the list ends after the first.
    Rules("MainChar1 = \"ch_a\"\nMainChar3 = \"ch_c\"\nGoldCoinsItemID = \"Credits\"\nmcLight = \"torch\"\n"
          "ObjectCfgFiles = \"a.cfg\"\n");
    ASSERT_EQ(ctrl.GetMainCharacters().GetSize(), 1);
    EXPECT_STREQ(ctrl.GetHeroName().c_str(), "ch_a");
    EXPECT_STREQ(ctrl.GetSettings().goldCoinsItemID.c_str(), "Credits");

    // A missing key brings back the gold item, empties the light and the file lists.
    Rules("MainChar = \"ch_b\"\n");
    EXPECT_STREQ(ctrl.GetHeroName().c_str(), "ch_b");
    EXPECT_STREQ(ctrl.GetSettings().goldCoinsItemID.c_str(), "Gold Coins");
    EXPECT_TRUE(ctrl.GetSettings().mcLight.IsEmpty());
    EXPECT_EQ(ctrl.GetObjectCfgFiles().GetCount(), 0);

    WorldGameCtrl fresh;
    ConfigFileReader empty;
    fresh.LoadGameRules(empty);
    EXPECT_STREQ(fresh.GetHeroName().c_str(), "Hero");  // neither MainChar nor MainChar1
}

TEST_F(RulesTest, GlowColourAndHighlightModes)
{
    const uint32_t initial = g_Options.highlightGlowColor;
    Rules("HighlightGlowColor = 1, 1, 1\n");
    EXPECT_EQ(g_Options.highlightGlowColor, initial);  // three numbers leave the colour
    Rules("HighlightGlowColor = 0.5, 2, -1, 1\n");
    EXPECT_EQ(g_Options.highlightGlowColor, 0xFF80FF00u);  // halves round up; beyond 0..1 clamped

    Rules("Highlight1Mode = 0\n");
    EXPECT_EQ(g_Options.highlightModes[1], 0);
    Rules("Highlight1Mode = 2\n");
    EXPECT_EQ(g_Options.highlightModes[1], 0);  // neither off nor on: as it was
    Rules("Highlight1Mode = 1\nHighlight0Mode = 1\n");
    EXPECT_EQ(g_Options.highlightModes[0], 1);
    EXPECT_EQ(g_Options.highlightModes[1], 1);
    Rules("Highlight1Mode = 7\n");
    EXPECT_EQ(g_Options.highlightModes[0], 0);  // a missing key reads 0: off
    EXPECT_EQ(g_Options.highlightModes[1], 1);
}

TEST_F(RulesTest, CharacterClassesComeLast)
{
    ctrl.GetCreatureReader().SetDescKey("desc");
    dir.Write("cfg/3dCreatures.cfg", "#1\ndesc = \"ch_a\"\nCharacterClass = 3\n");
    ASSERT_EQ(ctrl.GetCreatureReader().Load("cfg\\3dCreatures.cfg"), 0);
    ctrl.GetCharacterEntries().push_back(CharacterEntry{"ch_a", "", -1});
    Rules("");
    EXPECT_EQ(ctrl.GetCharacterEntries()[0].characterClass, 3);
}
