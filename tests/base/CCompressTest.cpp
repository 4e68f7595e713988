// CCompress and the packed file container: golden blocks, round trips of every method, damaged
// blocks, and packing on close and unpacking on open through File.
#include "base/CCompress.h"

#include "support/TempDir.h"
#include "base/File.h"
#include "base/Random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pack(int32_t method, const Bytes& in)
{
    CCompress c;
    c.SetMethod(method);
    c.SetUnitSize(4);
    std::unique_ptr<uint8_t[]> out;
    int32_t n = c.Compress(in.data(), int32_t(in.size()), out);
    EXPECT_GT(n, 0);
    return n > 0 ? Bytes(out.get(), out.get() + n) : Bytes();
}

Bytes Unpack(const Bytes& block)
{
    CCompress c;
    std::unique_ptr<uint8_t[]> out;
    int32_t n = c.Unpack(block.data(), int32_t(block.size()), out);
    EXPECT_GE(n, 0);
    return Bytes(out.get(), out.get() + n);
}

// The message of the error that unpacking the block raises; "" when it unpacks.
std::string UnpackError(const Bytes& block)
{
    try {
        Unpack(block);
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.className, "CCompress");
        return e.message;
    }
    return "";
}

Bytes Text(size_t n)
{
    const std::string line = "OnUse:door_12 level.cfg:onEnter creature 4 item 6\n";
    Bytes b;
    while (b.size() < n)
        b.push_back(uint8_t(line[b.size() % line.size()]));
    return b;
}

Bytes Noise(size_t n)
{
    std::mt19937 gen(7);
    Bytes b(n);
    for (auto& x : b)
        x = uint8_t(gen());
    return b;
}

Bytes Units(const Bytes& unit, int count)
{
    Bytes b;
    for (int i = 0; i < count; i++)
        b.insert(b.end(), unit.begin(), unit.end());
    return b;
}

String Name(const std::string& path) { return String(path.c_str()); }

const Bytes kMarker = {10, 11, 12, 13};

}  // namespace

TEST(CCompressTest, EveryMethodRoundTripsEverySample)
{
    const Bytes samples[] = {{}, {1}, {1, 2, 3, 4, 5, 6, 7}, Text(20000), Noise(9999), Bytes(100000, 0),
                             Units(kMarker, 300), Text(2 << 20)};
    const uint8_t ids[] = {0, 1, 2, 2, 2, 0x42, 0x42, 0x42, 8};
    for (int32_t method = 0; method <= 8; method++) {
        for (const Bytes& sample : samples) {
            SCOPED_TRACE(testing::Message() << "method " << method << " size " << sample.size());
            Bytes block = Pack(method, sample);
            ASSERT_FALSE(block.empty());
            EXPECT_EQ(block[0], ids[method]);
            EXPECT_EQ(Unpack(block), sample);
        }
    }
    CCompress c;
    c.SetMethod(9);
    std::unique_ptr<uint8_t[]> out;
    EXPECT_EQ(c.Compress(ids, 3, out), -1);
    EXPECT_FALSE(out);
}

TEST(CCompressTest, GoldenBlocks)
{
    const Bytes unit = {1, 2, 3, 4};
    struct Case {
        const char* what;
        int32_t method;
        Bytes in;
        Bytes block;
    };
    const Case cases[] = {
        {"stored", 0, {'a', 'b', 'c'}, {0, 3, 0, 0, 0, 'a', 'b', 'c'}},
        {"run of 12 units", 1, Units(unit, 12), {1, 48, 0, 0, 0, 4, 10, 11, 12, 13, 12, 1, 2, 3, 4}},
        {"pairs stay literal, tail kept", 1, Bytes{1, 2, 3, 4, 1, 2, 3, 4, 9, 8},
         {1, 10, 0, 0, 0, 4, 1, 2, 3, 4, 1, 2, 3, 4, 9, 8}},
        {"marker unit as a run of 1", 1, kMarker, {1, 4, 0, 0, 0, 4, 10, 11, 12, 13, 1, 10, 11, 12, 13}},
        {"key-scrambled empty", 8, {}, {8, 0, 0, 0, 0, 2, 0, 0, 0, 0}},
        {"key-scrambled words and tail", 8, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'},
         {0x08, 0x0A, 0x00, 0x00, 0x00, 0x02, 0x07, 0x04, 0x04, 0x0C, 0x95, 0x4F, 0xE5, 0x5D, 0xDC, 0xB8, 0x24, 0x2D,
          0x9D, 0x47}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Pack(c.method, c.in), c.block);
        EXPECT_EQ(Unpack(c.block), c.in);
    }

    // Long runs split into triples of at most 255.
    struct Run {
        int count;
        Bytes counts;
    };
    for (const Run& run : {Run{510, {255, 255}}, Run{256, {255, 1}}, Run{255, {255}}}) {
        Bytes block = Pack(1, Units(unit, run.count));
        ASSERT_EQ(block.size(), 6 + 9 * run.counts.size());
        for (size_t i = 0; i < run.counts.size(); i++)
            EXPECT_EQ(block[6 + 9 * i + 4], run.counts[i]);
    }
}

TEST(CCompressTest, KeystreamScramblingReseedsTheProgramGenerator)
{
    Random::Seed(1234);
    const Bytes sample = Text(5000);
    Bytes block = Pack(6, sample);
    uint32_t afterPacking = Random::Next();
    // The generator went on from the stored seed, past the keystream's draws.
    uint32_t seed = uint32_t(block[5]) | uint32_t(block[6]) << 8 | uint32_t(block[7]) << 16 | uint32_t(block[8]) << 24;
    Random::Seed(seed);
    Bytes copy(block.begin() + 13, block.end());
    uint32_t before = 0, after = 0;
    CCompress::XorWithKeystream(copy.data(), int32_t(copy.size()), before, after);
    EXPECT_EQ(Random::Next(), afterPacking);
    EXPECT_EQ(copy[0], 0x5D);  // unscrambled: the LZMA properties byte
}

TEST(CCompressTest, DamagedBlocksAreCleanErrors)
{
    const Bytes sample = Text(3000);
    // Every prefix of every kind of block is an error, never a crash or short data.
    for (int32_t method : {0, 1, 3, 6, 8}) {
        Bytes block = Pack(method, sample);
        for (size_t cut = 0; cut < block.size(); cut += (cut < 40 ? 1 : 97)) {
            SCOPED_TRACE(testing::Message() << "method " << method << " cut at " << cut);
            EXPECT_NE(UnpackError(Bytes(block.begin(), block.begin() + long(cut))), "");
        }
    }

    Bytes lzma = Pack(3, sample);
    Bytes scrambled = Pack(6, sample);
    Bytes keyed = Pack(8, sample);
    auto patched = [](Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t x : bytes)
            b[at++] = x;
        return b;
    };
    struct Case {
        const char* what;
        Bytes block;
        const char* message;  // the start of the error
    };
    const Case cases[] = {
        {"one byte", {0}, "Invalid input buffer"},
        {"id 5", {5, 0, 0, 0, 0, 0}, "Unknown compression algorithm: 5"},
        {"id 63", {63, 0, 0, 0, 0}, "Unknown compression algorithm: 63"},
        {"LZMA with scramble bits 2", patched(lzma, 0, {0x82}), "Unknown compression algorithm: -126"},
        {"stored length 4 GiB", {0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2}, "Buffer end validation failed"},
        {"run-length length 2 GiB", {1, 0, 0, 0, 0x80, 4, 1, 2, 3, 4}, "Invalid unpacked length"},
        {"run-length 4 units stated, 1 given", {1, 16, 0, 0, 0, 4, 1, 2, 3, 4}, "Buffer end validation failed"},
        {"run-length unit width 0", {1, 4, 0, 0, 0, 0, 1, 2, 3, 4}, "Invalid unit width: 0"},
        {"run-length run past the length", {1, 8, 0, 0, 0, 4, 10, 11, 12, 13, 3, 1, 2, 3, 4}, "Write buffer full"},
        {"run-length triple cut", {1, 8, 0, 0, 0, 4, 10, 11, 12, 13, 2, 1, 2}, "End of read buffer"},
        {"LZMA block length differs from stream", patched(lzma, 1, {0xB7}), "Error in lzmaDecode"},
        {"LZMA length 2 GiB in both", patched(patched(lzma, 1, {0, 0, 0, 0x80}), 10, {0, 0, 0, 0x80}),
         "Error in lzmaDecode"},
        {"scrambled check value altered", patched(scrambled, 9, {uint8_t(scrambled[9] ^ 1)}), "Checksum error!"},
        // the keystream check covers the keystream only: altered data fails in the decoder
        {"scrambled stream byte altered", patched(scrambled, scrambled.size() / 2, {uint8_t(scrambled[scrambled.size() / 2] ^ 0x21)}),
         "Error in lzmaDecode"},
        {"key payload byte altered", patched(keyed, 100, {uint8_t(keyed[100] ^ 4)}), "Checksum error"},
        {"key version 3", patched(keyed, 5, {3}), "Unknown encryption version: 3"},
        {"key version 0", patched(keyed, 5, {0}), "Unknown encryption version: 0"},
        {"key payload length lies", patched(keyed, 1, {0}), "Buffer end validation failed"},
        {"key block of 6 bytes", {8, 0, 0, 0, 0, 2}, "Unknown encryption version: 2"},
        {"key block of 3 bytes", {8, 0, 0}, "Unknown encryption version: 0"},
        {"LZMA stream shorter than its header", Bytes(lzma.begin(), lzma.begin() + 13), "Error in lzmaDecode: -2147467259"},
        {"LZMA block header cut", {2, 0, 0, 0}, "End of read buffer"},
        {"scrambled LZMA header cut", Bytes(scrambled.begin(), scrambled.begin() + 12), "End of read buffer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string message = UnpackError(c.block);
        EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    }
}

TEST(CCompressTest, VersionOneKeyBlocksStillUnpack)
{
    // Built by hand with the version-1 key: scramble with it, then mark the block version 1.
    const Bytes sample = Text(37);
    Bytes block = {8, 37, 0, 0, 0, 1, 0, 0, 0, 0};
    block.insert(block.end(), sample.begin(), sample.end());
    uint32_t key[8] = {0xD1A6E55E, 0xC55A45F8, 0x566BF9D7, 0x4243ED52, 0xCF0C26EF, 0x265BEDA9, 0x5D96CF7F, 0xB7DECC0C};
    uint32_t before = 0, after = 0;
    CCompress::XorWithKey(block.data() + 10, 37, key, 8, before, after);
    for (int i = 0; i < 4; i++)
        block[6 + size_t(i)] = uint8_t(before >> (8 * i));
    EXPECT_EQ(Unpack(block), sample);
}

TEST(CCompressTest, FilesArePackedOnCloseAndUnpackedOnOpen)
{
    TempDir dir;
    const Bytes sample = Text(40000);
    for (int32_t method = 1; method <= 8; method++) {
        for (bool inMemory : {false, true}) {
            SCOPED_TRACE(testing::Message() << "method " << method << (inMemory ? " virtual" : " disk"));
            std::string path = dir("packed.sv");
            File f;
            ASSERT_TRUE(inMemory ? f.CreateInMemory(Name(path)) : f.Create(Name(path)));
            f.Write(sample.data(), sample.size());
            f.SetCompression(method);
            f.Close();
            Bytes onDisk = TempDir::ReadAll(path);
            ASSERT_GE(onDisk.size(), 7u);
            EXPECT_EQ(Bytes(onDisk.begin(), onDisk.begin() + 6), (Bytes{0xA7, 0x51, 0x4D, 0xA7, 1, uint8_t(method)}));
            EXPECT_EQ(Unpack(Bytes(onDisk.begin() + 6, onDisk.end())), sample);

            ASSERT_TRUE(f.Open(Name(path), false));
            EXPECT_EQ(f.GetCompression(), method);
            EXPECT_EQ(f.GetVirtualMode(), File::kVirtualFile);
            ASSERT_EQ(f.GetSize(), int32_t(sample.size()));
            EXPECT_EQ(Bytes(f.GetMemoryBuffer(), f.GetMemoryBuffer() + f.GetSize()), sample);
            f.Close();  // unchanged: the disk file stays as it was
            EXPECT_EQ(TempDir::ReadAll(path), onDisk);

            ASSERT_TRUE(f.Open(Name(path), false));
            f.Seek(f.GetSize());
            f.WriteInt8('!');
            f.Close();  // changed: packed again with the same method
            ASSERT_TRUE(f.Open(Name(path)));
            EXPECT_EQ(f.GetSize(), int32_t(sample.size()) + 1);
            EXPECT_EQ(f.GetMemoryBuffer()[sample.size()], '!');
        }
    }

    // The network path: a memory-only file packed by Flush and unpacked by UnpackOnOpen.
    File body;
    body.CreateMemoryFile(64);
    body.Write(sample.data(), sample.size());
    body.SetCompression(3);
    body.Flush();
    EXPECT_LT(body.GetSize(), int32_t(sample.size()));
    body.Seek(0);
    EXPECT_TRUE(body.UnpackOnOpen());
    EXPECT_EQ(Bytes(body.GetMemoryBuffer(), body.GetMemoryBuffer() + body.GetSize()), sample);
}

TEST(CCompressTest, FilesThatAreNotPackedOpenAsPlainData)
{
    TempDir dir;
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"shorter than 5 bytes", {0xA7, 0x51, 0x4D, 0xA7}},
        {"magic and version, no method byte", {0xA7, 0x51, 0x4D, 0xA7, 1}},
        {"container version 2", {0xA7, 0x51, 0x4D, 0xA7, 2, 3, 9, 9}},
        {"method byte 0", {0xA7, 0x51, 0x4D, 0xA7, 1, 0, 9, 9}},
        {"method byte 9", {0xA7, 0x51, 0x4D, 0xA7, 1, 9, 9, 9}},
        {"method byte -1", {0xA7, 0x51, 0x4D, 0xA7, 1, 0xFF, 9, 9}},
        {"no magic", {'p', 'l', 'a', 'i', 'n', ' ', 't', 'e', 'x', 't'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir::WriteAll(dir("p.bin"), c.bytes);
        for (int32_t mode : {File::kDiskFile, File::kVirtualFile}) {
            File f;
            ASSERT_TRUE(f.Open(Name(dir("p.bin")), false, mode));
            EXPECT_EQ(f.GetCompression(), 0);
            EXPECT_EQ(f.GetPos(), 0);
            Bytes read(c.bytes.size());
            ASSERT_TRUE(f.Read(read.data(), read.size()));
            EXPECT_EQ(read, c.bytes);
            f.WriteInt8(0x55);  // closing a changed plain file writes it plainly
            f.Close();
            Bytes expected = c.bytes;
            expected.push_back(0x55);
            EXPECT_EQ(TempDir::ReadAll(dir("p.bin")), expected);
            TempDir::WriteAll(dir("p.bin"), c.bytes);
        }
    }
}

TEST(CCompressTest, DamagedPackedFileFailsToOpenCleanly)
{
    TempDir dir;
    Bytes block = Pack(3, Text(5000));
    Bytes file = {0xA7, 0x51, 0x4D, 0xA7, 1, 3};
    file.insert(file.end(), block.begin(), block.end() - 3);
    TempDir::WriteAll(dir("bad.sv"), file);
    uint32_t handles = File::GetOpenHandlesCount();
    {
        File f;
        EXPECT_THROW(f.Open(Name(dir("bad.sv")), false), ErrorMsg);
        EXPECT_EQ(f.GetCompression(), 0);  // nothing would be packed again at close
    }
    EXPECT_EQ(File::GetOpenHandlesCount(), handles);
    EXPECT_EQ(TempDir::ReadAll(dir("bad.sv")), file);
}

TEST(CCompressTest, ReadPackedBlockChecksItsLength)
{
    const Bytes sample = Text(1000);
    Bytes block = Pack(3, sample);
    File f;
    f.CreateMemoryFile(0);
    f.WriteInt32(int32_t(block.size()));
    f.Write(block.data(), block.size());
    f.WriteInt32(int32_t(block.size()) + 1);  // one more than what follows
    f.Write(block.data(), block.size());
    f.Seek(0);
    std::unique_ptr<uint8_t[]> out;
    ASSERT_EQ(f.ReadPackedBlock(out, 3), int32_t(sample.size()));
    EXPECT_EQ(Bytes(out.get(), out.get() + sample.size()), sample);
    EXPECT_THROW(f.ReadPackedBlock(out, 3), ErrorMsg);
}
