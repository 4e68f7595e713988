// Lookups and element properties: world-ID lookups with and without their report, the wall's
// element under both names, children and creators, the property getters with their result types,
// the script numbers' table bounds, and the refusals.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"

struct ExpectedValue {
    std::string call;
    int32_t type;
    double number;       // Int or Float
    const char* text;    // String
    const char* error;   // the one report, or none
};

class ScriptLookupsTest : public ScriptFuncsTest {
protected:
    void Check(const ExpectedValue& test) { ExpectResult(test.call, test.type, test.number, test.text, test.error); }
};

TEST_F(ScriptLookupsTest, FindingElementsWallsAndLights)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f, "box");
    const int32_t coins = Place("GoldCoins", 1300.0f, 1280.0f, "gold");
    ASSERT_GE(crate, 0);
    auto* item = static_cast<ItemObj*>(Elem(crate));
    ASSERT_GE(item->GetWallCount(), 1);  // the crate's box walls
    VSD_WallIntern* wall = item->GetWallRecord(0).wall.Get();
    ASSERT_NE(wall, nullptr);
    wall->m_WorldID = "lid";
    Elem(coins)->SetCreator(Elem(crate));
    const int32_t hero = Place("Hero", 1400.0f, 1280.0f, "hero1");
    const std::string c = std::to_string(crate), w = std::to_string(wall->m_ObjID), g = std::to_string(coins);
    const std::string h = std::to_string(hero);
    const ExpectedValue cases[] = {
        {"GetObject(\"box\")", kScriptInt, double(crate), nullptr, nullptr},
        {"GetObject(\"BOX\", 0)", kScriptInt, double(crate), nullptr, nullptr},  // world IDs ignore case
        {"GetObject(\"none\", 0)", kScriptInt, -1, nullptr, nullptr},
        {"GetObject(\"none\")", kScriptInt, 0, nullptr, "Object with worldID 'none' not found"},
        {"GetObject(\"none\", 0, 1)", kScriptInt, 0, nullptr, "Invalid arguments in function GetObject"},
        {"GetObject(5)", kScriptInt, 0, nullptr, "Invalid arguments in function GetObject"},
        {"GetWall(\"lid\")", kScriptInt, double(wall->m_ObjID), nullptr, nullptr},
        {"GetWall(\"none\", 0)", kScriptInt, -1, nullptr, nullptr},
        {"GetWall(\"none\")", kScriptInt, 0, nullptr, "Wall with worldID 'none' not found"},
        {"GetLight(\"none\")", kScriptInt, 0, nullptr, "Light with worldID 'none' not found"},
        {"GetCfgObject(\"Crate\")", kScriptInt, double(crate), nullptr, nullptr},
        {"GetCfgObject(\"Crate\", 1)", kScriptInt, -1, nullptr, nullptr},
        {"GetWallObject(" + w + ")", kScriptInt, double(crate), nullptr, nullptr},
        {"GetWallParent(" + w + ")", kScriptInt, double(crate), nullptr, nullptr},
        {"GetWallObject(90000)", kScriptInt, 0, nullptr, "Invalid wall: 90000"},
        {"GetWallChildren(" + c + ")", kScriptInt, double(item->GetWallCount()), nullptr, nullptr},
        {"GetWallChildren(" + h + ")", kScriptInt, 0, nullptr, "Invalid arguments in function GetWallChildren"},
        {"GetParent(" + c + ")", kScriptInt, -1, nullptr, nullptr},
        {"GetCreator(" + g + ")", kScriptInt, double(crate), nullptr, nullptr},
        {"GetCreator(" + c + ")", kScriptInt, -1, nullptr, nullptr},
        {"GetChild(" + c + ", 99)", kScriptInt, -1, nullptr, nullptr},
        {"GetChild(" + c + ", -1)", kScriptInt, -1, nullptr, nullptr},
        {"GetMobID(" + c + ")", kScriptInt, -1, nullptr, nullptr},
        {"GetMobID(77777)", kScriptInt, 0, nullptr, "Invalid object: 77777"},
    };
    for (const ExpectedValue& test : cases)
        Check(test);
    EXPECT_EQ(ctrl->GetWorld().GetScriptResultList()[0], wall->m_ObjID);  // the walls went to "objList"

    // A child attached to an element without walls: its parent, the count and the child by index.
    const int32_t pile = Place("GoldCoins", 1500.0f, 1500.0f, "pile");
    Elem(pile)->AttachChild(Elem(coins));
    const std::string p = std::to_string(pile);
    const ExpectedValue children[] = {
        {"GetParent(" + g + ")", kScriptInt, double(pile), nullptr, nullptr},
        {"GetNumChilds(" + p + ")", kScriptInt, 1, nullptr, nullptr},
        {"GetChild(" + p + ", 0)", kScriptInt, double(coins), nullptr, nullptr},
        {"GetChild(" + p + ", 1)", kScriptInt, -1, nullptr, nullptr},
    };
    for (const ExpectedValue& test : children)
        Check(test);
}

TEST_F(ScriptLookupsTest, ElementProperties)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f, "box");
    const int32_t hero = Place("Hero", 1400.0f, 1280.0f, "hero1");
    ASSERT_GE(hero, 0);
    WorldElem* elem = Elem(crate);
    elem->m_ScriptTemp[0] = 1.5f;
    elem->m_ScriptTemp[7] = 8.5f;
    elem->m_Sounds[8] = "creak";
    elem->m_Mass = 12.0f;
    elem->m_Solid = 2;
    static_cast<ItemObj*>(elem)->m_OpenState = 1;
    elem->SetName(wString("Old crate"));
    elem->m_ObjValues.scriptString = "text";
    const std::string c = std::to_string(crate), h = std::to_string(hero);
    const ExpectedValue cases[] = {
        {"GetCfgID(" + c + ")", kScriptString, 0, "Crate", nullptr},
        {"GetWorldID(" + c + ")", kScriptString, 0, "box", nullptr},
        {"GetObjectType(" + c + ")", kScriptInt, ElemType::kItem, nullptr, nullptr},
        {"GetObjectType(" + h + ")", kScriptInt, ElemType::kCreature, nullptr, nullptr},
        {"GetParty(" + h + ")", kScriptInt, 1, nullptr, nullptr},
        {"GetSolid(" + c + ")", kScriptInt, 1, nullptr, nullptr},
        {"GetMass(" + c + ")", kScriptFloat, 12.0, nullptr, nullptr},
        {"GetObjectFloat(" + c + ")", kScriptFloat, 1.5, nullptr, nullptr},
        {"GetObjectFloat(" + c + ", 8)", kScriptFloat, 8.5, nullptr, nullptr},
        {"GetObjectFloat(" + c + ", 9)", kScriptFloat, 0, nullptr, "Invalid arguments in function GetObjectFloat"},
        {"GetObjectFloat(" + c + ", 0)", kScriptFloat, 0, nullptr, "Invalid arguments in function GetObjectFloat"},
        {"GetObjectString(" + c + ", 5)", kScriptString, 0, "text", nullptr},
        {"GetObjectSound(" + c + ", 8)", kScriptString, 0, "creak", nullptr},
        {"GetObjectSound(" + c + ", 9)", kScriptString, 0, "", nullptr},
        {"GetUseState(" + c + ")", kScriptInt, 1, nullptr, nullptr},
        {"GetName(" + c + ")", kScriptString, 0, "Old crate", nullptr},
        {"GetUseState(" + h + ")", kScriptInt, 0, nullptr, "Can not GetUseState() on none-object"},
        {"GetLifeSpan(" + c + ")", kScriptFloat, -1.0, nullptr, nullptr},
        {"GetMass(" + c + ", 1)", kScriptFloat, 0, nullptr, "Invalid arguments in function GetMass"},
        {"GetCfgID(99999)", kScriptString, 0, "", "Invalid object: 99999"},
    };
    for (const ExpectedValue& test : cases)
        Check(test);

    // The scale goes to "fTmp" 0 to 2; an element without a scene object is warned about.
    ClearRecords();
    EXPECT_EQ(Eval("GetScale3D(" + c + ")").m_Type, kScriptVoid);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(0), 1.0f);
    EXPECT_EQ(*ctrl->GetScriptTempFloat(2), 1.0f);
    EXPECT_TRUE(ctrl->errors.empty());
}
