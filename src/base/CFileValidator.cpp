// CFileValidator: directory and extension lists, and the lookup over them.
#include "base/CFileValidator.h"

#include "base/File.h"
#include "base/FileName.h"

namespace {

// The text with "\" appended unless it is empty or already ends in a separator.
String WithSeparator(const char* text)
{
    String result(text ? text : "");
    int32_t length = result.TextLength();
    if (length > 0 && result.c_str()[length - 1] != '\\' && result.c_str()[length - 1] != '/')
        result += "\\";
    return result;
}

}  // namespace

void CFileValidator::SetBaseDirectory(const char* directory) { m_BaseDirectory = WithSeparator(directory); }

void CFileValidator::AddPath(const char* directory)
{
    String path = WithSeparator(directory);
    for (int32_t i = 0; i < m_Directories.GetSize(); ++i)
        if (DirData* entry = m_Directories.GetAt(i); entry && entry->m_Path.EqualsNoCase(path))
            return;
    m_Directories.GetBySlot(m_Directories.Add())->m_Path = path;
}

void CFileValidator::AddExtension(const char* extension)
{
    String text(extension ? extension : "");
    for (int32_t i = 0; i < m_Extensions.GetSize(); ++i)
        if (String* entry = m_Extensions.GetAt(i); entry && entry->EqualsNoCase(text))
            return;
    *m_Extensions.GetBySlot(m_Extensions.Add()) = text;
}

bool CFileValidator::TryFileVariants(const String& candidate, String& output) const
{
    if (File::Exists(candidate.c_str())) {
        output = candidate;
        return true;
    }
    for (int32_t i = 0; i < m_Extensions.GetSize(); ++i) {
        const String* extension = m_Extensions.GetAt(i);
        if (!extension)
            continue;
        ReplaceExtension(candidate, output, *extension);
        if (File::Exists(output.c_str()))
            return true;
    }
    output = "";
    return false;
}

String CFileValidator::FindFileInSearchPaths(const String& name) const
{
    String found;
    if (name.IsEmpty())
        return found;
    if (IsAbsolutePath(name.c_str())) {
        TryFileVariants(name, found);
        return found;
    }
    if (TryFileVariants(m_BaseDirectory + name, found))
        return found;
    for (int32_t i = 0; i < m_Directories.GetSize(); ++i) {
        const DirData* entry = m_Directories.GetAt(i);
        if (entry && TryFileVariants(entry->m_Path + name, found))
            return found;
    }
    return String();
}
