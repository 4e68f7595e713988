// World element state: the element variables and what goes on to the clients, parents and their
// refusals, removal of objects and of children by name, movement paths, turning on a platform,
// the kind messages and the tests.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemObj.h"

#include <cmath>

TEST_F(ScriptFuncsTest, ObjectFloatsAndWhatIsSent)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f);
    const std::string sc = std::to_string(crate);
    const struct {
        std::string call;
        int32_t index;  // of the element's variables
        float value;
        int32_t sent;  // count forwarded; -1 nothing
    } cases[] = {
        {"SetObjectFloat(" + sc + ", 2.5)", 0, 2.5f, 2},
        {"SetObjectFloat(" + sc + ", 4.0, 3)", 2, 4.0f, 3},
        {"SetObjectFloat_nt(" + sc + ", 6.0, 3)", 2, 6.0f, -1},
        {"SetObjectFloat_nt(" + sc + ", 7.0)", 0, 7.0f, -1},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        EXPECT_EQ(Elem(crate)->m_ScriptTemp[test.index], test.value) << test.call;
        if (test.sent < 0) {
            EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
        } else {
            ASSERT_EQ(ctrl->forwarded.size(), 1u) << test.call;
            EXPECT_EQ(ctrl->forwarded[0].count, test.sent);
            EXPECT_EQ(ctrl->forwarded[0].subjectID, crate);
        }
    }
    // The element's own index check refuses 0 and below; the script goes on.
    ClearRecords();
    EXPECT_EQ(Run("SetObjectFloat(" + sc + ", 1.0, 0); return 5;").m_Integer, 5);
    EXPECT_EQ(ErrorsWith("Invalid scriptTemp element variable index: -1"), 1);
}

TEST_F(ScriptFuncsTest, ParentsAndTheirRefusals)
{
    const int32_t a = Place("Crate", 1280.0f, 1280.0f);
    const int32_t b = Place("GoldCoins", 1300.0f, 1280.0f);
    const std::string sa = std::to_string(a), sb = std::to_string(b);
    Run("SetParent(" + sb + ", " + sa + ");");
    EXPECT_EQ(Elem(b)->m_Parent.Get(), static_cast<WorldElemBase*>(Elem(a)));

    ClearRecords();
    Run("SetParent(" + sa + ", " + sa + ");");  // itself
    EXPECT_EQ(ErrorsWith("Object can not attach itself"), 1);
    ClearRecords();
    Run("SetParent(" + sa + ", " + sb + ");");  // its own child
    EXPECT_EQ(ErrorsWith("Object can not attach itself"), 1);
    EXPECT_EQ(Elem(a)->m_Parent.Get(), nullptr);

    Run("SetParent(" + sb + ", -1);");
    EXPECT_EQ(Elem(b)->m_Parent.Get(), nullptr);
}

TEST_F(ScriptFuncsTest, RemovingObjectsAndChildren)
{
    const int32_t parent = Place("Crate", 1280.0f, 1280.0f);
    int32_t kids[3];
    const char* names[3] = {"door", "DOOR", "lever"};
    for (int32_t i = 0; i < 3; i++) {
        kids[i] = Place("GoldCoins", 1290.0f + 10.0f * float(i), 1280.0f);
        Elem(kids[i])->SetName(wString(names[i]));
        Elem(parent)->AttachChild(Elem(kids[i]));
    }
    const std::string sp = std::to_string(parent);
    const ScriptValue removed = Eval("RemoveChildren(" + sp + ", \"Door\")");
    EXPECT_EQ(removed.m_Type, kScriptInt);
    EXPECT_EQ(removed.m_Integer, 2);
    EXPECT_EQ(Elem(kids[0]), nullptr);
    EXPECT_EQ(Elem(kids[1]), nullptr);
    EXPECT_NE(Elem(kids[2]), nullptr);
    EXPECT_EQ(Eval("RemoveChildren(" + sp + ", 3)").m_Integer, 0);  // a name that is no String

    ClearRecords();
    Run("RemoveObject(" + std::to_string(kids[2]) + "); RemoveObject(" + std::to_string(kids[2]) + ");");
    EXPECT_EQ(Elem(kids[2]), nullptr);
    EXPECT_TRUE(ctrl->errors.empty());  // an empty slot is silent
    Run("RemoveObject(1, 2);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function RemoveObject"), 1);
}

TEST_F(ScriptFuncsTest, MovePathsAndPlatforms)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f);
    const std::string sc = std::to_string(crate);
    Run("SetMovePath(" + sc + ", 0.0, 10.0, 20.0, 2.0, 30.0, 40.0);");
    const PathCurve& curve = Elem(crate)->m_PathMotion.curve;
    ASSERT_EQ(curve.GetNumKeys(), 2);
    EXPECT_EQ(curve.keys[1].time, 2.0f);
    EXPECT_EQ(curve.keys[1].x, 30.0f);
    EXPECT_EQ(curve.keys[1].y, 40.0f);
    ClearRecords();
    Run("SetMovePath(" + sc + ", 0.0, 10.0);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function SetMovePath"), 1);
    EXPECT_EQ(curve.GetNumKeys(), 2);

    Run("SetPathLoop(" + sc + ", 1, 4.0); SetPathGotoTime(" + sc + ", 9.0);");
    EXPECT_EQ(Elem(crate)->m_PathMotion.stopAtTarget, 1);
    EXPECT_FLOAT_EQ(Elem(crate)->m_PathMotion.gotoTime, 1.0f);

    // Turning on a platform: within the distance the element turns about the platform.
    const int32_t rider = Place("GoldCoins", 1380.0f, 1280.0f);
    const std::string sr = std::to_string(rider);
    EXPECT_EQ(Eval("RotateObjOnPlatform(" + sr + ", " + sc + ", 1.5707963, 50.0)").m_Integer, 0);
    EXPECT_FLOAT_EQ(Elem(rider)->GetPos().x, 1380.0f);
    EXPECT_EQ(Eval("RotateObjOnPlatform(" + sr + ", " + sc + ", 1.5707963, 150.0)").m_Integer, 1);
    EXPECT_NEAR(Elem(rider)->GetPos().x, 1280.0f, 1e-3f);
    EXPECT_NEAR(Elem(rider)->GetPos().y, 1380.0f, 1e-3f);
    EXPECT_NEAR(Elem(rider)->GetOwnAngle(), 1.5707963f, 1e-5f);
}

TEST_F(ScriptFuncsTest, KindMessagesAndTests)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f, "box");
    const int32_t hero = Place("Hero", 1400.0f, 1280.0f);
    const std::string sc = std::to_string(crate), sh = std::to_string(hero);
    const struct {
        std::string call;
        const char* error;  // null: none
        int32_t forwarded;
    } cases[] = {
        {"SetObjectAni(" + sh + ", 1.0, 2.0, 0.0)", "Can not SetObjectAnimation() on none-object", 0},
        {"SetLoopAni(" + sh + ", 1)", "Can not SetLoopAnimation() on none-object", 0},
        {"SetObjectAni(" + sc + ", 1.0, 2.0, 1.0)", nullptr, 1},
        {"SetGlowType(" + sh + ", 2)", "SetGlowType() used on none object", 1},
        {"SetEventCount(" + sc + ", 2)", "Can not SetEventCount() on none-event-object", 0},
        {"SetOnHeroDie(\"hero_died\")", nullptr, 0},
    };
    for (const auto& test : cases) {
        ClearRecords();
        LogCapture log;  // warnings go to the log only
        Run(test.call + ";");
        if (test.error) {
            EXPECT_GE(ErrorsWith(test.error) + log.Count(test.error), 1) << test.call;
        } else {
            EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        }
        EXPECT_EQ(int32_t(ctrl->forwarded.size()), test.forwarded) << test.call;
    }
    EXPECT_EQ(ctrl->GetHeroDeathScript(), String("hero_died"));
    EXPECT_EQ(static_cast<ItemObj*>(Elem(crate))->m_OpenTime, 2.0f);

    EXPECT_EQ(Eval("IsValidWorldID(\"box\")").m_Integer, 1);
    EXPECT_EQ(Eval("IsValidWorldID(\"nobox\")").m_Integer, 0);
    EXPECT_EQ(Eval("IsValidObject(99999)").m_Integer, 0);
    EXPECT_EQ(Eval("IsObjectOnScreen(" + sc + ")").m_Integer, 0);
    EXPECT_NEAR(Eval("Vect2Angle(0.0, 1.0)").m_Number, 1.5707963, 1e-6);
}
