// BenchSideBySide: our work and a reference timed in turn within every iteration, so that both
// meet the same load on a shared machine; reports the medians per call and their ratio.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace Bench {

inline double Median(std::vector<double>& values)
{
    if (values.empty())
        return 0.0;
    auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// ours() and reference() each do callsPerIteration calls of the work. The benchmark's own time
// is ours alone (register it with UseManualTime); the counters give both medians in ns per call
// and ratio = ours / reference.
template <class Ours, class Reference>
void SideBySide(benchmark::State& state, int64_t callsPerIteration, Ours ours, Reference reference)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ourTimes;
    std::vector<double> referenceTimes;
    for (auto _ : state) {
        auto start = Clock::now();
        ours();
        auto middle = Clock::now();
        reference();
        auto end = Clock::now();
        double ourSeconds = std::chrono::duration<double>(middle - start).count();
        ourTimes.push_back(ourSeconds * 1e9 / double(callsPerIteration));
        referenceTimes.push_back(std::chrono::duration<double>(end - middle).count() * 1e9 /
                                 double(callsPerIteration));
        state.SetIterationTime(ourSeconds);
    }
    double ourMedian = Median(ourTimes);
    double referenceMedian = Median(referenceTimes);
    state.counters["ours_ns"] = ourMedian;
    state.counters["reference_ns"] = referenceMedian;
    state.counters["ratio"] = referenceMedian > 0 ? ourMedian / referenceMedian : 0.0;
}

}  // namespace Bench
