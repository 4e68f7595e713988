// ConfigFileReader: the reader of the text configuration format that the whole program uses:
// entries, sub-entries, blocks, keys, typed values, the `desc` index and the value setters.
// ConfigFileReader.cpp loads and finds entries and block depths, ConfigFileReaderBlocks.cpp finds
// keys and walks blocks, ConfigFileReaderValues.cpp holds the getters and setters, and
// ConfigFileReaderDescIndex.cpp the desc index.
#pragma once
#include "base/String.h"
#include "base/TextFileReader.h"

#include <cstdint>
#include <string>
#include <vector>

class ConfigFileReader : public TextFileReader {
public:
    // Status codes of the getters and setters.
    static constexpr int32_t kFound = 0;
    static constexpr int32_t kMissing = 1;       // key not found, or no usable value on its line
    static constexpr int32_t kBadEntry = 2;      // entry number not below the entry count
    static constexpr int32_t kBadText = 9;       // quoted text missing or not closed
    static constexpr int32_t kStringSize = 8129;  // GetString: 8128 characters and the NUL
    static constexpr int32_t kDescSize = 1024;
    // Whether a getter's status says the key was found and read.
    static bool Found(int32_t status) { return status == kFound; }

    struct Entry {
        int32_t firstLine = 0;
        int32_t lineCount = 0;  // the entry's own "#" line included
        int32_t parent = -1;    // the "#" entry above a "##" entry
    };

    ConfigFileReader();
    ~ConfigFileReader() override;

    // Loading: 0, or 1 file not opened, 3 too many lines, 4 a line too long (the error text
    // tells which). Everything but the desc key is reset first; brace errors throw.
    int32_t Load(const char* fileName, bool parse = true);
    int32_t OpenMemory(const char* bytes, int32_t size);
    // 0; 1 not opened; 3 or 4 when the resplit failed (the reader then stays as it was).
    // Resplit also rebuilds entries and index.
    int32_t AppendFile(const char* fileName, bool resplit) override;
    void Clear();

    void SetDescKey(const char* name) { m_DescKey = name; }
    // A reader asked first for every value. A link that would lead back here is refused.
    void SetLinkedReader(ConfigFileReader* reader);
    ConfigFileReader* GetLinkedReader() const { return m_LinkedReader; }
    bool WasFoundInLinkedReader() const { return m_FoundInLinkedReader != 0; }

    // Keys.
    // The key name the getters look up: base, then the first index ("%i"), then "_" and the
    // second when both are given.
    static String MakeKeyName(const char* base, int32_t index1, int32_t index2);
    int32_t FindKeyInLine(int32_t line, const char* key) const;  // offset of the key, or -1
    int32_t FindKeyLine(const char* key, int32_t entry) const;   // line, -1 not found, -2 bad entry

    // Entries.
    int32_t GetNumEntries() const { return m_EntryCount; }
    int32_t GetEntryLineCount(int32_t entry) const;
    // The line of the entry's "#", or -1 for a number that is no entry.
    int32_t GetEntryFirstLine(int32_t entry) const
    {
        return entry < 0 || entry >= m_EntryCount ? -1 : m_Entries[size_t(entry)].firstLine;
    }
    int32_t GetEntryTextOffset(int32_t entry) const;
    int32_t GetEntryTextLength(int32_t entry) const;
    int32_t FindEntryByDesc(const char* name);
    String GetDescOfEntry(int32_t entry) const;

    // Block reading.
    void BeginBlockRead(int32_t entry);
    int32_t NextBlock(char* name, int32_t nameSize);
    int32_t NextBlock(String& name);
    void EnterBlock();
    void ExitBlock();
    void SkipBlock();
    void EndBlockRead();
    int32_t GetBlockDepth() const { return m_CurDepth; }
    int32_t GetBlockLine() const { return m_CurLine; }

    // Single values; the output is written only on 0.
    int32_t GetDouble(const char* name, double& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetFloat(const char* name, float& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetInt(const char* name, int32_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetUInt(const char* name, uint32_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetShort(const char* name, int16_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetByte(const char* name, uint8_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetBool(const char* name, bool& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetBoolRounded(const char* name, bool& value, int32_t entry = -1, int32_t index1 = -1,
                           int32_t index2 = -1);

    // Quoted texts, cut to the buffer's size.
    int32_t GetValueText(const char* name, char* buffer, int32_t bufferSize, int32_t entry = -1, int32_t index1 = -1,
                         int32_t index2 = -1);
    int32_t GetString(const char* name, String& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);

    // Lists after the first "=" of the key's line; parts are stored as they are read.
    int32_t GetVector3(const char* name, float* xyz, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetFloatPair(const char* name, float* pair, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetIntPair(const char* name, int32_t* pair, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetFloatTextFloat(const char* name, float& first, String& text, float& second, int32_t entry = -1,
                              int32_t index1 = -1, int32_t index2 = -1);
    int32_t GetTextAndVector3(const char* name, String& text, float* xyz, int32_t entry = -1, int32_t index1 = -1,
                              int32_t index2 = -1);
    // The number of values stored, at most capacity; the rest of a longer list is left unread.
    int32_t GetFloatList(const char* name, float* values, int32_t capacity, int32_t entry = -1, int32_t index1 = -1,
                         int32_t index2 = -1);
    // The number of texts read, at most maxCount; 1 when an item is not a closed quoted text.
    int32_t GetTextList(const char* name, String* texts, int32_t maxCount, int32_t entry = -1, int32_t index1 = -1,
                        int32_t index2 = -1);

    // Setters: replace the number after the key, or add "key=value" at the end of the entry.
    int32_t SetInt(const char* name, int32_t value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1);
    int32_t SetIntPair(const char* name, int32_t first, int32_t second, int32_t entry = -1, int32_t index1 = -1,
                       int32_t index2 = -1);

    // The names other parts of the program use for some of the getters.
    int32_t GetRoundedInt(const char* name, bool& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1)
    {
        return GetBoolRounded(name, value, entry, index1, index2);
    }
    int32_t GetLong(const char* name, uint8_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1)
    {
        return GetByte(name, value, entry, index1, index2);
    }
    int32_t GetInt64(const char* name, uint32_t& value, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1)
    {
        return GetUInt(name, value, entry, index1, index2);
    }
    int32_t GetValueVariantA(const char* name, float* xyz, int32_t entry = -1, int32_t index1 = -1, int32_t index2 = -1)
    {
        return GetVector3(name, xyz, entry, index1, index2);
    }
    int32_t GetValueVariantB(const char* name, float* pair, int32_t entry = -1, int32_t index1 = -1,
                             int32_t index2 = -1)
    {
        return GetFloatPair(name, pair, entry, index1, index2);
    }
    int32_t GetValueVariantC(const char* name, float* values, int32_t capacity, int32_t entry = -1,
                             int32_t index1 = -1, int32_t index2 = -1)
    {
        return GetFloatList(name, values, capacity, entry, index1, index2);
    }
    void SetIndexKey(const char* name) { SetDescKey(name); }
    int32_t Append(const char* fileName, bool finish) { return AppendFile(fileName, finish); }
    int32_t GetEntryStart(int32_t entry) const { return GetEntryTextOffset(entry); }
    int32_t GetEntryLength(int32_t entry) const { return GetEntryTextLength(entry); }

    // Keys compare ignoring the case of ASCII letters when set (callers set it after Load).
    int32_t m_CaseInsensitiveKeys = 0;

protected:
    void OnLineInserted(int32_t index) override;

private:
    // The linked reader is asked first: true, with the flag set, when ask(linked reader) says it
    // found the value; otherwise the flag is cleared for this reader's own search.
    template <class Ask>
    bool AskLinkedReader(Ask ask)
    {
        m_FoundInLinkedReader = m_LinkedReader && ask(*m_LinkedReader) ? 1 : 0;
        return m_FoundInLinkedReader != 0;
    }
    // The key's line in this file (not the linked reader): 0, 1 missing or 2 bad entry.
    int32_t FindOwnKeyLine(const String& key, int32_t entry, int32_t& line) const;
    // The key's line in this file (not the linked reader): 0, 1 or 2; p is then just after
    // the key and end at the end of its line.
    int32_t LocateKey(const String& key, int32_t entry, const char*& p, const char*& end) const;
    // The number after the key: 0, 1 or 2.
    int32_t ReadOwnDouble(const String& key, int32_t entry, double& value);
    int32_t ReadOwnText(const String& key, int32_t entry, char* buffer, int32_t bufferSize) const;
    int32_t ReplaceIntValue(const String& key, int32_t value, int32_t line);
    int32_t ReplacePairValue(const String& key, int32_t first, int32_t second, int32_t line);
    int32_t InsertKeyLine(int32_t entry, const char* text);
    int32_t LocateList(const String& key, int32_t entry, const char*& p, const char*& end) const;
    int32_t ReadFloatParts(const char* p, const char* end, float* out, int32_t count);
    // GetVector3 and GetFloatPair: 0 only when all count numbers are there.
    int32_t GetFloatParts(const char* name, float* out, int32_t count, int32_t entry, int32_t index1, int32_t index2);

    void ParseBlocks();  // entries, then the depth of every line
    void FindEntries(const std::vector<int32_t>& hashes);    // the text offsets of every "#"
    void MeasureDepths(const std::vector<int32_t>& braces);  // and of every brace
    void BuildDescIndex();
    void ClearStructure();
    void DropContents();  // text, lines and structure; name and error text stay
    int32_t FinishText();  // split, entries, depths, index

    int32_t EntryEnd(int32_t entry) const;
    bool OpensBlock(int32_t line, int32_t depth) const;
    bool ClosesBlock(int32_t line, int32_t depth) const;
    int32_t SearchAtDepth(const char* key, int32_t from, int32_t limit) const;
    int32_t SearchAll(const char* key, int32_t from, int32_t limit) const;
    int32_t ScanForBlock(int32_t from, int32_t limit, int32_t& line, String& name);
    int32_t FindClosingLine(int32_t from) const;

    // desc name -> entry by open addressing: names that share a long prefix cost no more than
    // others, and a file of thousands of entries loads without an allocation per name. Names
    // match ignoring the case of ASCII letters; other bytes match exactly.
    class DescIndex {
    public:
        void Clear();
        void Reserve(int32_t count);
        bool Insert(const char* name, int32_t entry);  // false when the name is already there
        int32_t Find(const char* name) const;          // -1 when it is not

    private:
        struct Slot {
            uint32_t hash = 0;
            int32_t entry = -1;  // -1: empty
            uint32_t offset = 0;  // of the name in m_Names
            uint32_t length = 0;
        };
        static uint32_t Hash(const char* name, size_t length);
        size_t Probe(const char* name, size_t length, uint32_t hash) const;  // its slot, or the empty one
        void Rehash(size_t slots);

        std::vector<Slot> m_Slots;  // a power of two, at most three quarters in use
        std::string m_Names;
        size_t m_Count = 0;
    };

    ConfigFileReader* m_LinkedReader = nullptr;
    DescIndex m_DescIndex;
    String m_DescKey;
    int32_t m_FoundInLinkedReader = 0;
    std::vector<Entry> m_Entries;
    std::vector<int32_t> m_LineDepths;
    int32_t m_EntryCount = 0;

    // The block cursor; current depth -1 when no block reading is under way.
    int32_t m_CurLine = 0;
    int32_t m_CurEntry = 0;
    int32_t m_ParentLine = 0;
    uint8_t m_ParentMatches = 0;
    int32_t m_CurDepth = -1;
};

// The game configuration ("cfg\game.cfg"): the program's global reader, loaded at start-up and
// read by every part that takes options from it.
ConfigFileReader& GetGameConfig();
