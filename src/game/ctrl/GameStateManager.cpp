// GameStateManager: the debug time scale, the window messages of a game window and the debug
// overlay.
#include "game/ctrl/GameStateManager.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "platform/Window.h"

GameStateManager::GameStateManager() { CopyName32(this, "GameStateManager"); }

GameStateManager::~GameStateManager() = default;

double GameStateManager::GetTimeScale()
{
    if (!m_DebugMode || !m_Keyboard || !m_Keyboard->IsKeyDown(m_Settings.slowMotionKey))
        return m_TimeScale;
    if (m_Keyboard->IsKeyDown(InputState::kLeftShift))
        return m_TimeScale * m_Settings.fastMotionFactor;
    return m_TimeScale * m_Settings.slowMotionFactor;
}

bool GameStateManager::IsPauseKeyEnabled() const
{
    return m_Settings.debugLevel >= 2 || (m_Settings.debugLevel == 1 && m_DebugMode);
}

uint32_t GameStateManager::GuiKeyCode(uintptr_t virtualKey)
{
    if (virtualKey >= kKeyLeft && virtualKey <= kKeyDown)
        return uint32_t(virtualKey - kKeyLeft + 17);  // arrows: 17 to 20
    switch (virtualKey) {
    case kKeyEnd:
        return 1;
    case kKeyHome:
        return 2;
    case kKeyDelete:
        return 24;
    default:
        return 0;
    }
}

intptr_t GameStateManager::HandleWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    // lParam of a key or character: the repeat count in its low 16 bits, flags above.
    const int32_t repeat = int32_t(uintptr_t(lParam) & 0xFFFF);
    const uint32_t flags = uint32_t(uintptr_t(lParam) >> 16);
    switch (message) {
    case WM_ACTIVATEAPP:
        if (wParam == 0 && m_AppActive) {
            if (m_Gfx && m_Gfx->IsFullScreen()) {
                Platform::RestoreDisplayMode();
                if (m_Window)
                    m_Window->Show(SW_MINIMIZE);
            }
        } else if (wParam != 0 && m_Settings.hideWindowOnActivation && m_Window) {
            // Hiding is repeated until the window answers that it was hidden already, within a
            // bound: a window that never gives that answer must not hang the loop.
            for (int32_t i = 0; i < kMaxHideAttempts && m_Window->Show(SW_HIDE) != 0; ++i) {}
        }
        break;
    case WM_KEYDOWN:
        if (wParam == kKeyPause && IsPauseKeyEnabled())
            m_Paused = m_Paused ? 0 : 1;
        if (m_GuiManager) {
            const uint32_t code = GuiKeyCode(wParam);
            if (code != 0)
                m_GuiManager->OnChar(code, repeat, flags);
        }
        break;
    case WM_CHAR:
        if (m_GuiManager)
            m_GuiManager->OnChar(uint32_t(wParam), repeat, flags);
        break;
    default:
        break;
    }
    return StateManager::HandleWindowMessage(window, message, wParam, lParam);
}

void GameStateManager::DrawDebugInfo()
{
    m_DebugText.Release();
    if (!m_Gfx)
        return;
    if (m_RealTimeTotal - m_FrameRateSampleTime >= m_Settings.frameRateSampleInterval) {
        m_FrameRateSampleTime = m_RealTimeTotal;
        m_ShownFrameRate = m_Gfx->GetFPS();
    }
    String part;
    if (m_Settings.showFrameRate)
        m_DebugText += part.Format("FPS: %.1f", double(m_ShownFrameRate));
    if (m_DebugMode && m_GuiManager && m_Settings.showMousePosition) {
        int32_t mouseX;
        int32_t mouseY;
        int32_t topX;
        int32_t topY;
        m_GuiManager->GetMousePos(mouseX, mouseY);
        m_GuiManager->GetRoot().GetPos(topX, topY);
        m_DebugText += part.Format("\nMousePos: %d/%d", mouseX - topX, mouseY - topY);
        if (m_Keyboard &&
            (m_Keyboard->IsKeyDown(InputState::kLeftShift) || m_Keyboard->IsKeyDown(InputState::kRightShift))) {
            DXC_GuiField* field = m_GuiManager->FindFieldUnderMouse();
            m_DebugText += part.Format("\nGuiName: %s", field ? field->GetName() : "");
        }
    }
    if (m_DebugText.IsEmpty() || !m_Gfx->HasDevice())
        return;  // nothing to show, or nothing to show it on (the server)
    const bool openScene = !m_Gfx->IsInScene();
    if (openScene)
        m_Gfx->BeginScene();
    if (m_Settings.textMode == 2 || m_Settings.textMode == 3) {
        m_Gfx->PrintfW(m_Settings.textX, m_Settings.textY, u"%S", m_DebugText.c_str());
    } else {
        if (!m_DebugBlock)
            m_DebugBlock = std::make_unique<PrintfTextBlock>();
        m_DebugBlock->Clear();
        RECT covered;
        m_Gfx->LayoutTextW(covered, *m_DebugBlock, u"%S", m_DebugText.c_str());
        m_Gfx->RenderTextBlock(m_Settings.textX, m_Settings.textY, 0.0f, 0.0f, *m_DebugBlock);
    }
    if (openScene)
        m_Gfx->EndScene();
}
