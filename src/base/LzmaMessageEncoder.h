// LzmaMessageEncoder: LZMA streams of messages packed with the fast setting, made in one greedy
// pass with a small match finder whose state stays with the thread between messages.
//
// The stream is the LzmaCoder layout (properties byte, dictionary size, unpacked length, the
// range-coded data closed by the end marker), read by LzmaDecodeBuffer and, with the ".lzma"
// header, by xz. Its settings are the fast setting's: 3 literal context bits, 0 literal position
// bits, 2 position bits. The dictionary is the smallest power of two from 4 KiB that holds the
// message: no match reaches further back, and a decoder allocates no more.
#pragma once
#include <cstdint>
#include <memory>

class LzmaMessageEncoder {
public:
    // Longer input is a file, not a message: LzmaEncodeBuffer packs it.
    static constexpr uint32_t kMaxMessage = 64 * 1024;

    // Both set out to null and outLength to 0 first; kLzmaOk, kLzmaOutOfMemory, or kLzmaFail for
    // input over kMaxMessage or null input with a length.
    static int32_t Encode(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                          uint32_t& outLength);

    // The dictionary size written for a message of this length.
    static uint32_t DictionarySize(uint32_t inputLength);
};
