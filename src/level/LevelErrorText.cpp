// LevelErrorText: the shared text and its formatting.
#include "level/LevelErrorText.h"

#include <cstdarg>
#include <cstdio>

namespace {

char g_Text[LevelErrorText::kSize];  // main thread only, as the level loads

}  // namespace

void LevelErrorText::Set(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_Text, sizeof g_Text, format, args);
    va_end(args);
}

const char* LevelErrorText::Get() { return g_Text; }
