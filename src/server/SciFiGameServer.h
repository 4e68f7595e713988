// SciFiGameServer: the dedicated server's own layer of the game controller, the one controller of
// the running server. It keeps the multiplayer checkpoint and places the players' creatures
// around it, drives each player's creature through the player's own SciFiInputCtrl_server from
// the commands the player's game sends, answers the checkpoint-load and dialogue-answer
// messages, serves four script functions, reports hits to their player, fills the LAN
// announcement, saves nothing while it serves, and starts the game state with the AI's input.
// The implementation is split by role: SciFiGameServer.cpp (construction, the game state, the
// game reset, rules, saves, the script functions and the checkpoint) and
// SciFiGameServerNetwork.cpp (the players' commands and skill choices, the checkpoint load, the
// dialogue answer, the hit report, the server information, object actions and the joining
// creature's place).
#pragma once
#include "scifi/ctrl/SciFiGameCtrl.h"

#include <cstdint>

class SciFiInputCtrl;
class SciFiInputCtrl_server;

class SciFiGameServer : public SciFiGameCtrl {
public:
    static constexpr float kCheckpointDistance = 50.0f;  // players around a loaded checkpoint
    static constexpr float kJoinDistance = 20.0f;        // a joining player from the checkpoint or start
    static constexpr uint16_t kActionTurn = 256;         // object action: turn to the angle (radians)
    static constexpr int32_t kHitReportMinState = 9;     // the hit report reaches a synchronised client

    SciFiGameServer();
    ~SciFiGameServer() override;

    // Entering the game state (once per entry into state 100): the inputs go, the AI's input is
    // made (and after it the local hero's when asked for), no load is pending, the directory is
    // the start directory again, the skills load and the game loads (-1, 0, 0). Its result.
    int32_t EnterGameState();
    // "--hero": the game state's start gives the level a hero of the server's own (input 1).
    void SetLocalHero(bool hero) { m_LocalHero = hero; }
    bool HasLocalHero() const { return m_LocalHero; }

    // ResetGame: the game reset, then no checkpoint (order 0).
    void ResetGameState() override;
    // OnCreatureDamaged: a hit on a player's creature goes to that player's client (0x2200).
    void OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                       const D3DXVECTOR2& source, int32_t tag) override;
    // The server's attachment; a player's controller forgets its orders and targets.
    void AttachCreatureToInput(CreatureObj* creature, int32_t number) override;
    // The game's rules, then "onMuliplayerCheckpointLoad" of the same reader.
    void LoadGameRules(ConfigFileReader& reader) override;
    // Nothing while the network server runs; otherwise the game's save. 1 always.
    int32_t SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name) override;
    // "GetActiveSkill", "GetOffensiveSkill", "GetDefensiveSkill", "ActivateCheckpoint"; every
    // other name the game's.
    void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                               int32_t fromNetwork) override;
    // The server's main character: the first joined player's creature.
    CreatureObj* GetMainChar() override;
    // DispatchPacket: each decoded command of the current client goes to the input of its
    // creature; a skill choice sets that input's slot.
    void ApplyPlayerCommand(GameClientInfo& client, const PlayerCommandCodec::PlayerCommand& command) override;
    // ApplyObjectAction: action 256 turns a creature to the angle (radians).
    void ObjectAction(WorldElem* elem, uint16_t action, float param) override;
    // OnLoadCheckpoint (0x4200) and OnDialogAnswered (0x2500).
    void LoadCheckpoint(int32_t checkpoint) override;
    void DialogAnswered(int32_t answer) override;
    // The 48-byte record of the LAN announcement.
    void GetServerInfo(ServerInfoBlock& block) override;
    // IsDeadNetworkCreature: while the server runs, every dead creature.
    bool CanRevive(WorldElem* element) override;

    // The checkpoint moves to the element when its order is at least the stored one.
    void SetCheckpoint(WorldElem* element, int32_t order);
    WorldElem* GetCheckpoint() const { return m_Checkpoint.Get(); }
    int32_t GetCheckpointOrder() const { return m_CheckpointOrder; }
    const String& GetCheckpointScript() const { return m_CheckpointScript; }
    // The player input of the creature, when it has one.
    static SciFiInputCtrl* PlayerInputOf(CreatureObj* creature);

protected:
    // CreateClientInput: a SciFiInputCtrl_server for the joining client, as a player's input.
    int32_t CreateClientInput() override;
    // PlaceJoiningCreature: beside the checkpoint (else the level's start) at 20 units, the
    // clients spread over 0, +45 and -45 degrees by their index.
    void PlaceJoiningCreature(CreatureObj* creature) override;

private:
    // The skill name of the slot's input for "GetActiveSkill" and its two siblings.
    void AnswerSkillFunction(ScriptValue& result, int32_t slot, ScriptValue* arguments, int32_t count);
    void ActivateCheckpoint(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count);
    void ChooseSkill(int32_t slot, const String& name);

    String m_CheckpointScript;
    SmartPtr<WorldElem> m_Checkpoint;
    int32_t m_CheckpointOrder = 0;
    bool m_LocalHero = false;
};
