// SciFiGameCtrl: the reset of a game: the engine's per-game values, the game-wide script values,
// the skills' learned states and the skill slots.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/save/ScriptVariablesGame.h"

void SciFiGameCtrl::ResetGameState()
{
    GameServer::ResetGameState();
    ScriptVariablesGame(*this).Reset(1);
    // Every skill: a skill learned in the last game would otherwise stay learned in the next.
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        skill->learned = skill->learnedConfigured;
    ResetSkillSlots();
}

void SciFiGameCtrl::ResetSkillSlots()
{
    for (int32_t kind = SkillTreeEntry::kKindActive; kind <= SkillTreeEntry::kKindDefensive; ++kind)
        SetSkillButton(kind, nullptr);  // none: the kind's placeholder
    AssignDefaultSkillButtons();
}
