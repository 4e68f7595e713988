// SciFiGameCtrl character and class selection of the client's start menu: the saved characters
// read from their "player.sv" files, browsing them and the classes with wrap-around, the menu's
// texts from the database and the menu scripts of the selection.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/StartupConstants.h"
#include "platform/DirectoryOps.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/text/FormatConversions.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kChapterScript = "scripts\\level_2_chapter.c";
constexpr int32_t kScriptValueSlot = 2;  // object script variable 2 carries the menu's value

// One step outside [0, count) comes back in from the other end.
int32_t WrapIndex(int32_t index, int32_t count)
{
    if (index >= count)
        index -= count;
    else if (index < 0)
        index += count;
    return std::clamp(index, 0, count - 1);  // an index further out is no browse step
}

String MenuScriptPath(const char* relative) { return String(StartupConstants::kMenuScriptDir) + relative; }

}  // namespace

void SciFiGameCtrl::RefreshCharacterLists()
{
    for (bool multiplayer : {false, true}) {
        PlayerSaveIDList& list = GetCharacterList(multiplayer);
        list.DeleteAll();
        const char* root = multiplayer ? "saveMP" : "save";
        std::unique_ptr<Platform::Directory> folder = Platform::Directory::Open(InGameFolder(String(root)).c_str());
        std::vector<Platform::DirEntry> entries;
        if (!folder || !folder->List("*", entries))
            continue;
        std::sort(entries.begin(), entries.end(),
                  [](const Platform::DirEntry& a, const Platform::DirEntry& b) { return a.name < b.name; });
        for (const Platform::DirEntry& entry : entries) {
            if (!entry.isDirectory || entry.name.find('\\') != std::string::npos)
                continue;
            PlayerSaveID_Creature player;
            bool fileMultiplayer = false;
            const String directory = String(root) + "\\" + entry.name.c_str() + "\\";
            if (!player.ReadPlayerFile(InGameFolder(directory + "player.sv"), fileMultiplayer) ||
                fileMultiplayer != multiplayer)
                continue;  // no player here, or one of the other list
            if (list.GetSize() >= list.GetCapacity())
                break;
            player.saveDirectory = directory;  // where it was found, whatever its name says
            *list.GetBySlot(list.Add()) = player;
        }
    }
    m_SelectedSingle = std::clamp(m_SelectedSingle, 0, std::max(0, m_SingleCharacters.GetSize() - 1));
    m_SelectedMulti = std::clamp(m_SelectedMulti, 0, std::max(0, m_MultiCharacters.GetSize() - 1));
}

void SciFiGameCtrl::AddConvertedCharacter(const PlayerSaveID_Creature& character)
{
    if (m_MultiCharacters.GetSize() < m_MultiCharacters.GetCapacity())
        *m_MultiCharacters.GetBySlot(m_MultiCharacters.Add()) = character;
}

wString SciFiGameCtrl::FormatPlayerInfo(const wString& format, const wString& className, int32_t chapter,
                                        int32_t level, const wString& difficulty)
{
    wString info;
    if (FormatConversionKinds(format) == "sdds") {
        info.Format(format.c_str(), className.c_str(), chapter, level, difficulty.c_str());
        return info;
    }
    // A text whose conversions do not take these values: each value after it, plainly.
    info.FormatNarrow(" %d %d ", int(chapter), int(level));
    return format + wString(u" ") + className + info + difficulty;
}

SciFiGameCtrl::PlayerSaveID_Creature* SciFiGameCtrl::SelectSavedCharacter(int32_t index, bool multiplayer,
                                                                          bool runScript, int32_t scriptValue)
{
    PlayerSaveIDList& list = GetCharacterList(multiplayer);
    String& scriptPath = multiplayer ? m_MultiSelectScript : m_SingleSelectScript;
    scriptPath = MenuScriptPath(multiplayer ? "character/multi/character_select.c" : "character/single/character_select.c");
    if (list.GetSize() == 0)
        return nullptr;
    index = WrapIndex(index, list.GetSize());
    (multiplayer ? m_SelectedMulti : m_SelectedSingle) = index;
    PlayerSaveID_Creature* entry = list.GetAt(index);
    m_StartMenu.nameText.SetText(entry->name);
    static_cast<PlayerSaveID&>(m_CurrentPlayer) = *entry;
    m_CurrentPlayer.creature = entry->creature.Get();

    // The conversion is offered for a single-player character that has no multiplayer twin yet.
    bool converted = false;
    for (int32_t i = 0; i < m_MultiCharacters.GetSize(); ++i)
        converted |= m_MultiCharacters.GetAt(i)->playerID == entry->playerID;
    m_StartMenu.conversionLink.SetOpenState(!multiplayer && !converted);

    int32_t level = 1;
    int32_t chapter = 1;
    int32_t difficulty = 0;
    CreatureObj_SF* creature = entry->creature.Get();
    if (creature) {
        level = creature->GetLevel();
        difficulty = std::clamp(int32_t(creature->m_HighestDifficulty) - 1, 0, 2);
        SetObjScriptVariable(kScriptValueSlot, creature->m_LevelProgress);
        ScriptValue result;
        CallScript(result, String(kChapterScript), 1, "level_2_chapter", 0, nullptr, 255);
        chapter = result.m_Type == kScriptInt ? result.m_Integer
                  : result.m_Type == kScriptFloat ? int32_t(result.m_Number)
                                                  : 0;
    }
    String key;
    key.Format("class_short_%s", entry->characterConfigID.c_str());
    const wString className = GetGuiDBText("startMenu", key.c_str(), nullptr);
    key.Format("difficulty%d", int(difficulty));
    const wString difficultyText = GetGuiDBText("startMenu", key.c_str(), nullptr);
    m_StartMenu.infoText.SetText(
        FormatPlayerInfo(GetGuiDBText("startMenu", "playerInfo", nullptr), className, chapter, level, difficultyText));

    if (runScript && creature) {
        SetObjScriptVariable(kScriptValueSlot, scriptValue);
        ScriptValue result;
        CallScript(result, scriptPath, 1, "character_select", 1, creature, 255);
    }
    return entry;
}

void SciFiGameCtrl::SelectClass(int32_t index, bool runScript, int32_t scriptValue)
{
    auto& classes = m_NewCharacterScreen.classes;
    if (classes.GetSize() == 0)
        return;
    index = WrapIndex(index, classes.GetSize());
    m_NewCharacterScreen.selectedClass = index;
    CreatureObj* creature = classes.GetAt(index)->Get();
    const String classID = creature ? creature->m_CfgID : String();
    String key;
    key.Format("class_%s", classID.c_str());
    m_StartMenu.classNameText.SetText(GetGuiDBText("startMenu", key.c_str(), nullptr));
    key.Format("class_info_%s", classID.c_str());
    m_StartMenu.classInfoText.SetText(GetGuiDBText("startMenu", key.c_str(), nullptr));
    if (runScript) {
        SetObjScriptVariable(kScriptValueSlot, scriptValue);
        ScriptValue result;
        CallScript(result, MenuScriptPath("character/new/class_select.c"), 1, "class_select", 1, creature, 255);
    }
}
