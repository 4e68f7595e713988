// GameCtrl: construction and the description readers of the game rules' file lists.
#include "game/ctrl/GameCtrl.h"

#include "level/LevelDescFiles.h"
#include "level/LevelErrorText.h"

GameCtrl::GameCtrl()
{
    CopyName32(this, "GameCtrl");
    m_World.SetGameCtrl(this);
}

GameCtrl::~GameCtrl() = default;

void GameCtrl::LoadDescReader(ConfigFileReader& reader, const FileList& files)
{
    LevelDescFiles loaded;
    if (!loaded.Load(reader, files, nullptr, false))
        Error("%s", LevelErrorText::Get());
}

ConfigFileReader* GameCtrl::LoadWorldObjectFiles()
{
    LoadDescReader(m_WorldObjectReader, m_ObjectCfgFiles);
    return &m_WorldObjectReader;
}

ConfigFileReader* GameCtrl::OpenWallFiles()
{
    LoadDescReader(m_WallReader, m_WallCfgFiles);
    return &m_WallReader;
}

void GameCtrl::ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag)
{
    (void)percent;
    (void)stage;
    (void)alpha;
    (void)flag;
}

void GameCtrl::LoadGameRules(ConfigFileReader& reader) { (void)reader; }

WorldElemGridBase* GameCtrl::CreateWorldObject(const char* typeName, float x, float y, float angle, float height)
{
    (void)x;
    (void)y;
    (void)angle;
    (void)height;
    if (m_WorldObjectReader.FindEntryByDesc(typeName) < 0)
        Error("World object '%s' not found", typeName);
    return nullptr;
}

void GameCtrl::ChangeViewMode(int32_t mode, int32_t a, int32_t b, float c, float d)
{
    (void)a;
    (void)b;
    (void)c;
    (void)d;
    m_ViewMode = mode;
}

void GameCtrl::UpdateWorld(float dt)
{
    if (dt <= 0.0f)
        return;
    m_World.Process(dt);
    m_World.ResetActiveBlockCounters();
}
