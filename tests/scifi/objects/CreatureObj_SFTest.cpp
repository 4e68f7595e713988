// CreatureObj_SF: the save record's round trips with and without the character flag, the rows of
// older streams (written here by hand), damaged records read through the checked load, the
// equipment inventories and items by name, and the value update.
#include "scifi/objects/CreatureObj_SF.h"

#include "base/File.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/Item_SF.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class CreatureObj_SFTest : public ::testing::Test {
protected:
    CreatureObj_SFTest()
    {
        ctrl.GetWorld().GetStrategyTree().Insert(String("Guard"))->name = "Guard";
        // Inventories keep only the items the item table knows.
        static const char kItems[] = "#1\ndesc = \"helmet\"\n#2\ndesc = \"cap\"\n#3\ndesc = \"gem\"\n";
        ctrl.GetItemReader().SetDescKey("desc");
        ctrl.GetItemReader().OpenMemory(kItems, int32_t(sizeof kItems - 1));
    }

    std::unique_ptr<CreatureObj_SF> Make()
    {
        std::unique_ptr<CreatureObj_SF> creature(dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature()));
        creature->m_Stats.canEquip = 1;
        return creature;
    }

    // A new item of the game of that desc and equipment type.
    static Item_SF* NewItem(const char* desc, int16_t type, int32_t subType = 0)
    {
        auto* item = new Item_SF;
        item->m_Desc = desc;
        item->m_EquipmentType = type;
        item->m_SubType = subType;
        return item;
    }

    static std::vector<uint8_t> Saved(CreatureObj_SF& creature, bool characterFlag, uint16_t version = 275)
    {
        File file;
        file.CreateMemoryFile(0);
        file.WriteInt16Value(version);
        creature.Save(file, characterFlag);
        return BytesOf(file);
    }

    // Loads the bytes (a version word first) through the checked load; bytes left, -1 on failure.
    // A level's record opens with the configuration name, which the level loader reads.
    static int32_t LoadChecked(CreatureObj_SF& creature, const std::vector<uint8_t>& bytes, bool characterFlag)
    {
        File file;
        ByteBuilder{bytes}.Into(file);
        file.SetVersion(file.ReadInt16Member());
        String cfgID;
        if (!characterFlag && !file.ReadString(cfgID))
            return -1;
        return creature.LoadChecked(file, characterFlag) ? file.GetRemaining() : -1;
    }

    SciFiGameCtrl ctrl;
};

// A creature whose saved members differ from a new one's.
void FillRecord(CreatureObj_SF& c)
{
    c.m_Health = 42.0f;
    c.m_PoisonDamage = 1.5f;
    c.m_PoisonTime = 2.5f;
    c.m_SkillPoints = 5;
    c.m_AdvancePoints = 3;
    c.m_CreatureTextA = "MARKA";
    c.m_PairTextA = "gainFunc";
    c.m_Stats.expKill = 12.0f;
    c.m_BaseValues.maxHealth = 80.0f;
    c.m_BaseValues.armour = 4.0f;
    c.m_BaseValues.protection.poison = 0.5f;
    c.SetPair(10.0f, 20.0f);
    c.m_Cycle.forwardSpeed = 140.0f;
    c.m_CycleWords[6] = 9;
    c.m_IsFlying = 1;
    c.m_Cycle.deathVariant = 2;
    c.m_LevelProgress = -2;
    c.m_LastText = "last";
    c.m_Equipment[1].SetLoadLimits(123.5f, -1.0f);
    c.CreateInventory(-1);
    auto* helmet = new Item_SF;
    helmet->m_Desc = "helmet";
    helmet->m_EquipmentType = 1;
    c.PutIntoInventory(helmet, 1);
    c.UpdateValues(false);
}

// The character rows (the character flag set) of a stream of an older version, as that version
// lays them out; rows 18, 24, 63 to 66 and 68 carry the values the old-stream cases look for.
std::vector<uint8_t> CharacterRows(uint16_t version)
{
    ByteBuilder b;
    auto since = [&](uint16_t from, const std::function<void()>& write) {
        if (version >= from)
            write();
    };
    b.F32s({1000.0f, 0.0f, 0.0f, 0.0f}).U8(0);  // rows 2 to 6
    since(189, [&] { b.U8(1); });
    since(171, [&] { b.I32(0); });
    since(196, [&] { b.F32(1.0f); });
    since(197, [&] { b.F32(1.0f); });
    since(181, [&] { b.U8(1); });
    b.Str("").Str("").Str("").F32(0.0f);  // rows 12 to 15
    b.F32(3.5f);
    since(249, [&] { b.Str("killFunc"); });
    b.F32(0.25f);
    since(249, [&] { b.Str("damageFunc"); });
    b.I32(0).I32(0).I32(0);  // rows 20 to 22
    for (int32_t slot = 0; slot < 3; slot++)
        b.F32s({0.0f, 0.0f, -1.0f, -1.0f}).I32(32).I32(5).I32(0);
    if (version >= 241) {
        for (int32_t i = 0; i < 22; i++)
            b.F32(float(i + 1));
        b.F32s({0.5f, 0.25f, 2.0f});
    } else {  // the first eleven in field order, a class word, the factors, the last eleven
        for (int32_t i = 0; i < 11; i++)
            b.F32(float(i + 1));
        b.I32(0x12345678).F32s({0.5f, 0.25f, 2.0f});
        for (int32_t i = 11; i < 22; i++)
            b.F32(float(i + 1));
    }
    b.Zeros(24).U8(1);  // the damage values' engine record
    for (int32_t i = 0; i < 2; i++) {
        b.F32(0.0f);
        since(239, [&] { b.Str(""); });
    }
    b.Zeros(8 * 4);
    b.Zeros(8 * 4).F32(0.0f).Zeros(8 * 2);  // rows 30 to 39
    since(225, [&] { b.U16(0xFFFF); });
    b.I32(0).F32(1.0f).F32s({10.0f, 20.0f});  // rows 45, 46, 53
    since(195, [&] { b.F32s({0.0f, 0.0f, 0.0f}).I32(0); });
    since(199, [&] { b.F32(0.0f); });
    since(233, [&] { b.U8(1).U8(1); });
    since(234, [&] { b.U8(3).U8(9); });
    since(274, [&] { b.U8(0xFF); });  // -1
    since(270, [&] { b.Str("tail"); });
    return b.bytes;
}

}  // namespace

TEST_F(CreatureObj_SFTest, RecordRoundTripsByteForByteWithAndWithoutTheCharacterFlag)
{
    for (bool characterFlag : {false, true}) {
        SCOPED_TRACE(characterFlag);
        auto creature = Make();
        FillRecord(*creature);
        const std::vector<uint8_t> bytes = Saved(*creature, characterFlag);
        auto loaded = Make();
        ASSERT_EQ(LoadChecked(*loaded, bytes, characterFlag), 0);
        EXPECT_EQ(Saved(*loaded, characterFlag), bytes);
        EXPECT_EQ(loaded->m_PairTextA, String("gainFunc"));
        EXPECT_EQ(loaded->m_LastText, String("last"));
        ASSERT_EQ(loaded->GetEquipmentInventory(1)->GetCount(), 1);
        EXPECT_EQ(loaded->m_ShownItems[1], String("helmet"));
        EXPECT_FLOAT_EQ(loaded->GetMaxHealth(), 80.0f);  // the value update ran
        // The level rows: points and the last target position only in a level's record.
        EXPECT_EQ(loaded->m_SkillPoints, characterFlag ? 0 : 5);
        EXPECT_EQ(loaded->m_AdvancePoints, characterFlag ? 0 : 3);
        EXPECT_EQ(loaded->GetPair().x, characterFlag ? 0.0f : 10.0f);
    }
    auto creature = Make();
    FillRecord(*creature);
    EXPECT_LT(Saved(*creature, true).size(), Saved(*creature, false).size());
}

TEST_F(CreatureObj_SFTest, RowsOfOlderStreams)
{
    struct Case {
        uint16_t version;
        std::function<void(CreatureObj_SF&)> check;
    };
    const Case cases[] = {
        {248,
         [](CreatureObj_SF& c) {  // gains without their function names
             EXPECT_FLOAT_EQ(c.m_Stats.expKill, 3.5f);
             EXPECT_EQ(c.m_PairTextA, String("before"));
             EXPECT_FLOAT_EQ(c.m_BaseValues.defPhys[0], 5.0f);  // the record field by field
         }},
        {249, [](CreatureObj_SF& c) { EXPECT_EQ(c.m_PairTextA, String("killFunc")); }},
        {232,
         [](CreatureObj_SF& c) {
             EXPECT_EQ(c.m_Cycle.heightTrack, 0);
             EXPECT_EQ(c.m_IsFlying, 0);
             EXPECT_EQ(c.m_ControlFlag, 7);  // kept
         }},
        {233,
         [](CreatureObj_SF& c) {
             EXPECT_EQ(c.m_IsFlying, 1);
             EXPECT_EQ(c.m_Cycle.deathVariant, 0);
         }},
        {234, [](CreatureObj_SF& c) { EXPECT_EQ(c.m_ControlFlag, 9); }},
        {240,
         [](CreatureObj_SF& c) {  // the 104-byte block
             EXPECT_FLOAT_EQ(c.m_BaseValues.armour, 9.0f);
             EXPECT_FLOAT_EQ(c.m_BaseValues.defPhys[0], 10.0f);
             EXPECT_FLOAT_EQ(c.m_BaseValues.defPhys[1], 11.0f);
             EXPECT_FLOAT_EQ(c.m_BaseValues.protection.physical[1], 0.25f);
             EXPECT_FLOAT_EQ(c.m_BaseValues.manaRegenAbs, 12.0f);
             EXPECT_FLOAT_EQ(c.m_BaseValues.dodgeRefill, 22.0f);
         }},
        {269, [](CreatureObj_SF& c) { EXPECT_EQ(c.m_LastText, String()); }},
        {270, [](CreatureObj_SF& c) { EXPECT_EQ(c.m_LastText, String("tail")); }},
        {274, [](CreatureObj_SF& c) { EXPECT_EQ(c.m_LevelProgress, -1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        auto creature = Make();
        creature->m_PairTextA = "before";
        creature->m_Cycle.heightTrack = 1;
        creature->m_IsFlying = 1;
        creature->m_Cycle.deathVariant = 2;
        creature->m_ControlFlag = 7;
        creature->m_LastText = "old";
        File file;
        ByteBuilder{CharacterRows(c.version)}.Into(file);
        file.SetVersion(c.version);
        ASSERT_EQ(ErrorOf([&] { creature->LoadRows(file, true); }), "no error");
        EXPECT_EQ(file.GetRemaining(), 0);
        c.check(*creature);
    }
}

TEST_F(CreatureObj_SFTest, DamagedRecordsLeaveTheCreatureAsItWas)
{
    auto source = Make();
    FillRecord(*source);
    const std::vector<uint8_t> whole = Saved(*source, true);
    auto target = Make();
    target->m_Health = 33.0f;
    const std::vector<uint8_t> before = Saved(*target, true);

    LogCapture log;
    for (size_t size = 2; size < whole.size(); size++)
        ASSERT_EQ(LoadChecked(*target, std::vector<uint8_t>(whole.begin(), whole.begin() + long(size)), true), -1)
            << size;

    auto at = [&](const std::vector<uint8_t>& pattern) {
        return size_t(std::search(whole.begin(), whole.end(), pattern.begin(), pattern.end()) - whole.begin());
    };
    auto patched = [&](size_t offset, int32_t value) {
        std::vector<uint8_t> bytes = whole;
        const std::vector<uint8_t> word = ByteBuilder().I32(value).bytes;
        std::copy(word.begin(), word.end(), bytes.begin() + long(offset));
        return bytes;
    };
    const size_t text = at({'M', 'A', 'R', 'K', 'A'}) - 4;
    const size_t inventoryCount = at(ByteBuilder().F32(123.5f).bytes) + 16;  // limit A, limit B, maximum, type
    std::vector<uint8_t> newer = whole;
    newer[0] = 276 & 0xFF;
    newer[1] = 276 >> 8;
    const std::vector<uint8_t> lying[] = {patched(text, 0x7FFFFFFF), patched(inventoryCount, 1000000000), newer};
    for (const std::vector<uint8_t>& bytes : lying)
        EXPECT_EQ(LoadChecked(*target, bytes, true), -1) << &bytes - lying;
    EXPECT_EQ(Saved(*target, true), before);
    EXPECT_GE(log.Count("Creature record not loaded"), 1);
    EXPECT_GE(log.Count("Creature record of version 276 is newer than 275"), 1);
}

TEST_F(CreatureObj_SFTest, EquipmentSlotsAndItemsByName)
{
    auto creature = Make();
    creature->CreateInventory(-1);
    Item_SF* helmet = NewItem("helmet", 1);
    EXPECT_EQ(creature->PutIntoInventory(helmet, 1), creature->GetEquipmentInventory(1));
    EXPECT_EQ(creature->m_ShownItems[1], String("helmet"));  // the inventory-changed operation ran
    EXPECT_EQ(creature->GetEquipmentInventory(3), nullptr);

    // Count 0, a type of 100 or more, or a creature that cannot equip: the main inventory.
    EXPECT_EQ(creature->PutIntoInventory(NewItem("visor", 1), 0), creature->m_Inventory);
    EXPECT_EQ(creature->PutIntoInventory(NewItem("coin", 101), 1), creature->m_Inventory);
    // Count 2 replaces: the helmet goes back to the main inventory.
    EXPECT_EQ(creature->PutIntoInventory(NewItem("cap", 1), 2), creature->GetEquipmentInventory(1));
    EXPECT_EQ(creature->GetEquipmentInventory(1)->GetItem(0)->m_Desc, String("cap"));
    EXPECT_GE(creature->m_Inventory->FindItemByName("helmet"), 0);

    // Finding and removing look into the main inventory first.
    creature->PutIntoInventory(NewItem("gem", 0), 0);
    creature->PutIntoInventory(NewItem("gem", 0), 1);
    Inventory* container = nullptr;
    EXPECT_NE(creature->FindItemByName("gem", &container), nullptr);
    EXPECT_EQ(container, creature->m_Inventory);
    EXPECT_NE(creature->FindItemByName("cap", &container), nullptr);
    EXPECT_EQ(container, creature->GetEquipmentInventory(1));
    EXPECT_TRUE(creature->HasItem("cap"));
    EXPECT_EQ(creature->RemoveItemsByName("gem", 1), 1);
    EXPECT_EQ(creature->m_Inventory->FindItemByName("gem"), -1);
    EXPECT_EQ(creature->GetEquipmentInventory(0)->GetCount(), 1);
    EXPECT_EQ(creature->RemoveItemsByName("gem", 5), 1);
    EXPECT_EQ(creature->GetEquipmentInventory(0)->GetCount(), 0);

    // The weapon's class is the weapon kind; Unequip takes it out without deleting it.
    std::unique_ptr<Item_SF> rifle(NewItem("rifle", 0, 1));
    creature->PutIntoInventory(rifle.get(), 1);
    EXPECT_EQ(creature->GetWeaponClass(), 1);
    EXPECT_EQ(creature->Unequip(0), 1);
    EXPECT_EQ(creature->Unequip(0), 0);
    EXPECT_EQ(creature->GetWeaponClass(), 0);
    EXPECT_NE(ErrorOf([&] { creature->Unequip(3); }).find("Invalid Equipment type to unequip: 3"), std::string::npos);

    creature->UnequipAll();
    EXPECT_EQ(creature->GetEquipmentInventory(1)->GetCount(), 0);
    EXPECT_GE(creature->m_Inventory->FindItemByName("cap"), 0);
}

TEST_F(CreatureObj_SFTest, ValueUpdate)
{
    auto creature = Make();
    creature->m_BaseValues.armour = 8.0f;
    creature->m_BaseValues.defPhys[0] = 4.0f;
    creature->m_BaseValues.defPhys[1] = 6.0f;
    creature->m_Weakened = 1;
    creature->UpdateValues(false);
    EXPECT_FLOAT_EQ(creature->m_Values.armour, 4.0f);  // "SpellWeaken" 0.5
    EXPECT_FLOAT_EQ(creature->m_Values.defPhys[0], 2.0f);
    EXPECT_FLOAT_EQ(creature->m_Values.defPhys[1], 3.0f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.armour, 8.0f);

    // Maximum mana 10 and mana 10: raised with shift the mana moves along, without it stays.
    EXPECT_FLOAT_EQ(creature->m_Mana, 10.0f);
    creature->m_BaseValues.maxMana = 25.0f;
    creature->UpdateValues(true);
    EXPECT_FLOAT_EQ(creature->m_Mana, 25.0f);
    creature->m_BaseValues.maxMana = 40.0f;
    creature->UpdateValues(false);
    EXPECT_FLOAT_EQ(creature->m_Mana, 25.0f);
    creature->SetMaxMana(5.0f);  // lowered: cut to the maximum
    EXPECT_FLOAT_EQ(creature->m_Mana, 5.0f);
    creature->m_BaseValues.maxHealth = 100.0f;
    creature->m_Health = 30.0f;
    creature->UpdateValues(false);
    creature->m_BaseValues.maxHealth = 10.0f;
    creature->UpdateValues(true);  // health moves by -90, not below 1
    EXPECT_FLOAT_EQ(creature->GetHealth(), 1.0f);

    // The own damage values follow the effective values; mana costs their multiplier.
    creature->m_BaseValues.damPhys[1] = 7.0f;
    creature->m_BaseValues.blast = 2.0f;
    creature->UpdateValues(false);
    DamageValues* own = creature->GetDamageValues();
    ASSERT_NE(own, nullptr);
    EXPECT_FLOAT_EQ(own->damage[0], 2.0f);

    // Boots that slow to a tenth: the speed factor is held at its least.
    auto slowed = Make();
    slowed->m_Stats.canEquip = 1;
    Item_SF* boots = NewItem("boots", 2);
    ItemAbility slow;
    slow.type = ItemAbility::kMoveSpeed;
    slow.value = 0.1f;
    boots->AddAbility(slow, false);
    slowed->PutIntoInventory(boots, 1);
    EXPECT_FLOAT_EQ(slowed->m_Modifiers.speed[0], CreatureObj_SF::kLeastSpeedFactor);
    EXPECT_FLOAT_EQ(slowed->m_Modifiers.speed[1], 1.0f);
}

TEST_F(CreatureObj_SFTest, ControllersFactoryMakesGameCreaturesWithTheirGrids)
{
    auto creature = Make();
    const int32_t grids[3][2] = {{3, 2}, {2, 2}, {2, 3}};
    for (int32_t type = 0; type < 3; type++) {
        int32_t width = 0;
        int32_t height = 0;
        creature->GetEquipmentInventory(type)->GetGridSize(width, height);
        EXPECT_EQ(width, grids[type][0]);
        EXPECT_EQ(height, grids[type][1]);
        EXPECT_EQ(creature->GetEquipmentInventory(type)->GetOwner(), creature.get());
    }
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 2.0f);
    EXPECT_FLOAT_EQ(creature->m_TimeSinceAction, 1.0f);
    EXPECT_EQ(creature->m_HighestDifficulty, 1);
}
