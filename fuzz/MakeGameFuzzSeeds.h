// MakeGameFuzzSeeds: the seeds of the targets that run on a copy of the sample game, made from its
// files and by the game's own writers (see MakeFuzzSeeds).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// put(target, name, bytes) writes one seed file.
using SeedWriter = std::function<void(const std::string&, const std::string&, const std::vector<uint8_t>&)>;

void MakeGameFuzzSeeds(const SeedWriter& put);
