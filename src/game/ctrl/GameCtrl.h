// GameCtrl: the engine's game controller, the one object that owns a running game. It holds what
// loading a level asks of it (the debug and floor size options, the game rules' description file
// lists, the object and wall description readers, the console-used flag and the loading progress
// hook, the engine's answers to the level's walls and view), what the game data loaders share
// (the constants, the key readers, the name tables, the data tables, the curve functions and the
// game options and rules), the link to the state manager, the game time and the per-frame step,
// the game's windows, and the engine bodies of the hooks that the network, game and server layers
// replace.
// The implementation is split by role: GameCtrl.cpp (construction, the game reset, destruction,
// the description readers), GameCtrlConstants.cpp (the constants file, rules files, the debug
// scripts), GameCtrlNameTables.cpp (attachment points, object types, the world-object kind of an
// entry), GameCtrlKeyReaders.cpp (the readers that fill one record from one entry),
// GameCtrlKeyCurves.cpp (move paths and one-dimensional key splines), GameCtrlDataTables.cpp (the
// 3D object table, the type lookups by name, the shader table), GameCtrlTime.cpp (game time, the
// screen fade, loading progress, pause, game speed, sound halt, profiling time),
// GameCtrlFrame.cpp (the per-frame step, the drawn frame, the GUI hooks of a frame),
// GameCtrlHooks.cpp (the engine bodies of the replaceable hooks and of the world's questions, the
// no-mana notice),
// GameCtrlFunctions.cpp (the curve functions of "cfg/functions.cfg"), GameCtrlScripts.cpp (the
// script callbacks and reports, the world events that reach the
// controller, and the engine's answers to the world's scripts), GameCtrlLookups.cpp (the
// game function and attribute lookups, the character entries, name lists), GameCtrlRules.cpp (the
// game rules of the settings file), GameCtrlOptions.cpp (the game options of "cfg\game.cfg", the
// field of view by the screen's aspect, the global volume), GameCtrlItems.cpp (the item, event
// object, creature, protection, attack and damage value factories, the key use, the use of
// objects, the main character's item use, the item pictures, the scripts' inventory stores and
// the engine's answers to items and inventories), GameCtrlGroupObjects.cpp (the group scenes: items of one group that lie
// close together merged into one group element at level start), GameCtrlObjVariables.cpp (the
// object script variables with their save and restore, the object texts), GameCtrlMusic.cpp (the music channels and their cross-fade),
// GameCtrl3dObjs.cpp (the 3D object prototypes and their copies, the graphics keys of world
// objects), GameCtrlFreeData.cpp (the release of unused data), GameCtrlSounds.cpp (the sound
// definitions), GameCtrlItemDefs.cpp (the item definitions and the items of world objects),
// GuiDBText.cpp (the localisation database and the localised texts of the interface),
// GameCtrlSubtitles.cpp (subtitle lines), GameCtrlPickup.cpp (picking items up),
// GameCtrlSaveData.cpp (unlocked videos), GameCtrlScriptEvents.cpp (the controller's script
// events and messages), GameCtrlStories.cpp (stories and quests), GameCtrlScriptCalls.cpp (script
// variables, the error list, script calls), GameCtrlGameEvents.cpp (game functions, the monster
// level, damage events, typed commands, screenshots), GameCtrlScriptFlow.cpp (the game-flow answers
// and values of the script built-ins), GameCtrlCamera.cpp (the orbit camera, its
// smoothing, floor check and pitch limit), GameCtrlCameraPath.cpp (the scripted camera path),
// GameCtrlViewMode.cpp (the view modes and the interactive scene's hand-over),
// GameCtrlDebugPages.cpp (the system, script-variables and creature pages, the free debug text),
// GameCtrlGui.cpp (the GUI update with the error window, the error list, the select menu),
// GameCtrlInputs.cpp (the input controllers, the
// main character, animation names), GameCtrlLevelLookups.cpp (starting positions,
// new items by chance), GameCtrlPicking.cpp (the mouse's picking ray into elements and floor),
// GameCtrlLevelItems.cpp (items by name, drops, pick-ups,
// moves between inventories, kept DoNotSave objects), GameCtrlWallObjects.cpp (object walls).
#pragma once
#include "base/BezierSpline.h"
#include "base/ConfigFileReader.h"
#include "base/ConstantTable.h"
#include "base/DynaMem.h"
#include "base/FileList.h"
#include "base/SearchTree.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "base/TextDataFileReader.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/CConsoleGui.h"
#include "engine/gui/DXC_GuiProgressBar.h"
#include "engine/gui/DXC_GuiText.h"
#include "engine/gui/DXC_GuiTextViewerScl.h"
#include "engine/gui/LightPropGui.h"
#include "game/ctrl/CameraPath.h"
#include "game/ctrl/FlickerCurve.h"
#include "game/ctrl/CombinedSceneData.h"
#include "game/ctrl/GameFunction.h"
#include "game/ctrl/GameSettings.h"
#include "game/ctrl/ItemList.h"
#include "game/ctrl/LevelDescription.h"
#include "game/ctrl/LevelSettings.h"
#include "game/ctrl/TreasureList.h"
#include "game/ctrl/VisualEffectIntern.h"
#include "game/ctrl/StoryVariable.h"
#include "game/ctrl/WorldObjectCreateParams.h"
#include "game/objects/AniCycleSet.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ai/InputCtrl.h"
#include "script/ScriptGameCallbacks.h"
#include "script/VariableStack.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ActionAttack;
class ActionEntryBase;
class ProtectionValues;
class DXC_3dScene;
class CreatureObj;
class EventObj;
class ShaderEntry;
class SoundManager;
class StateManager;
class WorldCtrl;
class WorldElem;
class ItemObj;
class LoadedDataKind;
class PathCurve;
class DXC_GuiManager;
struct AreaEffect;
struct AttributePair;
struct DamageEntry;
struct HitEffects;
struct IlluminationData;
struct ShotRepeat;
class TransformableAttribute;
// Script built-ins.
struct KI_ScriptActionParams;
class MobData;

// The view's back-buffer size, read from the graphics object when the controller is made.
extern int32_t g_ScreenWidth;
extern int32_t g_ScreenHeight;
// The frame time of the last drawn frame, for the GUI and effect code.
extern float g_LastFrameTime;
// Passes of the controller's per-frame step.
extern uint32_t g_GameFrameCounter;
// Non-zero: the sound names of creature and object types are not checked (always, on the server).
extern int32_t g_SkipSoundCheck;

// The light values of an element that the light brightness scales: its two light colours and
// three further light values.
struct ElemLightValues {
    float colour1[3] = {0.0f, 0.0f, 0.0f};
    float colour2[3] = {0.0f, 0.0f, 0.0f};
    float values[3] = {0.0f, 0.0f, 0.0f};
};

// One playable character configuration with its character class (-1: none).
struct CharacterEntry {
    String configID;
    String secondName;
    int32_t characterClass = -1;
};

// An element of a name list read by GameCtrl::ReadNameList; the name is resolved later.
struct NameListElement {
    int32_t id = -1;  // -1 until resolved
    float values[3] = {0.0f, 0.0f, 0.0f};
    int32_t ints[2] = {0, 0};
    String name;
};
using NameList = DynaMem<NameListElement, 16>;

// A video sequence the player may watch again: its file and its title.
struct UnlockedVideoStruct {
    String fileName;
    wString title;
};

class GameCtrl : public GameCtrlInterface {
public:
    // A character a joining player may take, with its skills configuration file.
    struct MainCharacterProperty {
        String name;
        String skillsFile;
    };

    static constexpr int32_t kMaxKeyValues = 1024;  // values of a move path or key spline key
    static constexpr int32_t kDebugScriptCount = 9;

    static constexpr int32_t kTextViewers = 4;
    static constexpr int32_t kProfilingViewer = 1;  // the second text viewer shows the profiling figures
    static constexpr float kLargestFrameTime = 0.2f;

    // Reads the screen size, opens the constants, the curve functions and the 3D object table,
    // and resets the game values; the newest controller becomes the global one.
    GameCtrl();
    // GameDeinit, then the members.
    ~GameCtrl() override;

    // Game state (GameCtrl.cpp).
    // The per-game values: the world's game state, music fade, pending view mode, game time, the
    // console-used flag.
    virtual void ResetGameState();
    // Clears the level's variables, the world's level effects and the subtitle window.
    virtual void Reset();
    // The curve functions of "cfg/functions.cfg", read again only when the file changed.
    virtual void LoadFunctions();
    // The destructor's work; calls reach the engine's bodies from here on.
    void GameDeinit();
    bool IsDeinitialising() const { return m_Deinitialising != 0; }
    void SetStateManager(StateManager* stateManager);
    StateManager* GetStateManager() const;
    // The current directory when the controller was made.
    const wString& GetStartDirectory() const { return m_CurrentDirectory; }
    const String& GetHeroName() const { return m_HeroName; }
    const String& GetScreenshotPrefix() const { return m_ScreenshotPrefix; }
    VariableStack& GetLevelVariables() { return m_LevelVariables; }
    DynaMem<String, 4096>& GetConsoleHistory() { return m_ConsoleHistory; }

    // Time (GameCtrlTime.cpp).
    // Adds the step to the game time; the network node corrects the clock here.
    virtual int32_t AdvanceGameTime(float seconds);
    void SetGameTime(double seconds) { m_GameTime = seconds; }
    // The start of the current frame on the program timer.
    double GetRealTime() const { return m_FrameStartTime; }
    void UpdateScreenFade(float dt);
    // 0.0 faded out to 1.0 fully shown, and its change per second.
    void SetScreenFade(float value, float rate);
    float GetScreenFade() const { return m_ScreenFade; }
    // The loading screen drawn over the picture while it fades in.
    void ShowLoadingScreenFade();
    void SetPause(uint8_t flag);
    void TogglePause();
    uint8_t GetPauseFlag() const { return m_Pause; }
    // Whether the simulation is halted; never on a network client.
    virtual bool IsPaused();
    // Also the state manager's time scale once it is linked.
    void SetGameSpeed(float factor);
    float GetGameSpeed() const { return m_GameSpeed; }
    // The program timer while the profiling display is shown, else 0.0.
    double GetProfilingTime() override;
    void HaltSounds();
    void ContinueSounds();

    // Music (GameCtrlMusic.cpp): two channels that cross-fade and the ambient channel, kept in
    // the program's music channels. Channel -1 stops both music channels.
    void PlayMusic(const char* track, float volume, float pitch, int32_t loop, float fadeTime) override;
    void PlayAmbientMusic(const char* track, float fadeTime) override;
    void StopMusic(int32_t channel);
    void StopAmbientSound();
    void StartMusicFade(float seconds);
    void UpdateMusicFade(float dt);
    float GetMusicFadePosition() const { return m_MusicFadePosition; }
    float GetMusicFadeRate() const { return m_MusicFadeRate; }
    // The level's "musicFadeTime" and "musicVolume", taken when a caller gives none.
    void SetLevelMusicDefaults(float fadeTime, float volume);
    bool IsBossMusicWanted() override;
    int32_t GetNumPartyMembers() override;  // the game keeps the main character's party
    WorldElem* GetPartyMember(int32_t index) override;

    // Release of unused data (GameCtrlFreeData.cpp). Levels keep what they loaded; a fresh level
    // start frees the least recently used of it that the new level does not use, keeping more
    // the more memory the machine has. Kind 1 is the 3D object files (the prototypes of
    // "cfg\3dobjs.cfg"), kind 2 the 3D object records and kind 3 the world's scenes, each
    // released through the source set for it (none: that kind is left alone).
    static constexpr int32_t kLoadedDataKinds = 3;
    // With the machine's total memory (Platform::TotalPhysicalMemoryMB).
    void FreeUnusedData();
    void FreeUnusedData(int32_t memoryMB);
    // Unused loaded entries of a kind (1..3) that a machine of memoryMB megabytes keeps.
    static int32_t GetUnusedDataLimit(int32_t kind, int32_t memoryMB);
    // Sets the mark of every 3D object file that an item element of the level shows.
    virtual void MarkUsed3dFiles(std::vector<uint8_t>& marks);
    void SetLoadedDataSource(int32_t kind, LoadedDataKind* source);
    // The world's floor textures that its level does not use.
    void FreeUnusedFloorTextures();
    // Every loaded sound of the world's sound table that the sound manager may let go.
    void FreeLoadedSounds();
    // Every loaded 3D object record that is not in use, without a limit.
    void FreeUnused3dObjectRecords();

    // Unlocked videos (GameCtrlSaveData.cpp): the story's video sequences the player has reached,
    // counted across games in "cfg\gamesavedata.cfg" ("UnlockedVideos"). LoadGameSaveData raises
    // the count (never while "TestChar" is above 0); BuildUnlockedVideos makes the list of the
    // first count sequences ("seq1" the intro first), an empty one for a count outside 1..8.
    static constexpr int32_t kVideoSequences = 8;
    void BuildUnlockedVideos(int32_t count);
    DynaMem<UnlockedVideoStruct, kVideoSequences>& GetUnlockedVideos() { return m_UnlockedVideos; }

    // Localised texts (GuiDBText.cpp), for the world. OpenLocalisationDB opens the language's
    // database at start-up ("lang\LANG\localisation.db" or the game configuration's
    // "DatabaseFile"); one that cannot be opened is an error.
    void OpenLocalisationDB();
    // Subtitles (GameCtrlSubtitles.cpp): line of the subtitle id, from the main character's own
    // table when it has one; with show the subtitle window shows it. The seconds its speech file
    // plays, 0 without one (and while sound is muted, when nothing is shown).
    virtual float GetSubtitle(const char* id, int32_t line, int32_t show);
    wString GetGuiDBText(const char* group, const char* name, uint8_t* found) override;
    bool DBGetField(wString& text, const char* table, const char* field) override;
    void ProcessText(wString& text) override;

    // Frame (GameCtrlFrame.cpp).
    // The per-frame step: inputs and world (for a step above 0), then the game time.
    virtual int32_t UpdateFrame(float frameTime);
    // One drawn frame: frame time, screen fade, drawing.
    virtual void RenderFrame();
    virtual void DrawGui();
    // The GUI manager's cursor picture and whether it draws its own cursor.
    void ChooseCursor(DXC_GuiManager& guiManager);
    void UpdateInfoBar();
    // The GUI state step; there is none without a GUI manager, which the server never makes.
    virtual int32_t UpdateGui();
    virtual int32_t LeaveGuiMode(int32_t flag);
    virtual bool IsGuiUnderMouse(int32_t flag);
    // The GUI state back to the game's: the GUI mode is left; the game resets its own windows.
    virtual void ResetGuiState(int32_t flag);
    // Reveals the active area around the stored map position, once one is stored.
    virtual void RevealMapAtPosition();
    // A controller that is not the server's marks its own active area each frame: around its
    // main character and the revealed map position; the server's network layer marks the players'.
    void MarkActiveArea();
    void SetMapPosition(float x, float y);
    virtual void ResetStepTime();
    float GetStepTimeTotal() const { return m_StepTimeTotal; }
    // The application is active and its window visible.
    virtual bool IsWindowActive();
    bool UsesGuiCursor() const { return m_GuiCursorForced != 0 || m_GuiBusy != 0; }
    void SetWireFrame(bool flag) { m_WireFrame = flag ? 1 : 0; }
    ErrorMsgGui& GetErrorWindow() { return m_ErrorWindow; }
    SubTitleGui& GetSubTitleWindow() { return m_SubTitleWindow; }
    DXC_GuiTextViewerScl& GetTextViewer(int32_t index) { return m_TextViewers[index]; }  // 0..3
    CConsoleGui& GetConsoleWindow() { return m_ConsoleWindow; }
    BarGui& GetInfoBar() { return m_InfoBar; }
    void SetCursorHidden(bool hidden) { m_CursorHidden = hidden ? 1 : 0; }
    void SetGuiCursorForced(bool forced) { m_GuiCursorForced = forced ? 1 : 0; }

    // Hooks (GameCtrlHooks.cpp): the engine's bodies; the layers above replace them.
    virtual void LoadGeneralItems();
    virtual void FreeItemImages();
    virtual int32_t GetCursorPicture();
    // Tells the player that there is no mana.
    virtual void NotifyNoMana();
    virtual void InitGuiFields();
    // The engine's GUI set-up (GameCtrlGuiSetup.cpp): logo, loading screen, progress bar, text
    // field, tooltip frame, cursor and tooltip timing. Needs a GUI manager.
    virtual void InitGui();
    // Opens the console in front with its input emptied and focused, or closes it; 1 when open.
    int32_t ToggleConsole();
    int32_t GetStatisticsPage() const { return m_StatisticsPage; }
    void SetStatisticsPage(int32_t page) { m_StatisticsPage = page; }
    DXC_GuiProgressBar& GetProgressBar() { return m_ProgressBar; }
    DXC_GuiText& GetTextField() { return m_TextField; }
    DXC_Texture& GetLogoTexture() { return m_LogoTexture; }
    // Whether this process is a dedicated server (the game option or the graphics object's mode).
    static bool IsDedicated();
    // The pointer position the view smooths toward; false when there is none.
    virtual bool GetMousePosition(D3DXVECTOR2& position);
    virtual void ReadCombatValues(ConfigFileReader& reader, int32_t entry);
    // The engine saves nothing: the text is let go and 1 reported; the game's rules save.
    virtual int32_t SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name);
    virtual int32_t LoadGame(int32_t slot, int32_t a = 0, int32_t b = 0);
    virtual void AutoSave();
    virtual bool IsHighlightEnabled();
    virtual int32_t GetHighlightKind();
    virtual bool IsBossFight();
    virtual void SaveMainCharacter();
    virtual void UpdateMiniMap();
    virtual void SuspendObjectSync();
    virtual void ResumeObjectSync();
    // True while a network game is joining, with its progress when asked.
    virtual bool IsJoiningNetworkGame(float* progress = nullptr);
    // The per-frame network service.
    virtual void ServiceNetwork();
    virtual bool IsNetworkClient();
    virtual bool IsRunning() { return m_Running != 0; }
    virtual int32_t GetNumPlayers();
    // Player 0 is the main character; there are no others here.
    virtual WorldElem* GetPlayerCharacter(int32_t player);

    int32_t GetDebugMode() const override { return m_DebugMode; }
    void SetDebugMode(int32_t mode) { m_DebugMode = mode; }
    int16_t GetFloorSizeSetting() const override { return m_FloorSize; }
    void SetFloorSizeSetting(int16_t cells) { m_FloorSize = cells; }

    const FileList& GetObjectCfgFiles() const override { return m_ObjectCfgFiles; }
    const FileList& GetWallCfgFiles() const override { return m_WallCfgFiles; }
    FileList& GetObjectCfgFiles() { return m_ObjectCfgFiles; }
    FileList& GetWallCfgFiles() { return m_WallCfgFiles; }

    ConfigFileReader* LoadWorldObjectFiles() override;
    ConfigFileReader* OpenWallFiles() override;
    ConfigFileReader& GetWorldObjectReader() { return m_WorldObjectReader; }
    ConfigFileReader& GetWallReader() { return m_WallReader; }

    void SetSplitValueToOne() override { m_ConsoleUsed = 1; }
    int32_t GetConsoleUsed() const { return m_ConsoleUsed; }

    // The engine serves the network while a load runs; drawing the loading screen is the game's.
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override;

    // Constants and rules files.
    // Reads "cfg\constants.cfg" into the constants when it is there and must be read (again).
    void LoadConstants();
    ConstantTable& GetConstants() { return m_Constants; }
    // Opens a name = value file depending on the constants and hands it to LoadGameRules; a file
    // that cannot be opened is reported and the rules run on the empty reader. The reader asks
    // the game configuration first.
    void LoadRulesFile(const char* fileName);
    // The game rules of such a file, then the character classes; the game adds its own rules.
    virtual void LoadGameRules(ConfigFileReader& reader);
    // Reads the nine debug script texts of "cfg/debugScripts.cfg" when it must be read (again).
    void LoadDebugScripts();
    const String& GetDebugScript(int32_t index) const { return m_DebugScripts[index]; }  // 0..8

    // Game options (GameCtrlOptions.cpp): "cfg\game.cfg" from the game configuration, then the
    // settings file it names through LoadGameRules.
    virtual void LoadGameOptions();
    // The field of view and the camera height limit in use, between their 4:3 and 16:9 values by
    // the screen's aspect.
    virtual void UpdateFieldOfView();
    // Also handed to the sound device when there is one.
    void SetGlobalVolume(float volume);
    GameSettings& GetSettings() { return m_Settings; }
    FileList& GetStartVideos() { return m_StartVideos; }
    // There is no video playback: a video ends as soon as it starts.
    void PlayVideo(const char* name, int32_t a, int32_t b)
    {
        (void)name;
        (void)a;
        (void)b;
    }
    FileList& GetInitScripts() { return m_InitScripts; }
    DynaMem<MainCharacterProperty, 10>& GetMainCharacters() { return m_MainCharacters; }
    // The seed of the game's random numbers that the options chose ("randomSeed" or the clock).
    uint32_t GetRandomSeed() const { return m_RandomSeed; }

    // Curve functions and lookups (GameCtrlFunctions.cpp, GameCtrlLookups.cpp). A holder of a
    // function keeps a copy or the name: reading the file again replaces every record.
    SearchTree<GameFunction>& GetFunctions() { return m_Functions; }
    // The function of that name, or null; the record lasts until the functions are read again.
    GameFunction* FindGameFunction(const char* name);
    // True when the key names a function, which is copied into function; an unknown name warns.
    bool FindGameFunction(ConfigFileReader& reader, GameFunction& function, const char* key, int32_t entry);
    // The key's number into the value and "<key>_func" as the function's name; true when either
    // was read.
    bool FindAttributeFunction(ConfigFileReader& reader, TransformableAttribute& attribute, const char* key,
                               int32_t entry);
    // The same with two numbers and up to two names.
    bool FindAttributeFunctionPair(ConfigFileReader& reader, AttributePair& pair, const char* key, int32_t entry);
    // Every character entry's "CharacterClass" from the creature reader.
    void LoadCharacterClasses();
    // The entry of player n's configuration (this player's when there is no player n); an entry of
    // class -1 when the configuration has none.
    CharacterEntry GetPlayerCharacterEntry(int32_t player);
    std::vector<CharacterEntry>& GetCharacterEntries() { return m_CharacterEntries; }
    // The plain key, then key0, key1, ...: one element per value that is not empty.
    void ReadNameList(const char* key, NameList& list, ConfigFileReader& reader, int32_t entry);
    // Every key of the entry that begins with the prefix, in file order, as the rest of its name
    // and its value; the list is emptied first.
    void ReadVisualEffectList(const char* prefix, DynaMem<VisualEffectIntern, 4>& list, ConfigFileReader& reader,
                              int32_t entry);
    // The creature definitions ("cfg\3dCreatures.cfg"), indexed by "desc".
    ConfigFileReader& GetCreatureReader() { return m_CreatureReader; }
    // The configuration of the character this node announced for its own player.
    const String& GetPlayerCharacterID() const { return m_PlayerCharacterID; }
    void SetPlayerCharacterID(const char* id) { m_PlayerCharacterID = id; }
    // Player n's character configuration; false when there is no player n. The engine knows no
    // player by configuration; the network node does.
    virtual bool GetPlayerConfigID(int32_t player, String& id);

    // Name tables.
    int32_t ParseAttachPoint(const String& text);  // an unknown name is an error
    int32_t ParseObjectType(const String& text);   // 0 for an unknown name
    // The element kind code of the "type" of a world-object entry; a missing "type" is an error.
    int32_t ReadItemType(int32_t entry);

    // Key readers: each fills one record from one entry; a key the entry lacks leaves its field.
    void ReadNetSync(ConfigFileReader& reader, uint8_t& netSync, int32_t entry);
    void ReadIllumination(ConfigFileReader& reader, IlluminationData& illumination, int32_t entry) override;
    // Scales the light values by the light brightness (times the creature light factor for a
    // creature); returns isCreature.
    bool ScaleLightBrightness(ElemLightValues& light, bool isCreature);
    virtual void ReadAreaEffect(ConfigFileReader& reader, int32_t entry, AreaEffect& effect);
    virtual void ReadHitEffects(ConfigFileReader& reader, int32_t entry, HitEffects* effects);
    virtual void ReadDamageEntry(ConfigFileReader& reader, int32_t entry, DamageEntry* damage);
    void ReadShotRepeat(ActionEntryBase& part, ShotRepeat& repeat, ConfigFileReader& reader, int32_t entry);
    // "Treasure" (with index appended when 0 or more): probability, item name, might.
    bool ReadTreasureKey(ConfigFileReader& reader, int32_t entry, int32_t index, float& probability, String& item,
                         float& might);

    float GetLightBrightness() const { return m_LightBrightness; }
    void SetLightBrightness(float value) { m_LightBrightness = value; }
    float GetCreatureLightFactor() const { return m_CreatureLightFactor; }
    void SetCreatureLightFactor(float value) { m_CreatureLightFactor = value; }

    // Key curves. name identifies the entry in messages.
    void ReadMovePath(ConfigFileReader& reader, PathCurve& path, const char* key, int32_t entry, const char* name);
    // 1 when a spline was read, 0 when neither "<key>_t" nor key exists (the spline unchanged).
    int32_t ReadBezierSpline1D(ConfigFileReader& reader, const char* key, int32_t entry, BezierSpline<float>& spline,
                               const char* name);

    // Action and strategy definitions (GameCtrlActions.cpp, GameCtrlStrategies.cpp): "cfg\actions.cfg"
    // and "cfg\strategy.cfg" into the world's action and strategy trees, read again only when the
    // file or the constants changed, and never while the level holds elements. A failed load
    // leaves the tree empty and the file to be read again.
    static constexpr int32_t kMaxRepeatCount = 256;  // copies of one block of an action
    void LoadActions();
    void LoadStrategies();
    // Called after every load of the strategies; the game's controller takes its data from them.
    virtual void OnStrategiesLoaded();
    ConfigFileReader& GetActionReader() { return m_ActionReader; }
    ConfigFileReader& GetStrategyReader() { return m_StrategyReader; }
    // An angle given in degrees, stored in radians; a missing key leaves the value, the result
    // tells whether it was there.
    static bool ReadDefinitionAngle(ConfigFileReader& reader, const char* key, float& radians, int32_t entry);

    // Data tables.
    // Opens "cfg\3dobjs.cfg" when it must be read (again), with empty per-entry tables.
    void Open3dObjs();
    ConfigFileReader& Get3dObjReader() { return m_3dObjReader; }
    // Every 3D object entry needs an "sFile"; a file that does not exist is a warning.
    void Check3dObjFiles();
    // The per-entry tables of the 3D objects: the prototype built from the entry (none until
    // built, owned here) and the use stamp of its last request. Shared pointers release a
    // prototype also where its class is not known, as when the table is opened again.
    std::vector<std::shared_ptr<ItemObj>>& Get3dObjPrototypes() { return m_3dObjPrototypes; }
    std::vector<uint32_t>& Get3dObjUseStamps() { return m_3dObjUseStamps; }

    // The entry whose "desc" is name, or -1.
    int32_t FindWallTypeIndex(const char* name) override;
    int32_t FindWorldObjectTypeIndex(const char* name) override;
    int32_t FindItemTypeIndex(const char* name);
    ConfigFileReader& GetItemReader() { return m_ItemReader; }
    // The template item of the item entry named so, or null. createImage asks for the item's
    // picture, which only a client draws.
    ItemBase* FindItem(const char* name, bool createImage) override;
    // One template item per entry of the item reader, filled by the item loader.
    std::vector<std::shared_ptr<ItemBase>>& GetItemTable() { return m_ItemTable; }

    // Reads "cfg\shaders.cfg" where a graphics device exists; the server has none. A reload keeps
    // the table when the file's entry count changed.
    void LoadShaders(bool reload);
    int32_t GetShaderCount() const { return int32_t(m_Shaders.size()); }
    ShaderEntry* GetShader(int32_t i) const
    {
        return i >= 0 && i < GetShaderCount() ? m_Shaders[size_t(i)].get() : nullptr;
    }

    // 3D objects, sounds and item definitions (GameCtrl3dObjs.cpp, GameCtrlSounds.cpp,
    // GameCtrlItemDefs.cpp).
    static constexpr int32_t kObjectSoundNames = 9;  // sound names of a creature or object type
    // The prototype of a 3D object entry, built on first request and owned here; with makeCopy a
    // new copy of it that the caller owns. An entry outside the table is an error.
    ItemObj* Load3dObjs(int32_t entry, bool makeCopy);
    void Read3dObjShaderParams(ConfigFileReader& reader, ItemObj& object, int32_t entry);
    // A copy of the 3D object for a world object entry; with addToWorld null when the world
    // refuses it (the copy is deleted then).
    ItemObj* Create3dObjInstance(int32_t objEntry, int32_t worldObjEntry, int32_t unused, bool addToWorld);
    // The graphics keys of a world object entry applied to one object.
    void Read3dObjGraphics(ItemObj& object, int32_t worldObjEntry);
    // The use counter that stamps every request of a 3D object entry.
    uint32_t Get3dObjUseCounter() const { return m_3dObjUseCounter; }
    // The largest shadow texture and the scale the next object takes ("rndScale").
    float GetMaxShadowTexSize() const { return m_MaxShadowTexSize; }
    void SetMaxShadowTexSize(float size) { m_MaxShadowTexSize = size; }
    float GetPendingRandomScale() const { return m_PendingRandomScale; }
    // Every entry of "cfg\sounds.cfg" into the world's sound table; the old sounds go first.
    void LoadSounds();
    // Clears every sound name that the sound table lacks, with a warning; skipped while the
    // program-wide sound-check switch is set, as it always is on the server.
    void FindSound(String (&names)[kObjectSoundNames]);
    // One item entry into item; complete for a full definition (the item file), else only the
    // keys present change the item.
    void LoadItems(ConfigFileReader& reader, int32_t entry, ItemBase& item, bool complete);
    // The game's own item keys, after the common ones; base is the root base item or null.
    virtual void ReadItemKeys(ConfigFileReader& reader, int32_t entry, ItemBase& item, ItemBase* base, bool complete);
    // The code of an equipment type name; the engine knows none (-1).
    virtual int16_t GetEquipmentType(const String& name, bool report);
    // A game function applied to a value for an item: "might" reads the item's might,
    // "MonsterLevel" the level's middle monster level; otherwise the value is unchanged. derived
    // is the item being made from item (null when none); the game's functions compare the two.
    virtual float ApplyGameFunctionToItem(float value, const char* name, const ItemBase* item,
                                          const ItemBase* derived);
    // One key of an item entry as an ability of the type and subtype when present and not 0 (a
    // percentage p with percent: 1 + p * 0.01); a missing key may derive it from base (null: none)
    // through "<key>Func". True when an ability was added.
    bool ReadItemAbility(ConfigFileReader& reader, ItemBase& item, const char* key, int32_t entry, int32_t type,
                         int32_t subtype, bool percent, const ItemBase* base);
    // The 3D object entry that shows an item on the floor (-1 unusable, 0 of another type); its
    // scene, back scene and scale (when asked) go to the outputs.
    int32_t GetItemWorldObject(const String& name, DXC_3dScene** scene, DXC_3dScene** backScene, float* scale);
    // The items' world objects (once per run, warnings), then every world object entry's type
    // and item (errors).
    void CheckItemReferences();
    // The key names an item (with an optional scale "name", x, y, z) put into the object's
    // inventory; found tells whether the key was there.
    void AddItemToObject(ConfigFileReader& reader, const char* key, int32_t entry, WorldElem& object, bool& found);
    // Key readers of the game data: a flag (the number rounded, 1 when not 0), an angle (degrees
    // stored as radians) and an 8-bit or 16-bit integer (the number truncated to that width); a
    // missing key leaves the value.
    static void ReadFlagKey(ConfigFileReader& reader, const char* key, uint8_t& flag, int32_t entry);
    static void ReadAngleKey(ConfigFileReader& reader, const char* key, float& radians, int32_t entry);
    static void ReadByteKey(ConfigFileReader& reader, const char* key, uint8_t& value, int32_t entry);
    static void ReadShortKey(ConfigFileReader& reader, const char* key, int16_t& value, int32_t entry);

    // Animation cycle sets, creature definitions and bone weights (GameCtrlAniCycles.cpp).
    // Opens "cfg\anicycles.cfg" when it must be read (again), with one empty set per entry.
    void LoadAniCycleFile();
    // The entry index of the set named so, read in full on its first request; an unknown name is
    // an error.
    int32_t LoadAniCycleSets(const char* name);
    // The set of an entry, or null outside the table.
    AniCycleSet* GetAniCycleSet(int32_t index);
    int32_t GetNumAniCycleSets() const { return int32_t(m_AniCycleSets.size()); }
    ConfigFileReader& GetAniCycleReader() { return m_AniCycleReader; }
    // The cycles of one key into the set from cycle first on: firstCount first indices (suffix
    // 1, 2, ...; none for a single one), up to secondCount variants each ("_1", "_2", ...; none
    // for the first); variants, when given, makes them attack cycles and receives the variants
    // found per first index. The number of first indices with a cycle.
    int32_t ReadAniCycle(AniCycleSet& set, int32_t first, int32_t entry, const char* key, uint8_t loopDefault,
                         int32_t firstCount, int32_t secondCount, int8_t* variants);
    // The comma-separated floats of the key (at most 1024) replace the list.
    void ReadFloatList(ConfigFileReader& reader, std::vector<float>& list, const char* key, int32_t entry);
    // Opens "cfg\3dCreatures.cfg" when it must be read (again), with empty per-entry tables,
    // then the character classes.
    void LoadCreatureDefinitions();
    // The per-entry tables of the creature definitions that the creature factory fills.
    std::vector<std::shared_ptr<WorldElem>>& GetCreatureEntryObjects() { return m_CreatureEntryObjects; }
    std::vector<uint32_t>& GetCreatureEntryWords() { return m_CreatureEntryWords; }
    // The weights a bone weight table names, set on the creature's bones of that name; the others
    // keep theirs.
    void LoadBoneWeightTable(const char* fileName, CreatureObj& creature);

    // Creature stat blocks (GameCtrlCreatureStats.cpp). The entry's stat block into the
    // creature: complete makes it a full definition whose missing keys take their defaults,
    // else only the keys present change it; monsterLevel lets "levelRel" and the level's monster
    // health apply; skipAppearance leaves out the idle cycles, body variations and idle speed.
    // A bored cycle beyond the creature's cycle set is an error.
    virtual void LoadCreatureStats(CreatureObj& creature, ConfigFileReader& reader, int32_t entry, bool monsterLevel,
                                   bool complete, bool skipAppearance);
    // The game's own creature keys, read in the middle of the stat block; the engine has none.
    virtual void ReadCreatureKeys(ConfigFileReader& reader, int32_t entry, CreatureObj& creature);
    void SetCreatureLevel(CreatureObj& creature, int32_t level);
    // The level's monster health scaling: hit points × factor + addend.
    void SetMonsterHealth(float factor, float add);

    // Difficulty (GameCtrlDifficulty.cpp). One entry of the difficulty file into the process-wide
    // difficulty record: absent keys leave their fields, an unknown function name warns; its
    // "runScript" runs once from the language folder.
    virtual void LoadDifficulty(ConfigFileReader& reader, int32_t entry);
    // The plain factors of the record; the server scales health by the number of players.
    virtual float GetMonsterHealthFactor();
    virtual float GetMonsterDamageFactor();
    // The players' scaling: the game's functions over the number of players (null: none; the
    // experience one is the difficulty's when it names one) and its two balance factors (1.0
    // here), which the game's rules may replace; the server applies them to its players.
    virtual const GameFunction* GetExperienceShareFunction();
    virtual const GameFunction* GetPlayerCountFunction() { return nullptr; }
    virtual float GetBalanceFactor(int32_t index);  // 0 or 1
    // The player-count function at the number of players (1.0 without one) times balance factor 0.
    virtual float PlayerShareFactor();
    virtual float GetSecondBalanceFactor() { return GetBalanceFactor(1); }
    // The share of the players whose character class meets the mask (0: everybody); here the one
    // player's, 1.0 or 0.0. A class of -1 (none) meets no mask.
    virtual double GetCharacterEntryFactor(int32_t mask);
    // Whether a player sees the point, or would within distance beyond the edge of the view.
    virtual bool IsPlayerNear(float x, float y, float distance);

    // World objects (GameCtrlWorldObjects.cpp, GameCtrlCreation.cpp): the keys of a world-object
    // entry applied to an element, and the elements made from the entries. Children are made to
    // a depth of kMaxChildDepth; an inventory grid of an entry holds at most kMaxInventoryCells.
    // A creation that an error ends leaves nothing of its element in the world.
    static constexpr int32_t kMaxChildDepth = 8;
    static constexpr int64_t kMaxInventoryCells = 1024;
    virtual void LoadWorldObjects(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params);
    // An unknown name is "World object '%s' not found"; the new element or null.
    WorldElem* CreateWorldObject(const char* name, uint8_t* result, bool addToWorld, bool withItem,
                                 bool createChildren, bool childFlag, float rotation, const D3DXVECTOR2* pos,
                                 float heightOffset, WorldElem* owner, int32_t levelElement);
    WorldElem* CreateWorldObjectByIndex(int32_t entry, uint8_t* result, bool addToWorld, bool withItem,
                                        bool createChildren, bool childFlag, float rotation, const D3DXVECTOR2* pos,
                                        float heightOffset, WorldElem* owner, int32_t levelElement);
    WorldElem* CreateWorldObjectFromEntry(int32_t entry, WorldObjectCreateParams& params);
    // A new creature of the creature definition named so, which the caller owns: the first one of
    // a definition is built in full and kept as its prototype, every one handed out is a copy.
    CreatureObj* CreateCreatureFromEntry(const char* name, int32_t worldObjEntry);
    // Full builds of creature prototypes since the controller was made.
    int32_t GetCreatureBuildCount() const { return m_CreatureBuilds; }
    // The interface's creation: the placed-object flags, at (x, y), turned and raised.
    WorldElemGridBase* CreateWorldObject(const char* typeName, float x, float y, float angle, float height) override;
    // Save games: an element made from entry index at a level position, and the empty element of
    // the game's class that a save record fills (null for a type without one).
    WorldElemGridBase* CreateWorldObjectByIndex(int32_t index, float x, float y, float angle, float height) override;
    WorldElem* CreateEmptyElement(uint16_t typeCode) override;
    void OnWallAdded(int32_t wallID) override;
    bool IsMultiplayerGame() const override;
    bool GetFollowTarget(D3DXVECTOR2& target) override;
    int32_t IsFastFollow(int32_t arg) override;
    void GetBackDrawFadeThresholds(float& full, float& none) const override;

    // The engine's answers to the world; the network and game classes replace them.
    double GetGameTime() const override { return m_GameTime; }
    bool IsServer() const override;
    bool ProcessActiveBlocksOnly() const override;  // a game of its own steps everything
    bool AllowsInput() override;
    bool IsElementUsable(WorldElem* elem) override;
    int32_t GetMonsterLevel(float fraction) override;  // GameCtrlGameEvents.cpp
    void OnObjectAdded(int32_t objID) override;
    void OnObjectDeleted(int32_t objID, int32_t flag) override;
    void OnWallDeleted(int32_t wallID) override;
    int32_t GetViewMode() const override { return m_ViewMode; }
    void ChangeViewMode(int32_t mode, int32_t a, int32_t b, float c, float d) override;
    CreatureObj* GetMainChar() override;  // the game's input controllers make one
    // Only the reference: making a creature the main character comes with the input controllers.
    void SetMainCharReference(CreatureObj* creature) { m_MainChar = creature; }
    void DeleteLoadedScenes() override;
    // The flicker of light intensity: the controller's flicker curve at t.
    float GetFlicker(float t) override;
    FlickerCurve& GetFlickerCurve() { return m_FlickerCurve; }

    // The world of the running game, for the whole run.
    WorldCtrl& GetWorld() { return m_World; }
    // The world-update step: the world's frame with dt above 0, then its per-frame marks cleared.
    virtual void UpdateWorld(float dt);

    // Items and factories (GameCtrlItems.cpp).
    ItemBase* CreateItem() override;  // the engine's item; the game's rules make their own class
    DamageValues* CreateDamageValues() override;  // the engine's default damage values
    virtual EventObj* CreateEventObj();            // the engine's event object
    // Keys are the game's: the engine knows none and runs nothing.
    void UseKey(WorldElem* item, int32_t userID, int32_t key) override;
    DXC_Texture* GetItemPicture(const char* desc) override;
    // Makes the image texture of item entry index when it has none yet.
    void LoadItemImage(int32_t index);
    // The image texture of the item entry with that "desc"; an unknown one is an error.
    DXC_Texture* GetItemImage(const char* id);
    float GetAbilityWeight(int32_t abilityType) override;
    void OnItemAddedToInventory(Inventory* inventory, InventoryItem* item) override;
    bool IsNetworkGameServer() const override;
    void PlayWorldSound(const char* name) override;
    float ApplyGameFunction(float value, const char* name, WorldElem* element) override;
    float ApplyGameFunctionFor(float value, const char* name, const float* parameter) override;

    // Scripts and world events (GameCtrlScripts.cpp): the engine's answers.
    // The script function library installs its three callbacks here at start-up.
    void SetScriptCallbacks(const ScriptGameCallbacks& callbacks) { m_ScriptCallbacks = callbacks; }
    ScriptGameCallbacks GetScriptCallbacks() override { return m_ScriptCallbacks; }
    bool CanRunScriptLocally(uint8_t runFlags) override;
    void ForwardScript(const char* text) override;
    void ScriptError(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void ShowErrorMessage(const char* text) override;  // into the error window
    bool IsShuttingDown() const override { return m_Deinitialising != 0; }
    void AddGameEvent(const WorldEvent* event) override;
    bool IsReenterEndCode(const WorldEvent& event) override;
    bool HandleWorldEvent(const WorldEvent& event) override;
    bool MayChangeLevel() override;
    void ProcessPickupEvent(const PickupRecord& record, int32_t flag) override;
    void LoadGameSaveData(int32_t count) override;
    // Element events, damage and shots (GameCtrlCombat.cpp): the engine's answers.
    const char* GetSpecialName(int32_t index) override;
    InventoryItem* FindItemType(const char* name) override;
    int32_t DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance, float angle,
                     float spread) override;
    void UseItemSlot(WorldElem* user, int32_t slot, VSD_WallIntern* wall, int32_t flag, int32_t userID) override;
    void SetScriptContext(int32_t otherID, int32_t argument) override;
    int32_t GetScriptContext(int32_t index) const { return m_ScriptContext[index & 1]; }
    void SetCurrentDamage(DamageValues* damage) override;
    void SetCurrentDamageNone() override;
    DamageValues* GetCurrentDamage() const { return m_CurrentDamage.Get(); }
    void OnShot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction) override;
    void SetShotDamagedCount(int32_t count) override { m_ShotResult[0] = count; }
    void SetShotHit(int32_t objID, int32_t kind) override;
    int32_t GetShotResult(int32_t index) const { return m_ShotResult[index]; }  // count, hit ID, kind
    float GetFriendlyFire() const override { return m_Settings.friendlyFire; }
    float GetMonsterShotSpeed() const override { return m_MonsterShotSpeed; }
    bool IsGameRunning() override;  // the network node answers for clients
    int32_t GetNoAreaFade() const override { return m_NoAreaFade; }
    ProjectileBase* CreateProjectile() override;

    // Group scenes (GameCtrlGroupObjects.cpp). At level start every group of items (group number
    // above 0) whose members lie within the view radius of each other is merged into one new item
    // element whose scene holds all their meshes; the members stay in the world without scene.
    static constexpr int32_t kMaxGroupScenes = 16;
    void CreateGroupObjects();
    // Deletes the group scenes; an element still showing one is left without scene.
    void DeleteGroupScenes();
    // A new group scene in the lowest free slot; its index. A full list is an error.
    int32_t AddGroupScene();
    int32_t GetNumGroupScenes() const { return m_GroupScenes.GetSize(); }
    CombinedSceneData* GetGroupScene(int32_t index) { return m_GroupScenes.GetBySlot(index); }
    // Creatures and object use (GameCtrlItems.cpp): the factories of the engine's classes, which
    // the game's rules replace; each returns null when nothing could be made, the caller owns it.
    virtual CreatureObj* CreateCreature();
    virtual ProtectionValues* CreateProtectionValues();
    virtual ActionAttack* CreateActionAttack();
    // The object's use (0, a, b); an item element in use by the AI turns its task 0 into 5 and,
    // unless its task is 10, shows its inventory.
    bool UseObject(WorldElem* object, int32_t a, int32_t b) override;
    // The main character's use of an item, when it lives and input is allowed.
    void UseItemByMainChar(InventoryItem* item, int32_t a);
    // The inventory window of an element; the server shows none.
    virtual int32_t ShowInventory(WorldElem* object, int32_t flag, const char* textA, const char* textB);
    // A player's character received items (their count and the localised name) or gold (the
    // amount and a flag) from a script; the game shows it, the server has nobody to show it to.
    virtual void OnItemReceived(int32_t count, const wString& name);
    virtual void OnGoldReceived(int32_t amount, int32_t flag);
    bool IsInputAllowed() const { return m_ViewMode == 0 || m_ViewMode == 2; }
    // The eight inventory stores of the scripts: a copy of an inventory goes in (none clears the
    // store) and comes out again. An index outside 0..7 is "Invalid inventory storage index".
    static constexpr int32_t kInventoryStores = 8;
    void SetInventoryStorage(Inventory* field, int32_t index);
    void GetInventoryStorage(Inventory& field, int32_t index);
    WorldCtrl* GetGameWorld() override { return &m_World; }
    bool IsDialogActive(WorldElem* creature) override;
    void ReportManaUse(WorldElem* creature, float cost) override;
    void ReportAttack(WorldElem* creature) override;

    // Script services: object variables and the controller's script events
    // (GameCtrlObjVariables.cpp, GameCtrlScriptEvents.cpp), stories (GameCtrlStories.cpp), script
    // variables and script calls (GameCtrlScriptCalls.cpp), game functions, game events, typed
    // commands, fonts and screenshots (GameCtrlGameEvents.cpp).
    // The 256 object variables, 0 at construction; an index outside them is warned about, writes
    // nothing and reads 0. An event saves them, writes its objects, runs and restores them.
    static constexpr int32_t kObjScriptVariables = 256;
    int32_t SetObjScriptVariable(int32_t index, int32_t value) override;
    int32_t GetObjScriptVariable(int32_t index) const override;
    void SaveObjScriptVariables();     // a second save before the restore is an error
    void RestoreObjScriptVariables();  // a restore without a save is an error
    int32_t GetObjScriptVariablesSaveCount() const { return m_SaveObjScriptVariablesCount; }
    // The 256 object texts ("sTmp"); null outside them.
    String* GetObjScriptText(int32_t index);
    // The level's "onEnter" script, run for the element that entered.
    virtual void RunLevelEnterScript(WorldElem* element);
    void SetLevelEnterScript(const String& text) { m_LevelEnterScript = text; }
    // The element the network server's level load keeps, handed to the enter script.
    void SetLevelLoadElement(WorldElem* element) { m_LevelElement = element; }
    void OnHeroLevelUp(int32_t level) override;
    // Runs the item's "onTransfer" and the owners' "OnInventoryTransfer" scripts of a transfer
    // of count units from one inventory to another; element is the item's world element or null.
    void TransferInventoryItem(ItemBase* item, Inventory* from, Inventory* to, int32_t count, WorldElem* element);
    // A creature's use of a target with an argument: true when the creature holds an item for
    // it, else the target's use script runs (false).
    virtual bool UseElement(CreatureObj* creature, int32_t argument, WorldElem* target, int32_t a, int32_t b);
    // A script run for a player: here only for the main character; the server sends it.
    virtual void RunScriptForPlayer(int32_t playerID, const char* label, const char* text, int32_t flag);
    void ScriptWarning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    virtual void AddDebugMessage(const wString& text);
    void ShowMessage(float duration, const char* format, ...) override __attribute__((format(printf, 3, 4)));
    // Whether the running script runs on the game's behalf (bit 0 of the flags it passes on).
    static bool IsScriptRunFlagSet();

    // Stories of "cfg\stories.cfg", read at the start of every new game.
    virtual void LoadStories();
    SearchTree<StoryVariable>& GetStories() { return m_Stories; }
    // 1 when set; 0 with a script error for an unknown story or an undefined value.
    int32_t SetStory(const char* name, int32_t value);
    int32_t GetStory(const char* name);  // -1 with a script error for an unknown story
    bool IsAutoSaveRequested() const { return m_AutoSaveRequest != 0; }
    // The frame step saved: the request is done and the time of the save kept.
    void OnAutoSaveDone();

    // Script variables: the game scope lives for the whole game, the level scope for a level.
    VariableStack& GetGameVariables() { return m_GameVariables; }
    ScriptStackVariable* AddGameVariable(const char* name, int32_t type, int32_t dimension);
    ScriptStackVariable* AddLevelVariable(const char* name, int32_t type, int32_t dimension);
    // The level's variable before the game's; an index of 0 or more gives that element, one not
    // below the dimension a script error and null.
    ScriptValue* FindScriptVariable(const char* name, int32_t index);
    // Into the error list, with the sound "GuiError".
    virtual void ShowError(const char* message);
    DynaMem<String, 16>& GetErrorList() { return m_ErrorList; }
    // Runs a script text through the world for an object (null: none) as the current object, and
    // gives the script's result; RunScript without an object, leaving the current object.
    ScriptValue& CallScript(ScriptValue& result, const String& text, int32_t context, const char* label,
                            int32_t currentObj, WorldElem* object, int32_t mode);
    ScriptValue& RunScript(ScriptValue& result, const String& text, const char* label, int32_t context,
                           int32_t currentObj);
    int32_t GetCurrentObjID() const { return m_CurrentObjID; }
    // Script functions and variables that the network node and the game answer: none here
    // (type 255, so that the next layer is asked).
    virtual void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                                       int32_t fromNetwork);
    virtual void GetScriptVariable(ScriptValue& result, const char* name, int32_t index);
    // Script built-ins (GameCtrlScriptCalls.cpp): the tables that scripts share, the last
    // dialogue answer, the forwarding of calls to the clients and the hooks the built-ins reach.
    static constexpr int32_t kScriptTempSlots = 256;
    int32_t* GetScriptTempInt(int32_t index);  // "iTmp"; null outside 0..255
    float* GetScriptTempFloat(int32_t index);  // "fTmp"; null outside 0..255
    int32_t GetDialogAnswer() const { return m_DialogAnswer; }
    void SetDialogAnswer(int32_t answer) { m_DialogAnswer = answer; }
    // A variable write that a controller class takes itself; none here.
    virtual bool SetScriptVariable(const char* name, int32_t index, const ScriptValue& value);
    // A built-in's call handed to the clients: name, the first count arguments, the subject
    // element (null: none), whether the server tests the subject against its clients, and the
    // flag the message carries. The game server sends it; here nothing happens.
    virtual void RunScriptFunctionAtClients(const char* name, const ScriptValue* arguments, int32_t count,
                                            WorldElem* subject, int32_t checkSubject, int32_t flag);
    // Starts a script's AI action on the creature (add: below its present ones, else in their
    // place) and runs one AI step: the creature's AI takes it over.
    virtual void StartScriptAIAction(CreatureObj& creature, const KI_ScriptActionParams& params, WorldElem* target,
                                     bool add);
    // The mob of that number, null when the mob table has none: the input controllers keep them.
    virtual MobData* GetMob(int32_t mobNumber);
    // 1 when the picking ray meets the floor at any distance (the script's question).
    virtual int32_t RayTestAtMouse();

    // Input controllers and the main character (GameCtrlInputs.cpp). The list owns its
    // controllers; a number is a slot and stays valid while others go. Kind 1 is the local
    // player's input, which the main character is attached to; kind 3 is the AI's.
    static constexpr int32_t kInputLocal = 1;
    static constexpr int32_t kInputAI = 3;
    // Takes ownership; the controller's mode becomes the kind. Its number.
    int32_t AddInputCtrl(InputCtrl* input, int32_t kind);
    // An unknown number is the error "Invalid input selected: %i".
    InputCtrl* GetInputCtrl(int32_t number);
    bool HasInputCtrl(int32_t number);
    void DeleteInputCtrl(int32_t number);  // "Tried to delete invalid input: %i"
    void DeleteInputCtrls();
    int32_t GetNumInputCtrls() { return m_InputCtrls.GetSize(); }
    int32_t FindInputCtrlIndex(int32_t mode);  // -1 when no controller has the mode
    void DisableInputCtrls(int32_t mode);
    void EnableInputCtrls(int32_t mode);
    void ResetInputCtrls();
    // Each controller's per-frame step in the order of the list.
    void UpdateInputCtrls(float dt);
    int32_t GetLocalInputIndex() const { return m_LocalInputIndex; }
    int32_t GetSecondInputIndex() const { return m_SecondInputIndex; }
    virtual int32_t GetInputIndexFor(CreatureObj* creature);
    // Brings the creature back to life and gives it to input number; attached to the local
    // input it becomes the main character. One that has a controller already stays with it.
    virtual void AttachCreatureToInput(CreatureObj* creature, int32_t number);
    // The element of that index of the local input controller, or null.
    WorldElem* GetLocalInputObject(int32_t number);
    // The local input drives only the creature (none: nobody), which becomes the main character.
    virtual void SetMainCharacter(CreatureObj* creature);
    // The world object type of the light that follows the main character (empty: none).
    void RenewMainCharLight();
    void AddToInputCtrl(WorldElem* elem) override;
    void SetMainChar(WorldElem* elem) override;
    // The name of an animation number for messages ("bored %i", "walk", "attack %i (alt:%i)" ...).
    static String GetAnimationName(int32_t number);

    // Level lookups (GameCtrlLevelLookups.cpp).
    // Starting position number (counted from 0 over the level's starting positions) or, byID, the
    // one of that worldID; the first when none matches (a missing ID warns). A level without any
    // is the error "Starting pos nr. %i does not exist in level %s".
    EventObj* GetStartingPos(int32_t number, const char* worldID, bool byID);
    // base + a random value in -range .. range.
    float RandomSpread(float base, float range);
    // Picking: the ray from the camera through the mouse on the screen (GameCtrlPicking.cpp).
    // Every query is false without a main character, with the GUI under the mouse or outside view
    // mode 0; the server has no mouse and no view, so there it finds nothing.
    // Where the picking ray meets the floor, within range of the camera.
    virtual bool RayTestAtMouse(D3DXVECTOR3& point, float range);
    // Where the picking ray meets the level plane at the main character's height plus the offset;
    // false for a ray nearly parallel to it or one that points away.
    bool GetMouseFloorPoint(D3DXVECTOR2& point, float heightOffset);
    // The element under the mouse within range, unless the floor is nearer (target null then).
    virtual bool PickAtMouse(WorldElem*& target, float range);
    // The nearest of an element (target) and the floor along a ray of unit direction, within range:
    // true with the point hit.
    virtual bool RayTestElements(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                                 WorldElem*& target, D3DXVECTOR3& hit);
    // The nearest element whose sphere (its radius, standing on its position) the ray enters within
    // range, with the distance to it; the main character is never picked.
    virtual WorldElem* FindElementOnRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                                        float& distance);
    // The picking ray: the camera position and the unit direction through the mouse.
    bool GetMouseRay(D3DXVECTOR3& origin, D3DXVECTOR3& direction);
    // Whether picking may run now: a main character, the GUI not under the mouse, view mode 0.
    bool CanPickAtMouse();

    // Items and objects in the level (GameCtrlLevelItems.cpp, GameCtrlWallObjects.cpp).
    // Releases the item templates, their pictures and the item reader's data.
    void FreeItemTypeTable();
    // A new item copied from the template of that name ("Invalid item name: '%s'" and null when
    // there is none); init lets the controller enchant or boost it.
    ItemBase* ItemFromName(const char* name, bool init);
    // The item enchanted (mode 2), boosted (mode 1) or by chance (mode -1).
    virtual void InitNewItem(ItemBase* item, int32_t mode, float value);
    virtual void EnchantItem(ItemBase* item, float value);
    void SetNewItemChances(float enchant, float boost);
    float GetNewItemEnchantChance() const { return m_NewItemChances[0]; }
    float GetNewItemBoostChance() const { return m_NewItemChances[1]; }
    // Takes the item out of its inventory and lays it into the world next to the dropper (null:
    // the main character); the new element's object ID, or -1.
    int32_t DropItem(ItemBase* item, float unused, WorldElem* dropper);
    // The item element of a dropped item at distance and angle from the dropper; null when the item
    // names no element that can lie in the world.
    WorldElem* NewDroppedItemElement(ItemBase& item, WorldElem& dropper);
    void LayDroppedItem(WorldElem& elem, ItemBase& item, WorldElem& dropper, float distance, float angle);
    // The element's item into the creature's inventory; "CanNotPickUp" when it has no room.
    virtual bool PickUpItem(WorldElem* element, CreatureObj* creature);
    // Moves count units (-2: the stack) between two inventories; true when done or nothing to
    // do. Units the target cannot take go back to the source, or next to its owner.
    bool MoveItem(ItemBase* item, Inventory* source, Inventory* target, int32_t count, bool exchange, bool report);
    // The kept "DoNotSave=1" elements, out of the world until a save game brings them back.
    void KeepDoNotSaveObject(WorldElem* elem);
    int32_t GetNumKeptObjects() { return m_DoNotSaveObjects.GetSize(); }
    WorldElem* RestoreDoNotSaveObject(const char* worldID);
    WorldElem* FindKeptObject(const char* worldID) override;
    // The elements of the level's object walls and the door dummies; a wall of kind 4 gives way.
    void AddWallObjects();
    // The game rules' "BoostScript" run on the item's main ability.
    void BoostItem(ItemBase* item);
    // What the boost script reads: the item and its main ability's type and value.
    struct BoostValues {
        ItemBase* item = nullptr;
        int32_t abilityType = 0;
        float value = 0.0f;
    };
    const BoostValues& GetBoostValues() const { return m_BoostValues; }
    // Debug script 0 to 8 of "cfg/debugScripts.cfg"; others do nothing.
    void RunDebugScript(int32_t number);

    // The game-flow side of the script built-ins (GameCtrlScriptFlow.cpp): what the network and
    // the game's rules answer above the engine, with the engine's answers, and the values scripts
    // set. A game of its own runs no network game and has no clients to run a script at.
    virtual bool IsNetworkGame();
    // The game-mode flag of a game that runs networked, which the network node sets each frame.
    void SetNetworkedGame(bool on) { m_NetworkedGame = on ? 1 : 0; }
    bool IsNetworkedGame() const { return m_NetworkedGame != 0; }
    virtual void RunScriptAtClient(int32_t client, const char* text);
    // Starts the game again; the engine has no game of its own to restart, the game's rules do.
    virtual void RestartGame(int32_t flag);
    // The frame pacing scripts ask for, handed to the state manager as its two limits (which
    // refuses rates of 0 or below).
    void SetScriptFrameRates(float minimum, float maximum);
    float GetScriptMinFPS() const { return m_ScriptFPS[0]; }
    float GetScriptMaxFPS() const { return m_ScriptFPS[1]; }
    void SetShowFPS(uint8_t flag) { m_ShowFPS = flag; }
    uint8_t GetShowFPS() const { return m_ShowFPS; }
    void SetInteractiveScenePos(float x, float y) { m_InteractiveScenePos = D3DXVECTOR2(x, y); }
    const D3DXVECTOR2& GetInteractiveScenePos() const { return m_InteractiveScenePos; }
    // The monster level pair of the level's range; whether the hero's level adds stays.
    void SetMonsterLevelPair(int32_t minimum, int32_t maximum);
    int32_t GetMonsterLevelMin() const { return m_MonsterLevelMin; }
    int32_t GetMonsterLevelMax() const { return m_MonsterLevelMax; }
    // Player input of type 0 (the players' input) and 1 (the AI's) switched off and on by scripts.
    static constexpr int32_t kScriptInputTypes = 2;
    void SetInputTypeEnabled(int32_t type, bool enabled);
    bool IsInputTypeEnabled(int32_t type) const;
    // The language folder's name without its closing backslash ("english").
    String GetLanguageName();

    // Game functions and the level's monster levels.
    void SetMonsterLevelRange(int32_t minimum, int32_t maximum, uint8_t addHeroLevel);
    static const char* DifficultyName(int32_t difficulty);
    // A game event of type 11 for a damage from source to target; the game's rules post their own.
    void AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t a, int32_t b,
                        const D3DXVECTOR2& direction) override;
    // A typed command: "@" runs the rest on the game's behalf; it joins the history.
    void RunCommand(const char* text);
    int32_t GetConsoleHistoryCursor() const { return m_ConsoleHistoryCursor; }
    // Raised and lowered by the script functions that only debugging may use.
    void RaiseDebugUse() { m_BuiltinCallCount++; }
    void LowerDebugUse() { m_BuiltinCallCount--; }
    int32_t GetDebugUseCount() const { return m_BuiltinCallCount; }
    // A screenshot of the game window (GameCtrlScreenshots.cpp): the given name, or without one a
    // numbered name in "screenshots"; the picture is written only where a graphics device exists.
    // The name is the one asked for (the number is the graphics object's).
    String SaveScreenshot(const char* name);

    // Experience, item lists and treasure lists (GameCtrlExperience.cpp, GameCtrlItemLists.cpp,
    // GameCtrlTreasure.cpp).
    // The experience table of "cfg\experience.cfg" (element k: what level k + 1 needs), or the
    // 30-level default without the file; and the "deltaLevelXPFactor" curve.
    void LoadExperience();
    DynaMem<float, 0>& GetExperienceTable() { return m_ExperienceTable; }
    BezierSpline<float>& GetDeltaLevelXPFactorCurve() { return m_DeltaLevelXPFactor; }
    // The item lists of a level's item list file, one per entry; a fault ends the load with no
    // lists.
    void LoadItemLists(const char* fileName);
    // Frees the lists: a level without "TreasureList" has none.
    void FreeItemLists();
    int32_t GetNumItemLists() const { return m_NumItemLists; }
    ItemList* GetItemList(int32_t index);
    // The treasure lists of a treasure file with the file-wide might curves; a fault ends the
    // load with no lists.
    void LoadTreasureLists(const char* fileName);
    SearchTree<TreasureList>& GetTreasureLists() { return m_TreasureLists; }
    BezierSpline<float>& GetMightProbFunct() { return m_MightProbFunct; }
    BezierSpline<float>& GetMonsterLevelMightFunct() { return m_MonsterLevelMightFunct; }
    // The treasure class number of a name ("weapon" and the like), negative for a name that is
    // no class: the engine knows none, the game's rules do.
    virtual int32_t GetTreasureClass(const String& name);
    // A probability after an item name: a number or a constant name; false when none follows.
    static bool ReadProbabilityToken(TextDataFileReader& reader, float& value);

    // Progression, level settings and start-up (GameCtrlProgression.cpp, GameCtrlLevelSettings.cpp,
    // GameCtrlInit.cpp).
    // The level an amount of experience reaches; the table's count is the highest level.
    int32_t GetLevelForExperience(float experience) override;
    // What a level needs: 0 below level 1, 1e22 (out of reach) from the highest level on.
    float GetExperienceForLevel(int32_t level) override;
    // The experience factor for a level difference b - a; 1.0 without an enabled curve.
    float GetDeltaLevelXPFactor(int32_t a, int32_t b) override;
    void SetDeltaLevelXPFactorEnabled(bool enabled) { m_DeltaLevelXPFactorEnabled = enabled ? 1 : 0; }
    float GetMonsterLevelMight(float level);
    // The friendly-fire factor between two parties; 0.0 unless both are player parties (1 and up).
    float GetFriendlyFire(int32_t a, int32_t b) const;
    float GetFriendlyFireBetween(WorldElem* c1, WorldElem* c2) const override;
    // Records the lowest and highest difficulty used, then (unless nothing changed) reads the
    // difficulty's entry of "cfg\difficulty.cfg".
    virtual void SetDifficulty(int32_t difficulty, uint8_t onlyIfChanged, uint8_t setName);
    int32_t GetDifficulty() const { return m_Difficulty; }
    int32_t GetLowestDifficulty() const { return m_LowestDifficulty; }
    int32_t GetHighestDifficulty() const { return m_HighestDifficulty; }
    const String& GetDifficultyName() const { return m_DifficultyName; }
    ConfigFileReader& GetDifficultyReader() { return m_DifficultyReader; }
    // The engine's keys of a level description entry; a fog of war mode outside 0..3 is an error.
    virtual void LoadLevelSettings(ConfigFileReader& reader, int32_t entry);
    const LevelSettings& GetLevelSettings() const { return m_LevelSettings; }
    // "Engine init" and "Game init" of the start-up.
    virtual void EngineInit(uint8_t flag);
    virtual void Init();
    float GetFieldOfView() const;
    float GetHorizontalFieldOfView() const;
    int32_t ReadScreenSize();
    // Nothing in dedicated mode; the same name again changes nothing while its picture is loaded.
    void LoadLoadingScreen(const char* name);
    // The loading screen: top, main and bottom pictures stacked by their heights over the whole
    // width when all three are there and asked for, the main picture alone over the whole screen,
    // or a clear without one; the progress bar picture fitted into 0.96 of its band.
    virtual void DrawLoadingScreen();
    // Where the loading screen's pictures go on a screen of that size: rectangles (left, top,
    // right, bottom) of the top, main and bottom pictures and the progress bar; an empty
    // rectangle for a picture not drawn. Picture sizes are (width, height); 0 for one missing.
    struct LoadingScreenLayout {
        int32_t top[4] = {}, main[4] = {}, bottom[4] = {}, bar[4] = {};
    };
    static LoadingScreenLayout LayoutLoadingScreen(int32_t width, int32_t height, const float topSize[2],
                                                   const float mainSize[2], const float bottomSize[2],
                                                   const float barSize[2], bool threePart);
    DXC_Texture& GetLoadingScreenPicture(int32_t part);  // 0 top, 1 main, 2 bottom, 3 progress bar
    void SetLoadingScreenThreePart(bool flag) { m_LoadingScreenThreePart = flag; }
    uint8_t IsBumpMappingEnabled() const { return m_BumpMapping; }
    float GetBumpStrength() const { return m_BumpStrength; }
    int32_t GetTextureStageLimit() const { return m_TextureStageLimit; }
    int32_t GetScreenshotCountdown() const { return m_ScreenshotCountdown; }
    const String& GetLoadingScreenFile() const { return m_LoadingScreenFile; }
    // After the graphics surfaces were lost; the game lays its windows out again.
    virtual void RecreateSurfaces();
    // Places the windows on a screen of a new size: the engine's puts the error window back and
    // keeps the controller's open windows on the screen; the game places its own first.
    virtual void LayoutGui();
    // A screenshot of the game window into the file after that many more drawn frames.
    void RequestScreenshot(const char* fileName, int32_t frames);
    // Once per drawn frame, after presenting it: at 0 the picture is written; the countdown ends
    // at -1.
    void TakePendingScreenshot();
    // The drawn frame of the main loop: drawn and presented where a device exists, then the
    // pending screenshot.
    void DrawFrame();
    // Once per drawn frame: presents it unless frames are held or the window is hidden (each
    // such frame lowers the hold counter). False when presenting failed and the surfaces were
    // made again.
    bool PresentFrame();
    uint32_t GetDrawnFrames() const { return m_DrawnFrames; }
    int32_t GetRenderFlag() const { return m_RenderFlag; }
    int32_t GetNotedTextureMemory() const { return m_TextureMemory; }
    float GetCameraStartPitch() const { return m_CameraPitch[0]; }
    float GetCameraStartDistance() const { return m_CameraDistance[0]; }

    // Save-game folders and pending requests (GameCtrlSaveFolders.cpp). Folders lie under the
    // savegame base directory ("save\" or "saveMP\"): type -3 the base itself, -2 and -1
    // "current\" (the running game's levels), 0 "quick\", 1 to 99 "save%2i\"; any other type is
    // the error "Invalid savegame type: %i".
    String GetSavegamePath(int32_t type);
    void SetSavegameBaseDir(const char* dir) { m_SavegameBaseDir = dir; }
    const String& GetSavegameBaseDir() const { return m_SavegameBaseDir; }
    void SetSaveMode(int32_t mode) { m_SaveMode = mode; }  // 1: saves are not kept on disk
    int32_t GetSaveMode() const { return m_SaveMode; }
    // Every "*.ld" of the type's folder; the first file that cannot go is logged and ends the pass.
    void DeleteSavedLevels(int32_t type);
    // The working folder with everything in it (not in save mode 1).
    void DeleteWorkingSaveFolder();
    // A file-name-safe text for a typed name: digits, ASCII letters, ' ', '_' and '-' stay; any
    // other unit becomes two characters for its bits 0-4 and 5-9 ('a'+n below 26, else '0'+n-26).
    static String MakeFileName(const char16_t* text, int32_t length);
    // Asks for an auto-save at least 60 s of game time after the last one (forced, or with the
    // "AutoSave" option); nothing in save mode 1.
    void RequestAutoSave(uint8_t force);
    void HoldFrames(int32_t frames);
    int32_t GetHoldCounter() const { return m_HoldCounter; }
    void ReleaseHeldFrame();  // once per drawn frame
    virtual bool CanSaveNow();
    // The world's visibility map, computed once in its visibility mode 3 ("Visibility map
    // calculated"); the game state runs it on every pass without a level event.
    void UpdateVisibilityMap();
    // Each frame: the due auto-save, then the world's due events; their code decides (3 and 5 end
    // the game with reason 1 and 2; 4 and unknown codes change nothing). The code is returned.
    virtual int32_t ProcessPendingRequests();
    bool IsEndOfGameRequested() const { return m_EndOfGameRequest != 0; }
    // Reason 1 ends the game, 2 asks for a further change of the game state; the frame is held.
    void RequestEndOfGame(int32_t reason);
    // The game state took the request in (the reason stays).
    void ClearEndOfGameRequest() { m_EndOfGameRequest = 0; }
    int32_t GetEndReason() const { return m_EndReason; }
    // The current level's description file; its base name names the level's ".ld" save file.
    void SetLevelDescFile(const char* name) { m_LevelDescFile = name; }
    const String& GetLevelDescFile() const { return m_LevelDescFile; }
    // The ".ld" file of the current level in the type's folder: version 275, the level variables,
    // the world's level state. Written beside the old file and renamed over it, so a failed save
    // keeps the old one; false (with a warning) when it could not be written.
    bool SaveLevel(int32_t type);
    // The binary level file into the world (GameCtrlLevelLoad.cpp): the GUI mode left, the level
    // state reset, then the world's load; "VSD file '%s' loaded" and the name kept. With
    // addObjects (a fresh level) the level's walls and placed objects are made too; without, the
    // level's stored state brings them back.
    virtual void LoadVsdFile(const char* fileName, bool addObjects = true);
    const String& GetVsdFile() const { return m_VsdFile; }

    // Level change and game flow (GameCtrlLevelChange.cpp, GameCtrlLevelObjects.cpp,
    // GameCtrlGameFlow.cpp, GameCtrlLevelHero.cpp).
    // Loads a level description and starts its level, fresh or from its stored state in saveDir
    // ("<level>.ld"); the main character afterwards (none on a server, which has no local input).
    virtual CreatureObj* ChangeLevel(const char* levelFile, const String& saveDir, const LevelChangeOptions& options);
    // The level a world event asked for, left from the running level.
    virtual void EnterRequestedLevel(const char* levelFile, int32_t startPosition, int32_t networkWord);
    // The level's placed objects: every one that has a type (synchronise false), or only the
    // "DoNotSave" objects with a world ID that are missing after a save game was loaded.
    void LoadLevelObjects(bool synchronise);
    // The start-up step of the level's creatures: one that no controller drives yet is handed to
    // its input (the AI's for all but the main character), so that it acts from the first frame.
    void StartLevelCreatures();
    bool AreLevelObjectsReady() const { return m_LevelObjectsReady != 0; }
    const LevelDescription& GetLevelDescription() const { return m_LevelDesc; }
    DXC_3dScene* GetEnvironmentScene() const { return m_EnvirScene.get(); }
    ConfigFileReader& GetLevelReader() { return m_LevelReader; }
    // The entry of a level description that a difficulty reads: difficulty - 1 clamped to the
    // entries; -1 for a file without entries.
    static int32_t GetLevelEntryForDifficulty(int32_t entries, int32_t difficulty);
    // Starts a new game on the level (null or empty: the start level); the main character.
    virtual CreatureObj* StartNewGame(const char* levelName);
    const String& GetStartLevel() const { return m_Settings.level; }
    void SetStartLevel(const char* level) { m_Settings.level = level; }
    // Deletes the current level's stored state in the working folder and loads the game again.
    virtual void ResetLevel(int32_t argument);
    // "save" (or "saveMP") and the named folder in it, under the game folder.
    void CreateSaveFolder(const char* name, uint8_t multiplayer);
    // Makes the type's folder and, for a type other than -1, mirrors the working folder's level
    // states into it.
    void SyncSavegameDir(int32_t type);
    // The game folder; empty: the current folder.
    void SetGameFolder(const wString& folder) { m_GameFolder = folder; }
    const wString& GetGameFolder() const { return m_GameFolder; }
    // Appends the text to "logfile.txt" in the savegame base folder.
    void AppendGameLog(const char* text);
    // Debug mode: the 3D object files whose size changed on disk are loaded again.
    void ReloadChanged3dObjs();
    // Unloads every 3D object entry that no element of the level uses.
    void FreeUnused3dObjs();
    // Game events of one byte for the scripts: type 17 (and a held frame) or type 18.
    void PostByteEventAndHold(uint8_t value);
    void AddByteEvent(uint8_t value);

    // Combat (GameCtrlCombat.cpp, GameCtrlSpells.cpp): what item, event and attack scripts
    // read of a use or a hit, the blood interval, the level's monster damage scaling, and spells.
    void SetActivator(int32_t objID, int32_t allow) override;
    int32_t GetActivatorID() const { return m_ActivatorID; }
    int32_t GetAllowFlag() const override { return m_AllowFlag; }
    void SetAllowFlag(int32_t allow) { m_AllowFlag = allow; }
    void SetHitCount(int32_t count) override { m_HitCount = count; }
    int32_t GetHitCount() const { return m_HitCount; }
    void SetCurrentActionName(const String& name) override { m_CurrentActionName = name; }
    const String& GetCurrentActionName() const { return m_CurrentActionName; }
    float GetBloodInterval() const override { return m_BloodInterval; }
    void SetBloodInterval(float seconds) { m_BloodInterval = seconds; }
    void GetMonsterDamageScaling(float& factor, float& offset) override;
    // The spell's effect by its "type" (summon, firewall, GroupHeal, StealLife, invisible,
    // visible, influence) from the caster, towards the target point when one is given; true when
    // an effect ran. Any other type, or a caster of the wrong kind, does nothing.
    void ExecuteSpell(WorldElem* caster, ActionSpell* spell) override;
    bool ExecuteSpell(WorldElem* caster, ActionSpell* spell, const D3DXVECTOR2* target);

    // Camera (GameCtrlCamera.cpp, GameCtrlCameraPath.cpp): an orbit around a target point by yaw,
    // pitch (from the vertical), distance, roll and a height of the look-at point above the
    // target point. It follows its targets smoothly, keeps its line of sight above the floor or
    // plays a camera path of timed keys; each update hands eye, look-at point and up vector to
    // the world. The server computes it and draws nothing.
    // A negative height takes the camera height option.
    void SetCamera(float x, float y, float z, float distance, float pitch, float yaw, float height, float roll);
    void SetCameraTarget(float x, float y, float z, float distance, float pitch, float yaw);
    float GetMaxPitch();
    void SnapCameraToTarget();  // not while a camera path plays
    virtual void UpdateCamera(float dt);
    virtual void UpdateCameraSmooth(float dt);
    virtual void PlayCameraPath();
    void AddCameraPathKey(float delay, float x, float y, float z, float yaw, float pitch, float distance, float roll);
    void ResetCameraPath(int32_t mode);
    virtual void CameraFollowMainChar();
    // The camera height option, 0 until the game sets one; enabled, the smoothing step uses it.
    void SetCameraHeightOption(float height, bool enabled);
    void SetCameraFloorCheck(bool enabled) { m_CameraFloorCheck = enabled ? 1 : 0; }
    // Seconds the smoothing takes for a whole way; 0 jumps to the targets.
    void SetCameraSmoothTime(float seconds) { m_CameraSmoothTime = seconds; }
    // The path mode Reset restores.
    void SetDefaultCameraPathMode(int32_t mode) { m_DefaultCameraPathMode = mode; }
    void SetCameraReference(WorldElem* element) { m_CameraReference = element; }
    bool IsCameraPathPlaying() const { return m_CameraPathMode != 0 && m_CameraPath.GetNumKeys() > 0; }
    // Whether a reference element is set or the path mode is 0.
    bool IsCameraReferenceOrFree() const { return m_CameraReference.Get() != nullptr || m_CameraPathMode == 0; }
    int32_t GetCameraPathMode() const { return m_CameraPathMode; }
    float GetCameraHeight() const { return m_CameraHeight; }
    // The target point's x and y with the camera height.
    D3DXVECTOR3 GetCameraTargetAndHeight() const;
    const D3DXVECTOR3& GetCameraTargetPoint() const { return m_CameraTargetPoint; }
    float GetCameraYaw() const { return m_CameraYaw[0]; }
    float GetCameraYawTarget() const { return m_CameraYaw[1]; }
    float GetCameraPitch() const { return m_CameraPitch[0]; }
    float GetCameraPitchTarget() const { return m_CameraPitch[1]; }
    float GetCameraDistance() const { return m_CameraDistance[0]; }
    float GetCameraDistanceTarget() const { return m_CameraDistance[1]; }
    float GetCameraRoll() const { return m_CameraRoll; }
    const D3DXVECTOR3& GetCameraEye() const { return m_CameraEye; }
    const D3DXVECTOR3& GetCameraLookAt() const { return m_CameraLookAt; }
    const D3DXVECTOR3& GetCameraUpVector() const { return m_CameraUp; }
    uint8_t IsCameraChanged() const { return m_CameraChanged; }
    void ClearCameraChanged() { m_CameraChanged = 0; }
    CameraPath& GetCameraPath() { return m_CameraPath; }

    // View modes (GameCtrlViewMode.cpp): 0 play, 1 the second play view, 2 an interactive scene
    // from a scene file ("3sc" or "rtx" in the search paths) that takes the player's input while
    // it runs. The current mode again does nothing, except 2.
    virtual void SetViewMode(int32_t mode, const char* sceneName);
    uint8_t IsViewChanged() const { return m_ViewChanged; }
    void ClearViewChanged() { m_ViewChanged = 0; }

    // Debug pages (GameCtrlDebugPages.cpp): text windows refilled while they are shown; the
    // server shows none. Text viewer 0 is the free debug text, 1 the system page (the profiling
    // display), 2 the script variables, 3 the creature page.
    static constexpr int32_t kDebugTextViewer = 0;
    static constexpr int32_t kScriptVariablesViewer = 2;
    static constexpr int32_t kCreatureViewer = 3;
    static constexpr int32_t kMaxDebugText = 8191;  // characters of one free debug line
    // At most every 0.2 seconds.
    void DumpSystemInfo();
    void DumpScriptVariables();
    // The creature given, else the main character; nothing without either.
    void DumpCreatureInfo(CreatureObj* creature = nullptr);
    // Entries of the sound table whose sound is loaded.
    int32_t CountLoadedSounds();
    void AddDebugText(const char* text);
    // The program's version text on the system page.
    static const char* GetVersionText();
    // The name of an action or movement task of a creature; "unknown" for a number without one.
    static const char* GetAITaskName(int32_t task);
    // The intention name of the creature page; "Unknown: %i" for a code without one.
    static String GetIntentionName(int32_t code);
    // The strategy entry type name of the creature page (0 "Action" .. 23 "Undefined").
    static const char* GetStratEntryTypeName(int32_t type);

    // GUI (GameCtrlGui.cpp). The error window's close handler drops the oldest error.
    void DropFirstError();
    // Takes the title (length characters, may be null) and opens the select menu for the running script.
    void OpenSelectMenu(const char16_t* title, int32_t length);
    SelectMenu& GetSelectMenu() { return m_SelectMenu; }
    int32_t GetSelectMenuScriptID() const { return m_SelectMenuScriptID; }
    uint8_t IsGuiBusy() const { return m_GuiBusy; }
    // The time of the last mouse-over-GUI test of the GUI update (one for the program).
    static float GetLastGuiTestTime();
    // Whether the last GUI update found the game paused (one for the program; never on a server,
    // which has no GUI update).
    static bool GuiSawPause();
    // What the script built-ins that change the world ask of the controller. The creation bracket
    // encloses an element a script makes (the network server learns what was made inside it);
    // the synchronisation wait lets the network step run until nothing is pending, and a game of
    // its own has nothing to wait for; the uncover-map operation reveals the map in the players'
    // map windows, of which this program has none.
    virtual void BeginScriptCreation();
    virtual void EndScriptCreation();
    int32_t GetScriptCreationDepth() const { return m_ScriptCreationDepth; }
    virtual void WaitForSync();
    virtual void UncoverMap();
    // The level's light as scripts set it: the diffuse colour with its unit direction, and the
    // ambient colour; the level viewer takes both colours.
    void SetLevelLight(const float diffuse[3], const float direction[3], const float ambient[3]);
    // The script that runs when the hero dies ("SetOnHeroDie").
    void SetHeroDeathScript(const String& text) { m_HeroDeathScript = text; }
    const String& GetHeroDeathScript() const { return m_HeroDeathScript; }

protected:
    // The windows the controller draws itself (not through the GUI tree) take the GUI manager, so
    // they can be placed on its screen.
    void AttachOwnWindows(DXC_GuiManager* guiManager);
    std::vector<DXC_GuiField*> GetOwnWindows();
    // Shows a text in the world's message display for a time; nothing without a world.
    void ShowWorldMessage(const wString& text, float seconds);

    // Loads the listed files into the reader ("desc" indexes the entries); a failure is an error.
    void LoadDescReader(ConfigFileReader& reader, const FileList& files);

    // An error that is logged and marks the controller but does not end the operation: for faults
    // of the configuration that must not stop a server from starting.
    void ReportError(const char* format, ...) __attribute__((format(printf, 2, 3)));

    FlickerCurve m_FlickerCurve;
    int32_t m_DebugMode = 0;
    int16_t m_FloorSize = 50;
    FileList m_ObjectCfgFiles;
    FileList m_WallCfgFiles;
    ConfigFileReader m_WorldObjectReader;
    ConfigFileReader m_WallReader;
    int32_t m_ConsoleUsed = 0;

    ConstantTable m_Constants;
    TextDataFileReader m_ConstantsReader;
    ConfigFileReader m_DebugScriptReader;
    String m_DebugScripts[kDebugScriptCount];
    float m_LightBrightness = 1.0f;
    float m_CreatureLightFactor = 1.0f;
    ConfigFileReader m_3dObjReader;
    std::vector<std::shared_ptr<ItemObj>> m_3dObjPrototypes;
    ConfigFileReader m_ShaderReader;
    std::vector<std::unique_ptr<ShaderEntry>> m_Shaders;  // one per entry, in file order
    void LoadShaderEntry(ShaderEntry& entry, int32_t i);  // the effect and the keys of entry i
    void CheckSpecialShaders();
    std::vector<uint32_t> m_3dObjUseStamps;
    ConfigFileReader m_ItemReader;
    std::vector<std::shared_ptr<ItemBase>> m_ItemTable;
    // The image textures of the item entries, by entry, made on first use (shared pointers for
    // the class this header does not include).
    std::vector<std::shared_ptr<DXC_Texture>> m_ItemImages;

    float m_BackDrawFade[2] = {};  // cosines of "BackDrawFadeOutAngle"

    // The game options and rules.
    GameSettings m_Settings;
    FileList m_StartVideos;  // "VideosAtStart"
    FileList m_InitScripts;  // "InitScript"
    DynaMem<MainCharacterProperty, 10> m_MainCharacters;  // only grows
    uint32_t m_RandomSeed = 0;

    // The curve functions with the reader that tells whether their file changed, the character
    // entries and the creature reader they take their classes from.
    SearchTree<GameFunction> m_Functions;
    ConfigFileReader m_FunctionsReader;
    std::vector<CharacterEntry> m_CharacterEntries;
    ConfigFileReader m_CreatureReader;
    String m_PlayerCharacterID;

    // The readers of the action and strategy definitions, which depend on the constants.
    ConfigFileReader m_ActionReader;
    ConfigFileReader m_StrategyReader;
    // What both definitions loaders do around their entries: refused (loader names the
    // operation) while the level holds elements, nothing when neither the file nor the constants
    // changed; else the file is loaded, clear empties the tree and each entry's "desc" is handed
    // with it to readEntry, which answers false when the name is taken (kind, "Action" or
    // "Strategy", names the entries in messages). A load that an error ends empties the tree
    // again and leaves the file to be read next time. True when the file was read.
    bool ReadDefinitions(ConfigFileReader& reader, const char* file, const char* loader, const char* kind,
                         const std::function<void()>& clear,
                         const std::function<bool(int32_t, const char*)>& readEntry);

    // Members of the running game, in their order.
    VariableStack m_LevelVariables;  // cleared at each level change
    wString m_CurrentDirectory;
    int32_t m_ViewMode = 0;  // 0 play, 1 second play view, 2 interactive scene
    int32_t m_PendingViewMode = -1;
    TextDataFileReader m_DataReader;
    InteractiveRTXGui m_InteractiveWindow;
    PopUpMessageGui m_PopUpWindow;
    DXC_Texture m_LogoTexture;
    DXC_Texture m_FrameCorners[4];  // the engine's tooltip frame: the corner picture and its mirrors
    DXC_Texture m_FrameEdges[4];
    DXC_Texture m_FrameCentre;       // stays empty
    int32_t m_StatisticsPage = 0;
    MessageBoxGui m_MessageBox;
    DXC_GuiTextViewerScl m_TextViewers[kTextViewers];
    CConsoleGui m_ConsoleWindow;
    SelectMenu m_SelectMenu;
    SubTitleGui m_SubTitleWindow;
    SmartPtr<WorldElem> m_LevelElement;
    DynaMem<String, 4096> m_ConsoleHistory;
    String m_ScreenshotPrefix;
    String m_HeroName;
    float m_StepTimeTotal = 0.0f;
    float m_GameSpeed = 1.0f;
    float m_MusicFadePosition = 1.0f;
    float m_MusicFadeRate = 0.0f;
    ErrorMsgGui m_ErrorWindow;
    DXC_ShaderEffect m_ShaderEffect;
    uint8_t m_Pause = 0;
    LightPropGui m_LightPropWindow;
    SceneObjPropGui m_SceneObjPropWindow;
    BarGui m_InfoBar;
    DXC_GuiProgressBar m_ProgressBar;
    DXC_GuiText m_TextField;
    SmartPtr<CreatureObj> m_MainChar;  // once the game's input controllers make one
    std::unique_ptr<Inventory> m_InventoryStores[kInventoryStores];
    uint8_t m_Running = 1;
    int32_t m_LocalInputIndex = -1;
    int32_t m_SecondInputIndex = 1;
    DynaMem<CombinedSceneData, kMaxGroupScenes> m_GroupScenes;  // outlive the world's elements that show them
    WorldCtrl m_World;  // made after the controller's base, so the world finds the controller
    SmartPtr<StateManager> m_StateManager;
    uint8_t m_Deinitialising = 0;
    double m_GameTime = 0.0;
    double m_FrameStartTime = 0.0;
    double m_PrevFrameStartTime = -1.0;  // no drawn frame yet
    float m_ScreenFade = 1.0f;
    float m_ScreenFadeRate = 0.0f;
    uint8_t m_FrameFlag = 0;        // cleared at the end of every step
    uint8_t m_GuiBusy = 0;          // the last stable answer of the mouse-over-GUI test
    uint8_t m_GuiCursorForced = 0;  // the GUI's own cursor whatever the GUI-busy test says
    uint8_t m_GuiHoldsMouse = 0;    // stored by DrawGui
    uint8_t m_CursorHidden = 0;
    uint8_t m_WireFrame = 0;

    ScriptGameCallbacks m_ScriptCallbacks;
    int32_t m_ObjScriptVariables[kObjScriptVariables] = {};
    int32_t m_RenderFlag = 0;  // handed to the world's drawing
    float m_LevelMusicFadeTime = 1.5f;
    float m_LevelMusicVolume = 1.0f;
    D3DXVECTOR2 m_MapPosition = D3DXVECTOR2(0.0f, 0.0f);
    uint8_t m_HasMapPosition = 0;
    // Element events, damage and shots.
    int32_t m_ScriptContext[2] = {-1, 0};  // other object, argument
    DamageValuesHolder m_CurrentDamage{nullptr};
    int32_t m_ShotResult[3] = {0, -1, -1};
    float m_MonsterShotSpeed = 1.0f;
    int32_t m_NoAreaFade = 0;
    // 3D objects and sounds.
    uint32_t m_3dObjUseCounter = 0;
    float m_MaxShadowTexSize = 512.0f;
    float m_PendingRandomScale = 1.0f;
    ConfigFileReader m_SoundReader;
    uint8_t m_SoundsLoaded = 0;
    // Animation cycle sets and creature definitions.
    ConfigFileReader m_AniCycleReader;
    std::vector<std::unique_ptr<AniCycleSet>> m_AniCycleSets;
    std::vector<std::shared_ptr<WorldElem>> m_CreatureEntryObjects;
    std::vector<uint32_t> m_CreatureEntryWords;
    // Creature stat blocks.
    float m_MonsterHealthFactor = 1.0f;
    float m_MonsterHealthAdd = 0.0f;
    // Experience, item lists and treasure lists.
    DynaMem<float, 0> m_ExperienceTable;
    BezierSpline<float> m_DeltaLevelXPFactor;
    std::unique_ptr<ItemList[]> m_ItemLists;
    int32_t m_NumItemLists = 0;
    SearchTree<TreasureList> m_TreasureLists;
    BezierSpline<float> m_MightProbFunct;
    BezierSpline<float> m_MonsterLevelMightFunct;
    // Script services: object variables, events, stories, script variables and calls, game
    // functions and commands.
    int32_t m_SavedObjScriptVariables[kObjScriptVariables] = {};
    int32_t m_SaveObjScriptVariablesCount = 0;
    String m_ObjScriptTexts[kObjScriptVariables];
    String m_LevelEnterScript;
    SearchTree<StoryVariable> m_Stories;
    ConfigFileReader m_StoryReader;
    uint8_t m_AutoSaveRequest = 0;
    double m_LastSaveTime = 0.0;
    VariableStack m_GameVariables;
    DynaMem<String, 16> m_ErrorList;
    int32_t m_CurrentObjID = -1;
    BoostValues m_BoostValues;
    int32_t m_MonsterLevelMin = 1;
    int32_t m_MonsterLevelMax = 1;
    uint8_t m_AddHeroLevelToMonsterLevel = 0;
    int32_t m_ConsoleHistoryCursor = 0;
    int32_t m_BuiltinCallCount = 0;  // the debug-use counter
    uint8_t m_NetworkedGame = 0;
    // Script built-ins.
    int32_t m_ScriptTempInts[kScriptTempSlots] = {};
    float m_ScriptTempFloats[kScriptTempSlots] = {};
    int32_t m_DialogAnswer = 0;
    // Progression, level settings and start-up.
    uint8_t m_DeltaLevelXPFactorEnabled = 0;
    int32_t m_Difficulty = 0;
    int32_t m_LowestDifficulty = 1000;  // nothing used yet
    int32_t m_HighestDifficulty = 0;
    String m_DifficultyName;
    ConfigFileReader m_DifficultyReader;
    LevelSettings m_LevelSettings;
    uint8_t m_BumpMapping = 0;
    float m_BumpStrength = 1.0f;
    int32_t m_TextureStageLimit = 4;
    int32_t m_ScreenshotCountdown = -1;
    uint32_t m_DrawnFrames = 0;
    int32_t m_TextureMemory = 0;  // noted at each drawn frame
    String m_LoadingScreenName;
    String m_LoadingScreenFile;  // the picture file the name led to
    String m_ScreenshotFile;
    DXC_Texture m_LoadingScreen;
    DXC_Texture m_LoadingScreenTop;
    DXC_Texture m_LoadingScreenBottom;
    DXC_Texture m_LoadingProgressBar;
    bool m_LoadingScreenThreePart = false;
    float m_CameraPitch[2] = {0.0f, 0.0f};  // value, target
    float m_CameraDistance[2] = {0.0f, 0.0f};
    // The owner's inventory-transfer script with the other owner and the count in entries 1, 2.
    void RunInventoryTransferScript(WorldElem* owner, int32_t otherID, int32_t count);
    ScriptStackVariable* AddScriptVariable(VariableStack& scope, const char* kind, const char* name, int32_t type,
                                           int32_t dimension);
    // One quest line after its keyword into the story.
    void ReadQuestLine(StoryVariable& story, const char* rest, bool questEnd, int32_t lineNumber);

    // Unlocked videos.
    DynaMem<UnlockedVideoStruct, kVideoSequences> m_UnlockedVideos;
    // Release of unused data: the sources of kinds 2 and 3 (index 0 unused, kind 1 is ours).
    LoadedDataKind* m_LoadedDataSources[kLoadedDataKinds] = {};
    // World-object creation: the depth of the children being made, the prototype builds.
    int32_t m_CreationDepth = 0;
    int32_t m_CreatureBuilds = 0;
    // The scenes of the creature definitions' prototypes, which their copies show; kept for the
    // controller's life, since creatures in the world outlive a reload of the definitions.
    std::vector<std::shared_ptr<DXC_3dScene>> m_CreatureScenes;
    // The children, inventory and items of an entry (GameCtrlWorldObjects.cpp).
    void LoadWorldObjectChildren(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params);
    void LoadWorldObjectInventory(WorldElem& elem, int32_t entry);
    // unknownTypeFormat names the entry's desc when "invType" is unknown.
    void ReadInventoryKeys(ConfigFileReader& reader, WorldElem& elem, int32_t entry, const char* unknownTypeFormat);
    // The classes of the entries (GameCtrlCreation.cpp).
    WorldElem* CreateLightFromEntry(int32_t entry, WorldObjectCreateParams& params);
    WorldElem* CreateUsableObjectFromEntry(int32_t entry, WorldObjectCreateParams& params);
    void ReadObjectItem(ItemObj& object, int32_t entry);
    void ReadObjectUseKeys(ItemObj& object, int32_t entry, const WorldObjectCreateParams& params);
    void ReadObjectBox(ItemObj& object, int32_t entry, const float (&boxScale)[2]);
    WorldElem* CreateCreatureElement(int32_t entry, WorldObjectCreateParams& params);
    void BuildCreature(CreatureObj& creature, int32_t definition, const char* sceneFile);
    EventObj* CreatePositionElement(int32_t entry, int32_t kind, WorldObjectCreateParams& params);
    EventObj* CreateAreaEffectElement(int32_t entry, WorldObjectCreateParams& params);
    void StartEffectObject(int32_t entry, const WorldObjectCreateParams& params);

    // Input controllers and objects in the level.
    DynaPtrList<InputCtrl*, 4096> m_InputCtrls;
    float m_NewItemChances[2] = {0.0f, 0.0f};  // enchant, boost: the game's rules set them
    DynaPtrList<WorldElem*, 16> m_DoNotSaveObjects;  // owned while kept

private:
    void StopChannel(int32_t channel);
    void StartTrack(int32_t channel, const char* track, float volume, float pitch, int32_t loop, bool fadeIn);
    // The world's pause routines, run when the game becomes paused.
    void PauseWorld();
    // Applies a sound manager operation to the music channels' streams and to the ambient one
    // while it plays.
    void ApplyToMusicStreams(void (SoundManager::*operation)(intptr_t, intptr_t));
    // Save-game folders and pending requests (GameCtrlSaveFolders.cpp).
    String m_SavegameBaseDir = "save\\";
    String m_LevelDescFile;
    String m_VsdFile;
    // Level change and game flow.
    ConfigFileReader m_LevelReader;
    LevelDescription m_LevelDesc;
    std::shared_ptr<DXC_3dScene> m_EnvirScene;  // none on the server, which never draws it
    uint8_t m_LevelObjectsReady = 0;
    int32_t m_GameCounter = 0;  // cleared by every new game
    std::vector<int64_t> m_3dObjFileSizes;  // per 3D object entry, -1 until seen by the debug reload
    wString m_GameFolder;
    // The steps of a level change.
    void ReadLevelMusic(int32_t entry, const LevelChangeOptions& options);
    void ReadLevelRunningKeys(int32_t entry, bool freshStart);
    // The level's "envir" scene, where a device draws it; cleared without one named.
    void LoadEnvironmentScene();
    CreatureObj* PlaceLevelHero(bool fromSaveGame, const LevelChangeOptions& options);
    void RunLevelInitScript();
    void LoadGameScripts();
    // The hero's steps that the input controllers and the camera complete (GameCtrlLevelHero.cpp):
    // whether a local input controller (kind 1) exists, which alone makes a level create a hero;
    // the level's starting position of a number; making a creature the main character; the
    // camera behind the hero at level start.
    bool HasLocalInputForHero();
    WorldElem* FindLevelStartPosition(int32_t number);
    void MakeLevelMainCharacter(CreatureObj* creature);
    void PlaceLevelCamera(CreatureObj* hero);
    // The elements of the level's object walls, after the placed objects.
    void AddLevelWallObjects();
    // The picture of the game window into the file; the format follows the name's extension.
    void WriteScreenshot(const String& fileName, bool numbered);
    int32_t m_SaveMode = 0;
    int32_t m_HoldCounter = 0;
    int32_t m_EndOfGameRequest = 0;
    int32_t m_EndReason = 0;
    // Combat state of the scripts (see SetActivator and the rest).
    int32_t m_ActivatorID = -1;
    int32_t m_AllowFlag = 1;
    int32_t m_HitCount = 0;
    String m_CurrentActionName;
    float m_BloodInterval = 0.0f;

private:
    // Camera, view modes and GUI (GameCtrlCamera.cpp .. GameCtrlGui.cpp). Pitch and distance are
    // m_CameraPitch and m_CameraDistance: current value, target.
    // The interactive scene takes (true) or gives back (false) the input of input controller 0.
    void HandInputToScene(bool toScene);
    D3DXVECTOR3 m_CameraTargetPoint = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float m_CameraSmoothTime = 0.2f;
    int32_t m_CameraPathMode = 0;
    int32_t m_DefaultCameraPathMode = 0;
    float m_CameraYaw[2] = {0.0f, 0.0f};  // current, target
    float m_CameraRoll = 0.0f;
    float m_CameraHeight = 0.0f;
    float m_CameraHeightOption = 0.0f;
    uint8_t m_CameraHeightOptionEnabled = 0;
    uint8_t m_CameraFloorCheck = 1;
    CameraPath m_CameraPath;
    SmartPtr<WorldElem> m_CameraReference;
    D3DXVECTOR3 m_CameraEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 m_CameraLookAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 m_CameraUp = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    uint8_t m_CameraChanged = 0;
    // The camera in effect when an interactive scene began.
    struct SavedCamera {
        D3DXVECTOR3 target;
        float yaw = 0.0f;
        float pitch = 0.0f;
        float distance = 0.0f;
        float roll = 0.0f;
        float height = 0.0f;
        int32_t pathMode = 0;
    } m_SceneCamera;
    uint8_t m_ViewChanged = 0;
    uint8_t m_RedrawFlags[2] = {0, 0};
    uint8_t m_SceneFlag = 0;
    D3DXVECTOR3 m_ScenePlayerPos = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    int32_t m_SelectMenuScriptID = -1;
    // The game flow of the script built-ins.
    float m_ScriptFPS[2] = {5.0f, 200.0f};  // minimum, maximum: the state manager's defaults
    uint8_t m_ShowFPS = 0;
    D3DXVECTOR2 m_InteractiveScenePos = D3DXVECTOR2(0.0f, 0.0f);
    uint8_t m_InputTypeDisabled[kScriptInputTypes] = {0, 0};
    int32_t m_ScriptCreationDepth = 0;
    String m_HeroDeathScript;
};
