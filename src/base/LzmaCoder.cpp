// LzmaCoder: raw LZMA1 through liblzma, with the 9-byte stream header written and read here.
#include "base/LzmaCoder.h"

#include "base/ByteReader.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

int32_t ResultOf(lzma_ret ret) { return ret == LZMA_MEM_ERROR ? kLzmaOutOfMemory : kLzmaFail; }

}  // namespace

int32_t LzmaEncodeBuffer(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                         uint32_t& outLength, const LzmaProperties* properties)
{
    out.reset();
    outLength = 0;
    if (!input && inputLength > 0)
        return kLzmaFail;
    LzmaProperties p = properties ? *properties : LzmaProperties();
    static constexpr lzma_match_finder kFinders[] = {LZMA_MF_BT2, LZMA_MF_BT3, LZMA_MF_BT4, LZMA_MF_HC4};
    if (p.matchFinder < 0 || p.matchFinder > 3)
        return kLzmaFail;
    if (p.dictionaryBits < 12 || p.dictionaryBits > 30)  // liblzma's dictionary range
        return kLzmaFail;

    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6))
        return kLzmaFail;
    options.dict_size = uint32_t(1) << p.dictionaryBits;
    options.lc = p.literalContextBits;
    options.lp = p.literalPosBits;
    options.pb = p.posBits;
    options.mode = p.fastMode ? LZMA_MODE_FAST : LZMA_MODE_NORMAL;
    options.nice_len = p.fastBytes;
    options.mf = kFinders[p.matchFinder];
    options.depth = p.matchFinderCycles;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};  // LZMA1 always ends with the marker

    uint64_t capacity = uint64_t(inputLength) * 21 / 20 + 65536;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[capacity]);
    if (!buffer)
        return kLzmaOutOfMemory;
    buffer[0] = uint8_t((p.posBits * 5 + p.literalPosBits) * 9 + p.literalContextBits);
    ByteWriter::EncodeU32(buffer.get() + 1, options.dict_size);
    ByteWriter::EncodeU32(buffer.get() + 5, inputLength);
    size_t written = kLzmaHeaderSize;
    lzma_ret ret = lzma_raw_buffer_encode(filters, nullptr, input ? input : buffer.get(), inputLength, buffer.get(),
                                          &written, size_t(capacity));
    if (ret != LZMA_OK)
        return ResultOf(ret);  // LZMA_BUF_ERROR: the output did not fit the capacity

    out.reset(new (std::nothrow) uint8_t[written]);
    if (!out)
        return kLzmaOutOfMemory;
    std::memcpy(out.get(), buffer.get(), written);
    outLength = uint32_t(written);
    return kLzmaOk;
}

int32_t LzmaDecodeBuffer(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                         uint32_t& outLength)
{
    out.reset();
    outLength = 0;
    if (!input || inputLength < kLzmaHeaderSize)
        return kLzmaFail;
    uint32_t length = ByteReader::DecodeU32(input + 5);
    if (length > kMaxUnpackedLength)
        return kLzmaFail;

    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, input, 5) != LZMA_OK)
        return kLzmaFail;
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    // A dictionary larger than the output can never be referenced; a lying size must not allocate.
    options->dict_size = std::min(options->dict_size, std::max<uint32_t>(length, LZMA_DICT_SIZE_MIN));
    options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;  // the length is known; the end marker may follow it
    options->ext_size_low = length;
    options->ext_size_high = 0;

    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_ret ret = lzma_raw_decoder(&stream, filters);
    std::free(options);  // the decoder keeps its own copy
    if (ret != LZMA_OK)
        return ResultOf(ret);

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[std::max<uint32_t>(length, 1)]);
    if (!buffer) {
        lzma_end(&stream);
        return kLzmaOutOfMemory;
    }
    stream.next_in = input + kLzmaHeaderSize;
    stream.avail_in = inputLength - kLzmaHeaderSize;
    stream.next_out = buffer.get();
    stream.avail_out = length;
    ret = lzma_code(&stream, LZMA_FINISH);
    // Early, late or damaged: only a stream that ends exactly at its length and at the input's end is whole.
    bool whole = ret == LZMA_STREAM_END && stream.total_out == length && stream.avail_in == 0;
    lzma_end(&stream);
    if (!whole)
        return ret == LZMA_MEM_ERROR ? kLzmaOutOfMemory : kLzmaFail;
    out = std::move(buffer);
    outLength = length;
    return kLzmaOk;
}
