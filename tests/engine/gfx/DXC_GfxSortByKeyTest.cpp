// DXC_GfxSortByKeyTest: the draw-list sort on lists of the scratch buffer's 8,192 pairs in the
// orders that make a fixed-pivot quicksort deep or slow, and on a part of a list.
#include "engine/gfx/DXC_Gfx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int32_t kPairs = 8192;

// Sorted by key, and still the same pairs: every index once, with its own key.
void ExpectSortedPermutation(const std::vector<DXC_KeyPair>& sorted, const std::vector<DXC_KeyPair>& input)
{
    for (size_t i = 1; i < sorted.size(); i++)
        ASSERT_LE(sorted[i - 1].key, sorted[i].key) << i;
    std::vector<int32_t> seen(input.size(), 0);
    for (const DXC_KeyPair& p : sorted) {
        ASSERT_GE(p.index, 0);
        ASSERT_LT(size_t(p.index), input.size());
        EXPECT_EQ(p.key, input[size_t(p.index)].key);
        seen[size_t(p.index)]++;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int32_t n) { return n == 1; }));
}

}  // namespace

TEST(DXC_GfxSortByKey, OrdersEveryKindOfList)
{
    std::mt19937 random(104);
    std::uniform_real_distribution<float> depth(-500.0f, 500.0f);
    const struct Case {
        const char* name;
        float (*key)(int32_t i, std::mt19937& random, std::uniform_real_distribution<float>& depth);
    } cases[] = {
        {"sorted", [](int32_t i, std::mt19937&, std::uniform_real_distribution<float>&) { return float(i); }},
        {"reversed", [](int32_t i, std::mt19937&, std::uniform_real_distribution<float>&) { return float(kPairs - i); }},
        {"equal", [](int32_t, std::mt19937&, std::uniform_real_distribution<float>&) { return 7.5f; }},
        {"two keys", [](int32_t i, std::mt19937&, std::uniform_real_distribution<float>&) { return float(i % 2); }},
        {"random", [](int32_t, std::mt19937& r, std::uniform_real_distribution<float>& d) { return d(r); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DXC_KeyPair> input(kPairs);
        for (int32_t i = 0; i < kPairs; i++)
            input[size_t(i)] = {i, c.key(i, random, depth)};
        std::vector<DXC_KeyPair> pairs = input;
        DXC_Gfx::SortByKey(pairs.data(), 0, kPairs - 1);
        ExpectSortedPermutation(pairs, input);
    }
}

// Only the pairs between the two indices move; an empty or one-pair range changes nothing.
TEST(DXC_GfxSortByKey, SortsOnlyTheRangeGiven)
{
    std::vector<DXC_KeyPair> pairs = {{0, 9.0f}, {1, 5.0f}, {2, 3.0f}, {3, 4.0f}, {4, 1.0f}};
    DXC_Gfx::SortByKey(pairs.data(), 1, 3);
    const int32_t order[] = {0, 2, 3, 1, 4};
    for (size_t i = 0; i < pairs.size(); i++)
        EXPECT_EQ(pairs[i].index, order[i]) << i;
    DXC_Gfx::SortByKey(pairs.data(), 4, 4);
    DXC_Gfx::SortByKey(pairs.data(), 3, 2);
    DXC_Gfx::SortByKey(nullptr, 0, 10);
    EXPECT_EQ(pairs[4].index, 4);
}
