// GameCtrl: the level change. A level description names the binary level file and sets the
// level's music, sounds, scripts, fog and shaders; the change loads it, restores the level's
// stored state when the save folder holds one, places the hero and starts the level scripts.
#include "game/ctrl/GameCtrl.h"

#include "base/Color.h"
#include "base/File.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "level/Angle.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

float g_WallFadeOutTime = 0.5f;
float g_ObjectFadeOutTime = 0.5f;

namespace {

constexpr float kHeroCameraTurn = 2.0943952f;  // 120 degrees between the hero's and the camera's angle

// A text key; too long a value is cut to the limit.
bool ReadText(ConfigFileReader& reader, const char* key, String& value, int32_t entry, int32_t limit = 0)
{
    String text;
    if (reader.GetString(key, text, entry) != ConfigFileReader::kFound)
        return false;
    if (limit > 0 && text.GetLength() > limit)
        text = String(text.c_str(), limit);
    value = text;
    return true;
}

void ReadFloat(ConfigFileReader& reader, const char* key, float& value, int32_t entry, float fallback)
{
    if (reader.GetFloat(key, value, entry) != ConfigFileReader::kFound)
        value = fallback;
}

int32_t ReadRoundedInt(ConfigFileReader& reader, const char* key, int32_t entry)
{
    float value = 0.0f;
    if (reader.GetFloat(key, value, entry) != ConfigFileReader::kFound || !std::isfinite(value))
        return 0;
    return int32_t(std::lround(std::clamp(value, -2.0e9f, 2.0e9f)));
}

// A colour of three channels 0..1, opaque.
bool ReadColour(ConfigFileReader& reader, const char* key, uint32_t& colour, int32_t entry)
{
    float rgb[3] = {0.0f, 0.0f, 0.0f};
    if (reader.GetVector3(key, rgb, entry) != ConfigFileReader::kFound)
        return false;
    colour = Color::FromFloats(rgb[0], rgb[1], rgb[2]);
    return true;
}

// The base name of a path without its folders and extension.
String BaseNameWithoutExtension(const String& path)
{
    const char* name = path.c_str();
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/' || *c == ':')
            name = c + 1;
    const char* dot = std::strrchr(name, '.');
    return String(name, int32_t(dot ? dot - name : std::strlen(name)));
}

}  // namespace

int32_t GameCtrl::GetLevelEntryForDifficulty(int32_t entries, int32_t difficulty)
{
    if (entries <= 0)
        return -1;
    return std::clamp(difficulty - 1, 0, entries - 1);
}

CreatureObj* GameCtrl::ChangeLevel(const char* levelFile, const String& saveDir, const LevelChangeOptions& options)
{
    const String levelName(levelFile ? levelFile : "");
    LeaveGuiMode(1);
    String stateDir = options.fromRunningLevel ? GetSavegamePath(-1) : saveDir;

    CreatureObj* hero = GetMainChar();
    CreatureObj* carried = options.fromRunningLevel ? hero : nullptr;
    if (hero && options.fromRunningLevel) {
        hero->DeleteChildren(false);
        // The level being left is saved under its own name: the new name is taken only after.
        SaveGame(-1, nullptr, 0, options.quietLoad, wString());
        if (m_World.HoldsObj(hero->m_ObjID, hero))
            m_World.RemoveObj(hero->m_ObjID, true);
        hero->InvalidateGroundHeight();
    }
    m_LevelDescFile = levelName;
    m_World.DeleteAllObjects();

    // The level's stored state, when this game has visited it before.
    File state;
    bool fromSaveGame = false;
    if (!stateDir.IsEmpty()) {
        const String stateFile = stateDir + BaseNameWithoutExtension(levelName) + ".ld";
        // The version is read as the stream's remembered 16-bit value: the item records of the
        // stored level decide their layout by it.
        if (File::Exists(stateFile.c_str())) {
            // A state that is there but cannot be read is refused: starting the level fresh would
            // silently bring back what the player already took or killed.
            if (!state.Open(stateFile, true, File::kDiskFile, false) || state.GetRemaining() < 2)
                Error("Can not read stored level state '%s'", stateFile.c_str());
            const uint16_t version = state.ReadInt16Member();
            if (version < WorldCtrl::kOldestSaveVersion || version > WorldCtrl::kSaveVersion)
                Error("Obsolete file version not supported (%s)", stateFile.c_str());
            state.SetVersion(version);
            fromSaveGame = true;
        }
    }

    m_LevelReader.SetConstantTable(&m_Constants);
    if (m_LevelReader.Load(levelName.c_str()) != 0)
        Error("%s", m_LevelReader.GetErrorText());
    const int32_t entry = GetLevelEntryForDifficulty(m_LevelReader.GetNumEntries(), GetDifficulty());
    LevelDescription& desc = m_LevelDesc;

    desc.loadingScreen = String();
    ReadText(m_LevelReader, "loadingScreen", desc.loadingScreen, entry);
    LoadLoadingScreen(desc.loadingScreen.c_str());
    ShowLoadingProgress(0.0f, 0, 1.0f, 1);

    if (!options.keepRunningState)
        ReadLevelMusic(entry, options);

    desc.treasureList = String();
    if (ReadText(m_LevelReader, "TreasureList", desc.treasureList, entry, LevelDescription::kMaxTextLength))
        LoadItemLists(desc.treasureList.c_str());
    else
        FreeItemLists();

    LoadLevelSettings(m_LevelReader, entry);

    desc.vsdFile = String();
    if (!ReadText(m_LevelReader, "vsdFile", desc.vsdFile, entry, LevelDescription::kMaxTextLength))
        Error("No 'vsdFile' entry in '%s'", levelName.c_str());
    desc.mcLight = String();
    ReadText(m_LevelReader, "mcLight", desc.mcLight, entry);
    desc.name = String();
    ReadText(m_LevelReader, "name", desc.name, entry);
    if (desc.name.StartsWithNoCase("DB:"))
        desc.name = String(GetGuiDBText("level", desc.name.c_str() + 3, nullptr));

    LoadVsdFile(desc.vsdFile.c_str(), !fromSaveGame);

    desc.onHeroDie = String();
    ReadText(m_LevelReader, "OnHeroDie", desc.onHeroDie, entry);
    if (fromSaveGame) {
        m_LevelVariables.Load(state, true);
        m_World.LoadLevelFromSaveGame(state, 0, 0);
        state.Close();
        LoadLevelObjects(true);
        CreateGroupObjects();
        // The stored level made its own copy of the hero the main character; the hero who walks
        // in is the one that counts, and the copy goes with the level's other stored heroes.
        if (carried)
            SetMainCharReference(carried);
    }

    ShowLoadingProgress(80.0f, 0, 1.0f, 1);
    if (!options.keepRunningState)
        desc.drawWallsToMiniMap = ReadRoundedInt(m_LevelReader, "DrawWallsToMiniMap", entry);
    ShowLoadingProgress(90.0f, 0, 1.0f, 1);

    hero = PlaceLevelHero(fromSaveGame, options);
    m_LevelElement = hero;

    ShowLoadingProgress(93.0f, 0, 1.0f, 1);
    if (!options.keepRunningState)
        ReadLevelRunningKeys(entry, !fromSaveGame);

    ShowLoadingProgress(94.0f, 0, 1.0f, 1);
    if (!options.keepRunningState)
        FreeUnusedData();
    ShowLoadingProgress(98.0f, 0, 1.0f, 1);
    if (CreatureObj* entered = GetMainChar())
        entered->OnLevelEntered();
    // A creature that names an action the game does not define would fail in the middle of a
    // fight; the level refuses it while it is entered.
    m_World.CheckLevelActionEntries();
    m_World.PreloadLevelSounds();
    ShowLoadingProgress(100.0f, 0, 1.0f, 1);

    if (!options.keepRunningState) {
        PlaceLevelCamera(hero);
        UpdateMiniMap();
    }
    if (g_Options.bloomShader && !desc.bloomShader.IsEmpty())
        m_World.EnablePostRenderEffect(desc.bloomShader.c_str());
    if (!desc.postRenderEffect.IsEmpty())
        m_World.EnablePostRenderEffect(desc.postRenderEffect.c_str());
    if (m_Settings.logObjIDs)
        m_World.DumpObjIDs();
    return GetMainChar();
}

void GameCtrl::ReadLevelMusic(int32_t entry, const LevelChangeOptions& options)
{
    ConfigFileReader& reader = m_LevelReader;
    LevelDescription& desc = m_LevelDesc;
    StopMusic(-1);
    StopAmbientSound();
    ReadFloat(reader, "musicVolume", desc.musicVolume, entry, 1.0f);
    ReadFloat(reader, "musicFightVolume", desc.musicFightVolume, entry, 1.0f);
    ReadFloat(reader, "musicBossVolume", desc.musicBossVolume, entry, 1.0f);
    ReadFloat(reader, "AmbiSoundVolume", desc.ambiSoundVolume, entry, 1.0f);
    ReadFloat(reader, "musicFadeTime", desc.musicFadeTime, entry, g_Options.musicFadeTime);
    ReadFloat(reader, "musicFightFadeTime", desc.musicFightFadeTime, entry, g_Options.musicFightFadeTime);
    ReadFloat(reader, "musicQuietTime", desc.musicQuietTime, entry, 0.0f);
    SetLevelMusicDefaults(desc.musicFadeTime, desc.musicVolume);
    m_World.SetMusicPauseTime(desc.musicQuietTime);

    desc.music = desc.musicLoading = String();
    if (ReadText(reader, "music", desc.music, entry))
        ReadText(reader, "musicLoading", desc.musicLoading, entry);
    m_World.SetLevelMusic(WorldCtrl::kMusicDefault, desc.music);
    m_World.SetLevelMusic(WorldCtrl::kMusicLoading, desc.musicLoading);
    if (!desc.musicLoading.IsEmpty() && !options.quietLoad)
        PlayMusic(desc.musicLoading.c_str(), 1.0f, 1.0f, 1, -1.0f);
    else
        m_World.SetMusic(nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

    desc.musicFight = desc.musicBoss = desc.ambiSound = String();
    ReadText(reader, "musicFight", desc.musicFight, entry);
    ReadText(reader, "musicBoss", desc.musicBoss, entry);
    ReadText(reader, "AmbiSound", desc.ambiSound, entry);
    m_World.SetLevelMusic(WorldCtrl::kMusicFight, desc.musicFight);
    m_World.SetLevelMusic(WorldCtrl::kMusicBoss, desc.musicBoss);
    m_World.SetLevelMusic(WorldCtrl::kMusicAmbient, desc.ambiSound);
    if (!desc.ambiSound.IsEmpty())
        PlayAmbientMusic(desc.ambiSound.c_str(), -1.0f);
}

void GameCtrl::LoadEnvironmentScene()
{
    const LevelDescription& desc = m_LevelDesc;
    m_EnvirScene.reset();  // the last level's textures go first, so none is shared in its old format
    if (desc.envir.IsEmpty())
        return;
    DXC_Gfx* gfx = g_Gfx;
    if (!gfx || !gfx->HasDevice())
        return;  // only drawn, so the server never loads it
    auto scene = std::make_shared<DXC_3dScene>();
    const int32_t compression = gfx->compressionLevel;
    if (desc.envirNoTexComp)
        gfx->compressionLevel = 0;
    struct RestoreCompression {
        DXC_Gfx* gfx;
        int32_t level;
        ~RestoreCompression() { gfx->compressionLevel = level; }
    } restore{gfx, compression};
    gfx->LoadScene(scene.get(), desc.envir.c_str(), 0);
    scene->SetRenderOptions(DXC_3dScene::DefaultSceneParams());
    scene->SetActiveCamera(0);
    scene->SetFlagOnAll(1);
    m_EnvirScene = std::move(scene);
}

// The keys a level that keeps its running state does not read again.
void GameCtrl::ReadLevelRunningKeys(int32_t entry, bool freshStart)
{
    ConfigFileReader& reader = m_LevelReader;
    LevelDescription& desc = m_LevelDesc;
    desc.envirNoTexComp = ReadRoundedInt(reader, "EnvirNoTexComp", entry);
    desc.envir = String();
    ReadText(reader, "envir", desc.envir, entry);
    LoadEnvironmentScene();

    ReadFloat(reader, "MinTimeBetweenRndSounds", desc.minTimeBetweenRndSounds, entry, 10.0f);
    desc.randomSounds.clear();
    for (int32_t i = 1; i <= LevelDescription::kMaxRandomSounds; ++i) {
        LevelDescription::RandomSound sound;
        if (reader.GetString("rndSoundName", sound.name, entry, i) != ConfigFileReader::kFound)
            break;
        ReadFloat(reader, ConfigFileReader::MakeKeyName("rndSoundPeriod", i, -1).c_str(), sound.period, entry, 100.0f);
        // A world without sound (the server) registers none: the definitions answer for it.
        if (!m_World.GetSoundRegistry().Find(sound.name) && m_SoundReader.FindEntryByDesc(sound.name.c_str()) < 0) {
            Warning("Random sound '%s' not found", sound.name.c_str());
            continue;
        }
        desc.randomSounds.push_back(sound);
    }
    if (reader.GetVector3("mcAmbientLight", desc.mcAmbientLight, entry) != ConfigFileReader::kFound)
        desc.mcAmbientLight[0] = desc.mcAmbientLight[1] = desc.mcAmbientLight[2] = 0.0f;
    ReadFloat(reader, "CallInterval", desc.callInterval, entry, 0.0f);
    desc.callScript = String();
    if (!ReadText(reader, "CallScript", desc.callScript, entry))
        desc.callInterval = 0.0f;
    m_World.SetLevelCallScript(desc.callInterval, desc.callScript);
    desc.onInit = String();
    ReadText(reader, "onInit", desc.onInit, entry);
    if (freshStart)
        RunLevelInitScript();
    desc.onEnter = String();
    ReadText(reader, "onEnter", desc.onEnter, entry);
    SetLevelEnterScript(desc.onEnter);

    ReadFloat(reader, "WallFadeOutTime", desc.wallFadeOutTime, entry, g_Options.wallFadeOutTime);
    ReadFloat(reader, "ObjectFadeOutTime", desc.objectFadeOutTime, entry, desc.wallFadeOutTime);
    g_WallFadeOutTime = desc.wallFadeOutTime;
    g_ObjectFadeOutTime = desc.objectFadeOutTime;
    float steepness = 60.0f;
    ReadFloat(reader, "MaxTerrainSteepness", steepness, entry, 60.0f);
    desc.maxTerrainSteepness = std::tan(steepness * Angle::kDegToRad);
    m_World.SetMaxTerrainSteepness(desc.maxTerrainSteepness);
    ReadFloat(reader, "FloorFog", desc.floorFog, entry, 9999.0f);
    ReadFloat(reader, "FogStart", desc.fogStart, entry, 0.9f);
    if (!ReadColour(reader, "FogColor", desc.fogColor, entry))
        desc.fogColor = 0xFF000000u;
    reader.GetInt("TerrainCenterHeight", desc.terrainCenterHeight, entry);
    desc.postRenderEffect = String();
    ReadText(reader, "PostRenderEffect", desc.postRenderEffect, entry);
    desc.shaderParams.clear();
    float params[64];
    const int32_t count = reader.GetFloatList("ShaderParams", params, 64, entry);
    if (count > 0)
        desc.shaderParams.assign(params, params + count);
    desc.bloomShader = String();
    ReadText(reader, "BloomShader", desc.bloomShader, entry);
    ReadColour(reader, "WallMinimapColor", desc.wallMinimapColor, entry);
    if (reader.GetInt("floorSize", desc.floorSize, entry) == ConfigFileReader::kFound)
        m_World.SetFloorSize(desc.floorSize);
}

// "onInit" runs once, when the level starts fresh, with the object variables kept around it.
void GameCtrl::RunLevelInitScript()
{
    if (m_LevelDesc.onInit.IsEmpty())
        return;
    SaveObjScriptVariables();
    ScriptValue result;
    RunScript(result, m_LevelDesc.onInit, "level.cfg:onInit", 1, -1);
    RestoreObjScriptVariables();
}

// From a save game the stored main character comes back; a change from a running level brings
// the hero along; a fresh level makes one where a player sits at this machine.
CreatureObj* GameCtrl::PlaceLevelHero(bool fromSaveGame, const LevelChangeOptions& options)
{
    CreatureObj* hero = GetMainChar();
    const bool carried = hero && options.fromRunningLevel;
    if (fromSaveGame && !carried) {
        CreatureObj* stored = nullptr;
        for (int32_t i = 0; i < m_World.GetNumElements() && !stored; ++i) {
            WorldElem* elem = m_World.GetObjectAt(i);
            CreatureObj* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
            if (creature && creature->IsMainCharacter())
                stored = creature;
        }
        if (!stored) {
            if (HasLocalInputForHero())
                Error("No main character in savegame!");
            return hero;  // a server's levels have no hero of their own
        }
        MakeLevelMainCharacter(stored);
        const D3DXVECTOR2 pos = stored->GetPos();
        Log::Write("Savegame of level %s loaded with hero at pos (%i,%i)", m_LevelDescFile.c_str(), int(pos.x),
                   int(pos.y));
        return stored;
    }
    if (!carried && !HasLocalInputForHero())
        return hero;

    WorldElem* start = FindLevelStartPosition(options.startPosition);
    if (!carried) {
        WorldElem* made = CreateWorldObject(GetHeroName().c_str(), nullptr, true, true, true, false, 0.0f, nullptr,
                                            0.0f, nullptr, -1);
        hero = made && made->IsCreature() ? dynamic_cast<CreatureObj*>(made) : nullptr;
        if (!hero)
            Error("Main Character must be a creature");
        SetMainCharacter(hero);  // a fresh hero gets the rules' hero light as well
    } else {
        for (int32_t i = m_World.GetNumElements() - 1; i >= 0; --i) {
            WorldElem* elem = m_World.GetObjectAt(i);
            CreatureObj* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
            if (creature && creature != hero && creature->IsMainCharacter())
                m_World.DelObj(creature->m_ObjID, 1);
        }
        m_World.AddObj(hero, 0, false);
        RenewMainCharLight();  // the old level's light went with its light table
    }
    if (start) {
        hero->SetPos(start->GetPos().x, start->GetPos().y);
        hero->SetAngle(start->GetAngle());
    }
    if (carried && !IsCameraPathPlaying())  // a held camera keeps its way
        m_CameraYaw[0] = m_CameraYaw[1] = hero->GetAngle() + kHeroCameraTurn;
    const D3DXVECTOR2 pos = hero->GetPos();
    Log::Write("Level %s loaded with hero at pos (%i,%i)", m_LevelDescFile.c_str(), int(pos.x), int(pos.y));
    return hero;
}

void GameCtrl::EnterRequestedLevel(const char* levelFile, int32_t startPosition, int32_t networkWord)
{
    LevelChangeOptions options;
    options.fromRunningLevel = 1;
    options.startPosition = startPosition;
    options.networkWord = networkWord;
    options.quietLoad = 1;
    CreatureObj* hero = ChangeLevel(levelFile, String(), options);
    if (IsRunning() && hero)
        MakeLevelMainCharacter(hero);
}
