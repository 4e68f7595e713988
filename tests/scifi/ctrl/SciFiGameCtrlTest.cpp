// SciFiGameCtrl: construction and the global controller, the balance values of the rules file,
// a level's item chances, the camera and control options, the game's item file read once per
// change, its equipment slot names, and the sample game's data loading without a warning.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/GameOptions.h"
#include "base/Log.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "game/objects/ItemObj.h"
#include "scifi/ctrl/SciFiRules.h"

#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/GameConfigText.h"
#include "support/GuiScreen.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A game directory with the given game configuration keys and rules file ("cfg\\rules.cfg"), current
// while it lives; the default configuration comes back at the end.
class RulesDir {
public:
    RulesDir(const std::string& gameConfig, const std::string& rules) : m_Current((Write(rules), m_Dir.Path()))
    {
        LoadGameConfigText(DefaultGameConfigText() + gameConfig + "settingsCfg = \"cfg\\rules.cfg\"\n");
    }
    ~RulesDir() { LoadGameConfigText(DefaultGameConfigText()); }
    void Write(const std::string& rules) const { m_Dir.Write("cfg/rules.cfg", rules); }

private:
    TempDir m_Dir;
    ScopedCurrentDir m_Current;
};

}  // namespace

TEST(SciFiGameCtrlTest, ConstructionAndTheGlobalController)
{
    WorldCtrl::SetMaxMoveSubSteps(4);
    {
        SciFiGameCtrl ctrl;
        EXPECT_EQ(g_GameCtrl, &ctrl);
        EXPECT_STREQ(ctrl.GetClassName(), "SciFiGameCtrl");
        EXPECT_EQ(ctrl.GetSettings().compressSavegames, 1);
        EXPECT_EQ(ctrl.GetControlType(), 1);
        EXPECT_FALSE(ctrl.GetAllowMoveAndAttack());
        EXPECT_FLOAT_EQ(ctrl.GetPlayerCameraPitch(), 0.7853982f);
        EXPECT_FLOAT_EQ(ctrl.GetCameraYaw(), 0.0f);
        EXPECT_FLOAT_EQ(ctrl.GetClickTolerance(), 20.0f);
        EXPECT_FALSE(ctrl.GetHighlightAttackTarget());
        EXPECT_EQ(ctrl.GetWorld().GetEntryTableSize(), 512);
        EXPECT_EQ(WorldCtrl::GetMaxMoveSubSteps(), 2);
        EXPECT_EQ(ctrl.GetScreenshotPrefix(), "Korva_scrshot");
        const float weights[] = {33, 25, 25, 200, 25, 25, 25, 40, 25, 25, 25, 0.5f, 1, 25, 200, 25, 200, 200};
        for (int32_t i = 0; i < SciFiGameCtrl::kItemWeights; ++i) {
            EXPECT_EQ(ctrl.GetItemValueWeights()[i], weights[i]) << i;
            EXPECT_EQ(ctrl.GetItemPowerWeights()[i], weights[i]) << i;
        }

        // No pointer point: the position stays as it was.
        D3DXVECTOR2 position(3.0f, 4.0f);
        EXPECT_FALSE(ctrl.GetMousePosition(position));
        EXPECT_EQ(position.x, 3.0f);
        EXPECT_EQ(position.y, 4.0f);
        EXPECT_FALSE(ctrl.IsMultiplayerGame());
        ctrl.SetMultiplayerGame(true);
        EXPECT_TRUE(ctrl.IsMultiplayerGame());
        EXPECT_TRUE(ctrl.IsMultiplayerGame(true));

        // The least windows: made closed, asked to build their children, and they toggle.
        CharacterGui window;
        EXPECT_EQ(window.IsOpen(), 0);
        EXPECT_TRUE(window.CreatesChildren());
        EXPECT_FALSE(ChatGui(false).CreatesChildren());
        window.ToggleOpen();
        EXPECT_EQ(window.IsOpen(), 1);
        EXPECT_STREQ(window.GetName(), "CharacterGui");
    }
    EXPECT_EQ(g_GameCtrl, nullptr);
}

TEST(SciFiGameCtrlTest, BalanceValuesOfTheRulesFile)
{
    RulesDir dir("", "");
    SciFiGameCtrl ctrl;
    ctrl.LoadRulesFile("cfg\\rules.cfg");
    const SciFiRules defaults;
    const SciFiRules& rules = g_SciFiRules;
    const float SciFiRules::*values[] = {
        &SciFiRules::spellWeaken,          &SciFiRules::defaultPoisonTime,        &SciFiRules::damageFuncFactorA,
        &SciFiRules::armourShieldFactor,   &SciFiRules::shieldRecoverNoActionTime, &SciFiRules::damageDealAverageTime,
        &SciFiRules::noMoveCounterMaximum, &SciFiRules::noMoveCounterDecreaseFactor, &SciFiRules::actionRememberTime,
        &SciFiRules::dodgeTimeFrame,       &SciFiRules::itemEnchantProb,          &SciFiRules::itemBoostProb,
        &SciFiRules::subtitlePause,        &SciFiRules::subtitleFadeOffset};
    for (const auto value : values)
        EXPECT_EQ(rules.*value, defaults.*value);
    EXPECT_FLOAT_EQ(defaults.spellWeaken, 0.5f);
    EXPECT_FLOAT_EQ(defaults.damageDealAverageTime, 15.0f);
    EXPECT_FLOAT_EQ(defaults.dodgeTimeFrame, 0.1f);
    EXPECT_TRUE(rules.itemTierColors.empty());
    EXPECT_FLOAT_EQ(ctrl.GetClickTolerance(), 20.0f);
    EXPECT_TRUE(ctrl.GetOnPlayerRevive().IsEmpty());

    const struct {
        const char* rules;
        std::vector<uint32_t> colors;
        bool highlight;
    } cases[] = {
        {"ItemTierColor1 = 1, 1, 1\n", {}, false},  // no tier 0: no colour at all
        {"ItemTierColor0 = 1, 0.999, 0\nItemTierColor1 = 0.5, 0.5\nItemTierColor2 = 1, 1, 1\n"
         "HighlightAttackTarget = 0.4\n",
         {0xFFFFFE00u},
         false},
        {"ItemTierColor0 = 0, 0, 1\nItemTierColor1 = 0.5, 0.25, 0.1\nHighlightAttackTarget = 0.6\n",
         {0xFF0000FFu, 0xFF7F3F19u},
         true},
    };
    for (const auto& c : cases) {
        dir.Write(c.rules);
        g_SciFiRules.itemTierColors.clear();
        ctrl.LoadRulesFile("cfg\\rules.cfg");
        EXPECT_EQ(rules.itemTierColors, c.colors) << c.rules;
        EXPECT_EQ(ctrl.GetHighlightAttackTarget(), c.highlight) << c.rules;
    }
    ctrl.LoadRulesFile("cfg\\rules.cfg");  // a second load appends again
    EXPECT_EQ(rules.itemTierColors, (std::vector<uint32_t>{0xFF0000FFu, 0xFF7F3F19u, 0xFF0000FFu, 0xFF7F3F19u}));
}

// The rules reader asks the game configuration first, so a key that stands only there is read.
TEST(SciFiGameCtrlTest, RulesKeyOfTheGameConfigurationAlone)
{
    RulesDir dir("DamageFuncFactorA = 0.25\nClickTolerance = 12\n",
                 "ArmourShieldFactor = 2\nClickTolerance = 30\nonPlayerRevive = \"Revived()\"\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadRulesFile("cfg\\rules.cfg");
    EXPECT_FLOAT_EQ(g_SciFiRules.damageFuncFactorA, 0.25f);
    EXPECT_FLOAT_EQ(g_SciFiRules.armourShieldFactor, 2.0f);
    EXPECT_FLOAT_EQ(ctrl.GetClickTolerance(), 12.0f);  // the game configuration holds
    EXPECT_EQ(ctrl.GetOnPlayerRevive(), "Revived()");
}

TEST(SciFiGameCtrlTest, LevelItemChancesFallBackToTheGameWide)
{
    RulesDir dir("", "ItemEnchantProb = 0.1\nItemBoostProb = 0.2\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadRulesFile("cfg\\rules.cfg");
    const struct {
        const char* level;
        float enchant;
        float boost;
    } cases[] = {
        {"#1\nItemEnchantProb = 0.3\n", 0.3f, 0.2f},
        {"#1\nItemBoostProb = 0.5\n", 0.1f, 0.5f},
        {"#1\nItemEnchantProb = 0\nItemBoostProb = 1\n", 0.0f, 1.0f},
        {"#1\n", 0.1f, 0.2f},
    };
    for (const auto& c : cases) {
        ConfigFileReader level;
        level.OpenMemory(c.level, int32_t(std::strlen(c.level)));
        ctrl.LoadLevelSettings(level, 0);
        EXPECT_FLOAT_EQ(ctrl.GetLevelItemEnchantProb(), c.enchant) << c.level;
        EXPECT_FLOAT_EQ(ctrl.GetLevelItemBoostProb(), c.boost) << c.level;
        EXPECT_FLOAT_EQ(ctrl.GetNewItemEnchantChance(), c.enchant) << c.level;
        EXPECT_FLOAT_EQ(ctrl.GetNewItemBoostChance(), c.boost) << c.level;
    }
}

TEST(SciFiGameCtrlTest, ControlOptionsGammaAndCamera)
{
    ScopedGfx gfx;
    const struct {
        const char* options;
        int32_t buttons[3];
        float gamma;
    } cases[] = {
        {"ControlType = 0\nGammaCorrection = -1\n", {0, 0, 1}, 0.0f},
        {"ControlType = 2\nGammaCorrection = 1\n", {0, 1, 2}, 1.0f},
        {"GammaCorrection = 3\n", {0, 1, 2}, 1.0f},
        {"", {0, 1, 2}, 0.5f},
    };
    for (const auto& c : cases) {
        RulesDir dir(c.options, "");
        SciFiGameCtrl ctrl;
        ctrl.LoadGameOptions();
        EXPECT_EQ(ctrl.GetMoveButton(), c.buttons[0]) << c.options;
        EXPECT_EQ(ctrl.GetAttackButton(), c.buttons[1]) << c.options;
        EXPECT_EQ(ctrl.GetSkillButton(), c.buttons[2]) << c.options;
        EXPECT_FLOAT_EQ(g_SciFiRules.gamma, c.gamma) << c.options;
        EXPECT_FLOAT_EQ(gfx.gfx.GetGamma(), c.gamma) << c.options;
    }

    RulesDir dir("CamStartAngle = 180\nStartPitch = 30\nDebugMessages = 0\nCamAboveGround = 80\n"
                 "AllowMoveAndAttack = 1\nCamOffCenterDynamicHor = 1, 2\nCamOffCenterDynamicHor_16_9 = 11, 22\n"
                 "CamOffCenterDynamicVer = -1, -2\nCamOffCenterDynamicVer_16_9 = 9, 18\n",
                 "");
    SciFiGameCtrl ctrl;
    ctrl.LoadGameOptions();
    EXPECT_NEAR(ctrl.GetCameraYaw(), 3.14159f, 1e-5f);
    EXPECT_NEAR(ctrl.GetCameraStartAngles()[0], 3.14159f, 1e-5f);
    EXPECT_NEAR(ctrl.GetCameraStartAngles()[1], 0.5235988f, 1e-6f);
    EXPECT_FALSE(ctrl.GetWorld().GetDebugMessages());
    EXPECT_FLOAT_EQ(g_SciFiRules.camAboveGround, 80.0f);
    EXPECT_TRUE(ctrl.GetAllowMoveAndAttack());

    // t from the display's aspect: 0 at 4:3 and below (and without a height), 1 at 16:9.
    const int32_t width = g_ScreenWidth;
    const int32_t height = g_ScreenHeight;
    const struct {
        int32_t width;
        int32_t height;
        float t;
    } displays[] = {{1024, 768, 0.0f}, {1920, 1080, 1.0f}, {1280, 1024, 0.0f}, {1280, 0, 0.0f}, {1280, 800, 0.6f}};
    for (const auto& d : displays) {
        g_ScreenWidth = d.width;
        g_ScreenHeight = d.height;
        ctrl.UpdateFieldOfView();
        const float(&shift)[4] = ctrl.GetCamOffCenterCurrent();
        EXPECT_NEAR(shift[0], 1.0f + 10.0f * d.t, 1e-5f) << d.width << "x" << d.height;
        EXPECT_NEAR(shift[1], 2.0f + 20.0f * d.t, 1e-5f) << d.width << "x" << d.height;
        EXPECT_NEAR(shift[2], -1.0f + 10.0f * d.t, 1e-5f) << d.width << "x" << d.height;
        EXPECT_NEAR(shift[3], -2.0f + 20.0f * d.t, 1e-5f) << d.width << "x" << d.height;
        EXPECT_TRUE(std::isfinite(g_Options.fieldOfView));
    }
    g_ScreenWidth = width;
    g_ScreenHeight = height;
    g_Options = GameOptions();
}

TEST(SciFiGameCtrlTest, ItemsFileAndEquipmentTypes)
{
    Log::Write("item file test");  // the log stays where the test started
    TempDir dir;
    ScopedCurrentDir current(dir.Path());
    dir.Write("cfg/items.cfg", "#1\ndesc = \"Sword\"\nimg = \"s.dds\"\nEquipmentType = \"WEAPON\"\n"
                               "#2\ndesc = \"Socket\"\nimg = \"s.dds\"\nEquipmentType = \"head_socket\"\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadGeneralItems();
    ASSERT_EQ(ctrl.GetItemTable().size(), 2u);
    EXPECT_EQ(ctrl.FindItem("Sword", false)->m_EquipmentType, 0);
    EXPECT_EQ(ctrl.FindItem("Socket", false)->m_EquipmentType, 201);
    ctrl.FindItem("Sword", false)->m_Might = 9.0f;
    ctrl.LoadGeneralItems();  // unchanged: not read again
    EXPECT_FLOAT_EQ(ctrl.FindItem("Sword", false)->m_Might, 9.0f);

    dir.Write("cfg/items.cfg", "#1\ndesc = \"Sword\"\nimg = \"s.dds\"\n#2\ndesc = \"Hat\"\nimg = \"h.dds\"\n"
                               "EquipmentType = \"hat\"\n");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadGeneralItems(); }), "Unknown equipment type: 'hat'");
    EXPECT_TRUE(ctrl.GetItemTable().empty());  // no half-read table
    EXPECT_EQ(ctrl.FindItem("Sword", false), nullptr);

    const struct {
        const char* name;
        int16_t code;
    } types[] = {{"all", 100}, {"None", -1}, {"body", 2}, {"potion2", 103}, {"gold", 101}, {"cap", -1}};
    for (const auto& type : types)
        EXPECT_EQ(ctrl.GetEquipmentType(type.name, false), type.code) << type.name;
}

TEST(SciFiGameCtrlTest, SampleGameDataLoadsWithoutWarning)
{
    Log::Write("loading the sample game data");
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGfx gfx;
    LogCapture log;
    {
        SciFiGameCtrl ctrl;
        ctrl.GetObjectCfgFiles().AddFile("cfg\\objects.cfg");
        ctrl.LoadActions();
        ctrl.LoadStrategies();  // the weapons name theirs
        ctrl.LoadGeneralItems();
        ctrl.LoadSounds();
        ctrl.Check3dObjFiles();
        ctrl.SetDebugMode(1);  // the references between items and world objects are checked
        ctrl.LoadWorldObjectFiles();
        for (int32_t i = 0; i < ctrl.Get3dObjReader().GetNumEntries(); ++i)
            ASSERT_NE(ctrl.Load3dObjs(i, false), nullptr);

        const ItemBase* gold = ctrl.FindItem("Gold Coins", false);
        ASSERT_NE(gold, nullptr);
        EXPECT_EQ(gold->m_ItemName, "DB:Gold Coins");
        EXPECT_EQ(gold->m_EquipmentType, 101);
        EXPECT_EQ(gold->GetMoneyPerItem(), 1);
        EXPECT_EQ(gold->m_Pile, 100000);
        EXPECT_EQ(ctrl.GetItemWorldObject(gold->m_ObjID, nullptr, nullptr, nullptr),
                  ctrl.Get3dObjReader().FindEntryByDesc("coins"));
        const ItemObj* crate = ctrl.Load3dObjs(ctrl.Get3dObjReader().FindEntryByDesc("crate"), false);
        EXPECT_FLOAT_EQ(crate->GetScene()->aniRange, 1.0f);  // frames 0 to 30 at 30 per second
        EXPECT_FLOAT_EQ(crate->m_Radius, 40.0f);
    }
    EXPECT_EQ(log.Count("Sounds loaded"), 1);
    EXPECT_EQ(log.Count("General Items loaded"), 1);
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);

    // The crate's text export reads like a scene file: its box and its lid with their faces.
    DXC_3dScene scene;
    gfx.gfx.LoadScene(&scene, "meshes\\crate.rtx", 0);
    EXPECT_EQ(scene.GetMeshCount(), 2);
    ASSERT_NE(scene.FindMesh("Lid", false), nullptr);
    DXC_AniCycle cycle;
    gfx.gfx.ReadSceneFileHeader(&cycle, "meshes\\crate.rtx", -1.0f, -1.0f);
    EXPECT_DOUBLE_EQ(cycle.GetAniDuration(), 1.0);
    EXPECT_EQ(log.Count("Warning"), 0);
}

// The sample game's options and rules as the server's "Engine init" reads them.
TEST(SciFiGameCtrlTest, SampleGameRulesAndOptions)
{
    Log::Write("reading the sample game's rules");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGfx gfx;
    ASSERT_EQ(GetGameConfig().Load("cfg\\game.cfg"), 0);
    LogCapture log;
    {
        SciFiGameCtrl ctrl;
        ctrl.EngineInit(1);
        EXPECT_FLOAT_EQ(g_SciFiRules.damageFuncFactorA, 0.02f);
        EXPECT_FLOAT_EQ(g_SciFiRules.armourShieldFactor, 1.5f);
        EXPECT_EQ(g_SciFiRules.itemTierColors,
                  (std::vector<uint32_t>{0xFFFFFFFFu, 0xFF4C99FFu, 0xFFFFCC00u}));
        EXPECT_TRUE(ctrl.GetHighlightAttackTarget());
        EXPECT_EQ(ctrl.GetAttackButton(), 1);
        EXPECT_NEAR(ctrl.GetCameraYaw(), 0.7853982f, 1e-6f);
        EXPECT_FLOAT_EQ(ctrl.GetCamOffCenterCurrent()[3], 40.0f);  // the server's display is 4:3
        EXPECT_FLOAT_EQ(gfx.gfx.GetGamma(), 0.5f);
    }
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
    LoadGameConfigText(DefaultGameConfigText());
    g_Options = GameOptions();
}

// After the surfaces were made again the game's windows that the GUI holds take their places on
// the new screen, and the margin beside the HUD follows the screen's width.
TEST(SciFiGameCtrlTest, LayoutPlacesTheGameWindowsOnTheNewScreen)
{
    GuiScreen screen;
    SciFiGameCtrl ctrl;
    const int32_t savedWidth = g_ScreenWidth;
    CharacterGui& character = ctrl.GetCharacterWindow();
    character.SetRect(0, 0, 200, 100);
    character.SetOpenState(true);
    screen.manager.AddWindow(&character);
    g_ScreenWidth = 640;
    ctrl.RecreateSurfaces();
    int32_t x, y;
    character.GetPos(x, y);
    EXPECT_EQ(x, 220);
    EXPECT_EQ(y, 190);
    EXPECT_EQ(ctrl.GetLayoutScreenWidth(), 640.0f);
    EXPECT_EQ(ctrl.GetLayoutSideOffset(), 100.0f);
    g_ScreenWidth = 1650;
    ctrl.LayoutGui();
    EXPECT_EQ(ctrl.GetLayoutSideOffset(), 0.0f);
    g_ScreenWidth = savedWidth;
}
