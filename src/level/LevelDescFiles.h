// LevelDescFiles: what the readers of a level's description files (floor textures, walls) share:
// loading the listed files into one configuration reader, the file an entry came from, and the
// count of faulty entries with the first one's message.
#pragma once
#include <cstdint>
#include <vector>

class ConfigFileReader;
class FileList;

class LevelDescFiles {
public:
    static constexpr int32_t kMaxNameLength = 1023;  // characters of a listed name that are used
    static constexpr int32_t kMaxFallbackPath = 255;

    // Loads the files in list order into the reader, which indexes its entries by "desc". A file
    // that does not exist is looked for in fallbackDir (may be null) under its own name. False,
    // with the reason in LevelErrorText, when a file is missing or fails to load.
    bool Load(ConfigFileReader& reader, const FileList& files, const char* fallbackDir, bool withSourceFiles);

    // A key read as a floating-point number (named constants allowed); fallback when it is missing.
    static double GetNumber(ConfigFileReader& reader, const char* key, int32_t entry, double fallback);
    // A number truncated toward zero, kept in the low 16 bits.
    static int16_t Low16(double value);

    // The list slot of the file that entry came from (only known when source files were asked for).
    int32_t SourceFileOf(int32_t entry) const;

    // Counts an error of an entry; the first message is kept.
    void AddError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int32_t GetErrorCount() const { return m_ErrorCount; }
    // Puts "%i errors: %s" into LevelErrorText.
    void ReportErrors() const;

private:
    std::vector<int32_t> m_FirstEntries;  // per file: the reader's entry count before it
    int32_t m_ErrorCount = 0;
    char m_FirstError[256] = {};
};
