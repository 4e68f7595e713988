// FileSystem: the tree walk, the pattern deletion and the mirror over platform directories.
#include "base/FileSystem.h"

#include "base/String.h"
#include "base/Utf8.h"
#include "platform/DirectoryOps.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace FileSystem {
namespace {

using Platform::DirEntry;
using Platform::Directory;

bool DeleteContents(const Directory& dir)
{
    std::vector<DirEntry> entries;
    if (!dir.List("*", entries))
        return false;
    for (const DirEntry& e : entries) {
        if (e.isDirectory) {
            std::unique_ptr<Directory> sub = dir.OpenSubdirectory(e.name);
            if (!sub || !DeleteContents(*sub))
                return false;
            sub.reset();
            dir.RemoveSubdirectory(e.name);  // the walk's own result decides
        } else {
            if (e.isReadOnly)
                dir.MakeWritable(e.name);
            if (!dir.RemoveFile(e.name))
                return false;
        }
    }
    return true;
}

bool IsPlainFile(const DirEntry& e) { return !e.isDirectory && !e.isHidden && !e.isSystem; }

}  // namespace

bool DeleteDirectoryTree(const char* path)
{
    if (!path || !*path)
        return false;
    std::unique_ptr<Directory> dir = Directory::Open(path);
    if (!dir || !DeleteContents(*dir))
        return false;
    std::string resolved = dir->GetPath();
    dir.reset();
    return Platform::RemoveDirectory(resolved);
}

int32_t DeleteFiles(const char* pattern)
{
    if (!pattern)
        return 0;
    std::string text(pattern);
    size_t cut = text.find_last_of("\\/");
    std::string directory = cut == std::string::npos ? "." : cut == 0 ? "/" : text.substr(0, cut);
    std::string names = cut == std::string::npos ? text : text.substr(cut + 1);
    std::unique_ptr<Directory> dir = Directory::Open(directory);
    std::vector<DirEntry> entries;
    if (!dir || !dir->List(names, entries))
        return 0;
    int32_t count = 0;
    for (const DirEntry& e : entries) {
        if (e.isDirectory)
            continue;
        if (e.isReadOnly)
            dir->MakeWritable(e.name);
        if (!dir->RemoveFile(e.name))
            break;
        ++count;
    }
    return count;
}

int32_t MirrorDirectoryA(const char* source, const char* destination, const char* pattern,
                         const uint16_t* options)
{
    bool verbose = options && (*options & 0xFF) != 0;
    bool removeExtra = !options || (*options >> 8) != 0;
    std::string names = pattern ? pattern : "*.*";

    // The destination is checked first, as callers expect 2 before 3.
    std::unique_ptr<Directory> dest = destination ? Directory::Open(destination) : nullptr;
    if (!dest) {
        if (verbose)
            std::printf("invalid destination directory\n");
        return kMirrorBadDestination;
    }
    std::unique_ptr<Directory> src = source ? Directory::Open(source) : nullptr;
    if (!src) {
        if (verbose)
            std::printf("invalid source directory\n");
        return kMirrorBadSource;
    }

    int32_t result = kMirrorDone;
    std::set<std::string> kept;  // exact names: the destination's names are compared as they are
    std::vector<DirEntry> entries;
    src->List(names, entries);  // a failed listing copies nothing
    for (const DirEntry& e : entries) {
        if (!IsPlainFile(e))
            continue;
        int64_t sourceTime = 0;
        int64_t destTime = 0;
        if (src->GetFileTime(e.name, sourceTime) && dest->GetFileTime(e.name, destTime) &&
            sourceTime == destTime) {
            if (verbose)
                std::printf("%s  *match*\n", e.name.c_str());
            kept.insert(e.name);
            continue;
        }
        dest->MakeWritable(e.name);  // a read-only copy from an earlier run is replaced too
        if (src->CopyFileTo(e.name, *dest, e.name)) {
            kept.insert(e.name);
            if (verbose)
                std::printf("%s  *added*\n", e.name.c_str());
        } else {
            result |= kMirrorCopyFailed;
            if (verbose)
                std::printf("error copying file: %s\n", e.name.c_str());
        }
    }

    if (removeExtra && dest->List(names, entries)) {
        for (const DirEntry& e : entries) {
            if (!IsPlainFile(e) || kept.count(e.name))
                continue;
            if (e.isReadOnly)
                dest->MakeWritable(e.name);
            bool removed = dest->RemoveFile(e.name);
            if (verbose)
                std::printf(removed ? "%s  *removed*\n" : "error removing %s\n", e.name.c_str());
        }
    }
    std::fflush(stdout);
    return result;
}

int32_t MirrorDirectory(const char16_t* source, const char16_t* destination, const char16_t* pattern,
                        const uint16_t* options)
{
    // File names on this platform are UTF-8 bytes.
    String src, dest, names;
    bool destOk = destination && Utf8::FromUtf16(destination, dest);
    bool srcOk = source && Utf8::FromUtf16(source, src);
    bool namesOk = pattern && Utf8::FromUtf16(pattern, names);
    const char* namesText = !pattern ? nullptr : namesOk ? names.c_str() : "";  // "" matches nothing
    return MirrorDirectoryA(srcOk ? src.c_str() : nullptr, destOk ? dest.c_str() : nullptr, namesText,
                            options);
}

}  // namespace FileSystem
