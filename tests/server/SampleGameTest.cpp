// The game's controller started the server's way on a copy of the sample game: what scripts and
// the game data ask of it reaches the operations that carry it out, the game's damage included,
// and a client's lost device is recovered within the running level.
#include "server/DedicatedServer.h"

#include "base/ConfigFileReader.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/KI_ActionData.h"
#include "game/objects/SceneObject.h"
#include "level/VSD_WallIntern.h"
#include "scifi/ctrl/AreaDamageEventRecord.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/ActionAttack_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/ActionEntry.h"
#include "world/WorldEvent.h"
#include "script/ScriptValue.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"
#include "game/ctrl/FontTable.h"
#include "game/ctrl/StateManager.h"
#include "platform/D3DXImage.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <bit>
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

class SampleGameTest : public SampleServerGame<RecordingCtrl> {
protected:
    // Changes the copy's game data before the game starts: the text is added after the line.
    void AddAfter(const char* file, const std::string& line, const std::string& text)
    {
        ASSERT_TRUE(AddAfterLine(dir, file, line, text)) << line;
    }

    ScriptValue Run(const std::string& text)
    {
        ScriptValue result;
        const std::string error = ErrorOf([&] { ctrl->RunScript(result, String(text.c_str()), "test", 1, -1); });
        EXPECT_EQ(error, "no error") << text;
        return result;
    }

    WorldElem* Find(const char* worldID) { return ctrl->GetWorld().FindObjectByWorldID(worldID, nullptr); }
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

// The hero's light is one child light, renewed in place and again in the next level; it goes
// with the hero.
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
    // A level change carries the hero into a new light table: it gets its light there again.
    ctrl->EnterRequestedLevel(ctrl->GetLevelDescFile().c_str(), 0, 0);
    ASSERT_EQ(ctrl->GetMainChar(), hero);
    EXPECT_EQ(heroLights(), 1);

    ctrl->GetWorld().DelObj(hero->m_ObjID, 1);
    EXPECT_EQ(heroLights(), 0);
}

// Entering the level checks the actions that its creatures' strategies name.
TEST_F(SampleGameTest, ALevelRefusesACreatureWhoseStrategyNamesAnUnknownAction)
{
    AddAfter("cfg/strategy.cfg", "OnEnemy {", "\tACTION {\n\t\tid = \"Kick\"\n\t}");
    EXPECT_EQ(StartError(), "Action entry 'Kick' not found");
}

// The AI rates a deed with its score script, which finds the creature and the target in object
// variables 0 and 1.
TEST_F(SampleGameTest, TheAIRatesADeedWithItsScoreScript)
{
    AddAfter("cfg/strategy.cfg", "id = \"Melee\"", "\t\tscoreScript = \"iTmp[102] = obj[0]; iTmp[103] = obj[1]; return 0;\"");
    Start();
    WorldElem* drone = Find("drone1");
    ASSERT_NE(drone, nullptr);
    Run("iTmp[102] = -5; iTmp[103] = -5;");
    DedicatedServer::RunFrames(*ctrl, 300);
    EXPECT_EQ(*ctrl->GetScriptTempInt(102), drone->m_ObjID);
    EXPECT_EQ(*ctrl->GetScriptTempInt(103), ctrl->GetMainChar()->m_ObjID);
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

// The game's own damage in the running game: the sample melee attack is the game's attack part,
// creatures hold the game's damage sets, and damage dealt outside an attack (an area's damage on
// entering) is posted as a world event that the frame's world update hands to the rules.
TEST_F(SampleGameTest, DamageOutsideAnAttackReachesTheCreatureThroughTheFrame)
{
    AddAfter("cfg/objects.cfg", "onActivate = \"Heal\"", "DamageEnter = 2\nparty = -1");  // hostile to all
    Start();
    ActionEntry* melee = ctrl->GetWorld().FindActionEntry("Melee", false);
    ASSERT_NE(melee, nullptr);
    ASSERT_EQ(melee->attacks.GetSize(), 1);
    const auto* attack = dynamic_cast<const ActionAttack_SF*>(melee->attacks.GetAt(0)->Get());
    ASSERT_NE(attack, nullptr);
    EXPECT_EQ(attack->healthLeech[0], 1.0f);  // the game's reset ran before the keys
    EXPECT_FLOAT_EQ(attack->angle, 60.0f * 0.017453292f);

    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    auto* area = dynamic_cast<EventObj*>(Find("heal1"));
    ASSERT_NE(drone, nullptr);
    ASSERT_NE(area, nullptr);
    DamageValuesHolder own(nullptr);
    drone->GetDamageValues(own);
    EXPECT_NE(dynamic_cast<DamageValues_SF*>(own.Get()), nullptr);
    auto* areaDamage = dynamic_cast<DamageValues_SF*>(area->GetOwnDamageValues());
    ASSERT_NE(areaDamage, nullptr);
    EXPECT_FLOAT_EQ(area->m_ActivationDamage, 2.0f);
    EXPECT_EQ(area->GetParty(), -1);
    areaDamage->SetPhysical(0, 3.0f);  // the game's damage keys of world objects come with their reader

    const float health = drone->GetHealth();
    area->Activate(drone, 1, float(ctrl->GetGameTime()) + 10.0f);
    EXPECT_EQ(drone->GetHealth(), health);  // posted, not dealt inside the call
    DedicatedServer::RunFrames(*ctrl, 1);
    const float factor = ctrl->GetMonsterDamageFactor();  // the sample's drones are a party of their own
    ASSERT_GT(drone->GetParty(), 0);
    EXPECT_FLOAT_EQ(drone->GetHealth(), health - 6.0f * factor);

    // Area damage around the drone, as the game's script functions post it.
    AreaDamageEventRecord blast;
    blast.centre[0] = drone->GetPos().x;
    blast.centre[1] = drone->GetPos().y;
    blast.radius = 100.0f;
    DamageValues_SF damage;
    damage.SetPhysical(0, 4.0f);
    damage.FillImage(blast.damage);
    WorldEvent event;
    blast.Write(event);
    ctrl->AddGameEvent(&event);
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_LT(drone->GetHealth(), health - 6.0f * factor);
    EXPECT_GE(drone->GetHealth(), health - 10.0f * factor);
}

// A client's device lost while a level runs: presenting fails, the surfaces come back, the
// controller's render state is on the fresh device and its drawing is switched on again.
TEST_F(SampleGameTest, ALostDeviceDuringALevelComesBackWithTheRenderState)
{
    Start();
    ASSERT_FALSE(ctrl->GetVsdFile().IsEmpty());
    g_WindowState = WindowStateFlags();
    {
        DeviceGfx client;
        client.Gfx().SetLighting(0, 0);
        client.Gfx().SetCullMode(1);
        ctrl->RenderFrame();
        EXPECT_TRUE(ctrl->PresentFrame());
        client.Device().Lose(2);
        EXPECT_FALSE(ctrl->PresentFrame());
        EXPECT_EQ(ctrl->GetRenderFlag(), 1);
        DWORD lighting = 1;
        DWORD cull = 0;
        client.Device().GetRenderState(D3DRS_LIGHTING, &lighting);
        client.Device().GetRenderState(D3DRS_CULLMODE, &cull);
        EXPECT_EQ(lighting, 0u);
        EXPECT_EQ(cull, DWORD(D3DCULL_CW));
        EXPECT_TRUE(ctrl->PresentFrame());
        EXPECT_EQ(client.Journal().Count(D3D9Op::Present), 3);  // the lost one was asked too
    }
    g_Gfx = &gfx.gfx;  // the server's again, as the fixture made it
}

// Screenshots in the running game: the server counts a delayed one down and writes nothing; on a
// client the "ScreenShot" built-in writes a numbered picture under "screenshots", and a delayed
// one is written on the third drawn frame of the frame loop, with the display's size.
TEST_F(SampleGameTest, ScreenshotsAreWrittenOnAClientOnly)
{
    Start();
    DXC_Gfx::ResetScreenShotCounter();
    Run("ScreenShot();");
    EXPECT_FALSE(std::filesystem::exists(dir("screenshots/Korva_scrshot0.png")));
    ctrl->RequestScreenshot("server.png", 0);
    DedicatedServer::RunFrames(*ctrl, 2);
    EXPECT_EQ(ctrl->GetScreenshotCountdown(), -1);
    EXPECT_FALSE(std::filesystem::exists(dir("server.png")));

    g_WindowState = WindowStateFlags();
    {
        DeviceGfx client;
        Run("ScreenShot();");
        EXPECT_TRUE(std::filesystem::exists(dir("screenshots/Korva_scrshot0.png")));
        Run("ScreenShot(\"named.bmp\");");
        EXPECT_TRUE(std::filesystem::exists(dir("named.bmp")));

        ctrl->RequestScreenshot("delayed.png", 2);
        DedicatedServer::RunFrames(*ctrl, 2);
        EXPECT_FALSE(std::filesystem::exists(dir("delayed.png")));
        DedicatedServer::RunFrames(*ctrl, 1);
        EXPECT_EQ(ctrl->GetScreenshotCountdown(), -1);
        D3DXIMAGE_INFO info;
        ASSERT_EQ(D3DXGetImageInfoFromFileA(dir("delayed.png").c_str(), &info), D3D_OK);
        int32_t width = 0, height = 0;
        client.Gfx().GetResolution(width, height);
        EXPECT_EQ(int32_t(info.Width), width);
        EXPECT_EQ(int32_t(info.Height), height);
        EXPECT_EQ(client.Journal().Count(D3D9Op::Present), 3);
    }
    g_Gfx = &gfx.gfx;  // the server's again, as the fixture made it
    DXC_Gfx::ResetScreenShotCounter();
}

// A client's drawn frame of the running level: wire frame while the world and the GUI draw, the
// level's linear fog, the viewport over the screen; then the mouse at the screen's centre picks
// the element the camera looks at, and meets the plane at its height below it.
TEST_F(SampleGameTest, ADrawnFrameSetsFogAndViewportAndTheMousePicks)
{
    Start();
    DedicatedServer::RunFrames(*ctrl, 2);
    g_WindowState = WindowStateFlags();
    {
        DeviceGfx client;
        D3D9Journal& journal = client.Journal();
        ctrl->SetWireFrame(true);
        journal.Clear();
        ctrl->RenderFrame();
        std::vector<uint32_t> fillModes;
        for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetRenderState))
            if (call.Arg(0) == D3DRS_FILLMODE)
                fillModes.push_back(call.Arg(1));
        EXPECT_EQ(fillModes, (std::vector<uint32_t>{D3DFILL_WIREFRAME, D3DFILL_SOLID}));
        const LevelDescription& level = ctrl->GetLevelDescription();
        DWORD value = 0;
        client.Device().GetRenderState(D3DRS_FOGENABLE, &value);
        EXPECT_EQ(value, 1u);
        client.Device().GetRenderState(D3DRS_FOGCOLOR, &value);
        EXPECT_EQ(value, level.fogColor);
        client.Device().GetRenderState(D3DRS_FOGTABLEMODE, &value);
        EXPECT_EQ(value, D3DFOG_LINEAR);
        client.Device().GetRenderState(D3DRS_FOGEND, &value);
        EXPECT_EQ(value, std::bit_cast<DWORD>(level.floorFog));
        D3DVIEWPORT9 port;
        client.Device().GetViewport(&port);
        EXPECT_EQ(port.Width, 1024u);
        EXPECT_EQ(port.Height, 768u);
        EXPECT_EQ(port.MaxZ, 1.0f);

        WorldElem* drone = Find("drone1");
        ASSERT_NE(drone, nullptr);
        CreatureObj* hero = nullptr;  // any other creature of the level plays the main character
        WorldCtrl& world = ctrl->GetWorld();
        for (int32_t id = world.NextObjID(-1); id >= 0 && !hero; id = world.NextObjID(id))
            if (auto* creature = dynamic_cast<CreatureObj*>(world.GetObjNoCheck(id, false)))
                hero = creature != drone ? creature : nullptr;
        ASSERT_NE(hero, nullptr);
        ctrl->SetMainCharReference(hero);
        const D3DXVECTOR3 centre = drone->GetAbsPos3D() + D3DXVECTOR3(0.0f, 0.0f, drone->GetRadius());
        client.Gfx().SetCameraLookAt(centre + D3DXVECTOR3(0.0f, -300.0f, 400.0f), centre, D3DXVECTOR3(0, 0, 1));
        client.Gfx().SetPerspective(10.0f, 5000.0f, 0.7854f, -1.0f);
        DXC_GuiManager gui(&client.Gfx());
        gui.SetMousePos(512, 384);
        WorldElem* picked = nullptr;
        EXPECT_TRUE(ctrl->PickAtMouse(picked, 5000.0f));
        EXPECT_EQ(picked, drone);
        EXPECT_FALSE(ctrl->PickAtMouse(picked, 100.0f));  // out of reach
        D3DXVECTOR2 floor;
        EXPECT_TRUE(ctrl->GetMouseFloorPoint(floor, centre.z - hero->GetAbsPos3D().z));
        EXPECT_NEAR(floor.x, centre.x, 0.5f);
        EXPECT_NEAR(floor.y, centre.y, 0.5f);
        ctrl->SetMainCharReference(nullptr);
    }
    g_Gfx = &gfx.gfx;
}

// The server runs its frames without fonts: none is made, so every name finds none; a client's
// graphics object makes its built-in font when text first asks for one.
TEST_F(SampleGameTest, FontsExistOnAClientOnly)
{
    Start();
    DedicatedServer::RunFrames(*ctrl, 2);
    EXPECT_EQ(FindFont("small"), nullptr);
    EXPECT_EQ(gfx.gfx.GetBuiltinFont(), nullptr);
    EXPECT_EQ(gfx.gfx.GetFont(), nullptr);
    g_WindowState = WindowStateFlags();
    {
        DeviceGfx client;
        EXPECT_NE(FindFont("small"), nullptr);
        EXPECT_EQ(FindFont("small"), client.Gfx().GetFont());
    }
    g_Gfx = &gfx.gfx;
}

// The shader table on the sample game: the server starts without one, as it has no device to
// compile effects for, and its scene objects keep the bone limit of 26 through the frame loop.
TEST_F(SampleGameTest, TheServerReadsNoShaderTable)
{
    Start();
    EXPECT_EQ(ctrl->GetShaderCount(), 0);
    DedicatedServer::RunFrames(*ctrl, 2);
    EXPECT_EQ(SceneObject::s_BoneLimit, SceneObject::kDefaultBoneLimit);
}
