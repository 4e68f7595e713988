// LevelDescFiles: loading the listed description files and collecting entry errors.
#include "level/LevelDescFiles.h"

#include "base/ConfigFileReader.h"
#include "base/File.h"
#include "base/FileList.h"
#include "level/LevelErrorText.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// The name with its directory part (up to the last "\" or "/") replaced by dir and a "\".
std::string InDirectory(const std::string& name, const char* dir)
{
    size_t slash = name.find_last_of("\\/");
    std::string path = std::string(dir) + "\\" + (slash == std::string::npos ? name : name.substr(slash + 1));
    if (path.size() > size_t(LevelDescFiles::kMaxFallbackPath))
        path.resize(size_t(LevelDescFiles::kMaxFallbackPath));
    return path;
}

}  // namespace

bool LevelDescFiles::Load(ConfigFileReader& reader, const FileList& files, const char* fallbackDir,
                          bool withSourceFiles)
{
    m_FirstEntries.clear();
    reader.Clear();  // an empty list leaves no entries of an earlier load behind
    reader.SetIndexKey("desc");
    const int32_t count = files.GetCount();
    for (int32_t k = 0; k < count; k++) {
        std::string name(files.GetName(k).c_str());
        if (name.size() > size_t(kMaxNameLength))
            name.resize(size_t(kMaxNameLength));
        if (!File::Exists(name.c_str()) && fallbackDir)
            name = InDirectory(name, fallbackDir);
        if (!File::Exists(name.c_str())) {
            LevelErrorText::Set("Can not open file '%s'", name.c_str());
            return false;
        }
        m_FirstEntries.push_back(k == 0 ? 0 : reader.GetNumEntries());
        // entries and index are built once, after the last file, unless each file's first entry is wanted
        const bool finish = withSourceFiles || k == count - 1;
        int32_t result = k == 0 ? reader.Load(name.c_str(), finish) : reader.Append(name.c_str(), finish);
        if (result != 0) {
            LevelErrorText::Set("%s", reader.GetErrorText());
            return false;
        }
    }
    return true;
}

double LevelDescFiles::GetNumber(ConfigFileReader& reader, const char* key, int32_t entry, double fallback)
{
    double value = fallback;
    reader.GetDouble(key, value, entry);  // written only when found
    return value;
}

int16_t LevelDescFiles::Low16(double value) { return int16_t(uint16_t(TextFileReaderBase::TruncToInt32(value))); }

int32_t LevelDescFiles::SourceFileOf(int32_t entry) const
{
    const int32_t count = int32_t(m_FirstEntries.size());
    for (int32_t k = 0; k < count; k++)
        if (m_FirstEntries[size_t(k)] <= entry && (k + 1 == count || m_FirstEntries[size_t(k) + 1] > entry))
            return k;
    return count - 1;
}

void LevelDescFiles::AddError(const char* format, ...)
{
    if (m_ErrorCount++ > 0)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_FirstError, sizeof m_FirstError, format, args);
    va_end(args);
}

void LevelDescFiles::ReportErrors() const { LevelErrorText::Set("%i errors: %s", m_ErrorCount, m_FirstError); }
