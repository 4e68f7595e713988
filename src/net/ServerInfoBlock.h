// ServerInfoBlock: the server information a server announces on the local network and a client
// keeps in its list of servers found there, with its one writer and its one reader.
#pragma once
#include "base/String.h"

#include <cstdint>

class ByteReader;

// The block (little-endian):
//   0  u16  protocol version 0x0100          (filled at send time)
//   2  u16  TCP port the server listens on   (filled)
//   4  char[32] server name, at most 31 characters and a NUL (kept)
//  36  u32  level progress ID                (filled)
//  40  u32  difficulty                       (filled)
//  44  u16  joined players                   (filled)
//  46  u16  maximum players                  (kept)
struct ServerInfoBlock {
    static constexpr int32_t kSize = 48;
    static constexpr int32_t kNameField = 32;

    uint16_t version = 0;
    uint16_t port = 0;
    char name[kNameField] = {};
    uint32_t levelProgressID = 0;
    uint32_t difficulty = 0;
    uint16_t players = 0;
    uint16_t maxPlayers = 65535;

    void Write(uint8_t* dest) const;
    // Reads kSize bytes; the caller tests the reader once after.
    void Read(ByteReader& in);
    // The name ends at its field even when a peer sent no NUL within it.
    String GetName() const;
};
