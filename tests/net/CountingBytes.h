// CountingBytes: payloads of the framing tests whose every byte tells where it was, so a torn,
// shifted or mixed-up unit shows in a byte compare.
#pragma once
#include <cstdint>
#include <vector>

// n bytes counting up from first, wrapping.
inline std::vector<uint8_t> Filled(int32_t n, uint8_t first)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; i++)
        bytes[size_t(i)] = uint8_t(first + i);
    return bytes;
}
