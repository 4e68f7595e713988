// FileList: adding and finding loaded files, registering them, and the file-list text.
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

FileList::FileList() { CopyName32(this, "FileList"); }

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

void FileList::Clear()
{
    m_Names.clear();
    m_Index.clear();
}

void FileList::AddMissing(const FileList& other)
{
    for (const String& name : other.m_Names)
        if (FindFile(name) < 0)
            AddFile(name);
}

// Outside a name, blanks, control characters and ";" are passed over; a quote opens a quoted
// name, anything else is the first character of a plain name (taken unchecked, as the format
// always had it). Inside, a quote closes a quoted name, ";" a plain one.
void FileList::AddFromText(const char* text)
{
    if (!text)
        return;
    std::string name;
    bool inName = false;
    bool quoted = false;
    auto endName = [&] {
        if (!name.empty())
            GetFileID(String(name.c_str()));
        name.clear();
        inName = false;
    };
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!inName) {
            if (c <= ' ' || c == ';')
                continue;
            inName = true;
            quoted = c == '\'';
            if (!quoted)
                name += char(c);
            continue;
        }
        if (c == '\'') {
            if (!quoted)
                Error("Invalid bracket in file list");
            endName();
            continue;
        }
        if (c < '.' || c > '~')
            Error("Invalid character in file list: %i", int(c));
        if (c == ';') {
            if (quoted)
                Error("Unclosed bracket in file list");
            endName();
            continue;
        }
        if (int32_t(name.size()) >= kMaxNameLength)
            Error("Name longer than %i characters in file list", kMaxNameLength);
        name += char(c);
    }
    endName();  // an open name at the end, quoted or not, counts as ended
}

int32_t RegisterLoadedFile(FileList* list, const String& name) { return list ? list->GetFileID(name) : -1; }
