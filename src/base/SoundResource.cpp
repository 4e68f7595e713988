// SoundResource: play state and the file-name prefix of its reports.
#include "base/SoundResource.h"

#include <cstdarg>
#include <cstdio>

SoundResource::SoundResource(const char* fileName) : m_FileName(fileName ? fileName : "")
{
    CopyName32(this, "SoundResource");
}

void SoundResource::Error(const char* format, ...)
{
    char message[1024];  // at most 1023 characters
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    ErrorClass::Error("%s: %s", m_FileName.c_str(), message);
}

void SoundResource::Warning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    ErrorClass::Warning("%s: %s", m_FileName.c_str(), message);
}

void SoundResource::Play(float param2, float param3)
{
    m_State = kPlaying;
    m_Param2 = param2;
    m_Param3 = param3;
}
