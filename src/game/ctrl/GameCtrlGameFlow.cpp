// GameCtrl: the game's flow around its levels: a new game, the reset of a level to its files,
// the save folders made and synchronised for a save, the game's own log file, and the upkeep of
// the 3D object files between games.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/FileSystem.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/objects/ItemObj.h"
#include "platform/DirectoryOps.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>

namespace {

// Returns to the folder that was current when it was made, however the work ends.
class CurrentDirScope {
public:
    CurrentDirScope() : m_Dir(Platform::GetCurrentDir()) {}
    ~CurrentDirScope()
    {
        if (!m_Dir.empty())
            Platform::SetCurrentDir(m_Dir);
    }
    CurrentDirScope(const CurrentDirScope&) = delete;
    CurrentDirScope& operator=(const CurrentDirScope&) = delete;

private:
    std::string m_Dir;
};

// Makes every folder of a relative path ("save\current\"), outermost first; false when the last
// one is not there afterwards.
bool MakeFolderPath(const String& path)
{
    std::string partial;
    const char* text = path.c_str();
    for (const char* c = text; *c; ++c) {
        if ((*c == '\\' || *c == '/') && !partial.empty())
            Platform::MakeDirectory(partial);
        partial += *c;
    }
    return Platform::IsDirectory(partial);
}

}  // namespace

CreatureObj* GameCtrl::StartNewGame(const char* levelName)
{
    Log::Write("Start new game");
    String level = m_Settings.level;
    if (levelName && *levelName)
        level = levelName;
    if (level.IsEmpty())
        Error("No start level.cfg specified");
    m_MainChar.Release();
    m_GameCounter = 0;
    if (m_DebugMode)
        ReloadChanged3dObjs();
    m_World.DeleteAllObjects();
    if (m_DebugMode) {
        LoadConstants();
        LoadFunctions();
        LoadDebugScripts();
        Open3dObjs();
        LoadCreatureDefinitions();
        LoadAniCycleFile();
        LoadActions();
        LoadStrategies();
        LoadGeneralItems();
    }
    LoadStories();
    ResetGameState();
    for (int32_t slot = m_InputCtrls.NextUsedSlot(-1); slot >= 0; slot = m_InputCtrls.NextUsedSlot(slot))
        if (InputCtrl* input = m_InputCtrls.GetBySlot(slot))
            input->Reset();
    LoadGameScripts();
    DeleteWorkingSaveFolder();
    if (g_GuiManager) {
        g_GuiManager->SetCursorType(0);
        g_GuiManager->SetCursorEnabled(true);
    }
    ChangeLevel(level.c_str(), GetSavegamePath(-1), LevelChangeOptions());
    if (m_DebugMode || g_Options.allowXMove)
        m_ConsoleUsed = 1;
    return GetMainChar();
}

// Each game script ("InitScript" of the rules) becomes a kept module of the world, loaded afresh
// for every new game: the module of the game before goes first. Its top level runs once, which
// declares its functions for the other scripts; a script that fails is reported like any script
// error and the game goes on.
void GameCtrl::LoadGameScripts()
{
    for (int32_t i = 0; i < m_InitScripts.GetCount(); ++i)
        m_World.ReleaseScriptModules(m_InitScripts.GetName(i));
    for (int32_t i = 0; i < m_InitScripts.GetCount(); ++i) {
        ScriptValue result;
        RunScript(result, m_InitScripts.GetName(i), "InitScript", 1, -1);
    }
}

void GameCtrl::ResetLevel(int32_t argument)
{
    if (m_Settings.testChar == 1)
        return;
    const String folder = GetSavegamePath(-1);
    Log::Write("Reset level");
    const char* name = m_LevelDescFile.c_str();
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/' || *c == ':')
            name = c + 1;
    const char* dot = std::strrchr(name, '.');
    const String file = folder + String(name, int32_t(dot ? dot - name : std::strlen(name))) + ".ld";
    Platform::RemoveFile(file.c_str());  // a level never saved has none
    LoadGame(-1, argument, 1);
}

void GameCtrl::CreateSaveFolder(const char* name, uint8_t multiplayer)
{
    CurrentDirScope back;
    if (!m_GameFolder.IsEmpty())
        Platform::SetCurrentDir(String(m_GameFolder).c_str());
    const std::string root = multiplayer ? "saveMP" : "save";
    Platform::MakeDirectory(root);
    if (name && *name)
        Platform::MakeDirectory(root + "\\" + name);
}

void GameCtrl::SyncSavegameDir(int32_t type)
{
    const String folder = GetSavegamePath(type);
    CurrentDirScope back;
    if (!Platform::IsDirectory(folder.c_str())) {
        if (!m_GameFolder.IsEmpty())
            Platform::SetCurrentDir(String(m_GameFolder).c_str());
        if (!MakeFolderPath(folder))
            Error("Can not create directory '%s'", folder.c_str());
    }
    if (type == -1)
        return;
    const String working = GetSavegamePath(-1);
    if (!MakeFolderPath(working) ||
        FileSystem::MirrorDirectoryA(working.c_str(), folder.c_str(), "*.ld", nullptr) != FileSystem::kMirrorDone)
        Warning("Can not sync savegame dir of type %i", int(type));
}

void GameCtrl::AppendGameLog(const char* text)
{
    if (m_SavegameBaseDir.IsEmpty() || m_Settings.testChar == 1 || !text)
        return;
    const String name = m_SavegameBaseDir + "logfile.txt";
    std::FILE* file = Platform::OpenFile(name.c_str(), "ab");
    if (!file) {
        Warning("Can not open '%s'", name.c_str());
        return;
    }
    std::fwrite(text, 1, std::strlen(text), file);
    std::fclose(file);
}

// The size each loaded 3D object file had when this check first saw it.
void GameCtrl::ReloadChanged3dObjs()
{
    ConfigFileReader& reader = m_3dObjReader;
    if (m_3dObjFileSizes.size() != m_3dObjPrototypes.size())
        m_3dObjFileSizes.assign(m_3dObjPrototypes.size(), -1);
    for (size_t entry = 0; entry < m_3dObjPrototypes.size(); ++entry) {
        if (!m_3dObjPrototypes[entry])
            continue;
        int64_t size = 0;
        for (const char* key : {"sFile", "sFileBack"}) {
            String name;
            if (reader.GetString(key, name, int32_t(entry)) != ConfigFileReader::kFound || name.IsEmpty())
                continue;
            File file;
            if (!file.Open(name, true, File::kDiskFile, false))
                Error("Can not re-open file '%s'", name.c_str());
            size += file.GetFileSize();
        }
        if (m_3dObjFileSizes[entry] >= 0 && m_3dObjFileSizes[entry] != size) {
            m_3dObjPrototypes[entry].reset();  // loaded again on its next request
            Load3dObjs(int32_t(entry), false);
        }
        m_3dObjFileSizes[entry] = size;
    }
}

void GameCtrl::FreeUnused3dObjs()
{
    std::vector<uint8_t> marks(m_3dObjPrototypes.size(), 0);
    MarkUsed3dFiles(marks);
    for (size_t entry = 0; entry < m_3dObjPrototypes.size(); ++entry)
        if (m_3dObjPrototypes[entry] && !marks[entry])
            m_3dObjPrototypes[entry].reset();
}

int32_t GameCtrl::SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name)
{
    (void)slot;
    (void)levelName;
    (void)a;
    (void)b;
    (void)name;
    return 1;
}
