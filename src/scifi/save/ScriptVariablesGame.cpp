// ScriptVariablesGame: the game-wide script variables' record of "game.sv".
//
//   256 x (f32 "fTmp"[i], i32 "iTmp"[i])   interleaved, i = 0 .. 255
//   32 x String "sTmp"[i]                  i32 length, the characters; the other 224 are not kept
//   i32 story count N
//   N x (String name, i32 value)           in the walk order of the story index
//   the game's script scope                as VariableStack::Save writes it
#include "scifi/save/ScriptVariablesGame.h"

#include "base/File.h"
#include "game/ctrl/GameCtrl.h"

void ScriptVariablesGame::Save(File& file)
{
    for (int32_t i = 0; i < GameCtrl::kScriptTempSlots; ++i) {
        file.WriteFloat(*m_Ctrl.GetScriptTempFloat(i));
        file.WriteInt32(*m_Ctrl.GetScriptTempInt(i));
    }
    for (int32_t i = 0; i < kSavedTexts; ++i)
        file.WriteString(*m_Ctrl.GetObjScriptText(i));

    SearchTree<StoryVariable>& stories = m_Ctrl.GetStories();
    int32_t count = 0;
    stories.ResetWalk();
    while (stories.GetNextRecord())
        ++count;
    file.WriteInt32(count);
    stories.ResetWalk();  // the walk starts at the first name whoever walked last
    while (auto* record = stories.GetNextRecord()) {
        file.WriteString(record->m_Key);
        file.WriteInt32(record->m_Data.GetValue());
    }
    m_Ctrl.GetGameVariables().Save(file);
}

void ScriptVariablesGame::Reset(uint8_t clearScope)
{
    for (int32_t i = 0; i < GameCtrl::kScriptTempSlots; ++i) {
        *m_Ctrl.GetScriptTempFloat(i) = 0.0f;
        *m_Ctrl.GetScriptTempInt(i) = 0;
    }
    for (int32_t i = 0; i < GameCtrl::kObjScriptVariables; ++i) {
        *m_Ctrl.GetObjScriptText(i) = String();
        m_Ctrl.SetObjScriptVariable(i, -1);
    }
    SearchTree<StoryVariable>& stories = m_Ctrl.GetStories();
    stories.ResetWalk();  // a walk left half done elsewhere would skip the first names
    while (StoryVariable* story = stories.GetNext())
        story->SetValue(0);
    if (clearScope)
        m_Ctrl.GetGameVariables().Clear();
}
