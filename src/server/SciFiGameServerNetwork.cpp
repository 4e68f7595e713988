// SciFiGameServer: the players' commands and skill choices, the checkpoint load (0x4200), the
// dialogue answer (0x2500), the hit report (0x2200), the LAN announcement's record, object
// actions, the joining players' input controllers and places.
#include "server/SciFiGameServer.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "net/ServerInfoBlock.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "server/SciFiInputCtrl_server.h"
#include "world/DamageValues.h"
#include "world/ObjRef.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>

namespace Codec = PlayerCommandCodec;

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kFirstCheckpointAngle = -45.0f;  // degrees; each client record 45 further
constexpr float kAngleStep = 45.0f;
constexpr int32_t kAnswerToServer = 99999999;  // the dialogue's script number when its answer goes to a server

}  // namespace

// ---- the players' commands ----

// The codec has decoded and checked the unit; a refused one never gets here, and the next unit
// of the message is read from its own start.
void SciFiGameServer::ApplyPlayerCommand(GameClientInfo& client, const Codec::PlayerCommand& command)
{
    (void)client;  // the current client's record; its creature is looked up by slot
    if (command.id >= Codec::SkillSlotMessage(1) && command.id <= Codec::SkillSlotMessage(Codec::kSkillSlots)) {
        ChooseSkill(int32_t(command.kind), command.name);
        return;
    }
    auto* input = dynamic_cast<SciFiInputCtrl_server*>(PlayerInputOf(GetClientCreature(GetCurrentClient())));
    if (input)
        input->ReadMessage(command);
}

// An empty or unknown name empties the slot.
void SciFiGameServer::ChooseSkill(int32_t slot, const String& name)
{
    SkillTreeEntry* skill = name.IsEmpty() ? nullptr : FindSkill(name);
    if (SciFiInputCtrl* input = PlayerInputOf(GetClientCreature(GetCurrentClient())))
        input->SetSkillSlot(slot, skill, true);
}

// ---- checkpoint and dialogue ----

void SciFiGameServer::LoadCheckpoint(int32_t checkpoint)
{
    if (LogsTraffic(1))
        Log::Write("NetRec: load checkpoint:%i", checkpoint);
    SmartPtr<WorldElem> held(GetCheckpoint());  // the script may remove its element
    if (!m_CheckpointScript.IsEmpty()) {
        ScriptValue result;
        CallScript(result, m_CheckpointScript, 1, "OnMuliplayerCheckpointLoad", 1, nullptr, 255);
    }
    if (!held.Get())
        return;
    float angle = kFirstCheckpointAngle;
    for (int32_t i = 0; i < GetNumClients(); ++i, angle += kAngleStep) {
        const int32_t slot = GetClientSlot(i);
        CreatureObj* creature = GetClientCreature(slot);
        GameClientInfo* info = GetClient(slot);
        if (!creature || !info || !held.Get())
            continue;
        m_World.FindDropPosition(creature, held.Get(), kCheckpointDistance, angle * kDegreesToRadians);
        AttachCreatureToInput(creature, info->inputCtrlIndex);
        BeginScriptCreation();  // inside the bracket the change goes to every client
        OnObjectChanged(creature);
        EndScriptCreation();
    }
}

// Ends the dialogue: the speech stops, the waiting script goes on once; a dialogue whose answer
// goes to a server keeps its number only while that answer could not be sent on.
void SciFiGameServer::DialogAnswered(int32_t answer)
{
    if (LogsTraffic(1))
        Log::Write("NetRec: dialog answered %i", answer);
    m_World.StopSpeech();
    DialogGui& dialog = GetDialogWindow();
    const int32_t script = dialog.GetScriptID();
    if (script == kAnswerToServer) {
        if (!IsNetworkGame() || SendDialogAnswered(answer))
            dialog.SetScriptID(DialogGui::kNoScript);
    } else if (script >= 0) {
        dialog.SetScriptID(DialogGui::kNoScript);
        if (m_World.GetScriptModule(script))  // a peer's late answer must not end a script twice
            m_World.ReenterScript(script);
        else
            Warning("Client %i: dialogue answer for script %i, which no longer runs", GetCurrentClient(), script);
    }
}

// ---- the hit report ----

// 0x2200 to the client of the player whose creature was hit, alone, from state 9 on; one 96-byte
// unit (PlayerCommandCodec.h).
void SciFiGameServer::OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                                    const D3DXVECTOR2& source, int32_t tag)
{
    SciFiGameCtrl::OnCreatureHit(creature, damage, attacker, source, tag);
    if (!creature.IsCreature() || !IsListening())
        return;
    const int32_t slot = FindClientOfCreature(&creature);
    if (slot < 0)
        return;
    Codec::DamageReport report;
    report.damaged.Set(&creature);
    report.attacker.Set(attacker);  // none: (-1, -1)
    report.x = source.x;
    report.y = source.y;
    damage.FillImage(report.damage);
    const std::vector<uint8_t> unit = Codec::EncodeDamageReport(report);
    SetSendTarget(slot, kHitReportMinState);
    SendUnit(false, Codec::kMsgDamageReport, unit.data(), int32_t(unit.size()), false);
}

// ---- the LAN announcement, object actions, joining players ----

void SciFiGameServer::GetServerInfo(ServerInfoBlock& block) { GameServer::GetServerInfo(block); }

void SciFiGameServer::ObjectAction(WorldElem* elem, uint16_t action, float param)
{
    if (!elem || !elem->IsCreature() || action != kActionTurn || !std::isfinite(param))
        return;
    const D3DXVECTOR2 at = elem->GetPos();
    m_World.TurnToPoint(*elem, at.x + std::cos(param), at.y + std::sin(param), 0.0f);
}

int32_t SciFiGameServer::CreateClientInput() { return AddClientInputCtrl(new SciFiInputCtrl_server); }

void SciFiGameServer::PlaceJoiningCreature(CreatureObj* creature)
{
    if (!creature)
        return;
    WorldElem* target = GetCheckpoint();
    if (!target)
        target = GetStartingPos(0, "", false);
    // On the target itself when no free place is found around it.
    creature->SetPos(target->GetPos().x, target->GetPos().y);
    creature->SetAngle(target->GetOwnAngle());
    const int32_t index = FindClientOfCreature(creature);
    const float degrees = float((index + 1) % 3) * kAngleStep - kAngleStep;
    m_World.FindDropPosition(creature, target, kJoinDistance, degrees * kDegreesToRadians);
}
