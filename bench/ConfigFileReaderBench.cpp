// ConfigFileReaderBench: key lookups in a data file of many entries, the cost of every game data
// loader at level start.
#include "base/ConfigFileReader.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string SampleFile(int entries)
{
    std::string text;
    for (int e = 0; e < entries; ++e) {
        text += "#Item" + std::to_string(e) + "\r\n";
        text += "desc = \"item" + std::to_string(e) + "\"\r\n";
        for (int k = 0; k < 20; ++k)
            text += "Key" + std::to_string(k) + " = " + std::to_string(e * k) + "\r\n";
    }
    return text;
}

void BM_GetIntAcrossEntries(benchmark::State& state)
{
    std::string text = SampleFile(int(state.range(0)));
    ConfigFileReader reader;
    reader.OpenMemory(text.data(), int32_t(text.size()));
    int32_t entries = int32_t(state.range(0));
    int32_t entry = 0;
    for (auto _ : state) {
        int32_t value = 0;
        benchmark::DoNotOptimize(reader.GetInt("Key17", value, entry));
        entry = (entry + 7) % entries;
    }
}
BENCHMARK(BM_GetIntAcrossEntries)->Arg(100)->Arg(1000);

void BM_OpenMemory(benchmark::State& state)
{
    std::string text = SampleFile(int(state.range(0)));
    for (auto _ : state) {
        ConfigFileReader reader;
        benchmark::DoNotOptimize(reader.OpenMemory(text.data(), int32_t(text.size())));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_OpenMemory)->Arg(1000);

}  // namespace
