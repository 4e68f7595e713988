// DXC_GuiButton: presses and releases, the click counter and the radio group.
#include "engine/gui/DXC_GuiButton.h"

#include "engine/gui/DXC_GuiManager.h"

DXC_GuiButton::DXC_GuiButton()
{
    SetName("DXC_GuiButton");
    notifyEvents = 1;
}

DXC_GuiButton::~DXC_GuiButton()
{
    if (groupPrev)
        groupPrev->groupNext = groupNext;
    if (groupNext)
        groupNext->groupPrev = groupPrev;
}

void DXC_GuiButton::ClearGroup()
{
    for (DXC_GuiButton* other = groupPrev; other; other = other->groupPrev)
        other->state = 0;
    for (DXC_GuiButton* other = groupNext; other; other = other->groupNext)
        other->state = 0;
}

void DXC_GuiButton::Select(bool countClick)
{
    if (radioMode) {
        state = 1;
        ClearGroup();
    } else if (toggleMode) {
        state = 1;
    }
    if (countClick)
        ++clicks;
}

// The group is a chain; other leaves a group it was in before, so no chain ever closes a loop.
void DXC_GuiButton::JoinGroup(DXC_GuiButton* other)
{
    if (!other || other == this)
        return;
    if (other->groupPrev)
        other->groupPrev->groupNext = other->groupNext;
    if (other->groupNext)
        other->groupNext->groupPrev = other->groupPrev;
    other->groupPrev = this;
    other->groupNext = groupNext;
    if (groupNext)
        groupNext->groupPrev = other;
    groupNext = other;
    radioMode = 1;
    other->radioMode = 1;
    other->state = 1;
    other->ClearGroup();
}

DXC_GuiField* DXC_GuiButton::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    DXC_GuiField* result = DXC_GuiField::OnMouse(button, event, x, y);
    if (result != this)
        return result;
    if (!enabled || !IsInputActive())
        return this;
    if (event == kMousePressed) {
        if (radioMode) {
            ++clicks;
            state = 1;
            ClearGroup();
            NotifyEvent(kEventPressed);
        } else if (toggleMode) {
            state = state ? 0 : 1;
            ++clicks;
            NotifyEvent(kEventPressed);
        } else {
            state = 1;
        }
    } else if (event == kMouseReleased && !radioMode && !toggleMode) {
        // Only a release over the button it was pressed on counts.
        if (state == 1 && IsOpen() && manager && manager->IsTopmostUnderMouse(this, false))
            ++clicks;
        state = 0;
        NotifyEvent(kEventReleased);
    }
    return this;
}

void DXC_GuiButton::SetOpenState(bool open)
{
    if (!open && !toggleMode)
        state = 0;
    DXC_GuiField::SetOpenState(open);
}
