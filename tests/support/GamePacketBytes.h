// GamePacketBytes: a game packet as it travels: the 12-byte game header and count units of size
// zero bytes each, or the units given, for tests that feed a node messages.
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

// The header, then the units' bytes as given (they need not match count x size).
inline std::vector<uint8_t> GamePacketBytes(uint16_t id, uint32_t count, int32_t size, const std::vector<uint8_t>& units)
{
    std::vector<uint8_t> bytes = GamePacketBytes(id, count, 0);
    GamePacketHeader header;
    header.id = id;
    header.count = count;
    header.unitSize = size;
    header.Write(bytes.data());
    bytes.insert(bytes.end(), units.begin(), units.end());
    return bytes;
}
