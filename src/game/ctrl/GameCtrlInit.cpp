// GameCtrl: "Engine init" and "Game init" of the start-up, the field of view by the screen's
// aspect, the screen size, the loading-screen picture, and presenting each drawn frame with the
// recovery of lost surfaces.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/ctrl/ProfilingTimes.h"
#include "game/ctrl/StateManager.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kPixelShader11 = 0x0101;  // major << 8 | minor, the lowest with bump mapping
constexpr int32_t kMaxTextureStages = 4;
const char* const kTreasureFile = "cfg\\treasure.cfg";
const char* const kDefaultLoadingScreen = "graphics\\gui_2\\loadingscreens\\loading_default.jpg";

}  // namespace

bool GameCtrl::IsDedicated() { return g_Options.dedicatedServer != 0 || (g_Gfx && g_Gfx->IsDedicated()); }

void GameCtrl::EngineInit(uint8_t flag)
{
    (void)flag;
    LoadGameOptions();
}

// The order is fixed: the progress figures and log lines mark the steps of the loading screen.
void GameCtrl::Init()
{
    m_ScreenshotCountdown = -1;
    LoadShaders(false);
    Log::Write("Shaders loaded");

    D3DCAPS9 caps;
    uint32_t pixelShader = 0;  // no device: version 0
    if (g_Gfx && g_Gfx->HasDevice()) {
        g_Gfx->GetDeviceCaps(caps);
        pixelShader = g_Gfx->GetPixelShaderVersion();
    }
    if ((pixelShader & 0xFFFFu) < kPixelShader11) {
        m_BumpMapping = 0;
        Log::Write("No bump map support");
    } else {
        m_BumpMapping = g_Options.noBumpMaps ? 0 : 1;
    }
    if (!m_BumpMapping)
        m_BumpStrength = 0.0f;
    m_TextureStageLimit = std::min(int32_t(caps.MaxSimultaneousTextures), kMaxTextureStages);
    ShowLoadingProgress(12.0f, 0, 1.0f, 0);

    LoadExperience();
    LoadActions();
    LoadStrategies();
    m_World.InitRenderData();
    Log::Write("View init");
    LoadSounds();

    ShowLoadingProgress(50.0f, 0, 1.0f, 0);
    InitGuiFields();
    Log::Write("Gui field init");

    ShowLoadingProgress(75.0f, 0, 1.0f, 0);
    m_World.SetActiveRect(0, 0, g_ScreenWidth, g_ScreenHeight);
    LoadGeneralItems();

    ShowLoadingProgress(98.0f, 0, 1.0f, 0);
    LoadTreasureLists(kTreasureFile);
    Log::Write("Treasure list loaded");

    SetDifficulty(1, 0, 1);
    m_CameraPitch[0] = m_CameraPitch[1] = g_Options.startPitch;
    m_CameraDistance[0] = m_CameraDistance[1] = g_Options.maxCamHeight;

    const bool dedicated = IsDedicated();
    if (g_Gfx && g_Gfx->HasDevice())
        g_Gfx->RestoreRenderState();  // the controller's render state, on the device from the start
    if (g_Gfx)
        g_Gfx->SetDedicatedMode(dedicated ? 1 : 0);
    if (dedicated) {  // nothing is drawn: no bump maps, no compressed floor textures
        g_Options.noBumpMaps = 1;
        m_World.GetOptions().compressFloorTex = 0;
    }
}

float GameCtrl::GetFieldOfView() const { return g_Options.fieldOfView; }

// A zero height counts as 4:3 (the 4:3 ratio is what the field of view starts from).
float GameCtrl::GetHorizontalFieldOfView() const
{
    const double aspect = g_ScreenHeight > 0 ? double(g_ScreenWidth) / double(g_ScreenHeight) : 4.0 / 3.0;
    return float(2.0 * std::atan(std::tan(double(g_Options.fieldOfView) / 2.0) * aspect));
}

int32_t GameCtrl::ReadScreenSize()
{
    if (!g_Gfx)
        return 0;
    g_Gfx->GetBackBufferSize(g_ScreenWidth, g_ScreenHeight);
    return 1;
}

void GameCtrl::LoadLoadingScreen(const char* name)
{
    if (IsDedicated())
        return;
    const String requested = name ? name : "";
    if (requested == m_LoadingScreenName && m_LoadingScreen.IsValid())
        return;
    m_LoadingScreenName = requested;
    m_LoadingScreenFile = !requested.IsEmpty() && File::Exists(requested.c_str()) ? requested
                                                                                   : String(kDefaultLoadingScreen);
    if (g_Gfx && File::Exists(m_LoadingScreenFile.c_str()))
        g_Gfx->LoadTexture(&m_LoadingScreen, m_LoadingScreenFile.c_str(), 0, -1, 0, 1);
}

GameCtrl::LoadingScreenLayout GameCtrl::LayoutLoadingScreen(int32_t width, int32_t height, const float topSize[2],
                                                             const float mainSize[2], const float bottomSize[2],
                                                             const float barSize[2], bool threePart)
{
    LoadingScreenLayout out;
    auto set = [](int32_t r[4], int32_t l, int32_t t, int32_t rr, int32_t b) {
        r[0] = l;
        r[1] = t;
        r[2] = rr;
        r[3] = b;
    };
    if (mainSize[1] <= 0.0f)
        return out;
    // The band the progress bar sits in: the bottom picture's share, or the whole screen.
    int32_t bandTop = 0, bandBottom = height;
    const float total = topSize[1] + mainSize[1] + bottomSize[1];
    if (threePart && topSize[1] > 0.0f && bottomSize[1] > 0.0f) {
        const int32_t t = int32_t(std::lround(float(height) * topSize[1] / total));
        const int32_t m = t + int32_t(std::lround(float(height) * mainSize[1] / total));
        set(out.top, 0, 0, width, t);
        set(out.main, 0, t, width, m);
        set(out.bottom, 0, m, width, height);
        bandTop = m;
    } else {
        set(out.main, 0, 0, width, height);
    }
    if (barSize[0] > 0.0f && barSize[1] > 0.0f) {
        const float bandHeight = float(bandBottom - bandTop);
        const float scale = std::min(float(width) / barSize[0], 0.96f * bandHeight / barSize[1]);
        const float w = barSize[0] * scale, h = barSize[1] * scale;
        const float left = (float(width) - w) * 0.5f, top = float(bandTop) + (bandHeight - h) * 0.5f;
        set(out.bar, int32_t(std::lround(left)), int32_t(std::lround(top)), int32_t(std::lround(left + w)),
            int32_t(std::lround(top + h)));
    }
    return out;
}

DXC_Texture& GameCtrl::GetLoadingScreenPicture(int32_t part)
{
    DXC_Texture* parts[4] = {&m_LoadingScreenTop, &m_LoadingScreen, &m_LoadingScreenBottom, &m_LoadingProgressBar};
    return *parts[std::clamp(part, 0, 3)];
}

void GameCtrl::DrawLoadingScreen()
{
    if (!g_Gfx || !g_Gfx->HasDevice())
        return;
    int32_t width = 0, height = 0;
    g_Gfx->GetScreenSize(width, height);
    if (!m_LoadingScreen.IsValid()) {
        g_Gfx->ClearTarget(0xFF000000u, nullptr);
        return;
    }
    float sizes[4][2] = {};
    for (int32_t i = 0; i < 4; i++)
        if (GetLoadingScreenPicture(i).IsValid())
            GetLoadingScreenPicture(i).GetDrawSize(sizes[i][0], sizes[i][1]);
    const LoadingScreenLayout layout =
        LayoutLoadingScreen(width, height, sizes[0], sizes[1], sizes[2], sizes[3], m_LoadingScreenThreePart);
    const int32_t* rects[4] = {layout.top, layout.main, layout.bottom, layout.bar};
    for (int32_t i = 0; i < 4; i++) {
        if (rects[i][2] <= rects[i][0] || rects[i][3] <= rects[i][1])
            continue;
        g_Gfx->SetMaterialStages(&GetLoadingScreenPicture(i), -1);
        g_Gfx->DrawTextureUniform(rects[i], 0xFFFFFFFFu, 0.0f);
    }
}

// After the graphics surfaces were lost: the next drawn frame starts the frame time again at 0.
void GameCtrl::RecreateSurfaces()
{
    Log::Write("RecreateSurfaces");
    if (!m_VsdFile.IsEmpty()) {  // a level is loaded: its render state goes back on the device
        if (g_Gfx && g_Gfx->HasDevice())
            g_Gfx->RestoreRenderState();
        m_RenderFlag = 1;
    }
    m_PrevFrameStartTime = -1.0;
    if (g_GuiManager)
        g_GuiManager->UpdateViewport();
    LayoutGui();
    UpdateFieldOfView();
}

// A hidden window takes the hold counter below 0 frame by frame. The first frame shown again
// clears that, so that neither presenting nor the auto-save, which waits for a counter of 0,
// stays held for ever after the window was minimised.
bool GameCtrl::PresentFrame()
{
    m_TextureMemory = g_Gfx ? g_Gfx->GetTextureMemory() : 0;
    const Window* window = g_Gfx ? g_Gfx->GetWindowHandle() : nullptr;
    const bool hidden = g_WindowState.windowVisible == 0 || (window && !window->IsVisible());
    bool result = true;
    if (m_HoldCounter > 0 || hidden) {
        --m_HoldCounter;
    } else {
        m_HoldCounter = 0;
        const double start = Timer::GetTime();
        if (g_Gfx && g_WindowState.quitRequested == 0 && !g_Gfx->Present()) {  // a destroyed window shows nothing
            ReadScreenSize();
            RecreateSurfaces();
            result = false;
        }
        if (m_TextViewers[kProfilingViewer].IsOpen())
            g_ProfilingTimes[kProfilePresent] = Timer::GetTime() - start;
    }
    ++m_DrawnFrames;
    return result;
}

