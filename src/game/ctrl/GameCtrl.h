// GameCtrl: the engine's game controller. So far it holds what loading a level asks of it: the
// debug and floor size options, the game rules' description file lists, the object and wall
// description readers, the console-used flag and the loading progress hook, and the engine's
// answers to the level's walls and view.
// It also holds what the game data loaders share: the constants, the key readers, the name
// tables and the data tables. The implementation is split by role: GameCtrl.cpp (construction,
// the description readers), GameCtrlConstants.cpp (the constants file, rules files, the debug
// scripts), GameCtrlNameTables.cpp (attachment points, object types, the world-object kind of an
// entry), GameCtrlKeyReaders.cpp (the readers that fill one record from one entry),
// GameCtrlKeyCurves.cpp (move paths and one-dimensional key splines), GameCtrlDataTables.cpp (the
// 3D object table, the type lookups by name, the shader table), GameCtrlItems.cpp (the item
// factory, the item pictures and the engine's answers to items and inventories).
#pragma once
#include "base/BezierSpline.h"
#include "base/ConfigFileReader.h"
#include "base/ConstantTable.h"
#include "base/FileList.h"
#include "base/String.h"
#include "base/TextDataFileReader.h"
#include "game/objects/ItemBase.h"
#include "world/GameCtrlInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

class ActionEntryBase;
class DXC_Texture;
class ItemObj;
class PathCurve;
struct AreaEffect;
struct DamageEntry;
struct HitEffects;
struct IlluminationData;
struct ShotRepeat;

// The light values of an element that the light brightness scales: its two light colours and
// three further light values.
struct ElemLightValues {
    float colour1[3] = {0.0f, 0.0f, 0.0f};
    float colour2[3] = {0.0f, 0.0f, 0.0f};
    float values[3] = {0.0f, 0.0f, 0.0f};
};

class GameCtrl : public GameCtrlInterface {
public:
    static constexpr int32_t kMaxKeyValues = 1024;  // values of a move path or key spline key
    static constexpr int32_t kDebugScriptCount = 9;

    GameCtrl();
    ~GameCtrl() override;

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

    // The engine's loads only report progress; serving the network while loading comes with it.
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override;

    // Constants and rules files.
    // Reads "cfg\constants.cfg" into the constants when it is there and must be read (again).
    void LoadConstants();
    ConstantTable& GetConstants() { return m_Constants; }
    // Opens a name = value file depending on the constants and hands it to LoadGameRules.
    void LoadRulesFile(const char* fileName);
    // The game rules' keys of such a file; the engine reads none.
    virtual void LoadGameRules(ConfigFileReader& reader);
    // Reads the nine debug script texts of "cfg/debugScripts.cfg" when it must be read (again).
    void LoadDebugScripts();
    const String& GetDebugScript(int32_t index) const { return m_DebugScripts[index]; }  // 0..8

    // Name tables.
    int32_t ParseAttachPoint(const String& text);  // an unknown name is an error
    int32_t ParseObjectType(const String& text);   // 0 for an unknown name
    // The element kind code of the "type" of a world-object entry; a missing "type" is an error.
    int32_t ReadItemType(int32_t entry);

    // Key readers: each fills one record from one entry; a key the entry lacks leaves its field.
    void ReadNetSync(ConfigFileReader& reader, uint8_t& netSync, int32_t entry);
    void ReadIllumination(ConfigFileReader& reader, IlluminationData& illumination, int32_t entry);
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
    int32_t FindWorldObjectTypeIndex(const char* name);
    int32_t FindItemTypeIndex(const char* name);
    ConfigFileReader& GetItemReader() { return m_ItemReader; }
    // The template item of the item entry named so, or null. createImage asks for the item's
    // picture, which only a client draws.
    ItemBase* FindItem(const char* name, bool createImage);
    // One template item per entry of the item reader, filled by the item loader.
    std::vector<std::shared_ptr<ItemBase>>& GetItemTable() { return m_ItemTable; }

    // Reads "cfg\shaders.cfg" where a graphics device exists; the server has none.
    void LoadShaders(bool reload);

    // Checks the type name; making the object comes with the game objects.
    WorldElemGridBase* CreateWorldObject(const char* typeName, float x, float y, float angle, float height) override;
    void OnWallAdded(int32_t wallID) override { (void)wallID; }
    bool IsMultiplayerGame() const override { return false; }
    bool GetFollowTarget(D3DXVECTOR2& target) override
    {
        target = D3DXVECTOR2(0.0f, 0.0f);
        return false;
    }
    int32_t IsFastFollow(int32_t arg) override
    {
        (void)arg;
        return 0;
    }
    void GetBackDrawFadeThresholds(float& full, float& none) const override
    {
        full = m_BackDrawFade[0];
        none = m_BackDrawFade[1];
    }

    // Items (GameCtrlItems.cpp).
    ItemBase* CreateItem() override;  // the engine's item; the game's rules make their own class
    DXC_Texture* GetItemPicture(const char* desc) override;
    // Makes the image texture of item entry index when it has none yet.
    void LoadItemImage(int32_t index);
    // The image texture of the item entry with that "desc"; an unknown one is an error.
    DXC_Texture* GetItemImage(const char* id);
    float GetAbilityWeight(int32_t abilityType) override;
    void OnItemAddedToInventory(Inventory* inventory, InventoryItem* item) override;
    bool IsNetworkGameServer() const override { return false; }
    void PlayWorldSound(const char* name) override;
    float ApplyGameFunction(float value, const char* name, WorldElem* element) override;
    float ApplyGameFunctionFor(float value, const char* name, const float* parameter) override;

protected:
    // Loads the listed files into the reader ("desc" indexes the entries); a failure is an error.
    void LoadDescReader(ConfigFileReader& reader, const FileList& files);

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
    std::vector<uint32_t> m_3dObjUseStamps;
    ConfigFileReader m_ItemReader;
    std::vector<std::shared_ptr<ItemBase>> m_ItemTable;
    // The image textures of the item entries, by entry, made on first use (shared pointers for
    // the class this header does not include).
    std::vector<std::shared_ptr<DXC_Texture>> m_ItemImages;

    float m_BackDrawFade[2] = {};  // cosines of "BackDrawFadeOutAngle"
};
