// FileName: small operations on file names and paths ("\" or "/" as separator) and bounded
// copying of character strings, used by many loaders.
#pragma once
#include "base/String.h"

#include <cstdint>

// -1 when either pointer is null. A source shorter than size - 2 is copied whole with its NUL
// (result: its length plus 1); a longer one keeps its first size - 2 characters and a NUL
// (result 1). Nothing is written outside the size, however small.
int32_t SafeStrCopy(char* destination, const char* source, int32_t size);

// The part before the last separator (without it); empty when there is none.
void GetPathDirectory(const char* path, String& output);
// The part after the last separator; without keepExtension cut at its last ".".
void GetFileNameFromPath(const char* path, String& output, bool keepExtension);
// The path (a buffer of kPathBufferSize) becomes the directory, "\" and its old file name.
constexpr int32_t kPathBufferSize = 256;
void ReplacePathDirectory(char* path, const char* directory);
// The whole file through File (packed files unpacked); false and empty when it does not open.
bool ReadFileToString(String& output, const char* fileName);
// The part up to and including the last separator; empty when there is none.
void GetDirectoryPart(const String& path, String& output);
// The path without the extension of its file name, then "." and the extension.
void ReplaceExtension(const String& path, String& output, const String& extension);
// An absolute path (a ":" anywhere, or a leading separator) stays; any other is put behind the
// directory of the base file.
void ResolveRelativePath(const String& path, String& output, const String& baseFilePath);
// A ":" anywhere or a leading "\" or "/".
bool IsAbsolutePath(const char* path);
