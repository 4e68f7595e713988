// The game's script built-ins of items and skills: items given in stacks of their largest stack
// (never fewer than one a stack), what does not fit dropped at the owner, unknown items, treasure
// with the object variables given back, equipment taken off and read, the special item, trades,
// and the skills' effect indices and selected skills, each with what is repeated at the clients.
#include "SciFiScriptTestSupport.h"

#include "support/LogCapture.h"

#include "game/objects/ItemBase.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/Inventory.h"

#include <numeric>
#include <vector>

class SciFiScriptItemsTest : public SciFiScriptTest {
protected:
    SciFiScriptItemsTest()
    {
        ctrl->LoadSampleItems();
        medkit = ctrl->FindItem("Medkit", false);
        hero->m_MainCharacter = 1;
        hero->CreateInventory(-1);
    }
    std::vector<int32_t> Stacks(WorldElem* elem)
    {
        std::vector<int32_t> counts;
        Inventory* inventory = elem->m_Inventory;
        for (int32_t i = 0; inventory && i < inventory->GetCount(); i++)
            counts.push_back(inventory->GetItem(i)->m_Count);
        return counts;
    }
    bool Shows(const char16_t* key)
    {
        auto& messages = ctrl->GetWorld().GetTextMessages();
        for (int32_t i = 0; i < messages.GetSize(); i++)
            if (messages.GetAt(i)->key == wString(key))
                return true;
        return false;
    }
    // The one call handed to the clients since the records were cleared.
    void ExpectForwarded(const char* name, int32_t count, int32_t check, int32_t flag)
    {
        ASSERT_EQ(ctrl->forwarded.size(), 1u) << name;
        EXPECT_EQ(ctrl->forwarded[0].name, name);
        EXPECT_EQ(ctrl->forwarded[0].count, count) << name;
        EXPECT_EQ(ctrl->forwarded[0].subjectID, -1) << name;
        EXPECT_EQ(ctrl->forwarded[0].checkSubject, check) << name;
        EXPECT_EQ(ctrl->forwarded[0].flag, flag) << name;
    }

    ItemBase* medkit = nullptr;
};

TEST_F(SciFiScriptItemsTest, AddToInventoryGivesStacksAndAlwaysEnds)
{
    ASSERT_NE(medkit, nullptr);
    const struct {
        int32_t pile;
        int32_t count;
        std::vector<int32_t> stacks;
    } cases[] = {
        {10, 25, {10, 10, 5}},
        {0, 3, {1, 1, 1}},  // a largest stack below 1 counts as 1: the loop still ends
        {-4, 2, {1, 1}},
        {10, 0, {}},
    };
    for (const auto& test : cases) {
        hero->CreateInventory(-1);
        medkit->m_Pile = test.pile;
        ClearRecords();
        Run("AddToInventory(" + h + ", \"Medkit\", " + std::to_string(test.count) + ");");
        EXPECT_EQ(Stacks(hero), test.stacks) << test.pile;
        EXPECT_TRUE(ctrl->errors.empty()) << test.pile;
        ExpectForwarded("AddToInventory", 3, 1, 1);  // a player character's gain
    }

    // Options: the flag cleared by a fifth argument of 0, the riddle number counted from 1.
    medkit->m_Pile = 5;
    other->CreateInventory(-1);
    ClearRecords();
    Run("AddToInventory(" + o + ", \"Medkit\", 1, 0, 0, 3);");
    ASSERT_EQ(Stacks(other).size(), 1u);
    auto* given = static_cast<ItemBase*>(other->m_Inventory->GetItem(0));
    EXPECT_EQ(given->m_FlagByte2, 0);
    EXPECT_EQ(given->m_FlagByte3, 2);
    EXPECT_TRUE(ctrl->forwarded.empty());  // not a player character: the clients learn it otherwise
}

TEST_F(SciFiScriptItemsTest, AddToInventoryRefusals)
{
    // A full inventory: the item lies at the owner and the player reads "InvFull".
    hero->CreateInventory(0);
    Run("AddToInventory(" + h + ", \"Medkit\", 2);");
    ASSERT_EQ(ctrl->drops.size(), 1u);
    EXPECT_EQ(ctrl->drops[0].desc, "Medkit");
    EXPECT_EQ(ctrl->drops[0].atID, heroID);
    EXPECT_TRUE(Shows(u"InvFull"));

    const struct {
        std::string call;
        const char* error;
    } cases[] = {
        {"AddToInventory(" + h + ", \"Nothing\", 2)", "Item to add to inventory not found 'Nothing'"},
        {"AddToInventory(" + h + ".0, \"Medkit\")", "Invalid arguments in function AddToInventory"},
        {"AddToInventory(" + h + ")", "Invalid arguments in function AddToInventory"},
        {"AddToInventory(" + h + ", 5)", "Invalid arguments in function AddToInventory"},
    };
    for (const auto& test : cases) {
        ExpectResult(test.call, kScriptVoid, 0, nullptr, test.error);
        EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
    }
}

TEST_F(SciFiScriptItemsTest, AddTreasureGivesTheVariablesBack)
{
    ctrl->SetObjScriptVariable(7, 42);
    Run("AddTreasure(" + c + ", \"NoSuchList\");");
    EXPECT_EQ(ctrl->GetObjScriptVariablesSaveCount(), 0);  // given back after the drop's error too
    EXPECT_EQ(ctrl->GetObjScriptVariable(7), 42);
    EXPECT_TRUE(ctrl->forwarded.empty());

    ClearRecords();
    Run("AddTreasure(" + h + ", \"Crate\", 2.0, 1, -1, 1.0);");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_EQ(ctrl->GetObjScriptVariablesSaveCount(), 0);
    ExpectForwarded("AddTreasure", 6, 1, 1);
}

TEST_F(SciFiScriptItemsTest, EquipmentIsReadAndTakenOff)
{
    ItemBase* rifle = ctrl->ItemFromName("Pulse Rifle", false);
    ASSERT_NE(rifle, nullptr);
    rifle->m_DimX = rifle->m_DimY = 0;  // the slot's grid is one cell
    ASSERT_GE(hero->GetEquipmentInventory(0)->AddItem(rifle), 0);
    ASSERT_EQ(hero->GetEquipmentInventory(0)->GetCount(), 1);

    const struct {
        std::string call;
        int32_t type;
        int32_t number;
        const char* text;
    } cases[] = {
        {"GetEquipment(" + h + ", 1)", kScriptString, 0, "Pulse Rifle"},
        {"GetEquipment(" + h + ", 2)", kScriptString, 0, ""},  // an empty slot
        {"GetEquipment(" + c + ", 1)", kScriptVoid, 0, nullptr},
        {"IsEquippedWith(" + h + ", \"Pulse Rifle\")", kScriptInt, 1, nullptr},
        {"IsEquippedWith(" + h + ", \"Medkit\")", kScriptInt, 0, nullptr},
        {"IsEquippedWith(" + c + ", \"Pulse Rifle\")", kScriptInt, 0, nullptr},
    };
    for (const auto& test : cases) {
        ExpectResult(test.call, test.type, test.number, test.text, nullptr);
        EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
    }

    // Taken off into the main inventory, never lost; a second time the slot is empty.
    ExpectResult("UnEquip(" + h + ", 1)", kScriptInt, 1, nullptr, nullptr);
    ExpectForwarded("UnEquip", 2, 1, 1);
    EXPECT_EQ(hero->GetEquipmentInventory(0)->GetCount(), 0);
    EXPECT_GE(hero->m_Inventory->FindItemByName("Pulse Rifle"), 0);
    ExpectResult("UnEquip(" + h + ", 1)", kScriptInt, 0, nullptr, nullptr);
    ExpectResult("UnEquip(" + h + ", 4)", kScriptVoid, 0, nullptr, "Invalid Equipment type to unequip: 3");  // ends the call
    // A non-creature: void, and still repeated at the clients.
    ExpectResult("UnEquip(" + c + ", 1)", kScriptVoid, 0, nullptr, nullptr);
    ExpectForwarded("UnEquip", 2, 1, 1);
}

TEST_F(SciFiScriptItemsTest, SpecialItemAndTrade)
{
    Run("SetUltraMegaItem(" + h + ", \"Pulse Rifle\");");
    EXPECT_STREQ(hero->m_LastText.c_str(), "Pulse Rifle");
    Run("SetUltraMegaItem(" + c + ", \"Pulse Rifle\");");  // nothing for a crate, and no report
    EXPECT_TRUE(ctrl->errors.empty());

    ctrl->GetMissionLog().SetOpenState(true);
    ClearRecords();
    Run("Trade(" + o + ");");
    EXPECT_TRUE(ctrl->GetTradeWindow().IsOpen());
    EXPECT_EQ(ctrl->GetTradeWindow().GetPartner(), other);
    EXPECT_FALSE(ctrl->GetMissionLog().IsOpen());
    ExpectForwarded("Trade", 1, 1, 1);
    ClearRecords();
    Run("Trade(" + h + ");");  // a trade runs: the partner stays
    EXPECT_EQ(ctrl->GetTradeWindow().GetPartner(), other);
    ClearRecords();
    Run("Trade(" + c + ");");
    EXPECT_TRUE(ctrl->forwarded.empty());
}

TEST_F(SciFiScriptItemsTest, SkillEffectIndicesAndSelectedSkills)
{
    ctrl->LoadSkills();
    SkillTreeEntry* heal = ctrl->FindSkill(String("heal"));
    ASSERT_NE(heal, nullptr);
    ClearRecords();
    Run("SetSkillEffectIndex(\"heal\", 3);");
    EXPECT_EQ(heal->visualEffectInUse, 2);
    ExpectForwarded("SetSkillEffectIndex", 2, 0, 0);
    ExpectResult("GetSkillEffectIndex(\"heal\")", kScriptInt, 3, nullptr, nullptr);

    // An unknown skill is warned of; the clients are told all the same.
    LogCapture log;
    ClearRecords();
    Run("SetSkillEffectIndex(\"nothing\", 3);");
    ExpectForwarded("SetSkillEffectIndex", 2, 0, 0);
    EXPECT_EQ(log.Count("invalid skill specified (nothing) in function SetSkillEffectIndex"), 1) << log.Text();
    ExpectResult("GetSkillEffectIndex(\"nothing\")", kScriptVoid, 0, nullptr, nullptr);
    ExpectResult("SetSkillEffectIndex(\"heal\", \"3\")", kScriptVoid, 0, nullptr,
                 "Invalid arguments in function SetSkillEffectIndex");

    // Without a main character's input nothing is selected.
    for (const char* name : {"GetActiveSkill", "GetOffensiveSkill", "GetDefensiveSkill"})
        ExpectResult(std::string(name) + "()", kScriptString, 0, "", nullptr);

    Run("LearnSkill(\"heal\");");
    EXPECT_TRUE(heal->learned);
    ExpectResult("LearnSkill(\"nothing\")", kScriptVoid, 0, nullptr, "Skill with name 'nothing' does not exist");
}
