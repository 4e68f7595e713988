// TransportBytes: transport packets written by hand, for the tests that feed a receiving side
// bytes a sending node would not make.
#pragma once
#include "net/TransportPacket.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// A header of the type claiming numBytes, then the payload as it is. Receivers do not check the
// sequence.
inline std::vector<uint8_t> TransportBytes(int32_t type, const std::string& payload, uint32_t numBytes)
{
    std::vector<uint8_t> bytes(TransportPacket::kHeaderSize);
    TransportPacket::WriteHeader(bytes.data(), type, 1, numBytes);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

inline std::vector<uint8_t> TransportDataBytes(const std::string& payload)
{
    return TransportBytes(TransportPacket::kData, payload, uint32_t(payload.size()));
}

inline std::vector<uint8_t> JoinBytes(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
