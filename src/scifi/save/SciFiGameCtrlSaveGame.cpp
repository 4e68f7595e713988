// SciFiGameCtrl: saving a game without a network into a save slot: "game.sv" (the game-wide
// state) and "character.sv" (the main character), then the level's state beside them.
//
// "game.sv", stored plain (little-endian; a String is an i32 length and its characters):
//   u16     version 275
//   String  the current level's description file; empty for a save of "FIRST_GAME_LEVEL"
//   i32     difficulty 1 .. 3
//   record  the game-wide script variables (ScriptVariablesGame.cpp)
//   f64     game time in seconds
//   record  the mission log (game/gui/MissionLogGui.cpp)
//
// "character.sv", packed by the file container with compression setting 8; unpacked:
//   u16     version 275
//   f64     game time in seconds
//   wString "v0.2" (i32 length in units, UTF-16 units)
//   i32     learned skill count L, then L x String skill name, in the skill index's walk order
//   3 x String  the skills in skill slots 1, 3 and 2 of the character's input (empty: none)
//   2 x i32 advance points, 0;  2 x i32 skill points, 0
//   u8      level progress (-1 is 255);  u8 highest difficulty
//   record  the character's creature record with the character flag (CreatureObj_SFRecord.cpp),
//           taken from a clean copy: alive, no life span, fully visible, nothing pending
//   10 x String the skills of the quick slots 0 .. 9 (empty: none)
//   u16     end marker 0x1234
//
// Both files are written completely before either replaces its old file, "character.sv" first:
// a crash between the two renames leaves the new character beside the old game, which loads; a
// failure before the first rename leaves the old pair.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "platform/SafeFileReplace.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/save/PlayerSaveID.h"
#include "scifi/save/ScriptVariablesGame.h"
#include "world/WorldCtrl.h"

#include <cstring>
#include <memory>

namespace {

constexpr uint16_t kSaveVersion = 275;
constexpr uint16_t kEndMarker = 0x1234;
constexpr int32_t kCharacterCompression = 8;
constexpr int32_t kCleanCopyBuffer = 32768;
constexpr const char* kFirstGameLevel = "FIRST_GAME_LEVEL";
constexpr const char16_t* kCharacterFormatTag = u"v0.2";
constexpr int32_t kSavedSkillSlots[3] = {1, 3, 2};  // the order the reader expects

String SkillName(const SkillTreeEntry* skill) { return skill ? skill->name : String(); }

// Both files whole in their temporary files first, then "character.sv" renamed into place, then
// "game.sv"; false (logged) at the first that fails. A failed or dropped File removes its own
// temporary file.
bool WriteSlotFiles(SciFiGameCtrl& ctrl, const String& dir, bool firstGameLevel, CreatureObj_SF& hero)
{
    const String gamePath = ctrl.InGameFolder(dir + "game.sv");
    const String characterPath = ctrl.InGameFolder(dir + "character.sv");
    // What a writer killed before its rename left here is no save: it goes now.
    Platform::SafeFileReplace::RemoveStaleTemps(gamePath.c_str());
    Platform::SafeFileReplace::RemoveStaleTemps(characterPath.c_str());

    File gameFile;
    File characterFile;
    if (!gameFile.CreateReplacing(gamePath, true) || !characterFile.CreateReplacing(characterPath, true)) {
        Log::Write("Game not saved: '%s' can not be written", dir.c_str());
        return false;
    }
    ctrl.WriteGameSave(gameFile, firstGameLevel);
    ctrl.WriteCharacterSave(characterFile, hero);
    if (!characterFile.Commit()) {
        Log::Write("Game not saved: '%s' kept as it was", dir.c_str());
        return false;
    }
    Log::Write("%s", (dir + "character.sv saved").c_str());
    if (!gameFile.Commit()) {
        Log::Write("Game not saved: '%s' holds the new character beside the old game", dir.c_str());
        return false;
    }
    Log::Write("%s", (dir + "game.sv saved").c_str());
    return true;
}

}  // namespace

int32_t SciFiGameCtrl::SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name)
{
    (void)a;
    (void)b;
    (void)name;
    SaveCharacterForMultiplayer();
    if (IsNetworkClient() || IsNetworkServer())
        return 1;  // the players' own machines keep their characters
    auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar());
    if (GetWorld().IsAnyScriptActive())
        Warning("Trying to save during running script(s)");
    if (!IsGameActive() && slot != 1)
        return 0;
    if (GetSettings().testChar == 1 || !hero)
        return 0;
    Log::Write("Save game");

    const String dir = GetSavegamePath(slot);
    SyncSavegameDir(slot);
    const bool firstGameLevel = levelName && std::strcmp(levelName, kFirstGameLevel) == 0;
    bool written = false;
    try {
        written = WriteSlotFiles(*this, dir, firstGameLevel, *hero);
        if (written && slot != 1 && !firstGameLevel) {
            written = SaveLevel(slot);  // warns itself when it fails
            if (written)
                Log::Write("%s saved", GetLevelDescFile().c_str());
        }
    } catch (const ErrorMsg& e) {  // a full disk: the old files stay and the game goes on unsaved
        Log::Write("Game not saved: %s", e.message);
        written = false;
    }
    if (!written)
        return 0;
    EndSkillSlotEffects(*hero);
    if (slot != -1)
        ShowMessage(4.0f, "DB:GameSaved");
    return 1;
}

bool SciFiGameCtrl::WriteGameSave(File& file, bool firstGameLevel)
{
    file.WriteInt16Value(kSaveVersion);
    file.WriteString(firstGameLevel ? String() : GetLevelDescFile());
    file.WriteInt32(GetDifficulty());
    ScriptVariablesGame(*this).Save(file);
    file.WriteDouble(GetGameTime());
    m_MissionLogWindow.Save(file);
    return true;
}

bool SciFiGameCtrl::WriteCharacterSave(File& file, CreatureObj_SF& character)
{
    file.SetCompression(kCharacterCompression);  // before the first byte
    file.WriteInt16Value(kSaveVersion);
    file.WriteDouble(GetGameTime());
    file.WriteWString(wString(kCharacterFormatTag));
    WriteLearnedSkills(file);
    auto* input = dynamic_cast<SciFiInputCtrl*>(character.m_InputCtrl);
    for (int32_t slot : kSavedSkillSlots)
        file.WriteString(SkillName(input ? input->GetSkillSlot(slot, false, true) : nullptr));
    file.WriteInt32(character.m_AdvancePoints);
    file.WriteInt32(0);
    file.WriteInt32(character.m_SkillPoints);
    file.WriteInt32(0);
    file.WriteInt8(uint8_t(character.m_LevelProgress));
    file.WriteInt8(character.m_HighestDifficulty);

    // The character is stored as a clean copy made through its own record, so that the running
    // creature keeps its state: a character loads alive, visible and without a life span.
    File buffer;
    buffer.CreateMemoryFile(kCleanCopyBuffer);
    buffer.WriteInt16Value(kSaveVersion);
    character.Save(buffer, true);
    buffer.Seek(0);
    buffer.SetVersion(buffer.ReadInt16Member());
    std::unique_ptr<CreatureObj_SF> copy(new CreatureObj_SF);
    if (!copy->LoadChecked(buffer, true))
        Error("The character's record can not be read back");  // our own record: a fault of ours
    copy->m_LifeSpanEnd = -1.0;
    copy->m_Opacity = 1.0f;
    copy->m_FadeRate = 0.0f;
    copy->m_BlockedFlagA = 0;
    copy->m_DeathTime = 0.0f;
    copy->m_Dead = 0;
    copy->m_Dying = 0;
    copy->Save(file, true);

    for (int32_t slot = 0; slot < kQuickSlots; ++slot)
        file.WriteString(SkillName(m_QuickSlots[slot]));
    file.WriteInt16Value(kEndMarker);
    return true;
}

void SciFiGameCtrl::WriteLearnedSkills(File& file)
{
    int32_t count = 0;
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        count += skill->learned ? 1 : 0;
    file.WriteInt32(count);
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        if (skill->learned)
            file.WriteString(skill->name);
}

String SciFiGameCtrl::InGameFolder(const String& relative)
{
    const wString& folder = GetGameFolder();
    if (folder.IsEmpty())
        return relative;
    String path(folder);
    const char last = path[path.GetLength() - 1];
    if (last != '/' && last != '\\')
        path += "/";
    return path + relative;
}
