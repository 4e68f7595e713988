// SafeFileReplace: writing a file in place of another so that a crash, a kill or an error during
// the write never costs the old file: the data goes to a temporary file in the same folder, is
// flushed to the disk, and only then renamed over the old name in one step.
#pragma once
#include <cstdio>
#include <string>

namespace Platform {

class SafeFileReplace {
public:
    // Stages at which the test hook is called: the data is in the temporary file, not yet synced;
    // synced, not yet renamed.
    static constexpr const char* kStageWritten = "written";
    static constexpr const char* kStageSynced = "synced";
    using Hook = void (*)(const char* stage);

    // A new temporary file beside finalName ("<name>.tmpXXXXXX"), open for reading and writing;
    // null on failure. tempName takes its resolved path.
    static std::FILE* CreateTemp(const std::string& finalName, std::string& tempName);
    // Flushes and syncs the stream, closes it and renames the temporary file over finalName; the
    // stream is closed either way, and on failure the temporary file is removed.
    static bool Commit(std::FILE* file, const std::string& tempName, const std::string& finalName);
    // Closes the stream (when open) and removes the temporary file.
    static void Discard(std::FILE* file, const std::string& tempName);
    // Removes the temporary files that writers of finalName killed before their rename left
    // beside it; the number removed.
    static int RemoveStaleTemps(const std::string& finalName);
    // Tests stop a writer at a stage with this (null: none).
    static void SetTestHook(Hook hook) { s_Hook = hook; }

private:
    static inline Hook s_Hook = nullptr;
};

// Runs work in a child process and waits for it: the signal that ended the child, 0 when it
// returned; -1 when no child could be started.
int RunInChildProcess(void (*work)(void* context), void* context);

}  // namespace Platform
