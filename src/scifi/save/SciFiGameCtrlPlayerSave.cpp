// SciFiGameCtrl: a new player's identity with its own save folder and "player.sv", the current
// player, and whether a save slot holds a character that loads.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Random.h"
#include "platform/DirectoryOps.h"
#include "platform/FileSystem.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/save/PlayerSaveID.h"

namespace {

constexpr int32_t kMaxIdDraws = 1000;  // IDs are 32-bit random: a free folder comes long before
constexpr uint16_t kOldestCharacterSave = 258;
constexpr uint16_t kNewestCharacterSave = 275;

}  // namespace

bool SciFiGameCtrl::CreatePlayerSave(const wString& name, const String& characterConfigID, bool multiplayer,
                                     uint32_t requestedID, PlayerSaveID& created)
{
    PlayerSaveID player;
    player.name = name;
    player.characterConfigID = characterConfigID;
    // Another player's folder is never written into: IDs are drawn until a name is free.
    bool found = false;
    for (int32_t draw = 0; draw < kMaxIdDraws && !found; ++draw) {
        uint32_t id = draw == 0 ? requestedID : 0;
        while (id == 0)  // 0 asks for a drawn ID
            id = Random::Next();
        player.playerID = id;
        player.BuildSaveDirectory(multiplayer);
        found = !File::Exists(InGameFolder(player.saveDirectory).c_str());  // any letter case
    }
    if (!found) {
        Warning("No free save folder for player '%s'", String(name).c_str());
        return false;
    }
    const String folder = InGameFolder(player.saveDirectory);
    Platform::MakeDirectory(InGameFolder(String(multiplayer ? "saveMP" : "save")).c_str());
    if (!Platform::MakeDirectory(folder.c_str()) || !Platform::IsDirectory(folder.c_str())) {
        Warning("Can not create directory '%s'", player.saveDirectory.c_str());
        return false;
    }
    if (!player.WritePlayerFile(folder + "player.sv", multiplayer)) {
        Platform::RemoveDirectory(folder.c_str());  // ours and empty: no half-made player stays
        Warning("Player save not written: '%splayer.sv'", player.saveDirectory.c_str());
        return false;
    }
    SetCurrentPlayer(player);
    created = player;
    return true;
}

void SciFiGameCtrl::SetCurrentPlayer(PlayerSaveID player)
{
    SetPlayerName(player.name);
    SetSavegameBaseDir(player.saveDirectory.c_str());  // the slots of GetSavegamePath lie in it
    SetPlayerCharacterID(player.characterConfigID.c_str());
    static_cast<PlayerSaveID&>(m_CurrentPlayer) = player;
    m_CurrentPlayer.creature = nullptr;
}

bool SciFiGameCtrl::IsCharacterSaveValid(int32_t slot, double* gameTime)
{
    File file;
    if (!file.Open(InGameFolder(GetSavegamePath(slot) + "character.sv"), true, File::kDiskFile, false))
        return false;
    // A file cut short is no save: its reads would be errors.
    uint16_t version = 0;
    if (file.GetRemaining() < 2 + 8 || !file.ReadInt16(&version) || version < kOldestCharacterSave ||
        version > kNewestCharacterSave)
        return false;
    if (gameTime && !file.ReadDouble(gameTime))
        return false;
    return true;
}
