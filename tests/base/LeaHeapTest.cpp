// LeaHeapTest: the own heap keeps contents intact under mixed traffic, maps large blocks alone,
// trims its top and detects releases it cannot trust.
#include "base/LeaHeap.h"
#include "base/cfLeaAllocator.h"

#include "platform/VirtualMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace {

struct Block {
    unsigned char* p;
    size_t size;
    unsigned char seed;
};

void Fill(const Block& b)
{
    for (size_t i = 0; i < b.size; ++i)
        b.p[i] = static_cast<unsigned char>(b.seed + i * 7);
}

bool Intact(const Block& b)
{
    for (size_t i = 0; i < b.size; ++i)
        if (b.p[i] != static_cast<unsigned char>(b.seed + i * 7))
            return false;
    return true;
}

}  // namespace

TEST(LeaHeapTest, RandomTrafficKeepsContents)
{
    LeaHeap heap;
    std::mt19937 rng(1234);
    std::vector<Block> live;
    for (int step = 0; step < 20000; ++step) {
        bool alloc = live.empty() || rng() % 100 < 55;
        if (alloc) {
            size_t size;
            switch (rng() % 10) {
            case 0: size = rng() % 17; break;                         // tiny, 0 included
            case 1: case 2: case 3: case 4: size = rng() % 241; break;  // the exact bins and just past
            case 5: case 6: case 7: size = 241 + rng() % 8000; break;
            case 8: size = 8000 + rng() % 120000; break;
            default: size = (rng() % 50 == 0) ? 256 * 1024 + rng() % 300000 : rng() % 2000;
            }
            Block b{static_cast<unsigned char*>(heap.Alloc(size)), size, static_cast<unsigned char>(step)};
            ASSERT_NE(b.p, nullptr);
            ASSERT_EQ(reinterpret_cast<uintptr_t>(b.p) % LeaHeap::kAlignment, 0u);
            ASSERT_GE(heap.GetUsableSize(b.p), size);
            Fill(b);
            live.push_back(b);
        } else {
            size_t i = rng() % live.size();
            ASSERT_TRUE(Intact(live[i])) << "step " << step;
            heap.Free(live[i].p);
            live[i] = live.back();
            live.pop_back();
        }
        if (step % 1000 == 0) {
            ASSERT_TRUE(heap.Validate()) << "step " << step;
        }
    }
    for (const Block& b : live) {
        ASSERT_TRUE(Intact(b));
        heap.Free(b.p);
    }
    EXPECT_TRUE(heap.Validate());
    heap.Trim();
    EXPECT_EQ(heap.GetSegmentCount(), 0u);
    EXPECT_EQ(heap.GetMappedBytes(), 0u);
}

TEST(LeaHeapTest, ZeroSizeAndNull)
{
    LeaHeap heap;
    void* a = heap.Alloc(0);
    void* b = heap.Alloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    heap.Free(nullptr);
    heap.Free(a);
    heap.Free(b);
    EXPECT_TRUE(heap.Validate());
}

TEST(LeaHeapTest, SmallRequestsReuseTheirChunk)
{
    LeaHeap heap;
    for (size_t size : {size_t(1), size_t(16), size_t(17), size_t(100), LeaHeap::kMaxSmallRequest}) {
        void* keep = heap.Alloc(size);  // keeps the freed one out of the top
        void* a = heap.Alloc(size);
        heap.Alloc(8);
        heap.Free(a);
        EXPECT_EQ(heap.Alloc(size), a) << size;
        (void)keep;
    }
    EXPECT_TRUE(heap.Validate());
}

TEST(LeaHeapTest, LargeBlocksAreMappedAloneAndReturned)
{
    LeaHeap heap;
    const size_t sizes[] = {256 * 1024, 3 * 1024 * 1024 + 5};
    for (size_t size : sizes) {
        size_t before = heap.GetMappedBytes();
        unsigned char* p = static_cast<unsigned char*>(heap.Alloc(size));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(heap.GetDirectRegionCount(), 1u);
        EXPECT_EQ(heap.GetSegmentCount(), 0u);
        EXPECT_GE(heap.GetMappedBytes() - before, size);
        p[0] = 1;
        p[size - 1] = 2;
        heap.Free(p);
        EXPECT_EQ(heap.GetDirectRegionCount(), 0u);
        EXPECT_EQ(heap.GetMappedBytes(), before);
        EXPECT_FALSE(Platform::IsMemoryMapped(p, 1));
    }
    size_t below = 256 * 1024 - 1;
    void* p = heap.Alloc(below);
    EXPECT_EQ(heap.GetDirectRegionCount(), 0u);
    EXPECT_EQ(heap.GetSegmentCount(), 1u);
    heap.Free(p);
}

TEST(LeaHeapTest, TopAboveTheThresholdIsTrimmed)
{
    LeaHeap::Config config;
    config.segmentSize = 4 * 1024 * 1024;
    config.trimThreshold = 512 * 1024;
    LeaHeap heap(config);
    void* anchor = heap.Alloc(100);  // keeps the segment in use
    std::vector<void*> blocks;
    for (int i = 0; i < 100; ++i)
        blocks.push_back(heap.Alloc(20000));
    size_t full = heap.GetMappedBytes();
    EXPECT_GE(full, config.segmentSize);
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        heap.Free(*it);
    EXPECT_TRUE(heap.Validate());
    EXPECT_LT(heap.GetMappedBytes(), full);  // the free top went back in the middle of the frees
    EXPECT_EQ(heap.GetSegmentCount(), 1u);
    heap.Free(anchor);
    heap.Trim();
    EXPECT_EQ(heap.GetMappedBytes(), 0u);  // a segment fallen wholly free goes too
}

TEST(LeaHeapTest, FreedNeighboursAreJoined)
{
    LeaHeap heap;
    void* a = heap.Alloc(1000);
    void* b = heap.Alloc(1000);
    void* c = heap.Alloc(1000);
    void* guard = heap.Alloc(16);
    heap.Free(a);
    heap.Free(c);
    heap.Free(b);  // joins both sides into one chunk
    EXPECT_TRUE(heap.Validate());
    void* big = heap.Alloc(2900);
    EXPECT_EQ(big, a);
    heap.Free(big);
    heap.Free(guard);
    EXPECT_TRUE(heap.Validate());
}

TEST(LeaHeapTest, TheSmallestFreeChunkThatFitsServes)
{
    LeaHeap heap;
    const size_t sizes[] = {1000, 3000, 5000, 9000, 20000};  // exact bins up to 8 KB, size classes above
    void* blocks[5];
    for (int i = 0; i < 5; ++i) {
        blocks[i] = heap.Alloc(sizes[i]);
        heap.Alloc(16);  // no two free chunks join, and none joins the top
    }
    for (void* b : blocks)
        heap.Free(b);
    struct Case {
        size_t request;
        int block;  // the remainders left by earlier cases are all too small
    };
    const Case cases[] = {{2000, 1}, {1000, 0}, {6000, 3}, {4000, 2}, {12000, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(heap.Alloc(c.request), blocks[c.block]) << c.request;
    EXPECT_TRUE(heap.Validate());
}

TEST(LeaHeapDeathTest, UntrustedReleasesAbort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            LeaHeap heap;
            void* p = heap.Alloc(64);
            heap.Free(p);
            heap.Free(p);
        },
        "");
    EXPECT_DEATH(
        {
            LeaHeap heap;
            alignas(16) unsigned char fake[64] = {};
            fake[8] = 64 | 3;  // looks like an in-use chunk, but has no footer
            heap.Free(fake + 16);
        },
        "");
    EXPECT_DEATH(
        {
            LeaHeap heap;
            unsigned char* p = static_cast<unsigned char*>(heap.Alloc(40));
            std::memset(p, 0x5A, heap.GetUsableSize(p) + 8);  // overrun into the next footer
            heap.Free(p);
        },
        "");
}

namespace {

struct Pooled : cfLeaAllocator {
    virtual ~Pooled() = default;  // deleted through the base below
    int64_t values[5] = {1, 2, 3, 4, 5};
};
struct PooledDerived : Pooled {
    char more[300] = {};
};

}  // namespace

TEST(LeaHeapTest, ClassLevelOperatorsAndProcessHeap)
{
    std::set<void*> seen;
    std::vector<Pooled*> objects;
    for (int i = 0; i < 200; ++i) {
        Pooled* p = (i % 3) ? new Pooled : new PooledDerived;
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(seen.insert(p).second);
        objects.push_back(p);
    }
    for (Pooled* p : objects) {
        EXPECT_EQ(p->values[4], 5);
        delete p;
    }
    void* a = LeaAlloc(0);
    void* b = LeaAlloc(0);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(a, b);
    LeaFree(a);
    LeaFree(b);
    LeaFree(nullptr);
}
