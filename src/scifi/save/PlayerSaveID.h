// PlayerSaveID: the identity of a player character kept on disk (its name, the random player ID
// that names its folder, the folder and its class entry), the "player.sv" file that holds it, and
// the identity paired with the character's creature while one exists.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"

#include <cstdint>

class CreatureObj_SF;

struct PlayerSaveID {
    static constexpr uint16_t kVersion = 275;
    static constexpr uint16_t kEndMarker = 0x1234;

    PlayerSaveID() = default;
    PlayerSaveID(const PlayerSaveID& other) = default;
    PlayerSaveID& operator=(const PlayerSaveID& other) = default;

    // "save\" (or "saveMP\"), the name made file-name safe, "_", the ID in upper-case hex without
    // leading zeros and "\": "save\Ann_ABCD\".
    void BuildSaveDirectory(bool multiplayer);
    // "player.sv" under that name, in place of any file there: false when it could not be written
    // whole (the old file, if any, stays).
    bool WritePlayerFile(const String& fileName, bool multiplayer) const;

    wString name;               // as the player typed it
    uint32_t playerID = 0;
    String saveDirectory;       // relative to the game folder, ending in a backslash
    String characterConfigID;   // the class entry, "ch_" and the class name
    int32_t carriedValue = 0;   // copied with the record; nothing sets it yet
};

// The identity and the character's creature; the creature reference empties itself when the
// creature goes.
struct PlayerSaveID_Creature : PlayerSaveID {
    SmartPtr<CreatureObj_SF> creature;
};

// The lists of saved characters that the character selection keeps.
using PlayerSaveIDList = DynaMem<PlayerSaveID_Creature, 4096, 0>;
