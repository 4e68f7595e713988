// ProbListBase: drawing by weight (a zero weight is never drawn, an x on a running sum takes the
// earlier entry, a stale total until prepared again) and without replacement, on a seeded
// generator.
#include "scifi/treasure/ProbListBase.h"

#include "base/Random.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

void Fill(ItemList& list, const std::vector<float>& weights)
{
    for (float weight : weights)
        list.AddEntry(weight, String("item"));
}

}  // namespace

TEST(ProbListBaseTest, PickWeighted)
{
    Random::Seed(1234);
    ItemList list;
    Fill(list, {1.0f, 0.0f, 3.0f});
    ProbListBase pick(list);
    int32_t counts[3] = {0, 0, 0};
    for (int32_t i = 0; i < 2000; ++i) {
        const int32_t slot = pick.PickWeighted();  // prepares the list the first time
        ASSERT_GE(slot, 0);
        ASSERT_LT(slot, 3);
        counts[slot]++;
    }
    EXPECT_EQ(list.prepared, 1);
    EXPECT_FLOAT_EQ(list.totalWeight, 4.0f);
    EXPECT_EQ(counts[1], 0);
    EXPECT_GT(counts[2], 2 * counts[0]);  // about three to one

    // A seed whose first draw u is at least 0.5, so that 1 - u is exact: with the weights u, 0,
    // 1 - u the draw x = u lies on the running sum of the first two entries.
    uint32_t seed = 1;
    double u = 0.0;
    for (;; ++seed) {
        Random::Seed(seed);
        u = Random::Float01();
        if (u >= 0.5)
            break;
    }
    ItemList edge;
    Fill(edge, {float(u), 0.0f, 1.0f - float(u)});
    Random::Seed(seed);
    EXPECT_EQ(ProbListBase(edge).PickWeighted(), 0);

    ItemList empty;
    EXPECT_EQ(ProbListBase(empty).PickWeighted(), -1);
    EXPECT_EQ(empty.prepared, 1);
    EXPECT_EQ(empty.totalWeight, 0.0f);
}

TEST(ProbListBaseTest, AddingAfterPrepareLeavesTheTotalStale)
{
    Random::Seed(99);
    ItemList list;
    Fill(list, {1.0f});
    ProbListBase pick(list);
    pick.Prepare();
    Fill(list, {100.0f});
    for (int32_t i = 0; i < 100; ++i)
        EXPECT_EQ(pick.PickWeighted(), 0);
    EXPECT_EQ(pick.ExtractRndID(), 0);
    EXPECT_EQ(pick.ExtractRndID(), -1);  // the new entry is not available yet
    pick.Prepare();
    EXPECT_FLOAT_EQ(list.totalWeight, 101.0f);
    EXPECT_EQ(list.availableCount, 2);
}

TEST(ProbListBaseTest, ExtractWithoutReplacement)
{
    Random::Seed(7);
    ItemList list;
    Fill(list, {0.0f, 2.0f, 0.0f, 5.0f, 1.0f});
    list.entries.Delete(2);  // slots stay: 0, 1, 3, 4
    ProbListBase pick(list);
    EXPECT_EQ(pick.ExtractRndID(), -1);  // never prepared
    for (int32_t round = 0; round < 2; ++round) {
        pick.Prepare();
        std::multiset<int32_t> drawn;
        for (int32_t i = 0; i < 4; ++i)
            drawn.insert(pick.ExtractRndID());
        EXPECT_EQ(drawn, (std::multiset<int32_t>{0, 1, 3, 4}));
        EXPECT_EQ(pick.ExtractRndID(), -1);
        EXPECT_EQ(list.availableCount, 0);
    }

    pick.Prepare();
    std::set<const ItemListEntry*> entries;
    for (int32_t i = 0; i < 4; ++i)
        entries.insert(&pick.ExtractRandom());
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(ErrorOf([&] { pick.ExtractRandom(); }), "ProbListBase: ExtractRndID() failed!");
}
