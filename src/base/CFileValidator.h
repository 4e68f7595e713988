// CFileValidator: finds a file by trying a name against a base directory, a list of search
// directories and a list of alternative extensions (textures, interactive scenes, scene files).
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

class CFileValidator {
public:
    struct DirData {
        String m_Path;  // empty, or ending in "\" or "/"
    };

    CFileValidator() = default;
    CFileValidator(const CFileValidator&) = delete;
    CFileValidator& operator=(const CFileValidator&) = delete;

    void SetBaseDirectory(const char* directory);
    void AddPath(const char* directory);     // once per directory, ignoring case
    void AddExtension(const char* extension);  // without its dot; once, ignoring case

    // The candidate itself, else the candidate with each extension in turn: true with the one
    // that exists in output; false with output empty.
    bool TryFileVariants(const String& candidate, String& output) const;
    // The first variant that exists: behind the base directory, then behind each directory;
    // an absolute name only as it is. Empty when none exists.
    String FindFileInSearchPaths(const String& name) const;

    const String& GetBaseDirectory() const { return m_BaseDirectory; }
    int32_t GetPathCount() const { return m_Directories.GetSize(); }
    int32_t GetExtensionCount() const { return m_Extensions.GetSize(); }

private:
    // mutable: walking the lists rebuilds their used-slot index on demand
    mutable DynaMem<DirData, 8, 1> m_Directories;
    mutable DynaMem<String, 8, 1> m_Extensions;
    String m_BaseDirectory;
};
