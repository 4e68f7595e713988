// PlayerSaveID: the save folder's name and the "player.sv" file.
//
// "player.sv" (little-endian):
//   u16  version 275
//   u8   multiplayer flag (1 multiplayer character, 0 single player)
//   i32  name length N, then N UTF-16 units
//   u32  player ID (the one in the folder's name)
//   i32  class entry length M, then M 8-bit characters
//   u16  end marker 0x1234
#include "scifi/save/PlayerSaveID.h"

#include "base/File.h"
#include "game/ctrl/GameCtrl.h"

#include <cstdio>

void PlayerSaveID::BuildSaveDirectory(bool multiplayer)
{
    char id[16];
    std::snprintf(id, sizeof(id), "_%X\\", unsigned(playerID));
    saveDirectory = multiplayer ? "saveMP\\" : "save\\";
    saveDirectory += GameCtrl::MakeFileName(name.c_str(), name.GetLength());
    saveDirectory += id;
}

bool PlayerSaveID::WritePlayerFile(const String& fileName, bool multiplayer) const
{
    File file;
    if (!file.CreateReplacing(fileName, true))
        return false;  // the file layer has warned
    file.WriteInt16Value(kVersion);
    file.WriteInt8(multiplayer ? 1 : 0);
    file.WriteWString(name);
    file.WriteInt32(int32_t(playerID));
    file.WriteString(characterConfigID);
    file.WriteInt16Value(kEndMarker);
    return file.Commit();
}
