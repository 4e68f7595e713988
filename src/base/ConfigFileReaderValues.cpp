// ConfigFileReader: the typed getters (status 0 found, 1 missing, 2 bad entry, 9 bad quoted
// text), the list getters and the integer setters that edit the text in place.
#include "base/ConfigFileReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p, const char* end)
{
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

const char* SkipSeparators(const char* p, const char* end)
{
    while (p < end && (IsBlank(*p) || *p == '='))
        ++p;
    return p;
}

const char* FindIn(const char* p, const char* end, char c)
{
    const void* found = p < end ? std::memchr(p, c, size_t(end - p)) : nullptr;
    return static_cast<const char*>(found);
}

}  // namespace

// ---- locating ----

int32_t ConfigFileReader::FindOwnKeyLine(const String& key, int32_t entry, int32_t& line) const
{
    if (entry >= m_EntryCount)
        return kBadEntry;
    line = FindKeyLine(key.c_str(), entry);
    if (line == -2)
        return kBadEntry;
    return line < 0 ? kMissing : kFound;
}

int32_t ConfigFileReader::LocateKey(const String& key, int32_t entry, const char*& p, const char*& end) const
{
    int32_t line = -1;
    int32_t status = FindOwnKeyLine(key, entry, line);
    if (status != kFound)
        return status;
    int32_t length = 0;
    const char* text = LineText(line, length);
    p = SkipBlanks(text, text + length) + key.TextLength();  // the key follows the line's blanks
    end = text + length;
    return kFound;
}

int32_t ConfigFileReader::LocateList(const String& key, int32_t entry, const char*& p, const char*& end) const
{
    int32_t status = LocateKey(key, entry, p, end);
    if (status != kFound)
        return status;
    const char* equals = FindIn(p, end, '=');
    if (!equals)
        return kMissing;
    p = SkipBlanks(equals + 1, end);
    return kFound;
}

int32_t ConfigFileReader::ReadOwnDouble(const String& key, int32_t entry, double& value)
{
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateKey(key, entry, p, end);
    if (status != kFound)
        return status;
    p = SkipSeparators(p, end);
    if (p >= end)
        return kMissing;
    value = ReadNumberAt(p, end);
    return kFound;
}

int32_t ConfigFileReader::ReadOwnText(const String& key, int32_t entry, char* buffer, int32_t bufferSize) const
{
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateKey(key, entry, p, end);
    if (status != kFound)
        return status;
    const char* open = FindIn(p, end, '"');
    const char* close = open ? FindIn(open + 1, end, '"') : nullptr;
    if (!close)
        return kBadText;
    if (buffer && bufferSize > 0) {
        int32_t length = std::min(int32_t(close - open - 1), bufferSize - 1);
        std::memcpy(buffer, open + 1, size_t(length));
        buffer[length] = 0;
    }
    return kFound;
}

// ---- single numbers ----

namespace {

// The number as GetDouble finds it, converted; value is written only on 0.
template <class T, class Convert>
int32_t GetConverted(ConfigFileReader& reader, const char* name, T& value, int32_t entry, int32_t index1,
                     int32_t index2, Convert convert)
{
    double v = 0.0;
    int32_t status = reader.GetDouble(name, v, entry, index1, index2);
    if (status == ConfigFileReader::kFound)
        value = convert(v);
    return status;
}

}  // namespace

// The key name: base, then the first index ("%i"), then "_" and the second when both are given.
String ConfigFileReader::MakeKeyName(const char* base, int32_t index1, int32_t index2)
{
    String key(base ? base : "");
    char number[32];
    if (index1 >= 0) {
        std::snprintf(number, sizeof number, "%i", index1);
        key += number;
        if (index2 >= 0) {
            std::snprintf(number, sizeof number, "_%i", index2);
            key += number;
        }
    }
    return key;
}

int32_t ConfigFileReader::GetDouble(const char* name, double& value, int32_t entry, int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetDouble(key.c_str(), value, -1, -1, -1) == kFound;
        }))
        return kFound;
    double found = 0.0;
    int32_t status = ReadOwnDouble(key, entry, found);
    if (status == kFound)
        value = found;
    return status;
}

int32_t ConfigFileReader::GetFloat(const char* name, float& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2, ToFloat);
}

int32_t ConfigFileReader::GetInt(const char* name, int32_t& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2, TruncToInt32);
}

int32_t ConfigFileReader::GetUInt(const char* name, uint32_t& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2,
                        [](double v) { return uint32_t(uint64_t(TruncToInt64(v))); });  // -1 gives 4294967295
}

int32_t ConfigFileReader::GetShort(const char* name, int16_t& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2,
                        [](double v) { return int16_t(uint16_t(uint64_t(TruncToInt64(v)))); });
}

int32_t ConfigFileReader::GetByte(const char* name, uint8_t& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2,
                        [](double v) { return uint8_t(uint64_t(TruncToInt64(v))); });
}

int32_t ConfigFileReader::GetBool(const char* name, bool& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2, [](double v) { return v != 0.0; });
}

int32_t ConfigFileReader::GetBoolRounded(const char* name, bool& value, int32_t entry, int32_t index1, int32_t index2)
{
    return GetConverted(*this, name, value, entry, index1, index2, [](double v) {
        return TruncToInt64(v >= 0.0 ? v + 0.5 : v - 0.5) != 0;  // half away from zero
    });
}

// ---- quoted texts ----

int32_t ConfigFileReader::GetValueText(const char* name, char* buffer, int32_t bufferSize, int32_t entry,
                                       int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetValueText(key.c_str(), buffer, bufferSize, -1, -1, -1) == kFound;
        }))
        return kFound;
    return ReadOwnText(key, entry, buffer, bufferSize);
}

int32_t ConfigFileReader::GetString(const char* name, String& value, int32_t entry, int32_t index1, int32_t index2)
{
    std::unique_ptr<char[]> buffer(new char[kStringSize]);
    int32_t status = GetValueText(name, buffer.get(), kStringSize, entry, index1, index2);
    if (status == kFound)
        value = buffer.get();
    return status;
}

// ---- lists ----

namespace {

// Up to count numbers separated by ","; what lies between a part and the next comma is ignored.
template <class T, class ReadNumber>
int32_t ReadNumberParts(const char* p, const char* end, T* out, int32_t count, ReadNumber readNumber)
{
    for (int32_t i = 0; i < count; ++i) {
        p = SkipBlanks(p, end);
        if (p >= end)
            return i;
        out[i] = readNumber(p, end);
        const char* comma = FindIn(p, end, ',');
        if (!comma)
            return i + 1;
        p = comma + 1;
    }
    return count;
}

// A closed quoted text at p (after blanks): true with the text and p just past the closing quote.
bool ReadQuotedPart(const char*& p, const char* end, String& text)
{
    p = SkipBlanks(p, end);
    if (p >= end || *p != '"')
        return false;
    const char* close = FindIn(p + 1, end, '"');
    if (!close)
        return false;
    text = String(p + 1, int32_t(close - p - 1));
    p = close + 1;
    return true;
}

}  // namespace

int32_t ConfigFileReader::ReadFloatParts(const char* p, const char* end, float* out, int32_t count)
{
    return ReadNumberParts(p, end, out, count,
                           [this](const char* at, const char* stop) { return ToFloat(ReadNumberAt(at, stop)); });
}

int32_t ConfigFileReader::GetFloatParts(const char* name, float* out, int32_t count, int32_t entry, int32_t index1,
                                        int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetFloatParts(key.c_str(), out, count, -1, -1, -1) == kFound;
        }))
        return kFound;
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateList(key, entry, p, end);
    if (status != kFound)
        return status;
    return ReadFloatParts(p, end, out, count) == count ? kFound : kMissing;
}

int32_t ConfigFileReader::GetVector3(const char* name, float* xyz, int32_t entry, int32_t index1, int32_t index2)
{
    return GetFloatParts(name, xyz, 3, entry, index1, index2);
}

int32_t ConfigFileReader::GetFloatPair(const char* name, float* pair, int32_t entry, int32_t index1, int32_t index2)
{
    return GetFloatParts(name, pair, 2, entry, index1, index2);
}

int32_t ConfigFileReader::GetIntPair(const char* name, int32_t* pair, int32_t entry, int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetIntPair(key.c_str(), pair, -1, -1, -1) == kFound;
        }))
        return kFound;
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateList(key, entry, p, end);
    if (status != kFound)
        return status;
    int32_t read = ReadNumberParts(p, end, pair, 2, [this](const char* at, const char* stop) {
        return TruncToInt32(ReadNumberAt(at, stop));
    });
    return read == 2 ? kFound : kMissing;
}

int32_t ConfigFileReader::GetFloatTextFloat(const char* name, float& first, String& text, float& second,
                                            int32_t entry, int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetFloatTextFloat(key.c_str(), first, text, second, -1, -1, -1) == kFound;
        }))
        return kFound;
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateList(key, entry, p, end);
    if (status != kFound)
        return status;
    if (p >= end)
        return kMissing;
    first = ToFloat(ReadNumberAt(p, end));
    const char* comma = FindIn(p, end, ',');
    if (!comma)
        return kMissing;
    p = comma + 1;
    if (!ReadQuotedPart(p, end, text))
        return kMissing;
    comma = FindIn(p, end, ',');
    if (!comma)
        return kMissing;
    p = SkipBlanks(comma + 1, end);
    if (p >= end)
        return kMissing;
    second = ToFloat(ReadNumberAt(p, end));
    return kFound;
}

int32_t ConfigFileReader::GetTextAndVector3(const char* name, String& text, float* xyz, int32_t entry,
                                            int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.GetTextAndVector3(key.c_str(), text, xyz, -1, -1, -1) == kFound;
        }))
        return kFound;
    const char* p = nullptr;
    const char* end = nullptr;
    int32_t status = LocateList(key, entry, p, end);
    if (status != kFound)
        return status;
    if (!ReadQuotedPart(p, end, text))
        return kMissing;
    const char* comma = FindIn(p, end, ',');
    if (!comma)
        return kMissing;
    return ReadFloatParts(comma + 1, end, xyz, 3) == 3 ? kFound : kMissing;
}

int32_t ConfigFileReader::GetFloatList(const char* name, float* values, int32_t capacity, int32_t entry,
                                       int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    int32_t count = 0;
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            count = linked.GetFloatList(key.c_str(), values, capacity, -1, -1, -1);
            return count > 0;
        }))
        return count;
    const char* p = nullptr;
    const char* end = nullptr;
    if (!values || LocateList(key, entry, p, end) != kFound)
        return 0;
    return ReadFloatParts(p, end, values, std::max(capacity, 0));
}

int32_t ConfigFileReader::GetTextList(const char* name, String* texts, int32_t maxCount, int32_t entry,
                                      int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    int32_t count = 0;
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            count = linked.GetTextList(key.c_str(), texts, maxCount, -1, -1, -1);
            return count > 0;
        }))
        return count;
    const char* p = nullptr;
    const char* end = nullptr;
    if (!texts || LocateList(key, entry, p, end) != kFound)
        return 0;
    count = 0;
    while (count < maxCount) {
        p = SkipBlanks(p, end);
        if (p >= end)
            break;
        if (!ReadQuotedPart(p, end, texts[count]))
            return 1;
        ++count;
        const char* comma = FindIn(p, end, ',');
        if (!comma)
            break;
        p = comma + 1;
    }
    return count;
}

// ---- setters ----

int32_t ConfigFileReader::InsertKeyLine(int32_t entry, const char* text)
{
    if (entry < 0 || entry + 1 >= m_EntryCount)
        return InsertLine(-1, text);
    return InsertLine(m_Entries[size_t(entry) + 1].firstLine, text);  // the end of this entry
}

int32_t ConfigFileReader::ReplaceIntValue(const String& key, int32_t value, int32_t line)
{
    int32_t length = 0;
    const char* text = LineText(line, length);
    int32_t offset = FindKeyInLine(line, key.c_str());
    if (!text || offset < 0)
        return kMissing;
    const char* end = text + length;
    const char* p = SkipSeparators(text + offset + key.TextLength(), end);
    if (p >= end)
        return kMissing;
    int32_t run = 0;
    while (p + run < end && run < 31 && IsNumberChar(p[run]))
        ++run;
    char number[32];
    std::snprintf(number, sizeof number, "%i", value);
    ReplaceInLine(line, int32_t(p - text), run, number);
    return kFound;
}

int32_t ConfigFileReader::ReplacePairValue(const String& key, int32_t first, int32_t second, int32_t line)
{
    const int32_t values[2] = {first, second};
    const char separators[2] = {'=', ','};
    int32_t position = 0;
    int32_t length = 0;
    const char* text = LineText(line, length);
    int32_t offset = FindKeyInLine(line, key.c_str());
    if (!text || offset < 0)
        return kMissing;
    position = offset + key.TextLength();
    for (int32_t i = 0; i < 2; ++i) {
        text = LineText(line, length);  // the line moved with the first replacement
        const char* end = text + length;
        const char* separator = FindIn(text + position, end, separators[i]);
        if (!separator)
            return kMissing;
        const char* p = SkipBlanks(separator + 1, end);
        int32_t run = 0;
        while (p + run < end && run < 31 && IsNumberChar(p[run]))
            ++run;
        char number[32];
        int32_t written = std::snprintf(number, sizeof number, "%i", values[i]);
        ReplaceInLine(line, int32_t(p - text), run, number);
        position = int32_t(p - text) + written;
    }
    return kFound;
}

int32_t ConfigFileReader::SetInt(const char* name, int32_t value, int32_t entry, int32_t index1, int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.SetInt(key.c_str(), value, -1, -1, -1) == kFound;
        }))
        return kFound;
    int32_t line = -1;
    int32_t status = FindOwnKeyLine(key, entry, line);
    if (status == kBadEntry)
        return kBadEntry;
    if (status == kFound)
        return ReplaceIntValue(key, value, line);
    String text;
    text.Format("%s=%i", key.c_str(), value);
    return InsertKeyLine(entry, text.c_str());
}

int32_t ConfigFileReader::SetIntPair(const char* name, int32_t first, int32_t second, int32_t entry, int32_t index1,
                                     int32_t index2)
{
    String key = MakeKeyName(name, index1, index2);
    if (AskLinkedReader([&](ConfigFileReader& linked) {
            return linked.SetIntPair(key.c_str(), first, second, -1, -1, -1) == kFound;
        }))
        return kFound;
    int32_t line = -1;
    int32_t status = FindOwnKeyLine(key, entry, line);
    if (status == kBadEntry)
        return kBadEntry;
    if (status == kFound)
        return ReplacePairValue(key, first, second, line);
    String text;
    text.Format("%s=%i,%i", key.c_str(), first, second);
    return InsertKeyLine(entry, text.c_str());
}
