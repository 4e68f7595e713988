// CreatureObj_SF in the running game on a copy of the sample game: every creature and item is the
// game's own; a level with a creature, an opened chest and an event object is saved to its ".ld"
// and entered again; a dying monster drops its items around itself; shots carry the game's damage
// values of their hit.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/objects/Item_SF.h"
#include "world/ActionEntry.h"
#include "world/ActionShot.h"
#include "world/DamageValues.h"
#include "world/WorldCtrl.h"

#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// The game's controller counting the hits that reach the hero, with friendly fire to set.
class HitCountingCtrl : public SciFiGameCtrl {
public:
    void OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                       const D3DXVECTOR2& source, int32_t tag) override
    {
        SciFiGameCtrl::OnCreatureHit(creature, damage, attacker, source, tag);
        if (creature.IsPlayerCharacter())
            heroHits++;
    }
    void SetFriendlyFire(float factor) { m_Settings.friendlyFire = factor; }

    int32_t heroHits = 0;
};

class CreatureObj_SFGameTest : public SampleServerGame<HitCountingCtrl> {
protected:
    // The copy's item table knows a weapon and a further item, which inventories keep.
    void SetUp() override
    {
        dir.Write("cfg/items.cfg", dir.Read("cfg/items.cfg") +
                                       "\n#Rifle\ndesc = \"Rifle\"\nimg = \"items\\rifle.dds\"\nEquipmentType = "
                                       "\"weapon\"\nobjID = \"MedkitItem\"\nTreasureProb = 0\n#Scrap\ndesc = \"Scrap\"\n"
                                       "img = \"items\\scrap.dds\"\nobjID = \"MedkitItem\"\nTreasureProb = 0\n");
        Start();
    }

    template <class T> T* Create(const char* type, float x, float y, const char* worldID)
    {
        auto* elem = dynamic_cast<T*>(ctrl->CreateWorldObject(type, x, y, 0.0f, 0.0f));
        if (elem)
            elem->m_WorldID = worldID;
        return elem;
    }

    template <class T> T* Find(const char* worldID)
    {
        return dynamic_cast<T*>(ctrl->GetWorld().FindObjectByWorldID(worldID, nullptr));
    }

    // An item of the copy's table (its picture and its world object with it).
    Item_SF* NewItem(const char* desc, int32_t subType = 0)
    {
        auto* item = dynamic_cast<Item_SF*>(ctrl->ItemFromName(desc, false));
        if (item)
            item->m_SubType = subType;
        return item;
    }

    // Item elements lying within the distance of the point that stand for an item of that desc.
    int32_t ItemsLyingNear(const D3DXVECTOR2& at, float distance, const char* desc)
    {
        int32_t found = 0;
        DynaPtrList<WorldElem*, 16384, 1>& table = ctrl->GetWorld().GetElementTable();
        for (int32_t position = 0; position < table.GetSize(); position++) {
            WorldElem* elem = table.GetAt(position);
            if (!elem || !elem->m_LinkedItem || !(elem->m_LinkedItem->m_Desc == desc))
                continue;
            const D3DXVECTOR2 pos = elem->GetPos();
            found += std::hypot(pos.x - at.x, pos.y - at.y) <= distance ? 1 : 0;
        }
        return found;
    }
};

}  // namespace

TEST_F(CreatureObj_SFGameTest, SavedLevelBringsBackCreatureChestAndEventObject)
{
    ASSERT_NE(dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar()), nullptr);
    auto* drone = Create<CreatureObj_SF>("Drone", 300.0f, 300.0f, "armedDrone");
    ASSERT_NE(drone, nullptr);
    drone->m_Stats.canEquip = 1;
    drone->m_BaseValues.maxHealth = 60.0f;
    drone->UpdateValues(false);
    drone->SetHealth(37.0f);
    ASSERT_NE(drone->PutIntoInventory(NewItem("Rifle", 1), 1), nullptr);
    EXPECT_EQ(drone->GetWeaponClass(), 1);
    auto* chest = Create<ItemObj>("Crate", 200.0f, 100.0f, "chest1");
    ASSERT_NE(chest, nullptr);
    ASSERT_NE(chest->m_Inventory, nullptr);
    chest->SetOpenState(1, true);
    ASSERT_GE(chest->m_Inventory->AddItem(NewItem("Scrap")), 0);
    const int32_t chestItems = chest->m_Inventory->GetCount();
    auto* area = Create<EventObj>("HealingArea", 100.0f, 300.0f, "heal2");
    ASSERT_NE(area, nullptr);
    area->m_ActivationsLeft = 4;
    DedicatedServer::RunFrames(*ctrl, 2);

    std::filesystem::create_directories(dir.Path() / "save" / "current");
    ASSERT_TRUE(ctrl->SaveLevel(-1));
    ASSERT_EQ(ErrorOf([&] {
                  ctrl->ChangeLevel("levels\\sample\\sample.cfg", ctrl->GetSavegamePath(-1), LevelChangeOptions());
              }),
              "no error");
    DedicatedServer::RunFrames(*ctrl, 2);

    drone = Find<CreatureObj_SF>("armedDrone");
    ASSERT_NE(drone, nullptr);
    EXPECT_FLOAT_EQ(drone->GetHealth(), 37.0f);
    EXPECT_FLOAT_EQ(drone->GetMaxHealth(), 60.0f);
    ASSERT_EQ(drone->GetEquipmentInventory(0)->GetCount(), 1);
    EXPECT_EQ(drone->GetEquipmentInventory(0)->GetItem(0)->m_Desc, String("Rifle"));
    EXPECT_NE(dynamic_cast<Item_SF*>(drone->GetEquipmentInventory(0)->GetItem(0)), nullptr);
    EXPECT_EQ(drone->GetWeaponClass(), 1);
    chest = Find<ItemObj>("chest1");
    ASSERT_NE(chest, nullptr);
    EXPECT_EQ(chest->GetOpenState(), 1);
    ASSERT_NE(chest->m_Inventory, nullptr);
    EXPECT_EQ(chest->m_Inventory->GetCount(), chestItems);
    EXPECT_GE(chest->m_Inventory->FindItemByName("Scrap"), 0);
    area = Find<EventObj>("heal2");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->m_ActivationsLeft, 4);
}

TEST_F(CreatureObj_SFGameTest, DyingMonsterDropsItsItemsAroundItself)
{
    auto* drone = Create<CreatureObj_SF>("Drone", 400.0f, 400.0f, "lootDrone");
    ASSERT_NE(drone, nullptr);
    drone->m_Stats.canEquip = 1;
    if (!drone->m_Inventory)
        drone->CreateInventory(-1);
    ASSERT_NE(drone->PutIntoInventory(NewItem("Rifle", 1), 1), nullptr);
    ASSERT_NE(drone->PutIntoInventory(NewItem("Scrap"), 0), nullptr);
    const D3DXVECTOR2 at = drone->GetPos();
    // Around the drone: the drop radius, the body and the dropped elements' own room.
    const float reach = 4.0f * (CreatureObj_SF::kDropRadius + drone->GetBodyRadius());
    drone->Kill(nullptr, -2);
    DedicatedServer::RunFrames(*ctrl, 3);
    EXPECT_EQ(ItemsLyingNear(at, reach, "Rifle"), 1);
    EXPECT_EQ(ItemsLyingNear(at, reach, "Scrap"), 1);
    if (auto* dead = Find<CreatureObj_SF>("lootDrone")) {
        EXPECT_EQ(dead->GetEquipmentInventory(0)->GetCount(), 0);
    }
}

// The frame loop pays out a stored health refill, regenerates dodge energy and, once the wait
// after the last action is over, the shield, and deals poison.
TEST_F(CreatureObj_SFGameTest, FrameLoopRegeneratesResources)
{
    auto* drone = Create<CreatureObj_SF>("Drone", 350.0f, 350.0f, "tiredDrone");
    ASSERT_NE(drone, nullptr);
    drone->m_BaseValues.maxHealth = 60.0f;
    drone->m_BaseValues.maxShield = 5.0f;
    drone->UpdateValues(false);
    drone->SetHealth(20.0f);
    drone->RefillHealth(30.0f, 0.05f, false);
    drone->m_DodgeEnergy = 0.0f;
    drone->m_ShieldEnergy = 0.0f;
    drone->m_TimeSinceAction = 100.0f;
    DedicatedServer::RunFrames(*ctrl, 10, 0.1f);
    EXPECT_FLOAT_EQ(drone->GetHealth(), 50.0f);
    EXPECT_FLOAT_EQ(drone->m_HealthRefillLeft, 0.0f);
    EXPECT_NEAR(drone->m_DodgeEnergy, 0.5f, 1e-4f);
    EXPECT_NEAR(drone->m_ShieldEnergy, 1.0f, 1e-4f);

    drone->m_PoisonDamage = 10.0f;
    drone->m_PoisonTime = 1.0f;
    DedicatedServer::RunFrames(*ctrl, 12, 0.1f);
    ASSERT_GT(drone->GetParty(), 0);  // the sample's drones are a party of their own
    EXPECT_NEAR(drone->GetHealth(), 50.0f - 10.0f * ctrl->GetMonsterDamageFactor(), 1e-3f);
}

// A hit through the engine's damage path reaches the game's hit once; one between players with
// friendly fire 0 never does.
TEST_F(CreatureObj_SFGameTest, HitsReachTheHeroOnceAndFriendsNever)
{
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    auto* drone = Create<CreatureObj_SF>("Drone", 900.0f, 900.0f, "farDrone");
    ASSERT_NE(drone, nullptr);
    DamageValuesHolder damage;
    ASSERT_TRUE(damage);
    damage->SetValue(5.0f);
    const float health = hero->GetHealth();
    const D3DXVECTOR2 from = drone->GetPos();
    hero->OnDamage(damage.Get(), drone, -2, nullptr, nullptr, 0, &from);
    EXPECT_EQ(ctrl->heroHits, 1);
    EXPECT_LT(hero->GetHealth(), health);

    ctrl->SetFriendlyFire(0.0f);
    drone->m_Party = hero->GetParty();
    drone->m_Strategy.strategy = nullptr;  // whose enemy parties would still name the hero's
    hero->OnDamage(damage.Get(), drone, -2, nullptr, nullptr, 0, &from);
    EXPECT_EQ(ctrl->heroHits, 1);
}

// The driver's frame loop: the sample's drone walks up to the hero and strikes; every strike goes
// through the game's hit chain: the hero's shield pays first and the players read the damage in
// their log.
TEST_F(CreatureObj_SFGameTest, MonsterStrikesReachTheHeroThroughTheHitChain)
{
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);
    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    drone->m_BaseValues.damPhys[0] = 6.0f;
    drone->UpdateValues(false);
    hero->m_BaseValues.maxShield = 4.0f;
    hero->UpdateValues(false);
    hero->FillShield();
    const float health = hero->GetHealth();
    const int32_t logLines = ctrl->GetWorld().GetLogMessages().GetSize();

    DedicatedServer::RunFrames(*ctrl, 300);
    EXPECT_GT(ctrl->heroHits, 0) << "no strike reached the hero";
    EXPECT_LT(hero->GetHealth(), health);
    EXPECT_LT(hero->m_ShieldEnergy, 4.0f);
    EXPECT_GT(ctrl->GetWorld().GetLogMessages().GetSize(), logLines);
}

// Every copy of the sample's repeated shot holds its own set of the hit's values.
TEST_F(CreatureObj_SFGameTest, ShotsCarryTheGamesHitDamage)
{
    ActionEntry* volley = ctrl->GetWorld().FindActionEntry("Volley", true);
    ASSERT_NE(volley, nullptr);
    ASSERT_GT(volley->shots.GetSize(), 1);
    for (int32_t i = 0; i < volley->shots.GetSize(); ++i) {
        auto* damage = dynamic_cast<DamageValues_SF*>(volley->shots.GetAt(i)->hitEffects.damage.Get());
        ASSERT_NE(damage, nullptr) << i;
        EXPECT_FLOAT_EQ(damage->GetPhysical(0), 6.0f) << i;
        EXPECT_FLOAT_EQ(damage->inflame[1], 2.0f) << i;
        if (i > 0)
            EXPECT_NE(damage, volley->shots.GetAt(0)->hitEffects.damage.Get());
    }
}
