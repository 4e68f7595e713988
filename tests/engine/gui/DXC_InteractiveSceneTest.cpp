// DXC_InteractiveScene: without a graphics object a scene never loads; with one, scenes in the
// text model format come alive through their inline or file scripts: the scene objects and their
// timing, the built-ins and their refusals, delayed calls, log messages, mouse events on the
// objects under the cursor, restarting and drawing.
#include "engine/gui/DXC_InteractiveScene.h"

#include "engine/gui/MouseState.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

TEST(DXC_InteractiveSceneTest, UninitialisedSceneOnTheServer)
{
    DXC_InteractiveSceneHalvetor scene;
    EXPECT_STREQ(scene.GetClassName(), "DXC_InteractiveScene");
    EXPECT_FALSE(scene.IsInitialized());
    EXPECT_EQ(ErrorOf([&] { scene.Load("menu.3sc"); }), "file:'':Not initialized");
    EXPECT_TRUE(scene.GetFileName().IsEmpty());
    EXPECT_FALSE(scene.CallScriptFunction("OnExit", nullptr, 0, nullptr));
    EXPECT_FALSE(scene.Update(0.5f));
    EXPECT_EQ(scene.GetSceneTime(), 0.5f);
    scene.RequestExit();
    EXPECT_TRUE(scene.Update(0.5f));
    scene.Restart();
    EXPECT_FALSE(scene.Update(0.1f));
    EXPECT_EQ(scene.GetSceneTime(), 0.1f);
    scene.Draw();  // nothing to draw, nothing to draw with
}

// A speed of 0 leaves the record alone; a loop wraps into its span, an empty one holds at its
// start; without a loop the time is held within the span.
TEST(DXC_InteractiveSceneTest, TimingRecordAdvance)
{
    const struct {
        float time, start, end, speed;
        bool loop;
        float dt, expected;
    } cases[] = {
        {5.0f, 0.0f, 2.0f, 0.0f, false, 1.0f, 5.0f},  // outside the span, but no step
        {0.5f, 0.0f, 2.0f, 1.0f, false, 1.0f, 1.5f},
        {1.5f, 0.0f, 2.0f, 1.0f, false, 1.0f, 2.0f},   // held at the end
        {0.5f, 0.0f, 2.0f, -1.0f, false, 1.0f, 0.0f},  // held at the start
        {1.5f, 0.0f, 2.0f, 1.0f, true, 1.0f, 0.5f},    // wrapped
        {1.5f, 1.0f, 3.0f, 2.0f, true, 1.0f, 1.5f},    // 3.5 wraps to 1.5
        {0.2f, 1.0f, 1.0f, 1.0f, true, 1.0f, 1.0f},    // an empty loop stays at its start
        {0.5f, 2.0f, 0.0f, 1.0f, true, 2.0f, 2.5f},    // a reversed span loops over its length
    };
    for (const auto& c : cases) {
        DXC_IntSceTiming timing;
        timing.time = c.time;
        timing.start = c.start;
        timing.end = c.end;
        timing.speed = c.speed;
        timing.loop = c.loop ? 1 : 0;
        timing.Advance(c.dt);
        EXPECT_FLOAT_EQ(timing.time, c.expected) << c.time << " " << c.start << ".." << c.end;
    }
}

namespace {

std::string Num(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A box between two corners, as the exporter writes a mesh node.
std::string Box(const std::string& name, D3DXVECTOR3 low, D3DXVECTOR3 high)
{
    std::string t = "*GEOMOBJECT {\n*NODE_NAME \"" + name + "\"\n*MESH {\n*MESH_NUMVERTEX 8\n*MESH_NUMFACES 12\n";
    t += "*MESH_VERTEX_LIST {\n";
    for (int i = 0; i < 8; i++)
        t += "*MESH_VERTEX " + std::to_string(i) + " " + Num(i & 1 ? high.x : low.x) + " " +
             Num(i & 2 ? high.y : low.y) + " " + Num(i & 4 ? high.z : low.z) + "\n";
    t += "}\n*MESH_FACE_LIST {\n";
    const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    int face = 0;
    for (const auto& q : sides)
        for (int half = 0; half < 2; half++)
            t += "*MESH_FACE " + std::to_string(face++) + ": A: " + std::to_string(q[0]) +
                 " B: " + std::to_string(q[1 + half]) + " C: " + std::to_string(q[2 + half]) +
                 " AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
    return t + "}\n}\n}\n";
}

// The script of the mouse tests: every event it receives, logged.
const char* const kEventScript = R"(LogMessage("start"); EnableCursor();
void MousePush(int b) { LogMessage("push ", b); }
void MousePushBgrd(int b) { LogMessage("push bg ", b); }
void MouseRelease(int b) { LogMessage("release ", b); }
void MouseReleaseBgrd(int b) { LogMessage("release bg ", b); }
void MouseClickBgrd(int b) { LogMessage("click bg ", b); }
void MousePush_Left_Box(int id, int b) { LogMessage("push Left Box ", id, " ", b); }
void MouseRelease_Left_Box(int id, int b) { LogMessage("release Left Box"); }
void MouseClick_Left_Box(int id, int b) { LogMessage("click Left Box"); }
void MousePush_Right(int id, int b, float x, float y, float z) { LogMessage("push Right ", x, " ", z); }
void MouseRelease_Right(int id, int b) { LogMessage("release Right"); }
void MouseClick_Right(int id, int b) { LogMessage("click Right"); }
void MousePush_TwinA(int id, int b) { LogMessage("push TwinA"); }
void MousePush_TwinB(int id, int b) { LogMessage("push TwinB"); }
)";

class InteractiveSceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.Gfx().SetViewPort(100, 50, 900, 650, 0.0f, 1.0f);  // as the owner's window sets it
        scene.Initialize(&device.Gfx(), &mouse);
    }

    // Three boxes in front of a wall, two twins at one place above them; no camera, no light.
    static std::string Boxes()
    {
        return Box("Left Box", {-3.0f, -1.0f, -1.0f}, {-1.0f, 1.0f, 1.0f}) +
               Box("Right", {1.0f, -1.0f, -1.0f}, {3.0f, 1.0f, 1.0f}) +
               Box("TwinA", {-0.5f, -1.0f, 2.0f}, {0.5f, 1.0f, 3.0f}) +
               Box("TwinB", {-0.5f, -1.0f, 2.0f}, {0.5f, 1.0f, 3.0f}) +
               Box("Wall", {-20.0f, 8.0f, -20.0f}, {20.0f, 9.0f, 20.0f});
    }

    // A scene file whose script entry is given, in the test's directory; its path.
    std::string WriteScene(const std::string& scriptEntry, const std::string& nodes = Boxes(),
                           const char* name = "menu.rtx")
    {
        dir.Write(name, "*3DSMAX_RTXEXPORT 211\n*SCENE {\n*SCENE_FIRSTFRAME 0\n*SCENE_LASTFRAME 30\n"
                        "*SCENE_FRAMESPEED 30\n*SCENE_SCRIPTFILE \"" +
                            scriptEntry + "\"\n}\n" + nodes);
        return dir(name);
    }
    // The scene with its script in a file beside it ("menu.txt"); the error of the load.
    std::string LoadScene(const std::string& script, const std::string& nodes = Boxes())
    {
        dir.Write("menu.txt", script);
        return LoadEntry("menu.txt", nodes);
    }
    // The scene with this script entry: a file name or the script itself.
    std::string LoadEntry(const std::string& scriptEntry, const std::string& nodes = Boxes())
    {
        const std::string path = WriteScene(scriptEntry, nodes);
        return ErrorOf([&] { scene.Load(path.c_str()); });
    }

    // What the script logged, oldest first.
    std::vector<std::string> Logged()
    {
        std::vector<std::string> lines;
        for (int32_t i = scene.GetLogMessageCount() - 1; i >= 0; i--)
            lines.push_back(scene.GetLogMessage(i)->text.c_str());
        return lines;
    }
    std::string Last() { return scene.GetLogMessageCount() ? scene.GetLogMessage(0)->text.c_str() : ""; }

    // One frame of the fake mouse: the button edges last that frame only.
    bool Frame(float dt = 0.1f)
    {
        const bool exit = scene.Update(dt);
        for (int32_t b = 0; b < MouseState::kButtons; b++)
            mouse.pressed[b] = mouse.released[b] = 0;
        return exit;
    }
    void MoveTo(float x, float y)
    {
        float cx, cy;
        scene.GetCursorPos(cx, cy);
        mouse.x += x - cx;
        mouse.y += y - cy;
        Frame();
    }
    void Button(int32_t b, bool down)
    {
        mouse.SetButtonDown(b, down);
        Frame();
    }
    // The owner's frame around the scene's drawing.
    void DrawFrame()
    {
        device.Gfx().BeginScene();
        scene.Draw();
        device.Gfx().EndScene();
    }
    // Where a scene point shows, relative to the viewport, as the scene draws it (mirrored).
    D3DXVECTOR2 ScreenOf(const D3DXVECTOR3& point)
    {
        DrawFrame();
        float x = 0.0f, y = 0.0f;
        EXPECT_EQ(device.Gfx().ProjectToScreen(point, x, y), 1);
        int32_t rect[4];
        device.Gfx().GetViewportRect(rect);
        return D3DXVECTOR2(float(rect[2]) - x, y - float(rect[1]));  // the projection is mirrored along x
    }

    DeviceGfx device;
    MouseState mouse;
    TempDir dir;
    DXC_InteractiveScene scene;
};

}  // namespace

// Loading binds every camera, dummy and mesh as a scene object, in that order, gives a scene
// without lights two, and runs the script's top level.
TEST_F(InteractiveSceneTest, LoadBindsTheObjectsAndRunsTheScript)
{
    ASSERT_EQ(LoadScene(R"(LogMessage("start ", GetSceneTime());)"), "no error");
    EXPECT_EQ(Logged(), std::vector<std::string>{"start 0.00"});
    EXPECT_EQ(scene.GetScene().GetLightCount(), 2);
    ASSERT_EQ(scene.GetObjectCount(), 5);
    const char* names[] = {"Left Box", "Right", "TwinA", "TwinB", "Wall"};
    for (int32_t id = 0; id < 5; id++) {
        DXC_IntSceHelper* object = scene.GetObject(id);
        ASSERT_NE(object, nullptr);
        EXPECT_STREQ(object->GetObjectName(), names[id]);
        EXPECT_EQ(object->object->parent, object);  // the scene object is its object's parent now
        EXPECT_EQ(object->objectTiming.end, scene.GetScene().aniRange);
    }
    EXPECT_GT(scene.GetSceneSize(), 0.0f);
    Frame();
    EXPECT_TRUE(scene.IsCursorInside());  // centred

    // A scene that brings a light gets none of ours.
    const std::string light = "*LIGHTOBJECT {\n*NODE_NAME \"Sun\"\n*LIGHT_TYPE Directional\n}\n";
    ASSERT_EQ(LoadEntry(" ", Boxes() + light), "no error");
    EXPECT_EQ(scene.GetScene().GetLightCount(), 1);
}

// A name ending in ".txt", ".c" or ".cpp" shorter than 256 characters is a file beside the scene;
// anything else is the script itself, labelled with the scene file.
TEST_F(InteractiveSceneTest, ScriptFileOrInline)
{
    dir.Write("menu.c", R"(LogMessage("from c");)");
    dir.Write("menu.cpp", R"(LogMessage("from cpp");)");
    dir.Write("other.txt", R"(LogMessage("from txt");)");
    const std::string exact = "LogMessage(256);//" + std::string(256 - 18 - 4, 'x') + ".txt";
    ASSERT_EQ(exact.size(), 256u);
    const std::string shorter = exact.substr(1);  // 255 characters: a file name
    const struct {
        std::string entry;
        std::string expected;  // logged, or the error
    } cases[] = {
        {"other.txt", "from txt"},
        {"menu.c", "from c"},
        {"MENU.CPP", "from cpp"},
        {"LogMessage(7);", "7"},
        {exact, "256"},
        {"", ""},  // an empty script runs as a blank
        {"missing.txt", "Interactive scene script file not found: missing.txt"},
        {shorter, "Interactive scene script file not found: " + shorter},
    };
    for (const auto& c : cases) {
        const std::string error = LoadEntry(c.entry);
        if (error != "no error") {
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
            EXPECT_EQ(error.rfind("file:'" + dir("menu.rtx") + "':", 0), 0u) << error;  // the scene named first
            continue;
        }
        EXPECT_EQ(Last(), c.expected) << c.entry;
        const bool inlined = c.entry.find("LogMessage") == 0 || c.entry.empty();
        if (inlined)
            EXPECT_EQ(scene.GetScriptText(), ("*inline:intRTX'" + dir("menu.rtx") + "'*").c_str());
    }
}

// Each kind of refusal of the built-ins ends the script call with its message.
TEST_F(InteractiveSceneTest, BuiltinRefusals)
{
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"GetSceneTime(1);", "Invalid parameters in function 'GetSceneTime'"},
        {"SetAniSpeed(0);", "Invalid parameters in function 'SetAniSpeed'"},
        {"GetSceneObject(1);", "Invalid parameters in function 'GetSceneObject'"},
        {"SetReportUnknowns();", "Invalid parameters in function 'SetReportUnknowns'"},
        {"SetAniSpeed(64, 1);", "Scene object with ID 64 is invalid"},
        {"GetAniTime(-1);", "Scene object with ID -1 is invalid"},
        {"SetIsVisible(5.9, 1);", "Scene object with ID 5 is invalid"},  // a number is truncated
        {R"(GetSceneObject("Nobody");)", "Scene object with name 'Nobody' not found"},
        {"SetReportUnknowns(1); Unheard(1);", "Unknown function 'Unheard' called"},
        {"SetReportUnknowns(1); int a = nowhere;", "Unknown readable variable 'nowhere'"},
    };
    for (const auto& c : cases) {
        const std::string error = LoadScene(c.script);
        EXPECT_NE(error.find(c.error), std::string::npos) << c.script << ": " << error;
    }
    // Unknown names without the report flag, and any negative drag object, pass.
    EXPECT_EQ(LoadScene("SetReportUnknowns(0); Unheard(1); SetCursorDragObject(-5); "
                        "LogMessage(GetCursorDragObject());"),
              "no error");
    EXPECT_EQ(Last(), "-1");
}

// The built-ins act on the scene objects and the scene; Exit ends the scene at the next step.
TEST_F(InteractiveSceneTest, BuiltinsDriveTheObjects)
{
    ASSERT_EQ(LoadScene(R"(int id = GetSceneObject("Right");
SetAniSpeed(id, 2.5); LogMessage(id, " ", GetAniSpeed(id));
SetDoLoop(id, 1); LogMessage(GetDoLoop(id));
SetTimeSpan(id, 1, 1); SetAniTime(id, 1.0);
SetIsVisible(id, 0); LogMessage(GetIsVisible(id));
SetIsActive(id, 0); LogMessage(GetIsActive(id));
SetScenePos(id, 1, 2, 3);
SetGlobalSpeed(0.5); SetAniSpeed(0, 3);
LogMessage(1, 2.5, "x");
void Later(int n) { LogMessage("later ", n, " ", GetSceneTime()); }
void Stop() { Exit(); }
CallFunction("Later", 0, 7); CallFunction("Stop", 0.25);
)"),
              "no error");
    EXPECT_EQ(Logged(), (std::vector<std::string>{"1 2.50", "1", "0", "0", "12.50x"}));
    DXC_IntSceHelper& right = *scene.GetObject(1);
    EXPECT_EQ(right.position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(right.objectTiming.speed, 0.5f);
    EXPECT_EQ(scene.GetObject(0)->objectTiming.speed, 3.0f);
    EXPECT_EQ(scene.GetDelayedCallCount(), 2);

    EXPECT_FALSE(Frame(0.1f));  // a call due now runs at the next step, not at once
    EXPECT_EQ(Last(), "later 7 0.10");
    EXPECT_FLOAT_EQ(right.objectTiming.time, 1.0f);  // an empty looping span stays at its start
    EXPECT_FALSE(Frame(0.1f));
    EXPECT_TRUE(Frame(0.1f));  // Stop is due
    EXPECT_EQ(scene.GetDelayedCallCount(), 0);
}

// At most 128 messages are shown, newest first; every one goes to the log; they age away.
TEST_F(InteractiveSceneTest, LogMessagesShownAndLogged)
{
    LogCapture log;
    ASSERT_EQ(LoadScene(R"(int i; for (i = 0; i < 129; i++) LogMessage("line ", i);)"), "no error");
    EXPECT_EQ(scene.GetLogMessageCount(), 128);
    EXPECT_EQ(Last(), "line 127");
    EXPECT_EQ(log.Count("line 128"), 1);  // logged, not shown
    EXPECT_EQ(DxcErrorOf([&] { DrawFrame(); }), "no error");
    scene.SetLogDisabled(true);
    EXPECT_EQ(LoadScene(R"(LogMessage("hidden");)"), "no error");  // disabled: an unknown function
    EXPECT_EQ(scene.GetLogMessageCount(), 0);
    scene.SetLogDisabled(false);
    EXPECT_EQ(LoadScene(R"(LogMessage("a");)"), "no error");
    Frame(9.95f);
    EXPECT_EQ(scene.GetLogMessageCount(), 1);
    Frame(0.1f);
    EXPECT_EQ(scene.GetLogMessageCount(), 0);
}

// Push, release and click events go to the object under the cursor or to the background.
TEST_F(InteractiveSceneTest, MouseEventsOnObjectsAndBackground)
{
    ASSERT_EQ(LoadScene(kEventScript), "no error");
    const D3DXVECTOR2 left = ScreenOf({-2.0f, -1.0f, 0.0f});
    const D3DXVECTOR2 right = ScreenOf({2.0f, -1.0f, 0.0f});
    const D3DXVECTOR2 twins = ScreenOf({0.0f, -1.0f, 2.5f});
    int32_t rect[4];
    device.Gfx().GetViewportRect(rect);
    const D3DXVECTOR2 background(2.0f, 2.0f);  // the corner: beside the wall
    ASSERT_LT(left.x, right.x);  // mirrored: the left-handed view shows -x on the left
    const struct {
        D3DXVECTOR2 push, release;
        std::vector<std::string> events;
    } cases[] = {
        {left, left, {"push Left Box 0 0", "push 0", "release Left Box", "click Left Box", "release 0"}},
        {left, right, {"push Left Box 0 0", "push 0", "release Right", "release 0"}},
        {background, background, {"push bg 0", "push 0", "release bg 0", "click bg 0", "release 0"}},
        {left, background, {"push Left Box 0 0", "push 0", "release bg 0", "release 0"}},
        {twins, twins, {"push TwinA", "push 0", "release 0"}},  // a tie: the earlier object
    };
    for (const auto& c : cases) {
        scene.Restart();
        MoveTo(c.push.x, c.push.y);
        Button(0, true);
        MoveTo(c.release.x, c.release.y);
        Button(0, false);
        std::vector<std::string> events = Logged();
        events.erase(events.begin());  // "start"
        EXPECT_EQ(events, c.events) << c.push.x << "," << c.push.y;
        EXPECT_EQ(scene.GetPressedObject(0), -1);
    }

    // Five parameters: the hit point in the object's own space, on its front face.
    scene.Restart();
    MoveTo(right.x, right.y);
    Button(1, true);
    ASSERT_EQ(Logged().size(), 3u);
    EXPECT_EQ(Logged()[1], "push Right 2.00 0.00");

    // Pushed while the mouse pushes the cursor against the border: no push.
    scene.Restart();
    MoveTo(float(rect[2] - rect[0]), 10.0f);
    mouse.x += 50.0f;
    mouse.SetButtonDown(0, true);
    Frame();
    EXPECT_FALSE(scene.IsCursorInside());
    EXPECT_EQ(Logged(), std::vector<std::string>{"start"});
}

// A restart runs the top level again with fresh variables, switches every object's animation on
// and drops the delayed calls and messages of the run before.
TEST_F(InteractiveSceneTest, RestartRunsTheScriptAgain)
{
    ASSERT_EQ(LoadScene(R"(int n; n = n + 1; LogMessage("run ", n); CallFunction("Nothing", 5);)"), "no error");
    for (int32_t id = 0; id < scene.GetObjectCount(); id++)
        scene.GetObject(id)->aniFrozen = 1;
    Frame(1.0f);
    scene.Restart();
    EXPECT_EQ(Logged(), std::vector<std::string>{"run 1"});
    EXPECT_EQ(scene.GetSceneTime(), 0.0f);
    EXPECT_EQ(scene.GetDelayedCallCount(), 1);
    for (int32_t id = 0; id < scene.GetObjectCount(); id++)
        EXPECT_EQ(scene.GetObject(id)->aniFrozen, 0u) << id;
}

// Drawing: the scene, then the built-in cross cursor at the cursor and the messages; an external
// cursor is the owner's to draw. Other cursor types do not exist.
TEST_F(InteractiveSceneTest, DrawsTheBuiltinCursor)
{
    scene.SetCursorType(1);
    ASSERT_EQ(LoadScene(R"(LogMessage("hello");)"), "no error");
    ASSERT_TRUE(scene.GetCursorTexture().IsValid());
    EXPECT_TRUE(scene.IsCursorEnabled());
    const auto countDraws = [&] {
        D3D9Journal& journal = device.Journal();
        journal.Clear();
        DrawFrame();
        return journal.Count(D3D9Op::DrawPrimitiveUP) + journal.Count(D3D9Op::DrawPrimitive) +
               journal.Count(D3D9Op::DrawIndexedPrimitive) + journal.Count(D3D9Op::DrawSubset);
    };
    const int withCursor = countDraws();
    scene.SetExternalCursor(true);
    EXPECT_EQ(countDraws(), withCursor - 1);

    DXC_InteractiveScene other;
    other.SetCursorType(7);
    other.Initialize(&device.Gfx(), &mouse);
    const std::string path = WriteScene(" ", Boxes(), "other.rtx");
    EXPECT_NE(ErrorOf([&] { other.Load(path.c_str()); }).find("Invalid cursor type: 7"), std::string::npos);
}
