// FuzzLzma: the LZMA stream decoder over arbitrary bytes. A stream is whole or refused; a whole
// one gives exactly the length its header states.
#include "FuzzTarget.h"

#include "base/ByteReader.h"
#include "base/LzmaCoder.h"

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
    return 0;
}
