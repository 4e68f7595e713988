// SciFiGameCtrl's hooks in the running game on a copy of the sample game: the start-up between
// its loading reports, the level change and the mission log, the difficulty the hero keeps, the
// character taken over, a refused pick-up, action damage estimates, the disconnection script, and
// the frame loop's hits on the hero.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "game/objects/ItemBase.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/ActionEntry.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class HookCtrl : public SciFiGameCtrl {
public:
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override
    {
        progress.push_back(percent);
        SciFiGameCtrl::ShowLoadingProgress(percent, stage, alpha, flag);
    }
    void SaveCharacterForMultiplayer(bool convert) override
    {
        (void)convert;
        characterSaves++;
    }
    // What the hero's hit would cost it, taken just before the hit is applied.
    void OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                       const D3DXVECTOR2& source, int32_t tag) override
    {
        SciFiGameCtrl::OnCreatureHit(creature, damage, attacker, source, tag);
        if (&creature != GetMainChar())
            return;
        DamageValuesHolder copy(nullptr);
        copy.Set(damage.Clone());
        const D3DXVECTOR2 pos = creature.GetPos();
        // A hero takes the difficulty's share of what the hit damage gives.
        expectedLoss += creature.ComputeHitDamage(*copy.Get(), attacker, source.x - pos.x, source.y - pos.y) *
                        GetMonsterDamageFactor();
        heroHits++;
    }

    std::vector<float> progress;
    int32_t characterSaves = 0;
    float expectedLoss = 0.0f;
    int32_t heroHits = 0;
};

class SciFiGameCtrlHooksGameTest : public SampleServerGame<HookCtrl> {};

}  // namespace

TEST_F(SciFiGameCtrlHooksGameTest, StartUpAndLevelChange)
{
    Start();
    ASSERT_GE(ctrl->progress.size(), 2u);
    EXPECT_EQ(ctrl->progress.front(), 5.0f);
    EXPECT_NE(std::find(ctrl->progress.begin() + 1, ctrl->progress.end(), 100.0f), ctrl->progress.end());
    EXPECT_FALSE(ctrl->GetControls().GetFileName().IsEmpty());  // the bindings were read

    // The final flag keeps the mission log; either way the character is saved first.
    const String level = ctrl->GetLevelDescFile();
    for (int32_t keep : {1, 0}) {
        ctrl->GetMissionLog().AddEntry(1, "q_first");
        const int32_t saves = ctrl->characterSaves;
        LevelChangeOptions options;
        options.keepRunningState = keep;
        ASSERT_EQ(ErrorOf([&] { ctrl->ChangeLevel(level.c_str(), ctrl->GetSavegamePath(-1), options); }), "no error");
        EXPECT_EQ(ctrl->GetMissionLog().GetEntryCount() > 0, keep == 1) << keep;
        EXPECT_EQ(ctrl->characterSaves, saves + 1) << keep;
    }
    ASSERT_NE(ctrl->GetMainChar(), nullptr);
    EXPECT_TRUE(ctrl->IsGameActive());
}

TEST_F(SciFiGameCtrlHooksGameTest, DifficultyCharacterAndPickUp)
{
    // A plain item and a potion that can lie in the world.
    dir.Write("cfg/items.cfg", dir.Read("cfg/items.cfg") +
                                   "\n#Scrap\ndesc = \"Scrap\"\nimg = \"items\\scrap.dds\"\nobjID = \"MedkitItem\"\n"
                                   "TreasureProb = 0\n"
                                   "#Stim\ndesc = \"Stim\"\nimg = \"items\\medkit.dds\"\nobjID = \"MedkitItem\"\n"
                                   "health = 20, 1\nuses = 1\nTreasureProb = 0\n");
    Start();
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    ctrl->SetDifficulty(3, 1, 1);
    ctrl->SetDifficulty(1, 1, 1);
    EXPECT_EQ(hero->m_HighestDifficulty, 3);
    EXPECT_EQ(ctrl->GetDifficulty(), 1);

    // The character taken over: its grid's corner from column and row 5 holds nothing.
    hero->CreateInventory(4);
    ctrl->SetMainCharacter(hero);
    ASSERT_NE(hero->m_Inventory, nullptr);
    Inventory::CellFilter filter = hero->m_Inventory->GetCellFilter();
    ASSERT_NE(filter, nullptr);
    EXPECT_TRUE(filter(5, 5));
    EXPECT_FALSE(filter(4, 5));
    EXPECT_FALSE(filter(5, 4));
    EXPECT_EQ(ctrl->GetCharacterWindow().GetCharacter(), hero);

    // A full inventory refuses an item with a message, a potion without one.
    const auto lay = [&](const char* desc) {
        ItemBase* item = ctrl->ItemFromName(desc, false);
        EXPECT_NE(item, nullptr);
        hero->CreateInventory(4);
        EXPECT_GE(hero->m_Inventory->AddItem(item), 0);
        return ctrl->GetWorld().GetObjNoCheck(ctrl->DropItem(item, 0.0f, hero), false);
    };
    WorldElem* scrap = lay("Scrap");
    WorldElem* potion = lay("Stim");
    ASSERT_NE(scrap, nullptr);
    ASSERT_NE(potion, nullptr);
    hero->CreateInventory(0);  // room for nothing
    EXPECT_FALSE(ctrl->PickUpItem(potion, hero));
    EXPECT_FALSE(MessageShown(u"DB:inventory_full"));
    EXPECT_FALSE(ctrl->PickUpItem(scrap, hero));
    EXPECT_TRUE(MessageShown(u"DB:inventory_full"));
}

// The engine asks the game whether it may save now and whether an element can be used.
TEST_F(SciFiGameCtrlHooksGameTest, SaveAndUseQueriesTakeTheGamesAnswers)
{
    Start();
    GameCtrl& engine = *ctrl;
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    EXPECT_TRUE(engine.CanSaveNow());
    engine.SetViewMode(1, nullptr);
    EXPECT_FALSE(engine.CanSaveNow());  // only in normal play
    engine.SetViewMode(0, nullptr);
    hero->m_Dead = 1;
    EXPECT_FALSE(engine.CanSaveNow());
    hero->m_Dead = 0;

    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    const struct {
        int16_t uses;
        bool usable;
    } cases[] = {{-1, false}, {0, false}, {1, true}, {5, true}};
    for (const auto& c : cases) {
        drone->m_UsesLeft = c.uses;
        EXPECT_EQ(drone->IsUsable(), c.usable) << c.uses;
    }
    // An item lying in the world stands for its item.
    ItemBase* item = ctrl->ItemFromName("Medkit", false);
    ASSERT_NE(item, nullptr);
    hero->CreateInventory(4);
    ASSERT_GE(hero->m_Inventory->AddItem(item), 0);
    WorldElem* lying = ctrl->GetWorld().GetObjNoCheck(ctrl->DropItem(item, 0.0f, hero), false);
    ASSERT_NE(lying, nullptr);
    lying->m_UsesLeft = -1;
    EXPECT_TRUE(ctrl->IsElementBusy(lying));
    EXPECT_FALSE(ctrl->IsElementBusy(nullptr));
}

// The names of a creature's items fill the object texts, its inventory first, then what it wears.
TEST_F(SciFiGameCtrlHooksGameTest, CollectItemNamesListsTheInventoryThenTheEquipment)
{
    Start();
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    hero->CreateInventory(4);
    for (int32_t slot = 0; slot < 3; ++slot)
        hero->GetEquipmentInventory(slot)->Clear(true);
    // The body armour is worn before the helmet is, and the weapon slot stays empty.
    for (const char* desc : {"Medkit", "Body Armour", "Mana Vial", "Combat Helmet"}) {
        ItemBase* item = ctrl->ItemFromName(desc, false);
        ASSERT_NE(item, nullptr) << desc;
        item->m_ItemName = desc;
        const int16_t type = item->m_EquipmentType;
        Inventory* into = type == 1 || type == 2 ? hero->GetEquipmentInventory(type) : hero->m_Inventory;
        ASSERT_GE(into->AddItem(item), 0) << desc;
    }
    const std::vector<String> names = {"Medkit", "Mana Vial", "Combat Helmet", "Body Armour"};
    *ctrl->GetObjScriptText(4) = "older";
    ASSERT_EQ(ctrl->CollectItemNames(hero), 4);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(*ctrl->GetObjScriptText(i), names[size_t(i)]) << i;
    EXPECT_EQ(*ctrl->GetObjScriptText(4), "older");
    EXPECT_EQ(ctrl->CollectItemNames(nullptr), 0);
}

// The sample's volley fires four shots of 6 physical damage each.
TEST_F(SciFiGameCtrlHooksGameTest, ActionDamageEstimates)
{
    Start();
    CreatureObj* hero = ctrl->GetMainChar();
    ActionEntry* volley = ctrl->GetWorld().FindActionEntry("Volley", true);
    ASSERT_NE(volley, nullptr);
    ASSERT_EQ(volley->shots.GetSize(), 4);
    EXPECT_FLOAT_EQ(ctrl->EstimateActionDamage(hero, volley, nullptr), 6.0f);
    volley->damageDisplayType = 2;
    EXPECT_FLOAT_EQ(ctrl->EstimateActionDamage(hero, volley, nullptr), 24.0f);
    EXPECT_EQ(ctrl->EstimateActionDamage(nullptr, volley, nullptr), 0.0f);
    ActionEntry* melee = ctrl->GetWorld().FindActionEntry("Melee", true);
    ASSERT_NE(melee, nullptr);
    EXPECT_GT(ctrl->EstimateActionDamage(hero, melee, nullptr), 0.0f);
}

TEST_F(SciFiGameCtrlHooksGameTest, ALostConnectionRunsTheDisconnectScript)
{
    Start();
    const int32_t before = *ctrl->GetScriptTempInt(3);
    ctrl->OnConnectionLost();
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 2); }), "no error");
    EXPECT_EQ(*ctrl->GetScriptTempInt(3), before + 1);
}

// Ten seconds of the driver's loop: the drone's strikes reach the hero through its hit, and the
// health it loses is what the hit damage gives for each strike.
TEST_F(SciFiGameCtrlHooksGameTest, TheDronesHitsCostTheHeroWhatTheHitDamageGives)
{
    Start();
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(drone, nullptr);
    drone->m_BaseValues.damPhys[0] = 6.0f;
    drone->UpdateValues(false);
    hero->m_BaseValues.maxHealth = 1000.0f;
    hero->m_BaseValues.maxShield = 0.0f;
    hero->m_BaseValues.healthRegenRel = hero->m_BaseValues.healthRegenAbs = 0.0f;
    hero->UpdateValues(false);
    hero->SetHealth(1000.0f);
    const float health = hero->GetHealth();

    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 300, 1.0f / 30.0f); }), "no error");
    EXPECT_GT(ctrl->heroHits, 0);
    EXPECT_GT(ctrl->expectedLoss, 0.0f);
    EXPECT_NEAR(health - hero->GetHealth(), ctrl->expectedLoss, 1e-2f);
}
