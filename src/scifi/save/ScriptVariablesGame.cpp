// ScriptVariablesGame: the game-wide script variables' record of "game.sv".
//
//   256 x (f32 "fTmp"[i], i32 "iTmp"[i])   interleaved, i = 0 .. 255
//   32 x String "sTmp"[i]                  i32 length, the characters; the other 224 are not kept
//   i32 story count N
//   N x (String name, i32 value)           in the walk order of the story index
//   the game's script scope                as VariableStack::Save writes it
#include "scifi/save/ScriptVariablesGame.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "game/ctrl/GameCtrl.h"
#include "script/VariableStack.h"

namespace {

constexpr int64_t kLeastStoryBytes = 8;  // an empty name's length and the value

// The story index keys a name by its first character, which must lie in 32 .. 127.
bool IsStoryName(const String& name)
{
    const int32_t c = name.IsEmpty() ? 0 : static_cast<signed char>(name[0]);
    return c >= 32 && c < 128;
}

}  // namespace

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

void ScriptVariablesGame::ReadStoryBlock(File& file, Block& block)
{
    FileRecordReader in(file, "game variables cut short");
    for (int32_t i = 0; i < kTempSlots; ++i) {
        block.floats[i] = in.F32();
        block.ints[i] = in.I32();
    }
    for (String& text : block.texts)
        in.Text(text);
    const int32_t count = in.Count("Story", kLeastStoryBytes);
    block.stories.clear();
    block.stories.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        String name;
        in.Text(name);
        if (!IsStoryName(name))
            file.Error("story %i has no valid name", i);
        const int32_t value = in.I32();
        block.stories.emplace_back(std::move(name), value);
    }
    block.scopePosition = file.GetPos();
    VariableStack scratch;  // the record checked whole before the game's scope is touched
    scratch.Load(file, true);
}

void ScriptVariablesGame::Apply(const Block& block, File& file, bool clearScope)
{
    // What the block does not hold is a new game's: the other texts empty, the object variables
    // -1, the stories it does not name 0.
    Reset(clearScope ? 1 : 0);
    for (int32_t i = 0; i < kTempSlots; ++i) {
        *m_Ctrl.GetScriptTempFloat(i) = block.floats[i];
        *m_Ctrl.GetScriptTempInt(i) = block.ints[i];
    }
    for (int32_t i = 0; i < kSavedTexts; ++i)
        *m_Ctrl.GetObjScriptText(i) = block.texts[i];
    SearchTree<StoryVariable>& stories = m_Ctrl.GetStories();
    for (const auto& [name, value] : block.stories) {
        StoryVariable* story = stories.Find(name);
        if (!story) {
            m_Ctrl.Warning("Story '%s' in savegame removed in current game version", name.c_str());
            story = stories.Insert(name);
        }
        story->SetValue(value);
    }
    file.Seek(block.scopePosition);
    m_Ctrl.GetGameVariables().Load(file, false);
}
