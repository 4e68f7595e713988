// ConfigFileReader: loading, the entry and depth tables, the desc index and the linked reader.
#include "base/ConfigFileReader.h"

#include <cstring>

namespace {

// What the desc index can hold as a key: not empty, the first character within 32..127 (it
// picks the tree's bucket; the rest of a name may hold any byte, accented letters included).
bool IsUsableName(const char* name)
{
    return name && static_cast<unsigned char>(*name) >= 32 && static_cast<unsigned char>(*name) <= 127;
}

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

    int32_t lastTop = -1;  // nearest entry without a parent: the parent of a following "##"
    for (int32_t line = 0; line < m_Lines.Count(); ++line) {
        int32_t offset = FindKeyInLine(line, "#");
        if (offset < 0)
            continue;
        int32_t length = 0;
        const char* text = LineText(line, length);
        Entry entry;
        entry.firstLine = line;
        entry.parent = (offset + 1 < length && text[offset + 1] == '#') ? lastTop : -1;
        if (!m_Entries.empty())
            m_Entries.back().lineCount = line - m_Entries.back().firstLine;
        if (entry.parent == -1)
            lastTop = int32_t(m_Entries.size());
        m_Entries.push_back(entry);
    }
    if (!m_Entries.empty())
        m_Entries.back().lineCount = m_Lines.Count() - m_Entries.back().firstLine;
    m_EntryCount = int32_t(m_Entries.size());

    int32_t depth = 0;
    for (const Entry& entry : m_Entries) {
        depth = 0;
        for (int32_t line = entry.firstLine; line < entry.firstLine + entry.lineCount; ++line) {
            m_LineDepths[size_t(line)] = depth;
            const auto* text = reinterpret_cast<const unsigned char*>(m_Text.data() + m_Lines.starts[size_t(line)]);
            int32_t length = m_Lines.lengths[size_t(line)];
            bool braceMet = false;
            for (int32_t i = 0; i < length; ++i) {
                unsigned char c = text[i];
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
        }
    }
    if (depth != 0)
        Error("Unfinished block in file '%s'", m_FileName.c_str());
}

void ConfigFileReader::BuildDescIndex()
{
    m_DescIndex.Clear();
    if (m_DescKey.IsEmpty())
        return;
    char text[kDescSize];
    for (int32_t entry = 0; entry < m_EntryCount; ++entry) {
        if (ReadOwnText(m_DescKey, entry, text, sizeof text) != kFound) {
            Warning("No 'desc' entry in entry %i in file '%s'", entry, m_FileName.c_str());
            continue;
        }
        // An empty name, or one that begins with a control or 8-bit character, cannot be a key:
        // skip just this entry.
        if (!IsUsableName(text)) {
            Warning("Invalid 'desc' entry in '%s' (%i): '%s'", m_FileName.c_str(), entry, text);
            continue;
        }
        int32_t* slot = m_DescIndex.Insert(String(text));
        if (!slot)
            Warning("'desc' entry in '%s' (%i) not unique: '%s'", m_FileName.c_str(), entry, text);
        else
            *slot = entry;
    }
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

int32_t ConfigFileReader::FindEntryByDesc(const char* name)
{
    if (!IsUsableName(name))
        return -1;
    int32_t* slot = m_DescIndex.Find(name);
    return slot ? *slot : -1;
}

String ConfigFileReader::GetDescOfEntry(int32_t entry) const
{
    if (entry < 0 || m_DescKey.IsEmpty())
        return String();
    char text[kDescSize];
    if (ReadOwnText(m_DescKey, entry, text, sizeof text) != kFound)
        return String();
    return String(text);
}

ConfigFileReader& GetGameConfig()
{
    static ConfigFileReader s_GameConfig;
    return s_GameConfig;
}
