// GameCtrl: the item lists of a level's item list file (its "TreasureList"), walked character by
// character beside the configuration reader that counts them.
#include "game/ctrl/GameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/TextDataFileReader.h"

#include <cstdint>
#include <memory>
#include <vector>

bool GameCtrl::ReadProbabilityToken(TextDataFileReader& reader, float& value)
{
    if (reader.SkipBlanks() != 0)
        return false;
    const char c = reader.PeekChar();
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');  // a constant name
    if (!letter && !TextFileReaderBase::IsNumberChar(c))
        return false;  // the next name, the next list or a comment
    return reader.ReadFloatToken(value) == 0;
}

void GameCtrl::FreeItemLists()
{
    m_ItemLists.reset();
    m_NumItemLists = 0;
}

// Layout: '#' at the start of a line (after blanks) opens the next list, as the configuration
// reader counts entries; text before the first is skipped. ';' runs to the end of the line. An
// item is a quoted item name (at most 127 characters) and its probability (a number or a
// constant name). Every other character is passed over: a '#' inside a line opens nothing.
void GameCtrl::LoadItemLists(const char* fileName)
{
    FreeItemLists();
    ConfigFileReader counter;
    counter.SetConstantTable(&m_Constants);
    if (counter.Load(fileName) != 0)
        Error("%s", counter.GetErrorText());
    const int32_t count = counter.GetNumEntries();
    if (count <= 0)
        Error("No valid list! %s", fileName);

    // The walk reads the counter's own text, so that an offset names the same list in both.
    std::vector<int32_t> starts(size_t(count), 0);
    for (int32_t i = 0; i < count; ++i)
        starts[size_t(i)] = counter.GetEntryTextOffset(i);
    TextDataFileReader text;
    text.SetConstantTable(&m_Constants);
    text.OpenBytes(fileName, std::vector<char>(counter.GetText(), counter.GetText() + counter.GetTextLength()));

    auto lists = std::make_unique<ItemList[]>(size_t(count));  // reachable only once read whole
    int32_t list = 0;
    text.SetFilePos(starts[0]);
    while (!text.IsEndOfFile()) {
        const int32_t at = text.GetFilePos();
        const char c = text.PeekChar();
        if (c == ';') {
            while (!text.IsEndOfFile() && text.PeekChar() != '\r' && text.PeekChar() != '\n')
                text.ReadChar();
            continue;
        }
        if (c != '"') {
            text.ReadChar();
            continue;
        }
        while (list + 1 < count && starts[size_t(list) + 1] <= at)
            ++list;
        char name[TextDataFileReader::kTokenSize];
        try {
            if (text.ReadQuotedText(name) != 0)
                break;  // not closed before the end of the file
        } catch (const ErrorMsg&) {
            // The reader reported the name as too long; the walk goes on behind it.
            text.SetFilePos(at + 1);
            text.FindChar('"', false);
            continue;
        }
        if (FindItemTypeIndex(name) < 0)
            Error("Unknown item '%s' in itemlist", name);
        float probability = 0.0f;
        if (!ReadProbabilityToken(text, probability))
            Error("Missing probability entry for obj %s", name);
        lists[size_t(list)].AddEntry(probability, String(name));
    }
    m_ItemLists = std::move(lists);
    m_NumItemLists = count;
}

ItemList* GameCtrl::GetItemList(int32_t index)
{
    return index >= 0 && index < m_NumItemLists ? &m_ItemLists[size_t(index)] : nullptr;
}
