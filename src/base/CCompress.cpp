// CCompress: the block coders of the packed file container.
#include "base/CCompress.h"

#include "base/ByteReader.h"
#include "base/LzmaCoder.h"
#include "base/LzmaMessageEncoder.h"
#include "base/Random.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// The scrambling constants. Files scrambled with other values cannot be read, so these never change.
constexpr uint32_t kKeystreamMask = 0x9B9B1325;
constexpr uint32_t kKeyVersion1[8] = {0xD1A6E55E, 0xC55A45F8, 0x566BF9D7, 0x4243ED52,
                                      0xCF0C26EF, 0x265BEDA9, 0x5D96CF7F, 0xB7DECC0C};
// Version 2: key word j = ((payload length + 1) * A[j]) ^ B[j].
constexpr uint32_t kKeyVersion2A[8] = {0xC1D77CFF, 0xDD70E34D, 0x5E6A0A2F, 0x55AC0ECD,
                                       0x04635137, 0x3B4A3EE3, 0xB37523A5, 0xAD915A37};
constexpr uint32_t kKeyVersion2B[8] = {0x4DE45321, 0xE6BA3AD7, 0x9823BEB1, 0x1FCFB980,
                                       0xDD4EABBD, 0x0CC8AF11, 0x683447C1, 0x5BAE2D26};

constexpr uint8_t kIdStored = 0;
constexpr uint8_t kIdRunLength = 1;
constexpr uint8_t kIdLzma = 2;
constexpr uint8_t kIdKey = 8;
constexpr uint8_t kScrambleFlag = 0x40;
constexpr int32_t kLzmaHeader = 5;
constexpr int32_t kLzmaScrambledHeader = 13;
constexpr int32_t kKeyHeader = 10;
constexpr uint8_t kKeyVersionWritten = 2;

LzmaProperties LzmaSetting(int32_t level)
{
    LzmaProperties p;  // best: normal mode, 128 fast bytes, BT4, 80 cycles, 2^23
    if (level < 0) {
        p.dictionaryBits = 16;
        p.fastMode = 1;
        p.fastBytes = 5;
        p.matchFinder = 3;
        p.matchFinderCycles = 18;
    } else if (level == 0) {
        p.fastMode = 1;
        p.fastBytes = 32;
        p.matchFinder = 3;
        p.matchFinderCycles = 32;
    }
    return p;
}

uint32_t RotateLeft(uint32_t v) { return (v << 1) | (v >> 31); }

}  // namespace

CCompress::CCompress() { CopyName32(this, "CCompress"); }

CCompress::~CCompress() = default;

void CCompress::AllocOutput(int32_t capacity)
{
    m_Output.reset(new uint8_t[size_t(std::max(capacity, 0))]);
    m_OutputCapacity = std::max(capacity, 0);
    m_OutputPosition = 0;
    m_InputPosition = 0;
}

void CCompress::WriteBytes(const void* source, int32_t n)
{
    if (n < 0 || n > m_OutputCapacity - m_OutputPosition)
        Error("Write buffer full");
    if (n > 0)
        std::memcpy(m_Output.get() + m_OutputPosition, source, size_t(n));
    m_OutputPosition += n;
}

void CCompress::WriteByte(uint8_t value) { WriteBytes(&value, 1); }

int32_t CCompress::TakeOutput(std::unique_ptr<uint8_t[]>& out)
{
    out = std::move(m_Output);
    m_OutputCapacity = 0;
    return m_OutputPosition;
}

int32_t CCompress::CountEqualUnits(const uint8_t* units, const uint8_t* reference, int32_t unitWidth, int32_t maxCount)
{
    int32_t count = 0;
    while (count < maxCount && std::memcmp(units + size_t(count) * size_t(unitWidth), reference, size_t(unitWidth)) == 0)
        count++;
    return count;
}

int32_t CCompress::Compress(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    if (length < 0 || (!data && length > 0))
        Error("Invalid input buffer");
    switch (m_Method) {
    case 0: return PackStored(data, length, out);
    case 1: return PackRunLength(data, length, out);
    case 2: return Pack(data, length, out, 0, 0);
    case 3: return Pack(data, length, out, -1, 0);
    case 4: return Pack(data, length, out, 1, 0);
    case 5: return Pack(data, length, out, 0, 1);
    case 6: return Pack(data, length, out, -1, 1);
    case 7: return Pack(data, length, out, 1, 1);
    case 8: return Scramble(data, length, out);
    default: return -1;
    }
}

void CCompress::CheckUnpackLimit(uint64_t length)
{
    if (m_UnpackLimit != 0 && length > m_UnpackLimit)
        Error("Unpacked length %llu above the limit %u", static_cast<unsigned long long>(length), m_UnpackLimit);
}

int32_t CCompress::Unpack(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    if (!block || length < 2)
        Error("Invalid input buffer");
    uint8_t id = block[0];
    switch (id & 0x3F) {
    case kIdStored: return UnpackStored(block, length, out);
    case kIdRunLength: return UnpackRunLength(block, length, out);
    case 2:
    case 3:
    case 4:
        if ((id >> 6) > 1)
            break;  // the flag is 0 or 1
        return UnpackLzma(block, length, out, (id >> 6) == 1);
    case kIdKey: return Unscramble(block, length, out);
    default: break;
    }
    Error("Unknown compression algorithm: %i", int(int8_t(id)));
    return -1;
}

int32_t CCompress::PackStored(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    if (length > INT32_MAX - 5)
        Error("Invalid input buffer");
    AllocOutput(length + 5);
    WriteByte(kIdStored);
    uint8_t n[4];
    ByteWriter::EncodeU32(n, uint32_t(length));
    WriteBytes(n, 4);
    WriteBytes(data, length);
    return TakeOutput(out);
}

int32_t CCompress::UnpackStored(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    m_Input = block;
    m_InputLength = length;
    ByteReader reader(block, size_t(std::max(length, 0)));
    reader.Skip(1);
    uint32_t n = reader.ReadU32();
    if (reader.Failed())
        Error("End of read buffer");
    if (n > reader.GetRemaining())  // the stated length must lie within the block
        Error("Buffer end validation failed");
    CheckUnpackLimit(n);
    AllocOutput(int32_t(n));
    WriteBytes(reader.ReadSpan(n), int32_t(n));
    if (m_OutputPosition != int32_t(n))
        Error("Buffer end validation failed");
    return TakeOutput(out);
}

int32_t CCompress::PackRunLength(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    const int32_t width = m_UnitSize;
    if (width < 1 || width > 255)  // stored in one byte; 0 would never advance
        Error("Invalid unit size: %i", width);
    const int32_t units = length / width;
    int64_t capacity = (int64_t(units) * width * 3 + 1) / 2 + (int64_t(units) + 1) * width + 6;
    if (capacity > INT32_MAX)
        Error("Invalid input buffer");
    AllocOutput(int32_t(capacity));
    uint8_t header[6] = {kIdRunLength};
    ByteWriter::EncodeU32(header + 1, uint32_t(length));
    header[5] = uint8_t(width);
    WriteBytes(header, 6);

    std::vector<uint8_t> marker(static_cast<size_t>(width));
    for (int32_t j = 0; j < width; j++)
        marker[size_t(j)] = uint8_t((j % 256) + 10);

    int32_t consumed = 0;
    for (int32_t unit = 0; unit < units;) {
        const uint8_t* here = data + size_t(unit) * size_t(width);
        int32_t count = CountEqualUnits(here, here, width, units - unit);
        bool isMarker = std::memcmp(here, marker.data(), size_t(width)) == 0;
        if (count <= 2 && !isMarker) {
            WriteBytes(here, width);  // a pair of equal units costs less as two literals
            unit++;
            consumed += width;
            continue;
        }
        for (int32_t left = count; left > 0; left -= 255) {
            WriteBytes(marker.data(), width);
            WriteByte(uint8_t(std::min(left, 255)));
            WriteBytes(here, width);
        }
        unit += count;
        consumed += count * width;
    }
    int32_t tail = length - units * width;
    WriteBytes(data + size_t(units) * size_t(width), tail);
    consumed += tail;
    if (consumed != length)
        Error("Invalid number of bytes written");

    int32_t written = m_OutputPosition;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size_t(written)]);
    std::memcpy(exact.get(), m_Output.get(), size_t(written));
    m_Output.reset();
    m_OutputCapacity = 0;
    out = std::move(exact);
    return written;
}

int32_t CCompress::UnpackRunLength(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    m_Input = block;
    m_InputLength = length;
    ByteReader reader(block, size_t(std::max(length, 0)));
    reader.Skip(1);
    uint32_t unpacked = reader.ReadU32();
    m_UnpackUnitWidth = reader.ReadU8();
    if (reader.Failed())
        Error("End of read buffer");
    const size_t width = size_t(m_UnpackUnitWidth);
    if (width == 0)
        Error("Invalid unit width: 0");
    // A run item of 2U + 1 bytes gives at most 255 U bytes, so no body unpacks to 128 times its size.
    if (unpacked > kMaxUnpackedLength || unpacked > uint64_t(reader.GetRemaining()) * 128)
        Error("Invalid unpacked length: %u", unpacked);
    CheckUnpackLimit(unpacked);
    AllocOutput(int32_t(unpacked));

    std::vector<uint8_t> marker(width);
    for (size_t j = 0; j < width; j++)
        marker[j] = uint8_t((j % 256) + 10);
    while (reader.GetRemaining() >= width) {
        const uint8_t* unit = reader.ReadSpan(width);
        if (std::memcmp(unit, marker.data(), width) != 0) {
            WriteBytes(unit, int32_t(width));
            continue;
        }
        uint8_t count = reader.ReadU8();
        const uint8_t* repeated = reader.ReadSpan(width);
        if (reader.Failed())
            Error("End of read buffer");
        if (int64_t(count) * int64_t(width) > m_OutputCapacity - m_OutputPosition)
            Error("Write buffer full");
        for (uint8_t i = 0; i < count; i++)
            WriteBytes(repeated, int32_t(width));
    }
    size_t tail = reader.GetRemaining();
    WriteBytes(reader.ReadSpan(tail), int32_t(tail));
    m_InputPosition = int32_t(reader.GetPosition());
    if (m_OutputPosition != int32_t(unpacked))
        Error("Buffer end validation failed");
    return TakeOutput(out);
}

int32_t CCompress::Pack(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out, int32_t level,
                        int32_t scramble)
{
    LzmaProperties properties = LzmaSetting(level);
    std::unique_ptr<uint8_t[]> encoded;
    uint32_t encodedLength = 0;
    const uint32_t inputLength = uint32_t(std::max(length, 0));
    // Messages are packed many times a second: the fast setting packs them with its own encoder.
    int32_t result = level < 0 && inputLength <= LzmaMessageEncoder::kMaxMessage
                         ? LzmaMessageEncoder::Encode(data, inputLength, encoded, encodedLength)
                         : LzmaEncodeBuffer(data, inputLength, encoded, encodedLength, &properties);
    if (result != kLzmaOk)
        Error("lzmaEncode failed: %i", result);
    const int32_t header = scramble ? kLzmaScrambledHeader : kLzmaHeader;
    if (encodedLength > uint32_t(INT32_MAX - header))
        Error("lzmaEncode failed: %i", kLzmaFail);
    AllocOutput(header + int32_t(encodedLength));
    uint8_t* block = m_Output.get();
    std::memset(block, 0, size_t(header));
    block[0] = uint8_t(kIdLzma | (scramble ? kScrambleFlag : 0));
    ByteWriter::EncodeU32(block + 1, uint32_t(length));
    std::memcpy(block + header, encoded.get(), encodedLength);
    if (scramble) {
        // The seed is the generator's next output, and the generator goes on from that seed.
        uint32_t seed = Random::Next();
        ByteWriter::EncodeU32(block + 5, seed);
        Random::Seed(seed);
        uint32_t sumBefore = 0;
        uint32_t sumAfter = 0;
        XorWithKeystream(block + header, int32_t(encodedLength), sumBefore, sumAfter);
        ByteWriter::EncodeU32(block + 9, sumBefore ^ sumAfter);
    }
    m_OutputPosition = header + int32_t(encodedLength);
    return TakeOutput(out);
}

int32_t CCompress::UnpackLzma(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out, bool scrambled)
{
    m_Input = block;
    m_InputLength = length;
    const int32_t header = scrambled ? kLzmaScrambledHeader : kLzmaHeader;
    if (!block || length < header)
        Error("End of read buffer");
    uint32_t stated = ByteReader::DecodeU32(block + 1);
    const uint8_t* stream = block + header;
    const int32_t streamLength = length - header;
    std::unique_ptr<uint8_t[]> plain;
    if (scrambled) {
        Random::Seed(ByteReader::DecodeU32(block + 5));
        plain.reset(new uint8_t[size_t(streamLength)]);
        std::memcpy(plain.get(), stream, size_t(streamLength));
        uint32_t sumBefore = 0;
        uint32_t sumAfter = 0;
        XorWithKeystream(plain.get(), streamLength, sumBefore, sumAfter);
        if ((sumBefore ^ sumAfter) != ByteReader::DecodeU32(block + 9))
            Error("Checksum error!");
        stream = plain.get();
    }
    if (streamLength < int32_t(kLzmaHeaderSize))  // as the decoder answers a stream shorter than its header
        Error("Error in lzmaDecode: %i", kLzmaFail);
    // The block and the stream state the length each; they must agree before anything is allocated.
    uint32_t streamStated = ByteReader::DecodeU32(stream + 5);
    if (stated != streamStated || stated > kMaxUnpackedLength)
        Error("Error in lzmaDecode: %i (unpacked length %u, stream says %u)", kLzmaFail, stated, streamStated);
    CheckUnpackLimit(stated);
    std::unique_ptr<uint8_t[]> decoded;
    uint32_t decodedLength = 0;
    int32_t result = LzmaDecodeBuffer(stream, uint32_t(streamLength), decoded, decodedLength);
    if (result != kLzmaOk)
        Error("Error in lzmaDecode: %i", result);
    if (decodedLength != stated)
        Error("Buffer end validation failed");
    out = std::move(decoded);
    return int32_t(decodedLength);
}

void CCompress::XorWithKeystream(uint8_t* words, int32_t length, uint32_t& sumBefore, uint32_t& sumAfter)
{
    const int32_t count = length / 4;
    uint32_t k = 0;
    for (int32_t i = 0; i < count; i++) {
        k = i % 32 == 0 ? Random::Next() : RotateLeft(k);
        uint8_t* p = words + size_t(i) * 4;
        uint32_t w = ByteReader::DecodeU32(p);
        sumBefore ^= w;
        w ^= k ^ kKeystreamMask;
        sumAfter ^= w;
        ByteWriter::EncodeU32(p, w);
    }
    k = Random::Next();  // drawn even without tail bytes: the sequence depends on it
    for (int32_t i = count * 4; i < length; i++) {
        sumBefore ^= words[i];
        words[i] ^= uint8_t(k);
        sumAfter ^= words[i];
        k >>= 8;
    }
}

void CCompress::XorWithKey(uint8_t* words, int32_t length, const uint32_t* key, int32_t keyWords, uint32_t& sumBefore,
                           uint32_t& sumAfter)
{
    const int32_t count = length / 4;
    for (int32_t i = 0; i < count; i++) {
        uint8_t* p = words + size_t(i) * 4;
        uint32_t w = ByteReader::DecodeU32(p);
        sumBefore ^= w;
        w ^= uint32_t(i) * uint32_t(i) + key[i % keyWords];
        sumAfter ^= w;
        ByteWriter::EncodeU32(p, w);
    }
    uint32_t k = key[(count * 4) % keyWords];  // the tail's byte offset picks the key word
    for (int32_t i = count * 4; i < length; i++) {
        sumBefore ^= words[i];
        words[i] ^= uint8_t(k);
        sumAfter ^= words[i];
        k >>= 8;
    }
}

void CCompress::BuildKey(int32_t version, int32_t payloadLength, uint32_t key[8])
{
    for (int j = 0; j < 8; j++)
        key[j] = version == 1 ? kKeyVersion1[j] : ((uint32_t(payloadLength) + 1) * kKeyVersion2A[j]) ^ kKeyVersion2B[j];
}

int32_t CCompress::Scramble(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    if (length > INT32_MAX - kKeyHeader)
        Error("Invalid input buffer");
    AllocOutput(length + kKeyHeader);
    uint8_t* block = m_Output.get();
    block[0] = kIdKey;
    ByteWriter::EncodeU32(block + 1, uint32_t(length));
    block[5] = kKeyVersionWritten;
    if (length > 0)
        std::memcpy(block + kKeyHeader, data, size_t(length));
    uint32_t key[8];
    BuildKey(kKeyVersionWritten, length, key);
    uint32_t sumBefore = 0;
    uint32_t sumAfter = 0;
    XorWithKey(block + kKeyHeader, length, key, 8, sumBefore, sumAfter);
    ByteWriter::EncodeU32(block + 6, sumBefore);
    m_OutputPosition = length + kKeyHeader;
    return TakeOutput(out);
}

int32_t CCompress::Unscramble(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out)
{
    m_Input = block;
    m_InputLength = length;
    // A header cut short counts as an unknown version; its version byte is read only when present.
    int32_t version = block && length > 5 ? block[5] : 0;
    if (!block || length < kKeyHeader || version == 0 || version > 2)
        Error("Unknown encryption version: %i", version);
    int32_t payloadLength = length - kKeyHeader;
    if (ByteReader::DecodeU32(block + 1) != uint32_t(payloadLength))
        Error("Buffer end validation failed");
    AllocOutput(payloadLength);
    WriteBytes(block + kKeyHeader, payloadLength);
    uint32_t key[8];
    BuildKey(version, payloadLength, key);
    uint32_t sumBefore = 0;
    uint32_t sumAfter = 0;
    XorWithKey(m_Output.get(), payloadLength, key, 8, sumBefore, sumAfter);
    if (sumAfter != ByteReader::DecodeU32(block + 6))
        Error("Checksum error");
    return TakeOutput(out);
}
