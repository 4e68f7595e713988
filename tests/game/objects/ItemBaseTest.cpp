// ItemBase: defaults, price and money, merging abilities, potions, the main ability by the
// controller's weights, stacking equality, copies, the display name and the item sounds.
#include "game/objects/ItemBase.h"

#include "base/LocalText.h"
#include "level/LevelTestSupport.h"

#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

ItemAbility Ability(int32_t type, int32_t subtype, float value, int16_t level = 0)
{
    ItemAbility ability;
    ability.type = type;
    ability.subtype = subtype;
    ability.value = value;
    ability.level = level;
    return ability;
}

}  // namespace

TEST(ItemBaseTest, Defaults)
{
    ItemBase item;
    EXPECT_TRUE(item.m_ItemName == "NoNameItem");
    EXPECT_EQ(item.m_Count, 1);
    EXPECT_EQ(item.m_Pile, 1);
    EXPECT_EQ(item.m_Value.GetRawValue(), 1.0f);
    EXPECT_EQ(item.m_Might, 1.0f);
    EXPECT_EQ(item.m_LoadValue[0], 1.0f);
    EXPECT_EQ(item.m_LoadValue[1], 1.0f);
    EXPECT_EQ(item.m_SubType, -1);
    EXPECT_EQ(item.m_EquipmentType, -1);
    EXPECT_EQ(item.m_GridPos, -1);
    EXPECT_FALSE(item.HasGridSize());
    EXPECT_EQ(item.m_SndDrop, 1);
    EXPECT_EQ(item.m_SndPickUp, 0);
    EXPECT_EQ(item.m_DestroyAfterUse, 1);
    EXPECT_EQ(item.m_FlagByte2, 1);
    EXPECT_EQ(item.m_FlagByte3, 255);
    EXPECT_EQ(item.m_BodyScale[2], 1.0f);
    EXPECT_EQ(item.m_PicCol[0], 1.0f);
    EXPECT_EQ(item.GetAbilityCount(), 0);
    EXPECT_EQ(item.GetEmitterCount(), 0);
}

TEST(ItemBaseTest, PriceAndMoney)
{
    struct PriceCase {
        float value;
        int32_t price;
    } prices[] = {{2.5f, 3}, {-2.5f, -3}, {1.49f, 1}, {0.0f, 0}};
    for (const PriceCase& c : prices) {
        ItemBase item;
        item.m_Value.SetValue(c.value);
        EXPECT_EQ(item.GetPrice(), c.price) << c.value;
        EXPECT_EQ(item.GetPrice(), std::lround(c.value)) << c.value;
    }

    ItemBase money;
    money.m_Count = 5;
    EXPECT_EQ(money.GetMoneyValue(), 0);  // no type-20 ability, also with a stack above 1
    money.AddAbility(Ability(ItemAbility::kHealth, 20, 1.0f), false);
    EXPECT_EQ(money.GetMoneyValue(), 0);
    money.AddAbility(Ability(ItemAbility::kMoney, 20, 0.0f), false);
    money.AddAbility(Ability(ItemAbility::kMoney, 7, 0.0f), false);  // only the first counts
    EXPECT_EQ(money.GetMoneyValue(), 100);
    EXPECT_EQ(money.GetMoneyPerItem(), 20);
    money.m_Count = INT32_MAX;
    EXPECT_EQ(money.GetMoneyValue(), INT32_MAX);  // a record's count cannot overflow it
}

TEST(ItemBaseTest, AddingAbilities)
{
    struct Case {
        ItemAbility held;
        ItemAbility added;
        bool merge;
        std::vector<float> values;
        int16_t firstLevel;
    } cases[] = {
        {Ability(22, 0, 1.3f), Ability(22, 0, 1.2f), true, {1.5f}, 0},       // factors combine
        {Ability(7, 0, 15.0f, 2), Ability(7, 0, 10.0f, 5), true, {25.0f}, 5},  // values add, the larger level
        {Ability(7, 0, 15.0f, 5), Ability(7, 0, 10.0f, 2), true, {25.0f}, 5},
        {Ability(7, 0, 15.0f), Ability(7, 1, 10.0f), true, {15.0f, 10.0f}, 0},  // another subtype
        {Ability(7, 0, 15.0f), Ability(7, 0, 10.0f), false, {15.0f, 10.0f}, 0},
    };
    for (const Case& c : cases) {
        ItemBase item;
        item.AddAbility(c.held, false);
        EXPECT_TRUE(item.AddAbility(c.added, c.merge));
        std::vector<float> values;
        for (int32_t i = 0; i < item.GetAbilityCount(); i++)
            values.push_back(item.GetAbility(i)->value);
        ASSERT_EQ(values.size(), c.values.size());
        for (size_t i = 0; i < values.size(); i++)
            EXPECT_FLOAT_EQ(values[i], c.values[i]);
        EXPECT_EQ(item.GetAbility(0)->level, c.firstLevel);
    }

    ItemBase item;
    item.AddAbility(Ability(7, 0, 1.0f), false);
    EXPECT_FALSE(item.AddAbilitiesOf(nullptr, true));
    EXPECT_TRUE(item.AddAbilitiesOf(&item, false));  // its own list, copied as it walks
    EXPECT_EQ(item.GetAbilityCount(), 2);
    EXPECT_EQ(item.CountAbilities(7), 2);
    EXPECT_EQ(item.GetAbilityValue(7, 0), 1.0f);
    EXPECT_EQ(item.GetAbilityValue(7, 1), 0.0f);
}

TEST(ItemBaseTest, PotionsKeysAndQuestItems)
{
    struct Case {
        std::vector<int32_t> types;
        int32_t uses;
        const char* onItemUse;
        bool health, mana;
    } cases[] = {
        {{32}, 1, "", true, false},
        {{7}, 3, "", true, false},
        {{33}, 1, "", false, true},
        {{32}, 0, "", false, false},
        {{7, 8}, 1, "", false, false},
        {{8}, 1, "Drink()", false, false},
        {{16}, 1, "", false, false},
    };
    for (const Case& c : cases) {
        ItemBase item;
        item.m_Uses = c.uses;
        item.m_OnItemUse = c.onItemUse;
        for (int32_t type : c.types)
            item.AddAbility(Ability(type, 0, 10.0f), false);
        EXPECT_EQ(item.IsHealthPotion(), c.health) << c.types[0];
        EXPECT_EQ(item.IsManaPotion(), c.mana) << c.types[0];
    }

    ItemBase item;
    EXPECT_FALSE(item.IsKeyOrQuestItem());
    item.m_QuestItem = 2;
    EXPECT_TRUE(item.IsKeyOrQuestItem());
    item.m_QuestItem = 0;
    item.AddAbility(Ability(ItemAbility::kKey, 42, 0.0f), false);
    EXPECT_TRUE(item.IsKeyOrQuestItem());
    EXPECT_TRUE(item.HasKeyAbility(42));
    EXPECT_FALSE(item.HasKeyAbility(41));
}

TEST(ItemBaseTest, MainAbilityByTheControllersWeights)
{
    ItemBase item;
    item.AddAbility(Ability(7, 1, 10.0f), false);
    item.AddAbility(Ability(8, 2, 20.0f), false);
    item.AddAbility(Ability(16, 3, 5.0f), false);
    float value = -1.0f;
    int32_t subtype = -1;
    EXPECT_EQ(item.GetMainAbility(value, subtype), 0);  // no controller: every weight 0
    EXPECT_EQ(value, -1.0f);
    EXPECT_EQ(ItemBase::GetAbilityTypeWeight(7), 0.0f);

    LevelTestCtrl ctrl;
    EXPECT_EQ(item.GetMainAbility(value, subtype), 8);
    EXPECT_EQ(value, 20.0f);
    EXPECT_EQ(subtype, 2);
    ctrl.abilityWeights[7] = 2.0f;  // 20 against 20: the first wins
    EXPECT_EQ(item.GetMainAbility(value, subtype), 7);
    ctrl.abilityWeights[16] = 10.0f;
    EXPECT_EQ(item.GetMainAbility(value, subtype), 16);
    EXPECT_EQ(subtype, 3);
}

TEST(ItemBaseTest, StackingEquality)
{
    ItemBase base;
    base.m_Desc = "medkit";
    base.AddAbility(Ability(7, 0, 25.0f), false);
    base.AddEmitter().effectName = "glow";

    using Change = std::function<void(ItemBase&)>;
    struct Case {
        const char* what;
        Change change;
        bool same;
    } cases[] = {
        {"a copy", [](ItemBase&) {}, true},
        {"desc", [](ItemBase& i) { i.m_Desc = "other"; }, true},
        {"count", [](ItemBase& i) { i.m_Count = 4; }, true},
        {"emitter name text", [](ItemBase& i) { i.GetEmitter(0)->name = "run"; }, true},
        {"pile", [](ItemBase& i) { i.m_Pile = 9; }, false},
        {"value", [](ItemBase& i) { i.m_Value.SetValue(2.0f); }, false},
        {"item name", [](ItemBase& i) { i.m_ItemName = "x"; }, false},
        {"load value B", [](ItemBase& i) { i.m_LoadValue[1] = 0.0f; }, false},
        {"picture colour", [](ItemBase& i) { i.m_PicCol[2] = 0.5f; }, false},
        {"quest", [](ItemBase& i) { i.m_QuestItem = 1; }, false},
        {"second flag byte", [](ItemBase& i) { i.m_FlagByte2 = 0; }, false},
        {"required class", [](ItemBase& i) { i.m_RequiresCharacterClass = 3; }, false},
        {"ability level", [](ItemBase& i) { i.AddAbility(Ability(7, 0, 0.0f, 1), true); }, false},
        {"another ability", [](ItemBase& i) { i.AddAbility(Ability(8, 0, 1.0f), false); }, false},
        {"game value", [](ItemBase& i) { i.m_GameValues[7] = 1.0f; }, false},
        {"emitter rate", [](ItemBase& i) { i.GetEmitter(0)->rate = 2.0f; }, false},
        {"emitter value A", [](ItemBase& i) { i.GetEmitter(0)->valueA = 0.2f; }, false},
        {"another emitter", [](ItemBase& i) { i.AddEmitter(); }, false},
    };
    for (const Case& c : cases) {
        ItemBase other(base);
        c.change(other);
        EXPECT_EQ(base.IsSameKind(other), c.same) << c.what;
        EXPECT_EQ(other.IsSameKind(base), c.same) << c.what;
    }
}

TEST(ItemBaseTest, CopiesKeepEveryFieldAndTheClass)
{
    ItemBase item;
    item.m_ItemName = "DB:rifle";
    item.m_Count = 3;
    item.m_Value.functionName = "price";
    item.m_BodyRotAxisLeft[1] = 1.0f;
    item.m_GameValues[3] = 4.0f;
    item.m_Quest = "q";
    item.m_Combine = 1;
    item.AddAbility(Ability(11, 5, 0.0f), false);
    item.AddEmitter().dummyName = "muzzle";

    std::unique_ptr<ItemBase> made(item.CreateNew());
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->m_ItemName == "NoNameItem");
    item.CopyTo(made.get());
    EXPECT_TRUE(made->IsSameKind(item));
    EXPECT_EQ(made->m_Count, 3);
    EXPECT_TRUE(made->m_Value.functionName == "price");
    EXPECT_EQ(made->m_BodyRotAxisLeft[1], 1.0f);
    EXPECT_TRUE(made->m_Quest == "q");
    EXPECT_EQ(made->m_Combine, 1);
    EXPECT_TRUE(made->GetEmitter(0)->dummyName == "muzzle");
    EXPECT_TRUE(made->HasKeyAbility(5));
    made->AddAbility(Ability(7, 0, 1.0f), false);
    EXPECT_EQ(item.GetAbilityCount(), 1);  // the lists were copied, not shared

    SmartPtr<InventoryItem> watch(made.get());
    ItemBase copy(*made);
    EXPECT_EQ(copy.GetAbilityCount(), 2);
    EXPECT_EQ(copy.GetHolderCount(), 0);  // references to the original stay with it
    made.reset();
    EXPECT_EQ(watch.Get(), nullptr);
}

TEST(ItemBaseTest, DropAndPickupSounds)
{
    ItemBase item;
    item.PlayDropSound();  // no controller: silent
    LevelTestCtrl ctrl;
    item.PlayDropSound();
    item.PlayPickupSound();  // number 0: none
    item.m_SndDrop = 0;
    item.m_SndPickUp = 12;
    item.PlayDropSound();
    item.PlayPickupSound();
    EXPECT_EQ(ctrl.sounds, (std::vector<std::string>{"ItemDrop1", "ItemPickup12"}));
}

TEST(ItemBaseTest, LocalizedNameFromTheItemsTable)
{
    TempDir dir;
    const std::string path = (dir.Path() / "localisation.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE Items (id TEXT, content TEXT); INSERT INTO Items VALUES ('rifle', 'Rifle');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(LocalText::Get().Open(path.c_str()));

    struct Case {
        const char* itemName;
        const char16_t* shown;
        int logged;
    } cases[] = {
        {"DB:rifle", u"Rifle", 0},
        {"rifle", u"Rifle", 0},           // a plain name is tried as an id
        {"DB:pistol", u"DB:pistol", 1},   // a missing id shows itself, logged
        {"Pistol", u"Pistol", 0},
    };
    for (const Case& c : cases) {
        LogCapture log;
        ItemBase item;
        item.m_ItemName = c.itemName;
        EXPECT_TRUE(item.GetLocalizedName() == c.shown) << c.itemName;
        EXPECT_EQ(log.Count("DBErr:Items,content='pistol'"), c.logged) << c.itemName;
    }
    LocalText::Get().Close();
}
