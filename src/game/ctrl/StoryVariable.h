// StoryVariable: one story of "cfg\stories.cfg": a named value that scripts set, its defined
// values with their texts, and the quests tied to those values, which are the story's quest
// stages (the value at which a quest applies is the stage's threshold).
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>
#include <vector>

// A defined value of a story and its text.
struct StoryVariableEntry {
    int32_t value = 0;
    String text;
};

// A quest of a story: it applies from the story value on (a negative value never does). A
// questend quest is a solved stage; a quest with an id is shown to the player.
struct QuestInfo {
    int32_t value = 0;
    uint8_t questEnd = 0;
    int32_t textRef = 0;  // above 0: the stage is shown to the player
    wString id;
    wString content;
    wString info;
    std::vector<wString> extraStrings;

    bool operator<(const QuestInfo& other) const { return value < other.value; }
};

class StoryVariable {
public:
    StoryVariable() = default;
    StoryVariable(const StoryVariable& other) { *this = other; }
    StoryVariable& operator=(const StoryVariable& other);

    // Whether value is one of the story's defined values.
    bool IsDefinedValue(int32_t value) const;
    // The quest stage at the current value: the position (in quest order) of the last stage whose
    // threshold is reached, or -1 when none is; with shownOnly also -1 when no stage from there
    // on is shown to the player. solved tells whether the stage counts as solved: it is a
    // questend stage, or no later stage is still to be reached.
    int32_t GetQuestStage(bool shownOnly, bool& solved);

    int32_t GetValue() const { return m_Value; }
    void SetValue(int32_t value) { m_Value = value; }

    DynaMem<StoryVariableEntry, 16> values;
    DynaMemSort<QuestInfo, 8> quests;
    String levelID;
    String name;

private:
    int32_t m_Value = 0;
};
