// LzmaSamples: the inputs the LZMA tests pack, the fast setting, and xz's reading of a packed stream.
#pragma once
#include "base/LzmaCoder.h"

#include "support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace LzmaSamples {

using Bytes = std::vector<uint8_t>;

// An object table as the server sends it: ids and positions, then noisy flags.
inline Bytes Record(size_t n)
{
    Bytes b(n);
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = (i % 16 < 10) ? uint8_t(i / 16) : uint8_t(x >> 24);
    }
    return b;
}

inline Bytes Text(size_t n)
{
    static const char* words[] = {"level ", "creature ", "item ", "quest ", "skill ", "door\n"};
    Bytes b;
    for (size_t i = 0; b.size() < n; i++)
        for (const char* c = words[(i * 7) % 6]; *c && b.size() < n; c++)
            b.push_back(uint8_t(*c));
    return b;
}

inline Bytes Noise(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b)
        x = uint8_t(gen());
    return b;
}

// The fast setting, as the server packs messages with it.
inline LzmaProperties Fast()
{
    LzmaProperties p;
    p.dictionaryBits = 16;
    p.fastMode = 1;
    p.fastBytes = 5;
    p.matchFinder = 3;
    p.matchFinderCycles = 18;
    return p;
}

inline bool HaveXz() { return std::system("command -v xz >/dev/null 2>&1") == 0; }

// What xz unpacks from a stream with the 9-byte header once that header is the ".lzma" one (its
// length 8 bytes wide); false when xz refuses it.
inline bool XzUnpack(const TempDir& dir, const Bytes& stream, Bytes& out)
{
    if (stream.size() < 9)
        return false;
    Bytes alone(stream.begin(), stream.begin() + 9);
    alone.insert(alone.end(), 4, 0);
    alone.insert(alone.end(), stream.begin() + 9, stream.end());
    TempDir::WriteAll(dir("xz-in.lzma"), alone);
    const std::string command = "xz --format=lzma -d -c '" + dir("xz-in.lzma") + "' > '" + dir("xz-out") + "'";
    if (std::system(command.c_str()) != 0)
        return false;
    out = TempDir::ReadAll(dir("xz-out"));
    return true;
}

}  // namespace LzmaSamples
