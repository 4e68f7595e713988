// GameCtrl game options: the keys of "cfg\game.cfg" with their value kinds, the steps that do more
// than store (seed, field of view, compression, filter, detail levels, maps and shaders), the
// dedicated server's values, the settings file they lead to, and the sample game's files.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "base/Random.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "support/FixtureRoot.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr float kDegree = 0.017453292f;

// A game directory with the game configuration and the program-wide options restored at the
// end, and a controller with a world.
class OptionsTest : public ::testing::Test {
protected:
    // Loads the text as "cfg\game.cfg" and reads the options.
    void Options(const std::string& text)
    {
        config.Load(text);
        ctrl.LoadGameOptions();
    }

    GameDir dir;
    ScopedGameConfig config;
    WorldGameCtrl ctrl;
};

// The graphics object of the dedicated server, with the program-wide flag, while it lives.
class DedicatedServer {
public:
    DedicatedServer()
    {
        gfx.SetDedicatedMode(1);
        g_Gfx = &gfx;
        g_Options.dedicatedServer = 1;
    }
    ~DedicatedServer() { g_Gfx = nullptr; }

    DXC_Gfx gfx;
};

}  // namespace

TEST_F(OptionsTest, GameConfigFile)
{
    CopyFixture(dir, "game.cfg", "cfg/game.cfg");
    dir.Write("cfg/rules.cfg", "GoldCoinsItemID = \"Credits\"\n");
    ASSERT_EQ(GetGameConfig().Load("cfg\\game.cfg"), 0);
    LogCapture log;
    ctrl.LoadGameOptions();
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);

    const GameSettings& settings = ctrl.GetSettings();
    EXPECT_EQ(ctrl.GetDebugMode(), 1);
    EXPECT_EQ(g_Options.showFPS, 1);  // its default follows "debug"
    EXPECT_EQ(ctrl.GetRandomSeed(), 7u);
    EXPECT_NEAR(g_Options.fov, 50 * kDegree, 1e-6f);
    EXPECT_NEAR(g_Options.fov16_9, 50 * kDegree, 1e-6f);  // no "FoV_16_9": the 4:3 value
    EXPECT_NEAR(g_Options.fieldOfView, 50 * kDegree, 1e-6f);  // the screen is 4:3
    EXPECT_FLOAT_EQ(g_Options.musicFightFadeTime, 3.0f);  // no own key: "MusicFadeTime"
    EXPECT_FLOAT_EQ(g_Options.lightingUpdateInterval, 0.05f);
    EXPECT_FLOAT_EQ(g_Options.visibilityUpdateInterval, 0.0f);  // a rate of 0 stores 0
    EXPECT_EQ(ctrl.GetFloorSizeSetting(), 41);
    ASSERT_EQ(ctrl.GetStartVideos().GetCount(), 2);
    EXPECT_STREQ(ctrl.GetStartVideos().GetName(1).c_str(), "second_video.ogv");
    EXPECT_STREQ(settings.mainMenuVideo.c_str(), "menu.ogv");
    EXPECT_FLOAT_EQ(settings.mainMenuVideoUpperLeft[1], 0.5f);
    EXPECT_FLOAT_EQ(settings.mainMenuVideoLowerRight[0], 1.0f);  // one number only: the default
    float full = 0.0f;
    float none = 0.0f;
    ctrl.GetBackDrawFadeThresholds(full, none);
    EXPECT_NEAR(full, 0.5f, 1e-6f);
    EXPECT_NEAR(none, 0.0f, 1e-6f);
    EXPECT_EQ(ctrl.World().GetOptions().shadowColour, 0xFFFF7F00u);  // truncated bytes
    EXPECT_FLOAT_EQ(g_Options.mouseRotSpd, 0.005f);
    EXPECT_FLOAT_EQ(ctrl.GetGameSpeed(), 0.5f);
    EXPECT_EQ(g_Options.wallMipMap, 2);
    EXPECT_FLOAT_EQ(g_Options.maxCamHeight, 600.0f);
    EXPECT_NEAR(g_Options.maxPitch, 30 * kDegree, 1e-6f);
    EXPECT_STREQ(settings.gameDifficulty.c_str(), "hard");
    EXPECT_STREQ(settings.level.c_str(), "levels\\sample\\sample.vsd");
    EXPECT_STREQ(settings.goldCoinsItemID.c_str(), "Credits");  // the settings file it names

    // Read again: the start videos are replaced, the menu video texts appended to.
    ctrl.LoadGameOptions();
    EXPECT_EQ(ctrl.GetStartVideos().GetCount(), 2);
    EXPECT_STREQ(settings.mainMenuVideo.c_str(), "menu.ogvmenu.ogv");
}

TEST_F(OptionsTest, ValueKinds)
{
    struct Case {
        const char* text;
        std::function<void(WorldGameCtrl&)> check;
    };
    const Case cases[] = {
        {"DebugMessages = 0.4\nAllowConsole = 0.5\nXFire = 0.4\n",
         [](WorldGameCtrl& c) {
             EXPECT_EQ(g_Options.debugMessages, 0);  // bool: rounded
             EXPECT_EQ(g_Options.allowConsole, 1);
             EXPECT_EQ(c.GetSettings().xFire, 1);  // flag: not rounded
         }},
        {"MusicFadeTime = 2\n", [](WorldGameCtrl&) { EXPECT_FLOAT_EQ(g_Options.musicFightFadeTime, 2.0f); }},
        {"MusicFadeTime = 2\nMusicFightFadeTime = 4\n",
         [](WorldGameCtrl&) { EXPECT_FLOAT_EQ(g_Options.musicFightFadeTime, 4.0f); }},
        {"LightingUpdateFPS = 0\n", [](WorldGameCtrl&) { EXPECT_FLOAT_EQ(g_Options.lightingUpdateInterval, 0.0f); }},
        {"SpecularLighting = 0\n",
         [](WorldGameCtrl& c) {
             EXPECT_EQ(c.World().GetOptions().specularLighting, 0);
             EXPECT_FLOAT_EQ(g_Options.specularFactor, 0.7f);
         }},
        {"SpecularLighting = 0.4\n",
         [](WorldGameCtrl& c) {
             EXPECT_EQ(c.World().GetOptions().specularLighting, 1);
             EXPECT_FLOAT_EQ(g_Options.specularFactor, 0.4f);
         }},
        {"FoV = 60\nFoV_16_9 = 70\n",
         [](WorldGameCtrl&) {
             EXPECT_NEAR(g_Options.fov, 60 * kDegree, 1e-6f);
             EXPECT_NEAR(g_Options.fov16_9, 70 * kDegree, 1e-6f);
         }},
        {"FoV_diag = 75\nFoV = 10\nFoV_16_9 = 20\n",
         [](WorldGameCtrl&) {
             const float vertical = DXC_Gfx::DiagonalToVerticalFov(75 * kDegree, 4.0f / 3.0f);
             EXPECT_NEAR(vertical, 2.0f * std::atan(std::tan(37.5f * kDegree) * 0.6f), 1e-6f);
             EXPECT_FLOAT_EQ(g_Options.baseFieldOfView, vertical);
             EXPECT_FLOAT_EQ(g_Options.fov, vertical);  // "FoV" and "FoV_16_9" are not read
             EXPECT_FLOAT_EQ(g_Options.fov16_9, vertical);
         }},
        {"FoV_diag = 0\nFoV = 10\n", [](WorldGameCtrl&) { EXPECT_NEAR(g_Options.fov, 10 * kDegree, 1e-6f); }},
        {"DisableVideos = 1\n", [](WorldGameCtrl& c) { EXPECT_EQ(c.GetSettings().videosEnabled, 0); }},
        {"DisableVideos = 0\n", [](WorldGameCtrl& c) { EXPECT_EQ(c.GetSettings().videosEnabled, 1); }},
        {"LogAniCycleWarnings = 2\n", [](WorldGameCtrl& c) { EXPECT_EQ(c.GetSettings().logAniCycleWarnings, 2); }},
        {"CastShadows = -0.7\nWholeFloorTex = 1.5\n",
         [](WorldGameCtrl& c) {
             EXPECT_EQ(c.World().GetOptions().castShadows, 0);  // -0.7 + 0.5 truncated toward zero
             EXPECT_EQ(c.World().GetOptions().wholeFloorTex, 2);
         }},
        {"ShaderEffects = \"glow.fx;;blur.fx;\"\n",
         [](WorldGameCtrl& c) {
             ASSERT_EQ(c.GetSettings().shaderEffects.size(), 2u);
             EXPECT_STREQ(c.GetSettings().shaderEffects[1].c_str(), "blur.fx");
         }},
        {"UseFixedFunctionShader = 1\nNoSpecMaps = 0\nUseHighlightShader = 1\n",
         [](WorldGameCtrl&) {
             EXPECT_EQ(g_Options.noSpecMaps, 1);
             EXPECT_EQ(g_Options.noSelfillumMaps, 1);
             EXPECT_EQ(g_Options.useHighlightShader, 0);
         }},
        {"NoBump = 1\nNoSpecMaps = 1\n",
         [](WorldGameCtrl&) {
             EXPECT_EQ(g_Options.noBumpMaps, 1);
             EXPECT_EQ(g_Options.noSpecMaps, 1);
             EXPECT_EQ(g_Options.noReflectionMaps, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScopedGameConfig scoped;
        g_Options = GameOptions();
        WorldGameCtrl fresh;
        scoped.Load(c.text);
        fresh.LoadGameOptions();
        c.check(fresh);
    }
}

TEST_F(OptionsTest, CompressionFilterAndDetailsWithoutADevice)
{
    DXC_Gfx gfx;
    g_Gfx = &gfx;
    {
        LogCapture log;
        Options("CompressTex = 1\nCompressTexSizeMin = 512\nTexFilter = 3\n");
        EXPECT_EQ(log.Count("Warning:GameCtrl: Texture compression not supported - disabled"), 1);
        EXPECT_EQ(g_Options.compressTex, 0);
        EXPECT_EQ(g_Options.compressTexSizeMin, 65536);
        EXPECT_EQ(gfx.compressionLevel, 0);
        EXPECT_EQ(ctrl.World().GetOptions().compressFloorTex, 0);  // no key: the CompressTex level
        EXPECT_EQ(log.Count("Error:GameCtrl: Invalid filter"), 1);  // reported, not thrown
        EXPECT_EQ(ctrl.World().GetOptions().texFilter[0], 3);
        EXPECT_EQ(ctrl.World().GetOptions().texFilter[1], 3);
        // No advanced or basic shaders: the lowest details.
        EXPECT_EQ(g_Options.effectDetails, 0);
        EXPECT_EQ(log.Count("Effect details set to 'very low'"), 1);
        EXPECT_EQ(g_Options.shadowDetails, 5);
        EXPECT_EQ(log.Count("Shadow details set to 'low'"), 1);
        EXPECT_EQ(g_Options.noPRShader, 1);
    }
    {
        LogCapture log;
        Options("CompressTex = 0\nCompressTexSizeMin = 512\nCompressFloorTex = 2\nTexFilter = 2\n"
                "EffectDetails = 50\nShadowDetails = 3\nAutoTextureDownsize = 1024\nBloomShader = 1\n"
                "NoSpecMaps = 1\n");
        EXPECT_EQ(log.Count("Texture compression not supported - disabled"), 1);  // the floor's level
        EXPECT_EQ(g_Options.compressTexSizeMin, 512);
        EXPECT_EQ(gfx.compressionMinSize, 512);
        EXPECT_EQ(ctrl.World().GetOptions().compressFloorTex, 0);
        EXPECT_EQ(log.Count("Warning:GameCtrl: Anisotropic filtering not (entirely) supported"), 1);
        EXPECT_EQ(ctrl.World().GetOptions().texFilter[0], 2);
        EXPECT_EQ(g_Options.effectDetails, 50);
        EXPECT_EQ(g_Options.shadowDetails, 3);
        EXPECT_EQ(log.Count("details set"), 0);
        EXPECT_EQ(gfx.maxTextureSize, 1024);
        EXPECT_EQ(g_Options.bloomShader, 0);  // no advanced shaders
        EXPECT_FALSE(gfx.IsMapTypeSupported(MAP_SPECULAR));
        EXPECT_TRUE(gfx.IsMapTypeSupported(MAP_SELFILLUM));
    }
    g_Gfx = nullptr;
}

TEST_F(OptionsTest, DedicatedServer)
{
    DedicatedServer server;
    dir.Write("cfg/settings.cfg", "");
    LogCapture log;
    Options("NoBump = 0\nNoBumpMaps = 0\nNoSpecMaps = 0\nNoSelfillumMaps = 0\nNoReflectionMaps = 0\n"
            "NoPRShader = 0\nBloomShader = 1\nShaderEffects = \"glow.fx\"\n");
    EXPECT_EQ(g_Options.effectDetails, 0);
    EXPECT_EQ(log.Count("Effect details set to 'very low'"), 1);
    EXPECT_EQ(g_Options.shadowDetails, 5);
    EXPECT_EQ(log.Count("Shadow details set to 'low'"), 1);
    EXPECT_EQ(g_Options.noBumpMaps, 1);
    EXPECT_EQ(g_Options.noSpecMaps, 1);
    EXPECT_EQ(g_Options.noSelfillumMaps, 1);
    EXPECT_EQ(g_Options.noReflectionMaps, 1);
    EXPECT_EQ(g_Options.noPRShader, 1);
    EXPECT_EQ(g_Options.bloomShader, 0);
    EXPECT_TRUE(ctrl.GetSettings().shaderEffects.empty());
    EXPECT_EQ(log.Count("Warning"), 0);
}

TEST_F(OptionsTest, RandomSeed)
{
    auto draws = [&](const char* text) {
        Options(text);
        std::vector<int32_t> values;
        for (int i = 0; i < 4; ++i)
            values.push_back(ctrl.World().GetGameRandom().NextInt());
        values.push_back(int32_t(Random::Next()));
        return values;
    };
    const std::vector<int32_t> first = draws("randomSeed = 7\n");
    EXPECT_EQ(ctrl.World().GetGameRandom().GetSeed(), 7u);
    EXPECT_EQ(draws("randomSeed = 7\n"), first);
    EXPECT_EQ(ctrl.World().GetGameRandom().GetDrawCount(), 4u);  // counted from the new seed
    EXPECT_NE(draws("randomSeed = -1\n"), first);
    EXPECT_NE(draws(""), first);  // missing: from the clock as well
}

TEST_F(OptionsTest, FieldOfViewFollowsTheScreen)
{
    const int32_t width = g_ScreenWidth;
    const int32_t height = g_ScreenHeight;
    g_ScreenWidth = 1280;
    g_ScreenHeight = 720;  // 16:9
    Options("FoV = 60\nFoV_16_9 = 70\nMaxCamHeight = 500\nMaxCamHeight_16_9 = 700\n");
    EXPECT_NEAR(g_Options.fieldOfView, 70 * kDegree, 1e-5f);
    EXPECT_FLOAT_EQ(g_Options.maxCamHeight, 700.0f);
    g_ScreenWidth = 1600;
    g_ScreenHeight = 1000;  // 16:10, between the two
    ctrl.UpdateFieldOfView();
    EXPECT_GT(g_Options.fieldOfView, 60 * kDegree);
    EXPECT_LT(g_Options.fieldOfView, 70 * kDegree);
    g_ScreenHeight = 0;  // no screen: as 4:3
    ctrl.UpdateFieldOfView();
    EXPECT_NEAR(g_Options.fieldOfView, 60 * kDegree, 1e-5f);
    g_ScreenWidth = width;
    g_ScreenHeight = height;
}

TEST_F(OptionsTest, MissingSettingsFileDoesNotStopTheStart)
{
    LogCapture log;
    Options("settingsCfg = \"cfg\\nothere.cfg\"\n");
    EXPECT_EQ(log.Count("Error:GameCtrl: Can not open 'cfg\\nothere.cfg'"), 1);
    EXPECT_STREQ(ctrl.GetHeroName().c_str(), "Hero");  // the rules ran on the empty reader
    EXPECT_STREQ(ctrl.GetSettings().goldCoinsItemID.c_str(), "Gold Coins");

    Options("");  // "cfg\settings.cfg" when the key is missing
    EXPECT_EQ(log.Count("Can not open 'cfg\\settings.cfg'"), 1);
}

TEST_F(OptionsTest, MouseSpeedGoesToAGuiManagerOnly)
{
    Options("MouseGuiSpd = 0.7\n");  // no manager: only the option
    EXPECT_FLOAT_EQ(g_Options.mouseGuiSpd, 0.7f);
    DXC_GuiManager manager;
    Options("MouseGuiSpd = 0.9\n");
    EXPECT_FLOAT_EQ(manager.GetGuiScale(), 0.9f);
}

TEST(GameCtrlSampleGameTest, SampleFilesLoadWithoutAWarning)
{
    Log::Write("loading the sample game's options");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGameConfig config;
    ASSERT_EQ(GetGameConfig().Load("cfg\\game.cfg"), 0);
    LogCapture log;
    DedicatedServer server;
    WorldGameCtrl ctrl;
    ctrl.LoadGameOptions();
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
    EXPECT_NE(ctrl.FindGameFunction("monsterHealthMultiplayer"), nullptr);
    EXPECT_EQ(ctrl.GetObjectCfgFiles().FindFile("cfg\\objects.cfg"), 0);
    EXPECT_EQ(ctrl.GetWallCfgFiles().FindFile("cfg\\walls.cfg"), 0);
    ASSERT_EQ(ctrl.GetMainCharacters().GetSize(), 1);
    EXPECT_STREQ(ctrl.GetHeroName().c_str(), ctrl.GetMainCharacters().GetAt(0)->name.c_str());
    EXPECT_EQ(ctrl.LoadWorldObjectFiles()->FindEntryByDesc("Crate"), 1);
}
