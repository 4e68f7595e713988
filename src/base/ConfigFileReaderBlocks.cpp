// ConfigFileReader: finding a key's line, and the block cursor that walks nested blocks.
#include "base/ConfigFileReader.h"

#include <algorithm>
#include <cstring>

int32_t ConfigFileReader::FindKeyInLine(int32_t line, const char* key) const
{
    int32_t length = 0;
    const char* text = LineText(line, length);
    if (!text || !key || !*key)
        return -1;
    int32_t i = 0;
    while (i < length && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < length && text[i] == ';')
        return -1;  // a comment carries nothing
    if (i == length || (text[i] != key[0] && !m_CaseInsensitiveKeys))
        return -1;  // most lines differ at once: no need to measure the key
    int32_t keyLength = int32_t(std::strlen(key));
    if (length - i < keyLength)
        return -1;
    bool same = m_CaseInsensitiveKeys ? String::CompareNNoCase(text + i, key, keyLength) == 0
                                      : String::CompareN(text + i, key, keyLength) == 0;
    if (!same)
        return -1;
    // A name from "A" upwards must end at a separator; "#" and the like need none.
    if (static_cast<unsigned char>(key[0]) >= 'A') {
        if (i + keyLength >= length)
            return -1;
        char c = text[i + keyLength];
        if (c != ' ' && c != '\t' && c != '=')
            return -1;
    }
    return i;
}

int32_t ConfigFileReader::SearchAtDepth(const char* key, int32_t from, int32_t limit) const
{
    int32_t count = std::min(limit, m_Lines.Count());
    for (int32_t line = std::max(from, 0); line < count; ++line) {
        if (m_LineDepths[size_t(line)] == m_CurDepth && FindKeyInLine(line, key) >= 0)
            return line;
        if (line + 1 < count && m_LineDepths[size_t(line) + 1] < m_CurDepth)
            break;  // the block ends
    }
    return -1;
}

int32_t ConfigFileReader::SearchAll(const char* key, int32_t from, int32_t limit) const
{
    int32_t count = std::min(limit, m_Lines.Count());
    for (int32_t line = std::max(from, 0); line < count; ++line)
        if (FindKeyInLine(line, key) >= 0)
            return line;
    return -1;
}

int32_t ConfigFileReader::FindKeyLine(const char* key, int32_t entry) const
{
    if (entry < 0) {
        if (m_CurDepth >= 0)
            return SearchAtDepth(key, m_CurLine, m_Lines.Count());
        if (entry == -1 || entry == -2)
            return SearchAll(key, 0, m_Lines.Count());
        return -1;
    }
    if (entry >= m_EntryCount)
        return -2;
    const Entry& e = m_Entries[size_t(entry)];
    if (m_CurDepth >= 0) {
        // Never past the entry's end: the next entry's keys are not this one's.
        int32_t limit = m_CurLine + e.lineCount;
        if (m_CurLine >= e.firstLine && m_CurLine <= EntryEnd(entry))
            limit = std::min(limit, EntryEnd(entry));
        int32_t line = SearchAtDepth(key, m_CurLine, limit);
        if (line < 0 && m_ParentMatches && e.parent >= 0)
            line = SearchAtDepth(key, m_ParentLine, EntryEnd(e.parent));
        return line;
    }
    int32_t line = SearchAll(key, e.firstLine, EntryEnd(entry));
    if (line < 0 && e.parent >= 0)
        line = SearchAll(key, m_Entries[size_t(e.parent)].firstLine, EntryEnd(e.parent));
    return line;
}

bool ConfigFileReader::OpensBlock(int32_t line, int32_t depth) const
{
    return line >= 0 && line + 1 < m_Lines.Count() && m_LineDepths[size_t(line)] == depth &&
           m_LineDepths[size_t(line) + 1] == depth + 1;
}

bool ConfigFileReader::ClosesBlock(int32_t line, int32_t depth) const
{
    if (line < 0 || line >= m_Lines.Count() || m_LineDepths[size_t(line)] != depth)
        return false;
    return line + 1 == m_Lines.Count() || m_LineDepths[size_t(line) + 1] == depth - 1;
}

// 1 with the line and name of the next block opened at the current depth; 0 when the enclosing
// block closes first (line then on the closing line) or the range ends (line -1).
int32_t ConfigFileReader::ScanForBlock(int32_t from, int32_t limit, int32_t& line, String& name)
{
    limit = std::min(limit, m_Lines.Count());
    for (int32_t i = std::max(from, 0); i < limit; ++i) {
        if (OpensBlock(i, m_CurDepth)) {
            const auto* text = reinterpret_cast<const unsigned char*>(m_Text.data() + m_Lines.starts[size_t(i)]);
            int32_t length = m_Lines.lengths[size_t(i)];
            int32_t begin = 0;
            while (begin < length && text[begin] <= 32)
                ++begin;
            int32_t end = begin;
            while (end < length && text[end] >= 33)
                ++end;
            if (end == begin)
                Error("Invalid block start in file '%s' at line %i", m_FileName.c_str(), i);
            if (end == length)  // the brace is part of the name: nothing can reach the block
                Error("Unreachable code in file '%s' at line %i", m_FileName.c_str(), i);
            name = String(reinterpret_cast<const char*>(text) + begin, end - begin);
            line = i;
            return 1;
        }
        if (ClosesBlock(i, m_CurDepth)) {
            line = i;
            return 0;
        }
    }
    line = -1;
    return 0;
}

int32_t ConfigFileReader::FindClosingLine(int32_t from) const
{
    for (int32_t line = std::max(from, 0); line < m_Lines.Count(); ++line)
        if (ClosesBlock(line, m_CurDepth))
            return line;
    return -1;
}

void ConfigFileReader::BeginBlockRead(int32_t entry)
{
    bool valid = entry >= 0 && entry < m_EntryCount;
    m_CurDepth = 0;
    m_CurLine = valid ? m_Entries[size_t(entry)].firstLine : 0;
    m_CurEntry = entry;
    m_ParentLine = 0;
    if (valid && m_Entries[size_t(entry)].parent >= 0)
        m_ParentLine = m_Entries[size_t(m_Entries[size_t(entry)].parent)].firstLine;
    m_ParentMatches = 0;
}

int32_t ConfigFileReader::NextBlock(String& name)
{
    if (m_CurDepth < 0)
        Error("NextBlock() before block read start in file '%s'", m_FileName.c_str());
    int32_t line = -1;
    if (!ScanForBlock(m_CurLine, EntryEnd(m_CurEntry), line, name)) {
        name = "";
        if (line >= 0)
            m_CurLine = line;
        m_ParentMatches = 0;
        return 0;
    }
    m_CurLine = line;
    m_ParentMatches = 0;
    if (m_CurEntry >= 0 && m_CurEntry < m_EntryCount) {
        int32_t parent = m_Entries[size_t(m_CurEntry)].parent;
        String parentName;
        int32_t parentLine = -1;
        if (parent >= 0 && ScanForBlock(m_ParentLine, EntryEnd(parent), parentLine, parentName) &&
            parentName == name) {
            m_ParentLine = parentLine;
            m_ParentMatches = 1;
        }
    }
    return 1;
}

int32_t ConfigFileReader::NextBlock(char* name, int32_t nameSize)
{
    String found;
    int32_t result = NextBlock(found);
    String::CopySized(name, nameSize, found.c_str());
    return result;
}

void ConfigFileReader::EnterBlock()
{
    if (m_CurDepth < 0 || !OpensBlock(m_CurLine, m_CurDepth))
        Error("Invalid EnterBlock() at line %i in file '%s'", m_CurLine, m_FileName.c_str());
    if (m_ParentMatches && OpensBlock(m_ParentLine, m_CurDepth))
        ++m_ParentLine;
    else
        m_ParentMatches = 0;
    ++m_CurLine;
    ++m_CurDepth;
}

void ConfigFileReader::ExitBlock()
{
    int32_t close = m_CurDepth > 0 ? FindClosingLine(m_CurLine) : -1;
    if (close < 0)
        Error("Invalid ExitBlock() at line: %i in file '%s'", m_CurLine, m_FileName.c_str());
    m_CurLine = close + 1;
    if (m_ParentMatches) {
        int32_t parentClose = FindClosingLine(m_ParentLine);
        if (parentClose >= 0)
            m_ParentLine = parentClose + 1;
    }
    m_ParentMatches = 0;
    --m_CurDepth;
}

void ConfigFileReader::SkipBlock()
{
    EnterBlock();
    ExitBlock();
}

void ConfigFileReader::EndBlockRead()
{
    m_CurDepth = -1;
    m_CurLine = 0;
    m_CurEntry = 0;
    m_ParentLine = 0;
    m_ParentMatches = 0;
}
