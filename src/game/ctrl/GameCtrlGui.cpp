// GameCtrl: the per-frame GUI update (the error window showing the oldest error, the mouse-over-
// GUI test that must hold twice in a row), the removal of the oldest error and the select menu
// that a script opens. The server makes no GUI manager, so its update returns at once.
#include "game/ctrl/GameCtrl.h"

#include "base/Timer.h"
#include "engine/gui/DXC_GuiManager.h"

namespace {

constexpr double kGuiTestInterval = 0.05;  // seconds between two mouse-over tests
constexpr float kErrorWindowPos[2] = {0.5f, 0.3f};  // fractions of the free screen space

// One set for the program, as the GUI is.
struct GuiUpdateState {
    uint8_t running = 0;  // re-entry guard
    uint8_t paused = 0;
    float lastTestTime = 0.0f;
    uint8_t lastRawAnswer = 0;
};
GuiUpdateState s_Gui;

// The program's switch of the mouse-over-GUI test; on unless the program turns it off.
constexpr bool kGuiMouseTest = true;

}  // namespace

float GameCtrl::GetLastGuiTestTime() { return s_Gui.lastTestTime; }

bool GameCtrl::GuiSawPause() { return s_Gui.paused != 0; }

int32_t GameCtrl::UpdateGui()
{
    if (s_Gui.running || !g_GuiManager)
        return 0;
    s_Gui.running = 1;
    s_Gui.paused = IsPaused() ? 1 : 0;

    if (m_ErrorList.GetSize() > 0) {
        const bool wasOpen = m_ErrorWindow.IsOpen() != 0;
        m_ErrorWindow.SetOpenState(true);
        m_ErrorWindow.Reset();
        const String* oldest = m_ErrorList.GetAt(0);
        m_ErrorWindow.AddLine(oldest ? oldest->c_str() : "");
        if (!wasOpen) {
            AttachOwnWindows(g_GuiManager);
            m_ErrorWindow.SetRelativePos(kErrorWindowPos[0], kErrorWindowPos[1]);
            m_ErrorWindow.ClampToScreen();
        }
    } else {
        m_ErrorWindow.SetOpenState(false);
    }

    const float now = float(Timer::GetTime());
    if (m_GuiHoldsMouse) {
        s_Gui.lastTestTime = now;
    } else if (now - s_Gui.lastTestTime > float(kGuiTestInterval) && (m_StepTimeTotal > 1.0f || s_Gui.paused)) {
        const uint8_t raw = kGuiMouseTest && g_GuiManager->IsMouseOverGui() ? 1 : 0;
        if (raw == s_Gui.lastRawAnswer)  // an answer must hold for two tests in a row
            m_GuiBusy = raw;
        s_Gui.lastRawAnswer = raw;
        s_Gui.lastTestTime = now;
    }
    s_Gui.running = 0;
    return 0;
}

std::vector<DXC_GuiField*> GameCtrl::GetOwnWindows()
{
    std::vector<DXC_GuiField*> windows = {&m_MessageBox, &m_ConsoleWindow, &m_InfoBar,    &m_ErrorWindow,
                                          &m_SubTitleWindow, &m_SelectMenu, &m_PopUpWindow};
    for (DXC_GuiTextViewerScl& viewer : m_TextViewers)
        windows.push_back(&viewer);
    return windows;
}

void GameCtrl::AttachOwnWindows(DXC_GuiManager* guiManager)
{
    for (DXC_GuiField* window : GetOwnWindows())
        if (window->GetManager() != guiManager)
            window->SetManager(guiManager);
}

// The error window goes back to its place; every window the controller draws itself stays on
// the screen.
void GameCtrl::LayoutGui()
{
    if (!g_GuiManager)
        return;
    AttachOwnWindows(g_GuiManager);
    if (m_ErrorWindow.IsOpen())
        m_ErrorWindow.SetRelativePos(kErrorWindowPos[0], kErrorWindowPos[1]);
    for (DXC_GuiField* window : GetOwnWindows())
        if (window->IsOpen())
            window->ClampToScreen();
}

void GameCtrl::DropFirstError()
{
    if (m_ErrorList.GetSize() == 0)
        return;
    m_ErrorList.Delete(m_ErrorList.GetUsedSlot(0));
}

void GameCtrl::OpenSelectMenu(const char16_t* title, int32_t length)
{
    if (title) {
        // The length comes from a script: the title ends at its terminator in any case.
        int32_t units = 0;
        while (units < length && title[units] != 0)
            ++units;
        m_SelectMenu.SetTitle(wString(std::u16string(title, size_t(units)).c_str()));
    }
    m_SelectMenu.Reset();
    m_SelectMenu.SetOpenState(true);
    m_SelectMenuScriptID = m_World.GetCurrentScriptID();
}
