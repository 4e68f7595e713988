// FuzzLzma: the LZMA stream decoder over arbitrary bytes. A stream is whole or refused; a whole
// one gives exactly the length its header states. The same bytes packed as a message decode to
// themselves.
#include "FuzzTarget.h"

#include "base/ByteReader.h"
#include "base/LzmaCoder.h"
#include "base/LzmaMessageEncoder.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    std::unique_ptr<uint8_t[]> out;
    uint32_t outLength = 1;
    int32_t result = LzmaDecodeBuffer(data, uint32_t(size), out, outLength);
    if (result == kLzmaOk) {
        if (size < kLzmaHeaderSize || outLength != ByteReader::DecodeU32(data + 5) || !out)
            Fuzz::Finding("decoded length differs from the stated one");
    } else if (out || outLength != 0) {
        Fuzz::Finding("refused stream left output behind");
    }

    if (size > LzmaMessageEncoder::kMaxMessage)
        return 0;
    std::unique_ptr<uint8_t[]> packed;
    uint32_t packedLength = 0;
    if (LzmaMessageEncoder::Encode(data, uint32_t(size), packed, packedLength) != kLzmaOk)
        Fuzz::Finding("a message did not pack");
    std::unique_ptr<uint8_t[]> unpacked;
    uint32_t unpackedLength = 0;
    if (LzmaDecodeBuffer(packed.get(), packedLength, unpacked, unpackedLength) != kLzmaOk ||
        unpackedLength != size || (size > 0 && std::memcmp(unpacked.get(), data, size) != 0))
        Fuzz::Finding("a packed message did not unpack to itself");
    return 0;
}
