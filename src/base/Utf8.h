// Utf8: strict conversion between UTF-8 and the UTF-16 of wString.
// Malformed input is refused, never patched: overlong forms, surrogate code points, values above
// U+10FFFF, stray or missing continuation bytes, and unpaired surrogates on the way back.
#pragma once
#include "base/String.h"

#include <cstddef>

namespace Utf8 {

bool ToUtf16(const char* text, size_t length, wString& out);
bool ToUtf16(const char* text, wString& out);  // 0-terminated
bool FromUtf16(const char16_t* text, size_t length, String& out);
bool FromUtf16(const char16_t* text, String& out);  // 0-terminated

}  // namespace Utf8
