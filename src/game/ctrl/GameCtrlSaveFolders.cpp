// GameCtrl: the save-game folders (paths by type, the level save file, deleting saved levels and
// the working folder), file names for typed names, the auto-save request, the world's pending
// requests and its visibility map.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/FileSystem.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "platform/DirectoryOps.h"
#include "world/WorldEventPayloads.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double kAutoSaveInterval = 60.0;  // seconds of game time between two auto-saves

// World event codes: a level change, a new game, and the two that end the game, with the reason
// each stores.
constexpr int32_t kChangeLevelCode = 1;
constexpr int32_t kNewGameCode = 2;
constexpr int32_t kEndOfGameCode = 3;
constexpr int32_t kEndOfGameCode2 = 5;

bool IsFileNameSafe(char16_t unit)
{
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') ||
           unit == u' ' || unit == u'_' || unit == u'-';
}

char EncodeFiveBits(uint32_t value) { return value < 26 ? char('a' + value) : char('0' + value - 26); }

}  // namespace

String GameCtrl::GetSavegamePath(int32_t type)
{
    if (type < -3 || type > 99)
        Error("Invalid savegame type: %i", int(type));
    String path = m_SavegameBaseDir;
    if (type == -2 || type == -1) {
        path += "current\\";
    } else if (type == 0) {
        path += "quick\\";
    } else if (type > 0) {
        char slot[16];
        std::snprintf(slot, sizeof(slot), "save%2i\\", int(type));
        path += slot;
    }
    return path;
}

bool GameCtrl::SaveLevel(int32_t type)
{
    const String folder = GetSavegamePath(type);
    Log::Write("Save level");
    // The base name of the description, without folder and extension.
    const char* name = m_LevelDescFile.c_str();
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/' || *c == ':')
            name = c + 1;
    String fileName = folder;
    const char* dot = std::strrchr(name, '.');
    fileName += String(name, int32_t(dot ? dot - name : std::strlen(name)));
    fileName += ".ld";

    File file;
    if (!file.CreateReplacing(fileName, false)) {  // the file layer has warned
        Warning("Level not saved: '%s'", fileName.c_str());
        return false;
    }
    file.WriteInt16Value(WorldCtrl::kSaveVersion);
    m_LevelVariables.Save(file);
    m_World.SaveLevel(file, 0, 0);
    if (m_Settings.compressSavegames)
        file.SetCompression(3);
    if (!file.Commit()) {
        Warning("Level not saved: '%s'", fileName.c_str());
        return false;
    }
    return true;
}

void GameCtrl::DeleteSavedLevels(int32_t type)
{
    if (m_Settings.testChar == 1)
        return;
    const String folder = GetSavegamePath(type);
    std::unique_ptr<Platform::Directory> directory = Platform::Directory::Open(folder.c_str());
    std::vector<Platform::DirEntry> entries;
    if (!directory || !directory->List("*.ld", entries))
        return;  // no folder: no saved levels
    for (const Platform::DirEntry& entry : entries) {
        if (entry.isDirectory)
            continue;
        if (entry.isReadOnly)
            directory->MakeWritable(entry.name);
        if (!directory->RemoveFile(entry.name)) {
            Log::Write("Can not delete file '%s%s'", folder.c_str(), entry.name.c_str());
            return;
        }
    }
}

// Only a closing separator is dropped: cutting any last character would name another folder
// ("save\current" would become "save\curren").
void GameCtrl::DeleteWorkingSaveFolder()
{
    if (m_SaveMode == 1)
        return;
    String folder = GetSavegamePath(-1);
    const int32_t length = folder.GetLength();
    if (length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/'))
        folder = String(folder.c_str(), length - 1);
    if (folder.IsEmpty())
        return;  // never the game folder itself
    FileSystem::DeleteDirectoryTree(folder.c_str());
}

String GameCtrl::MakeFileName(const char16_t* text, int32_t length)
{
    String result;
    for (int32_t i = 0; text && i < length; ++i) {
        const char16_t unit = text[i];
        if (IsFileNameSafe(unit)) {
            result += char(unit);
        } else {
            result += EncodeFiveBits(unit & 0x1Fu);
            result += EncodeFiveBits((unit >> 5) & 0x1Fu);
        }
    }
    return result;
}

void GameCtrl::RequestAutoSave(uint8_t force)
{
    if (m_SaveMode == 1 || (!force && !g_Options.autoSave))
        return;
    if (m_GameTime - m_LastSaveTime >= kAutoSaveInterval)
        m_AutoSaveRequest = 1;
}

bool GameCtrl::CanSaveNow()
{
    if (m_World.IsAnyScriptActive() || m_ViewMode != 0)
        return false;
    if (IsNetworkGameServer())
        return true;
    CreatureObj* mainChar = GetMainChar();
    return mainChar && !mainChar->IsDead();
}

void GameCtrl::UpdateVisibilityMap()
{
    if (m_World.CalcVisibilityMap())
        Log::Write("Visibility map calculated");
}

int32_t GameCtrl::ProcessPendingRequests()
{
    if (m_AutoSaveRequest && CanSaveNow() && m_HoldCounter == 0) {
        AutoSave();
        OnAutoSaveDone();
    }
    const int32_t code = m_World.ProcessWorldEvents();
    if (code == kChangeLevelCode) {
        EnterRequestedLevel(m_World.GetLevelChangeName(), m_World.GetLevelChangeValue(), 0);
    } else if (code == kNewGameCode) {
        StartNewGame(nullptr);
    } else if (code == kEndOfGameCode || code == kEndOfGameCode2) {
        RequestEndOfGame(code == kEndOfGameCode ? 1 : 2);
    }
    return code;
}

void GameCtrl::RequestEndOfGame(int32_t reason)
{
    m_EndReason = reason;
    m_EndOfGameRequest = 1;
    HoldFrames(1);
}

void GameCtrl::PostByteEventAndHold(uint8_t value)
{
    WorldEvent event;
    ByteEventRecord{value}.Write(event, WorldEventType::kGameEnd);
    AddGameEvent(&event);
    HoldFrames(1);
}

void GameCtrl::AddByteEvent(uint8_t value)
{
    WorldEvent event;
    ByteEventRecord{value}.Write(event, WorldEventType::kGameEndByte);
    AddGameEvent(&event);
}

void GameCtrl::OnAutoSaveDone()
{
    m_AutoSaveRequest = 0;
    m_LastSaveTime = m_GameTime;
}

void GameCtrl::HoldFrames(int32_t frames) { m_HoldCounter = m_HoldCounter > frames ? m_HoldCounter : frames; }

void GameCtrl::ReleaseHeldFrame()
{
    if (m_HoldCounter > 0)
        --m_HoldCounter;
}
