// DXC_GuiManager: construction, input states, windows, the mouse position and GUI scale, the drag
// object and icon, the clipboard, the modal count and the focus and order services.
#include "engine/gui/DXC_GuiManager.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiScaleableText.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "platform/Clipboard.h"

#include <cstdio>

DXC_GuiManager* g_GuiManager = nullptr;

DXC_GuiManager::DXC_GuiManager(DXC_Gfx* graphics) : m_Gfx(graphics), m_Keyboard(&g_InputState), m_Mouse(&g_MouseState)
{
    SetName("DXC_GuiManager");
    m_Root.SetManager(this);
    m_ToolTipWindow = std::make_unique<DXC_GuiScaleableText>();
    m_ToolTipWindow->SetManager(this);
    g_GuiManager = this;
}

// The windows outlive the manager (they belong to the controller): they forget it, so nothing
// they do later reaches a manager that is gone.
DXC_GuiManager::~DXC_GuiManager()
{
    SetCursorIcon(0, 0, nullptr, false);
    m_Root.SetManager(nullptr);
    if (g_GuiManager == this)
        g_GuiManager = nullptr;
}

void DXC_GuiManager::SetToolTipSkin(const ToolTipSkin& skin)
{
    m_ToolTipSkin = skin;
    m_ToolTipWindow->SetFrame(skin);
}

void DXC_GuiManager::GetScreenSize(int32_t& width, int32_t& height) const
{
    width = m_ScreenWidth;
    height = m_ScreenHeight;
}

void DXC_GuiManager::SetInputStates(InputState* keyboard, MouseState* mouse)
{
    m_Keyboard = keyboard;
    m_Mouse = mouse;
}

bool DXC_GuiManager::HasMouseDevice() const { return m_Mouse && m_Mouse->device; }

int32_t DXC_GuiManager::AddWindow(DXC_GuiField* window)
{
    if (window->GetDragMode() == DXC_GuiField::kDragUnset)
        window->SetDragMode(DXC_GuiField::kDragAlways);
    const int32_t slot = m_Root.AddChild(window);
    if (window->IsOpen() && window->IsModal())
        ChangeModalWindowCount(1);
    return slot;
}

DXC_GuiField* DXC_GuiManager::OnChar(uint32_t code, int32_t repeat, uint32_t flags)
{
    if (m_KeyboardBlocked > 0)
        return nullptr;
    return m_Root.OnChar(code, repeat, flags);
}

// The device's position moves the stored offset when it leaves the viewport, so the pointer
// stops at the edge and comes back as soon as the mouse turns.
void DXC_GuiManager::GetMousePos(int32_t& x, int32_t& y)
{
    int32_t rootX, rootY;
    m_Root.GetPos(rootX, rootY);
    if (!HasMouseDevice()) {
        x = m_MouseX + rootX;
        y = m_MouseY + rootY;
        return;
    }
    int32_t px = int32_t(m_Mouse->x * m_GuiScale) - m_MouseX;
    int32_t py = int32_t(m_Mouse->y * m_GuiScale) - m_MouseY;
    if (px < 0) {
        m_MouseX += px;
        px = 0;
    } else if (px >= m_ScreenWidth) {
        m_MouseX += px - (m_ScreenWidth - 1);
        px = m_ScreenWidth - 1;
    }
    if (py < 0) {
        m_MouseY += py;
        py = 0;
    } else if (py >= m_ScreenHeight) {
        m_MouseY += py - (m_ScreenHeight - 1);
        py = m_ScreenHeight - 1;
    }
    x = px + rootX;
    y = py + rootY;
}

void DXC_GuiManager::SetMousePos(int32_t x, int32_t y)
{
    if (!HasMouseDevice()) {
        m_MouseX = x;
        m_MouseY = y;
        return;
    }
    m_MouseX = int32_t(m_Mouse->x * m_GuiScale) - x;
    m_MouseY = int32_t(m_Mouse->y * m_GuiScale) - y;
}

void DXC_GuiManager::SetGuiScale(float scale)
{
    if (scale == m_GuiScale)
        return;
    int32_t x, y;
    GetMousePos(x, y);
    int32_t rootX, rootY;
    m_Root.GetPos(rootX, rootY);
    m_GuiScale = scale;
    SetMousePos(x - rootX, y - rootY);
}

int32_t DXC_GuiManager::GetWheelDelta() const { return HasMouseDevice() ? m_Mouse->wheel - m_PreviousWheel : 0; }

void DXC_GuiManager::QueueButtonEvent(int32_t button, int32_t state) { m_QueuedEvents.push_back({state, button}); }

void DXC_GuiManager::SetCursorIcon(int32_t hotX, int32_t hotY, DXC_GuiField* field, bool owned)
{
    DXC_GuiField* current = m_CursorIcon.Get();
    if (current && current != field && m_IconOwned)
        delete current;
    m_CursorIcon = field;
    m_IconOwned = field && owned ? 1 : 0;
    m_CursorIconHot[0] = hotX;
    m_CursorIconHot[1] = hotY;
    if (field)
        field->SetManager(this);
}

void DXC_GuiManager::SetToolTipParams(double delay, int32_t tolerance, int32_t offsetX, int32_t offsetY)
{
    m_ToolTipDelay = delay;
    m_ToolTipTolerance = tolerance;
    m_ToolTipOffset[0] = offsetX;
    m_ToolTipOffset[1] = offsetY;
}

void DXC_GuiManager::GetToolTipOffset(int32_t& x, int32_t& y) const
{
    x = m_ToolTipOffset[0];
    y = m_ToolTipOffset[1];
}

void DXC_GuiManager::SetDragObject(void* object, const char* name, DXC_GuiField* source)
{
    if (object && name) {
        m_DragObject = object;
        std::snprintf(m_DragName, sizeof(m_DragName), "%s", name);
        m_DragSource = source;
    } else {
        m_DragObject = nullptr;
        m_DragName[0] = 0;
        m_DragSource = nullptr;
    }
}

void DXC_GuiManager::SetDragIcon(DXC_Texture* texture, bool useSubRect, const int32_t* subRect, float scale)
{
    if (!texture || !texture->IsValid()) {
        if (m_CursorIcon.Get() == &m_DragIcon)
            SetCursorIcon(0, 0, nullptr, false);
        m_DragIcon.SetTexture(nullptr, false);
        return;
    }
    m_DragIcon.SetTexture(texture, false);
    DXC_Texture& picture = m_DragIcon.GetPicture();
    if (useSubRect && subRect)
        picture.SetSourceRect(float(subRect[0]), float(subRect[1]), float(subRect[2]), float(subRect[3]), true, false);
    float width, height;
    picture.GetDrawSize(width, height);
    const int32_t w = int32_t(width * scale);
    const int32_t h = int32_t(height * scale);
    m_DragIcon.SetRect(0, 0, w, h);
    SetCursorIcon(w / 2, h / 2, &m_DragIcon, false);
}

DXC_GuiTexField* DXC_GuiManager::GetDragIcon() const
{
    return m_CursorIcon.Get() == &m_DragIcon ? const_cast<DXC_GuiTexField*>(&m_DragIcon) : nullptr;
}

void DXC_GuiManager::SetDefaultFont(DXC_Font* font, uint32_t colour)
{
    m_DefaultFont = font;
    m_DefaultTextColour = colour;
}

DXC_Font* DXC_GuiManager::GetDefaultFont()
{
    if (m_DefaultFont)
        return m_DefaultFont;
    return m_Gfx && m_Gfx->HasDevice() ? m_Gfx->GetBuiltinFont() : nullptr;
}

void DXC_GuiManager::SetDefaultButtonColours(uint32_t normal, uint32_t pressed, uint32_t hover)
{
    m_DefaultButtonColours[0] = normal;
    m_DefaultButtonColours[1] = pressed;
    m_DefaultButtonColours[2] = hover;
}

void DXC_GuiManager::GetDefaultButtonColours(uint32_t& normal, uint32_t& pressed, uint32_t& hover) const
{
    normal = m_DefaultButtonColours[0];
    pressed = m_DefaultButtonColours[1];
    hover = m_DefaultButtonColours[2];
}

void DXC_GuiManager::GetPressPos(int32_t button, int32_t& x, int32_t& y)
{
    x = 0;
    y = 0;
    if (button < 0 || button >= kMaxButtons)
        return;
    int32_t rootX, rootY;
    m_Root.GetPos(rootX, rootY);
    x = m_Buttons[button].pressX + rootX;
    y = m_Buttons[button].pressY + rootY;
}

double DXC_GuiManager::GetTime() const { return m_FixedTime > 0.0 ? m_FixedTime : Timer::GetTime(); }

wString DXC_GuiManager::GetClipboardText() const
{
    if (!Platform::HasClipboardText())
        return wString();
    return wString(Platform::GetClipboardText().c_str());
}

void DXC_GuiManager::ChangeModalWindowCount(int32_t delta)
{
    m_ModalWindowCount += delta;
    if (m_ModalWindowCount < 0) {
        Warning("Internal problem: m_ModalWindowCount < 0");
        m_ModalWindowCount = 0;
    }
}

bool DXC_GuiManager::RequestFocus(DXC_GuiField* field, bool clearBelow, bool force, bool bringToFront)
{
    if (!field) {
        field = m_Root.GetFrontWindow();
        if (!field)
            field = &m_Root;
    }
    if (!force) {
        DXC_GuiField* modalWindow = m_Root.GetFocus(false)->FindModalWindow();
        if (modalWindow && modalWindow->IsOpen() && !field->IsDescendantOf(modalWindow))
            return false;
    }
    if (!SetFocusPath(field, clearBelow))
        return false;
    if (bringToFront)
        MoveToFront(field);
    return true;
}

bool DXC_GuiManager::SetFocusPath(DXC_GuiField* field, bool clearBelow)
{
    if (!field || !field->IsOpen() || !field->focusable)
        return false;
    if (DXC_GuiField* owner = field->parent.Get()) {
        if (owner->focused != 1 && !SetFocusPath(owner, false))
            return false;
        if (owner->focusChild != field) {
            if (owner->focusChild)
                owner->focusChild->OnLostFocus();
            owner->focusChild = field;
        }
    }
    if (field->focused != 1)
        field->OnGotFocus();
    if (clearBelow && field->focusChild) {
        field->focusChild->OnLostFocus();
        field->focusChild = nullptr;
    }
    return true;
}

void DXC_GuiManager::MoveToFront(DXC_GuiField* field)
{
    if (!field)
        return;
    if (m_Drawing) {  // the child lists stay as they are while the tree is drawn
        const int32_t slot = m_DeferredFrontMoves.Add();
        *m_DeferredFrontMoves.GetBySlot(slot) = field;
        return;
    }
    field->MoveToFrontOfParent();
}

void DXC_GuiManager::ApplyDeferredFrontMoves()
{
    for (int32_t i = 0; i < m_DeferredFrontMoves.GetSize(); ++i) {
        SmartPtr<DXC_GuiField>* entry = m_DeferredFrontMoves.GetAt(i);
        DXC_GuiField* field = entry ? entry->Get() : nullptr;
        if (field && field->GetParent())
            field->MoveToFrontOfParent();
    }
    m_DeferredFrontMoves.DeleteAll();
}

bool DXC_GuiManager::IsTopmostUnderMouse(DXC_GuiField* field, bool checkCursor)
{
    if (!field->IsMouseOver(true, false, checkCursor))
        return false;
    const DXC_GuiField* window = field->GetTopLevelWindow();
    for (int32_t i = 0; i < m_Root.children.GetSize(); ++i) {
        DXC_GuiField* child = m_Root.children.GetAt(i);
        if (child == window)
            return true;
        if (child && child->IsOpen() && !child->mouseTransparent && child->IsMouseOver(true, false, false))
            return false;
    }
    return true;  // the root itself, or a field outside the windows: nothing lies in front
}

void DXC_GuiManager::UpdateViewport()
{
    int32_t rect[4] = {0, 0, 0, 0};
    if (m_Gfx)
        m_Gfx->GetViewportRect(rect);
    m_ScreenWidth = rect[2] - rect[0];
    m_ScreenHeight = rect[3] - rect[1];
    m_Root.SetSize(m_ScreenWidth, m_ScreenHeight);
    m_Root.SetPos(rect[0], rect[1]);
}

DXC_Font* DXC_GuiManager::GetDebugFont()
{
    if (!m_DebugFont && m_Gfx && m_Gfx->HasDevice()) {
        m_DebugFont = std::make_unique<DXC_Font>();
        m_Gfx->CreateBuiltinFont(m_DebugFont.get(), kDebugFontColors[0], kDebugFontColors[1]);
        POINT size;
        m_Gfx->GetPrintfSize(size, "%s", "0/0");
        m_DebugFontHeight = size.y;
    }
    return m_DebugFont.get();
}
