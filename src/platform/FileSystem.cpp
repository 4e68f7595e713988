// FileSystem: getcwd/chdir/stat/fopen behind the path resolver.
#include "platform/FileSystem.h"

#include "platform/PathResolver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Platform {

std::string GetCurrentDir()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool SetCurrentDir(const std::string& name) { return chdir(ResolvePath(name).c_str()) == 0; }

std::FILE* OpenFile(const std::string& name, const char* mode)
{
    return std::fopen(ResolvePath(name).c_str(), mode);
}

bool FileExists(const std::string& name)
{
    struct stat st;
    return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& name)
{
    struct stat st;
    return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool GetFileTime(const std::string& name, int64_t& modifiedNs)
{
    struct stat st;
    if (stat(ResolvePath(name).c_str(), &st) != 0)
        return false;
    modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    return std::rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) == 0;
}

bool RemoveFile(const std::string& name)
{
    return std::remove(ResolvePath(name).c_str()) == 0;
}

int64_t GetOpenFileSize(std::FILE* file)
{
    struct stat st;
    if (!file || fstat(fileno(file), &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

bool TruncateOpenFile(std::FILE* file, int64_t size)
{
    if (!file || size < 0 || std::fflush(file) != 0)
        return false;
    return ftruncate(fileno(file), off_t(size)) == 0;
}

std::string MakeTempDirectory(const std::string& prefix)
{
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / (prefix + "XXXXXX")).string();
    if (error)
        return std::string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

bool CopyTree(const std::string& from, const std::string& to)
{
    std::error_code error;
    std::filesystem::copy(ResolvePath(from), ResolvePath(to),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          error);
    return !error;
}

bool RemoveTree(const std::string& name)
{
    std::error_code error;
    std::filesystem::remove_all(ResolvePath(name), error);
    return !error;
}

}  // namespace Platform
