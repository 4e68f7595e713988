// LeaHeapBench: the class-level heap under the traffic of play (objects of 16 to 4096 bytes made
// and dropped in random order) against the platform's malloc on the same sequence.
#include "BenchSideBySide.h"

#include "base/cfLeaAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kOperations = 1000000;
constexpr uint32_t kSlots = 4096;  // about half of them hold a block at any time

struct Step {
    uint32_t slot;
    uint32_t size;
};

const std::vector<Step>& Traffic()
{
    static const std::vector<Step> steps = [] {
        std::mt19937 rng(20240611);
        std::vector<Step> s(kOperations);
        for (Step& step : s)
            step = Step{uint32_t(rng() % kSlots), 16 + uint32_t(rng() % (4096 - 16 + 1))};
        return s;
    }();
    return steps;
}

// A slot that holds a block frees it, an empty one takes a new block; every block is touched.
template <class Alloc, class Free>
void Replay(Alloc alloc, Free release)
{
    static void* slots[kSlots];
    for (const Step& step : Traffic()) {
        void*& slot = slots[step.slot];
        if (slot) {
            release(slot);
            slot = nullptr;
        } else {
            slot = alloc(step.size);
            static_cast<char*>(slot)[0] = 1;
        }
    }
    for (void*& slot : slots) {
        release(slot);
        slot = nullptr;
    }
}

void BM_LeaHeapVsMalloc(benchmark::State& state)
{
    Bench::SideBySide(
        state, kOperations, [] { Replay(LeaAlloc, LeaFree); }, [] { Replay(std::malloc, std::free); });
}
BENCHMARK(BM_LeaHeapVsMalloc)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
