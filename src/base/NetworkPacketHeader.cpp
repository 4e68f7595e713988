// NetworkPacketHeader: computing, storing and verifying the header check.
#include "base/NetworkPacketHeader.h"

uint16_t NetworkPacketHeader::ComputeChecksum(const uint8_t* header)
{
    uint16_t a = 1;
    uint32_t s = 0;
    for (int32_t i = 0; i < 8; i++) {
        a = uint16_t(a + header[i]);
        s += a;
    }
    return uint16_t(((s & 0xFF) << 8) ^ a);
}

void NetworkPacketHeader::SetChecksum(uint8_t* header)
{
    uint16_t check = ComputeChecksum(header);
    header[8] = uint8_t(check & 0xFF);
    header[9] = uint8_t(check >> 8);
}

bool NetworkPacketHeader::VerifyChecksum(const uint8_t* header)
{
    uint16_t stored = uint16_t(header[8] | (header[9] << 8));
    return stored == ComputeChecksum(header);
}
