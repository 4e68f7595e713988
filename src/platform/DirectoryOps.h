// DirectoryOps: listing, deleting and copying files inside one open directory.
// A directory is opened by a game name (through the path resolver); entries found by its listing
// are then used by their exact names relative to it, so that odd names (backslashes, any bytes)
// and letter case never send an operation to another file, and the current directory is never
// changed.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Platform {

struct DirEntry {
    std::string name;
    bool isDirectory = false;  // a real directory; a link to one is not
    bool isHidden = false;     // the name starts with "."
    bool isSystem = false;     // not a file that reads as a plain file: devices, pipes, sockets,
                               // links to directories, dangling links
    bool isReadOnly = false;   // the owner may not write it
};

class Directory {
public:
    // Null when the name is not a directory that can be listed.
    static std::unique_ptr<Directory> Open(const std::string& name);
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    const std::string& GetPath() const { return m_Path; }

    // A subdirectory by its entry name; a link is never followed.
    std::unique_ptr<Directory> OpenSubdirectory(const std::string& entry) const;

    // Entries whose names match the wildcard pattern, without "." and ".."; false when the
    // listing fails.
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) const;

    bool RemoveFile(const std::string& entry) const;          // anything but a directory
    bool RemoveSubdirectory(const std::string& entry) const;  // an empty one
    bool MakeWritable(const std::string& entry) const;
    // Modification time of a file that can be opened for reading.
    bool GetFileTime(const std::string& entry, int64_t& modifiedNs) const;

    // Copies a plain file over toEntry (replaced when present, a link there is refused), with the
    // source's permission bits, access and modification times.
    bool CopyFileTo(const std::string& entry, const Directory& to, const std::string& toEntry) const;

private:
    Directory(int fd, std::string path) : m_Fd(fd), m_Path(std::move(path)) {}
    int m_Fd;
    std::string m_Path;
};

// Removes an empty directory given by a game name.
bool RemoveDirectory(const std::string& name);
// Makes a directory given by a game name; true also when it is there already.
bool MakeDirectory(const std::string& name);

}  // namespace Platform
