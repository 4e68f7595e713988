// SafeFileReplace: temporary file, fsync and rename; the child process runner of the tests.
#include "platform/SafeFileReplace.h"

#include "platform/DirectoryOps.h"
#include "platform/PathResolver.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace Platform {

namespace {

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// The rename is only lasting once the folder's entry is on the disk too.
void SyncDirectory(const std::string& path)
{
    int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

std::FILE* SafeFileReplace::CreateTemp(const std::string& finalName, std::string& tempName)
{
    std::string resolved = ResolvePath(finalName);
    std::vector<char> pattern(resolved.begin(), resolved.end());
    for (char c : std::string(".tmpXXXXXX"))
        pattern.push_back(c);
    pattern.push_back('\0');
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    std::FILE* file = fdopen(fd, "w+b");
    if (!file) {
        close(fd);
        unlink(pattern.data());
        return nullptr;
    }
    tempName = pattern.data();
    return file;
}

bool SafeFileReplace::Commit(std::FILE* file, const std::string& tempName, const std::string& finalName)
{
    if (!file)
        return false;
    if (s_Hook)
        s_Hook(kStageWritten);
    bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (ok && s_Hook)
        s_Hook(kStageSynced);
    std::string target = ResolvePath(finalName);
    if (ok)
        ok = std::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(tempName.c_str());
        return false;
    }
    SyncDirectory(target);
    return true;
}

// Only names made by CreateTemp for this file: the name, ".tmp" and the six characters of mkstemp.
int SafeFileReplace::RemoveStaleTemps(const std::string& finalName)
{
    const std::string resolved = ResolvePath(finalName);
    const size_t slash = resolved.find_last_of('/');
    const std::string base = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
    const std::string prefix = base + ".tmp";
    std::unique_ptr<Directory> directory = Directory::Open(DirectoryOf(resolved));
    std::vector<DirEntry> entries;
    if (!directory || !directory->List("*", entries))
        return 0;
    int removed = 0;
    for (const DirEntry& entry : entries)
        if (!entry.isDirectory && entry.name.size() == prefix.size() + 6 && entry.name.compare(0, prefix.size(), prefix) == 0)
            removed += directory->RemoveFile(entry.name) ? 1 : 0;
    return removed;
}

void SafeFileReplace::Discard(std::FILE* file, const std::string& tempName)
{
    if (file)
        std::fclose(file);
    if (!tempName.empty())
        unlink(tempName.c_str());
}

int RunInChildProcess(void (*work)(void* context), void* context)
{
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        work(context);
        _exit(0);  // no destructors or atexit handlers of the parent's state
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

}  // namespace Platform
