// SciFiGameCtrl treasure: items of a treasure type near a target level with and without the
// level curve, an inventory filled from a level's item list, the random skill upgrades of a new
// item, and the treasure drop (gold from the list or the value function, named items, weights,
// chances, refusals and the errors), on seeded generators.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Log.h"
#include "base/Random.h"
#include "game/ctrl/WorldObjectCreateParams.h"
#include "game/objects/ItemAbility.h"
#include "scifi/objects/ItemAbilityType.h"
#include "world/GameRandom.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

const char kItems[] = "#Gold Coins\ndesc = \"Gold Coins\"\nimg = \"i.dds\"\nEquipmentType = \"gold\"\npile = 100000\n"
                      "TreasureProb = 0\n"
                      "#Low\ndesc = \"Low\"\nimg = \"i.dds\"\nEquipmentType = \"weapon\"\nmight = 1\nTreasureProb = 1\n"
                      "#High\ndesc = \"High\"\nimg = \"i.dds\"\nEquipmentType = \"weapon\"\nmight = 5\n"
                      "TreasureProb = 1\n"
                      "#Med\ndesc = \"Med\"\nimg = \"i.dds\"\nEquipmentType = \"potion1\"\nmight = 2\n"
                      "SkillUpgrade1 = 2, 5, 7, 9, 1\nSkillUpgrade2 = 1, 4, 0\nSkillUpgrade4 = 1, 3, 1\n";

// value_default: F(base, might) = (might / 4 + 1) x base + 10 x might.
const char kFunctions[] = "#value_default\ndesc = \"value_default\"\nmightRel = 0, 0, 4, 1\nmightAbs = 0, 0, 4, 40\n";

const char kTreasure[] = "MightProbFunct = 0, 1, 2, 1\n"
                         "#Coins\ndesc = \"Coins\"\nTreasureGold = 7.9, 0\n\"gold\" 1\n"
                         "#Nothing\ndesc = \"Nothing\"\nTreasureGold = 0, 0\n\"gold\" 1\n"
                         "#Grow\ndesc = \"Grow\"\nTreasureGold = 5, 0\nTreasureGoldMight = 3, 0\n\"gold\" 1\n"
                         "#Named\ndesc = \"Named\"\n\"High\" 0\n\"Low\" 1\n"
                         "#Weapons\ndesc = \"Weapons\"\ndefaultMight = 1\n\"weapon\" 1\n";

const char kItemLists[] = "#0\n\"Low\" 1\n\"High\" 1\n#1\n\"Gold Coins\" 1\n#2\n";

class SciFiGameCtrlTreasureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Load(false);
        Random::Seed(77);
        ctrl->GetWorld().GetGameRandom().Seed(77);
    }

    void Load(bool valueFunction)
    {
        dir.Write("cfg/items.cfg", kItems);
        dir.Write("cfg/treasure.cfg", kTreasure);
        dir.Write("levels/items.cfg", kItemLists);
        if (valueFunction)
            dir.Write("cfg/itemFunctions.cfg", kFunctions);
        ctrl = std::make_unique<SciFiGameCtrl>();
        ctrl->LoadGeneralItems();
        ctrl->LoadTreasureLists("cfg\\treasure.cfg");
        ctrl->LoadItemLists("levels\\items.cfg");
        elem.CreateInventory(-1);
    }

    int32_t Units(const char* desc)
    {
        int32_t units = 0;
        for (int32_t i = 0; i < elem.m_Inventory->GetCount(); ++i)
            if (InventoryItem* item = elem.m_Inventory->GetItem(i); item && item->m_Desc == desc)
                units += item->m_Count;
        return units;
    }

    ItemBase* Drop(const char* list, float chance = 1.0f, float might = 0.0f, float goldCentre = -1.0f,
                   float goldSpread = 0.0f)
    {
        return ctrl->DropTreasure(elem, chance, list, might, goldCentre, goldSpread, false, -1, 0, 0.0f);
    }

    TempDir dir;
    ScopedCurrentDir current{(Log::Write("treasure test"), dir.Path())};
    std::unique_ptr<SciFiGameCtrl> ctrl;
    WorldElem elem;
};

std::string DescOf(const ItemBase* item) { return item ? item->m_Desc.c_str() : "none"; }

}  // namespace

TEST_F(SciFiGameCtrlTreasureTest, TreasureItemsNearTheTargetLevel)
{
    const struct {
        bool curve;
        float level;
        const char* item;  // the only item ever drawn
    } cases[] = {
        {false, 1.5f, "Low"},  // 0.5 from the target is still a candidate
        {false, 0.5f, "Low"},
        {false, 4.5f, "High"},
        {false, 3.0f, "none"},
        {true, 1.0f, "Low"},   // High is 4 above: outside the curve's keys 0 .. 2
        {true, -0.5f, "Low"},  // 1.5 above
        {true, 3.0f, "High"},  // 2 above: the last key; Low lies before the first
        {true, 8.0f, "none"},
    };
    for (const auto& c : cases) {
        for (int32_t i = 0; i < 20; ++i) {
            std::unique_ptr<ItemBase> item(ctrl->CreateTreasureItem(0, c.level, c.curve, 0, 0.0f));
            ASSERT_EQ(DescOf(item.get()), c.item) << c.curve << " " << c.level;
        }
    }
    EXPECT_EQ(ErrorOf([&] { ctrl->CreateTreasureItem(101, 1.0f, false, 0, 0.0f); }), "Invalid treasure type 101");
}

// Two distinct upgrades among 5, 7 and 9 of amount 1; the amount 0 line adds none, and the
// missing third key ends the reading before the fourth.
TEST_F(SciFiGameCtrlTreasureTest, SkillUpgradesOfANewItem)
{
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        ctrl->GetWorld().GetGameRandom().Seed(seed);
        std::unique_ptr<ItemBase> item(ctrl->ItemFromName("Med", false));
        ASSERT_NE(item, nullptr);
        ctrl->InitNewItem(item.get(), 0, 0.0f);
        std::set<int32_t> skills;
        for (int32_t i = 0; i < item->GetAbilityCount(); ++i) {
            const ItemAbility& ability = *item->GetAbility(i);
            ASSERT_EQ(ability.type, ItemAbilityType::kSkillUpgrade);
            EXPECT_FLOAT_EQ(ability.value, 1.0f);
            skills.insert(ability.subtype);
        }
        EXPECT_EQ(item->GetAbilityCount(), 2) << seed;
        EXPECT_EQ(skills.size(), 2u) << seed;
        for (int32_t skill : skills)
            EXPECT_TRUE(skill == 5 || skill == 7 || skill == 9) << skill;
    }
}

TEST_F(SciFiGameCtrlTreasureTest, FillFromTheLevelsItemLists)
{
    ctrl->FillFromItemList(elem, 0, -3.0f, 0.0f, 0.0f, 0.0f);  // at most the two entries, each once
    EXPECT_EQ(Units("Low"), 1);
    EXPECT_EQ(Units("High"), 1);
    elem.CreateInventory(-1);
    ctrl->FillFromItemList(elem, 0, 3.0f, 0.0f, 0.0f, 0.0f);  // drawn with replacement
    EXPECT_EQ(Units("Low") + Units("High"), 3);
    elem.CreateInventory(-1);
    ctrl->FillFromItemList(elem, 1, 1.0f, 0.0f, 7.9f, 0.0f);
    EXPECT_EQ(Units("Gold Coins"), 7);
    ctrl->FillFromItemList(elem, 2, 5.0f, 0.0f, 0.0f, 0.0f);   // an empty list
    ctrl->FillFromItemList(elem, 0, 0.4f, 0.0f, 0.0f, 0.0f);   // rounds to no item
    EXPECT_EQ(elem.m_Inventory->GetCount(), 1);
    LogCapture log;
    ctrl->FillFromItemList(elem, 3, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(log.Count("Invalid itemlist: 3"), 1);
    EXPECT_EQ(elem.m_Inventory->GetCount(), 1);
}

TEST_F(SciFiGameCtrlTreasureTest, DropsGoldAndNamedItems)
{
    EXPECT_EQ(Drop("Coins"), nullptr);  // gold: 7.9 coins are 7
    EXPECT_EQ(Units("Gold Coins"), 7);
    EXPECT_EQ(Drop("Coins", 1.0f, 0.0f, 3.5f, 0.0f), nullptr);  // the caller's gold
    EXPECT_EQ(Units("Gold Coins"), 10);
    EXPECT_EQ(Drop("Nothing"), nullptr);
    EXPECT_EQ(Units("Gold Coins"), 10);
    EXPECT_EQ(Drop("Coins", 0.0f), nullptr);  // chance 0 drops only on a draw of exactly 0
    EXPECT_EQ(Units("Gold Coins"), 10);
    for (int32_t i = 0; i < 20; ++i)
        EXPECT_EQ(DescOf(Drop("Named")), "Low");  // a weight of 0 is never picked
    EXPECT_EQ(Units("High"), 0);
    ItemBase* weapon = Drop("Weapons");  // might = the default 1: the weapon of level 1
    EXPECT_EQ(DescOf(weapon), "Low");
    EXPECT_EQ(ErrorOf([&] { Drop("Nope"); }), "Treasure list entry 'Nope' not found");
}

TEST_F(SciFiGameCtrlTreasureTest, ARefusedItemIsDestroyed)
{
    elem.CreateInventory(1);
    EXPECT_EQ(DescOf(Drop("Named")), "Low");
    EXPECT_EQ(Drop("Named"), nullptr);  // a second entry does not fit
    EXPECT_EQ(elem.m_Inventory->GetCount(), 1);
}

// With the value function F(base, might) = (A(might) + 1) x base + B(might) the list's gold
// centre is its base plus F(centre per might, might).
TEST_F(SciFiGameCtrlTreasureTest, GoldGrowsByTheValueFunction)
{
    Load(true);
    ASSERT_NE(ctrl->GetDefaultValueFunction(), nullptr);
    const float might = 2.0f;
    const float a = might / 4.0f;
    const float b = 10.0f * might;
    const float centre = 5.0f + ((a + 1.0f) * 3.0f + b);  // 29.5
    EXPECT_EQ(Drop("Grow", 1.0f, might), nullptr);
    EXPECT_EQ(Units("Gold Coins"), int32_t(centre));
}

// A world object's single treasures: the plain key, then "Treasure1" on without a gap, so a
// "Treasure2" after a missing "Treasure1" is never read.
TEST_F(SciFiGameCtrlTreasureTest, SingleTreasuresOfAWorldObjectEndAtTheFirstGap)
{
    const std::string objects = "#Gap\ndesc = \"Gap\"\nTreasure = 1, \"Named\", 0\nTreasure2 = 1, \"Coins\", 0\n"
                                "#Row\ndesc = \"Row\"\nTreasure = 1, \"Named\", 0\nTreasure1 = 1, \"Coins\", 0\n";
    ASSERT_EQ(ctrl->GetWorldObjectReader().OpenMemory(objects.data(), int32_t(objects.size())), 0);
    const struct {
        int32_t entry;
        int32_t coins;
    } cases[] = {{0, 0}, {1, 7}};
    for (const auto& c : cases) {
        elem.CreateInventory(-1);
        ctrl->LoadWorldObjects(elem, c.entry, WorldObjectCreateParams());
        EXPECT_EQ(Units("Low"), 1) << c.entry;
        EXPECT_EQ(Units("Gold Coins"), c.coins) << c.entry;
    }
}
