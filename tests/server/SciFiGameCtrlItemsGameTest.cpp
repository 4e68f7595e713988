// The game's items in the running server: the sample game's item functions and items load
// without a warning, every item priced by the formula holds the value worked out apart, the
// treasure item lists and the treasure lists' entry kinds come from the game's equipment types.
#include "server/DedicatedServer.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/ItemAbilityType.h"
#include "scifi/objects/Item_SF.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class SciFiGameCtrlItemsGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    const ItemBase& Item(const char* name)
    {
        const ItemBase* item = ctrl->FindItem(name, false);
        EXPECT_NE(item, nullptr) << name;
        static const Item_SF none;
        return item ? *item : none;
    }
    std::vector<std::string> Names(int32_t list)
    {
        std::vector<std::string> names;
        ItemList& items = *ctrl->GetTreasureItemList(list);
        for (int32_t i = 0; i < items.entries.GetSize(); ++i)
            names.emplace_back(items.entries.GetAt(i)->name.c_str());
        return names;
    }
};

}  // namespace

TEST_F(SciFiGameCtrlItemsGameTest, SampleItemsLoadPricedAndListed)
{
    ASSERT_TRUE(AddAfterLine(dir, "cfg/treasure.cfg", "\"Medkit\" 1", "\"weapon_socket\" 0.5"));
    LogCapture log;
    Start();
    DedicatedServer::RunFrames(*ctrl, 5);
    EXPECT_EQ(log.Count("General Items loaded"), 1);
    EXPECT_EQ(log.Count("Warning"), 0);

    // The formula with the sample's parameters: base 5, hit points 30, armour 40, shield
    // maximum 10, shield recovery 150; potions, cells and keys carry no priced ability.
    const struct {
        const char* name;
        float value;
    } values[] = {
        {"Combat Helmet", 5.0f + 3.0f * 40.0f + 5.0f * 30.0f},
        {"Body Armour", 5.0f + 8.0f * 40.0f + 20.0f * 10.0f + 2.0f * 150.0f},
        {"Power Cell", 5.0f},
        {"Medkit", 5.0f},
        {"Mana Vial", 5.0f},
        {"Access Card", 5.0f},
        {"Pulse Rifle", 250.0f},  // its own value
    };
    for (const auto& v : values)
        EXPECT_EQ(Item(v.name).m_Value.GetRawValue(), v.value) << v.name;

    // The rifle's second mark derives its damage and value from the first at a might of 5 - 3.
    const ItemMightTransformFunction* byMight = ctrl->FindItemFunction("weaponByMight");
    ASSERT_NE(byMight, nullptr);
    const float scale = float(byMight->mightRel.Evaluate(2.0)) + 1.0f;
    EXPECT_NEAR(scale, 1.25f, 1e-4f);
    EXPECT_EQ(Item("Pulse Rifle Mk2").m_Value.GetRawValue(), std::round(250.0f * scale));
    EXPECT_FLOAT_EQ(Item("Pulse Rifle Mk2").GetAbilityValue(ItemAbilityType::kDamPhys, 0), 12.0f * scale);
    EXPECT_NE(ctrl->GetDefaultValueFunction(), nullptr);

    const auto& rifle = dynamic_cast<const Item_SF&>(Item("Pulse Rifle"));
    EXPECT_FLOAT_EQ(rifle.GetAbilityValue(ItemAbilityType::kDamPhys, 0), 12.0f);
    EXPECT_FLOAT_EQ(rifle.GetAbilityValue(ItemAbilityType::kDamPhys, 1), 4.0f);
    EXPECT_FLOAT_EQ(rifle.GetAbilityValue(ItemAbilityType::kDamPhysBonus, 0), 1.1f);
    EXPECT_EQ(rifle.GetSocketCount(), 2);
    EXPECT_EQ(rifle.m_Tier, 1);
    EXPECT_EQ(rifle.m_DimY, 3);
    ASSERT_EQ(const_cast<Item_SF&>(rifle).GetStrategies().GetSize(), 1);
    EXPECT_EQ(const_cast<Item_SF&>(rifle).GetStrategies().GetAt(0),
              ctrl->GetWorld().FindStrategyEntry("Fighter", false));

    EXPECT_EQ(Names(0), (std::vector<std::string>{"Medkit", "Mana Vial", "Pulse Rifle", "Pulse Rifle Mk2",
                                                  "Combat Helmet", "Body Armour", "Power Cell"}));
    EXPECT_EQ(Names(1), (std::vector<std::string>{"Pulse Rifle", "Pulse Rifle Mk2"}));
    EXPECT_EQ(Names(2), (std::vector<std::string>{"Combat Helmet"}));
    EXPECT_EQ(Names(3), (std::vector<std::string>{"Body Armour"}));
    EXPECT_EQ(Names(4), (std::vector<std::string>{"Medkit"}));
    EXPECT_EQ(Names(5), (std::vector<std::string>{"Mana Vial"}));
    EXPECT_EQ(Names(6), (std::vector<std::string>{"Power Cell"}));

    // The treasure lists read their entry kinds from the game's equipment types.
    TreasureList* soldier = ctrl->GetTreasureLists().Find("Soldier");
    ASSERT_NE(soldier, nullptr);
    std::vector<std::pair<std::string, int32_t>> kinds;
    for (int32_t i = 0; i < soldier->entries.GetSize(); ++i)
        kinds.emplace_back(soldier->entries.GetAt(i)->name.c_str(), soldier->entries.GetAt(i)->type);
    EXPECT_EQ(kinds, (std::vector<std::pair<std::string, int32_t>>{{"Medkit", -1}, {"weapon_socket", 200}}));
}
