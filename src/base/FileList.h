// FileList: the list of files that the program read, with a name-to-index map, the file-list
// text of the game options, and RegisterLoadedFile, through which loaders record the files they read.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class FileList : public ErrorClass {
public:
    static constexpr int32_t kMaxNameLength = 8191;  // characters of one name in a file-list text

    FileList();

    // Names are kept with every "/" turned into "\", so both spellings are one file.
    int32_t AddFile(const String& name);  // the new entry's index
    int32_t FindFile(const String& name) const;  // -1 when absent
    // The name's index, adding it when absent (or always, with the always-add switch).
    int32_t GetFileID(const String& name);
    // Adds, in the other list's order, every name of it that this list does not hold yet.
    void AddMissing(const FileList& other);
    // Adds the names of a file-list text: names separated by ";" and blanks, each plain or in
    // single quotes, of the characters "." to "~". A malformed text is an error of the list;
    // the names before the fault stay added.
    void AddFromText(const char* text);
    // Forgets every name; the log file and the always-add switch stay.
    void Clear();

    int32_t GetCount() const { return int32_t(m_Names.size()); }
    const String& GetName(int32_t index) const { return m_Names[size_t(index)]; }

    // When set, every added name is also appended to this file, one per line.
    void SetLogFileName(const char* name) { m_LogFileName = name; }
    // When on, RegisterLoadedFile adds without searching.
    void SetAlwaysAdd(bool on) { m_AlwaysAdd = on ? 1 : 0; }
    bool IsAlwaysAdd() const { return m_AlwaysAdd != 0; }

private:
    std::vector<String> m_Names;
    std::unordered_map<std::string, int32_t> m_Index;
    String m_LogFileName;
    uint8_t m_AlwaysAdd = 0;
};

// The file's index in the list, adding it when it is not there (or always, with the list's
// always-add switch). -1 without a list.
int32_t RegisterLoadedFile(FileList* list, const String& name);
