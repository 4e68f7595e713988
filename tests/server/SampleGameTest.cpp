// The game's controller started the server's way on a copy of the sample game: what scripts and
// the game data ask of it reaches the operations that carry it out.
#include "server/DedicatedServer.h"

#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/KI_ActionData.h"
#include "level/VSD_WallIntern.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "script/ScriptValue.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"
#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The game's controller that records the saves asked of it and shows its inventory stores.
class RecordingCtrl : public SciFiGameCtrl {
public:
    int32_t SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name) override
    {
        savedSlots.push_back(slot);
        return SciFiGameCtrl::SaveGame(slot, levelName, a, b, name);
    }
    const Inventory* Store(int32_t index) const { return m_InventoryStores[index].get(); }

    std::vector<int32_t> savedSlots;
};

class SampleGameTest : public ::testing::Test {
protected:
    // Changes the copy's game data before the game starts: the text is added after the line.
    void AddAfter(const char* file, const std::string& line, const std::string& text)
    {
        ASSERT_TRUE(AddAfterLine(dir, file, line, text)) << line;
    }

    void Start()
    {
        const std::string config = FixSampleSeed(dir);
        ASSERT_FALSE(config.empty());
        gameConfig.Load(config);
        ASSERT_EQ(serverConfig.Load("cfg\\server.cfg"), 0);
        const char* args[] = {"scifiserver", "--hero"};
        const ServerCommandLine line = DedicatedServer::ParseCommandLine(2, args);
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::StartGame(*ctrl, line, serverConfig); }), "no error");
        ASSERT_NE(ctrl->GetMainChar(), nullptr);
    }

    ScriptValue Run(const std::string& text)
    {
        ScriptValue result;
        const std::string error = ErrorOf([&] { ctrl->RunScript(result, String(text.c_str()), "test", 1, -1); });
        EXPECT_EQ(error, "no error") << text;
        return result;
    }

    WorldElem* Find(const char* worldID) { return ctrl->GetWorld().FindObjectByWorldID(worldID, nullptr); }

    GameDir dir;
    bool copied = (CopySampleGame(dir), true);
    ScopedGameConfig gameConfig;
    ScopedGfx gfx;
    ConfigFileReader serverConfig;
    std::unique_ptr<RecordingCtrl> ctrl = std::make_unique<RecordingCtrl>();
};

}  // namespace

TEST_F(SampleGameTest, ScriptOrdersReachTheAIAndTheSave)
{
    Start();
    WorldElem* drone = Find("drone1");
    ASSERT_NE(drone, nullptr);
    auto* creature = dynamic_cast<CreatureObj*>(drone);
    ASSERT_NE(creature, nullptr);

    // AddAI puts the order on top of the drone's intentions.
    KI_ActionData before;
    creature->GetCurrentActionData(before);
    Run("AddAI(" + std::to_string(drone->m_ObjID) + ", \"Goto\", \"start1\");");
    KI_ActionData after;
    creature->GetCurrentActionData(after);
    EXPECT_NE(after.task, before.task);
    EXPECT_EQ(after.target.Get(), Find("start1"));

    // SaveGame(3) is one save of slot 3, and the script gets its answer.
    ctrl->savedSlots.clear();
    const ScriptValue saved = Run("return SaveGame(3);");
    EXPECT_EQ(ctrl->savedSlots, std::vector<int32_t>{3});
    EXPECT_EQ(saved.m_Type, kScriptInt);
}

TEST_F(SampleGameTest, ANewGameEmptiesTheInventoryStores)
{
    Start();
    WorldElem* crate = Find("crate1");
    ASSERT_NE(crate, nullptr);
    ASSERT_NE(crate->m_Inventory, nullptr);
    ASSERT_GT(crate->m_Inventory->GetCount(), 0);
    Run("SaveInventory(" + std::to_string(crate->m_ObjID) + ", 1);");
    ASSERT_NE(ctrl->Store(1), nullptr);
    ASSERT_GT(ctrl->Store(1)->GetCount(), 0);

    ASSERT_EQ(ErrorOf([&] { ctrl->StartNewGame("levels\\sample\\sample.cfg"); }), "no error");
    EXPECT_TRUE(ctrl->Store(1) == nullptr || ctrl->Store(1)->GetCount() == 0);
}

// The hero's light is one child light, renewed in place; it goes with the hero.
TEST_F(SampleGameTest, TheHerosLightIsOneAndLeavesWithTheHero)
{
    AddAfter("cfg/settings.cfg", "MainChar1 = \"Hero\"", "mcLight = \"Lamp\"");
    Start();
    auto heroLights = [&] {
        int32_t count = 0;
        auto& lights = ctrl->GetWorld().GetLights();
        for (int32_t slot = 0; slot < lights.GetCapacity(); slot++)
            if (VSD_LightIntern* light = lights.GetBySlot(slot); light && light->m_WorldID == "__MainCharLight__")
                count++;
        return count;
    };
    CreatureObj* hero = ctrl->GetMainChar();
    EXPECT_EQ(heroLights(), 1);
    ctrl->SetMainCharacter(hero);
    EXPECT_EQ(heroLights(), 1);

    ctrl->GetWorld().DelObj(hero->m_ObjID, 1);
    EXPECT_EQ(heroLights(), 0);
}

TEST_F(SampleGameTest, AWallKindsIlluminationReachesItsWalls)
{
    AddAfter("cfg/walls.cfg", "desc = \"wall_metal\"", "ConstantIllum = 77");
    Start();
    int32_t metalWalls = 0;
    for (int32_t id = 0; id < ctrl->GetWorld().GetNumWalls(); id++) {
        VSD_WallIntern* wall = ctrl->GetWorld().GetWall(id);
        if (!wall || wall->m_CfgID.IsEmpty())
            continue;  // the crates' walls belong to no wall kind
        const bool metal = wall->m_CfgID == "wall_metal";
        EXPECT_EQ(wall->m_Illumination.constantIllum, metal ? 77 : 0) << "wall " << id << " " << wall->m_CfgID;
        metalWalls += metal;
    }
    EXPECT_GT(metalWalls, 0);
}

TEST_F(SampleGameTest, AnItemsUpdateHandlerRunsEachFrame)
{
    AddAfter("cfg/objects.cfg", "item = \"Medkit\"", "onUpdate = \"iTmp[100] = iTmp[100] + 1;\"");
    Start();
    ASSERT_NE(Find("medkit1"), nullptr);
    Run("iTmp[100] = 0;");
    DedicatedServer::RunFrames(*ctrl, 5);
    EXPECT_EQ(*ctrl->GetScriptTempInt(100), 5);
}
