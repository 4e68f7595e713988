// StoryVariable: the copy of a story and the quest-stage rule.
#include "game/ctrl/StoryVariable.h"

StoryVariable& StoryVariable::operator=(const StoryVariable& other)
{
    if (&other == this)
        return *this;
    values.CopyElementsFrom(other.values);
    quests.CopyElementsFrom(other.quests);
    quests.Sort();  // the copy is in slot order
    levelID = other.levelID;
    name = other.name;
    m_Value = other.m_Value;
    return *this;
}

bool StoryVariable::IsDefinedValue(int32_t value) const
{
    for (int32_t slot = values.NextUsedSlot(-1); slot >= 0; slot = values.NextUsedSlot(slot))
        if (const StoryVariableEntry* entry = values.GetBySlot(slot); entry && entry->value == value)
            return true;
    return false;
}

// Walked from the last stage back: the first one reached is the result; every stage passed on
// the way that can still be reached leaves the quest open.
int32_t StoryVariable::GetQuestStage(bool shownOnly, bool& solved)
{
    solved = true;
    bool shown = false;
    int32_t found = -1;
    for (int32_t position = quests.GetSize() - 1; position >= 0; --position) {
        const QuestInfo* stage = quests.GetAt(position);
        if (!stage)
            continue;
        if (stage->textRef > 0)
            shown = true;
        if (stage->value >= 0 && stage->value <= m_Value) {
            found = position;
            break;
        }
        if (stage->value >= 0)
            solved = false;
    }
    if (found < 0 || (shownOnly && !shown))
        return -1;
    if (quests.GetAt(found)->questEnd)
        solved = true;
    return found;
}
