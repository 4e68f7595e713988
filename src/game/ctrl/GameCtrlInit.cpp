// GameCtrl: "Engine init" and "Game init" of the start-up, the field of view by the screen's
// aspect, the screen size, the loading-screen picture, and presenting each drawn frame with the
// recovery of lost surfaces.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
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

