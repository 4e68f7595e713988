// BenchSideBySide: our work and a reference timed in turn within every iteration, so that both
// meet the same load on a shared machine; reports the medians per call and their ratio.
#pragma once
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Bench {

// The CPU time this thread has used, user and system, in seconds. Both sides are timed with it:
// on a shared machine wall time mostly measures how often the thread waited for a core.
inline double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

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
    std::vector<double> ourTimes;
    std::vector<double> referenceTimes;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        ours();
        const double middle = ThreadSeconds();
        reference();
        const double end = ThreadSeconds();
        const double ourSeconds = middle - start;
        ourTimes.push_back(ourSeconds * 1e9 / double(callsPerIteration));
        referenceTimes.push_back((end - middle) * 1e9 / double(callsPerIteration));
        state.SetIterationTime(ourSeconds);
    }
    double ourMedian = Median(ourTimes);
    double referenceMedian = Median(referenceTimes);
    state.counters["ours_ns"] = ourMedian;
    state.counters["reference_ns"] = referenceMedian;
    state.counters["ratio"] = referenceMedian > 0 ? ourMedian / referenceMedian : 0.0;
}

}  // namespace Bench
