// SciFiGameServer: construction, entering the game state, the game reset, the rules key, saves,
// the server's script functions and the multiplayer checkpoint.
#include "server/SciFiGameServer.h"

#include "base/ConfigFileReader.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "platform/FileSystem.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "script/ScriptValue.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cstring>

namespace {

const char* const kCheckpointScriptKey = "onMuliplayerCheckpointLoad";  // the key's spelling is the game's

}  // namespace

SciFiGameServer::SciFiGameServer() = default;  // the rules' class name stays in its reports

SciFiGameServer::~SciFiGameServer() = default;

int32_t SciFiGameServer::EnterGameState()
{
    DeleteInputCtrls();
    AddInputCtrl(new SciFiInputCtrl, kInputAI);
    Log::Write("AI Input created");
    if (m_LocalHero)  // after the AI's input, so that the level start makes its hero
        AddInputCtrl(new SciFiInputCtrl, kInputLocal);
    RequestQuickLoad(0);
    // The save folders change the directory and set it back; a start finds the game's files from
    // the directory the server was started in.
    if (!Platform::SetCurrentDir(String(GetStartDirectory()).c_str()))
        Log::Write("Start directory '%s' not entered", String(GetStartDirectory()).c_str());
    LoadSkills();  // before the game: the players' characters are built with them
    // The load finds no character of the server's own and starts a new game at the level made
    // current here.
    SetLevelDescFile(GetStartLevel().c_str());
    return LoadGame(-1, 0, 0);
}

void SciFiGameServer::ResetGameState()
{
    SciFiGameCtrl::ResetGameState();
    m_Checkpoint = nullptr;
    m_CheckpointOrder = 0;
}

void SciFiGameServer::AttachCreatureToInput(CreatureObj* creature, int32_t number)
{
    SciFiGameCtrl::AttachCreatureToInput(creature, number);
    SciFiInputCtrl* input = PlayerInputOf(creature);
    if (!input)
        return;
    // A player's input drives its one creature: the control step reads the controlled one.
    if (input->GetControlledObject() == nullptr)
        input->SetControlledObject(input->FindObject(creature));
    input->ClearMoveOrder();
    input->ClearAttackOrder();
}

void SciFiGameServer::LoadGameRules(ConfigFileReader& reader)
{
    SciFiGameCtrl::LoadGameRules(reader);
    if (!ConfigFileReader::Found(reader.GetString(kCheckpointScriptKey, m_CheckpointScript)))
        m_CheckpointScript = String();
}

int32_t SciFiGameServer::SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name)
{
    if (!IsListening())
        SciFiGameCtrl::SaveGame(slot, levelName, a, b, name);
    return 1;  // the players' machines keep the saves of a served game
}

CreatureObj* SciFiGameServer::GetMainChar() { return GameServer::GetMainChar(); }

bool SciFiGameServer::CanRevive(WorldElem* element)
{
    auto* creature = element && element->IsCreature() ? dynamic_cast<CreatureObj*>(element) : nullptr;
    return IsListening() && creature && creature->IsDead();
}

SciFiInputCtrl* SciFiGameServer::PlayerInputOf(CreatureObj* creature)
{
    return creature ? dynamic_cast<SciFiInputCtrl*>(creature->m_InputCtrl) : nullptr;
}

// ---- script functions ----

void SciFiGameServer::ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments,
                                            int32_t count, int32_t fromNetwork)
{
    // The slot is the name's fourth letter: 'A'ctive, 'O'ffensive, 'D'efensive.
    static const struct {
        const char* name;
        int32_t slot;
    } kSkillFunctions[] = {{"GetActiveSkill", 1}, {"GetOffensiveSkill", 2}, {"GetDefensiveSkill", 3}};
    for (const auto& function : kSkillFunctions)
        if (std::strcmp(name, function.name) == 0) {
            AnswerSkillFunction(result, function.slot, arguments, count);
            return;
        }
    if (std::strcmp(name, "ActivateCheckpoint") == 0) {
        ActivateCheckpoint(result, name, arguments, count);
        return;
    }
    SciFiGameCtrl::ExecuteScriptFunction(result, name, arguments, count, fromNetwork);
}

// With an argument the creature is the element of that object ID, else the main character; the
// slot's skill as stored, a "NoSkill" placeholder counting as none.
void SciFiGameServer::AnswerSkillFunction(ScriptValue& result, int32_t slot, ScriptValue* arguments, int32_t count)
{
    result.SetString("");
    CreatureObj* creature = nullptr;
    if (count >= 1) {
        WorldElem* elem = m_World.GetObjNoCheck(arguments[0].GetIntView(), false);
        creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    } else {
        creature = GetMainChar();
    }
    SciFiInputCtrl* input = PlayerInputOf(creature);
    if (SkillTreeEntry* skill = input ? input->GetSkillSlot(slot, false, false) : nullptr)
        result.SetString(skill->name);
}

void SciFiGameServer::ActivateCheckpoint(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count)
{
    result.SetVoid();
    if (count != 2) {
        ScriptError("Invalid arguments in function %s", name);
        return;
    }
    SetCheckpoint(m_World.GetObjNoCheck(arguments[0].GetIntView(), false), arguments[1].GetIntView());
}

void SciFiGameServer::SetCheckpoint(WorldElem* element, int32_t order)
{
    if (!element || order < m_CheckpointOrder)
        return;  // ties replace
    m_Checkpoint = element;
    m_CheckpointOrder = order;
}
