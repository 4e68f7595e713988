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

#include "base/ByteReader.h"
#include "base/ErrorClass.h"
#include "base/File.h"
#include "game/ctrl/GameCtrl.h"

#include <cstdio>
#include <vector>

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

bool PlayerSaveID::ReadPlayerFile(const String& fileName, bool& multiplayer)
{
    File file;
    if (!file.Open(fileName, true, File::kDiskFile, false))
        return false;  // no player in this folder
    const int32_t size = file.GetFileSize();
    if (size < 0 || uint32_t(size) > kMaxPlayerFileSize) {
        ErrorClassSimple().Warning("%s: file size %i exceeds %u", fileName.c_str(), size,
                                   unsigned(kMaxPlayerFileSize));
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!file.Read(bytes.data(), bytes.size())) {
        ErrorClassSimple().Warning("%s: read failed", fileName.c_str());
        return false;
    }
    return ReadPlayerBytes(bytes.data(), bytes.size(), multiplayer, fileName.c_str());
}

bool PlayerSaveID::ReadPlayerBytes(const uint8_t* data, size_t size, bool& multiplayer, const char* fileName)
{
    ByteReader reader(data, size);
    const uint16_t version = reader.ReadU16();
    const uint8_t flag = reader.ReadU8();
    if (reader.Failed() || version != kVersion || flag > 1) {
        const char* fault = reader.Failed()          ? "file cut short"
                            : version != kVersion ? "unknown version"
                                                  : "bad multiplayer flag";
        ErrorClassSimple().Warning("%s: %s", fileName, fault);
        return false;
    }
    // The lengths are signed in the file; one above the limit (a negative one among them) fails.
    const uint32_t nameLength = reader.ReadCount(kMaxTextLength);
    const uint8_t* nameUnits = reader.ReadSpan(size_t(nameLength) * 2);
    const uint32_t id = reader.ReadU32();
    const uint32_t classLength = reader.ReadCount(kMaxTextLength);
    const uint8_t* classChars = reader.ReadSpan(classLength);
    const uint16_t marker = reader.ReadU16();
    if (reader.Failed() || marker != kEndMarker) {
        ErrorClassSimple().Warning("%s: %s", fileName,
                                   reader.Failed() ? "text length exceeds the file or the limit" : "no end marker");
        return false;
    }
    std::vector<char16_t> units(size_t(nameLength) + 1, u'\0');
    for (uint32_t i = 0; i < nameLength; i++) {
        units[i] = char16_t(ByteReader::DecodeU16(nameUnits + 2 * size_t(i)));
        if (units[i] == 0) {  // the writer never writes one: the text would end early
            ErrorClassSimple().Warning("%s: name holds a zero unit", fileName);
            return false;
        }
    }
    for (uint32_t i = 0; i < classLength; i++)
        if (classChars[i] == 0) {
            ErrorClassSimple().Warning("%s: class entry holds a zero byte", fileName);
            return false;
        }
    name = wString(units.data());
    playerID = id;
    characterConfigID = String(reinterpret_cast<const char*>(classChars), int32_t(classLength));
    multiplayer = flag != 0;
    return true;
}
