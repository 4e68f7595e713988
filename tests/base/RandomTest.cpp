// Tests of the random generators against MT19937 outputs drawn by an independent implementation
// (tests/fixtures/base/make_mt_reference.py), and of the draws built on them.
#include "base/Random.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct Reference {
    uint32_t seed;
    uint32_t outputs[10];  // draws 0..5 and 1000..1003
};

const Reference kReference[] = {
    {0x00001105u, {0xaae64ac3u, 0x5e7c47dau, 0xb98e8121u, 0xb010f327u, 0x92da86b4u, 0xcf8f28c4u, 0xb91fed95u, 0xe3b21122u, 0x610c540fu, 0x60febf16u}},
    {0x00000001u, {0xd3f6b9e5u, 0xef284157u, 0x0d3639c7u, 0x22f28abfu, 0xc8061f7eu, 0x57974ebcu, 0x81a12947u, 0xf8384e41u, 0x8165212bu, 0xbe758c3du}},
    {0xdeadbeefu, {0x563b95f8u, 0x150fcfb1u, 0x35f4cdceu, 0x63060bc9u, 0xeca8fc7eu, 0x2c5ebb8au, 0x2982854au, 0x16c8be78u, 0xed240d32u, 0x21e92e9eu}},
    {0x075bcd15u, {0x8ce1e5eeu, 0x956faed2u, 0x26845014u, 0x451018c4u, 0x75137841u, 0xbb688f41u, 0xfd262614u, 0x8a667a89u, 0xff7704ffu, 0x78ac2042u}},
};

void ExpectReference(const Reference& r, uint32_t (*draw)())
{
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(draw(), r.outputs[i]) << "seed " << r.seed << " draw " << i;
    for (int i = 6; i < 1000; ++i)
        draw();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(draw(), r.outputs[6 + i]) << "seed " << r.seed << " draw " << 1000 + i;
}

}  // namespace

TEST(RandomTest, UnseededGeneratorIsSeed4357)
{
    ExpectReference(kReference[0], Random::Next);  // first use in this process
}

TEST(RandomTest, MatchesTheReferenceForEverySeed)
{
    for (const Reference& r : kReference) {
        Random::Seed(r.seed);
        ExpectReference(r, Random::Next);
    }
}

TEST(RandomTest, PerObjectGeneratorWithZeroSecondPartMatchesOnItsFirstHalf)
{
    // With t = 0 the first 312 words follow the program-wide seeding; the second half differs.
    RandomGen a, b;
    a.Seed(99, 0);
    b.Seed(99, 0);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(a.NextU32(), b.NextU32());
    RandomGen c;
    c.Seed(99, 1);
    RandomGen d;
    d.Seed(99, 0);
    int differences = 0;
    for (int i = 0; i < 10; ++i)
        differences += c.NextU32() != d.NextU32();
    EXPECT_GT(differences, 0);
}

TEST(RandomTest, IntegerDrawsCoverTheirRangeInclusive)
{
    Random::Seed(7);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(Random::RandomInt(0), 0u);
        EXPECT_EQ(Random::RangeInt(3, 3), 3);
        int v = Random::RangeInt(1, 6);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 6);
        seen.insert(v);
        int32_t wide = Random::RangeInt(INT32_MIN, INT32_MAX);  // no overflow over the whole range
        (void)wide;
        uint32_t u = Random::RangeUInt(10, 12);
        ASSERT_GE(u, 10u);
        ASSERT_LE(u, 12u);
        double f = Random::Range(-1.0f, 1.0f);
        ASSERT_GE(f, -1.0);
        ASSERT_LT(f, 1.0);
    }
    EXPECT_EQ(seen.size(), 6u);
}
