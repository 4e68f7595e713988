// ServerInfoBlock: writing and reading the server information block.
#include "net/ServerInfoBlock.h"

#include "base/ByteReader.h"

#include <cstring>

void ServerInfoBlock::Write(uint8_t* dest) const
{
    ByteWriter out(dest, kSize);
    out.WriteU16(version);
    out.WriteU16(port);
    out.WriteBytes(name, kNameField);
    out.WriteU32(levelProgressID);
    out.WriteU32(difficulty);
    out.WriteU16(players);
    out.WriteU16(maxPlayers);
}

void ServerInfoBlock::Read(ByteReader& in)
{
    version = in.ReadU16();
    port = in.ReadU16();
    in.ReadBytes(name, kNameField);
    levelProgressID = in.ReadU32();
    difficulty = in.ReadU32();
    players = in.ReadU16();
    maxPlayers = in.ReadU16();
}

String ServerInfoBlock::GetName() const { return String(name, int32_t(strnlen(name, kNameField))); }
