// LzmaMessageEncoder: streams that the decoder and xz read back, headers with the dictionary a
// message needs, output independent of what the thread packed before, and sizes near liblzma's.
#include "base/LzmaMessageEncoder.h"

#include "base/ByteReader.h"
#include "base/LzmaCoder.h"

#include "support/LzmaSamples.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace LzmaSamples;

Bytes Encode(const Bytes& in)
{
    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 0;
    EXPECT_EQ(LzmaMessageEncoder::Encode(in.data(), uint32_t(in.size()), out, length), kLzmaOk);
    return Bytes(out.get(), out.get() + length);
}

Bytes Decode(const Bytes& stream)
{
    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 0;
    EXPECT_EQ(LzmaDecodeBuffer(stream.data(), uint32_t(stream.size()), out, length), kLzmaOk);
    return Bytes(out.get(), out.get() + length);
}

// Long runs, a repeated distance, matches as long as a match may be and longer, and bytes that
// only differ from the byte at the last distance in one bit (the literal after a match codes its
// bits against that byte).
Bytes Mixed(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    Bytes b;
    while (b.size() < n) {
        size_t start = b.size();
        switch (gen() % 5) {
        case 0: b.insert(b.end(), 1 + gen() % 600, uint8_t(gen())); break;
        case 1:
            for (uint32_t k = gen() % 40; k > 0; k--)
                b.push_back(uint8_t(gen() % 4));
            break;
        case 2:
            if (start > 0)
                for (uint32_t k = 2 + gen() % 300, from = uint32_t(gen() % start); k > 0; k--) {
                    const uint8_t copied = b[from++];
                    b.push_back(copied);
                }
            break;
        case 3:
            if (start > 0)
                b.push_back(uint8_t(b[gen() % start] ^ (1u << (gen() % 8))));
            break;
        default: b.push_back(uint8_t(gen())); break;
        }
    }
    b.resize(n);
    return b;
}

}  // namespace

TEST(LzmaMessageEncoderTest, RoundTripsEveryKindAndSize)
{
    std::vector<Bytes> samples = {{}, {7}, {1, 1}, Record(1024), Text(300), Noise(2000, 1), Bytes(65536, 0),
                                  Noise(LzmaMessageEncoder::kMaxMessage, 2)};
    for (uint32_t seed = 0; seed < 60; seed++)
        samples.push_back(Mixed(seed < 40 ? 1 + seed * 97 : 4090 + (seed - 40) * 3200, seed));
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(testing::Message() << "size " << sample.size());
        EXPECT_EQ(Decode(Encode(sample)), sample);
    }
}

TEST(LzmaMessageEncoderTest, HeaderStatesTheDictionaryTheMessageNeeds)
{
    struct Case {
        uint32_t size;
        uint32_t dictionary;
    };
    const Case cases[] = {{0, 4096}, {1024, 4096}, {4096, 4096}, {4097, 8192}, {40000, 65536}, {65536, 65536}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const Bytes stream = Encode(Text(c.size));
        ASSERT_GE(stream.size(), 9u);
        EXPECT_EQ(stream[0], 0x5D);  // the fast setting's literal and position bits
        EXPECT_EQ(ByteReader::DecodeU32(stream.data() + 1), c.dictionary);
        EXPECT_EQ(ByteReader::DecodeU32(stream.data() + 5), c.size);
    }

    std::unique_ptr<uint8_t[]> out;
    uint32_t length = 5;
    const Bytes tooLong(LzmaMessageEncoder::kMaxMessage + 1, 1);
    EXPECT_EQ(LzmaMessageEncoder::Encode(tooLong.data(), uint32_t(tooLong.size()), out, length), kLzmaFail);
    EXPECT_FALSE(out);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(LzmaMessageEncoder::Encode(nullptr, 3, out, length), kLzmaFail);
}

// The thread's kept match finder carries nothing from one message to the next, also when other
// threads pack at the same time.
TEST(LzmaMessageEncoderTest, OutputDependsOnTheMessageAlone)
{
    const Bytes samples[] = {Record(1024), Text(5000), Mixed(20000, 3)};
    std::vector<Bytes> first;
    for (const Bytes& sample : samples)
        first.push_back(Encode(sample));
    std::atomic<int> differ{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 30; ++i) {
                const size_t k = size_t(i * 7 + t) % 3;
                std::unique_ptr<uint8_t[]> out;
                uint32_t length = 0;
                LzmaMessageEncoder::Encode(samples[k].data(), uint32_t(samples[k].size()), out, length);
                differ += Bytes(out.get(), out.get() + length) != first[k];
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(differ.load(), 0);
}

// A message packs about as small as liblzma's fast setting packs it.
TEST(LzmaMessageEncoderTest, PacksAboutAsSmallAsTheLibraryFastSetting)
{
    const LzmaProperties fast = Fast();
    for (const Bytes& sample : {Record(1024), Text(4000), Mixed(30000, 4), Noise(3000, 5)}) {
        SCOPED_TRACE(sample.size());
        std::unique_ptr<uint8_t[]> library;
        uint32_t libraryLength = 0;
        ASSERT_EQ(LzmaEncodeBuffer(sample.data(), uint32_t(sample.size()), library, libraryLength, &fast), kLzmaOk);
        EXPECT_LE(Encode(sample).size(), libraryLength + libraryLength / 10);
    }
}

// With the ".lzma" header (8-byte length) xz reads the stream.
TEST(LzmaMessageEncoderTest, XzReadsTheStream)
{
    if (!HaveXz())
        GTEST_SKIP() << "xz is not installed";
    TempDir dir;
    const Bytes sample = Mixed(50000, 6);
    Bytes unpacked;
    ASSERT_TRUE(XzUnpack(dir, Encode(sample), unpacked));
    EXPECT_EQ(unpacked, sample);
}
