// WorldCtrl drawing: the log lines' places, the message overlay and the running-script line as a
// client's device draws them, the screen icon's alpha and its list, the cover-map texture around
// the main character, the viewport set-ups, and nothing at all without a device (the server).
#include "world/WorldCtrl.h"

#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Light.h"
#include "engine/scene/DXC_LightSet.h"
#include "engine/scene/DXC_Mesh.h"
#include "world/WorldScriptTestSupport.h"
#include "world/WorldTestSupport.h"

#include "support/DeviceGfx.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A controller that records the text messages it is asked to draw and may refuse the log.
class OverlayCtrl : public LevelTestCtrl {
public:
    void DrawTextMessage(const wString& text, float fade) override
    {
        shown.emplace_back(String(text).c_str(), fade);
    }
    bool AllowsLogOverlay() override { return allowLog; }
    std::vector<std::pair<std::string, float>> shown;
    bool allowLog = true;
};

class WorldCtrlDrawingTest : public ::testing::Test {
protected:
    WorldCtrlDrawingTest() { gfx.BeginScene(); }
    ~WorldCtrlDrawingTest() override { gfx.EndScene(); }

    // Log lines with these times left, oldest first.
    void AddLogLines(std::initializer_list<float> times)
    {
        for (float t : times) {
            world.AddLogMessage(u"line", 1.0f, false);
            auto& list = world.GetLogMessages();
            list.GetAt(list.GetSize() - 1)->time = t;
        }
    }
    int32_t Draws() { return client.Journal().Count(D3D9Op::DrawPrimitive); }

    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    OverlayCtrl ctrl;
    GridWorld world;
};

}  // namespace

// Oldest on top, stacked up to the bottom: above 0.4 a line takes 14 pixels and is drawn, at or
// below it fade x 35 pixels (0.4 meets 14) and is not drawn; only six lines are placed.
TEST(WorldCtrlLogLayout, LinesStackUpFromTheBottom)
{
    const float fades[7] = {1.0f, 0.9f, 0.41f, 0.4f, 0.2f, 1.0f, 1.0f};
    WorldCtrl::LogLinePlace places[WorldCtrl::kLogLines];
    EXPECT_EQ(WorldCtrl::LayoutLogLines(fades, 7, 500, places), 14 * 4 + 14 + 7);
    const int32_t y[6] = {423, 437, 451, 465, 479, 486};
    const bool drawn[6] = {true, true, true, false, false, true};
    for (int32_t i = 0; i < 6; i++) {
        EXPECT_EQ(places[i].y, y[i]) << i;
        EXPECT_EQ(places[i].drawn, drawn[i]) << i;
    }
    const float gone[2] = {0.0f, -1.0f};  // nothing left of them: no room
    EXPECT_EQ(WorldCtrl::LayoutLogLines(gone, 2, 100, places), 0);
    EXPECT_EQ(places[1].y, 100);
}

// The newest six of eight lines are placed; the two faded ones are not printed. The first text
// message goes to the controller with its fade cut to 1, not in view mode 3; a refused log or
// the display switched off prints no line, and the viewport is the caller's afterwards.
TEST_F(WorldCtrlDrawingTest, MessageOverlayDrawsTheVisibleLogLines)
{
    AddLogLines({5.0f, 5.0f, 2.0f, 0.3f, 1.0f, 0.1f, 2.0f, 1.0f});
    world.ShowTextMessageByKey(3.0f, u"hello");
    int32_t before[4];
    gfx.GetViewportRect(before);

    const struct {
        int32_t viewMode;
        bool allowLog;
        bool display;
        size_t texts;
        int32_t lines;
    } kCases[] = {
        {0, true, true, 1, 4},
        {3, true, true, 0, 4},
        {0, false, true, 1, 0},
        {0, true, false, 1, 0},
    };
    for (const auto& c : kCases) {
        ctrl.viewMode = c.viewMode;
        ctrl.allowLog = c.allowLog;
        world.SetLogDisplay(c.display);
        ctrl.shown.clear();
        const int32_t draws = Draws();
        world.DrawMessages();
        EXPECT_EQ(Draws() - draws, c.lines) << c.viewMode << c.allowLog << c.display;
        ASSERT_EQ(ctrl.shown.size(), c.texts);
        if (c.texts)
            EXPECT_EQ(ctrl.shown[0].second, 1.0f);
        int32_t after[4];
        gfx.GetViewportRect(after);
        EXPECT_EQ(std::vector<int32_t>(after, after + 4), std::vector<int32_t>(before, before + 4));
    }
}

// The screen icon fades in over the first half of its time; the list keeps eight, drops an icon
// whose time ran out, and draws the current one near the lower right corner.
TEST_F(WorldCtrlDrawingTest, ScreenIconFadesInAndLeaves)
{
    const struct {
        float elapsed;
        float duration;
        float alpha;
    } kCases[] = {{0.0f, 4.0f, 0.0f}, {1.0f, 4.0f, 0.5f}, {2.0f, 4.0f, 1.0f}, {3.5f, 4.0f, 1.0f}, {0.0f, 0.0f, 1.0f}};
    for (const auto& c : kCases)
        EXPECT_FLOAT_EQ(WorldCtrl::ScreenIconAlpha(c.elapsed, c.duration), c.alpha) << c.elapsed;

    DXC_Texture picture;
    picture.SelectStage(0);
    gfx.CreateTexture(&picture, 32, 32, 4, -1, 1);
    picture.SelectStage(0, 1);
    world.AddScreenIcon(nullptr, 1.0f);  // nothing to show
    for (int32_t i = 0; i < 9; i++)
        world.AddScreenIcon(&picture, 2.0f);
    EXPECT_EQ(world.GetScreenIcons().size(), size_t(WorldCtrl::kScreenIcons));

    ctrl.gameTime = 1.0;
    const int32_t draws = Draws();
    EXPECT_EQ(world.DrawScreenIcon(), 1);
    EXPECT_EQ(Draws(), draws + 1);
    ctrl.gameTime = 2.0;  // every icon's time is up
    EXPECT_EQ(world.DrawScreenIcon(), 0);
    EXPECT_TRUE(world.GetScreenIcons().empty());
}

// The texture holds the cover map around the main character's cell, 0 beyond the map's edge;
// without a main character nothing is written.
TEST_F(WorldCtrlDrawingTest, CoverMapTextureAroundTheMainCharacter)
{
    world.SetGrid(8, 8, 64, 64);
    world.CoverMap();
    world.Vertex(0, 0).exploration = 0.9f;
    world.Vertex(2, 1).exploration = 0.9f;
    world.RevealCoverCell(0, 0);
    world.RevealCoverCell(2, 1);
    ASSERT_NE(world.GetCoverPixel(0, 0), 0u);
    DXC_Texture texture;
    texture.SelectStage(0);
    gfx.CreateTexture(&texture, 4, 4, 4, int32_t(D3DFMT_A8R8G8B8), 1);
    texture.SelectStage(0, 1);
    EXPECT_EQ(world.UpdateCoverMapTexture(texture), 0);

    TestElem hero(ElemType::kCreature, 70.0f, 70.0f);  // cell (1, 1): the texture spans cells -1 to 2
    ctrl.mainChar = &hero;
    ASSERT_EQ(world.UpdateCoverMapTexture(texture), 1);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture.Lock(locked, 0), 1);
    for (int32_t row = 0; row < 4; row++)
        for (int32_t column = 0; column < 4; column++) {
            const uint32_t texel =
                reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + row * locked.Pitch)[column];
            EXPECT_EQ(texel, world.GetCoverPixel(column - 1, row - 1)) << column << "," << row;
        }
    texture.Unlock();
    ctrl.mainChar = nullptr;
}

// The script camera takes the level's screen rectangle (the whole screen while it is empty);
// a widget's rectangle becomes the viewport and the mouse test's area.
TEST_F(WorldCtrlDrawingTest, ScriptCameraAndWidgetViewports)
{
    int32_t rect[4];
    world.SetScriptCamera();
    gfx.GetViewportRect(rect);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, 0, 1024, 768}));
    world.SetActiveRect(10, 20, 410, 320);
    world.SetScriptCamera();
    gfx.GetViewportRect(rect);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{10, 20, 410, 320}));

    const int32_t widget[4] = {100, 50, 300, 150};
    world.SetGuiViewport(widget);
    gfx.GetViewportRect(rect);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{100, 50, 300, 150}));
    EXPECT_TRUE(world.IsInGuiViewport(100, 50));
    EXPECT_FALSE(world.IsInGuiViewport(300, 100));
    EXPECT_FALSE(world.IsInGuiViewport(150, 49));
}

// An element's scene draws its meshes of the pass under its lights and fog, which are off again
// afterwards; an item writes depth only when it is opaque.
TEST_F(WorldCtrlDrawingTest, ObjectEffectsAndItemState)
{
    DXC_3dScene scene;
    for (bool transparent : {false, true}) {
        DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
        gfx.CreateMesh(&mesh, 1, 3, 1, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 0, 0, 1, 0, 0);
        mesh.LockAll(0);
        auto* indices = static_cast<uint16_t*>(mesh.lockedIndexData);
        for (uint16_t i = 0; i < 3; i++)
            indices[i] = i;
        mesh.UnlockAll();
        mesh.Optimize();
        mesh.transparency = transparent ? 1 : 0;
    }
    DXC_Light light;
    light.SetParams(1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100);
    DXC_LightSet lights;
    lights.lights.push_back(&light);
    lights.hasFog = true;
    IDirect3DDevice9& device = client.Device();
    client.Journal().Clear();
    EXPECT_EQ(world.RenderObjectEffects(scene, lights, 1), 1);  // the opaque mesh
    EXPECT_EQ(world.RenderObjectEffects(scene, lights, 3), 2);
    const auto switches = client.Journal().CallsOf(D3D9Op::LightEnable);
    ASSERT_FALSE(switches.empty());
    EXPECT_EQ(switches.front().Arg(1), 1u);
    int32_t on = -1;
    device.GetLightEnable(0, &on);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(RenderStateOf(device, D3DRS_FOGENABLE), 0u);

    DXC_Texture picture;
    picture.SelectStage(0);
    gfx.CreateTexture(&picture, 8, 8, 4, -1, 1);
    picture.SelectStage(0, 1);
    for (int32_t mode : {1, 2, -1, 5}) {
        world.SetItemRenderState(&picture, mode, 255);
        EXPECT_EQ(RenderStateOf(device, D3DRS_ZWRITEENABLE), mode == 1 || mode == -1 ? 1u : 0u) << mode;
        EXPECT_EQ(gfx.GetCurrentTexture(), &picture);
    }
    gfx.currentTexture = nullptr;
}

// Without a device the overlay asks nothing of the controller and nothing is drawn.
TEST(WorldCtrlDrawingServer, NothingIsDrawnWithoutADevice)
{
    ScopedGfx server;
    OverlayCtrl ctrl;
    GridWorld world;
    world.ShowTextMessageByKey(3.0f, u"hello");
    world.AddLogMessage(u"line", 1.0f, false);
    world.DrawMessages();
    EXPECT_TRUE(ctrl.shown.empty());
    EXPECT_EQ(world.DrawScreenIcon(), 0);
}

// While a script runs the running-script line is printed, once more than the overlay draws
// without it.
TEST(WorldCtrlDrawingScripts, RunningScriptLine)
{
    DeviceGfx client;
    WorldScriptFixture scripts;
    scripts.ctrl.guiTexts["logmsg/actionrunning"] = "Action running";
    D3D9Journal& journal = client.Journal();
    client.Gfx().BeginScene();
    scripts.world.DrawMessages();
    const int32_t idle = journal.Count(D3D9Op::DrawPrimitive);
    int32_t during = -1;
    WorldScriptGame::RecordHook() = [&] {
        const int32_t start = journal.Count(D3D9Op::DrawPrimitive);
        scripts.world.DrawMessages();
        during = journal.Count(D3D9Op::DrawPrimitive) - start;
    };
    scripts.RunText("Record(1);");
    WorldScriptGame::RecordHook() = nullptr;
    client.Gfx().EndScene();
    EXPECT_EQ(idle, 0);
    EXPECT_EQ(during, 1);
}
