// SciFiGameCtrl's skills: the skill table read from a skills file and the classes' skill files
// with its database texts, references, chains and quick slots; the levels of a chain in use,
// learning by name, the mouse-button skills of a hero, the skills' info texts and scripts, the
// game reset of the learned states and slots, and the use state of the first slot's skill.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/LocalText.h"
#include "base/Log.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/WorldCtrl.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Skill(const std::string& desc, const std::string& keys)
{
    return "#" + desc + "\ndesc = \"" + desc + "\"\n" + keys;
}

// A game directory, current while it lives, with a skills file and a database of skill texts;
// a hero of class 1 driven by a player's input controller is the main character.
class SciFiGameCtrlSkillsTest : public ::testing::Test {
protected:
    SciFiGameCtrlSkillsTest() : current((Log::Write("skills test"), dir.Path()))
    {
        const std::string db = dir / "localisation.db";
        WriteSqliteFile(db, "CREATE TABLE Skills (id TEXT, content TEXT, info TEXT);"
                            "INSERT INTO Skills VALUES ('plain', 'Plain', 'Plain info');"
                            "CREATE TABLE SkillsSpecific (id TEXT, PreString TEXT, PostString TEXT);"
                            "INSERT INTO SkillsSpecific VALUES ('DB:a', 'Alpha', 'after'), ('DB:b', 'Beta', ''),"
                            " ('DB:self', 'DB_PRE(self)', '');");
        LocalText::Get().Open(db.c_str());
        ctrl.SetPlayerCharacterID("ch_a");
        ctrl.GetCharacterEntries().push_back(CharacterEntry{"ch_a", "", 1});
        // The controller's own input, as the game's are: a new skill table clears its slots.
        input = new SciFiInputCtrl();
        ctrl.AddInputCtrl(input, 1);
        input->SetWorld(&ctrl.GetWorld());
        input->SetMode(InputCtrl::kModeInput);
        hero = dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature());
        hero->m_Health = 100.0f;
        ctrl.GetWorld().AddObj(hero, 0, false);
        input->SetControlledObject(input->AddObject(hero, false));
    }
    ~SciFiGameCtrlSkillsTest() override
    {
        LocalText::Get().Close();
        g_SciFiRules = SciFiRules();
    }

    void AddClass(const char* skillsFile)
    {
        GameCtrl::MainCharacterProperty* character =
            ctrl.GetMainCharacters().GetBySlot(ctrl.GetMainCharacters().Add());
        character->name = "Hero";
        character->skillsFile = skillsFile;
    }
    std::string Load(const std::string& skills)
    {
        dir.Write("cfg/skills.cfg", skills);
        return ErrorOf([&] { ctrl.LoadSkills(); });
    }
    void BecomeMainCharacter() { ctrl.SetMainCharReference(hero); }
    SkillTreeEntry& Find(const char* name) { return *ctrl.FindSkill(String(name)); }

    TempDir dir;
    ScopedCurrentDir current;
    SciFiGameCtrl ctrl;
    SciFiInputCtrl* input = nullptr;
    CreatureObj_SF* hero = nullptr;
};

// The three placeholders, an active chain of four levels, an offensive and a defensive skill.
const std::string kButtonSkills =
    Skill("NoActive", "type = \"active\"\nNoSkill = 1\n") + Skill("NoOffensive", "type = \"offensive\"\nNoSkill = 1\n") +
    Skill("NoDefensive", "type = \"defensive\"\nNoSkill = 1\n") +
    Skill("zap", "ID = 7\ntype = \"active\"\nNextLevelSkill = \"zap2\"\n") +
    Skill("zap2", "type = \"active\"\nSkillLevel = 2\nNextLevelSkill = \"zap3\"\n") +
    Skill("zap3", "type = \"active\"\nSkillLevel = 3\nNextLevelSkill = \"zap4\"\n") +
    Skill("zap4", "type = \"active\"\nSkillLevel = 4\n") + Skill("cut", "ID = 8\ntype = \"offensive\"\n") +
    Skill("cut2", "ID = 9\ntype = \"offensive\"\n") + Skill("wall", "type = \"defensive\"\n");

}  // namespace

TEST_F(SciFiGameCtrlSkillsTest, EntriesBecomeSkillRecords)
{
    LogCapture log;
    ASSERT_EQ(Load("AdvancePointsSkillPerLevel = 3\nAdvanceGainMana = 2.5\n" + Skill("plain", "ID = 4\n") +
                   Skill("lower", "name = \"db:x\"\ninfo = \"own\"\n") +
                   Skill("norow", "name = \"Fallback\"\ninfo = \"Info text\"\n") +
                   Skill("weapon", "WeaponStrategy = 1\ntype = \"OffEnSive\"\n") +
                   Skill("word", "type = \"attack\"\nlearned = 1\nRequireLogic = 2\nSkillLevel = 3\n") +
                   Skill("none", "NoSkill = 1\nIconGuiPos = 3, 4\nEffect1_Texture = \"spark\"\n"
                                 "Effect10_Size = 2\nEffect1x = 1\n")),
              "no error");
    struct Case {
        const char* name;
        const char16_t* display;
        const char16_t* info;
    } cases[] = {
        {"plain", u"Plain", u"Plain info"},  // no "name": the row of "DB:plain"
        {"lower", u"db:x", u"own"},          // a lower-case prefix stays; no row, the entry's texts
        {"norow", u"Fallback", u"Info text"},
        {"weapon", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SkillTreeEntry* skill = ctrl.FindSkill(String(c.name));
        ASSERT_NE(skill, nullptr);
        EXPECT_EQ(skill->displayName, wString(c.display));
        EXPECT_EQ(skill->info, wString(c.info));
    }
    EXPECT_EQ(Find("plain").id, 4);
    EXPECT_EQ(Find("plain").weaponStrategy, 0);  // missing
    EXPECT_EQ(Find("weapon").weaponStrategy, 0);  // counted from 1 in the file
    EXPECT_EQ(Find("weapon").kind, SkillTreeEntry::kKindOffensive);
    EXPECT_EQ(Find("word").kind, SkillTreeEntry::kKindNone);
    EXPECT_TRUE(Find("word").learned);
    EXPECT_EQ(Find("word").requireLogic, 2);
    EXPECT_EQ(Find("plain").requireLogic, 1);
    EXPECT_EQ(Find("word").skillLevel, 3);
    SkillTreeEntry& none = Find("none");
    EXPECT_EQ(none.iconPos[0], -1);
    EXPECT_EQ(none.iconPos[1], -1);
    ASSERT_EQ(none.visualEffects[0].GetSize(), 1);  // "Effect1x" is no key of the list
    EXPECT_EQ(none.visualEffects[0].GetAt(0)->name, "Texture");
    EXPECT_EQ(none.visualEffects[0].GetAt(0)->value, "spark");
    ASSERT_EQ(none.visualEffects[9].GetSize(), 1);
    EXPECT_EQ(none.visualEffects[9].GetAt(0)->name, "Size");
    EXPECT_EQ(ctrl.GetSkillPointsPerLevel(), 3);
    EXPECT_FLOAT_EQ(ctrl.GetAdvanceGain(1), 2.5f);
    EXPECT_EQ(ctrl.FindSkill(String("")), nullptr);
    EXPECT_EQ(log.Count("Warning"), 0);
}

TEST_F(SciFiGameCtrlSkillsTest, ReferencesClassFilesAndChainsAreCheckedAtLoad)
{
    EXPECT_EQ(Load(Skill("a", "RequSkill2 = \"ghost\"\n")),
              "Unknown skill entry reference 'ghost' in entry 'a'");

    // Class 1's file is appended; a skill of the main file requires one of it.
    dir.Write("cfg/class1.cfg", Skill("drill", "learned = 1\n"));
    dir.Write("cfg/class2.cfg", Skill("other", ""));
    AddClass("cfg\\class1.cfg");
    AddClass("cfg\\class2.cfg");
    ASSERT_EQ(Load(Skill("guard", "RequSkill1 = \"drill\"\n")), "no error");
    EXPECT_EQ(Find("guard").requiredRecords[0], &Find("drill"));
    EXPECT_EQ(ctrl.FindSkill(String("other")), nullptr);
    // A hosting server reads every class's skills. It listens on a free port and announces
    // nothing, so that tests running beside it cannot take its sockets.
    const std::string ports = "DataPort = 0\nBroadcastPortLocal = 0\n";
    ConfigFileReader serverConfig;
    serverConfig.OpenMemory(ports.data(), int32_t(ports.size()));
    ctrl.ReadServerConfig(serverConfig);
    ASSERT_TRUE(ctrl.StartNetworkServer(0));
    ASSERT_EQ(Load(Skill("guard", "")), "no error");
    EXPECT_NE(ctrl.FindSkill(String("drill")), nullptr);
    EXPECT_NE(ctrl.FindSkill(String("other")), nullptr);

    std::string chain;
    for (int i = 0; i < 10; i++)
        chain += Skill("c" + std::to_string(i), "NextLevelSkill = \"c" + std::to_string(i + 1) + "\"\n");
    EXPECT_EQ(Load(chain), "no error");  // ten links, the last to a name that finds nothing
    EXPECT_EQ(Load(chain + Skill("c10", "NextLevelSkill = \"c11\"\n") + Skill("c11", "")),
              "NextLevelSkill loop in skill: c10");
    EXPECT_EQ(Load(Skill("me", "NextLevelSkill = \"me\"\n")), "NextLevelSkill loop in skill: me");
}

TEST_F(SciFiGameCtrlSkillsTest, QuickSlotsAndButtonsNeverKeepRecordsOfAnEarlierLoad)
{
    BecomeMainCharacter();
    ASSERT_EQ(Load(kButtonSkills), "no error");
    ctrl.SetQuickSlot(1, &Find("zap"));
    ctrl.SetQuickSlot(3, &Find("zap"));  // the skill moves
    EXPECT_EQ(ctrl.GetQuickSlot(1), nullptr);
    EXPECT_EQ(ctrl.GetQuickSlot(3), &Find("zap"));
    EXPECT_EQ(Find("zap").quickSlot, 3);
    ctrl.SetQuickSlot(3, &Find("cut"));  // the slot's old skill leaves it
    EXPECT_EQ(Find("zap").quickSlot, -1);
    ctrl.SetQuickSlot(10, &Find("zap"));  // ignored
    EXPECT_EQ(Find("zap").quickSlot, -1);
    ctrl.SetSkillButton2(&Find("cut"));
    ASSERT_EQ(input->GetSkillSlot(2, false, false), &Find("cut"));

    ASSERT_EQ(Load(kButtonSkills), "no error");
    for (int32_t slot = 0; slot < SciFiGameCtrl::kQuickSlots; slot++)
        EXPECT_EQ(ctrl.GetQuickSlot(slot), nullptr);
    // Nothing is learned: no button holds a skill.
    EXPECT_EQ(input->GetSkillSlot(2, false, true), nullptr);
    EXPECT_EQ(ctrl.GetShownSkill(2), nullptr);
}

TEST_F(SciFiGameCtrlSkillsTest, ChainsResolveByLearnedLevelsAndUpgrades)
{
    ASSERT_EQ(Load(kButtonSkills), "no error");
    SkillTreeEntry& zap = Find("zap");
    zap.learned = true;
    EXPECT_EQ(zap.ResolveNextLevel(ctrl, true, true), &zap);  // no main character, no upgrade
    EXPECT_EQ(zap.ResolveNextLevel(ctrl, false, false), &Find("zap4"));
    BecomeMainCharacter();
    input->SetSkillSlot(1, &zap, false);  // before the upgrade: a changed slot updates the values
    SkillBonus* upgrade = hero->m_SkillBonuses.GetBySlot(hero->m_SkillBonuses.Add());
    upgrade->skill = 7;
    upgrade->bonus = 2;
    EXPECT_EQ(zap.ResolveNextLevel(ctrl, true, true), &Find("zap3"));
    EXPECT_EQ(zap.ResolveNextLevel(ctrl, true, false), &zap);
    Find("zap2").learned = true;  // a learned level costs nothing
    EXPECT_EQ(zap.ResolveNextLevel(ctrl, true, true), &Find("zap4"));
    // The slot's skill at its level in use.
    EXPECT_EQ(input->GetSkillSlot(1, true, false), &Find("zap4"));
    EXPECT_EQ(input->GetSkillSlot(1, false, false), &zap);
}

TEST_F(SciFiGameCtrlSkillsTest, CanLearnAsksForNextLevelRequirementsAndPoints)
{
    ASSERT_EQ(Load(Skill("r1", "") + Skill("r2", "") + Skill("bad", "") + Skill("top", "SkillLevel = 6\n") +
                   Skill("s", "RequSkill1 = \"r1\"\nRequSkill2 = \"r2\"\nRequireLogic = 2\n"
                              "DisallowSkill1 = \"bad\"\nRequLevel = 2\nAdvanceCost = 2\nNextLevelSkill = \"r1\"\n") +
                   Skill("end", "") + Skill("high", "NextLevelSkill = \"top\"\n")),
              "no error");
    SkillTreeEntry& s = Find("s");
    hero->m_Level = 2;
    hero->SetPoints(0, 2);
    bool met = true;
    EXPECT_FALSE(s.CanLearn(ctrl, hero, &met));  // neither required skill learned
    EXPECT_FALSE(met);
    Find("r2").learned = true;  // one is enough with require logic 2
    EXPECT_TRUE(s.CanLearn(ctrl, hero, &met));
    EXPECT_TRUE(met);
    hero->SetPoints(0, 1);
    EXPECT_FALSE(s.CanLearn(ctrl, hero, &met));
    EXPECT_TRUE(met);  // only the points are missing
    hero->SetPoints(0, 2);
    hero->m_Level = 1;
    EXPECT_FALSE(s.CanLearn(ctrl, hero, nullptr));
    hero->m_Level = 2;
    Find("bad").learned = true;
    EXPECT_FALSE(s.CanLearn(ctrl, hero, nullptr));
    // Without a next level (or with one above level 5) a skill cannot be learned by this test.
    EXPECT_FALSE(Find("end").CanLearn(ctrl, hero, nullptr));
    EXPECT_FALSE(Find("high").CanLearn(ctrl, hero, nullptr));
}

TEST_F(SciFiGameCtrlSkillsTest, LearningByName)
{
    BecomeMainCharacter();
    ASSERT_EQ(Load(kButtonSkills), "no error");
    EXPECT_EQ(ErrorOf([&] { ctrl.LearnSkill(String("nope"), false, 1, true); }),
              "Skill with name 'nope' does not exist");

    ctrl.LearnSkill(String("cut"), false, 1, true);
    EXPECT_TRUE(Find("cut").learned);
    EXPECT_EQ(ctrl.GetShownSkill(2), &Find("cut"));
    EXPECT_EQ(input->GetSkillSlot(2, false, false), &Find("cut"));
    ctrl.LearnSkill(String("cut2"), false, 1, true);  // a second skill of the kind
    EXPECT_TRUE(Find("cut2").learned);
    EXPECT_EQ(ctrl.GetShownSkill(2), &Find("cut"));
    ctrl.SetSkillButton2(&Find("cut2"));
    ctrl.LearnSkill(String("cut"), false, 1, true);  // already learned: nothing changes
    EXPECT_EQ(ctrl.GetShownSkill(2), &Find("cut2"));

    // Paying: the points decide.
    hero->SetPoints(0, 0);
    ctrl.LearnSkill(String("wall"), true, 1, false);
    EXPECT_FALSE(Find("wall").learned);

    ASSERT_EQ(Load(kButtonSkills), "no error");
    const SkillTreeEntry* shown = ctrl.GetShownSkill(1);
    ctrl.LearnSkill(String("ALL"), false, 1, true);
    ctrl.GetSkills().ResetWalk();
    while (const SkillTreeEntry* skill = ctrl.GetSkills().GetNext())
        EXPECT_TRUE(skill->learned) << skill->name.c_str();
    EXPECT_EQ(ctrl.GetShownSkill(1), shown);  // no button changed
}

TEST_F(SciFiGameCtrlSkillsTest, ButtonsTakePlaceholdersAndClimbTheirChains)
{
    BecomeMainCharacter();
    ASSERT_EQ(Load(kButtonSkills), "no error");
    ctrl.SetSkillButton3(nullptr);
    EXPECT_EQ(ctrl.GetShownSkill(3), &Find("NoDefensive"));
    EXPECT_EQ(input->GetSkillSlot(3, false, false), nullptr);  // a placeholder counts as empty
    EXPECT_EQ(ctrl.FindNoSkillEntry(3), &Find("NoDefensive"));
    EXPECT_EQ(ctrl.FindSkillByID(8), &Find("cut"));
    EXPECT_EQ(ctrl.FindSkillByID(-1), nullptr);

    // Filled buttons stay with their skills, raised to the end of their chains.
    for (const char* name : {"zap", "zap2", "zap3", "zap4", "cut", "wall"})
        Find(name).learned = true;
    ctrl.SetSkillButton1(&Find("zap"));
    ctrl.SetSkillButton2(&Find("cut"));
    ctrl.SetSkillButton3(&Find("wall"));
    ctrl.AssignDefaultSkillButtons();
    EXPECT_EQ(input->GetSkillSlot(1, false, false), &Find("zap4"));
    EXPECT_EQ(ctrl.GetShownSkill(1), &Find("zap4"));
    EXPECT_EQ(input->GetSkillSlot(2, false, false), &Find("cut"));
    EXPECT_EQ(input->GetSkillSlot(3, false, false), &Find("wall"));
}

TEST_F(SciFiGameCtrlSkillsTest, InfoTextsAndScripts)
{
    ASSERT_EQ(Load(Skill("s", "") + Skill("hit", "damDealFactorScript = \"return 2;\"\n"
                                                 "damReceiveFactorScript = \"return 0.25;\"\n"
                                                 "damWeaponFactorScript = \"return \\\"x\\\";\"\n")),
              "no error");
    SkillTreeEntry& s = Find("s");
    struct Case {
        const char* script;
        const char16_t* text;
    } cases[] = {
        {"return \"DB_PRE(a) and DB_PRE(b) DB_POST(a)\";", u"Alpha and Beta after"},
        {"return \"DB_PRE(a no close\";", u"DB_PRE(a no close"},
        {"return 3;", u""},  // a number empties the text
        {"return \"DB_PRE(self)\";", u"DB_PRE(self)"},  // stops at the limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        s.furtherText = u"before";
        s.infoScript = c.script;
        ASSERT_EQ(ErrorOf([&] { ctrl.BuildSkillInfoText(s); }), "no error");
        EXPECT_EQ(String(s.furtherText), String(wString(c.text)));
    }
    s.infoScript.Release();
    s.furtherText = u"kept";
    ctrl.BuildSkillInfoText(s);
    EXPECT_EQ(s.furtherText, wString(u"kept"));

    SkillTreeEntry& hit = Find("hit");
    EXPECT_FLOAT_EQ(hit.GetDamageDealFactor(ctrl, hero, nullptr), 2.0f);
    EXPECT_FLOAT_EQ(hit.GetDamageReceiveFactor(ctrl, hero, nullptr), 0.25f);
    EXPECT_FLOAT_EQ(hit.GetWeaponDamageFactor(ctrl, hero), 1.0f);  // a text is no factor
    EXPECT_FLOAT_EQ(s.GetDamageDealFactor(ctrl, hero, nullptr), 1.0f);
}

TEST_F(SciFiGameCtrlSkillsTest, UpdateScriptRunsByItsInterval)
{
    ASSERT_EQ(Load(Skill("s", "UpdateScript = \"iTmp[5] = iTmp[5] + 1;\"\nUpdateScriptInterval = 1\n")), "no error");
    SkillTreeEntry& s = Find("s");
    input->SetSkillSlot(1, &s, false);
    auto runs = [&] { return *ctrl.GetScriptTempInt(5); };
    // The timer starts at 0: the first tick runs the script, the third again, then one run per
    // second (the fifth tick lands on the second's edge and is left out).
    const int32_t expected[] = {1, 1, 2, 2, -1, 3, 3, 4};
    for (int32_t tick = 0; tick < 8; tick++) {
        input->Tick(0.4f);
        if (expected[tick] >= 0) {
            EXPECT_EQ(runs(), expected[tick]) << "tick " << tick + 1;
        }
    }
}

TEST_F(SciFiGameCtrlSkillsTest, GameResetRestoresEveryConfiguredSkillAndRefillsTheSlots)
{
    BecomeMainCharacter();
    // Twelve skills after the placeholders, more than the first ten in name order; every second
    // one learned by its entry. The kinds cycle active, offensive, defensive.
    const char* kinds[] = {"active", "offensive", "defensive"};
    std::string skills = Skill("NoActive", "type = \"active\"\nNoSkill = 1\n") +
                         Skill("NoOffensive", "type = \"offensive\"\nNoSkill = 1\n") +
                         Skill("NoDefensive", "type = \"defensive\"\nNoSkill = 1\n");
    std::vector<std::string> names;
    for (int i = 0; i < 12; i++) {
        names.push_back((i < 10 ? "s0" : "s") + std::to_string(i));
        skills += Skill(names.back(), std::string("type = \"") + kinds[i % 3] + "\"\nlearned = " +
                                          std::to_string(i % 2) + "\n");
    }
    ASSERT_EQ(Load(skills), "no error");
    for (const std::string& name : names)  // the last game turned every state round
        Find(name.c_str()).learned = !Find(name.c_str()).learnedConfigured;
    ctrl.SetSkillButton(1, &Find("s00"));
    ctrl.SetSkillButton(2, &Find("s10"));
    *ctrl.GetScriptTempFloat(3) = 2.5f;
    ctrl.AddGameVariable("kept", 1, 0);

    ctrl.ResetGameState();
    for (const std::string& name : names)
        EXPECT_EQ(Find(name.c_str()).learned, Find(name.c_str()).learnedConfigured) << name;
    // Each slot holds the first skill of its kind the entries make learned.
    const char* expected[] = {"s03", "s01", "s05"};
    for (int32_t slot = 1; slot <= 3; slot++) {
        EXPECT_EQ(input->GetSkillSlot(slot, false, false), &Find(expected[slot - 1])) << slot;
        EXPECT_EQ(ctrl.GetShownSkill(slot), &Find(expected[slot - 1])) << slot;
    }
    EXPECT_EQ(*ctrl.GetScriptTempFloat(3), 0.0f);
    EXPECT_EQ(ctrl.GetGameVariables().FindVariable("kept"), nullptr);  // the reset clears the scope

    // A kind without a learned skill keeps its placeholder.
    for (const std::string& name : names)
        Find(name.c_str()).learnedConfigured = false;
    ctrl.ResetGameState();
    EXPECT_EQ(input->GetSkillSlot(2, false, true), &Find("NoOffensive"));
    EXPECT_EQ(ctrl.GetShownSkill(2), &Find("NoOffensive"));
}

TEST_F(SciFiGameCtrlSkillsTest, SkillUseStateAsksTheManaOfTheFirstSlotsSkillInUse)
{
    dir.Write("cfg/actions.cfg", "#Cast\ndesc = \"Cast\"\nmana = 5\n");
    dir.Write("cfg/strategy.cfg", "#Caster\ndesc = \"Caster\"\nDefault {\n\tACTION {\n\t\tid = \"Cast\"\n\t}\n}\n");
    ctrl.GetWorld().RemoveObj(hero->m_ObjID, true);  // actions are read into an empty world
    ASSERT_EQ(ErrorOf([&] {
                  ctrl.LoadActions();
                  ctrl.LoadStrategies();
              }),
              "no error");
    ctrl.GetWorld().AddObj(hero, 0, false);
    BecomeMainCharacter();
    ASSERT_EQ(Load(Skill("NoActive", "type = \"active\"\nNoSkill = 1\n") +
                   Skill("bolt", "type = \"active\"\nstrategy = \"Caster\"\nlearned = 1\nNextLevelSkill = \"bolt2\"\n") +
                   Skill("bolt2", "type = \"active\"\nSkillLevel = 2\n")),
              "no error");
    ASSERT_EQ(input->GetSkillSlot(1, false, false), &Find("bolt"));
    const struct {
        float mana;
        bool secondLevelLearned;
        int32_t state;
    } cases[] = {
        {5.0f, false, 1},
        {4.9f, false, 2},
        {0.0f, true, 1},  // the level in use has no strategy to pay for
    };
    for (const auto& c : cases) {
        hero->m_Mana = c.mana;
        Find("bolt2").learned = c.secondLevelLearned;
        EXPECT_EQ(ctrl.GetSkillUseState(), c.state) << c.mana;
    }
    ctrl.SetMainCharReference(nullptr);
    EXPECT_EQ(ctrl.GetSkillUseState(), 1);  // no main character, no slot
}
