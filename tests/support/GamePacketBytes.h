// GamePacketBytes: a game packet as it travels: the 12-byte game header and count units of size
// zero bytes each, for tests that feed a node messages.
#pragma once
#include "net/GamePacketFraming.h"

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> GamePacketBytes(uint16_t id, uint32_t count, int32_t size)
{
    std::vector<uint8_t> bytes(GamePacketHeader::kSize + size_t(count) * size_t(size), 0);
    GamePacketHeader header;
    header.id = id;
    header.count = count;
    header.unitSize = size;
    header.Write(bytes.data());
    return bytes;
}
