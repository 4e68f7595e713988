// Inventory, items and gold before 'H': items added in stacks of their largest stack, what does
// not fit dropped at the owner with the player's "InvFull", the object variables given back on
// every way out, drops out of an inventory, the drop radius, and the getters with their reports.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "world/Inventory.h"
#include "world/WorldEventPayloads.h"

#include <numeric>

class ScriptItemsTest : public ScriptFuncsTest {
protected:
    ScriptItemsTest()
    {
        hero = Place("Hero", 1400.0f, 1280.0f, "hero1");
        crate = Place("Crate", 1280.0f, 1280.0f, "box");  // a 4 x 3 grid with one Medkit
        static_cast<CreatureObj*>(Elem(hero))->m_MainCharacter = 1;
        Elem(hero)->CreateInventory(-1);
        medkit = ctrl->FindItem("Medkit", false);
    }
    std::vector<int32_t> Stacks(int32_t id)
    {
        std::vector<int32_t> counts;
        Inventory* inventory = Elem(id)->m_Inventory;
        for (int32_t i = 0; inventory && i < inventory->GetCount(); i++)
            counts.push_back(inventory->GetItem(i)->m_Count);
        return counts;
    }
    std::string Id(int32_t id) { return std::to_string(id); }
    // Whether the world shows the text message with that key.
    bool Shows(const char16_t* key)
    {
        auto& messages = ctrl->GetWorld().GetTextMessages();
        for (int32_t i = 0; i < messages.GetSize(); i++)
            if (messages.GetAt(i)->key == wString(key))
                return true;
        return false;
    }

    int32_t hero = -1;
    int32_t crate = -1;
    ItemBase* medkit = nullptr;
};

TEST_F(ScriptItemsTest, AddToInventoryInStacks)
{
    ASSERT_NE(medkit, nullptr);
    medkit->m_Pile = 10;
    Run("AddToInventory(" + Id(hero) + ", \"Medkit\", 25);");
    EXPECT_EQ(Stacks(hero), (std::vector<int32_t>{10, 10, 5}));
    ASSERT_EQ(ctrl->received.size(), 1u);  // told once, of the whole count
    EXPECT_EQ(ctrl->received[0].second, 25);
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_EQ(ctrl->GetObjScriptVariablesSaveCount(), 0);

    // the message switch at position 8 silences the notice; a non-player gets none
    ClearRecords();
    Run("AddToInventory(" + Id(hero) + ", \"Medkit\", 1, 0, 1, 0, 0, 0);");
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 2);");
    EXPECT_TRUE(ctrl->received.empty());
    const std::vector<int32_t> crateStacks = Stacks(crate);
    EXPECT_EQ(std::accumulate(crateStacks.begin(), crateStacks.end(), 0), 3);  // beside the crate's own Medkit

    // a largest stack below 1 still ends, each unit on its own
    medkit->m_Pile = 0;
    Elem(crate)->CreateInventory(-1);
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 3);");
    int32_t units = 0;
    for (int32_t count : Stacks(crate))
        units += count;
    for (const auto& drop : ctrl->drops)
        units += drop.count;
    EXPECT_EQ(units, 3);
}

TEST_F(ScriptItemsTest, AddToInventoryRefusalsAndUnknownItems)
{
    // a full inventory: what does not fit lies at the owner, and the player reads "InvFull"
    Elem(hero)->CreateInventory(1);
    Run("AddToInventory(" + Id(hero) + ", \"Medkit\", 5);");
    Run("AddToInventory(" + Id(hero) + ", \"Medkit\", 2);");
    EXPECT_EQ(Stacks(hero), (std::vector<int32_t>{5}));
    ASSERT_EQ(ctrl->drops.size(), 1u);
    EXPECT_EQ(ctrl->drops[0].desc, "Medkit");
    EXPECT_EQ(ctrl->drops[0].count, 2);
    EXPECT_EQ(ctrl->drops[0].atID, hero);
    EXPECT_TRUE(Shows(u"InvFull"));

    ClearRecords();
    ctrl->GetWorld().GetTextMessages().DeleteAll();
    Elem(crate)->CreateInventory(0);
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\");");
    EXPECT_EQ(ctrl->drops.size(), 1u);
    EXPECT_FALSE(Shows(u"InvFull"));  // only a player's character is told

    // an unknown item: the report, the variables given back, and the next call still works
    ClearRecords();
    ctrl->SetObjScriptVariable(7, 42);
    Run("AddToInventory(" + Id(crate) + ", \"Nothing\", 2);");
    EXPECT_EQ(ErrorsWith("Item to add to inventory not found 'Nothing'"), 1);
    EXPECT_EQ(ctrl->GetObjScriptVariablesSaveCount(), 0);
    EXPECT_EQ(ctrl->GetObjScriptVariable(7), 42);
    Run("AddToInventory(" + Id(hero) + ", \"Nothing\");");
    EXPECT_EQ(ErrorsWith("Item to add to inventory not found"), 2);

    ClearRecords();
    Run("AddToInventory(" + Id(hero) + ");");
    Run("AddToInventory(\"x\", \"Medkit\");");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function AddToInventory"), 2);
}

// A dropped entry lies in the world as an item element with every unit, and a creature with
// room picks it up through the controller's pick-up event.
TEST_F(ScriptItemsTest, DroppedItemsLieInTheWorldAndArePickedUp)
{
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 2);");
    const int32_t id = Eval("DropFromInventory(" + Id(crate) + ", " + Id(hero) + ", \"Medkit\")").m_Integer;
    ASSERT_GE(id, 0);
    WorldElem* lying = Elem(id);
    ASSERT_NE(lying, nullptr);
    ASSERT_NE(lying->m_LinkedItem, nullptr);
    EXPECT_EQ(lying->m_LinkedItem->m_Count, 3);
    EXPECT_STREQ(lying->m_LinkedItem->m_Desc.c_str(), "Medkit");

    ctrl->events.clear();
    EXPECT_EQ(Eval("PickUp(" + Id(crate) + ", " + Id(id) + ")").m_Integer, 0);  // a crate is no creature
    EXPECT_EQ(Eval("PickUp(" + Id(hero) + ", " + Id(id) + ")").m_Integer, 1);
    ASSERT_EQ(ctrl->events.size(), 1u);
    EXPECT_EQ(ctrl->events[0].type, WorldEventType::kPickup);
}

TEST_F(ScriptItemsTest, DropsOutOfInventories)
{
    EXPECT_EQ(Eval("DropFromInventory(" + Id(hero) + ", " + Id(hero) + ", \"all\")").m_Integer, -1);  // empty
    EXPECT_EQ(Eval("DropFromInventory(" + Id(hero) + ", " + Id(hero) + ", \"Medkit\")").m_Integer, -1);
    EXPECT_TRUE(ctrl->drops.empty());

    // one name: its entry goes, whole, to the target
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 2);");
    Run("DropFromInventory(" + Id(crate) + ", " + Id(hero) + ", \"Medkit\");");
    ASSERT_EQ(ctrl->drops.size(), 1u);
    EXPECT_EQ(ctrl->drops[0].count, 3);
    EXPECT_EQ(ctrl->drops[0].atID, hero);
    EXPECT_TRUE(Stacks(crate).empty());

    // "all": every entry
    ClearRecords();
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 7);");
    EXPECT_EQ(Stacks(crate).size(), 2u);
    Run("DropFromInventory(" + Id(crate) + ", " + Id(crate) + ", \"all\");");
    EXPECT_EQ(ctrl->drops.size(), 2u);
    EXPECT_TRUE(Stacks(crate).empty());

    const ScriptValue refused = Eval("DropFromInventory(" + Id(crate) + ", " + Id(hero) + ")");
    EXPECT_EQ(refused.m_Type, kScriptInt);
    EXPECT_EQ(refused.m_Integer, 0);
    EXPECT_EQ(ErrorsWith("Invalid arguments in function DropFromInventory"), 1);
}

// The radius defaults to 20: the default drop lies 15 closer than one of 35.
TEST_F(ScriptItemsTest, DropInventoryRadius)
{
    Run("DropInventory(" + Id(crate) + ");");
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\");");
    Run("DropInventory(" + Id(crate) + ", 35.0);");
    ASSERT_EQ(ctrl->drops.size(), 2u);
    EXPECT_FLOAT_EQ(ctrl->drops[1].distance - ctrl->drops[0].distance, 15.0f);
    EXPECT_TRUE(Stacks(crate).empty());

    Run("EmptyInventory();");
    EXPECT_EQ(ErrorsWith("Invalid number of arguments in function 'EmptyInventory'"), 1);
    Run("AddToInventory(" + Id(hero) + ", \"Medkit\", 9);");
    Run("EmptyInventory(" + Id(hero) + ", 1);");
    EXPECT_TRUE(Stacks(hero).empty());
}

TEST_F(ScriptItemsTest, GettersAndGold)
{
    const int32_t coins = Place("GoldCoins", 1300.0f, 1280.0f, "coins");
    auto* object = static_cast<ItemObj*>(Elem(coins));
    object->m_KeyNumber = 4;
    object->m_UsesLeft = 2;
    const std::string h = Id(hero), c = Id(crate), g = Id(coins);
    struct Case {
        std::string call;
        int32_t value;
        const char* error;  // the one script error, or none
    } cases[] = {
        {"GetNumberOfItemsInInventory(" + c + ")", 1, nullptr},
        {"GetNumberOfItemsInInventory(" + g + ")", 0, nullptr},
        {"GetItemUses(" + h + ")", 0, "Can not GetItemUses on none-item-object"},
        {"GetItemUses(" + g + ")", 0, "Can not GetUses on none-item-object"},
        {"GetUses(" + g + ")", 2, nullptr},
        {"GetNeedKey(" + g + ")", 4, nullptr},
        {"GetNeedKey(" + h + ")", 0, nullptr},  // a warning of the controller only
        {"GetGold(" + h + ")", 0, nullptr},
        {"GetGold(" + h + ", 1)", 0, "Invalid arguments in function GetGold"},
        {"GetUses(99999)", 0, "Invalid object: 99999"},
    };
    for (const Case& test : cases) {
        ClearRecords();
        const ScriptValue result = Eval(test.call);
        EXPECT_EQ(result.m_Type, kScriptInt) << test.call;
        EXPECT_EQ(result.m_Integer, test.value) << test.call;
        EXPECT_EQ(ctrl->errors.size(), test.error ? 1u : 0u) << test.call;
        if (test.error) {
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.call;
        }
    }

    object->m_LinkedItem = ctrl->CreateItem();
    object->m_LinkedItem->m_Uses = 3;
    EXPECT_EQ(Eval("GetItemUses(" + g + ")").m_Integer, 3);

    ClearRecords();
    Run("AddGold(" + h + ", 150); AddGold(" + c + ", 20);");
    EXPECT_EQ(Eval("GetGold(" + h + ")").m_Integer, 150);
    EXPECT_EQ(Eval("GetGold(" + c + ")").m_Integer, 20);
    EXPECT_EQ(ctrl->goldReceived, (std::vector<std::pair<int32_t, int32_t>>{{150, 1}}));  // the player only
}
