// FileSystem: the current directory and simple queries on files, for the layers above.
// Every name given here goes through the path resolver first.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace Platform {

std::string GetCurrentDir();            // absolute, "" when unknown
bool SetCurrentDir(const std::string& name);
std::FILE* OpenFile(const std::string& name, const char* mode);  // fopen through the resolver
bool FileExists(const std::string& name);
bool IsDirectory(const std::string& name);
bool GetFileTime(const std::string& name, int64_t& modifiedNs);  // modification time
// Puts a file in place of another in one step (a reader sees the old file or the new one).
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& name);
// On a stream that is already open: its size as the descriptor reports it (-1 on failure),
// and cutting or extending it to a length (the stream is flushed first).
int64_t GetOpenFileSize(std::FILE* file);
bool TruncateOpenFile(std::FILE* file, int64_t size);
// Whole directory trees, for a program that runs on a copy of a game directory: a new empty
// directory under the system's temporary one (empty when none could be made), a copy of a tree
// into a directory that need not exist, and removing a tree.
std::string MakeTempDirectory(const std::string& prefix);
bool CopyTree(const std::string& from, const std::string& to);
bool RemoveTree(const std::string& name);

}  // namespace Platform
