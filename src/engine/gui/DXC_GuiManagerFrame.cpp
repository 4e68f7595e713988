// DXC_GuiManager: the frame: the viewport and cursor visibility, button states turned into press,
// release, click, double-click, drag and drop, the front moves, the tree's drawing, the tooltip
// pass and the drag icon and cursor on top.
#include "engine/gui/DXC_GuiManager.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiScaleableText.h"
#include "engine/gui/MouseState.h"
#include "platform/CursorDisplay.h"

#include <algorithm>

namespace {

constexpr int32_t kSolidFill = 3;
constexpr int32_t kGuiBlendMode = 9;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr float kCrossHalf = 10.0f;  // the cursor without a picture: a cross of two 20-pixel lines

int64_t DistanceSq(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const int64_t dx = int64_t(x1) - x2;
    const int64_t dy = int64_t(y1) - y2;
    return dx * dx + dy * dy;
}

}  // namespace

void DXC_GuiManager::Render(bool useMouse, bool draw)
{
    m_MouseActive = useMouse ? 1 : 0;
    m_ToolTipField = nullptr;
    UpdateViewport();
    ReadCursorVisibility();
    if (useMouse && m_MouseEnabled && m_MouseSuspended <= 0) {
        if (HasMouseDevice())
            ReadButtonStates();
        ReplayQueuedButtonEvents();
    }
    for (int32_t i = m_Root.children.GetSize() - 1; i >= 0; --i) {
        DXC_GuiField* child = m_Root.children.GetAt(i);
        if (child && child->IsOpen() && child->IsAlwaysOnTop())
            child->MoveToFrontOfParent();
    }
    ApplyDeferredFrontMoves();

    m_Drawing = 1;
    if (draw) {
        if (m_Gfx && m_Gfx->HasDevice()) {
            m_Gfx->SetFillMode(kSolidFill);
            m_Gfx->SetBlendMode(kGuiBlendMode, 0, 0);
        }
        m_Root.Render();
    }
    m_Drawing = 0;

    RunToolTipPass(draw);
    if (useMouse)
        DrawCursor();
    if (HasMouseDevice())
        m_PreviousWheel = m_Mouse->wheel;
}

// Shown and hidden once, which leaves the system cursor's counter as it was.
void DXC_GuiManager::ReadCursorVisibility()
{
    Platform::ShowCursor(true);
    m_CursorVisible = Platform::ShowCursor(false) >= 0 ? 1 : 0;
}

void DXC_GuiManager::GetMouseInRoot(int32_t& x, int32_t& y)
{
    GetMousePos(x, y);
    int32_t rootX, rootY;
    m_Root.GetPos(rootX, rootY);
    x -= rootX;
    y -= rootY;
}

DXC_GuiField* DXC_GuiManager::SendMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    DXC_GuiField* result = m_Root.OnMouse(button, event, x, y);
    if (m_MouseEventCallback)
        m_MouseEventCallback(button, event, x, y);
    return result;
}

void DXC_GuiManager::ReadButtonStates()
{
    const int32_t count = std::clamp(m_ButtonCount, 0, kMaxButtons);
    for (int32_t b = 0; b < count; ++b) {
        const bool held = m_Mouse->IsButtonDown(b) || (m_ButtonStateSource && m_ButtonStateSource(b) == 1);
        if (held && !m_Buttons[b].held)
            PressButton(b);
        else if (!held && m_Buttons[b].held)
            ReleaseButton(b);
    }
    int32_t x, y;
    GetMouseInRoot(x, y);
    for (int32_t b = 0; b < count; ++b) {
        ButtonState& state = m_Buttons[b];
        if (!state.held || state.dragInProgress)
            continue;
        if (DistanceSq(state.pressX, state.pressY, x, y) >= kDragDistanceSq) {
            state.dragInProgress = 1;
            SendMouse(b, DXC_GuiField::kMouseDragStarted, state.pressX, state.pressY);
        }
    }
}

void DXC_GuiManager::ReplayQueuedButtonEvents()
{
    // Taken out first: a handler may queue the next frame's events.
    std::vector<QueuedButtonEvent> events;
    events.swap(m_QueuedEvents);
    for (const QueuedButtonEvent& event : events) {
        if (event.button < 0 || event.button >= kMaxButtons)
            continue;
        if (event.state == 0)
            PressButton(event.button);
        else if (event.state == 1)
            ReleaseButton(event.button);
    }
}

void DXC_GuiManager::PressButton(int32_t button)
{
    ButtonState& state = m_Buttons[button];
    state.held = 1;
    GetMouseInRoot(state.pressX, state.pressY);
    state.pressTime = GetTime();
    state.dragInProgress = 0;
    SendMouse(button, DXC_GuiField::kMousePressed, state.pressX, state.pressY);
}

void DXC_GuiManager::ReleaseButton(int32_t button)
{
    ButtonState& state = m_Buttons[button];
    state.held = 0;
    int32_t x, y;
    GetMouseInRoot(x, y);
    SendMouse(button, DXC_GuiField::kMouseReleased, x, y);
    if (!state.dragInProgress) {
        const double now = GetTime();
        const bool pairs = state.hasClick && now - state.clickTime < kDoubleClickTime &&
                           DistanceSq(state.clickX, state.clickY, x, y) < int64_t(kDoubleClickDistance * kDoubleClickDistance);
        if (pairs) {
            SendMouse(button, DXC_GuiField::kMouseDoubleClicked, x, y);
            state.hasClick = 0;
            state.clickTime = 0.0;
            state.clickX = 0;
            state.clickY = 0;
        } else {
            SendMouse(button, DXC_GuiField::kMouseClicked, x, y);
            state.hasClick = 1;
            state.clickTime = now;
            state.clickX = x;
            state.clickY = y;
        }
        return;
    }
    DXC_GuiField* taker = SendMouse(button, DXC_GuiField::kMouseDropped, x, y);
    state.dragInProgress = 0;
    if (button != 0)
        return;
    if ((!taker || taker == &m_Root) && m_OnDropOutside) {
        m_OnDropOutside();
        return;
    }
    if (m_ClearDragOnDrop) {
        SetCursorIcon(0, 0, nullptr, false);
        SetDragIcon(nullptr, false, nullptr, 1.0f);
        SetDragObject(nullptr, nullptr, nullptr);
    }
}

// The field that claimed the tooltip while the tree was drawn; its text waits for the delay with
// the mouse held within the tolerance, and is written again when the field changes it.
void DXC_GuiManager::RunToolTipPass(bool draw)
{
    DXC_GuiField* field = m_ToolTipField.Get();
    if (!field) {
        m_ToolTip.lastField = nullptr;
        return;
    }
    int32_t x, y;
    GetMousePos(x, y);
    const double now = GetTime();
    const bool waiting = now - m_ToolTip.startTime <= m_ToolTipDelay;
    const int64_t tolerance = int64_t(m_ToolTipTolerance) * m_ToolTipTolerance;
    const bool moved = waiting && DistanceSq(x, y, m_ToolTip.mouseX, m_ToolTip.mouseY) > tolerance;
    if (field != m_ToolTip.lastField.Get() || moved) {
        m_ToolTip.lastField = field;
        m_ToolTip.mouseX = x;
        m_ToolTip.mouseY = y;
        m_ToolTip.startTime = now;
        m_ToolTip.shown = 0;
    }
    if (now - m_ToolTip.startTime <= m_ToolTipDelay)
        return;
    if (!m_ToolTip.shown || field->HasHelpTextChanged()) {
        field->WriteHelpText(*m_ToolTipWindow);
        m_ToolTip.shown = 1;
        field->ClearHelpTextChanged();
    }
    m_ToolTipWindow->FitToText();
    m_ToolTipWindow->SetPos(x + m_ToolTipOffset[0], y + m_ToolTipOffset[1]);
    m_ToolTipWindow->ClampToScreen();
    if (draw)
        m_ToolTipWindow->Render();
}

void DXC_GuiManager::DrawCursor()
{
    if (!m_DragObject)
        SetCursorIcon(0, 0, nullptr, false);
    int32_t x, y;
    GetMousePos(x, y);
    const bool device = m_Gfx && m_Gfx->HasDevice();
    if (DXC_GuiField* icon = m_CursorIcon.Get()) {
        icon->SetPos(x - m_CursorIconHot[0], y - m_CursorIconHot[1]);
        icon->Render();
    }
    if (!m_MouseEnabled || m_CursorType < 0 || !device)
        return;  // the game draws its own pointer, or none is wanted
    if (m_CursorType < kCursorTypes && m_CursorTextures[m_CursorType].IsValid()) {
        m_Gfx->SetMaterialStages(&m_CursorTextures[m_CursorType], -1);
        m_Gfx->DrawTexture(float(x), float(y), kWhite, 0.0f, 1.0f);
        return;
    }
    m_Gfx->DrawLine2D(float(x) - kCrossHalf, float(y), float(x) + kCrossHalf, float(y), kWhite, 0.0f);
    m_Gfx->DrawLine2D(float(x), float(y) - kCrossHalf, float(x), float(y) + kCrossHalf, kWhite, 0.0f);
}
