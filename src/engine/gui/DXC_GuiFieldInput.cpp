// DXC_GuiField: the focus (releasing it, taking it, bringing a field to the front), the mouse
// queries, the routing of mouse and character input down the tree, and the drawing with the
// tooltip claim and the debug outline.
#include "engine/gui/DXC_GuiField.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"

#include <algorithm>

namespace {

constexpr uint32_t kOutlineFocused = 0xFF00FFFFu;
constexpr uint32_t kOutlineOther = 0xFFFF0000u;
constexpr uint32_t kOriginFocused = 0xFF00FF00u;
constexpr uint32_t kOriginOther = 0xFF00A000u;
constexpr float kOriginCross = 3.0f;  // half the cross's size in pixels

}  // namespace

void DXC_GuiField::OnGotFocus()
{
    focused = 1;
    if (focusChild)
        focusChild->OnGotFocus();
}

void DXC_GuiField::OnLostFocus()
{
    focused = 0;
    dragging = 0;
    if (focusChild)
        focusChild->OnLostFocus();
    OnReset();
}

// A field inside a window hands the focus to its parent; a window to the front window (or the
// root), unless a modal window elsewhere keeps it.
void DXC_GuiField::ReleaseFocus()
{
    if (focused != 1 || !manager)
        return;
    DXC_GuiField& root = manager->GetRoot();
    DXC_GuiField* owner = parent.Get();
    if (owner && owner != &root) {
        // Clearing below takes the closed field off the path; without it the focus would stay there.
        manager->RequestFocus(owner, true, false, false);
        return;
    }
    DXC_GuiField* target = root.GetFrontWindow();
    if (!target)
        target = &root;
    DXC_GuiField* current = root.GetFocus(false);
    DXC_GuiField* modalWindow = current ? current->FindModalWindow() : nullptr;
    if (modalWindow && modalWindow->IsOpen() && !target->IsDescendantOf(modalWindow))
        return;
    if (manager->SetFocusPath(target, true))
        manager->MoveToFront(target);
}

DXC_GuiField* DXC_GuiField::GetFocus(bool direct)
{
    if (direct)
        return focusChild;
    DXC_GuiField* field = this;
    while (field->focusChild)
        field = field->focusChild;
    return field;
}

bool DXC_GuiField::SetFocus(bool clearBelow) { return manager && manager->RequestFocus(this, clearBelow, false, true); }

int32_t DXC_GuiField::BringToFront(bool takeFocus)
{
    if (focusable && takeFocus)
        return manager && manager->RequestFocus(this, false, false, true) ? 1 : 0;
    if (manager)
        manager->MoveToFront(this);
    else
        MoveToFrontOfParent();
    return 0;
}

void DXC_GuiField::ToggleOpen(bool takeFocus)
{
    if (IsOpen()) {
        SetOpenState(false);
        return;
    }
    SetOpenState(true);
    BringToFront(takeFocus);
}

bool DXC_GuiField::IsInputActive()
{
    if (!IsOpen())
        return false;
    const DXC_GuiField* window = GetTopLevelWindow();
    if (!window->permanent && window->focused != 1)
        return false;
    if (FindModalWindow())
        return true;
    return !manager || manager->GetModalWindowCount() < 1;
}

bool DXC_GuiField::IsMouseOver(bool useMouse, bool requireActive, bool checkCursor)
{
    if (!IsOpen() || !manager)
        return false;
    if (!useMouse) {
        if (requireActive && !IsInputActive())
            return false;
        return manager->IsTopmostUnderMouse(this, checkCursor);
    }
    if (checkCursor) {
        const bool ownCursor = manager->HasMouseDevice() && manager->GetCursorType() >= 0 && manager->IsMouseActive();
        if (!ownCursor && !manager->IsCursorVisible())
            return false;
    }
    if (manager->IsMouseSuspended() || !manager->IsCursorEnabled())
        return false;
    int32_t x, y;
    manager->GetMousePos(x, y);
    // The rectangle is relative to the parent; the root's is already on the screen.
    int32_t baseX = 0;
    int32_t baseY = 0;
    if (const DXC_GuiField* owner = parent.Get())
        owner->GetAbsPos(baseX, baseY);
    return IsPointInside(x - baseX, y - baseY);
}

bool DXC_GuiField::IsMouseOverChildren()
{
    if (!manager)
        return false;
    int32_t x, y;
    manager->GetMousePos(x, y);
    for (int32_t i = 0; i < children.GetSize(); ++i) {
        DXC_GuiField* child = children.GetAt(i);
        if (!child || !child->IsOpen())
            continue;
        if (child->mouseTransparent) {
            // A frame that only passes the mouse on hides nothing but its own children.
            if (child->mouseFlags == kMouseChildren && child->IsMouseOverChildren())
                return true;
            continue;
        }
        int32_t l, t, r, b;
        child->GetAbsRect(l, t, r, b);
        if (x >= l && x < r && y >= t && y < b)
            return true;
    }
    return false;
}

DXC_GuiField* DXC_GuiField::FindFieldUnderMouse()
{
    if (!IsOpen())
        return nullptr;
    for (int32_t i = 0; i < children.GetSize(); ++i) {
        DXC_GuiField* child = children.GetAt(i);
        if (child && child->IsMouseOver(true, false, false))
            return child->FindFieldUnderMouse();
    }
    return this;
}

DXC_GuiField* DXC_GuiField::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    if (!IsOpen())
        return nullptr;
    DXC_GuiField* result = nullptr;
    if (event == kMouseReleased) {
        // A release belongs to where the press went: down the focus path, not under the mouse.
        if (focusChild)
            result = focusChild->OnMouse(button, kMouseReleased, x, y);
    } else if (mouseFlags & kMouseChildren) {
        for (int32_t i = 0; i < children.GetSize() && !result; ++i) {
            DXC_GuiField* child = children.GetAt(i);
            if (child && child->IsOpen() && child->IsPointInside(x, y))
                result = child->OnMouse(button, event, x - child->left, y - child->top);
        }
    }
    dragging = 0;
    if (result)
        return result;
    if (!(mouseFlags & kMouseSelf))
        return nullptr;
    if (event == kMousePressed && (!manager || !manager->RequestFocus(this, true, false, true)))
        return nullptr;  // a modal window elsewhere holds the focus
    if (event == kMouseDragStarted && button == 0 && focused == 1) {
        const InputState* keys = manager ? manager->GetInputState() : nullptr;
        const bool shift = keys && keys->IsKeyDown(InputState::kLeftShift);
        if (dragMode == kDragAlways || (dragMode == kDragWithShift && shift)) {
            dragGrabX = left;  // the absolute position minus the parent's
            dragGrabY = top;
            dragging = 1;
        }
    }
    return this;
}

DXC_GuiField* DXC_GuiField::OnChar(uint32_t code, int32_t repeat, uint32_t flags)
{
    const int32_t count = int16_t(uint16_t(uint32_t(repeat) & 0xFFFFu));
    if (collectText)
        for (int32_t i = 0; i < count; ++i)
            typedText += char16_t(code);
    if (!focusChild)
        return nullptr;
    DXC_GuiField* result = focusChild->OnChar(code, repeat, flags);
    return result ? result : this;
}

void DXC_GuiField::Render()
{
    // Drawn back to front, so a field nearer the front claims the tooltip later and keeps it.
    if (!helpText.IsEmpty() && tooltipEnabled && IsOpen() && manager && manager->IsTopmostUnderMouse(this, true))
        manager->SetToolTipField(this);
    const int32_t level = std::max(debugLevel, s_GuiDebugLevel);
    if (level >= 1 && gfx && gfx->HasDevice())
        DrawDebugOutline(level);
    for (int32_t i = children.GetSize() - 1; i >= 0; --i) {
        DXC_GuiField* child = children.GetAt(i);
        if (child && child->IsOpen())
            child->Render();
    }
}

void DXC_GuiField::FollowDrag()
{
    if (!dragging || !manager)
        return;
    int32_t mouseX, mouseY, pressX, pressY;
    manager->GetMousePos(mouseX, mouseY);
    manager->GetPressPos(0, pressX, pressY);
    SetPos(dragGrabX + mouseX - pressX, dragGrabY + mouseY - pressY);
}

void DXC_GuiField::DrawDebugOutline(int32_t level)
{
    int32_t l, t, r, b;
    GetAbsRect(l, t, r, b);
    const bool hasFocus = focused == 1;
    const uint32_t frame = hasFocus ? kOutlineFocused : kOutlineOther;
    const float x1 = float(l), y1 = float(t), x2 = float(r - 1), y2 = float(b - 1);
    gfx->DrawLine2D(x1, y1, x2, y1, frame, 0.0f);
    gfx->DrawLine2D(x2, y1, x2, y2, frame, 0.0f);
    gfx->DrawLine2D(x2, y2, x1, y2, frame, 0.0f);
    gfx->DrawLine2D(x1, y2, x1, y1, frame, 0.0f);
    const float ox = float(l + childOriginX), oy = float(t + childOriginY);
    if (childOriginX != 0 || childOriginY != 0) {
        const uint32_t cross = hasFocus ? kOriginFocused : kOriginOther;
        gfx->DrawLine2D(ox - kOriginCross, oy, ox + kOriginCross, oy, cross, 0.0f);
        gfx->DrawLine2D(ox, oy - kOriginCross, ox, oy + kOriginCross, cross, 0.0f);
    }
    if (level < 2)
        return;
    gfx->DrawLine2D(x1, y1, ox, oy, frame, 0.0f);
    DXC_Font* font = manager ? manager->GetDebugFont() : nullptr;
    if (!font || !font->IsLoaded())
        return;
    DXC_Font* previous = gfx->GetFont();
    gfx->SetFont(font, 0.0f, 0);
    const int32_t lineHeight = manager->GetDebugFontHeight();
    gfx->Printf(l + 2, t + 2, "%d/%d", left, top);
    gfx->Printf(l + 2, t + 2 + lineHeight, "%d/%d", right - left, bottom - top);
    if (previous && previous->IsLoaded())
        gfx->SetFont(previous, 0.0f, 0);
}
