// FuzzConfigFile: arbitrary text opened as a configuration file with a small constants table,
// every entry walked through its nested blocks, the keys found on its lines read by each getter
// (with and without a linked reader), the desc index checked against the entries, and the integer
// setters writing values that must be found again.
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "base/ConstantTable.h"

#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int32_t kMaxEntries = 6;    // entries walked per input
constexpr int32_t kMaxKeys = 12;      // distinct key names taken from the lines
constexpr int32_t kMaxBlockKeys = 4;  // of them read inside each block
constexpr int32_t kMaxDepth = 8;      // blocks entered below an entry
constexpr int32_t kMaxBlocks = 32;    // blocks visited at one depth

ConstantTable& Constants()
{
    static ConstantTable* table = [] {
        auto* t = new ConstantTable;
        t->SetValue("ONE", 1.0);
        t->SetValue("HALF", 0.5);
        t->SetValue("NEG", -7.0);
        t->SetValue("BIG", 1e300);
        t->SetValue("MAXINT", 2147483647.0);
        return t;
    }();
    return *table;
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// The first word of each line, up to a blank, "=" or a brace: what a key lookup may match. Words
// with other characters than letters, digits and "_" are kept for reading but not for setting.
std::vector<std::string> KeysOf(ConfigFileReader& reader)
{
    std::set<std::string> seen;
    std::vector<std::string> keys;
    for (int32_t line = 0; line < reader.GetLineCount() && int32_t(keys.size()) < kMaxKeys; line++) {
        const char* text = reader.GetLine(line);
        if (!text)
            continue;
        while (*text == ' ' || *text == '\t')
            text++;
        size_t length = 0;
        while (text[length] && text[length] != ' ' && text[length] != '\t' && text[length] != '=' &&
               text[length] != '{' && text[length] != '}' && length < 64)
            length++;
        std::string key(text, length);
        if (!key.empty() && seen.insert(key).second)
            keys.push_back(key);
    }
    return keys;
}

bool IsPlainName(const std::string& key)
{
    if (key.empty() || !IsNameStart(key[0]))
        return false;
    for (char c : key)
        if (!IsNameChar(c))
            return false;
    return true;
}

void CheckStatus(int32_t status)
{
    if (status != ConfigFileReader::kFound && status != ConfigFileReader::kMissing &&
        status != ConfigFileReader::kBadEntry && status != ConfigFileReader::kBadText)
        Fuzz::Finding("a getter gave an unknown status");
}

// Every getter on one key; outputs are only checked for the bounds they promise.
void ReadKey(ConfigFileReader& reader, const char* key, int32_t entry, int32_t index1 = -1, int32_t index2 = -1)
{
    double d = 0;
    float f = 0;
    int32_t i = 0;
    uint32_t u = 0;
    int16_t s = 0;
    uint8_t b = 0;
    bool flag = false;
    CheckStatus(reader.GetDouble(key, d, entry, index1, index2));
    CheckStatus(reader.GetFloat(key, f, entry, index1, index2));
    CheckStatus(reader.GetInt(key, i, entry, index1, index2));
    CheckStatus(reader.GetUInt(key, u, entry, index1, index2));
    CheckStatus(reader.GetShort(key, s, entry, index1, index2));
    CheckStatus(reader.GetByte(key, b, entry, index1, index2));
    CheckStatus(reader.GetBool(key, flag, entry, index1, index2));
    CheckStatus(reader.GetBoolRounded(key, flag, entry, index1, index2));

    char small[8];
    std::memset(small, 'x', sizeof small);
    if (reader.GetValueText(key, small, int32_t(sizeof small), entry, index1, index2) == ConfigFileReader::kFound &&
        std::memchr(small, 0, sizeof small) == nullptr)
        Fuzz::Finding("GetValueText left the buffer without a terminator");
    String text;
    CheckStatus(reader.GetString(key, text, entry, index1, index2));

    float xyz[3];
    float pair[2];
    int32_t ints[2];
    float first = 0, second = 0;
    CheckStatus(reader.GetVector3(key, xyz, entry, index1, index2));
    CheckStatus(reader.GetFloatPair(key, pair, entry, index1, index2));
    CheckStatus(reader.GetIntPair(key, ints, entry, index1, index2));
    CheckStatus(reader.GetFloatTextFloat(key, first, text, second, entry, index1, index2));
    CheckStatus(reader.GetTextAndVector3(key, text, xyz, entry, index1, index2));
    float list[5];
    int32_t n = reader.GetFloatList(key, list, 5, entry, index1, index2);
    if (n < 0 || n > 5)
        Fuzz::Finding("GetFloatList read more values than the list holds");
    String texts[3];
    n = reader.GetTextList(key, texts, 3, entry, index1, index2);
    if (n < 0 || n > 3)
        Fuzz::Finding("GetTextList read more texts than the list holds");
}

void ReadKeys(ConfigFileReader& reader, const std::vector<std::string>& keys, int32_t entry,
              size_t limit = kMaxKeys)
{
    for (size_t k = 0; k < keys.size() && k < limit; k++) {
        ReadKey(reader, keys[k].c_str(), entry);
        reader.FindKeyLine(keys[k].c_str(), entry);
    }
    ReadKey(reader, "Key", entry, 0);     // "Key0"
    ReadKey(reader, "Key", entry, 1, 2);  // "Key1_2"
}

// Visits the blocks at the current depth: each is entered and walked, or passed over.
void WalkBlocks(ConfigFileReader& reader, const std::vector<std::string>& keys, int32_t entry, int32_t depth)
{
    String name;
    for (int32_t n = 0; n < kMaxBlocks && reader.NextBlock(name); n++) {
        if (name.IsEmpty())
            Fuzz::Finding("NextBlock found a block without a name");
        if (depth >= kMaxDepth || n % 3 == 2) {
            reader.SkipBlock();
            continue;
        }
        reader.EnterBlock();
        if (reader.GetBlockDepth() != depth + 1)
            Fuzz::Finding("EnterBlock did not go one level down");
        ReadKeys(reader, keys, entry, kMaxBlockKeys);
        WalkBlocks(reader, keys, entry, depth + 1);
        reader.ExitBlock();
        if (reader.GetBlockDepth() != depth)
            Fuzz::Finding("ExitBlock did not come back to the level of the block");
    }
}

void CheckEntries(ConfigFileReader& reader)
{
    const int32_t entries = reader.GetNumEntries();
    int32_t previous = -1;
    for (int32_t e = 0; e < entries; e++) {
        int32_t offset = reader.GetEntryTextOffset(e);
        int32_t length = reader.GetEntryTextLength(e);
        if (offset <= previous || length < 0 || offset + length > reader.GetTextLength())
            Fuzz::Finding("entries out of order or beyond the text");
        if (reader.GetEntryLineCount(e) < 1)
            Fuzz::Finding("an entry without its own line");
        previous = offset;
    }
    if (reader.GetEntryTextOffset(entries) != -1 || reader.GetEntryLineCount(entries) != -1)
        Fuzz::Finding("an entry past the last one was given");
    for (int32_t e = 0; e < entries && e < kMaxEntries; e++) {
        String desc = reader.GetDescOfEntry(e);
        if (desc.IsEmpty())
            continue;
        int32_t found = reader.FindEntryByDesc(desc.c_str());
        if (found >= entries || (found >= 0 && !reader.GetDescOfEntry(found).EqualsNoCase(desc)))
            Fuzz::Finding("the desc index gave an entry with another desc");
    }
}

void ReadAll(ConfigFileReader& reader, const std::vector<std::string>& keys)
{
    ReadKeys(reader, keys, -1);
    const int32_t entries = reader.GetNumEntries();
    for (int32_t e = 0; e < entries && e < kMaxEntries; e++) {
        ReadKeys(reader, keys, e);
        try {
            reader.BeginBlockRead(e);
            WalkBlocks(reader, keys, e, 0);
        } catch (const ErrorMsg&) {
            // a block start that names nothing or that nothing can reach
        }
        reader.EndBlockRead();
    }
    ReadKeys(reader, keys, entries);  // an entry out of range
}

// A value set on a plain key must be found again where it was set.
void SetKeys(ConfigFileReader& reader, const std::vector<std::string>& keys)
{
    int32_t done = 0;
    for (const std::string& key : keys) {
        if (!IsPlainName(key) || key == "desc" || done++ >= 4)
            continue;  // a number set into the desc text would leave the desc index behind
        const int32_t entry = reader.GetNumEntries() > 0 ? done % reader.GetNumEntries() : -1;
        int32_t value = 0;
        int32_t status = reader.SetInt(key.c_str(), 4321, entry);
        if (status == ConfigFileReader::kFound) {
            if (reader.GetInt(key.c_str(), value, entry) != ConfigFileReader::kFound)
                Fuzz::Finding("a key set by SetInt is not found");
        } else if (status != ConfigFileReader::kMissing) {  // missing: the key's line has no value
            Fuzz::Finding("SetInt on an entry in range failed");
        }
        int32_t pair[2] = {0, 0};
        if (reader.SetIntPair(key.c_str(), -5, 6, entry) != ConfigFileReader::kFound &&
            reader.GetIntPair(key.c_str(), pair, entry) == ConfigFileReader::kFound)
            Fuzz::Finding("SetIntPair failed on a key with a pair");
    }
}

// Keys that no line holds are added at the end of their entry and found there.
void AddKeys(ConfigFileReader& reader)
{
    const int32_t last = reader.GetNumEntries() - 1;
    int32_t value = 0;
    if (reader.SetInt("FuzzAdded", 77, last) != ConfigFileReader::kFound ||
        reader.GetInt("FuzzAdded", value, last) != ConfigFileReader::kFound || value != 77)
        Fuzz::Finding("a key added by SetInt reads back otherwise");
    int32_t pair[2] = {0, 0};
    if (reader.SetIntPair("FuzzPair", -3, 9, last) != ConfigFileReader::kFound ||
        reader.GetIntPair("FuzzPair", pair, last) != ConfigFileReader::kFound || pair[0] != -3 || pair[1] != 9)
        Fuzz::Finding("a pair added by SetIntPair reads back otherwise");
}

const char kLinkedText[] = "#Linked\r\nHealth = 50\r\nName = \"linked\"\r\nPos = 1, 2, 3\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;  // a walk reads every key of every entry: keep each run short
    ConfigFileReader reader;
    reader.SetConstantTable(&Constants());
    reader.SetDescKey("desc");
    int32_t result = 0;
    try {
        result = reader.OpenMemory(reinterpret_cast<const char*>(data), int32_t(size));
    } catch (const ErrorMsg&) {
        // an unbalanced brace, or text after one
        if (reader.IsLoaded() || reader.GetNumEntries() != 0 || reader.GetLineCount() != 0)
            Fuzz::Finding("a refused text left a half-built reader");
        return 0;
    }
    if (result != 0)
        return 0;  // too many lines, or a line too long

    CheckEntries(reader);
    const std::vector<std::string> keys = KeysOf(reader);
    ReadAll(reader, keys);

    reader.m_CaseInsensitiveKeys = 1;
    ConfigFileReader linked;
    linked.SetConstantTable(&Constants());
    linked.OpenMemory(kLinkedText, int32_t(sizeof kLinkedText - 1));
    reader.SetLinkedReader(&linked);
    ReadKeys(reader, keys, -1);
    if (reader.GetNumEntries() > 0)
        ReadKeys(reader, keys, 0);
    reader.SetLinkedReader(nullptr);

    reader.m_CaseInsensitiveKeys = 0;
    try {
        SetKeys(reader, keys);
        if (std::string_view(reinterpret_cast<const char*>(data), size).find("Fuzz") == std::string_view::npos)
            AddKeys(reader);
    } catch (const ErrorMsg&) {
        Fuzz::Finding("a setter threw");
    }
    CheckEntries(reader);
    return 0;
}
