// GameCtrl: the game options of "cfg\game.cfg" (screen, camera, rendering quality, audio,
// logging, the start level), the field of view by the screen's aspect, and the global volume.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "base/Log.h"
#include "base/Random.h"
#include "base/SoundManager.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "level/Angle.h"
#include "platform/Processor.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kDetectionMemory = 0x10000000;  // 256 MiB of device memory

// The value kinds of the options. Every key is looked up in the whole file; a getter returns true
// when the key was there, and leaves its target alone otherwise.
class OptionReader {
public:
    explicit OptionReader(ConfigFileReader& reader) : m_Reader(reader) {}

    bool Int(const char* key, int32_t& value) { return m_Reader.GetInt(key, value) == ConfigFileReader::kFound; }
    bool Float(const char* key, float& value) { return m_Reader.GetFloat(key, value) == ConfigFileReader::kFound; }
    bool Number(const char* key, double& value)
    {
        return m_Reader.GetDouble(key, value) == ConfigFileReader::kFound;
    }
    bool Text(const char* key, String& value) { return m_Reader.GetString(key, value) == ConfigFileReader::kFound; }

    // bool: rounded half away from zero, then 1 when not 0; flag: compared with 0 as it stands.
    bool Bool(const char* key, uint8_t& value) { return Byte(key, value, true); }
    bool Flag(const char* key, uint8_t& value) { return Byte(key, value, false); }
    // value + 0.5, truncated toward zero.
    bool Rounded(const char* key, int32_t& value)
    {
        double read = 0.0;
        if (!Number(key, read))
            return false;
        value = TextFileReaderBase::TruncToInt32(read + 0.5);
        return true;
    }
    bool Degrees(const char* key, float& value)
    {
        double read = 0.0;
        if (!Number(key, read))
            return false;
        value = TextFileReaderBase::ToFloat(read * Angle::kDegToRad);
        return true;
    }
    // One over the rate in frames per second; a rate of 0 gives 0.
    bool Interval(const char* key, float& value)
    {
        double rate = 0.0;
        if (!Number(key, rate))
            return false;
        value = rate == 0.0 ? 0.0f : TextFileReaderBase::ToFloat(1.0 / rate);
        return true;
    }
    // Two numbers; a missing or short value gives the fallback.
    void Pair(const char* key, float (&value)[2], float first, float second)
    {
        float read[2] = {0.0f, 0.0f};
        if (m_Reader.GetFloatPair(key, read) == ConfigFileReader::kFound) {
            value[0] = read[0];
            value[1] = read[1];
        } else {
            value[0] = first;
            value[1] = second;
        }
    }
    ConfigFileReader& Reader() { return m_Reader; }

private:
    bool Byte(const char* key, uint8_t& value, bool rounded)
    {
        bool read = false;
        const int32_t status = rounded ? m_Reader.GetBoolRounded(key, read) : m_Reader.GetBool(key, read);
        if (status != ConfigFileReader::kFound)
            return false;
        value = read ? 1 : 0;
        return true;
    }

    ConfigFileReader& m_Reader;
};

// A colour channel of 0..1 as a byte (x 255, truncated).
uint32_t ChannelByte(float value)
{
    return uint32_t(std::clamp(TextFileReaderBase::TruncToInt32(double(value) * 255.0), 0, 255));
}

// The screen's width over its height; 4:3 while the screen has no size.
double ScreenAspect()
{
    if (g_ScreenWidth <= 0 || g_ScreenHeight <= 0)
        return 4.0 / 3.0;
    return double(g_ScreenWidth) / double(g_ScreenHeight);
}

// The renderer's answers: a graphics object without a device, or none at all, has no shader
// level, no texture format, no anisotropic filtering and no device memory.
struct Renderer {
    D3DCAPS9 caps;
    bool advancedShaders = false;
    bool basicShaders = false;
    uint32_t deviceMemory = 0;

    Renderer()
    {
        if (!g_Gfx)
            return;
        g_Gfx->GetDeviceCaps(caps);  // without a device the adapter's answers
        advancedShaders = g_Gfx->HasAdvancedShaders();
        basicShaders = g_Gfx->HasBasicShaders();
        deviceMemory = g_Gfx->GetAvailableTextureMem();
    }
    static bool Supports(D3DFORMAT format) { return g_Gfx && g_Gfx->CheckTextureFormat(format, 0) != 0; }
    // Level 1 needs DXT1, level 2 and above DXT5 as well.
    static bool SupportsCompression(int32_t level)
    {
        return level < 1 || (Supports(D3DFMT_DXT1) && (level < 2 || Supports(D3DFMT_DXT5)));
    }
    // The test of the high detail levels: advanced shaders, a processor with SSE2 or
    // hyper-threading, and 256 MiB of device memory counted in whole MiB.
    bool IsHighEnd() const
    {
        return advancedShaders && Platform::HasSse2OrHyperThreading() &&
               (deviceMemory & ~uint32_t(0xFFFFF)) >= kDetectionMemory;
    }
};

}  // namespace

void GameCtrl::SetGlobalVolume(float volume)
{
    g_Options.globalVolume = volume;
    if (SoundManager* sound = SoundManager::GetSingletonPtr())
        sound->SetVolume(volume);
}

// t runs from 0 at 4:3 to 1 at 16:9 and wider; the field of view is interpolated through the
// tangents of its halves.
void GameCtrl::UpdateFieldOfView()
{
    const float t = std::clamp(float((ScreenAspect() - 4.0 / 3.0) * 2.25), 0.0f, 1.0f);
    const double a = std::tan(double(g_Options.fov) / 2.0);
    const double b = std::tan(double(g_Options.fov16_9) / 2.0);
    g_Options.fieldOfView = float(2.0 * std::atan(a + double(t) * (b - a)));
    g_Options.maxCamHeight =
        g_Options.maxCamHeight4_3 + t * (g_Options.maxCamHeight16_9 - g_Options.maxCamHeight4_3);
}

// The keys in the order they are read; a key that is missing leaves its value. The steps that
// need more than a store are written out where their keys come.
void GameCtrl::LoadGameOptions()
{
    OptionReader in(GetGameConfig());
    GameOptions& opt = g_Options;
    GameSettings& ctl = m_Settings;
    WorldOptions& worldOpt = m_World.GetOptions();
    const Renderer renderer;
    const bool dedicated = opt.dedicatedServer != 0;

    in.Int("debug", m_DebugMode);
    in.Bool("WindowsMouseCursor", ctl.windowsMouseCursor);

    // The seed: the same fixed seed gives the same game, -1 a new one from the clock.
    int32_t seed = -1;
    in.Int("randomSeed", seed);
    if (seed == -1) {
        Random::SeedFromClock();
        m_RandomSeed = Random::Next();
    } else {
        m_RandomSeed = uint32_t(seed);
        Random::Seed(m_RandomSeed);
    }
    m_World.GetGameRandom().Seed(m_RandomSeed);

    in.Int("AutoTextureDownsize", ctl.autoTextureDownsize);
    if (g_Gfx)
        g_Gfx->SetTextureDownsize(ctl.autoTextureDownsize);

    // A diagonal field of view stands for all three; otherwise 4:3 and 16:9 come apart.
    float diagonal = -1.0f * Angle::kDegToRad;
    in.Degrees("FoV_diag", diagonal);
    if (diagonal > 0.0f) {
        opt.baseFieldOfView = DXC_Gfx::DiagonalToVerticalFov(diagonal, float(ScreenAspect()));
        opt.fov = opt.baseFieldOfView;
        opt.fov16_9 = opt.baseFieldOfView;
    } else {
        in.Degrees("FoV", opt.fov);
        if (!in.Degrees("FoV_16_9", opt.fov16_9))
            opt.fov16_9 = opt.fov;
    }

    double mouseGuiSpd = 0.0;
    if (in.Number("MouseGuiSpd", mouseGuiSpd))
        opt.mouseGuiSpd = float(mouseGuiSpd);
    if (g_GuiManager)
        g_GuiManager->SetGuiScale(opt.mouseGuiSpd);
    in.Float("ScreenshotModeMoveSpd", ctl.screenshotModeMoveSpd);
    in.Bool("LogLoadScreenEvents", ctl.logLoadScreenEvents);
    in.Bool("LogObjIDs", ctl.logObjIDs);
    in.Bool("DebugMessages", opt.debugMessages);
    in.Bool("AllowConsole", opt.allowConsole);
    in.Degrees("SnapAimAngle", opt.snapAimAngle);
    in.Float("cameraSlide", ctl.cameraSlide);
    in.Float("CamOffsetMoveSpd", opt.camOffsetMoveSpd);
    in.Bool("CamOffsetViaProjection", worldOpt.camOffsetViaProjection);
    in.Int("EffectVBType", opt.effectVBType);
    in.Degrees("AutoCamFollow", opt.autoCamFollow);
    in.Float("DialogTextSpeed", opt.dialogTextSpeed);
    in.Float("MusicFadeTime", opt.musicFadeTime);
    if (!in.Float("MusicFightFadeTime", opt.musicFightFadeTime))
        opt.musicFightFadeTime = opt.musicFadeTime;
    in.Float("MusicCheckTime", opt.musicCheckTime);
    in.Float("MusicFightCheckTime", opt.musicFightCheckTime);
    in.Bool("NoMeshDraw", opt.noMeshDraw);
    opt.showFPS = m_DebugMode != 0 ? 1 : 0;
    in.Bool("ShowFPS", opt.showFPS);
    in.Float("MaxFPS", opt.maxFPS);
    in.Float("MinFPS", opt.minFPS);
    in.Bool("NoLightMap", opt.noLightMap);

    m_StartVideos.Clear();
    String text;
    if (in.Text("VideosAtStart", text))
        m_StartVideos.AddFromText(text.c_str());
    if (in.Text("MainMenuVideo", text) && !text.IsEmpty())
        ctl.mainMenuVideo += text;
    if (in.Text("MainMenuVideoAlpha", text) && !text.IsEmpty())
        ctl.mainMenuVideoAlpha += text;
    in.Pair("MainMenuVideoUpperLeft", ctl.mainMenuVideoUpperLeft, 0.0f, 0.0f);
    in.Pair("MainMenuVideoLowerRight", ctl.mainMenuVideoLowerRight, 1.0f, 1.0f);

    in.Int("UseWallBump", worldOpt.useWallBump);
    in.Interval("LightingUpdateFPS", opt.lightingUpdateInterval);
    in.Interval("VisibilityUpdateFPS", opt.visibilityUpdateInterval);
    in.Int("SysMemFloor", worldOpt.sysMemFloor);
    in.Rounded("CastShadows", worldOpt.castShadows);
    in.Bool("CompressSavegames", ctl.compressSavegames);
    in.Int("BlurShadows", worldOpt.blurShadows);
    in.Int("FloorBufferNumVertices", opt.floorBufferNumVertices);
    in.Int("FloorBufferNumFaces", opt.floorBufferNumFaces);
    in.Rounded("WholeFloorTex", worldOpt.wholeFloorTex);
    int32_t floorSize = 0;
    if (in.Rounded("FloorSize", floorSize))
        m_FloorSize = int16_t(floorSize);

    // Texture compression: a level the device cannot store switches it off.
    int32_t level = 0;
    if (in.Rounded("CompressTex", level)) {
        if (!Renderer::SupportsCompression(level)) {
            Warning("Texture compression not supported - disabled");
            level = 0;
            opt.compressTexSizeMin = 65536;
        } else {
            opt.compressTexSizeMin = 1024;
            in.Rounded("CompressTexSizeMin", opt.compressTexSizeMin);
        }
        opt.compressTex = level;
        if (g_Gfx)
            g_Gfx->SetTextureCompression(opt.compressTex, opt.compressTexSizeMin);
    }
    worldOpt.compressFloorTex = opt.compressTex;
    if (in.Rounded("CompressFloorTex", level)) {
        if (!Renderer::SupportsCompression(level)) {
            Warning("Texture compression not supported - disabled");
            level = 0;
        }
        worldOpt.compressFloorTex = level;
    }

    // The texture filter is only the client's concern: a bad one is reported and kept.
    int32_t filter = 0;
    if (in.Rounded("TexFilter", filter)) {
        if (filter > 2)
            ReportError("Invalid filter");
        const uint32_t anisotropic = D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
        if (filter == 2 && (renderer.caps.TextureFilterCaps & anisotropic) != anisotropic)
            Warning("Anisotropic filtering not (entirely) supported");
        worldOpt.texFilter[0] = filter;
        worldOpt.texFilter[1] = filter;
    }

    // Detail levels: -1 asks the machine.
    int32_t effectDetails = -1;
    in.Int("EffectDetails", effectDetails);
    if (effectDetails == -1) {
        if (renderer.IsHighEnd()) {
            effectDetails = 100;
        } else if (renderer.basicShaders) {
            effectDetails = 25;
            Log::Write("Effect details set to 'low'");
        } else {
            effectDetails = 0;
            Log::Write("Effect details set to 'very low'");
        }
    }
    opt.effectDetails = effectDetails;
    in.Int("ShadowDetails", opt.shadowDetails);
    if (opt.shadowDetails < 0) {
        if (renderer.IsHighEnd()) {
            opt.shadowDetails = 10;
        } else {
            opt.shadowDetails = 5;
            Log::Write("Shadow details set to 'low'");
        }
    }

    in.Int("WallShader", opt.wallShader);
    in.Int("UseFixedFunctionShader", opt.useFixedFunctionShader);
    in.Int("MaxObjLights", opt.maxObjLights);
    in.Int("MaxCreatureLights", opt.maxCreatureLights);
    in.Int("FloorMipMaps", worldOpt.floorMipMaps);
    float fadeAngles[2] = {0.0f, 0.0f};
    if (in.Reader().GetFloatPair("BackDrawFadeOutAngle", fadeAngles) == ConfigFileReader::kFound)
        for (int32_t i = 0; i < 2; ++i)
            m_BackDrawFade[i] = std::cos(fadeAngles[i] * Angle::kDegToRad);
    double specular = 0.0;
    if (in.Number("SpecularLighting", specular)) {
        worldOpt.specularLighting = specular > 0.0 ? 1 : 0;
        if (specular > 0.0)
            opt.specularFactor = float(specular);
    }

    // Maps and shaders. The dedicated server draws no map at all.
    if (dedicated) {
        opt.noBumpMaps = 1;
        opt.noSpecMaps = 1;
        opt.noSelfillumMaps = 1;
        opt.noReflectionMaps = 1;
    } else {
        in.Int("NoBump", opt.noBumpMaps);
        in.Int("NoBumpMaps", opt.noBumpMaps);
        in.Int("NoSpecMaps", opt.noSpecMaps);
        in.Int("NoSelfillumMaps", opt.noSelfillumMaps);
        in.Int("NoReflectionMaps", opt.noReflectionMaps);
    }
    in.Int("UseHighlightShader", opt.useHighlightShader);
    if (opt.useFixedFunctionShader != 0) {  // the fixed pipeline has neither these maps nor the shader
        opt.noSelfillumMaps = 1;
        opt.noSpecMaps = 1;
        opt.useHighlightShader = 0;
    }
    if (g_Gfx) {
        g_Gfx->AllowMapType3(opt.noSpecMaps == 0);
        g_Gfx->AllowMapType5(opt.noSelfillumMaps == 0);
        g_Gfx->AllowMapTypes2And6(opt.noBumpMaps == 0);
        g_Gfx->AllowMapTypes2And6(opt.noReflectionMaps == 0);  // the later switch decides
    }

    in.Bool("preload", opt.preload);
    in.Float("AmbiLightAttachedFactor", opt.ambiLightAttachedFactor);
    in.Float("AmbiLightFactor", opt.ambiLightFactor);
    double mouseRotSpd = 0.0;
    if (in.Number("MouseRotSpd", mouseRotSpd))
        opt.mouseRotSpd = float(mouseRotSpd * 0.001);
    float shadow[3] = {0.0f, 0.0f, 0.0f};
    if (in.Reader().GetVector3("ShadowCol", shadow) == ConfigFileReader::kFound)
        worldOpt.shadowColour =
            0xFF000000u | (ChannelByte(shadow[0]) << 16) | (ChannelByte(shadow[1]) << 8) | ChannelByte(shadow[2]);
    double number = 0.0;
    if (in.Number("WallFade", number))
        opt.wallFade = float(number);
    if (in.Number("GameSpeed", number))
        SetGameSpeed(float(number));
    if (in.Number("WallMipMap", number))
        opt.wallMipMap = TextFileReaderBase::TruncToInt32(number);
    in.Float("MipMapLoD", opt.mipMapLoD);
    in.Float("MaxCamHeight", opt.maxCamHeight4_3);
    in.Float("MaxCamHeight_16_9", opt.maxCamHeight16_9);
    in.Float("MinCamHeight", opt.minCamHeight);
    in.Degrees("MaxPitch", opt.maxPitch);
    in.Degrees("MaxPitch2", opt.maxPitch2);
    in.Degrees("StartPitch", opt.startPitch);
    in.Int("TestChar", ctl.testChar);
    ctl.logAniCycleWarnings = 0;
    in.Int("LogAniCycleWarnings", ctl.logAniCycleWarnings);
    ctl.showObjectHierarchy = 0;
    in.Int("ShowObjectHierarchy", ctl.showObjectHierarchy);
    in.Bool("ShowEditName", opt.showEditName);
    in.Float("TimeBetweenAIEnemySearch", opt.timeBetweenAIEnemySearch);
    in.Bool("AllowXMove", opt.allowXMove);
    in.Float("LightingVSize3DFactor", opt.lightingVSize3DFactor);
    in.Float("PointLightSizeFactor", opt.pointLightSizeFactor);
    in.Float("WallFadeOutTime", opt.wallFadeOutTime);
    in.Float("MinSpdForSetAniCycle", opt.minSpdForSetAniCycle);
    in.Bool("BloomShader", opt.bloomShader);
    if (renderer.basicShaders)
        in.Bool("NoPRShader", opt.noPRShader);
    else
        opt.noPRShader = 1;
    in.Float("GuiInactiveTime", opt.guiInactiveTime);
    if (!renderer.advancedShaders)
        opt.bloomShader = 0;

    if (in.Float("GlobalVolume", opt.globalVolume))
        SetGlobalVolume(opt.globalVolume);
    in.Float("AudioVolume", opt.audioVolume);
    in.Float("SoundFxVolume", opt.soundFxVolume);
    in.Float("MusicVolume", opt.musicVolume);
    in.Float("AmbientMusicVolume", opt.ambientMusicVolume);
    in.Float("SpeechVolume", opt.speechVolume);
    in.Bool("Subtitles", opt.subtitles);
    in.Bool("QuickPause", opt.quickPause);
    in.Bool("AutoSave", opt.autoSave);
    in.Float("VolumeFallOff", opt.volumeFallOff);
    in.Text("GameDifficulty", ctl.gameDifficulty);
    in.Text("level", ctl.level);
    in.Flag("XFire", ctl.xFire);
    static const char* const kHighlightShaders[3] = {"UseHighlightShader0", "UseHighlightShader1",
                                                     "UseHighlightShader2"};
    for (int32_t i = 0; i < 3; ++i)
        in.Flag(kHighlightShaders[i], opt.useHighlightShaderN[i]);
    uint8_t disableVideos = 0;
    if (in.Flag("DisableVideos", disableVideos))
        ctl.videosEnabled = disableVideos ? 0 : 1;

    // Shader effects, a ";" list of names, only where something is drawn.
    if (!dedicated && !(g_Gfx && g_Gfx->IsDedicated()) && in.Text("ShaderEffects", text)) {
        const char* p = text.c_str();
        while (*p) {
            const char* end = p;
            while (*end && *end != ';')
                ++end;
            if (end > p)
                ctl.shaderEffects.push_back(String(p, int32_t(end - p)));
            p = *end ? end + 1 : end;
        }
    }

    UpdateFieldOfView();
    String settingsFile = "cfg\\settings.cfg";
    in.Text("settingsCfg", settingsFile);
    LoadRulesFile(settingsFile.c_str());
}
