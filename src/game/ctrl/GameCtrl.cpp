// GameCtrl: construction, the reset of the game values, destruction, the state manager link, the
// description readers of the game rules' file lists and the errors that do not stop an operation.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/StateManager.h"
#include "level/LevelDescFiles.h"
#include "level/LevelErrorText.h"
#include "level/ShaderEntry.h"
#include "platform/FileSystem.h"

#include <cstdarg>
#include <cstdio>

int32_t g_ScreenWidth = DXC_Gfx::kNoDeviceWidth;
int32_t g_ScreenHeight = DXC_Gfx::kNoDeviceHeight;

GameCtrl::GameCtrl()
{
    CopyName32(this, "GameCtrl");
    if (g_Gfx)
        g_Gfx->GetBackBufferSize(g_ScreenWidth, g_ScreenHeight);
    m_World.SetGameCtrl(this);
    m_GameSpeed = 1.0f;
    m_CurrentDirectory = Platform::GetCurrentDir().c_str();

    LoadConstants();
    LoadFunctions();
    // The game data readers read their files again once the constants change.
    m_WorldObjectReader.SetConstantTable(&m_Constants);
    m_WallReader.SetConstantTable(&m_Constants);
    m_3dObjReader.SetConstantTable(&m_Constants);
    m_ItemReader.SetConstantTable(&m_Constants);
    m_CreatureReader.SetConstantTable(&m_Constants);
    // A controller without a game directory (a tool, a test) starts without the table; the game
    // opens it again with every new game, which reports a missing file.
    if (File::Exists("cfg\\3dobjs.cfg"))
        Open3dObjs();
    // The creature definitions and their cycle sets, which a level's creatures are made from.
    if (File::Exists("cfg\\3dCreatures.cfg"))
        LoadCreatureDefinitions();
    if (File::Exists("cfg\\anicycles.cfg"))
        LoadAniCycleFile();

    // The windows exist from the start and stay closed until the GUI is set up, which the
    // dedicated server never does.
    DXC_GuiField* windows[] = {&m_InteractiveWindow, &m_PopUpWindow,        &m_MessageBox,  &m_ConsoleWindow,
                               &m_SelectMenu,        &m_SubTitleWindow,     &m_ErrorWindow, &m_LightPropWindow,
                               &m_SceneObjPropWindow, &m_InfoBar,           &m_ProgressBar, &m_TextField};
    for (DXC_GuiField* window : windows)
        window->SetOpenState(false);
    for (DXC_GuiTextViewerScl& viewer : m_TextViewers)
        viewer.SetOpenState(false);

    m_HeroName = "Hero";
    m_ScreenshotPrefix = "scrshot";
    m_MainChar.Release();
    ResetGameState();
}

GameCtrl::~GameCtrl() { GameDeinit(); }

// Runs in the destructor, so every call below reaches this class's bodies, whatever the object
// was made as.
void GameCtrl::GameDeinit()
{
    m_Deinitialising = 1;
    LeaveGuiMode(1);
    m_ShaderEffect.Release();
    Log::Write("GameDeinit");
    StopMusic(-1);
    StopAmbientSound();
    // The shared inventories and the input controllers go with their owners' tables. The world's
    // elements go while the controller they report to is still reachable.
    m_World.DeleteAllObjects();
    DeleteInputCtrls();
    m_DoNotSaveObjects.DeleteAll();
    m_3dObjPrototypes.clear();
    m_3dObjUseStamps.clear();
    m_ItemTable.clear();
    if (g_GameCtrl == this)
        g_GameCtrl = nullptr;
    m_StateManager.Release();
    m_MainChar.Release();
}

void GameCtrl::ResetGameState()
{
    // Object variables of the last game would otherwise name elements of the new one.
    for (int32_t i = 0; i < kObjScriptVariables; ++i) {
        m_ObjScriptVariables[i] = -1;
        m_ObjScriptTexts[i] = String();
    }
    m_AutoSaveRequest = 0;
    m_LastSaveTime = 0.0;
    m_World.ResetGameState();
    m_MusicFadePosition = 1.0f;
    m_MusicFadeRate = 0.0f;
    m_PendingViewMode = -1;
    m_GameTime = 0.0;
    m_ConsoleUsed = m_DebugMode;
    for (std::unique_ptr<Inventory>& store : m_InventoryStores)
        if (store)
            store->Clear(true);  // what a script stored in the last game is gone with its items
}

void GameCtrl::Reset()
{
    m_LevelVariables.Clear();
    ResetCameraPath(m_DefaultCameraPathMode);
    m_World.ResetLevelEffects();
    m_SubTitleWindow.Reset();
    m_SubTitleWindow.SetOpenState(false);
}

void GameCtrl::SetStateManager(StateManager* stateManager) { m_StateManager = stateManager; }

StateManager* GameCtrl::GetStateManager() const { return m_StateManager.Get(); }

void GameCtrl::LoadDescReader(ConfigFileReader& reader, const FileList& files)
{
    LevelDescFiles loaded;
    if (!loaded.Load(reader, files, nullptr, false))
        Error("%s", LevelErrorText::Get());
}

void GameCtrl::ReportError(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    try {
        Error("%s", message);
    } catch (const ErrorMsg&) {
        // logged and marked; a client-side setting or a missing optional file must not stop us
    }
}

ConfigFileReader* GameCtrl::LoadWorldObjectFiles()
{
    LoadDescReader(m_WorldObjectReader, m_ObjectCfgFiles);
    if (m_DebugMode != 0)
        CheckItemReferences();
    return &m_WorldObjectReader;
}

ConfigFileReader* GameCtrl::OpenWallFiles()
{
    LoadDescReader(m_WallReader, m_WallCfgFiles);
    return &m_WallReader;
}

// The set-game-mode operation: leaving mode 2 ends the scene as SetViewMode does, with the input
// back and "OnExit" called. The fade values shape a client's drawing only.
void GameCtrl::ChangeViewMode(int32_t mode, int32_t a, int32_t b, float c, float d)
{
    (void)a;
    (void)b;
    (void)c;
    (void)d;
    if (m_ViewMode == 2 && mode != 2) {
        SetViewMode(mode, nullptr);
        return;
    }
    m_ViewMode = mode;
}

void GameCtrl::UpdateWorld(float dt)
{
    if (dt <= 0.0f)
        return;
    m_World.Process(dt);
    m_World.ResetActiveBlockCounters();
}
