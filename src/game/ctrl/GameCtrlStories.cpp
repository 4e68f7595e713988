// GameCtrl: the stories of "cfg\stories.cfg" with their values and quests, and the scripts'
// SetStory and GetStory with the quest events and the autosave request they raise.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/LocalText.h"
#include "base/Log.h"

#include <cerrno>
#include <cstdlib>

namespace {

const char* const kStoriesFile = "cfg\\stories.cfg";
const char* const kQuestQuery = "SELECT content, info FROM Quests WHERE id='%s' AND value=%s";

// The tokens of a value or quest line after its keyword. Blanks, "=" and "," part them; a text
// ends at its closing quote on the same line.
class LineTokens {
public:
    explicit LineTokens(const char* p) : m_P(p) {}

    bool ReadInt(int32_t& value)
    {
        SkipSeparators();
        char* end = nullptr;
        errno = 0;
        const long number = std::strtol(m_P, &end, 10);
        if (end == m_P || errno == ERANGE || number < INT32_MIN || number > INT32_MAX)
            return false;
        m_P = end;
        value = int32_t(number);
        return true;
    }

    bool ReadQuoted(String& text)
    {
        SkipSeparators();
        if (*m_P != '"')
            return false;
        const char* end = m_P + 1;
        while (*end && *end != '"')
            ++end;
        if (*end != '"')
            return false;
        text = String(m_P + 1, int32_t(end - m_P - 1));
        m_P = end + 1;
        return true;
    }

private:
    void SkipSeparators()
    {
        while (*m_P == ' ' || *m_P == '\t' || *m_P == '=' || *m_P == ',')
            ++m_P;
    }

    const char* m_P;
};

}  // namespace

// Entries begin at "#" lines; their value and quest lines are read in file order. Every fault is
// an error that ends the load and leaves no story behind.
void GameCtrl::LoadStories()
{
    m_Stories.Clear();
    if (!File::Exists(kStoriesFile))
        return;  // a game without stories
    m_StoryReader.SetDescKey("desc");
    if (m_StoryReader.Load(kStoriesFile) != 0)
        Error("%s", m_StoryReader.GetErrorText());
    if (m_StoryReader.GetNumEntries() == 0)
        return;
    try {
        int32_t entry = -1;
        StoryVariable* story = nullptr;
        for (int32_t line = 0; line < m_StoryReader.GetLineCount(); ++line) {
            if (m_StoryReader.FindKeyInLine(line, "#") >= 0) {
                if (++entry >= m_StoryReader.GetNumEntries())
                    break;  // the reader found fewer entries than "#" lines: none to read
                String name;
                m_StoryReader.GetString("desc", name, entry);
                if (name.IsEmpty())
                    Error("No valid desc entry in story.cfg, entry:%i", entry);
                story = m_Stories.Insert(name);
                if (!story)
                    Error("Story entry '%s' not unique", name.c_str());
                story->name = name;
                m_StoryReader.GetString("levelID", story->levelID, entry);
                continue;
            }
            if (!story)
                continue;  // before the first entry there is no story to add to
            const int32_t lineNumber = line + 1;
            int32_t at = m_StoryReader.FindKeyInLine(line, "value");
            if (at >= 0) {
                LineTokens tokens(m_StoryReader.GetLine(line) + at + 5);
                StoryVariableEntry value;
                if (!tokens.ReadInt(value.value) || !tokens.ReadQuoted(value.text))
                    Error("Invalid 'value' entry in stories.cfg at line %i", lineNumber);
                *story->values.GetBySlot(story->values.Add()) = value;
                continue;
            }
            int32_t keywordLength = 8;
            at = m_StoryReader.FindKeyInLine(line, "questend");
            if (at < 0) {
                keywordLength = 5;
                at = m_StoryReader.FindKeyInLine(line, "quest");
            }
            if (at < 0)
                continue;
            ReadQuestLine(*story, m_StoryReader.GetLine(line) + at + keywordLength, keywordLength == 8, lineNumber);
        }
        for (StoryVariable* each = (m_Stories.ResetWalk(), m_Stories.GetNext()); each; each = m_Stories.GetNext())
            each->quests.Sort();
    } catch (...) {
        m_Stories.Clear();
        throw;
    }
    Log::Write("Stories loaded");
}

// The quest's texts come from the database's Quests row of its id and value; without one, from
// the localised text of the next quoted string on the line.
void GameCtrl::ReadQuestLine(StoryVariable& story, const char* rest, bool questEnd, int32_t lineNumber)
{
    LineTokens tokens(rest);
    QuestInfo quest;
    String id;
    if (!tokens.ReadInt(quest.value) || !tokens.ReadQuoted(id))
        Error("Invalid 'quest' entry in stories.cfg at line %i", lineNumber);
    quest.questEnd = questEnd ? 1 : 0;
    quest.id = wString(id.c_str());
    quest.textRef = id.IsEmpty() ? 0 : 1;
    LocalText& texts = LocalText::Get();
    bool fromDatabase = false;
    if (texts.IsOpen() && !id.IsEmpty()) {
        String parts[2] = {id, String()};
        parts[1].Format("%i", quest.value);
        DBRows rows;
        if (texts.QueryWithParts(kQuestQuery, parts, 2, rows) == 1) {
            fromDatabase = true;
            for (int32_t slot = rows.NextUsedSlot(-1); slot >= 0; slot = rows.NextUsedSlot(slot)) {
                const DBEntry* column = rows.GetBySlot(slot);
                if (column && column->name.EqualsNoCase("content"))
                    quest.content = column->text;
                else if (column && column->name.EqualsNoCase("info"))
                    quest.info = column->text;
            }
        }
    }
    if (!fromDatabase) {
        String info;
        if (!tokens.ReadQuoted(info))
            Error("Missing quest-info in stories.cfg at line %i\n(maybe invalid DB entry)", lineNumber);
        quest.content = texts.Lookup(info.c_str());
    }
    for (String extra; tokens.ReadQuoted(extra);)
        quest.extraStrings.push_back(wString(extra.c_str()));
    *story.quests.GetBySlot(story.quests.Add()) = quest;
}

int32_t GameCtrl::SetStory(const char* name, int32_t value)
{
    StoryVariable* story = name && *name ? m_Stories.Find(name) : nullptr;
    if (!story) {
        ScriptError("Story '%s' undefined", name ? name : "");
        return 0;
    }
    if (!story->IsDefinedValue(value)) {
        ScriptError("Undefined value for story '%s': %i", name, value);
        return 0;
    }
    bool wasSolved = false;
    bool solved = false;
    const int32_t before = story->GetQuestStage(true, wasSolved);
    story->SetValue(value);
    const int32_t after = story->GetQuestStage(true, solved);
    if (after == before)
        return 1;
    const char* event = before == -1 ? "QuestReceived" : solved ? "QuestSolved" : "QuestUpdated";
    PlayWorldSound(event);
    m_World.ShowTextMessageByKey(3.0f, wString(event));
    if (m_Settings.testChar != 1)
        RequestAutoSave(0);  // a quest step is a good moment to keep the game
    UpdateMiniMap();
    return 1;
}

int32_t GameCtrl::GetStory(const char* name)
{
    StoryVariable* story = name && *name ? m_Stories.Find(name) : nullptr;
    if (!story) {
        ScriptError("Story '%s' undefined", name ? name : "");
        return -1;
    }
    return story->GetValue();
}
