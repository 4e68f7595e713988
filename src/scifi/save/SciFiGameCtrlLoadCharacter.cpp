// SciFiGameCtrl: reading a "character.sv" into a creature, making a player's character from its
// newest save, and keeping the character for a multiplayer game (the conversion).
//
// "character.sv" as it is read (packed by the file container; unpacked, little-endian):
//   u16     version, 258 .. 275; any other ends the read before anything else
//   f64     game time at saving (not used)
//   wString format tag (not used)
//   i32     learned skill count L (each name takes at least its 4-byte length), L x String
//   3 x String  skills of buttons 1, 3 and 2 (empty: the kind's placeholder)
//   2 x i32 advance points, read as their sum;  2 x i32 skill points, the same
//   u8      level progress (255 is -1)
//   u8      highest difficulty                      from 266; older files give 1
//   record  the creature record with the character flag (CreatureObj_SFRecord.cpp)
//   10 x String quick slots 0 .. 9 (empty: emptied)  from 264; older files leave them
//   u16     end marker 0x1234
// The whole file is read and checked (the creature record in a scratch creature) before the
// character or a skill changes; a text length below 0 is a fault like one past the end.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Log.h"
#include "game/ctrl/StateManager.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/save/CharacterSaveRecord.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace {

constexpr int32_t kButtonOrder[3] = {1, 3, 2};  // the buttons in the order of the file
constexpr int64_t kLeastNameBytes = 4;
constexpr int32_t kCharacterFileCompression = 8;
constexpr const char* kCharacterAddScript = "character/multi/character_add.c";

// A text whose length field is negative is refused (File reads it as empty, which would shift
// every later field).
void ReadSavedText(FileRecordReader& in, String& text, const char* what)
{
    File& file = in.GetFile();
    const int32_t at = file.GetPos();
    if (in.I32() < 0)
        file.Error("%s: negative text length", what);
    file.Seek(at);
    in.Text(text);
}

// Two words of which the saved value is the sum, kept within the counter's range.
int32_t ReadPointPair(FileRecordReader& in)
{
    const int64_t sum = int64_t(in.I32()) + int64_t(in.I32());
    return int32_t(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

void SciFiGameCtrl::ReadLearnedSkills(File& file, std::vector<String>& names)
{
    FileRecordReader in(file, "learned skills cut short");
    const int32_t count = in.Count("Learned skill", kLeastNameBytes);
    names.assign(size_t(count), String());
    for (String& name : names)
        ReadSavedText(in, name, "learned skill");
}

void SciFiGameCtrl::ReadCharacterRecord(File& file, CharacterSaveRecord& record)
{
    FileRecordReader in(file, "character save cut short");
    record.version = in.U16();
    if (record.version < CharacterSaveRecord::kOldestVersion || record.version > CharacterSaveRecord::kNewestVersion)
        file.Error("character save version %u not supported", unsigned(record.version));
    file.SetVersion(record.version);  // the creature record reads its layout by it
    record.gameTime = 0.0;
    if (!file.ReadDouble(&record.gameTime))
        in.CutShort();
    wString tag;
    const int32_t tagAt = file.GetPos();
    if (in.I32() < 0)
        file.Error("format tag: negative text length");
    file.Seek(tagAt);
    if (!file.ReadWString(tag))
        in.CutShort();
    ReadLearnedSkills(file, record.learnedSkills);
    for (String& name : record.buttonSkills)
        ReadSavedText(in, name, "button skill");
    record.advancePoints = ReadPointPair(in);
    record.skillPoints = ReadPointPair(in);
    record.levelProgress = in.I8();
    record.highestDifficulty = record.version >= CharacterSaveRecord::kDifficultyVersion ? in.U8() : 1;

    record.creaturePosition = file.GetPos();
    auto scratch = std::make_unique<CreatureObj_SF>();  // never in a world
    scratch->Load(file, true);

    record.hasQuickSlots = record.version >= CharacterSaveRecord::kQuickSlotVersion;
    for (String& name : record.quickSlots)
        if (record.hasQuickSlots)
            ReadSavedText(in, name, "quick slot");
        else
            name = String();
    const uint16_t marker = in.U16();
    if (marker != CharacterSaveRecord::kEndMarker)
        file.Error("end marker 0x%04X instead of 0x%04X", unsigned(marker), unsigned(CharacterSaveRecord::kEndMarker));
}

bool SciFiGameCtrl::ReadCharacter(File& file, CreatureObj_SF& creature)
{
    CharacterSaveRecord record;
    try {
        ReadCharacterRecord(file, record);
    } catch (const ErrorMsg& e) {  // a damaged save: the character and the skills stay as they were
        Log::Write("Character not loaded: %s", e.message);
        return false;
    }
    ApplyCharacterRecord(record, file, creature);
    return true;
}

void SciFiGameCtrl::ApplyCharacterRecord(const CharacterSaveRecord& record, File& file, CreatureObj_SF& creature)
{
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        skill->learned = false;
    // Outside the game state (the start menus browsing saves) the names are only read.
    StateManager* states = GetStateManager();
    if (states && states->GetState() == kStateGame) {
        for (const String& name : record.learnedSkills) {
            if (!FindSkill(name)) {  // a save from before the skill table changed still loads
                Warning("Learned skill '%s' of the save no longer exists", name.c_str());
                continue;
            }
            LearnSkill(name, false, 0, false);
        }
    }
    RefreshSkillRollups();
    for (int32_t i = 0; i < 3; ++i)  // an unknown or empty name gives the kind's placeholder
        SetSkillButton(kButtonOrder[i], record.buttonSkills[i].IsEmpty() ? nullptr : FindSkill(record.buttonSkills[i]));
    ApplyCharacterCreature(record, file, creature);
    if (record.hasQuickSlots)
        for (int32_t slot = 0; slot < kQuickSlots; ++slot)
            SetQuickSlot(slot, record.quickSlots[slot].IsEmpty() ? nullptr : FindSkill(record.quickSlots[slot]));
}

void SciFiGameCtrl::ApplyCharacterCreature(const CharacterSaveRecord& record, File& file, CreatureObj_SF& creature)
{
    creature.m_AdvancePoints = record.advancePoints;
    creature.m_SkillPoints = record.skillPoints;
    creature.m_LevelProgress = record.levelProgress;
    creature.m_HighestDifficulty = record.highestDifficulty;

    // A loaded character stays where it is. The record loaded whole into the scratch creature,
    // so it loads the same way here.
    const D3DXVECTOR2 pos = creature.GetPos();
    const float angle = creature.GetAngle();
    file.SetVersion(record.version);
    file.Seek(record.creaturePosition);
    creature.Load(file, true);
    creature.SetPos(pos.x, pos.y);
    creature.SetAngle(angle);

    if (IsMultiplayerGame()) {
        if (creature.m_Inventory)
            creature.m_Inventory->RemoveQuestItems();
        for (int32_t type = 0; type < CreatureObj_SF::kEquipmentTypes; ++type)
            if (Inventory* equipment = creature.GetEquipmentInventory(type))
                equipment->RemoveQuestItems();
        creature.m_Health = creature.GetMaxHealth(true);
        creature.m_Mana = creature.GetMaxMana(true);
        creature.m_ShieldEnergy = creature.m_Values.maxShield;
        creature.m_DodgeEnergy = creature.m_Values.maxDodge;
    }
    // Alive, without a life span (as the writer's clean copy stores it), fully visible.
    creature.m_LifeSpanEnd = -1.0;
    creature.m_Dead = 0;
    creature.m_Dying = 0;
    creature.m_DeathTime = 0.0f;
    creature.m_Opacity = 1.0f;
    creature.m_FadeRate = 0.0f;
    creature.ApplyMeshVariations();
}

CreatureObj_SF* SciFiGameCtrl::LoadCharacter(PlayerSaveID player, bool multiplayer)
{
    SetCurrentPlayer(player);
    const int32_t slot = ChooseCharacterSaveSlot(multiplayer);
    const bool saved = slot > 0 || slot == -3;
    WorldCtrl& world = GetWorld();
    auto create = [&] {
        WorldElem* made = CreateWorldObject(player.characterConfigID.c_str(), nullptr, true, true, true, false, 0.0f,
                                            nullptr, 0.0f, nullptr, -1);
        return dynamic_cast<CreatureObj_SF*>(made);
    };
    CreatureObj_SF* creature = nullptr;
    if (!saved) {
        creature = create();
    } else {
        world.SuspendInitScripts();  // the save brings the state its scripts would set up
        try {
            creature = create();
        } catch (const ErrorMsg&) {
            world.ResumeInitScripts();
            throw;
        }
        world.ResumeInitScripts();
        const String path = InGameFolder(GetSavegamePath(slot) + "character.sv");
        File file;
        bool loaded = true;
        try {
            // A save that does not open leaves the creature as it was made.
            if (creature && file.Open(path, true, File::kVirtualFile, false))
                loaded = ReadCharacter(file, *creature);
        } catch (const ErrorMsg& e) {  // a packed container that does not unpack
            Log::Write("Character not loaded: %s", e.message);
            loaded = false;
        }
        if (!loaded) {
            Warning("Corrupt file: %s", path.c_str());
            world.DelObj(creature->m_ObjID, 1);
            return nullptr;
        }
    }
    if (!creature)
        return nullptr;
    creature->ClearAction();
    creature->ResolvePositionElements();
    return creature;
}

void SciFiGameCtrl::SaveMainCharacter()
{
    GameServer::SaveMainCharacter();
    SaveCharacterForMultiplayer(false);
}

namespace {

// "character.sv" of the character, written whole beside the old file and then put in its place;
// false (logged) when it could not be.
bool WriteCharacterFile(SciFiGameCtrl& ctrl, const String& path, CreatureObj_SF& character)
{
    File file;
    if (!file.CreateReplacing(path, true)) {
        Log::Write("Character not saved: '%s' can not be written", path.c_str());
        return false;
    }
    ctrl.WriteCharacterSave(file, character);
    if (!file.Commit()) {
        Log::Write("Character not saved: '%s' kept as it was", path.c_str());
        return false;
    }
    return true;
}

// A copy of a player's "character.sv" that loads, packed as the writer packs it; false (logged)
// for a source that is missing or damaged, or a copy that could not be written.
bool CopyCharacterFile(const String& from, const String& to)
{
    File source;
    try {
        if (!source.Open(from, true, File::kVirtualFile, false)) {
            Log::Write("Character not converted: '%s' can not be read", from.c_str());
            return false;
        }
        CharacterSaveRecord record;
        SciFiGameCtrl::ReadCharacterRecord(source, record);
    } catch (const ErrorMsg& e) {
        Log::Write("Character not converted: %s", e.message);
        return false;
    }
    File copy;
    if (!copy.CreateReplacing(to, true)) {
        Log::Write("Character not converted: '%s' can not be written", to.c_str());
        return false;
    }
    copy.SetCompression(kCharacterFileCompression);
    copy.Write(source.GetMemoryBuffer(), size_t(source.GetSize()));
    if (!copy.Commit()) {
        Log::Write("Character not converted: '%s' can not be written", to.c_str());
        return false;
    }
    return true;
}

}  // namespace

void SciFiGameCtrl::SaveCharacterForMultiplayer(bool convert)
{
    if (IsListening()) {
        if (convert)
            return;
        SaveMultiplayerGame();
    }
    if (IsMultiplayerGame()) {
        auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar());
        // Without a current player there is no multiplayer folder: a dedicated server keeps no
        // character of its own, and never one in its game folder.
        if (!hero || m_CurrentPlayer.saveDirectory.IsEmpty())
            return;
        const String dir = GetSavegamePath(-3);
        if (WriteCharacterFile(*this, InGameFolder(dir + "character.sv"), *hero))
            Log::Write("%s", (dir + "character.sv saved").c_str());
        return;
    }
    if (!convert)
        return;

    CreatureObj_SF* character = m_CurrentPlayer.creature.Get();
    const bool fromPlayer = character != nullptr;
    String source;
    PlayerSaveID identity = m_CurrentPlayer;
    if (fromPlayer) {
        SetCurrentPlayer(identity);  // forgets the creature, which is held above
        source = InGameFolder(GetSavegamePath(ChooseCharacterSaveSlot(false)) + "character.sv");
    } else {
        character = dynamic_cast<CreatureObj_SF*>(GetMainChar());
        identity.characterConfigID = GetPlayerCharacterID();
    }
    if (!character)
        return;
    PlayerSaveID created;
    if (!CreatePlayerSave(character->m_Name, identity.characterConfigID, true, identity.playerID, created))
        return;  // warned of
    const String target = InGameFolder(created.saveDirectory + "character.sv");
    if (!fromPlayer) {
        if (WriteCharacterFile(*this, target, *character))
            Log::Write("%s", (created.saveDirectory + "character.sv saved for multiplayer conversion").c_str());
        return;
    }
    if (!CopyCharacterFile(source, target))
        return;
    PlayerSaveID_Creature converted;
    static_cast<PlayerSaveID&>(converted) = created;
    converted.creature = LoadCharacter(created, true);
    if (!converted.creature.Get())
        return;
    ScriptValue result;
    CallScript(result, String(kCharacterAddScript), 1, "character_add", 1, converted.creature.Get(), 255);
    AddConvertedCharacter(converted);
}
