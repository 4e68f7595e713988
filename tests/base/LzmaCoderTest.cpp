// LzmaCoder: the 9-byte stream header, round trips, damaged streams and interoperation with xz.
#include "base/LzmaCoder.h"

#include "support/LzmaSamples.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace LzmaSamples;

LzmaProperties Normal()
{
    LzmaProperties p;
    p.fastMode = 1;
    p.fastBytes = 32;
    p.matchFinder = 3;
    p.matchFinderCycles = 32;
    return p;
}

Bytes Encode(const Bytes& in, const LzmaProperties& p)
{
    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 0;
    EXPECT_EQ(LzmaEncodeBuffer(in.data(), uint32_t(in.size()), out, length, &p), kLzmaOk);
    return Bytes(out.get(), out.get() + length);
}

int32_t Decode(const Bytes& in, Bytes& result)
{
    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 12345;
    int32_t r = LzmaDecodeBuffer(in.data(), uint32_t(in.size()), out, length);
    if (r != kLzmaOk) {
        EXPECT_FALSE(out);
        EXPECT_EQ(length, 0u);
    }
    result.assign(out.get(), out.get() + (out ? length : 0));
    return r;
}

}  // namespace

TEST(LzmaCoderTest, HeaderHoldsPropertiesDictionaryAndLength)
{
    Bytes fast = Encode(Text(300), Fast());
    EXPECT_EQ(Bytes(fast.begin(), fast.begin() + 9), (Bytes{0x5D, 0x00, 0x00, 0x01, 0x00, 0x2C, 0x01, 0x00, 0x00}));
    Bytes normal = Encode(Text(300), Normal());
    EXPECT_EQ(Bytes(normal.begin(), normal.begin() + 9), (Bytes{0x5D, 0x00, 0x00, 0x80, 0x00, 0x2C, 0x01, 0x00, 0x00}));

    Bytes empty = Encode({}, LzmaProperties());
    EXPECT_GT(empty.size(), 9u);  // the end marker follows the header
    Bytes result{1};
    EXPECT_EQ(Decode(empty, result), kLzmaOk);
    EXPECT_TRUE(result.empty());
}

// The streams as liblzma's one-call encoder makes them, whatever was packed before: the encoder
// kept between calls must carry nothing over. Each is its length and FNV-1a hash.
TEST(LzmaCoderTest, GoldenStreamsWhateverCameBefore)
{
    auto hash = [](const Bytes& b) {
        uint64_t h = 14695981039346656037u;
        for (uint8_t c : b)
            h = (h ^ c) * 1099511628211u;
        return h;
    };
    const Bytes samples[] = {Text(300), Record(1024), Noise(2000, 42), Text(70000)};
    const LzmaProperties settings[] = {Fast(), Normal(), LzmaProperties()};
    struct Golden {
        size_t size;
        uint64_t hash;
    };
    const Golden golden[3][4] = {
        {{59, 0x68762D2681E98A89u}, {524, 0xF71D71D49FD13330u}, {2052, 0x408C177BA347BF87u}, {131, 0x8AB7970A7AA7113Bu}},
        {{59, 0x3D0150929BC34DC8u}, {524, 0xED79351B9BEF4A3Fu}, {2052, 0x54A62E8D99D97288u}, {131, 0xA45D3684FBEF88CAu}},
        {{58, 0x7CD8AC655DC0A195u}, {524, 0xAD829C81B6CF949Eu}, {2048, 0xD877F7E29E9954C3u}, {131, 0x027E91BD46FBC51Au}},
    };
    EXPECT_EQ(Encode(Text(300), Fast()),
              (Bytes{0x5D, 0x00, 0x00, 0x01, 0x00, 0x2C, 0x01, 0x00, 0x00, 0x00, 0x36, 0x19, 0x4B, 0x32, 0xE9,
                     0x20, 0xF6, 0x6C, 0x64, 0x86, 0x4F, 0x3D, 0x94, 0xD0, 0x3D, 0xB0, 0xDA, 0x75, 0x33, 0xE7,
                     0x2C, 0xFF, 0x17, 0x15, 0x5D, 0x32, 0x0E, 0x8B, 0x9F, 0x86, 0x51, 0x41, 0xC2, 0x86, 0xC8,
                     0x5A, 0x10, 0xB2, 0x48, 0x4D, 0x3C, 0xAB, 0xCF, 0xFF, 0xFF, 0xA1, 0x80, 0x40, 0x00}));
    for (int pass = 0; pass < 2; ++pass) {  // forwards, then backwards
        for (int k = 0; k < 12; ++k) {
            int i = pass == 0 ? k : 11 - k;
            SCOPED_TRACE(testing::Message() << "setting " << i / 4 << " sample " << i % 4);
            const Bytes packed = Encode(samples[i % 4], settings[i / 4]);
            EXPECT_EQ(packed.size(), golden[i / 4][i % 4].size);
            EXPECT_EQ(hash(packed), golden[i / 4][i % 4].hash);
        }
    }
}

TEST(LzmaCoderTest, ThreadsPackAtOnceWithTheirOwnEncoders)
{
    const Bytes samples[] = {Text(300), Noise(3000, 42)};
    const Bytes expected[] = {Encode(samples[0], Fast()), Encode(samples[1], Fast())};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const int k = (i + t) % 2;
                std::unique_ptr<uint8_t[]> out;
                uint32_t length = 0;
                const LzmaProperties fast = Fast();
                if (LzmaEncodeBuffer(samples[k].data(), uint32_t(samples[k].size()), out, length, &fast) != kLzmaOk ||
                    Bytes(out.get(), out.get() + length) != expected[k])
                    ++wrong;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(LzmaCoderTest, RoundTripsEverySettingAndSample)
{
    const Bytes samples[] = {{}, {7}, Text(100000), Noise(70000, 42), Bytes(200000, 0), Text(3 << 20)};
    const LzmaProperties settings[] = {Fast(), Normal(), LzmaProperties()};
    for (const Bytes& sample : samples) {
        for (const LzmaProperties& p : settings) {
            SCOPED_TRACE(testing::Message() << "size " << sample.size() << " fast bytes " << p.fastBytes);
            Bytes packed = Encode(sample, p);
            EXPECT_LE(packed.size(), sample.size() * 21 / 20 + 65536);
            Bytes result;
            ASSERT_EQ(Decode(packed, result), kLzmaOk);
            EXPECT_EQ(result, sample);
        }
    }
}

TEST(LzmaCoderTest, BadSettingsFailToEncode)
{
    LzmaProperties p;
    p.matchFinder = 4;
    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 99;
    Bytes in = Text(10);
    EXPECT_EQ(LzmaEncodeBuffer(in.data(), uint32_t(in.size()), out, length, &p), kLzmaFail);
    EXPECT_FALSE(out);
    EXPECT_EQ(length, 0u);
}

TEST(LzmaCoderTest, DamagedStreamsFailCleanly)
{
    const Bytes sample = Text(50000);
    const Bytes good = Encode(sample, Normal());
    auto withLength = [&](uint32_t n) {
        Bytes b = good;
        b[5] = uint8_t(n);
        b[6] = uint8_t(n >> 8);
        b[7] = uint8_t(n >> 16);
        b[8] = uint8_t(n >> 24);
        return b;
    };
    Bytes flipped = good;
    flipped[good.size() / 2] ^= 0x10;
    Bytes trailing = good;
    trailing.push_back(0);
    struct Case {
        const char* what;
        Bytes stream;
    };
    const Case cases[] = {
        {"shorter than the header", Bytes(good.begin(), good.begin() + 8)},
        {"header only", Bytes(good.begin(), good.begin() + 9)},
        {"cut one byte short", Bytes(good.begin(), good.end() - 1)},
        {"cut in half", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"a byte after the end", trailing},
        {"stated length one short", withLength(uint32_t(sample.size()) - 1)},
        {"stated length one long", withLength(uint32_t(sample.size()) + 1)},
        {"stated length 4 GiB", withLength(0xFFFFFFFFu)},
        {"stated length just over the cap", withLength(kMaxUnpackedLength + 1)},
        {"flipped byte in the middle", flipped},
        {"bad properties byte", [&] { Bytes b = good; b[0] = 225; return b; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes result;
        EXPECT_EQ(Decode(c.stream, result), kLzmaFail);
    }
}

TEST(LzmaCoderTest, LyingDictionarySizeDoesNotAllocateIt)
{
    const Bytes sample = Text(5000);
    Bytes stream = Encode(sample, Fast());
    stream[1] = stream[2] = stream[3] = stream[4] = 0xFF;  // 4 GiB dictionary
    Bytes result;
    ASSERT_EQ(Decode(stream, result), kLzmaOk);
    EXPECT_EQ(result, sample);
}

// The project's stream with its header rewritten to the ".lzma" one (8-byte size) decodes with xz,
// and xz's output with its header rewritten to ours decodes here.
TEST(LzmaCoderTest, InteroperatesWithXz)
{
    if (!HaveXz())
        GTEST_SKIP() << "xz is not installed";
    TempDir dir;
    const Bytes sample = Text(200000);
    for (const LzmaProperties& p : {Fast(), Normal(), LzmaProperties()}) {
        Bytes ours = Encode(sample, p);
        Bytes unpacked;
        ASSERT_TRUE(XzUnpack(dir, ours, unpacked));
        EXPECT_EQ(unpacked, sample);
    }

    TempDir::WriteAll(dir("plain"), sample);
    std::string command = "xz --format=lzma -c '" + dir("plain") + "' > '" + dir("theirs.lzma") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Bytes theirs = TempDir::ReadAll(dir("theirs.lzma"));
    ASSERT_GT(theirs.size(), 13u);
    Bytes stream(theirs.begin(), theirs.begin() + 5);
    uint32_t n = uint32_t(sample.size());
    for (int i = 0; i < 4; i++)
        stream.push_back(uint8_t(n >> (8 * i)));
    stream.insert(stream.end(), theirs.begin() + 13, theirs.end());
    Bytes result;
    ASSERT_EQ(Decode(stream, result), kLzmaOk);
    EXPECT_EQ(result, sample);
}
