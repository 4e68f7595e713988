// SciFiGameCtrl: the client's character in a multiplayer game: the saved character sent with the
// join request, and the main character made when the server names it, filled from the save.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/save/CharacterSaveRecord.h"

#include <memory>

namespace {

constexpr int32_t kCharacterBlockBuffer = 4096;

}  // namespace

bool SciFiGameCtrl::WriteExtraPlayerInfo(bool query) { return WriteCharacterToPacket(query); }

// The block after PlayerInfo: i16 275, then the character's creature record with the character
// flag, as the server's reader of a joining character takes it.
bool SciFiGameCtrl::WriteCharacterToPacket(bool checkOnly)
{
    if (!IsMultiplayerGame(true))
        return false;
    const String path = InGameFolder(GetSavegamePath(-3) + "character.sv");
    File file;
    CharacterSaveRecord record;
    try {
        if (!file.Open(path, true, File::kVirtualFile, false))
            return false;
        // The query and the write agree: a save that does not read whole is no block at all.
        ReadCharacterRecord(file, record);
    } catch (const ErrorMsg& e) {
        Log::Write("Character not sent: %s", e.message);
        return false;
    }
    if (checkOnly)
        return true;
    // Only the creature: the player's skills and slots are not touched (a changed slot would be
    // sent at once, in the middle of this packet).
    auto creature = std::make_unique<CreatureObj_SF>();
    ApplyCharacterCreature(record, file, *creature);
    file.Close();
    File block;
    block.CreateMemoryFile(kCharacterBlockBuffer);
    block.WriteInt16Value(CharacterSaveRecord::kNewestVersion);
    creature->Save(block, true);
    return WriteData(block.GetMemoryBuffer(), block.GetSize(), false);
}

void SciFiGameCtrl::HandleSetMainChar() { ReceiveNetworkData_SetMainChar(); }

void SciFiGameCtrl::ReceiveNetworkData_SetMainChar()
{
    if (!GetMainChar()) {
        if (!IsMultiplayerGame(true) && !IsNetworkGame())
            Error("Internal error: ReceiveNetworkData_SetMainChar without multiplayer game");
        CreatureObj* created = AddMultiplayerCharacter(GetPlayerCharacterID().c_str(), -2);
        SetMainCharacter(created);
        const String path = InGameFolder(GetSavegamePath(-3) + "character.sv");
        auto* character = dynamic_cast<CreatureObj_SF*>(created);
        if (character && File::Exists(path.c_str())) {
            File file;
            bool loaded = true;
            try {
                if (file.Open(path, true, File::kVirtualFile, false))
                    loaded = ReadCharacter(file, *character);
            } catch (const ErrorMsg& e) {  // a container that does not unpack
                Log::Write("Character not loaded: %s", e.message);
                loaded = false;
            }
            if (!loaded)  // the new default character stays
                Warning("Corrupt file: %s", path.c_str());
        }
    }
    GameServer::HandleSetMainChar();
    EndSkillSlotEffects();
    if (auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar()))
        hero->UpdateValues(false);
}
