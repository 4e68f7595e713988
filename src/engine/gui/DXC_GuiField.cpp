// DXC_GuiField: construction and destruction, the tree, the rectangle and placement, the open
// state with the modal count, and the queries over the tree.
#include "engine/gui/DXC_GuiField.h"

#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiScaleableText.h"

#include <vector>

int32_t DXC_GuiField::s_GuiDebugLevel = 0;

DXC_GuiField::DXC_GuiField() { SetName("DXC_GuiField"); }

DXC_GuiField::~DXC_GuiField()
{
    if (modal) {
        modal = 0;
        if (IsOpen() && manager)
            manager->ChangeModalWindowCount(-1);
    }
    if (DXC_GuiField* owner = parent.Get())
        owner->RemoveChild(this);
    parent.Release();
    // The children live on (each belongs to its owner); their parent references clear with ours.
    children.Free();
}

void DXC_GuiField::OnOpenChanged(bool open)
{
    for (int32_t i = 0; i < children.GetSize(); ++i)
        if (DXC_GuiField* child = children.GetAt(i))
            child->OnOpenChanged(open);
}

void DXC_GuiField::OnReset()
{
    for (int32_t i = 0; i < children.GetSize(); ++i)
        if (DXC_GuiField* child = children.GetAt(i))
            child->OnReset();
}

void DXC_GuiField::WriteHelpText(DXC_GuiScaleableText& target) { target.SetText(helpText); }

void DXC_GuiField::SetManager(DXC_GuiManager* guiManager)
{
    manager = guiManager;
    gfx = guiManager ? guiManager->GetGfx() : nullptr;
    for (int32_t i = 0; i < children.GetSize(); ++i)
        if (DXC_GuiField* child = children.GetAt(i))
            child->SetManager(guiManager);
}

// Opening does not give the focus; closing happens before the field hears of it.
void DXC_GuiField::SetOpenState(bool open)
{
    const bool changes = open ? closed != 0 : closed == 0;
    if (changes && modal)
        UpdateModalCount(open);
    if (open && closed != 0) {
        OnOpenChanged(true);
        if (!alwaysOnTop) {
            if (manager)
                manager->MoveToFront(this);
            else
                MoveToFrontOfParent();
        }
        closed = 0;
    } else if (!open && closed == 0) {
        closed = 1;
        ReleaseFocus();
        OnOpenChanged(false);
    }
}

void DXC_GuiField::UpdateModalCount(bool opening)
{
    if (!manager)
        return;
    manager->ChangeModalWindowCount(opening ? 1 : -1);
    for (int32_t i = 0; i < children.GetSize(); ++i) {
        DXC_GuiField* child = children.GetAt(i);
        if (child && child->IsOpen() && child->modal == 1)
            child->UpdateModalCount(opening);
    }
}

int32_t DXC_GuiField::AddChild(DXC_GuiField* child)
{
    if (DXC_GuiField* former = child->parent.Get())
        former->RemoveChild(child);
    if (child->dragMode == kDragUnset)
        child->dragMode = kDragNever;
    child->parent = this;
    if (manager)
        child->SetManager(manager);
    child->left += childOriginX;
    child->right += childOriginX;
    child->top += childOriginY;
    child->bottom += childOriginY;
    return children.Add(child);  // the lowest free slot, so not always behind the others
}

void DXC_GuiField::RemoveChild(DXC_GuiField* child)
{
    const bool wasFocused = child && child->focused == 1;
    if (focusChild == child)
        focusChild = nullptr;
    const int32_t slot = children.IndexOf(child);
    if (slot >= 0)
        children.Delete(slot);
    if (!wasFocused || !manager)
        return;
    if (slot >= 0)
        child->OnLostFocus();  // it left the focus path with the list
    // The focus comes back here unless a modal window elsewhere holds it.
    DXC_GuiField* current = manager->GetRoot().GetFocus(false);
    DXC_GuiField* modalWindow = current ? current->FindModalWindow() : nullptr;
    if (modalWindow && modalWindow->IsOpen() && !IsDescendantOf(modalWindow))
        return;
    if (manager->SetFocusPath(this, true))
        manager->MoveToFront(this);
}

void DXC_GuiField::SetPos(int32_t x, int32_t y)
{
    right = x + (right - left);
    bottom = y + (bottom - top);
    left = x;
    top = y;
}

void DXC_GuiField::SetSize(int32_t width, int32_t height)
{
    right = left + width;
    bottom = top + height;
}

void DXC_GuiField::GetPos(int32_t& x, int32_t& y) const
{
    x = left;
    y = top;
}

void DXC_GuiField::GetSize(int32_t& width, int32_t& height) const
{
    width = right - left;
    height = bottom - top;
}

void DXC_GuiField::GetRect(int32_t& l, int32_t& t, int32_t& r, int32_t& b) const
{
    l = left;
    t = top;
    r = right;
    b = bottom;
}

void DXC_GuiField::SetRect(int32_t l, int32_t t, int32_t r, int32_t b)
{
    left = l;
    top = t;
    SetSize(r - l, b - t);
}

void DXC_GuiField::GetAbsPos(int32_t& x, int32_t& y) const
{
    x = left;
    y = top;
    for (const DXC_GuiField* up = parent.Get(); up; up = up->parent.Get()) {
        x += up->left;
        y += up->top;
    }
}

void DXC_GuiField::GetAbsRect(int32_t& l, int32_t& t, int32_t& r, int32_t& b) const
{
    GetAbsPos(l, t);
    r = l + (right - left);
    b = t + (bottom - top);
}

// The room the field leaves in its parent, or on the screen for a field without one.
bool DXC_GuiField::GetFreeSpace(int32_t& width, int32_t& height) const
{
    if (const DXC_GuiField* owner = parent.Get())
        owner->GetSize(width, height);
    else if (manager)
        manager->GetScreenSize(width, height);
    else
        return false;
    width -= right - left;
    height -= bottom - top;
    return true;
}

void DXC_GuiField::SetRelativePos(float fx, float fy)
{
    int32_t freeWidth, freeHeight;
    if (GetFreeSpace(freeWidth, freeHeight))
        SetPos(int32_t(float(freeWidth) * fx), int32_t(float(freeHeight) * fy));
}

void DXC_GuiField::SetRelativePosX(float fx)
{
    int32_t freeWidth, freeHeight;
    if (manager && GetFreeSpace(freeWidth, freeHeight))
        SetPos(int32_t(float(freeWidth) * fx), top);
}

void DXC_GuiField::SetRelativePosY(float fy)
{
    int32_t freeWidth, freeHeight;
    if (manager && GetFreeSpace(freeWidth, freeHeight))
        SetPos(left, int32_t(float(freeHeight) * fy));
}

// Left and top first, then right and bottom: a field larger than the screen keeps its right and
// bottom edges on the screen.
void DXC_GuiField::ClampToScreen()
{
    if (!gfx || !manager)
        return;
    int32_t l, t, r, b;
    GetAbsRect(l, t, r, b);
    int32_t rootLeft, rootTop, rootRight, rootBottom;
    manager->GetRoot().GetRect(rootLeft, rootTop, rootRight, rootBottom);
    int32_t dx = l < rootLeft ? rootLeft - l : 0;
    int32_t dy = t < rootTop ? rootTop - t : 0;
    if (r + dx > rootRight)
        dx = rootRight - r;
    if (b + dy > rootBottom)
        dy = rootBottom - b;
    SetPos(left + dx, top + dy);
}

void DXC_GuiField::GetMouseOffset(int32_t& x, int32_t& y) const
{
    x = 0;
    y = 0;
    if (manager)
        manager->GetMousePos(x, y);
    int32_t absX, absY;
    GetAbsPos(absX, absY);
    x -= absX;
    y -= absY;
}

void DXC_GuiField::SetHelpText(const wString& text)
{
    helpText = text;
    helpTextChanged = 1;
}

void DXC_GuiField::SendToBack()
{
    DXC_GuiField* owner = parent.Get();
    if (fixedOrder || !owner)
        return;
    const int32_t position = owner->children.Find(owner->children.IndexOf(this));
    const int32_t last = owner->children.GetSize() - 1;
    if (position >= 0 && position < last)
        owner->children.MoveToPos(position, last);
}

void DXC_GuiField::MoveToFrontOfParent()
{
    DXC_GuiField* owner = parent.Get();
    if (fixedOrder || !owner)
        return;
    const int32_t position = owner->children.Find(owner->children.IndexOf(this));
    if (position > 0)
        owner->children.MoveToPos(position, 0);
}

// The root is the field without a parent.
DXC_GuiField* DXC_GuiField::GetTopLevelWindow()
{
    DXC_GuiField* field = this;
    while (field->parent.Get() && field->parent.Get()->parent.Get())
        field = field->parent.Get();
    return field;
}

DXC_GuiField* DXC_GuiField::FindModalWindow()
{
    for (DXC_GuiField* field = this; field; field = field->parent.Get())
        if (field->modal)
            return field;
    return nullptr;
}

bool DXC_GuiField::IsDescendantOf(const DXC_GuiField* other) const
{
    for (const DXC_GuiField* field = this; field; field = field->parent.Get())
        if (field == other)
            return true;
    return false;
}

bool DXC_GuiField::HasOpenWindow() { return GetFrontWindow() != nullptr; }

DXC_GuiField* DXC_GuiField::GetFrontWindow()
{
    for (int32_t i = 0; i < children.GetSize(); ++i) {
        DXC_GuiField* child = children.GetAt(i);
        if (child && child->IsOpen() && !child->permanent)
            return child;
    }
    return nullptr;
}

void DXC_GuiField::CloseChildren(bool alsoPermanent)
{
    // Closing one child may destroy or remove others: hold weak references to all first.
    std::vector<SmartPtr<DXC_GuiField>> held;
    held.reserve(size_t(children.GetSize()));
    for (int32_t i = 0; i < children.GetSize(); ++i)
        held.emplace_back(children.GetAt(i));
    for (const SmartPtr<DXC_GuiField>& child : held)
        if (child.Get() && (alsoPermanent || !child->permanent))
            child->SetOpenState(false);
}

void DXC_GuiField::SetModal(bool flag)
{
    const int32_t value = flag ? 1 : 0;
    if (value == modal)
        return;
    modal = value;
    if (IsOpen() && manager)
        manager->ChangeModalWindowCount(value ? 1 : -1);
}

void DXC_GuiField::NotifyEvent(int32_t event)
{
    if (notifyEvents && manager && manager->GetFieldEventCallback())
        manager->GetFieldEventCallback()(event, this);
}
