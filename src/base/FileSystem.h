// FileSystem: deleting directory trees and files by pattern, and mirroring one directory into
// another (the savegame slots). Results only; nothing here logs or throws.
#pragma once
#include <cstdint>

namespace FileSystem {

// Results of the mirror.
constexpr int32_t kMirrorDone = 0;
constexpr int32_t kMirrorCopyFailed = 1;  // bit 0: at least one copy failed
constexpr int32_t kMirrorBadDestination = 2;
constexpr int32_t kMirrorBadSource = 3;

// Deletes everything below path, then path itself; true only when path itself went. Read-only
// files are deleted too; links are deleted, never followed. A failed delete stops the walk.
bool DeleteDirectoryTree(const char* path);

// Deletes the files (not directories) matching a pattern such as "save\slot1\*.ld"; a pattern
// without a directory part works in the current directory. Returns how many were deleted.
int32_t DeleteFiles(const char* pattern);

// Makes destination hold the source's files matching pattern (null: "*.*"): a file whose
// modification time differs from its namesake's, or that is missing there, is copied (keeping
// its time); hidden files, system files and directories are left alone. options null: quiet and
// remove extra files; otherwise the low byte asks for a line per file on the console and the high
// byte for deleting destination files that the source lacks.
int32_t MirrorDirectory(const char16_t* source, const char16_t* destination, const char16_t* pattern,
                        const uint16_t* options);
int32_t MirrorDirectoryA(const char* source, const char* destination, const char* pattern,
                         const uint16_t* options);

}  // namespace FileSystem
