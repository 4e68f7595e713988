// SoundFile: the type rule and the play time through libvorbisfile.
#include "base/SoundFile.h"

#include "platform/FileSystem.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>

namespace SoundFile {
namespace {

size_t ReadStream(void* buffer, size_t size, size_t count, void* file)
{
    return std::fread(buffer, size, count, static_cast<std::FILE*>(file));
}

int SeekStream(void* file, ogg_int64_t offset, int whence)
{
    return std::fseek(static_cast<std::FILE*>(file), long(offset), whence);
}

int CloseStream(void* file) { return std::fclose(static_cast<std::FILE*>(file)); }

long TellStream(void* file) { return std::ftell(static_cast<std::FILE*>(file)); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

int32_t GetType(const char* fileName)
{
    size_t length = fileName ? std::strlen(fileName) : 0;
    if (length < 4)
        return kUnknown;
    char ext[4] = {Lower(fileName[length - 3]), Lower(fileName[length - 2]), Lower(fileName[length - 1]), 0};
    if (std::strcmp(ext, "wav") == 0)
        return kWave;
    if (std::strcmp(ext, "ogg") == 0)
        return kOggVorbis;
    return kUnknown;
}

double GetLength(const char* fileName)
{
    if (GetType(fileName) != kOggVorbis)
        return 0.0;
    std::FILE* file = Platform::OpenFile(fileName, "rb");
    if (!file)
        return 0.0;
    ov_callbacks callbacks = {ReadStream, SeekStream, CloseStream, TellStream};
    OggVorbis_File vf;
    if (ov_open_callbacks(file, &vf, nullptr, 0, callbacks) != 0) {
        std::fclose(file);  // still ours when the open failed
        return 0.0;
    }
    double seconds = ov_time_total(&vf, -1);
    ov_clear(&vf);  // closes the file
    return seconds > 0.0 ? seconds : 0.0;  // errors come back as negative codes
}

}  // namespace SoundFile
