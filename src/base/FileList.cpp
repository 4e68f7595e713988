// FileList: adding and finding loaded files, and registering them.
#include "base/FileList.h"

#include "platform/FileSystem.h"

#include <cstdio>

namespace {

std::string Backslashed(const String& name)
{
    std::string text(name.c_str());
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text;
}

}  // namespace

int32_t FileList::AddFile(const String& name)
{
    std::string key = Backslashed(name);
    int32_t index = int32_t(m_Names.size());
    m_Names.push_back(String(key.c_str()));
    m_Index.emplace(key, index);  // a name added twice keeps its first index for lookups
    if (!m_LogFileName.IsEmpty())
        if (std::FILE* log = Platform::OpenFile(m_LogFileName.c_str(), "ab")) {
            std::fprintf(log, "%s\n", key.c_str());
            std::fclose(log);
        }
    return index;
}

int32_t FileList::FindFile(const String& name) const
{
    auto it = m_Index.find(Backslashed(name));
    return it == m_Index.end() ? -1 : it->second;
}

int32_t FileList::GetFileID(const String& name)
{
    if (IsAlwaysAdd())
        return AddFile(name);
    int32_t index = FindFile(name);
    return index >= 0 ? index : AddFile(name);
}

void FileList::AddMissing(const FileList& other)
{
    for (const String& name : other.m_Names)
        if (FindFile(name) < 0)
            AddFile(name);
}

int32_t RegisterLoadedFile(FileList* list, const String& name) { return list ? list->GetFileID(name) : -1; }
