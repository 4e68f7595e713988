// The game's network hooks on a copy of the sample game. As a client of a fake server: the skill
// slots sent when the game starts running, the players' commands of the input controller (orders,
// releases, the cursor's pace), the damage report applied to the creatures it names, and the
// chat lines of players joining and leaving. As a listening server with a scripted peer: the
// damage report refused and the commands decoded, faulty units dropped.
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "net/GameNetworkNode.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/ByteBuilder.h"
#include "support/GamePacketBytes.h"
#include "support/LogCapture.h"
#include "support/SampleClientGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace Codec = PlayerCommandCodec;
using Bytes = std::vector<uint8_t>;
constexpr uint16_t kMarker = 0x3456;  // an id no side knows: its log line ends what came before

// Every hit that reaches a creature, as its damage-received operation starts, and the screen's
// answers to a reported hit.
class HitRecordingCtrl : public SciFiGameCtrl {
public:
    struct Hit {
        WorldElem* creature;
        WorldElem* attacker;
        float physical[2];
        float poison;
        D3DXVECTOR2 source;
        int32_t tag;
    };
    void OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                       const D3DXVECTOR2& source, int32_t tag) override
    {
        const auto* values = dynamic_cast<const DamageValues_SF*>(&damage);
        hits.push_back({&creature, attacker, {values ? values->GetPhysical(0) : -1.0f, values ? values->GetPhysical(1) : -1.0f},
                        values ? values->poison : -1.0f, source, tag});
    }
    void OnEnemyHit(const DamageValues&) override { ++enemyHits; }
    void OnFriendlyHit(const DamageValues&) override { ++friendlyHits; }
    void ApplyPlayerCommand(GameClientInfo& client, const Codec::PlayerCommand& command) override
    {
        (void)client;
        commands.push_back(command);
    }

    std::vector<Hit> hits;
    int32_t enemyHits = 0;
    int32_t friendlyHits = 0;
    std::vector<Codec::PlayerCommand> commands;
};

struct Packet {
    uint16_t id;
    Bytes units;
};

class SciFiGameCtrlNetworkGameTest : public SampleClientGame<HitRecordingCtrl> {
protected:
    SciFiInputCtrl& Input() { return *dynamic_cast<SciFiInputCtrl*>(ctrl->GetMainChar()->m_InputCtrl); }

    // The game packets of the ids wanted that reached the server on both channels since the
    // start of the test, in their order per channel (TCP first).
    std::vector<Packet> Packets(uint16_t first, uint16_t last) const
    {
        std::vector<Packet> out;
        for (int channel : {0, 1})
            for (const Bytes& message : server.Messages(channel)) {
                const GamePacketHeader header = GamePacketHeader::Read(message.data());
                if (header.id >= first && header.id <= last)
                    out.push_back({header.id, Bytes(message.begin() + GamePacketHeader::kSize, message.end())});
            }
        return out;
    }
    // What the calls sent over TCP has arrived once a marker sent after them has.
    void FlushToServer()
    {
        ctrl->FinishPacket();
        const size_t before = server.ReceivedTCP().size();
        ctrl->SendRestartLevel();
        ASSERT_TRUE(WaitUntil([&] {
            const auto ids = server.ReceivedTCP();
            return ids.size() > before && ids.back() == GameNetworkNode::kMsgRestartLevel;
        }));
    }
    // The message arrives and the frame loop has handled it.
    void Receive(uint16_t id, uint32_t count, int32_t size, const Bytes& units)
    {
        const int before = log.Count("Unknown packet received: 0x3456");
        server.SendToClients(GamePacketBytes(id, count, size, units));
        server.SendToClients(GamePacketBytes(kMarker, 1, 0));
        ASSERT_TRUE(WaitUntil([&] {
            DedicatedServer::RunFrames(*ctrl, 1);
            return log.Count("Unknown packet received: 0x3456") > before;
        }));
    }
    CreatureObj_SF* Drone()
    {
        return dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    }

    LogCapture log;
};

}  // namespace

// Reaching the running game, the main character's slots go out over TCP in the order 1, 3, 2: a
// "NoSkill" placeholder and an empty slot as the empty String.
TEST_F(SciFiGameCtrlNetworkGameTest, TheRunningGameStartsWithTheSkillSlots)
{
    Input().SetSkillSlot(1, ctrl->FindSkill(String("heal")), true);
    Input().SetSkillSlot(3, ctrl->FindSkill(String("NoDefensive")), true);
    Input().SetSkillSlot(2, nullptr, true);  // the game's start gave it the first learned skill of its kind
    ASSERT_TRUE(Packets(0xA300, 0xA302).empty());  // not connected: nothing is sent
    Connect();
    FlushToServer();
    const std::vector<Packet> slots = Packets(0xA300, 0xA302);
    ASSERT_EQ(slots.size(), 3u);
    EXPECT_EQ(slots[0].id, 0xA300);
    EXPECT_EQ(slots[0].units, (Bytes{4, 0, 0, 0, 'h', 'e', 'a', 'l'}));
    EXPECT_EQ(slots[1].id, 0xA302);
    EXPECT_EQ(slots[1].units, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(slots[2].id, 0xA301);
    EXPECT_EQ(slots[2].units, (Bytes{0, 0, 0, 0}));
}

// Each order goes out with its kind and point (an attack with its strategy's name), and each
// button whose order went out is reported released once when it is up; the cursor goes out no more
// than 30 times a second of game time however often it is asked.
TEST_F(SciFiGameCtrlNetworkGameTest, OrdersReleasesAndTheCursorPace)
{
    Connect();
    SciFiInputCtrl& input = Input();
    input.SetInputDevices(nullptr, nullptr);  // no button is ever held
    KI_Strategy* melee = ctrl->GetWorld().FindStrategyEntry("PlayerMelee", false);
    ASSERT_NE(melee, nullptr);
    input.MoveToPoint(10.0f, 20.0f);
    EXPECT_TRUE(input.IsOrderSent(0));
    input.AttackPosition(30.0f, 40.0f, melee, false);
    EXPECT_TRUE(input.IsOrderSent(1));
    EXPECT_TRUE(input.IsOrderSent(3));
    for (int frame = 0; frame < 3; frame++)
        input.Update(1.0f / 30.0f);
    EXPECT_FALSE(input.IsOrderSent(0));
    FlushToServer();
    const std::vector<Packet> orders = Packets(0xA001, 0xA001);
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0].units, Codec::EncodePointOrder(0, 10.0f, 20.0f, String()));
    EXPECT_EQ(orders[1].units, Codec::EncodePointOrder(1, 30.0f, 40.0f, String("PlayerMelee")));
    std::vector<uint8_t> released;
    for (const Packet& packet : Packets(0xA003, 0xA003))
        released.insert(released.end(), packet.units.begin(), packet.units.end());
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (Bytes{0, 1, 3}));

    for (int frame = 0; frame < 120; frame++) {  // one second at 120 frames a second
        ctrl->SetGameTime(100.0 + frame / 120.0);
        input.SendCursor(false);
    }
    FlushToServer();
    size_t cursors = 0;
    ASSERT_TRUE(WaitUntil([&] {
        cursors = Packets(0xA100, 0xA101).size();  // no pointer here: 0xA101, a header alone
        return cursors >= 24;
    }));
    EXPECT_LE(cursors, 31u);
    for (const Packet& packet : Packets(0xA101, 0xA101))
        EXPECT_TRUE(packet.units.empty());
}

// A report of three units: one names no creature here, one a crate, one the drone. Only the drone
// takes the hit, with the attacker, the hit point, tag -2 and the values converted; a drone marked
// as hit reports it to the screen first.
TEST_F(SciFiGameCtrlNetworkGameTest, TheDamageReportHitsTheCreaturesItNames)
{
    Connect();
    CreatureObj_SF* drone = Drone();
    ASSERT_NE(drone, nullptr);
    CreatureObj* hero = ctrl->GetMainChar();
    WorldElem* crate = ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr);
    ASSERT_NE(crate, nullptr);
    drone->m_HitMark = 1;
    Codec::DamageReport report;
    report.attacker.Set(hero);
    report.x = 11.0f;
    report.y = -7.0f;
    report.damage.physical[0] = 6.0f;
    report.damage.physical[1] = 2.0f;
    report.damage.rulesValues[0] = 1.5f;  // poison
    Bytes units;
    for (WorldElem* target : {static_cast<WorldElem*>(nullptr), crate, static_cast<WorldElem*>(drone)}) {
        report.damaged = target ? ObjRef().Set(target) : ObjRef(99999, 1u);
        const Bytes unit = Codec::EncodeDamageReport(report);
        units.insert(units.end(), unit.begin(), unit.end());
    }
    ASSERT_EQ(units.size(), 3u * 96u);
    Receive(Codec::kMsgDamageReport, 3, 96, units);

    ASSERT_EQ(ctrl->hits.size(), 1u);
    const HitRecordingCtrl::Hit& hit = ctrl->hits[0];
    EXPECT_EQ(hit.creature, drone);
    EXPECT_EQ(hit.attacker, hero);
    EXPECT_EQ(hit.physical[0], 6.0f);
    EXPECT_EQ(hit.physical[1], 2.0f);
    EXPECT_EQ(hit.poison, 1.5f);
    EXPECT_EQ(hit.source.x, 11.0f);
    EXPECT_EQ(hit.source.y, -7.0f);
    EXPECT_EQ(hit.tag, -2);
    EXPECT_EQ(ctrl->enemyHits + ctrl->friendlyHits, 1);
    EXPECT_EQ(ctrl->GetLastHitAttackerID(), hero->m_ObjID);
    EXPECT_EQ(log.Count("Unknown packet received: 0x2200"), 0);

    // Units of another size: the whole message is dropped.
    Receive(Codec::kMsgDamageReport, 1, 95, Bytes(95));
    EXPECT_EQ(ctrl->hits.size(), 1u);
    EXPECT_EQ(log.Count("Damage report of 95-byte units dropped"), 1);
}

// The join request carries the character saved in the player's multiplayer folder: i16 275 and
// the creature record that the loaded character saves. Without the multiplayer flag, or without a
// save that reads, there is no block.
TEST_F(SciFiGameCtrlNetworkGameTest, TheJoinRequestCarriesTheSavedCharacter)
{
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    hero->SetPoints(4, 2);
    std::filesystem::create_directories(dir("saveMP/Ann_1"));
    ctrl->SetSavegameBaseDir("saveMP\\Ann_1\\");
    const std::string path = dir("saveMP/Ann_1/character.sv");
    EXPECT_FALSE(ctrl->WriteCharacterToPacket(true));  // no multiplayer flag
    ctrl->SetMultiplayerGame(true);
    EXPECT_FALSE(ctrl->WriteCharacterToPacket(true));  // no save
    TempDir::WriteAll(path, Bytes{0x13, 0x01, 0, 0});
    EXPECT_FALSE(ctrl->WriteCharacterToPacket(true));  // a save cut short
    {
        File file;
        ASSERT_TRUE(file.CreateInMemory(String(path.c_str())));
        ctrl->WriteCharacterSave(file, *hero);
    }
    EXPECT_TRUE(ctrl->WriteCharacterToPacket(true));

    Connect();
    ctrl->SetConnectionState(GameNetworkNode::eConnected);
    ASSERT_TRUE(ctrl->SendPlayerInfo());
    FlushToServer();
    const std::vector<Packet> info = Packets(GameNetworkNode::kMsgPlayerInfo, GameNetworkNode::kMsgPlayerInfo);
    ASSERT_EQ(info.size(), 1u);
    ASSERT_GT(info[0].units.size(), 259u);
    EXPECT_EQ(info[0].units[258], 1);

    File save;
    ASSERT_TRUE(save.Open(String(path.c_str()), true, File::kVirtualFile, false));
    auto loaded = std::make_unique<CreatureObj_SF>();
    ASSERT_TRUE(ctrl->ReadCharacter(save, *loaded));
    EXPECT_EQ(loaded->GetAdvancePoints(), 4);
    File block;
    block.CreateMemoryFile(0);
    block.WriteInt16Value(275);
    loaded->Save(block, true);
    EXPECT_EQ(Bytes(info[0].units.begin() + 259, info[0].units.end()),
              Bytes(block.GetMemoryBuffer(), block.GetMemoryBuffer() + block.GetSize()));
}

// A player's character that joins and then leaves adds two coloured lines, in that order, each
// with the real time of its frame; a character without a "Names" row shows its stored name.
TEST_F(SciFiGameCtrlNetworkGameTest, PlayersJoiningAndLeavingAreAnnounced)
{
    Connect();
    CreatureObj* hero = ctrl->GetMainChar();
    auto* other = dynamic_cast<CreatureObj*>(ctrl->CreateWorldObject(hero->m_CfgID.c_str(), 80.0f, 100.0f, 0.0f, 0.0f));
    ASSERT_NE(other, nullptr);
    other->m_Name = u"Zed";
    other->m_MainCharacter = 1;
    const int32_t before = ctrl->GetNumChatMessages();
    DedicatedServer::RunFrames(*ctrl, 1);
    ctrl->OnCharacterAdded(other);
    const double joinedAt = ctrl->GetRealTime();
    ByteBuilder remove;
    remove.I32(other->m_ObjID).I32(int32_t(other->m_MyRnd)).I32(other->m_TypeCode).U8(1).U8(0);
    Receive(GameNetworkNode::kMsgDeleteObject, 1, 14, remove.bytes);

    ASSERT_EQ(ctrl->GetNumChatMessages(), before + 2);
    const GameNetworkNode::ChatMessage* joined = ctrl->GetChatMessage(before);
    const GameNetworkNode::ChatMessage* left = ctrl->GetChatMessage(before + 1);
    // The sample database's "net_msg" texts, each a format for the name.
    EXPECT_TRUE(joined->sender == wString(u"|c5F9Zed joined the game"));
    EXPECT_TRUE(left->sender == wString(u"|c5F9Zed left the game"));
    EXPECT_EQ(joined->time, joinedAt);
    EXPECT_GT(left->time, joined->time);
}

TEST(SciFiGameCtrlPresenceTest, TheTextIsAFormatOnlyWithOnePlaceForTheName)
{
    struct Case {
        const char16_t* text;
        const char16_t* line;
    } cases[] = {
        {u"%s joined the game", u"|c5F9Bob joined the game"},
        {u"100%% sure: %-4s!", u"|c5F9100% sure: Bob !"},
        {u"%s and %s", u"|c5F9%s and %s Bob"},
        {u"joined with %d friends", u"|c5F9joined with %d friends Bob"},
        {u"joined", u"|c5F9joined Bob"},
        {u"", u"|c5F9 Bob"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(SciFiGameCtrl::FormatPresenceLine(wString(c.text), wString(u"Bob")) == wString(c.line))
            << String(wString(c.text)).c_str() << " gave "
            << String(SciFiGameCtrl::FormatPresenceLine(wString(c.text), wString(u"Bob"))).c_str();
}

namespace {

// The game's server listening with one scripted peer joined.
class SciFiServerCommandsGameTest : public SampleServerGame<HitRecordingCtrl> {
protected:
    void SetUp() override
    {
        withHero = false;
        listening = true;
        ASSERT_EQ(StartError(std::string(kPeersOverTCP) + "\nLogNetworkTraffic = 1"), "no error");
        peer = ConnectPeer(slot);
        ASSERT_TRUE(peer->Join());
        ASSERT_NE(ctrl->GetClientCreature(slot), nullptr);
    }
    bool Send(uint16_t id, const Bytes& unit)
    {
        return peer->SendMessage(id, 1, int32_t(unit.size()), unit);
    }

    LogCapture log;
    int32_t slot = -1;
    std::unique_ptr<ScriptedPeer> peer;
};

}  // namespace

// A damage report from a client is no message a server takes: it changes nothing. The commands
// are decoded; a faulty unit is dropped with a warning naming the message and the client.
TEST_F(SciFiServerCommandsGameTest, TheServerRefusesDamageReportsAndDecodesCommands)
{
    CreatureObj& player = *ctrl->GetClientCreature(slot);
    const float health = player.GetHealth();
    Codec::DamageReport report;
    report.damaged.Set(&player);
    report.damage.physical[0] = 50.0f;
    ASSERT_TRUE(Send(Codec::kMsgDamageReport, Codec::EncodeDamageReport(report)));
    ASSERT_TRUE(peer->StepUntil([&] { return log.Count("Unknown packet received: 0x2200") == 1; }));
    EXPECT_TRUE(ctrl->hits.empty());
    EXPECT_EQ(player.GetHealth(), health);

    ASSERT_TRUE(Send(Codec::kMsgPointOrder, Codec::EncodePointOrder(4, 1.0f, 2.0f, String())));
    ASSERT_TRUE(Send(Codec::kMsgPointOrder, Codec::EncodePointOrder(2, 5.0f, 6.0f, String("PlayerMelee"))));
    ASSERT_TRUE(peer->StepUntil([&] { return !ctrl->commands.empty(); }));
    const std::string warning = "Client " + std::to_string(slot) + ": message 0xA001 dropped: kind out of range";
    EXPECT_EQ(log.Count(warning.c_str()), 1);
    ASSERT_EQ(ctrl->commands.size(), 1u);
    EXPECT_EQ(ctrl->commands[0].kind, 2u);
    EXPECT_EQ(ctrl->commands[0].x, 5.0f);
    EXPECT_EQ(ctrl->commands[0].name, "PlayerMelee");
}
