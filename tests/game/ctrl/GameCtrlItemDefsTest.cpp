// GameCtrl item definitions: the keys of an item entry read completely and as an override, base
// item chains, attributes and abilities, body placement of emitters, the world object of an item,
// the references between items and world object types, and items put into an object.
#include "game/ctrl/GameCtrl.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/ItemObj.h"
#include "world/Inventory.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A controller whose item reader holds the text, with one engine item per entry, none read yet.
class ItemCtrl : public GameCtrl {
public:
    void OpenItems(const std::string& text)
    {
        m_ItemReader.SetDescKey("desc");
        OpenText(m_ItemReader, text);
        m_ItemTable.clear();
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            m_ItemTable.emplace_back(CreateItem());
    }
    // Every entry read completely, in order.
    void ReadAll()
    {
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            LoadItems(m_ItemReader, i, *m_ItemTable[size_t(i)], true);
    }
    ItemBase& Item(const char* desc) { return *FindItem(desc, false); }
};

std::string FixtureText(const char* name)
{
    const std::vector<uint8_t> bytes = TempDir::ReadAll(CtrlFixture(name));
    return std::string(bytes.begin(), bytes.end());
}

const ItemAbility* FindAbility(const ItemBase& item, int32_t type)
{
    for (int32_t i = 0; i < item.GetAbilityCount(); ++i)
        if (item.GetAbility(i)->type == type)
            return item.GetAbility(i);
    return nullptr;
}

}  // namespace

TEST(GameCtrlItemDefsTest, EntriesReadCompletely)
{
    ItemCtrl ctrl;
    ctrl.OpenItems(FixtureText("items.cfg"));
    LogCapture log;
    ctrl.ReadAll();

    const ItemBase& plain = ctrl.Item("Plain");
    EXPECT_EQ(plain.m_Desc, "Plain");
    EXPECT_EQ(plain.m_ItemName, "DB:Plain");
    EXPECT_EQ(plain.m_Img, "items\\plain.dds");
    EXPECT_EQ(plain.m_ImgInfo, "items\\plain.dds");
    EXPECT_EQ(plain.m_SubType, -1);
    EXPECT_EQ(plain.m_Class, ItemBase::kClassGeneral);
    EXPECT_EQ(plain.m_Uses, 0);
    EXPECT_EQ(plain.GetAbilityCount(), 0);

    const ItemBase& named = ctrl.Item("Named");
    EXPECT_EQ(named.m_ItemName, "DB:Sword");
    EXPECT_EQ(named.m_ImgInfo, "items\\sword_info.dds");
    EXPECT_EQ(named.m_Class, ItemBase::kClassWeapon);
    EXPECT_EQ(named.m_SubType, 3);
    EXPECT_EQ(named.m_MirrorImg, 1);
    EXPECT_EQ(named.m_ObjID, "Crate");
    EXPECT_EQ(named.m_RequiresCharacterClass, 2);
    EXPECT_EQ(named.m_RequiresLevel, 5);  // truncated to 16 bits
    EXPECT_EQ(named.m_SpecialItem, 1);   // 0.5 rounds away from zero
    EXPECT_EQ(named.m_QuickSlotItem, 1);
    EXPECT_FLOAT_EQ(named.m_Might, 4.0f);
    EXPECT_FLOAT_EQ(named.m_TreasureProb, 0.5f);
    EXPECT_EQ(named.m_BodyPart, 7);
    EXPECT_EQ(named.m_EquipmentType, -1);  // the engine knows no equipment types
    EXPECT_FLOAT_EQ(named.m_BodyPos[2], 3.0f);
    EXPECT_FLOAT_EQ(named.m_BodyRotAngle, float(M_PI / 2));
    EXPECT_FLOAT_EQ(named.m_BodyPosLeft[0], -1.0f);
    EXPECT_FLOAT_EQ(named.m_BodyRotAngleLeft, float(M_PI));
    EXPECT_FLOAT_EQ(named.m_PicCol[1], 0.5f);
    EXPECT_EQ(named.m_DimX, 2);
    EXPECT_EQ(named.m_DimY, 3);
    EXPECT_EQ(named.m_Combine, 1);

    EXPECT_EQ(ctrl.Item("Quest").m_QuestItem, 1);  // "Quest" sets it; "QuestItem = 3" leaves it

    const ItemBase& book = ctrl.Item("Book");
    EXPECT_EQ(book.m_Class, ItemBase::kClassArmour);
    EXPECT_EQ(book.m_Uses, -1);  // a book without "uses" is read without limit
    EXPECT_EQ(book.m_Snd, "PageTurn");
    EXPECT_EQ(book.m_DestroyAfterUse, 0);
    EXPECT_EQ(book.m_OnItemUse, "ReadBook");
    EXPECT_EQ(book.m_OnTransfer, "Moved");
    EXPECT_EQ(book.m_AbilityText, "ab_book");
    EXPECT_EQ(book.m_Shader, "paper");
    EXPECT_EQ(log.Count("Obsolete: onPickup found in item: Book"), 1);
    EXPECT_EQ(log.Count("Obsolete: onDrop found in item: Book"), 1);

    const ItemBase& potion = ctrl.Item("Potion");
    EXPECT_EQ(potion.m_Uses, 2);
    EXPECT_EQ(potion.m_Pile, 5);
    EXPECT_EQ(potion.m_SndPickUp, 4);
    const struct {
        int32_t type;
        int32_t subtype;
        float value;
        float value2;
    } abilities[] = {
        {ItemAbility::kHitPoints, 0, 15.0f, 0.0f},    {ItemAbility::kMoveSpeed, 0, 1.2f, 0.0f},
        {ItemAbility::kManaFillRel, 0, 20.0f, 0.5f},  {ItemAbility::kHealth, 3, 40.0f, 0.0f},
        {ItemAbility::kKnockback, 0, 3.0f, 0.0f},     {ItemAbility::kBodyMesh, 4, 0.0f, 0.0f},
        {ItemAbility::kBodyTexture, 5, 2.0f, 0.0f},   {ItemAbility::kKey, 3, 0.0f, 0.0f},
    };
    ASSERT_EQ(potion.GetAbilityCount(), int32_t(std::size(abilities)));  // no mana, money or manaMax
    for (size_t i = 0; i < std::size(abilities); ++i) {
        const ItemAbility* ability = potion.GetAbility(int32_t(i));
        EXPECT_EQ(ability->type, abilities[i].type) << i;
        EXPECT_EQ(ability->subtype, abilities[i].subtype) << i;
        EXPECT_FLOAT_EQ(ability->value, abilities[i].value) << i;
        EXPECT_FLOAT_EQ(ability->value2, abilities[i].value2) << i;
    }
    EXPECT_EQ(potion.GetAbility(0)->text1, "HitpCurve");

    // Bases: the root base's sounds and, through a key's function, its attribute values.
    const ItemBase& derived = ctrl.Item("Derived");
    EXPECT_EQ(derived.m_BaseItem, "Root");
    EXPECT_EQ(derived.m_SndPickUp, 7);
    EXPECT_EQ(derived.m_SndDrop, 2);
    ASSERT_EQ(derived.GetAbilityCount(), 2);  // the root has no "manaMax"
    EXPECT_FLOAT_EQ(FindAbility(derived, ItemAbility::kHitPoints)->value, 10.0f);
    EXPECT_FLOAT_EQ(FindAbility(derived, ItemAbility::kCombatSpeed)->value, 1.5f);
    // "Child" was read before "Middle" named its base: its chain ended at "Middle".
    EXPECT_EQ(ctrl.Item("Child").m_SndPickUp, 0);
}

TEST(GameCtrlItemDefsTest, OverrideAndFaults)
{
    ItemCtrl ctrl;
    ctrl.OpenItems("#1\ndesc = \"Sword\"\nimg = \"a.dds\"\n#2\ndesc = \"NoImage\"\n");
    ItemBase item;
    item.m_ItemName = "DB:Kept";
    item.m_SubType = 5;
    ctrl.LoadItems(ctrl.GetItemReader(), 1, item, false);  // an override changes what it names
    EXPECT_EQ(item.m_ItemName, "DB:Kept");
    EXPECT_EQ(item.m_SubType, 5);
    EXPECT_EQ(item.m_Desc, "");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItems(ctrl.GetItemReader(), 1, item, true); }),
              "Missing 'img' entry in item file in entry 1 (DB:NoImage)");

    // A chain of 100 bases is taken; one that returns to the item never ends.
    std::string chain = "#0\ndesc = \"B0\"\nimg = \"b.dds\"\n";
    for (int i = 1; i < 100; ++i)
        chain += "#" + std::to_string(i) + "\ndesc = \"B" + std::to_string(i) + "\"\nimg = \"b.dds\"\nBaseItem = \"B" +
                 std::to_string(i - 1) + "\"\nsndDrop = " + std::to_string(i % 2) + "\n";
    chain += "#100\ndesc = \"Top\"\nimg = \"b.dds\"\nBaseItem = \"B99\"\n";
    chain += "#101\ndesc = \"Loop\"\nimg = \"b.dds\"\nBaseItem = \"Loop\"\n";
    ctrl.OpenItems(chain);
    ctrl.GetItemTable()[0]->m_SndDrop = 6;
    for (int32_t i = 0; i <= 100; ++i)
        ctrl.LoadItems(ctrl.GetItemReader(), i, *ctrl.GetItemTable()[size_t(i)], true);
    EXPECT_EQ(ctrl.Item("Top").m_SndDrop, 6);  // the root base's, 100 links away
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItems(ctrl.GetItemReader(), 101, *ctrl.GetItemTable()[101], true); }),
              "Recursive BaseItem in item DB:Loop");
}

TEST(GameCtrlItemDefsTest, EmittersPlacedOnTheBody)
{
    ItemCtrl ctrl;
    ctrl.OpenItems("#1\ndesc = \"Torch\"\nimg = \"t.dds\"\nBodyRotAxis = 0, 0, 1\nBodyRotAngle = 90\n"
                   "BodyPos = 10, 0, 0\nBodyScale = 2, 2, 2\n#2\ndesc = \"Still\"\nimg = \"t.dds\"\n");
    ItemBase torch;
    torch.AddEmitter().offset[0] = 1.0f;
    ctrl.LoadItems(ctrl.GetItemReader(), 0, torch, true);
    EXPECT_NEAR(torch.GetEmitter(0)->offset[0], 20.0f, 1e-4);  // turned to (0, 1, 0), moved, scaled
    EXPECT_NEAR(torch.GetEmitter(0)->offset[1], 2.0f, 1e-4);
    EXPECT_NEAR(torch.GetEmitter(0)->offset[2], 0.0f, 1e-4);
    ItemBase still;  // no axis: nothing turns
    still.AddEmitter().offset[1] = 3.0f;
    ctrl.LoadItems(ctrl.GetItemReader(), 1, still, true);
    EXPECT_FLOAT_EQ(still.GetEmitter(0)->offset[1], 3.0f);
}

TEST(GameCtrlItemDefsTest, WorldObjectsOfItems)
{
    GameDir dir;
    ScopedGfx gfx;
    dir.Write("box.rtx", "*SCENE { *SCENE_FIRSTFRAME 0 *SCENE_LASTFRAME 15 *SCENE_FRAMESPEED 30 }\n");
    dir.Write("cfg/3dobjs.cfg", "#1\ndesc = \"box\"\nsFile = \"box.rtx\"\n");
    dir.Write("objects.cfg", "#1\ndesc = \"Chest\"\ntype = \"Object\"\nid = \"box\"\nscale = 2\nscale3d = 1, 2, 3\n"
                             "item = \"Sword\"\n#2\ndesc = \"NoType\"\n#3\ndesc = \"Lamp\"\ntype = \"light\"\n"
                             "item = \"Nothing\"\n#4\ndesc = \"Odd\"\ntype = \"object\"\nid = \"none\"\n");
    ItemCtrl ctrl;
    ctrl.OpenItems("#1\ndesc = \"Sword\"\nimg = \"s.dds\"\nobjID = \"Chest\"\nBodyScale = 1, 2, 3\n"
                   "#2\ndesc = \"Shield\"\nimg = \"s.dds\"\nobjID = \"Table\"\n");
    ctrl.ReadAll();
    ctrl.GetObjectCfgFiles().AddFile("objects.cfg");
    LogCapture log;
    ctrl.LoadWorldObjectFiles();  // debug mode 0: no check

    DXC_3dScene* scene = nullptr;
    DXC_3dScene sentinel;
    DXC_3dScene* back = &sentinel;
    float scale[3] = {};
    EXPECT_EQ(ctrl.GetItemWorldObject("Chest", &scene, &back, scale), 0);
    EXPECT_EQ(scene, ctrl.Get3dObjPrototypes()[0]->GetScene());
    EXPECT_EQ(back, nullptr);
    EXPECT_FLOAT_EQ(scale[2], 6.0f);
    EXPECT_EQ(ctrl.GetItemWorldObject("NoType", nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(log.Count("object NoType has no 'type' entry"), 1);
    EXPECT_EQ(ctrl.GetItemWorldObject("Lamp", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(log.Count("object Lamp has invalid type light"), 1);
    EXPECT_EQ(ErrorOf([&] { ctrl.GetItemWorldObject("Table", nullptr, nullptr, nullptr); }),
              "World object 'Table' not found (from item)");
    EXPECT_EQ(ErrorOf([&] { ctrl.GetItemWorldObject("Odd", nullptr, nullptr, nullptr); }),
              "3dObject 'none' not found (item world object: 'Odd')");

    // The check: the items' world objects once per run, then every entry's type and item.
    EXPECT_EQ(ErrorOf([&] { ctrl.CheckItemReferences(); }), "Item nr 1 without 'type' entry");
    EXPECT_EQ(log.Count("item.cfg objID reference ('Table') in item 'Shield' invalid"), 1);
    EXPECT_EQ(log.Count("objID reference"), 1);
    dir.Write("objects.cfg", "#1\ndesc = \"Chest\"\ntype = \"object\"\nitem = \"Sword\"\n#2\ndesc = \"Lamp\"\n"
                             "type = \"light\"\nitem = \"Nothing\"\n#3\ndesc = \"Box\"\ntype = \"object\"\n"
                             "item = \"Axe\"\n");
    ctrl.SetDebugMode(1);
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadWorldObjectFiles(); }), "Invalid item specified ('Axe') in wrldobj entry 'Box'");
    EXPECT_EQ(log.Count("objID reference"), 1);

    // Items put into an object: a name with a scale, a plain name, an unknown one.
    OpenText(ctrl.GetWorldObjectReader(), "#1\ndesc = \"Chest\"\nInventory = \"Sword\", 2, 2, 2\n"
                                          "Inventory1 = \"Shield\"\nInventory2 = \"\"\nInventory3 = \"Axe\"\n");
    ItemObj chest;
    bool found = false;
    ctrl.AddItemToObject(ctrl.GetWorldObjectReader(), "Missing", 0, chest, found);
    EXPECT_FALSE(found);
    EXPECT_EQ(chest.m_Inventory, nullptr);
    ctrl.AddItemToObject(ctrl.GetWorldObjectReader(), "Inventory", 0, chest, found);
    EXPECT_TRUE(found);
    ASSERT_NE(chest.m_Inventory, nullptr);
    ctrl.AddItemToObject(ctrl.GetWorldObjectReader(), "Inventory1", 0, chest, found);
    found = false;
    ctrl.AddItemToObject(ctrl.GetWorldObjectReader(), "Inventory2", 0, chest, found);  // empty: present, adds none
    EXPECT_TRUE(found);
    EXPECT_EQ(chest.m_Inventory->GetCount(), 2);
    const auto* sword = dynamic_cast<const ItemBase*>(chest.m_Inventory->GetItem(0));
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(sword->m_Desc, "Sword");
    EXPECT_FLOAT_EQ(sword->m_BodyScale[2], 6.0f);
    EXPECT_FLOAT_EQ(sword->m_BodyScaleLeft[2], 2.0f);
    EXPECT_EQ(ErrorOf([&] { ctrl.AddItemToObject(ctrl.GetWorldObjectReader(), "Inventory3", 0, chest, found); }),
              "Tried to add unknown item 'Axe' to object : 'Chest'");
}

TEST(GameCtrlItemDefsTest, AttributesDerivedByGameFunctions)
{
    GameDir dir;
    dir.Write("cfg/functions.cfg", "#1\ndesc = \"byMight\"\nfunc = 0, 0, 10, 100\ninterpolation = 1\n"
                                   "attribute = \"might\"\n#2\ndesc = \"plusMight\"\nfunc = 0, 0, 10, 100\n"
                                   "interpolation = 1\nattribute = \"might\"\nattributeOperation = \"add\"\n"
                                   "#3\ndesc = \"byXP\"\nfunc = 0, 5\nattribute = \"xp\"\n");
    ItemCtrl ctrl;
    ctrl.OpenItems("#1\ndesc = \"Root\"\nimg = \"r.dds\"\nmight = 2\nhitp = 10\nmanaMax = 4\nspdCombatBonus = 50\n"
                   "#2\ndesc = \"Item\"\nimg = \"i.dds\"\nBaseItem = \"Root\"\nmight = 7\nhitpFunc = \"byMight\"\n"
                   "manaMaxFunc = \"byXP\"\nspdCombatBonusFunc = \"plusMight\"\n");
    ctrl.ReadAll();
    const ItemBase& item = ctrl.Item("Item");
    // The root base's might is the input: 10 x 20, 4 unchanged (no item has experience),
    // 50 + 20 percent.
    EXPECT_FLOAT_EQ(FindAbility(item, ItemAbility::kHitPoints)->value, 200.0f);
    EXPECT_FLOAT_EQ(FindAbility(item, ItemAbility::kManaMax)->value, 4.0f);
    EXPECT_FLOAT_EQ(FindAbility(item, ItemAbility::kCombatSpeed)->value, 1.7f);
    EXPECT_FLOAT_EQ(ctrl.ApplyGameFunctionToItem(3.0f, "byMight", nullptr, nullptr), 3.0f);
    EXPECT_FLOAT_EQ(ctrl.ApplyGameFunctionToItem(3.0f, "unknown", &item, nullptr), 3.0f);
}
