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

// Dictionaries up to this size (the fast setting's 64 KiB) keep their encoder between calls: about
// 1.7 MB of match finder and coder state. Larger ones pack whole files, seldom, and give theirs back.
constexpr int32_t kKeptDictionaryBits = 16;

// The output room kept beside it: enough for any message of up to about 128 KiB.
constexpr uint64_t kKeptOutputSize = 65536 + 128 * 1024 * 21 / 20;

// One encoder per thread, re-initialised in place for every message: liblzma then clears its
// match finder instead of allocating, zeroing and returning the whole state on each call.
struct KeptEncoder {
    ~KeptEncoder() { lzma_end(&stream); }
    lzma_stream stream = LZMA_STREAM_INIT;
    std::unique_ptr<uint8_t[]> output;  // kKeptOutputSize bytes once the first message came
};

thread_local KeptEncoder t_Encoder;

// The whole input in one call, as liblzma's one-call encoder runs it: LZMA_OK when the stream
// ended within the output, LZMA_BUF_ERROR when it did not fit.
lzma_ret EncodeWith(lzma_stream& stream, const lzma_filter* filters, const uint8_t* input, size_t inputLength,
                    uint8_t* out, size_t& written, size_t capacity)
{
    lzma_ret ret = lzma_raw_encoder(&stream, filters);
    if (ret != LZMA_OK)
        return ret;
    stream.next_in = input;
    stream.avail_in = inputLength;
    stream.next_out = out + written;
    stream.avail_out = capacity - written;
    ret = lzma_code(&stream, LZMA_FINISH);
    written = capacity - stream.avail_out;
    if (ret == LZMA_STREAM_END)
        return LZMA_OK;
    return ret == LZMA_OK ? LZMA_BUF_ERROR : ret;
}

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

    const uint64_t capacity = uint64_t(inputLength) * 21 / 20 + 65536;
    const bool kept = p.dictionaryBits <= kKeptDictionaryBits;
    // Messages are packed in the thread's kept buffer; only a file-sized output gets its own.
    std::unique_ptr<uint8_t[]> own;
    uint8_t* buffer = nullptr;
    if (kept && capacity <= kKeptOutputSize) {
        if (!t_Encoder.output)
            t_Encoder.output.reset(new (std::nothrow) uint8_t[kKeptOutputSize]);
        buffer = t_Encoder.output.get();
    } else {
        own.reset(new (std::nothrow) uint8_t[capacity]);
        buffer = own.get();
    }
    if (!buffer)
        return kLzmaOutOfMemory;
    buffer[0] = uint8_t((p.posBits * 5 + p.literalPosBits) * 9 + p.literalContextBits);
    ByteWriter::EncodeU32(buffer + 1, options.dict_size);
    ByteWriter::EncodeU32(buffer + 5, inputLength);
    size_t written = kLzmaHeaderSize;
    const uint8_t* in = input ? input : buffer;
    lzma_ret ret = kept ? EncodeWith(t_Encoder.stream, filters, in, inputLength, buffer, written, size_t(capacity))
                        : lzma_raw_buffer_encode(filters, nullptr, in, inputLength, buffer, &written, size_t(capacity));
    if (ret != LZMA_OK)
        return ResultOf(ret);  // LZMA_BUF_ERROR: the output did not fit the capacity

    out.reset(new (std::nothrow) uint8_t[written]);
    if (!out)
        return kLzmaOutOfMemory;
    std::memcpy(out.get(), buffer, written);
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
