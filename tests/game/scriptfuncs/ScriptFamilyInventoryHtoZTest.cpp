// Inventory, items and use from 'H' on: unknown lower-case names, removal with its forwarding,
// transfers and their answers, the inventory windows, the item record setters and their reports,
// the use events with their payloads, the use requests, and what each built-in hands on to the
// clients.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"
#include "world/Inventory.h"
#include "world/WorldEventPayloads.h"

#include <cstring>

class ScriptInventoryTest : public ScriptFuncsTest {
protected:
    ScriptInventoryTest()
    {
        hero = Place("Hero", 1400.0f, 1280.0f, "hero1");
        crate = Place("Crate", 1280.0f, 1280.0f, "box");  // a 4 x 3 grid with one Medkit
        coins = Place("GoldCoins", 1300.0f, 1280.0f, "coins");
        static_cast<CreatureObj*>(Elem(hero))->m_MainCharacter = 1;
        // The sample hero carries an inventory; these cases start from a creature without one.
        delete Elem(hero)->m_Inventory;
        Elem(hero)->m_Inventory = nullptr;
    }
    int32_t Units(int32_t id, const char* desc)
    {
        int32_t units = 0;
        Inventory* inventory = Elem(id)->m_Inventory;
        for (int32_t i = 0; inventory && i < inventory->GetCount(); i++)
            if (inventory->GetItem(i)->m_Desc == desc)
                units += inventory->GetItem(i)->m_Count;
        return units;
    }
    std::string Id(int32_t id) { return std::to_string(id); }

    int32_t hero = -1;
    int32_t crate = -1;
    int32_t coins = -1;
};

TEST_F(ScriptInventoryTest, UnknownNamesAndRemoval)
{
    Run("hasKey(" + Id(hero) + ", 1);");
    EXPECT_EQ(ErrorsWith("Unknown function 'hasKey' accepting 2 arguments"), 1);

    ClearRecords();
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 2);");
    const ScriptValue refused = Eval("RemoveFromInventory(" + Id(crate) + ", \"Medkit\", 1, 1)");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function RemoveFromInventory"), 1);
    EXPECT_EQ(refused.m_Type, kScriptInt);
    EXPECT_TRUE(ctrl->forwarded.empty());

    EXPECT_EQ(Eval("RemoveFromInventory(" + Id(crate) + ", \"Medkit\")").m_Integer, 1);
    EXPECT_EQ(Units(crate, "Medkit"), 2);
    ASSERT_EQ(ctrl->forwarded.size(), 1u);
    EXPECT_EQ(ctrl->forwarded[0].count, 2);  // the call's own count, sent before the removal
    EXPECT_EQ(Eval("RemoveFromInventory(" + Id(crate) + ", \"Medkit\", -1)").m_Integer, 2);
    EXPECT_EQ(Eval("RemoveFromInventory(" + Id(hero) + ", \"Medkit\")").m_Integer, 0);  // no inventory
    EXPECT_EQ(Eval("IsInInventory(" + Id(crate) + ", \"Medkit\")").m_Integer, 0);
    EXPECT_EQ(Eval("HasKey(" + Id(crate) + ", 3)").m_Integer, 0);
    EXPECT_EQ(Eval("RemoveQuestItems(" + Id(hero) + ")").m_Integer, 0);
}

TEST_F(ScriptInventoryTest, Transfers)
{
    // a target without inventory gets one of type 6 first, even when nothing moves
    EXPECT_EQ(Elem(hero)->m_Inventory, nullptr);
    const ScriptValue lacking = Eval("TransferFromInventory(" + Id(crate) + ", " + Id(hero) + ", \"Rifle\")");
    EXPECT_EQ(lacking.m_Type, kScriptInt);
    EXPECT_EQ(lacking.m_Integer, 0);
    ASSERT_NE(Elem(hero)->m_Inventory, nullptr);
    EXPECT_EQ(Elem(hero)->GetInventoryType(), 6);

    // one unit moved answers 0, and the player is told
    Run("AddToInventory(" + Id(crate) + ", \"Medkit\", 2);");
    ClearRecords();
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(crate) + ", " + Id(hero) + ", \"Medkit\")").m_Integer, 0);
    EXPECT_EQ(Units(crate, "Medkit"), 2);
    EXPECT_EQ(Units(hero, "Medkit"), 1);
    ASSERT_EQ(ctrl->received.size(), 1u);
    EXPECT_EQ(ctrl->received[0].second, 1);
    EXPECT_TRUE(ctrl->forwarded.empty());

    // only failed transfers answer 1: the target has no room
    Elem(coins)->CreateInventory(0);
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(crate) + ", " + Id(coins) + ", \"Medkit\", 2)").m_Integer, 1);
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(crate) + ", " + Id(coins) + ", \"all\")").m_Integer, 1);
    EXPECT_EQ(Units(crate, "Medkit"), 2);
    // to itself nothing moves
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(crate) + ", " + Id(crate) + ", \"all\")").m_Integer, 1);
    EXPECT_EQ(Units(crate, "Medkit"), 2);

    // "all" moves every entry
    Run("AddGold(" + Id(crate) + ", 30);");
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(crate) + ", " + Id(hero) + ", \"all\")").m_Integer, 0);
    EXPECT_EQ(Elem(crate)->m_Inventory->GetCount(), 0);
    EXPECT_EQ(Units(hero, "Medkit"), 3);
    EXPECT_EQ(Elem(hero)->GetGold(), 30);
    EXPECT_EQ(Eval("TransferFromInventory(" + Id(coins) + ", " + Id(hero) + ", \"all\")").m_Integer, 0);  // empty
    EXPECT_TRUE(ctrl->errors.empty());
}

TEST_F(ScriptInventoryTest, InventoryWindowsAndTypes)
{
    Run("ShowInventory(" + Id(crate) + ", 1);");
    EXPECT_EQ(ErrorsWith("Invalid number of arguments in function 'ShowInventory'"), 1);
    EXPECT_TRUE(ctrl->shownInventories.empty());
    Run("ShowInventory(" + Id(crate) + ");");
    ASSERT_EQ(ctrl->shownInventories.size(), 1u);
    EXPECT_EQ(ctrl->shownInventories[0].first, crate);

    ClearRecords();
    Run("ShowRiddleInventory(" + Id(crate) + ", \"Solved();\", \"riddle1\");");
    ASSERT_EQ(ctrl->shownInventories.size(), 1u);
    EXPECT_EQ(ctrl->shownInventories[0].second, "Solved();|riddle1");
    EXPECT_EQ(Elem(crate)->m_Inventory->GetType(), 10);

    Run("SetInventoryType(" + Id(crate) + ", \"BigChest\"); SetInventoryType(" + Id(hero) + ", \"Trade\");");
    EXPECT_EQ(Elem(crate)->m_Inventory->GetType(), 3);
    EXPECT_EQ(Elem(hero)->m_Inventory, nullptr);  // nothing to type

    Run("SaveInventory(" + Id(crate) + ", 2); EmptyInventory(" + Id(crate) + "); LoadInventory(" + Id(crate) + ", 2);");
    EXPECT_EQ(Units(crate, "Medkit"), 1);
    Run("SaveInventory(" + Id(crate) + ", 8);");
    EXPECT_EQ(ErrorsWith("Invalid inventory storage index"), 1);
}

TEST_F(ScriptInventoryTest, ItemRecordsAndUseCounters)
{
    auto* object = static_cast<ItemObj*>(Elem(coins));
    const std::string c = Id(coins), h = Id(hero);
    Run("SetItemName(" + c + ", \"Purse\");");
    EXPECT_EQ(ErrorsWith("Can not SetItemName on none-item-object"), 1);  // no item held
    Run("SetItemUses(" + h + ", 3);");
    EXPECT_EQ(ErrorsWith("Can not SetItemUses on none-item-object"), 1);

    ClearRecords();
    object->m_LinkedItem = ctrl->CreateItem();
    auto* item = static_cast<ItemBase*>(object->m_LinkedItem);
    Run("SetItemName(" + c + ", \"Purse\"); SetItemUses(" + c + ", 3); SetItemOnUse(" + c +
        ", \"Used();\"); SetItemOnTransfer(" + c + ", \"Moved();\");");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_STREQ(item->m_ItemName.c_str(), "Purse");
    EXPECT_EQ(item->m_Uses, 3);
    EXPECT_STREQ(item->m_OnItemUse.c_str(), "Used();");
    EXPECT_STREQ(item->m_OnTransfer.c_str(), "Moved();");
    Run("SetItemName(" + c + ", 5);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetItemName"), 1);

    ClearRecords();
    Run("SetUses(" + c + ", 70000); SetNeedKey(" + c + ", 9); SetPickUp(" + c + ", 2); SetUseState(" + c + ", 1);");
    EXPECT_EQ(object->m_UsesLeft, int16_t(70000));
    EXPECT_EQ(object->m_KeyNumber, 9);
    EXPECT_EQ(object->m_ObjValues.pickUp, 1);
    EXPECT_EQ(object->GetOpenState(), 1);
    Run("SetNeedKey(" + h + ", 9); SetUseState(" + h + ", 1);");
    EXPECT_EQ(ErrorsWith("Can not SetUseState() on none-object"), 1);
    EXPECT_EQ(ctrl->errors.size(), 1u);  // the key is only a warning
    EXPECT_EQ(Eval("PickUp(" + h + ", " + Id(crate) + ")").m_Integer, 0);  // the crate holds no item
}

TEST_F(ScriptInventoryTest, UseEventsAndRequests)
{
    const std::string h = Id(hero);
    Run("Use(" + h + ", " + h + ");");
    ASSERT_EQ(ctrl->events.size(), 1u);
    EXPECT_EQ(ctrl->events[0].type, WorldEventType::kUse);
    ASSERT_EQ(ctrl->events[0].payload.size(), 12u);
    UseEventRecord use;
    WorldEvent posted;
    SetEventPayload(posted, WorldEventType::kUse, ctrl->events[0].payload.data(), 12, 0.0);
    ASSERT_TRUE(use.Read(posted));
    EXPECT_EQ(use.objID, hero);
    EXPECT_EQ(use.typeCode, ElemType::kCreature);
    EXPECT_EQ(use.value, hero);

    // a projectile is not used
    ClearRecords();
    Elem(coins)->m_TypeCode = ElemType::kProjectile;
    Run("Use(" + h + ", " + Id(coins) + ");");
    Elem(coins)->m_TypeCode = ElemType::kItem;
    EXPECT_TRUE(ctrl->events.empty());
    Run("Use(" + h + ", " + Id(coins) + ");");
    EXPECT_EQ(ctrl->events.size(), 1u);

    // a wall: its own use event, then the item it belongs to
    ClearRecords();
    auto* box = static_cast<ItemObj*>(Elem(crate));
    ASSERT_GE(box->GetWallCount(), 1);
    const int32_t wall = box->GetWallRecord(0).wall->m_ObjID;
    Run("UseWall(-5, " + std::to_string(wall) + "); UseWall(1, 99999);");
    ASSERT_EQ(ctrl->events.size(), 2u);
    SetEventPayload(posted, WorldEventType::kUse, ctrl->events[0].payload.data(), 12, 0.0);
    ASSERT_TRUE(use.Read(posted));
    EXPECT_EQ(use.objID, wall);
    EXPECT_EQ(use.typeCode, ElemType::kWall);
    EXPECT_EQ(use.value, -1);
    SetEventPayload(posted, WorldEventType::kUse, ctrl->events[1].payload.data(), 12, 0.0);
    ASSERT_TRUE(use.Read(posted));
    EXPECT_EQ(use.objID, crate);
    EXPECT_TRUE(ctrl->errors.empty());

    // a request for an item: the name, the running script and no key
    ClearRecords();
    Run("RequestItemUse(\"Medkit\", \"Healed();\"); return;");
    ASSERT_EQ(ctrl->events.size(), 1u);
    EXPECT_EQ(ctrl->events[0].type, WorldEventType::kUseRequest);
    UseRequestRecord request;
    SetEventPayload(posted, WorldEventType::kUseRequest, ctrl->events[0].payload.data(),
                    int32_t(ctrl->events[0].payload.size()), 0.0);
    ASSERT_TRUE(request.Read(posted));
    EXPECT_STREQ(request.itemName, "Medkit");
    EXPECT_GE(request.scriptID, 0);
    EXPECT_EQ(request.keyNumber, -1);
    EXPECT_STREQ(request.handler, "Healed();");
}

// What each built-in hands on to the clients: the count, the subject and the two flags.
TEST_F(ScriptInventoryTest, SentToTheClients)
{
    auto* box = static_cast<ItemObj*>(Elem(crate));
    ASSERT_GE(box->GetWallCount(), 1);
    const std::string c = Id(crate), h = Id(hero), g = Id(coins);
    const std::string w = std::to_string(box->GetWallRecord(0).wall->m_ObjID);
    struct Case {
        std::string call;
        int32_t count;    // -1: nothing sent
        int32_t subject;  // -1: none
    } cases[] = {
        {"RemoveFromInventory(" + c + ", \"Medkit\", 1)", 3, -1},
        {"RemoveQuestItems(" + c + ")", 1, -1},
        {"RemoveQuestItems(" + h + ")", -1, -1},  // no inventory
        {"ShowInventory(" + c + ")", 1, -1},
        {"ShowRiddleInventory(" + c + ", \"a\", \"b\", 7)", 4, -1},
        {"SetUses(" + c + ", 2)", 2, crate},
        {"SetNeedKey(" + c + ", 2)", 2, crate},
        {"SetNeedKey(" + h + ", 2)", -1, -1},
        {"SetPickUp(" + g + ", 1)", 2, coins},
        {"SetUseState(" + c + ", 1)", 2, crate},
        {"SetUseState(" + h + ", 1)", -1, -1},
        {"SetWallUseState(" + w + ", 0, 1)", 3, -1},
        {"HasKey(" + c + ", 1)", -1, -1},
        {"IsInInventory(" + c + ", \"Medkit\")", -1, -1},
        {"TransferFromInventory(" + c + ", " + h + ", \"Medkit\")", -1, -1},
        {"Use(" + h + ", " + c + ")", -1, -1},
        {"SetInventoryType(" + c + ", \"Trade\")", -1, -1},
    };
    for (const Case& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        if (test.count < 0) {
            EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
            continue;
        }
        ASSERT_EQ(ctrl->forwarded.size(), 1u) << test.call;
        const ScriptTestCtrl::Forwarded& sent = ctrl->forwarded[0];
        EXPECT_EQ(sent.name, test.call.substr(0, test.call.find('('))) << test.call;
        EXPECT_EQ(sent.count, test.count) << test.call;
        EXPECT_EQ(sent.subjectID, test.subject) << test.call;
        EXPECT_EQ(sent.checkSubject, 1) << test.call;
        EXPECT_EQ(sent.flag, 1) << test.call;
    }
}
