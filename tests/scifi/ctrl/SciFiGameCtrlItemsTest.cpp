// SciFiGameCtrl: the game's item keys of an item entry, the treasure item lists by equipment type,
// the item functions file with its reload rule, and the might transform of a value.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Log.h"
#include "scifi/objects/ItemAbilityType.h"
#include "scifi/objects/Item_SF.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A game directory, current while it lives, with the two item files.
class ItemsDir {
public:
    ItemsDir(const std::string& items, const std::string& functions = std::string())
        : m_Current((Log::Write("item keys test"), m_Dir.Path()))  // the log stays where the test started
    {
        m_Dir.Write("cfg/items.cfg", items);
        if (!functions.empty())
            m_Dir.Write("cfg/itemFunctions.cfg", functions);
    }
    const TempDir& Dir() const { return m_Dir; }

private:
    TempDir m_Dir;
    ScopedCurrentDir m_Current;
};

struct Ability {
    int32_t type;
    int32_t subtype;
    float value;
    bool operator==(const Ability& other) const
    {
        return type == other.type && subtype == other.subtype && std::fabs(value - other.value) < 1e-4f;
    }
};

std::vector<Ability> AbilitiesOf(const ItemBase& item)
{
    std::vector<Ability> abilities;
    for (int32_t i = 0; i < item.GetAbilityCount(); ++i)
        abilities.push_back({item.GetAbility(i)->type, item.GetAbility(i)->subtype, item.GetAbility(i)->value});
    return abilities;
}

std::string Entry(const std::string& desc, const std::string& keys)
{
    return "#" + desc + "\ndesc = \"" + desc + "\"\nimg = \"i.dds\"\n" + keys;
}

// f(x) = x / 4 as relative and 10 x as absolute: f(v, x) = 10 x + (x / 4 + 1) v.
const char* const kFunctions = "#f\ndesc = \"f\"\nmightRel = 0, 0, 4, 1\nmightAbs = 0, 0, 4, 40\n";

}  // namespace

TEST(SciFiGameCtrlItemsTest, ItemKeysOfSmallEntries)
{
    namespace T = ItemAbilityType;
    const std::string base = Entry("Base", "damPoison1 = 8\nmight = 1\nvalue = 40\n");
    const struct {
        const char* keys;
        std::vector<Ability> abilities;
    } cases[] = {
        {"damPhys1Bonus = 20\n", {{T::kDamPhysBonus, 0, 1.2f}}},
        {"damPhys2WeaponBonus = -50\n", {{T::kDamPhysWeaponBonus, 1, 0.5f}}},
        {"damPhys1 = 3\ndamPhys2 = 0\ndefPhys = 2\ndefPhys2 = 1\n",
         {{T::kDamPhys, 0, 3.0f}, {T::kDefPhys, -1, 2.0f}, {T::kDefPhys, 1, 1.0f}}},
        {"sockets = 5\n", {{T::kSockets, 3, 0.0f}}},
        {"sockets = -1\n", {{T::kSockets, 0, 0.0f}}},
        {"sockets = 0\nAlwaysRechargeShield = 1\n", {{T::kAlwaysRechargeShield, 0, 1.0f}}},
        {"defPoison1 = 4\nShieldRecoverRel = 0.5\nmanaLeech = 0.1\n",
         {{T::kDefPoison, 0, 4.0f}, {T::kManaLeech, 0, 0.1f}, {T::kShieldRecoverRel, 0, 0.5f}}},
        // The poison damage from the base item through its function: x = 5 - 1.
        {"BaseItem = \"Base\"\nmight = 5\ndamPoison1Func = \"f\"\n", {{T::kDamPoison, 0, 40.0f + 2.0f * 8.0f}}},
        {"BaseItem = \"Base\"\ndamPoison1 = 0\ndamPoison1Func = \"f\"\n", {}},  // 0 given: no function
        {"damPoison1Func = \"f\"\n", {}},                                        // no base item
        {"BaseItem = \"Base\"\ndefPoison1Func = \"f\"\n", {}},  // only three keys are derived
    };
    for (const auto& c : cases) {
        ItemsDir dir(base + Entry("Item", c.keys), kFunctions);
        SciFiGameCtrl ctrl;
        ctrl.LoadGeneralItems();
        ASSERT_EQ(ctrl.GetItemTable().size(), 2u) << c.keys;
        EXPECT_EQ(AbilitiesOf(*ctrl.FindItem("Item", false)), c.abilities) << c.keys;
    }
}

TEST(SciFiGameCtrlItemsTest, TierStrategiesDimensionsAndMoneyValue)
{
    ItemsDir dir(Entry("Base", "value = 40\nmight = 1\n") +
                     Entry("Sword", "Tier = 2\ndimX = 0\ndimY = 2\nvalue = 99.6\nvalueTransform = 2, 1\n") +
                     Entry("Derived", "BaseItem = \"Base\"\nmight = 3\nvalueFunc = \"f\"\nWeaponStrategy2 = \"x\"\n") +
                     Entry("Plain", "armour = 2\nvalueTransform = 3\n"),
                 kFunctions);
    SciFiGameCtrl ctrl;
    ctrl.LoadGeneralItems();
    ASSERT_EQ(ctrl.GetItemTable().size(), 4u);
    const auto* sword = dynamic_cast<Item_SF*>(ctrl.FindItem("Sword", false));
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(sword->m_Tier, 2);
    EXPECT_EQ(sword->m_DimX, 1);
    EXPECT_EQ(sword->m_DimY, 2);
    EXPECT_FLOAT_EQ(sword->m_Value.GetRawValue(), 99.6f);  // its own value is not rounded
    auto* derived = dynamic_cast<Item_SF*>(ctrl.FindItem("Derived", false));
    EXPECT_EQ(derived->GetStrategies().GetSize(), 0);  // no WeaponStrategy1: none
    // f(40, 3 - 1) = 20 + 1.5 * 40.
    EXPECT_FLOAT_EQ(derived->m_Value.GetRawValue(), 80.0f);
    // The formula with the factors the file leaves at their defaults: 1 + 40 * 2.
    EXPECT_FLOAT_EQ(ctrl.FindItem("Plain", false)->m_Value.GetRawValue(), 81.0f);
}

TEST(SciFiGameCtrlItemsTest, WeaponStrategiesComeFromTheWorld)
{
    ItemsDir dir(Entry("Gun", "WeaponStrategy1 = \"Shoot\"\nWeaponStrategy2 = \"\"\nWeaponStrategy3 = \"Nope\"\n"));
    SciFiGameCtrl ctrl;
    KI_Strategy* shoot = ctrl.GetWorld().GetStrategyTree().Insert(String("Shoot"));
    LogCapture log;
    ctrl.LoadGeneralItems();
    auto* gun = dynamic_cast<Item_SF*>(ctrl.FindItem("Gun", false));
    ASSERT_EQ(gun->GetStrategies().GetSize(), 1);
    EXPECT_EQ(gun->GetStrategies().GetAt(0), shoot);
    EXPECT_EQ(log.Count("Unknown weapon strategy 'Nope' in item 'Gun'"), 1);
}

TEST(SciFiGameCtrlItemsTest, UnknownEquipmentTypeStopsTheLoad)
{
    ItemsDir dir(Entry("Sword", "EquipmentType = \"weapon\"\n") + Entry("Hat", "EquipmentType = \"hat\"\n"));
    SciFiGameCtrl ctrl;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadGeneralItems(); }), "Unknown equipment type: 'hat'");
    EXPECT_TRUE(ctrl.GetItemTable().empty());
    EXPECT_EQ(ctrl.GetTreasureItemList(0)->entries.GetSize(), 0);  // no half-filled list either
    EXPECT_EQ(ctrl.GetTreasureItemList(1)->entries.GetSize(), 0);
}

TEST(SciFiGameCtrlItemsTest, TreasureItemListsByEquipmentType)
{
    ItemsDir dir(Entry("Sword", "EquipmentType = \"weapon\"\nTreasureProb = 0.5\n") +
                 Entry("Card", "Quest = \"q\"\n") + Entry("Relic", "SpecialItem = 1\n") +
                 Entry("Rock", "TreasureProb = 0\n") + Entry("Cell", "EquipmentType = \"weapon_socket\"\n") +
                 Entry("Coin", "EquipmentType = \"gold\"\nTreasureProb = 2\n"));
    SciFiGameCtrl ctrl;
    ctrl.LoadGeneralItems();
    auto names = [&](int32_t index) {
        std::vector<std::string> result;
        ItemList& list = *ctrl.GetTreasureItemList(index);
        for (int32_t i = 0; i < list.entries.GetSize(); ++i)
            result.push_back(std::string(list.entries.GetAt(i)->name.c_str()) + ":" +
                             std::to_string(list.entries.GetAt(i)->probability));
        return result;
    };
    EXPECT_EQ(names(0), (std::vector<std::string>{"Sword:0.500000", "Cell:1.000000", "Coin:2.000000"}));
    EXPECT_EQ(names(1), (std::vector<std::string>{"Sword:0.500000"}));
    EXPECT_EQ(names(6), (std::vector<std::string>{"Cell:1.000000"}));
    for (int32_t index : {2, 3, 4, 5, 7, 8})
        EXPECT_TRUE(names(index).empty()) << index;
    EXPECT_EQ(ctrl.GetTreasureItemList(9), nullptr);
    EXPECT_EQ(ctrl.GetTreasureItemList(-1), nullptr);

    EXPECT_EQ(ctrl.GetTreasureClass("weapon_socket"), 200);
    EXPECT_EQ(ctrl.GetTreasureClass("ALL"), 100);
    EXPECT_EQ(ctrl.GetTreasureClass("Sword"), -1);
}

TEST(SciFiGameCtrlItemsTest, ItemFunctionsFileAndItsReloadRule)
{
    const float startWeights[] = {33, 25, 25, 200, 25, 25, 25, 40, 25, 25, 25, 0.5f, 1, 25, 200, 25, 200, 200};
    const float defaultPowers[] = {1.5f, 1, 2, 8, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    auto expectParameters = [](const SciFiGameCtrl& ctrl, const float* values, const float* powers, const char* what) {
        for (int32_t i = 0; i < SciFiGameCtrl::kItemWeights; ++i) {
            EXPECT_EQ(ctrl.GetItemValueWeights()[i], values[i]) << what << " " << i;
            EXPECT_EQ(ctrl.GetItemPowerWeights()[i], powers[i]) << what << " " << i;
        }
    };
    {
        ItemsDir dir(Entry("Sword", ""));
        SciFiGameCtrl ctrl;
        LogCapture log;
        ctrl.LoadItemFunctions();
        EXPECT_EQ(log.Count("Warning:SciFiGameCtrl: Could not open itemFunctions.cfg"), 1);
        expectParameters(ctrl, startWeights, startWeights, "missing file");  // powers at the value weights
        EXPECT_EQ(ctrl.GetDefaultValueFunction(), nullptr);
    }

    ItemsDir dir(Entry("Sword", ""), "#a\ndesc = \"a\"\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadItemFunctions();
    expectParameters(ctrl, startWeights, defaultPowers, "no keys");
    EXPECT_EQ(ctrl.GetDefaultValueFunction(), nullptr);
    ASSERT_NE(ctrl.FindItemFunction("a"), nullptr);
    EXPECT_EQ(ctrl.FindItemFunction("a")->mightRel.GetNumKeys(), 0);

    // Another text of the same time is not read; a newer one is, with the defaults first.
    const std::filesystem::path file = dir.Dir().Path() / "cfg" / "itemFunctions.cfg";
    const auto time = std::filesystem::last_write_time(file);
    dir.Dir().Write("cfg/itemFunctions.cfg", "ValuedamPhys2 = 7\nbaseValue = 3\nPowerArmour = 9\nPowerdamPhys = 4\n"
                                             "#v\ndesc = \"value_default\"\nmightAbs = 0, 5, 1, 5\n");
    std::filesystem::last_write_time(file, time);
    ctrl.LoadItemFunctions();
    expectParameters(ctrl, startWeights, defaultPowers, "unchanged");
    EXPECT_NE(ctrl.FindItemFunction("a"), nullptr);
    EXPECT_EQ(ctrl.GetDefaultValueFunction(), nullptr);

    std::filesystem::last_write_time(file, time + std::chrono::seconds(5));
    ctrl.LoadItemFunctions();
    float values[18];
    float powers[18];
    std::copy(std::begin(startWeights), std::end(startWeights), values);
    std::copy(std::begin(defaultPowers), std::end(defaultPowers), powers);
    values[ItemValueParameters::kDamPhys2] = 7.0f;
    values[ItemValueParameters::kBase] = 3.0f;
    powers[ItemValueParameters::kArmour] = 9.0f;
    powers[ItemValueParameters::kDamPhys1] = 4.0f;
    expectParameters(ctrl, values, powers, "changed");
    EXPECT_EQ(ctrl.FindItemFunction("a"), nullptr);
    ASSERT_NE(ctrl.GetDefaultValueFunction(), nullptr);
    EXPECT_EQ(ctrl.GetDefaultValueFunction(), ctrl.FindItemFunction("value_default"));
    EXPECT_EQ(ctrl.GetDefaultValueFunction()->mightAbs.GetNumKeys(), 2);
}

TEST(SciFiGameCtrlItemsTest, FaultyItemFunctionsLeaveNoTable)
{
    ItemsDir dir(Entry("Sword", ""), "#a\ndesc = \"a\"\nmightRel = 0, 1, 2\n");
    SciFiGameCtrl ctrl;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItemFunctions(); }), "Invalid 1-dim bezier spline (itemFunctions.cfg)");
    EXPECT_EQ(ctrl.FindItemFunction("a"), nullptr);
    dir.Dir().Write("cfg/itemFunctions.cfg", "#a\ndesc = \"a\"\n#b\ndesc = \"a\"\nmightRel = 0, 1\n");
    LogCapture log;
    ctrl.LoadItemFunctions();  // read again although the file may keep its time
    ASSERT_NE(ctrl.FindItemFunction("a"), nullptr);
    EXPECT_EQ(ctrl.FindItemFunction("a")->mightRel.GetNumKeys(), 0);  // the first is kept
    EXPECT_EQ(log.Count("Item function 'a' defined twice in itemFunctions.cfg; the first is kept"), 1);
}

TEST(SciFiGameCtrlItemsTest, MightTransform)
{
    ItemsDir dir(Entry("Sword", ""), std::string(kFunctions) + "#e\ndesc = \"e\"\n");
    SciFiGameCtrl ctrl;
    ctrl.LoadItemFunctions();
    Item_SF strong;
    strong.m_Might = 7.0f;
    Item_SF weak;
    weak.m_Might = 4.5f;
    {
        LogCapture log;
        EXPECT_EQ(ctrl.ApplyItemMightFunction(12.0f, "nope", &strong, &weak), 12.0f);
        EXPECT_EQ(ctrl.ApplyItemMightFunction(12.0f, "", &strong, &weak), 12.0f);
        EXPECT_EQ(log.Count("Item might transform function 'nope' not found"), 1);
        EXPECT_EQ(log.Count("Item might transform function '' not found"), 1);
    }
    EXPECT_EQ(ctrl.ApplyItemMightFunction(12.0f, "e", &strong, &weak), 12.0f);  // no curves: 1 x value

    const ItemMightTransformFunction& f = *ctrl.FindItemFunction("f");
    for (float x : {2.5f, -2.5f}) {
        const Item_SF& first = x > 0 ? strong : weak;
        const Item_SF& second = x > 0 ? weak : strong;
        const float rel = float(f.mightRel.Evaluate(x));
        const float abs = float(f.mightAbs.Evaluate(x));
        EXPECT_FLOAT_EQ(ctrl.ApplyItemMightFunction(12.0f, "f", &first, &second), abs + (rel + 1.0f) * 12.0f) << x;
        // A function key of the item file: the derived item first.
        EXPECT_FLOAT_EQ(ctrl.ApplyGameFunctionToItem(12.0f, "f", &second, &first), abs + (rel + 1.0f) * 12.0f) << x;
    }
    EXPECT_NEAR(f.mightRel.Evaluate(2.5), 0.625, 1e-5);  // the curves are the lines of the file
    EXPECT_NEAR(f.mightAbs.Evaluate(2.5), 25.0, 1e-4);
}

TEST(SciFiGameCtrlItemsTest, PhysicalDamageOfAnotherSubtypeIsNotPriced)
{
    ItemsDir dir(Entry("Sword", ""));
    SciFiGameCtrl ctrl;
    Item_SF item;
    item.m_Desc = "Odd Gun";
    ItemAbility ability;
    ability.type = ItemAbilityType::kDamPhys;
    ability.subtype = 2;
    ability.value = 10.0f;
    item.AddAbility(ability, false);
    item.AddAbility(ability, false);
    ability.subtype = 1;
    item.AddAbility(ability, false);
    LogCapture log;
    EXPECT_FLOAT_EQ(ctrl.CalcItemValue(item), 1.0f + 25.0f * 10.0f);
    EXPECT_EQ(log.Count("Item 'Odd Gun': physical damage of a subtype other than 0 or 1 adds nothing to its value"), 1);
}
