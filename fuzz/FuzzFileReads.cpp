// FuzzFileReads: the typed reads and seeks of a memory-only File over arbitrary bytes, each read
// checked against the bytes it must have taken.
//
// Input: u8 program length k (mod 33), k program bytes, then the file's contents. A program byte's
// low 5 bits pick the operation, its high 3 bits are a small argument. An empty program sweeps
// the contents with every width and both string forms.
#include "FuzzTarget.h"

#include "base/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

struct Contents {
    const uint8_t* bytes;
    int32_t size;
};

// A typed read of width bytes at the file's position: it must give the little-endian bytes there
// and move on, or give 0 and stay where it was.
template <class T, class Decode> void CheckRead(File& file, const Contents& c, int32_t width, Decode decode)
{
    const int32_t pos = file.GetPos();
    T value{};
    bool ok;
    if constexpr (sizeof(T) == 8 && std::is_same_v<T, double>)
        ok = file.ReadDouble(&value);
    else if constexpr (sizeof(T) == 8)
        ok = file.ReadInt64(&value);
    else if constexpr (sizeof(T) == 4)
        ok = file.ReadInt32(&value);
    else if constexpr (sizeof(T) == 2)
        ok = file.ReadInt16(&value);
    else
        ok = file.ReadInt8(&value);
    const bool fits = pos >= 0 && pos <= c.size && width <= c.size - pos;
    if (ok != fits)
        Fuzz::Finding("typed read succeeded past the end or failed within it");
    T expected = fits ? decode(c.bytes + pos) : T{};
    if (std::memcmp(&value, &expected, sizeof(T)) != 0)
        Fuzz::Finding("typed read gave other bytes than the file holds");
    if (file.GetPos() != (fits ? pos + width : pos))
        Fuzz::Finding("typed read left the position wrong");
}

// A string read gives its characters and moves past them, or fails without moving.
template <class S> void CheckString(File& file, const Contents& c, int32_t unitBytes)
{
    using Unit = std::conditional_t<std::is_same_v<S, String>, uint8_t, uint16_t>;
    const int32_t pos = file.GetPos();
    S text;
    bool ok;
    if constexpr (std::is_same_v<S, String>)
        ok = file.ReadString(text);
    else
        ok = file.ReadWString(text);
    if (!ok) {
        if (file.GetPos() != pos || text.GetBuffer())
            Fuzz::Finding("failed string read moved or kept text");
        return;
    }
    int32_t length = int32_t(ByteReader::DecodeU32(c.bytes + pos));
    if (length <= 0) {
        if (file.GetPos() != pos + 4)
            Fuzz::Finding("empty string read left the position wrong");
        return;
    }
    if (int64_t(length) * unitBytes > int64_t(c.size) - pos - 4 || file.GetPos() != pos + 4 + length * unitBytes)
        Fuzz::Finding("string read took more bytes than the file holds");
    for (int32_t i = 0; i < length; i++) {
        const uint8_t* at = c.bytes + pos + 4 + i * unitBytes;
        uint32_t unit = unitBytes == 1 ? at[0] : ByteReader::DecodeU16(at);
        if (uint32_t(Unit(text.GetBuffer()[i])) != unit)
            Fuzz::Finding("string read gave other characters than the file holds");
    }
    if (text.GetBuffer()[length] != 0)
        Fuzz::Finding("string read left no terminator");
}

void Step(File& file, const Contents& c, uint8_t op)
{
    const int32_t arg = op >> 5;
    switch (op & 0x1F) {
    case 0: CheckRead<uint8_t>(file, c, 1, [](const uint8_t* p) { return p[0]; }); break;
    case 1: CheckRead<int8_t>(file, c, 1, [](const uint8_t* p) { return int8_t(p[0]); }); break;
    case 2: CheckRead<uint16_t>(file, c, 2, ByteReader::DecodeU16); break;
    case 3: CheckRead<int16_t>(file, c, 2, [](const uint8_t* p) { return int16_t(ByteReader::DecodeU16(p)); }); break;
    case 4: CheckRead<uint32_t>(file, c, 4, ByteReader::DecodeU32); break;
    case 5: CheckRead<int32_t>(file, c, 4, [](const uint8_t* p) { return int32_t(ByteReader::DecodeU32(p)); }); break;
    case 6: CheckRead<float>(file, c, 4, ByteReader::DecodeFloat); break;
    case 7: CheckRead<uint64_t>(file, c, 8, ByteReader::DecodeU64); break;
    case 8: CheckRead<int64_t>(file, c, 8, [](const uint8_t* p) { return int64_t(ByteReader::DecodeU64(p)); }); break;
    case 9: CheckRead<double>(file, c, 8, ByteReader::DecodeDouble); break;
    case 10: CheckString<String>(file, c, 1); break;
    case 11: CheckString<wString>(file, c, 2); break;
    case 12: file.Seek(arg); break;
    case 13: file.Seek(c.size - arg); break;  // before 0 when the file is short: an error
    case 14: file.Seek(c.size + arg); break;  // past the end: later reads fail quietly
    case 15: file.Seek(file.GetPos() - arg); break;
    case 16: {  // a position taken from the file itself
        int32_t target = 0;
        if (file.ReadInt32(&target))
            file.Seek(target);
        break;
    }
    case 17: {
        const int32_t pos = file.GetPos();
        uint8_t block[21];
        bool fits = arg == 0 || (pos >= 0 && pos <= c.size && arg * 3 <= c.size - pos);  // nothing to read always succeeds
        if (file.Read(block, size_t(arg) * 3) != fits || (fits && std::memcmp(block, c.bytes + pos, size_t(arg) * 3)))
            Fuzz::Finding("block read disagrees with the file");
        break;
    }
    case 18: {
        const int32_t pos = file.GetPos();
        uint16_t value = file.ReadInt16Member();
        if (file.GetLastInt16() != value || (file.GetPos() != pos && file.GetPos() != pos + 2))
            Fuzz::Finding("ReadInt16Member disagrees with its record");
        break;
    }
    case 19: {
        std::unique_ptr<uint8_t[]> out;
        file.ReadPackedBlock(out, arg);
        break;
    }
    case 20:
        if (file.GetChecksum() != File::Adler32(c.bytes, size_t(c.size)))
            Fuzz::Finding("checksum of the file disagrees with its bytes");
        break;
    default: break;
    }
}

void Sweep(File& file, const Contents& c)
{
    static const uint8_t kReads[] = {0, 2, 4, 6, 7, 9, 10, 11};
    for (uint8_t op : kReads) {
        file.Seek(0);
        for (int32_t i = 0; i <= c.size && file.GetRemaining() > 0; i++)
            Step(file, c, op);
        Step(file, c, op);  // at the end
    }
    for (int32_t at = 0; at < c.size && at < 64; at++) {  // strings at every offset of the head
        file.Seek(at);
        Step(file, c, 10);
        file.Seek(at);
        Step(file, c, 11);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    const size_t programLength = std::min<size_t>(data[0] % 33, size - 1);
    const uint8_t* program = data + 1;
    const Contents c{data + 1 + programLength, int32_t(size - 1 - programLength)};
    File file;
    Fuzz::LoadMemoryFile(file, c.bytes, size_t(c.size));
    try {
        if (programLength == 0)
            Sweep(file, c);
        for (size_t i = 0; i < programLength; i++)
            Step(file, c, program[i]);
    } catch (const ErrorMsg&) {
        // a negative seek, or a damaged packed block
    }
    return 0;
}
