// WorldElemKind: the kinds of world objects that the game data files name in their "type" keys.
#pragma once
#include <cstdint>

namespace WorldElemKind {
constexpr int32_t kNone = -1;
constexpr int32_t kLight = 100;
constexpr int32_t kObject = 200;  // 200 to 299: objects; items among them
constexpr int32_t kCreature = 300;
constexpr int32_t kStartPos = 400;
constexpr int32_t kVisibilityPos = 401;
constexpr int32_t kEvent = 500;
constexpr int32_t kEffect = 600;
}  // namespace WorldElemKind

// The kind code of a kind name, any letter case; WorldElemKind::kNone for an unknown or null name.
int32_t ParseWorldElemKind(const char* name);
