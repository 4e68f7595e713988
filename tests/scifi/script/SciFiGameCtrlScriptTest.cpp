// SciFiGameCtrl's layer of the script built-ins and variables: which half a name is looked up in,
// what a name the game does not serve becomes, that a handled call never reaches the engine's
// tables, and the two damage variables of the damage being processed.
#include "SciFiScriptTestSupport.h"

#include "scifi/objects/DamageValues_SF.h"

TEST_F(SciFiScriptTest, NamesAreLookedUpInTheirHalfAndUnknownNamesGoOn)
{
    ASSERT_EQ(level, "no error");
    // A lower-case first letter counts as its upper case: "setHitPoints" is looked up among the
    // names from 'H' on, matches none and ends in the engine's tables as unknown.
    ExpectResult("setHitPoints(" + h + ", 5)", kScriptVoid, 0, nullptr,
                 "Unknown function 'setHitPoints' accepting 2 arguments");

    const struct {
        const char* name;
        bool atoG;
    } halves[] = {{"GetTotalDamage", true}, {"AddPhysDefense", true}, {"SetHitPoints", false},
                  {"TransformByAction", false}, {"\xC4tsch", true}, {"_x", false}};
    for (const auto& half : halves) {
        ScriptValue arguments[32];
        ScriptValue result;
        // Each half holds its own names only: the other answers "not mine".
        if (half.atoG)
            ctrl->ExecuteScriptFunctionHtoZ(result, half.name, arguments, 0, 0);
        else
            ctrl->ExecuteScriptFunctionAtoG(result, half.name, arguments, 0, 0);
        EXPECT_EQ(result.m_Type, kScriptRead) << half.name;
    }
    // A name the game does not serve is handed to the lower layers, which answer "not mine" too.
    ScriptValue arguments[32];
    ScriptValue result;
    ctrl->SciFiGameCtrl::ExecuteScriptFunction(result, "GetHealth", arguments, 0, 0);
    EXPECT_EQ(result.m_Type, kScriptRead);
    // The game's name is served before the engine's tables, which know no such name.
    ExpectResult("GetTotalDamage()", kScriptFloat, 0.0, nullptr, nullptr);
}

TEST_F(SciFiScriptTest, AHandledNameWithABadCountIsVoidAndNeverUnknown)
{
    LogCapture log;
    for (const std::string& call : {"SetHitPoints(" + h + ")", std::string("GetTotalDamage(1)"), "RefillShield(" + h + ", 5)",
                                    "GetPhysDamage(" + h + ")", "SetAdvancePoints(" + h + ", 1)"}) {
        const std::string name = call.substr(0, call.find('('));
        ExpectResult(call, kScriptVoid, 0, nullptr, ("Invalid arguments in function " + name).c_str());
        EXPECT_EQ(ErrorsWith("Unknown function"), 0) << call;
        EXPECT_TRUE(ctrl->forwarded.empty()) << call;
    }
}

TEST_F(SciFiScriptTest, MissingOptionalArgumentsReadAsZeroAndEmpty)
{
    // No type: both protection values (type 0).
    Run("SetPhysicProtection(" + h + ", 0.25);");
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[0], 0.25f);
    EXPECT_FLOAT_EQ(hero->m_BaseValues.protection.physical[1], 0.25f);
    // No flag: the derived maximum, not the base value.
    hero->m_BaseValues.maxHealth = 40.0f;
    hero->UpdateValues(false);
    ExpectResult("GetHitPoints(" + h + ")", kScriptFloat, hero->m_Values.maxHealth, nullptr, nullptr);
    // No radius, causer, type or last value: 0.0, -1, physical 1 and -2.
    ClearRecords();
    Run("ExplosionDamagePhys(10.0, 20.0, 7.0, 1.0);");
    const AreaDamageEventRecord area = PostedAreaDamage();
    EXPECT_FLOAT_EQ(area.radius, 0.0f);
    EXPECT_FLOAT_EQ(area.reachOffset, 0.0f);
    EXPECT_EQ(area.causerID, -1);
    EXPECT_EQ(area.lastValue, -2);
    EXPECT_FLOAT_EQ(area.damage.physical[0], 7.0f);
    EXPECT_FLOAT_EQ(area.damage.damage[1], 0.0f);
}

TEST_F(SciFiScriptTest, DamageVariablesByIndex)
{
    DamageValues_SF damage;
    damage.SetPhysical(0, 3.0f);
    damage.SetPhysical(1, 4.5f);
    damage.poison = 2.0f;
    ctrl->SetCurrentDamage(&damage);

    const struct {
        const char* expression;
        double value;  // below 0: an error
        const char* error;
    } cases[] = {
        {"damPhys", 3.0, nullptr},
        {"damPhys[0]", 3.0, nullptr},
        {"damPhys[1]", 4.5, nullptr},
        {"damPoison", 2.0, nullptr},
        {"damPoison[0]", 2.0, nullptr},
        {"damPhys[2]", -1.0, "Invalid index (2) for variable 'damPhys'"},
        {"damPoison[1]", -1.0, "Invalid index (1) for variable 'damPoison'"},
    };
    for (const auto& test : cases) {
        ClearRecords();
        const ScriptValue result = Eval(test.expression);
        if (test.value >= 0.0) {
            EXPECT_EQ(result.m_Type, kScriptFloat) << test.expression;
            EXPECT_FLOAT_EQ(float(result.m_Number), float(test.value)) << test.expression;
            EXPECT_TRUE(ctrl->errors.empty()) << test.expression;
        } else {
            // The bad index is reported, then the engine knows no such variable.
            EXPECT_EQ(ErrorsWith(test.error), 1) << test.expression;
            EXPECT_EQ(ErrorsWith("is not defined"), 1) << test.expression;
        }
    }
    ctrl->SetCurrentDamageNone();
    ExpectResult("damPhys[1] + damPoison", kScriptFloat, 0.0, nullptr, nullptr);
}

// The element's damage script sees the damage that started it; after it the values stay until
// the next damage.
TEST_F(SciFiScriptTest, TotalDamageInsideTheDamageScript)
{
    Run("SetOnDamage(" + h + ", \"fTmp[7] = GetTotalDamage(); fTmp[8] = damPhys[1];\");");
    ASSERT_TRUE(ctrl->errors.empty()) << ctrl->errors[0];
    Run("DamagePhysical(" + h + ", 1, 6.0); DamagePoison(" + h + ", 0, 1.5, 2.0);");
    ASSERT_EQ(ctrl->events.size(), 2u);
    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_FLOAT_EQ(*ctrl->GetScriptTempFloat(8), 0.0f);  // the poison came last
    EXPECT_FLOAT_EQ(*ctrl->GetScriptTempFloat(7), 1.5f);
    ExpectResult("GetTotalDamage()", kScriptFloat, 1.5, nullptr, nullptr);
}
