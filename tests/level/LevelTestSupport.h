// LevelTestSupport: what the level tests share: a controller that answers the level's questions,
// a copy of the level fixtures to run in, the layouts the level generator writes beside its files,
// and the reference level's contents, built by the same formulas as the generator's.
#pragma once
#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "base/Log.h"
#include "base/MusicChannels.h"
#include "engine/gfx/DXC_Texture.h"
#include "level/LevelDescFiles.h"
#include "level/LevelErrorText.h"
#include "level/VSD_FileRecords.h"
#include "level/VSD_Viewer.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/InventoryItem.h"
#include "world/ProjectileBase.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// An object that a wall's properties placed: remembers its wall link.
class LevelTestObject : public WorldElem {
public:
    void SetWallLink(VSD_WallIntern* wall) override { wallLink = wall; }

    String typeName;
    float x = 0.0f, y = 0.0f, angle = 0.0f, height = 0.0f;
    VSD_WallIntern* wallLink = nullptr;
};

// Damage values of the tests: the first amount is the value the rules would count.
class TestDamageValues : public DamageValues {
public:
    cfDynamicObject* CreateNew() const override { return new TestDamageValues; }
    void Scale(float factor) override { damage[0] *= factor; }
    void SetValue(float value) override { damage[0] = value; }
    float GetValue() const override { return damage[0]; }
    bool IsZero() const override { return damage[0] == 0.0f; }
};

// One use of an item that needs a key.
struct KeyUse {
    WorldElem* item = nullptr;
    int32_t userID = -1;
    int32_t key = 0;
};

// Loads its readers from the lists it is given; counts what the level asks of it.
class LevelTestCtrl : public GameCtrlInterface {
public:
    LevelTestCtrl()
    {
        CopyName32(this, "LevelTestCtrl");
        objectCfgFiles.AddFile("desc\\objects.cfg");
        wallCfgFiles.AddFile("desc\\walls.cfg");
        objectReaderFiles.AddFile("desc\\objects.cfg");
        wallReaderFiles.AddFile("desc\\walls.cfg");
    }

    int32_t GetDebugMode() const override { return debugMode; }
    int16_t GetFloorSizeSetting() const override { return floorSize; }
    const FileList& GetObjectCfgFiles() const override { return objectCfgFiles; }
    const FileList& GetWallCfgFiles() const override { return wallCfgFiles; }
    ConfigFileReader* LoadWorldObjectFiles() override
    {
        objectLoads++;
        Load(objectReader, objectReaderFiles);
        return &objectReader;
    }
    ConfigFileReader* OpenWallFiles() override
    {
        wallLoads++;
        Load(wallReader, wallReaderFiles);
        return &wallReader;
    }
    void SetSplitValueToOne() override { consoleUsed = 1; }
    void ShowLoadingProgress(float percent, int32_t, float, int32_t) override { progress.push_back(percent); }
    int32_t FindWallTypeIndex(const char* name) override { return wallReader.FindEntryByDesc(name); }
    // Makes an object of the type code that objectTypes gives the name; other names are errors.
    WorldElemGridBase* CreateWorldObject(const char* typeName, float x, float y, float angle, float height) override
    {
        if (createObject)
            return createObject(typeName);
        auto type = objectTypes.find(typeName);
        if (type == objectTypes.end())
            Error("World object '%s' not found", typeName);
        auto object = std::make_unique<LevelTestObject>();
        object->m_TypeCode = type->second;
        object->typeName = typeName;
        object->x = x;
        object->y = y;
        object->angle = angle;
        object->height = height;
        objects.push_back(std::move(object));
        return objects.back().get();
    }
    void OnWallAdded(int32_t wallID) override { wallsAdded.push_back(wallID); }
    bool IsMultiplayerGame() const override { return multiplayer; }
    bool GetFollowTarget(D3DXVECTOR2& target) override
    {
        target = followTarget;
        return hasFollowTarget;
    }
    int32_t IsFastFollow(int32_t) override { return fastFollow; }
    void GetBackDrawFadeThresholds(float& full, float& none) const override
    {
        full = backFade[0];
        none = backFade[1];
    }
    double GetGameTime() const override { return gameTime; }
    bool IsServer() const override { return server; }
    bool ProcessActiveBlocksOnly() const override { return activeBlocksOnly; }
    bool AllowsInput() override { return allowsInput; }
    bool IsElementUsable(WorldElem*) override { return usable; }
    int32_t GetMonsterLevel(float fraction) override { return int32_t(fraction * 10.0f); }
    void OnObjectAdded(int32_t objID) override { objectsAdded.push_back(objID); }
    void OnObjectDeleted(int32_t objID, int32_t flag) override { objectsDeleted.push_back({objID, flag}); }
    void OnWallDeleted(int32_t wallID) override { wallsDeleted.push_back(wallID); }
    int32_t GetViewMode() const override { return viewMode; }
    void ChangeViewMode(int32_t mode, int32_t, int32_t, float, float) override
    {
        viewMode = mode;
        modeChanges++;
    }
    WorldElem* GetMainChar() override { return mainChar; }
    void DeleteLoadedScenes() override { sceneDeletions++; }
    // Items: made by makeItem; every desc has the one picture but those in unknownItems.
    InventoryItem* CreateItem() override { return makeItem ? makeItem() : nullptr; }
    DXC_Texture* GetItemPicture(const char* desc) override
    {
        return unknownItems.count(desc ? desc : "") ? nullptr : &itemPicture;
    }
    float GetAbilityWeight(int32_t abilityType) override
    {
        auto weight = abilityWeights.find(abilityType);
        return weight == abilityWeights.end() ? 1.0f : weight->second;
    }
    void OnItemAddedToInventory(Inventory* inventory, InventoryItem* item) override
    {
        itemsAdded.emplace_back(inventory, item);
    }
    bool IsNetworkGameServer() const override { return networkGameServer; }
    void PlayWorldSound(const char* name) override { sounds.push_back(name); }
    // Game functions: "double" doubles the value (plus the parameter when given); others keep it.
    float ApplyGameFunction(float value, const char* name, WorldElem* element) override
    {
        functionElements.push_back(element);
        return std::string(name) == "double" ? value * 2.0f : value;
    }
    float ApplyGameFunctionFor(float value, const char* name, const float* parameter) override
    {
        return std::string(name) == "double" ? value * 2.0f + (parameter ? *parameter : 0.0f) : value;
    }
    DamageValues* CreateDamageValues() override { return makesDamageValues ? new TestDamageValues : nullptr; }
    void UseKey(WorldElem* item, int32_t userID, int32_t key) override { keyUses.push_back({item, userID, key}); }
    int32_t SetObjScriptVariable(int32_t index, int32_t value) override
    {
        objScriptVariables[index] = value;
        return value;
    }

    // Localised texts from guiTexts ("group/name") and fieldTexts ("table/field/id"), as the
    // controller's database answers them.
    wString GetGuiDBText(const char* group, const char* name, uint8_t* found) override
    {
        auto text = guiTexts.find(std::string(group) + "/" + name);
        if (found)
            *found = text != guiTexts.end();
        const std::string shown = text != guiTexts.end() ? text->second : std::string("DBErr:") + group + "," + name;
        return wString(shown.c_str());
    }
    bool DBGetField(wString& text, const char* table, const char* field) override
    {
        const std::string id = String(text).c_str();
        const std::string key = id.compare(0, 3, "DB:") == 0 ? id : "DB:" + id;
        auto found = fieldTexts.find(std::string(table) + "/" + field + "/" + key);
        if (found == fieldTexts.end())
            return false;
        text = found->second.c_str();
        return !text.IsEmpty();
    }
    void ProcessText(wString& text) override { processed.push_back(String(text).c_str()); }
    // Music: the track goes to the current channel of the program's music channels.
    void PlayMusic(const char* track, float volume, float, int32_t loop, float fadeTime) override
    {
        music.push_back({track, volume, loop, fadeTime});
        g_MusicChannels.names[g_MusicChannels.current] = track;
    }
    void PlayAmbientMusic(const char* track, float) override { g_MusicChannels.names[MusicChannels::kAmbient] = track; }
    bool IsBossMusicWanted() override { return bossMusic; }
    int32_t GetNumPartyMembers() override { return int32_t(party.size()); }
    WorldElem* GetPartyMember(int32_t index) override { return party[size_t(index)]; }
    // Lights and visibility: a flicker of its own function, or 0.
    float GetFlicker(float t) override { return flicker ? flicker(t) : 0.0f; }
    bool GetViewOverride(D3DXVECTOR2& point) override
    {
        point = viewOverridePoint;
        return viewOverride;
    }
    int32_t GetVisibilityQuality() override { return visibilityQuality; }

    // Element events, damage and shots: recorded as asked; items dropped are kept in droppedItems.
    const char* GetSpecialName(int32_t index) override
    {
        return index >= 0 && index < 9 ? specialNames[index].c_str() : nullptr;
    }
    InventoryItem* FindItemType(const char* name) override
    {
        auto type = itemTypes.find(name ? name : "");
        return type == itemTypes.end() ? nullptr : type->second;
    }
    int32_t DropItem(InventoryItem* item, Inventory*, WorldElem* elem, float distance, float angle,
                     float spread) override
    {
        droppedItems.emplace_back(item);
        drops.push_back({elem, distance, angle, spread});
        return -1;
    }
    void UseItemSlot(WorldElem* user, int32_t slot, VSD_WallIntern* wall, int32_t, int32_t userID) override
    {
        itemSlotUses.push_back({user, slot, wall, userID});
    }
    void SetScriptContext(int32_t otherID, int32_t argument) override
    {
        scriptContext[0] = otherID;
        scriptContext[1] = argument;
    }
    void SetCurrentDamage(DamageValues* damage) override { currentDamage.push_back(damage ? damage->damage[0] : -1.0f); }
    void SetCurrentDamageNone() override { currentDamage.push_back(-2.0f); }
    void OnShot(WorldElem* shooter, ActionShot*, const D3DXVECTOR2*) override { shots.push_back(shooter); }
    void SetShotDamagedCount(int32_t count) override { shotDamagedCount = count; }
    void SetShotHit(int32_t objID, int32_t kind) override
    {
        shotHit[0] = objID;
        shotHit[1] = kind;
    }
    float GetFriendlyFire() const override { return friendlyFire; }
    float GetMonsterShotSpeed() const override { return monsterShotSpeed; }
    bool IsGameRunning() override { return gameRunning; }
    int32_t GetNoAreaFade() const override { return noAreaFade; }
    ProjectileBase* CreateProjectile() override { return new ProjectileBase; }

    struct Drop {
        WorldElem* elem;
        float distance;
        float angle;
        float spread;
    };
    struct ItemSlotUse {
        WorldElem* user;
        int32_t slot;
        VSD_WallIntern* wall;
        int32_t userID;
    };
    std::string specialNames[9];
    std::map<std::string, InventoryItem*> itemTypes;
    std::vector<std::unique_ptr<InventoryItem>> droppedItems;
    std::vector<Drop> drops;
    std::vector<ItemSlotUse> itemSlotUses;
    int32_t scriptContext[2] = {-1, 0};
    std::vector<float> currentDamage;  // damage[0] of each, -2 for none
    std::vector<WorldElem*> shots;
    int32_t shotDamagedCount = 0;
    int32_t shotHit[2] = {0, 0};
    float friendlyFire = 0.0f;
    float monsterShotSpeed = 1.0f;
    bool gameRunning = false;
    int32_t noAreaFade = 0;
    // What the creatures ask: the world and item table they are given, the dialogue partners,
    // the reported mana uses and attacks.
    WorldCtrl* GetGameWorld() override { return gameWorld; }
    ItemBase* FindItem(const char* name, bool createImage) override
    {
        (void)createImage;
        auto found = itemTable.find(name ? name : "");
        return found == itemTable.end() ? nullptr : found->second;
    }
    bool IsDialogActive(WorldElem* creature) override { return dialogPartners.count(creature) > 0; }
    void ReportManaUse(WorldElem* creature, float cost) override { manaUses.emplace_back(creature, cost); }
    void ReportAttack(WorldElem* creature) override { attacks.push_back(creature); }
    WorldCtrl* gameWorld = nullptr;
    std::map<std::string, ItemBase*> itemTable;
    std::set<WorldElem*> dialogPartners;
    std::vector<std::pair<WorldElem*, float>> manaUses;
    std::vector<WorldElem*> attacks;

    struct MusicCall {
        std::string track;
        float volume;
        int32_t loop;
        float fadeTime;
    };
    std::map<std::string, std::string> guiTexts;
    std::map<std::string, std::string> fieldTexts;
    std::vector<std::string> processed;
    std::vector<MusicCall> music;
    bool bossMusic = false;
    std::vector<WorldElem*> party;

    // Scripts and world events. Events go to the world when one is set; script errors are
    // logged, shown and recorded while a script runs, else thrown.
    ScriptGameCallbacks GetScriptCallbacks() override { return scriptCallbacks; }
    int32_t GetObjScriptVariable(int32_t index) const override
    {
        auto value = objScriptVariables.find(index);
        return value == objScriptVariables.end() ? 0 : value->second;
    }
    bool CanRunScriptLocally(uint8_t runFlags) override
    {
        runFlagsAsked.push_back(runFlags);
        return mayRunScripts;
    }
    void ForwardScript(const char* text) override { forwardedScripts.push_back(text); }
    void ScriptError(const char* format, ...) override __attribute__((format(printf, 2, 3)))
    {
        char message[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof message, format, args);
        va_end(args);
        scriptErrors.push_back(message);
    }
    void ShowErrorMessage(const char* text) override
    {
        shownErrors.push_back(text);
        if (throwOnShowError)
            Error("%s", text);
    }
    bool IsShuttingDown() const override { return shuttingDown; }
    double GetProfilingTime() override { return profilingTime; }
    void AddGameEvent(const WorldEvent* event) override
    {
        if (!event)
            Error("Null pointer added !");
        if (world)
            world->QueueEvent(*event);
    }
    bool IsReenterEndCode(const WorldEvent& event) override { return event.type == WorldEventType::kReenter; }
    bool HandleWorldEvent(const WorldEvent& event) override
    {
        gameEvents.push_back(event.type);
        return true;
    }
    bool MayChangeLevel() override { return mayChangeLevel; }
    bool UseObject(WorldElem* elem, int32_t value, int32_t flag) override
    {
        uses.push_back({elem, value, flag});
        return true;
    }
    void ProcessPickupEvent(const PickupRecord& record, int32_t flag) override
    {
        (void)record;
        (void)flag;
        pickups++;
    }
    void LoadGameSaveData(int32_t count) override { unlockedVideos.push_back(count); }

    struct Use {
        WorldElem* elem;
        int32_t value;
        int32_t flag;
    };
    ScriptGameCallbacks scriptCallbacks;
    bool mayRunScripts = true;
    std::vector<uint8_t> runFlagsAsked;
    std::vector<std::string> forwardedScripts;
    std::vector<std::string> scriptErrors;
    std::vector<std::string> shownErrors;
    bool throwOnShowError = false;
    // Makes the world objects in place of the object types when set.
    std::function<WorldElemGridBase*(const char* typeName)> createObject;
    bool shuttingDown = false;
    double profilingTime = 0.0;
    WorldCtrl* world = nullptr;
    std::vector<uint16_t> gameEvents;  // the types handed to the game
    bool mayChangeLevel = true;
    std::vector<Use> uses;
    int32_t pickups = 0;
    std::vector<int32_t> unlockedVideos;

    int32_t debugMode = 0;
    int16_t floorSize = 50;
    FileList objectCfgFiles;
    FileList wallCfgFiles;
    FileList objectReaderFiles;
    FileList wallReaderFiles;
    ConfigFileReader objectReader;
    ConfigFileReader wallReader;
    int32_t objectLoads = 0;
    int32_t wallLoads = 0;
    int32_t consoleUsed = 0;
    std::vector<float> progress;
    std::map<std::string, uint16_t> objectTypes;
    std::vector<std::unique_ptr<LevelTestObject>> objects;
    std::vector<int32_t> wallsAdded;
    bool multiplayer = false;
    bool hasFollowTarget = false;
    D3DXVECTOR2 followTarget;
    int32_t fastFollow = 0;
    float backFade[2] = {};
    double gameTime = 0.0;
    bool server = false;
    bool activeBlocksOnly = false;
    bool allowsInput = true;
    bool usable = false;
    std::vector<int32_t> objectsAdded;
    std::vector<std::pair<int32_t, int32_t>> objectsDeleted;  // ID, delete-children flag
    std::vector<int32_t> wallsDeleted;
    int32_t viewMode = 0;
    int32_t modeChanges = 0;
    WorldElem* mainChar = nullptr;
    int32_t sceneDeletions = 0;
    std::function<InventoryItem*()> makeItem;
    std::set<std::string> unknownItems;
    DXC_Texture itemPicture;
    std::map<int32_t, float> abilityWeights;
    std::vector<std::pair<Inventory*, InventoryItem*>> itemsAdded;
    bool networkGameServer = false;
    std::vector<std::string> sounds;
    std::vector<WorldElem*> functionElements;
    bool makesDamageValues = true;
    std::vector<KeyUse> keyUses;
    std::map<int32_t, int32_t> objScriptVariables;
    std::function<float(float)> flicker;
    bool viewOverride = false;
    D3DXVECTOR2 viewOverridePoint;
    int32_t visibilityQuality = 1;

private:
    void Load(ConfigFileReader& reader, const FileList& files)
    {
        LevelDescFiles loaded;
        if (!loaded.Load(reader, files, nullptr, false))
            Error("%s", LevelErrorText::Get());
    }
};

// A level viewer (or a world, which is one) whose grid, heights, parcels, textures and wall kinds
// a test sets directly.
template <class Viewer> class GridViewerOf : public Viewer {
protected:
    using Viewer::m_MapWidth;
    using Viewer::m_MapHeight;
    using Viewer::m_BlockColumns;
    using Viewer::m_BlockRows;
    using Viewer::m_ActiveX1;
    using Viewer::m_ActiveY1;
    using Viewer::m_ActiveX2;
    using Viewer::m_ActiveY2;
    using Viewer::m_Heights;
    using Viewer::m_CentreHeights;
    using Viewer::m_FloorVertices;
    using Viewer::m_CornerFrames;
    using Viewer::m_CellFrames;
    using Viewer::m_Parcels;
    using Viewer::m_CoverPixels;
    using Viewer::m_RevealedCells;
    using Viewer::m_ActiveBlocks;
    using Viewer::m_FloorTextures;
    using Viewer::m_NumFloorTextures;
    using Viewer::m_WallDescReader;
    using Viewer::m_WallDescs;
    using Viewer::m_NumWallDescs;
    using Viewer::kBlockSize;
    using Viewer::kFrameFloats;

public:
    using Viewer::Viewer;

    // A map of width x height cells, all heights 0, every parcel of texture 1, the whole map active.
    void SetGrid(int16_t width, int16_t height, int16_t cellWidth, int16_t cellHeight)
    {
        m_MapWidth = width;
        m_MapHeight = height;
        this->SetCellSize(cellWidth, cellHeight);
        m_BlockColumns = (cellWidth * width + kBlockSize - 1) / kBlockSize;
        m_BlockRows = (cellHeight * height + kBlockSize - 1) / kBlockSize;
        m_ActiveX1 = 0;
        m_ActiveY1 = 0;
        m_ActiveX2 = width - 1;
        m_ActiveY2 = height - 1;
        const size_t vertices = size_t(width + 1) * size_t(height + 1);
        const size_t cells = size_t(width) * size_t(height);
        m_Heights.assign(vertices, 0.0f);
        m_CentreHeights.assign(vertices, 0.0f);
        m_FloorVertices.assign(vertices, VSD_FloorVertex());
        m_CornerFrames.assign(vertices * kFrameFloats, 0.0f);
        m_CellFrames.assign(vertices * kFrameFloats, 0.0f);
        VSD_Parcel parcel;
        parcel.textureId = 1;
        m_Parcels.assign(cells, parcel);
        m_CoverPixels.assign(cells, 0);
        m_RevealedCells.assign(cells, 0);
        m_ActiveBlocks.assign(size_t(m_BlockColumns) * size_t(m_BlockRows), 0);
        this->OnBlockGridChanged();
    }
    void SetActiveBlock(int32_t column, int32_t row, bool active)
    {
        m_ActiveBlocks.at(size_t(row) * size_t(m_BlockColumns) + size_t(column)) = active ? 1 : 0;
    }
    void SetActiveArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        m_ActiveX1 = x1;
        m_ActiveY1 = y1;
        m_ActiveX2 = x2;
        m_ActiveY2 = y2;
    }
    // Corner heights by a function of the grid vertex; the centre heights follow.
    template <class Height> void SetHeights(Height height)
    {
        for (int32_t y = 0; y <= m_MapHeight; y++)
            for (int32_t x = 0; x <= m_MapWidth; x++)
                m_Heights[size_t(y) * size_t(m_MapWidth + 1) + size_t(x)] = height(x, y);
        this->CalcCentreHeights();
    }
    VSD_Parcel& Parcel(int32_t x, int32_t y) { return m_Parcels.at(size_t(y) * size_t(m_MapWidth) + size_t(x)); }
    VSD_FloorVertex& Vertex(int32_t x, int32_t y)
    {
        return m_FloorVertices.at(size_t(y) * size_t(m_MapWidth + 1) + size_t(x));
    }
    // Floor texture records 0 .. count - 1 with the given materials.
    std::vector<VSD_TextureDesc>& SetFloorTextures(const std::vector<uint16_t>& materials)
    {
        m_FloorTextures.clear();
        m_FloorTextures.resize(materials.size());
        for (size_t i = 0; i < materials.size(); i++)
            m_FloorTextures[i].material = materials[i];
        m_NumFloorTextures = int32_t(materials.size());
        return m_FloorTextures;
    }
    // Bytes the wall, element and light tables hold in their slot storage.
    size_t TableBytes() const
    {
        return this->m_Walls.GetStorageBytes() + this->m_Elements.GetStorageBytes() + this->m_Lights.GetStorageBytes();
    }
    // Reads a wall description file as the level file reader does; its kinds are counted.
    int32_t LoadWallKinds(const char* fileName)
    {
        FileList files;
        files.AddFile(fileName);
        m_WallDescReader.SetIndexKey("desc");
        m_NumWallDescs = ReadWallDescFiles(m_WallDescs, files, nullptr, &m_WallDescReader, false);
        return m_NumWallDescs;
    }
};
using GridViewer = GridViewerOf<VSD_Viewer>;

// The level fixtures copied into a fresh directory that is current while it lives. The log is
// written once before, so that its file stays where the test program started.
class LevelFixtureDir {
public:
    LevelFixtureDir()
    {
        Log::Write("level fixtures copied to %s", m_Dir.Path().c_str());
        std::filesystem::copy(Source(), m_Dir.Path(), std::filesystem::copy_options::recursive);
        m_Current = std::make_unique<ScopedCurrentDir>(m_Dir.Path());
    }

    static std::string Source() { return std::string(SERVER_FIXTURES) + "/level"; }
    std::string operator()(const std::string& name) const { return m_Dir(name); }
    const TempDir& Dir() const { return m_Dir; }

    std::vector<uint8_t> Bytes(const std::string& name) const { return TempDir::ReadAll(m_Dir(name)); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const { TempDir::WriteAll(m_Dir(name), bytes); }

    // The generator's "<file>.layout": section and field offsets by name.
    std::map<std::string, int32_t> Layout(const std::string& name) const
    {
        std::map<std::string, int32_t> layout;
        std::ifstream in(m_Dir(name + ".layout"));
        std::string key;
        int32_t offset = 0;
        while (in >> key >> offset)
            layout[key] = offset;
        return layout;
    }

private:
    TempDir m_Dir;
    std::unique_ptr<ScopedCurrentDir> m_Current;
};

inline void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes.at(at + size_t(i)) = uint8_t(value >> (8 * i));
}
inline void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value)
{
    bytes.at(at) = uint8_t(value);
    bytes.at(at + 1) = uint8_t(value >> 8);
}

// The reference level of the generator (16 x 24 cells of 64 units), as loaded.
namespace Reference {

constexpr int32_t kWidth = 16;
constexpr int32_t kHeight = 24;

inline VSD_Parcel Parcel(int32_t x, int32_t y)
{
    VSD_Parcel p;
    p.textureId = int16_t((x * 7 + y * 3) % 5 - 1);
    p.placement = uint16_t((x + 2 * y) % 8);
    p.subX = uint8_t(x % 3);
    p.subY = uint8_t(y % 2);
    return p;
}

inline float Height(int32_t x, int32_t y) { return float(x * 10 - y * 3) * 0.5f; }

struct Object {
    int16_t kind, x, y, angle;
    const char* text;
    uint32_t value;
};
inline const Object kObjects[3] = {
    {0, 100, 200, 1000, "worldID=\"box1\"", 7},
    {1, 300, 50, -2000, "", 0},
    {2, 960, 1400, 31415, "size = 2", 4000000000u},
};

struct Wall {
    int16_t desc, x1, y1, x2, y2;
    float value1, value2;
};
inline const Wall kWalls[3] = {
    {0, 128, 128, 640, 128, 0.0f, 1.0f},
    {1, 640, 128, 640, 896, 0.25f, 0.75f},
    {2, 64, 1408, 192, 1408, 0.0f, 2.0f},
};

}  // namespace Reference
