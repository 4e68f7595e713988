// GameCtrl: the engine's game controller. So far it holds what loading a level asks of it: the
// debug and floor size options, the game rules' description file lists, the object and wall
// description readers, the console-used flag and the loading progress hook, and the engine's
// answers to the level's walls and view.
#pragma once
#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "world/GameCtrlInterface.h"

#include <cstdint>

class GameCtrl : public GameCtrlInterface {
public:
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

    int32_t FindWallTypeIndex(const char* name) override { return m_WallReader.FindEntryByDesc(name); }
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
    float m_BackDrawFade[2] = {};  // cosines of "BackDrawFadeOutAngle"
};
