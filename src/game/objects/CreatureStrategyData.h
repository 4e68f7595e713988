// CreatureStrategyData: a creature's AI strategy (a KI_Strategy of the strategy definitions, game
// data), its strategy timer and its timed AI entries, with their saved form.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>

class File;
class KI_Strategy;
class WorldCtrl;

// A timed AI entry: a level that holds for a time.
struct CreatureTimedValue {
    static constexpr int32_t kRecordBytes = 8;  // i32 level, f32 time

    int32_t level = 0;
    float time = 0.0f;  // seconds left
};

class CreatureStrategyData {
public:
    CreatureStrategyData() = default;
    CreatureStrategyData(const CreatureStrategyData& other) { *this = other; }
    CreatureStrategyData& operator=(const CreatureStrategyData& other);

    // The construction values but the name: no strategy, no timed entries.
    void Reset();
    // The highest level of the timed entries; -1 when there are none.
    void RecomputeTimedLevel();

    // Timed level i32, name String, strategy timer f32, second value i32, entry count i16 (each
    // entry 8 bytes, bounded by the bytes left), the strategy's name String. An unknown strategy
    // is warned about and leaves none; the world looks it up (none: the controller's world).
    void Load(File& file, WorldCtrl* world);
    void Save(File& file) const;

    String name;
    float value = 1.5f;  // not saved
    int32_t timedLevel = -1;
    int32_t secondValue = 0;
    float strategyTimer = 0.0f;
    KI_Strategy* strategy = nullptr;  // game data, not owned
    DynaMem<CreatureTimedValue, 4> timedValues;
};
