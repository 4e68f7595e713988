// FuzzDriver: runs one fuzz target over its seed files and a fixed, repeatable set of mutations of
// them (bit flips, truncations, lying length fields, repeated and removed bytes, splices), for the
// test suite; the long searches are the libFuzzer programs' work.
//
//   <driver> <seed directory> [mutations]   the seeds, every short truncation, then the mutations
//   <driver> <file>                         one input, to reproduce a failure
//
// An exception escaping the target counts as a failure; a sanitizer report ends the run. Either way
// the input is written to "fuzz-failure-<target>-<n>" in the working directory.
#include "FuzzTarget.h"

#include "base/DXC_Base.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kDefaultMutations = 3000;
constexpr size_t kMaxGrowth = 1 << 16;  // a mutation never makes an input larger than this beyond its seed
constexpr size_t kAllTruncationsUpTo = 512;

struct Current {
    std::filesystem::path dir;  // where the run started: a target may change the working directory
    std::string target;
    std::string label;
    const Bytes* input = nullptr;
    int32_t saved = 0;
};
Current g_Current;

void SaveInput()
{
    if (!g_Current.input)
        return;
    const std::string name =
        (g_Current.dir / ("fuzz-failure-" + g_Current.target + "-" + std::to_string(g_Current.saved++))).string();
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(g_Current.input->data()), std::streamsize(g_Current.input->size()));
    std::fprintf(stderr, "failing input: %s, written to %s\n", g_Current.label.c_str(), name.c_str());
}

void OnSanitizerDeath() { SaveInput(); }

// A finding of a target's own checks traps; the input is saved before the signal ends the run.
void OnFatalSignal(int signal)
{
    SaveInput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// splitmix64: the same mutations on every machine and every run.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_State(seed) {}
    uint64_t Next()
    {
        uint64_t z = (m_State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return n ? size_t(Next() % n) : 0; }

private:
    uint64_t m_State;
};

// Headers sit at the front, so half the offsets fall within the first 32 bytes.
size_t PickOffset(Rng& rng, size_t size)
{
    if (size == 0)
        return 0;
    return rng.Below(2) ? rng.Below(std::min<size_t>(size, 32)) : rng.Below(size);
}

uint32_t LyingValue(Rng& rng, size_t size)
{
    const uint32_t values[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 0,          1,           0x7FFFFFFE,
                               0x40000000, 0x10000,    0xFFFF,     uint32_t(size), uint32_t(size + 1), uint32_t(size - 1)};
    return values[rng.Below(std::size(values))];
}

void PutU32(Bytes& b, size_t at, uint32_t v)
{
    for (size_t i = 0; i < 4 && at + i < b.size(); i++)
        b[at + i] = uint8_t(v >> (8 * i));
}

void Mutate(Bytes& b, Rng& rng, const std::vector<Bytes>& seeds, size_t limit)
{
    switch (rng.Below(9)) {
    case 0:  // bit flips
        for (size_t n = 1 + rng.Below(4); n > 0 && !b.empty(); n--)
            b[PickOffset(rng, b.size())] ^= uint8_t(1u << rng.Below(8));
        break;
    case 1:  // truncation
        b.resize(rng.Below(b.size() + 1));
        break;
    case 2:  // a length field that lies
        if (!b.empty())
            PutU32(b, PickOffset(rng, b.size()), LyingValue(rng, b.size()));
        break;
    case 3: {  // an inserted length field
        uint8_t field[4];
        uint32_t v = LyingValue(rng, b.size());
        for (int i = 0; i < 4; i++)
            field[i] = uint8_t(v >> (8 * i));
        size_t at = PickOffset(rng, b.size() + 1);
        b.insert(b.begin() + std::ptrdiff_t(at), field, field + 4);
        break;
    }
    case 4: {  // a stretch repeated
        if (b.empty())
            break;
        size_t at = PickOffset(rng, b.size());
        size_t length = 1 + rng.Below(std::min<size_t>(b.size() - at, 16));
        size_t times = 1 + rng.Below(rng.Below(2) ? 4 : 300);
        Bytes stretch(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + length));
        for (size_t i = 0; i < times && b.size() + length <= limit; i++)
            b.insert(b.begin() + std::ptrdiff_t(at), stretch.begin(), stretch.end());
        break;
    }
    case 5: {  // a boundary byte
        static const uint8_t values[] = {0, 1, 2, 0x7F, 0x80, 0xFE, 0xFF};
        if (!b.empty())
            b[PickOffset(rng, b.size())] = values[rng.Below(std::size(values))];
        break;
    }
    case 6: {  // a stretch removed
        if (b.empty())
            break;
        size_t at = PickOffset(rng, b.size());
        size_t length = 1 + rng.Below(std::min<size_t>(b.size() - at, 64));
        b.erase(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + length));
        break;
    }
    case 7: {  // another seed's tail spliced on
        const Bytes& other = seeds[rng.Below(seeds.size())];
        size_t keep = rng.Below(b.size() + 1);
        size_t from = rng.Below(other.size() + 1);
        b.resize(keep);
        b.insert(b.end(), other.begin() + std::ptrdiff_t(from), other.end());
        break;
    }
    default:  // any byte
        if (!b.empty())
            b[rng.Below(b.size())] = uint8_t(rng.Next());
        break;
    }
}

struct Tally {
    int32_t passed = 0;
    int32_t failed = 0;
};

void Escaped(Tally& tally, const char* what)
{
    tally.failed++;
    std::fprintf(stderr, "exception escaped the target: %s\n", what);
    SaveInput();
}

void RunOne(const Bytes& input, const std::string& label, Tally& tally)
{
    g_Current.input = &input;
    g_Current.label = label;
    try {
        LLVMFuzzerTestOneInput(input.data(), input.size());
        tally.passed++;
    } catch (const ErrorMsg& error) {  // the run goes on so that one report lists every escaping input
        Escaped(tally, error.message);
    } catch (const DXC_Error& error) {
        Escaped(tally, error.message);
    } catch (...) {
        Escaped(tally, "not an error record of the system");
    }
    g_Current.input = nullptr;
}

bool ReadFile(const std::filesystem::path& path, Bytes& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <seed directory> [mutations] | <input file>\n", argv[0]);
        return 2;
    }
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(OnSanitizerDeath);
    std::signal(SIGILL, OnFatalSignal);
    std::signal(SIGABRT, OnFatalSignal);
    g_Current.dir = std::filesystem::current_path();
    const std::filesystem::path where = std::filesystem::absolute(argv[1]);
    g_Current.target = where.filename().string();
    Tally tally;

    if (!std::filesystem::is_directory(where)) {
        Bytes input;
        if (!ReadFile(where, input)) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 2;
        }
        RunOne(input, where.string(), tally);
        std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
        return tally.failed ? 1 : 0;
    }

    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(where))
        if (entry.is_regular_file())
            names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    std::vector<Bytes> seeds(names.size());
    for (size_t i = 0; i < names.size(); i++)
        if (!ReadFile(names[i], seeds[i])) {
            std::fprintf(stderr, "cannot read %s\n", names[i].c_str());
            return 2;
        }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seed files in %s\n", argv[1]);
        return 2;
    }
    const int32_t mutations = argc > 2 ? std::max(0, std::atoi(argv[2])) : kDefaultMutations;

    for (size_t i = 0; i < seeds.size(); i++) {
        const std::string name = names[i].filename().string();
        RunOne(seeds[i], name, tally);
        // Every truncation of a short seed, and the tail end of a long one: "one byte short" everywhere.
        const size_t size = seeds[i].size();
        for (size_t cut = 0; cut < size; cut++) {
            if (size > kAllTruncationsUpTo && cut + 64 < size && cut % (size / 64 + 1) != 0)
                continue;
            Bytes cutShort(seeds[i].begin(), seeds[i].begin() + std::ptrdiff_t(cut));
            RunOne(cutShort, name + " cut to " + std::to_string(cut), tally);
        }
    }
    for (int32_t m = 0; m < mutations; m++) {
        const size_t s = size_t(m) % seeds.size();
        Rng rng(0x5EED0000ull + uint64_t(m));
        Bytes input = seeds[s];
        const size_t limit = input.size() + kMaxGrowth;
        for (size_t n = 1 + rng.Below(3); n > 0; n--)
            Mutate(input, rng, seeds, limit);
        RunOne(input, names[s].filename().string() + " mutation " + std::to_string(m), tally);
    }
    std::printf("%s: %d passed, %d failed\n", g_Current.target.c_str(), tally.passed, tally.failed);
    return tally.failed ? 1 : 0;
}
