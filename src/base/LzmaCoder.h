// LzmaCoder: LZMA coding of one memory buffer into the packed container's stream form and back.
//
// Stream layout (little-endian):
//   0  1  properties byte (pos bits * 5 + literal pos bits) * 9 + literal context bits
//   1  4  dictionary size, exactly as the encoder was set
//   5  4  unpacked length
//   9  .. range-coded data, closed by the end marker
// This is not the ".lzma" file layout, whose length field has 8 bytes.
#pragma once
#include <cstdint>
#include <memory>

// Encoder settings; the defaults are the "best" setting of the container.
struct LzmaProperties {
    int32_t dictionaryBits = 23;  // dictionary size 2^bits
    uint8_t posBits = 2;
    uint8_t literalContextBits = 3;
    uint8_t literalPosBits = 0;
    uint8_t fastMode = 0;
    uint16_t fastBytes = 128;
    int32_t matchFinder = 2;  // 0 BT2, 1 BT3, 2 BT4, 3 HC4
    uint16_t matchFinderCycles = 80;
};

// Results, in the status-code style the container reports with "%i".
constexpr int32_t kLzmaOk = 0;
constexpr int32_t kLzmaOutOfMemory = int32_t(0x8007000E);
constexpr int32_t kLzmaFail = int32_t(0x80004005);

constexpr uint32_t kLzmaHeaderSize = 9;
// No packed block of this system unpacks to more; a larger stated length is damage.
constexpr uint32_t kMaxUnpackedLength = 64u << 20;

// Both set out to null and outLength to 0 first; on success out holds exactly outLength bytes.
// The encoder's output may take at most inputLength * 21 / 20 + 65536 bytes. Each thread keeps
// the encoder of dictionaries up to 64 KiB (the fast setting) between calls; the bytes out are
// those of a fresh encoder.
int32_t LzmaEncodeBuffer(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                         uint32_t& outLength, const LzmaProperties* properties = nullptr);
// The stream must decode to exactly its stated length and end where the input ends.
int32_t LzmaDecodeBuffer(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                         uint32_t& outLength);
