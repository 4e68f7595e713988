// GameCtrl: the readers with which the game data bind values to game functions, the character
// entries with their classes, indexed name lists and visual effect lists.
#include "game/ctrl/GameCtrl.h"

#include "world/TransformableAttribute.h"

#include <cstring>
#include <string>

namespace {

// "<key>_func": the key of a value's function names.
String FunctionKey(const char* key) { return String(key) + "_func"; }

}  // namespace

GameFunction* GameCtrl::FindGameFunction(const char* name)
{
    if (!name || !*name)
        return nullptr;
    return m_Functions.Find(name);
}

bool GameCtrl::FindGameFunction(ConfigFileReader& reader, GameFunction& function, const char* key, int32_t entry)
{
    String name;
    if (reader.GetString(key, name, entry) != ConfigFileReader::kFound || name.IsEmpty())
        return false;
    const GameFunction* found = FindGameFunction(name.c_str());
    if (!found) {
        Warning("unknown game function '%s'", name.c_str());
        return false;
    }
    function = *found;
    return true;
}

bool GameCtrl::FindAttributeFunction(ConfigFileReader& reader, TransformableAttribute& attribute, const char* key,
                                     int32_t entry)
{
    bool read = reader.GetFloat(key, attribute.value, entry) == ConfigFileReader::kFound;
    String name;
    if (reader.GetString(FunctionKey(key).c_str(), name, entry) == ConfigFileReader::kFound && !name.IsEmpty()) {
        if (FindGameFunction(name.c_str())) {
            attribute.functionName = name;
            read = true;
        } else {
            Warning("unknown attribute function '%s'", name.c_str());
        }
    }
    return read;
}

// "key = min, max" and "<key>_func = \"f\", \"g\"": a name stands for the value at its place.
bool GameCtrl::FindAttributeFunctionPair(ConfigFileReader& reader, AttributePair& pair, const char* key,
                                         int32_t entry)
{
    float values[2] = {0.0f, 0.0f};
    bool read = reader.GetFloatPair(key, values, entry) == ConfigFileReader::kFound;
    if (read)
        for (int32_t i = 0; i < 2; ++i)
            pair.attributes[i].value = values[i];
    String names[2];
    const int32_t count = reader.GetTextList(FunctionKey(key).c_str(), names, 2, entry);
    for (int32_t i = 0; i < count && i < 2; ++i) {
        if (names[i].IsEmpty())
            continue;
        if (FindGameFunction(names[i].c_str())) {
            pair.attributes[i].functionName = names[i];
            read = true;
        } else {
            Warning("unknown attribute function '%s'", names[i].c_str());
        }
    }
    return read;
}

// A configuration without an entry of its own reads the key over the whole file.
void GameCtrl::LoadCharacterClasses()
{
    for (CharacterEntry& character : m_CharacterEntries) {
        const int32_t entry = m_CreatureReader.FindEntryByDesc(character.configID.c_str());
        int32_t characterClass = 0;
        m_CreatureReader.GetInt("CharacterClass", characterClass, entry);
        character.characterClass = characterClass;
    }
}

bool GameCtrl::GetPlayerConfigID(int32_t player, String& id)
{
    (void)player;
    (void)id;
    return false;
}

CharacterEntry GameCtrl::GetPlayerCharacterEntry(int32_t player)
{
    String id;
    if (!GetPlayerConfigID(player, id))
        id = m_PlayerCharacterID;
    for (const CharacterEntry& character : m_CharacterEntries)
        if (character.configID == id)
            return character;
    CharacterEntry none;
    none.configID = id;
    return none;
}

// A gap at the plain key or at index 0 is passed over; the first gap after that ends the list.
void GameCtrl::ReadNameList(const char* key, NameList& list, ConfigFileReader& reader, int32_t entry)
{
    for (int32_t index = -1;; ++index) {
        String name;
        if (reader.GetString(key, name, entry, index) != ConfigFileReader::kFound) {
            if (index >= 1)
                return;
            continue;
        }
        if (name.IsEmpty())
            continue;
        list.GetBySlot(list.Add())->name = name;
    }
}

// Keys are found by their place in the entry's lines: a key name ends at a blank or "=".
void GameCtrl::ReadVisualEffectList(const char* prefix, DynaMem<VisualEffectIntern, 4>& list, ConfigFileReader& reader,
                                    int32_t entry)
{
    list.DeleteAll();
    const int32_t first = reader.GetEntryFirstLine(entry);
    if (first < 0 || !prefix || !*prefix)
        return;
    const size_t prefixLength = std::strlen(prefix);
    const int32_t end = first + reader.GetEntryLineCount(entry);
    for (int32_t line = first + 1; line < end; ++line) {
        const char* text = reader.GetLine(line);
        if (!text)
            continue;
        while (*text == ' ' || *text == '\t')
            ++text;
        if (String::CompareNNoCase(text, prefix, int32_t(prefixLength)) != 0)
            continue;
        size_t length = prefixLength;
        while (text[length] && text[length] != ' ' && text[length] != '\t' && text[length] != '=')
            ++length;
        const std::string key(text, length);
        VisualEffectIntern* effect = list.GetBySlot(list.Add());
        effect->name = key.c_str() + prefixLength;
        reader.GetString(key.c_str(), effect->value, entry);
    }
}
