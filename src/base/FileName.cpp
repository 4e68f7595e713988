// FileName: splitting and joining paths, bounded copies, reading a file into a String.
#include "base/FileName.h"

#include "base/File.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Index of the last separator, -1 when there is none.
int32_t LastSeparator(const char* path)
{
    int32_t last = -1;
    for (int32_t i = 0; path[i]; ++i)
        if (IsSeparator(path[i]))
            last = i;
    return last;
}

// Index of the last "." after the last separator, -1 when there is none.
int32_t ExtensionDot(const char* path)
{
    int32_t separator = LastSeparator(path);
    const char* dot = std::strrchr(path + separator + 1, '.');
    return dot ? int32_t(dot - path) : -1;
}

}  // namespace

int32_t SafeStrCopy(char* destination, const char* source, int32_t size)
{
    if (!destination || !source)
        return -1;
    if (size < 1)
        return 1;  // no room even for the NUL
    int32_t length = int32_t(std::strlen(source));
    if (length < size - 2) {
        std::memcpy(destination, source, size_t(length) + 1);
        return length + 1;
    }
    int32_t keep = std::max(size - 2, 0);
    std::memcpy(destination, source, size_t(keep));
    destination[keep] = 0;
    return 1;
}

void GetPathDirectory(const char* path, String& output)
{
    int32_t separator = path ? LastSeparator(path) : -1;
    output = separator < 0 ? String() : String(path, separator);
}

void GetFileNameFromPath(const char* path, String& output, bool keepExtension)
{
    if (!path) {
        output = "";
        return;
    }
    int32_t start = LastSeparator(path) + 1;
    int32_t end = int32_t(std::strlen(path));
    if (!keepExtension) {
        int32_t dot = ExtensionDot(path);
        if (dot >= start)
            end = dot;
    }
    output = String(path + start, end - start);
}

void ReplacePathDirectory(char* path, const char* directory)
{
    if (!path)
        return;
    String name;
    GetFileNameFromPath(path, name, true);
    String joined(directory ? directory : "");
    joined += "\\";
    joined += name;
    String::CopySized(path, kPathBufferSize, joined.c_str());
}

bool ReadFileToString(String& output, const char* fileName)
{
    output = "";
    File file;
    if (!fileName || !file.Open(String(fileName), true, File::kVirtualFile, false))
        return false;
    const uint8_t* bytes = file.GetMemoryBuffer();
    if (bytes && file.GetSize() > 0)
        output = String(reinterpret_cast<const char*>(bytes), file.GetSize());
    return true;
}

void GetDirectoryPart(const String& path, String& output)
{
    int32_t separator = LastSeparator(path.c_str());
    output = separator < 0 ? String() : String(path.c_str(), separator + 1);
}

void ReplaceExtension(const String& path, String& output, const String& extension)
{
    int32_t dot = ExtensionDot(path.c_str());
    String result = dot < 0 ? String(path) : String(path.c_str(), dot);
    result += ".";
    result += extension;
    output = result;
}

bool IsAbsolutePath(const char* path)
{
    return path && (std::strchr(path, ':') || IsSeparator(path[0]));
}

void ResolveRelativePath(const String& path, String& output, const String& baseFilePath)
{
    if (IsAbsolutePath(path.c_str())) {
        output = path;
        return;
    }
    String result;
    GetDirectoryPart(baseFilePath, result);
    result += path;
    output = result;
}
