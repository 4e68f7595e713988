// SciFiGameServer: the dedicated server's controller on the sample game. Entering the game state
// replaces the inputs and loads the game from the start directory; with a hero of the server's
// own the drone's AI closes in and attacks; the checkpoint takes only orders at least as high;
// the skill functions read the slots of a creature's input; no save is written while it serves.
#include "server/SciFiGameServer.h"

#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "platform/FileSystem.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "script/ScriptValue.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The server that records its loads and counts the attacks its creatures report.
class RecordingServer : public SciFiGameServer {
public:
    int32_t LoadGame(int32_t slot, int32_t a, int32_t b) override
    {
        loads.push_back({slot, a, b});
        return SciFiGameServer::LoadGame(slot, a, b);
    }
    void ReportAttack(WorldElem* creature) override
    {
        SciFiGameServer::ReportAttack(creature);
        attackers.push_back(creature);
    }
    std::vector<std::vector<int32_t>> loads;
    std::vector<WorldElem*> attackers;
};

class SciFiGameServerTest : public SampleServerGame<RecordingServer> {
protected:
    ScriptValue Call(const char* name, std::vector<ScriptValue> arguments)
    {
        ScriptValue result;
        result.m_Type = 255;
        ctrl->ExecuteScriptFunction(result, name, arguments.data(), int32_t(arguments.size()), 0);
        return result;
    }
    static ScriptValue Int(int32_t value)
    {
        ScriptValue v;
        v.SetInt(value);
        return v;
    }
    // The files under the game directory, counted.
    size_t CountFiles()
    {
        size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
            count += entry.is_regular_file();
        return count;
    }
};

float Distance(WorldElem& a, WorldElem& b)
{
    const D3DXVECTOR2 p = a.GetPos();
    const D3DXVECTOR2 q = b.GetPos();
    return std::hypot(p.x - q.x, p.y - q.y);
}

}  // namespace

// Entering the game state again: the inputs made before are gone, the AI's input is number 0 and
// the hero's 1, the directory is the start directory again and the game loads with (-1, 0, 0).
TEST_F(SciFiGameServerTest, EnteringTheGameStateReplacesTheInputsAndLoadsTheGame)
{
    Start();
    ASSERT_EQ(ctrl->loads, (std::vector<std::vector<int32_t>>{{-1, 0, 0}}));
    ctrl->AddInputCtrl(new SciFiInputCtrl, GameCtrl::kInputAI);
    const std::string start = Platform::GetCurrentDir();
    ASSERT_TRUE(Platform::SetCurrentDir("levels"));

    LogCapture log;
    ASSERT_EQ(ErrorOf([&] { ctrl->EnterGameState(); }), "no error");
    EXPECT_EQ(Platform::GetCurrentDir(), start);
    EXPECT_EQ(log.Count("AI Input created"), 1);
    EXPECT_EQ(ctrl->loads.size(), 2u);
    EXPECT_EQ(ctrl->loads.back(), (std::vector<int32_t>{-1, 0, 0}));
    ASSERT_EQ(ctrl->GetNumInputCtrls(), 2);
    EXPECT_EQ(ctrl->GetInputCtrl(0)->GetMode(), GameCtrl::kInputAI);
    EXPECT_EQ(ctrl->GetLocalInputIndex(), 1);
    ASSERT_NE(ctrl->GetMainChar(), nullptr);
    EXPECT_EQ(ctrl->GetMainChar()->m_InputCtrl, ctrl->GetInputCtrl(1));
}

// With a hero of the server's own, the level start gave the drone to the AI's input; the frame
// step marks the active area around the hero, and the drone closes in and attacks within 300
// frames.
TEST_F(SciFiGameServerTest, TheDroneClosesInOnTheHeroAndAttacks)
{
    Start();
    WorldElem* hero = ctrl->GetMainChar();
    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    ASSERT_NE(drone->m_InputCtrl, nullptr);
    const float start = Distance(*hero, *drone);

    float nearest = start;
    int32_t frames = 0;
    for (; frames < 300; frames++) {
        ctrl->UpdateFrame(1.0f / 30.0f);
        ctrl->ProcessPendingRequests();
        nearest = std::min(nearest, Distance(*hero, *drone));
        if (std::count(ctrl->attackers.begin(), ctrl->attackers.end(), drone) > 0)
            break;
    }
    EXPECT_LT(nearest, start - 100.0f) << "from " << start;
    EXPECT_LT(frames, 300) << "the drone never attacked; nearest " << nearest;
}

// "ActivateCheckpoint" takes an order at least as high as the stored one (ties replace); a wrong
// argument count is a script error, an unknown object changes nothing, a game reset clears it.
TEST_F(SciFiGameServerTest, TheCheckpointTakesOnlyOrdersAtLeastAsHigh)
{
    Start();
    WorldElem* hero = ctrl->GetMainChar();
    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    const std::string h = std::to_string(hero->m_ObjID), d = std::to_string(drone->m_ObjID);
    LogCapture log;
    struct Case {
        std::string text;
        WorldElem* checkpoint;
        int32_t order;
    } cases[] = {
        {"ActivateCheckpoint(" + h + ", 5);", hero, 5},
        {"ActivateCheckpoint(" + d + ", 3);", hero, 5},
        {"ActivateCheckpoint(" + d + ", 5);", drone, 5},
        {"ActivateCheckpoint(99999, 9);", drone, 5},
        {"ActivateCheckpoint(" + h + ");", drone, 5},
        {"ActivateCheckpoint(" + h + ", 9, 0);", drone, 5},
    };
    for (Case& c : cases) {
        ScriptValue result;
        EXPECT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(c.text.c_str()), "test", 1, -1); }), "no error")
            << c.text;
        EXPECT_EQ(ctrl->GetCheckpoint(), c.checkpoint) << c.text;
        EXPECT_EQ(ctrl->GetCheckpointOrder(), c.order) << c.text;
    }
    EXPECT_EQ(log.Count("Invalid arguments in function ActivateCheckpoint"), 2);

    ctrl->ResetGameState();
    EXPECT_EQ(ctrl->GetCheckpoint(), nullptr);
    ScriptValue result;
    ctrl->RunScript(result, String(("ActivateCheckpoint(" + h + ", 0);").c_str()), "test", 1, -1);
    EXPECT_EQ(ctrl->GetCheckpoint(), hero);
}

// The skill functions name the skill in the slot of the creature's input: the main character's
// without an argument, an object's by its ID; none for a creature without a player's input, an
// unknown object or an empty slot.
TEST_F(SciFiGameServerTest, TheSkillFunctionsNameTheSlotsOfTheCreaturesInput)
{
    Start();
    CreatureObj* hero = ctrl->GetMainChar();
    auto* input = SciFiGameServer::PlayerInputOf(hero);
    ASSERT_NE(input, nullptr);
    SkillTreeEntry* skill = nullptr;
    ctrl->GetSkills().ResetWalk();
    while (SkillTreeEntry* entry = ctrl->GetSkills().GetNext())
        if (!skill && !entry->noSkill)
            skill = entry;
    ASSERT_NE(skill, nullptr);
    input->SetSkillSlot(3, skill, true);
    // The game's start gave the other slots the first learned skill of their kind: empty them.
    input->SetSkillSlot(1, nullptr, true);
    input->SetSkillSlot(2, nullptr, true);
    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);

    struct Case {
        const char* name;
        std::vector<ScriptValue> arguments;
        String expected;
    } cases[] = {
        {"GetDefensiveSkill", {}, skill->name},
        {"GetDefensiveSkill", {Int(hero->m_ObjID)}, skill->name},
        {"GetActiveSkill", {}, String()},
        {"GetOffensiveSkill", {Int(hero->m_ObjID)}, String()},
        {"GetDefensiveSkill", {Int(drone->m_ObjID)}, String()},
        {"GetDefensiveSkill", {Int(99999)}, String()},
    };
    for (Case& c : cases) {
        const ScriptValue result = Call(c.name, c.arguments);
        EXPECT_EQ(result.m_Type, kScriptString) << c.name;
        EXPECT_EQ(result.m_Text, c.expected) << c.name << " with " << c.arguments.size() << " arguments";
    }
}

// While the network server runs a save writes nothing and still answers 1; without it the rules
// save the game.
TEST_F(SciFiGameServerTest, NoSaveIsWrittenWhileTheServerRuns)
{
    Start();
    ConfigFileReader config;
    ASSERT_EQ(config.Load("cfg\\server.cfg"), 0);
    const size_t before = CountFiles();
    ASSERT_TRUE(DedicatedServer::StartListening(*ctrl, config));
    EXPECT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    EXPECT_EQ(CountFiles(), before);

    ctrl->GetNetNode().Stop();
    ASSERT_FALSE(ctrl->IsListening());
    EXPECT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    EXPECT_GT(CountFiles(), before);
}
