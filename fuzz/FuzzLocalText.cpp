// FuzzLocalText: arbitrary text through the localisation lookups on a copy of the sample game's
// database, and through the UTF-8 and UTF-16 conversions. The first byte picks: a lookup of the
// references inside a text, one whole-text translation, a keyed query through a one-part and a
// two-part template, or a conversion, which must give back the input when it accepts it. Texts
// that begin with "SELECT" are not translated: the game's data writes those queries, and any SQL
// runs as it stands.
#include "FuzzTarget.h"

#include "base/LocalText.h"
#include "base/String.h"
#include "base/Utf8.h"
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace {

class Database {
public:
    Database()
    {
        const std::filesystem::path from =
            std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata" / "lang" / "english" / "localisation.db";
        std::filesystem::copy_file(from, m_Dir.Path() / "localisation.db");
        if (!m_Texts.Open(m_Dir("localisation.db").c_str()))
            Fuzz::Finding("the sample game's database does not open");
    }
    LocalText& Texts() { return m_Texts; }

private:
    TempDir m_Dir;
    LocalText m_Texts;
};

void Utf8RoundTrip(const std::string& text)
{
    wString wide;
    if (!Utf8::ToUtf16(text.data(), text.size(), wide))
        return;
    String back;
    if (!Utf8::FromUtf16(wide.c_str(), size_t(wide.GetLength()), back))
        Fuzz::Finding("UTF-16 made from UTF-8 does not convert back");
    if (size_t(back.GetLength()) != text.size() || std::memcmp(back.c_str(), text.data(), text.size()) != 0)
        Fuzz::Finding("UTF-8 converted to UTF-16 and back differs");
}

void Utf16RoundTrip(const uint8_t* data, size_t size)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < size && (data[i] | data[i + 1]) != 0; i += 2)  // up to a 0 unit
        units.push_back(char16_t(data[i] | (data[i + 1] << 8)));
    String narrow;
    if (!Utf8::FromUtf16(units.data(), units.size(), narrow))
        return;
    wString back;
    if (!Utf8::ToUtf16(narrow.c_str(), size_t(narrow.GetLength()), back))
        Fuzz::Finding("UTF-8 made from UTF-16 does not convert back");
    if (back.GetLength() != int32_t(units.size()) ||
        std::u16string(back.c_str(), size_t(back.GetLength())) != units)
        Fuzz::Finding("UTF-16 converted to UTF-8 and back differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > (1 << 14))
        return 0;
    static Database* database = new Database;
    LocalText& texts = database->Texts();
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = bytes.c_str();  // as far as a C text goes
    DBRows rows;
    switch (data[0] % 5) {
    case 0:
        texts.Lookup(text.c_str());
        break;
    case 1: {
        if (String(text.c_str()).StartsWithNoCase("SELECT"))
            break;
        wString out;
        texts.Translate(text.c_str(), out);
        break;
    }
    case 2:
        texts.Query(text.c_str(), rows, "SELECT content FROM Items WHERE id='%s'");
        texts.QueryWithTemplate(text.c_str(), rows, "SELECT content FROM Quests WHERE id='%s' AND value=%s");
        break;
    case 3:
        Utf8RoundTrip(text);
        break;
    default:
        Utf16RoundTrip(data + 1, size - 1);
        break;
    }
    return 0;
}
