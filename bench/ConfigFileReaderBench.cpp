// ConfigFileReaderBench: key lookups in a data file of many entries, the cost of every game data
// loader at level start; loading a large definition file whose desc names share a prefix, against
// a plain read of the same file into memory treated alike; and the desc lookup against a hash lookup.
#include "BenchSideBySide.h"

#include "base/ConfigFileReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

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

// A creature definition file of about 5 MB whose desc names all begin with the same long prefix,
// so that an index keyed on first letters would hold them all in one place.
constexpr int kDefinitions = 10000;

std::string DefinitionName(int e) { return "Monster_Forest_Definition_" + std::to_string(e); }

// The file on disk, written once per run and removed at exit.
struct DefinitionFile {
    DefinitionFile()
    {
        path = (std::filesystem::temp_directory_path() / "serverbench-definitions.cfg").string();
        std::string text;
        for (int e = 0; e < kDefinitions; ++e) {
            text += "#Creature" + std::to_string(e) + "\r\n";
            text += "desc = \"" + DefinitionName(e) + "\"\r\n";
            text += "sFile = \"meshes\\creatures\\monster" + std::to_string(e % 40) + ".x\"\r\n";
            for (int k = 0; k < 20; ++k)
                text += "Attribute" + std::to_string(k) + " = " + std::to_string(e * k % 997) + ".5\r\n";
        }
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        size = text.size();
    }
    ~DefinitionFile() { std::filesystem::remove(path); }
    std::string path;
    size_t size = 0;
};

const DefinitionFile& Definitions()
{
    static DefinitionFile file;
    return file;
}

// The least a loader does: the file's bytes read into memory of its size, not zeroed first.
struct ReadBuffer {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
};

void RawRead(const std::string& path, ReadBuffer& buffer)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return;
    std::fseek(f, 0, SEEK_END);
    size_t size = size_t(std::ftell(f));
    std::fseek(f, 0, SEEK_SET);
    if (buffer.size < size) {
        buffer.bytes.reset(new char[size]);
        buffer.size = size;
    }
    benchmark::DoNotOptimize(std::fread(buffer.bytes.get(), 1, size, f));
    std::fclose(f);
}

// Both sides read the file that the previous round read (the system has it in memory) and use
// memory alike. Fresh (argument 0): a new reader and a new buffer each round, as a loader at
// level start makes them. Kept (argument 1): one reader loads again and again and the raw read
// fills one buffer, so neither allocates after the first round.
void BM_LoadSharedPrefixDescs(benchmark::State& state)
{
    const DefinitionFile& file = Definitions();
    const bool kept = state.range(0) == 1;
    ConfigFileReader keptReader;
    keptReader.SetDescKey("desc");
    ReadBuffer keptBuffer;
    Bench::SideBySide(
        state, 1,
        [&] {
            if (kept) {
                benchmark::DoNotOptimize(keptReader.Load(file.path.c_str()));
                return;
            }
            ConfigFileReader reader;
            reader.SetDescKey("desc");
            benchmark::DoNotOptimize(reader.Load(file.path.c_str()));
        },
        [&] {
            if (kept) {
                RawRead(file.path, keptBuffer);
                return;
            }
            ReadBuffer buffer;
            RawRead(file.path, buffer);
        });
    state.SetLabel(kept ? "kept memory" : "fresh memory");
    state.counters["bytes"] = double(file.size);
}
BENCHMARK(BM_LoadSharedPrefixDescs)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FindEntryByDesc(benchmark::State& state)
{
    ConfigFileReader reader;
    reader.SetDescKey("desc");
    reader.Load(Definitions().path.c_str());
    std::vector<std::string> names;
    std::unordered_map<std::string, int32_t> hashed;
    for (int e = 0; e < kDefinitions; e += 7) {
        names.push_back(DefinitionName(e));
        hashed.emplace(names.back(), e);
    }
    Bench::SideBySide(
        state, int64_t(names.size()),
        [&] {
            for (const std::string& name : names)
                benchmark::DoNotOptimize(reader.FindEntryByDesc(name.c_str()));
        },
        [&] {
            for (const std::string& name : names)
                benchmark::DoNotOptimize(hashed.find(name));
        });
}
BENCHMARK(BM_FindEntryByDesc)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
