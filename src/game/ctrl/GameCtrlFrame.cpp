// GameCtrl: the per-frame step that the main loop drives, the drawn frame, and the GUI hooks of a
// frame. On the dedicated server drawing is suppressed, so only the step runs there.
#include "game/ctrl/GameCtrl.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/ctrl/ProfilingTimes.h"
#include "game/ctrl/StateManager.h"
#include "game/objects/CreatureObj.h"

#include <algorithm>

float g_LastFrameTime = 0.0f;
uint32_t g_GameFrameCounter = 0;
double g_ProfilingTimes[kProfilingTimers] = {};

namespace {

constexpr float kFogDensity = 0.001f;  // only the exponential modes read it

void RenderIfOpen(DXC_GuiField& window)
{
    if (window.IsOpen())
        window.Render();
}

}  // namespace

// A step of 0 (a paused game) leaves the inputs and the world alone, but the game time and the
// step total still take it.
int32_t GameCtrl::UpdateFrame(float frameTime)
{
    m_FrameStartTime = Timer::GetTime();
    const double profileStart = GetProfilingTime();
    if (IsServer())
        RevealMapAtPosition();
    else
        MarkActiveArea();
    UpdateMusicFade(frameTime);
    if (frameTime > 0.0f) {
        // The input controllers step in the order of their list, the AI's pass included.
        UpdateInputCtrls(frameTime);
        const double inputsDone = GetProfilingTime();
        g_ProfilingTimes[kProfileAIMove] = inputsDone - profileStart;
        // The world's per-frame update, then its post-update: music, messages and sounds.
        UpdateWorld(frameTime);
        m_World.UpdatePresentation();
        g_ProfilingTimes[kProfileGameMove] = GetProfilingTime() - inputsDone;
    }
    ++g_GameFrameCounter;
    const int32_t result = AdvanceGameTime(frameTime);
    m_StepTimeTotal += frameTime;
    m_FrameFlag = 0;
    return result;
}

// The first drawn frame has a frame time of 0; a long frame counts as the largest step.
void GameCtrl::RenderFrame()
{
    m_FrameStartTime = Timer::GetTime();
    float frameTime = 0.0f;
    if (m_PrevFrameStartTime > 0.0)
        frameTime = std::min(float(m_FrameStartTime - m_PrevFrameStartTime), kLargestFrameTime);
    g_LastFrameTime = frameTime;
    UpdateScreenFade(frameTime);
    m_World.SetActiveRect(0, 0, g_ScreenWidth, g_ScreenHeight);
    // The wire-frame switch, the fog and the viewport go to the graphics device, and the world and
    // the GUI draw nothing without one: the server has none.
    DXC_Gfx* gfx = g_Gfx && g_Gfx->HasDevice() ? g_Gfx : nullptr;
    if (gfx && m_WireFrame)
        gfx->SetFillMode(int32_t(D3DFILL_WIREFRAME));
    if (gfx) {
        DXC_Fog fog;
        fog.color = m_LevelDesc.fogColor;
        fog.mode = int32_t(D3DFOG_LINEAR);
        fog.start = m_LevelDesc.fogStart;
        fog.end = m_LevelDesc.floorFog;
        fog.density = kFogDensity;
        gfx->SetFog(fog);
        gfx->EnableFog(1);
    }
    m_World.Render(m_RenderFlag);
    if (gfx)
        gfx->SetViewPort(0, 0, g_ScreenWidth, g_ScreenHeight, 0.0f, 1.0f);
    DrawGui();
    if (gfx && m_WireFrame)
        gfx->SetFillMode(int32_t(D3DFILL_SOLID));
    m_PrevFrameStartTime = m_FrameStartTime;
}

// The GUI's clock is the frame's start; the info bar follows the world's tracked value; the
// windows the controller owns are drawn before the manager's tree, with the cursor chosen last.
void GameCtrl::DrawGui()
{
    if (g_GuiManager)
        g_GuiManager->SetFixedTime(m_FrameStartTime);
    UpdateInfoBar();
    if (m_ViewMode == 1) {
        RenderIfOpen(m_MessageBox);
        RenderIfOpen(m_ConsoleWindow);
        RenderIfOpen(m_InfoBar);
        RenderIfOpen(m_TextViewers[1]);
        if (m_ErrorWindow.IsOpen()) {
            if (g_GuiManager) {  // the error wants the GUI's own cursor
                g_GuiManager->SetCursorType(0);
                g_GuiManager->SetCursorEnabled(true);
            }
            m_ErrorWindow.Render();
        }
        RenderIfOpen(m_SubTitleWindow);
        if (g_GuiManager)
            g_GuiManager->Render(true, true);
        return;
    }
    // The pages shown are refilled first, the system page at most five times a second.
    if (m_TextViewers[kProfilingViewer].IsOpen())
        DumpSystemInfo();
    if (m_TextViewers[kScriptVariablesViewer].IsOpen())
        DumpScriptVariables();
    if (m_TextViewers[kCreatureViewer].IsOpen())
        DumpCreatureInfo();
    for (int32_t i = 1; i < kTextViewers; ++i)
        RenderIfOpen(m_TextViewers[i]);
    m_GuiHoldsMouse = IsGuiUnderMouse(0) ? 1 : 0;
    if (!g_GuiManager)
        return;
    ChooseCursor(*g_GuiManager);
    g_GuiManager->Render(true, true);
}

// With the game's own cursor switched off there is no picture; a hidden cursor shows none; the
// GUI's cursor while the GUI takes the mouse, else the game's picture with the GUI's cursor off.
void GameCtrl::ChooseCursor(DXC_GuiManager& guiManager)
{
    if (m_Settings.windowsMouseCursor || m_CursorHidden) {
        guiManager.SetCursorType(-1);
    } else if (UsesGuiCursor()) {
        guiManager.SetCursorType(0);
        guiManager.SetCursorEnabled(true);
    } else {
        guiManager.SetCursorType(GetCursorPicture());
        guiManager.SetCursorEnabled(false);
    }
}

// The world's tracked value against its maximum, captioned by its name's "content" in "other";
// hidden while the world tracks nothing.
void GameCtrl::UpdateInfoBar()
{
    const float maximum = m_World.GetTrackedMax();
    if (maximum <= 0.0f) {
        m_InfoBar.SetOpenState(false);
        return;
    }
    m_InfoBar.SetFill(m_World.GetTrackedValue() / maximum);
    wString caption(m_World.GetTrackedName().c_str());
    DBGetField(caption, "other", "content");
    m_InfoBar.SetCaption(caption);
    m_InfoBar.SetOpenState(true);
}

int32_t GameCtrl::LeaveGuiMode(int32_t flag)
{
    (void)flag;
    if (IsGuiUnderMouse(0)) {
        if (g_GuiManager)
            g_GuiManager->CloseAllWindows(false);
        UpdateGui();
    }
    return UpdateGui();
}

void GameCtrl::ResetGuiState(int32_t flag) { LeaveGuiMode(flag); }

bool GameCtrl::IsGuiUnderMouse(int32_t flag)
{
    (void)flag;
    return (g_GuiManager && g_GuiManager->IsMouseOverGui()) || m_ViewMode == 2;
}

void GameCtrl::RevealMapAtPosition()
{
    if (m_HasMapPosition)
        m_World.RevealMapArea(m_MapPosition.x, m_MapPosition.y, false);
}

void GameCtrl::MarkActiveArea()
{
    D3DXVECTOR2 centres[2];
    int32_t count = 0;
    if (CreatureObj* hero = GetMainChar())
        centres[count++] = hero->GetPos();
    if (m_HasMapPosition)
        centres[count++] = m_MapPosition;
    m_World.MarkActiveArea(centres, count);
}

void GameCtrl::ResetStepTime()
{
    m_StepTimeTotal = 0.0f;
    m_GuiBusy = 0;
}

bool GameCtrl::IsWindowActive() { return g_WindowState.appActive != 0 && g_WindowState.windowVisible != 0; }

void GameCtrl::SetMapPosition(float x, float y)
{
    m_MapPosition = D3DXVECTOR2(x, y);
    m_HasMapPosition = 1;
}
