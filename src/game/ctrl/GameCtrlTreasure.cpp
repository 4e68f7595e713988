// GameCtrl: the treasure lists of "cfg\treasure.cfg" with the file-wide might curves, read with the
// keyed getters and walked line by line for the treasure lines.
#include "game/ctrl/GameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/TextDataFileReader.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const char* SkipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// What follows the opening quote of an entry's desc that is not closed on its line.
String UnclosedDesc(ConfigFileReader& reader, int32_t entry)
{
    const char* line = reader.GetLine(reader.FindKeyLine("desc", entry));
    const char* open = line ? std::strchr(line, '"') : nullptr;
    return String(open ? open + 1 : "");
}

}  // namespace

int32_t GameCtrl::GetTreasureClass(const String& name)
{
    (void)name;
    return -1;
}

// Layout: entries begin with '#' (as the configuration reader finds them) and lines beginning with
// ';' are comments. File-wide: "MightProbFunct" and "MonsterLevelMightFunct" (key curves). An
// entry: desc = "name" (quoted on one line), TreasureGold = a, b [1, 0], TreasureGoldMight = a, b
// [0, 0], defaultMight = x [1], and treasure lines: a quoted treasure class or item name (at most
// 127 characters) and its probability (a number or a constant name). Treasure lines before the
// first entry belong to the first list; other lines are passed over.
void GameCtrl::LoadTreasureLists(const char* fileName)
{
    m_TreasureLists.Clear();
    ConfigFileReader reader;
    reader.SetConstantTable(&m_Constants);
    if (reader.Load(fileName) != 0)
        return;
    const int32_t count = reader.GetNumEntries();
    if (count <= 0)
        Error("No valid list! %s", fileName);

    try {
        m_MightProbFunct.SetNumKeys(0);
        m_MonsterLevelMightFunct.SetNumKeys(0);
        ReadBezierSpline1D(reader, "MightProbFunct", -1, m_MightProbFunct, "Treasure list");
        ReadBezierSpline1D(reader, "MonsterLevelMightFunct", -1, m_MonsterLevelMightFunct, "Treasure list");

        // Entry by entry as the reader numbers them; an entry's "#" line carries nothing else.
        const auto beginList = [&](int32_t entry) {
            String name;
            if (reader.GetString("desc", name, entry) == ConfigFileReader::kBadText)
                Error("Error loading treasure list entry '%s'", UnclosedDesc(reader, entry).c_str());
            if (entry > 0 && name.IsEmpty())
                Error("Invalid treasure list entry: %i", entry);
            TreasureList* list = m_TreasureLists.Insert(name);  // the tree refuses an empty name
            if (!list)
                Error("Treasure list '%s' not unique", name.c_str());
            list->name = name;
            reader.GetFloatPair("TreasureGold", list->gold, entry);
            reader.GetFloatPair("TreasureGoldMight", list->goldMight, entry);
            reader.GetFloat("defaultMight", list->defaultMight, entry);
            return list;
        };
        TreasureList* current = beginList(0);
        int32_t entry = 0;
        TextDataFileReader lineReader;
        lineReader.SetConstantTable(&m_Constants);
        for (int32_t line = 0; line < reader.GetLineCount(); ++line) {
            if (line == reader.GetEntryFirstLine(entry))
                continue;  // the first list is open already
            if (entry + 1 < count && line == reader.GetEntryFirstLine(entry + 1)) {
                current = beginList(++entry);
                continue;
            }
            const char* text = reader.GetLine(line);
            if (!text)
                continue;  // a line too long for the reader holds no key either
            const char* p = SkipBlanks(text);
            if (String::CompareNNoCase(p, "desc", 4) == 0) {
                const char* open = std::strchr(p, '"');
                if (!open || !std::strchr(open + 1, '"'))
                    Error("Error loading treasure list entry '%s'", current->name.c_str());
                continue;
            }
            if (*p != '"')
                continue;  // comments, the list's values and anything else

            lineReader.OpenBytes(fileName, std::vector<char>(p, p + std::strlen(p)));
            char name[TextDataFileReader::kTokenSize];
            lineReader.ReadQuotedText(name);  // an unclosed name runs to the end of the line
            const int32_t type = GetTreasureClass(String(name));
            if (type < 0 && FindItemTypeIndex(name) < 0)
                Error("Unknown treasure type '%s' in treasure list '%s'", name, current->name.c_str());
            float probability = 0.0f;
            if (!ReadProbabilityToken(lineReader, probability))
                Error("Missing probability entry for treasure entry '%s' in list '%s'", name,
                      current->name.c_str());
            TreasureListEntry& added = *current->entries.GetBySlot(current->entries.Add());
            added.probability = probability;
            added.type = type;
            added.name = name;
        }
    } catch (const ErrorMsg&) {
        m_TreasureLists.Clear();  // no half-read lists stay reachable
        throw;
    }
}
