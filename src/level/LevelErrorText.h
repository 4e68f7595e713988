// LevelErrorText: the one error text that the level's description file readers leave their
// reason in; the level load turns it into its own error.
#pragma once
#include <cstdint>

namespace LevelErrorText {

constexpr int32_t kSize = 256;  // 255 characters and the NUL

// printf-style; cut to kSize - 1 characters.
void Set(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* Get();

}  // namespace LevelErrorText
