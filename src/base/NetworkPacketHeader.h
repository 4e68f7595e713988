// NetworkPacketHeader: the check that protects the transport's 12-byte packet header.
#pragma once

#include <cstdint>

// Bytes 0 to 7 of the header are covered by a 16-bit check stored little-endian in bytes 8 and 9;
// bytes 10 and 11 are neither covered nor touched. Every peer computes it the same way:
// a = 1 + the byte sum (16 bits), s = the sum of the running a values, check = (s & 0xFF) << 8 ^ a.
class NetworkPacketHeader {
public:
    static constexpr int32_t kSize = 12;

    // header: kSize bytes.
    static uint16_t ComputeChecksum(const uint8_t* header);
    static void SetChecksum(uint8_t* header);
    static bool VerifyChecksum(const uint8_t* header);
};
