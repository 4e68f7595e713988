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
    // The identity of a "player.sv" as WritePlayerFile lays it out: name, player ID and class
    // entry into this record, the file's multiplayer flag into multiplayer. A file that does not
    // open is false without a word; one that is damaged (short, a lying length, another version,
    // no end marker) is warned of with its name and the fault. Nothing changes unless it reads.
    bool ReadPlayerFile(const String& fileName, bool& multiplayer);
    // The same from bytes in memory; fileName only names them in the warning.
    bool ReadPlayerBytes(const uint8_t* data, size_t size, bool& multiplayer, const char* fileName);

    static constexpr uint32_t kMaxPlayerFileSize = 64 * 1024;
    static constexpr uint32_t kMaxTextLength = 1024;  // a folder name holds far fewer

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
