// DirectoryOps: the *at() family of calls over a directory descriptor.
#include "platform/DirectoryOps.h"

#include "platform/PathResolver.h"
#include "platform/Wildcard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Platform {
namespace {

int OpenDirectoryAt(int dirFd, const char* name)
{
    int fd;
    do
        fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool CopyContents(int from, int to)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!WriteAll(to, buffer, size_t(n)))
            return false;
    }
}

}  // namespace

std::unique_ptr<Directory> Directory::Open(const std::string& name)
{
    std::string path = name.empty() ? std::string(".") : ResolvePath(name);
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd, path));
}

Directory::~Directory() { close(m_Fd); }

std::unique_ptr<Directory> Directory::OpenSubdirectory(const std::string& entry) const
{
    int fd = OpenDirectoryAt(m_Fd, entry.c_str());
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd, m_Path + "/" + entry));
}

bool Directory::List(const std::string& pattern, std::vector<DirEntry>& entries) const
{
    entries.clear();
    int fd = OpenDirectoryAt(m_Fd, ".");  // own descriptor: closedir closes it
    if (fd < 0)
        return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    bool ok = true;
    for (;;) {
        errno = 0;
        dirent* e = readdir(dir);
        if (!e) {
            ok = errno == 0;
            break;
        }
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (!MatchWildcard(pattern, e->d_name))
            continue;
        struct stat own;
        if (fstatat(m_Fd, e->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // vanished meanwhile
        DirEntry entry;
        entry.name = e->d_name;
        entry.isDirectory = S_ISDIR(own.st_mode);
        entry.isHidden = e->d_name[0] == '.';
        entry.isReadOnly = !(own.st_mode & S_IWUSR);
        if (!entry.isDirectory) {
            struct stat target;
            bool plain = S_ISREG(own.st_mode) ||
                         (S_ISLNK(own.st_mode) && fstatat(m_Fd, e->d_name, &target, 0) == 0 &&
                          S_ISREG(target.st_mode));
            entry.isSystem = !plain;
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    return ok;
}

bool Directory::RemoveFile(const std::string& entry) const
{
    return unlinkat(m_Fd, entry.c_str(), 0) == 0;
}

bool Directory::RemoveSubdirectory(const std::string& entry) const
{
    return unlinkat(m_Fd, entry.c_str(), AT_REMOVEDIR) == 0;
}

bool Directory::MakeWritable(const std::string& entry) const
{
    struct stat st;
    if (fstatat(m_Fd, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode))
        return false;
    return fchmodat(m_Fd, entry.c_str(), (st.st_mode & 07777) | S_IWUSR, 0) == 0;
}

bool Directory::GetFileTime(const std::string& entry, int64_t& modifiedNs) const
{
    int fd = openat(m_Fd, entry.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0;
    close(fd);
    if (ok)
        modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return ok;
}

bool Directory::CopyFileTo(const std::string& entry, const Directory& to, const std::string& toEntry) const
{
    int from = openat(m_Fd, entry.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (from < 0)
        return false;
    struct stat st;
    if (fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(from);
        return false;
    }
    int dest = openat(to.m_Fd, toEntry.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                      st.st_mode & 0777);
    if (dest < 0) {
        close(from);
        return false;
    }
    bool ok = CopyContents(from, dest);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && fchmod(dest, st.st_mode & 0777) == 0 && futimens(dest, times) == 0;
    ok = close(dest) == 0 && ok;
    close(from);
    return ok;
}

bool RemoveDirectory(const std::string& name)
{
    return rmdir(ResolvePath(name).c_str()) == 0;
}

bool MakeDirectory(const std::string& name)
{
    const std::string path = ResolvePath(name);
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    struct stat info {};
    return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace Platform
