// World creation, events and effects: AddObject's angle, position, unknown types and its extra
// configuration text linked for one creation only; AddWall on a mesh object; the timed script
// call; ActivateEvent's warning; the fades and world effects that go on to the clients.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldEventPayloads.h"

#include <cmath>

TEST_F(ScriptFuncsTest, AddObjectPlacesTurnsAndReportsUnknownTypes)
{
    const ScriptValue made = Eval("AddObject(\"Crate\", 1300.0, 1310, 90)");
    ASSERT_EQ(made.m_Type, kScriptInt);
    WorldElem* crate = Elem(made.m_Integer);
    ASSERT_NE(crate, nullptr);
    EXPECT_NEAR(crate->GetAngle(), 1.5708f, 1e-4f);
    EXPECT_FLOAT_EQ(crate->GetPos().x, 1300.0f);
    EXPECT_FLOAT_EQ(crate->GetPos().y, 1310.0f);
    EXPECT_EQ(ctrl->GetScriptCreationDepth(), 0);

    // An unknown type: reported, -1, and the script goes on to its end.
    ClearRecords();
    const ScriptValue unknown = Run("int a = AddObject(\"NoSuchThing\", 1.0, 2.0); return a + 10;");
    EXPECT_EQ(unknown.m_Integer, 9);
    EXPECT_EQ(ErrorsWith("World object 'NoSuchThing' not found"), 1);

    // Wrong types: the function's own text and Void.
    ClearRecords();
    EXPECT_EQ(Eval("AddObject(\"Crate\", \"x\", 2.0)").m_Type, kScriptVoid);
    EXPECT_EQ(ErrorsWith("Invalid arguments for function AddObject(Int id, Float posX, Float posY, Float angle=0)"),
              1);
}

TEST_F(ScriptFuncsTest, AddObjectExtraTextServesOneCreationOnly)
{
    ConfigFileReader& reader = ctrl->GetWorldObjectReader();
    ConfigFileReader before;
    reader.SetLinkedReader(&before);  // a link of the caller's comes back afterwards
    const int32_t withText = Eval("AddObject(\"Crate\", 1280.0, 1280.0, 0, -1, 0.0, \"party = 7\")").m_Integer;
    const int32_t without = Eval("AddObject(\"Crate\", 1280.0, 1350.0)").m_Integer;
    ASSERT_NE(Elem(withText), nullptr);
    ASSERT_NE(Elem(without), nullptr);
    EXPECT_EQ(Elem(withText)->GetParty(), 7);
    EXPECT_NE(Elem(without)->GetParty(), 7);
    EXPECT_EQ(reader.GetLinkedReader(), &before);

    // A creation that fails inside still unlinks the text and closes the bracket.
    ClearRecords();
    Run("AddObject(\"Crate\", 1280.0, 1280.0, 0, -1, 0.0, \"invSize = 100000, 100000\");");
    EXPECT_GE(ctrl->errors.size(), 1u);
    EXPECT_EQ(reader.GetLinkedReader(), &before);
    EXPECT_EQ(ctrl->GetScriptCreationDepth(), 0);
    reader.SetLinkedReader(nullptr);
}

TEST_F(ScriptFuncsTest, AddWallOnAMeshObject)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f);
    const int32_t hero = Place("Hero", 1400.0f, 1280.0f);
    const std::string sc = std::to_string(crate);
    auto* item = static_cast<ItemObj*>(Elem(crate));
    const int32_t wallsBefore = item->GetWallCount();

    const ScriptValue id = Eval("AddWall(\"wall_metal\", 0, 0, 20, 0, 0.0, 1.0, \"\", 0, " + sc + ")");
    ASSERT_EQ(id.m_Type, kScriptInt);
    VSD_WallIntern* wall = ctrl->GetWorld().GetWall(id.m_Integer, false);
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->m_Parent.Get(), static_cast<WorldElemBase*>(item));
    EXPECT_EQ(item->GetWallCount(), wallsBefore + 1);

    ClearRecords();
    const int32_t walls = ctrl->GetWorld().GetNumWalls();
    Eval("AddWall(\"wall_metal\", 0, 0, 20, 0, 0.0, 1.0, \"\", 0, " + std::to_string(hero) + ")");
    EXPECT_EQ(ErrorsWith("Walls are only addable to meshobjects AddWall"), 1);
    Eval("AddWall(\"no_wall\", 0, 0, 20, 0)");
    EXPECT_EQ(ErrorsWith("AddWall(): Wall 'no_wall' not found"), 1);
    EXPECT_EQ(ctrl->GetWorld().GetNumWalls(), walls);  // a refused call leaves no wall behind
}

TEST_F(ScriptFuncsTest, EventPostsATimedScriptCall)
{
    ctrl->SetGameTime(10.0);
    int32_t ran = 0;
    ctrl->probe = [&](ScriptValue&, ScriptValue*, int32_t) { ran++; };
    DynaMem<WorldEvent, 4096, 1>& queue = ctrl->GetWorld().GetEventQueue(0);
    const int32_t before = queue.GetSize();
    Run("Event(\"CallScript\", 2.0, \"Probe();\");");
    ASSERT_EQ(queue.GetSize(), before + 1);
    const WorldEvent* event = nullptr;
    for (int32_t i = 0; i < queue.GetCapacity(); i++)
        if (WorldEvent* e = queue.GetBySlot(i); e && e->type == WorldEventType::kScript)
            event = e;
    ASSERT_NE(event, nullptr);
    EXPECT_DOUBLE_EQ(event->time, 12.0);
    EXPECT_EQ(event->size, ScriptEventRecord::kSize);

    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_EQ(ran, 0);  // not due yet
    ctrl->SetGameTime(12.5);
    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_EQ(ran, 1);

    ClearRecords();
    Run("Event(\"Other\", 2.0, \"Probe();\");");
    EXPECT_EQ(ErrorsWith("Unknown function 'Event' accepting 3 arguments"), 1);
    Run("Event(\"CallScript\", 2.0);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function Event"), 1);
}

TEST_F(ScriptFuncsTest, ActivateEventWarnsForOtherElements)
{
    const int32_t hero = Place("Hero", 1280.0f, 1280.0f);
    LogCapture log;
    ClearRecords();
    EXPECT_EQ(Eval("ActivateEvent(" + std::to_string(hero) + ")").m_Type, kScriptVoid);
    EXPECT_EQ(log.Count("No event object specified in function ActivateEvent"), 1);
    EXPECT_TRUE(ctrl->errors.empty());  // a warning, no report window
}

TEST_F(ScriptFuncsTest, WorldEffectsChangeStateAndGoToTheClients)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f);
    const std::string sc = std::to_string(crate);
    const struct {
        std::string call;
        const char* forwarded;  // null: nothing sent
        int32_t count;
        int32_t subject;
    } cases[] = {
        {"FadeOut(" + sc + ", 1.5)", "FadeOut", 2, crate},
        {"FadeOutWorld(1)", "FadeOutWorld", 1, -1},
        {"EarthQuake(10.0, 20.0, 3.0)", "EarthQuake", 3, -1},
        {"CoverMap()", "CoverMap", 0, -1},
        {"EnablePostRenderEffect(\"bloom\")", "EnablePostRenderEffect", 1, -1},
        {"AddEffect(\"spark\", 1.0, 2.0, 3.0, " + sc + ")", "AddEffect", 5, crate},
        {"AdjustVisibility()", nullptr, 0, -1},
        {"AllowXMove(0)", nullptr, 0, -1},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        if (!test.forwarded) {
            EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
            continue;
        }
        ASSERT_EQ(ctrl->forwarded.size(), 1u) << test.call;
        EXPECT_EQ(ctrl->forwarded[0].name, test.forwarded);
        EXPECT_EQ(ctrl->forwarded[0].count, test.count) << test.call;
        EXPECT_EQ(ctrl->forwarded[0].subjectID, test.subject) << test.call;
    }
    EXPECT_EQ(g_AllowXMove, 0);
    g_AllowXMove = 1;
    EXPECT_EQ(ctrl->forwarded.size(), 0u);
    EXPECT_EQ(ctrl->GetWorld().GetEarthQuakes().GetSize(), 1);

    ClearRecords();
    Run("AddEffect(\"spark\", 1.0, 2.0);");
    EXPECT_EQ(ErrorsWith("Floar posZ"), 1);
    Run("CoverMap(1, 2);");
    EXPECT_EQ(ErrorsWith("Invalid arguments in function CoverMap"), 1);
}
