// SciFiGameServer on the network: scripted peers join a listening server on the sample game. The
// server alone moves a player's creature by the player's orders through its SciFiInputCtrl_server,
// takes the aim and the dodge direction from the commands (a point outside the level at its
// edge), sets the skill slots by name, places joining players and a loaded checkpoint's players
// around the target, reports a hit to the player hit alone and fills the LAN announcement.
#include "server/SciFiGameServer.h"

#include "game/objects/CreatureObj.h"
#include "net/ServerInfoBlock.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "server/SciFiInputCtrl_server.h"
#include "world/DamageValues.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace Codec = PlayerCommandCodec;
using Bytes = std::vector<uint8_t>;

class SciFiGameServerNetworkGameTest : public SampleServerGame<SciFiGameServer> {
protected:
    void SetUp() override
    {
        withHero = false;
        listening = true;
        ASSERT_EQ(StartError(kPeersOverTCP), "no error");
        peer = ConnectPeer(slot);
        ASSERT_TRUE(peer->Join());
        ASSERT_NE(Player(), nullptr);
    }
    CreatureObj* Player() { return ctrl->GetClientCreature(slot); }
    SciFiInputCtrl_server* Input() { return dynamic_cast<SciFiInputCtrl_server*>(Player()->m_InputCtrl); }
    bool Send(uint16_t id, const Bytes& unit) { return peer->SendMessage(id, 1, int32_t(unit.size()), unit); }
    // Steps the server until the condition holds.
    template <class Condition> bool Until(Condition condition) { return peer->StepUntil(condition); }
    WorldElem* Start() { return ctrl->GetStartingPos(0, "", false); }
    // Where FindDropPosition puts the creature around the anchor at the extra distance and angle
    // when the first place is free.
    static D3DXVECTOR2 DropPlace(WorldElem& creature, WorldElem& anchor, float extra, float degrees)
    {
        const float angle = anchor.GetOwnAngle() + degrees * 0.017453292f;
        const float distance = creature.m_Radius + anchor.m_Radius + extra + 1.0f;
        return anchor.GetPos() + D3DXVECTOR2(std::cos(angle), std::sin(angle)) * distance;
    }
    static float Between(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return std::hypot(a.x - b.x, a.y - b.y); }

    int32_t slot = -1;
    std::unique_ptr<ScriptedPeer> peer;
};

}  // namespace

// The joining player's creature has the server's input for a player and stands 20 units beside
// the start at 0 degrees; a walk order and the button's release walk it to the point, and only
// the server moves it.
TEST_F(SciFiGameServerNetworkGameTest, APlayersOrdersWalkItsCreature)
{
    ASSERT_NE(Input(), nullptr);
    EXPECT_EQ(Input()->GetMode(), GameCtrl::kInputLocal);
    EXPECT_LT(Between(Player()->GetPos(), DropPlace(*Player(), *Start(), SciFiGameServer::kJoinDistance, 0.0f)), 0.5f);

    const D3DXVECTOR2 from = Player()->GetPos();
    const D3DXVECTOR2 goal = from + D3DXVECTOR2(120.0f, 0.0f);
    ASSERT_TRUE(Send(Codec::kMsgPointOrder, Codec::EncodePointOrder(0, goal.x, goal.y, String())));
    ASSERT_TRUE(Until([&] { return Input()->IsButtonDown(0); }));
    EXPECT_EQ(Input()->GetMoveOrder(), SciFiInputCtrl::kMoveToPoint);
    ASSERT_TRUE(Send(Codec::kMsgButtonReleased, Codec::EncodeButtonReleased(0)));
    ASSERT_TRUE(Until([&] { return !Input()->IsButtonDown(0); }));
    ASSERT_TRUE(Until([&] { return Between(Player()->GetPos(), goal) < 12.0f; }))
        << "at " << Player()->GetPos().x << "," << Player()->GetPos().y;
}

// The aim point of 0xA100 and 0xA001 is taken at the level's edge when it lies outside; 0xA101
// ends the aim; a dodge direction is answered once; an attack order holds the switch with it.
TEST_F(SciFiGameServerNetworkGameTest, AimAndDodgeComeFromTheCommands)
{
    WorldCtrl& world = ctrl->GetWorld();
    const float width = float(world.GetMapWidth()) * world.GetCellWidthF();
    const float height = float(world.GetMapHeight()) * world.GetCellHeightF();
    struct Case {
        const char* what;
        uint16_t id;
        Bytes unit;
        D3DXVECTOR2 aim;
    } cases[] = {
        {"a cursor point inside", Codec::kMsgCursor, Codec::EncodePoint(30.0f, 40.0f), {30.0f, 40.0f}},
        {"a cursor point beyond two edges", Codec::kMsgCursor, Codec::EncodePoint(-500.0f, 1e7f), {0.0f, height}},
        {"an order beyond the far edge", Codec::kMsgPointOrder, Codec::EncodePointOrder(3, 1e9f, 50.0f, String()),
         {width, 50.0f}},
    };
    for (Case& c : cases) {
        ASSERT_TRUE(Send(c.id, c.unit)) << c.what;
        ASSERT_TRUE(Until([&] { return Input()->HasAimTarget() && Between(Input()->GetAimTarget(), c.aim) < 0.01f; }))
            << c.what << ": " << Input()->GetAimTarget().x << "," << Input()->GetAimTarget().y;
        D3DXVECTOR2 out;
        EXPECT_TRUE(Input()->GetCursorGroundPoint(out, false)) << c.what;
    }
    EXPECT_TRUE(Input()->IsButtonDown(3));  // kind 3: the switch, held, no order
    EXPECT_EQ(Input()->GetMoveOrder(), SciFiInputCtrl::kMoveNone);

    ASSERT_TRUE(peer->SendEmpty(Codec::kMsgNoCursor));
    ASSERT_TRUE(Until([&] { return !Input()->HasAimTarget(); }));
    D3DXVECTOR2 out;
    EXPECT_FALSE(Input()->GetCursorGroundPoint(out, false));

    // The dodge is read by the frame's control step; asked directly it is given once.
    ASSERT_TRUE(Send(Codec::kMsgDodge, Codec::EncodePoint(0.0f, 0.0f)));
    Input()->ReadMessage(Codec::PlayerCommand{Codec::kMsgDodge, 0, 3.0f, -4.0f, ObjRef(), String()});
    D3DXVECTOR2 dodge;
    Input()->GetDodgeVector(dodge, Player());
    EXPECT_EQ(dodge, D3DXVECTOR2(3.0f, -4.0f));
    Input()->GetDodgeVector(dodge, Player());
    EXPECT_EQ(dodge, D3DXVECTOR2(0.0f, 0.0f));
}

// A skill choice names the skill of a slot; an empty or unknown name empties it. The skill
// functions then name what the player chose.
TEST_F(SciFiGameServerNetworkGameTest, SkillChoicesSetTheSlotsByName)
{
    SkillTreeEntry* skill = nullptr;
    ctrl->GetSkills().ResetWalk();
    while (SkillTreeEntry* entry = ctrl->GetSkills().GetNext())
        if (!skill && !entry->noSkill)
            skill = entry;
    ASSERT_NE(skill, nullptr);
    ASSERT_TRUE(Send(Codec::SkillSlotMessage(3), Codec::EncodeSkillSlot(skill->name)));
    ASSERT_TRUE(Until([&] { return Input()->GetSkillSlot(3, false, true) == skill; }));
    ScriptValue result;
    ctrl->ExecuteScriptFunction(result, "GetDefensiveSkill", nullptr, 0, 0);
    EXPECT_EQ(result.m_Text, skill->name);

    for (const char* name : {"", "NoSuchSkill"}) {
        ASSERT_TRUE(Send(Codec::SkillSlotMessage(3), Codec::EncodeSkillSlot(skill->name)));
        ASSERT_TRUE(Until([&] { return Input()->GetSkillSlot(3, false, true) == skill; }));
        ASSERT_TRUE(Send(Codec::SkillSlotMessage(3), Codec::EncodeSkillSlot(String(name))));
        ASSERT_TRUE(Until([&] { return Input()->GetSkillSlot(3, false, true) == nullptr; })) << name;
    }
}

// A hit on the player's creature goes to that client alone as one 96-byte unit, byte for byte as
// the rules' encoder writes it; a hit on a creature without a client is told to nobody.
TEST_F(SciFiGameServerNetworkGameTest, AHitIsReportedToItsPlayerAlone)
{
    auto* player = dynamic_cast<CreatureObj_SF*>(Player());
    ASSERT_NE(player, nullptr);
    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    std::unique_ptr<DamageValues> damage(ctrl->CreateDamageValues());
    peer->Forget();

    player->ApplyHit(damage.get(), drone, D3DXVECTOR2(12.0f, 34.0f), 5);
    ctrl->FinishPacket();
    ASSERT_TRUE(peer->Await(Codec::kMsgDamageReport));
    const std::vector<ScriptedPeer::Message> reports = peer->Received(Codec::kMsgDamageReport);
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_EQ(reports[0].count, 1u);
    ASSERT_EQ(reports[0].unitSize, Codec::kDamageReportSize);
    Codec::DamageReport expected;
    expected.damaged.Set(player);
    expected.attacker.Set(drone);
    expected.x = 12.0f;
    expected.y = 34.0f;
    damage->FillImage(expected.damage);
    EXPECT_EQ(reports[0].units, Codec::EncodeDamageReport(expected));

    drone->ApplyHit(damage.get(), player, D3DXVECTOR2(0.0f, 0.0f), 5);
    ctrl->FinishPacket();
    peer->StepUntil([] { return false; }, 0.3);
    for (const ScriptedPeer::Message& message : peer->Received(Codec::kMsgDamageReport)) {
        Codec::DamageReport report;
        ASSERT_TRUE(Codec::DecodeDamageReport(message.units, report, nullptr));
        EXPECT_EQ(report.damaged.objID, player->m_ObjID);  // the drone's own strikes may come
    }
}

// The record of the LAN announcement: version, port, the name cut to 31 characters, the level's
// progress ID, the difficulty, the joined players and the maximum.
TEST_F(SciFiGameServerNetworkGameTest, TheServerInformationRecord)
{
    ctrl->SetServerName(std::string(40, 'n').c_str());
    ctrl->SetMaxPlayers(3);
    ServerInfoBlock block;
    ctrl->GetServerInfo(block);
    uint8_t bytes[ServerInfoBlock::kSize];
    block.Write(bytes);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 0x0100);
    EXPECT_EQ(uint16_t(bytes[2] | bytes[3] << 8), ctrl->GetNetNode().GetPort());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 4)), std::string(31, 'n'));
    EXPECT_EQ(int32_t(bytes[40] | bytes[41] << 8), ctrl->GetDifficulty());
    EXPECT_EQ(bytes[44] | bytes[45] << 8, 1);
    EXPECT_EQ(bytes[46] | bytes[47] << 8, 3);
}

// A checkpoint load (0x4200) places every joined player around the checkpoint, the first client
// at -45 degrees and 50 units; without a checkpoint nobody moves.
TEST_F(SciFiGameServerNetworkGameTest, ACheckpointLoadPlacesThePlayersAroundIt)
{
    const D3DXVECTOR2 before = Player()->GetPos();
    ASSERT_TRUE(Send(GameNetworkNode::kMsgLoadCheckpoint, Bytes{1, 0, 0, 0}));
    peer->StepUntil([] { return false; }, 0.3);
    EXPECT_EQ(Player()->GetPos(), before);

    WorldElem* medkit = ctrl->GetWorld().FindObjectByWorldID("medkit1", nullptr);
    ASSERT_NE(medkit, nullptr);
    ctrl->SetCheckpoint(medkit, 1);
    const D3DXVECTOR2 place = DropPlace(*Player(), *medkit, SciFiGameServer::kCheckpointDistance, -45.0f);
    ASSERT_TRUE(Send(GameNetworkNode::kMsgLoadCheckpoint, Bytes{1, 0, 0, 0}));
    ASSERT_TRUE(Until([&] { return Between(Player()->GetPos(), place) < 0.5f; }))
        << Player()->GetPos().x << "," << Player()->GetPos().y << " not " << place.x << "," << place.y;
}

// An object action 256 turns a creature to the angle; a dialogue answered while no script waits
// for a local answer lets the dialogue's server number go once it could be passed on.
TEST_F(SciFiGameServerNetworkGameTest, ObjectTurnAndDialogueAnswer)
{
    CreatureObj* player = Player();
    ctrl->ObjectAction(player, SciFiGameServer::kActionTurn, 1.5707964f);
    ctrl->ObjectAction(player, 255, 0.0f);  // no other action turns
    for (int32_t i = 0; i < 60; ++i)
        DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_NEAR(std::fmod(player->GetAngle() + 6.2831853f, 6.2831853f), 1.5707964f, 0.05f);

    DialogGui& dialog = ctrl->GetDialogWindow();
    dialog.SetScriptID(99999999);
    ctrl->DialogAnswered(1);
    EXPECT_EQ(dialog.GetScriptID(), DialogGui::kNoScript);
    LogCapture log;
    dialog.SetScriptID(12345);  // no such script runs: told, not entered
    ctrl->DialogAnswered(1);
    EXPECT_EQ(dialog.GetScriptID(), DialogGui::kNoScript);
    EXPECT_EQ(log.Count("which no longer runs"), 1);
}

// A walk order to an item (0xA002, kind 0) walks the creature there; within reach the server
// tells the player's client to take it (0x2700 with the creature and the item).
TEST_F(SciFiGameServerNetworkGameTest, AWalkToAnItemEndsInThePickUpNotice)
{
    WorldElem* medkit = ctrl->GetWorld().FindObjectByWorldID("medkit1", nullptr);
    ASSERT_NE(medkit, nullptr);
    ObjRef ref;
    ref.Set(medkit);
    ASSERT_TRUE(Send(Codec::kMsgObjectOrder, Codec::EncodeObjectOrder(0, ref, String())));
    ASSERT_TRUE(Send(Codec::kMsgButtonReleased, Codec::EncodeButtonReleased(0)));
    ASSERT_TRUE(Until([&] { return !peer->Received(GameNetworkNode::kMsgPickUp).empty(); }))
        << "at " << Player()->GetPos().x << "," << Player()->GetPos().y << ", medkit at " << medkit->GetPos().x << ","
        << medkit->GetPos().y << ", order " << Input()->GetMoveOrder();
    const ScriptedPeer::Message notice = peer->Received(GameNetworkNode::kMsgPickUp)[0];
    ByteReader in(notice.units.data(), notice.units.size());
    EXPECT_EQ(GameValueCodec::ReadObjRef(in).objID, Player()->m_ObjID);
    EXPECT_EQ(GameValueCodec::ReadObjRef(in).objID, medkit->m_ObjID);
}
