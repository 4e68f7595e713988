// ConfigFileReader: loading, the entry and depth tables and the linked reader.
#include "base/ConfigFileReader.h"

#include "base/ByteSearch.h"

#include <algorithm>

namespace {

// Runs its action at scope exit unless disarmed: how a throwing parse leaves an empty reader.
template <class F> struct Disarmable {
    explicit Disarmable(F f) : action(f) {}
    ~Disarmable()
    {
        if (armed)
            action();
    }
    F action;
    bool armed = true;
};

}  // namespace

ConfigFileReader::ConfigFileReader() { CopyName32(this, "ConfigFileReader"); }

ConfigFileReader::~ConfigFileReader() = default;

void ConfigFileReader::ClearStructure()
{
    m_Entries.clear();
    m_LineDepths.clear();
    m_EntryCount = 0;
    m_DescIndex.Clear();
    EndBlockRead();
}

void ConfigFileReader::DropContents()
{
    ClearStructure();
    m_Text.clear();
    m_Lines.Clear();
    m_Loaded = 0;
}

void ConfigFileReader::Clear()
{
    ClearText();
    ClearStructure();
    m_LinkedReader = nullptr;
    m_FoundInLinkedReader = 0;
}

int32_t ConfigFileReader::FinishText()
{
    int32_t result = SplitLines();
    if (result != 0)
        return result;
    ParseBlocks();
    BuildDescIndex();
    return 0;
}

int32_t ConfigFileReader::Load(const char* fileName, bool parse)
{
    Clear();
    m_CaseInsensitiveKeys = 0;
    m_FileName = fileName ? fileName : "";

    // A brace error throws out of here: the reader must not stay half-built.
    Disarmable guard([this] { DropContents(); });

    int32_t result = ReadFile(fileName);
    if (result == 0 && parse)
        result = FinishText();
    if (result != 0)
        return result;  // the guard empties the reader
    m_Loaded = 1;
    guard.armed = false;
    return 0;
}

int32_t ConfigFileReader::OpenMemory(const char* bytes, int32_t size)
{
    ClearText();
    ClearStructure();
    m_FileName = "*memory*";
    if (bytes && size > 0)
        m_Text.assign(bytes, bytes + size);
    TakeConstantStamp();

    Disarmable guard([this] { DropContents(); });

    int32_t result = SplitLines();
    if (result != 0)
        return result;
    m_Loaded = 1;
    ParseBlocks();
    BuildDescIndex();
    guard.armed = false;
    return 0;
}

int32_t ConfigFileReader::AppendFile(const char* fileName, bool resplit)
{
    int32_t result = TextFileReader::AppendFile(fileName, resplit);
    if (result != 0 || !resplit)
        return result;
    EndBlockRead();
    ParseBlocks();
    BuildDescIndex();
    return 0;
}

void ConfigFileReader::SetLinkedReader(ConfigFileReader* reader)
{
    for (ConfigFileReader* r = reader; r; r = r->m_LinkedReader)
        if (r == this) {
            Warning("Linked reader of '%s' would lead back to itself", m_FileName.c_str());
            return;
        }
    m_LinkedReader = reader;
}

void ConfigFileReader::ParseBlocks()
{
    m_Entries.clear();
    m_LineDepths.assign(size_t(m_Lines.Count()), 0);
    m_EntryCount = 0;
    // One pass over the text finds every "#" (entries start at some) and every brace: whole
    // files are parsed at every load.
    std::vector<int32_t> hashes;
    std::vector<int32_t> braces;
    const auto* text = reinterpret_cast<const unsigned char*>(m_Text.data());
    ByteSearch::ForEachOf(text, text + m_Text.size(), '#', '{', '}', [&](const unsigned char* p) {
        (*p == '#' ? hashes : braces).push_back(int32_t(p - text));
    });
    FindEntries(hashes);
    MeasureDepths(braces);
}

// An entry starts at every line whose first character after blanks is "#" (FindKeyInLine with
// "#"), a sub-entry where a second "#" follows it. Only lines holding a "#" are looked at, and
// their text only when blanks come first: the offsets tell the rest.
void ConfigFileReader::FindEntries(const std::vector<int32_t>& hashes)
{
    int32_t line = 0;
    int32_t lookedAt = -1;
    int32_t lastTop = -1;  // nearest entry without a parent: the parent of a following "##"
    for (size_t h = 0; h < hashes.size(); ++h) {
        const int32_t at = hashes[h];
        while (line + 1 < m_Lines.Count() && m_Lines.starts[size_t(line) + 1] <= at)
            ++line;
        if (line == lookedAt)
            continue;  // a later "#" of a line already decided
        lookedAt = line;
        const int32_t start = m_Lines.starts[size_t(line)];
        const int32_t length = m_Lines.lengths[size_t(line)];
        if (at < start || at >= start + length || length >= TextLines::kMaxLineLength)
            continue;  // between lines, or a line too long to read
        if (at > start && FindKeyInLine(line, "#") != at - start)
            continue;  // something other than blanks before it
        Entry entry;
        entry.firstLine = line;
        entry.parent = (h + 1 < hashes.size() && hashes[h + 1] == at + 1) ? lastTop : -1;
        if (!m_Entries.empty())
            m_Entries.back().lineCount = line - m_Entries.back().firstLine;
        if (entry.parent == -1)
            lastTop = int32_t(m_Entries.size());
        m_Entries.push_back(entry);
    }
    if (!m_Entries.empty())
        m_Entries.back().lineCount = m_Lines.Count() - m_Entries.back().firstLine;
    m_EntryCount = int32_t(m_Entries.size());
}

// Every line of an entry gets the block depth at its start; each entry starts at depth 0. Only
// the lines holding a brace are read, from their first brace on (nothing before it matters).
void ConfigFileReader::MeasureDepths(const std::vector<int32_t>& braces)
{
    const char* text = m_Text.data();
    const auto lineEnd = [this](int32_t line) { return m_Lines.starts[size_t(line)] + m_Lines.lengths[size_t(line)]; };
    size_t next = 0;
    int32_t depth = 0;
    for (const Entry& entry : m_Entries) {
        depth = 0;
        const int32_t endLine = entry.firstLine + entry.lineCount;
        while (next < braces.size() && braces[next] < m_Lines.starts[size_t(entry.firstLine)])
            ++next;  // before the first entry, or left behind in a line already read
        int32_t line = entry.firstLine;
        for (; next < braces.size() && braces[next] < lineEnd(endLine - 1); ++next) {
            const int32_t at = braces[next];
            int32_t braceLine = line;
            while (braceLine + 1 < endLine && m_Lines.starts[size_t(braceLine) + 1] <= at)
                ++braceLine;
            if (at < m_Lines.starts[size_t(braceLine)] || at >= lineEnd(braceLine))
                continue;  // not in a line's text: read with its line already, or between lines
            if (depth != 0)  // the table starts all 0
                std::fill(m_LineDepths.begin() + line, m_LineDepths.begin() + braceLine, depth);
            line = braceLine;
            m_LineDepths[size_t(line)] = depth;
            bool braceMet = false;
            for (int32_t i = at; i < lineEnd(line); ++i) {
                unsigned char c = static_cast<unsigned char>(text[i]);
                if (braceMet && c > 32)
                    Error("Invalid block start/end in file '%s' at line %i", m_FileName.c_str(), line);
                if (c == '{') {
                    ++depth;
                    braceMet = true;
                } else if (c == '}') {
                    if (depth == 0)
                        Error("Invalid '}' in file '%s' at line %i", m_FileName.c_str(), line);
                    --depth;
                    braceMet = true;
                }
            }
            ++line;
        }
        if (depth != 0)
            std::fill(m_LineDepths.begin() + line, m_LineDepths.begin() + endLine, depth);
    }
    if (depth != 0)
        Error("Unfinished block in file '%s'", m_FileName.c_str());
}

void ConfigFileReader::OnLineInserted(int32_t index)
{
    // Entries and depths follow the new line, so later lookups, sets and Save stay right.
    int32_t oldCount = m_EntryCount;
    ParseBlocks();
    if (m_CurDepth >= 0) {
        if (m_CurLine >= index)
            ++m_CurLine;
        if (m_ParentLine >= index)
            ++m_ParentLine;
    }
    if (m_EntryCount != oldCount)
        BuildDescIndex();
}

int32_t ConfigFileReader::EntryEnd(int32_t entry) const
{
    if (entry < 0 || entry >= m_EntryCount)
        return m_Lines.Count();
    const Entry& e = m_Entries[size_t(entry)];
    return e.firstLine + e.lineCount;
}

int32_t ConfigFileReader::GetEntryLineCount(int32_t entry) const
{
    if (entry == -1)
        return m_Lines.Count();
    if (entry < 0 || entry >= m_EntryCount)
        return -1;
    return m_Entries[size_t(entry)].lineCount;
}

int32_t ConfigFileReader::GetEntryTextOffset(int32_t entry) const
{
    if (entry < 0 || entry >= m_EntryCount)
        return -1;
    return m_Lines.starts[size_t(m_Entries[size_t(entry)].firstLine)];
}

int32_t ConfigFileReader::GetEntryTextLength(int32_t entry) const
{
    if (entry < 0 || entry >= m_EntryCount)
        return -1;
    int32_t end = entry + 1 < m_EntryCount ? GetEntryTextOffset(entry + 1) : GetTextLength();
    return end - GetEntryTextOffset(entry);
}

ConfigFileReader& GetGameConfig()
{
    static ConfigFileReader s_GameConfig;
    return s_GameConfig;
}
