// The game's script built-ins in the running game on a copy of the sample game: the sample
// level's trap, stepped into by the hero, deals its damage through world events in the frames
// after its script, changes the hero's values, and hands those changes to a joined player as
// script calls; the same script run on every machine by itself sends nothing.
#include "server/DedicatedServer.h"

#include "game/objects/EventObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class SciFiScriptGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void RunFrames(int32_t frames)
    {
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, frames, 1.0f / 60.0f); }), "no error");
    }
};

}  // namespace

TEST_F(SciFiScriptGameTest, TheTrapHurtsTheHeroInTheFramesAfterItsScript)
{
    LogCapture log;
    Start();
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    hero->m_BaseValues.maxShield = 30.0f;
    hero->UpdateValues(false);
    hero->m_ShieldEnergy = 30.0f;
    const float health = hero->GetHealth();
    const float defence = hero->m_BaseValues.defPhys[0];
    auto* trap = dynamic_cast<EventObj*>(ctrl->CreateWorldObject("Trap", hero->m_PosX, hero->m_PosY, 0.0f, 0.0f));
    ASSERT_NE(trap, nullptr);

    // The hero steps in: the script runs, its damage waits for the frame's world update.
    trap->Activate(hero, 1, float(ctrl->GetGameTime()) + 10.0f);
    EXPECT_EQ(*ctrl->GetScriptTempInt(4), 1);
    EXPECT_EQ(log.Count("Error"), 0);
    EXPECT_FLOAT_EQ(hero->GetHealth(), health);
    RunFrames(1);
    EXPECT_LT(hero->GetHealth(), health);
    EXPECT_GT(hero->m_PoisonTime, 0.0f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.defPhys[0], defence + 1.0f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.healthRegenAbs, 0.5f);
    EXPECT_GT(hero->m_ShieldRefill, 0.0f);  // refilling over five seconds
    EXPECT_LT(hero->m_ShieldEnergy, 30.0f);
    trap->Activate(hero, 1, float(ctrl->GetGameTime()) + 20.0f);
    EXPECT_EQ(*ctrl->GetScriptTempInt(4), 1);  // used up
}

// A joined player's creature changed by a script: the change reaches the player as a script
// call; the damage does not (its results do); run with its run flag, a script sends nothing.
TEST_F(SciFiScriptGameTest, ChangesReachThePlayersAsScriptCalls)
{
    withHero = false;
    listening = true;
    ASSERT_EQ(StartError(kPeersOverTCP), "no error");
    int32_t slot = -1;
    std::unique_ptr<ScriptedPeer> peer = ConnectPeer(slot);
    PlayerInfoOptions options;
    options.playerName = u"Alice";
    ASSERT_TRUE(peer->Join(options));
    CreatureObj* creature = ctrl->GetClientCreature(slot);
    ASSERT_NE(creature, nullptr);
    const std::string id = std::to_string(creature->m_ObjID);

    ScriptValue result;
    const String text(("RefillShield(" + id + "); DamagePhysical(" + id + ", 0, 1.0); SetShieldEnergy(" + id +
                       ", 1.0); SetHealthRegeneration(" + id + ", 0.5, 0.0);")
                          .c_str());
    ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, text, "test", 1, -1); }), "no error");
    ASSERT_TRUE(peer->Await(GameServer::kMsgRunScriptFunction, 2));
    std::multiset<std::string> sent = CallsSent(*peer);
    EXPECT_EQ(sent.count("RefillShield"), 1u);
    EXPECT_EQ(sent.count("SetHealthRegeneration"), 1u);
    EXPECT_EQ(sent.size(), 2u);

    ScriptReaderGameEngine module;
    module.m_RunFlags = 1;
    {
        RunningModuleScope running(&module);
        ScriptValue arguments[32];
        arguments[0].SetInt(creature->m_ObjID);
        ctrl->ExecuteScriptFunction(result, "RefillShield", arguments, 1, 1);
    }
    // The next call sent is the one after it.
    ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(("SetHealthRegeneration(" + id + ", 1.0, 0.0);").c_str()),
                                            "test", 1, -1); }),
              "no error");
    ASSERT_TRUE(peer->Await(GameServer::kMsgRunScriptFunction, 3));
    sent = CallsSent(*peer);
    EXPECT_EQ(sent.count("RefillShield"), 1u);
    EXPECT_EQ(sent.count("SetHealthRegeneration"), 2u);
}
